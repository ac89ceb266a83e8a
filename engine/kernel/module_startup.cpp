#include "engine/kernel/module_startup.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/upper_services.h"
#include "platform/gdi_objects.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/resources.h"

#include <QtCore/qglobal.h>
#include <array>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

// The resources compiled into the library (resources/map/map.qrc).
static void initMapResources() { Q_INIT_RESOURCE(map_resources); }

namespace {

// The library's file, beside which the build puts nothing else of that name.
constexpr const char *kLibraryFile = "libmap.so";
constexpr const char *kResourceFolder = ":/resources/map";

// Cursor and icon table: what each number holds.
struct GdiEntry {
    char kind; // 'S' system cursor, 'C' cursor resource, 'I' icon resource, 0 none
    UINT id;
};
constexpr std::array<GdiEntry, GDI_OBJECT_COUNT> kGdiTable = {{
    {'S', IDC_CROSS}, {'S', IDC_ARROW}, {'S', IDC_WAIT},    {'C', 156}, {'C', 138}, {'C', 139},
    {'C', 140},       {0, 0},           {'C', 142},         {'C', 141}, {'C', 155}, {'C', 178},
    {'I', 157},       {'I', 158},       {'S', IDC_SIZEALL}, {'C', 188}, {'C', 165}, {'C', 175},
    {'C', 143},       {'C', 180},       {'C', 181},         {'C', 182}, {'C', 183},
}};

constexpr std::array<const char *, MARKER_BITMAP_COUNT> kMarkerNames = {"square", "circle", "triangle",
                                                                        "full_sq", "crossbmp"};

struct LibraryState {
    std::once_flag started;
    int classesRegistered = 0;
    HINSTANCE instance = 0;
    std::array<HCURSOR, GDI_OBJECT_COUNT> gdiObjects{};
    std::array<HBITMAP, MARKER_BITMAP_COUNT> markers{};
};

LibraryState &library()
{
    static LibraryState s;
    return s;
}

// The module that holds this code: libmap.so when the engine is a shared
// library, else the program (0). Loading our own file again only counts a
// reference; it is kept for the life of the process, as the instance is.
std::string ownLibraryPath()
{
    const std::string folder = ModuleFolderOf(reinterpret_cast<const void *>(&MapLibraryStartup));
    if (folder.empty())
        return {};
    const std::string path = folder + kLibraryFile;
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) ? path : std::string();
}

HINSTANCE findOwnModule()
{
    const std::string path = ownLibraryPath();
    return path.empty() ? 0 : LoadLibraryA(path.c_str());
}

void loadMarkers(LibraryState &s)
{
    for (size_t i = 0; i < kMarkerNames.size(); ++i)
        if (!s.markers[i])
            s.markers[i] = LoadBitmapA(s.instance, kMarkerNames[i]);
}

void loadCursorsAndIcons(LibraryState &s)
{
    for (size_t i = 0; i < kGdiTable.size(); ++i) {
        if (s.gdiObjects[i])
            continue;
        const GdiEntry e = kGdiTable[i];
        switch (e.kind) {
        case 'S':
            s.gdiObjects[i] = LoadCursorA(0, e.id);
            break;
        case 'C':
            s.gdiObjects[i] = LoadCursorA(s.instance, e.id);
            break;
        case 'I':
            s.gdiObjects[i] = LoadIconA(s.instance, e.id);
            break;
        default:
            break;
        }
    }
}

// Library load and unload. Only libmap.so starts itself: a program that
// links the engine statically (the tests) decides when the classes are
// registered, so its own class tables are not disturbed before main.
struct LibraryLifetime {
    LibraryLifetime()
    {
        if (!ownLibraryPath().empty())
            MapLibraryStartup();
    }
    ~LibraryLifetime() { MapLibraryExit(); }
};
const LibraryLifetime lifetime;

} // namespace

int MapLibraryStartup()
{
    LibraryState &s = library();
    std::call_once(s.started, [&s] {
        s.instance = findOwnModule();
        SetGormModule(s.instance);
        initMapResources();
        SetModuleResourceFolder(s.instance, kResourceFolder);
        s.classesRegistered = InitGraphClasses(s.instance);
        loadMarkers(s);
        loadCursorsAndIcons(s);
    });
    return s.classesRegistered;
}

void MapLibraryExit()
{
    LibraryState &s = library();
    FreeGraphClasses(s.instance);
    for (HBITMAP &b : s.markers)
        if (b) {
            DeleteObject(b);
            b = 0;
        }
}

HINSTANCE MapInstance() { return library().instance; }

int LoadStringMap(unsigned id, char *buffer, int size)
{
    // Programs that link the engine's parts directly have not started the
    // library when they first ask for a string.
    MapLibraryStartup();
    return LoadStringA(MapInstance(), id, buffer, size);
}

std::string LoadStringMapOr(unsigned id, const char *fallback)
{
    char text[512];
    return LoadStringMap(id, text, sizeof text) > 0 ? std::string(text) : std::string(fallback);
}

HCURSOR GetGDIObject(int number)
{
    if (number < 0 || number >= GDI_OBJECT_COUNT)
        return 0;
    return library().gdiObjects[size_t(number)];
}

HBITMAP MarkerBitmap(int index)
{
    if (index < 0 || index >= MARKER_BITMAP_COUNT)
        return 0;
    return library().markers[size_t(index)];
}

int DoGormDefaultSettings(_WNDRES *record)
{
    // The sheet belongs to the window floor, which enters it at start-up.
    return UpperDefaultSettings(record);
}

void GormLastErrorMessageBox()
{
    const std::string text = std::error_code(errno, std::system_category()).message();
    MessageBoxA(0, text.c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
}

void GormExceptionMessage(const std::exception &exception, const char *text)
{
    constexpr size_t kMessageMax = 260 - 1; // the message buffer with its zero
    const std::string message = std::string(exception.what()).substr(0, kMessageMax);
    const std::string shown = std::string(text ? text : "") + message;
    MessageBoxA(0, shown.c_str(), nullptr, MB_OK | MB_ICONSTOP);
}

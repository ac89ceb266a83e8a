#include "engine/window/wndres.h"
#include "engine/editing/display_pass.h"

#include "engine/kernel/buffer.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/gui_helpers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/engine_startup.h"
#include "engine/window/page.h"
#include "engine/window/page_setup/window_page_setup.h"
#include "platform/printers.h"
#include "engine/window/view_display.h"
#include "platform/event.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/profile.h"
#include "platform/system_colors.h"
#include "platform/window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

namespace {

constexpr uint32_t kDrawBufferItemSizes[5] = {8, 8, 4, 4, 8};

char firstCharOfIntl(const char *key, const char *fallback)
{
    char text[2] = {};
    GetProfileStringA("intl", key, fallback, text, sizeof text);
    return text[0];
}

// ---------------------------------------------------------------------------
// Settings

uint32_t dwordSetting(const SettingsRegKey *key, const char *name, uint32_t fallback, bool storeDefault)
{
    uint32_t v = fallback;
    if (!key->GetValue("Settings", name, &v, 0) && storeDefault)
        key->SetValue("Settings", name, &fallback, 0);
    return v;
}

// One of the two screen-size texts: "<number> mm".
int32_t displaySizeSetting(const SettingsRegKey *key, const char *name, int32_t fallback)
{
    std::string text;
    const bool found = SettingsStringGet(key, "Settings", name, nullptr, 0, &text) != 0;
    const long long number = found ? std::atoll(text.c_str()) : 0;
    int32_t value;
    bool write;
    if (!found || number < 30 || number > 10000000) {
        value = fallback;
        write = true;
    } else {
        value = int32_t(number);
        write = text.find("mm") == std::string::npos;
    }
    if (write) {
        char repaired[32];
        std::snprintf(repaired, sizeof repaired, "%d mm", value);
        HKEY h = 0;
        const std::string path = key->path + "\\Settings";
        if (RegCreateKeyExA(key->root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &h, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(repaired),
                           DWORD(std::strlen(repaired) + 1));
            RegCloseKey(h);
        }
    }
    return value;
}

} // namespace

// The view floor stops drawing and keeps the vertex bitmap in step with the
// window through these services.
void WndResInstallViewServices()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ViewWindowServices s;
        // A change of the view waits for the drawing to stop, so that no
        // pass reads the view (or writes the vertex bitmap) half-changed,
        // and leaves the event clear for the next paint.
        s.stopDrawing = [](HWND hwnd) { StopAndWaitDrawing(GetWndRes(hwnd)); };
        s.resizeVertexBitmap = [](HWND hwnd, const RECT &client) {
            if (_WNDRES *rec = GetWndRes(hwnd))
                VertexBitmapResize(rec, client);
        };
        s.shiftVertexBitmap = [](HWND hwnd, int dx, int dy) { PointsScroll(hwnd, dx, dy); };
        s.pageOrgExt = [](HWND hwnd, MAP_COORDPT *origin, MAP_COORDPT *extent) {
            return PageGetFromWindow(hwnd) && PageGetOrgExtInWindow(hwnd, origin, extent);
        };
        PM_SetWindowServices(std::move(s));
    });
}

int WndRes_Constructor(_WNDRES *rec)
{
    if (!rec)
        return 0;
    EngineStartup();
    *rec = _WNDRES{};
    rec->showSelectedNodes = 1;
    rec->undoEnabled = 1;

    rec->displayView = new PresentationManager{};
    rec->printView = new PresentationManager{};
    PM_Constructor(rec->displayView);
    PM_Constructor(rec->printView);

    rec->kernel = KernelNew();
    for (int i = 0; i < 5; ++i) {
        rec->drawBuffers[i] = new Buffer{};
        BufferInit(rec->drawBuffers[i], 0, kDrawBufferItemSizes[i], 10);
    }
    rec->rootObject = CreateRootOBJects(rec->kernel, 0, nullptr, nullptr, nullptr, nullptr, nullptr);

    rec->decimalChar = firstCharOfIntl("sDecimal", ".");
    rec->thousandChar = firstCharOfIntl("sThousand", " ");

    // The default printer, asked without a dialog; none leaves both blocks 0.
    if (!GetDefaultPrinterBlocks(&rec->devMode, &rec->devNames))
        rec->devMode = rec->devNames = 0;
    rec->statics = new _STATICS{};
    WindowPageSetupCreate(rec);
    rec->stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    rec->windowBrush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    rec->settingsKey = new SettingsRegKey{};
    rec->rasterLoadMode = 0;
    rec->rasterLoaded = 0;
    rec->rasterLimit = 8;
    rec->rasterKeep = 3;
    rec->printerOnly = 0;
    return 1;
}

int WndRes_AttachToWindow(_WNDRES *rec, HWND hwnd, int createPage)
{
    if (!rec || !hwnd || rec->hWnd || !IsWindow(hwnd))
        return 0;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<intptr_t>(rec));
    rec->hWnd = hwnd;
    if (!rec->gui) {
        _GUI *gui = nullptr;
        if (newGUI(hwnd, &gui) && gui) {
            gui->displayOptions = 13;
            gui->noSelectionCursor = 0;
            rec->gui = gui;
        } else {
            MessageBoxA(hwnd, "WndRes_AttachToWindow: Internal Error lpGui=NULL", "MAP.DLL", MB_OK);
        }
    }
    WndRes_InitFromRegistry(rec, 0);
    // The root object keeps the window so that object procedures reach it.
    SetRootOBJect(hwnd, rec->rootObject);
    if (createPage)
        WindowPageAttach(rec);
    PM_InitDisplaySettings(rec->displayView, hwnd);
    if (rec->textFont) {
        DeleteObject(rec->textFont);
        rec->textFont = 0;
    }
    return 1;
}

int WndRes_InitFromRegistry(_WNDRES *rec, int refresh)
{
    if (!rec || !rec->settingsKey)
        return 0;
    const SettingsRegKey *key = rec->settingsKey;
    const COLORREF oldColor = rec->selLineColor;
    const int32_t oldWidth = rec->selLineWidth, oldStyle = rec->selLineStyle;
    const uint8_t oldFlags = rec->selLineFlags;
    const int32_t oldNodes = rec->showSelectedNodes;

    rec->selLineColor = dwordSetting(key, "Selected Line Color", 255, false);
    rec->selLineWidth = int32_t(dwordSetting(key, "Selected Line Width", 2, false));
    rec->selLineStyle = int32_t(dwordSetting(key, "Selected Line Style", 1, false));
    rec->selLineFlags = 0;
    if (int32_t(dwordSetting(key, "Selected Line Width Units", 0, false)) > 0)
        rec->selLineFlags |= 0x01;
    if (int32_t(dwordSetting(key, "Selected Line Ending", 0, false)) > 0)
        rec->selLineFlags |= 0x04;
    if (int32_t(dwordSetting(key, "Selected Line Corner", 0, false)) > 0)
        rec->selLineFlags |= 0x02;
    const uint32_t radius = dwordSetting(key, "Sensible Region Radius", 2, false);
    rec->showSelectedNodes = int32_t(dwordSetting(key, "Show Selected Line Nodes", 1, false));
    const uint32_t changeCursor = dwordSetting(key, "Change Selection Cursor", 1, false);
    if (rec->gui) {
        rec->gui->pickRadius = int32_t(radius);
        rec->gui->noSelectionCursor = changeCursor == 0 ? 1 : 0;
    }
    rec->calcSelArea = int32_t(dwordSetting(key, "Calculate area of selected objects", 1, true));
    rec->calcSelLength = int32_t(dwordSetting(key, "Calculate length of selected objects", 1, true));
    if (rec->displayView) {
        uint32_t unit = uint32_t(rec->displayView->projection.areaUnit);
        if (key->GetValue("Settings", "Area units", &unit, 0))
            rec->displayView->projection.areaUnit = int32_t(unit);
        unit = uint32_t(rec->displayView->projection.lengthUnit);
        if (key->GetValue("Settings", "Length units", &unit, 0))
            rec->displayView->projection.lengthUnit = int32_t(unit);
    }
    rec->mgrsDigits = int32_t(dwordSetting(key, "MGRS - Number Digits", 3, true));
    rec->mgrsZone = int32_t(dwordSetting(key, "MGRS - UTM Zone", 32, true));
    WndResLoadDisplaySize(rec);

    const bool lookChanged = oldColor != rec->selLineColor || oldWidth != rec->selLineWidth ||
                             oldStyle != rec->selLineStyle || oldFlags != rec->selLineFlags ||
                             oldNodes != rec->showSelectedNodes;
    if (refresh && lookChanged && rec->hWnd) {
        const OBJHANDLE selList = GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_SELLIST);
        _COORDRECT bounds{};
        if (selList && SendOBJectMessage(rec->kernel, selList, selList, 0, GRM_GETBOUNDRECT, 0,
                                         reinterpret_cast<LPARAM>(&bounds)))
            InvalidateGraphRect(rec->hWnd, &bounds, 1);
    }
    return 1;
}

void WndResLoadDisplaySize(_WNDRES *rec)
{
    if (!rec || !rec->settingsKey)
        return;
    const int32_t x = displaySizeSetting(rec->settingsKey, "Display Size X", 274);
    const int32_t y = displaySizeSetting(rec->settingsKey, "Display Size Y", 206);
    if (rec->displayView) {
        rec->displayView->screenWidthMm = x;
        rec->displayView->screenHeightMm = y;
    }
}

int WndRes_Destructor(_WNDRES *rec)
{
    if (!rec)
        return 0;
    StopAndWaitDrawing(rec);
    for (PresentationManager *&view : {std::ref(rec->displayView), std::ref(rec->printView)}) {
        if (view) {
            PM_Destructor(view);
            delete view;
            view = nullptr;
        }
    }
    if (rec->textFont) {
        DeleteObject(rec->textFont);
        rec->textFont = 0;
    }
    if (rec->kernel) {
        Undo_Reset(rec->kernel);
        KernelDelete(rec->kernel);
        rec->kernel = nullptr;
    }
    rec->rootObject = 0;
    if (rec->gui) {
        deleteGUI(rec->gui);
        rec->gui = nullptr;
    }
    delete rec->statics;
    rec->statics = nullptr;
    VertexBitmapFree(rec);
    rec->vertexSize = 0;
    for (Buffer *&b : rec->drawBuffers) {
        if (b) {
            BufferDelete(b);
            delete b;
            b = nullptr;
        }
    }
    for (HGLOBAL *h : {&rec->pageSetup, &rec->devMode, &rec->devNames}) {
        if (*h)
            GlobalFree(*h);
        *h = 0;
    }
    if (rec->stopEvent) {
        CloseEventHandle(rec->stopEvent);
        rec->stopEvent = nullptr;
    }
    if (rec->windowBrush) {
        DeleteObject(rec->windowBrush);
        rec->windowBrush = 0;
    }
    delete rec->settingsKey;
    rec->settingsKey = nullptr;
    std::free(rec->selCopy);
    rec->selCopy = nullptr;
    return 1;
}

DWORD GetMapDllFileName(char *buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    const std::string path = ModulePathOf(reinterpret_cast<const void *>(&GetMapDllFileName));
    if (path.empty() || path.size() >= size)
        return 0;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return DWORD(path.size());
}

// The image export converters: "GormExport" writes the map, its selection
// or its page area as an image file through the engine's image export. The
// module is built once per format; IMAGE_EXPORT_NAME names the one it is
// ("DIB", "TIFF", "PNG" or "JPG").
//
// Settings, under "Converters\Exports\<name>" of the engine key, else under
// "Converters\Exports\DIB" (where the export dialog keeps them for every
// format), else their defaults:
// - "Export all objects": 0 every object (the default), 1 the selected
//   objects, 2 the page's area;
// - "Size of exported bitmap": the image's width in pixels (the engine's
//   square: 100 to 2147483646, else 1000);
// - "JPG" only, "Quality": 10 to 100 (100 by default, values outside are
//   taken to the nearer end). The TIFF writer reads its own "lzw".
//
// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "engine/kernel/kernel_types.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/window/image_export/image_export.h"
#include "engine/window/page.h"
#include "engine/window/window_objects.h"
#include "modules/raster_io/module_export.h"
#include "platform/message_box.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef IMAGE_EXPORT_NAME
#error "IMAGE_EXPORT_NAME names the format the module is built for"
#endif

namespace {

constexpr const char *kName = IMAGE_EXPORT_NAME;
constexpr const char *kCaption = "Gorm Export";

enum Items { kAllObjects = 0, kSelectedObjects = 1, kPageArea = 2 };

// Not thread-local: the module is unloaded after each call, and the leak
// checker cannot walk the thread-local block of an unloaded module.
std::string lastError;

int fail(HWND map, const std::string &text)
{
    lastError = text;
    MessageBoxA(map, text.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

int exportType()
{
    if (std::strcmp(kName, "JPG") == 0)
        return kExportJpeg;
    if (std::strcmp(kName, "TIFF") == 0)
        return kExportTiff;
    if (std::strcmp(kName, "PNG") == 0)
        return kExportPng;
    return kExportBmp;
}

// An integer value of the key, stored as a number or as decimal text.
bool readInt(const std::string &subkey, const char *name, int *value)
{
    if (m_RegValueGet(subkey.c_str(), name, value))
        return true;
    char text[64] = {};
    if (!RegStringGet(subkey.c_str(), name, text, sizeof text) || !*text)
        return false;
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text)
        return false;
    *value = int(std::clamp<long>(v, INT_MIN, INT_MAX));
    return true;
}

// The format's own value, else the one the export dialog keeps for all.
int setting(const char *name, int fallback)
{
    const std::string own = std::string("Converters\\Exports\\") + kName;
    int value = fallback;
    if (!readInt(own, name, &value))
        readInt("Converters\\Exports\\DIB", name, &value);
    return value;
}

bool boundsOf(HWND map, OBJHANDLE set, MAP_COORDRECT *rect)
{
    const _WNDRES *rec = GetWndRes(map);
    _COORDRECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    if (!rec || !set)
        return false;
    SendOBJectMessage(rec->kernel, 0, set, 0, GRM_GETBOUNDRECT, 1, LPARAM(&r));
    *rect = {r.x1, r.y1, r.x2, r.y2};
    return r.x1 < r.x2 && r.y1 < r.y2;
}

// The map rectangle the items setting names; false when it has no area.
bool areaOf(HWND map, int items, MAP_COORDRECT *rect)
{
    switch (items) {
    case kSelectedObjects:
        return boundsOf(map, GetRootOBJect(map, CLASS_SELLIST), rect);
    case kPageArea: {
        MAP_COORDPT origin{}, extension{};
        if (!PageGetFromWindow(map) || !PageGetOrgExtInWindow(map, &origin, &extension))
            return false;
        auto corner = [](int32_t a, int32_t b) {
            return int32_t(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX));
        };
        const int32_t x2 = corner(origin.x, extension.x), y2 = corner(origin.y, extension.y);
        *rect = {std::min(origin.x, x2), std::min(origin.y, y2), std::max(origin.x, x2),
                 std::max(origin.y, y2)};
        return rect->x1 < rect->x2 && rect->y1 < rect->y2;
    }
    default:
        return map_object_boundrect_Get(map, 0, rect) && rect->x1 < rect->x2 && rect->y1 < rect->y2;
    }
}

} // namespace

MODULE_EXPORT const char *GormConverterLastError() { return lastError.c_str(); }

MODULE_EXPORT int GormExport(HWND map, const char *fileName, OBJHANDLE * /*layersRoot*/, HWND /*sheet*/)
{
    lastError.clear();
    const _WNDRES *rec = GetWndRes(map);
    if (!rec || !rec->kernel || !rec->displayView)
        return fail(map, "There is no open map to export.");
    if (!fileName || !*fileName)
        return fail(map, "No file was named for the export.");
    const int items = setting("Export all objects", kAllObjects);
    MAP_COORDRECT rect{};
    if (!areaOf(map, items, &rect))
        return fail(map, items == kSelectedObjects ? "No objects are selected to export."
                         : items == kPageArea      ? "The map has no page to export."
                                                   : "The map has no objects to export.");
    const _EXPORTPARAMS params{uint16_t(std::clamp(setting("Quality", 100), 10, 100)), 0, 0, 0};
    const int size = setting("Size of exported bitmap", 0);
    if (DIBFileExportRect(map, fileName, &rect, size, exportType(), &params))
        return 1;
    const std::string reason = std::string("The image \"") + fileName + "\" could not be written.";
    if (exportType() == kExportBmp) {
        lastError = reason; // the engine has said so already
        return 0;
    }
    return fail(map, reason);
}

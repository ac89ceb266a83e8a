// "mpd5.cnv": the reader of map documents as a registered import converter
// ("MPD5") and as the native clipboard reader ("GormClipbImport").
#include "engine/kernel/kernel_types.h"
#include "engine/window/converters/converter_entries.h"
#include "modules/mpd5/map_merge.h"
#include "modules/raster_io/module_export.h"
#include "platform/file.h"
#include "platform/message_box.h"

#include <string>

namespace {

// Not thread-local: the module is unloaded after each call, and the leak
// checker cannot walk the thread-local block of an unloaded module.
std::string lastError;

int refuse(HWND map, const std::string &text)
{
    lastError = text;
    MessageBoxA(map, text.c_str(), "Gorm Import", MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

} // namespace

MODULE_EXPORT const char *GormConverterLastError() { return lastError.c_str(); }

// Merges the document file at its own coordinates.
MODULE_EXPORT int GormImport(HWND map, const char *fileName, int *shared, HWND /*sheet*/)
{
    lastError.clear();
    const std::string path = fileName ? fileName : "";
    File file;
    if (path.empty() || !file.Open(path, File::Mode::Read))
        return refuse(map, "The map document \"" + path + "\" cannot be opened.");
    std::string error;
    if (MergeMapStream(map, file, true, {0, 0}, &error) < 0)
        return refuse(map, "\"" + path + "\": " + error + " Nothing was imported.");
    if (shared)
        ++*shared;
    return 1;
}

MODULE_EXPORT int GormClipbImport(HWND map, FileStream *stream, int /*reserved*/, int atCopiedPlace,
                                  int32_t x, int32_t y)
{
    lastError.clear();
    if (!stream)
        return refuse(map, "There is no clipboard data to paste.");
    std::string error;
    if (MergeMapStream(map, *stream, atCopiedPlace != 0, {x, y}, &error) < 0)
        return refuse(map, error + " Nothing was pasted.");
    return 1;
}

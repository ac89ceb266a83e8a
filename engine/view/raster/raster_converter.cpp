// The engine's side of the raster converter modules: which module reads a
// format, loading it by full path from the modules folder, calling its
// GormRasterBody and checking what it hands back.
#include "engine/kernel/settings.h"
#include "engine/view/projection/projection_manager.h"
#include "engine/view/raster/raster_object.h"
#include "platform/global_memory.h"
#include "platform/module.h"

#include <QDir>

#include <cstring>
#include <limits>

namespace {

using RasterBodyProc = int (*)(const char *, HGLOBAL *, HGLOBAL *, RasterBodyParams *);
using LastErrorProc = const char *(*)();

thread_local std::string g_lastError;

int fail(const std::string &reason)
{
    g_lastError = reason;
    return 0;
}

// The module of a format that has no registry value.
const char *builtInModule(const std::string &format)
{
    static const char *const names[][2] = {{"TIFF", "tiff.cnv"}, {"JPG", "jpg.cnv"}, {"GIF", "gif.cnv"},
                                           {"PNG", "png.cnv"},   {"WMS", "wms.cnv"}, {"DIB", "dib.cnv"}};
    for (const auto &row : names)
        if (format == row[0])
            return row[1];
    return nullptr;
}

// A module is named by a plain file name: nothing of a folder, so that a
// document or a setting cannot make the engine load a library from
// anywhere else than the modules folder.
bool isPlainName(const std::string &name)
{
    return !name.empty() && name.find_first_of("/\\:") == std::string::npos && name != "." && name != "..";
}

// The third field of a "description,extension,module" value; empty when the
// value has fewer fields.
std::string moduleField(const std::string &value)
{
    size_t start = 0;
    for (int field = 0; field < 2; ++field) {
        const size_t at = value.find_first_of(",|;", start);
        if (at == std::string::npos)
            return {};
        start = at + 1;
    }
    const size_t end = value.find_first_of(",|;", start);
    std::string name = value.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t first = name.find_first_not_of(' ');
    const size_t last = name.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
}

// Why a header block (and the pixel block, when given) cannot be the image
// the header claims; empty when they can.
std::string checkBlocks(HGLOBAL header, HGLOBAL pixels)
{
    const size_t headerSize = GlobalSize(header);
    if (headerSize < 40)
        return "its picture header is cut short";
    const auto *h = static_cast<const char *>(GlobalLock(header));
    if (!h)
        return "its picture header cannot be read";
    const uint32_t size = LoadField<uint32_t>(h, 0);
    const int32_t width = LoadField<int32_t>(h, 4);
    const int32_t height = LoadField<int32_t>(h, 8);
    const uint16_t bits = LoadField<uint16_t>(h, 14);
    const uint32_t compression = LoadField<uint32_t>(h, 16);
    const uint32_t used = LoadField<uint32_t>(h, 32);
    GlobalUnlock(header);
    if (size != 40 || width <= 0 || height == 0 || height == INT32_MIN)
        return "its picture header is damaged";
    if (compression != 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
        return "its pixels are in a form the engine does not draw";
    const uint64_t colours = bits <= 8 ? (used ? used : (1u << bits)) : used;
    if (bits <= 8 && used > (1u << bits))
        return "its colour table is longer than its pixels allow";
    if (40 + 4 * colours > headerSize)
        return "its colour table is cut short";
    const uint64_t row = (uint64_t(width) * bits + 31) / 32 * 4;
    const uint64_t rows = uint64_t(height < 0 ? -int64_t(height) : height);
    if (pixels && GlobalSize(pixels) < row * rows)
        return "its pixels are fewer than its header says";
    return {};
}

} // namespace

RasterBodyParams RasterFreshParams()
{
    RasterBodyParams p{};
    for (int i = 3; i < 11; ++i)
        p.d[i] = std::numeric_limits<double>::max();
    return p;
}

std::string RasterModulesFolder() { return ProjectionModulesFolder(); }

std::string RasterConverterLastError() { return g_lastError; }

std::string RasterConverterPath(const char *format)
{
    if (!format || !*format) {
        fail("No raster format was named");
        return {};
    }
    std::string module;
    std::string value;
    const SettingsRegKey engineKey;
    if (SettingsStringGet(&engineKey, "Converters\\Imports", format, nullptr, 0, &value)) {
        module = moduleField(value);
        if (module.empty()) {
            fail(std::string("The converter setting of the format \"") + format + "\" names no module");
            return {};
        }
    } else if (const char *name = builtInModule(format)) {
        module = name;
    } else {
        fail(std::string("No converter reads the raster format \"") + format + "\"");
        return {};
    }
    return RasterModuleInFolder(module);
}

std::string RasterModuleInFolder(const std::string &module)
{
    if (!isPlainName(module)) {
        fail("The converter module \"" + module + "\" is not a plain file name");
        return {};
    }
    const std::string folder = RasterModulesFolder();
    const QDir dir(QString::fromLocal8Bit(folder.c_str()));
    const QString wanted = QString::fromLocal8Bit(module.c_str());
    for (const QString &entry : dir.entryList(QDir::Files)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder + entry.toLocal8Bit().toStdString();
    }
    fail("The converter module \"" + module + "\" is not in the modules folder");
    return {};
}

int RasterImportByConverter(const char *file, const char *format, HGLOBAL *header, HGLOBAL *pixels,
                            RasterBodyParams *params)
{
    g_lastError.clear();
    if (!file || !*file)
        return fail("No raster file was named");
    const std::string path = RasterConverterPath(format);
    if (path.empty())
        return 0;
    return RasterImportByModule(path, file, header, pixels, params);
}

int RasterImportByModule(const std::string &path, const char *file, HGLOBAL *header, HGLOBAL *pixels,
                         RasterBodyParams *params)
{
    g_lastError.clear();
    if (!file || !*file)
        return fail("No raster file was named");
    const HMODULE module = LoadLibraryA(path.c_str());
    if (!module)
        return fail("The converter module \"" + path + "\" cannot be loaded");
    const auto body = reinterpret_cast<RasterBodyProc>(GetProcAddress(module, "GormRasterBody"));
    if (!body) {
        FreeLibrary(module);
        return fail("The converter module \"" + path + "\" has no entry GormRasterBody");
    }
    const auto lastError = reinterpret_cast<LastErrorProc>(GetProcAddress(module, "GormConverterLastError"));
    HGLOBAL newHeader = 0, newPixels = 0;
    const int ok = body(file, header ? &newHeader : nullptr, pixels ? &newPixels : nullptr, params);
    std::string reason;
    if (!ok) {
        const char *text = lastError ? lastError() : nullptr;
        reason = text && *text ? text : std::string("The converter could not read \"") + file + "\"";
    }
    FreeLibrary(module);
    if (ok && ((header && !newHeader) || (pixels && !newPixels))) {
        reason = std::string("The converter gave no image or only part of it for \"") + file + "\"";
    } else if (ok && header) {
        if (const std::string bad = checkBlocks(newHeader, newPixels); !bad.empty())
            reason = std::string("The image \"") + file + "\" came back damaged: " + bad;
    }
    if (!reason.empty()) {
        for (const HGLOBAL block : {newHeader, newPixels})
            if (block)
                GlobalFree(block);
        return fail(reason);
    }
    if (header)
        *header = newHeader;
    if (pixels)
        *pixels = newPixels;
    return 1;
}

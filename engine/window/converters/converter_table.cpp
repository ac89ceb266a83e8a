#include "engine/window/converters/converter_table.h"

#include "engine/kernel/settings.h"
#include "engine/view/projection/projection_manager.h"
#include "engine/window/converters/converter_entries.h"
#include "platform/module.h"
#include "platform/registry.h"

#include <QDir>
#include <QString>

#include <algorithm>
#include <cctype>

namespace {

std::string keyOf(const char *subkey) { return std::string(GORM_REG_PATH) + "\\" + subkey; }

// A value's text whatever its length; empty when it is missing or not text.
std::string readText(HKEY key, const char *name)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    std::string text(size, '\0');
    if (size && RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(text.data()), &size) !=
                    ERROR_SUCCESS)
        return {};
    text.resize(std::min<size_t>(size, text.size()));
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

// Value number index: its name and text, the buffers grown until they fit.
bool enumValue(HKEY key, DWORD index, std::string *name, std::string *data, DWORD *type)
{
    std::vector<char> nameBuf(256);
    std::vector<BYTE> dataBuf(1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD nameLen = DWORD(nameBuf.size());
        DWORD dataLen = DWORD(dataBuf.size());
        const LONG r =
            RegEnumValueA(key, index, nameBuf.data(), &nameLen, nullptr, type, dataBuf.data(), &dataLen);
        if (r == ERROR_MORE_DATA) {
            nameBuf.resize(nameBuf.size() * 4);
            dataBuf.resize(std::max<size_t>(dataBuf.size() * 4, dataLen + 1));
            continue;
        }
        if (r != ERROR_SUCCESS)
            return false;
        name->assign(nameBuf.data(), std::min<size_t>(nameLen, nameBuf.size()));
        const auto *bytes = reinterpret_cast<const char *>(dataBuf.data());
        const size_t n = std::min<size_t>(dataLen, dataBuf.size());
        data->assign(bytes, std::find(bytes, bytes + n, '\0'));
        return true;
    }
    return false;
}

std::string trimmed(const std::string &s)
{
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct BuiltIn {
    ConverterKind kind;
    const char *name;
    const char *value;
    const char *module;
};

// The converters whose modules are built with the engine.
constexpr BuiltIn kBuiltIns[] = {
    {ConverterKind::Import, "MPD5", "Map documents (*.mpd),*.mpd,mpd5.cnv", "mpd5.cnv"},
    {ConverterKind::Import, "MIFF", "Interchange files (*.mif),*.mif,miff.cnv", "miff.cnv"},
    {ConverterKind::Export, "MIFF", "Interchange files (*.mif),*.mif,miff.cnv", "miff.cnv"},
    // Raster images, read through GormRasterBody (placing rasters, browsing).
    // The value's fields are split at "," "|" and ";": one pattern each.
    {ConverterKind::Import, "PNG", "PNG images (*.png),*.png,png.cnv", "png.cnv"},
    {ConverterKind::Import, "JPG", "JPEG images (*.jpg),*.jpg,jpg.cnv", "jpg.cnv"},
    {ConverterKind::Import, "TIFF", "TIFF images (*.tif),*.tif,tiff.cnv", "tiff.cnv"},
    {ConverterKind::Import, "GIF", "GIF images (*.gif),*.gif,gif.cnv", "gif.cnv"},
    {ConverterKind::Import, "DIB", "Bitmaps (*.bmp),*.bmp,dib.cnv", "dib.cnv"},
    // The image export converters, writing the map through the image export.
    {ConverterKind::Export, "DIB", "BMP files (*.bmp),*.bmp,dibexp.cnv", "dibexp.cnv"},
    {ConverterKind::Export, "TIFF", "TIFF files (*.tif),*.tif,tiffexp.cnv", "tiffexp.cnv"},
    {ConverterKind::Export, "PNG", "PNG files (*.png),*.png,pngexp.cnv", "pngexp.cnv"},
    {ConverterKind::Export, "JPG", "JPEG files (*.jpg),*.jpg,jpgexp.cnv", "jpgexp.cnv"},
};

} // namespace

const char *ConvertersKeyPath(ConverterKind kind)
{
    return kind == ConverterKind::Import ? "Converters\\Imports" : "Converters\\Exports";
}

const char *CurrentConverterValue(ConverterKind kind)
{
    return kind == ConverterKind::Import ? "Current Import" : "Current Export";
}

const char *ConverterMainEntry(ConverterKind kind)
{
    return kind == ConverterKind::Import ? kGormImportEntry : kGormExportEntry;
}

const char *ConverterOptionsEntry(ConverterKind kind)
{
    return kind == ConverterKind::Import ? kGormImportOptionsEntry : kGormExportOptionsEntry;
}

std::vector<std::string> SplitConverterValue(const std::string &data)
{
    std::vector<std::string> fields;
    std::string field;
    for (char c : data) {
        if (c == ',' || c == '|' || c == ';') {
            fields.push_back(trimmed(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(trimmed(field));
    return fields;
}

bool IsPlainModuleName(const std::string &name)
{
    return !name.empty() && name.find_first_of("/\\") == std::string::npos && name != "." && name != "..";
}

std::string ResolveConverterModule(const std::string &name)
{
    if (!IsPlainModuleName(name))
        return {};
    // The engine keeps all its modules in one folder.
    const std::string folder = ProjectionModulesFolder();
    if (folder.empty())
        return {};
    const QString wanted = QString::fromLocal8Bit(name.c_str());
    const QDir dir(QString::fromLocal8Bit(folder.c_str()));
    for (const QString &file : dir.entryList(QDir::Files | QDir::Readable, QDir::Name))
        if (file.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder + file.toLocal8Bit().toStdString();
    return {};
}

void RegisterBuiltInConverters()
{
    for (const BuiltIn &b : kBuiltIns) {
        if (ResolveConverterModule(b.module).empty())
            continue;
        HKEY key = 0;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, keyOf(ConvertersKeyPath(b.kind)).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            continue;
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, b.name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            RegSetValueExA(key, b.name, 0, REG_SZ, reinterpret_cast<const BYTE *>(b.value),
                           DWORD(std::char_traits<char>::length(b.value) + 1));
        RegCloseKey(key);
    }
}

bool BuildConverterTable(ConverterKind kind, ConverterTable *table, const char *entryPoint)
{
    const char *wanted = entryPoint ? entryPoint : ConverterMainEntry(kind);
    table->entries.clear();
    table->current = 0;
    RegisterBuiltInConverters();
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyOf(ConvertersKeyPath(kind)).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    std::string current;
    if (HKEY parent = 0; RegOpenKeyExA(HKEY_CURRENT_USER, keyOf("Converters").c_str(), 0, KEY_READ,
                                       &parent) == ERROR_SUCCESS) {
        current = readText(parent, CurrentConverterValue(kind));
        RegCloseKey(parent);
    }
    std::string name, data;
    DWORD type = 0;
    for (DWORD i = 0; enumValue(key, i, &name, &data, &type); ++i) {
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            continue;
        const std::vector<std::string> fields = SplitConverterValue(data);
        if (fields.size() < 3 || name.empty() || name.size() > kMaxConverterNameLength)
            continue;
        ConverterEntry entry{name, fields[0], fields[1], fields[2], ResolveConverterModule(fields[2]), false};
        if (entry.modulePath.empty())
            continue;
        const HMODULE module = LoadLibraryA(entry.modulePath.c_str());
        if (!module)
            continue;
        const bool hasMain = GetProcAddress(module, wanted) != nullptr;
        entry.hasOptions = GetProcAddress(module, ConverterOptionsEntry(kind)) != nullptr;
        FreeLibrary(module);
        if (!hasMain)
            continue;
        if (entry.name == current)
            table->current = table->entries.size();
        table->entries.push_back(std::move(entry));
    }
    RegCloseKey(key);
    return true;
}

std::string ConverterFilterText(const ConverterTable &table)
{
    std::string text;
    for (const ConverterEntry &e : table.entries)
        text += e.description + "|" + e.pattern + "|";
    return text + "|";
}

int FindConverterEntry(const ConverterTable &table, const std::string &name)
{
    for (size_t i = 0; i < table.entries.size(); ++i)
        if (upper(table.entries[i].name) == name)
            return int(i);
    return -1;
}

void StoreCurrentConverter(ConverterKind kind, const std::string &name)
{
    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyOf("Converters").c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, CurrentConverterValue(kind), 0, REG_SZ, reinterpret_cast<const BYTE *>(name.c_str()),
                   DWORD(name.size() + 1));
    RegCloseKey(key);
}

#include "engine/kernel/settings.h"

#include "platform/module.h"
#include "platform/profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// The engine path with a subkey after one backslash; empty when the whole
// path would not fit its 128-character limit (the subkey is refused rather
// than cut, which would name another key).
std::string enginePath(const char *subkey)
{
    std::string path = GORM_REG_PATH;
    if (subkey && *subkey) {
        path += '\\';
        path += subkey;
    }
    return path.size() < GORM_REG_PATH_MAX ? path : std::string();
}

// Keys are closed on every path out.
struct Key {
    HKEY h = 0;
    ~Key()
    {
        if (h)
            RegCloseKey(h);
    }
};

bool openKey(HKEY root, const std::string &path, Key &key)
{
    return !path.empty() && RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key.h) == ERROR_SUCCESS;
}

bool createKey(HKEY root, const std::string &path, Key &key)
{
    return !path.empty() && RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            KEY_ALL_ACCESS, nullptr, &key.h, nullptr) == ERROR_SUCCESS;
}

int setValue(const char *subkey, const char *name, DWORD type, const void *data, DWORD length)
{
    Key key;
    if (!createKey(HKEY_CURRENT_USER, enginePath(subkey), key))
        return 0;
    return RegSetValueExA(key.h, name, 0, type, static_cast<const BYTE *>(data), length) == ERROR_SUCCESS;
}

// A value's type and bytes, read whole from an open key.
struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

std::optional<Value> readValue(HKEY key, const char *name)
{
    Value v;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    v.bytes.resize(size);
    if (size && RegQueryValueExA(key, name, nullptr, &v.type, v.bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    v.bytes.resize(size);
    return v;
}

// The same from a subkey of the engine key, opened without creating it.
std::optional<Value> readEngineValue(const char *subkey, const char *name)
{
    Key key;
    if (!openKey(HKEY_CURRENT_USER, enginePath(subkey), key))
        return std::nullopt;
    return readValue(key.h, name);
}

// The same from a section of a settings key, created when missing.
std::optional<Value> readSettingsValue(const SettingsRegKey &settings, const char *section, const char *name)
{
    Key key;
    if (!createKey(settings.root, settings.path + "\\" + (section ? section : ""), key))
        return std::nullopt;
    return readValue(key.h, name);
}

// Up to n bytes of a value into a variable; bytes past the value stay zero.
template <typename T>
T fromBytes(const std::vector<BYTE> &bytes)
{
    T v{};
    std::memcpy(&v, bytes.data(), std::min(bytes.size(), sizeof v));
    return v;
}

// Copies a text (ended by its first zero or by its bytes) into a buffer of
// the given size, cut to fit with a terminator.
void copyText(const std::vector<BYTE> &bytes, size_t limit, char *out, size_t outSize)
{
    size_t n = 0;
    while (n < bytes.size() && n < limit && bytes[n])
        ++n;
    n = std::min(n, outSize - 1);
    std::memcpy(out, bytes.data(), n);
    out[n] = 0;
}

} // namespace

int m_RegValueSet(const char *subkey, const char *name, const char *text)
{
    if (!text)
        return 0;
    return setValue(subkey, name, REG_SZ, text, DWORD(std::strlen(text) + 1));
}

int m_RegValueSet(const char *subkey, const char *name, double value)
{
    return setValue(subkey, name, REG_BINARY, &value, sizeof value);
}

int m_RegValueSet(const char *subkey, const char *name, int value)
{
    const uint32_t v = uint32_t(value);
    return setValue(subkey, name, REG_DWORD, &v, sizeof v);
}

int m_RegValueSet(const char *subkey, const char *name, const void *bytes, DWORD length)
{
    if (!bytes && length)
        return 0;
    return setValue(subkey, name, REG_NONE, bytes, length);
}

int m_RegValueGet(const char *subkey, const char *name, char *buffer, DWORD bufferSize)
{
    if (!buffer || bufferSize == 0)
        return 0;
    const std::optional<Value> v = readEngineValue(subkey, name);
    if (!v || v->type != REG_SZ || v->bytes.size() > bufferSize)
        return 0;
    // A stored text need not end with a zero: end it here.
    copyText(v->bytes, v->bytes.size(), buffer, bufferSize);
    return 1;
}

int m_RegValueGet(const char *subkey, const char *name, double *value)
{
    if (!value)
        return 0;
    const std::optional<Value> v = readEngineValue(subkey, name);
    if (!v)
        return 0;
    if (v->type == REG_DWORD) {
        *value = double(fromBytes<uint32_t>(v->bytes));
        return 1;
    }
    if (v->type != REG_BINARY)
        return 0;
    // Only the first 8 bytes of a longer value make the double.
    *value = fromBytes<double>(v->bytes);
    return 1;
}

int m_RegValueGet(const char *subkey, const char *name, int *value)
{
    if (!value)
        return 0;
    const std::optional<Value> v = readEngineValue(subkey, name);
    if (!v)
        return 0;
    if (v->type == REG_DWORD) {
        *value = int(fromBytes<uint32_t>(v->bytes));
        return 1;
    }
    if (v->type != REG_BINARY)
        return 0;
    // Out-of-range doubles saturate rather than overflow the conversion.
    const double d = fromBytes<double>(v->bytes);
    if (!(d > -2147483649.0 && d < 2147483648.0))
        *value = d > 0 ? INT32_MAX : INT32_MIN;
    else
        *value = int(d);
    return 1;
}

int m_RegValueGet(const char *subkey, const char *name, void *buffer, DWORD bufferSize, int)
{
    if (!buffer)
        return 0;
    const std::optional<Value> v = readEngineValue(subkey, name);
    if (!v || v->bytes.size() > bufferSize)
        return 0;
    std::memcpy(buffer, v->bytes.data(), v->bytes.size());
    return 1;
}

int RegStringGet(const char *subkey, const char *name, char *out, DWORD outSize)
{
    if (!out || outSize == 0)
        return 0;
    const std::optional<Value> v = readEngineValue(subkey, name);
    if (!v)
        return 0;
    copyText(v->bytes, 260, out, outSize);
    return 1;
}

bool RegStringSet(const char *subkey, const char *name, const char *text)
{
    if (!text)
        return false;
    return setValue(subkey, name, REG_SZ, text, DWORD(std::strlen(text))) != 0;
}

int RegKeyGet(const char *subkey, DWORD index, char *out, DWORD outSize)
{
    if (!out || outSize == 0)
        return 0;
    Key key;
    if (!openKey(HKEY_CURRENT_USER, enginePath(subkey), key))
        return 0;
    char name[257];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key.h, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    const size_t n = std::min<size_t>({size_t(length), size_t(256), size_t(outSize - 1)});
    std::memcpy(out, name, n);
    out[n] = 0;
    return 1;
}

int RegKeyDel(const char *subkey, const char *name)
{
    if (!name || !*name)
        return 0;
    Key key;
    if (!openKey(HKEY_CURRENT_USER, enginePath(subkey), key))
        return 0;
    return RegDeleteKeyA(key.h, name) == ERROR_SUCCESS;
}

int SettingsRegKey::GetValue(const char *section, const char *name, void *value, int isDouble) const
{
    if (!value)
        return 0;
    const std::optional<Value> v = readSettingsValue(*this, section, name);
    if (!v || v->type != (isDouble ? REG_BINARY : REG_DWORD))
        return 0;
    // A value of the right type but another size is read only as far as the
    // variable goes.
    if (isDouble) {
        const double d = fromBytes<double>(v->bytes);
        std::memcpy(value, &d, sizeof d);
    } else {
        const uint32_t d = fromBytes<uint32_t>(v->bytes);
        std::memcpy(value, &d, sizeof d);
    }
    return 1;
}

int SettingsRegKey::SetValue(const char *section, const char *name, const void *value, int isDouble) const
{
    if (!value)
        return 0;
    Key key;
    if (!createKey(root, path + "\\" + (section ? section : ""), key))
        return 0;
    return RegSetValueExA(key.h, name, 0, isDouble ? REG_BINARY : REG_DWORD, static_cast<const BYTE *>(value),
                          isDouble ? 8 : 4) == ERROR_SUCCESS;
}

int SettingsStringGet(const SettingsRegKey *settings, const char *section, const char *name, char *buffer,
                      DWORD bufferSize, std::string *out)
{
    if (!settings)
        return 0;
    const std::optional<Value> v = readSettingsValue(*settings, section, name);
    if (!v || v->type != REG_SZ)
        return 0;
    if (out) {
        size_t n = 0;
        while (n < v->bytes.size() && v->bytes[n])
            ++n;
        out->assign(reinterpret_cast<const char *>(v->bytes.data()), n);
        return 1;
    }
    if (!buffer || bufferSize == 0 || v->bytes.size() > bufferSize)
        return 0;
    copyText(v->bytes, v->bytes.size(), buffer, bufferSize);
    return 1;
}

int SettingsStringSet(const SettingsRegKey *settings, const char *section, const char *name,
                      const std::string &text)
{
    if (!settings || !name)
        return 0;
    Key key;
    if (!createKey(settings->root, settings->path + "\\" + (section ? section : ""), key))
        return 0;
    return RegSetValueExA(key.h, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                          DWORD(text.size() + 1)) == ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------
// Profiles

namespace {

HMODULE &gormModule()
{
    static HMODULE module = 0;
    return module;
}

struct ModuleName {
    std::string folder; // with a trailing '/', may be empty
    std::string stem;   // file name without extension
};

ModuleName moduleName(HMODULE module)
{
    char path[4096];
    DWORD n = GetModuleFileNameA(module, path, sizeof path);
    std::string p(path, n);
    while (!p.empty() && !std::isprint(static_cast<unsigned char>(p.back())))
        p.pop_back();
    const size_t slash = p.find_last_of("/\\");
    ModuleName m;
    m.folder = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
    m.stem = slash == std::string::npos ? p : p.substr(slash + 1);
    if (const size_t dot = m.stem.rfind('.'); dot != std::string::npos)
        m.stem.resize(dot);
    return m;
}

// The module INI files of the second level, in letter order.
std::vector<std::string> moduleCandidates(HMODULE module, const char *letters)
{
    std::vector<std::string> out;
    const ModuleName m = moduleName(module);
    if (m.stem.empty())
        return out;
    for (const char *l = letters; l && *l; ++l) {
        switch (*l) {
        case 'A':
            out.push_back(m.folder + m.stem + ".INI");
            break;
        case 'C':
            out.push_back("./" + m.stem + ".INI");
            break;
        case 'W':
            out.push_back(ProfilePath((m.stem + ".INI").c_str()));
            break;
        default:
            break;
        }
    }
    return out;
}

std::string readProfile(const std::string &file, const char *section, const char *key)
{
    char buf[4096];
    const DWORD n = GetPrivateProfileStringA(section, key, "", buf, sizeof buf, file.c_str());
    return std::string(buf, n);
}

// Every source the letters name, in order, as profile file paths. M expands
// to the module candidates of the whole letter text.
std::vector<std::string> firstLevelSources(HMODULE module, const char *file, const char *letters)
{
    std::vector<std::string> out;
    for (const char *l = letters; l && *l; ++l) {
        switch (*l) {
        case 'D':
            if (file && *file)
                out.push_back(ProfilePath(file));
            break;
        case 'G':
            out.push_back(ProfilePath("WIN.INI"));
            break;
        case 'M':
            for (std::string &c : moduleCandidates(module, letters))
                out.push_back(std::move(c));
            break;
        default:
            break; // T (the task's module) is never available
        }
    }
    return out;
}

} // namespace

HMODULE GormModule() { return gormModule(); }

void SetGormModule(HMODULE module) { gormModule() = module; }

int GetOwnProfileString(const char *section, const char *key, const char *defaultValue, char *buffer,
                        DWORD bufferSize, HMODULE module, const char *file, const char *letters)
{
    if (!buffer || bufferSize == 0)
        return 0;
    for (const std::string &source : firstLevelSources(module, file, letters)) {
        const std::string text = readProfile(source, section, key);
        if (!text.empty()) {
            const size_t n = std::min<size_t>(text.size(), bufferSize - 1);
            std::memcpy(buffer, text.data(), n);
            buffer[n] = 0;
            return int(n);
        }
    }
    buffer[0] = 0;
    if (!defaultValue)
        return 0;
    const size_t n = std::min<size_t>(std::strlen(defaultValue), bufferSize - 1);
    std::memcpy(buffer, defaultValue, n);
    buffer[n] = 0;
    return int(n);
}

int GetOwnProfileInt(const char *section, const char *key, int defaultValue, HMODULE module, const char *file,
                     const char *letters)
{
    char text[129];
    if (GetOwnProfileString(section, key, "", text, sizeof text, module, file, letters) == 0)
        return defaultValue;
    return std::atoi(text);
}

int WriteOwnProfileString(const char *section, const char *key, const char *value, HMODULE module,
                          const char *file, const char *letters, const char *secondLetters)
{
    std::string last;
    auto hasSection = [](const std::string &source, const char *sect) {
        return !readProfile(source, sect, nullptr).empty();
    };
    for (const std::string &source : firstLevelSources(module, file, letters)) {
        last = source;
        if (hasSection(source, section))
            return WritePrivateProfileStringA(section, key, value, last.c_str());
    }
    for (const char *l = secondLetters; l && *l; ++l) {
        const char one[2] = {*l, 0};
        // Second walk: module candidates are only remembered; a D or G file
        // counts when it has any section at all.
        const bool isModule = *l == 'M' || *l == 'A' || *l == 'C' || *l == 'W';
        const std::vector<std::string> sources =
            isModule ? moduleCandidates(module, one) : firstLevelSources(module, file, one);
        for (const std::string &source : sources) {
            last = source;
            if (!isModule && hasSection(source, nullptr))
                return WritePrivateProfileStringA(section, key, value, last.c_str());
        }
    }
    if (last.empty())
        return 0;
    return WritePrivateProfileStringA(section, key, value, last.c_str());
}

namespace {

int writeGorm(const char *section, const char *key, const std::string &value)
{
    return WriteOwnProfileString(section, key, value.c_str(), GormModule(), nullptr, "CWATMD", "AT") ? 1 : 0;
}

template <typename T>
T readAt(const void *p, size_t offset)
{
    T v;
    std::memcpy(&v, static_cast<const char *>(p) + offset, sizeof v);
    return v;
}

std::string format(const char *fmt, auto... args)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

// A text field of a record, cut at its size when it lacks a terminator.
std::string textAt(const void *p, size_t maxLength)
{
    const char *s = static_cast<const char *>(p);
    return std::string(s, strnlen(s, maxLength));
}

} // namespace

int WriteGormIni(uint16_t code, const void *pointer)
{
    const auto value = int32_t(reinterpret_cast<intptr_t>(pointer));
    switch (code) {
    case 8:
        return writeGorm("GORM", "DisplayOptions", format("%ld", long(value)));
    case 9:
        return writeGorm("GORM", "CursorChange", format("%d", value));
    case 11:
        return writeGorm("GORM", "SelectionRange", format("%d", value));
    case 12:
        return writeGorm("GORM", "FractionDigitsNo", format("%d", value));
    case 13:
        return writeGorm("GORM", "MinimizeOnUse", format("%d", value));
    default:
        break;
    }
    if (!pointer)
        return 0;
    switch (code) {
    case 1:
        return writeGorm("GORM", "DefaultFont", textAt(pointer, 4096));
    case 2:
    case 3:
        return writeGorm("GORM", "GormProjection",
                         textAt(pointer, 64) + format(",%ld", long(readAt<int32_t>(pointer, 64))));
    case 5:
        return writeGorm("GORM", "Legend",
                         format("%ld,%ld,%ld,%ld", long(readAt<int32_t>(pointer, 0)),
                                long(readAt<int32_t>(pointer, 4)), long(readAt<int32_t>(pointer, 8)),
                                long(readAt<int32_t>(pointer, 12))));
    case 6:
        return writeGorm("GORM", "GISPath", textAt(pointer, 4096));
    case 7:
        return writeGorm("GORM2", "ImportOptions", format("%d", readAt<int32_t>(pointer, 0)));
    case 10: {
        static constexpr const char *kKeys[] = {"TOOLBOX",   "UNION",   "INTERSECTION", "COMPLIMENT",
                                                "POLY_JOIN", "GISInfo", "RecentFiles",  "RecentfilesNum"};
        int ok = 1;
        for (size_t i = 0; i < std::size(kKeys); ++i) {
            const char c[2] = {char('0' + uint8_t(readAt<int32_t>(pointer, i * 4))), 0};
            ok &= writeGorm("GORM", kKeys[i], c);
        }
        return ok;
    }
    case 19:
        return writeGorm("GORM2", "ScaleFact", format("%.3f", readAt<double>(pointer, 0)));
    case 20:
        return writeGorm("GORM2", "Units", format("%lu", (unsigned long)readAt<uint32_t>(pointer, 0)));
    case 21:
        return writeGorm("GORM APPLICATION", "Window",
                         format("%d,%d,%d,%d", readAt<int32_t>(pointer, 0), readAt<int32_t>(pointer, 4),
                                readAt<int32_t>(pointer, 8), readAt<int32_t>(pointer, 12)));
    case 22:
        return writeGorm("GORM APPLICATION", "Maximized", readAt<int32_t>(pointer, 0) ? "1" : "0");
    case 23: {
        static constexpr const char *kKeys[] = {"ImportOffsetX", "ImportOffsetY", "ImportOffsetZ"};
        int ok = 1;
        for (size_t i = 0; i < 3; ++i)
            ok &= writeGorm("GORM", kKeys[i], format("%ld", long(readAt<int32_t>(pointer, i * 4))));
        return ok;
    }
    case 24: {
        // %.2f of a huge double would be hundreds of characters: the buffer
        // of format() bounds it.
        return writeGorm("GORM", "ReducingThreshold", format("%.2f", readAt<double>(pointer, 0)));
    }
    case 25:
        return writeGorm("GORM", "ReducingMethod", textAt(pointer, 4096));
    default:
        return 0;
    }
}

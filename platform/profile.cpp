#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

namespace {

struct Entry {
    std::string key;
    std::string value;
};

struct Section {
    std::string name;
    std::vector<Entry> entries;
};

using Profile = std::vector<Section>;

// The regional conventions that WIN.INI's [intl] section answers when the
// file does not set them.
constexpr std::pair<const char *, const char *> kIntlDefaults[] = {
    {"iDigits", "2"},   {"iCurrDigits", "2"}, {"sDecimal", "."},  {"sThousand", " "},
    {"sDate", "/"},     {"sTime", ":"},       {"iLzero", "1"},    {"sList", ";"},
    {"iCurrency", "1"}, {"iNegCurr", "5"},    {"sCurrency", "$"},
};

std::mutex &profileMutex()
{
    static std::mutex m;
    return m;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
               return lower(x) == lower(y);
           });
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

Profile parse(const QByteArray &bytes)
{
    Profile p;
    const std::string_view all(bytes.constData(), size_t(bytes.size()));
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string_view::npos)
            end = all.size();
        std::string_view line = trim(all.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            p.push_back(Section{std::string(trim(line.substr(
                                    1, close == std::string_view::npos ? line.size() - 1 : close - 1))),
                                {}});
            continue;
        }
        if (p.empty())
            continue; // lines before the first section belong to none
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            p.back().entries.push_back(Entry{std::string(line), {}});
        else
            p.back().entries.push_back(
                Entry{std::string(trim(line.substr(0, eq))), std::string(trim(line.substr(eq + 1)))});
    }
    return p;
}

QByteArray serialise(const Profile &p)
{
    QByteArray out;
    for (const Section &s : p) {
        out += '[';
        out += QByteArray::fromStdString(s.name);
        out += "]\n";
        for (const Entry &e : s.entries) {
            out += QByteArray::fromStdString(e.key);
            out += '=';
            out += QByteArray::fromStdString(e.value);
            out += '\n';
        }
    }
    return out;
}

bool isWinIni(const std::string &path)
{
    return equalNoCase(QFileInfo(QString::fromStdString(path)).fileName().toStdString(), "WIN.INI");
}

Profile load(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    Profile p;
    if (f.open(QIODevice::ReadOnly))
        p = parse(f.readAll());
    return p;
}

bool save(const std::string &path, const Profile &p)
{
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QSaveFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(serialise(p));
    return f.commit();
}

Section *findSection(Profile &p, std::string_view name)
{
    for (Section &s : p)
        if (equalNoCase(s.name, name))
            return &s;
    return nullptr;
}

std::optional<std::string> lookup(Profile &p, const std::string &path, std::string_view section,
                                  std::string_view key)
{
    if (Section *s = findSection(p, section))
        for (const Entry &e : s->entries)
            if (equalNoCase(e.key, key))
                return e.value;
    if (isWinIni(path) && equalNoCase(section, "intl"))
        for (auto [k, v] : kIntlDefaults)
            if (equalNoCase(k, key))
                return std::string(v);
    return std::nullopt;
}

std::string unquote(std::string v)
{
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        return v.substr(1, v.size() - 2);
    return v;
}

// Copies a text into the caller's buffer with Windows' truncation rules.
DWORD copyText(const std::string &text, char *buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    const size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return DWORD(n);
}

// Copies a list of names, each ended by a zero, plus a final zero.
DWORD copyList(const std::vector<std::string> &names, char *buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    if (size == 1) {
        buffer[0] = 0;
        return 0;
    }
    size_t used = 0;
    for (const std::string &n : names) {
        if (used + n.size() + 1 > size - 1) {
            // Truncated: the list ends with two zeros at the end of the buffer.
            const size_t room = size - 1 - used;
            if (room > 0) {
                std::memcpy(buffer + used, n.data(), room - 1);
                buffer[used + room - 1] = 0;
            }
            buffer[size - 2] = 0;
            buffer[size - 1] = 0;
            return size - 2;
        }
        std::memcpy(buffer + used, n.data(), n.size());
        used += n.size();
        buffer[used++] = 0;
    }
    buffer[used] = 0;
    return DWORD(used);
}

} // namespace

std::string ProfileFolder()
{
    if (const char *dir = std::getenv("MAP_PROFILE_DIR"); dir && *dir)
        return dir;
    return (QDir::homePath() + QStringLiteral("/.config/krt")).toStdString();
}

std::string ProfilePath(const char *fileName)
{
    const QString name = QString::fromLocal8Bit(fileName ? fileName : "WIN.INI");
    if (name.contains(QLatin1Char('/')))
        return name.toStdString();
    return (QString::fromStdString(ProfileFolder()) + QLatin1Char('/') + name).toStdString();
}

DWORD GetPrivateProfileStringA(const char *section, const char *key, const char *defaultValue, char *buffer,
                               DWORD size, const char *fileName)
{
    const std::string path = ProfilePath(fileName);
    std::lock_guard lock(profileMutex());
    Profile p = load(path);
    if (!section) {
        std::vector<std::string> names;
        for (const Section &s : p)
            names.push_back(s.name);
        return copyList(names, buffer, size);
    }
    if (!key) {
        std::vector<std::string> names;
        if (Section *s = findSection(p, section))
            for (const Entry &e : s->entries)
                names.push_back(e.key);
        return copyList(names, buffer, size);
    }
    std::optional<std::string> v = lookup(p, path, section, key);
    return copyText(v ? unquote(*v) : std::string(trim(defaultValue ? defaultValue : "")), buffer, size);
}

UINT GetPrivateProfileIntA(const char *section, const char *key, int defaultValue, const char *fileName)
{
    if (!section || !key)
        return UINT(defaultValue);
    char text[128];
    if (GetPrivateProfileStringA(section, key, "", text, sizeof text, fileName) == 0)
        return UINT(defaultValue);
    return UINT(std::atoi(text));
}

BOOL WritePrivateProfileStringA(const char *section, const char *key, const char *value, const char *fileName)
{
    if (!section)
        return FALSE;
    const std::string path = ProfilePath(fileName);
    std::lock_guard lock(profileMutex());
    Profile p = load(path);
    Section *s = findSection(p, section);
    if (!key) {
        if (s)
            p.erase(p.begin() + (s - p.data()));
        return save(path, p) ? TRUE : FALSE;
    }
    if (!s) {
        if (!value)
            return TRUE;
        p.push_back(Section{section, {}});
        s = &p.back();
    }
    auto it = std::find_if(s->entries.begin(), s->entries.end(),
                           [key](const Entry &e) { return equalNoCase(e.key, key); });
    if (!value) {
        if (it != s->entries.end())
            s->entries.erase(it);
    } else {
        // A line break inside a value would split it into lines of its own
        // on the next read.
        std::string v = value;
        std::replace_if(
            v.begin(), v.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        if (it != s->entries.end())
            it->value = v;
        else
            s->entries.push_back(Entry{key, v});
    }
    return save(path, p) ? TRUE : FALSE;
}

DWORD GetProfileStringA(const char *section, const char *key, const char *defaultValue, char *buffer,
                        DWORD size)
{
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, "WIN.INI");
}

UINT GetProfileIntA(const char *section, const char *key, int defaultValue)
{
    return GetPrivateProfileIntA(section, key, defaultValue, "WIN.INI");
}

BOOL WriteProfileStringA(const char *section, const char *key, const char *value)
{
    return WritePrivateProfileStringA(section, key, value, "WIN.INI");
}

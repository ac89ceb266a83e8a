#include "engine/window/layer_table.h"

#include "platform/global_memory.h"
#include "platform/module.h"

#include <QCoreApplication>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kFirstRecords = 400, kGrowRecords = 100;
constexpr size_t kLineChunk = 255; // a longer line is read as several lines

using File = std::unique_ptr<FILE, int (*)(FILE *)>;

File openFile(const std::string &path) { return File(std::fopen(path.c_str(), "r"), std::fclose); }

std::vector<std::string> searchFolders()
{
    std::vector<std::string> folders;
    if (QCoreApplication::instance())
        folders.push_back(QCoreApplication::applicationDirPath().toStdString());
    folders.push_back(ModuleFolderOf(reinterpret_cast<const void *>(&ReadKMSIni)));
    if (const char *path = std::getenv("PATH")) {
        std::string all = path;
        size_t at = 0;
        while (at <= all.size()) {
            const size_t end = std::min(all.find(':', at), all.size());
            if (end > at) // an empty element would be the current folder
                folders.push_back(all.substr(at, end - at));
            at = end + 1;
        }
    }
    return folders;
}

File searchFile(const std::string &name)
{
    if (name.empty())
        return File(nullptr, std::fclose);
    for (const std::string &folder : searchFolders()) {
        if (folder.empty() || folder[0] != '/')
            continue;
        if (File f = openFile(folder + '/' + name))
            return f;
    }
    return File(nullptr, std::fclose);
}

File findTable(const char *fileName)
{
    const std::string name = fileName;
    const bool hasFolder = name.find_first_of("/\\") != std::string::npos;
    if (!hasFolder)
        return searchFile(name);
    if (name[0] == '/')
        if (File f = openFile(name))
            return f;
    return searchFile(name.substr(name.find_last_of("/\\") + 1));
}

// Reads up to kLineChunk characters of a line (without its end); false at the
// end of the file.
bool readLine(FILE *f, std::string &line)
{
    line.clear();
    int c;
    while (line.size() < kLineChunk && (c = std::fgetc(f)) != EOF) {
        if (c == '\n')
            return true;
        line.push_back(char(c));
    }
    // A read error (a folder opened as a file) ends the file as well.
    return !line.empty() || (!std::feof(f) && !std::ferror(f));
}

// The eleven fields of an entry line, each starting after blanks and tabs
// and ending at ';' or the line's end; false when a field other than the
// last does not end with ';'.
bool splitFields(const std::string &line, std::string fields[11])
{
    size_t at = 0;
    for (int i = 0; i < 11; ++i) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
        const size_t end = line.find_first_of(std::string(";\r\n\0", 4), at);
        fields[i] = line.substr(at, (end == std::string::npos ? line.size() : end) - at);
        const bool semicolon = end != std::string::npos && line[end] == ';';
        if (i < 10 && !semicolon)
            return false;
        at = end == std::string::npos ? line.size() : end + 1;
    }
    return true;
}

// Copies at most size - 1 characters and removes trailing non-graphic ones.
void copyName(char *to, size_t size, const std::string &from)
{
    std::string s = from.substr(0, size - 1);
    while (!s.empty() && !std::isgraph(static_cast<unsigned char>(s.back())))
        s.pop_back();
    std::memset(to, 0, size);
    std::memcpy(to, s.data(), s.size());
}

int32_t parseColour(const std::string &field)
{
    if (std::atoi(field.c_str()) == -1)
        return -1;
    std::string s = field;
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    if (s.size() != 6)
        return -1;
    uint32_t rgb[3];
    for (int i = 0; i < 3; ++i) {
        char pair[3] = {s[size_t(2 * i)], s[size_t(2 * i + 1)], 0};
        char *end = nullptr;
        rgb[i] = uint32_t(std::strtoul(pair, &end, 16));
        if (end != pair + 2)
            return -1;
    }
    return int32_t(rgb[0] | rgb[1] << 8 | rgb[2] << 16);
}

bool parseEntry(const std::string &line, KMSIniEntry &e)
{
    std::string f[11];
    if (!splitFields(line, f))
        return false;
    e = KMSIniEntry{};
    e.number = std::atoi(f[0].c_str());
    if (e.number == 0)
        return false;
    copyName(e.shortName, sizeof e.shortName, f[1]);
    copyName(e.longName, sizeof e.longName, f[2]);
    e.colour = parseColour(f[3]);
    e.value1 = std::atoi(f[4].c_str());
    e.value2 = int32_t(std::atol(f[5].c_str())); // stored in 32 bits
    e.kind = (f[6] == "P" || f[6] == "p") ? 0 : 1;
    e.colour2 = parseColour(f[7]);
    e.code[0] = f[8].empty() ? 0 : f[8][0];
    e.value3 = std::atoi(f[9].c_str());
    copyName(e.text, sizeof e.text, f[10]);
    e.used = 0;
    return true;
}

} // namespace

HGLOBAL ReadKMSIni(const char *fileName, unsigned *count)
{
    if (!fileName || !count)
        return 0;
    File f = findTable(fileName);
    if (!f)
        return 0;
    std::string line;
    bool section = false;
    while (!section && readLine(f.get(), line))
        section = line.compare(0, 8, "[Layers]") == 0;
    if (!section)
        return 0;
    size_t capacity = kFirstRecords, used = 0;
    HGLOBAL block = GlobalAlloc(GHND, capacity * sizeof(KMSIniEntry));
    if (!block)
        return 0;
    KMSIniEntry entry;
    while (readLine(f.get(), line)) {
        if (!parseEntry(line, entry))
            continue;
        if (used == capacity) {
            const HGLOBAL grown = GlobalReAlloc(block, (capacity + kGrowRecords) * sizeof(KMSIniEntry), GHND);
            if (!grown) {
                GlobalFree(block);
                return 0;
            }
            block = grown;
            capacity += kGrowRecords;
        }
        auto *records = static_cast<KMSIniEntry *>(GlobalLock(block));
        records[used++] = entry;
        GlobalUnlock(block);
    }
    *count = unsigned(used);
    return block;
}

int FindKMSEntry(unsigned number, KMSIniEntry *table, KMSIniEntry *out, unsigned count, int mark)
{
    if (!table || !count || !out)
        return 0;
    for (unsigned i = 0; i < count; ++i)
        if (unsigned(table[i].number) == number) {
            *out = table[i];
            if (mark)
                table[i].used = 1;
            return 1;
        }
    return 0;
}

KMSIniEntry *FindKMSEntryShort2(const char *shortName, KMSIniEntry *table, unsigned count, int mark)
{
    if (!shortName || !*shortName || !table || !count)
        return nullptr;
    for (unsigned i = 0; i < count; ++i)
        if (std::strncmp(table[i].shortName, shortName, sizeof table[i].shortName) == 0 &&
            std::strlen(shortName) < sizeof table[i].shortName) {
            if (mark)
                table[i].used = 1;
            return &table[i];
        }
    return nullptr;
}

int FindKMSEntryShort(const char *shortName, KMSIniEntry *table, KMSIniEntry *out, unsigned count, int mark)
{
    if (!out)
        return 0;
    KMSIniEntry *found = FindKMSEntryShort2(shortName, table, count, 0);
    if (!found)
        return 0;
    *out = *found;
    if (mark)
        found->used = 1;
    return 1;
}

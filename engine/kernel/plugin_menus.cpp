#include "engine/kernel/plugin_menus.h"

#include "engine/kernel/settings.h"
#include "platform/module.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

struct PlugIn {
    HMODULE library;
    PlugInCommandProc command;
    uint16_t firstId;
    uint16_t lastId;
};

struct Table {
    std::array<PlugIn, PLUGIN_MAX_LIBRARIES> rows{};
    int rowCount = 0;
    // Command map: the row of each id handed out, in order.
    std::array<uint8_t, PLUGIN_MAX_COMMANDS> commandRows{};
    uint16_t commandCount = 0;
};

Table &table()
{
    static Table t;
    return t;
}

// Loads one plug-in with the ids first..last; the last id it used, or
// first - 1 when it was skipped.
int loadPlugIn(Table &t, const std::string &name, HMENU menu, int position, int first, int last)
{
    // The command map bounds the ids a plug-in may have.
    const int room = PLUGIN_MAX_COMMANDS - t.commandCount;
    last = std::min(last, first + room - 1);
    if (t.rowCount >= PLUGIN_MAX_LIBRARIES || first > last || first < 0 || last > 0xFFFF)
        return first - 1;
    const HMODULE library = LoadLibraryA(name.c_str());
    if (!library)
        return first - 1;
    const auto changeMenu = reinterpret_cast<PlugInChangeMenuProc>(GetProcAddress(library, "DLL_ChangeMenu"));
    const auto command = reinterpret_cast<PlugInCommandProc>(GetProcAddress(library, "DLL_Command"));
    const int used = changeMenu && command ? changeMenu(menu, uint16_t(first), uint16_t(last), position) : 0;
    if (used == 0 || used < first) {
        FreeLibrary(library);
        return first - 1;
    }
    const int lastUsed = std::min(used, last);
    for (int id = first; id <= lastUsed; ++id)
        t.commandRows[t.commandCount++] = uint8_t(t.rowCount);
    t.rows[size_t(t.rowCount++)] = PlugIn{library, command, uint16_t(first), uint16_t(lastUsed)};
    return lastUsed;
}

std::string trim(const std::string &s)
{
    const size_t b = s.find_first_not_of(" \t");
    const size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

} // namespace

int PlugInMenusLoad(HMENU menu, int position, int firstId, int lastId)
{
    char names[129];
    GetOwnProfileString("GORM", "DLLS", "", names, sizeof names, GormModule(), nullptr, "CWATMGD");
    Table &t = table();
    int next = firstId;
    const std::string list = names;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string name = trim(list.substr(start, comma - start));
        if (!name.empty())
            next = loadPlugIn(t, name, menu, position, next, lastId) + 1;
        start = comma + 1;
    }
    return next - 1;
}

int PlugInMenusFree()
{
    Table &t = table();
    while (t.rowCount > 0) {
        --t.rowCount;
        FreeLibrary(t.rows[size_t(t.rowCount)].library);
        t.rows[size_t(t.rowCount)] = PlugIn{};
    }
    // The ids go with their plug-ins: a later load hands them out again.
    t.commandCount = 0;
    return 1;
}

int PlugInMenusCount() { return table().rowCount; }

int PlugInCommandCount() { return table().commandCount; }

int PlugInMenusCommand(HWND window, uint16_t commandId)
{
    Table &t = table();
    for (int i = 0; i < t.rowCount; ++i) {
        const PlugIn &p = t.rows[size_t(i)];
        if (commandId >= p.firstId && commandId <= p.lastId && p.command)
            return p.command(window, commandId);
    }
    return 0;
}

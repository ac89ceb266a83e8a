// Plug-in menu libraries: modules named in the key "DLLS" of section "GORM"
// of the engine's profile (comma separated) that add items to a menu with
// command ids of a range the caller gives, and carry out those commands.
//
// A plug-in exports, with C linkage:
//   uint16_t DLL_ChangeMenu(HMENU menu, uint16_t firstId, uint16_t lastId, int position)
//     adds its items using ids firstId..lastId and returns the last id used
//     (0: it added nothing);
//   int DLL_Command(HWND window, uint16_t commandId)
//     carries out one of its commands.
#pragma once

#include "platform/types.h"

inline constexpr int PLUGIN_MAX_LIBRARIES = 10;
inline constexpr int PLUGIN_MAX_COMMANDS = 100;

using PlugInChangeMenuProc = uint16_t (*)(HMENU menu, uint16_t firstId, uint16_t lastId, int position);
using PlugInCommandProc = int (*)(HWND window, uint16_t commandId);

// Loads the plug-ins in the order named, handing each the ids that follow
// the previous one's; returns the last command id used (firstId - 1 when
// none). Ids beyond the room of the command map are not handed out, and a
// plug-in beyond the table's room is not loaded.
int PlugInMenusLoad(HMENU menu, int position, int firstId, int lastId);
// Frees every plug-in library, the most recent first, and empties the table
// and the command map; 1.
int PlugInMenusFree();

// The number of plug-ins loaded and of command ids handed out.
int PlugInMenusCount();
int PlugInCommandCount();
// Passes a command id to the plug-in that owns it; its result, or 0 when no
// plug-in owns the id.
int PlugInMenusCommand(HWND window, uint16_t commandId);

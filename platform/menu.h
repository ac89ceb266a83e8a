// Menus as the engine and its plug-in modules build them: handles of item
// lists (text, command id, flags, sub-menu). The control turns a menu into
// Qt's menus when it shows it.
#pragma once

#include "platform/types.h"

#include <string>

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its sub-menus; FALSE for a bad handle.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

// id is the command id, or the sub-menu's handle with MF_POPUP (the menu
// then owns the sub-menu). FALSE for a bad handle or a bad sub-menu.
BOOL AppendMenuA(HMENU menu, UINT flags, uintptr_t id, const char *text);
// Inserts before the item at position (MF_BYPOSITION; -1 or past the end
// appends) or before the item with that command id.
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, uintptr_t id, const char *text);

// -1 for a bad handle.
int GetMenuItemCount(HMENU menu);
// The command id of the item at the position; -1 for a sub-menu, a bad
// handle or position (0 for a separator).
UINT GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
// The item's text cut to size - 1 characters; the characters copied.
int GetMenuStringA(HMENU menu, UINT item, char *buffer, int size, UINT flags);
// The item's flags, or 0xFFFFFFFF when there is no such item.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);

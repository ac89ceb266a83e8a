// Tracking a popup menu: the user picks a command of a menu at a point.
// Tests (and any caller that must not block) install a hook that sees the
// menu and answers with the command picked; without a hook the menu is a
// QMenu at the mouse cursor when a screen is there, and otherwise nothing
// is picked.
#pragma once

#include "platform/types.h"

#include <functional>

inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

// (menu, x, y) -> the command id picked, 0 for none.
using PopupMenuHook = std::function<UINT(HMENU menu, int x, int y)>;
PopupMenuHook SetPopupMenuHook(PopupMenuHook hook);

// Shows the menu at (x, y) of the owner's client area. With TPM_RETURNCMD
// the command picked is returned (0 none); otherwise the command goes to
// the owner as WM_COMMAND (wParam the id) and the result is TRUE when one
// was picked. FALSE for a bad menu.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);

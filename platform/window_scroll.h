// Scroll bars of a window and scrolling its contents. The scroll state lives
// here, keyed by window handle; the window's client rectangle and pending
// invalid area are the window table's.
#pragma once

#include "platform/types.h"

#include <functional>

inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_BOTH = 3;

// Range and position of one bar; FALSE for a bad window or bar. A range of
// 0 .. 0 hides the bar.
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int *minPos, int *maxPos);
// Returns the previous position (0 for a bad window).
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
BOOL IsScrollBarVisible(HWND hwnd, int bar);

// Moves the client area's picture by (dx, dy): the window's scroll hook (a
// widget shifts its retained image there), the pending invalid area moves
// with the picture, and the strips that the move uncovered are invalidated.
// scrollRect and clipRect null: the whole client area.
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT *scrollRect, const RECT *clipRect);
using ScrollHook = std::function<void(HWND, int dx, int dy)>;
void SetWindowScrollHook(HWND hwnd, ScrollHook hook);

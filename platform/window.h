// The table of window handles. A window record has a handler (its window
// procedure) and user data; map windows are QWidgets that own one, and tests
// make headless records. Handles are 32-bit ids that are never reused.
#pragma once

#include "platform/types.h"

#include <functional>

using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

inline constexpr int GWLP_USERDATA = -21;

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_USER = 0x0400;

// A window record without a screen window behind it.
HWND CreateHeadlessWindow(WNDPROC handler);
// Replaces the window's handler (subclassing it) and answers the previous
// one, which the new handler may call on; not from inside the handler.
WNDPROC SetWindowHandler(HWND hwnd, WNDPROC handler);
// Sends WM_DESTROY to the handler, then removes the record. FALSE for a bad
// handle.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);

// A disabled window takes no input; the flag is all a headless window has.
// EnableWindow answers TRUE when the window was disabled before the call.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
// The parent window (0: none, or a parent that is gone). SetParent answers
// the previous parent, 0 for a bad handle or a parent that is no window.
HWND SetParent(HWND hwnd, HWND parent);
HWND GetParent(HWND hwnd);
// The window's caption text (Windows-1252). GetWindowTextA copies at most
// size - 1 characters and a terminator and answers the count copied.
BOOL SetWindowTextA(HWND hwnd, const char *text);
int GetWindowTextA(HWND hwnd, char *buffer, int size);

// index GWLP_USERDATA only; returns the previous value (0 for a bad handle).
intptr_t SetWindowLongPtrA(HWND hwnd, int index, intptr_t value);
intptr_t GetWindowLongPtrA(HWND hwnd, int index);

// Calls the window's handler synchronously and returns its answer; 0 for a
// bad handle. The handler may send further messages or destroy windows.
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(hwnd, msg, wParam, lParam);
}

// Client rectangle: (0, 0, width, height) of the window's drawing surface.
// A headless window has the size it was given; a screen window's widget keeps
// it up to date.
BOOL GetClientRect(HWND hwnd, RECT *rect);
BOOL SetClientSize(HWND hwnd, LONG width, LONG height);

// Invalidation: the union of the invalid rectangles waits for the next paint.
// A null rect invalidates the whole client area. The window's paint hook, when
// set, is told (a widget schedules an update from it): at once on the thread
// that made the window, queued to that thread from any other (a drawing
// thread), since widgets are updated only there.
BOOL InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT *rect);
// The bounding rectangle of the pending invalid area; FALSE when none.
BOOL GetUpdateRect(HWND hwnd, RECT *rect, BOOL erase);
// Paints at once: sends WM_PAINT to the window's handler when part of it is
// invalid. FALSE for a bad handle.
BOOL UpdateWindow(HWND hwnd);
using PaintHook = std::function<void(HWND, const RECT &)>;
void SetWindowPaintHook(HWND hwnd, PaintHook hook);

// Posts a message: the handler runs later, on the event loop of the thread
// that made the window (Qt's event loop), in the order of posting. FALSE for
// a bad handle or when no event loop exists.
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(hwnd, msg, wParam, lParam);
}

// Runs the call on the thread that made the window: at once when that is
// the calling thread (or the window has no event loop), else queued there
// after what was posted before it, and dropped when the window is destroyed
// first. FALSE, and the call not run, for a bad handle or an empty call.
BOOL RunOnWindowThread(HWND hwnd, std::function<void()> call);

// Runs the messages posted to windows of the calling thread so far (and
// whatever else waits in its event loop), as a modal loop would between
// steps of a long job.
void DispatchPendingMessages();

// The window that owns message boxes shown without an owner; 0 when none.
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);

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
inline constexpr UINT WM_USER = 0x0400;

// A window record without a screen window behind it.
HWND CreateHeadlessWindow(WNDPROC handler);
// Sends WM_DESTROY to the handler, then removes the record. FALSE for a bad
// handle.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);

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

// The window that owns message boxes shown without an owner; 0 when none.
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);

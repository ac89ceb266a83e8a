// Window timers: WM_TIMER sent to the window's handler every interval, on
// the thread that set the timer (its Qt event loop), until the timer is
// killed or the window goes.
#pragma once

#include "platform/types.h"

#include <cstdint>

// Sets or resets the window's timer of that id (a zero interval counts as
// one millisecond); the id, or 0 for a bad window, an id of 0 or no Qt
// application.
uintptr_t SetTimer(HWND hwnd, uintptr_t id, UINT milliseconds);
// FALSE when the window has no such timer.
BOOL KillTimer(HWND hwnd, uintptr_t id);
// TRUE, with the interval, while the window's timer of that id runs.
BOOL GetTimerInterval(HWND hwnd, uintptr_t id, UINT *milliseconds);

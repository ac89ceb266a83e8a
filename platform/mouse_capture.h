// Mouse capture: while a window holds it, the mouse's moves and releases go
// to that window even outside it. One window of the process holds it at a
// time. A window with a screen widget is told through its capture hook,
// which grabs and lets go of the widget's mouse.
#pragma once

#include "platform/types.h"

#include <functional>

// The window takes the capture; the previous holder (0: none). 0 and no
// change for a handle that is no window.
HWND SetCapture(HWND hwnd);
// The holder lets go; FALSE when no window held it.
BOOL ReleaseCapture();
// The holder, 0 when none (a holder that was destroyed counts as none).
HWND GetCapture();

// Told with true when the window takes the capture and with false when it
// loses it. A null hook removes the window's hook.
using CaptureHook = std::function<void(HWND, bool)>;
void SetWindowCaptureHook(HWND hwnd, CaptureHook hook);

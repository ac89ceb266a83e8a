// The desktop window: one fixed handle whose rectangle is the screen's, in
// pixels from (0, 0). Under the offscreen platform, or without a GUI
// application, the screen is the fixed one of screen_metrics.h, so that
// what is computed from it repeats in tests.
#pragma once

#include "platform/types.h"

// The desktop's handle; its client size follows the screen.
HWND GetDesktopWindow();
// The desktop's rectangle (0, 0, screen width, screen height). Only the
// desktop's rectangle on the screen is known here: FALSE for any other
// window, and for a null rectangle.
BOOL GetWindowRect(HWND hwnd, RECT *rect);

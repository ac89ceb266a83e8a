// The device context of a window's client area. A headless window has no
// screen, so each window keeps an image of its client size (white at first)
// that drawing and measuring go to and tests can read back; it follows the
// client size and lives until the window is destroyed.
#pragma once

#include "platform/types.h"

class QImage;

// The window's context, its settings back to those of a new context (stock
// pen, brush and font, copy mode, opaque white background, black text);
// 0 for a bad window or an empty client area.
HDC GetDC(HWND hwnd);
// 1 when the context is the window's own, else 0. The context stays the
// window's, so nothing is freed here.
int ReleaseDC(HWND hwnd, HDC dc);
// A copy of what was drawn on the window's client image (null when the
// window never had a context).
QImage GetWindowSurface(HWND hwnd);

// The device context of a window's client area. Each window keeps a
// retained surface, an image of its client size (white at first) that
// drawing and measuring go to, on any thread, and that tests can read back;
// it follows the client size and lives until the window is destroyed. The
// window's widget only copies the surface to the screen, under the
// surface's lock; a thread that draws into the surface while the widget may
// paint holds the same lock for each piece it draws (SurfaceDrawLock).
#pragma once

#include "platform/types.h"

#include <mutex>

class QImage;
class QPainter;
class QRect;

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

// Copies the area of the window's surface to the painter at the same
// position, under the surface's lock. Nothing when the window never had a
// context.
void PaintWindowSurface(HWND hwnd, QPainter &painter, const QRect &area);

// Holds the surface lock of a window's context for its lifetime; does
// nothing for any other context (images, memory bitmaps).
class SurfaceDrawLock {
public:
    explicit SurfaceDrawLock(HDC dc);
    ~SurfaceDrawLock();
    SurfaceDrawLock(const SurfaceDrawLock &) = delete;
    SurfaceDrawLock &operator=(const SurfaceDrawLock &) = delete;

private:
    std::mutex *lock_ = nullptr;
};

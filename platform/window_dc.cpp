#include "platform/window_dc.h"

#include "platform/dc.h"
#include "platform/font.h"
#include "platform/window.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct Surface {
    // Kept on the heap: the context holds a pointer to the image.
    std::unique_ptr<QImage> image;
    // Guards the pixels against the window's paint while another thread
    // draws; on the heap, as the context points at it.
    std::unique_ptr<std::mutex> pixels = std::make_unique<std::mutex>();
    HDC dc = 0;
};

struct SurfaceTable {
    std::mutex mutex;
    std::unordered_map<HWND, Surface> surfaces;
};

SurfaceTable &table()
{
    static SurfaceTable t;
    return t;
}

// Window ids are never reused, so a surface whose window is gone is freed
// on the next look-up rather than through a hook in the window table.
void dropDeadSurfaces(SurfaceTable &t)
{
    for (auto it = t.surfaces.begin(); it != t.surfaces.end();) {
        if (IsWindow(it->first)) {
            ++it;
            continue;
        }
        DeleteDC(it->second.dc);
        it = t.surfaces.erase(it);
    }
}

void resetSettings(HDC dc)
{
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SetROP2(dc, R2_COPYPEN);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    MoveToEx(dc, 0, 0, nullptr);
}

} // namespace

HDC GetDC(HWND hwnd)
{
    RECT client{};
    if (!GetClientRect(hwnd, &client))
        return 0;
    const int64_t width = int64_t(client.right) - client.left, height = int64_t(client.bottom) - client.top;
    if (width <= 0 || height <= 0 || width * height > (int64_t(1) << 28))
        return 0;
    SurfaceTable &t = table();
    std::lock_guard lock(t.mutex);
    dropDeadSurfaces(t);
    Surface &s = t.surfaces[hwnd];
    if (!s.image || s.image->width() != width || s.image->height() != height) {
        QImage image(int(width), int(height), QImage::Format_RGB32);
        if (image.isNull())
            return 0;
        image.fill(0xFFFFFFFFu);
        if (s.image) {
            std::lock_guard pixels(*s.pixels);
            *s.image = std::move(image); // the context keeps pointing at it
        } else {
            s.image = std::make_unique<QImage>(std::move(image));
            s.dc = CreateImageDC(s.image.get());
            if (gdi::DeviceContext *dc = gdi::FindDC(s.dc))
                dc->surfaceLock = s.pixels.get();
        }
    }
    resetSettings(s.dc);
    return s.dc;
}

int ReleaseDC(HWND hwnd, HDC dc)
{
    SurfaceTable &t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.surfaces.find(hwnd);
    return it != t.surfaces.end() && dc != 0 && it->second.dc == dc ? 1 : 0;
}

QImage GetWindowSurface(HWND hwnd)
{
    SurfaceTable &t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.surfaces.find(hwnd);
    if (it == t.surfaces.end() || !it->second.image)
        return QImage();
    std::lock_guard pixels(*it->second.pixels);
    return it->second.image->copy();
}

void PaintWindowSurface(HWND hwnd, QPainter &painter, const QRect &area)
{
    SurfaceTable &t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.surfaces.find(hwnd);
    if (it == t.surfaces.end() || !it->second.image)
        return;
    std::lock_guard pixels(*it->second.pixels);
    painter.drawImage(area.topLeft(), *it->second.image, area);
}

SurfaceDrawLock::SurfaceDrawLock(HDC dc)
{
    if (const gdi::DeviceContext *c = gdi::FindDC(dc))
        lock_ = c->surfaceLock;
    if (lock_)
        lock_->lock();
}

SurfaceDrawLock::~SurfaceDrawLock()
{
    if (lock_)
        lock_->unlock();
}

#include "engine/view/viewrecord/vertex_bitmap.h"

#include "engine/kernel/graph_classes.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr int kMaxSearchRadius = 32;
constexpr int32_t kEmptyCoord = 2147483647;

std::mutex &bitmapLock()
{
    static std::mutex m;
    return m;
}

struct Geometry {
    uint32_t stride = 0;
    uint32_t size = 0;
};

// Stride and size of a bitmap for a client rectangle; size 0 when there can
// be none (empty, or too wide for the 16-bit stride, or too large).
Geometry geometryOf(const RECT &client)
{
    const int64_t w = int64_t(client.right) - client.left;
    const int64_t h = int64_t(client.bottom) - client.top;
    if (w <= 0 || h <= 0)
        return {};
    const uint64_t stride = uint64_t(w + 7) / 8;
    const uint64_t size = uint64_t(h + 1) * stride;
    if (stride > 0xFFFF || size > UINT32_MAX)
        return {};
    return {uint32_t(stride), uint32_t(size)};
}

void resizeLocked(_WNDRES *rec, const RECT &client)
{
    const Geometry g = geometryOf(client);
    if (!g.size)
        return;
    auto *bits = static_cast<uint8_t *>(std::calloc(g.size, 1));
    if (!bits)
        return;
    std::free(rec->vertexBits);
    rec->vertexBits = bits;
    rec->clientRect = client;
    rec->vertexStride = uint16_t(g.stride);
    rec->vertexSize = g.size;
}

// The byte of a window pixel and its mask; -1 when the pixel is not in the
// bitmap (edges included, full 32-bit comparisons) or the byte is beyond it.
int64_t byteOf(const _WNDRES *rec, int x, int y, uint8_t *mask)
{
    if (!rec || !rec->vertexBits)
        return -1;
    const RECT &c = rec->clientRect;
    if (x < c.left || x > c.right || y < c.top || y > c.bottom)
        return -1;
    const uint64_t dx = uint64_t(int64_t(x) - c.left);
    // The right edge belongs to the bitmap only when its row has a bit for
    // it: otherwise it would alias the first pixel of the next row.
    if (dx >= uint64_t(rec->vertexStride) * 8)
        return -1;
    const uint64_t index = uint64_t(int64_t(y) - c.top) * rec->vertexStride + dx / 8;
    if (index >= rec->vertexSize)
        return -1;
    *mask = uint8_t(0x80 >> (dx % 8));
    return int64_t(index);
}

bool markLocked(_WNDRES *rec, int x, int y, bool set)
{
    uint8_t mask = 0;
    const int64_t i = byteOf(rec, x, y, &mask);
    if (i < 0)
        return false;
    if (set)
        rec->vertexBits[i] |= mask;
    else
        rec->vertexBits[i] &= uint8_t(~mask);
    return true;
}

bool testLocked(const _WNDRES *rec, int x, int y)
{
    uint8_t mask = 0;
    const int64_t i = byteOf(rec, x, y, &mask);
    return i >= 0 && (rec->vertexBits[i] & mask) != 0;
}

// Clears the pixels left <= x <= right of one row: partial bytes bit by bit,
// whole bytes at once.
void clearRowSpan(_WNDRES *rec, int y, int left, int right)
{
    int x = left;
    while (x <= right && (int64_t(x) - rec->clientRect.left) % 8 != 0)
        markLocked(rec, x++, y, false);
    uint8_t mask = 0;
    const int64_t first = byteOf(rec, x, y, &mask);
    const int64_t whole = (int64_t(right) - x + 1) / 8;
    if (first >= 0 && whole > 0) {
        const int64_t n = std::min<int64_t>(whole, int64_t(rec->vertexSize) - first);
        std::memset(rec->vertexBits + first, 0, size_t(n));
        x += int(whole * 8);
    }
    for (; x <= right; ++x)
        markLocked(rec, x, y, false);
}

PresentationManager *screenView(const _WNDRES *rec) { return rec ? rec->displayView : nullptr; }

void setPointLocked(_WNDRES *rec, const MAP_COORDPT &p, bool set)
{
    PresentationManager *view = screenView(rec);
    if (!view || p.x == kEmptyCoord || p.y == kEmptyCoord)
        return;
    POINT w{};
    PM_MapToWindow(view, &p, &w, 1);
    markLocked(rec, w.x, w.y, set);
}

} // namespace

void VertexBitmapResize(_WNDRES *rec, const RECT &client)
{
    if (!rec)
        return;
    std::lock_guard lock(bitmapLock());
    resizeLocked(rec, client);
}

void VertexBitmapFree(_WNDRES *rec)
{
    if (!rec)
        return;
    std::lock_guard lock(bitmapLock());
    std::free(rec->vertexBits);
    rec->vertexBits = nullptr;
    rec->vertexSize = 0;
    rec->vertexStride = 0;
}

int VertexBitmapMark(_WNDRES *rec, int x, int y)
{
    std::lock_guard lock(bitmapLock());
    return markLocked(rec, x, y, true) ? 1 : 0;
}

int VertexBitmapClear(_WNDRES *rec, int x, int y)
{
    std::lock_guard lock(bitmapLock());
    return markLocked(rec, x, y, false) ? 1 : 0;
}

int VertexBitmapTest(const _WNDRES *rec, int x, int y)
{
    std::lock_guard lock(bitmapLock());
    return testLocked(rec, x, y) ? 1 : 0;
}

int PointsClear(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return 0;
    std::lock_guard lock(bitmapLock());
    if (rec->vertexBits)
        std::memset(rec->vertexBits, 0, rec->vertexSize);
    return 0;
}

int PointsClearProc(HWND window)
{
    PointsClear(window);
    return 1;
}

int PointsSet(HWND window, MAP_COORDPT *map, const POINT *points, int n)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->vertexBits || !points || n < 0)
        return 0;
    if (map && screenView(rec))
        PM_WindowToMap(screenView(rec), points, map, n);
    std::lock_guard lock(bitmapLock());
    for (int i = 0; i < n; ++i)
        markLocked(rec, points[i].x, points[i].y, true);
    return 1;
}

int PointsUnset(HWND window, const POINT *points, int n)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->vertexBits || !points || n < 0)
        return 0;
    std::lock_guard lock(bitmapLock());
    for (int i = 0; i < n; ++i)
        markLocked(rec, points[i].x, points[i].y, false);
    return 1;
}

int PointsMoveMarked(HWND window, const MAP_COORDPT *first, const MAP_COORDPT *second)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return 0;
    _COORDPT old[2]{{kEmptyCoord, kEmptyCoord}, {kEmptyCoord, kEmptyCoord}};
    SelListPointsGet(window, &old[0], &old[1]);
    const _COORDPT empty{kEmptyCoord, kEmptyCoord};
    const _COORDPT now[2]{first ? *first : empty, second ? *second : empty};
    SelListPointsSet(window, &now[0], &now[1]);
    std::lock_guard lock(bitmapLock());
    for (const _COORDPT &p : old)
        setPointLocked(rec, p, false);
    for (const _COORDPT &p : now)
        setPointLocked(rec, p, true);
    return 1;
}

int PointsClearRect(HWND window, const RECT *rect)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return 0;
    RECT client{};
    GetClientRect(window, &client);
    std::lock_guard lock(bitmapLock());
    if (!rec->vertexBits && !rect)
        return 0;
    const RECT r = rect ? *rect : client;
    const RECT i{std::max(r.left, client.left), std::max(r.top, client.top), std::min(r.right, client.right),
                 std::min(r.bottom, client.bottom)};
    if (i.left >= i.right || i.top >= i.bottom)
        return 0;
    if (!rec->vertexBits)
        return 1; // nothing to clear yet
    // A bitmap made for another client size would be indexed past its end
    // with the new stride: it is made again, all clear, for the new size.
    const Geometry g = geometryOf(client);
    if (g.size != rec->vertexSize || g.stride != rec->vertexStride) {
        resizeLocked(rec, client);
        if (rec->vertexSize != g.size) // no bitmap for this size: none at all
            std::memset(rec->vertexBits, 0, rec->vertexSize);
        return 1;
    }
    rec->clientRect = client;
    if (i.left == client.left && i.top == client.top && i.right == client.right &&
        i.bottom == client.bottom) {
        std::memset(rec->vertexBits, 0, rec->vertexSize);
        return 1;
    }
    for (int y = i.top; y <= i.bottom; ++y)
        clearRowSpan(rec, y, i.left, i.right);
    return 1;
}

int PointsRefresh(HWND window)
{
    if (!GetWndRes(window))
        return 0;
    PointsClearRect(window, nullptr);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    return 1;
}

int PointsScroll(HWND window, int dx, int dy)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || (dx == 0 && dy == 0))
        return 0;
    std::lock_guard lock(bitmapLock());
    if (!rec->vertexBits)
        return 0;
    const RECT &c = rec->clientRect;
    const int64_t rows = int64_t(c.bottom) - c.top + 1;
    const int64_t columns = int64_t(c.right) - c.left + 1;
    if (std::abs(int64_t(dy)) >= rows || std::abs(int64_t(dx)) >= columns)
        return 0;
    const int64_t stride = rec->vertexStride;
    const int64_t usedRows = std::min<int64_t>(rows, rec->vertexSize / std::max<int64_t>(stride, 1));
    uint8_t *bits = rec->vertexBits;
    if (dy != 0 && std::abs(int64_t(dy)) < usedRows) {
        const int64_t moved = (usedRows - std::abs(int64_t(dy))) * stride;
        const int64_t shift = int64_t(dy) * stride;
        // memmove copies overlapping regions without reading a byte it wrote.
        if (dy > 0)
            std::memmove(bits + shift, bits, size_t(moved));
        else
            std::memmove(bits, bits - shift, size_t(moved));
    }
    const int64_t byteShift = int64_t(dx) / 8;
    if (byteShift != 0 && std::abs(byteShift) < stride) {
        const int64_t moved = stride - std::abs(byteShift);
        for (int64_t row = 0; row < usedRows; ++row) {
            uint8_t *line = bits + row * stride;
            if (byteShift > 0)
                std::memmove(line + byteShift, line, size_t(moved));
            else
                std::memmove(line, line - byteShift, size_t(moved));
        }
    }
    return 1;
}

int DisplayPointSeek(HWND window, POINT *point, _COORDPT *map)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !point || (rec->gui && rec->gui->noSelectionCursor))
        return 0;
    const int radius = rec->gui ? std::clamp(rec->gui->pickRadius, 0, kMaxSearchRadius) : 2;
    bool found = false;
    POINT p = *point;
    {
        std::lock_guard lock(bitmapLock());
        if (!rec->vertexBits)
            return 0;
        for (int dy = -radius; dy <= radius && !found; ++dy)
            for (int dx = -radius; dx <= radius && !found; ++dx) {
                const int64_t x = int64_t(point->x) + dx, y = int64_t(point->y) + dy;
                if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX)
                    continue;
                if (testLocked(rec, int(x), int(y))) {
                    p = POINT{LONG(x), LONG(y)};
                    found = true;
                }
            }
    }
    *point = p;
    if (map && screenView(rec))
        PM_WindowToMap(screenView(rec), &p, map, 1);
    return found ? 1 : 0;
}

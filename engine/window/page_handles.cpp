// The sixteen handles of the page object: their positions, dragging one and
// finding the one under a window point.

#include "engine/window/page.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

int32_t saturate(int64_t v)
{
    return int32_t(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Handle n of a rectangle, 0..7 anticlockwise from the lower-left corner.
MAP_COORDPT rectHandle(const MAP_COORDRECT &r, int n)
{
    const int32_t mx = int32_t((int64_t(r.x1) + r.x2) / 2);
    const int32_t my = int32_t((int64_t(r.y1) + r.y2) / 2);
    switch (n & 7) {
    case 0:
        return {r.x1, r.y1};
    case 1:
        return {mx, r.y1};
    case 2:
        return {r.x2, r.y1};
    case 3:
        return {r.x2, my};
    case 4:
        return {r.x2, r.y2};
    case 5:
        return {mx, r.y2};
    case 6:
        return {r.x1, r.y2};
    default:
        return {r.x1, my};
    }
}

MAP_COORDPT handleOf(const PageRecord &page, int n)
{
    return rectHandle(n < 8 ? page.page : page.printable, n);
}

// o + trunc(offset x ratio), held to 32 bits in doubles first: a drag to
// far away may give a ratio whose product leaves every integer range.
int32_t scaledCoord(int32_t p, int32_t o, double ratio)
{
    const double v = double(o) + std::trunc((double(p) - o) * ratio);
    return int32_t(std::clamp(v, double(std::numeric_limits<int32_t>::min()),
                              double(std::numeric_limits<int32_t>::max())));
}

// p scaled about o by the ratio, offsets truncated.
MAP_COORDPT scaled(MAP_COORDPT p, MAP_COORDPT o, double ratio)
{
    return {scaledCoord(p.x, o.x, ratio), scaledCoord(p.y, o.y, ratio)};
}

MAP_COORDRECT scaledRect(const MAP_COORDRECT &r, MAP_COORDPT o, double ratio)
{
    const MAP_COORDPT a = scaled({r.x1, r.y1}, o, ratio), b = scaled({r.x2, r.y2}, o, ratio);
    return {a.x, a.y, b.x, b.y};
}

} // namespace

int PageHandlePosition(OBJectKernel *kernel, OBJHANDLE page, int handle, MAP_COORDPT *out)
{
    PageRecord record;
    if (!out || !PageRead(kernel, page, &record))
        return 0;
    if (handle == -1)
        handle = record.selectedHandle;
    if (handle < 0 || handle >= PAGE_HANDLE_COUNT)
        return 0;
    *out = handleOf(record, handle);
    return 1;
}

MAP_COORDPT PageMoveHandle(OBJectKernel *kernel, OBJHANDLE page, int handle, MAP_COORDPT point, int recompute)
{
    PageRecord record;
    if (!PageRead(kernel, page, &record))
        return point;
    const int n = handle == -1 ? record.selectedHandle : handle;
    if (n < 0 || n >= PAGE_HANDLE_COUNT)
        return point;
    const MAP_COORDRECT oldBound = record.bound;
    const MAP_COORDPT h = handleOf(record, n);
    int64_t dx = int64_t(point.x) - h.x, dy = int64_t(point.y) - h.y;
    if ((n & 7) == 3 || (n & 7) == 7)
        dy = 0;
    if ((n & 7) == 1 || (n & 7) == 5)
        dx = 0;
    const int64_t px = h.x + dx, py = h.y + dy; // the point as the handle may follow it
    const MAP_COORDPT o = handleOf(record, n ^ 4);
    const int64_t hox = int64_t(h.x) - o.x, hoy = int64_t(h.y) - o.y;
    const int64_t pox = px - o.x, poy = py - o.y;

    bool alongX;
    if (handle != -1) {
        alongX = std::llabs(dx) > std::llabs(dy);
    } else {
        // Along X when the handle's direction from o is steeper than the
        // point's: slopes compared crosswise so that upright lines need no
        // division.
        alongX =
            std::fabs(double(hoy)) * std::fabs(double(pox)) > std::fabs(double(poy)) * std::fabs(double(hox));
    }
    const int64_t numerator = alongX ? pox : poy, denominator = alongX ? hox : hoy;
    if (denominator != 0) {
        const double ratio = double(numerator) / double(denominator);
        const MAP_COORDRECT bound = scaledRect(record.bound, o, ratio);
        const MAP_COORDRECT printable = scaledRect(record.printable, o, ratio);
        const MAP_COORDRECT pageRect = scaledRect(record.page, o, ratio);
        if (int64_t(printable.x2) - printable.x1 >= PAGE_MIN_PRINTABLE &&
            int64_t(printable.y2) - printable.y1 >= PAGE_MIN_PRINTABLE) {
            char *p = GraphHeadLock(kernel, page, PAGE_FIXED_SIZE);
            StoreField(p, offsetof(PageRecord, bound), bound);
            StoreField(p, offsetof(PageRecord, printable), printable);
            StoreField(p, offsetof(PageRecord, page), pageRect);
            // The size follows the page rectangle, or the next recompute
            // from origin and extension would undo the drag.
            const MAP_COORDRECT sorted{std::min(pageRect.x1, pageRect.x2), std::min(pageRect.y1, pageRect.y2),
                                       std::max(pageRect.x1, pageRect.x2),
                                       std::max(pageRect.y1, pageRect.y2)};
            StoreField(p, offsetof(PageRecord, origin), MAP_COORDPT{sorted.x1, sorted.y1});
            StoreField(p, offsetof(PageRecord, extension),
                       MAP_COORDPT{saturate(int64_t(sorted.x2) - sorted.x1),
                                   saturate(int64_t(sorted.y2) - sorted.y1)});
        }
    }
    PageRecord now;
    PageRead(kernel, page, &now);
    if (std::memcmp(&now.bound, &oldBound, sizeof oldBound) != 0)
        SendOBJectMessage(kernel, page, page, 0, GRM_INVALIDATE, 0, LPARAM(&oldBound));

    if (recompute) {
        if (const HWND window = GetOBJectWnd(kernel, page)) {
            PageRecalcFromSetup(window, page);
            MAP_COORDPT moved;
            if (PageHandlePosition(kernel, page, n ^ 4, &moved))
                PageMoveOrigin(kernel, page, saturate(int64_t(o.x) - moved.x),
                               saturate(int64_t(o.y) - moved.y));
        }
    }
    return point;
}

int PageHandleHitTest(OBJectKernel *kernel, OBJHANDLE page, PresentationManager *view,
                      const POINT *windowPoint, MAP_COORDPT *out)
{
    PageRecord record;
    if (!view || !windowPoint || !PageRead(kernel, page, &record))
        return 0;
    const int64_t r = view->pickRadius;
    for (int n = 0; n < PAGE_HANDLE_COUNT; ++n) {
        const MAP_COORDPT world = handleOf(record, n);
        POINT w;
        if (PM_WorldToWindow(view, &world, &w, 1) != 1)
            continue;
        if (std::llabs(int64_t(w.x) - windowPoint->x) <= r &&
            std::llabs(int64_t(w.y) - windowPoint->y) <= r) {
            if (out)
                *out = world;
            return 1;
        }
    }
    return 0;
}

#include "engine/view/clipping/object_points.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/view/clipping/point_clipping.h"
#include "engine/kernel/buffer.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/wndres.h"

#include <algorithm>
#include <cstring>

namespace {

// The window record's drawing buffers used here: the run buffer (4-byte
// items) and the closing buffer (8-byte items).
constexpr int kRunBuffer = 3;
constexpr int kClosingBuffer = 4;

// Room for n items, and n items written.
bool sizeFor(Buffer *b, int32_t n)
{
    const uint32_t count = uint32_t(std::max(n, 0));
    if (count && BufferSetSize(b, count) < count)
        return false;
    BufferSetItemPosWrite(b, count);
    return true;
}

bool contains(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return a.x1 <= b.x1 && a.x2 >= b.x2 && a.y1 <= b.y1 && a.y2 >= b.y2;
}

bool inside(const MAP_COORDRECT &r, const MAP_COORDPT &p)
{
    return r.x1 <= p.x && p.x <= r.x2 && r.y1 <= p.y && p.y <= r.y2;
}

MAP_COORDRECT intersection(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return {std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2), std::min(a.y2, b.y2)};
}

// Copies the points of a polygon or polyline (x and y, whatever its point
// size) into the work buffer, with room for one more (a polygon's closing
// point), and gives their bounds. Answers the count, -1 when the object
// cannot be read.
int32_t readPointSet(OBJectKernel *kernel, OBJHANDLE object, Buffer *work, MAP_COORDRECT *bounds)
{
    PointSetAccess points;
    if (!LockPointSet(kernel, object, points))
        return -1;
    const uint32_t count = std::min(points.count, uint32_t(INT32_MAX - 1));
    if (!sizeFor(work, int32_t(count) + 1))
        return -1;
    BufferSetItemPosWrite(work, count);
    BufferItemsLock w(work);
    auto *out = w.as<MAP_COORDPT>();
    if (!out)
        return -1;
    for (uint32_t i = 0; i < count; ++i)
        out[i] = points.at(i);
    *bounds = PointSetBounds(points);
    return int32_t(count);
}

// Where the object's world points must be clipped to, when anywhere.
bool clipRectFor(const PresentationManager *view, const MAP_COORDRECT &worldBound, MAP_COORDRECT *rect)
{
    const bool byFlag = view->clipFlag && !contains(view->clipRect, worldBound);
    RECT windowBound;
    PM_WorldToWindowRect(view, &worldBound, &windowBound);
    const int32_t g = kWindowGuardPixels;
    const bool byGuard =
        windowBound.left < -g || windowBound.right > g || windowBound.top < -g || windowBound.bottom > g;
    if (!byFlag && !byGuard)
        return false;
    MAP_COORDRECT r =
        view->clipFlag ? view->clipRect : MAP_COORDRECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    if (byGuard) {
        const RECT guard{-g, -g, g, g};
        MAP_COORDRECT guardWorld;
        PM_WindowToWorldRect(view, &guard, &guardWorld);
        r = intersection(r, guardWorld);
    }
    *rect = r;
    return true;
}

int32_t toWindow(PresentationManager *view, Buffer *world, int32_t m, Buffer *windowPoints)
{
    if (!sizeFor(windowPoints, m))
        return 0;
    if (m <= 0)
        return 0;
    BufferItemsLock s(world), d(windowPoints);
    if (!s.as<MAP_COORDPT>() || !d.as<POINT>())
        return 0;
    return PM_WorldToWindow(view, s.as<MAP_COORDPT>(), d.as<POINT>(), m);
}

} // namespace

int32_t RemoveRepeatedWindowPoints(Buffer *points, Buffer *parts, int32_t m, int polygon)
{
    if (!points || !parts || m <= 0)
        return std::max(m, 0);
    const uint32_t partCount = BufferGetValidNumber(parts);
    if (partCount == 0 || uint64_t(partCount) * 2 > BufferGetSize(parts) ||
        uint64_t(m) > BufferGetSize(points))
        return m;
    BufferItemsLock pt(points), pp(parts);
    POINT *p = pt.as<POINT>();
    int32_t *pair = pp.as<int32_t>();
    if (!p || !pair)
        return m;
    // The parts must follow one another inside the list.
    int32_t end = 0;
    for (uint32_t k = 0; k < partCount; ++k) {
        const int64_t s = pair[2 * k], c = pair[2 * k + 1];
        if (s < end || c < 0 || s + c > m)
            return m;
        end = int32_t(s + c);
    }
    const auto same = [](const POINT &a, const POINT &b) { return a.x == b.x && a.y == b.y; };
    int32_t w = pair[0];
    for (uint32_t k = 0; k < partCount; ++k) {
        const int32_t s = pair[2 * k], c = pair[2 * k + 1];
        const int32_t start = w;
        if (c <= 3) {
            std::memmove(p + w, p + s, size_t(c) * sizeof(POINT));
            w += c;
        } else {
            p[w++] = p[s];
            for (int32_t i = s + 1; i < s + c - 1; ++i)
                if (!same(p[i], p[w - 1]))
                    p[w++] = p[i];
            p[w++] = p[s + c - 1];
        }
        pair[2 * k] = start;
        pair[2 * k + 1] = w - start;
        if (polygon) {
            const int32_t gapEnd = k + 1 < partCount ? pair[2 * (k + 1)] : m;
            const int32_t gap = gapEnd - (s + c);
            std::memmove(p + w, p + s + c, size_t(gap) * sizeof(POINT));
            w += gap;
        }
    }
    return w;
}

int32_t ObjectPointsToWindow(HWND window, OBJHANDLE object, Buffer *windowPoints, Buffer *work, Buffer *parts,
                             int *firstVisible, int *lastVisible, int *clipped, int bridgeCheck)
{
    _WNDRES *record = GetWndRes(window);
    if (!record || !record->kernel || !object || !windowPoints || !work || !parts)
        return 0;
    OBJectKernel *kernel = record->kernel;
    PresentationManager *view = record->displayView;
    Buffer *runs = record->drawBuffers[kRunBuffer];
    Buffer *closing = record->drawBuffers[kClosingBuffer];
    if (!view || !runs || !closing || windowPoints == work ||
        BufferGetItemSize(windowPoints) != sizeof(POINT) || BufferGetItemSize(work) != sizeof(MAP_COORDPT) ||
        BufferGetItemSize(parts) != sizeof(int32_t))
        return 0;
    const uint16_t cls = GetOBJectClassID(kernel, object);
    if (cls != CLASS_POLYGON && cls != CLASS_POLYLINE)
        return 0;
    const bool polygon = cls == CLASS_POLYGON;
    InstallPointListClipper();

    _COORDRECT mapBound;
    WorldRectInit(&mapBound);
    SendOBJectMessage(kernel, 0, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&mapBound));
    // The rectangle that decides on clipping is the stored one widened by
    // the points themselves, so that a stale rectangle cannot let points far
    // outside the window through unclipped.
    _COORDRECT pointBound;
    const int32_t count = readPointSet(kernel, object, work, &pointBound);
    if (count <= 0)
        return 0;
    if (WorldRectIsValid(&mapBound)) {
        mapBound = MAP_COORDRECT{std::min(mapBound.x1, pointBound.x1), std::min(mapBound.y1, pointBound.y1),
                                 std::max(mapBound.x2, pointBound.x2), std::max(mapBound.y2, pointBound.y2)};
    } else {
        mapBound = pointBound;
    }
    MAP_COORDRECT worldBound;
    PM_MapToWorldRect(view, &mapBound, &worldBound);

    int bridge = bridgeCheck;
    if (count < 8 || SendOBJectMessage(kernel, 0, object, 0, GRM_GETFLAGS, GF_NOBRIDGE, 0))
        bridge = 0;
    const int askedBridge = bridge;

    MAP_COORDRECT clipTo;
    if (clipRectFor(view, worldBound, &clipTo)) {
        if (clipped)
            *clipped = 1;
        BufferSetType(work, polygon ? POINTBUFFER_POLYGON : POINTBUFFER_POLYLINE);
        int32_t n = count;
        {
            BufferItemsLock w(work);
            auto *pts = w.as<MAP_COORDPT>();
            MAP_COORDPT ends[2] = {pts[0], pts[count - 1]};
            PM_MapToWorld(view, ends, ends, 2);
            if (firstVisible)
                *firstVisible = inside(clipTo, ends[0]) ? 1 : 0;
            if (lastVisible)
                *lastVisible = !polygon && inside(clipTo, ends[1]) ? 1 : 0;
            if (polygon)
                pts[n++] = pts[0];
        }
        BufferSetItemPosWrite(work, uint32_t(n));
        Buffer *world = work;
        if (view->projection.hLib) {
            n = PM_bMapToWorld(view, work, &view->worldPoints, n);
            world = &view->worldPoints;
        }
        const int32_t m = ClipPointBuffer(world, &view->clippedPoints, parts, &view->pointCodes, &clipTo, n);
        if (bridge) {
            BufferItemsLock c(&view->clippedPoints);
            PM_SplitPartsAtBridges(cls, parts, runs, c.as<MAP_COORDPT>(), m, nullptr);
        }
        const int32_t converted = toWindow(view, &view->clippedPoints, m, windowPoints);
        return RemoveRepeatedWindowPoints(windowPoints, parts, converted, polygon);
    }

    if (clipped)
        *clipped = 0;
    int32_t m = 0;
    {
        BufferItemsLock w(work);
        m = PM_PointsToWindow(view, w.as<MAP_COORDPT>(), windowPoints, parts, runs, closing, count, cls,
                              &bridge);
    }
    if (firstVisible)
        *firstVisible = 1;
    if (lastVisible)
        *lastVisible = polygon ? 0 : 1;
    if (polygon && !askedBridge && m > 0 && sizeFor(windowPoints, m + 1)) {
        BufferItemsLock d(windowPoints), p(parts);
        d.as<POINT>()[m] = d.as<POINT>()[0];
        ++m;
        p.as<int32_t>()[1] = m;
    }
    if (askedBridge && !bridge)
        SendOBJectMessage(kernel, 0, object, 0, GRM_SETFLAGS, GF_NOBRIDGE, 0xFFFF);
    return RemoveRepeatedWindowPoints(windowPoints, parts, m, polygon);
}

int PM_PointInClipRect(const PresentationManager *view, const MAP_COORDPT *point)
{
    if (!view || !point)
        return 0;
    if (!view->clipFlag)
        return 1;
    MAP_COORDPT world = *point;
    PM_MapToWorld(view, &world, &world, 1);
    return inside(view->clipRect, world) ? 1 : 0;
}

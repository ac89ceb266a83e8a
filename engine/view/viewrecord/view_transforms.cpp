#include "engine/view/viewrecord/view_transforms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

PointListClipProc g_clipper = nullptr;

inline int32_t Saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool HasModule(const PresentationManager *view) { return view->projection.hLib != 0; }

// Room for n items, and n items written.
void SizeFor(Buffer *b, int32_t n)
{
    const uint32_t count = uint32_t(std::max(n, 0));
    BufferSetSize(b, count);
    BufferSetItemPosWrite(b, count);
}

void OnePart(Buffer *parts, int32_t n)
{
    SizeFor(parts, 2);
    BufferItemsLock p(parts);
    p.as<int32_t>()[0] = 0;
    p.as<int32_t>()[1] = n;
    BufferSetValidNumber(parts, 1);
}

bool Equal(const MAP_COORDPT &a, const MAP_COORDPT &b) { return a.x == b.x && a.y == b.y; }

// The 28 sample points of a rectangle: corners, then six inner points on
// each side pair. The steps are integer for map and world rectangles.
void RectSamples(const MAP_COORDRECT &r, MAP_COORDPT out[28], bool doubleSteps)
{
    const int64_t w = int64_t(r.x2) - r.x1, h = int64_t(r.y2) - r.y1;
    auto stepX = [&](int k) -> int32_t {
        if (doubleSteps)
            return Saturate(r.x1 + int64_t(k * (double(w) * (1.0 / 7.0))));
        return Saturate(r.x1 + k * (w / 7));
    };
    auto stepY = [&](int k) -> int32_t {
        if (doubleSteps)
            return Saturate(r.y1 + int64_t(k * (double(h) * (1.0 / 7.0))));
        return Saturate(r.y1 + k * (h / 7));
    };
    int i = 0;
    out[i++] = {r.x1, r.y1};
    out[i++] = {r.x1, r.y2};
    out[i++] = {r.x2, r.y1};
    out[i++] = {r.x2, r.y2};
    for (int k = 1; k <= 6; ++k) {
        out[i++] = {stepX(k), r.y1};
        out[i++] = {stepX(k), r.y2};
    }
    for (int k = 1; k <= 6; ++k) {
        out[i++] = {r.x1, stepY(k)};
        out[i++] = {r.x2, stepY(k)};
    }
}

MAP_COORDRECT BoundOf(const MAP_COORDPT *pts, int32_t n)
{
    MAP_COORDRECT r;
    WorldRectInit(&r);
    LineToWorldRect(&r, pts, n);
    return r;
}

} // namespace

int32_t PM_Round(double v)
{
    // NaN becomes 0 rather than undefined behaviour.
    const double c = std::clamp(v + 0.5, -2147483648.0, 2147483647.0);
    return c == c ? int32_t(c) : 0;
}

int32_t PM_WorldToWindow(const PresentationManager *view, const MAP_COORDPT *world, POINT *window, int32_t n)
{
    const double s = view->scale;
    const int64_t left = view->worldRect.x1, top = view->worldRect.y2;
    if (!std::isfinite(s)) {
        for (int32_t i = 0; i < n; ++i) {
            window[i].x = PM_Round(double(int64_t(world[i].x) - left) * s);
            window[i].y = PM_Round(double(top - int64_t(world[i].y)) * s);
        }
        return std::max(n, 0);
    }
    // A finite scale gives finite values: the plain clamp keeps the loop
    // free of branches, so the compiler can vectorise it.
    const double lo = -2147483648.0, hi = 2147483647.0;
    for (int32_t i = 0; i < n; ++i) {
        const double x = double(int64_t(world[i].x) - left) * s + 0.5;
        const double y = double(top - int64_t(world[i].y)) * s + 0.5;
        window[i].x = int32_t(std::min(std::max(x, lo), hi));
        window[i].y = int32_t(std::min(std::max(y, lo), hi));
    }
    return std::max(n, 0);
}

int32_t PM_WindowToWorld(const PresentationManager *view, const POINT *window, MAP_COORDPT *world, int32_t n)
{
    const double r = view->inverseScale;
    const int64_t left = view->worldRect.x1, top = view->worldRect.y2;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t dx = PM_Round(window[i].x * r), dy = PM_Round(window[i].y * r);
        world[i].x = Saturate(left + dx);
        world[i].y = Saturate(top - dy);
    }
    return std::max(n, 0);
}

int32_t PM_MapToWorld(const PresentationManager *view, const MAP_COORDPT *map, MAP_COORDPT *world, int32_t n)
{
    if (HasModule(view))
        return view->projection.Forward(view->projection.hInstanceData, map, world, n);
    if (n > 0 && map != world)
        std::memmove(world, map, size_t(n) * sizeof *map);
    return std::max(n, 0);
}

int32_t PM_WorldToMap(const PresentationManager *view, const MAP_COORDPT *world, MAP_COORDPT *map, int32_t n)
{
    if (HasModule(view))
        return view->projection.Backward(view->projection.hInstanceData, world, map, n);
    if (n > 0 && map != world)
        std::memmove(map, world, size_t(n) * sizeof *map);
    return std::max(n, 0);
}

int32_t PM_MapToWindow(const PresentationManager *view, const MAP_COORDPT *map, POINT *window, int32_t n)
{
    if (!HasModule(view) || n <= 0)
        return PM_WorldToWindow(view, map, window, n);
    std::vector<MAP_COORDPT> world(static_cast<size_t>(n));
    const int32_t m = std::clamp(PM_MapToWorld(view, map, world.data(), n), 0, n);
    return PM_WorldToWindow(view, world.data(), window, m);
}

int32_t PM_WindowToMap(const PresentationManager *view, const POINT *window, MAP_COORDPT *map, int32_t n)
{
    if (!HasModule(view) || n <= 0)
        return PM_WindowToWorld(view, window, map, n);
    std::vector<MAP_COORDPT> world(static_cast<size_t>(n));
    PM_WindowToWorld(view, window, world.data(), n);
    return PM_WorldToMap(view, world.data(), map, n);
}

int PM_WorldToWindowRect(const PresentationManager *view, const MAP_COORDRECT *world, RECT *window)
{
    const MAP_COORDPT corners[2] = {{world->x1, world->y1}, {world->x2, world->y2}};
    POINT out[2];
    PM_WorldToWindow(view, corners, out, 2);
    *window = RECT{out[0].x, out[0].y, out[1].x, out[1].y};
    RectMakeNegative(window);
    return 2;
}

int PM_WindowToWorldRect(const PresentationManager *view, const RECT *window, MAP_COORDRECT *world)
{
    const POINT corners[2] = {{window->left, window->top}, {window->right, window->bottom}};
    MAP_COORDPT out[2];
    PM_WindowToWorld(view, corners, out, 2);
    *world = MAP_COORDRECT{out[0].x, out[0].y, out[1].x, out[1].y};
    RectMakeNegative(world);
    return 2;
}

int PM_MapToWorldRect(const PresentationManager *view, const MAP_COORDRECT *map, MAP_COORDRECT *world)
{
    if (!HasModule(view)) {
        *world = *map;
        return 2;
    }
    MAP_COORDPT samples[28];
    RectSamples(*map, samples, false);
    const int32_t m = std::clamp(PM_MapToWorld(view, samples, samples, 28), 0, 28);
    *world = BoundOf(samples, m);
    return 2;
}

int PM_WorldToMapRect(const PresentationManager *view, const MAP_COORDRECT *world, MAP_COORDRECT *map)
{
    if (!HasModule(view)) {
        *map = *world;
        return 2;
    }
    MAP_COORDPT samples[28];
    RectSamples(*world, samples, false);
    const int32_t m = std::clamp(PM_WorldToMap(view, samples, samples, 28), 0, 28);
    *map = BoundOf(samples, m);
    return 2;
}

int PM_WindowToMapRect(const PresentationManager *view, const RECT *window, MAP_COORDRECT *map)
{
    if (!HasModule(view)) {
        const POINT corners[2] = {{window->left, window->top}, {window->right, window->bottom}};
        MAP_COORDPT out[2];
        PM_WindowToMap(view, corners, out, 2);
        *map = MAP_COORDRECT{out[0].x, out[0].y, out[1].x, out[1].y};
        RectMakeNegative(map);
        return 2;
    }
    MAP_COORDRECT asRect;
    RectToWorldRect(window, &asRect);
    MAP_COORDPT samples[28];
    RectSamples(asRect, samples, true);
    POINT windowSamples[28];
    for (int i = 0; i < 28; ++i)
        windowSamples[i] = POINT{samples[i].x, samples[i].y};
    const int32_t m = std::clamp(PM_WindowToMap(view, windowSamples, samples, 28), 0, 28);
    *map = BoundOf(samples, m);
    return 2;
}

int PM_MapToWindowRect(const PresentationManager *view, const MAP_COORDRECT *map, RECT *window)
{
    if (!HasModule(view)) {
        const MAP_COORDPT corners[2] = {{map->x1, map->y1}, {map->x2, map->y2}};
        POINT out[2];
        PM_MapToWindow(view, corners, out, 2);
        *window = RECT{out[0].x, out[0].y, out[1].x, out[1].y};
        RectMakeNegative(window);
        return 2;
    }
    MAP_COORDRECT world;
    PM_MapToWorldRect(view, map, &world);
    return PM_WorldToWindowRect(view, &world, window);
}

MAP_COORDPT PM_MapVectorToWorldVectorFromRect(const PresentationManager *view, const MAP_COORDRECT *rect,
                                              int32_t dx, int32_t dy)
{
    const int32_t cx = int32_t((int64_t(rect->x1) + rect->x2) / 2),
                  cy = int32_t((int64_t(rect->y1) + rect->y2) / 2);
    MAP_COORDPT pts[2] = {{cx, cy}, {Saturate(int64_t(cx) + dx), Saturate(int64_t(cy) + dy)}};
    PM_MapToWorld(view, pts, pts, 2);
    return MAP_COORDPT{Saturate(int64_t(pts[1].x) - pts[0].x), Saturate(int64_t(pts[1].y) - pts[0].y)};
}

int32_t PM_bMapToWorld(PresentationManager *view, Buffer *source, Buffer *destination, int32_t n)
{
    BufferSetType(destination, BufferGetType(source));
    SizeFor(destination, n);
    if (n <= 0)
        return 0;
    BufferItemsLock s(source), d(destination);
    return PM_MapToWorld(view, s.as<MAP_COORDPT>(), d.as<MAP_COORDPT>(), n);
}

int32_t PM_bWorldToWindow(PresentationManager *view, Buffer *source, Buffer *destination, Buffer *parts,
                          int32_t n)
{
    Buffer *points = source;
    if (view->clipFlag && g_clipper) {
        n = g_clipper(view, source, n, &view->clippedPoints, parts);
        points = &view->clippedPoints;
    } else {
        OnePart(parts, n);
    }
    SizeFor(destination, n);
    if (n <= 0)
        return 0;
    BufferItemsLock s(points), d(destination);
    return PM_WorldToWindow(view, s.as<MAP_COORDPT>(), d.as<POINT>(), n);
}

int32_t PM_bMapToWindow(PresentationManager *view, Buffer *source, Buffer *destination, Buffer *parts,
                        Buffer *runs, int32_t n, uint16_t classId, int *bridgeFlag)
{
    Buffer *points = source;
    if (HasModule(view) && n > 0) {
        SizeFor(&view->worldPoints, n);
        BufferItemsLock s(source), w(&view->worldPoints);
        n = std::clamp(PM_MapToWorld(view, s.as<MAP_COORDPT>(), w.as<MAP_COORDPT>(), n), 0, n);
        BufferSetType(&view->worldPoints, BufferGetType(source));
        points = &view->worldPoints;
    }
    if (view->clipFlag && g_clipper) {
        n = g_clipper(view, points, n, &view->clippedPoints, parts);
        points = &view->clippedPoints;
    } else {
        OnePart(parts, n);
    }
    if (bridgeFlag && *bridgeFlag) {
        BufferItemsLock p(points);
        *bridgeFlag = PM_SplitPartsAtBridges(classId, parts, runs, p.as<MAP_COORDPT>(), n, nullptr);
    }
    SizeFor(destination, n);
    if (n <= 0)
        return 0;
    BufferItemsLock s(points), d(destination);
    return PM_WorldToWindow(view, s.as<MAP_COORDPT>(), d.as<POINT>(), n);
}

int32_t PM_PointsToWindow(PresentationManager *view, const MAP_COORDPT *map, Buffer *destination,
                          Buffer *parts, Buffer *runs, Buffer *closing, int32_t n, uint16_t classId,
                          int *bridgeFlag)
{
    const MAP_COORDPT *points = map;
    if (HasModule(view) && n > 0) {
        SizeFor(&view->worldPoints, n);
        BufferItemsLock w(&view->worldPoints);
        n = std::clamp(PM_MapToWorld(view, map, w.as<MAP_COORDPT>(), n), 0, n);
        points = w.as<MAP_COORDPT>(); // the scratch buffer stays locked while the view owns it
    }
    OnePart(parts, n);
    int32_t count = n;
    if (classId == kPolygonClassId && bridgeFlag && *bridgeFlag && closing && n > 0) {
        *bridgeFlag = PM_SplitPartsAtBridges(classId, parts, runs, points, n, closing);
        points = static_cast<const MAP_COORDPT *>(BufferGetPointer(closing));
        count = n + 1;
    }
    SizeFor(destination, count);
    if (count <= 0)
        return 0;
    BufferItemsLock d(destination);
    return PM_WorldToWindow(view, points, d.as<POINT>(), count);
}

int PM_RLTP_CheckPoint(int32_t i, const MAP_COORDPT *points, int32_t n)
{
    if (i < 0 || i + 1 >= n || Equal(points[i], points[i + 1]))
        return 0;
    for (int32_t k = 1; k < n; ++k)
        if (k != i && Equal(points[k], points[i]) && Equal(points[k - 1], points[i + 1]))
            return 1;
    return 0;
}

int PM_SplitPartsAtBridges(uint16_t classId, Buffer *parts, Buffer *runs, const MAP_COORDPT *points,
                           int32_t n, Buffer *closing)
{
    if (classId != kPolygonClassId)
        return 0;
    if (closing && n > 0) {
        SizeFor(closing, n + 1);
        BufferItemsLock c(closing);
        std::memmove(c.as<MAP_COORDPT>(), points, size_t(n) * sizeof *points);
        c.as<MAP_COORDPT>()[n] = points[0];
        n += 1;
        BufferItemsLock p(parts);
        p.as<int32_t>()[1] = n;
        // The closing buffer holds the list from now on; it stays locked.
        if (!BufferGetPointer(closing))
            BufferLock(closing);
        points = static_cast<const MAP_COORDPT *>(BufferGetPointer(closing));
    }
    std::vector<int32_t> out;
    bool split = false;
    {
        BufferItemsLock p(parts);
        const uint32_t partCount = BufferGetValidNumber(parts);
        for (uint32_t part = 0; part < partCount; ++part) {
            const int32_t s = p.as<int32_t>()[2 * part], m = p.as<int32_t>()[2 * part + 1];
            int32_t runStart = s, runLength = 0;
            for (int32_t j = 0; j < m; ++j) {
                ++runLength;
                if (PM_RLTP_CheckPoint(s + j, points, n)) {
                    if (runLength > 1) {
                        out.push_back(runStart);
                        out.push_back(runLength);
                    }
                    runStart = s + j + 1;
                    runLength = 0;
                    split = true;
                }
            }
            if (runLength > 1) {
                out.push_back(runStart);
                out.push_back(runLength);
            }
        }
    }
    const int32_t items = int32_t(out.size());
    if (runs) {
        SizeFor(runs, items);
        if (items) {
            BufferItemsLock r(runs);
            std::memcpy(r.as<int32_t>(), out.data(), out.size() * sizeof(int32_t));
        }
        BufferSetValidNumber(runs, uint32_t(items / 2));
    }
    SizeFor(parts, items);
    if (items) {
        BufferItemsLock p(parts);
        std::memcpy(p.as<int32_t>(), out.data(), out.size() * sizeof(int32_t));
    }
    BufferSetValidNumber(parts, uint32_t(items / 2));
    return split ? 1 : 0;
}

void PM_SetPointListClipper(PointListClipProc clipper) { g_clipper = clipper; }

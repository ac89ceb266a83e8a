// Point-in-polygon, polygon area in ground units and ring corners.
#include "engine/editing/integer_math.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"

#include "engine/kernel/graph_classes.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/wndres.h"

#include <algorithm>
#include <cmath>

namespace {

// One edge's contribution to the leftward ray from p: 1 when it crosses,
// -1 when p lies on it in a way that makes p inside, else 0.
inline int rayCrossing(int64_t px, int64_t py, int64_t sx, int64_t sy, int64_t ex, int64_t ey)
{
    if (sx > px && ex > px)
        return 0;
    if ((sx == px && sy == py) || (ex == px && ey == py))
        return -1;
    if (sy == ey) {
        if (sy == py && std::min(sx, ex) < px && px < std::max(sx, ex))
            return -1;
        return 0;
    }
    if (ey == py)
        return (ex < px && ey > sy) ? 1 : 0;
    if (sy == py)
        return (sx < px && sy > ey) ? 1 : 0;
    if ((sy < py) == (ey < py))
        return 0; // both ends on one side of the ray's line
    if (sx <= px && ex <= px)
        return 1;
    // The crossing x is left of p exactly when sx + dx (py - sy) / dy < px;
    // compared without division, in 128 bits.
    const int64_t dy = ey - sy;
    const __int128 lhs = __int128(ex - sx) * (py - sy);
    const __int128 rhs = __int128(px - sx) * dy;
    return (dy > 0 ? lhs < rhs : lhs > rhs) ? 1 : 0;
}

// Even-odd count of the ring's edges crossing the ray from p to the left;
// 1 as soon as p lies on an edge. pointAt(k) gives vertex k of n.
template <typename PointAt>
int ringContains(uint32_t n, const MAP_COORDPT &p, PointAt pointAt)
{
    const int64_t px = p.x, py = p.y;
    uint32_t count = 0;
    MAP_COORDPT s = pointAt(n - 1);
    for (uint32_t k = 0; k < n; ++k) {
        const MAP_COORDPT e = pointAt(k);
        const int c = rayCrossing(px, py, s.x, s.y, e.x, e.y);
        if (c < 0)
            return 1;
        count += uint32_t(c);
        s = e;
    }
    return count & 1;
}

} // namespace

int PointRingContainsPoint(const MAP_COORDPT *points, uint32_t n, const MAP_COORDPT *point)
{
    if (!points || !point || n < 3)
        return 0;
    return ringContains(n, *point, [points](uint32_t k) { return points[k]; });
}

int PolygonContainsPoint(OBJectKernel *kernel, OBJHANDLE polygon, const MAP_COORDPT *point)
{
    PointSetAccess a;
    if (!point || !LockPointSet(kernel, polygon, a) || a.count < 3)
        return 0;
    const MAP_COORDRECT r = a.bound();
    if (point->x < r.x1 || point->x > r.x2 || point->y < r.y1 || point->y > r.y2)
        return 0;
    return ringContains(a.count, *point, [&a](uint32_t k) { return a.at(k); });
}

double PolygonAreaInUnits(OBJectKernel *kernel, OBJHANDLE polygon)
{
    PointSetAccess a;
    if (!LockPointSet(kernel, polygon, a))
        return -1.0;
    const _WNDRES *rec = GetWndRes(GetOBJectWnd(kernel, polygon));
    if (!rec || !rec->displayView)
        return -1.0;
    const double area = std::fabs(PointSetArea(a));
    const PresentationManager *view = rec->displayView;
    if (view->projection.baseKind != UNIT_ANGLE)
        return area;
    const tagUnitInfo *unit = FindUnitInfo(view->projection.transformedUnit);
    if (!unit || !(unit->kind & UNIT_ANGLE) || unit->factor <= 0)
        return area;
    const double f = unit->factor, radian = M_PI / 180.0, earth = 6378137.0;
    const MAP_COORDRECT r = a.bound();
    const double mid = double((int64_t(r.y1) + r.y2) / 2);
    return std::cos(mid / f * radian) * (area / f * radian / f * radian) * earth * earth;
}

int32_t PointArrayLowestIndex(const MAP_COORDPT *points, int32_t n)
{
    if (!points || n < 1)
        return -1;
    int32_t best = 0;
    for (int32_t i = 1; i < n; ++i)
        if (points[i].x < points[best].x || (points[i].x == points[best].x && points[i].y < points[best].y))
            best = i;
    return best;
}

int32_t PointRingNextCorner(const MAP_COORDPT *points, int32_t index, int32_t n, int32_t step)
{
    if (!points || n <= 0)
        return -1;
    if (index < 0 || index >= n)
        return -1;
    if (n == 1)
        return index;
    step = step < 0 ? -1 : 1;
    const auto wrap = [n](int64_t i) { return int32_t(((i % n) + n) % n); };
    int32_t j = index;
    for (int32_t walked = 0; walked < n; ++walked) {
        const int32_t k = wrap(int64_t(j) + step), next = wrap(int64_t(k) + step);
        const int64_t ax = int64_t(points[k].x) - points[j].x, ay = int64_t(points[k].y) - points[j].y;
        const int64_t bx = int64_t(points[next].x) - points[k].x, by = int64_t(points[next].y) - points[k].y;
        if (DetSgn64(ax, ay, bx, by) != 0)
            return k;
        j = k;
        if (j == index)
            break;
    }
    return index;
}

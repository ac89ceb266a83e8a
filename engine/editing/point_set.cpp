#include "engine/editing/point_set.h"

#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"

#include <algorithm>
#include <cstdlib>

bool IsPointSetClass(uint16_t classId) { return classId == CLASS_POLYGON || classId == CLASS_POLYLINE; }

void PointSetAccess::setCount(uint32_t n)
{
    count = n;
    StoreField<uint32_t>(fixed, PS_COUNT, n);
    StoreField<uint32_t>(fixed, PS_CAPACITY, room);
}

bool LockPointSet(OBJectKernel *kernel, OBJHANDLE object, PointSetAccess &access)
{
    if (!kernel || !object || !IsPointSetClass(GetOBJectClassID(kernel, object)))
        return false;
    char *fixed = GraphHeadLock(kernel, object, PS_FIXED_SIZE);
    if (!fixed)
        return false;
    access.fixed = fixed;
    access.data = DataSpaceBegin(fixed);
    access.stride = (LoadField<uint16_t>(fixed, PS_ZFLAGS) & 1) ? 12 : 8;
    access.room = DataSpaceSize(kernel, object) / access.stride;
    access.count = std::min(LoadField<uint32_t>(fixed, PS_COUNT), access.room);
    return true;
}

MAP_COORDRECT PointSetBounds(const PointSetAccess &access)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    for (uint32_t i = 0; i < access.count; ++i) {
        const MAP_COORDPT p = access.at(i);
        r.x1 = std::min(r.x1, p.x);
        r.y1 = std::min(r.y1, p.y);
        r.x2 = std::max(r.x2, p.x);
        r.y2 = std::max(r.y2, p.y);
    }
    return r;
}

MAP_COORDRECT *SetOfLinesegmentCalculateBR(OBJectKernel *kernel, OBJHANDLE object, MAP_COORDRECT *rect)
{
    PointSetAccess a;
    if (!rect || !LockPointSet(kernel, object, a))
        return nullptr;
    *rect = PointSetBounds(a);
    return rect;
}

void PointSetBoundRect(OBJectKernel *kernel, OBJHANDLE object, MAP_COORDRECT *rect)
{
    SetOfLinesegmentCalculateBR(kernel, object, rect);
}

int32_t SetOfLinesegmentPointsCount(OBJectKernel *kernel, OBJHANDLE object)
{
    PointSetAccess a;
    return LockPointSet(kernel, object, a) ? int32_t(std::min<uint32_t>(a.count, INT32_MAX)) : -1;
}

MAP_COORDPT *SetOfLinesegmentPointGet(OBJectKernel *kernel, OBJHANDLE object, int32_t index,
                                      MAP_COORDPT *point)
{
    PointSetAccess a;
    if (!point || !LockPointSet(kernel, object, a) || a.count == 0)
        return nullptr;
    if (index == -1)
        index = int32_t(a.count - 1);
    if (index < 0 || uint32_t(index) >= a.count)
        return nullptr;
    *point = a.at(uint32_t(index));
    return point;
}

namespace {

// Inclusive, and nothing lies in an empty (inverted) rectangle.
bool inside(const MAP_COORDRECT &r, const MAP_COORDPT &p, int64_t margin)
{
    return p.x >= r.x1 - margin && p.x <= r.x2 + margin && p.y >= r.y1 - margin && p.y <= r.y2 + margin;
}

int32_t vertexIndex(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point, int64_t margin)
{
    PointSetAccess a;
    if (!point || !LockPointSet(kernel, object, a) || a.count == 0 || !inside(a.bound(), *point, margin))
        return -1;
    return SetOfLinesegmentFindPoint(a, point, 0);
}

} // namespace

int32_t SetOfLinesegmentFindPoint(const PointSetAccess &access, const MAP_COORDPT *point, int32_t start)
{
    if (!point || !access.fixed)
        return -1;
    for (uint32_t i = uint32_t(std::max(start, 0)); i < access.count; ++i) {
        const MAP_COORDPT p = access.at(i);
        if (p.x == point->x && p.y == point->y)
            return int32_t(i);
    }
    return -1;
}

int32_t SetOfLinesegmentPointIndex(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point)
{
    return vertexIndex(kernel, object, point, 0);
}

int32_t SetOfLinesegmentOwnsPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point)
{
    return vertexIndex(kernel, object, point, 2);
}

int SetOfLinesegmentIsEndPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point)
{
    PointSetAccess a;
    if (!point || !LockPointSet(kernel, object, a) || a.count == 0)
        return 0;
    const MAP_COORDPT f = a.at(0), l = a.at(a.count - 1);
    return CoordPtEqual(f, *point) || CoordPtEqual(l, *point);
}

int SetOfLinesegmentCommonEndPoint(OBJectKernel *kernel, OBJHANDLE a, OBJHANDLE b, MAP_COORDPT *point)
{
    PointSetAccess pa, pb;
    if (!LockPointSet(kernel, a, pa) || !LockPointSet(kernel, b, pb) || pa.count == 0 || pb.count == 0)
        return 0;
    const MAP_COORDPT ends[4][2] = {{pa.at(0), pb.at(0)},
                                    {pa.at(0), pb.at(pb.count - 1)},
                                    {pa.at(pa.count - 1), pb.at(0)},
                                    {pa.at(pa.count - 1), pb.at(pb.count - 1)}};
    for (const auto &e : ends)
        if (CoordPtEqual(e[0], e[1])) {
            if (point)
                *point = e[0];
            return 1;
        }
    return 0;
}

void SetOfLinesegmentFirstLinesegment(OBJectKernel *kernel, OBJHANDLE object, Linesegment *segment)
{
    PointSetAccess a;
    if (!segment || !LockPointSet(kernel, object, a) || a.count < 2)
        return;
    const MAP_COORDPT p = a.at(0), q = a.at(1);
    LinesegmentPointsSet(segment, &p, &q);
}

int SetOfLinesegmentNextLinesegment(OBJectKernel *kernel, OBJHANDLE object, int32_t *index,
                                    Linesegment *segment)
{
    PointSetAccess a;
    if (!index || !LockPointSet(kernel, object, a))
        return 0;
    const int64_t i = int64_t(*index) + 1;
    *index = int32_t(std::min<int64_t>(i, INT32_MAX));
    if (i < 0 || i >= int64_t(a.count) - 1)
        return 0;
    const MAP_COORDPT p = a.at(uint32_t(i)), q = a.at(uint32_t(i + 1));
    if (segment)
        LinesegmentPointsSet(segment, &p, &q);
    return 1;
}

int CoordPtNear(MAP_COORDPT a, MAP_COORDPT b, int32_t tolerance)
{
    if (CoordPtEqual(a, b))
        return 1;
    return std::llabs(int64_t(a.x) - b.x) <= tolerance && std::llabs(int64_t(a.y) - b.y) <= tolerance;
}

int PolylineHandleValid(OBJectKernel *, OBJHANDLE object) { return object != 0; }

// ---- edges at a point -------------------------------------------------------

int SetOfLinesegmentGetEdges(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point,
                             const MAP_COORDPT *near1, const MAP_COORDPT *near2, Linesegment *edge1,
                             Linesegment *edge2)
{
    PointSetAccess a;
    if (!point || !edge1 || !edge2 || !LockPointSet(kernel, object, a) || a.count < 2)
        return 0;
    const uint32_t n = a.count;
    const int32_t found = SetOfLinesegmentOwnsPoint(kernel, object, point);
    if (found >= 0) {
        const uint32_t i = uint32_t(found);
        const MAP_COORDPT v = a.at(i);
        MAP_COORDPT p1, p2;
        int result = 1;
        if (i > 0 && i < n - 1) {
            p1 = a.at(i - 1);
            p2 = a.at(i + 1);
            result = 2;
        } else if (i == n - 1) {
            p1 = a.at(n - 2);
            p2 = a.at(0);
        } else {
            p1 = a.at(1);
            p2 = a.at(n - 1);
        }
        LinesegmentPointsSet(edge1, &p1, &v);
        LinesegmentPointsSet(edge2, &p2, &v);
        return result;
    }
    if (!near1 && !near2)
        return 0;
    // The near point closer to the click (Chebyshev distance; the second on a
    // tie).
    auto distance = [&](const MAP_COORDPT *q) {
        return std::max(std::llabs(int64_t(q->x) - point->x), std::llabs(int64_t(q->y) - point->y));
    };
    const MAP_COORDPT *chosen = !near1                              ? near2
                                : !near2                            ? near1
                                : distance(near1) < distance(near2) ? near1
                                                                    : near2;
    for (uint32_t j = 0; j < n; ++j) {
        const MAP_COORDPT p = a.at(j), q = a.at((j + 1) % n);
        const Linesegment e{p.x, p.y, q.x, q.y};
        MAP_COORDPT mid;
        LinesegmentMedian(&e, &mid);
        if (CoordPtEqual(mid, *chosen)) {
            LinesegmentPointsSet(edge1, &p, chosen);
            LinesegmentPointsSet(edge2, &q, chosen);
            return 3;
        }
    }
    return 0;
}

int ObjectGetEdges(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point, const MAP_COORDPT *near1,
                   const MAP_COORDPT *near2, Linesegment *edge1, Linesegment *edge2, uint16_t classId)
{
    if (!IsPointSetClass(classId))
        return 0;
    return SetOfLinesegmentGetEdges(kernel, object, point, near1, near2, edge1, edge2);
}

// ---- replacing one point ------------------------------------------------------

int SetOfLinesegmentSetPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point, int32_t index)
{
    PointSetAccess a;
    if (!point || !LockPointSet(kernel, object, a) || a.count == 0 || index < 0 || uint32_t(index) >= a.count)
        return 0;
    const MAP_COORDRECT before = a.bound();
    const MAP_COORDPT old = a.at(uint32_t(index));
    a.put(uint32_t(index), *point);
    const bool inwards =
        (old.x == before.x1 && point->x > before.x1) || (old.x == before.x2 && point->x < before.x2) ||
        (old.y == before.y1 && point->y > before.y1) || (old.y == before.y2 && point->y < before.y2);
    MAP_COORDRECT now = before;
    if (inwards) {
        now = PointSetBounds(a);
    } else {
        MAP_COORDPT p = *point;
        PtToBoundRect(&now, &p);
    }
    a.setBound(now);
    SendOBJectMessage(kernel, object, object, 0, GRM_INVALIDATE, 0, LPARAM(&before));
    return 1;
}

int ObjectSetPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point, int32_t index,
                   uint16_t classId)
{
    if (!IsPointSetClass(classId))
        return 0;
    return SetOfLinesegmentSetPoint(kernel, object, point, index);
}

#include "engine/polygon/cutting/polygon_overlay.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/polyline_cut.h"
#include "engine/polygon/cutting/vertex_ring.h"
#include "engine/polygon/polygon_logical.h"
#include "engine/window/window_selection.h"

#include <algorithm>
#include <memory>

namespace {

using Wide = __int128;

// Twice the signed area, counter-clockwise positive (y up), exact.
Wide SignedArea2(const PointSetAccess &access)
{
    Wide sum = 0;
    for (uint32_t i = 0; i < access.count; ++i) {
        const MAP_COORDPT a = access.at(i), b = access.at((i + 1) % access.count);
        sum += Wide(a.x) * b.y - Wide(b.x) * a.y;
    }
    return sum;
}

void ReverseInPlace(const PointSetAccess &access)
{
    for (uint32_t i = 0, j = access.count - 1; i < j; ++i, --j) {
        const MAP_COORDPT p = access.at(i), q = access.at(j);
        const int32_t zp = access.z(i), zq = access.z(j);
        access.put(i, q);
        access.put(j, p);
        access.putZ(i, zq);
        access.putZ(j, zp);
    }
}

std::vector<OBJHANDLE> RequestObjects(HWND window, OBJHANDLE first, OBJHANDLE second, int mode,
                                      uint32_t flags)
{
    std::vector<OBJHANDLE> objects;
    if (flags & TOPOLOGY_OBJECTS_GIVEN) {
        objects.push_back(first);
        if (mode == TOPOLOGY_COMBINE || mode == TOPOLOGY_COMBINE_PAIR)
            objects.push_back(second);
    } else if (flags & (TOPOLOGY_OBJECTS_SELECTED | TOPOLOGY_OBJECTS_SELECTED_AND_FIRST)) {
        int32_t count = 0;
        map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 1);
        if (count > 0) {
            objects.resize(size_t(count));
            const int32_t got = map_selection_Get(window, &count, objects.data(), count, nullptr, nullptr,
                                                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1);
            objects.resize(size_t(std::max(got, 0)));
        }
        if (flags & TOPOLOGY_OBJECTS_SELECTED_AND_FIRST)
            objects.push_back(first);
    }
    return objects;
}

// One operand of the Boolean engine: rings of map points.
struct Operand {
    std::vector<PlgList> points;
    std::vector<PlgListWithNumPoints> rings;

    void add(const PointList &ring)
    {
        rings.push_back({int32_t(points.size()), int32_t(ring.size())});
        for (const MAP_COORDPT &p : ring)
            points.push_back({p.x, p.y});
    }
    PlgOpResult set() { return {rings.data(), points.data(), int32_t(points.size()), int32_t(rings.size())}; }
};

} // namespace

int ObjectsTopologyRequest(HWND window, OBJHANDLE first, OBJHANDLE second, std::vector<OBJHANDLE> *made,
                           int mode, int operation, uint32_t flags)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const std::vector<OBJHANDLE> objects = RequestObjects(window, first, second, mode, flags);

    if (mode == TOPOLOGY_COUNTER_CLOCKWISE || mode == TOPOLOGY_CLOCKWISE) {
        bool any = false;
        for (OBJHANDLE h : objects) {
            PointSetAccess access;
            if (!h || GetOBJectClassID(kernel, h) != CLASS_POLYGON || !LockPointSet(kernel, h, access))
                continue;
            any = true;
            const Wide area = SignedArea2(access);
            if (access.count > 1 && (mode == TOPOLOGY_COUNTER_CLOCKWISE ? area < 0 : area > 0))
                ReverseInPlace(access);
        }
        return any ? 1 : 0;
    }
    if (mode != TOPOLOGY_COMBINE && mode != TOPOLOGY_COMBINE_PAIR)
        return 0;
    int code = 0;
    if (operation == TOPOLOGY_INTERSECTION)
        code = PLG_INTERSECTION;
    else if (operation == TOPOLOGY_DIFFERENCE)
        code = PLG_A_MINUS_B;
    else
        return 0;

    Operand a, b;
    size_t taking = 0;
    for (OBJHANDLE h : objects) {
        PointList points;
        if (ReadPointSet(kernel, h, CLASS_POLYLINE, points)) {
            if (points.size() < 2)
                continue;
            // A polyline takes part as the ring that runs there and back.
            for (size_t k = points.size() - 1; k-- > 1;)
                points.push_back(points[k]);
        } else if (!ReadPointSet(kernel, h, CLASS_POLYGON, points) || points.size() < 2) {
            continue;
        }
        (taking++ == 0 ? a : b).add(points);
    }
    if (taking == 0)
        return 0;
    const PlgOpResult setA = a.set(), setB = b.set();
    PlgOpStatus status = PLG_OP_OK;
    const std::unique_ptr<PlgOpResult, void (*)(PlgOpResult *)> result(
        main_polygon_logical(&setA, &setB, code, &status), DeletePlgOpResult);
    // A partial answer is not the operation's answer: nothing is made.
    if (status != PLG_OP_OK || !result)
        return 0;
    std::vector<PointList> rings;
    for (int32_t r = 0; r < result->numPolygons; ++r) {
        const PlgListWithNumPoints &ring = result->polygons[r];
        PointList points;
        for (int32_t k = 0; k < ring.numPoints; ++k)
            points.push_back({result->points[ring.firstPoint + k].x, result->points[ring.firstPoint + k].y});
        if (points.size() >= 3)
            rings.push_back(std::move(points));
    }
    std::vector<OBJHANDLE> created;
    if (!CreatePointSets(window, CLASS_POLYGON, rings, created))
        return 0;
    if (made)
        made->insert(made->end(), created.begin(), created.end());
    return 1;
}

int PolygonsOverlap(HWND window, int, OBJHANDLE a, OBJHANDLE b)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !a || !b || SetOfLinesegmentEqual(rec->kernel, a, b))
        return 0;
    PointList pa, pb;
    if (!ReadPointSet(rec->kernel, a, CLASS_POLYGON, pa) ||
        !ReadPointSet(rec->kernel, b, CLASS_POLYGON, pb) || pb.empty())
        return 0;
    const std::vector<Linesegment> ea = OutlineEdges(pa, true), eb = OutlineEdges(pb, true);
    for (const Linesegment &s : ea)
        for (const Linesegment &t : eb) {
            MAP_COORDPT p{};
            if (LinesegmentIntersection(&s, &t, &p))
                return 1;
        }
    return PolygonContainsPoint(rec->kernel, a, &pb.front()) ? 1 : 0;
}

int CutPolygonByPolygon(HWND window, int, OBJHANDLE a, OBJHANDLE b, HGLOBAL *list1, uint32_t *count1,
                        HGLOBAL *list2, uint32_t *count2, int *noOverlap)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !a || !b)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    if (GetOBJectClassID(kernel, a) != CLASS_POLYGON || GetOBJectClassID(kernel, b) != CLASS_POLYGON)
        return 0;
    if (list2 && count2) {
        *list2 = 0;
        *count2 = 0;
    }
    if (SetOfLinesegmentEqual(kernel, a, b))
        return 1;
    std::vector<OBJHANDLE> pieces;
    const auto fail = [&] {
        for (OBJHANDLE h : pieces)
            OBJectDelete(kernel, h);
        return 0;
    };
    if (!ObjectsTopologyRequest(window, a, b, &pieces, TOPOLOGY_COMBINE_PAIR, TOPOLOGY_INTERSECTION,
                                TOPOLOGY_OBJECTS_GIVEN))
        return fail();
    if (pieces.empty()) {
        if (noOverlap)
            *noOverlap = 1;
        return 1;
    }
    if (!ObjectsTopologyRequest(window, a, b, &pieces, TOPOLOGY_COMBINE_PAIR, TOPOLOGY_DIFFERENCE,
                                TOPOLOGY_OBJECTS_GIVEN))
        return fail();
    if (list1 && count1 && !HandleListToBlock(list1, count1, pieces.data(), uint32_t(pieces.size())))
        return fail();
    return 1;
}

int CutPolygonByPolygonOperation(HWND window, OBJHANDLE *polygon, int, OBJHANDLE *cutter, int, HGLOBAL *list1,
                                 uint32_t *count1, HGLOBAL *list2, uint32_t *count2)
{
    if (!polygon || !cutter)
        return 0;
    if (!PolygonsOverlap(window, 0, *polygon, *cutter))
        return GetWndRes(window) ? 1 : 0;
    int noOverlap = 0;
    return CutPolygonByPolygon(window, 0, *polygon, *cutter, list1, count1, list2, count2, &noOverlap);
}

int PolygonRecreate(HWND window, OBJHANDLE *object, int deleteOld)
{
    _WNDRES *rec = GetWndRes(window);
    PointList points;
    if (!rec || !rec->kernel || !object || !*object ||
        !ReadPointSet(rec->kernel, *object, CLASS_POLYGON, points) || points.empty())
        return 0;
    std::vector<OBJHANDLE> made;
    if (!CreatePointSets(window, CLASS_POLYGON, {points}, made))
        return 0;
    if (deleteOld)
        OBJectDelete(rec->kernel, *object);
    *object = made.front();
    return 1;
}

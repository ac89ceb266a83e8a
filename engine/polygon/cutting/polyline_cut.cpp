#include "engine/polygon/cutting/polyline_cut.h"

#include "engine/editing/handle_list.h"
#include "engine/editing/point_set.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/cutting_engine.h"
#include "engine/polygon/cutting/vertex_ring.h"
#include "engine/window/window_points.h"
#include "platform/global_memory.h"

#include <algorithm>

namespace {

using Wide = __int128;

bool Same(MAP_COORDPT a, MAP_COORDPT b) { return a.x == b.x && a.y == b.y; }

struct SplitEntry {
    MAP_COORDPT point;
    bool crossing;
};

} // namespace

std::vector<Linesegment> OutlineEdges(const PointList &points, bool closed)
{
    std::vector<Linesegment> edges;
    const size_t n = points.size();
    const size_t last = closed ? n : (n ? n - 1 : 0);
    for (size_t i = 0; i < last && n > 1; ++i) {
        const MAP_COORDPT a = points[i], b = points[(i + 1) % n];
        if (!Same(a, b))
            edges.push_back({a.x, a.y, b.x, b.y});
    }
    return edges;
}

std::vector<PointList> SplitPolylineAtEdges(const PointList &line, const std::vector<Linesegment> &edges)
{
    if (line.empty() || edges.empty())
        return {};
    std::vector<SplitEntry> split{{line.front(), false}};
    bool crossed = false;
    std::vector<MAP_COORDPT> crossings;
    for (size_t k = 0; k + 1 < line.size(); ++k) {
        const MAP_COORDPT a = line[k], b = line[k + 1];
        crossings.clear();
        if (!Same(a, b)) {
            const Linesegment s{a.x, a.y, b.x, b.y};
            for (const Linesegment &e : edges) {
                MAP_COORDPT p{};
                if (LinesegmentIntersection(&s, &e, &p) &&
                    std::none_of(crossings.begin(), crossings.end(),
                                 [&](MAP_COORDPT q) { return Same(p, q); }))
                    crossings.push_back(p);
            }
            // In order along the segment (its projection, exact in 128 bits).
            const Wide dx = Wide(b.x) - a.x, dy = Wide(b.y) - a.y;
            const auto along = [&](MAP_COORDPT p) { return (Wide(p.x) - a.x) * dx + (Wide(p.y) - a.y) * dy; };
            std::sort(crossings.begin(), crossings.end(),
                      [&](MAP_COORDPT p, MAP_COORDPT q) { return along(p) < along(q); });
        }
        for (const MAP_COORDPT &p : crossings) {
            crossed = true;
            // A crossing on the point just written (a vertex of the line on
            // the outline) splits there once.
            if (Same(split.back().point, p))
                split.back().crossing = true;
            else
                split.push_back({p, true});
        }
        if (crossings.empty() || !Same(split.back().point, b))
            split.push_back({b, false});
    }
    if (!crossed)
        return {};
    std::vector<PointList> pieces;
    PointList piece;
    for (size_t i = 0; i < split.size(); ++i) {
        piece.push_back(split[i].point);
        if (split[i].crossing || i + 1 == split.size()) {
            if (piece.size() > 1)
                pieces.push_back(piece);
            piece = {split[i].point};
        }
    }
    return pieces;
}

int HandleListToBlock(HGLOBAL *block, uint32_t *count, const OBJHANDLE *handles, uint32_t n)
{
    if (!block || !count)
        return 0;
    if (n == 0)
        return 1;
    HGLOBAL list = 0;
    uint32_t made = 0;
    for (uint32_t i = 0; i < n; ++i)
        if (!HandleListAppend(handles[i], &list, &made)) {
            if (list)
                GlobalFree(list);
            return 0;
        }
    *block = list;
    *count = made;
    return 1;
}

bool ReadPointSet(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId, PointList &out)
{
    PointSetAccess access;
    if (!object || GetOBJectClassID(kernel, object) != classId || !LockPointSet(kernel, object, access))
        return false;
    out.clear();
    for (uint32_t i = 0; i < access.count; ++i)
        out.push_back(access.at(i));
    return true;
}

bool CreatePointSets(HWND window, uint16_t classId, const std::vector<PointList> &lists,
                     std::vector<OBJHANDLE> &made)
{
    _WNDRES *rec = GetWndRes(window);
    const size_t first = made.size();
    for (const PointList &points : lists) {
        OBJHANDLE h = 0;
        const int ok = classId == CLASS_POLYGON
                           ? map_polygon_Create(window, &h, points.data(), int32_t(points.size()), 0)
                           : map_polyline_Create(window, &h, points.data(), int32_t(points.size()), 0);
        if (!ok || !h) {
            for (size_t i = first; i < made.size(); ++i)
                OBJectDelete(rec->kernel, made[i]);
            made.resize(first);
            return false;
        }
        made.push_back(h);
    }
    return true;
}

namespace {

// The common road of both polyline cuts.
int CutPolyline(HWND window, OBJHANDLE *polyline, OBJHANDLE *cutter, uint16_t cutterClass, HGLOBAL *list1,
                uint32_t *count1, HGLOBAL *list2, uint32_t *count2)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !polyline || !cutter)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    PointList line, outline;
    if (!ReadPointSet(kernel, *polyline, CLASS_POLYLINE, line) ||
        !ReadPointSet(kernel, *cutter, cutterClass, outline))
        return 0;
    if (list2 && count2) {
        *list2 = 0;
        *count2 = 0;
    }
    if (SetOfLinesegmentEqual(kernel, *polyline, *cutter) || SetOfLinesegmentDegenerate(kernel, *polyline) ||
        SetOfLinesegmentDegenerate(kernel, *cutter))
        return 1;
    const std::vector<PointList> pieces =
        SplitPolylineAtEdges(line, OutlineEdges(outline, cutterClass == CLASS_POLYGON));
    if (pieces.empty())
        return 1;
    std::vector<OBJHANDLE> made;
    if (!CreatePointSets(window, CLASS_POLYLINE, pieces, made))
        return 0;
    if (list1 && count1 && !HandleListToBlock(list1, count1, made.data(), uint32_t(made.size()))) {
        for (OBJHANDLE h : made)
            OBJectDelete(kernel, h);
        return 0;
    }
    return 1;
}

} // namespace

int CutPolylineByPolygon(HWND window, OBJHANDLE *polyline, int, OBJHANDLE *polygon, int, HGLOBAL *list1,
                         uint32_t *count1, HGLOBAL *list2, uint32_t *count2)
{
    return CutPolyline(window, polyline, polygon, CLASS_POLYGON, list1, count1, list2, count2);
}

int CutPolylineByPolyline(HWND window, int, OBJHANDLE *polyline, int, OBJHANDLE *cutter, int, HGLOBAL *list1,
                          uint32_t *count1, HGLOBAL *list2, uint32_t *count2)
{
    return CutPolyline(window, polyline, cutter, CLASS_POLYLINE, list1, count1, list2, count2);
}

int CutPolylineByPolylineOperation(HWND window, OBJHANDLE *polyline, int polylineCount, OBJHANDLE *cutter,
                                   int cutterCount, HGLOBAL *list1, uint32_t *count1, HGLOBAL *list2,
                                   uint32_t *count2)
{
    return CutPolylineByPolyline(window, 0, polyline, polylineCount, cutter, cutterCount, list1, count1,
                                 list2, count2);
}

#include "engine/window/window_shapes.h"

#include "engine/editing/handle_list.h"
#include "engine/editing/integer_math.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/window/object_wrappers.h"
#include "engine/window/window_access.h"
#include "engine/window/window_children.h"
#include "engine/window/window_points.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr double kTwoPi = 6.2831852;
constexpr double kDegree = 0.017453292222222222;

MAP_COORDRECT boundsOf(OBJectKernel *kernel, OBJHANDLE object)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    SendOBJectMessage(kernel, object, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

bool fits32(double v) { return std::isfinite(v) && v >= INT32_MIN && v <= INT32_MAX; }

void reverse(const PointSetAccess &access)
{
    // Whole records: a height moves with its point.
    for (uint32_t i = 0, j = access.count ? access.count - 1 : 0; i < j; ++i, --j) {
        const MAP_COORDPT a = access.at(i), b = access.at(j);
        const int32_t za = access.z(i), zb = access.z(j);
        access.put(i, b);
        access.put(j, a);
        access.putZ(i, zb);
        access.putZ(j, za);
    }
}

struct ContainSearch {
    OBJectKernel *kernel;
    MAP_COORDPT point;
    OBJHANDLE *out;
    int32_t capacity;
    int64_t hits = 0;
    uint64_t steps = 0;
    uint64_t limit;

    void hit(OBJHANDLE object)
    {
        if (out && hits < capacity)
            out[hits] = object;
        ++hits;
    }

    void search(OBJHANDLE container, int depth)
    {
        if (depth > 64 || !SendOBJectMessage(kernel, container, container, 0, GRM_GETSELECTABLE, 0, 0))
            return;
        int32_t pos = -1;
        while (OBJHANDLE child = GetReference(kernel, container, REF_LAYER_MEMBER, &pos)) {
            if (++steps > limit)
                return;
            const MAP_COORDRECT r = boundsOf(kernel, child);
            if (!GraphRectContainsPoint(&r, point.x, point.y))
                continue;
            const uint16_t cls = GetOBJectClassID(kernel, child);
            if (IsListClass(cls)) {
                search(child, depth + 1);
                continue;
            }
            if (!SendOBJectMessage(kernel, child, child, 0, GRM_GETSELECTABLE, 0, 0))
                continue;
            bool inside = false;
            switch (cls) {
            case CLASS_POLYGON:
                inside = PolygonContainsPoint(kernel, child, &point) != 0;
                break;
            case CLASS_POLYLINE:
                inside = SetOfLinesegmentOwnsPoint(kernel, child, &point) >= 0;
                break;
            case CLASS_TEXT:
                inside = true; // its rectangle holds the point
                break;
            case CLASS_LEGEND:
                inside = LegendContainsPoint(kernel, child, point.x, point.y) != 0;
                break;
            default:
                break;
            }
            if (inside)
                hit(child);
        }
    }
};

// Enclosed (flag COLLECT_ENCLOSED) or neighbouring (COLLECT_CROSSING)
// objects of the given ones, through a temporary group holding them.
int32_t collectAround(HWND window, const OBJHANDLE *objects, int32_t count, int32_t *found, void *result,
                      int32_t capacity, uint32_t flag)
{
    if (found)
        *found = 0;
    const MapDoc doc(window);
    if (!doc || !objects || count <= 0)
        return 0;
    const OBJHANDLE group = CreateOBJect(doc.kernel, CLASS_GROUP);
    if (!group)
        return 0;
    for (int32_t i = 0; i < count; ++i)
        if (doc.classOf(objects[i]))
            InsertRefInPos(doc.kernel, group, REF_GROUP_MEMBER, objects[i], -1, -1);
    uint32_t n = 0;
    HGLOBAL list = 0;
    ObjectChildrenListCollect(window, group, REF_FILTER_FORWARD, flag, &n, &list);
    OBJectDelete(doc.kernel, group);
    if (found)
        *found = int32_t(n);
    if (capacity == 0) {
        if (result)
            *static_cast<HGLOBAL *>(result) = list;
        else if (list)
            GlobalFree(list);
        return int32_t(n);
    }
    int32_t copied = 0;
    if (result && capacity > 0) {
        copied = int32_t(std::min<uint32_t>(n, uint32_t(capacity)));
        auto *out = static_cast<OBJHANDLE *>(result);
        for (int32_t i = 0; i < copied; ++i)
            out[i] = HandleListAt(list, n, uint32_t(i));
    }
    if (list)
        GlobalFree(list);
    return copied;
}

} // namespace

extern "C" {

OBJHANDLE map_Ellipse_Create_AsPolygon(HWND window, int32_t x, int32_t y, int32_t radiusX, int32_t radiusY,
                                       uint32_t segments, double rotation)
{
    // More points than a polygon's data space can hold give no polygon.
    if (!MapDoc(window) || segments < 3 || !std::isfinite(rotation) ||
        uint64_t(segments) * sizeof(MAP_COORDPT) > uint64_t(INT32_MAX))
        return 0;
    std::vector<MAP_COORDPT> points;
    const double step = kTwoPi / segments;
    const double r = rotation * kDegree;
    const double cr = std::cos(r), sr = std::sin(r);
    for (uint32_t k = 0; k < segments; ++k) {
        const double a = k * step;
        double px = std::floor(x + std::cos(a) * radiusX + 0.5);
        double py = std::floor(y + std::sin(a) * radiusY + 0.5);
        if (rotation != 0.0) {
            const double rx = std::floor(cr * (px - x) - sr * (py - y) + x + 0.5);
            const double ry = std::floor(cr * (py - y) + sr * (px - x) + y + 0.5);
            px = rx;
            py = ry;
        }
        if (!fits32(px) || !fits32(py))
            return 0;
        const MAP_COORDPT p{int32_t(px), int32_t(py)};
        if (!points.empty() && points.back().x == p.x && points.back().y == p.y)
            continue;
        points.push_back(p);
    }
    if (points.size() < 3 || points.size() > size_t(INT32_MAX))
        return 0;
    OBJHANDLE polygon = 0;
    map_polygon_Create(window, &polygon, points.data(), int32_t(points.size()), 0);
    return polygon;
}

OBJHANDLE map_Circle_Create_AsPolygon(HWND window, int32_t x, int32_t y, int32_t radius, uint32_t segments)
{
    return map_Ellipse_Create_AsPolygon(window, x, y, radius, radius, segments, 0.0);
}

int m_PolygonClockDirection(HWND window, OBJHANDLE polygon, int counterClockwise)
{
    const MapDoc doc(window);
    PointSetAccess access;
    if (!doc.is(polygon, CLASS_POLYGON) || !LockPointSet(doc.kernel, polygon, access) || access.count < 3)
        return 1;
    const uint32_t n = access.count;
    uint32_t i = 0;
    for (uint32_t k = 1; k < n; ++k)
        if (access.at(k).x < access.at(i).x)
            i = k;
    const MAP_COORDPT L = access.at(i);
    const MAP_COORDPT P = access.at(i == 0 ? n - 1 : i - 1);
    const MAP_COORDPT N = access.at(i == n - 1 ? 0 : i + 1);
    int s = DetSgn64(int64_t(L.x) - P.x, int64_t(L.y) - P.y, int64_t(N.x) - L.x, int64_t(N.y) - L.y);
    if (s == 0)
        s = int64_t(L.y) - P.y < 1 ? 1 : -1;
    if ((s > 0 && !counterClockwise) || (s < 0 && counterClockwise)) {
        reverse(access);
        const MAP_COORDRECT r = boundsOf(doc.kernel, polygon);
        SendOBJectMessage(doc.kernel, polygon, polygon, 0, GRM_INVALIDATE, 0, LPARAM(&r));
    }
    return 1;
}

int32_t map_get_ContainPoint(HWND window, const MAP_COORDPT *point, int32_t *count, OBJHANDLE *objects,
                             int32_t capacity)
{
    const MapDoc doc(window);
    const OBJHANDLE layers = doc.root(CLASS_LAYERS);
    if (!layers || !point || !objects)
        return 0;
    ContainSearch search{doc.kernel, *point, objects, std::max(capacity, 0), 0, 0, 0};
    search.limit = uint64_t(KernGiveAllObjectsAmount(doc.kernel)) + 1;
    search.search(layers, 0);
    if (count)
        *count = int32_t(std::min<int64_t>(search.hits, INT32_MAX));
    return int32_t(std::min<int64_t>(search.hits, std::max(capacity, 0)));
}

int32_t map_get_Enclosed(HWND window, const OBJHANDLE *objects, int32_t count, int32_t *found, void *result,
                         int32_t capacity)
{
    return collectAround(window, objects, count, found, result, capacity, COLLECT_ENCLOSED);
}

int32_t map_get_Neighbours(HWND window, const OBJHANDLE *objects, int32_t count, int32_t *found, void *result,
                           int32_t capacity)
{
    return collectAround(window, objects, count, found, result, capacity, COLLECT_CROSSING);
}

int LegendContainsPoint(OBJectKernel *kernel, OBJHANDLE legend, int32_t x, int32_t y)
{
    if (!kernel || GetOBJectClassID(kernel, legend) != CLASS_LEGEND)
        return 0;
    const MAP_COORDRECT r = boundsOf(kernel, legend);
    return GraphRectContainsPoint(&r, x, y);
}

} // extern "C"

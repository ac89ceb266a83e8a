#include "engine/editing/handle_list.h"

#include "engine/editing/integer_math.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_queries.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/window/wndres.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

// ---- the list block ---------------------------------------------------------

HGLOBAL HandleListNew() { return GlobalAlloc(GHND, kHandleListInitialBytes); }

uint32_t HandleListAppend(OBJHANDLE handle, HGLOBAL *list, uint32_t *count)
{
    if (!list || !count)
        return 0;
    if (!*list) {
        *list = HandleListNew();
        if (!*list)
            return 0;
    }
    const uint64_t n = uint64_t(*count) + 1;
    if (n * 4 > GlobalSize(*list)) {
        if (n * 4 + kHandleListInitialBytes > UINT32_MAX)
            return 0;
        const HGLOBAL grown = GlobalReAlloc(*list, size_t(n * 4 + kHandleListInitialBytes), GMEM_MOVEABLE);
        if (!grown)
            return 0;
        *list = grown;
    }
    auto *handles = static_cast<OBJHANDLE *>(GlobalLock(*list));
    if (!handles)
        return 0;
    handles[n - 1] = handle;
    GlobalUnlock(*list);
    *count = uint32_t(n);
    return *count;
}

OBJHANDLE HandleListAt(HGLOBAL list, uint32_t count, uint32_t index)
{
    if (!list || index >= count || (uint64_t(index) + 1) * 4 > GlobalSize(list))
        return 0;
    const auto *handles = static_cast<const OBJHANDLE *>(GlobalLock(list));
    if (!handles)
        return 0;
    const OBJHANDLE h = handles[index];
    GlobalUnlock(list);
    return h;
}

// ---- shapes -------------------------------------------------------------------

namespace {

bool isRingClass(uint16_t cls) { return cls == CLASS_TEXT || cls == CLASS_LEGEND || cls == CLASS_BITMAP; }

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    return p ? LoadField<MAP_COORDRECT>(p, GOH_BOUND) : kEmptyBoundRect;
}

bool validRect(const MAP_COORDRECT &r) { return r.x1 <= r.x2 && r.y1 <= r.y2; }

bool rectsMeet(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return validRect(a) && validRect(b) && a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

bool rectInside(const MAP_COORDRECT &inner, const MAP_COORDRECT &outer)
{
    return validRect(inner) && validRect(outer) && inner.x1 >= outer.x1 && inner.x2 <= outer.x2 &&
           inner.y1 >= outer.y1 && inner.y2 <= outer.y2;
}

// The edges of an object as a point list: a point set's own points, or the
// bounding ring of a text, legend or raster.
struct Shape {
    std::vector<MAP_COORDPT> points;
    bool closed = false;
    bool pointSet = false;
    MAP_COORDRECT rect = kEmptyBoundRect;
    uint16_t cls = 0;
};

bool shapeOf(OBJectKernel *kernel, OBJHANDLE h, Shape &s)
{
    s.cls = GetOBJectClassID(kernel, h);
    PointSetAccess a;
    if (LockPointSet(kernel, h, a)) {
        s.pointSet = true;
        s.closed = s.cls == CLASS_POLYGON;
        s.rect = a.bound();
        s.points.resize(a.count);
        for (uint32_t i = 0; i < a.count; ++i)
            s.points[i] = a.at(i);
        return true;
    }
    if (!isRingClass(s.cls))
        return false;
    s.rect = boundOf(kernel, h);
    if (!validRect(s.rect))
        return false;
    const MAP_COORDRECT &r = s.rect;
    s.points = {{r.x1, r.y2}, {r.x2, r.y2}, {r.x2, r.y1}, {r.x1, r.y1}};
    s.closed = true;
    return true;
}

size_t edgeCount(const Shape &s)
{
    const size_t n = s.points.size();
    if (n < 2)
        return 0;
    return s.closed ? n : n - 1;
}

MAP_COORDRECT edgeRect(const MAP_COORDPT &p, const MAP_COORDPT &q)
{
    return {std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
}

// Some edge of a crosses or touches some edge of b.
bool edgesCross(const Shape &a, const Shape &b)
{
    const size_t na = edgeCount(a), nb = edgeCount(b);
    const size_t pa = a.points.size(), pb = b.points.size();
    for (size_t i = 0; i < na; ++i) {
        const MAP_COORDPT &p1 = a.points[i], &p2 = a.points[(i + 1) % pa];
        const MAP_COORDRECT ra = edgeRect(p1, p2);
        if (!rectsMeet(ra, b.rect))
            continue;
        for (size_t j = 0; j < nb; ++j) {
            const MAP_COORDPT &p3 = b.points[j], &p4 = b.points[(j + 1) % pb];
            if (rectsMeet(ra, edgeRect(p3, p4)) && LineSegmentsIntersect(&p1, &p2, &p3, &p4))
                return true;
        }
    }
    return false;
}

bool enclosedShape(const Shape &container, const Shape &candidate)
{
    if (candidate.points.empty() || !rectInside(candidate.rect, container.rect))
        return false;
    if (!PointRingContainsPoint(container.points.data(), uint32_t(container.points.size()),
                                &candidate.points.front()))
        return false;
    return !edgesCross(candidate, container);
}

} // namespace

int SetOfLinesegmentMeetsRect(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDRECT *rect, int crossing)
{
    PointSetAccess a;
    if (!rect || !validRect(*rect) || !LockPointSet(kernel, object, a) || a.count == 0)
        return 0;
    const MAP_COORDRECT r = *rect;
    const auto code = [&r](const MAP_COORDPT &p) {
        return (p.x < r.x1 ? 1 : 0) | (p.x > r.x2 ? 2 : 0) | (p.y < r.y1 ? 4 : 0) | (p.y > r.y2 ? 8 : 0);
    };
    const uint32_t n = a.count;
    const uint32_t edges = n < 2 ? 0 : (GetOBJectClassID(kernel, object) == CLASS_POLYGON ? n : n - 1);
    for (uint32_t i = 0; i < edges; ++i) {
        const MAP_COORDPT p = a.at(i), q = a.at((i + 1) % n);
        const int c1 = code(p), c2 = code(q);
        if (c1 & c2)
            continue;
        if (c1 == 0 || c2 == 0) {
            if (crossing && c1 == 0 && c2 == 0)
                continue;
            return 1;
        }
        if ((c1 | c2) == 3 || (c1 | c2) == 12)
            return 1;
        const int64_t dx = int64_t(q.x) - p.x, dy = int64_t(q.y) - p.y;
        if (c1 & 3) {
            const int64_t side = (c1 & 1) ? r.x1 : r.x2;
            const int64_t y = p.y + MulDiv64(side - p.x, dy, dx);
            if (y >= r.y1 && y <= r.y2)
                return 1;
        }
        if (c1 & 12) {
            const int64_t side = (c1 & 4) ? r.y1 : r.y2;
            const int64_t x = p.x + MulDiv64(side - p.y, dx, dy);
            if (x >= r.x1 && x <= r.x2)
                return 1;
        }
    }
    return 0;
}

int ObjectEnclosedBy(OBJectKernel *kernel, OBJHANDLE container, OBJHANDLE candidate)
{
    if (!kernel || !container || container == candidate)
        return 0;
    Shape c, x;
    if (!shapeOf(kernel, container, c) || !shapeOf(kernel, candidate, x))
        return 0;
    if (c.pointSet && (c.cls != CLASS_POLYGON || !x.pointSet))
        return 0;
    return enclosedShape(c, x) ? 1 : 0;
}

int ObjectTouches(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE candidate)
{
    if (!kernel || !object || object == candidate)
        return 0;
    const MAP_COORDRECT ro = boundOf(kernel, object), rc = boundOf(kernel, candidate);
    if (!rectsMeet(ro, rc))
        return 0;
    Shape o, x;
    const bool haveO = shapeOf(kernel, object, o), haveX = shapeOf(kernel, candidate, x);
    if (haveO && o.pointSet) {
        if (haveX)
            return edgesCross(x, o) ? 1 : 0;
        return SetOfLinesegmentMeetsRect(kernel, object, &rc, 1);
    }
    if (haveO && haveX && x.pointSet)
        return edgesCross(x, o) ? 1 : 0;
    return 1;
}

// ---- collections ----------------------------------------------------------------

namespace {

struct Collector {
    OBJectKernel *kernel;
    HGLOBAL *list;
    uint32_t *count;
    bool failed = false;

    void add(OBJHANDLE h)
    {
        if (!failed && !HandleListAppend(h, list, count))
            failed = true;
    }
};

bool selectable(OBJectKernel *kernel, OBJHANDLE h)
{
    return SendOBJectMessage(kernel, h, h, 0, GRM_GETSELECTABLE, 0, 0) != 0;
}

bool isList(OBJectKernel *kernel, OBJHANDLE h) { return GetOBJectClassID(kernel, h) & CLASSBIT_LIST; }

// Calls visit for every selectable object below the list (lists entered when
// enter says so), stopping at the depth bound.
template <typename Enter, typename Visit>
void walk(OBJectKernel *kernel, OBJHANDLE list, int depth, Enter enter, Visit visit)
{
    if (depth >= kMaxSetDepth)
        return;
    const uint16_t ref = SetMemberReference(GetOBJectClassID(kernel, list));
    int32_t pos = -1;
    for (OBJHANDLE m = GetReference(kernel, list, ref, &pos); m; m = GetReference(kernel, list, ref, &pos)) {
        if (!selectable(kernel, m))
            continue;
        if (isList(kernel, m)) {
            if (enter(m))
                walk(kernel, m, depth + 1, enter, visit);
        } else {
            visit(m);
        }
    }
}

OBJHANDLE layersRoot(const _WNDRES *rec)
{
    return GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_LAYERS);
}

bool passes(OBJectKernel *kernel, OBJHANDLE h, uint32_t flags)
{
    const uint16_t cls = GetOBJectClassID(kernel, h);
    const uint32_t types = flags & 0x0F00;
    if (types && types != 0x0F00) {
        if ((cls == CLASS_POLYLINE && !(types & COLLECT_POLYLINES)) ||
            (cls == CLASS_POLYGON && !(types & COLLECT_POLYGONS)) ||
            (cls == CLASS_TEXT && !(types & COLLECT_TEXTS)) ||
            (cls == CLASS_LEGEND && !(types & COLLECT_LEGENDS)))
            return false;
    }
    if ((flags & COLLECT_WITH_ID) && !FirstReference(kernel, h, REF_ID, nullptr))
        return false;
    if ((flags & COLLECT_ID_LINKS) && cls != CLASS_TEXT &&
        !FirstReference(kernel, h, REF_ID_TEXT1_BACK, nullptr) &&
        !FirstReference(kernel, h, REF_ID_TEXT2_BACK, nullptr))
        return false;
    const uint32_t marks = flags & (COLLECT_FLAG8 | COLLECT_NO_FLAG8);
    if (marks == COLLECT_FLAG8 || marks == COLLECT_NO_FLAG8) {
        const bool flag8 = SendOBJectMessage(kernel, h, h, 0, GRM_GETFLAGS, GF_SELECTED, 0) != 0;
        if (flag8 != (marks == COLLECT_FLAG8))
            return false;
    }
    return true;
}

// Drops visited objects, duplicates and objects the flags refuse; keeps the
// order.
void filterList(OBJectKernel *kernel, HGLOBAL list, uint32_t *count, uint32_t flags)
{
    auto *handles = static_cast<OBJHANDLE *>(GlobalLock(list));
    if (!handles)
        return;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < *count; ++i) {
        const OBJHANDLE h = handles[i];
        if (!GetOBJectClassID(kernel, h) || GetOBJectFlag(kernel, h, OBJF_USERMARK) ||
            !passes(kernel, h, flags))
            continue;
        SetOBJectFlag(kernel, h, OBJF_USERMARK, 1);
        handles[kept++] = h;
    }
    for (uint32_t i = 0; i < kept; ++i)
        SetOBJectFlag(kernel, handles[i], OBJF_USERMARK, 0);
    GlobalUnlock(list);
    *count = kept;
}

void collectByObject(const _WNDRES *rec, OBJHANDLE object, uint32_t flags, Collector &out)
{
    OBJectKernel *kernel = rec->kernel;
    const MAP_COORDRECT ro = boundOf(kernel, object);
    const auto enter = [&](OBJHANDLE l) { return rectsMeet(boundOf(kernel, l), ro); };
    if (flags & COLLECT_ENCLOSED) {
        Shape c;
        const bool usable = shapeOf(kernel, object, c) && (!c.pointSet || c.cls == CLASS_POLYGON);
        if (usable)
            walk(kernel, layersRoot(rec), 0, enter, [&](OBJHANDLE m) {
                if (m == object || GetOBJectFlag(kernel, m, OBJF_USERMARK))
                    return;
                const uint16_t cls = GetOBJectClassID(kernel, m);
                if (c.pointSet && !IsPointSetClass(cls))
                    return;
                Shape x;
                if (shapeOf(kernel, m, x) && enclosedShape(c, x))
                    out.add(m);
            });
    }
    if (flags & COLLECT_CROSSING)
        walk(kernel, layersRoot(rec), 0, enter, [&](OBJHANDLE m) {
            if (m != object && !GetOBJectFlag(kernel, m, OBJF_USERMARK) && ObjectTouches(kernel, object, m))
                out.add(m);
        });
}

bool suitable(OBJectKernel *kernel, OBJHANDLE object, bool touching)
{
    const uint16_t cls = GetOBJectClassID(kernel, object);
    return cls == CLASS_POLYGON || (touching && cls == CLASS_POLYLINE) || isRingClass(cls);
}

int finishOwned(OBJectKernel *kernel, HGLOBAL *list, uint32_t *count, uint32_t flags)
{
    if (*count) {
        filterList(kernel, *list, count, flags);
        int32_t n = int32_t(*count);
        if (n > 0 && AddEnclosingGroups(kernel, list, &n, 1, 1) >= 0)
            *count = uint32_t(std::max(n, 0));
    }
    if (*count == 0) {
        GlobalFree(*list);
        *list = 0;
    }
    return 1;
}

} // namespace

int ObjectListCollect(HWND window, int mode, const void *where, uint32_t flags, uint32_t *count,
                      HGLOBAL *list)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !count || !list)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const bool owned = *list == 0;
    const uint32_t before = owned ? 0 : *count;
    if (owned) {
        *count = 0;
        *list = HandleListNew();
        if (!*list)
            return 0;
    }
    Collector out{kernel, list, count};
    const OBJHANDLE layers = layersRoot(rec);
    switch (mode) {
    case COLLECT_ALL:
        walk(
            kernel, layers, 0, [](OBJHANDLE) { return true; }, [&](OBJHANDLE m) { out.add(m); });
        break;
    case COLLECT_AT_POINT: {
        if (!where)
            break;
        const MAP_COORDPT pt = *static_cast<const MAP_COORDPT *>(where);
        const MAP_COORDRECT at{pt.x, pt.y, pt.x, pt.y};
        walk(
            kernel, layers, 0, [&](OBJHANDLE l) { return rectsMeet(boundOf(kernel, l), at); },
            [&](OBJHANDLE m) {
                if (!IsPointSetClass(GetOBJectClassID(kernel, m)) || !rectsMeet(boundOf(kernel, m), at))
                    return;
                const bool hit = (flags & COLLECT_ENDPOINT) ? SetOfLinesegmentIsEndPoint(kernel, m, &pt) != 0
                                                            : SetOfLinesegmentOwnsPoint(kernel, m, &pt) >= 0;
                if (hit)
                    out.add(m);
            });
        break;
    }
    case COLLECT_IN_RECT:
        if (where && (flags & (COLLECT_ENCLOSED | COLLECT_CROSSING)))
            SetOfObjectsSelectByRect(kernel, layers, 0, static_cast<const MAP_COORDRECT *>(where), nullptr,
                                     (flags & COLLECT_ENCLOSED) != 0, (flags & COLLECT_CROSSING) != 0, list,
                                     count);
        break;
    case COLLECT_BY_OBJECT:
        if (where) {
            const OBJHANDLE object = *static_cast<const OBJHANDLE *>(where);
            const uint16_t cls = GetOBJectClassID(kernel, object);
            if (IsPointSetClass(cls))
                collectByObject(rec, object, flags, out);
        }
        break;
    default:
        break;
    }
    if (out.failed) {
        if (owned) {
            GlobalFree(*list);
            *list = 0;
        }
        *count = before;
        return 0;
    }
    if (owned)
        return finishOwned(kernel, list, count, flags);
    return 1;
}

int ObjectsListCollect(HWND window, const OBJHANDLE *objects, uint32_t n, uint32_t flags, uint32_t *count,
                       HGLOBAL *list)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !count || !list || (n && !objects))
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const bool owned = *list == 0;
    if (owned) {
        *count = 0;
        *list = HandleListNew();
        if (!*list)
            return 0;
    }
    for (uint32_t i = 0; i < n; ++i)
        SetOBJectFlag(kernel, objects[i], OBJF_USERMARK, 1);
    Collector out{kernel, list, count};
    for (uint32_t i = 0; i < n && !out.failed; ++i)
        if (suitable(kernel, objects[i], true))
            collectByObject(rec, objects[i], flags, out);
    // The given objects stay marked through the filter, which drops them.
    if (!out.failed && *count)
        filterList(kernel, *list, count, flags);
    for (uint32_t i = 0; i < n; ++i)
        SetOBJectFlag(kernel, objects[i], OBJF_USERMARK, 0);
    if (!out.failed && *count) {
        int32_t c = int32_t(*count);
        if (owned && AddEnclosingGroups(kernel, list, &c, 1, 1) >= 0)
            *count = uint32_t(std::max(c, 0));
    }
    if (out.failed || *count == 0) {
        if (owned) {
            GlobalFree(*list);
            *list = 0;
            *count = 0;
        }
        return 0;
    }
    return 1;
}

int ObjectChildrenListCollect(HWND window, OBJHANDLE object, uint16_t selector, uint32_t flags,
                              uint32_t *count, HGLOBAL *list)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !GetOBJectClassID(rec->kernel, object))
        return 0;
    std::vector<OBJHANDLE> children;
    int32_t pos = -1;
    for (OBJHANDLE c = GetReference(rec->kernel, object, selector, &pos); c;
         c = GetReference(rec->kernel, object, selector, &pos))
        children.push_back(c);
    return ObjectsListCollect(window, children.data(), uint32_t(children.size()), flags, count, list);
}

namespace {

int collectFor(HWND window, OBJHANDLE object, uint32_t *count, HGLOBAL *list, bool touching)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !count || !list || !suitable(rec->kernel, object, touching))
        return 0;
    *count = 0;
    *list = HandleListNew();
    if (!*list)
        return 0;
    Collector out{rec->kernel, list, count};
    collectByObject(rec, object, touching ? COLLECT_CROSSING : COLLECT_ENCLOSED, out);
    if (out.failed) {
        GlobalFree(*list);
        *list = 0;
        *count = 0;
        return 0;
    }
    if (*count)
        filterList(rec->kernel, *list, count, 0);
    if (*count == 0) {
        GlobalFree(*list);
        *list = 0;
    }
    return 1;
}

} // namespace

int ObjectEnclosedCollect(HWND window, OBJHANDLE object, uint32_t *count, HGLOBAL *list)
{
    return collectFor(window, object, count, list, false);
}

int ObjectTouchingCollect(HWND window, OBJHANDLE object, uint32_t *count, HGLOBAL *list)
{
    return collectFor(window, object, count, list, true);
}

// ---- nearest polylines ------------------------------------------------------------

namespace {

bool holds(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target)
{
    int32_t pos = -1;
    for (OBJHANDLE t = GetReference(kernel, holder, id, &pos); t; t = GetReference(kernel, holder, id, &pos))
        if (t == target)
            return true;
    return false;
}

} // namespace

int CollectNearestPolylines(HWND window, const MAP_COORDPT *point, OBJHANDLE listObject, uint32_t *count,
                            HGLOBAL *list)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !point || !count || !list || !GetOBJectClassID(rec->kernel, listObject))
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE selection = GetRootOBJKern(kernel, rec->rootObject, CLASS_SELLIST);
    struct Near {
        OBJHANDLE object;
        double distance;
        MAP_COORDPT end;
    };
    constexpr size_t kKept = 5;
    std::vector<Near> best;
    int32_t pos = -1;
    for (OBJHANDLE m = GetReference(kernel, listObject, REF_LAYER_MEMBER, &pos); m;
         m = GetReference(kernel, listObject, REF_LAYER_MEMBER, &pos)) {
        if (GetOBJectClassID(kernel, m) != CLASS_POLYLINE)
            continue;
        if (selection && holds(kernel, m, REF_SELECTED_BACK, selection))
            continue;
        PointSetAccess a;
        if (!LockPointSet(kernel, m, a) || a.count == 0)
            continue;
        const MAP_COORDPT f = a.at(0), l = a.at(a.count - 1);
        const double df = std::hypot(double(f.x) - point->x, double(f.y) - point->y);
        const double dl = std::hypot(double(l.x) - point->x, double(l.y) - point->y);
        const Near rec2 = dl < df ? Near{m, dl, l} : Near{m, df, f};
        const auto at = std::upper_bound(best.begin(), best.end(), rec2.distance,
                                         [](double d, const Near &n) { return d < n.distance; });
        if (best.size() == kKept && at == best.end())
            continue;
        best.insert(at, rec2);
        if (best.size() > kKept)
            best.pop_back();
    }
    if (best.empty())
        return 0;
    const uint32_t before = *count;
    for (const Near &n : best)
        if (!HandleListAppend(n.object, list, count)) {
            *count = before;
            return 0;
        }
    return 1;
}

// The object finders walk the layers in their order and each layer's objects
// in theirs, reject an object by its bounding rectangle and then test it by
// its type; hits grow the caller's array with the object and, by the mode,
// the groups above it.
#include "engine/editing/object_finders.h"

#include "engine/editing/handle_list.h"
#include "engine/editing/hit_tests.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/page.h"
#include "engine/window/wndres.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <unordered_set>

bool EdgeWithinDistance(MAP_COORDPT a, MAP_COORDPT b, MAP_COORDPT p, double r)
{
    const double ax = double(p.x) - a.x, ay = double(p.y) - a.y;
    const double bx = double(p.x) - b.x, by = double(p.y) - b.y;
    if (std::hypot(ax, ay) <= r || std::hypot(bx, by) <= r)
        return true;
    const double ex = double(b.x) - a.x, ey = double(b.y) - a.y;
    const double length = std::hypot(ex, ey);
    if (length == 0)
        return false;
    const double across = std::fabs(ax * ey - ay * ex) / length;
    const double along = (ax * ex + ay * ey) / length;
    return across <= r && along >= 0 && along <= length;
}

namespace {

constexpr int32_t kGrowth = 500;

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    return p ? LoadField<MAP_COORDRECT>(p, GOH_BOUND) : kEmptyBoundRect;
}

bool valid(const MAP_COORDRECT &r) { return r.x1 <= r.x2 && r.y1 <= r.y2; }

bool meets(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return valid(a) && valid(b) && a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

bool holds(const MAP_COORDRECT &r, int32_t x, int32_t y)
{
    return x >= r.x1 && x <= r.x2 && y >= r.y1 && y <= r.y2;
}

bool enclosedIn(const MAP_COORDRECT &outer, const MAP_COORDRECT &inner)
{
    return valid(inner) && holds(outer, inner.x1, inner.y1) && holds(outer, inner.x2, inner.y2);
}

MAP_COORDRECT normalised(const MAP_COORDRECT &r)
{
    return {std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2), std::max(r.y1, r.y2)};
}

bool near(MAP_COORDPT a, MAP_COORDPT p, double r)
{
    return std::hypot(double(a.x) - p.x, double(a.y) - p.y) <= r;
}

class Finder {
public:
    Finder(const _WNDRES *rec, int mode) : rec_(rec), kernel_(rec->kernel), mode_(mode)
    {
        found_ = std::make_unique<CMapObjArr>();
        found_->SetSize(0, kGrowth);
    }

    // The objects of the layers whose rectangle meets the area, in order;
    // visit answers whether an object is hit and may stop the walk.
    template <class Visit>
    void walk(const MAP_COORDRECT &area, Visit visit)
    {
        const OBJHANDLE root = GetRootOBJKern(kernel_, rec_->rootObject, CLASS_LAYERS);
        int32_t lp = -1;
        for (OBJHANDLE layer = GetReference(kernel_, root, REF_LAYER_MEMBER, &lp); layer;
             layer = GetReference(kernel_, root, REF_LAYER_MEMBER, &lp)) {
            if (GetOBJectClassID(kernel_, layer) != CLASS_LAYER || !meets(boundOf(kernel_, layer), area))
                continue;
            int32_t op = -1;
            for (OBJHANDLE h = GetReference(kernel_, layer, REF_LAYER_MEMBER, &op); h;
                 h = GetReference(kernel_, layer, REF_LAYER_MEMBER, &op))
                // Groups are reached by climbing from their members.
                if (!(GetOBJectClassID(kernel_, h) & CLASSBIT_LIST) && meets(boundOf(kernel_, h), area))
                    visit(h, boundOf(kernel_, h));
        }
    }

    // Adds the hit by the mode; groupTaken says whether a group of the climb
    // counts (the climb stops at the first that does not).
    template <class GroupTest>
    void add(OBJHANDLE h, GroupTest groupTaken)
    {
        if (mode_ != FINDER_OUTERMOST_GROUP)
            found_->Add(h);
        if (mode_ == FINDER_OBJECTS)
            return;
        OBJHANDLE outermost = h;
        OBJHANDLE g = h;
        for (int depth = 0; depth < kMaxSetDepth; ++depth) {
            g = FirstReferenceOfClass(kernel_, g, REF_GROUP_PARENT, CLASS_GROUP);
            if (!g || !groupTaken(g))
                break;
            outermost = g;
            if (mode_ == FINDER_OBJECTS_AND_GROUPS && groups_.insert(g).second)
                found_->Add(g);
        }
        if (mode_ == FINDER_OUTERMOST_GROUP && groups_.insert(outermost).second)
            found_->Add(outermost);
    }
    void add(OBJHANDLE h)
    {
        add(h, [](OBJHANDLE) { return true; });
    }

    OBJectKernel *kernel() const { return kernel_; }
    CMapObjArr *release() { return found_.release(); }

private:
    const _WNDRES *rec_;
    OBJectKernel *kernel_;
    int mode_;
    std::unique_ptr<CMapObjArr> found_;
    std::unordered_set<OBJHANDLE> groups_;
};

const _WNDRES *documentOf(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    return rec && rec->kernel ? rec : nullptr;
}

bool validMode(int mode) { return mode >= FINDER_OBJECTS && mode <= FINDER_OBJECTS_AND_GROUPS; }

void pointQuery(Finder &finder, MAP_COORDPT p)
{
    OBJectKernel *kernel = finder.kernel();
    finder.walk({p.x, p.y, p.x, p.y}, [&](OBJHANDLE h, const MAP_COORDRECT &) {
        bool hit = false;
        switch (GetOBJectClassID(kernel, h)) {
        case CLASS_POLYLINE:
            hit = SetOfLinesegmentOwnsPoint(kernel, h, &p) >= 0;
            break;
        case CLASS_POLYGON:
            hit = PolygonContainsPoint(kernel, h, &p) != 0;
            break;
        case CLASS_TEXT:
        case CLASS_PAGE:
        case CLASS_NAIL:
            hit = true; // their rectangle holds the point
            break;
        default:
            break; // legends, rasters and presentations are not found by a point
        }
        if (hit)
            finder.add(h);
    });
}

void rectQuery(Finder &finder, const MAP_COORDRECT &rect, bool enclosed)
{
    OBJectKernel *kernel = finder.kernel();
    auto groupTaken = [&](OBJHANDLE g) { return !enclosed || enclosedIn(rect, boundOf(kernel, g)); };
    finder.walk(rect, [&](OBJHANDLE h, const MAP_COORDRECT &bound) {
        bool hit;
        if (enclosed) {
            hit = enclosedIn(rect, bound);
        } else {
            switch (GetOBJectClassID(kernel, h)) {
            case CLASS_POLYLINE:
                hit = SetOfLinesegmentMeetsRect(kernel, h, &rect, 0) != 0;
                break;
            case CLASS_POLYGON: {
                const MAP_COORDPT corner{rect.x1, rect.y1};
                hit = SetOfLinesegmentMeetsRect(kernel, h, &rect, 0) ||
                      PolygonContainsPoint(kernel, h, &corner);
                break;
            }
            default:
                hit = true; // its rectangle meets the query
                break;
            }
        }
        if (hit)
            finder.add(h, groupTaken);
    });
}

CMapObjArr *finished(Finder &finder) { return finder.release(); }

} // namespace

CMapObjArr *GetObjByMap(HWND window, const MAP_COORDRECT *rect, int enclosed, int mode)
{
    const _WNDRES *rec = documentOf(window);
    if (!rect || !rec || !validMode(mode))
        return nullptr;
    try {
        Finder finder(rec, mode);
        const MAP_COORDRECT r = normalised(*rect);
        if (r.x1 == r.x2 && r.y1 == r.y2)
            pointQuery(finder, {r.x1, r.y1});
        else
            rectQuery(finder, r, enclosed != 0);
        return finished(finder);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

namespace {

// Polylines: every vertex within r; polygons: every vertex but the last
// stored one. Fewer than 2 points never.
bool verticesWithin(OBJectKernel *kernel, OBJHANDLE h, MAP_COORDPT p, double r)
{
    PointSetAccess a;
    if (!LockPointSet(kernel, h, a) || a.count < 2)
        return false;
    const uint32_t n = GetOBJectClassID(kernel, h) == CLASS_POLYGON ? a.count - 1 : a.count;
    for (uint32_t i = 0; i < n; ++i)
        if (!near(a.at(i), p, r))
            return false;
    return true;
}

bool edgeWithin(OBJectKernel *kernel, OBJHANDLE h, MAP_COORDPT p, double r)
{
    PointSetAccess a;
    if (!LockPointSet(kernel, h, a) || a.count < 2)
        return false;
    const bool closed = GetOBJectClassID(kernel, h) == CLASS_POLYGON;
    const uint32_t edges = closed ? a.count : a.count - 1;
    for (uint32_t i = 0; i < edges; ++i)
        if (EdgeWithinDistance(a.at(i), a.at((i + 1) % a.count), p, r))
            return true;
    return false;
}

bool cornersWithin(const MAP_COORDRECT &b, MAP_COORDPT p, double r)
{
    return valid(b) && near({b.x1, b.y1}, p, r) && near({b.x2, b.y2}, p, r);
}

bool memberWithin(OBJectKernel *kernel, OBJHANDLE m, MAP_COORDPT p, double r)
{
    if (cornersWithin(boundOf(kernel, m), p, r))
        return true;
    const uint16_t cls = GetOBJectClassID(kernel, m);
    return (cls == CLASS_POLYLINE || cls == CLASS_POLYGON) && verticesWithin(kernel, m, p, r);
}

bool groupWithin(OBJectKernel *kernel, OBJHANDLE g, MAP_COORDPT p, double r)
{
    if (cornersWithin(boundOf(kernel, g), p, r))
        return true;
    int32_t pos = -1;
    bool any = false;
    for (OBJHANDLE m = GetReference(kernel, g, REF_GROUP_MEMBER, &pos); m;
         m = GetReference(kernel, g, REF_GROUP_MEMBER, &pos)) {
        if (!memberWithin(kernel, m, p, r))
            return false;
        any = true;
    }
    return any;
}

} // namespace

CMapObjArr *GetObjByMap(HWND window, MAP_COORDPT point, double tolerance, int enclosed, int mode)
{
    const _WNDRES *rec = documentOf(window);
    if (!rec || !validMode(mode))
        return nullptr;
    try {
        Finder finder(rec, mode);
        if (!(tolerance >= 0))
            return finished(finder);
        OBJectKernel *kernel = rec->kernel;
        const double r = tolerance;
        // The search square, kept inside the coordinate range.
        auto clampTo = [](double v) { return int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX))); };
        const MAP_COORDRECT area{clampTo(std::floor(point.x - r)), clampTo(std::floor(point.y - r)),
                                 clampTo(std::ceil(point.x + r)), clampTo(std::ceil(point.y + r))};
        auto groupTaken = [&](OBJHANDLE g) { return !enclosed || groupWithin(kernel, g, point, r); };
        finder.walk(area, [&](OBJHANDLE h, const MAP_COORDRECT &bound) {
            bool hit = cornersWithin(bound, point, r);
            if (!hit) {
                switch (GetOBJectClassID(kernel, h)) {
                case CLASS_POLYLINE:
                    hit = enclosed ? verticesWithin(kernel, h, point, r) : edgeWithin(kernel, h, point, r);
                    break;
                case CLASS_POLYGON:
                    hit = enclosed ? verticesWithin(kernel, h, point, r)
                                   : SetOfLinesegmentPointsCount(kernel, h) >= 2 &&
                                         (PolygonContainsPoint(kernel, h, &point) ||
                                          edgeWithin(kernel, h, point, r));
                    break;
                default:
                    break;
                }
            }
            if (hit)
                finder.add(h, groupTaken);
        });
        return finished(finder);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CMapObjArr *GetObjByDevice(HWND window, const RECT *rect, int enclosed, int mode, int margin)
{
    const _WNDRES *rec = documentOf(window);
    if (!rect || !rec || !rec->displayView || !validMode(mode))
        return nullptr;
    const PresentationManager *view = rec->displayView;
    try {
        const bool pixel = rect->left == rect->right && rect->top == rect->bottom;
        if (pixel && margin < 1) {
            Finder finder(rec, mode);
            OBJectKernel *kernel = rec->kernel;
            const POINT p{rect->left, rect->top};
            const RECT square{p.x - 1, p.y - 1, p.x + 1, p.y + 1};
            MAP_COORDRECT area{};
            PM_WindowToMapRect(view, &square, &area);
            area = normalised(area);
            finder.walk(area, [&](OBJHANDLE h, const MAP_COORDRECT &) {
                MAP_COORDPT at{};
                bool hit = false;
                switch (GetOBJectClassID(kernel, h)) {
                case CLASS_POLYLINE:
                case CLASS_POLYGON:
                    hit = PointSetFindVertex(kernel, h, view, &p, &at, 0) != 0;
                    break;
                case CLASS_TEXT:
                    hit = TextObjectFindVertex(kernel, h, view, p.x, p.y, &at, 0) != 0;
                    break;
                case CLASS_PAGE:
                    hit = PageHandleHitTest(kernel, h, const_cast<PresentationManager *>(view), &p, &at) != 0;
                    break;
                case CLASS_NAIL: {
                    SendOBJectMessage(kernel, h, h, 0, GRM_GETANCHOR, 0, LPARAM(&at));
                    POINT w;
                    hit = PM_MapToWindow(view, &at, &w, 1) == 1 && w.x == p.x && w.y == p.y;
                    break;
                }
                default:
                    break;
                }
                if (hit)
                    finder.add(h);
            });
            MAP_COORDPT m{};
            PM_WindowToMap(view, &p, &m, 1);
            pointQuery(finder, m);
            return finished(finder);
        }
        const int64_t w = margin;
        auto fit = [](int64_t v) { return LONG(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
        const RECT widened{
            fit(std::min(rect->left, rect->right) - w), fit(std::min(rect->top, rect->bottom) - w),
            fit(std::max(rect->left, rect->right) + w), fit(std::max(rect->top, rect->bottom) + w)};
        MAP_COORDRECT area{};
        if (!PM_WindowToMapRect(view, &widened, &area))
            return nullptr;
        return GetObjByMap(window, &area, pixel ? 0 : enclosed, mode);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

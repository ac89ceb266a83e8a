// The vertex and containment searches over object sets, and snapping.
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
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/page.h"
#include "engine/window/wndres.h"

#include <cstdlib>

int PointSetFindVertex(OBJectKernel *kernel, OBJHANDLE object, const PresentationManager *view,
                       const POINT *windowPoint, MAP_COORDPT *out, int32_t radius)
{
    PointSetAccess a;
    if (!view || !windowPoint || !LockPointSet(kernel, object, a))
        return 0;
    if (radius < 0)
        radius = int32_t(PM_GetRadius(view));
    const MAP_COORDPT target{windowPoint->x, windowPoint->y};
    for (uint32_t i = 0; i < a.count; ++i) {
        const MAP_COORDPT m = a.at(i);
        POINT w;
        if (PM_MapToWindow(view, &m, &w, 1) != 1)
            continue;
        if (CoordPtNear(MAP_COORDPT{w.x, w.y}, target, radius)) {
            if (out)
                *out = m;
            return 1;
        }
    }
    return 0;
}

namespace {

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    return p ? LoadField<MAP_COORDRECT>(p, GOH_BOUND) : kEmptyBoundRect;
}

bool rectHolds(const MAP_COORDRECT &r, const MAP_COORDPT &p)
{
    return p.x >= r.x1 && p.x <= r.x2 && p.y >= r.y1 && p.y <= r.y2;
}

bool isList(OBJectKernel *kernel, OBJHANDLE h) { return GetOBJectClassID(kernel, h) & CLASSBIT_LIST; }

// The slot of a list's selected element, -1 for none; the selection list
// answers with the element's handle, other lists with its slot.
int32_t selectedSlot(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE *element)
{
    const LRESULT answer = SendOBJectMessage(kernel, list, list, 0, GRM_GETSELECTED, 0, 0);
    *element = 0;
    if (GetOBJectClassID(kernel, list) == CLASS_SELLIST) {
        const OBJHANDLE wanted = answer > 0 ? OBJHANDLE(answer) : 0;
        int32_t pos = -1;
        for (OBJHANDLE m = GetReference(kernel, list, REF_SELECTED, &pos); wanted && m;
             m = GetReference(kernel, list, REF_SELECTED, &pos))
            if (m == wanted) {
                *element = m;
                return pos;
            }
        return -1;
    }
    if (int32_t(answer) < 0)
        return -1;
    *element = GetNthReferenced(kernel, list, int32_t(answer));
    return *element ? int32_t(answer) : -1;
}

enum class Test { Vertex, Inside };

struct Search {
    OBJectKernel *kernel;
    Test test;
    const PresentationManager *view;
    POINT pixel;
    MAP_COORDPT point;
    bool flag;
    bool groupGiven;
    bool cycling; // false: one pass from the beginning, no selection rules

    MAP_COORDPT found{};
    OBJHANDLE object = 0;
    OBJHANDLE holder = 0;

    bool hits(OBJHANDLE set, uint16_t ref, OBJHANDLE m)
    {
        const uint16_t cls = GetOBJectClassID(kernel, m);
        if (test == Test::Vertex) {
            // Asked with wParam 1, as for the set: a page is picked by its
            // handles but not by its area.
            if (!SendOBJectMessage(kernel, set, m, ref, GRM_GETSELECTABLE, 1, 0))
                return false;
            MAP_COORDPT at{};
            switch (cls) {
            case CLASS_POLYGON:
            case CLASS_POLYLINE:
                if (!PointSetFindVertex(kernel, m, view, &pixel, &at, -1))
                    return false;
                break;
            case CLASS_TEXT:
                if (!TextObjectFindVertex(kernel, m, view, pixel.x, pixel.y, &at, -1))
                    return false;
                break;
            case CLASS_PAGE:
                if (!PageHandleHitTest(kernel, m, const_cast<PresentationManager *>(view), &pixel, &at))
                    return false;
                break;
            case CLASS_NAIL: {
                SendOBJectMessage(kernel, m, m, 0, GRM_GETANCHOR, 0, LPARAM(&at));
                POINT w;
                if (PM_MapToWindow(view, &at, &w, 1) != 1 || w.x != pixel.x || w.y != pixel.y)
                    return false;
                break;
            }
            default:
                // Rasters have no vertex test of their own yet; legends and
                // presentations never match.
                return false;
            }
            found = at;
            return true;
        }
        if (cls != CLASS_NAIL && !SendOBJectMessage(kernel, set, m, ref, GRM_GETSELECTABLE, 0, 0))
            return false;
        switch (cls) {
        case CLASS_POLYGON:
            return PolygonContainsPoint(kernel, m, &point) != 0;
        case CLASS_TEXT:
        case CLASS_BITMAP:
        case CLASS_LEGEND:
        case CLASS_PRESENT:
        case CLASS_NAIL:
            return rectHolds(boundOf(kernel, m), point);
        default:
            return false;
        }
    }

    // One pass over the set: after its selected element, or from the start
    // up to it. The slot through which the hit was found goes to *slotOut.
    bool pass(OBJHANDLE set, bool fromStart, int depth, int32_t *slotOut)
    {
        if (depth >= kMaxSetDepth)
            return false;
        if (!SendOBJectMessage(kernel, set, set, 0, GRM_GETSELECTABLE, 1, 0))
            return false;
        if (test == Test::Inside && !rectHolds(boundOf(kernel, set), point))
            return false;
        const uint16_t ref = SetMemberReference(GetOBJectClassID(kernel, set));
        OBJHANDLE selected = 0;
        const int32_t s = cycling ? selectedSlot(kernel, set, &selected) : -1;
        // The selected element is examined in the pass after it when it is
        // a list or asked for; the pass from the start then stops before it,
        // except that a list there is searched again from its own start.
        const bool selectedFirst = s >= 0 && (flag || groupGiven || isList(kernel, selected));
        int32_t pos = -1;
        for (OBJHANDLE m = GetReference(kernel, set, ref, &pos); m;
             m = GetReference(kernel, set, ref, &pos)) {
            if (s >= 0) {
                if (!fromStart && (pos < s || (pos == s && !selectedFirst)))
                    continue;
                if (fromStart && (pos > s || (pos == s && selectedFirst && !isList(kernel, m))))
                    break;
            }
            bool hit;
            if (isList(kernel, m)) {
                int32_t inner = -1;
                hit = pass(m, fromStart, depth + 1, &inner);
            } else {
                hit = hits(set, ref, m);
                if (hit) {
                    object = m;
                    holder = set;
                }
            }
            if (hit) {
                *slotOut = pos;
                return true;
            }
        }
        return false;
    }

    int run(OBJHANDLE *set, OBJHANDLE *objectOut, int32_t *index)
    {
        int32_t slot = -1;
        bool hit = pass(*set, !cycling, 0, &slot);
        if (!hit && cycling)
            hit = pass(*set, true, 0, &slot);
        if (index)
            *index = hit ? slot : -1;
        if (!hit) {
            if (objectOut)
                *objectOut = 0;
            return 0;
        }
        if (objectOut)
            *objectOut = object;
        *set = holder;
        return 1;
    }
};

// A given group makes the selected element count first; the selection list
// stands for its selected element.
bool groupGiven(OBJectKernel *kernel, const OBJHANDLE *object)
{
    if (!object || !*object)
        return false;
    OBJHANDLE given = *object;
    if (GetOBJectClassID(kernel, given) == CLASS_SELLIST) {
        const LRESULT answer = SendOBJectMessage(kernel, given, given, 0, GRM_GETSELECTED, 0, 0);
        given = answer > 0 ? OBJHANDLE(answer) : 0;
    }
    return GetOBJectClassID(kernel, given) == CLASS_GROUP;
}

bool validSet(OBJectKernel *kernel, const OBJHANDLE *set) { return kernel && set && isList(kernel, *set); }

int refuse(OBJHANDLE *object, int32_t *index)
{
    if (object)
        *object = 0;
    if (index)
        *index = -1;
    return 0;
}

} // namespace

int SetOfObjectsFindVertex(OBJectKernel *kernel, OBJHANDLE *set, const PresentationManager *view,
                           const POINT *windowPoint, MAP_COORDPT *out, OBJHANDLE *object, int32_t *index,
                           int flag)
{
    if (!validSet(kernel, set) || !view || !windowPoint)
        return refuse(object, index);
    Search search{kernel, Test::Vertex, view, *windowPoint, {}, flag != 0, groupGiven(kernel, object), true};
    const int hit = search.run(set, object, index);
    if (hit && out)
        *out = search.found;
    return hit;
}

int SetOfObjectsFindInsidePoint(OBJectKernel *kernel, OBJHANDLE *set, const MAP_COORDPT *point,
                                OBJHANDLE *object, int32_t *index, int flag)
{
    if (!validSet(kernel, set) || !point)
        return refuse(object, index);
    Search search{kernel, Test::Inside, nullptr, {}, *point, flag != 0, groupGiven(kernel, object), true};
    return search.run(set, object, index);
}

int SetOfObjectsFindInsidePoint_2(OBJectKernel *kernel, OBJHANDLE *set, const MAP_COORDPT *point,
                                  OBJHANDLE *object, int32_t *index)
{
    if (!validSet(kernel, set) || !point)
        return refuse(object, index);
    Search search{kernel, Test::Inside, nullptr, {}, *point, false, false, false};
    return search.run(set, object, index);
}

int FindSnappingPoint(HWND window, POINT windowPoint, MAP_COORDPT *out, OBJHANDLE *object)
{
    if (object)
        *object = 0;
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView)
        return 0;
    // The bitmap scan clamps the window's radius setting to 0..32 pixels and
    // is off when the "Change Selection Cursor" setting is 0.
    if (!DisplayPointSeek(window, &windowPoint, nullptr))
        return 0;
    OBJHANDLE set = GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_LAYERS);
    OBJHANDLE found = 0;
    int32_t index = -1;
    const int hit =
        SetOfObjectsFindVertex(rec->kernel, &set, rec->displayView, &windowPoint, out, &found, &index, 1);
    if (object)
        *object = hit ? found : 0;
    return hit;
}

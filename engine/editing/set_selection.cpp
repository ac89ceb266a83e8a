// Walks over object sets that clear, find and make the selected element.
#include "engine/editing/beep.h"
#include "engine/editing/handle_list.h"
#include "engine/editing/set_geometry.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/window/wndres.h"

uint16_t SetMemberReference(uint16_t listClass)
{
    if (listClass & CLASSBIT_GROUPTREE)
        return REF_GROUP_MEMBER;
    if (listClass & CLASSBIT_LAYERTREE)
        return REF_LAYER_MEMBER;
    if (listClass == CLASS_SELLIST)
        return REF_SELECTED;
    return REF_FILTER_FORWARD;
}

namespace {

bool isList(OBJectKernel *kernel, OBJHANDLE h) { return GetOBJectClassID(kernel, h) & CLASSBIT_LIST; }

// The selected element of a list and its position; the selection list
// answers with the element's handle, other lists with its slot.
OBJHANDLE selectedElement(OBJectKernel *kernel, OBJHANDLE list, int32_t *slot, MAP_COORDPT *point)
{
    MAP_COORDPT p{};
    const LRESULT answer = SendOBJectMessage(kernel, list, list, 0, GRM_GETSELECTED, 0, LPARAM(&p));
    if (point)
        *point = p;
    OBJHANDLE element = 0;
    int32_t at = -1;
    if (GetOBJectClassID(kernel, list) == CLASS_SELLIST) {
        element = answer > 0 ? OBJHANDLE(answer) : 0;
        int32_t pos = -1;
        for (OBJHANDLE m = GetReference(kernel, list, REF_SELECTED, &pos); element && m;
             m = GetReference(kernel, list, REF_SELECTED, &pos))
            if (m == element) {
                at = pos;
                break;
            }
    } else if (int32_t(answer) >= 0) {
        at = int32_t(answer);
        element = GetNthReferenced(kernel, list, at);
    }
    if (!GetOBJectClassID(kernel, element))
        element = 0;
    if (slot)
        *slot = at;
    return element;
}

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = GraphHeadLock(kernel, h, GOH_SIZE);
    return p ? LoadField<MAP_COORDRECT>(p, GOH_BOUND) : kEmptyBoundRect;
}

OBJHANDLE selectionListOf(const _WNDRES *rec)
{
    return GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_SELLIST);
}

} // namespace

int SetOfObjectsUnSelect(HWND window, OBJHANDLE set)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !GetOBJectClassID(rec->kernel, set))
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE selection = selectionListOf(rec);
    OBJHANDLE current = set;
    for (int depth = 0; isList(kernel, current); ++depth) {
        const OBJHANDLE element =
            depth < kMaxSetDepth ? selectedElement(kernel, current, nullptr, nullptr) : 0;
        if (!element) {
            if (selection)
                SelListClear(kernel, selection);
            return 0;
        }
        if (isList(kernel, element) && GetOBJectClassID(kernel, element) == CLASS_LAYERS) {
            EditingBeep();
            return 0;
        }
        current = element;
    }
    SendOBJectMessage(kernel, current, current, 0, GRM_CLEARSELECTED, 0, 0);
    if (!selection)
        return 1;
    SendOBJectMessage(kernel, selection, selection, 0, GRM_CLEARSELECTED, 0, 0);
    const MAP_COORDRECT covered = boundOf(kernel, selection);
    const MAP_COORDRECT empty = kEmptyBoundRect;
    SendOBJectMessage(kernel, selection, selection, 0, GRM_SETBOUNDRECT, 0, LPARAM(&empty));
    SelListClear(kernel, selection);
    InvalidateGraphRect(window, &covered, 1);
    return 1;
}

int SetOfObjectsGetSelected(OBJectKernel *kernel, OBJHANDLE *set, uint16_t *classId, int32_t *index,
                            OBJHANDLE *object, MAP_COORDPT *point, GraphDispl *attributes)
{
    if (index)
        *index = -1;
    if (object)
        *object = 0;
    if (classId)
        *classId = 0;
    if (!kernel || !set || !isList(kernel, *set))
        return 0;
    for (int depth = 0; depth < kMaxSetDepth; ++depth) {
        MAP_COORDPT p;
        int32_t slot = -1;
        const OBJHANDLE element = selectedElement(kernel, *set, &slot, &p);
        if (!element)
            return 0;
        const uint16_t cls = GetOBJectClassID(kernel, element);
        if (cls == CLASS_ALLOBJECTS) {
            EditingBeep();
            return 0;
        }
        if (cls & CLASSBIT_LIST) {
            *set = element;
            continue;
        }
        if (index)
            *index = slot;
        if (object)
            *object = element;
        if (classId)
            *classId = cls;
        if (point)
            *point = p;
        if (attributes)
            if (const OBJHANDLE layer = FirstReferenceOfClass(kernel, element, REF_LAYER_BACK, CLASS_LAYER))
                SendOBJectMessage(kernel, element, layer, REF_LAYER_BACK, GRM_GETATTRIBUTES, 1,
                                  LPARAM(attributes));
        return 1;
    }
    return 0;
}

namespace {

int selectIn(const _WNDRES *rec, OBJHANDLE set, OBJHANDLE object, MAP_COORDPT point, int keep, int depth)
{
    OBJectKernel *kernel = rec->kernel;
    if (set == object)
        return 1;
    if (depth >= kMaxSetDepth)
        return 0;
    const uint16_t ref = SetMemberReference(GetOBJectClassID(kernel, set));
    int32_t pos = -1;
    for (OBJHANDLE m = GetReference(kernel, set, ref, &pos); m; m = GetReference(kernel, set, ref, &pos)) {
        if (m != object) {
            if (isList(kernel, m) && selectIn(rec, m, object, point, keep, depth + 1))
                return 1;
            continue;
        }
        const OBJHANDLE selection = selectionListOf(rec);
        if (!keep && selection)
            SelListClear(kernel, selection);
        SendOBJectMessage(kernel, object, object, 0, GRM_CLEARSELECTED, 0, 0);
        SendOBJectMessage(kernel, set, set, 0, GRM_SETSELECTED, WPARAM(pos), keep ? 0 : LPARAM(&point));
        if (selection)
            SelectNextGroupLevel(kernel, selection, object, &point);
        return 1;
    }
    return 0;
}

} // namespace

int SetOfObjectsSelectObject(HWND window, OBJHANDLE set, OBJHANDLE object, int32_t x, int32_t y, int keep)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !GetOBJectClassID(rec->kernel, set) || !GetOBJectClassID(rec->kernel, object))
        return 0;
    return selectIn(rec, set, object, {x, y}, keep, 0);
}

int ObjectSelectAtPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point)
{
    if (!kernel || !GetOBJectClassID(kernel, object) || !point)
        return 0;
    MAP_COORDPT p = *point;
    SendOBJectMessage(kernel, object, object, 0, GRM_SETSELECTED, WPARAM(int32_t(-2)), LPARAM(&p));
    return 1;
}

namespace {

bool validRect(const MAP_COORDRECT &r) { return r.x1 <= r.x2 && r.y1 <= r.y2; }

bool meets(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return validRect(a) && validRect(b) && a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

bool held(const MAP_COORDRECT &r, int32_t x, int32_t y)
{
    return x >= r.x1 && x <= r.x2 && y >= r.y1 && y <= r.y2;
}

bool flaggedGroup(OBJectKernel *kernel, OBJHANDLE object)
{
    OBJHANDLE g = object;
    for (int depth = 0; g && depth < kMaxSetDepth; ++depth) {
        if (SendOBJectMessage(kernel, g, g, 0, GRM_GETFLAGS, GF_SELECTED, 0))
            return true;
        g = FirstReferenceOfClass(kernel, g, REF_GROUP_PARENT, CLASS_GROUP);
    }
    return false;
}

struct RectWalk {
    OBJectKernel *kernel;
    OBJHANDLE selection;
    MAP_COORDRECT rect;
    const MAP_COORDPT *position;
    bool enclosed;
    bool crossing;
    HGLOBAL *list;
    uint32_t *count;

    bool hit(OBJHANDLE m, const MAP_COORDRECT &b) const
    {
        if (enclosed)
            return held(rect, b.x1, b.y1) && held(rect, b.x2, b.y2);
        const uint16_t cls = GetOBJectClassID(kernel, m);
        if (cls == CLASS_POLYGON) {
            const MAP_COORDPT corner{rect.x1, rect.y1};
            return SetOfLinesegmentMeetsRect(kernel, m, &rect, crossing) ||
                   PolygonContainsPoint(kernel, m, &corner);
        }
        if (cls == CLASS_POLYLINE)
            return SetOfLinesegmentMeetsRect(kernel, m, &rect, crossing) != 0;
        return true;
    }

    void run(OBJHANDLE set, int depth)
    {
        const uint16_t cls = GetOBJectClassID(kernel, set);
        if (depth >= kMaxSetDepth ||
            (!(cls & (CLASSBIT_GROUPTREE | CLASSBIT_LAYERTREE)) && cls != CLASS_SELLIST))
            return;
        if (!SendOBJectMessage(kernel, set, set, 0, GRM_GETSELECTABLE, 0, 0))
            return;
        const uint16_t ref = SetMemberReference(cls);
        int32_t pos = -1;
        for (OBJHANDLE m = GetReference(kernel, set, ref, &pos); m;
             m = GetReference(kernel, set, ref, &pos)) {
            if (!SendOBJectMessage(kernel, m, m, 0, GRM_GETSELECTABLE, 0, 0))
                continue;
            const MAP_COORDRECT b = boundOf(kernel, m);
            if (!meets(b, rect))
                continue;
            if (isList(kernel, m)) {
                run(m, depth + 1);
                continue;
            }
            if (!hit(m, b))
                continue;
            if (list && count)
                HandleListAppend(m, list, count);
            if (selection && !flaggedGroup(kernel, m))
                select(m);
        }
    }

    // Takes the object in at its next group level; in enclosed mode the level
    // keeps rising while the chosen group does not lie wholly inside.
    void select(OBJHANDLE m)
    {
        OBJHANDLE chosen = SelectNextGroupLevel(kernel, selection, m, position);
        for (int level = 0; enclosed && level < kMaxSetDepth; ++level) {
            if (!chosen || chosen == m || GetOBJectClassID(kernel, chosen) != CLASS_GROUP)
                break;
            const MAP_COORDRECT b = boundOf(kernel, chosen);
            if (held(rect, b.x1, b.y1) && held(rect, b.x2, b.y2))
                break;
            const OBJHANDLE next = SelectNextGroupLevel(kernel, selection, m, position);
            if (next == chosen)
                break;
            chosen = next;
        }
    }
};

} // namespace

OBJHANDLE SetOfObjectsSelectByRect(OBJectKernel *kernel, OBJHANDLE set, OBJHANDLE selectionList,
                                   const MAP_COORDRECT *rect, const MAP_COORDPT *position, int enclosed,
                                   int crossing, HGLOBAL *list, uint32_t *count)
{
    if (!kernel || !rect || !validRect(*rect) || !GetOBJectClassID(kernel, set))
        return selectionList;
    RectWalk walk{kernel, selectionList, *rect, position, enclosed != 0, crossing != 0, list, count};
    walk.run(set, 0);
    return selectionList;
}

int ObjectInvalidate(HWND window, int, OBJHANDLE, OBJHANDLE object)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !GetOBJectClassID(rec->kernel, object))
        return 0;
    const MAP_COORDRECT r = boundOf(rec->kernel, object);
    InvalidateGraphRect(window, &r, 1);
    return 1;
}

// Selection by point and rectangle: how the searches of the editing floor,
// the selection walks and the selection list combine for a click or a
// dragged rectangle, which modifiers count, how repeated clicks cycle
// through group levels and what is repainted.
#include "engine/editing/selection_by_point.h"

#include "engine/editing/hit_tests.h"
#include "engine/editing/set_geometry.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/wndres.h"
#include "platform/key_state.h"
#include "platform/window.h"

#include <algorithm>

namespace {

struct Selection {
    HWND window;
    const _WNDRES *rec;
    OBJectKernel *kernel;
    OBJHANDLE layers;
    OBJHANDLE list;
    bool add;

    OBJHANDLE last() const
    {
        int32_t pos = -1;
        return LastReference(kernel, list, REF_SELECTED, &pos);
    }
    int count() const { return int(GetChildrenOBJS(kernel, list, REF_FILTER_LINK_FORWARD, 0, nullptr, 0)); }
    OBJHANDLE current(MAP_COORDPT *point) const
    {
        MAP_COORDPT p = kEmptyPoint;
        const LRESULT h = SendOBJectMessage(kernel, list, list, 0, GRM_GETSELECTED, 0, LPARAM(&p));
        if (point)
            *point = p;
        return h > 0 ? OBJHANDLE(h) : 0;
    }
    void setCurrent(OBJHANDLE h, MAP_COORDPT point) const
    {
        SendOBJectMessage(kernel, list, list, 0, GRM_SETSELECTED, WPARAM(h), LPARAM(&point));
    }
    void clearPoint() const { setCurrent(current(nullptr), kEmptyPoint); }
    void repaint(OBJHANDLE h) const
    {
        if (h)
            ObjectInvalidate(window, 0, 0, h);
    }
    void invalidateList() const
    {
        const char *p = GraphHeadLock(kernel, list, GOH_SIZE);
        if (!p)
            return;
        const MAP_COORDRECT covered = LoadField<MAP_COORDRECT>(p, GOH_BOUND);
        InvalidateGraphRect(window, &covered, 1);
    }
    uint16_t classOf(OBJHANDLE h) const { return GetOBJectClassID(kernel, h); }
};

bool open(HWND window, uint32_t flags, Selection &s)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView)
        return false;
    s = {window,
         rec,
         rec->kernel,
         GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_LAYERS),
         GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_SELLIST),
         (flags & SELECT_ADD) != 0};
    return s.layers && s.list;
}

MAP_COORDRECT normalised(const MAP_COORDRECT &r)
{
    return {std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2), std::max(r.y1, r.y2)};
}

// The rectangle selection; repaintOnReplace says whether replace mode
// invalidates the old selection's area before unselecting.
int selectByRect(Selection &s, const MAP_COORDRECT &rect, bool repaintOnReplace)
{
    const MAP_COORDRECT r = normalised(rect);
    // Alt held: a rectangle also takes the objects that only cross it.
    const bool crossing = GetKeyState(VK_MENU) < 0;
    if (!s.add) {
        if (repaintOnReplace)
            s.invalidateList();
        SetOfObjectsUnSelect(s.window, s.layers);
    } else {
        s.repaint(s.list);
    }
    const MAP_COORDPT empty = kEmptyPoint;
    SetOfObjectsSelectByRect(s.kernel, s.layers, s.list, &r, &empty, crossing ? 0 : 1, 0, nullptr, nullptr);
    if (s.add)
        s.repaint(s.list);
    s.clearPoint();
    return s.count();
}

int selectByPoint(Selection &s, uint32_t flags, POINT p)
{
    OBJectKernel *kernel = s.kernel;
    const OBJHANDLE lastBefore = s.last();
    MAP_COORDPT currentPoint{};
    const OBJHANDLE c0 = s.current(&currentPoint);
    const bool deep = lastBefore && ((flags & SELECT_ELEMENT) || s.classOf(lastBefore) == CLASS_GROUP);

    // What lies under the click: a drawn vertex, else an area holding it.
    MAP_COORDPT m{};
    OBJHANDLE h = c0;
    int32_t index = -1;
    OBJHANDLE set = s.layers;
    POINT seek = p;
    const bool vertex = DisplayPointSeek(s.window, &seek, nullptr) != 0;
    if (vertex) {
        SetOfObjectsFindVertex(kernel, &set, s.rec->displayView, &p, &m, &h, &index, deep);
        if (index < 0)
            return -1;
    } else {
        s.clearPoint();
        PM_WindowToMap(s.rec->displayView, &p, &m, 1);
        if (!SetOfObjectsFindInsidePoint(kernel, &set, &m, &h, &index, deep))
            return -1;
    }
    auto finish = [&](int result) {
        if (!vertex)
            s.clearPoint();
        return result;
    };

    // A page or a nail always replaces the selection.
    bool add = s.add;
    for (OBJHANDLE special : {lastBefore, h})
        if (s.classOf(special) == CLASS_PAGE || s.classOf(special) == CLASS_NAIL)
            add = false;
    MAP_COORDPT kept = add ? kEmptyPoint : m;
    int32_t pos = -1;
    const bool held = TreeMember(kernel, s.list, REF_FILTER_LINK_FORWARD, h, &pos) != 0;

    OBJHANDLE selectedSet = s.layers, c = 0;
    if (!SetOfObjectsGetSelected(kernel, &selectedSet, nullptr, nullptr, &c, nullptr, nullptr)) {
        if (!add) {
            s.invalidateList();
            SetOfObjectsUnSelect(s.window, s.layers);
        }
        SetOfObjectsSelectObject(s.window, s.layers, h, kept.x, kept.y, add);
        if (add) {
            ObjectSelectAtPoint(kernel, h, &m);
            s.setCurrent(h, m);
        }
        s.repaint(s.list);
    } else if (add && SendOBJectMessage(kernel, h, h, 0, GRM_GETFLAGS, GF_SELECTED, 0) && !deep) {
        // Toggle off.
        RemoveReference(kernel, s.list, REF_SELECTED, h);
        s.repaint(h);
        s.setCurrent(s.last(), kEmptyPoint);
        return finish(s.count());
    } else if (h == c && (add || GetNumberOfSelected(kernel, s.list) <= 1)) {
        // The same object again: step through its group levels.
        if (s.classOf(GroupParentGet(kernel, h)) == CLASS_GROUP) {
            SelectNextGroupLevel(kernel, s.list, h, &kept);
            s.repaint(s.classOf(lastBefore) == CLASS_GROUP ? lastBefore : s.last());
            return finish(1);
        }
        MAP_COORDPT listPoint{};
        s.current(&listPoint);
        if (!CoordPtEqual(listPoint, m)) {
            ObjectSelectAtPoint(kernel, h, &kept);
            s.setCurrent(h, kept);
            s.invalidateList();
        }
        return finish(-1);
    } else {
        bool wasSelected = held;
        if (!add) {
            SetOfObjectsUnSelect(s.window, s.layers);
            wasSelected = false;
        }
        SendOBJectMessage(kernel, c, c, 0, GRM_CLEARSELECTED, 0, 0);
        if (!wasSelected)
            SetOfObjectsSelectObject(s.window, s.layers, h, kept.x, kept.y, add);
        else
            SendOBJectMessage(kernel, h, h, 0, GRM_SETSELECTED, 0, LPARAM(&kept));
        SendMessageA(s.window, WM_USER + 0x65, 0, 0);
        if (add) {
            kept = m;
            ObjectSelectAtPoint(kernel, h, &m);
            s.setCurrent(h, m);
            s.repaint(c);
        }
        if (!wasSelected)
            s.repaint(add && s.last() == lastBefore ? h : s.last());
    }
    s.setCurrent(s.last(), kept);
    return finish(s.count());
}

} // namespace

int OnSelectByPoint(HWND window, uint32_t flags, POINT point)
{
    Selection s;
    return open(window, flags, s) ? selectByPoint(s, flags, point) : -1;
}

int OnSelectByRect(HWND window, uint32_t flags, const MAP_COORDRECT *rect)
{
    Selection s;
    if (!rect || !open(window, flags, s))
        return 0;
    return selectByRect(s, *rect, true);
}

int OnRectSelect(HWND window, uint32_t flags, const MAP_COORDRECT *rect)
{
    Selection s;
    if (!rect || !open(window, flags, s))
        return 0;
    const MAP_COORDRECT r = normalised(*rect);
    if (r.x1 != r.x2 || r.y1 != r.y2)
        return selectByRect(s, r, false);
    const MAP_COORDPT corner{r.x1, r.y1};
    POINT p{};
    PM_MapToWindow(s.rec->displayView, &corner, &p, 1);
    const int result = selectByPoint(s, flags, p);
    return result == -1 ? 0 : result;
}

int CheckPointInRoot(HWND window, OBJHANDLE set, uint32_t, POINT point)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView || !(GetOBJectClassID(rec->kernel, set) & CLASSBIT_LIST))
        return 0;
    OBJHANDLE object = 0, inSet = set;
    int32_t index = -1;
    POINT seek = point;
    if (DisplayPointSeek(window, &seek, nullptr)) {
        MAP_COORDPT m{};
        SetOfObjectsFindVertex(rec->kernel, &inSet, rec->displayView, &point, &m, &object, &index, 0);
        return index >= 0 ? 1 : 0;
    }
    MAP_COORDPT m{};
    PM_WindowToMap(rec->displayView, &point, &m, 1);
    return SetOfObjectsFindInsidePoint_2(rec->kernel, &inSet, &m, &object, &index);
}

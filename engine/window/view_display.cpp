#include "engine/window/view_display.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/page.h"
#include "platform/window_scroll.h"

namespace {

// The bounds of every object on the layers, in map coordinates; false when
// the document holds nothing with a valid rectangle.
bool objectsBounds(const _WNDRES *rec, MAP_COORDRECT *out)
{
    const OBJHANDLE layers = GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_LAYERS);
    if (!layers)
        return false;
    MAP_COORDRECT r = kEmptyWorldRect;
    if (!SendOBJectMessage(rec->kernel, layers, layers, 0, GRM_GETBOUNDRECT, 0, reinterpret_cast<LPARAM>(&r)))
        return false;
    if (r.x1 >= r.x2)
        return false;
    *out = r;
    return true;
}

// The nail pinned on the page: a nail is one of the first two objects of the
// page layer, and only a layer with two objects or more (page and nail) can
// hold one.
OBJHANDLE pageNail(HWND window, OBJectKernel *kernel)
{
    const OBJHANDLE layer = GetPageLayer(window);
    if (!layer || GetNumberOfReferencesFrom(kernel, layer, REF_LAYER_MEMBER) < 2)
        return 0;
    int32_t pos = 0;
    const OBJHANDLE first = FirstReference(kernel, layer, REF_LAYER_MEMBER, &pos);
    if (GetOBJectClassID(kernel, first) == CLASS_NAIL)
        return first;
    const OBJHANDLE second = GetReference(kernel, layer, REF_LAYER_MEMBER, &pos);
    return GetOBJectClassID(kernel, second) == CLASS_NAIL ? second : 0;
}

// The page rectangle and the nail's rectangle, both as the page keeps them
// (world coordinates); inverted rectangles when there is none.
void pageAndNailRects(HWND window, _WNDRES *rec, MAP_COORDRECT *page, MAP_COORDRECT *nail)
{
    *page = kEmptyBoundRect;
    *nail = kEmptyBoundRect;
    PageRecord record;
    if (PageRead(rec->kernel, PageGetFromWindow(window), &record) && record.page.x1 <= record.page.x2 &&
        record.page.y1 <= record.page.y2)
        *page = record.page;
    if (const OBJHANDLE n = pageNail(window, rec->kernel)) {
        MAP_COORDRECT r = kEmptyBoundRect;
        SendOBJectMessage(rec->kernel, n, n, 0, GRM_GETBOUNDRECT, 0, reinterpret_cast<LPARAM>(&r));
        if (r.x1 <= r.x2 && r.y1 <= r.y2)
            *nail = r;
    }
}

void unite(MAP_COORDRECT *sum, bool *any, const MAP_COORDRECT &r)
{
    if (r.x1 > r.x2 || r.y1 > r.y2)
        return;
    if (!*any)
        *sum = r;
    else
        SumBoundRect(sum, &r);
    *any = true;
}

} // namespace

int PM_InitDisplaySettings(PresentationManager *view, HWND window)
{
    if (!view || !GetWndRes(window))
        return 0;
    PageUpdateInWindow(window);
    SetScrollRange(window, SB_HORZ, 0, view->hScrollRange, TRUE);
    SetScrollRange(window, SB_VERT, 0, view->vScrollRange, TRUE);
    return PM_UpdateDisplay(window);
}

int PM_UpdateDisplay(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->displayView)
        return 0;
    PresentationManager *view = rec->displayView;
    MAP_COORDRECT page, nail, objects, sum = kEmptyWorldRect;
    bool any = false;
    pageAndNailRects(window, rec, &page, &nail);
    unite(&sum, &any, page);
    unite(&sum, &any, nail);
    if (objectsBounds(rec, &objects)) {
        MAP_COORDRECT world;
        if (PM_MapToWorldRect(view, &objects, &world))
            unite(&sum, &any, world);
    }
    view->allObjectsRect = sum;
    return PM_CalculateScrolls(view, window, TRUE);
}

int PM_GetDisplayBoundRect(HWND window, MAP_COORDRECT *mapRect)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !mapRect)
        return 0;
    MAP_COORDRECT page, nail, objects, sum = kEmptyWorldRect;
    bool any = false;
    pageAndNailRects(window, rec, &page, &nail);
    for (const MAP_COORDRECT &world : {page, nail}) {
        MAP_COORDRECT map;
        if (world.x1 <= world.x2 && PM_WorldToMapRect(rec->displayView, &world, &map))
            unite(&sum, &any, map);
    }
    if (objectsBounds(rec, &objects))
        unite(&sum, &any, objects);
    *mapRect = sum;
    return 1;
}

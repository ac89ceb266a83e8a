#include "engine/window/view_display.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/wndres.h"
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

} // namespace

int PM_InitDisplaySettings(PresentationManager *view, HWND window)
{
    if (!view || !GetWndRes(window))
        return 0;
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
    MAP_COORDRECT objects;
    MAP_COORDRECT world = kEmptyWorldRect;
    if (objectsBounds(rec, &objects))
        PM_MapToWorldRect(view, &objects, &world);
    view->allObjectsRect = world;
    return PM_CalculateScrolls(view, window, TRUE);
}

int PM_GetDisplayBoundRect(HWND window, MAP_COORDRECT *mapRect)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !mapRect)
        return 0;
    if (!objectsBounds(rec, mapRect))
        *mapRect = kEmptyWorldRect;
    return 1;
}

#include "engine/window/window_selection.h"

#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/window/window_access.h"
#include "engine/window/window_children.h"

#include <algorithm>
#include <vector>

namespace {

MAP_COORDRECT boundsOf(OBJectKernel *kernel, OBJHANDLE object)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    SendOBJectMessage(kernel, object, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

// The selection list of the record's document, 0 when any part is missing.
OBJHANDLE selectionOf(const _WNDRES *record)
{
    if (!record || !record->kernel || !record->rootObject)
        return 0;
    return GetRootOBJKern(record->kernel, record->rootObject, CLASS_SELLIST);
}

bool isSelected(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object)
{
    const int32_t slot = FindReference(kernel, list, REF_SELECTED, object);
    return slot >= 0 && uint32_t(slot) != OBJ_INVALID;
}

} // namespace

extern "C" {

int map_selection_Set(HWND window, const OBJHANDLE *objects, int32_t count, uint8_t lineFlags,
                      COLORREF colour, int32_t lineStyle, int32_t width, int32_t showNodes,
                      int32_t vertexMode, int32_t pickRadius, int replace, int)
{
    const MapDoc doc(window);
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    if (!list)
        return 0;
    const MAP_COORDRECT before = boundsOf(doc.kernel, list);
    SetSelection(window, objects, objects && count > 0 ? uint32_t(count) : 0, replace ? 0 : 1, 0);
    _WNDRES *rec = doc.rec;
    rec->selLineFlags = lineFlags;
    if (colour != 0xFFFFFFFFu)
        rec->selLineColor = colour;
    if (lineStyle >= 0)
        rec->selLineStyle = lineStyle;
    if (width != -1)
        rec->selLineWidth = width;
    if (showNodes)
        rec->showSelectedNodes = showNodes > 0 ? 1 : 0;
    if (pickRadius >= 0 && rec->gui)
        rec->gui->pickRadius = pickRadius;
    if (vertexMode < 0)
        PointsClearProc(window);
    else if (vertexMode > 0)
        PointsRefresh(window);
    InvalidateGraphRect(window, &before, 1);
    const MAP_COORDRECT after = boundsOf(doc.kernel, list);
    InvalidateGraphRect(window, &after, 1);
    return 1;
}

int32_t map_selection_Get(HWND window, int32_t *count, OBJHANDLE *objects, int32_t capacity,
                          uint8_t *lineFlags, COLORREF *colour, int32_t *lineStyle, int32_t *width,
                          int32_t *showNodes, int32_t *noSelectionCursor, uint16_t *pickRadius,
                          MAP_COORDRECT *bounds, int leavesOnly)
{
    const MapDoc doc(window);
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    if (!list)
        return 0;
    const int32_t copied = CHILDREN_Get(window, list, count, objects, capacity, leavesOnly);
    const _WNDRES *rec = doc.rec;
    if (lineFlags)
        *lineFlags = rec->selLineFlags;
    if (colour)
        *colour = rec->selLineColor;
    if (lineStyle)
        *lineStyle = rec->selLineStyle;
    if (width)
        *width = rec->selLineWidth;
    if (showNodes)
        *showNodes = rec->showSelectedNodes;
    if (noSelectionCursor)
        *noSelectionCursor = rec->gui ? rec->gui->noSelectionCursor : 0;
    if (pickRadius)
        *pickRadius = uint16_t(rec->gui ? rec->gui->pickRadius : 0);
    if (bounds)
        *bounds = boundsOf(doc.kernel, list);
    return copied;
}

int map_selection_Clear(HWND window, int)
{
    const MapDoc doc(window);
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    if (!list)
        return 0;
    const MAP_COORDRECT before = boundsOf(doc.kernel, list);
    SelListClear(doc.kernel, list);
    if (const OBJHANDLE layers = doc.root(CLASS_LAYERS))
        SendOBJectMessage(doc.kernel, layers, layers, 0, GRM_SETSELECTED, WPARAM(-1), 0);
    InvalidateGraphRect(window, &before, 1);
    const MAP_COORDRECT after = boundsOf(doc.kernel, list);
    InvalidateGraphRect(window, &after, 1);
    return 1;
}

int map_objects_Unselect(HWND window, const OBJHANDLE *objects, int32_t count, int)
{
    const MapDoc doc(window);
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    if (!doc || !objects)
        return 0;
    for (int32_t i = 0; list && i < count; ++i)
        if (objects[i] && isSelected(doc.kernel, list, objects[i]))
            RemoveReference(doc.kernel, list, REF_SELECTED, objects[i]);
    return 1;
}

int map_IsInSelection(_WNDRES *record, OBJHANDLE object)
{
    const OBJHANDLE list = selectionOf(record);
    if (!list || !object || !GetOBJectClassID(record->kernel, object))
        return 0;
    return isSelected(record->kernel, list, object) && !IsUndoneObj(record->kernel, object) ? 1 : 0;
}

int map_RemoveFromSel(_WNDRES *record, OBJHANDLE object)
{
    const OBJHANDLE list = selectionOf(record);
    if (!list || !record->hWnd || !object || !GetOBJectClassID(record->kernel, object))
        return 0;
    OBJectKernel *kernel = record->kernel;
    const MAP_COORDRECT r = boundsOf(kernel, object);
    if (isSelected(kernel, list, object))
        RemoveReference(kernel, list, REF_SELECTED, object);
    SendOBJectMessage(kernel, list, list, 0, GRM_CALCBOUNDRECT, 0, 0);
    InvalidateGraphRect(record->hWnd, &r, 1);
    return 1;
}

int map_AddToSel(_WNDRES *record, OBJHANDLE object)
{
    if (!selectionOf(record) || !record->hWnd || !object || !GetOBJectClassID(record->kernel, object))
        return 0;
    SetSelection(record->hWnd, &object, 1, 1, 1);
    return 1;
}

int map_object_selection_Get(HWND window, OBJHANDLE object)
{
    const MapDoc doc(window);
    if (!doc.classOf(object))
        return 0;
    const uint64_t limit = uint64_t(KernGiveAllObjectsAmount(doc.kernel)) + 1;
    OBJHANDLE level = object;
    for (uint64_t step = 0; level && step < limit; ++step) {
        int32_t pos = -1;
        if (GetReference(doc.kernel, level, REF_SELECTED_BACK, &pos))
            return 1;
        pos = -1;
        level = GetReference(doc.kernel, level, REF_GROUP_PARENT, &pos);
    }
    return 0;
}

} // extern "C"

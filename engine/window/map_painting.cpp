#include "engine/window/map_painting.h"

#include "engine/editing/tools/nail.h"

#include "engine/editing/display_pass.h"
#include "engine/editing/hit_tests.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/view/dialogs/raster_dialog_model.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/view_display.h"
#include "engine/window/window_children.h"
#include "platform/dc.h"
#include "platform/window.h"

#include <algorithm>

namespace {

// The Layers root's clip rectangle for the length of one paint; what was
// there before comes back at the end.
class PaintClip {
public:
    PaintClip(HWND window, const MAP_COORDRECT &rect) : window_(window)
    {
        hadPrevious_ = LayersClipRectGet(window_, 0, &previous_) != 0;
        LayersClipRectSet(window_, 0, &rect);
    }
    ~PaintClip() { LayersClipRectSet(window_, 0, hadPrevious_ ? &previous_ : nullptr); }
    PaintClip(const PaintClip &) = delete;
    PaintClip &operator=(const PaintClip &) = delete;

private:
    HWND window_;
    MAP_COORDRECT previous_{};
    bool hadPrevious_ = false;
};

MAP_COORDRECT intersect(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return {std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2), std::min(a.y2, b.y2)};
}

} // namespace

long OnDstrPaint(_WNDRES *rec, HDC dc, const RECT *rect, int selectionOnly)
{
    if (!rec || !rec->kernel || !rec->displayView || !dc || !rect)
        return 0;
    const HWND window = rec->hWnd;
    const OBJHANDLE layers = GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_LAYERS);
    if (!layers)
        return 0;
    const OBJHANDLE selection = GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_SELLIST);
    const POINT origin = PM_GetBrushOrg(rec->displayView);
    SetBrushOrgEx(dc, origin.x, origin.y, nullptr);

    MAP_COORDRECT area{};
    PM_WindowToMapRect(rec->displayView, rect, &area);
    area = {std::min(area.x1, area.x2), std::min(area.y1, area.y2), std::max(area.x1, area.x2),
            std::max(area.y1, area.y2)};
    MAP_COORDRECT shown{};
    if (PM_GetDisplayBoundRect(window, &shown) && shown.x1 <= shown.x2 && shown.y1 <= shown.y2)
        area = intersect(area, shown);
    const PaintClip clip(window, area);

    PointsClearRect(window, rect);
    long result = 1;
    if (!selectionOnly)
        result = SetOfObjectsDisplay(rec, dc, layers, DM_MAP_OBJECTS, nullptr, nullptr, 0, 0);
    if (result != -1 && selection)
        result = SetOfObjectsDisplay(rec, dc, selection, DM_SELECTION, nullptr, nullptr, 0, 0);
    return result;
}

void RefreshMapWindow(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    if (rec && rec->kernel) {
        const OBJHANDLE layers = GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_LAYERS);
        _COORDRECT bound{2147483647, 2147483647, -2147483647, -2147483647};
        if (layers &&
            (SendOBJectMessage(rec->kernel, 0, layers, 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound)), true) &&
            bound.x1 <= bound.x2)
            InvalidateGraphRect(window, &bound, 4);
    }
    InvalidateRect(window, nullptr, TRUE);
}

long OnDstrRBD(HWND window, POINT point)
{
    // A click on the nail shows its popup menu and does nothing else.
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView)
        return 1;
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    if (nail && NailHitTest(window, nail, rec->displayView, point)) {
        NailPopupMenu(window, nail, point);
        return 1;
    }
    // A selected raster (also inside a selected group) under the point opens
    // its dialog.
    MAP_COORDPT map{};
    PM_WindowToMap(rec->displayView, &point, &map, 1);
    OBJHANDLE set = GetRootOBJect(window, CLASS_SELLIST);
    OBJHANDLE object = 0;
    int32_t index = -1;
    if (set && SetOfObjectsFindInsidePoint(rec->kernel, &set, &map, &object, &index, 1) && object &&
        map_object_type_Get(window, object) == MOT_RASTER)
        EditRasterObject(window, object);
    return 1;
}

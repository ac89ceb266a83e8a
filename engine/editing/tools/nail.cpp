#include "engine/editing/tools/nail.h"

#include "engine/editing/tools/transform.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/bitblt.h"
#include "platform/dc.h"
#include "platform/draw_icon.h"
#include "platform/menu.h"
#include "platform/popup_menu.h"
#include "platform/window_dc.h"

#include <limits>

namespace {

// The cursor table's entries of the icons 157 and 158, and the marker
// bitmap "CIRCLE".
constexpr int kNailIcon = 12;
constexpr int kNailSelectedIcon = 13;
constexpr int kCircleMarker = 1;
constexpr int kCircleSize = 4;
// Draw flags that ask for the selected look.
constexpr uint16_t kSelectedLook = 0x208;
constexpr uint16_t kUnsetVertex = 0x20 | 0x400;

bool inRange(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// The icon's rectangle about the centre in the window's display view; the
// point itself without a view.
MAP_COORDRECT iconRect(OBJectKernel *kernel, OBJHANDLE nail, MAP_COORDPT centre)
{
    MAP_COORDRECT r{centre.x, centre.y, centre.x, centre.y};
    const _WNDRES *rec = GetWndRes(GetOBJectWnd(kernel, nail));
    if (!rec || !rec->displayView)
        return r;
    POINT w{};
    if (PM_MapToWindow(rec->displayView, &centre, &w, 1) != 1)
        return r;
    const RECT pixels{w.x - NAIL_ICON_HOT_X, w.y - NAIL_ICON_HOT_Y, w.x + 32 - NAIL_ICON_HOT_X,
                      w.y + 32 - NAIL_ICON_HOT_Y};
    MAP_COORDRECT m{};
    if (PM_WindowToMapRect(rec->displayView, &pixels, &m))
        r = m;
    return r;
}

void recalc(OBJectKernel *kernel, OBJHANDLE nail)
{
    NailRecord n{};
    if (!NailRead(kernel, nail, &n))
        return;
    n.bound = iconRect(kernel, nail, n.centre);
    NailWrite(kernel, nail, n);
}

MAP_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    SendOBJectMessage(kernel, h, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

// The nail among the first two objects of the page layer.
OBJHANDLE findNail(OBJectKernel *kernel, OBJHANDLE pageLayer)
{
    if (!pageLayer || GetNumberOfReferencesFrom(kernel, pageLayer, REF_LAYER_MEMBER) < 2)
        return 0;
    int32_t pos = -1;
    const OBJHANDLE first = FirstReference(kernel, pageLayer, REF_LAYER_MEMBER, &pos);
    const OBJHANDLE second = GetReference(kernel, pageLayer, REF_LAYER_MEMBER, &pos);
    if (GetOBJectClassID(kernel, first) == CLASS_NAIL)
        return first;
    return GetOBJectClassID(kernel, second) == CLASS_NAIL ? second : 0;
}

OBJectKernel *kernelOf(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    return rec ? rec->kernel : nullptr;
}

} // namespace

bool NailRead(OBJectKernel *kernel, OBJHANDLE nail, NailRecord *out)
{
    if (!out || GetOBJectClassID(kernel, nail) != CLASS_NAIL)
        return false;
    const char *p = OBJectLock(kernel, nail);
    if (!p)
        return false;
    *out = LoadField<NailRecord>(p, 0);
    return true;
}

bool NailWrite(OBJectKernel *kernel, OBJHANDLE nail, const NailRecord &record)
{
    if (GetOBJectClassID(kernel, nail) != CLASS_NAIL)
        return false;
    char *p = OBJectLock(kernel, nail);
    if (!p)
        return false;
    StoreField(p, 0, record);
    return true;
}

LRESULT NailClassProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                      uint16_t message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case OBJM_CREATE: {
        const LRESULT r = DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
        NailRecord n{};
        if (NailRead(kernel, receiver, &n)) {
            n.rotationFree = n.scalingFree = n.shiftOn = 1;
            n.word64 = 0;
            n.angle = 0.0;
            n.scale = 1.0;
            n.shiftX = n.shiftY = 0;
            n.moveOnly = 0;
            NailWrite(kernel, receiver, n);
        }
        return r;
    }
    case GRM_NAILSETPOINT: {
        NailRecord n{};
        if (lParam && NailRead(kernel, receiver, &n)) {
            n.centre = *reinterpret_cast<const MAP_COORDPT *>(lParam);
            NailWrite(kernel, receiver, n);
            recalc(kernel, receiver);
        }
        return 0;
    }
    case GRM_NAILRECALC:
        recalc(kernel, receiver);
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    case GRM_GETSELECTABLE:
        return GetOBJectClassID(kernel, receiver) ? 1 : 0;
    case GRM_GETANCHOR: {
        NailRecord n{};
        if (lParam && NailRead(kernel, receiver, &n))
            *reinterpret_cast<MAP_COORDPT *>(lParam) = n.centre;
        return 0;
    }
    default:
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    }
}

OBJHANDLE GetNailOBJFromPage(HWND window)
{
    OBJectKernel *kernel = kernelOf(window);
    return kernel ? findNail(kernel, GetPageLayer(window)) : 0;
}

OBJHANDLE CreateNailOBJOnPage(HWND window, const MAP_COORDPT *point)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE pageLayer = GetPageLayer(window);
    const int32_t members = pageLayer ? GetNumberOfReferencesFrom(kernel, pageLayer, REF_LAYER_MEMBER) : 0;
    if (members == 0)
        return 0;
    if (members >= 2)
        return findNail(kernel, pageLayer);
    const OBJHANDLE nail = CreateOBJect(kernel, CLASS_NAIL);
    if (!nail)
        return 0;
    if (InsertRefInPos(kernel, pageLayer, REF_LAYER_MEMBER, nail, -1, -1) == OBJ_INVALID) {
        OBJectDelete(kernel, nail);
        return 0;
    }
    MAP_COORDPT at{0, 0};
    if (point) {
        at = *point;
    } else {
        const OBJHANDLE layers = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
        const MAP_COORDRECT r = boundOf(kernel, layers);
        if (r.x1 <= r.x2 && r.y1 <= r.y2)
            at = {int32_t((int64_t(r.x1) + r.x2) / 2), int32_t((int64_t(r.y1) + r.y2) / 2)};
    }
    SendOBJectMessage(kernel, nail, nail, 0, GRM_NAILSETPOINT, 0, LPARAM(&at));
    SendOBJectMessage(kernel, nail, nail, 0, GRM_INVALIDATE, 0, 0);
    return nail;
}

void SetNailObj2(HWND window, const MAP_COORDPT *point)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !point)
        return;
    OBJectKernel *kernel = rec->kernel;
    if (const OBJHANDLE nail = GetNailOBJFromPage(window)) {
        const MAP_COORDRECT before = boundOf(kernel, nail);
        SendOBJectMessage(kernel, nail, nail, 0, GRM_NAILSETPOINT, 0, LPARAM(point));
        SendOBJectMessage(kernel, nail, nail, 0, GRM_NAILRECALC, 0, 0);
        const MAP_COORDRECT after = boundOf(kernel, nail);
        SendOBJectMessage(kernel, nail, nail, 0, GRM_INVALIDATE, 0, LPARAM(&before));
        InvalidateGraphRect(window, &before, 1);
        InvalidateGraphRect(window, &after, 1);
        return;
    }
    const OBJHANDLE nail = CreateNailOBJOnPage(window, point);
    if (!nail)
        return;
    Undo_AddNew(kernel, nail);
    Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_NAIL);
    MarkMapModified(window);
    const MAP_COORDRECT r = boundOf(kernel, nail);
    InvalidateGraphRect(window, &r, 1);
}

namespace {

void toggle(HWND window, uint32_t NailRecord::*field)
{
    OBJectKernel *kernel = kernelOf(window);
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    NailRecord n{};
    if (!NailRead(kernel, nail, &n))
        return;
    n.*field = n.*field == 0 ? 1 : 0;
    NailWrite(kernel, nail, n);
}

} // namespace

void NailRotfree(HWND window) { toggle(window, &NailRecord::rotationFree); }
void NailScalfree(HWND window) { toggle(window, &NailRecord::scalingFree); }

void NailDelete(HWND window)
{
    OBJectKernel *kernel = kernelOf(window);
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    if (!nail)
        return;
    const MAP_COORDRECT r = boundOf(kernel, nail);
    // The deletion is not a step of the history: the steps that name the
    // nail must not reach its handle once it is freed.
    UndoForgetObject(kernel, nail);
    OBJectDelete(kernel, nail);
    InvalidateGraphRect(window, &r, 1);
}

int DoNailOperations(HWND window, int recordUndo)
{
    OBJectKernel *kernel = kernelOf(window);
    NailRecord n{};
    if (!NailRead(kernel, GetNailOBJFromPage(window), &n))
        return 0;
    if (!n.rotationFree && !n.scalingFree && !n.shiftOn)
        return 0;
    const double scale = n.scalingFree ? n.scale : 1.0;
    return TransformSelection(window, n.centre.x, n.centre.y, n.shiftOn ? n.shiftX : 0,
                              n.shiftOn ? n.shiftY : 0, scale, scale, n.rotationFree ? n.angle : 0.0,
                              recordUndo);
}

int NailDisplay(HWND window, HDC dc, OBJHANDLE nail, uint16_t flags, int)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView)
        return 0;
    NailRecord n{};
    if (!NailRead(rec->kernel, nail, &n))
        return 0;
    const bool own = !dc;
    if (own && !(dc = GetDC(window)))
        return 0;
    POINT w{};
    if (PM_MapToWindow(rec->displayView, &n.centre, &w, 1) == 1) {
        if (GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY) {
            if (flags & kUnsetVertex)
                PointsUnset(window, &w, 1);
            else
                PointsSet(window, nullptr, &w, 1);
        }
        const bool selected = flags & kSelectedLook;
        DrawIcon(dc, w.x - NAIL_ICON_HOT_X, w.y - NAIL_ICON_HOT_Y,
                 GetGDIObject(selected ? kNailSelectedIcon : kNailIcon));
        if (selected)
            if (const HBITMAP circle = MarkerBitmap(kCircleMarker))
                BitmapDraw(dc, circle, kCircleSize, kCircleSize, w.x - 1, w.y - 1, SRCINVERT);
    }
    if (own)
        ReleaseDC(window, dc);
    return 1;
}

int NailMove(OBJectKernel *kernel, OBJHANDLE nail, int32_t dx, int32_t dy)
{
    NailRecord n{};
    if (!nail || !NailRead(kernel, nail, &n))
        return 0;
    const MAP_COORDRECT before = n.bound;
    const int64_t c[6] = {int64_t(n.bound.x1) + dx, int64_t(n.bound.y1) + dy, int64_t(n.bound.x2) + dx,
                          int64_t(n.bound.y2) + dy, int64_t(n.centre.x) + dx, int64_t(n.centre.y) + dy};
    for (int64_t v : c)
        if (!inRange(v))
            return 0;
    n.bound = {int32_t(c[0]), int32_t(c[1]), int32_t(c[2]), int32_t(c[3])};
    n.centre = {int32_t(c[4]), int32_t(c[5])};
    NailWrite(kernel, nail, n);
    SendOBJectMessage(kernel, nail, nail, 0, GRM_INVALIDATE, 0, LPARAM(&before));
    return 1;
}

int NailVertexHit(OBJectKernel *kernel, OBJHANDLE nail, const PresentationManager *view, POINT windowPoint,
                  MAP_COORDPT *result)
{
    NailRecord n{};
    if (!view || !NailRead(kernel, nail, &n))
        return 0;
    POINT w{};
    if (PM_MapToWindow(view, &n.centre, &w, 1) != 1 || w.x != windowPoint.x || w.y != windowPoint.y)
        return 0;
    if (result)
        *result = n.centre;
    return 1;
}

int PointInObjectBoundRect(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point)
{
    if (!point || !GetOBJectClassID(kernel, object))
        return 0;
    const MAP_COORDRECT r = boundOf(kernel, object);
    return point->x >= r.x1 && point->x <= r.x2 && point->y >= r.y1 && point->y <= r.y2 ? 1 : 0;
}

int NailHitTest(HWND window, OBJHANDLE nail, const PresentationManager *view, POINT windowPoint)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel || !view || GetOBJectClassID(kernel, nail) != CLASS_NAIL)
        return 0;
    MAP_COORDPT m{};
    if (PM_WindowToMap(view, &windowPoint, &m, 1) != 1)
        return 0;
    return PointInObjectBoundRect(kernel, nail, &m);
}

HMENU NailMenuCreate(HWND window, OBJHANDLE nail)
{
    NailRecord n{};
    if (!NailRead(kernelOf(window), nail, &n))
        return 0;
    const HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | (n.rotationFree ? MF_CHECKED : 0), ID_NAIL_ROTATION_FREE, "Rotation Free");
    AppendMenuA(menu, MF_STRING | (n.scalingFree ? MF_CHECKED : 0), ID_NAIL_SCALING_FREE, "Scalling Free");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, ID_NAIL_DELETE, "Delete");
    return menu;
}

int NailPopupMenu(HWND window, OBJHANDLE nail, POINT windowPoint)
{
    const HMENU menu = NailMenuCreate(window, nail);
    if (!menu)
        return 1;
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, windowPoint.x, windowPoint.y, window);
    DestroyMenu(menu);
    return 1;
}

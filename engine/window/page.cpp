// The page object of a map window: finding and creating it, its origin and
// extension, and the recompute of its rectangles from the page set-up block.

#include "engine/window/page.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace {

int32_t saturate(int64_t v)
{
    return int32_t(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

char *pageLock(OBJectKernel *kernel, OBJHANDLE page)
{
    if (!kernel || !page || GetOBJectClassID(kernel, page) != CLASS_PAGE)
        return nullptr;
    return GraphHeadLock(kernel, page, PAGE_FIXED_SIZE);
}

// The last page object of the page layer, walking backwards.
OBJHANDLE lastPageOf(OBJectKernel *kernel, OBJHANDLE layer)
{
    int32_t pos = 0;
    for (OBJHANDLE h = LastReference(kernel, layer, REF_LAYER_MEMBER, &pos); h;
         h = PrevReference(kernel, layer, REF_LAYER_MEMBER, &pos))
        if (GetOBJectClassID(kernel, h) == CLASS_PAGE)
            return h;
    return 0;
}

OBJHANDLE windowLayersRoot(HWND window) { return GetRootOBJect(window, CLASS_LAYERS); }

// The view whose world coordinates the page uses.
PresentationManager *displayViewOf(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    return rec ? rec->displayView : nullptr;
}

// The origin and extension a page gets when it has none: the engine profile
// has no page entry (its reader always answers 0), so the page starts at the
// world origin with the paper's own size.
void defaultOrgExt(const POINT &paper, MAP_COORDPT *origin, MAP_COORDPT *extension)
{
    *origin = {0, 0};
    *extension = {paper.x, paper.y};
}

} // namespace

bool PageRead(OBJectKernel *kernel, OBJHANDLE page, PageRecord *out)
{
    const char *p = pageLock(kernel, page);
    if (!p || !out)
        return false;
    std::memcpy(out, p, sizeof *out);
    return true;
}

// ---------------------------------------------------------------------------
// Finding and creating

OBJHANDLE PageLayerGetFromLayers(OBJectKernel *kernel, OBJHANDLE layersRoot)
{
    if (!kernel || !layersRoot || GetOBJectClassID(kernel, layersRoot) != CLASS_LAYERS)
        return 0;
    int32_t pos = 0;
    for (OBJHANDLE h = LastReference(kernel, layersRoot, REF_LAYER_MEMBER, &pos); h;
         h = PrevReference(kernel, layersRoot, REF_LAYER_MEMBER, &pos))
        if (IsPageLayer(kernel, h))
            return h;
    return 0;
}

OBJHANDLE PageGetFromWindow(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    const OBJHANDLE layer = PageLayerGetFromLayers(rec->kernel, windowLayersRoot(window));
    return layer ? lastPageOf(rec->kernel, layer) : 0;
}

OBJHANDLE PageCreate(OBJectKernel *kernel, OBJHANDLE object)
{
    if (!kernel || !object)
        return 0;
    OBJHANDLE layersRoot = 0;
    OBJHANDLE pageLayer = 0;
    switch (GetOBJectClassID(kernel, object)) {
    case CLASS_ALLOBJECTS:
        layersRoot = GetRootOBJKern(kernel, object, CLASS_LAYERS);
        break;
    case CLASS_LAYERS:
        layersRoot = object;
        break;
    case CLASS_LAYER:
        if (!IsPageLayer(kernel, object))
            return 0;
        pageLayer = object;
        break;
    default:
        return 0;
    }
    if (!pageLayer) {
        if (!layersRoot)
            return 0;
        pageLayer = PageLayerGetFromLayers(kernel, layersRoot);
    }
    if (pageLayer) {
        if (const OBJHANDLE page = lastPageOf(kernel, pageLayer))
            return page;
    } else {
        pageLayer = CreateLayerOBJect(kernel, layersRoot, PAGE_LAYER_NUMBER, PAGE_LAYER_NAME);
        if (!pageLayer)
            return 0;
        LG_AttachToRoot(kernel, pageLayer);
    }
    const OBJHANDLE page = CreateOBJect(kernel, CLASS_PAGE);
    if (!page)
        return 0;
    if (InsertLayerRef(kernel, page, pageLayer) == OBJ_INVALID) {
        OBJectDelete(kernel, page);
        return 0;
    }
    return page;
}

// ---------------------------------------------------------------------------
// Origin and extension

int PageSetOrgExt(OBJectKernel *kernel, OBJHANDLE page, const MAP_COORDPT *origin,
                  const MAP_COORDPT *extension)
{
    char *p = pageLock(kernel, page);
    if (!p || !origin || !extension)
        return 0;
    StoreField(p, offsetof(PageRecord, origin), *origin);
    StoreField(p, offsetof(PageRecord, extension), *extension);
    return 1;
}

int PageGetOrgExt(OBJectKernel *kernel, OBJHANDLE page, MAP_COORDPT *origin, MAP_COORDPT *extension)
{
    const char *p = pageLock(kernel, page);
    if (!p || !origin || !extension)
        return 0;
    *origin = LoadField<MAP_COORDPT>(p, offsetof(PageRecord, origin));
    *extension = LoadField<MAP_COORDPT>(p, offsetof(PageRecord, extension));
    return 1;
}

int PageSetOrgExtInWindow(HWND window, const MAP_COORDPT *origin, const MAP_COORDPT *extension)
{
    if (!origin || !extension)
        return 1;
    const OBJHANDLE page = PageGetFromWindow(window);
    if (!page)
        return 0;
    return PageSetOrgExt(GetWndRes(window)->kernel, page, origin, extension);
}

int PageGetOrgExtInWindow(HWND window, MAP_COORDPT *origin, MAP_COORDPT *extension)
{
    if (!origin || !extension)
        return 1;
    const OBJHANDLE page = PageGetFromWindow(window);
    if (!page)
        return 0;
    return PageGetOrgExt(GetWndRes(window)->kernel, page, origin, extension);
}

// ---------------------------------------------------------------------------
// The set-up block

void VPSetupPaperAndMargins(const VPSetup &setup, POINT *paper, RECT *margins)
{
    // A block without a paper size was never set. A block with only one
    // side set is damaged: taken as never set too, since its zero side
    // would divide the margins by zero.
    if (setup.paperWidth <= 0 || setup.paperHeight <= 0) {
        *paper = {VP_DEFAULT_WIDTH, VP_DEFAULT_HEIGHT};
        *margins = {VP_DEFAULT_MARGIN, VP_DEFAULT_MARGIN, VP_DEFAULT_MARGIN, VP_DEFAULT_MARGIN};
    } else {
        *paper = {setup.paperWidth, setup.paperHeight};
        *margins = {setup.leftMargin, setup.topMargin, setup.rightMargin, setup.bottomMargin};
    }
    if (setup.orientation == VP_ORIENT_LANDSCAPE)
        std::swap(paper->x, paper->y);
}

bool VPSetupRead(HWND window, VPSetup *out)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->pageSetup || !out || GlobalSize(rec->pageSetup) < sizeof(VPSetup))
        return false;
    const void *p = GlobalLock(rec->pageSetup);
    if (!p)
        return false;
    std::memcpy(out, p, sizeof *out);
    GlobalUnlock(rec->pageSetup);
    return true;
}

// ---------------------------------------------------------------------------
// Recomputing

void PageFromOrgExt(OBJectKernel *kernel, OBJHANDLE page, const POINT *paper, const RECT *margins)
{
    char *p = pageLock(kernel, page);
    if (!p || !paper || !margins || paper->x <= 0 || paper->y <= 0)
        return;
    const MAP_COORDPT origin = LoadField<MAP_COORDPT>(p, offsetof(PageRecord, origin));
    MAP_COORDPT extension = LoadField<MAP_COORDPT>(p, offsetof(PageRecord, extension));

    const MAP_COORDRECT aspect{0, 0, paper->x, paper->y};
    const MAP_COORDRECT target{origin.x, saturate(int64_t(origin.y) - extension.y),
                               saturate(int64_t(origin.x) + extension.x), origin.y};
    MAP_COORDRECT fitted;
    // An extension without area keeps its size: there is nothing to fit.
    if (WorldRectBestFit(&aspect, &target, &fitted))
        extension = {saturate(int64_t(fitted.x2) - fitted.x1), saturate(int64_t(fitted.y2) - fitted.y1)};
    StoreField(p, offsetof(PageRecord, extension), extension);

    const MAP_COORDRECT pageRect{origin.x, origin.y, saturate(int64_t(origin.x) + extension.x),
                                 saturate(int64_t(origin.y) + extension.y)};
    const double sx = double(extension.x) / paper->x, sy = double(extension.y) / paper->y;
    auto part = [](double v) { return int64_t(std::trunc(v)); };
    const MAP_COORDRECT printable{
        saturate(pageRect.x1 + part(margins->left * sx)), saturate(pageRect.y1 + part(margins->bottom * sy)),
        saturate(pageRect.x2 - part(margins->right * sx)), saturate(pageRect.y2 - part(margins->top * sy))};
    StoreField(p, offsetof(PageRecord, page), pageRect);
    StoreField(p, offsetof(PageRecord, printable), printable);
}

void PageSetBoundingRectangle(OBJectKernel *kernel, PresentationManager *view, OBJHANDLE page)
{
    const char *p = pageLock(kernel, page);
    if (!p || !view)
        return;
    const MAP_COORDRECT pageRect = LoadField<MAP_COORDRECT>(p, offsetof(PageRecord, page));
    const MAP_COORDRECT old = LoadField<MAP_COORDRECT>(p, offsetof(PageRecord, bound));
    MAP_COORDRECT bound;
    if (!PM_WorldToMapRect(view, &pageRect, &bound))
        return;
    if (std::memcmp(&bound, &old, sizeof bound) == 0)
        return;
    SendOBJectMessage(kernel, page, page, 0, GRM_SETBOUNDRECT, 0, LPARAM(&bound));
    SendOBJectMessage(kernel, page, page, 0, GRM_INVALIDATE, 0, LPARAM(&old));
}

void PageFromParams_New(HWND window, OBJHANDLE page, const POINT *paper, const RECT *margins)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return;
    PageFromOrgExt(rec->kernel, page, paper, margins);
    PageSetBoundingRectangle(rec->kernel, rec->displayView, page);
}

void PageRecalcFromSetup(HWND window, OBJHANDLE page)
{
    VPSetup setup{};
    if (!VPSetupRead(window, &setup))
        return;
    POINT paper;
    RECT margins;
    VPSetupPaperAndMargins(setup, &paper, &margins);
    PageFromParams_New(window, page, &paper, &margins);
}

OBJHANDLE PageUpdateInWindow(HWND window)
{
    const int messagesOn = GetStateInternalErrorMessages();
    DisableInternalErrorMessages();
    const OBJHANDLE page = PageGetFromWindow(window);
    if (page) {
        OBJectKernel *kernel = GetWndRes(window)->kernel;
        MAP_COORDPT origin{}, extension{};
        PageGetOrgExt(kernel, page, &origin, &extension);
        if (extension.x == 0 || extension.y == 0) {
            VPSetup setup{};
            VPSetupRead(window, &setup);
            POINT paper;
            RECT margins;
            VPSetupPaperAndMargins(setup, &paper, &margins);
            defaultOrgExt(paper, &origin, &extension);
            PageSetOrgExt(kernel, page, &origin, &extension);
        }
        PageRecalcFromSetup(window, page);
    }
    if (messagesOn)
        EnableInternalErrorMessages();
    return page;
}

int PageFitToAllObjects(HWND window)
{
    const OBJHANDLE page = PageGetFromWindow(window);
    PresentationManager *view = displayViewOf(window);
    if (!page || !view)
        return 1;
    OBJectKernel *kernel = GetWndRes(window)->kernel;
    MAP_COORDRECT all = view->allObjectsRect;
    if (!WorldRectIsValid(&all))
        all = {0, 0, 10000, 10000};
    int64_t w = int64_t(all.x2) - all.x1, h = int64_t(all.y2) - all.y1;
    if (w == 0 || h == 0)
        w = h = 10000;
    MAP_COORDPT origin{all.x1, all.y2};
    MAP_COORDPT extension{saturate(w), saturate(h)};
    PageSetOrgExt(kernel, page, &origin, &extension);
    PageRecalcFromSetup(window, page);
    PageGetOrgExt(kernel, page, &origin, &extension);
    // The page hangs from the top edge of the objects; its origin is its
    // lower-left corner.
    origin.y = saturate(int64_t(origin.y) - extension.y);
    PageSetOrgExt(kernel, page, &origin, &extension);
    return 1;
}

int PageMoveOrigin(OBJectKernel *kernel, OBJHANDLE page, int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return 0;
    MAP_COORDPT origin, extension;
    if (!PageGetOrgExt(kernel, page, &origin, &extension))
        return 0;
    origin = {saturate(int64_t(origin.x) + dx), saturate(int64_t(origin.y) + dy)};
    PageSetOrgExt(kernel, page, &origin, &extension);
    if (const HWND window = GetOBJectWnd(kernel, page))
        PageRecalcFromSetup(window, page);
    return 1;
}

// ---------------------------------------------------------------------------
// Version-4 documents

int VP_InitFromVer4(HWND window, const char *paperName, int32_t width, int32_t height, int32_t left,
                    int32_t top, int32_t right, int32_t bottom, int32_t paperNumber, int32_t orientation)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->pageSetup || GlobalSize(rec->pageSetup) < sizeof(VPSetup))
        return 0;
    void *p = GlobalLock(rec->pageSetup);
    if (!p)
        return 0;
    VPSetup setup{};
    if (paperName)
        std::strncpy(setup.paperName, paperName, sizeof setup.paperName - 1);
    setup.paperWidth = width;
    setup.paperHeight = height;
    setup.leftMargin = left;
    setup.topMargin = top;
    setup.rightMargin = right;
    setup.bottomMargin = bottom;
    setup.paperNumber = paperNumber;
    setup.orientation = orientation;
    std::memcpy(p, &setup, sizeof setup);
    GlobalUnlock(rec->pageSetup);
    return 1;
}

int Page_InitFromVer4(HWND window, int32_t boundX1, int32_t boundY1, int32_t boundX2, int32_t boundY2,
                      int32_t pageX1, int32_t pageY1, int32_t pageX2, int32_t pageY2, int32_t printX1,
                      int32_t printY1, int32_t printX2, int32_t printY2, int32_t originX, int32_t originY,
                      int32_t extX, int32_t extY)
{
    const OBJHANDLE page = PageGetFromWindow(window);
    OBJectKernel *kernel = page ? GetWndRes(window)->kernel : nullptr;
    char *p = pageLock(kernel, page);
    if (!p)
        return 0;
    const MAP_COORDRECT old = LoadField<MAP_COORDRECT>(p, offsetof(PageRecord, bound));
    StoreField(p, offsetof(PageRecord, bound), MAP_COORDRECT{boundX1, boundY1, boundX2, boundY2});
    StoreField(p, offsetof(PageRecord, page), MAP_COORDRECT{pageX1, pageY1, pageX2, pageY2});
    StoreField(p, offsetof(PageRecord, printable), MAP_COORDRECT{printX1, printY1, printX2, printY2});
    StoreField(p, offsetof(PageRecord, origin), MAP_COORDPT{originX, originY});
    StoreField(p, offsetof(PageRecord, extension), MAP_COORDPT{extX, extY});
    SendOBJectMessage(kernel, page, page, 0, GRM_INVALIDATE, 0, LPARAM(&old));
    return 1;
}

#include "control/tools/move_preview.h"

#include "engine/editing/tools/nail.h"
#include "engine/editing/tools/transform.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/page.h"
#include "engine/window/window_children.h"
#include "engine/window/window_selection.h"
#include "engine/window/wndres.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/key_state.h"
#include "platform/system_colors.h"
#include "platform/window_dc.h"

#include <cmath>

namespace {

// 0.017453292222222222: the engine's degrees-to-radians factor of the drag.
constexpr double kDegreesToRadians = 0.017453292222222222;

OBJectKernel *kernelOf(HWND window)
{
    _WNDRES *record = GetWndRes(window);
    return record ? record->kernel : nullptr;
}

PresentationManager *viewOf(HWND window)
{
    _WNDRES *record = GetWndRes(window);
    return record ? record->displayView : nullptr;
}

double FoldInto360(double angle)
{
    while (angle > 360.0)
        angle -= 360.0;
    while (angle < -360.0)
        angle += 360.0;
    return angle;
}

} // namespace

int MovePreview::MovePreviewStart(HWND w, const MAP_COORDPT &s)
{
    PresentationManager *view = viewOf(w);
    OBJectKernel *kernel = kernelOf(w);
    if (!w || !view || !kernel)
        return 0;
    int32_t count = 0;
    OBJHANDLE only = 0;
    MAP_COORDRECT bounds{};
    if (!map_selection_Get(w, &count, &only, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &bounds, 0) ||
        count < 1)
        return 0;
    window = w;
    const int type = count == 1 ? map_object_type_Get(w, only) : MOT_NONE;
    const OBJHANDLE nail = GetNailOBJFromPage(w);
    NailRecord record{};
    if (nail && NailRead(kernel, nail, &record)) {
        record.reference = s;
        record.moveOnly = (type == MOT_PAGE || type == MOT_NAIL) ? 1 : 0;
        NailWrite(kernel, nail, record);
    }
    pageMode = type == MOT_PAGE ? 1 : 0;
    start = s;
    if (pageMode) {
        PageRecord page{};
        if (PageRead(kernel, only, &page))
            bounds = page.page;
        PM_MapToWorld(view, &s, &start, 1);
    }
    startCorners[0] = {bounds.x1, bounds.y2};
    startCorners[1] = {bounds.x2, bounds.y2};
    startCorners[2] = {bounds.x2, bounds.y1};
    startCorners[3] = {bounds.x1, bounds.y1};
    for (int i = 0; i < 4; ++i)
        movedCorners[i] = startCorners[i];
    current = start;
    moveX = moveY = 0;
    xLock = (GetKeyState('X') & 0x8000) != 0;
    yLock = (GetKeyState('Y') & 0x8000) != 0;
    lockedX = start.x;
    lockedY = start.y;
    MovePreviewStep(s);
    return 1;
}

int MovePreview::MovePreviewStep(const MAP_COORDPT &mapPoint)
{
    PresentationManager *view = viewOf(window);
    OBJectKernel *kernel = kernelOf(window);
    if (!view || !kernel)
        return 0;
    MAP_COORDPT p = mapPoint;
    if (pageMode)
        PM_MapToWorld(view, &mapPoint, &p, 1);
    if (xLock)
        p.x = lockedX;
    if (yLock)
        p.y = lockedY;
    current = p;

    const OBJHANDLE nail = GetNailOBJFromPage(window);
    NailRecord n{};
    const bool haveNail = nail && NailRead(kernel, nail, &n) && !(n.moveOnly & 1);
    auto shifted = [&] {
        for (int i = 0; i < 4; ++i)
            movedCorners[i] = {int32_t(int64_t(startCorners[i].x) + p.x - start.x),
                               int32_t(int64_t(startCorners[i].y) + p.y - start.y)};
    };
    auto turned = [&](double angle, double scale) {
        for (int i = 0; i < 4; ++i)
            movedCorners[i] = startCorners[i];
        const double r = angle * kDegreesToRadians;
        GeomOperRotScal(&n.centre, movedCorners, 4, std::sin(r), std::cos(r), scale, scale, 0, 0);
        MAP_COORDPT drag = n.reference;
        GeomOperRotScal(&n.centre, &drag, 1, std::sin(r), std::cos(r), scale, scale, 0, 0);
        n.drag = drag;
    };
    if (!haveNail || (!n.rotationFree && !n.scalingFree)) {
        shifted();
        if (haveNail) {
            n.drag = p;
            NailWrite(kernel, nail, n);
        }
    } else if (n.rotationFree && n.scalingFree) {
        n.angle = FoldInto360(GetAngle2(window, nail, &p));
        n.scale = GetScale(window, nail, &p);
        turned(n.angle, n.scale);
        NailWrite(kernel, nail, n);
    } else if (n.scalingFree) {
        MAP_COORDPT onAxis = p;
        GetPrjPoint(window, nail, &p, &onAxis);
        const double dx = double(onAxis.x) - n.centre.x, dy = double(onAxis.y) - n.centre.y;
        const double rx = double(n.reference.x) - n.centre.x, ry = double(n.reference.y) - n.centre.y;
        const double reach = std::pow(rx, 2.0) + std::pow(ry, 2.0);
        // A press on the nail's centre gives no distance to scale by.
        double scale = 1.0;
        if (reach > 0) {
            scale = std::sqrt((std::pow(dx, 2.0) + std::pow(dy, 2.0)) / reach);
            if ((dx < 0) != (rx < 0) || (dy < 0) != (ry < 0))
                scale = -scale;
        }
        n.scale = scale;
        turned(0.0, scale);
        NailWrite(kernel, nail, n);
    } else {
        MAP_COORDPT onCircle = p;
        GetPrjPointCircle(window, nail, &p, &onCircle);
        n.angle = FoldInto360(GetAngle2(window, nail, &onCircle));
        turned(n.angle, 1.0);
        NailWrite(kernel, nail, n);
    }

    for (int i = 0; i < 4; ++i) {
        if (pageMode)
            PM_WorldToWindow(view, &movedCorners[i], &windowCorners[i], 1);
        else
            PM_MapToWindow(view, &movedCorners[i], &windowCorners[i], 1);
    }
    windowCorners[4] = windowCorners[0];
    moveX = int32_t(int64_t(current.x) - start.x);
    moveY = int32_t(int64_t(current.y) - start.y);
    return 1;
}

void MovePreview::ToolDrawRubberBand(HDC dc) const
{
    if (!window || !dc)
        return;
    SurfaceDrawLock lock(dc);
    const HPEN pen = CreatePen(PS_DOT, 1, GetSysColor(COLOR_WINDOWTEXT));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const int oldMode = SetROP2(dc, R2_NOTXORPEN);
    Polyline(dc, windowCorners, 5);
    SetROP2(dc, oldMode);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

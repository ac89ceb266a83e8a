// The editing tools of the map control: node drag (move a vertex, insert one
// by dragging an edge's midpoint, resize the page, a text or a raster by a
// corner), the one-click node tools (plane, cut, join) and the object move
// (with a live outline, turned and scaled about the nail when its switches
// say so; one polyline with the preview of the polygon parts it would cut).
#include "control/map_ctrl.h"

#include "engine/editing/hit_tests.h"
#include "engine/editing/point_set.h"
#include "engine/editing/selection_by_point.h"
#include "engine/editing/set_geometry.h"
#include "engine/editing/tools/nail.h"
#include "engine/editing/tools/transform.h"
#include "engine/editing/tools/node_tools.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/page_setup/page_set.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"
#include "engine/window/wndres.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The node flag of a selection by point: select down to the vertex.
constexpr WPARAM kNodeFlag = 0x1000;
// GRM_SUMMEASURE over the selection list: every member, sub-code 0xC001.
constexpr uint16_t kSumSubCode = 0xC001;
constexpr uint16_t kSelectionBoundSubCode = 0x8809;

MAP_COORDRECT BoundOf(OBJectKernel *kernel, OBJHANDLE object)
{
    MAP_COORDRECT r{};
    WorldRectInit(&r);
    if (kernel && object)
        SendOBJectMessage(kernel, 0, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

double SelectionMeasure(OBJectKernel *kernel, OBJHANDLE list, uint32_t selector)
{
    double sum = 0.0;
    if (kernel && list)
        SendOBJectMessage(kernel, 0, list, kSumSubCode, GRM_SUMMEASURE, selector, LPARAM(&sum));
    return sum;
}

MAP_COORDRECT Normalised(const MAP_COORDRECT &r)
{
    return {std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2), std::max(r.y1, r.y2)};
}

} // namespace

bool CMapCtrl::OnVertex(POINT point) const
{
    POINT seek = point;
    _COORDPT map{};
    return DisplayPointSeek(m_hWnd, &seek, &map) != 0;
}

// --- Node drag ---------------------------------------------------------------------

int32_t CMapCtrl::BeginNodeDrag(WPARAM, POINT point)
{
    OBJectKernel *kernel = m_pWndRes ? m_pWndRes->kernel : nullptr;
    if (!kernel || !m_pView)
        return 0;
    POINT seek = point;
    _COORDPT drawn{};
    if (!DisplayPointSeek(m_hWnd, &seek, &drawn)) {
        SelectAtPoint(kNodeFlag, point);
        return 0;
    }
    const OBJHANDLE list = GetRootOBJect(m_hWnd, CLASS_SELLIST);
    if (!CheckPointInRoot(m_hWnd, list, uint32_t(kNodeFlag), point))
        SelectAtPoint(kNodeFlag, point);

    OBJHANDLE set = GetRootOBJect(m_hWnd, CLASS_LAYERS);
    MAP_COORDPT vertex = drawn;
    OBJHANDLE object = 0;
    int32_t index = -1;
    MAP_COORDPT hint1{0, 0}, hint2{0, 0};
    if (!SetOfObjectsFindVertex(kernel, &set, m_pView, &point, &vertex, &object, &index, 1) || !object) {
        // A midpoint mark: the selected object's edge next to its selected
        // vertex.
        vertex = drawn;
        int32_t count = 0;
        map_selection_Get(m_hWnd, &count, &object, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
        if (count < 1)
            object = 0;
        SelListPointsGet(m_hWnd, &hint1, &hint2);
        // The mark's pixel reads back a unit or so off the midpoint it
        // stands for: the midpoint itself is taken.
        for (const MAP_COORDPT &hint : {hint1, hint2}) {
            POINT at{};
            if (PM_MapToWindow(m_pView, &hint, &at, 1) == 1 && std::abs(at.x - seek.x) <= 1 &&
                std::abs(at.y - seek.y) <= 1)
                vertex = hint;
        }
    }
    if (!object)
        return 0;
    const uint16_t cls = GetOBJectClassID(kernel, object);
    switch (cls) {
    case CLASS_POLYGON:
    case CLASS_POLYLINE: {
        Linesegment e1{}, e2{};
        const int edges = ObjectGetEdges(kernel, object, &vertex, &hint1, &hint2, &e1, &e2, cls);
        if (edges == 0)
            return 0;
        m_nOperationState = edges == 3 ? 9 : 8;
        EditFigure &f = m_EditFigure;
        f.Clear();
        f.neighboursOnly = 1;
        f.points.push_back({e1.x1, e1.y1});
        if (edges > 1 || cls == CLASS_POLYGON) {
            f.points.push_back({e2.x1, e2.y1});
            f.joinsFirst = 1;
        }
        f.current = f.previous = vertex;
        f.closed = cls == CLASS_POLYGON;
        f.editedObject = object;
        f.vertexIndex = SetOfLinesegmentOwnsPoint(kernel, object, &vertex);
        f.ToolFigureLength(m_hWnd);
        f.restLength = SelectionMeasure(kernel, list, SUMMEASURE_ALL | SUMMEASURE_LENGTH) - f.length;
        f.ToolFigureLength(m_hWnd);
        if (cls == CLASS_POLYLINE) {
            f.areaWindows[0] = f.areaWindows[1] = f.areaWindows[2] = 0;
            if (f.ToolPolygonCutStep(m_hWnd, m_nOperationState) > 0)
                StartRestTimer();
            f.closed = 0;
            f.movedSinceTick = 0;
        } else {
            f.ToolFigureArea(m_hWnd);
            f.restArea = SelectionMeasure(kernel, list, SUMMEASURE_ALL | SUMMEASURE_AREA) - f.area;
            f.ToolFigureArea(m_hWnd);
        }
        figureLength = f.length;
        figureArea = f.area;
        break;
    }
    case CLASS_TEXT:
    case CLASS_PAGE:
    case CLASS_BITMAP:
        m_EditFigure.Clear();
        m_EditFigure.points.shrink_to_fit();
        m_EditFigure.editedObject = object;
        ResetRubberBand();
        m_RubberBand.startMap = vertex;
        m_RubberBand.current = BoundOf(kernel, object);
        m_EditFigure.current = vertex;
        m_nOperationState = cls == CLASS_TEXT ? 11 : cls == CLASS_PAGE ? 10 : 12;
        break;
    default:
        return 1;
    }
    m_EditFigure.UpdateAxisLocks(vertex);
    CaptureMouse();
    SetToolCursor();
    return 0;
}

void CMapCtrl::NodeDragMoveStep(POINT point)
{
    EditFigure &f = m_EditFigure;
    MAP_COORDPT p = SnappedPoint(point);
    f.UpdateAxisLocks(f.current);
    if (f.xLock)
        p.x = f.lockedX;
    if (f.yLock)
        p.y = f.lockedY;
    f.previous = f.current;
    f.current = p;
    MeasureEditFigure();
    RepaintOverlay();
}

void CMapCtrl::ResizeMoveStep(POINT point)
{
    OBJectKernel *kernel = m_pWndRes ? m_pWndRes->kernel : nullptr;
    if (!kernel)
        return;
    const MAP_COORDPT p = SnappedPoint(point);
    OBJHANDLE object = m_EditFigure.editedObject;
    if (!object) {
        int32_t count = 0;
        map_selection_Get(m_hWnd, &count, &object, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
    }
    const MAP_COORDRECT bound = Normalised(BoundOf(kernel, object));
    const double width = double(int64_t(bound.x2) - bound.x1);
    const double height = double(int64_t(bound.y2) - bound.y1);
    // Without a width or a height there are no proportions to keep.
    if (width <= 0 || height <= 0)
        return;
    const double ratio = width / std::fabs(height);
    MAP_COORDRECT c = m_RubberBand.current;
    MAP_COORDPT &s = m_RubberBand.startMap;
    const bool leftMoves = c.x1 == s.x;
    const bool lowMoves = c.y1 == s.y;
    const int64_t fixedX = leftMoves ? c.x2 : c.x1;
    const int64_t fixedY = lowMoves ? c.y2 : c.y1;
    int64_t dx = std::llabs(int64_t(p.x) - fixedX);
    int64_t dy = std::llabs(int64_t(p.y) - fixedY);
    if (double(dx) > std::trunc(double(dy) * ratio))
        dy = int64_t(std::trunc(double(dx) / ratio));
    else
        dx = int64_t(std::trunc(double(dy) * ratio));
    const int32_t movingX = truncToInt32(double(leftMoves ? fixedX - dx : fixedX + dx));
    const int32_t movingY = truncToInt32(double(lowMoves ? fixedY - dy : fixedY + dy));
    if (leftMoves)
        c.x1 = movingX;
    else
        c.x2 = movingX;
    if (lowMoves)
        c.y1 = movingY;
    else
        c.y2 = movingY;
    s = {movingX, movingY};
    m_EditFigure.current = s;
    m_RubberBand.previous = m_RubberBand.current;
    m_RubberBand.current = c;
    RepaintOverlay();
}

void CMapCtrl::EndNodeDrag(WPARAM, POINT point)
{
    OBJectKernel *kernel = m_pWndRes ? m_pWndRes->kernel : nullptr;
    const int state = m_nOperationState;
    EditFigure &f = m_EditFigure;
    // A lost focus finishes where the figure shows the point.
    MAP_COORDPT p = f.current;
    if (!m_bFocusLossRelease) {
        if (state == 8 || state == 9) {
            p = SnappedPoint(point);
            f.UpdateAxisLocks(f.current);
            if (f.xLock)
                p.x = f.lockedX;
            if (f.yLock)
                p.y = f.lockedY;
        } else {
            p = m_RubberBand.startMap;
        }
    }
    if (state == 8 || state == 9)
        InvalidateEditFigure(m_hWnd, 1, 4);
    if (m_RubberBand.view && state >= 10) {
        RECT w{};
        if (PM_MapToWindowRect(m_RubberBand.view, &m_RubberBand.current, &w)) {
            w = RECT{w.left - 2, w.top - 2, w.right + 2, w.bottom + 2};
            InvalidateRect(m_hWnd, &w, TRUE);
        }
    }
    OBJHANDLE object = f.editedObject;
    const MAP_COORDRECT old = BoundOf(kernel, object);
    bool changed = false;
    if (kernel && object) {
        const uint16_t cls = GetOBJectClassID(kernel, object);
        const bool polygon = cls == CLASS_POLYGON;
        const MAP_COORDRECT r = Normalised(m_RubberBand.current);
        switch (state) {
        case 8:
            Undo_ChangeObject(kernel, object);
            if (ObjectSetPoint(kernel, object, &p, f.vertexIndex, CLASS_POLYLINE)) {
                Undo_SetNewStep(m_hWnd, kernel, polygon ? 220 : 222);
                changed = true;
            }
            if (polygon)
                SendOBJectMessage(kernel, 0, object, 0, GRM_SETFLAGS, GF_NOBRIDGE, 0);
            StopRestTimer();
            f.ToolPolygonCutStep(m_hWnd, 0);
            break;
        case 9:
            if (f.points.size() >= 2) {
                const Linesegment edge{f.points[0].x, f.points[0].y, f.points[1].x, f.points[1].y};
                const Linesegment first{f.points[0].x, f.points[0].y, p.x, p.y};
                const Linesegment second{f.points[1].x, f.points[1].y, p.x, p.y};
                Undo_ChangeObject(kernel, object);
                if (ObjectExpand(kernel, &object, &edge, &first, &second, CLASS_POLYLINE)) {
                    Undo_SetNewStep(m_hWnd, kernel, polygon ? 221 : 223);
                    changed = true;
                }
            }
            StopRestTimer();
            f.ToolPolygonCutStep(m_hWnd, 0);
            break;
        case 10: {
            // The page never becomes narrower or lower than 5 units.
            const int32_t width = int32_t(std::max<int64_t>(int64_t(r.x2) - r.x1, 5));
            const int32_t height = int32_t(std::max<int64_t>(int64_t(r.y2) - r.y1, 5));
            Undo_ChangeObject(kernel, object);
            CPageSet page(m_pWndRes, 0, 0, 1);
            if (!page.Failed()) {
                page.SetXOrigin(r.x1);
                page.SetYOrigin(r.y1);
                page.SetXExtension(width);
                page.SetYExtension(height);
                page.Apply();
                Undo_SetNewStep(m_hWnd, kernel, 225);
                changed = true;
            }
            break;
        }
        case 11:
            Undo_ChangeObject(kernel, object);
            TextObjectZoom(m_hWnd, object, &r);
            Undo_SetNewStep(m_hWnd, kernel, 224);
            changed = true;
            break;
        case 12:
            Undo_ChangeObject(kernel, object);
            SendOBJectMessage(kernel, 0, object, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
            SendOBJectMessage(kernel, 0, object, 0, GRM_INVALIDATE, 0, LPARAM(&old));
            Undo_SetNewStep(m_hWnd, kernel, 226);
            changed = true;
            break;
        default:
            break;
        }
        _COORDPT selected = p;
        SendOBJectMessage(kernel, 0, object, 0, GRM_SETSELECTED, WPARAM(-2), LPARAM(&selected));
        MAP_COORDRECT both = BoundOf(kernel, object);
        SumBoundRect(&both, &old);
        InvalidateGraphRect(m_hWnd, &both, 1);
        const OBJHANDLE list = GetRootOBJect(m_hWnd, CLASS_SELLIST);
        if (list) {
            SendOBJectMessage(kernel, 0, list, kSelectionBoundSubCode, GRM_CALCBOUNDRECT, 0, 0);
            SendOBJectMessage(kernel, 0, list, 0, GRM_SETSELECTED, WPARAM(-2), LPARAM(&selected));
        }
        if (changed)
            m_pWndRes->flags |= WNDRES_MODIFIED;
        if (state == 8 || state == 9) {
            m_pWndRes->selLength = SelectionMeasure(kernel, list, SUMMEASURE_ALL | SUMMEASURE_LENGTH);
            m_pWndRes->selArea = SelectionMeasure(kernel, list, SUMMEASURE_ALL | SUMMEASURE_AREA);
        }
    }
    m_nOperationState = 0;
    f.Clear();
    figureLength = figureArea = 0.0;
    ResetRubberBand();
    UpdateWindow(m_hWnd);
    EndTool(0);
    SetToolCursor();
    ReleaseMouse();
}

// --- Node plane, cut and join ----------------------------------------------------------

int32_t CMapCtrl::NodePlaneClick(WPARAM, POINT point)
{
    if (!OnVertex(point)) {
        SelectAtPoint(kNodeFlag, point);
        return 0;
    }
    if (!CheckPointInRoot(m_hWnd, GetRootOBJect(m_hWnd, CLASS_SELLIST), uint32_t(kNodeFlag), point))
        SelectAtPoint(kNodeFlag, point);
    if (ToolNodePlane(m_hWnd, point, 1))
        FireSelectionChanged(1);
    return 0;
}

int32_t CMapCtrl::NodeCutClick(WPARAM, POINT point)
{
    OBJectKernel *kernel = m_pWndRes ? m_pWndRes->kernel : nullptr;
    const int before = kernel ? Undo_GetPositionCurStep(kernel) : 0;
    bool cut = false;
    if (OnVertex(point) && ToolNodeCut(m_hWnd, point)) {
        cut = true;
        FireSelectionChanged(1);
    }
    if (!cut)
        SelectAtPoint(kNodeFlag, point);
    if (kernel && Undo_GetPositionCurStep(kernel) != before)
        Undo_SetNewStep(m_hWnd, kernel, 215);
    m_nOperationState = 0;
    EndTool(0);
    return 1;
}

int32_t CMapCtrl::NodeJoinClick(WPARAM, POINT point)
{
    if (!OnVertex(point))
        SelectAtPoint(kNodeFlag, point);
    else if (ToolNodeJoin(m_hWnd, point, 1))
        FireSelectionChanged(1);
    m_nOperationState = 0;
    EndTool(0);
    return 1;
}

// --- Object move ----------------------------------------------------------------------------

int32_t CMapCtrl::BeginObjectMove(WPARAM keys, POINT point)
{
    OBJectKernel *kernel = m_pWndRes ? m_pWndRes->kernel : nullptr;
    if (!kernel)
        return 1;
    const MAP_COORDPT s = SnappedPoint(point);
    const OBJHANDLE list = GetRootOBJect(m_hWnd, CLASS_SELLIST);
    // A press off the selection selects what lies there first; a press on
    // nothing moves nothing.
    bool hit = CheckPointInRoot(m_hWnd, list, uint32_t(keys), point) != 0;
    if (!hit)
        hit = SelectAtPoint(keys, point) >= 1 &&
              CheckPointInRoot(m_hWnd, GetRootOBJect(m_hWnd, CLASS_SELLIST), uint32_t(keys), point) != 0;
    if (!hit || !m_MovePreview.MovePreviewStart(m_hWnd, s)) {
        m_nOperationState = 0;
        EndTool(0);
        return 1;
    }
    m_nOperationState = 6;
    CaptureMouse();
    int32_t count = 0;
    OBJHANDLE only = 0;
    map_selection_Get(m_hWnd, &count, &only, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, 0);
    if (count == 1 && GetOBJectClassID(kernel, only) == CLASS_POLYLINE) {
        int32_t total = 0;
        map_polyline_Get(m_hWnd, only, &total, nullptr, 0);
        EditFigure &f = m_EditFigure;
        f.Clear();
        f.points.resize(size_t(std::max(total, 0)));
        if (total > 0)
            map_polyline_Get(m_hWnd, only, &total, f.points.data(), total);
        f.current = f.previous = s;
        f.closed = 0;
        f.wholePolyline = 1;
        f.movedSinceTick = 0;
        f.UpdateAxisLocks(s);
        m_nOperationState = 13;
        f.areaWindows[0] = f.areaWindows[1] = f.areaWindows[2] = 0;
        if (f.ToolPolygonCutStep(m_hWnd, 13) > 0)
            StartRestTimer();
    }
    SetToolCursor();
    return 1;
}

void CMapCtrl::ObjectMoveStep(POINT point)
{
    m_MovePreview.MovePreviewStep(SnappedPoint(point));
    // The map drawn again under the new outline takes the old one away.
    RepaintWhole();
}

void CMapCtrl::PolylineMoveStep(POINT point)
{
    EditFigure &f = m_EditFigure;
    MAP_COORDPT p = SnappedPoint(point);
    f.UpdateAxisLocks(f.current);
    if (f.xLock)
        p.x = f.lockedX;
    if (f.yLock)
        p.y = f.lockedY;
    if (p.x == f.current.x && p.y == f.current.y)
        return;
    const int64_t dx = int64_t(p.x) - f.current.x;
    const int64_t dy = int64_t(p.y) - f.current.y;
    f.current = p;
    m_MovePreview.MovePreviewStep(p);
    // The rest timer compares the cursor with the previous point: it is
    // left alone here.
    for (MAP_COORDPT &q : f.points)
        q = {truncToInt32(double(q.x + dx)), truncToInt32(double(q.y + dy))};
    RepaintWhole();
}

int32_t CMapCtrl::EndObjectMove(WPARAM, POINT point)
{
    OBJectKernel *kernel = m_pWndRes ? m_pWndRes->kernel : nullptr;
    const int state = m_nOperationState;
    m_RubberBand.currentMap = m_bFocusLossRelease ? m_MovePreview.current : SnappedPoint(point);
    // Back to the idle paint first, so that the outline is not drawn again.
    m_nOperationState = 0;
    const OBJHANDLE list = GetRootOBJect(m_hWnd, CLASS_SELLIST);
    MAP_COORDRECT old{};
    WorldRectInit(&old);
    int32_t count = 0;
    map_selection_Get(m_hWnd, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, &old, 0);
    if (kernel && list && (m_MovePreview.moveX != 0 || m_MovePreview.moveY != 0)) {
        StopDrawingThread();
        const OBJHANDLE nail = GetNailOBJFromPage(m_hWnd);
        NailRecord n{};
        const bool turn =
            nail && NailRead(kernel, nail, &n) && !(n.moveOnly & 1) && (n.rotationFree || n.scalingFree);
        if (turn) {
            DoNailOperations(m_hWnd, 1);
            Undo_SetNewStep(m_hWnd, kernel, UNDO_OP_NAIL_OPERATIONS);
        } else {
            TransformSelection(m_hWnd, 0, 0, m_MovePreview.moveX, m_MovePreview.moveY, 1.0, 1.0, 0.0, 1);
            Undo_SetNewStep(m_hWnd, kernel, UNDO_OP_MOVING);
        }
        m_pWndRes->flags |= WNDRES_MODIFIED;
        InvalidateGraphRect(m_hWnd, &old, 1);
        SendOBJectMessage(kernel, 0, list, kSelectionBoundSubCode, GRM_CALCBOUNDRECT, 0, 0);
        MAP_COORDRECT now{};
        map_selection_Get(m_hWnd, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, &now, 0);
        InvalidateGraphRect(m_hWnd, &now, 1);
    }
    if (state == 13) {
        StopRestTimer();
        m_EditFigure.ToolPolygonCutStep(m_hWnd, 0);
    }
    m_EditFigure.Clear();
    // The outline may reach beyond both rectangles (a turned one does).
    FullRepaint();
    UpdateWindow(m_hWnd);
    EndTool(0);
    SetToolCursor();
    ReleaseMouse();
    return 0;
}

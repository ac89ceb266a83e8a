// Mouse input of the map control: every mouse message is first reported to
// the host (MouseEvent, in map coordinates), then drives the current tool's
// state machine: the press step in the idle state, the move step and the
// release step. Here: the handlers, the view tools (selection, zoom, pan),
// the drawing tools (polyline, polygon, rectangle, arrow) and the tools that
// act on one click. The editing tools are in edit_tools.cpp.
#include "control/map_ctrl.h"
#include "control/pending_engine.h"
#include "control/tools/pending_tool_engine.h"

#include "engine/editing/hit_tests.h"
#include "engine/editing/operations/polygon_boolean.h"
#include "engine/editing/selection_by_point.h"
#include "engine/editing/set_geometry.h"
#include "engine/editing/tools/nail.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/polygon/arcs/circle_dialog.h"
#include "engine/view/dialogs/text_dialogs.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/clipboard/clipboard_paste.h"
#include "engine/window/map_painting.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"
#include "engine/window/wndres.h"
#include "platform/key_state.h"
#include "platform/mouse_capture.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "platform/window_messages.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

Variant L(int32_t v) { return VariantFromLong(v); }

bool KeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

MAP_COORDRECT Normalised(const MAP_COORDPT &a, const MAP_COORDPT &b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

int32_t Clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

} // namespace

// --- Qt's events and the window messages ----------------------------------------

void CMapCtrl::SendQtMouseEvent(QMouseEvent *event)
{
    if (const std::optional<MouseMessage> m = m_mouseMessages.Translate(*event))
        SendMessageA(m_hWnd, m->message, m->wParam, m->lParam);
}

void CMapCtrl::OnMouseMessage(UINT msg, WPARAM keys, POINT point)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
        FireMouseEvent(point, msg, keys);
        if (m_nOperationState == 0) {
            OnToolLButtonDown(keys, point);
        } else if (m_nOperationState == 2) {
            // The mouse is the figure's again while the button is down.
            CaptureMouse();
            m_bPointFromClick = 1;
            if (m_nCurrentTool == mCmdArrow)
                OnToolLButtonUp(keys, point);
            else
                OnToolMouseMove(keys, point);
        }
        break;
    case WM_LBUTTONUP:
        FireMouseEvent(point, msg, keys);
        if (m_nOperationState == 1 || m_nOperationState == 6 ||
            (m_nOperationState >= 8 && m_nOperationState <= 14))
            OnToolLButtonUp(keys, point);
        else if (m_nOperationState == 2)
            // Between the clicks of a figure the mouse is free: a click on
            // another window (a tool button, a menu) is that window's, never
            // a point of the figure.
            ReleaseMouse();
        break;
    case WM_LBUTTONDBLCLK:
        FireMouseEvent(point, msg, keys);
        if (m_nOperationState == 0) {
            int32_t count = 0;
            OBJHANDLE first = 0;
            map_selection_Get(m_hWnd, &count, &first, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, 0);
            if (m_pWndRes && m_pWndRes->kernel && count > 0 && first) {
                const uint16_t cls = GetOBJectClassID(m_pWndRes->kernel, first);
                if (cls == CLASS_TEXT || cls == CLASS_LEGEND) {
                    StopDrawingThread();
                    if (cls == CLASS_TEXT)
                        ReDefTextObj(m_hWnd);
                    else
                        pending::ReDefLegend(m_hWnd);
                    FireSelectionChanged(1);
                }
            }
        } else if (m_nOperationState == 2) {
            OnToolLButtonUp(keys, point);
        }
        break;
    case WM_MOUSEMOVE:
        if (m_nOperationState != 14)
            FireMouseEvent(point, msg, keys);
        switch (m_nOperationState) {
        case 1:
            SetToolCursor();
            OnToolMouseMove(keys, point);
            break;
        case 2:
            m_bPointFromClick = 0;
            OnToolMouseMove(keys, point);
            break;
        case 0:
            break;
        default:
            OnToolMouseMove(keys, point);
            break;
        }
        break;
    case WM_RBUTTONDOWN: {
        // An operation in progress is abandoned before the host hears of the
        // press: a command the host sends from its handler would otherwise
        // finish the figure the right button drops.
        const int32_t before = m_nCurrentTool;
        const bool operation = m_nOperationState != 0;
        // The abandon step ends the tools that end after one operation; the
        // deselection below then clears the selection too.
        bool endedByCancel = false;
        if (operation) {
            CancelOperation(keys, point);
            endedByCancel = m_nCurrentTool == mCmdDeselect;
        }
        FireMouseEvent(point, msg, keys);
        if (!operation && m_nCurrentTool == mCmdDeselect) {
            StopDrawingThread();
            OnDstrRBD(m_hWnd, point);
            break;
        }
        if (!operation) {
            CancelOperation(keys, point);
            endedByCancel = m_nCurrentTool == mCmdDeselect;
        }
        // A tool the host released while it heard of the press stays so,
        // with the selection kept.
        if (before != mCmdZoomIn && before != mCmdZoomOut &&
            (endedByCancel || m_nCurrentTool != mCmdDeselect))
            Command(mCmdDeselectTool);
        break;
    }
    default:
        // The other buttons are only reported.
        FireMouseEvent(point, msg, keys);
        break;
    }
}

void CMapCtrl::FireMouseEvent(POINT point, UINT message, WPARAM keys)
{
    MAP_COORDPT world{0, 0}, map{0, 0};
    if (m_pView) {
        PM_WindowToWorld(m_pView, &point, &world, 1);
        PM_WorldToMap(m_pView, &world, &map, 1);
    }
    const Variant args[] = {L(map.x), L(map.y), L(int32_t(message)), L(int32_t(keys & 0xFFFF))};
    FireEvent(EVENT_MOUSEEVENT, args);
    if (m_nCurrentTool == mCmdZoomIn || m_nCurrentTool == mCmdZoomOut ||
        (m_nCurrentTool == mCmdDeselect && m_nOperationState == 1)) {
        SetToolCursor();
        return;
    }
    POINT seek = point;
    _COORDPT at{};
    if (DisplayPointSeek(m_hWnd, &seek, &at)) {
        ShowEngineCursor(0);
    } else {
        SetToolCursor();
    }
}

void CMapCtrl::OnMouseWheel(WPARAM wParam, LPARAM lParam)
{
    if (!m_pView)
        return;
    const int delta = int16_t(uint16_t(wParam >> 16));
    const QPoint local = mapFromGlobal(QPoint(PointLParamX(lParam), PointLParamY(lParam)));
    RECT client{};
    GetClientRect(m_hWnd, &client);
    const LONG hw = (client.right - client.left) / 4;
    const LONG hh = (client.bottom - client.top) / 4;
    const RECT half{local.x() - hw, local.y() - hh, local.x() + hw, local.y() + hh};
    StopDrawingThread();
    // One step per message, whatever the size of the turn.
    if (PM_Zoom(m_pView, m_hWnd, &half, delta > 0 ? 1 : 0)) {
        ViewRefresh();
        FireDisplayScaleChanged();
    }
}

// --- Helpers of the steps ----------------------------------------------------------

void CMapCtrl::ShowEngineCursor(int n)
{
    if (n == m_shownCursor)
        return;
    if (const HCURSOR cursor = GetGDIObject(n)) {
        setCursor(CursorFromHandle(cursor));
        m_shownCursor = n;
    }
}

MAP_COORDPT CMapCtrl::PlainMapPoint(POINT point) const
{
    MAP_COORDPT map{0, 0};
    if (m_pView)
        PM_WindowToMap(m_pView, &point, &map, 1);
    return map;
}

MAP_COORDPT CMapCtrl::SnappedPoint(POINT point, bool *snapped)
{
    MAP_COORDPT map{0, 0};
    OBJHANDLE object = 0;
    const bool found = FindSnappingPoint(m_hWnd, point, &map, &object) != 0;
    if (snapped)
        *snapped = found;
    return found ? map : PlainMapPoint(point);
}

void CMapCtrl::MeasureEditFigure()
{
    m_EditFigure.ToolFigureLength(m_hWnd);
    m_EditFigure.ToolFigureArea(m_hWnd);
    figureLength = m_EditFigure.length;
    figureArea = m_EditFigure.area;
}

void CMapCtrl::CaptureMouse()
{
    SetWindowCaptureHook(m_hWnd, [this](HWND, bool captured) {
        if (!isVisible())
            return;
        if (captured)
            grabMouse();
        else
            releaseMouse();
    });
    SetCapture(m_hWnd);
}

void CMapCtrl::ReleaseMouse()
{
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
}

void CMapCtrl::RepaintOverlay()
{
    if (!m_pView)
        return;
    {
        RECT client{};
        GetClientRect(m_hWnd, &client);
        std::lock_guard lock(m_pendingLock);
        m_pView->erasedRect = client;
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
}

void CMapCtrl::RepaintWhole()
{
    if (!m_pView)
        return;
    {
        RECT client{};
        GetClientRect(m_hWnd, &client);
        std::lock_guard lock(m_pendingLock);
        m_pView->erasedFlag |= 1;
        m_pView->erasedRect = client;
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
}

void CMapCtrl::ResetRubberBand()
{
    m_RubberBand.windowRect = RECT{0, 0, 0, 0};
    WorldRectInit(&m_RubberBand.previous);
    WorldRectInit(&m_RubberBand.current);
    m_RubberBand.window = m_hWnd;
    m_RubberBand.view = m_pView;
}

void CMapCtrl::ClearRubberBand()
{
    // The paint draws the previous rectangle again, which erases it.
    m_RubberBand.previous = m_RubberBand.current;
    WorldRectInit(&m_RubberBand.current);
    RepaintOverlay();
    ResetRubberBand();
}

void CMapCtrl::StopDrawingForOperation()
{
    // A drawing pass still running would paint over the rubber lines: it
    // is stopped, and the area it leaves pending is drawn by the
    // operation's first paint, synchronously. So is what waits to be
    // painted now: the operation's paints draw only their overlay unless the
    // map is pending.
    const bool wasRunning = DrawingThreadRunning();
    StopDrawingThread();
    if (!m_pView)
        return;
    RECT invalid{};
    const bool haveInvalid = GetUpdateRect(m_hWnd, &invalid, FALSE);
    RECT pending{};
    {
        std::lock_guard lock(m_pendingLock);
        if (haveInvalid)
            PM_UnionErasedRect(m_pView, &invalid);
        pending = m_pView->erasedRect;
    }
    if (wasRunning || haveInvalid)
        InvalidateRect(m_hWnd, &pending, FALSE);
}

int32_t CMapCtrl::RunDialogTool(const std::function<void()> &dialog)
{
    OBJectKernel *kernel = m_pWndRes ? m_pWndRes->kernel : nullptr;
    const int undoBefore = kernel ? Undo_GetPositionCurStep(kernel) : 0;
    dialog();
    // The host hears of a new object only when the dialog made one.
    m_nOperationState = 0;
    if (m_pWndRes && m_pWndRes->kernel && Undo_GetPositionCurStep(m_pWndRes->kernel) != undoBefore) {
        FireSelectionChanged(1);
        OBJHANDLE first = 0;
        int32_t count = 0;
        map_selection_Get(m_hWnd, &count, &first, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
        if (count > 0 && first) {
            const Variant args[] = {L(int32_t(first))};
            FireEvent(EVENT_OBJECTADD, args);
        }
    }
    EndTool(0);
    return 1;
}

int32_t CMapCtrl::SelectAtPoint(WPARAM keys, POINT point)
{
    StopDrawingThread();
    const int result = OnSelectByPoint(m_hWnd, uint32_t(keys), point);
    // Choosing objects changes nothing in the document: it stays unmodified.
    if (result != -1) {
        UpdateWindow(m_hWnd);
        FireSelectionChanged(result);
    }
    return result;
}

int32_t CMapCtrl::SelectInRect(WPARAM keys, const MAP_COORDRECT &rect)
{
    StopDrawingThread();
    const int result = OnSelectByRect(m_hWnd, uint32_t(keys), &rect);
    if (result > 0) {
        // The new selection's marks are drawn.
        MAP_COORDRECT chosen{};
        int32_t count = 0;
        map_selection_Get(m_hWnd, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, &chosen, 0);
        if (count > 0)
            InvalidateGraphRect(m_hWnd, &chosen, 1);
    }
    if (result != -1) {
        UpdateWindow(m_hWnd);
        FireSelectionChanged(result);
    }
    return result;
}

// --- The press step -------------------------------------------------------------------

int32_t CMapCtrl::OnToolLButtonDown(WPARAM keys, POINT point)
{
    if (!m_pView || !m_pWndRes)
        return 0;
    StopDrawingForOperation();
    switch (m_nCurrentTool) {
    case mCmdDeselect:
    case mCmdZoomIn:
    case mCmdZoomOut: {
        CaptureMouse();
        m_nOperationState = 1;
        ResetRubberBand();
        m_RubberBand.startMap = m_RubberBand.currentMap = PlainMapPoint(point);
        m_RubberBand.startWindow = m_RubberBand.currentWindow = point;
        m_RubberBand.current = Normalised(m_RubberBand.startMap, m_RubberBand.currentMap);
        SetToolCursor();
        return 0;
    }
    case mCmdPolyline:
    case mCmdPolygon:
    case mCmdRectangle:
    case mCmdArrow: {
        const bool arrow = m_nCurrentTool == mCmdArrow;
        const MAP_COORDPT p = arrow ? PlainMapPoint(point) : SnappedPoint(point);
        CaptureMouse();
        m_nOperationState = 2;
        m_EditFigure.Clear();
        m_EditFigure.points.push_back(p);
        m_EditFigure.current = m_EditFigure.previous = m_EditFigure.third = p;
        m_EditFigure.closed = m_nCurrentTool == mCmdPolygon;
        m_EditFigure.rectangle = m_nCurrentTool == mCmdRectangle;
        m_EditFigure.changed = 1;
        if (!arrow)
            m_EditFigure.UpdateAxisLocks(p);
        MeasureEditFigure();
        SetToolCursor();
        return 0;
    }
    case mCmdPolygonUnion:
    case mCmdPolygonIntersection:
    case mCmdPolygonComplement:
    case mCmdPolygonXOR:
        PolygonOperationInDLL(m_hWnd, unsigned(keys), point, m_nCurrentTool);
        FireSelectionChanged(SelectionCount());
        m_nOperationState = 0;
        EndTool(0);
        return 1;
    case mCmdNodeDrag:
        return BeginNodeDrag(keys, point);
    case mCmdNodePlane:
        return NodePlaneClick(keys, point);
    case mCmdNodeCut:
        return NodeCutClick(keys, point);
    case mCmdNodeJoin:
        return NodeJoinClick(keys, point);
    case mCmdObjectMove:
        return BeginObjectMove(keys, point);
    case mCmdPan:
        m_EditFigure.current = MAP_COORDPT{point.x, point.y};
        m_nOperationState = 14;
        CaptureMouse();
        SetToolCursor();
        return 0;
    case mCmdText:
        return RunDialogTool([&] { DlgText(m_hWnd, 0, SnappedPoint(point)); });
    case mCmdLegend:
        return RunDialogTool([&] {
            const MAP_COORDPT p = PlainMapPoint(point);
            m_nCurrentTool = mCmdDeselect;
            SetToolCursor();
            pending::LegendWizard(m_hWnd, 0, &p);
            m_nCurrentTool = mCmdLegend;
        });
    case mCmdCircle:
        return RunDialogTool([&] { DlgCircle(m_hWnd, 0, SnappedPoint(point)); });
    case mCmdNail: {
        const MAP_COORDPT p = PlainMapPoint(point);
        SetNailObj2(m_hWnd, &p);
        m_nOperationState = 0;
        EndTool(0);
        return 0;
    }
    case mCmdPasteText:
    case mCmdPasteBitmap:
    case mCmdPasteHere: {
        const MAP_COORDPT p = PlainMapPoint(point);
        if (m_nCurrentTool == mCmdPasteText)
            Text_Paste(m_hWnd, 0, p);
        else if (m_nCurrentTool == mCmdPasteBitmap)
            Bitmap_Paste(m_hWnd, 0, p);
        else
            GormObjects_Paste(m_hWnd, 0, p);
        m_nOperationState = 0;
        EndTool(0);
        return 1;
    }
    case mCmdExtended1:
        m_nOperationState = 0;
        EndTool(0);
        return 0;
    default:
        return 0;
    }
}

// --- The move step ----------------------------------------------------------------------

void CMapCtrl::OnToolMouseMove(WPARAM keys, POINT point)
{
    if (!m_pView)
        return;
    switch (m_nOperationState) {
    case 1:
        m_RubberBand.currentMap = PlainMapPoint(point);
        m_RubberBand.currentWindow = point;
        m_RubberBand.previous = m_RubberBand.current;
        m_RubberBand.current = Normalised(m_RubberBand.startMap, m_RubberBand.currentMap);
        RepaintOverlay();
        break;
    case 2:
        if (m_nCurrentTool == mCmdRectangle)
            RectangleStep(point);
        else
            DrawingMoveStep(keys, point);
        break;
    case 14: {
        const POINT anchor{m_EditFigure.current.x, m_EditFigure.current.y};
        if (point.x != anchor.x || point.y != anchor.y) {
            m_EditFigure.current = MAP_COORDPT{point.x, point.y};
            StopDrawingThread();
            PM_PanMap(m_pView, m_hWnd, int(point.x - anchor.x), int(point.y - anchor.y));
        }
        break;
    }
    case 6:
        ObjectMoveStep(point);
        break;
    case 13:
        PolylineMoveStep(point);
        break;
    case 8:
    case 9:
        NodeDragMoveStep(point);
        break;
    case 10:
    case 11:
    case 12:
        ResizeMoveStep(point);
        break;
    default:
        break;
    }
}

void CMapCtrl::DrawingMoveStep(WPARAM, POINT point)
{
    EditFigure &f = m_EditFigure;
    if (f.points.empty())
        return;
    bool snapped = false;
    MAP_COORDPT p = SnappedPoint(point, &snapped);
    // X gives a vertical, Y a horizontal segment from the last fixed point.
    if (KeyHeld('X'))
        p.x = f.points.back().x;
    if (KeyHeld('Y'))
        p.y = f.points.back().y;
    if (m_bPointFromClick) {
        const bool ctrl = KeyHeld(VK_LCONTROL) || KeyHeld(VK_RCONTROL);
        int32_t traced = 0;
        if (ctrl && snapped) {
            traced = ToolTraceAlongObject(f.points.back(), p);
            InvalidateEditFigure(m_hWnd, 1, 4);
        }
        if (traced == 0)
            f.points.push_back(p);
        f.changed = 1;
    }
    f.previous = f.current;
    f.current = p;
    MeasureEditFigure();
    RepaintOverlay();
}

void CMapCtrl::RectangleStep(POINT point)
{
    EditFigure &f = m_EditFigure;
    const size_t n = f.points.size();
    if (n == 0)
        return;
    MAP_COORDPT p = SnappedPoint(point);
    bool appended = false;
    if (n == 1) {
        if (KeyHeld('X'))
            p.x = f.points[0].x;
        if (KeyHeld('Y'))
            p.y = f.points[0].y;
        if (m_bPointFromClick) {
            f.points.push_back(p);
            f.changed = 1;
        }
        f.previous = f.third = f.current;
        f.current = p;
    } else {
        const MAP_COORDPT a = f.points[n - 2];
        const MAP_COORDPT b = f.points[n - 1];
        if (KeyHeld('F')) {
            if (KeyHeld('X'))
                p.x = b.x;
            if (KeyHeld('Y'))
                p.y = b.y;
        } else if (a.x == b.x) {
            p.y = b.y;
        } else if (a.y == b.y) {
            p.x = b.x;
        } else {
            // Onto the perpendicular through B.
            const double k = (double(a.x) - b.x) / (double(b.y) - a.y);
            if (std::fabs(k) < 1.0)
                p.y = truncToInt32(b.y + k * (double(p.x) - b.x) + 0.5);
            else
                p.x = truncToInt32(b.x + (double(p.y) - b.y) / k + 0.5);
        }
        const MAP_COORDPT q{Clamp32(int64_t(a.x) + p.x - b.x), Clamp32(int64_t(a.y) + p.y - b.y)};
        f.third = f.points.front();
        if (n == 2)
            f.points.insert(f.points.begin(), q);
        else
            f.points.front() = q;
        if (m_bPointFromClick && (p.x != f.points.back().x || p.y != f.points.back().y)) {
            f.points.push_back(p);
            f.changed = 1;
            appended = true;
        }
        f.previous = f.current;
        f.current = p;
    }
    MeasureEditFigure();
    RepaintOverlay();
    if (appended)
        OnToolLButtonUp(0, point);
}

// --- The release step --------------------------------------------------------------------

void CMapCtrl::OnToolLButtonUp(WPARAM keys, POINT point)
{
    if (!m_pView || !m_pWndRes) {
        m_nOperationState = 0;
        ReleaseMouse();
        return;
    }
    switch (m_nCurrentTool) {
    case mCmdDeselect: {
        if (m_nOperationState != 1)
            break;
        if (m_bFocusLossRelease)
            point = m_RubberBand.currentWindow;
        const MAP_COORDRECT saved = m_RubberBand.current;
        const POINT start = m_RubberBand.startWindow;
        ClearRubberBand();
        m_nOperationState = 0;
        ReleaseMouse();
        if (std::abs(int64_t(point.x) - start.x) <= 5 && std::abs(int64_t(point.y) - start.y) <= 5)
            SelectAtPoint(keys, point);
        else
            SelectInRect(keys, saved);
        return;
    }
    case mCmdZoomIn:
    case mCmdZoomOut: {
        if (m_nOperationState != 1)
            break;
        if (m_bFocusLossRelease)
            point = m_RubberBand.currentWindow;
        RECT r{};
        PM_MapToWindowRect(m_RubberBand.view ? m_RubberBand.view : m_pView, &m_RubberBand.current, &r);
        ClearRubberBand();
        m_nOperationState = 0;
        ReleaseMouse();
        if (int64_t(r.right) - r.left <= 8 || int64_t(r.bottom) - r.top <= 8) {
            // A click zooms by two about its point.
            RECT client{};
            GetClientRect(m_hWnd, &client);
            const LONG hw = (client.right - client.left) / 4;
            const LONG hh = (client.bottom - client.top) / 4;
            r = RECT{point.x - hw, point.y - hh, point.x + hw, point.y + hh};
        }
        StopDrawingThread();
        if (PM_Zoom(m_pView, m_hWnd, &r, m_nCurrentTool == mCmdZoomIn ? 1 : 0)) {
            FullRepaint();
            FireDisplayScaleChanged();
        }
        return;
    }
    case mCmdPan: {
        if (m_nOperationState != 14)
            break;
        const POINT anchor{m_EditFigure.current.x, m_EditFigure.current.y};
        if (!m_bFocusLossRelease && (point.x != anchor.x || point.y != anchor.y)) {
            StopDrawingThread();
            PM_PanMap(m_pView, m_hWnd, int(point.x - anchor.x), int(point.y - anchor.y));
        }
        m_nOperationState = 0;
        FullRepaint();
        UpdateWindow(m_hWnd);
        ReleaseMouse();
        SetToolCursor();
        return;
    }
    case mCmdPolyline:
        if (m_nOperationState != 2)
            break;
        FinishPolyline();
        return;
    case mCmdPolygon:
        if (m_nOperationState != 2)
            break;
        FinishPolygon(m_EditFigure.points.size() > 2);
        return;
    case mCmdRectangle: {
        if (m_nOperationState != 2)
            break;
        const size_t n = m_EditFigure.points.size();
        if (n == 4) {
            FinishPolygon(true);
        } else if (n < 4 && !m_bFocusLossRelease) {
            // Drawing goes on.
            m_nOperationState = 2;
            RectangleStep(point);
        } else {
            FinishPolygon(false);
        }
        return;
    }
    case mCmdArrow:
        if (m_nOperationState != 2)
            break;
        FinishArrow(point);
        return;
    case mCmdNodeDrag:
        if (m_nOperationState >= 8 && m_nOperationState <= 12) {
            EndNodeDrag(keys, point);
            return;
        }
        break;
    case mCmdObjectMove:
        if (m_nOperationState == 6 || m_nOperationState == 13) {
            EndObjectMove(keys, point);
            return;
        }
        break;
    default:
        break;
    }
    m_nOperationState = 0;
    ReleaseMouse();
}

void CMapCtrl::FinishFigureCleanup()
{
    InvalidateEditFigure(m_hWnd, 1, 4);
    m_EditFigure.Clear();
    m_EditFigure.points.shrink_to_fit();
    figureLength = figureArea = 0.0;
    UpdateWindow(m_hWnd);
}

void CMapCtrl::FinishPolyline()
{
    m_nOperationState = 0;
    std::vector<MAP_COORDPT> &pts = m_EditFigure.points;
    OBJectKernel *kernel = m_pWndRes->kernel;
    if (pts.size() >= 2 && kernel) {
        OBJHANDLE handle = 0;
        bool added = false;
        // A figure that starts on the selected end point of the selected
        // polyline continues that polyline.
        const OBJHANDLE list = GetRootOBJect(m_hWnd, CLASS_SELLIST);
        int32_t count = 0;
        OBJHANDLE selected = 0;
        map_selection_Get(m_hWnd, &count, &selected, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
        if (count == 1 && selected && GetOBJectClassID(kernel, selected) == CLASS_POLYLINE) {
            int32_t total = 0;
            map_polyline_Get(m_hWnd, selected, &total, nullptr, 0);
            std::vector<MAP_COORDPT> old(size_t(std::max(total, 0)));
            if (total > 0 && map_polyline_Get(m_hWnd, selected, &total, old.data(), total) == total) {
                std::vector<MAP_COORDPT> joined;
                const bool atFirst = old.front().x == pts.front().x && old.front().y == pts.front().y;
                const bool atLast = old.back().x == pts.front().x && old.back().y == pts.front().y;
                if (atFirst || atLast) {
                    joined.assign(old.begin(), old.end());
                    if (atFirst && !atLast)
                        std::reverse(joined.begin(), joined.end());
                    joined.insert(joined.end(), pts.begin() + 1, pts.end());
                    Undo_ChangeObject(kernel, selected);
                    MAP_COORDRECT before{};
                    SendOBJectMessage(kernel, 0, selected, 0, GRM_GETBOUNDRECT, 0, LPARAM(&before));
                    if (map_polyline_Set(m_hWnd, selected, joined.data(), int32_t(joined.size()), 0)) {
                        // Its marks move (the end, the selected point): the
                        // whole line is drawn again.
                        MAP_COORDRECT after{};
                        SendOBJectMessage(kernel, 0, selected, 0, GRM_GETBOUNDRECT, 0, LPARAM(&after));
                        SumBoundRect(&after, &before);
                        InvalidateGraphRect(m_hWnd, &after, 1);
                        Undo_SetNewStep(m_hWnd, kernel, 330);
                        handle = selected;
                    }
                }
            }
        }
        if (!handle) {
            SetOfObjectsUnSelect(m_hWnd, GetRootOBJect(m_hWnd, CLASS_LAYERS));
            if (map_polyline_Create(m_hWnd, &handle, pts.data(), int32_t(pts.size()), 0)) {
                Undo_AddNew(kernel, handle);
                Undo_SetNewStep(m_hWnd, kernel, UNDO_OP_CREATE_POLYLINE);
                SetSelection(m_hWnd, &handle, 1, 0, 1);
                added = true;
            }
        }
        if (handle) {
            m_pWndRes->flags |= WNDRES_MODIFIED;
            _COORDPT last = pts.back();
            if (list)
                SendOBJectMessage(kernel, 0, list, 0, GRM_SETSELECTED, WPARAM(-2), LPARAM(&last));
            SendOBJectMessage(kernel, 0, handle, 0, GRM_SETSELECTED, WPARAM(-2), LPARAM(&last));
            FinishFigureCleanup();
            FireSelectionChanged(1);
            // A continued polyline is no new object.
            if (added) {
                const Variant args[] = {L(int32_t(handle))};
                FireEvent(EVENT_OBJECTADD, args);
            }
        } else {
            FinishFigureCleanup();
        }
    } else {
        FinishFigureCleanup();
    }
    EndTool(0);
    ReleaseMouse();
}

void CMapCtrl::FinishPolygon(bool created)
{
    m_nOperationState = 0;
    OBJectKernel *kernel = m_pWndRes->kernel;
    OBJHANDLE handle = 0;
    if (created && kernel) {
        SetOfObjectsUnSelect(m_hWnd, GetRootOBJect(m_hWnd, CLASS_LAYERS));
        const std::vector<MAP_COORDPT> &pts = m_EditFigure.points;
        if (map_polygon_Create(m_hWnd, &handle, pts.data(), int32_t(pts.size()), 0)) {
            Undo_AddNew(kernel, handle);
            Undo_SetNewStep(m_hWnd, kernel, UNDO_OP_CREATE_POLYGON);
            m_pWndRes->flags |= WNDRES_MODIFIED;
            SetSelection(m_hWnd, &handle, 1, 0, 1);
        } else {
            handle = 0;
        }
    }
    FinishFigureCleanup();
    if (handle) {
        FireSelectionChanged(1);
        const Variant args[] = {L(int32_t(handle))};
        FireEvent(EVENT_OBJECTADD, args);
    }
    EndTool(0);
    ReleaseMouse();
}

void CMapCtrl::FinishArrow(POINT point)
{
    EditFigure &f = m_EditFigure;
    OBJectKernel *kernel = m_pWndRes->kernel;
    const MAP_COORDPT e = m_bFocusLossRelease ? f.current : PlainMapPoint(point);
    InvalidateEditFigure(m_hWnd, 1, 4);
    const MAP_COORDPT s = f.points.empty() ? e : f.points.front();
    f.Clear();
    figureLength = figureArea = 0.0;
    // The quarter vector gives the head's base; its barbs stand out by half
    // of it on either side. Clicks closer than 4 units give no head: no arrow.
    const int64_t qx = (int64_t(e.x) - s.x) / 4;
    const int64_t qy = (int64_t(e.y) - s.y) / 4;
    const double len = double(std::llabs(qx) + std::llabs(qy));
    if (len > 0 && kernel) {
        const double ax = double(s.x) + double(qx);
        const double ay = double(s.y) + double(qy);
        const MAP_COORDPT b1{truncToInt32(ax + 0.5 * len * (double(qy) / len)),
                             truncToInt32(ay + 0.5 * len * (double(-qx) / len))};
        const MAP_COORDPT b2{truncToInt32(ax + 0.5 * len * (double(-qy) / len)),
                             truncToInt32(ay + 0.5 * len * (double(qx) / len))};
        const MAP_COORDPT arrow[5] = {e, s, b1, s, b2};
        OBJHANDLE handle = 0;
        if (map_polyline_Create(m_hWnd, &handle, arrow, 5, 0)) {
            Undo_AddNew(kernel, handle);
            Undo_SetNewStep(m_hWnd, kernel, UNDO_OP_CREATE_POLYLINE);
            m_pWndRes->flags |= WNDRES_MODIFIED;
            SetSelection(m_hWnd, &handle, 1, 0, 1);
            MAP_COORDRECT r{};
            SendOBJectMessage(kernel, 0, handle, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
            InvalidateGraphRect(m_hWnd, &r, 1);
        }
    }
    UpdateWindow(m_hWnd);
    m_nOperationState = 0;
    EndTool(0);
    ReleaseMouse();
}

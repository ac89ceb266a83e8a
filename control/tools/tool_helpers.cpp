// What the mouse tools share: tracing a new figure along an existing
// boundary, invalidating the figure's area, the rest timer of the parts-area
// preview, and the ends of an operation that the user did not finish with
// the mouse (a lost focus, the right button, Command 400).
#include "control/control_registry.h"
#include "control/map_ctrl.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/window_points.h"
#include "engine/window/wndres.h"
#include "platform/mouse_capture.h"
#include "platform/window.h"
#include "platform/window_timer.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr uintptr_t kRestTimer = 999;
// Tracing reads at most this many points of an object and lists at most
// this many candidates per point.
constexpr int32_t kTracePoints = 10000;
constexpr size_t kTraceCandidates = 10;

bool Same(const MAP_COORDPT &a, const MAP_COORDPT &b) { return a.x == b.x && a.y == b.y; }

// The first points of a polygon or polyline (at most kTracePoints).
std::vector<MAP_COORDPT> TracePoints(HWND window, OBJHANDLE object, uint16_t cls)
{
    std::vector<MAP_COORDPT> points(kTracePoints);
    int32_t total = 0;
    const int32_t got = cls == CLASS_POLYGON
                            ? map_polygon_Get(window, object, &total, points.data(), kTracePoints)
                            : map_polyline_Get(window, object, &total, points.data(), kTracePoints);
    points.resize(size_t(std::clamp(got, 0, kTracePoints)));
    return points;
}

} // namespace

int32_t CMapCtrl::ToolTraceAlongObject(const MAP_COORDPT &from, const MAP_COORDPT &to)
{
    OBJectKernel *kernel = m_pWndRes ? m_pWndRes->kernel : nullptr;
    if (!kernel || Same(from, to))
        return 0;
    // The polygons and polylines of the layers, each layer's from its last
    // object to its first.
    std::vector<std::pair<OBJHANDLE, uint16_t>> objects;
    const OBJHANDLE root = GetRootOBJect(m_hWnd, CLASS_LAYERS);
    int32_t layerPos = -1;
    for (OBJHANDLE layer = root ? FirstReference(kernel, root, REF_LAYER_MEMBER, &layerPos) : 0; layer;
         layer = GetReference(kernel, root, REF_LAYER_MEMBER, &layerPos)) {
        std::vector<OBJHANDLE> members;
        int32_t pos = -1;
        for (OBJHANDLE m = FirstReference(kernel, layer, REF_LAYER_MEMBER, &pos); m;
             m = GetReference(kernel, layer, REF_LAYER_MEMBER, &pos))
            members.push_back(m);
        for (auto it = members.rbegin(); it != members.rend(); ++it) {
            const uint16_t cls = GetOBJectClassID(kernel, *it);
            if (cls == CLASS_POLYGON || cls == CLASS_POLYLINE)
                objects.emplace_back(*it, cls);
        }
    }
    auto holding = [&](const MAP_COORDPT &p) {
        std::vector<OBJHANDLE> found;
        for (const auto &[object, cls] : objects) {
            if (found.size() >= kTraceCandidates)
                break;
            const std::vector<MAP_COORDPT> pts = TracePoints(m_hWnd, object, cls);
            if (std::any_of(pts.begin(), pts.end(), [&](const MAP_COORDPT &q) { return Same(q, p); }))
                found.push_back(object);
        }
        return found;
    };
    const std::vector<OBJHANDLE> atTo = holding(to);
    const std::vector<OBJHANDLE> atFrom = holding(from);
    OBJHANDLE taken = 0;
    for (auto it = atFrom.rbegin(); it != atFrom.rend() && !taken; ++it)
        if (std::find(atTo.begin(), atTo.end(), *it) != atTo.end())
            taken = *it;
    if (!taken)
        return 0;
    const uint16_t cls = GetOBJectClassID(kernel, taken);
    const std::vector<MAP_COORDPT> pts = TracePoints(m_hWnd, taken, cls);
    const int64_t n = int64_t(pts.size());
    int64_t i = -1, j = -1;
    for (int64_t k = 0; k < n; ++k) {
        if (Same(pts[size_t(k)], from))
            i = k;
        if (Same(pts[size_t(k)], to))
            j = k;
    }
    if (i < 0 || j < 0 || i == j)
        return 0;
    int64_t step = j > i ? 1 : -1;
    int64_t steps = std::llabs(j - i);
    if (cls == CLASS_POLYGON) {
        // The shorter way round, the direct one when both are as long.
        const int64_t direct = std::llabs(j - i);
        const int64_t around = n - direct;
        if (around < direct) {
            step = -step;
            steps = around;
        }
    }
    for (int64_t k = 1, at = i; k <= steps; ++k) {
        at = ((at + step) % n + n) % n;
        m_EditFigure.points.push_back(pts[size_t(at)]);
    }
    return int32_t(steps);
}

void CMapCtrl::InvalidateEditFigure(HWND window, int erase, int margin)
{
    if (!m_pView)
        return;
    MAP_COORDRECT area{};
    WorldRectInit(&area);
    if (!m_EditFigure.points.empty())
        LineToWorldRect(&area, m_EditFigure.points.data(), int32_t(m_EditFigure.points.size()));
    LineToWorldRect(&area, &m_EditFigure.current, 1);
    RECT w{};
    if (!PM_MapToWindowRect(m_pView, &area, &w))
        return;
    w = RECT{w.left - margin, w.top - margin, w.right + margin, w.bottom + margin};
    PM_InvalidateRect(m_pView, window, &w, erase);
}

// --- The rest timer ---------------------------------------------------------------------

bool CMapCtrl::SelectionSegment(double *dx, double *dy) const
{
    const EditFigure &f = m_EditFigure;
    if (f.points.empty())
        return false;
    MAP_COORDPT from{}, to{};
    if (m_nOperationState == 2) {
        from = f.points.back();
        to = f.current;
    } else if (m_nOperationState == 8 || m_nOperationState == 9) {
        from = f.vertexIndex != 0 ? f.points.front() : f.current;
        to = f.vertexIndex != 0 ? f.current : f.points.front();
    } else {
        return false;
    }
    *dx = double(to.x) - from.x;
    *dy = double(to.y) - from.y;
    return true;
}

void CMapCtrl::StartRestTimer()
{
    uint32_t timeout = 200;
    if (m_pWndRes)
        ControlRegValueGet(m_pWndRes->settingsKey, "Settings", "Polygon cut time_out", &timeout, 0);
    timeout = std::clamp<uint32_t>(timeout, 50, 1000);
    if (m_pWndRes)
        ControlRegValueSet(m_pWndRes->settingsKey, "Settings", "Polygon cut time_out", &timeout, 0);
    SetTimer(m_hWnd, kRestTimer, timeout);
}

void CMapCtrl::StopRestTimer() { KillTimer(m_hWnd, kRestTimer); }

void CMapCtrl::OnRestTimer()
{
    // The preview is computed once each time the cursor has rested for a
    // whole period after moving.
    const MAP_COORDPT at = PlainMapPoint(m_lastMousePoint);
    EditFigure &f = m_EditFigure;
    if (!Same(at, f.previous)) {
        f.previous = at;
        f.movedSinceTick = 1;
    } else if (f.movedSinceTick) {
        f.ToolPolygonCutStep(m_hWnd, m_nOperationState);
        f.movedSinceTick = 0;
    }
}

// --- Ends that do not come from the mouse ---------------------------------------------------

void CMapCtrl::FinishOperation()
{
    m_bFocusLossRelease = true;
    OnToolLButtonUp(0, m_lastMousePoint);
    m_bFocusLossRelease = false;
    // Whatever the tool, the operation is over.
    if (m_nOperationState != 0) {
        CancelToolOperation();
        m_nOperationState = 0;
    }
    ReleaseMouse();
}

void CMapCtrl::CancelToolOperation()
{
    const int state = m_nOperationState;
    switch (m_nCurrentTool) {
    case mCmdDeselect:
    case mCmdZoomIn:
    case mCmdZoomOut:
    case mCmdNodeDrag:
        if (state == 8 || state == 9) {
            InvalidateEditFigure(m_hWnd, 1, 4);
            StopRestTimer();
            m_EditFigure.ToolPolygonCutStep(m_hWnd, 0);
            m_EditFigure.Clear();
            figureLength = figureArea = 0.0;
            m_nOperationState = 0;
            ReleaseMouse();
            UpdateWindow(m_hWnd);
        } else if (state != 0) {
            ClearRubberBand();
            ReleaseMouse();
        }
        break;
    case mCmdPolyline:
    case mCmdPolygon:
    case mCmdRectangle:
    case mCmdArrow:
        if (state != 0) {
            InvalidateEditFigure(m_hWnd, 1, 4);
            m_EditFigure.Clear();
            figureLength = figureArea = 0.0;
            m_nOperationState = 0;
            ReleaseMouse();
            UpdateWindow(m_hWnd);
        }
        break;
    case mCmdObjectMove:
        if (state != 0) {
            if (state == 13) {
                StopRestTimer();
                m_EditFigure.ToolPolygonCutStep(m_hWnd, 0);
            }
            m_EditFigure.Clear();
            m_nOperationState = 0;
            FullRepaint();
            UpdateWindow(m_hWnd);
            ReleaseMouse();
        }
        break;
    default:
        // A pan in progress: the view stays where it was panned to.
        if (state != 0) {
            m_nOperationState = 0;
            FullRepaint();
            UpdateWindow(m_hWnd);
            ReleaseMouse();
        }
        break;
    }
}

void CMapCtrl::ShutdownTools()
{
    StopRestTimer();
    ReleaseMouse();
    SetWindowCaptureHook(m_hWnd, nullptr);
    for (HWND &label : m_EditFigure.areaWindows)
        if (label && IsWindow(label)) {
            DestroyWindow(label);
            label = 0;
        }
}

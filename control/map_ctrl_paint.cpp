// Painting: which road draws the map (synchronous, off-screen, or the
// drawing thread), the view's pending area, and stopping the thread before
// anything changes the map or the view.
#include "control/drawing_worker.h"
#include "control/gdi_thread.h"
#include "control/map_ctrl.h"

#include "engine/editing/display_pass.h"
#include "engine/kernel/coords.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/map_painting.h"
#include "platform/bitblt.h"
#include "platform/clipboard.h"
#include "platform/dc.h"
#include "platform/event.h"
#include "platform/focus_rect.h"
#include "platform/gdi_objects.h"
#include "platform/window.h"
#include "platform/window_dc.h"

#include <QCoreApplication>
#include <QImage>

namespace {

bool IsEmpty(const RECT &r) { return r.right <= r.left || r.bottom <= r.top; }

} // namespace

void CMapCtrl::SchedulePaint()
{
    if (m_bPaintScheduled)
        return;
    m_bPaintScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_bPaintScheduled)
                UpdateWindow(m_hWnd);
        },
        Qt::QueuedConnection);
}

void CMapCtrl::PaintNow()
{
    m_bPaintScheduled = false;
    RECT invalid{0, 0, 0, 0};
    if (!GetUpdateRect(m_hWnd, &invalid, FALSE))
        invalid = RECT{0, 0, 0, 0};
    ValidateRect(m_hWnd, nullptr);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    const HDC dc = GetDC(m_hWnd);
    if (!dc)
        return;
    OnDraw(dc, client, invalid);
    ReleaseDC(m_hWnd, dc);
    update(QRect(invalid.left, invalid.top, invalid.right - invalid.left, invalid.bottom - invalid.top));
}

void CMapCtrl::FullRepaint()
{
    if (m_pView) {
        RECT client{};
        GetClientRect(m_hWnd, &client);
        std::lock_guard lock(m_pendingLock);
        m_pView->erasedFlag |= 1;
        m_pView->erasedRect = client;
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

RECT CMapCtrl::LastThreadArea() const
{
    return m_pDrawingThread && m_pDrawingThread->Finished() ? m_pDrawingThread->drawnArea()
                                                            : m_lastThreadArea;
}

bool CMapCtrl::DrawingThreadRunning() const { return m_pDrawingThread && !m_pDrawingThread->Finished(); }

bool CMapCtrl::PictureComplete() const
{
    if (!m_hWnd || !m_pView)
        return false;
    if (DrawingThreadRunning() || m_bPaintScheduled || GetUpdateRect(m_hWnd, nullptr, FALSE))
        return false;
    std::lock_guard lock(m_pendingLock);
    return m_pView->erasedFlag == 0;
}

void CMapCtrl::OnDraw(HDC dc, const RECT &bounds, const RECT &invalid)
{
    (void)bounds; // the window's contexts draw in client coordinates already
    if (!m_hWnd || !m_pView || !dc)
        return;
    bool repaintAll = false;
    {
        std::lock_guard lock(m_pendingLock);
        repaintAll = m_pView->erasedFlag > 0;
    }
    const RECT r = invalid;
    const bool empty = IsEmpty(r);
    if (DrawingThreadRunning())
        repaintAll = false;

    switch (m_nOperationState) {
    case 0:
        if (!empty)
            RenderMap(dc, r, 0);
        break;
    case 1:
    case 10:
    case 11:
    case 12:
        if (repaintAll)
            RenderMap(dc, r, 1);
        DrawRubberBand(dc, repaintAll);
        break;
    case 2:
    case 8:
    case 9:
    case 13:
        // Drawing a figure, dragging a vertex or an edge, moving a polyline:
        // the figure over the map (only what changed unless the map was
        // drawn again).
        if (repaintAll)
            RenderMap(dc, r, 1);
        m_EditFigure.ToolDisplaySegments(m_hWnd, dc, repaintAll ? 1 : 0);
        break;
    case 6:
        if (repaintAll)
            RenderMap(dc, r, 1);
        m_MovePreview.ToolDrawRubberBand(dc);
        break;
    default:
        // Panning: the view draws itself.
        break;
    }

    if (DrawingThreadRunning() && m_bUseThreads)
        return; // the thread owns the pending area
    std::lock_guard lock(m_pendingLock);
    PM_InitErasedRect(m_pView);
}

void CMapCtrl::DrawRubberBand(HDC dc, bool repaintAll)
{
    auto draw = [&](const MAP_COORDRECT &mapRect) {
        if (!m_RubberBand.view || !WorldRectIsValid(&mapRect))
            return;
        RECT w{};
        PM_MapToWindowRect(m_RubberBand.view, &mapRect, &w);
        m_RubberBand.windowRect = w;
        if (RectIsValid(&w) && int64_t(w.right) - w.left >= 2 && int64_t(w.bottom) - w.top >= 2) {
            SurfaceDrawLock lock(dc);
            DrawFocusRect(dc, &w);
        }
    };
    if (!repaintAll)
        draw(m_RubberBand.previous);
    draw(m_RubberBand.current);
}

void CMapCtrl::FillBackground(HDC dc, const RECT &rect) const
{
    if (!m_pWndRes || IsEmpty(rect))
        return;
    const HGDIOBJ oldBrush = SelectObject(dc, m_pWndRes->windowBrush ? HGDIOBJ(m_pWndRes->windowBrush)
                                                                     : GetStockObject(WHITE_BRUSH));
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    // With the null pen a rectangle fills one pixel less to the right and
    // below.
    Rectangle(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

long CMapCtrl::DrawClipped(HDC dc, const RECT &rect, bool copyWhenStopped, QImage *scratch)
{
    // The contexts here have no clip region: the map is drawn into a scratch
    // image of the client's size and only `rect` of it is copied, so that
    // nothing outside the pending area changes (and marks drawn by inverting
    // are drawn once).
    RECT client{};
    GetClientRect(m_hWnd, &client);
    const RECT area{std::max(rect.left, client.left), std::max(rect.top, client.top),
                    std::min(rect.right, client.right), std::min(rect.bottom, client.bottom)};
    if (IsEmpty(area))
        return 1;
    QImage own;
    QImage &image = scratch ? *scratch : own;
    const QSize size(client.right - client.left, client.bottom - client.top);
    if (image.size() != size || image.format() != QImage::Format_RGB32)
        image = QImage(size, QImage::Format_RGB32);
    if (image.isNull())
        return 0;
    const HDC memory = CreateImageDC(&image);
    if (!memory)
        return 0;
    FillBackground(memory, area);
    const long result = OnDstrPaint(m_pWndRes, memory, &area, 0);
    if (result != -1 || copyWhenStopped) {
        SurfaceDrawLock lock(dc);
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, area.left,
               area.top, SRCCOPY);
    }
    DeleteDC(memory);
    return result;
}

void CMapCtrl::RenderMap(HDC dc, const RECT &rect, int synchronous)
{
    if (!m_pWndRes)
        return;
    if (m_bOffscreenDrawing) {
        ResetEvent(m_pWndRes->stopEvent);
        if (DrawClipped(dc, rect, true) != -1) {
            std::lock_guard lock(m_pendingLock);
            PM_InitErasedRect(m_pView);
        }
        return;
    }
    if (m_bUseThreads && !synchronous) {
        // The new pass takes over whatever a stopped one left pending.
        EndDrawingThread();
        m_pDrawingThread = new CGDIThread(this, dc, rect);
        if (!m_pDrawingThread->Start(&DrawingThreadWorker())) {
            delete m_pDrawingThread;
            m_pDrawingThread = nullptr;
        }
        return;
    }
    ResetEvent(m_pWndRes->stopEvent);
    DrawClipped(dc, rect, true);
}

DrawingWorker &CMapCtrl::DrawingThreadWorker()
{
    if (!m_drawingWorker)
        m_drawingWorker = std::make_unique<DrawingWorker>(CGDIThread::kStackSize);
    return *m_drawingWorker;
}

void CMapCtrl::SetDrawingPassHookForTesting(std::function<void()> hook)
{
    DrawingThreadWorker().SetPassHookForTesting(std::move(hook));
}

bool CMapCtrl::EndDrawingThread()
{
    bool stopped = false;
    if (m_pDrawingThread) {
        // A pass that finished may still be telling its end on the worker.
        if ((!m_pDrawingThread->Finished() || DrawingThreadWorker().Busy()) && m_pWndRes)
            SetEvent(m_pWndRes->stopEvent);
        m_pDrawingThread->Wait();
        stopped = m_pDrawingThread->exitCode() != 0;
        m_lastThreadArea = m_pDrawingThread->drawnArea();
        delete m_pDrawingThread;
        m_pDrawingThread = nullptr;
    }
    // Any other pass on the record (there is none while the control draws
    // alone) is waited for as well.
    if (m_pWndRes) {
        StopAndWaitDrawing(m_pWndRes);
        ResetEvent(m_pWndRes->stopEvent);
    }
    return stopped;
}

int CMapCtrl::StopDrawingThread()
{
    // A stopped pass's area is drawn again by a later paint: the caller
    // (often a query that changes nothing) asks for none.
    if (EndDrawingThread() && m_hWnd)
        InvalidateRect(m_hWnd, &m_lastThreadArea, FALSE);
    return 1;
}

void CMapCtrl::WaitForDrawing()
{
    // The thread's progress messages and widget update are queued here; a
    // paint they let run may start the next thread, which is waited for too.
    // A clipboard request does not render while the thread still draws.
    const ClipboardRenderBlock block;
    do {
        if (m_pDrawingThread)
            m_pDrawingThread->Wait();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    } while (DrawingThreadRunning());
}

void CMapCtrl::OnDrawMetafile(HDC dc, const RECT &bounds)
{
    if (!m_hWnd || !m_pWndRes || !dc)
        return;
    OnDstrPaint(m_pWndRes, dc, &bounds, 0);
}

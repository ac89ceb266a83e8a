#include "control/gdi_thread.h"

#include "control/drawing_worker.h"
#include "control/map_ctrl.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/map_painting.h"
#include "platform/hold_point.h"
#include "platform/window.h"
#include "platform/window_dc.h"

CGDIThread::CGDIThread(CMapCtrl *control, HDC dc, const RECT &rect) : control_(control), dc_(dc), rect_(rect)
{
}

CGDIThread::~CGDIThread() { Wait(); }

bool CGDIThread::Start(DrawingWorker *worker)
{
    // Set before the job can run: the body draws into the worker's scratch.
    worker_ = worker;
    if (!worker || !worker->Run([this] { InitInstance(); })) {
        worker_ = nullptr;
        return false;
    }
    return true;
}

void CGDIThread::Wait()
{
    if (worker_)
        worker_->Wait();
}

void CGDIThread::SetPriority(QThread::Priority priority)
{
    if (worker_ && !finished_)
        worker_->SetPriority(priority);
}

void CGDIThread::InitInstance()
{
    const HWND window = control_->hwnd();
    PostMessageA(window, MAPN_PROGRESS, MAPN_KIND_DRAWING, MAPN_PROGRESS_START);
    PresentationManager *view = control_->view();
    RECT area = rect_;
    {
        std::lock_guard lock(control_->m_pendingLock);
        area = UnionRectOf(view->erasedRect, rect_);
        view->erasedRect = area;
        view->erasedFlag = 0;
    }
    drawn_ = area;
    // Where a test can hold a pass under way.
    worker_->PassPoint(control_->wndRes() ? control_->wndRes()->stopEvent : nullptr);
    const HDC target = GetDC(window);
    const long result = target ? control_->DrawClipped(target, area, false, &worker_->Scratch()) : -1;
    {
        std::lock_guard lock(control_->m_pendingLock);
        if (result == -1)
            PM_UnionErasedRect(view, &area);
        else
            PM_InitErasedRect(view);
    }
    exitCode_ = result == -1 ? 1 : 0;
    if (target)
        ReleaseDC(window, target);
    // Finished before the window hears of it: the widget's paint that the
    // end sets off finds the pass over (the control's picture complete).
    finished_ = true;
    if (result != -1) {
        PostMessageA(window, MAPN_PROGRESS, MAPN_KIND_DRAWING, MAPN_PROGRESS_END);
        // The widget shows the new picture; it is updated on its own thread.
        const QRect shown(area.left, area.top, area.right - area.left, area.bottom - area.top);
        QMetaObject::invokeMethod(
            control_, [c = control_, shown] { c->update(shown); }, Qt::QueuedConnection);
    }
    // Where a test can hold a pass that has told its end, before its
    // thread is free again.
    HoldPoint(kDrawingPassEndHoldPoint, control_->wndRes() ? control_->wndRes()->stopEvent : nullptr);
}

#include "control/gdi_thread.h"

#include "control/map_ctrl.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/map_painting.h"
#include "platform/window.h"
#include "platform/window_dc.h"

CGDIThread::CGDIThread(CMapCtrl *control, HDC dc, const RECT &rect) : control_(control), dc_(dc), rect_(rect)
{
}

CGDIThread::~CGDIThread()
{
    Wait();
    delete thread_;
}

bool CGDIThread::Start()
{
    thread_ = QThread::create([this] { InitInstance(); });
    if (!thread_)
        return false;
    thread_->setStackSize(kStackSize);
    thread_->start(QThread::NormalPriority);
    return true;
}

void CGDIThread::Wait()
{
    if (thread_)
        thread_->wait();
}

void CGDIThread::SetPriority(QThread::Priority priority)
{
    if (thread_ && thread_->isRunning())
        thread_->setPriority(priority);
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
    const HDC target = GetDC(window);
    const long result = target ? control_->DrawClipped(target, area, false) : -1;
    if (result == -1) {
        std::lock_guard lock(control_->m_pendingLock);
        PM_UnionErasedRect(view, &area);
        exitCode_ = 1;
    } else {
        {
            std::lock_guard lock(control_->m_pendingLock);
            PM_InitErasedRect(view);
        }
        PostMessageA(window, MAPN_PROGRESS, MAPN_KIND_DRAWING, MAPN_PROGRESS_END);
        // The widget shows the new picture; it is updated on its own thread.
        const QRect shown(area.left, area.top, area.right - area.left, area.bottom - area.top);
        QMetaObject::invokeMethod(
            control_, [c = control_, shown] { c->update(shown); }, Qt::QueuedConnection);
        exitCode_ = 0;
    }
    if (target)
        ReleaseDC(window, target);
    finished_ = true;
}

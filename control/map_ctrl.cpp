#include "control/map_ctrl.h"

#include "control/drawing_worker.h"
#include "control/gdi_thread.h"
#include "control/pending_engine.h"
#include "engine/editing/polyline_queue.h"
#include "engine/editing/tools/nail.h"
#include "engine/kernel/settings.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/wndres.h"
#include "platform/automation_property_bag.h"
#include "platform/bitblt.h"
#include "platform/dc.h"
#include "platform/key_state.h"
#include "platform/window.h"
#include "platform/window_dc.h"
#include "platform/window_messages.h"
#include "platform/window_scroll.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr uintptr_t kRestTimer = 999;
constexpr int kScrollBarRange = 10000;

// The commands whose tools stay current after one finished operation.
constexpr int32_t kToolsThatStay[] = {mCmdPolyline, mCmdPolygon, mCmdRectangle, mCmdObjectMove, mCmdNodeDrag};

} // namespace

// --- Construction and the record ---------------------------------------------

CMapCtrl::CMapCtrl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(1, 1);

    m_pWndRes = new _WNDRES;
    WndRes_Constructor(m_pWndRes);
    m_pView = m_pWndRes->displayView;
    m_pWndRes->calcSelArea = 1;
    m_pWndRes->calcSelLength = 1;

    m_nCurrentTool = mCmdDeselect;
    m_nOperationState = 0;
    m_bPointFromClick = 0;

    int offscreen = 0;
    m_bOffscreenDrawing = m_RegValueGet("Settings", "OffscreenDrawing", &offscreen) ? offscreen : 0;
    m_pDrawingThread = nullptr;
    int useThreads = 1;
    if (!m_RegValueGet("Settings", "UseThreads", &useThreads)) {
        useThreads = 1;
        m_RegValueSet("Settings", "UseThreads", 1);
    }
    m_bUseThreads = useThreads;

    m_abEndsAfterOneOperation.fill(1);
    for (int32_t id : kToolsThatStay)
        SetEndsAfterOneOperation(id, 0);

    // The window: its handle carries the record once attached; invalidation
    // schedules a paint of the map into the retained surface.
    m_hWnd =
        CreateHeadlessWindow([this](HWND, UINT msg, WPARAM w, LPARAM l) { return WindowProc(msg, w, l); });
    SetWindowPaintHook(m_hWnd, [this](HWND, const RECT &) { SchedulePaint(); });
    SetWindowScrollHook(m_hWnd, [](HWND window, int dx, int dy) {
        // The retained picture moves with the scroll; the engine invalidates
        // the uncovered strips.
        QImage before = GetWindowSurface(window);
        if (before.isNull())
            return;
        before = before.convertToFormat(QImage::Format_RGB32);
        const HDC source = CreateImageDC(&before);
        const HDC target = GetDC(window);
        if (source && target) {
            SurfaceDrawLock lock(target);
            BitBlt(target, dx, dy, before.width(), before.height(), source, 0, 0, SRCCOPY);
        }
        if (source)
            DeleteDC(source);
    });

    m_hScroll = new QScrollBar(Qt::Horizontal, this);
    m_vScroll = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar *bar : {m_hScroll, m_vScroll}) {
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
        connect(bar, &QScrollBar::actionTriggered, this,
                [this, bar](int action) { OnScrollBarAction(bar == m_hScroll ? SB_HORZ : SB_VERT, action); });
    }

    const QRect client = ClientArea();
    SetClientSize(m_hWnd, client.width(), client.height());
    SendMessageA(m_hWnd, WM_CREATE, 0, 0);
}

CMapCtrl::~CMapCtrl()
{
    // The window goes first (its WM_DESTROY stops the drawing thread), then
    // the record it drew from.
    const HWND window = m_hWnd;
    ShutdownTools();
    SetWindowPaintHook(window, nullptr);
    SetWindowScrollHook(window, nullptr);
    DestroyWindow(window);
    m_hWnd = 0;
    DestroyWndRes();
}

int CMapCtrl::AttachWndRes(int createPage)
{
    return WndRes_AttachToWindow(m_pWndRes, m_hWnd, createPage) ? 1 : 0;
}

int CMapCtrl::DestroyWndRes()
{
    if (!m_pWndRes)
        return 1;
    m_pWndRes->flags &= uint16_t(~WNDRES_MODIFIED);
    WndRes_Destructor(m_pWndRes);
    delete m_pWndRes;
    m_pWndRes = nullptr;
    m_pView = nullptr;
    ++m_recordGeneration;
    return 1;
}

int CMapCtrl::SetEndsAfterOneOperation(int32_t id, int8_t ends)
{
    if (id < mCmdDeselect || id >= mCmdDeselect + int32_t(m_abEndsAfterOneOperation.size()))
        return 0;
    m_abEndsAfterOneOperation[size_t(id - mCmdDeselect)] = ends;
    return 1;
}

int8_t CMapCtrl::GetEndsAfterOneOperation(int32_t id) const
{
    if (id < mCmdDeselect || id >= mCmdDeselect + int32_t(m_abEndsAfterOneOperation.size()))
        return 1;
    return m_abEndsAfterOneOperation[size_t(id - mCmdDeselect)];
}

// --- Persistence -------------------------------------------------------------

void CMapCtrl::DoPropExchange(PropExchange &px)
{
    uint32_t version = kControlVersion;
    px.Version(version, kControlVersion);
    if (version == kControlVersion) {
        px.String("FileName", m_strFileName, "");
        bool offscreen = m_bOffscreenDrawing != 0;
        px.Bool("OffscreenDrawing", offscreen, offscreen);
        m_bOffscreenDrawing = offscreen;
        px.Double("MapScale", m_dMapScale, 0.0);
        px.Long("OriginX", m_lOriginX, 0);
        px.Long("OriginY", m_lOriginY, 0);
    } else if (px.loading()) {
        m_bOffscreenDrawing = 0;
        m_strFileName.clear();
        m_dMapScale = 0.0;
    }
}

void CMapCtrl::OnResetState()
{
    PropertyBag empty;
    PropExchange px(empty, true);
    DoPropExchange(px);
}

// --- The window ----------------------------------------------------------------

LRESULT CMapCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT answer = 0;
    if (OnEngineNotification(msg, wParam, lParam, &answer))
        return answer;
    switch (msg) {
    case WM_CREATE:
        return OnCreate();
    case WM_DESTROY:
        StopDrawingThread();
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_PAINT:
        PaintNow();
        return 0;
    case WM_VSCROLL:
        if (m_pView)
            PM_OnVScroll(m_pView, m_hWnd, int(wParam & 0xFFFF), int(int16_t(wParam >> 16)));
        SyncScrollBars();
        return 0;
    case WM_HSCROLL:
        if (m_pView)
            PM_OnHScroll(m_pView, m_hWnd, int(wParam & 0xFFFF), int(int16_t(wParam >> 16)));
        SyncScrollBars();
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(int(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
        return 0;
    case WM_KILLFOCUS:
        OnInputMessage(msg, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        OnActivate((wParam & 0xFFFF) != WA_INACTIVE);
        return 0;
    case WM_TIMER:
        OnTimer(uintptr_t(wParam));
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
        OnInputMessage(msg, wParam, lParam);
        return 0;
    case WM_COMMAND:
        // The items of the nail's popup menu.
        switch (wParam & 0xFFFF) {
        case 32772:
            StopDrawingThread();
            NailRotfree(m_hWnd);
            break;
        case 32773:
            StopDrawingThread();
            NailScalfree(m_hWnd);
            break;
        case 32774:
            StopDrawingThread();
            NailDelete(m_hWnd);
            break;
        default:
            break;
        }
        return 0;
    case WM_RENDERFORMAT:
        // The rendering moves the history and swaps the selection: the
        // drawing thread must not be reading them.
        StopDrawingThread();
        return pending::DstrEditRenderCopy(m_hWnd, UINT(wParam), 0);
    case WM_DISPLAYCHANGE:
        if (m_pView)
            PM_ScaleWordToDisplayUpdate(m_pView, m_hWnd);
        FireDisplayScaleChanged();
        return 0;
    default:
        return 0;
    }
}

void CMapCtrl::OnInputMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // A quick click's release can arrive while its press is still handled
    // (stopping the drawing thread, or a host's handler of the press, lets
    // the event loop run): handled then, it would find no operation, and the
    // operation the press starts afterwards would keep the mouse.
    if (m_bHandlingInput) {
        m_waitingInput.push_back({msg, wParam, lParam});
        return;
    }
    m_bHandlingInput = true;
    RunInputMessage(msg, wParam, lParam);
    while (!m_waitingInput.empty()) {
        const InputMessage next = m_waitingInput.front();
        m_waitingInput.pop_front();
        RunInputMessage(next.msg, next.wParam, next.lParam);
    }
    m_bHandlingInput = false;
}

void CMapCtrl::RunInputMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_KILLFOCUS:
        OnKillFocus();
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        break;
    default:
        // The point of the last mouse message finishes an operation that
        // loses the focus.
        m_lastMousePoint = POINT{PointLParamX(lParam), PointLParamY(lParam)};
        OnMouseMessage(msg, wParam, m_lastMousePoint);
        break;
    }
}

int CMapCtrl::OnCreate()
{
    if (m_pWndRes && !m_pWndRes->hWnd)
        AttachWndRes(1);
    if (m_pWndRes && m_strFileName != m_pWndRes->fileName)
        OpenFile(m_strFileName);
    if (m_pView) {
        m_pView->worldRect = m_pView->allObjectsRect;
        m_pView->resizeMode = 2;
        m_pView->worldRect = m_pView->allObjectsRect;
        PM_OnWndSize(m_pView, m_hWnd, int(UINT(-1)), nullptr);
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
    if (m_dMapScale != 0.0)
        SetMapScale(m_dMapScale);
    m_bCreated = true;
    return 0;
}

void CMapCtrl::OnSize()
{
    if (!m_hWnd || !m_pView)
        return;
    RECT client{};
    GetClientRect(m_hWnd, &client);
    StopDrawingThread();
    if (PM_OnWndSize(m_pView, m_hWnd, int(UINT(-1)), &client)) {
        {
            std::lock_guard lock(m_pendingLock);
            m_pView->erasedFlag = 1;
        }
        if (m_pView->resizeMode != 0)
            FireDisplayScaleChanged();
    }
    SyncScrollBars();
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMapCtrl::OnKeyDown(int virtualKey)
{
    struct ScrollKey {
        int key;
        UINT message;
        int code;
    };
    static constexpr ScrollKey kScrollKeys[] = {
        {VK_PRIOR, WM_VSCROLL, SB_PAGEUP},    {VK_NEXT, WM_VSCROLL, SB_PAGEDOWN},
        {VK_END, WM_VSCROLL, SB_BOTTOM},      {VK_HOME, WM_VSCROLL, SB_TOP},
        {VK_LEFT, WM_HSCROLL, SB_LINELEFT},   {VK_UP, WM_VSCROLL, SB_LINEUP},
        {VK_RIGHT, WM_HSCROLL, SB_LINERIGHT}, {VK_DOWN, WM_VSCROLL, SB_LINEDOWN},
    };
    for (const ScrollKey &k : kScrollKeys)
        if (k.key == virtualKey) {
            SendMessageA(m_hWnd, k.message, WPARAM(k.code), 0);
            break;
        }

    if (virtualKey == VK_ADD || virtualKey == VK_SUBTRACT) {
        // A key counts as held when its state is neither 0 nor 1 (the
        // toggle bit alone).
        auto held = [](int vk) {
            const int16_t s = GetKeyState(vk);
            return s != 0 && s != 1;
        };
        const bool ctrl = held(VK_CONTROL);
        const bool shift = held(VK_SHIFT);
        if (!ctrl) {
            RECT client{};
            GetClientRect(m_hWnd, &client);
            const LONG cx = (client.left + client.right) / 2;
            const LONG cy = (client.top + client.bottom) / 2;
            const LONG hw = (client.right - client.left) / 4;
            const LONG hh = (client.bottom - client.top) / 4;
            const RECT half{cx - hw, cy - hh, cx + hw, cy + hh};
            StopDrawingThread();
            if (m_pView && PM_Zoom(m_pView, m_hWnd, &half, virtualKey == VK_ADD ? 1 : 0)) {
                FullRepaint();
                FireDisplayScaleChanged();
            }
        } else if (virtualKey == VK_ADD) {
            StopDrawingThread();
            if (shift)
                AddNearestPolylineToQueue(m_hWnd);
            else
                AddPolylineToQueue(m_hWnd);
            return;
        } else {
            StopDrawingThread();
            RemovePolylineFromQueue(m_hWnd);
        }
    }
    if (virtualKey == VK_ESCAPE)
        Command(mCmdDeselectObjects);
}

void CMapCtrl::OnTimer(uintptr_t id)
{
    // The rest timer of the polyline move and the node and edge drags; the
    // tools that use it come with the mouse input.
    if (id != kRestTimer)
        return;
    if (m_nOperationState == 13 || m_nOperationState == 8 || m_nOperationState == 9)
        OnRestTimer();
}

void CMapCtrl::OnKillFocus()
{
    // An operation in progress ends as if the button were released where the
    // operation last showed the cursor.
    if (m_nOperationState != 0)
        FinishOperation();
}

void CMapCtrl::OnActivate(bool active)
{
    if (DrawingThreadRunning())
        m_pDrawingThread->SetPriority(active ? QThread::HighPriority : QThread::IdlePriority);
}

// --- Qt events -------------------------------------------------------------------

QRect CMapCtrl::ClientArea() const
{
    const int w = width() - (m_vScroll && !m_vScroll->isHidden() ? m_vScroll->sizeHint().width() : 0);
    const int h = height() - (m_hScroll && !m_hScroll->isHidden() ? m_hScroll->sizeHint().height() : 0);
    return QRect(0, 0, std::max(w, 0), std::max(h, 0));
}

void CMapCtrl::SyncScrollBars()
{
    if (!m_hWnd)
        return;
    bool layoutChanged = false;
    for (auto [bar, which] : {std::pair{m_hScroll, SB_HORZ}, std::pair{m_vScroll, SB_VERT}}) {
        int minPos = 0;
        int maxPos = 0;
        GetScrollRange(m_hWnd, which, &minPos, &maxPos);
        const bool visible = IsScrollBarVisible(m_hWnd, which) && maxPos > minPos;
        const QSignalBlocker block(bar);
        bar->setRange(minPos, std::min(maxPos, minPos + kScrollBarRange * 100));
        bar->setValue(GetScrollPos(m_hWnd, which));
        if (visible == bar->isHidden()) {
            bar->setVisible(visible);
            layoutChanged = true;
        }
    }
    const QRect client = ClientArea();
    m_hScroll->setGeometry(0, client.height(), client.width(), height() - client.height());
    m_vScroll->setGeometry(client.width(), 0, width() - client.width(), client.height());
    if (layoutChanged) {
        RECT old{};
        GetClientRect(m_hWnd, &old);
        if (old.right != client.width() || old.bottom != client.height()) {
            SetClientSize(m_hWnd, client.width(), client.height());
            SendMessageA(m_hWnd, WM_SIZE, SIZE_RESTORED, MakePointLParam(client.width(), client.height()));
        }
    }
}

void CMapCtrl::OnScrollBarAction(int bar, int action)
{
    int code = SB_ENDSCROLL;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = SB_LINEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = SB_BOTTOM;
        break;
    case QAbstractSlider::SliderMove:
        code = SB_THUMBTRACK;
        break;
    default:
        return;
    }
    QScrollBar *q = bar == SB_HORZ ? m_hScroll : m_vScroll;
    const WPARAM w = WPARAM(code) | (WPARAM(uint16_t(q->sliderPosition())) << 16);
    SendMessageA(m_hWnd, bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, w, 0);
}

void CMapCtrl::paintEvent(QPaintEvent *event)
{
    // Only the retained surface is shown; drawing the map happens elsewhere.
    QPainter painter(this);
    const QRect client = ClientArea();
    painter.fillRect(event->rect(), palette().window());
    PaintWindowSurface(m_hWnd, painter, event->rect() & client);
}

void CMapCtrl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QRect client = ClientArea();
    SetClientSize(m_hWnd, client.width(), client.height());
    SendMessageA(m_hWnd, WM_SIZE, SIZE_RESTORED, MakePointLParam(client.width(), client.height()));
}

void CMapCtrl::keyPressEvent(QKeyEvent *event)
{
    const int vk = VirtualKeyFromQt(event->key(), event->modifiers());
    if (vk)
        SendMessageA(m_hWnd, WM_KEYDOWN, WPARAM(vk), 0);
    QWidget::keyPressEvent(event);
}

void CMapCtrl::mousePressEvent(QMouseEvent *event) { SendQtMouseEvent(event); }

void CMapCtrl::mouseReleaseEvent(QMouseEvent *event) { SendQtMouseEvent(event); }

void CMapCtrl::mouseDoubleClickEvent(QMouseEvent *event) { SendQtMouseEvent(event); }

void CMapCtrl::mouseMoveEvent(QMouseEvent *event) { SendQtMouseEvent(event); }

void CMapCtrl::wheelEvent(QWheelEvent *event)
{
    if (const std::optional<MouseMessage> m = MouseMessageTranslator::TranslateWheel(*event))
        SendMessageA(m_hWnd, m->message, m->wParam, m->lParam);
}

void CMapCtrl::focusOutEvent(QFocusEvent *event)
{
    // A menu that opens keeps the focus where it was: what the user chooses
    // in it decides what becomes of an operation in progress.
    if (event->reason() != Qt::PopupFocusReason)
        SendMessageA(m_hWnd, WM_KILLFOCUS, 0, 0);
    QWidget::focusOutEvent(event);
}

void CMapCtrl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange)
        SendMessageA(m_hWnd, WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, 0);
    QWidget::changeEvent(event);
}

void CMapCtrl::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    SyncScrollBars();
}

void CMapCtrl::SetWaitCursor(bool on)
{
    if (on) {
        if (m_waitCursor++ == 0 && QApplication::instance())
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_waitCursor > 0) {
        if (--m_waitCursor == 0 && QApplication::instance())
            QApplication::restoreOverrideCursor();
    }
}

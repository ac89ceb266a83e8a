#include "platform/surface_widget.h"

#include "platform/child_window.h"
#include "platform/window_dc.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

SurfaceWidget::SurfaceWidget(WNDPROC handler, QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    hwnd_ = CreateHeadlessWindow(std::move(handler));
    SetWindowWidget(hwnd_, this);
    SetClientSize(hwnd_, width(), height());
    SetWindowPaintHook(hwnd_, [this](HWND, const RECT &r) {
        update(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    });
}

SurfaceWidget::~SurfaceWidget()
{
    // The hook points at this widget: the window goes first.
    SetWindowWidget(hwnd_, nullptr);
    DestroyWindow(hwnd_);
}

void SurfaceWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white); // where the surface does not reach
    PaintWindowSurface(hwnd_, painter, event->rect());
}

void SurfaceWidget::resizeEvent(QResizeEvent *event)
{
    SetClientSize(hwnd_, event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

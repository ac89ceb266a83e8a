// The screen widget of a window record: it keeps the record's client size
// equal to its own and shows the window's retained surface (window_dc.h).
// Its paint event only copies the surface, under the surface's lock; what
// draws the surface (the window's handler, a drawing thread) invalidates
// the window, and the paint hook schedules the widget's update.
#pragma once

#include "platform/types.h"
#include "platform/window.h"

#include <QWidget>

class SurfaceWidget : public QWidget {
public:
    explicit SurfaceWidget(WNDPROC handler, QWidget *parent = nullptr);
    ~SurfaceWidget() override;
    SurfaceWidget(const SurfaceWidget &) = delete;
    SurfaceWidget &operator=(const SurfaceWidget &) = delete;

    HWND handle() const { return hwnd_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    HWND hwnd_ = 0;
};

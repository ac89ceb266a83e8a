// The map window's widget shows the retained surface; a drawing thread
// draws into the surface and invalidates the window, and the widget's
// update is queued to its own thread.
#include "platform/dc.h"
#include "platform/surface_widget.h"
#include "platform/window_dc.h"

#include <QApplication>
#include <QPixmap>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(SurfaceWidget, ShowsWhatAnotherThreadDrew)
{
    SurfaceWidget widget(nullptr);
    widget.resize(30, 20);
    widget.show();
    QApplication::processEvents();
    const HWND hwnd = widget.handle();
    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 30);
    ValidateRect(hwnd, nullptr);

    std::atomic<int> hooks{0};
    SetWindowPaintHook(hwnd, [&](HWND, const RECT &) {
        EXPECT_EQ(QThread::currentThread(), QApplication::instance()->thread());
        ++hooks;
        widget.update();
    });
    std::thread drawing([hwnd] {
        const HDC dc = GetDC(hwnd);
        const SurfaceDrawLock lock(dc);
        const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        SelectObject(dc, red);
        Rectangle(dc, 5, 5, 15, 15);
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(red);
        InvalidateRect(hwnd, nullptr, FALSE);
    });
    drawing.join();
    EXPECT_EQ(hooks, 0) << "queued, not run on the drawing thread";
    RECT pending{};
    EXPECT_TRUE(GetUpdateRect(hwnd, &pending, FALSE));
    QApplication::processEvents();
    EXPECT_EQ(hooks, 1);

    const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(10, 10) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown, GetWindowSurface(hwnd).convertToFormat(QImage::Format_RGB32));
}

TEST(SurfaceWidget, DrawLockIsNothingForOtherContexts)
{
    QImage image(4, 4, QImage::Format_RGB32);
    const HDC dc = CreateImageDC(&image);
    {
        const SurfaceDrawLock a(dc);
        const SurfaceDrawLock b(dc); // no lock behind it: no deadlock
        const SurfaceDrawLock none(0);
    }
    DeleteDC(dc);
}

} // namespace

// Window timers: WM_TIMER with the timer's id on the window's event loop
// until the timer is killed; bad windows and ids are refused.
#include "platform/window.h"
#include "platform/window_messages.h"
#include "platform/window_timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

TEST(WindowTimer, TicksUntilKilled)
{
    int ticks = 0;
    uintptr_t seen = 0;
    const HWND w = CreateHeadlessWindow([&](HWND, UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg == WM_TIMER) {
            ++ticks;
            seen = uintptr_t(wParam);
        }
        return 0;
    });
    EXPECT_EQ(SetTimer(w, 0, 10), 0u);
    EXPECT_EQ(SetTimer(HWND(987654), 999, 10), 0u);
    ASSERT_EQ(SetTimer(w, 999, 1), 999u);
    UINT interval = 0;
    ASSERT_TRUE(GetTimerInterval(w, 999, &interval));
    EXPECT_EQ(interval, 1u);
    // Events are let through until the first tick (bounded).
    QElapsedTimer clock;
    clock.start();
    while (ticks == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(ticks, 1);
    EXPECT_EQ(seen, 999u);
    EXPECT_TRUE(KillTimer(w, 999));
    EXPECT_FALSE(KillTimer(w, 999));
    EXPECT_FALSE(GetTimerInterval(w, 999, nullptr));
    const int after = ticks;
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, after);
    DestroyWindow(w);
}

} // namespace

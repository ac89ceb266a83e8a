#include "platform/screen_metrics.h"
#include "platform/window.h"
#include "platform/window_scroll.h"

#include <gtest/gtest.h>

TEST(WindowScroll, BarsKeepRangeAndPosition)
{
    const HWND w = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    EXPECT_TRUE(SetScrollRange(w, SB_VERT, 0, 1024, TRUE));
    EXPECT_TRUE(IsScrollBarVisible(w, SB_VERT));
    EXPECT_EQ(SetScrollPos(w, SB_VERT, 600, TRUE), 0);
    EXPECT_EQ(SetScrollPos(w, SB_VERT, 2000, TRUE), 600);
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 1024);
    SetScrollRange(w, SB_HORZ, 0, 0, TRUE);
    EXPECT_FALSE(IsScrollBarVisible(w, SB_HORZ));
    EXPECT_FALSE(SetScrollRange(w, 7, 0, 1, TRUE));
    DestroyWindow(w);
    EXPECT_FALSE(SetScrollRange(w, SB_VERT, 0, 1, TRUE));
}

TEST(WindowScroll, ScrollingInvalidatesOnlyTheUncoveredStripAndMovesPendingArea)
{
    const HWND w = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    SetClientSize(w, 100, 80);
    int hookDx = 0, hookDy = 0;
    SetWindowScrollHook(w, [&](HWND, int dx, int dy) {
        hookDx = dx;
        hookDy = dy;
    });
    ValidateRect(w, nullptr);
    EXPECT_TRUE(ScrollWindow(w, 0, -10, nullptr, nullptr));
    EXPECT_EQ(hookDy, -10);
    RECT u;
    ASSERT_TRUE(GetUpdateRect(w, &u, FALSE));
    EXPECT_EQ(u.top, 70);
    EXPECT_EQ(u.bottom, 80);
    EXPECT_EQ(u.left, 0);
    EXPECT_EQ(u.right, 100);
    ValidateRect(w, nullptr);
    const RECT pending{10, 10, 20, 20};
    InvalidateRect(w, &pending, FALSE);
    ScrollWindow(w, 5, 0, nullptr, nullptr);
    EXPECT_EQ(hookDx, 5);
    ASSERT_TRUE(GetUpdateRect(w, &u, FALSE));
    EXPECT_EQ(u.left, 0); // the strip (0..5) and the moved area (15..25)
    EXPECT_EQ(u.right, 25);
    DestroyWindow(w);
    EXPECT_FALSE(ScrollWindow(w, 1, 1, nullptr, nullptr));
}

TEST(ScreenMetrics, FixedUnderTheOffscreenPlatform)
{
    EXPECT_EQ(ScreenMetric(HORZRES), kFixedScreenWidthPixels);
    EXPECT_EQ(ScreenMetric(VERTSIZE), kFixedScreenHeightMm);
    EXPECT_EQ(ScreenMetric(LOGPIXELSY), kFixedScreenDpi);
    EXPECT_EQ(ScreenMetric(12345), 0);
}

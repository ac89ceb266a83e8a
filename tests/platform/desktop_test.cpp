#include "platform/desktop.h"
#include "platform/screen_metrics.h"
#include "platform/window.h"

#include <gtest/gtest.h>

namespace {

TEST(Desktop, TheFixedScreenUnderTheOffscreenPlatform)
{
    const HWND desktop = GetDesktopWindow();
    ASSERT_NE(desktop, 0u);
    EXPECT_EQ(GetDesktopWindow(), desktop) << "one handle";
    RECT r{1, 1, 1, 1};
    ASSERT_TRUE(GetWindowRect(desktop, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, kFixedScreenWidthPixels);
    EXPECT_EQ(r.bottom, kFixedScreenHeightPixels);
    RECT client{};
    ASSERT_TRUE(GetClientRect(desktop, &client));
    EXPECT_EQ(client.right, kFixedScreenWidthPixels);
    EXPECT_EQ(client.bottom, kFixedScreenHeightPixels);
}

TEST(Desktop, OtherWindowsAndBadArgumentsAreRefused)
{
    const HWND w = CreateHeadlessWindow(nullptr);
    RECT r{7, 7, 7, 7};
    EXPECT_FALSE(GetWindowRect(w, &r));
    EXPECT_FALSE(GetWindowRect(0, &r));
    EXPECT_FALSE(GetWindowRect(GetDesktopWindow(), nullptr));
    EXPECT_EQ(r.left, 7) << "nothing written on failure";
    DestroyWindow(w);
    // A destroyed desktop record gives way to a new one.
    const HWND old = GetDesktopWindow();
    DestroyWindow(old);
    EXPECT_FALSE(GetWindowRect(old, &r));
    const HWND again = GetDesktopWindow();
    EXPECT_NE(again, old);
    EXPECT_TRUE(GetWindowRect(again, &r));
}

} // namespace

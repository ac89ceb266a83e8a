// Mouse capture: one holder at a time, told through its hook when it takes
// and loses the capture; a window that goes holds nothing.
#include "platform/mouse_capture.h"
#include "platform/window.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(MouseCapture, OneHolderToldThroughItsHook)
{
    const HWND a = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    const HWND b = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    std::vector<std::pair<HWND, bool>> told;
    for (HWND w : {a, b})
        SetWindowCaptureHook(w, [&](HWND h, bool on) { told.emplace_back(h, on); });

    EXPECT_EQ(SetCapture(a), HWND(0));
    EXPECT_EQ(GetCapture(), a);
    EXPECT_EQ(SetCapture(b), a);
    EXPECT_EQ(GetCapture(), b);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_FALSE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), HWND(0));
    EXPECT_EQ(told, (std::vector<std::pair<HWND, bool>>{{a, true}, {a, false}, {b, true}, {b, false}}));

    EXPECT_EQ(SetCapture(HWND(123456)), HWND(0)) << "no window";
    EXPECT_EQ(GetCapture(), HWND(0));
    SetCapture(a);
    for (HWND w : {a, b})
        SetWindowCaptureHook(w, nullptr);
    DestroyWindow(a);
    EXPECT_EQ(GetCapture(), HWND(0)) << "a window that went holds nothing";
    ReleaseCapture();
    DestroyWindow(b);
}

} // namespace

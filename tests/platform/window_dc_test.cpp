#include "platform/dc.h"
#include "platform/window.h"
#include "platform/window_dc.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(WindowDC, ClientImageKeepsDrawingAndFollowsTheSize)
{
    const HWND w = CreateHeadlessWindow(nullptr);
    SetClientSize(w, 30, 20);
    const HDC dc = GetDC(w);
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(GetPixel(dc, 29, 19), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 30, 0), CLR_INVALID);
    SetPixel(dc, 3, 4, RGB(1, 2, 3));
    SetTextColor(dc, RGB(9, 9, 9));
    EXPECT_EQ(ReleaseDC(w, dc), 1);
    // The same context again, the drawing kept, the settings fresh.
    const HDC again = GetDC(w);
    EXPECT_EQ(again, dc);
    EXPECT_EQ(GetPixel(again, 3, 4), RGB(1, 2, 3));
    EXPECT_EQ(GetTextColor(again), RGB(0, 0, 0));
    EXPECT_EQ(GetWindowSurface(w).pixel(3, 4) & 0xFFFFFF, 0x010203u);
    ReleaseDC(w, again);
    // A new client size gives a new, blank image of that size.
    SetClientSize(w, 50, 10);
    const HDC resized = GetDC(w);
    EXPECT_EQ(GetWindowSurface(w).size(), QSize(50, 10));
    EXPECT_EQ(GetPixel(resized, 49, 9), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(resized, 3, 4), RGB(255, 255, 255));
    ReleaseDC(w, resized);
    DestroyWindow(w);
}

TEST(WindowDC, BadWindowsAndForeignContexts)
{
    EXPECT_EQ(GetDC(0), 0u);
    const HWND empty = CreateHeadlessWindow(nullptr);
    EXPECT_EQ(GetDC(empty), 0u) << "no client area";
    const HWND a = CreateHeadlessWindow(nullptr), b = CreateHeadlessWindow(nullptr);
    SetClientSize(a, 4, 4);
    SetClientSize(b, 4, 4);
    const HDC da = GetDC(a), db = GetDC(b);
    EXPECT_NE(da, db);
    EXPECT_EQ(ReleaseDC(b, da), 0);
    EXPECT_EQ(ReleaseDC(a, da), 1);
    DestroyWindow(a);
    // The dead window's context goes with the next look-up.
    EXPECT_NE(GetDC(b), 0u);
    EXPECT_EQ(GetObjectType(da), 0u);
    EXPECT_TRUE(GetWindowSurface(a).isNull());
    DestroyWindow(b);
    DestroyWindow(empty);
}

} // namespace

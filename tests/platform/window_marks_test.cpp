// What the point-set painters draw on a map window's retained surface: lines
// with the not-xor pen and small black-and-white marks with the inverting
// block transfer, both removed by drawing them a second time, and the
// one-pixel dotted pen.
#include "platform/bitblt.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/window.h"
#include "platform/window_dc.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

class WindowMarks : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = CreateHeadlessWindow(nullptr);
        SetClientSize(window, 20, 12);
        dc = GetDC(window);
        ASSERT_NE(dc, 0u);
        // A picture that is not plain white, so that inversions show.
        for (int x = 0; x < 20; ++x)
            SetPixel(dc, x, 5, RGB(10, 200, 30));
    }
    void TearDown() override
    {
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
    HWND window = 0;
    HDC dc = 0;
};

TEST_F(WindowMarks, NotXorLinesComeOffWhenDrawnAgain)
{
    const QImage before = GetWindowSurface(window);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, red);
    SetROP2(dc, R2_NOTXORPEN);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 19, 11);
    // Red not-xor white is red; not-xor the green row: not (red ^ green).
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    const QImage drawn = GetWindowSurface(window);
    EXPECT_NE(drawn, before);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 19, 11);
    EXPECT_EQ(GetWindowSurface(window), before);
    SelectObject(dc, old);
    DeleteObject(red);
}

TEST_F(WindowMarks, InvertedMarkerImageComesOffWhenDrawnAgain)
{
    // A 7 x 7 black-and-white marker: a hollow white square on black.
    HDC marker = CreateCompatibleDC(dc);
    HBITMAP bits = CreateCompatibleBitmap(dc, 7, 7);
    HGDIOBJ oldBits = SelectObject(marker, bits);
    for (int i = 0; i < 7; ++i) {
        SetPixel(marker, i, 0, RGB(255, 255, 255));
        SetPixel(marker, i, 6, RGB(255, 255, 255));
        SetPixel(marker, 0, i, RGB(255, 255, 255));
        SetPixel(marker, 6, i, RGB(255, 255, 255));
    }
    const QImage before = GetWindowSurface(window);
    // Centred on (5, 5): top-left at (2, 2).
    ASSERT_TRUE(BitBlt(dc, 5 - 3, 5 - 3, 7, 7, marker, 0, 0, SRCINVERT));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 0)) << "white marker pixel inverts white";
    EXPECT_EQ(GetPixel(dc, 2, 5), RGB(245, 55, 225)) << "and the green row";
    EXPECT_EQ(GetPixel(dc, 4, 4), RGB(255, 255, 255)) << "black marker pixels leave the picture";
    ASSERT_TRUE(BitBlt(dc, 5 - 3, 5 - 3, 7, 7, marker, 0, 0, SRCINVERT));
    EXPECT_EQ(GetWindowSurface(window), before);
    SelectObject(marker, oldBits);
    DeleteObject(bits);
    DeleteDC(marker);
}

TEST_F(WindowMarks, OnePixelDottedPen)
{
    HPEN dot = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, dot);
    SetBkMode(dc, TRANSPARENT);
    MoveToEx(dc, 0, 9, nullptr);
    LineTo(dc, 12, 9);
    std::string row;
    for (int x = 0; x < 12; ++x)
        row += GetPixel(dc, x, 9) == RGB(0, 0, 0) ? '#' : '.';
    EXPECT_EQ(row, "###...###...");
    SelectObject(dc, old);
    DeleteObject(dot);
}

} // namespace

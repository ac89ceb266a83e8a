#include "platform/dc.h"
#include "platform/line_dda.h"
#include "tests/support/canvas.h"

#include <QImage>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(DeviceContext, LineToDrawsTheLineDDAPixelsWithoutTheEnd)
{
    Canvas c(8, 4);
    MoveToEx(c.dc, 0, 0, nullptr);
    EXPECT_TRUE(LineTo(c.dc, 6, 2));
    EXPECT_EQ(c.Art(), Rows({"##......", "..###...", ".....#..", "........"}));
    POINT p{};
    GetCurrentPositionEx(c.dc, &p);
    EXPECT_EQ(p.x, 6);
    EXPECT_EQ(p.y, 2);
    // The same pixels as the LineDDA walk, for any direction.
    for (auto [x2, y2] : std::vector<std::pair<int, int>>{{7, 3}, {0, 3}, {7, 0}, {3, 3}, {1, 3}}) {
        Canvas d(8, 4), e(8, 4);
        MoveToEx(d.dc, 4, 1, nullptr);
        LineTo(d.dc, x2, y2);
        WalkLineDDA(4, 1, x2, y2, [&](int x, int y) { SetPixel(e.dc, x, y, 0); });
        EXPECT_EQ(d.Art(), e.Art()) << x2 << "," << y2;
    }
}

TEST(DeviceContext, RasterOperationsApplyToPensButNotToSetPixel)
{
    struct Case {
        int rop;
        QRgb before, after;
    };
    // Pen black (0x000000) over the given pixel.
    const Case cases[] = {
        {R2_COPYPEN, 0xFFFFFF, 0x000000},    {R2_NOP, 0x123456, 0x123456},
        {R2_BLACK, 0xFFFFFF, 0x000000},      {R2_WHITE, 0x000000, 0xFFFFFF},
        {R2_NOT, 0x00FF00, 0xFF00FF},        {R2_XORPEN, 0x00FF00, 0x00FF00},
        {R2_NOTCOPYPEN, 0x00FF00, 0xFFFFFF}, {R2_MERGEPEN, 0x00FF00, 0x00FF00},
        {R2_MASKPEN, 0x00FF00, 0x000000},    {R2_NOTXORPEN, 0x00FF00, 0xFF00FF},
    };
    for (const Case &k : cases) {
        Canvas c(3, 1);
        c.image.fill(0xFF000000u | k.before);
        EXPECT_EQ(SetROP2(c.dc, k.rop), R2_COPYPEN);
        EXPECT_EQ(GetROP2(c.dc), k.rop);
        MoveToEx(c.dc, 0, 0, nullptr);
        LineTo(c.dc, 2, 0);
        EXPECT_EQ(c.image.pixel(0, 0) & 0xFFFFFF, k.after) << k.rop;
        EXPECT_EQ(c.image.pixel(2, 0) & 0xFFFFFF, k.before) << "end pixel left out";
        EXPECT_EQ(SetPixel(c.dc, 2, 0, kRed), kRed);
        EXPECT_EQ(GetPixel(c.dc, 2, 0), kRed) << "SetPixel ignores the ROP";
    }
    // XOR with a red pen twice gives the picture back.
    Canvas c(5, 5);
    HPEN red = CreatePen(PS_SOLID, 1, kRed);
    HGDIOBJ old = SelectObject(c.dc, red);
    SetROP2(c.dc, R2_XORPEN);
    const std::string before = c.Art();
    for (int i = 0; i < 2; ++i) {
        MoveToEx(c.dc, 0, 4, nullptr);
        LineTo(c.dc, 4, 0);
    }
    EXPECT_EQ(c.Art(), before);
    EXPECT_EQ(SetROP2(c.dc, 0), 0) << "bad code refused";
    EXPECT_EQ(GetROP2(c.dc), R2_XORPEN);
    SelectObject(c.dc, old);
    EXPECT_TRUE(DeleteObject(red));
}

TEST(DeviceContext, SelectObjectKeepsGdiStateModel)
{
    Canvas c(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HBRUSH brush = CreateSolidBrush(kRed);
    const HGDIOBJ oldPen = SelectObject(c.dc, pen);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(c.dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(DeleteObject(pen)) << "still selected";
    EXPECT_FALSE(DeleteObject(GetStockObject(NULL_PEN))) << "stock objects stay";
    EXPECT_EQ(SelectObject(c.dc, GetStockObject(NULL_PEN)), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), 0u);
    EXPECT_EQ(SelectObject(c.dc, pen), 0u) << "deleted handle refused";
    EXPECT_EQ(SelectObject(0, brush), 0u);
    EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);
    EXPECT_EQ(GetObjectType(c.dc), OBJ_DC);
    // The null pen draws nothing.
    MoveToEx(c.dc, 0, 0, nullptr);
    LineTo(c.dc, 3, 3);
    EXPECT_EQ(c.Art(), Rows({"....", "....", "....", "...."}));
    EXPECT_EQ(SetBkMode(c.dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkColor(c.dc, kRed), RGB(255, 255, 255));
    EXPECT_EQ(GetBkColor(c.dc), kRed);
    EXPECT_EQ(SetTextColor(c.dc, kRed), 0u);
    EXPECT_EQ(GetTextColor(c.dc), kRed);
    SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(CreatePen(99, 1, 0), 0u);
    EXPECT_EQ(GetPixel(c.dc, 4, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.dc, -1, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(999999, 0, 0, 0), CLR_INVALID);
}

TEST(DeviceContext, MemoryContextDrawsIntoTheSelectedBitmap)
{
    HDC dc = CreateCompatibleDC(0);
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(GetObjectType(dc), OBJ_MEMDC);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 6, 3);
    ASSERT_NE(bmp, 0u);
    const HGDIOBJ oldBmp = SelectObject(dc, bmp);
    EXPECT_NE(oldBmp, 0u) << "a new memory context holds a bitmap of its own";
    HDC other = CreateCompatibleDC(0);
    EXPECT_EQ(SelectObject(other, bmp), 0u) << "a bitmap is selected into one context at a time";
    EXPECT_FALSE(DeleteObject(bmp));
    SelectObject(dc, GetStockObject(WHITE_PEN));
    MoveToEx(dc, 0, 1, nullptr);
    LineTo(dc, 6, 1);
    EXPECT_EQ(GetPixel(dc, 5, 1), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 5, 0), 0u);
    SelectObject(dc, oldBmp);
    const QImage img = GetBitmapImage(bmp);
    EXPECT_EQ(img.pixel(3, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(CreateCompatibleBitmap(0, 0, 5), 0u);
    EXPECT_EQ(CreateCompatibleBitmap(0, -3, 5), 0u);
    QImage indexed(4, 4, QImage::Format_Indexed8);
    EXPECT_EQ(CreateImageDC(&indexed), 0u);
    EXPECT_EQ(CreateImageDC(nullptr), 0u);
}

TEST(DeviceContext, DrawingDoesNotReachACopyOfTheImage)
{
    Canvas c(3, 1);
    const QImage snapshot = c.image;
    SetPixel(c.dc, 0, 0, 0);
    MoveToEx(c.dc, 0, 0, nullptr);
    LineTo(c.dc, 3, 0);
    EXPECT_EQ(snapshot.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(c.image.pixel(1, 0) & 0xFFFFFF, 0u);
}

TEST(DeviceContext, DashedPensAndBackgroundMode)
{
    Canvas c(14, 2);
    HPEN dot = CreatePen(PS_DOT, 1, 0);
    SelectObject(c.dc, dot);
    SetBkColor(c.dc, kRed);
    MoveToEx(c.dc, 0, 0, nullptr);
    LineTo(c.dc, 14, 0);
    SetBkMode(c.dc, TRANSPARENT);
    MoveToEx(c.dc, 0, 1, nullptr);
    LineTo(c.dc, 7, 1);
    LineTo(c.dc, 14, 1); // the pattern runs on across LineTo calls
    EXPECT_EQ(c.Art(), Rows({"###rrr###rrr##", "###...###...##"}));
    SelectObject(c.dc, GetStockObject(BLACK_PEN));
    DeleteObject(dot);
}

TEST(DeviceContext, WidePensCoverTheirWidthAndEnds)
{
    Canvas c(9, 7);
    HPEN wide = CreatePen(PS_SOLID, 3, 0);
    SelectObject(c.dc, wide);
    MoveToEx(c.dc, 2, 2, nullptr);
    LineTo(c.dc, 6, 2);
    HPEN two = CreatePen(PS_SOLID, 2, 0);
    SelectObject(c.dc, two);
    MoveToEx(c.dc, 1, 5, nullptr);
    LineTo(c.dc, 4, 5);
    EXPECT_EQ(c.Art(), Rows({".........", ".#######.", ".#######.", ".#######.", ".........", ".#####...",
                             ".#####..."}));
    SelectObject(c.dc, GetStockObject(BLACK_PEN));
    DeleteObject(wide);
    DeleteObject(two);
}

TEST(DeviceContext, PolygonFillsOddEvenAndOutlines)
{
    // Filled with a red brush and no pen: pixels whose top-left corner is
    // inside, left and top edges in, right and bottom edges out.
    Canvas c(7, 6);
    HBRUSH red = CreateSolidBrush(kRed);
    SelectObject(c.dc, red);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    const POINT rect[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    EXPECT_TRUE(Polygon(c.dc, rect, 4));
    EXPECT_EQ(c.Art(), Rows({".......", ".rrrr..", ".rrrr..", ".rrrr..", ".......", "......."}));

    // A self-crossing ring: the doubly covered middle stays empty.
    Canvas s(9, 6);
    SelectObject(s.dc, red);
    SelectObject(s.dc, GetStockObject(NULL_PEN));
    const POINT ring[] = {{0, 0}, {6, 0}, {6, 4}, {3, 4}, {3, 2}, {9, 2}, {9, 6}, {0, 6}};
    Polygon(s.dc, ring, 8);
    EXPECT_EQ(s.Art(), Rows({"rrrrrr...", "rrrrrr...", "rrr...rrr", "rrr...rrr", "rrrrrrrrr", "rrrrrrrrr"}));

    // With the black pen the outline closes the ring.
    Canvas o(6, 5);
    SelectObject(o.dc, red);
    const POINT tri[] = {{0, 0}, {4, 0}, {4, 4}};
    Polygon(o.dc, tri, 3);
    EXPECT_EQ(o.Art(), Rows({"#####.", ".#rr#.", "..#r#.", "...##.", "....#."}));
    EXPECT_FALSE(Polygon(o.dc, tri, 1));
    EXPECT_FALSE(Polygon(o.dc, nullptr, 3));
    SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
    SelectObject(o.dc, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(red));
}

TEST(DeviceContext, RectangleAndEllipseUseAnExclusiveBox)
{
    Canvas c(8, 6);
    HBRUSH red = CreateSolidBrush(kRed);
    SelectObject(c.dc, red);
    Rectangle(c.dc, 0, 0, 5, 4);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    Rectangle(c.dc, 5, 4, 8, 6); // the null pen leaves out the last row and column
    EXPECT_EQ(c.Art(), Rows({"#####...", "#rrr#...", "#rrr#...", "#####...", ".....rr.", "........"}));

    Canvas e(7, 7);
    SelectObject(e.dc, red);
    Ellipse(e.dc, 0, 0, 7, 7);
    EXPECT_EQ(e.Art(), Rows({"..###..", ".#rrr#.", "#rrrrr#", "#rrrrr#", "#rrrrr#", ".#rrr#.", "..###.."}));
    // Huge boxes are clipped, not walked.
    EXPECT_TRUE(Ellipse(e.dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    EXPECT_TRUE(Rectangle(e.dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    SelectObject(e.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(DeviceContext, DeviceCapsOfTheScreen)
{
    Canvas c(1, 1);
    for (int index : {LOGPIXELSX, LOGPIXELSY, HORZRES, VERTRES, HORZSIZE, VERTSIZE})
        EXPECT_EQ(GetDeviceCaps(c.dc, index), ScreenMetric(index)) << index;
    EXPECT_EQ(GetDeviceCaps(c.dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(c.dc, TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(GetDeviceCaps(0, HORZRES), 0);
}

} // namespace

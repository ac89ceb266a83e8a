// Polylines, hatch brushes, translucent fills and polygon regions on raster
// contexts, pixel for pixel.
#include "platform/alpha_fill.h"
#include "platform/dc.h"
#include "platform/region.h"
#include "tests/support/canvas.h"

#include <gtest/gtest.h>

namespace {

const POINT kBox[] = {{2, 2}, {18, 2}, {18, 18}, {2, 18}};

TEST(Fills, HatchPatternsAlignToTheBrushOrigin)
{
    struct Case {
        int style;
        POINT on, off;
    } cases[] = {{HS_HORIZONTAL, {5, 8}, {5, 9}}, {HS_VERTICAL, {8, 5}, {9, 5}},
                 {HS_FDIAGONAL, {9, 9}, {9, 10}}, {HS_BDIAGONAL, {8, 15}, {9, 15}},
                 {HS_CROSS, {8, 11}, {9, 11}},    {HS_DIAGCROSS, {10, 10}, {10, 11}}};
    for (const Case &c : cases) {
        Canvas canvas(20, 20);
        const HBRUSH hatch = CreateHatchBrush(c.style, RGB(255, 0, 0));
        ASSERT_NE(hatch, 0u);
        SelectObject(canvas.dc, hatch);
        SelectObject(canvas.dc, GetStockObject(NULL_PEN));
        SetBkMode(canvas.dc, TRANSPARENT);
        Polygon(canvas.dc, kBox, 4);
        EXPECT_EQ(GetPixel(canvas.dc, c.on.x, c.on.y), RGB(255, 0, 0)) << c.style;
        EXPECT_EQ(GetPixel(canvas.dc, c.off.x, c.off.y), RGB(255, 255, 255)) << c.style << ": clear between";
        // Moving the origin by one moves the lines with it.
        SetBrushOrgEx(canvas.dc, 1, 1, nullptr);
        SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
        Polygon(canvas.dc, kBox, 4);
        SelectObject(canvas.dc, hatch);
        Polygon(canvas.dc, kBox, 4);
        EXPECT_EQ(GetPixel(canvas.dc, c.on.x + 1, c.on.y + 1), RGB(255, 0, 0)) << c.style;
        SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(hatch);
    }
    EXPECT_EQ(CreateHatchBrush(6, 0), 0u);
    EXPECT_EQ(CreateHatchBrush(-1, 0), 0u);
}

TEST(Fills, OpaqueHatchFillsTheGapsWithTheBackground)
{
    Canvas canvas(20, 20);
    const HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(0, 0, 0));
    SelectObject(canvas.dc, hatch);
    SetBkColor(canvas.dc, RGB(0, 255, 0));
    SetBkMode(canvas.dc, OPAQUE);
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    Polygon(canvas.dc, kBox, 4);
    EXPECT_EQ(GetPixel(canvas.dc, 5, 9), RGB(0, 255, 0));
    SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(hatch);
}

TEST(Fills, TranslucentFillBlendsAndIgnoresTheRasterOperation)
{
    Canvas canvas(20, 20);
    SetROP2(canvas.dc, R2_NOTXORPEN);
    EXPECT_TRUE(FillPolygonAlpha(canvas.dc, kBox, 4, RGB(0, 0, 255), 127));
    EXPECT_EQ(GetPixel(canvas.dc, 10, 10), RGB(128, 128, 255)); // (255 x 128 + 127) / 255
    EXPECT_EQ(GetPixel(canvas.dc, 18, 10), RGB(255, 255, 255)) << "right edge outside";
    EXPECT_EQ(GetPixel(canvas.dc, 2, 2), RGB(128, 128, 255)) << "top-left corner inside";
    EXPECT_TRUE(FillPolygonAlpha(canvas.dc, kBox, 4, RGB(0, 0, 255), 255));
    EXPECT_EQ(GetPixel(canvas.dc, 10, 10), RGB(0, 0, 255));
    EXPECT_FALSE(FillPolygonAlpha(canvas.dc, kBox, 2, 0, 0));
    EXPECT_FALSE(FillPolygonAlpha(0, kBox, 4, 0, 0));
}

// Every channel rounds on its own: red and blue are blended side by side in
// one word, so a carry between them would show here.
TEST(Fills, TranslucentFillRoundsEachChannel)
{
    const auto blend = [](int s, int d, int a) { return (s * a + d * (255 - a) + 127) / 255; };
    const struct {
        COLORREF back, fill;
        int alpha;
    } cases[] = {{RGB(10, 200, 77), RGB(250, 3, 129), 1},      {RGB(10, 200, 77), RGB(250, 3, 129), 64},
                 {RGB(255, 0, 255), RGB(0, 255, 0), 200},      {RGB(0, 255, 0), RGB(255, 0, 255), 254},
                 {RGB(255, 255, 255), RGB(255, 255, 255), 77}, {RGB(1, 2, 3), RGB(254, 253, 252), 128}};
    for (const auto &c : cases) {
        Canvas canvas(20, 20);
        SetPixel(canvas.dc, 10, 10, c.back);
        ASSERT_TRUE(FillPolygonAlpha(canvas.dc, kBox, 4, c.fill, BYTE(c.alpha)));
        const COLORREF want = RGB(blend(GetRValue(c.fill), GetRValue(c.back), c.alpha),
                                  blend(GetGValue(c.fill), GetGValue(c.back), c.alpha),
                                  blend(GetBValue(c.fill), GetBValue(c.back), c.alpha));
        EXPECT_EQ(GetPixel(canvas.dc, 10, 10), want) << "alpha " << c.alpha;
    }
}

TEST(Fills, RegionsPaintByTheirFillRule)
{
    // A ring walked twice round the same way: winding covers the middle,
    // alternate leaves it.
    const POINT twice[] = {{2, 2}, {18, 2}, {18, 18}, {2, 18}, {2, 2}, {18, 2}, {18, 18}, {2, 18}};
    for (const int mode : {ALTERNATE, WINDING}) {
        Canvas canvas(20, 20);
        const HRGN region = CreatePolygonRgn(twice, 8, mode);
        ASSERT_NE(region, 0u);
        EXPECT_EQ(GetObjectType(region), OBJ_REGION);
        SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
        EXPECT_TRUE(PaintRgn(canvas.dc, region));
        EXPECT_EQ(GetPixel(canvas.dc, 10, 10), mode == WINDING ? RGB(0, 0, 0) : RGB(255, 255, 255));
        EXPECT_TRUE(DeleteObject(region));
    }
    EXPECT_EQ(CreatePolygonRgn(kBox, 2, WINDING), 0u);
    EXPECT_EQ(CreatePolygonRgn(kBox, 4, 7), 0u);
    EXPECT_FALSE(PaintRgn(0, 1));
}

TEST(Fills, PolylineKeepsOnePatternAndTheCurrentPosition)
{
    Canvas canvas(40, 10);
    const HPEN dash = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
    SelectObject(canvas.dc, dash);
    MoveToEx(canvas.dc, 3, 3, nullptr);
    const POINT pts[] = {{0, 5}, {20, 5}, {39, 5}};
    EXPECT_TRUE(Polyline(canvas.dc, pts, 3));
    // The dash (18 on, 6 off) runs on across the vertex at x = 20.
    EXPECT_EQ(GetPixel(canvas.dc, 17, 5), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc, 19, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(canvas.dc, 24, 5), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc, 39, 5), RGB(255, 255, 255)) << "the last point is left out";
    POINT at{};
    GetCurrentPositionEx(canvas.dc, &at);
    EXPECT_EQ(at.x, 3);
    EXPECT_FALSE(Polyline(canvas.dc, pts, 1));
    SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
    DeleteObject(dash);
}

} // namespace

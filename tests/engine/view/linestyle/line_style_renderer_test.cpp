#include "draw_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <random>

namespace {

TEST(LineStyleRenderer, DashLengthsFollowThePattern)
{
    // Style 1 at width 4: dash 32, gap 20; style 3: dash 8, gap 7, dash 28, gap 7.
    const std::string one = DrawFigure(1, 4, kLineSquareEnds, {{2, 4}, {150, 4}}, 150, 8);
    const std::vector<int> r1 = RowRuns(one, 4);
    ASSERT_GE(r1.size(), 3u);
    EXPECT_EQ(r1[0], 31) << "the first step lies one pixel outside the image";
    EXPECT_EQ(r1[1], 20);
    EXPECT_EQ(r1[2], 32);
    const std::string three = DrawFigure(3, 4, kLineSquareEnds, {{2, 4}, {150, 4}}, 150, 8);
    const std::vector<int> r3 = RowRuns(three, 4);
    ASSERT_GE(r3.size(), 6u);
    EXPECT_EQ(std::vector<int>(r3.begin() + 1, r3.begin() + 6), (std::vector<int>{7, 28, 7, 8, 7}));
}

TEST(LineStyleRenderer, AlternatingMarksOfStyle55)
{
    // Stroke B (chevron opening backwards), stroke A, no mark, and again.
    Canvas c(200, 16);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 55, c.dc, 0, 6, kLineSquareEnds);
    const int period = ctx.period, markAt = ctx.markInnerStart;
    const POINT pts[] = {{3, 8}, {199, 8}};
    LineStyleDrawPolyline(&ctx, pts, 2, c.dc);
    LineStyleContextRelease(&ctx);
    // The pixels off the base line in each of the first three periods: two
    // different marks (stroke B, stroke A), then none.
    const int firstStep = 3 - 3 - 1; // square end shift 3, walk starts a step before
    std::vector<std::vector<std::pair<int, int>>> marks(3);
    for (int p = 0; p < 3; ++p)
        for (int x = 0; x < period; ++x)
            for (int y = 0; y < 16; ++y) {
                const int px = firstStep + p * period + x;
                if ((y < 7 || y > 8) && px >= 0 && (c.image.pixel(px, y) & 0xFFFFFF) == 0)
                    marks[p].push_back({x - markAt, y});
            }
    EXPECT_FALSE(marks[0].empty());
    EXPECT_FALSE(marks[1].empty());
    EXPECT_TRUE(marks[2].empty());
    EXPECT_NE(marks[0], marks[1]);
}

TEST(LineStyleRenderer, Style60ShortFirstSegmentGetsTheStartArrowOnly)
{
    // b0 + ceil(W) > the first segment's length: no end arrow on it.
    const std::string shortLine = DrawFigure(60, 8, kLineSquareEnds, {{6, 8}, {16, 8}}, 24, 16);
    const std::string startOnly = DrawFigure(59, 8, kLineSquareEnds, {{6, 8}, {16, 8}}, 24, 16);
    EXPECT_EQ(shortLine, startOnly);
    const std::string longLine = DrawFigure(60, 8, kLineSquareEnds, {{6, 8}, {46, 8}}, 56, 16);
    const std::string longStart = DrawFigure(59, 8, kLineSquareEnds, {{6, 8}, {46, 8}}, 56, 16);
    EXPECT_NE(longLine, longStart) << "both arrows when the segment holds them";
}

TEST(LineStyleRenderer, FastSolidPathDrawsWhatTheCallbackDraws)
{
    // The inline walk of style 0 at width 1 against the per-pixel callback.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> d(-10, 70);
    for (int k = 0; k < 200; ++k) {
        std::vector<POINT> pts;
        for (int i = 0; i < 5; ++i)
            pts.push_back({d(rng), d(rng)});
        Canvas a(64, 64), b(64, 64);
        for (Canvas *c : {&a, &b}) {
            LineStyleContext ctx;
            LineStyleContextInit(&ctx, 0, c->dc, 0, 1, k % 2 ? kLineSquareEnds : 0);
            if (c == &b)
                ctx.lineProc = [](int x, int y, LPARAM data) { LineProcSolid(x, y, data); };
            LineStyleDrawPolyline(&ctx, pts.data(), int(pts.size()), c->dc);
            LineStyleContextRelease(&ctx);
        }
        ASSERT_EQ(a.Art(), b.Art()) << k;
    }
}

TEST(LineStyleRenderer, StylesOutsideTheCatalogueDrawAsStyle0AtWidth1)
{
    const std::vector<POINT> zig{{2, 2}, {20, 12}, {38, 2}};
    const std::string solid = DrawFigure(0, 1, 0, zig, 40, 16);
    for (int style : {74, 75, 65535, -1})
        for (int width : {1, 5, 40})
            EXPECT_EQ(DrawFigure(style, width, 0, zig, 40, 16), solid) << style << " " << width;
}

TEST(LineStyleRenderer, BadInputDrawsNothingOrWhatThePartSays)
{
    const std::string blank = Canvas(20, 10).Art();
    // width 0 or negative: nothing
    for (int width : {0, -3})
        EXPECT_EQ(DrawFigure(3, width, 0, {{1, 1}, {18, 8}}, 20, 10), blank) << width;
    // one point, identical points: nothing
    EXPECT_EQ(DrawFigure(0, 5, 0, {{5, 5}}, 20, 10), blank);
    EXPECT_EQ(DrawFigure(0, 5, 0, {{5, 5}, {5, 5}, {5, 5}}, 20, 10), blank);
    EXPECT_EQ(DrawFigure(25, 5, 0, {{5, 5}, {5, 5}}, 20, 10, true), blank);
    // repeated points inside a figure change nothing
    EXPECT_EQ(DrawFigure(27, 5, 0, {{2, 2}, {2, 2}, {10, 7}, {10, 7}, {18, 2}, {18, 2}}, 20, 10),
              DrawFigure(27, 5, 0, {{2, 2}, {10, 7}, {18, 2}}, 20, 10));
    // null arrays are refused
    Canvas c(4, 4);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 0, c.dc, 0, 3, 0);
    EXPECT_EQ(LineStyleDrawPolyline(&ctx, nullptr, 3, c.dc), 0);
    EXPECT_EQ(LineStyleDrawPolygon(&ctx, 0, nullptr, 3, c.dc), 0);
    LineStyleDrawSegment(&ctx, nullptr, nullptr, c.dc);
    const POINT p{1, 1};
    LineStyleDrawSegment(&ctx, &p, &p, c.dc);
    EXPECT_EQ(LineStyleDrawPolyline(&ctx, &p, 1, 999999), 1) << "a bad device context draws nothing";
    LineStyleContextRelease(&ctx);
    EXPECT_EQ(c.Count(), 0);
}

TEST(LineStyleRenderer, CoordinatesAtThe32BitLimitsAreClippedNotWrapped)
{
    // A horizontal line across the whole 32-bit range at width 3 covers rows
    // 4 to 6 of the image and nothing else, and is drawn at once.
    const auto t0 = std::chrono::steady_clock::now();
    for (int style : {0, 1, 25, 37, 61}) {
        const std::string art = DrawFigure(style, 3, kLineSquareEnds, {{INT_MIN, 5}, {INT_MAX, 5}}, 30, 10);
        for (int y : {0, 1, 2, 8, 9})
            EXPECT_EQ(RowRuns(art, y).size(), 0u) << style << " row " << y;
        if (style == 0) {
            EXPECT_EQ(RowRuns(art, 5), std::vector<int>{30});
        }
    }
    // A polygon far larger than the guard square, filled: the whole image.
    Canvas c(16, 16);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 1, c.dc, 0, 2, 0);
    HBRUSH fill = CreateSolidBrush(0);
    const POINT big[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}};
    LineStyleDrawPolygon(&ctx, fill, big, 4, c.dc);
    // a zigzag whose points wrap 16-bit values: drawn where it really runs
    const POINT wraps[] = {{8, 8}, {8 + 65536, 8}};
    LineStyleDrawPolyline(&ctx, wraps, 2, c.dc);
    LineStyleContextRelease(&ctx);
    DeleteObject(fill);
    EXPECT_EQ(c.Count(), 16 * 16);
    Canvas d(16, 16);
    LineStyleContextInit(&ctx, 0, d.dc, 0, 1, kLineSquareEnds);
    LineStyleDrawPolyline(&ctx, wraps, 2, d.dc);
    LineStyleContextRelease(&ctx);
    EXPECT_EQ(RowRuns(d.Art(), 8), (std::vector<int>{9}))
        << "from a step before x = 8 to the right edge only";
    EXPECT_EQ(d.Count(), 9);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20)) << "no endless walk";
}

TEST(LineStyleRenderer, RectangleIsAClosedOutline)
{
    const std::string viaRect = [] {
        Canvas c(12, 10);
        LineStyleContext ctx;
        LineStyleContextInit(&ctx, 0, c.dc, 0, 1, 0);
        EXPECT_EQ(LineStyleDrawRect(&ctx, c.dc, 2, 2, 9, 7), 1);
        LineStyleContextRelease(&ctx);
        return c.Art();
    }();
    // Each side's walk starts one step before its start point, so at width 1
    // every corner gets one pixel beyond it.
    EXPECT_EQ(viaRect,
              Rows({"............", ".........#..", ".#########..", "..#......#..", "..#......#..",
                    "..#......#..", "..#......#..", "..#########.", "..#.........", "............"}));
}

TEST(LineStyleRenderer, PolygonFillComesBeforeTheOutline)
{
    Canvas c(12, 12);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 1, c.dc, RGB(0, 0, 0), 1, 0);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const POINT ring[] = {{2, 2}, {10, 2}, {10, 10}, {2, 10}};
    LineStyleDrawPolygon(&ctx, red, ring, 4, c.dc);
    LineStyleContextRelease(&ctx);
    DeleteObject(red);
    EXPECT_EQ(c.image.pixel(5, 5) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(c.image.pixel(2, 2) & 0xFFFFFF, 0u) << "the outline's dash starts at the first point";
    EXPECT_EQ(GetObjectType(red), 0u) << "the brush was selected back out, so it could be deleted";
}

} // namespace

#include "draw_helper.h"
#include "engine/view/linestyle/line_style_internal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

char PixelAt(const Canvas &c, int x, int y)
{
    const QRgb p = c.image.pixel(x, y) & 0xFFFFFF;
    return p == 0xFFFFFF ? '.' : p == 0 ? '#' : p == 0xFF0000 ? 'r' : '?';
}

// The column x of a picture, top to bottom, from row y0 to row y1.
std::string Column(const Canvas &c, int x, int y0, int y1)
{
    std::string s;
    for (int y = y0; y <= y1; ++y)
        s += PixelAt(c, x, y);
    return s;
}

// One context drawing single cross-sections by hand: a horizontal segment
// from (0, 20) to (60, 20), travelling right, at width 16 in red; the second
// segment of a three-point polyline unless told otherwise.
struct StampBench {
    Canvas c{64, 40};
    LineStyleContext ctx;
    StampBench(int style, int cornerSide, int width = 16)
    {
        LineStyleContextInit(&ctx, style, c.dc, kRed, width, kLineSquareEnds);
        ctx.drawDC = c.dc;
        ctx.surface = gdi::FindDC(c.dc);
        ctx.surface->Begin();
        ctx.pixel = gdi::ToPixel(ctx.color);
        linestyle::LineSegmentGeometry(&ctx, {0, 20}, {60, 20}, ctx.geo, true);
        linestyle::MultiLineInnerOffset(&ctx, ctx.geo, LineStyleFamilyFlags(style));
        ctx.patternWord &= uint16_t(~0x2000);
        ctx.cornerSide = cornerSide;
        ctx.figure = kFigurePolyline;
        ctx.pointCount = 3;
        ctx.pointsLeft = 1;
    }
    ~StampBench() { LineStyleContextRelease(&ctx); }
    StampBench(const StampBench &) = delete;
    StampBench &operator=(const StampBench &) = delete;
};

// ---- straight cross-sections ----

// At width 16 the span covers rows 12 to 27; the bands are two pixels
// thick: black edges and a fill in the pen colour for 64.
TEST(MultiLineStraight, CrossSectionOfStyle64)
{
    for (int side : {0, 1}) {
        StampBench b(64, side);
        linestyle::MultiLineStamp(&b.ctx, 30, 20);
        EXPECT_EQ(Column(b.c, 30, 11, 28), ".##rrrrrrrrrrrr##.") << "corner side " << side;
        EXPECT_EQ(GetROP2(b.c.dc), R2_COPYPEN);
    }
}

// Style 62 draws both edges at every width where it is a multi-line style,
// and never touches the raster operation of the device context.
TEST(MultiLineStraight, Style62DrawsBothEdgesWithoutARasterOperation)
{
    struct Case {
        int width;
        const char *column;
    };
    const Case cases[] = {
        {3, "..r.r.."},
        {8, "...r......r..."},
        {16, ".rr............rr."},
    };
    for (const Case &k : cases) {
        Canvas c(80, 40);
        SetROP2(c.dc, R2_MASKPEN); // on white, the same pixels as the pen colour
        LineStyleContext ctx;
        LineStyleContextInit(&ctx, 62, c.dc, kRed, k.width, kLineSquareEnds);
        const POINT pts[] = {{10, 20}, {70, 20}};
        LineStyleDrawPolyline(&ctx, pts, 2, c.dc);
        LineStyleContextRelease(&ctx);
        const int half = int(std::strlen(k.column)) / 2;
        EXPECT_EQ(Column(c, 40, 20 - half, 20 - half + int(std::strlen(k.column)) - 1), k.column)
            << "width " << k.width;
        EXPECT_EQ(GetROP2(c.dc), R2_MASKPEN) << "width " << k.width;
    }
}

// Style 72: the outermost rows are black all along (the end pixels are set
// whatever the raster operation); the inner rows of the edge bands are
// black only in every second block of the pattern.
TEST(MultiLineStraight, Style72EdgeBandsInEverySecondBlock)
{
    Canvas c(200, 40);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 72, c.dc, kRed, 16, kLineSquareEnds);
    const int block = ctx.period; // the phase flips once per period
    ASSERT_EQ(block, 18);
    const POINT pts[] = {{10, 20}, {190, 20}};
    LineStyleDrawPolyline(&ctx, pts, 2, c.dc);
    LineStyleContextRelease(&ctx);
    // Travelling right, side 1 lies below: rows 26 (inner) and 27 (outer);
    // side 2 above: rows 13 (inner) and 12 (outer).
    for (int x = 4; x <= 196; ++x) {
        EXPECT_EQ(PixelAt(c, x, 12), '#') << x;
        EXPECT_EQ(PixelAt(c, x, 27), '#') << x;
    }
    const std::vector<int> inner = RowRuns(c.Art(), 26);
    ASSERT_GE(inner.size(), 8u);
    // The whole blocks, between the first one and the line's end.
    for (size_t i = 1; i + 2 < inner.size(); ++i)
        EXPECT_EQ(inner[i], block) << "run " << i;
    // Where the edge band is left out, the fill shows on side 2 and the
    // background on side 1.
    for (int x = 30; x < 170; ++x) {
        const char below = PixelAt(c, x, 26), above = PixelAt(c, x, 13);
        EXPECT_TRUE((below == '#' && above == '#') || (below == '.' && above == 'r')) << x;
    }
}

// The first pixel of a later segment: the join is filled, the side-2 edge
// is left out, and both happen once.
TEST(MultiLineStraight, FirstPixelOfALaterSegment)
{
    StampBench b(64, 0);
    b.ctx.patternWord |= 0x2000;
    linestyle::MultiLineStamp(&b.ctx, 30, 20);
    EXPECT_EQ(Column(b.c, 30, 11, 28), "..rrrrrrrrrrrrr##.");
    EXPECT_FALSE(b.ctx.patternWord & 0x2000);
    linestyle::MultiLineStamp(&b.ctx, 31, 20);
    EXPECT_EQ(Column(b.c, 31, 11, 28), ".##rrrrrrrrrrrr##.");
}

// The first pixel of the first segment of an open figure: no fill, no
// side-2 edge.
TEST(MultiLineStraight, FirstPixelOfAnOpenFigureHasNoFill)
{
    StampBench b(64, 0);
    b.ctx.patternWord |= 0x2000;
    b.ctx.pointsLeft = 2;
    linestyle::MultiLineStamp(&b.ctx, 30, 20);
    EXPECT_EQ(Column(b.c, 30, 11, 28), "...............##.");
    EXPECT_FALSE(b.ctx.patternWord & 0x2000);
}

// The join fill walks the stored point toward the last inner point and
// draws a line to the side-2 inner point D at every step; a stored point
// next to the inner point draws nothing. One-side mode (corner side 1)
// keeps step 3 from replacing the stored points.
TEST(MultiLineStraight, JoinFillSkipsAdjacentPoints)
{
    struct Case {
        POINT stored, inner;
        bool fans;
    };
    const Case cases[] = {
        {{44, 4}, {45, 4}, false}, // one pixel off in x
        {{45, 5}, {45, 4}, false}, // one pixel off in y
        {{40, 4}, {45, 4}, true},
        {{44, 5}, {45, 4}, true}, // diagonal neighbours are not adjacent
    };
    for (const Case &k : cases) {
        StampBench b(64, 1);
        b.ctx.patternWord |= 0x2000;
        b.ctx.multiLineFlags = 0x01;
        b.ctx.cornerJoinSide = 1;
        b.ctx.lastEdge = k.stored;
        b.ctx.lastInner = k.inner;
        linestyle::MultiLineStamp(&b.ctx, 30, 20);
        // D lies at (30, 26); the fill runs from it to the inner point.
        // A fan leaves pixels on the lines from the stored point's steps.
        {
            StampBench ref(64, 1);
            ref.ctx.patternWord |= 0x2000;
            ref.ctx.multiLineFlags = 0x01;
            ref.ctx.cornerJoinSide = 1;
            ref.ctx.lastEdge = k.inner;
            ref.ctx.lastInner = k.inner;
            linestyle::MultiLineStamp(&ref.ctx, 30, 20);
            EXPECT_EQ(b.c.Art() == ref.c.Art(), !k.fans)
                << "stored (" << k.stored.x << ", " << k.stored.y << ")";
        }
        EXPECT_EQ(b.ctx.lastEdge.x, k.fans ? k.inner.x : k.stored.x);
        EXPECT_EQ(b.ctx.lastEdge.y, k.fans ? k.inner.y : k.stored.y);
    }
}

// One-side mode: with corner side 1 side 1 is left out, and for 63 and 65
// everything after the centre line too; with corner side 0 the side-2 edge
// of the wide-spaced styles is left out, the narrow-spaced ones are whole.
TEST(MultiLineStraight, OneSideMode)
{
    struct Case {
        int style, side;
        const char *column;
    };
    // Rows 11 to 28 at x = 30; side 1 lies above for corner side 1 and below
    // for corner side 0. The narrow-spaced styles draw their centre line at
    // row 20.
    const Case cases[] = {
        {64, 1, "...rrrrrrrrrrrr##."}, {64, 0, "..rrrrrrrrrrrrr##."}, {65, 1, ".........#........"},
        {65, 0, "..#rrrrrr#rrrrrr#."}, {63, 1, ".........r........"}, {63, 0, "..r......r......r."},
    };
    for (const Case &k : cases) {
        StampBench b(k.style, k.side);
        // A section seeded at the same pixel leaves its inner point for
        // the fill.
        linestyle::MultiLineSeedSection(&b.ctx, 30, 20);
        b.ctx.multiLineFlags = 0x01;
        linestyle::MultiLineStamp(&b.ctx, 30, 20);
        EXPECT_EQ(Column(b.c, 30, 11, 28), k.column) << "style " << k.style << ", side " << k.side;
    }
}

// ---- corners and rounded ends ----

TEST(MultiLineCorner, PixelOnThePivotDrawsNothing)
{
    StampBench b(64, 1);
    b.ctx.minusJoinPoint = {20.4, 20.7};
    b.ctx.cornerState = 1;
    b.ctx.lastInner = b.ctx.lastEdge = b.ctx.lastInnerCopy = {20, 20};
    linestyle::MultiLineCornerStamp(&b.ctx, 20, 20);
    EXPECT_EQ(b.c.Count(), 0);
    linestyle::MultiLineCornerStamp(&b.ctx, 30, 20);
    EXPECT_GT(b.c.Count(), 0);
}

// A horizontal or vertical radius: the band is exactly one corner band
// thick along that axis.
TEST(MultiLineCorner, AxisRadiusGivesTheBandThickness)
{
    for (int state : {1, 4}) {
        StampBench b(64, 0);
        b.ctx.plusJoinPoint = {20, 20};
        b.ctx.cornerState = state;
        const double e = b.ctx.cornerInnerOffset;
        ASSERT_EQ(e, 1.125);
        linestyle::CornerPivot pv;
        linestyle::MultiLineCornerOffsets(&b.ctx, 31, 20, &pv);
        EXPECT_EQ(pv.o.x, e);
        EXPECT_EQ(pv.o.y, 0);
        EXPECT_EQ(pv.sy, 0);
        EXPECT_EQ(b.ctx.cornerInner.x, 30);
        linestyle::MultiLineCornerOffsets(&b.ctx, 20, 12, &pv);
        EXPECT_EQ(pv.o.x, 0);
        EXPECT_EQ(pv.o.y, -e);
        EXPECT_EQ(b.ctx.cornerInner.y, 13);
    }
}

// Consecutive radial sections: adjacent ones are not joined by a fan (the
// picture is the two sections alone); a larger gap is filled. The pivot lies
// on the pixels' row, so every section is a run of that row.
TEST(MultiLineCorner, FansOnlyAcrossGaps)
{
    auto draw = [](std::initializer_list<int> xs) {
        StampBench b(62, 1);
        b.ctx.minusJoinPoint = {8, 20};
        b.ctx.cornerState = 1;
        b.ctx.lastInner = b.ctx.lastEdge = b.ctx.lastInnerCopy = {*xs.begin(), 20};
        for (int x : xs)
            linestyle::MultiLineCornerStamp(&b.ctx, x, 20);
        std::string row;
        for (int x = 30; x < 50; ++x)
            row += PixelAt(b.c, x, 20);
        return row;
    };
    // Each section: the band (the pixel and one inside it) here, the side-2
    // band at the pivot out of sight.
    EXPECT_EQ(draw({40}), ".........rr.........");
    EXPECT_EQ(draw({40, 41}), ".........rrr........");
    EXPECT_EQ(draw({44}), ".............rr.....");
    EXPECT_EQ(draw({40, 44}), ".........rrrrrr.....");
}

// The first radial section of a narrow-spaced corner draws no fan (and ends
// the start state); a wide-spaced corner fans from the last straight
// section.
TEST(MultiLineCorner, FirstSectionFans)
{
    for (int style : {65, 64}) {
        StampBench b(style, 1);
        b.ctx.minusJoinPoint = {8, 20};
        b.ctx.cornerState = 1;
        b.ctx.patternWord |= 0x2000;
        const POINT far{40, 30};
        b.ctx.lastInner = b.ctx.lastEdge = b.ctx.lastInnerCopy = b.ctx.lastOuter = b.ctx.lastCornerInner =
            far;
        linestyle::MultiLineCornerStamp(&b.ctx, 40, 20);
        int between = 0;
        for (int y = 22; y < 30; ++y)
            between += PixelAt(b.c, 40, y) != '.';
        if (style == 65) {
            EXPECT_EQ(between, 0);
            EXPECT_FALSE(b.ctx.patternWord & 0x2000);
        } else {
            EXPECT_GT(between, 4);
        }
    }
}

// Rounded ends: the fill of 64 reaches the end point; 62 and 63 draw only
// their outer band there.
TEST(MultiLineCorner, RoundedEnds)
{
    struct Case {
        int style;
        const char *row; // row 20 from x = 48 to 61; the line ends at 50, its cap at 57
    };
    const Case cases[] = {
        {64, "rrrrrrrr##...."},
        {62, "........rr...."},
        {63, "rrr......r...."},
    };
    for (const Case &k : cases) {
        Canvas c(70, 40);
        LineStyleContext ctx;
        LineStyleContextInit(&ctx, k.style, c.dc, kRed, 16, 0);
        const POINT pts[] = {{20, 20}, {50, 20}};
        LineStyleDrawPolyline(&ctx, pts, 2, c.dc);
        LineStyleContextRelease(&ctx);
        std::string row;
        for (int x = 48; x <= 61; ++x)
            row += PixelAt(c, x, 20);
        EXPECT_EQ(row, k.row) << "style " << k.style;
    }
}

// A lone segment gets both rounded ends, as a polyline of two points does.
TEST(MultiLineCorner, LoneSegmentHasBothEnds)
{
    for (int style : {62, 65, 69}) {
        const POINT a{20, 20}, b{52, 30};
        Canvas lone(80, 50), poly(80, 50);
        LineStyleContext ctx;
        LineStyleContextInit(&ctx, style, lone.dc, kRed, 16, 0);
        LineStyleDrawSegment(&ctx, &a, &b, lone.dc);
        LineStyleContextRelease(&ctx);
        LineStyleContextInit(&ctx, style, poly.dc, kRed, 16, 0);
        const POINT pts[] = {a, b};
        LineStyleDrawPolyline(&ctx, pts, 2, poly.dc);
        LineStyleContextRelease(&ctx);
        EXPECT_EQ(lone.Art(), poly.Art()) << "style " << style;
        // Both caps: pixels half a width beyond each end along the line.
        EXPECT_NE(PixelAt(lone, 13, 18), '.') << style;
        EXPECT_NE(PixelAt(lone, 59, 32), '.') << style;
    }
}

// A segment too short for its corner: the corner is an outer corner around
// the segment's last pixel, and the next segment notes it.
TEST(MultiLineCorner, TooShortSegmentDrawsAnOuterCorner)
{
    Canvas c(120, 80);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 64, c.dc, kRed, 16, 0);
    const POINT shortMiddle[] = {{10, 40}, {60, 40}, {60, 34}, {110, 34}};
    LineStyleDrawPolyline(&ctx, shortMiddle, 4, c.dc);
    EXPECT_TRUE(ctx.multiLineFlags & 0x80);
    LineStyleContextRelease(&ctx);

    LineStyleContext plain;
    LineStyleContextInit(&plain, 64, c.dc, kRed, 16, 0);
    const POINT turn[] = {{10, 40}, {60, 40}, {60, 75}};
    LineStyleDrawPolyline(&plain, turn, 3, c.dc);
    EXPECT_FALSE(plain.multiLineFlags & 0x80);
    LineStyleContextRelease(&plain);
}

// Distance from (x, y) to the nearest segment of a figure.
double DistanceToFigure(const POINT *p, int n, bool closed, double x, double y)
{
    double best = 1e9;
    for (int i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
        const POINT a = p[i], b = p[(i + 1) % n];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        best = std::min(best, std::hypot(a.x + t * dx - x, a.y + t * dy - y));
    }
    return best;
}

// Pixels drawn farther than `reach` from every figure given.
int Strays(const Canvas &c, double reach, std::initializer_list<std::pair<std::vector<POINT>, bool>> figures)
{
    int strays = 0;
    for (int y = 0; y < c.image.height(); ++y)
        for (int x = 0; x < c.image.width(); ++x) {
            if ((c.image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                continue;
            bool near = false;
            for (const auto &f : figures)
                near = near || DistanceToFigure(f.first.data(), int(f.first.size()), f.second, x, y) <= reach;
            strays += !near;
        }
    return strays;
}

// Every style and width on a zigzag with sharp turns and on a polygon: no
// pixel strays from the line, and the raster operation is left at copy.
TEST(MultiLineFigures, StayWithinTheLine)
{
    const std::vector<POINT> zigzag = {{20, 100}, {60, 20}, {90, 104}, {130, 30}, {210, 70}, {280, 50}};
    const std::vector<POINT> polygon = {{300, 24}, {400, 34}, {370, 104}, {320, 70}};
    for (int style = 62; style <= 73; ++style) {
        for (int width : {3, 5, 8, 16, 31}) {
            for (int flags : {0, int(kLineRoundedCorners), int(kLineSquareEnds)}) {
                Canvas c(420, 130);
                LineStyleContext ctx;
                LineStyleContextInit(&ctx, style, c.dc, kRed, width, flags);
                LineStyleDrawPolyline(&ctx, zigzag.data(), int(zigzag.size()), c.dc);
                LineStyleDrawPolygon(&ctx, 0, polygon.data(), int(polygon.size()), c.dc);
                LineStyleContextRelease(&ctx);
                EXPECT_EQ(GetROP2(c.dc), R2_COPYPEN);
                // Square ends reach out to the span's corners.
                EXPECT_EQ(Strays(c, width * 0.75 + 2, {{zigzag, false}, {polygon, true}}), 0)
                    << "style " << style << ", width " << width << ", flags " << flags;
            }
        }
    }
}

// Very wide lines take the band at corners up to the segment's inner edge
// line instead of scaling it: 64 and 72 at width 80 (bands of 5.1 pixels);
// 65 (bands of 3.4) scales it.
TEST(MultiLineFigures, VeryWideCorners)
{
    const std::vector<POINT> turn = {{60, 60}, {200, 60}, {260, 180}, {120, 200}};
    for (int style : {64, 65, 72}) {
        Canvas c(340, 280);
        LineStyleContext ctx;
        LineStyleContextInit(&ctx, style, c.dc, kRed, 80, 0);
        LineStyleDrawPolyline(&ctx, turn.data(), int(turn.size()), c.dc);
        LineStyleContextRelease(&ctx);
        EXPECT_EQ(Strays(c, 42, {{turn, false}}), 0) << "style " << style;
        // The line's middle is covered: a pixel on the centre line of each
        // segment.
        EXPECT_NE(PixelAt(c, 130, 60), '.') << style;
        EXPECT_NE(PixelAt(c, 230, 120), '.') << style;
    }
}

// The corner phase of the periodic styles: the break grows with the
// distance from the phase point in widths, once that is a width or more.
TEST(MultiLineFigures, CornerPhase)
{
    struct Case {
        int style, state, x;
        int breakAfter, periodAfter, valid;
    };
    // Width 16: inner width 9, so m = 1.125 and the nominal break is 9.
    const Case cases[] = {
        {67, 1, 32, 18, 19, 1},                       // two widths away
        {70, 2, 32, 18, 36, 1}, {72, 1, 8, 9, 18, 0}, // under one width: the nominal numbers
        {67, 4, 32, 0, 0, 0},                         // not on a straight corner walk
        {64, 1, 32, 0, 0, 0},                         // not a periodic style
    };
    for (const Case &k : cases) {
        StampBench b(k.style, 0);
        b.ctx.cornerState = k.state;
        b.ctx.cornerPhasePoint = {0, 0};
        EXPECT_EQ(linestyle::MultiLineCornerPhase(&b.ctx, k.x, 0), 1);
        EXPECT_EQ(b.ctx.cornerBreak, k.breakAfter) << k.style << " " << k.state;
        EXPECT_EQ(b.ctx.cornerPeriod, k.periodAfter) << k.style << " " << k.state;
        EXPECT_EQ(b.ctx.cornerPhaseValid, k.valid) << k.style << " " << k.state;
    }
}

} // namespace

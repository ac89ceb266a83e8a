#include "tests/support/canvas.h"
#include "engine/view/linestyle/line_style.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool in(int s, std::initializer_list<std::pair<int, int>> ranges)
{
    for (auto [lo, hi] : ranges)
        if (s >= lo && s <= hi)
            return true;
    return false;
}

// The family, mark class, parallel count and validity of every style number,
// from the catalogue's range lists.
TEST(LineStyleCatalogue, LookupsForEveryStyleNumber)
{
    for (int s = -2; s <= 65536; ++s) {
        const int u = s;
        uint8_t family = 1;
        if (in(u, {{25, 28}, {30, 33}, {35, 55}, {58, 61}}))
            family = 2;
        else if (u == 29 || u == 34)
            family = 4;
        else if (u == 56 || u == 57)
            family = 8;
        else if (u == 62 || u == 64 || in(u, {{66, 73}}))
            family = 16;
        else if (u == 63 || u == 65)
            family = 32;
        ASSERT_EQ(LineStyleFamilyFlags(s), family) << s;
        const uint8_t mark = in(u, {{37, 39}}) || u == 58 || u == 60 ? 4
                             : in(u, {{53, 57}}) || u == 59          ? 2
                                                                     : 0;
        ASSERT_EQ(LineStyleMarkClass(s), mark) << s;
        uint16_t parallel = 0;
        switch (u) {
        case 64:
        case 65:
            parallel = 3;
            break;
        case 66:
        case 68:
        case 69:
        case 70:
            parallel = 2;
            break;
        case 67:
        case 71:
            parallel = 4;
            break;
        case 72:
            parallel = 10;
            break;
        case 73:
            parallel = 12;
            break;
        default:
            break;
        }
        ASSERT_EQ(LineStyleParallelCount(s), parallel) << s;
        ASSERT_EQ(LineStyleIsValid(s), s >= 0 && s <= 73 ? 1 : 0) << s;
        ASSERT_EQ(LineStyleIsMultiLine(s), s >= 62 && s <= 73 ? 1 : 0) << s;
        ASSERT_EQ(LineStyleHasAsymmetricSides(s), in(u, {{28, 29}, {33, 34}, {47, 52}})) << s;
        ASSERT_EQ(LineStyleHasSideMarks(s), in(u, {{25, 36}, {39, 39}, {45, 52}})) << s;
    }
}

TEST(LineStyleCatalogue, SampleWidths)
{
    struct Case {
        int style, kind, width;
    };
    const Case cases[] = {{0, 0, 1},  {4, 0, 1}, {5, 0, 3},  {6, 0, 1},  {24, 0, 1}, {25, 0, 3}, {74, 0, 3},
                          {0, 1, 4},  {5, 1, 6}, {61, 1, 6}, {62, 1, 5}, {63, 1, 7}, {65, 1, 7}, {73, 1, 5},
                          {74, 1, 6}, {0, 2, 4}, {5, 2, 4},  {62, 2, 5}, {63, 2, 7}, {74, 2, 4}, {10, 7, 4}};
    for (const Case &c : cases)
        EXPECT_EQ(LineStyleSampleWidth(c.style, c.kind), c.width) << c.style << "/" << c.kind;
    EXPECT_DOUBLE_EQ(LineStylePatternFactor3(3), 7.4);
    EXPECT_DOUBLE_EQ(LineStylePatternFactor5(30), 3.6);
    EXPECT_DOUBLE_EQ(LineStylePatternFactor1(35), -1);
    EXPECT_DOUBLE_EQ(LineStylePatternFactor4(1), 1.0) << "no factor listed";
    EXPECT_DOUBLE_EQ(LineStylePatternFactor1(999), 1.0);
}

// Width and pattern rules at the breakpoints the catalogue gives.
TEST(LineStyleCatalogue, WidthAndPatternRules)
{
    struct Case {
        int style, width;
        int drawnStyle, effWidth, inner;
        double lh, rh, ilh, irh;
        std::vector<int> breaks;
        int period;
        uint16_t patternWord;
    };
    const Case cases[] = {
        {1, 1, 1, 1, 1, 0.5, 0.5, 0, 0, {8}, 13, 0},
        {1, 4, 1, 4, 1, 2, 2, 0, 0, {32}, 52, 0},
        {3, 4, 3, 4, 1, 2, 2, 0, 0, {8, 14, 43}, 50, 0},
        {4, 1, 4, 1, 1, 0.5, 0.5, 0, 0, {4, 7, 9, 12, 14}, 17, 0},
        {25, 8, 25, 8, 3, 4, 4, 1, 2, {19, 22}, 26, 0},
        {25, 7, 25, 7, 2, 3.5, 3.5, 1, 1, {16, 18}, 21, 0},
        {25, 9, 25, 9, 3, 4, 5, 1, 2, {21, 24}, 28, 0},
        {25, 1, 25, 1, 1, 0.5, 0.5, 0.1, 1, {2, 4}, 5, 0},
        {37, 8, 37, 9, 3, 4, 4, 1.5, 1.5, {28}, 52, 13},
        {37, 9, 37, 9, 3, 4.5, 4.5, 1.5, 1.5, {31}, 57, 13},
        {43, 4, 43, 4, 2, 2, 2, 1, 1, {1, 8, 16, 22, 30, 36, 44, 50, 58}, 65, 0},
        {35, 6, 35, 6, 2, 3, 3, 1, 1, {-1, 1, 15, 17, 16}, 24, 0},
        {46, 2, 46, 2, 1, 1, 1, 0.1, 1, {-1, 1, 4}, 8, 0},
        {58, 8, 58, 8, 3, 4, 4, 1.5, 1.5, {3}, 0, 4},
        {63, 4, 0, 4, 1, 2, 2, 0, 0, {}, 0, 0x20},
        {63, 5, 63, 5, 3, 2.5, 2.5, 1, 2, {}, 0, 0x2020},
        {62, 2, 0, 2, 1, 1, 1, 0, 0, {}, 0, 0x10},
        {62, 3, 62, 3, 2, 1.5, 1.5, 1, 1, {}, 0, 0x2010},
        {67, 8, 67, 8, 5, 4, 4, 2, 3, {5}, 6, 0x3010},
        {67, 4, 67, 4, 3, 2, 2, 1, 2, {8}, 9, 0x3010},
        // outside 0-73: style 0 at width 1, whatever the width
        {74, 9, 0, 1, 1, 0.5, 0.5, 0, 0, {}, 0, 0},
        {65535, 30, 0, 1, 1, 0.5, 0.5, 0, 0, {}, 0, 0},
        {-1, 5, 0, 1, 1, 0.5, 0.5, 0, 0, {}, 0, 0},
    };
    Canvas c(1, 1);
    for (const Case &k : cases) {
        LineStyleContext ctx;
        LineStyleContextInit(&ctx, k.style, c.dc, 0, k.width, 0);
        SCOPED_TRACE(testing::Message() << "style " << k.style << " width " << k.width);
        EXPECT_EQ(ctx.style, k.drawnStyle);
        EXPECT_EQ(ctx.width, k.effWidth);
        EXPECT_EQ(ctx.innerWidth, k.inner);
        EXPECT_DOUBLE_EQ(ctx.leftHalf, k.lh);
        EXPECT_DOUBLE_EQ(ctx.rightHalf, k.rh);
        EXPECT_DOUBLE_EQ(ctx.innerLeftHalf, k.ilh);
        EXPECT_DOUBLE_EQ(ctx.innerRightHalf, k.irh);
        for (size_t i = 0; i < 9; ++i)
            EXPECT_EQ(ctx.breaks[i], i < k.breaks.size() ? k.breaks[i] : 0) << "b" << i;
        EXPECT_EQ(ctx.period, k.period);
        EXPECT_EQ(ctx.patternWord, k.patternWord);
        LineStyleContextRelease(&ctx);
    }
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 37, c.dc, 0, 8, 0);
    EXPECT_EQ(ctx.markStart, 36);
    EXPECT_EQ(ctx.markInnerStart, 39);
    EXPECT_EQ(ctx.markInnerEnd, 41);
    EXPECT_EQ(ctx.markEnd, 44);
    LineStyleContextRelease(&ctx);
    LineStyleContextInit(&ctx, 43, c.dc, 0, 4, 0);
    EXPECT_EQ(ctx.ellipseRadius, 1);
    EXPECT_EQ(ctx.ellipseRest, 2);
    EXPECT_EQ(ctx.ellipseSize, 4);
    LineStyleContextRelease(&ctx);
}

TEST(LineStyleCatalogue, ShapeFlagsAndBindings)
{
    Canvas c(1, 1);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 28, c.dc, 0, 6, kLineRoundedCorners | kLineSquareEnds);
    EXPECT_EQ(ctx.shapeFlags, kShapeAlways | kShapeSquareEnds | kShapeRoundCorners);
    EXPECT_EQ(ctx.lineProc, &LineProcLVOne);
    EXPECT_EQ(ctx.leftSideProc, &LineSpanHalfPlus);
    EXPECT_EQ(ctx.rightSideProc, &LineSpanHalfMinus);
    EXPECT_EQ(ctx.sideToggle, 1);
    LineStyleContextRelease(&ctx);
    LineStyleContextInit(&ctx, 66, c.dc, 0, 6, 0);
    EXPECT_EQ(ctx.shapeFlags, kShapeMultiLine | kShapeAlways | kShapeRoundEnds);
    EXPECT_EQ(ctx.lineProc, &LineProcTripleCentral);
    LineStyleContextRelease(&ctx);
    LineStyleContextInit(&ctx, 48, c.dc, 0, 6, 0);
    EXPECT_EQ(ctx.shapeFlags, kShapeAlways | kShapeRoundEnds | kShapePolygonCorners);
    EXPECT_EQ(ctx.leftSideProc, &LineSpanHalfMinus);
    EXPECT_DOUBLE_EQ(ctx.leftHalfSquared, 9.0);
    EXPECT_DOUBLE_EQ(ctx.innerLeftHalfSquared, 1.0);
    LineStyleContextRelease(&ctx);
}

TEST(LineStyleCatalogue, ContextHoldsItsPenAndBrushUntilRelease)
{
    Canvas c(1, 1);
    const HGDIOBJ pen = GetStockObject(BLACK_PEN), brush = GetStockObject(WHITE_BRUSH);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 3, c.dc, RGB(1, 2, 3), 5, 0);
    ASSERT_NE(ctx.pen, 0u);
    EXPECT_EQ(ctx.oldPen, pen);
    EXPECT_EQ(ctx.oldBrush, brush);
    const HPEN own = ctx.pen;
    LineStyleContextRelease(&ctx);
    EXPECT_EQ(GetObjectType(own), 0u) << "deleted";
    EXPECT_EQ(SelectObject(c.dc, pen), pen) << "the old pen is back";
    // Width 0 (and a negative width) makes nothing and draws nothing.
    for (int w : {0, -1, -65536}) {
        LineStyleContextInit(&ctx, 3, c.dc, 0, w, 0);
        EXPECT_EQ(ctx.pen, 0u);
        EXPECT_EQ(ctx.brush, 0u);
        EXPECT_EQ(ctx.requestedWidth, 0);
        LineStyleContextRelease(&ctx);
    }
}

} // namespace

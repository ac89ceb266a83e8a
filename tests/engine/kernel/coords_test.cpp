#include "engine/kernel/coords.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

bool same(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

::testing::AssertionResult rectIs(const MAP_COORDRECT &got, const MAP_COORDRECT &want)
{
    if (same(got, want))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << got.x1 << ", " << got.y1 << ", " << got.x2 << ", " << got.y2 << ") != (" << want.x1
           << ", " << want.y1 << ", " << want.x2 << ", " << want.y2 << ")";
}

// The address of a temporary, valid for the full expression of the call.
const MAP_COORDRECT *ptr(const MAP_COORDRECT &r) { return &r; }

} // namespace

TEST(Coords, EmptyRectangleIsNotTheBoundRectangleValue)
{
    MAP_COORDRECT r{1, 2, 3, 4};
    WorldRectInit(&r);
    EXPECT_TRUE(rectIs(r, {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}));
    EXPECT_EQ(WorldRectIsEmpty(&r), 1);
    EXPECT_EQ(WorldRectIsValid(&r), 0);

    // The object bound rectangle's empty value differs in x2 and y2.
    const MAP_COORDRECT bound{INT32_MAX, INT32_MAX, -INT32_MAX, -INT32_MAX};
    EXPECT_EQ(WorldRectIsEmpty(&bound), 0);
    const MAP_COORDRECT almost{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN + 1};
    EXPECT_EQ(WorldRectIsEmpty(&almost), 0);

    RECT w{1, 2, 3, 4};
    RectInit(&w);
    EXPECT_EQ(w.left, INT32_MAX);
    EXPECT_EQ(w.bottom, INT32_MIN);
    EXPECT_EQ(RectIsValid(&w), 0);
}

TEST(Coords, ValidityAllowsZeroExtent)
{
    struct Case {
        MAP_COORDRECT r;
        int valid;
    } cases[] = {
        {{0, 0, 10, 10}, 1}, {{5, 5, 5, 5}, 1},  {{0, 0, 0, 10}, 1},
        {{1, 0, 0, 10}, 0},  {{0, 1, 10, 0}, 0}, {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(WorldRectIsValid(&c.r), c.valid) << c.r.x1 << "," << c.r.y1;
        const RECT w{c.r.x1, c.r.y1, c.r.x2, c.r.y2};
        EXPECT_EQ(RectIsValid(&w), c.valid);
    }
}

TEST(Coords, SetStoresUnsortedAndCopiesWindowRect)
{
    MAP_COORDRECT r{};
    map_rect_Set(&r, 10, 20, 0, 5);
    EXPECT_TRUE(rectIs(r, {10, 20, 0, 5}));
    const RECT w{-1, -2, 3, 4};
    RectToWorldRect(&w, &r);
    EXPECT_TRUE(rectIs(r, {-1, -2, 3, 4}));
}

TEST(Coords, PointExtendsRectangleEdgeByEdge)
{
    MAP_COORDRECT r;
    WorldRectInit(&r);
    const MAP_COORDPT p{5, 7};
    EXPECT_EQ(PtToWorldRect(&r, &p), 1);
    EXPECT_TRUE(rectIs(r, {5, 7, 5, 7}));
    EXPECT_EQ(PtToWorldRect(&r, &p), 0);

    struct Case {
        MAP_COORDPT p;
        int moved;
        MAP_COORDRECT after;
    } cases[] = {
        {{3, 7}, 1, {3, 7, 5, 7}}, {{4, 9}, 1, {3, 7, 5, 9}}, {{9, 0}, 1, {3, 0, 9, 9}},
        {{5, 5}, 0, {3, 0, 9, 9}}, {{3, 9}, 0, {3, 0, 9, 9}}, // on the edges: nothing moves
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PtToBoundRect(&r, &c.p), c.moved);
        EXPECT_TRUE(rectIs(r, c.after));
    }

    // The window form: top is the smaller y.
    RECT w{0, 0, 0, 0};
    const POINT q{-3, 8};
    EXPECT_EQ(PtToRect(&w, &q), 1);
    EXPECT_EQ(w.left, -3);
    EXPECT_EQ(w.bottom, 8);
}

TEST(Coords, LineToWorldRect)
{
    const MAP_COORDPT pts[] = {{0, 0}, {10, -5}, {4, 20}};
    MAP_COORDRECT r;
    WorldRectInit(&r);
    EXPECT_EQ(LineToWorldRect(&r, pts, 0), 0);
    EXPECT_EQ(LineToWorldRect(&r, pts, -3), 0);
    EXPECT_EQ(WorldRectIsEmpty(&r), 1);
    EXPECT_EQ(LineToWorldRect(&r, pts, 3), 1);
    EXPECT_TRUE(rectIs(r, {0, -5, 10, 20}));
    EXPECT_EQ(LineToWorldRect(&r, pts, 3), 0);
}

TEST(Coords, SizeHasNoPlusOne)
{
    const MAP_COORDRECT r{-10, 5, 30, 8};
    const MAP_COORDPT s = WorldRectSize(&r);
    EXPECT_EQ(s.x, 40);
    EXPECT_EQ(s.y, 3);
    const RECT w{2, 3, 12, 23};
    const SIZE ws = RectSize(&w);
    EXPECT_EQ(ws.cx, 10);
    EXPECT_EQ(ws.cy, 20);
    // The widest valid rectangle: its width wraps, as a 32-bit width does.
    const MAP_COORDRECT wide{INT32_MIN, 0, INT32_MAX, 0};
    EXPECT_EQ(WorldRectSize(&wide).x, -1);
}

TEST(Coords, InflateMoveMulSaturateAtTheLimits)
{
    MAP_COORDRECT r{0, 0, 10, 10};
    WorldRectInflate(&r, 2, -1);
    EXPECT_TRUE(rectIs(r, {-2, 1, 12, 9}));
    WorldRectMove(&r, 5, -5);
    EXPECT_TRUE(rectIs(r, {3, -4, 17, 4}));
    WorldRectMul(&r, 0.5);
    EXPECT_TRUE(rectIs(r, {1, -2, 8, 2}));

    MAP_COORDRECT edge{INT32_MIN + 1, -5, INT32_MAX - 1, 5};
    WorldRectInflate(&edge, 10, 0);
    EXPECT_TRUE(rectIs(edge, {INT32_MIN, -5, INT32_MAX, 5}));
    WorldRectMove(&edge, INT32_MAX, 0);
    EXPECT_EQ(edge.x2, INT32_MAX);
    EXPECT_EQ(edge.x1, -1);
    MAP_COORDRECT big{-2000000000, 0, 2000000000, 1};
    WorldRectMul(&big, 3.0);
    EXPECT_TRUE(rectIs(big, {INT32_MIN, 0, INT32_MAX, 3}));
}

TEST(Coords, EnlargeTable)
{
    struct Case {
        MAP_COORDRECT in;
        double f;
        MAP_COORDRECT world;  // WorldRectEnlarge
        MAP_COORDRECT window; // RectEnlarge
    } cases[] = {
        {{0, 0, 100, 50}, -0.5, {25, 12, 75, 37}, {25, 12, 75, 37}},
        {{0, 0, 100, 50}, 1.0, {-50, -25, 150, 75}, {-50, -25, 150, 75}},
        {{0, 0, 100, 50}, 0.0, {0, 0, 100, 50}, {0, 0, 100, 50}},
        // Clamped: the world form keeps one unit off each limit.
        {{-2000000000, -10, 2000000000, 10},
         1.0,
         {-2147483647, -20, 2147483646, 20},
         {INT32_MIN, -20, INT32_MAX, 20}},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
         0.0,
         {-2147483647, -2147483647, 2147483646, 2147483646},
         {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}},
    };
    for (const auto &c : cases) {
        MAP_COORDRECT w = c.in;
        WorldRectEnlarge(&w, c.f);
        EXPECT_TRUE(rectIs(w, c.world)) << "f=" << c.f;
        RECT r{c.in.x1, c.in.y1, c.in.x2, c.in.y2};
        RectEnlarge(&r, c.f);
        EXPECT_TRUE(rectIs({r.left, r.top, r.right, r.bottom}, c.window)) << "f=" << c.f;
    }
    // A huge shrink turns the rectangle inside out but stays in range.
    MAP_COORDRECT w{INT32_MIN, 0, INT32_MAX, 0};
    WorldRectEnlarge(&w, -3.0);
    EXPECT_EQ(w.x1, 2147483646);
    EXPECT_EQ(w.x2, -2147483647);
}

TEST(Coords, BestFit)
{
    const MAP_COORDRECT a{0, 0, 400, 300};
    MAP_COORDRECT out{1, 1, 1, 1};
    EXPECT_EQ(WorldRectBestFit(&a, ptr(MAP_COORDRECT{0, 0, 100, 100}), &out), 1);
    EXPECT_TRUE(rectIs(out, {-16, 0, 116, 100}));
    EXPECT_EQ(WorldRectBestFit(&a, ptr(MAP_COORDRECT{0, 0, 400, 150}), &out), 1);
    EXPECT_TRUE(rectIs(out, {0, -75, 400, 225}));

    out = {1, 2, 3, 4};
    for (const MAP_COORDRECT bad :
         {MAP_COORDRECT{0, 0, 0, 100}, MAP_COORDRECT{0, 0, 100, 0}, MAP_COORDRECT{5, 0, 0, 100}}) {
        EXPECT_EQ(WorldRectBestFit(&a, &bad, &out), 0);
        EXPECT_EQ(WorldRectBestFit(&bad, &a, &out), 0);
    }
    EXPECT_TRUE(rectIs(out, {1, 2, 3, 4}));

    // Near the limits the grown target saturates instead of wrapping.
    const MAP_COORDRECT tall{0, 0, 1, 1000};
    const MAP_COORDRECT wide{-2000000000, 0, 2000000000, 10};
    EXPECT_EQ(WorldRectBestFit(&tall, &wide, &out), 1);
    EXPECT_EQ(out.y1, INT32_MIN);
    EXPECT_EQ(out.y2, INT32_MAX);
}

TEST(Coords, MakePositiveAndNegative)
{
    MAP_COORDRECT r{10, 20, 0, 5};
    EXPECT_EQ(WorldRectMakeNegative(&r), 1);
    EXPECT_TRUE(rectIs(r, {0, 5, 10, 20}));
    EXPECT_EQ(RectMakeNegative(&r), 0);
    EXPECT_EQ(WorldRectMakePositive(&r), 1);
    EXPECT_TRUE(rectIs(r, {0, 20, 10, 5}));
    EXPECT_EQ(WorldRectMakePositive(&r), 0);

    RECT w{5, 9, 1, 2};
    EXPECT_EQ(RectMakeNegative(&w), 1);
    EXPECT_EQ(w.left, 1);
    EXPECT_EQ(w.top, 2);
    EXPECT_EQ(w.right, 5);
    EXPECT_EQ(w.bottom, 9);
}

TEST(Coords, IntersectFollowsTheWindowRule)
{
    struct Case {
        MAP_COORDRECT a, b;
        int result;
        MAP_COORDRECT out;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, 1, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, 0, {0, 0, 0, 0}}, // shared edge only
        {{0, 0, 10, 10}, {2, 2, 2, 8}, 0, {0, 0, 0, 0}},    // zero width holds no area
        {{0, 0, 10, 10}, {20, 20, 30, 30}, 0, {0, 0, 0, 0}},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {-1, -1, 1, 1}, 1, {-1, -1, 1, 1}},
    };
    for (const auto &c : cases) {
        MAP_COORDRECT out{7, 7, 7, 7};
        EXPECT_EQ(RectIntersect(&out, &c.a, &c.b) != 0, c.result != 0);
        EXPECT_TRUE(rectIs(out, c.out));
    }
}

TEST(Coords, NullArgumentsAreHarmless)
{
    WorldRectInit(nullptr);
    RectInit(static_cast<RECT *>(nullptr));
    EXPECT_EQ(WorldRectIsEmpty(nullptr), 0);
    EXPECT_EQ(WorldRectIsValid(nullptr), 0);
    WorldRectSet(nullptr, 1, 2, 3, 4);
    RectToWorldRect(nullptr, nullptr);
    MAP_COORDRECT r{0, 0, 1, 1};
    EXPECT_EQ(PtToWorldRect(&r, nullptr), 0);
    EXPECT_EQ(PtToWorldRect(nullptr, nullptr), 0);
    EXPECT_EQ(LineToWorldRect(&r, nullptr, 5), 0);
    EXPECT_EQ(WorldRectSize(nullptr).x, 0);
    WorldRectInflate(nullptr, 1, 1);
    WorldRectMove(nullptr, 1, 1);
    WorldRectMul(nullptr, 2.0);
    WorldRectEnlarge(nullptr, 1.0);
    RectEnlarge(static_cast<RECT *>(nullptr), 1.0);
    EXPECT_EQ(WorldRectBestFit(&r, &r, nullptr), 0);
    EXPECT_EQ(WorldRectMakePositive(nullptr), 0);
    EXPECT_EQ(WorldRectMakeNegative(nullptr), 0);
    EXPECT_EQ(RectIntersect(nullptr, &r, &r), 0);
    MAP_COORDRECT out{1, 1, 1, 1};
    EXPECT_EQ(RectIntersect(&out, &r, nullptr), 0);
    EXPECT_TRUE(rectIs(out, {0, 0, 0, 0}));
    EXPECT_TRUE(rectIs(r, {0, 0, 1, 1}));
}

#include "graph_fixture.h"

#include <cstdarg>

using namespace graphtest;

TEST(GraphRect, EmptyValuesAndUnion)
{
    _COORDRECT r{1, 2, 3, 4};
    InitBoundRect(&r);
    EXPECT_EQ(r, (_COORDRECT{INT32_MAX, INT32_MAX, -INT32_MAX, -INT32_MAX}));
    EXPECT_EQ(WorldRectIsEmpty(&r), 0) << "distinct from the world rectangle's empty value";
    _COORDPT p{0, 0};
    InitEmptyPoint(&p);
    EXPECT_EQ(p.x, INT32_MAX);

    const _COORDRECT ten{0, 0, 10, 10};
    EXPECT_EQ(SumBoundRect(&r, &ten), 1);
    EXPECT_EQ(r, ten);
    EXPECT_EQ(SumBoundRect(&r, &ten), 0);
    const _COORDRECT empty = kEmptyBoundRect;
    EXPECT_EQ(SumBoundRect(&r, &empty), 0);
    const _COORDRECT far{-5, 3, 4, 20};
    EXPECT_EQ(SumBoundRect(&r, &far), 1);
    EXPECT_EQ(r, (_COORDRECT{-5, 0, 10, 20}));
    EXPECT_EQ(SumBoundRect(nullptr, &far), 0);
}

TEST(GraphRect, IntersectEncloseContain)
{
    const _COORDRECT a{0, 0, 10, 10};
    struct Case {
        _COORDRECT b;
        int intersects, encloses;
    } cases[] = {
        {{10, 10, 20, 20}, 1, 0}, // touching corner
        {{11, 0, 20, 10}, 0, 0},  {{2, 2, 8, 8}, 1, 1},  {{0, 0, 10, 10}, 1, 1},
        {{-1, 2, 8, 8}, 1, 0},    {{2, 2, 8, 11}, 1, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(GraphRectsIntersect(&a, &c.b), c.intersects) << c.b;
        EXPECT_EQ(GraphRectsIntersect(&c.b, &a), c.intersects) << c.b;
        EXPECT_EQ(GraphRectEnclosesGaphRect(&a, &c.b), c.encloses) << c.b;
    }
    const _COORDRECT flipped{10, 10, 0, 0};
    EXPECT_EQ(GraphRectContainsPoint(&flipped, 0, 10), 1);
    EXPECT_EQ(GraphRectContainsPoint(&a, 5, 11), 0);
    EXPECT_EQ(GraphRectContainsPoint(nullptr, 0, 0), 0);
}

TEST(GraphRect, SubtractGivesTheUncoveredStrips)
{
    _COORDRECT out[4];
    const _COORDRECT a{0, 0, 10, 10};
    const _COORDRECT hole{3, 3, 6, 6};
    ASSERT_EQ(GraphRectSubtract(&a, &hole, out), 4);
    EXPECT_EQ(out[0], (_COORDRECT{0, 0, 2, 10}));
    EXPECT_EQ(out[1], (_COORDRECT{7, 0, 10, 10}));
    EXPECT_EQ(out[2], (_COORDRECT{3, 0, 6, 2}));
    EXPECT_EQ(out[3], (_COORDRECT{3, 7, 6, 10}));

    const _COORDRECT cover{-1, -1, 11, 11};
    EXPECT_EQ(GraphRectSubtract(&a, &cover, out), 0);
    const _COORDRECT apart{20, 20, 30, 30};
    ASSERT_EQ(GraphRectSubtract(&a, &apart, out), 1);
    EXPECT_EQ(out[0], a);
    const _COORDRECT right{5, -5, 15, 15};
    ASSERT_EQ(GraphRectSubtract(&a, &right, out), 1);
    EXPECT_EQ(out[0], (_COORDRECT{0, 0, 4, 10}));
    EXPECT_EQ(GraphRectSubtract(&a, nullptr, out), -1);
    // At the limits the strips stay inside the 32-bit range.
    const _COORDRECT huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    ASSERT_EQ(GraphRectSubtract(&huge, &a, out), 4);
    EXPECT_EQ(out[0], (_COORDRECT{INT32_MIN, INT32_MIN, -1, INT32_MAX}));
}

TEST(GraphRect, Interpolate)
{
    const _COORDPT p0{0, 0}, p1{10, 10}, far0{-2000000000, 0}, far1{2000000000, 7};
    _COORDPT out{};
    struct Case {
        _COORDPT a, b;
        GraphFraction f;
        _COORDPT want;
    } cases[] = {
        {p0, p1, {1, 3}, {3, 3}},     {p0, p1, {1, 0}, {10, 10}},
        {p1, p0, {1, 3}, {6, 6}},     {p0, {-10, -10}, {1, 3}, {-3, -3}},
        {far0, far1, {1, 2}, {0, 3}}, {far0, far1, {3, 1}, {INT32_MAX, 21}},
    };
    for (const Case &c : cases) {
        InterpolateCoordPt(&c.a, &c.f, &out, &c.b);
        EXPECT_EQ(out.x, c.want.x);
        EXPECT_EQ(out.y, c.want.y);
    }
}

TEST_F(GraphTest, InvalidationAsksForARepaint)
{
    RECT pending;
    SetClientSize(window, 200, 100);
    ValidateRect(window, nullptr);
    const _COORDRECT inverted{10, 0, 0, 10};
    InvalidateGraphRect(window, &inverted, 1);
    EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE));
    const _COORDRECT r{0, 0, 10, 10};
    InvalidateGraphRect(window, &r, 1);
    EXPECT_TRUE(GetUpdateRect(window, &pending, FALSE));
    ValidateRect(window, nullptr);
    InvalidateGraphRect(window, nullptr, 0);
    ASSERT_TRUE(GetUpdateRect(window, &pending, FALSE));
    EXPECT_EQ(pending.right, 200);
    EXPECT_EQ(pending.bottom, 100);
    InvalidateGraphRect(0, &r, 0); // no window: nothing to do
}

TEST_F(GraphTest, ErrorBoxShowsTheFormattedString)
{
    EXPECT_EQ(GraphErrorMessage(window, 760), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Identifier exists");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[0].type & 0xF0, MB_ICONSTOP);
    EXPECT_EQ(GraphErrorMessage(window, 107), 0);
    EXPECT_EQ(boxes.size(), 1u) << "no string, no box";

    const GraphStringSource old = SetGraphStringSource([](int id, std::string &t) {
        if (id != 5)
            return false;
        t = "Line\t%d of\r\n%s" + std::string(200, '.');
        return true;
    });
    GraphErrorMessage(window, 5, 42, "map");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text.rfind("Line42 ofmap...", 0), 0u);
    EXPECT_LE(boxes[1].text.size(), 131u);
    SetGraphStringSource(old);
}

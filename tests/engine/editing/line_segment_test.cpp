#include "engine/editing/line_segment.h"
#include "tests/engine/editing/editing_fixture.h"

#include "engine/view/viewrecord/presentation_manager.h"
#include "platform/window_dc.h"

#include <QImage>
#include <gtest/gtest.h>

#include <limits>

namespace {
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
} // namespace

TEST(Linesegment, MedianTruncatesTowardsZeroAndAddsIn64Bits)
{
    struct Case {
        Linesegment s;
        MAP_COORDPT mid;
    } cases[] = {
        {{0, 0, 3, 5}, {1, 2}},
        {{-3, -5, 0, 0}, {-1, -2}},
        {{kMax, kMax, kMax, kMax}, {kMax, kMax}},
        {{kMax, kMin, kMax - 2, kMin}, {kMax - 1, kMin}},
        {{kMin, kMax, kMax, kMin}, {0, 0}},
    };
    for (const Case &c : cases) {
        MAP_COORDPT m{7, 7};
        EXPECT_EQ(LinesegmentMedian(&c.s, &m), 1);
        EXPECT_EQ(m, c.mid) << c.s;
    }
    MAP_COORDPT m{};
    EXPECT_EQ(LinesegmentMedian(nullptr, &m), 0);
}

TEST(Linesegment, PointsCopyAndNullArguments)
{
    Linesegment s{};
    const MAP_COORDPT a{1, 2}, b{3, 4}, c{5, 6};
    EXPECT_EQ(LinesegmentPointsSet(&s, &a, &b), 1);
    EXPECT_EQ(LinesegmentEndPointSet(&s, &c), 1);
    Linesegment t{};
    EXPECT_EQ(LinesegmentCopy(&s, &t), 1);
    EXPECT_EQ(t, (Linesegment{1, 2, 5, 6}));
    MAP_COORDPT p{}, q{};
    EXPECT_EQ(LinesegmentPointsGet(&t, &p, &q), 1);
    EXPECT_EQ(p, a);
    EXPECT_EQ(q, c);
    EXPECT_EQ(LinesegmentPointsGet(nullptr, &p, &q), 0);
    EXPECT_EQ(LinesegmentPointsSet(&s, nullptr, &b), 0);
    EXPECT_EQ(LinesegmentEndPointSet(nullptr, &c), 0);
    EXPECT_EQ(LinesegmentCopy(&s, nullptr), 0);
    EXPECT_EQ(t, (Linesegment{1, 2, 5, 6})) << "failed calls change nothing";
}

TEST(Linesegment, IntersectionPointWithHalfAUnitOfSlackAtTheEnds)
{
    struct Case {
        Linesegment a, b;
        int meets;
        MAP_COORDPT at;
    } cases[] = {
        {{0, 0, 10, 10}, {0, 10, 10, 0}, 1, {5, 5}},
        {{0, 0, 10, 0}, {10, 0, 10, 10}, 1, {10, 0}}, // end contact
        {{0, 0, 10, 0}, {0, 5, 10, 5}, 0, {}},        // parallel
        {{0, 0, 10, 0}, {11, -5, 11, 5}, 0, {}},      // a full unit beyond the end
        {{0, 0, 10, 0}, {10, -5, 10, 5}, 1, {10, 0}},
        {{0, 0, 0, 10}, {-5, 3, 5, 3}, 1, {0, 3}},
        {{0, 0, 10, 0}, {20, -5, 20, 5}, 0, {}}, // rejected by the rectangles
        {{10, 10, 0, 0}, {0, 10, 10, 0}, 1, {5, 5}},
    };
    for (const Case &c : cases) {
        MAP_COORDPT p{99, 99};
        EXPECT_EQ(LinesegmentIntersection(&c.a, &c.b, &p), c.meets) << c.a << " " << c.b;
        if (c.meets) {
            EXPECT_EQ(p, c.at) << c.a << " " << c.b;
        }
    }
}

TEST(Linesegment, CrossingTestCountsTouchingAndOverlapButNotSeparateCollinearPieces)
{
    struct Case {
        MAP_COORDPT p1, p2, p3, p4;
        int crosses;
    } cases[] = {
        {{0, 0}, {10, 0}, {5, 0}, {5, 5}, 1},     // touching
        {{0, 0}, {10, 0}, {5, 5}, {5, -5}, 1},    // crossing
        {{0, 0}, {10, 0}, {0, 1}, {10, 1}, 0},    // parallel
        {{0, 0}, {10, 0}, {5, 0}, {20, 0}, 1},    // collinear, overlapping
        {{0, 0}, {10, 0}, {10, 0}, {20, 0}, 1},   // collinear, sharing an end
        {{0, 0}, {10, 0}, {20, 0}, {30, 0}, 0},   // collinear, apart
        {{0, 0}, {10, 0}, {5, 0}, {5, 0}, 1},     // a point on the segment
        {{0, 0}, {10, 0}, {15, 0}, {15, 0}, 0},   // a point beyond its end
        {{3, 3}, {3, 3}, {3, 3}, {3, 3}, 0},      // two points
        {{3, 3}, {3, 3}, {0, 0}, {6, 6}, 1},      // a point on the other segment
        {{0, 0}, {10, 10}, {11, 11}, {12, 0}, 0}, // apart
        {{kMin, kMin}, {kMax, kMax}, {kMin, kMax}, {kMax, kMin}, 1},
        {{kMin, kMin}, {kMax, kMax - 1}, {kMin, kMin + 1}, {kMax, kMax}, 0},
        {{kMin, kMax}, {kMax, kMax}, {kMin, kMin}, {kMax, kMin}, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(LineSegmentsIntersect(&c.p1, &c.p2, &c.p3, &c.p4), c.crosses)
            << c.p1 << c.p2 << " " << c.p3 << c.p4;
        EXPECT_EQ(LineSegmentsIntersect(&c.p3, &c.p4, &c.p1, &c.p2),
                  c.crosses && !(c.p1 == c.p2 && c.p3 == c.p4))
            << "swapped " << c.p1 << c.p2 << " " << c.p3 << c.p4;
    }
    const MAP_COORDPT o{0, 0};
    EXPECT_EQ(LineSegmentsIntersect(nullptr, &o, &o, &o), 0);
}

using LinesegmentDisplayTest = EditingTest;

TEST_F(LinesegmentDisplayTest, InvertedDrawingTwiceRestoresTheScreen)
{
    showWorld({0, 0, 4000, 3000});
    const Linesegment s{100, 100, 3900, 2900};
    ASSERT_EQ(LinesegmentDisplay(window, 0, &s, 0, 0), 1) << "nothing to draw yet";
    const QImage before = GetWindowSurface(window);
    ASSERT_FALSE(before.isNull());
    const uint16_t flags = SEGMENT_LINE | SEGMENT_INVERT | SEGMENT_MIDPOINT_SQUARE | SEGMENT_FIRST_CIRCLE;
    ASSERT_EQ(LinesegmentDisplay(window, 0, &s, flags, 0), 1);
    EXPECT_NE(GetWindowSurface(window), before) << "the line is drawn";
    ASSERT_EQ(LinesegmentDisplay(window, 0, &s, flags, 0), 1);
    EXPECT_EQ(GetWindowSurface(window), before) << "and drawn away again";
    ASSERT_EQ(LinesegmentDisplay(window, 0, &s, SEGMENT_LINE | SEGMENT_DOTTED, 3), 1);
    ASSERT_EQ(LinesegmentDisplay(window, 0, &s, SEGMENT_LINE | SEGMENT_DOTTED, 3), 1);
    EXPECT_EQ(GetWindowSurface(window), before);
    EXPECT_EQ(LinesegmentDisplay(window, 0, nullptr, flags, 0), 0);
    EXPECT_EQ(LinesegmentDisplay(0, 0, &s, flags, 0), 0);
}

#include "engine/polygon/buffer/buffer_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Dist(BufferPoint a, BufferPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

TEST(BufferGeometry, OffsetsLieRightAndLeftOfTheDirectionOfTravel)
{
    const SegmentOffsets o = OffsetsOf({0, 0}, {10, 0}, 2);
    EXPECT_EQ(o.a, (BufferPoint{0, -2}));
    EXPECT_EQ(o.b, (BufferPoint{0, 2}));
    EXPECT_EQ(o.c, (BufferPoint{10, 2}));
    EXPECT_EQ(o.d, (BufferPoint{10, -2}));
}

TEST(BufferGeometry, TurnsAreToldApart)
{
    struct Case {
        BufferPoint r, v, t;
        BufferTurn turn;
    } cases[] = {
        {{0, 0}, {5, 5}, {9, 9}, BufferTurn::Straight}, {{0, 0}, {5, 5}, {1, 1}, BufferTurn::Back},
        {{0, 0}, {0, 5}, {0, 9}, BufferTurn::Straight}, {{0, 0}, {0, 5}, {0, -3}, BufferTurn::Back},
        {{0, 0}, {5, 0}, {5, 5}, BufferTurn::Corner},   {{0, 0}, {5, 0}, {10, 1}, BufferTurn::Corner},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TurnAt(c.r, c.v, c.t), c.turn) << c.t.x << "," << c.t.y;
}

TEST(BufferGeometry, ParallelLinesHaveNoIntersection)
{
    BufferPoint at{};
    EXPECT_FALSE(LinesIntersection({0, 0}, {10, 0}, {0, 1}, {10, 1}, &at));
    EXPECT_FALSE(LinesIntersection({0, 0}, {0, 10}, {3, 0}, {3, 5}, &at));
    ASSERT_TRUE(LinesIntersection({0, 0}, {10, 10}, {0, 10}, {10, 0}, &at));
    EXPECT_EQ(at, (BufferPoint{5, 5}));
}

TEST(BufferGeometry, MitreIsCutAtItsLimit)
{
    // A right angle: the mitre point at s x 1.414 lies within 2 s.
    BufferPath out;
    AppendMitre(out, {0, 0}, {10, 10}, {10, 0}, {0, 10}, 10, 2);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], (BufferPoint{10, 10}));
    // Beyond the limit: the two offsets with the point at the limit between.
    out.clear();
    AppendMitre(out, {0, 0}, {1000, 0}, {5, 10}, {5, -10}, 10, 15);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1], (BufferPoint{150, 0}));
    // The product of size and factor is taken in 64 bits.
    out.clear();
    AppendMitre(out, {0, 0}, {4e12, 0}, {5, 10}, {5, -10}, 10000000, 300000);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_DOUBLE_EQ(out[1].x, 3e12);
}

TEST(BufferGeometry, HalfDiscArcHasItsMiddleAndUpToKPointsOnEachSide)
{
    BufferPath arc;
    size_t middle = 0;
    // From the left offset to the right one around (0,0), away from (-10,0).
    AppendArcPoints(arc, {0, 100}, {0, 0}, {0, -100}, {-10, 0}, 100, 9, &middle);
    ASSERT_EQ(arc.size(), 19u);
    EXPECT_EQ(middle, 9u);
    EXPECT_NEAR(arc[middle].x, 100, 1e-9);
    EXPECT_NEAR(arc[middle].y, 0, 1e-9);
    for (const BufferPoint &p : arc) {
        EXPECT_NEAR(Dist(p, {0, 0}), 100, 1e-9);
        EXPECT_GT(p.x, 0);
    }
    // The points run from the start to the end.
    for (size_t i = 1; i < arc.size(); ++i)
        EXPECT_LT(arc[i].y, arc[i - 1].y);
}

TEST(BufferGeometry, ArcsGetNoMorePointsThanWholeUnitsOfChord)
{
    BufferPath arc;
    AppendArcPoints(arc, {0, 2}, {0, 0}, {0, -2}, {-1, 0}, 2, 50);
    // Chords of about 2.8 units: 2 dividing points on each half.
    EXPECT_EQ(arc.size(), 5u);
}

TEST(BufferGeometry, EndsReachSBeyondTheEndPoint)
{
    const BufferPath square = SquareEnd({10, 0}, {0, 0}, 3);
    EXPECT_EQ(square, (BufferPath{{10, -3}, {13, -3}, {13, 3}, {10, 3}}));
    const BufferPath round = RoundedEnd({10, 0}, {0, 0}, 3, 4);
    ASSERT_GE(round.size(), 4u);
    EXPECT_EQ(round.front(), (BufferPoint{10, 3}));
    EXPECT_EQ(round.back(), (BufferPoint{10, 0}));
    for (const BufferPoint &p : round)
        EXPECT_GE(p.x, 10 - 1e-9);
}

} // namespace

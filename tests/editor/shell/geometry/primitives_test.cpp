#include "editor/shell/geometry/geometry_numbers.h"
#include "editor/shell/geometry/points.h"
#include "editor/shell/geometry/poly.h"
#include "tests/editor/shell/geometry/geos_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

std::vector<TPoint> PointsOf(const TPoly &poly) { return poly.Points.Items(); }

TEST(GeometryNumbersTest, RoundingGoesHalfToEvenAndRefusesWhatLeaves32Bits)
{
    EXPECT_EQ(geometry::RoundCoord(2.5), 2);
    EXPECT_EQ(geometry::RoundCoord(3.5), 4);
    EXPECT_EQ(geometry::RoundCoord(-2.5), -2);
    EXPECT_EQ(geometry::RoundCoord(-2.6), -3);
    EXPECT_EQ(geometry::RoundCoord(2147483647.4), kMax);
    EXPECT_THROW(geometry::RoundCoord(2147483647.6), EGeometryOverflow);
    EXPECT_THROW(geometry::RoundCoord(-2147483648.6), EGeometryOverflow);
    EXPECT_THROW(geometry::RoundCoord(NAN), EGeometryOverflow);
    EXPECT_THROW(geometry::RoundCoord(INFINITY), EGeometryOverflow);
    EXPECT_THROW(geometry::CheckedCoord(int64_t(kMax) + 1), EGeometryOverflow);
}

TEST(PointTest, BearingsDistancesAndAngles)
{
    const TPoint o(1000, 1000);
    struct Case {
        TPoint to;
        int bearing;
    };
    for (const Case &c : {Case{{1000, 5000}, 0}, Case{{5000, 1000}, 90}, Case{{1000, -5000}, 180},
                          Case{{-5000, 1000}, 270}, Case{{2000, 2000}, 45}, Case{{0, 2000}, 315}})
        EXPECT_EQ(o.BearingTo(c.to), c.bearing) << c.to.x << "," << c.to.y;
    EXPECT_EQ(o.DistanceToXY(1003, 1004), 5);
    EXPECT_EQ(o.DistanceTo(nullptr), 0);
    EXPECT_DOUBLE_EQ(o.AngleTo({1000, 900}), -M_PI / 2);
    EXPECT_DOUBLE_EQ(o.AngleTo({1000, 1000}), -M_PI / 2);
    // Corner to corner of the whole coordinate range does not overflow.
    EXPECT_EQ(TPoint(kMin, kMin).DistanceToXY(kMax, kMin), int64_t(kMax) - kMin);
}

TEST(PointTest, MovesAndRotationsRaiseTheOverflowErrorAndKeepThePoint)
{
    TPoint p(kMax - 5, 10);
    EXPECT_THROW(p.MoveBy(6, 1), EGeometryOverflow);
    EXPECT_EQ(p, TPoint(kMax - 5, 10));
    p.MoveBy(5, -20);
    EXPECT_EQ(p, TPoint(kMax, -10));
    TPoint q(2000000000, 2000000000);
    EXPECT_THROW(q.RotateAbout({0, 0}, M_PI / 4), EGeometryOverflow);
    EXPECT_EQ(q, TPoint(2000000000, 2000000000));
    EXPECT_THROW(q.RotateAbout({0, 0}, NAN), std::invalid_argument);
    TPoint r(100, 0);
    r.RotateAbout({0, 0}, M_PI / 2);
    EXPECT_EQ(r, TPoint(0, 100));
}

TEST(PointsTest, CursorNearestAndReverse)
{
    TPoints points;
    EXPECT_EQ(points.First(), nullptr);
    EXPECT_EQ(points.Last(), nullptr);
    EXPECT_EQ(points.Nearest({0, 0}), nullptr);
    for (int i = 0; i < 4; i++)
        points.AddXY(i * 10, 0);
    points.AddXY(10, 0); // a duplicate: the first one wins the tie
    std::vector<int32_t> seen;
    for (TPoint *p = points.First(); p; p = points.Next())
        seen.push_back(p->x);
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 10, 20, 30, 10}));
    EXPECT_EQ(points.Nearest({11, 3}), &points.Get(1));
    EXPECT_EQ(points.Nearest({15, 0}), &points.Get(1)); // tie of 10 and 20: first
    points.Reverse();
    EXPECT_EQ(points.Get(0).x, 10);
    EXPECT_EQ(points.Get(4).x, 0);
    EXPECT_THROW(points.Get(5), std::out_of_range);
    EXPECT_THROW(points.Get(-1), std::out_of_range);
}

TEST(BoundsTest, CentreTruncatesEachHalfAndFromPoly)
{
    struct Case {
        TPoint min, max, centre;
    };
    for (const Case &c :
         {Case{{-3, -3}, {3, 3}, {0, 0}}, Case{{1, 1}, {4, 4}, {2, 2}},
          Case{{kMin, kMin}, {kMax, kMax}, {-1, -1}}, Case{{kMax - 1, 0}, {kMax, 0}, {kMax - 1, 0}}})
        EXPECT_EQ(TBounds(c.min, c.max).Centre(), c.centre);
    const TBounds b = TBounds::FromPoly(MakeRing({{5, -2}, {-7, 9}, {3, 4}}));
    EXPECT_EQ(b.Min, TPoint(-7, -2));
    EXPECT_EQ(b.Max, TPoint(5, 9));
}

TEST(PolyTest, RectangleAreaLengthAndFlags)
{
    TPoly square = GeometryFactory().Rectangle(0, 0, 1000, 1000);
    EXPECT_TRUE(square.Changed);
    EXPECT_DOUBLE_EQ(square.Area(), 100);
    EXPECT_FALSE(square.Changed);
    EXPECT_EQ(square.Length(), 4000);
    EXPECT_EQ(square.AddXY(0, 500), 5);
    EXPECT_TRUE(square.Changed);
    TPoly open = GeometryFactory().Line(0, 0, 300, 400);
    EXPECT_EQ(open.Length(), 500);
    EXPECT_EQ(open.Area(), 0);
    // National-grid positions in centimetres: area sums stay exact.
    TPoly far = GeometryFactory().Rectangle(2000000000, 2000000000, 2000100000, 2000100000);
    EXPECT_DOUBLE_EQ(far.Area(), 1000000);
    TPoly whole = GeometryFactory().Rectangle(kMin, kMin, kMax, kMax);
    EXPECT_DOUBLE_EQ(whole.Area(), std::pow(double(kMax) - kMin, 2) / 10000);
}

TEST(PolyTest, AppendDropsTheJoiningPointAndSetClockwiseLeavesPolylines)
{
    TPoly a = GeometryFactory().Line(0, 0, 10, 0);
    a.Append(GeometryFactory().Line(10, 0, 10, 10));
    EXPECT_EQ(PointsOf(a), (std::vector<TPoint>{{0, 0}, {10, 0}, {10, 10}}));
    a.Append(GeometryFactory().Line(0, 0, 5, 5));
    EXPECT_EQ(a.Count(), 5);

    TPoly open = GeometryFactory().Line(0, 0, 10, 0);
    open.AddXY(10, -10);
    const std::vector<TPoint> before = PointsOf(open);
    open.SetClockwise(!open.IsClockwise());
    EXPECT_EQ(PointsOf(open), before);

    TPoly ring = GeometryFactory().Rectangle(0, 0, 10, 10); // anticlockwise
    EXPECT_FALSE(ring.IsClockwise());
    ring.SetClockwise(true);
    EXPECT_TRUE(ring.IsClockwise());
    EXPECT_EQ(ring.Get(0), TPoint(0, 10));
}

TEST(PolyTest, TransformThresholds)
{
    const TPoly square = GeometryFactory().Rectangle(100, 100, 200, 300);
    struct Case {
        int32_t dx, dy;
        double sx, sy, angle;
        bool changes;
    };
    for (const Case &c :
         {Case{0, 0, 1, 1, 0.03, false}, Case{0, 0, 1.005, 0.995, 0, false}, Case{0, 0, 1, 1, -0.035, false},
          Case{0, 0, 1, 1, 0.036, true}, Case{0, 0, 1.02, 1, 0, true}, Case{0, 1, 1, 1, 0, true}}) {
        TPoly p = square.Clone();
        p.Transform(0, 0, c.dx, c.dy, c.sx, c.sy, c.angle);
        EXPECT_EQ(PointsOf(p) != PointsOf(square), c.changes) << c.sx << " " << c.angle;
    }
    TPoly p = square.Clone();
    p.Transform(100, 100, 5, -5, 2, 0.5, 0);
    EXPECT_EQ(PointsOf(p), (std::vector<TPoint>{{105, 95}, {305, 95}, {305, 195}, {105, 195}}));
    // Rotation first, then scale, then the move.
    TPoly q = GeometryFactory().Line(0, 0, 100, 0);
    q.Transform(0, 0, 10, 0, 2, 1, M_PI / 2);
    EXPECT_EQ(PointsOf(q), (std::vector<TPoint>{{10, 0}, {10, 100}}));
}

TEST(PolyTest, RefusedTransformsLeaveThePoly)
{
    const TPoly square = GeometryFactory().Rectangle(0, 0, 1000, 1000);
    for (double bad : {double(NAN), double(INFINITY), -double(INFINITY)}) {
        TPoly p = square.Clone();
        EXPECT_THROW(p.Transform(0, 0, 0, 0, bad, 1, 0), std::invalid_argument);
        EXPECT_THROW(p.Transform(0, 0, 0, 0, 1, bad, 0), std::invalid_argument);
        EXPECT_THROW(p.Transform(0, 0, 0, 0, 1, 1, bad), std::invalid_argument);
        EXPECT_THROW(p.RotateAbout({0, 0}, bad), std::invalid_argument);
        EXPECT_EQ(PointsOf(p), PointsOf(square));
    }
    TPoly big = GeometryFactory().Rectangle(0, 0, 2000000000, 1000);
    const TPoly original = big.Clone();
    EXPECT_THROW(big.Transform(0, 0, 0, 0, 1.5, 1, 0), EGeometryOverflow);
    EXPECT_THROW(big.MoveBy(200000000, 0), EGeometryOverflow);
    EXPECT_NO_THROW(big.MoveBy(0, 0));
    EXPECT_EQ(PointsOf(big), PointsOf(original));
}

TEST(PolyTest, UniqueXs)
{
    EXPECT_TRUE(MakePolyline({{0, 0}, {1, 5}, {1, 6}, {2, 0}}).UniqueXs());
    EXPECT_FALSE(MakePolyline({{0, 0}, {1, 5}, {2, 6}, {1, 0}}).UniqueXs());
    EXPECT_TRUE(MakePolyline({}).UniqueXs());
}

TEST(TextTest, TransformScalesTheFontAndAddsTheAngle)
{
    TText text;
    EXPECT_EQ(text.Alignment, 17);
    EXPECT_EQ(text.Angle, 0);
    text.x = 100;
    text.y = 100;
    text.Font.Size = 10;
    text.Transform(0, 0, 1, 2, 1.004, 1.004, 0.03);
    // Always scaled, no threshold; the angle below its threshold is not added.
    EXPECT_EQ(TPoint(text), TPoint(101, 102));
    EXPECT_EQ(text.Font.Size, 10);
    EXPECT_EQ(text.Angle, 0);
    text.Transform(0, 0, 0, 0, 0.01, 1, M_PI / 2);
    EXPECT_EQ(text.Font.Size, 1);
    EXPECT_EQ(TPoint(text), TPoint(-102, 1));
    EXPECT_DOUBLE_EQ(text.Angle, M_PI / 2);
    const TText before = text;
    EXPECT_THROW(text.Transform(0, 0, 0, 0, NAN, 1, 0), std::invalid_argument);
    EXPECT_THROW(text.Transform(0, 0, 0, 0, 1e10, 1, 0), EGeometryOverflow);
    EXPECT_EQ(TPoint(text), TPoint(before));
    EXPECT_EQ(text.Font.Size, before.Font.Size);
    EXPECT_EQ(text.Angle, before.Angle);
}

TEST(FactoryTest, CircleAndArcStepCounts)
{
    EXPECT_EQ(GeometryFactory().Circle(0, 0, 100, 0).Count(), 0);
    EXPECT_EQ(GeometryFactory().Circle(0, 0, 100, -3).Count(), 0);
    const TPoly circle = GeometryFactory().Circle(50, 50, 100, 4);
    EXPECT_TRUE(circle.Closed);
    EXPECT_EQ(PointsOf(circle), (std::vector<TPoint>{{150, 50}, {50, 150}, {-50, 50}, {50, -50}}));
    EXPECT_EQ(GeometryFactory().Circle(0, 0, 1000, 36).Count(), 36);
    EXPECT_THROW(GeometryFactory().Circle(kMax - 10, 0, 100, 8), EGeometryOverflow);

    struct Case {
        int n;
        double angle;
        int count;
    };
    for (const Case &c : {Case{36, M_PI, 19}, Case{36, -M_PI / 2, 0}, Case{8, 0.1, 1}, Case{4, M_PI / 2, 2},
                          Case{0, M_PI, 1}}) {
        const TPoly arc = GeometryFactory().Arc({0, 0}, {1000, 0}, c.n, c.angle);
        EXPECT_FALSE(arc.Closed);
        EXPECT_EQ(arc.Count(), c.count) << c.n << " " << c.angle;
        if (arc.Count() > 0) {
            EXPECT_EQ(arc.Get(0), TPoint(1000, 0));
        }
    }
    EXPECT_EQ(GeometryFactory().Arc({0, 0}, {1000, 0}, 4, M_PI / 2).Get(1), TPoint(0, 1000));
    // The steps accumulate from rounded points, so the end drifts a little.
    const TPoint end = GeometryFactory().Arc({0, 0}, {1000, 0}, 36, M_PI).Get(18);
    EXPECT_LE(end.DistanceToXY(-1000, 0), 3);
    EXPECT_THROW(GeometryFactory().Arc({0, 0}, {1000, 0}, 4, NAN), std::invalid_argument);
}

} // namespace

#include "editor/shell/geometry/clip_box.h"
#include "editor/shell/geometry/geometry_numbers.h"
#include "tests/editor/shell/geometry/geos_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace {

TEST(ClipBoxTest, OutsideAndIntersect)
{
    TClipBox fresh;
    EXPECT_EQ(fresh.Min, TPoint(0, 0));
    EXPECT_EQ(fresh.Max, TPoint(1, 1));
    const TClipBox box({0, 0}, {100, 50});
    EXPECT_TRUE(box.Outside({-1, 10}, 0));
    EXPECT_FALSE(box.Outside({0, 10}, 0));
    EXPECT_TRUE(box.Outside({10, -1}, 1));
    EXPECT_TRUE(box.Outside({101, 10}, 2));
    EXPECT_FALSE(box.Outside({100, 50}, 3));
    EXPECT_TRUE(box.Outside({10, 51}, 3));
    EXPECT_EQ(box.Intersect({-10, 0}, {10, 10}, 0), TPoint(0, 5));
    EXPECT_EQ(box.Intersect({90, 0}, {110, 5}, 2), TPoint(100, 2)); // 2.5 rounds to even
    EXPECT_EQ(box.Intersect({0, -10}, {10, 10}, 1), TPoint(5, 0));
    EXPECT_EQ(box.Intersect({0, 40}, {20, 60}, 3), TPoint(10, 50));
}

TEST(ClipBoxTest, SquaresHalfOverlappingAndOutside)
{
    const TClipBox box({0, 0}, {1000, 1000});
    TPolys half = box.Clip(GeometryFactory().Rectangle(500, -500, 1500, 500));
    ASSERT_EQ(half.Count(), 1);
    EXPECT_DOUBLE_EQ(half.Get(0)->Area(), 25);
    const TBounds b = TBounds::FromPoly(*half.Get(0));
    EXPECT_EQ(b.Min, TPoint(500, 0));
    EXPECT_EQ(b.Max, TPoint(1000, 500));
    TPolys outside = box.Clip(GeometryFactory().Rectangle(2000, 2000, 3000, 3000));
    ASSERT_EQ(outside.Count(), 1);
    EXPECT_EQ(outside.Get(0)->Count(), 0);
    EXPECT_EQ(box.Clip(TPoly(true)).Get(0)->Count(), 0);
    EXPECT_EQ(box.Clip(TPoly(false)).Count(), 0);
    EXPECT_EQ(box.Clip(MakePolyline({{5, 5}})).Count(), 0);
    EXPECT_EQ(box.Clip(MakePolyline({{5, 5}, {5, 5}, {5, 5}})).Count(), 0);
}

TEST(ClipBoxTest, PolylinesGiveTheirInsideRuns)
{
    const TClipBox box({0, 0}, {1000, 1000});
    // Leaves through the right side and comes back: two runs, no segment
    // along the side that is not in the source.
    TPolys runs = box.Clip(MakePolyline({{100, 100}, {1500, 100}, {1500, 900}, {100, 900}}));
    ASSERT_EQ(runs.Count(), 2);
    EXPECT_EQ(runs.Get(0)->Points.Items(), (std::vector<TPoint>{{100, 100}, {1000, 100}}));
    EXPECT_EQ(runs.Get(1)->Points.Items(), (std::vector<TPoint>{{1000, 900}, {100, 900}}));
    // Crossing the box from outside to outside.
    TPolys through = box.Clip(MakePolyline({{-500, 500}, {1500, 500}}));
    ASSERT_EQ(through.Count(), 1);
    EXPECT_EQ(through.Get(0)->Points.Items(), (std::vector<TPoint>{{0, 500}, {1000, 500}}));
    // Wholly inside stays whole; wholly outside gives nothing.
    const TPoly inside = MakePolyline({{1, 1}, {500, 999}, {999, 1}});
    TPolys whole = box.Clip(inside);
    ASSERT_EQ(whole.Count(), 1);
    EXPECT_EQ(whole.Get(0)->Points.Items(), inside.Points.Items());
    EXPECT_EQ(box.Clip(MakePolyline({{-5, -5}, {-5, 2000}, {2000, 2000}})).Count(), 0);
}

TEST(ClipBoxReferenceTest, RingsAndPolylinesAgainstGeos)
{
    GeosRef geos;
    std::mt19937 random(17);
    const TPoint origins[] = {{0, 0}, {65000000, 120000000}, {2147300000, -2147300000}};
    for (const TPoint &origin : origins)
        for (int vertices : {6, 50, 2000}) {
            const TClipBox box({origin.x - 40000, origin.y - 60000}, {origin.x + 70000, origin.y + 30000});
            TPoly boxRing = GeometryFactory().Rectangle(box.Min.x, box.Min.y, box.Max.x, box.Max.y);
            GeosPtr boxGeometry(geos, geos.Polygon(boxRing, {}, origin));

            TPoly star = RandomStar(random, {0, 0}, vertices, 100000);
            star.MoveBy(origin.x, origin.y);
            GeosPtr ring(geos, geos.Polygon(star, {}, origin));
            GeosPtr clipped(geos, geos.Intersection(ring.get(), boxGeometry.get()));
            const std::vector<double> areas = geos.Parts(clipped.get(), 2);
            const double expected = std::accumulate(areas.begin(), areas.end(), 0.0) / 10000;
            TPolys ours = box.Clip(star);
            ASSERT_EQ(ours.Count(), 1);
            // Each crossing point is rounded by at most half a unit along
            // the side.
            EXPECT_NEAR(ours.Get(0)->Area(), expected,
                        1e-9 * expected + RoundingBound(ours.Items(), {&star, &boxRing}, 0.5));
            for (const TPoint &p : ours.Get(0)->Points.Items()) {
                EXPECT_GE(p.x, box.Min.x);
                EXPECT_LE(p.y, box.Max.y);
            }

            TPoly line(false);
            for (const TPoint &p : star.Points.Items())
                line.AddPoint(p);
            GeosPtr lineGeometry(geos, geos.Line(line, origin));
            GeosPtr pieces(geos, geos.Intersection(lineGeometry.get(), boxGeometry.get()));
            std::vector<double> lengths = geos.Parts(pieces.get(), 1);
            TPolys runs = box.Clip(line);
            // GEOS joins consecutive pieces that meet; ours are the runs.
            ExpectSameLengths(runs, lengths, 1 + 0.5 * line.Count());
        }
}

TEST(ClipBoxTest, CrossingsNearTheLimitsStayIn32Bits)
{
    const int32_t top = std::numeric_limits<int32_t>::max(), bottom = std::numeric_limits<int32_t>::min();
    const TClipBox box({bottom, bottom}, {top, top});
    const TPoly corner = MakeRing({{bottom, bottom}, {top, bottom}, {top, top}});
    TPolys kept = box.Clip(corner);
    EXPECT_EQ(kept.Get(0)->Points.Items(), corner.Points.Items());
    const TClipBox small({-10, -10}, {10, 10});
    TPolys runs = small.Clip(MakePolyline({{bottom, bottom}, {top, top}}));
    ASSERT_EQ(runs.Count(), 1);
    EXPECT_EQ(runs.Get(0)->Points.Items(), (std::vector<TPoint>{{-10, -10}, {10, 10}}));
}

} // namespace

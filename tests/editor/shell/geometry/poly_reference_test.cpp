// Measures, orientation, containment, holes and simplification of polys
// against GEOS, near the origin and at national-grid positions.
#include "editor/shell/geometry/poly.h"
#include "tests/editor/shell/geometry/geos_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

struct Shape {
    std::string name;
    TPoly outer;
    std::vector<TPoly> holes; // each of the opposite orientation
};

std::vector<Shape> Shapes()
{
    std::mt19937 random(7);
    std::vector<Shape> shapes;
    shapes.push_back({"square", GeometryFactory().Rectangle(0, 0, 100000, 100000), {}});
    shapes.push_back({"hexagon", GeometryFactory().Circle(0, 0, 73421, 6), {}});
    TPoly clockwise = GeometryFactory().Circle(0, 0, 50003, 17);
    clockwise.Reverse();
    shapes.push_back({"clockwise", clockwise, {}});
    shapes.push_back(
        {"L",
         MakeRing({{0, 0}, {90000, 0}, {90000, 30000}, {30000, 30000}, {30000, 80000}, {0, 80000}}),
         {}});
    shapes.push_back({"star", RandomStar(random, {0, 0}, 40, 80000), {}});
    TPoly hole = GeometryFactory().Rectangle(20000, 30000, 60000, 70000);
    hole.Reverse();
    TPoly hole2 = GeometryFactory().Circle(75000, 20000, 9000, 12);
    hole2.Reverse();
    shapes.push_back({"keyhole", GeometryFactory().Rectangle(0, 0, 100000, 100000), {hole, hole2}});
    return shapes;
}

const TPoint kOrigins[] = {{0, 0}, {65000000, 120000000}, {-2000000000, 1900000000}};

TEST(PolyReferenceTest, AreaLengthOrientationAndContainment)
{
    GeosRef geos;
    for (const Shape &shape : Shapes())
        for (const TPoint &origin : kOrigins) {
            SCOPED_TRACE(shape.name + " at " + std::to_string(origin.x));
            TPoly ring = Shifted(shape.outer, origin);
            std::vector<TPoly> holes;
            for (const TPoly &h : shape.holes) {
                holes.push_back(Shifted(h, origin));
                ring.AddHole(holes.back());
            }
            GeosPtr reference(geos, geos.Polygon(Shifted(shape.outer, origin), holes, origin));
            EXPECT_NEAR(ring.Area(), geos.Area(reference.get()) / 10000, 1e-6 * ring.LastArea);

            GeosPtr shell(geos, geos.Line(Shifted(shape.outer, origin), origin));
            if (shape.holes.empty()) {
                TPoly closedLine = Shifted(shape.outer, origin);
                closedLine.AddPoint(closedLine.Get(0));
                GeosPtr line(geos, geos.Line(closedLine, origin));
                EXPECT_NEAR(double(Shifted(shape.outer, origin).Length()), geos.Length(line.get()),
                            0.5 * closedLine.Count());
                char ccw = 0;
                GEOSCoordSeq_isCCW_r(geos.ctx(), GEOSGeom_getCoordSeq_r(geos.ctx(), line.get()), &ccw);
                EXPECT_EQ(ring.IsClockwise(), ccw == 0);
            }

            std::mt19937 random(11);
            std::uniform_int_distribution<int32_t> coordinate(-10000, 110000);
            int inside = 0;
            for (int k = 0; k < 400; k++) {
                const int64_t x = coordinate(random), y = coordinate(random);
                if (geos.DistanceToBoundary(reference.get(), x, y) < 1)
                    continue;
                const bool expected = geos.Contains(reference.get(), x, y);
                inside += expected;
                EXPECT_EQ(ring.ContainsXY(int32_t(x + origin.x), int32_t(y + origin.y)), expected)
                    << x << "," << y;
            }
            EXPECT_GT(inside, 20);
        }
}

// A list of up to 64 points is sampled at every point.
// The rings of a list as sequences that start at their smallest point, so
// that a ring given back from another start compares equal.
std::vector<std::vector<TPoint>> Normalised(std::vector<TPoly> polys)
{
    std::vector<std::vector<TPoint>> rings;
    for (const TPoly &p : polys) {
        std::vector<TPoint> points = p.Points.Items();
        auto least = std::min_element(points.begin(), points.end(), [](const TPoint &a, const TPoint &b) {
            return a.x != b.x ? a.x < b.x : a.y < b.y;
        });
        std::rotate(points.begin(), least, points.end());
        rings.push_back(points);
    }
    std::sort(rings.begin(), rings.end(), [](const auto &a, const auto &b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](const TPoint &p, const TPoint &q) { return p.x != q.x ? p.x < q.x : p.y < q.y; });
    });
    return rings;
}

TEST(PolyReferenceTest, AddHoleThenSplitHoleGivesBothRingsBack)
{
    for (const Shape &shape : Shapes())
        for (const TPoint &origin : kOrigins) {
            SCOPED_TRACE(shape.name);
            TPoly ring = Shifted(shape.outer, origin);
            const TPoly outer = ring.Clone();
            std::vector<TPoly> holes;
            for (const TPoly &h : shape.holes) {
                holes.push_back(Shifted(h, origin));
                ring.AddHole(holes.back());
            }
            EXPECT_EQ(
                ring.Count(), outer.Count() + [&] {
                    int n = 0;
                    for (const TPoly &h : holes)
                        n += h.Count() + 2;
                    return n;
                }());
            // A later hole may hang on an earlier one's vertex, so its ring
            // comes out of the earlier hole's.
            TPolys split;
            split.Add(ring);
            split.SplitHoles();
            EXPECT_EQ(split.Get(0)->Points.Items(), outer.Points.Items());
            holes.push_back(outer);
            EXPECT_EQ(Normalised(split.Items()), Normalised(holes));
        }
}

TEST(PolyReferenceTest, MergeHolesAndSplitHolesKeepTheArea)
{
    GeosRef geos;
    for (const TPoint &origin : kOrigins) {
        const TPoly outer = Shifted(GeometryFactory().Rectangle(0, 0, 100000, 100000), origin);
        TPoly hole1 = Shifted(GeometryFactory().Rectangle(10000, 10000, 30000, 30000), origin);
        TPoly hole2 = Shifted(GeometryFactory().Circle(70000, 60000, 15000, 20), origin);
        hole1.Reverse();
        hole2.Reverse();
        const TPoly apart = Shifted(GeometryFactory().Rectangle(200000, 0, 250000, 10000), origin);
        GeosPtr region(geos, geos.Polygon(outer, {hole1, hole2}, origin));
        GeosPtr second(geos, geos.Polygon(apart, {}, origin));
        const double expected = (geos.Area(region.get()) + geos.Area(second.get())) / 10000;

        TPolys polys;
        for (const TPoly *p : std::initializer_list<const TPoly *>{&hole2, &apart, &outer, &hole1})
            polys.Add(p->Clone());
        polys.MergeHoles();
        ASSERT_EQ(polys.Count(), 2);
        double merged = 0;
        for (TPoly &p : polys.Items())
            merged += p.Area();
        EXPECT_NEAR(merged, expected, 1e-6 * expected);

        polys.SplitHoles();
        ASSERT_EQ(polys.Count(), 4);
        EXPECT_EQ(Normalised(polys.Items()), Normalised({outer, hole1, hole2, apart}));
        for (int i = 1; i < polys.Count(); i++)
            EXPECT_GE(polys.Get(i - 1)->Area(), polys.Get(i)->Area());
        EXPECT_EQ(polys.Get(4), nullptr);
        EXPECT_EQ(polys.Get(-1), nullptr);
    }
}

// An x-monotone wandering line, so that every point's foot on the line of
// its range lies within the range and the infinite-line distance is the
// segment distance that GEOS uses.
TPoly Wander(std::mt19937 &random, int n, TPoint origin)
{
    std::uniform_int_distribution<int32_t> step(2000, 3000), wobble(-400, 400);
    TPoly line(false);
    int32_t x = 0, y = 0;
    for (int i = 0; i < n; i++) {
        line.AddXY(origin.x + x, origin.y + y);
        x += step(random);
        y += wobble(random);
    }
    return line;
}

TEST(PolyReferenceTest, SimplifyAgreesWithGeosOnShortLists)
{
    GeosRef geos;
    std::mt19937 random(3);
    for (const TPoint &origin : kOrigins)
        for (int n : {3, 5, 17, 40, 64})
            for (double tolerance : {50.5, 300.5, 1000.5}) {
                SCOPED_TRACE(std::to_string(n) + " points, tolerance " + std::to_string(tolerance));
                TPoly line = Wander(random, n, origin);
                GeosPtr source(geos, geos.Line(line, origin));
                GeosPtr simple(geos, GEOSSimplify_r(geos.ctx(), source.get(), tolerance));
                line.Simplify(tolerance);
                EXPECT_EQ(line.Points.Items(), geos.Points(simple.get(), origin));
            }
}

TEST(PolyReferenceTest, SimplifyOfLongListsKeepsCoordinates)
{
    std::mt19937 random(5);
    for (int n : {65, 500, 20000}) {
        const TPoly source = Wander(random, n, {65000001, 120000001});
        TPoly line = source.Clone();
        line.Simplify(300.5);
        ASSERT_GE(line.Count(), 2);
        EXPECT_LT(line.Count(), n);
        EXPECT_EQ(line.Get(0), source.Get(0));
        EXPECT_EQ(*line.Points.Last(), source.Get(n - 1));
        // Every kept point is a source point, in order, unmoved.
        size_t at = 0;
        const std::vector<TPoint> &all = source.Points.Items();
        for (const TPoint &p : line.Points.Items()) {
            while (at < all.size() && !(all[at] == p))
                at++;
            ASSERT_LT(at, all.size()) << p.x << "," << p.y;
        }
    }
}

TEST(PolyReferenceTest, SimplifyEdgeCases)
{
    TPoints empty;
    empty.Simplify(1);
    EXPECT_EQ(empty.Count(), 0);
    for (const std::vector<TPoint> &kept :
         {std::vector<TPoint>{{3, 3}}, std::vector<TPoint>{{1, 1}, {9, 1}},
          std::vector<TPoint>{{5, 5}, {5, 5}}, std::vector<TPoint>{{7, 7}, {7, 7}, {7, 7}}}) {
        TPoly p = MakePolyline(kept);
        p.Simplify(1);
        const std::vector<TPoint> expected =
            kept.size() > 2 ? std::vector<TPoint>{kept.front(), kept.back()} : kept;
        EXPECT_EQ(p.Points.Items(), expected);
    }
    TPoly offLine = MakePolyline({{1, 1}, {101, 2}, {201, 0}, {301, 1}, {401, 1}});
    offLine.Simplify(1);
    EXPECT_EQ(offLine.Points.Items(), (std::vector<TPoint>{{1, 1}, {401, 1}}));
    // Odd coordinates of kept points stay as they are.
    TPoly corner = MakePolyline({{1, 1}, {501, 3}, {1001, 1001}});
    corner.Simplify(1);
    EXPECT_EQ(corner.Points.Items(), (std::vector<TPoint>{{1, 1}, {501, 3}, {1001, 1001}}));
    // A closed list whose ends coincide measures from that point.
    TPoly loop = MakeRing({{0, 0}, {1000, 0}, {1000, 1000}, {0, 0}});
    loop.Simplify(10);
    EXPECT_EQ(loop.Count(), 4);
}

TEST(PolyReferenceTest, DegenerateRingsGiveNoAreaAndContainNothing)
{
    for (const std::vector<TPoint> &points :
         {std::vector<TPoint>{}, std::vector<TPoint>{{5, 5}}, std::vector<TPoint>{{0, 0}, {10, 10}},
          std::vector<TPoint>{{0, 0}, {10, 10}, {20, 20}},
          std::vector<TPoint>{{4, 4}, {4, 4}, {4, 4}, {4, 4}},
          std::vector<TPoint>{{0, 0}, {10, 0}, {10, 0}, {0, 0}}}) {
        TPoly ring = MakeRing(points);
        EXPECT_EQ(ring.Area(), 0);
        EXPECT_FALSE(ring.ContainsXY(5, 5));
        EXPECT_FALSE(ring.ContainsXY(5, 0));
        EXPECT_FALSE(ring.IsClockwise());
        EXPECT_FALSE(ring.SplitHole().has_value());
        TPoly copy = ring.Clone();
        copy.AddHole(GeometryFactory().Rectangle(1, 1, 2, 2));
        copy.Simplify(0);
        TPolys list;
        list.Add(ring.Clone());
        list.Add(ring.Clone());
        list.MergeHoles();
        list.SplitHoles();
        EXPECT_GE(list.Count(), 1);
    }
}

} // namespace

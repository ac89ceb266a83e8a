#include "editor/shell/geometry/geometry_numbers.h"
#include "editor/shell/geometry/stencil.h"
#include "tests/editor/shell/geometry/geos_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

const TPoint kOrigins[] = {{0, 0}, {65000000, 120000000}, {-2147000000, 2146000000}};

double TotalArea(TPolys &polys)
{
    double area = 0;
    for (TPoly &p : polys.Items())
        area += p.Area();
    return area;
}

TEST(StencilTest, SquareCutByItsLeftHalf)
{
    for (const TPoint &origin : kOrigins) {
        TPoly square = Shifted(GeometryFactory().Rectangle(0, 0, 1000, 1000), origin);
        TPoly stencil = Shifted(GeometryFactory().Rectangle(-500, -500, 500, 1500), origin);
        TStencil cutter;
        TCutResult result = cutter.Cut(square, stencil);
        ASSERT_EQ(result.Outcome, TCutResult::Pieces) << result.Reason;
        ASSERT_EQ(result.Polys.Count(), 1);
        TPoly &half = *result.Polys.Get(0);
        EXPECT_TRUE(half.Closed);
        EXPECT_DOUBLE_EQ(half.Area(), 50);
        const TBounds b = TBounds::FromPoly(half);
        EXPECT_EQ(b.Min, origin);
        EXPECT_EQ(b.Max, TPoint(origin.x + 500, origin.y + 1000));
    }
}

TEST(StencilTest, LongRingsAreTracedWhole)
{
    // Half of a circle of 5000 edges: one ring of about 2500 edges.
    TPoly circle = GeometryFactory().Circle(0, 0, 1000000, 5000);
    TPoly half = GeometryFactory().Rectangle(-2000000, -2000000, 0, 2000000);
    TStencil cutter;
    TCutResult result = cutter.Cut(circle, half);
    ASSERT_EQ(result.Outcome, TCutResult::Pieces) << result.Reason;
    ASSERT_EQ(result.Polys.Count(), 1);
    EXPECT_GT(result.Polys.Get(0)->Count(), 2500);
    EXPECT_NEAR(result.Polys.Get(0)->Area(), circle.Area() / 2, 1);
}

TEST(StencilTest, OpenLineThroughTheSquareKeepsItsInsidePart)
{
    TPoly square = GeometryFactory().Rectangle(0, 0, 1000, 1000);
    TPoly line = MakePolyline({{-300, 200}, {500, 400}, {1300, 600}});
    TStencil cutter;
    TCutResult result = cutter.Cut(square, line);
    ASSERT_EQ(result.Outcome, TCutResult::Pieces) << result.Reason;
    ASSERT_EQ(result.Polys.Count(), 1);
    EXPECT_FALSE(result.Polys.Get(0)->Closed);
    EXPECT_EQ(result.Polys.Get(0)->Points.Items(), (std::vector<TPoint>{{0, 275}, {500, 400}, {1000, 525}}));
}

TEST(StencilTest, TouchesAndMissesRecordNoCrossing)
{
    struct Case {
        std::string name;
        TPoly stencil;
    };
    const std::vector<Case> cases = {
        {"vertex touch", MakeRing({{1000, 1000}, {2000, 1000}, {1500, 2000}})},
        {"outside", GeometryFactory().Rectangle(2000, 2000, 3000, 3000)},
        {"inside", GeometryFactory().Rectangle(200, 200, 300, 300)},
        {"around", GeometryFactory().Rectangle(-200, -200, 3000, 3000)},
        {"line touching a vertex", MakePolyline({{1000, 1000}, {2000, 0}})},
        {"line outside", MakePolyline({{2000, 0}, {2000, 3000}})},
    };
    for (const Case &c : cases) {
        TPoly square = GeometryFactory().Rectangle(0, 0, 1000, 1000);
        TPoly stencil = c.stencil;
        TStencil cutter;
        const TCutResult result = cutter.Cut(square, stencil);
        EXPECT_EQ(result.Outcome, TCutResult::NoCrossing) << c.name << ": " << result.Reason;
        EXPECT_TRUE(cutter.StencilPoints().empty()) << c.name;
        EXPECT_EQ(square.Points.Items(), GeometryFactory().Rectangle(0, 0, 1000, 1000).Points.Items());
    }
}

TEST(StencilTest, CutMakesBothRingsAnticlockwise)
{
    TPoly square = GeometryFactory().Rectangle(0, 0, 1000, 1000);
    square.Reverse();
    TPoly stencil = GeometryFactory().Rectangle(5000, 0, 6000, 1000);
    stencil.Reverse();
    TStencil cutter;
    EXPECT_EQ(cutter.Cut(square, stencil).Outcome, TCutResult::NoCrossing);
    EXPECT_FALSE(square.IsClockwise());
    EXPECT_FALSE(stencil.IsClockwise());
}

struct StarCase {
    int polygonVertices, stencilVertices;
    TPoint stencilCentre;
};

TEST(StencilReferenceTest, ClosedStencilsAgainstGeosIntersection)
{
    GeosRef geos;
    std::mt19937 random(21);
    const StarCase cases[] = {{12, 7, {30000, 0}},
                              {40, 40, {50000, 20000}},
                              {60, 9, {0, 0}},
                              {5000, 30, {90000, 0}},
                              {200, 300, {-40000, 30000}}};
    for (const TPoint &origin : kOrigins)
        for (const StarCase &c : cases) {
            SCOPED_TRACE(std::to_string(c.polygonVertices) + " by " + std::to_string(c.stencilVertices));
            TPoly polygon = c.polygonVertices > 1000
                                ? Shifted(GeometryFactory().Circle(0, 0, 100000, c.polygonVertices), origin)
                                : Shifted(RandomStar(random, {0, 0}, c.polygonVertices, 100000), origin);
            TPoly stencil = Shifted(RandomStar(random, c.stencilCentre, c.stencilVertices, 90000), origin);
            GeosPtr a(geos, geos.Polygon(polygon, {}, origin));
            GeosPtr b(geos, geos.Polygon(stencil, {}, origin));
            GeosPtr both(geos, geos.Intersection(a.get(), b.get()));
            const std::vector<double> parts = geos.Parts(both.get(), 2);

            TStencil cutter;
            TCutResult result = cutter.Cut(polygon, stencil);
            ASSERT_EQ(result.Outcome, TCutResult::Pieces) << result.Reason;
            EXPECT_EQ(result.Polys.Count(), int(parts.size()));
            const double expected = std::accumulate(parts.begin(), parts.end(), 0.0) / 10000;
            EXPECT_NEAR(TotalArea(result.Polys), expected,
                        1e-9 * expected +
                            RoundingBound(result.Polys.Items(), {&polygon, &stencil}, M_SQRT1_2));
            for (TPoly &ring : result.Polys.Items()) {
                EXPECT_TRUE(ring.Closed);
                EXPECT_GE(ring.Count(), 3);
            }
        }
}

TEST(StencilReferenceTest, OpenStencilsAgainstGeosIntersection)
{
    GeosRef geos;
    std::mt19937 random(5);
    for (const TPoint &origin : kOrigins)
        for (int vertices : {8, 40, 300, 5000}) {
            // The ring of many edges is a circle: a random star of 5000 points
            // has needles so thin that crossings a unit apart round together.
            TPoly polygon = vertices > 1000
                                ? Shifted(GeometryFactory().Circle(0, 0, 100000, vertices), origin)
                                : Shifted(RandomStar(random, {0, 0}, vertices, 100000), origin);
            TPoly line(false);
            std::uniform_int_distribution<int32_t> wobble(-80000, 80000);
            for (int x = -150000; x <= 150000; x += 7919)
                line.AddXY(origin.x + x, origin.y + wobble(random));
            GeosPtr a(geos, geos.Polygon(polygon, {}, origin));
            GeosPtr l(geos, geos.Line(line, origin));
            GeosPtr both(geos, geos.Intersection(a.get(), l.get()));
            std::vector<double> parts = geos.Parts(both.get(), 1);

            TStencil cutter;
            TCutResult result = cutter.Cut(polygon, line);
            ASSERT_EQ(result.Outcome, TCutResult::Pieces) << result.Reason;
            ExpectSameLengths(result.Polys, parts, 2 + 0.5 * line.Count());
        }
}

TEST(StencilTest, BadInputIsReportedApartFromNoCrossing)
{
    struct Case {
        std::string name;
        TPoly polygon, stencil;
    };
    const TPoly square = GeometryFactory().Rectangle(0, 0, 1000, 1000);
    const TPoly crossing = GeometryFactory().Rectangle(500, -500, 1500, 1500);
    const std::vector<Case> cases = {
        {"empty polygon", TPoly(true), crossing},
        {"one point", MakeRing({{5, 5}}), crossing},
        {"two points", MakeRing({{5, 5}, {900, 900}}), crossing},
        {"repeated points", MakeRing({{5, 5}, {5, 5}, {5, 5}, {5, 5}}), crossing},
        {"zero area", MakeRing({{0, 0}, {500, 500}, {1000, 1000}, {500, 500}}), crossing},
        {"empty stencil", square, TPoly(true)},
        {"flat stencil", square, MakeRing({{-10, 10}, {2000, 10}, {-10, 10}})},
        {"one-point line", square, MakePolyline({{500, 500}})},
        {"self-crossing polygon", MakeRing({{0, 0}, {1000, 1000}, {1000, 0}, {0, 1000}}), crossing},
        {"self-crossing stencil", square, MakeRing({{500, -500}, {1500, 1500}, {1500, -500}, {500, 1500}})},
    };
    for (const Case &c : cases) {
        TPoly polygon = c.polygon, stencil = c.stencil;
        TStencil cutter;
        const TCutResult result = cutter.Cut(polygon, stencil);
        EXPECT_EQ(result.Outcome, TCutResult::Failed) << c.name;
        EXPECT_FALSE(result.Reason.empty()) << c.name;
        EXPECT_EQ(result.Polys.Count(), 0) << c.name;
    }
    // Repeated points in a good ring are harmless.
    TPoly doubled = MakeRing({{0, 0}, {1000, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}});
    TPoly stencil = GeometryFactory().Rectangle(-500, -500, 500, 1500);
    TStencil cutter;
    TCutResult result = cutter.Cut(doubled, stencil);
    ASSERT_EQ(result.Outcome, TCutResult::Pieces) << result.Reason;
    EXPECT_DOUBLE_EQ(TotalArea(result.Polys), 50);
}

TEST(StencilTest, CutsNearTheCoordinateLimits)
{
    const int32_t top = std::numeric_limits<int32_t>::max(), bottom = std::numeric_limits<int32_t>::min();
    TPoly polygon = GeometryFactory().Rectangle(top - 1000, bottom, top, bottom + 1000);
    TPoly stencil = MakeRing({{top - 500, bottom}, {top, bottom}, {top, bottom + 1000}});
    TStencil cutter;
    TCutResult result = cutter.Cut(polygon, stencil);
    // The stencil shares corners and an edge: the result is its triangle or
    // nothing cut, never a wrapped coordinate.
    if (result.Outcome == TCutResult::Pieces) {
        for (TPoly &ring : result.Polys.Items())
            for (const TPoint &p : ring.Points.Items()) {
                EXPECT_GE(p.x, top - 1000);
                EXPECT_LE(p.y, bottom + 1000);
            }
    }
    TPoly across = MakeRing({{top - 2000, bottom + 200},
                             {top - 500, bottom + 200},
                             {top - 500, bottom + 800},
                             {top - 2000, bottom + 800}});
    TPoly polygon2 = GeometryFactory().Rectangle(top - 1000, bottom, top, bottom + 1000);
    TStencil cutter2;
    TCutResult result2 = cutter2.Cut(polygon2, across);
    ASSERT_EQ(result2.Outcome, TCutResult::Pieces) << result2.Reason;
    EXPECT_DOUBLE_EQ(TotalArea(result2.Polys), 500.0 * 600 / 10000);
}

} // namespace

namespace {

TEST(StencilReferenceTest, KeyholeRingsAgainstGeosIntersection)
{
    GeosRef geos;
    const TPoly outer = GeometryFactory().Rectangle(0, 0, 100000, 100000);
    TPoly hole = GeometryFactory().Rectangle(30000, 30000, 70000, 60000);
    hole.Reverse();
    struct Case {
        const char *name;
        TPoly stencil;
    };
    const std::vector<Case> cases = {
        {"through the hole", GeometryFactory().Rectangle(50000, -10000, 120000, 110000)},
        {"across the bridge", GeometryFactory().Rectangle(-10000, 10000, 110000, 45000)},
        {"around the hole", GeometryFactory().Rectangle(20000, 20000, 80000, 130000)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TPoly keyhole = outer.Clone();
        keyhole.AddHole(hole);
        TPoly stencil = c.stencil;
        GeosPtr a(geos, geos.Polygon(outer, {hole}));
        GeosPtr b(geos, geos.Polygon(stencil));
        GeosPtr both(geos, geos.Intersection(a.get(), b.get()));
        const std::vector<double> parts = geos.Parts(both.get(), 2);
        const double expected = std::accumulate(parts.begin(), parts.end(), 0.0) / 10000;
        TStencil cutter;
        TCutResult result = cutter.Cut(keyhole, stencil);
        ASSERT_EQ(result.Outcome, TCutResult::Pieces) << result.Reason;
        EXPECT_NEAR(TotalArea(result.Polys), expected, 1e-6);
    }
    // A line across the bridge and the hole: the bridge does not break it.
    for (const TPoly &line : {MakePolyline({{-10000, 10000}, {110000, 10000}}),
                              MakePolyline({{-10000, 20000}, {50000, 20000}, {50000, 110000}})}) {
        TPoly keyhole = outer.Clone();
        keyhole.AddHole(hole);
        TPoly stencil = line;
        GeosPtr a(geos, geos.Polygon(outer, {hole}));
        GeosPtr l(geos, geos.Line(line));
        GeosPtr both(geos, geos.Intersection(a.get(), l.get()));
        std::vector<double> parts = geos.Parts(both.get(), 1);
        TStencil cutter;
        TCutResult result = cutter.Cut(keyhole, stencil);
        ASSERT_EQ(result.Outcome, TCutResult::Pieces) << result.Reason;
        ExpectSameLengths(result.Polys, parts, 1);
    }
}

} // namespace

namespace {

// Seeded random stars of 3 to 120 corners cut by others placed about them:
// every cut is made (none fails) and agrees with GEOS on the pieces and
// their area; a cut that finds no crossing has one shape inside the other
// or apart.
TEST(StencilReferenceTest, RandomStarsAgainstGeos)
{
    GeosRef geos;
    for (unsigned seed = 0; seed < 150; seed++) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> corners(3, 120);
        std::uniform_int_distribution<int32_t> offset(-80000, 80000);
        const TPoint origin = kOrigins[seed % 3];
        TPoly polygon = Shifted(RandomStar(random, {0, 0}, corners(random), 100000), origin);
        TPoly stencil =
            Shifted(RandomStar(random, {offset(random), offset(random)}, corners(random), 90000), origin);
        GeosPtr a(geos, geos.Polygon(polygon, {}, origin));
        GeosPtr b(geos, geos.Polygon(stencil, {}, origin));
        GeosPtr both(geos, geos.Intersection(a.get(), b.get()));
        const std::vector<double> parts = geos.Parts(both.get(), 2);
        const double expected = std::accumulate(parts.begin(), parts.end(), 0.0) / 10000;

        TPoly p = polygon, s = stencil;
        TStencil cutter;
        TCutResult result = cutter.Cut(p, s);
        ASSERT_NE(result.Outcome, TCutResult::Failed) << result.Reason;
        if (result.Outcome == TCutResult::NoCrossing) {
            const double whole = std::min(polygon.Area(), stencil.Area());
            EXPECT_TRUE(expected < 1e-6 || std::fabs(expected - whole) < 1e-6 * whole) << expected;
            continue;
        }
        EXPECT_EQ(result.Polys.Count(), int(parts.size()));
        EXPECT_NEAR(TotalArea(result.Polys), expected,
                    1e-9 * expected + RoundingBound(result.Polys.Items(), {&polygon, &stencil}, M_SQRT1_2));
    }
}

} // namespace

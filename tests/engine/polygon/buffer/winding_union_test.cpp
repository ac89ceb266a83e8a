#include "engine/polygon/buffer/winding_union.h"

#include "tests/engine/polygon/buffer/owned_set.h"
#include "tests/engine/polygon/geos_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

// The Boolean engine's union of a ring with itself: the reference.
PlgOpResult *EngineUnion(const WindingRing &ring)
{
    PlgOpStatus status = PLG_OP_OK;
    PlgOpResult *result = main_polygon_logical(ring.data(), int32_t(ring.size()), ring.data(),
                                               int32_t(ring.size()), PLG_UNION, &status);
    EXPECT_EQ(status, PLG_OP_OK);
    return result;
}

WindingRing Shifted(WindingRing ring, int32_t dx, int32_t dy)
{
    for (PlgList &p : ring) {
        p.x += dx;
        p.y += dy;
    }
    return ring;
}

// Every ring of a result runs clockwise and has at least three points.
void ExpectClockwiseRings(const PlgOpResult *set, const std::string &what)
{
    for (const IntRing &ring : RingsOf(set)) {
        EXPECT_GE(ring.size(), 3u) << what;
        EXPECT_LT(SignedArea2(ring), 0) << what;
    }
}

// Ours against the engine's: the same region, up to the rounding of the
// crossing points (each moves an edge by less than one unit).
void ExpectSameRegion(const WindingRing &ring, const std::string &what, IntPoint origin = {0, 0})
{
    Geos geos;
    Owned ours(WindingUnion({ring}));
    ASSERT_NE(ours.set, nullptr) << what;
    Owned engine(EngineUnion(ring));
    ExpectClockwiseRings(ours.set, what);
    GeosGeometry a(geos, geos.Region(RingsOf(ours.set), origin));
    GeosGeometry b(geos, geos.Region(RingsOf(engine.set), origin));
    const double tolerance = geos.Perimeter(b.g) + 1.0;
    EXPECT_NEAR(ClockwiseArea(RingsOf(ours.set)), geos.Area(b.g), tolerance) << what;
    EXPECT_LE(geos.SymDifferenceArea(a.g, b.g), tolerance) << what;
}

struct RingCase {
    const char *name;
    WindingRing ring;
};

const RingCase kRings[] = {
    {"square counterclockwise", {{0, 0}, {100, 0}, {100, 100}, {0, 100}}},
    {"square clockwise", {{0, 0}, {0, 100}, {100, 100}, {100, 0}}},
    // The outermost turn decides which lobe is inside.
    {"figure eight", {{0, 0}, {100, 100}, {100, 0}, {0, 100}}},
    {"figure eight mirrored", {{0, 100}, {100, 0}, {100, 100}, {0, 0}}},
    {"wound twice", {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 10}, {90, 10}, {90, 90}, {10, 90}, {10, 0}}},
    {"loop outside",
     {{0, 0},
      {100, 0},
      {100, 100},
      {50, 100},
      {50, 50},
      {70, 50},
      {70, 150},
      {50, 150},
      {50, 100},
      {0, 100}}},
    {"loop leaving a hole",
     {{0, 0},
      {300, 0},
      {300, 100},
      {100, 100},
      {100, 300},
      {200, 300},
      {200, 50},
      {250, 50},
      {250, 350},
      {50, 350},
      {50, 100},
      {0, 100}}},
    {"crossings off the grid", {{0, 0}, {97, 31}, {13, 88}, {61, -40}, {70, 95}, {-20, 44}}},
    {"spike along an edge", {{0, 0}, {100, 0}, {100, 100}, {100, 40}, {100, 100}, {0, 100}}},
    {"touching at a corner", {{0, 0}, {50, 50}, {100, 0}, {100, 100}, {50, 50}, {0, 100}}},
    {"edges overlapping", {{0, 0}, {200, 0}, {200, 50}, {100, 50}, {100, 0}, {150, 0}, {150, -50}, {0, -50}}},
};

TEST(WindingUnion, AgreesWithTheBooleanEngineOnFixtures)
{
    for (const RingCase &c : kRings)
        ExpectSameRegion(c.ring, c.name);
}

// A hole comes joined to the ring around it by a bridge, as the engine
// gives it: one ring, read back as a polygon with one hole.
TEST(WindingUnion, HolesAreJoinedToTheRingAroundThem)
{
    Geos geos;
    for (const RingCase &c : kRings) {
        if (std::string(c.name) != "loop leaving a hole" && std::string(c.name) != "wound twice")
            continue;
        Owned ours(WindingUnion({c.ring}));
        ASSERT_NE(ours.set, nullptr);
        ASSERT_EQ(ours.set->numPolygons, 1) << c.name;
        GeosGeometry region(geos, geos.Region(RingsOf(ours.set)));
        ASSERT_EQ(GEOSGeomTypeId_r(geos.ctx(), region.g), GEOS_POLYGON) << c.name;
        const int holes = GEOSGetNumInteriorRings_r(geos.ctx(), region.g);
        Owned engine(EngineUnion(c.ring));
        GeosGeometry reference(geos, geos.Region(RingsOf(engine.set)));
        EXPECT_EQ(holes, GEOSGetNumInteriorRings_r(geos.ctx(), reference.g)) << c.name;
    }
}

// Random walks that cross themselves many times, with fixed seeds.
TEST(WindingUnion, AgreesWithTheBooleanEngineOnRandomRings)
{
    std::mt19937 random(23);
    std::uniform_int_distribution<int32_t> coordinate(-1000, 1000);
    std::uniform_int_distribution<int> length(5, 60);
    for (int k = 0; k < 40; ++k) {
        WindingRing ring(size_t(length(random)));
        for (PlgList &p : ring)
            p = {coordinate(random), coordinate(random)};
        ExpectSameRegion(ring, "random ring " + std::to_string(k));
    }
}

// Near the ends of the 32-bit plane the crossings and areas stay exact.
TEST(WindingUnion, FarCoordinates)
{
    const int32_t far = 2147483647 - 400;
    for (const RingCase &c : kRings) {
        ExpectSameRegion(Shifted(c.ring, far, far), std::string(c.name) + " far up", {far, far});
        ExpectSameRegion(Shifted(c.ring, -far, -far + 100), std::string(c.name) + " far down",
                         {-far, -far + 100});
    }
}

// Rings that enclose nothing give an empty set, never null.
TEST(WindingUnion, RingsWithoutAreaGiveAnEmptySet)
{
    const std::vector<std::vector<WindingRing>> cases = {
        {},
        {{}},
        {{{5, 5}}},
        {{{0, 0}, {10, 0}, {20, 0}}},
        {{{0, 0}, {10, 10}, {0, 0}, {10, 10}}},
        {{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {{0, 0}, {0, 100}, {100, 100}, {100, 0}}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        Owned ours(WindingUnion(cases[i]));
        ASSERT_NE(ours.set, nullptr) << i;
        EXPECT_EQ(ours.set->numPolygons, 0) << i;
    }
}

// Several rings count together: two overlapping squares the same way round
// make their union.
TEST(WindingUnion, RingsAddUp)
{
    Geos geos;
    const WindingRing a{{0, 0}, {100, 0}, {100, 100}, {0, 100}},
        b{{50, 50}, {150, 50}, {150, 150}, {50, 150}};
    Owned ours(WindingUnion({a, b}));
    ASSERT_NE(ours.set, nullptr);
    ASSERT_EQ(ours.set->numPolygons, 1);
    ExpectClockwiseRings(ours.set, "two squares");
    EXPECT_DOUBLE_EQ(ClockwiseArea(RingsOf(ours.set)), 2 * 100.0 * 100.0 - 50.0 * 50.0);
}

WindingRing Square(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool counterclockwise = true)
{
    if (counterclockwise)
        return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
}

// Rings that meet along an edge, at a point, or lie one inside the other,
// and rings that run out and back along themselves: the region, its
// polygons and holes as the winding numbers give them.
TEST(WindingUnion, RingsMeetingOneAnother)
{
    struct Case {
        const char *name;
        std::vector<WindingRing> rings;
        int polygons, holes;
        double area;
        size_t points; // of all rings together, 0: not checked
    };
    const Case cases[] = {
        {"side by side", {Square(0, 0, 100, 100), Square(100, 0, 200, 100)}, 1, 0, 20000, 4},
        {"nested, same way round", {Square(0, 0, 300, 300), Square(100, 100, 200, 200)}, 1, 0, 90000, 4},
        {"nested, the other way round",
         {Square(0, 0, 300, 300), Square(100, 100, 200, 200, false)},
         1,
         1,
         80000,
         0},
        {"hole touching the outline",
         {Square(0, 0, 300, 300), Square(0, 100, 100, 200, false)},
         1,
         0,
         80000,
         0},
        {"apart", {Square(0, 0, 100, 100), Square(500, 500, 600, 600)}, 2, 0, 20000, 8},
        {"touching at a corner", {Square(0, 0, 100, 100), Square(100, 100, 200, 200)}, 2, 0, 20000, 8},
        {"spike inwards",
         {{{0, 0}, {100, 0}, {100, 100}, {50, 100}, {50, 40}, {50, 100}, {0, 100}}},
         1,
         0,
         10000,
         4},
        {"spike outwards",
         {{{0, 0}, {100, 0}, {100, 100}, {50, 100}, {50, 170}, {50, 100}, {0, 100}}},
         1,
         0,
         10000,
         4},
        {"repeated edge out and back",
         {Square(0, 0, 100, 100), {{100, 0}, {300, 0}, {100, 0}}},
         1,
         0,
         10000,
         4},
    };
    Geos geos;
    for (const Case &c : cases) {
        Owned ours(WindingUnion(c.rings));
        ASSERT_NE(ours.set, nullptr) << c.name;
        EXPECT_EQ(ours.set->numPolygons, c.polygons) << c.name;
        ExpectClockwiseRings(ours.set, c.name);
        EXPECT_DOUBLE_EQ(ClockwiseArea(RingsOf(ours.set)), c.area) << c.name;
        if (c.points) {
            EXPECT_EQ(size_t(ours.set->totalPoints), c.points) << c.name;
        }
        GeosGeometry region(geos, geos.Region(RingsOf(ours.set)));
        int holes = 0;
        for (int g = 0; g < GEOSGetNumGeometries_r(geos.ctx(), region.g); ++g)
            holes += GEOSGetNumInteriorRings_r(geos.ctx(), GEOSGetGeometryN_r(geos.ctx(), region.g, g));
        EXPECT_EQ(holes, c.holes) << c.name;
    }
}

} // namespace

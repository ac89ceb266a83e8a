// Every result of the Boolean entry is a valid polygon set in the engine's
// own form (see tests/support/polygon_validity.h) and covers the area GEOS
// finds, on fixtures that rounding used to break and on seeded random
// families of awkward input.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <string>

#include "engine/polygon/engine_parameters.h"
#include "geos_reference.h"
#include "tests/support/polygon_validity.h"

namespace {

constexpr double kDistance = 3;
constexpr double kDeviation = 0.1;

GEOSGeometry *Reference(const Geos &geos, int code, const RingSet &a, const RingSet &b, IntPoint origin)
{
    GeosGeometry ga(geos, geos.Region(a, origin)), gb(geos, geos.Region(b, origin));
    GEOSContextHandle_t ctx = geos.ctx();
    if (code != PLG_CORRECTION)
        return geos.Boolean(code, ga.g, gb.g);
    // Correction: every ring grown, all of them united.
    RingSet all = a;
    all.insert(all.end(), b.begin(), b.end());
    std::vector<GEOSGeometry *> grown;
    for (const IntRing &ring : all) {
        GeosGeometry region(geos, geos.Region({ring}, origin));
        // Only the ring's area grows: a spike that made-valid leaves as a
        // line beside the polygon is no part of it.
        std::vector<GEOSGeometry *> areas;
        for (int i = 0; i < GEOSGetNumGeometries_r(ctx, region.g); i++) {
            const GEOSGeometry *part = GEOSGetGeometryN_r(ctx, region.g, i);
            if (GEOSGeomTypeId_r(ctx, part) == GEOS_POLYGON ||
                GEOSGeomTypeId_r(ctx, part) == GEOS_MULTIPOLYGON)
                areas.push_back(GEOSGeom_clone_r(ctx, part));
        }
        GeosGeometry polygons(geos, GEOSGeom_createCollection_r(ctx, GEOS_GEOMETRYCOLLECTION, areas.data(),
                                                                uint32_t(areas.size())));
        grown.push_back(GEOSBuffer_r(ctx, polygons.g, kDistance, 64));
    }
    return geos.UnionOf(grown);
}

const int kBooleans[] = {PLG_UNION, PLG_INTERSECTION, PLG_EXCLUSIVE_OR, PLG_A_MINUS_B, PLG_B_MINUS_A};

// Runs the operation and answers what is wrong with its result ("" when
// nothing): validity first, then the area against GEOS.
std::string CheckOperation(polygon_validity::Checker &checker, const Geos &geos, const RingSet &a,
                           const RingSet &b, int code)
{
    PlgSet sa(a), sb(b);
    PlgOpStatus status = PLG_OP_FAILED;
    PlgOpResult *result = main_polygon_logical(sa.get(), sb.get(), code, &status);
    const RingSet ours = RingsOf(result);
    std::string problem = status == PLG_OP_OK ? checker.Problem(result) : "status " + std::to_string(status);
    DeletePlgOpResult(result);
    if (!problem.empty())
        return problem;
    const IntPoint origin = a[0][0];
    GeosGeometry expected(geos, Reference(geos, code, a, b, origin));
    // Rounding to whole units may move the boundary by up to half a unit
    // (a sliver thinner than that may vanish altogether).
    const double tolerance = geos.Perimeter(expected.g) * 0.5 + 1.0;
    const double area = ClockwiseArea(ours), reference = geos.Area(expected.g);
    if (std::fabs(area - reference) > tolerance)
        return "area " + std::to_string(area) + " but GEOS " + std::to_string(reference);
    return "";
}

IntRing Rect(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

RingSet Shifted(RingSet rings, int64_t dx, int64_t dy)
{
    for (IntRing &ring : rings)
        for (IntPoint &p : ring) {
            p.x += dx;
            p.y += dy;
        }
    return rings;
}

// The rings as text, for the report of a failed case.
std::string Text(const RingSet &rings)
{
    std::string text;
    for (const IntRing &ring : rings) {
        text += "{";
        for (const IntPoint &p : ring)
            text += "{" + std::to_string(p.x) + "," + std::to_string(p.y) + "},";
        text += "},";
    }
    return text;
}

struct Pair {
    RingSet a, b;
};
using Family = std::function<Pair(std::mt19937 &)>;

int Between(std::mt19937 &random, int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(random);
}

// Thin slivers, one to three units wide, across a star.
Pair Slivers(std::mt19937 &random)
{
    const int64_t x0 = Between(random, -1500, -900), y0 = Between(random, -800, 800);
    const int64_t x1 = Between(random, 900, 1500), y1 = y0 + Between(random, -40, 40);
    const int width = Between(random, 0, 3);
    IntRing sliver = {{x0, y0}, {x1, y1 + width}, {x1, y1}};
    if (width == 0)
        sliver = {{x0, y0}, {x1, y1 + 1}, {x1 + 1, y1}};
    return {{RandomStar(random, 0, 0, Between(random, 3, 12), 1000)}, {sliver}};
}

// A star and a copy of it with every vertex moved by a unit or none.
Pair NearlyCollinear(std::mt19937 &random)
{
    const IntRing a = RandomStar(random, 0, 0, Between(random, 3, 40), 1000);
    IntRing b = a;
    for (IntPoint &p : b) {
        p.x += Between(random, -1, 1);
        p.y += Between(random, -1, 1);
    }
    return {{a}, {b}};
}

// A ring that passes one point twice (two squares meeting at a corner).
Pair SelfTouching(std::mt19937 &random)
{
    const int64_t s = Between(random, 50, 400), x = Between(random, -300, 0), y = Between(random, -300, 0);
    IntRing touching = {{x, y},
                        {x, y + s},
                        {x + s, y + s},
                        {x + s, y + 2 * s},
                        {x + 2 * s, y + 2 * s},
                        {x + 2 * s, y + s},
                        {x + s, y + s},
                        {x + s, y}};
    return {{touching}, {RandomStar(random, Between(random, -200, 200), 0, Between(random, 3, 12), 600)}};
}

// A star with a there-and-back spike out of one vertex.
Pair Spikes(std::mt19937 &random)
{
    IntRing a = RandomStar(random, 0, 0, Between(random, 4, 16), 1000);
    const size_t at = size_t(Between(random, 0, int(a.size()) - 1));
    const IntPoint base = a[at];
    const IntPoint tip{base.x * 2 + Between(random, -5, 5), base.y * 2 + Between(random, -5, 5)};
    a.insert(a.begin() + long(at) + 1, {tip, base});
    return {{a}, {RandomStar(random, Between(random, -300, 300), 0, Between(random, 3, 12), 800)}};
}

// A square with a diamond hole whose lowest point touches the bottom edge.
Pair HoleTouchingShell(std::mt19937 &random)
{
    const int64_t size = 1000, m = Between(random, 200, 800), h = Between(random, 20, 150);
    const IntRing keyhole = {{0, 0},     {0, size},  {size, size}, {size, 0}, {m, 0},
                             {m + h, h}, {m, 2 * h}, {m - h, h},   {m, 0}};
    return {{keyhole}, {RandomStar(random, m, Between(random, 0, 400), Between(random, 3, 10), 300)}};
}

// Many small squares in a large one, and concentric rings on both sides.
Pair NestedHoles(std::mt19937 &random)
{
    RingSet small;
    for (int i = Between(random, 5, 30); i > 0; i--) {
        const int64_t x = Between(random, 20, 900), y = Between(random, 20, 900), s = Between(random, 5, 80);
        small.push_back(Rect(x, y, x + s, y + s));
    }
    RingSet a = {Rect(0, 0, 1000, 1000)}, b = small;
    const int64_t c = 500, d = Between(random, 0, 3);
    for (int64_t r = 450; r > 40; r -= 100) {
        a.push_back(Rect(c - r, c - r, c + r + d, c + r));
        b.push_back(Rect(c - r + 50, c - r + 50, c + r - 50, c + r - 50 + d));
    }
    return {a, b};
}

struct NamedFamily {
    const char *name;
    Family make;
    int rounds;
};

const NamedFamily kFamilies[] = {
    {"slivers", Slivers, 40},
    {"nearly collinear", NearlyCollinear, 30},
    {"self-touching", SelfTouching, 20},
    {"spikes", Spikes, 20},
    {"holes touching their shell", HoleTouchingShell, 20},
    {"nested holes", NestedHoles, 10},
};

const int64_t kOffsets[][2] = {
    {0, 0},
    {1 << 30, -(1 << 30)},
    {2147483647LL - 3000, 2147483647LL - 3000},
    {-2147483648LL + 3000, -2147483648LL + 3000},
};

} // namespace

TEST(ResultValidityTest, UnionWithASliverLeavesNoSpike)
{
    polygon_validity::Checker checker;
    Geos geos;
    const RingSet triangle = {{{0, 0}, {100, 100}, {0, 100}}};
    const RingSet sliver = {{{-50, 5}, {150, 6}, {150, 5}}};
    for (int code : kBooleans)
        EXPECT_EQ(CheckOperation(checker, geos, triangle, sliver, code), "") << "code " << code;
    PlgSet a(triangle), b(sliver);
    PlgOpResult *result = main_polygon_logical(a.get(), b.get(), PLG_UNION);
    // Left of the triangle the sliver is less than a quarter unit wide: it
    // rounds to nothing and leaves no spike out to (-50 5).
    ASSERT_GT(result->totalPoints, 0);
    for (int32_t i = 0; i < result->totalPoints; i++)
        EXPECT_GE(result->points[i].x, 0);
    DeletePlgOpResult(result);
}

TEST(ResultValidityTest, HoleBridgeStopsAtTheFirstNodeAbove)
{
    polygon_validity::Checker checker;
    Geos geos;
    const RingSet a = {{{120, 120}, {120, 0}, {10, 20}, {50, 20}, {50, 70}, {10, 70}}};
    const RingSet b = {{{32, 6}, {37, 19}, {55, 27}}};
    for (int code : kBooleans)
        EXPECT_EQ(CheckOperation(checker, geos, a, b, code), "") << "code " << code;
    PlgSet sa(a), sb(b);
    PlgOpResult *result = main_polygon_logical(sa.get(), sb.get(), PLG_UNION);
    // No stretch of x = 50 is run along more than twice (once each way by a
    // bridge, or once by the boundary).
    std::map<std::pair<int, int>, int> runs;
    for (int32_t r = 0; r < result->numPolygons; r++) {
        const PlgListWithNumPoints &ring = result->polygons[r];
        for (int32_t i = 0; i < ring.numPoints; i++) {
            const PlgList &p = result->points[ring.firstPoint + i];
            const PlgList &q = result->points[ring.firstPoint + (i + 1) % ring.numPoints];
            if (p.x == 50 && q.x == 50)
                for (int y = std::min(p.y, q.y); y < std::max(p.y, q.y); y++)
                    runs[{50, y}]++;
        }
    }
    for (const auto &[where, count] : runs)
        EXPECT_LE(count, 2) << "y " << where.second;
    DeletePlgOpResult(result);
}

TEST(ResultValidityTest, RandomFamiliesGiveValidResultsWithTheReferenceArea)
{
    polygon_validity::Checker checker;
    Geos geos;
    CorrectionParametersScope parameters(kDistance, kDeviation);
    std::mt19937 random(20261211);
    int failures = 0;
    for (const NamedFamily &family : kFamilies)
        for (int round = 0; round < family.rounds; round++) {
            const Pair pair = family.make(random);
            const auto &offset = kOffsets[round % 4];
            const RingSet a = Shifted(pair.a, offset[0], offset[1]);
            const RingSet b = Shifted(pair.b, offset[0], offset[1]);
            for (int code : {PLG_UNION, PLG_INTERSECTION, PLG_EXCLUSIVE_OR, PLG_A_MINUS_B, PLG_B_MINUS_A,
                             PLG_CORRECTION}) {
                const std::string problem = CheckOperation(checker, geos, a, b, code);
                EXPECT_EQ(problem, "") << family.name << " round " << round << " code " << code << "\n"
                                       << Text(a) << "\n"
                                       << Text(b);
                failures += !problem.empty();
                if (failures > 10)
                    GTEST_FAIL() << "stopping after ten faulty results";
            }
        }
}

TEST(ResultValidityTest, LargeStarsGiveValidResults)
{
    polygon_validity::Checker checker;
    Geos geos;
    std::mt19937 random(77);
    // Around nearby centres the result grows with the input (around centres
    // far apart it would grow with its square, too slow for a unit test).
    for (int vertices : {3, 10, 100, 1000, 10000}) {
        const RingSet a = {RandomStar(random, 0, 0, vertices, 1000000)};
        const RingSet b = {RandomStar(random, 3000, 2000, vertices, 1000000)};
        for (int code : {PLG_UNION, PLG_INTERSECTION, PLG_A_MINUS_B})
            // At the largest size the union only: it bridges the most holes.
            if (vertices < 10000 || code == PLG_UNION) {
                EXPECT_EQ(CheckOperation(checker, geos, a, b, code), "")
                    << vertices << " vertices, code " << code;
            }
    }
}

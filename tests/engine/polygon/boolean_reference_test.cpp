// The Boolean entry against GEOS on a table of small fixtures, identities
// on random polygon pairs, and the shape of every result ring.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "engine/polygon/engine_parameters.h"
#include "geos_reference.h"

namespace {

IntRing Rect(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

IntRing Shifted(IntRing ring, int64_t dx, int64_t dy)
{
    for (IntPoint &p : ring) {
        p.x += dx;
        p.y += dy;
    }
    return ring;
}

// Every ring of an operation's result: at least 3 distinct points, no
// point repeating the one before it (nor the last the first: rings are
// closed implicitly), clockwise with y up.
void ExpectWellFormedRings(const RingSet &rings, const std::string &context)
{
    for (const IntRing &ring : rings) {
        std::set<std::pair<int64_t, int64_t>> distinct;
        for (size_t i = 0; i < ring.size(); i++) {
            const IntPoint &a = ring[i], &b = ring[(i + 1) % ring.size()];
            EXPECT_FALSE(a.x == b.x && a.y == b.y) << context << ": repeated point " << a.x << "," << a.y;
            distinct.insert({a.x, a.y});
        }
        EXPECT_GE(distinct.size(), 3u) << context;
        EXPECT_LT(SignedArea2(ring), 0) << context << ": ring not clockwise";
    }
}

struct Fixture {
    const char *name;
    RingSet a, b;
};

const int64_t kNearMax = 2147483000;
const int64_t kNearMin = -2147483600;

std::vector<Fixture> Fixtures()
{
    const IntRing selfTouching = {{0, 0}, {50, 50}, {100, 0}, {100, 100}, {50, 50}, {0, 100}};
    return {
        {"OverlappingSquares", {Rect(0, 0, 100, 100)}, {Rect(50, 50, 150, 150)}},
        {"SharedEdge", {Rect(0, 0, 100, 100)}, {Rect(100, 0, 200, 100)}},
        {"TouchingCorner", {Rect(0, 0, 100, 100)}, {Rect(100, 100, 200, 200)}},
        {"HoleInside", {Rect(0, 0, 100, 100)}, {Rect(30, 30, 60, 60)}},
        {"CollinearOverlappingEdges", {Rect(0, 0, 100, 50)}, {Rect(50, 0, 150, 30)}},
        {"NearVerticalEdges",
         // Crossing at (1, 500): a wedge 2 wide and 500 high between them.
         {{{0, 0}, {2, 1000}, {300, 1000}, {300, 0}}},
         {{{2, -100}, {0, 900}, {-300, 900}, {-300, -100}}}},
        {"SelfTouchingRing", {selfTouching}, {Rect(25, 25, 75, 75)}},
        {"TwoRingsEachSide",
         {Rect(0, 0, 40, 40), Rect(60, 0, 100, 40)},
         {Rect(20, 20, 80, 60), Rect(200, 200, 210, 210)}},
        {"NearTheLimit",
         {Shifted(Rect(0, 0, 600, 600), kNearMax, kNearMax)},
         {Shifted(Rect(300, 300, 630, 630), kNearMax, kNearMax)}},
        {"NearTheNegativeLimit",
         {Shifted(Rect(0, 0, 600, 600), kNearMin, kNearMin)},
         {Shifted(Rect(-300, 300, 300, 500), kNearMin + 300, kNearMin)}},
    };
}

// What GEOS answers for an operation: the same Boolean operation, or the
// input (smoothing), its buffer (correction), or its outlines' band (ring).
enum class Reference { Boolean, Buffer, Input, Band };

struct OperationCase {
    int code;
    Reference reference;
};

const OperationCase kOperations[] = {
    {PLG_UNION, Reference::Boolean},        {PLG_INTERSECTION, Reference::Boolean},
    {PLG_EXCLUSIVE_OR, Reference::Boolean}, {PLG_A_MINUS_B, Reference::Boolean},
    {PLG_B_MINUS_A, Reference::Boolean},    {PLG_CORRECTION, Reference::Buffer},
    {PLG_SMOOTHEN, Reference::Input},       {PLG_MAKE_RING, Reference::Band},
};

// Correction distance and arc deviation for the table: small enough for
// the fixtures, with arcs fine enough that their chords stay within the
// table's tolerance.
constexpr double kDistance = 10;
constexpr double kDeviation = 0.1;

GEOSGeometry *Buffered(const Geos &geos, const GEOSGeometry *g, double distance)
{
    GEOSBufferParams *params = GEOSBufferParams_create_r(geos.ctx());
    GEOSBufferParams_setQuadrantSegments_r(geos.ctx(), params, 64);
    GEOSBufferParams_setJoinStyle_r(geos.ctx(), params, GEOSBUF_JOIN_ROUND);
    GEOSBufferParams_setEndCapStyle_r(geos.ctx(), params, GEOSBUF_CAP_ROUND);
    GEOSGeometry *result = GEOSBufferWithParams_r(geos.ctx(), g, params, distance);
    GEOSBufferParams_destroy_r(geos.ctx(), params);
    return result;
}

GEOSGeometry *ReferenceOf(const Geos &geos, const OperationCase &operation, const RingSet &a,
                          const RingSet &b, IntPoint origin)
{
    GeosGeometry ga(geos, geos.Region(a, origin)), gb(geos, geos.Region(b, origin));
    GEOSContextHandle_t ctx = geos.ctx();
    RingSet all = a;
    all.insert(all.end(), b.begin(), b.end());
    switch (operation.reference) {
    case Reference::Boolean:
        return geos.Boolean(operation.code, ga.g, gb.g);
    case Reference::Input:
        return geos.Region(all, origin);
    case Reference::Buffer: {
        GeosGeometry region(geos, geos.Region(all, origin));
        return Buffered(geos, region.g, kDistance);
    }
    case Reference::Band: {
        // Each ring's outline widened on both sides, all united.
        std::vector<GEOSGeometry *> bands;
        for (const IntRing &ring : all) {
            GeosGeometry region(geos, geos.Region({ring}, origin));
            GeosGeometry outline(geos, GEOSBoundary_r(ctx, region.g));
            bands.push_back(Buffered(geos, outline.g, kDistance));
        }
        return geos.UnionOf(bands);
    }
    }
    return nullptr;
}

class BooleanReferenceTest : public ::testing::TestWithParam<Fixture> {};

} // namespace

TEST_P(BooleanReferenceTest, EveryOperationAgreesWithGeos)
{
    const Fixture &fixture = GetParam();
    CorrectionParametersScope parameters(kDistance, kDeviation);
    Geos geos;
    PlgSet a(fixture.a), b(fixture.b);
    const IntPoint origin = fixture.a[0][0];
    for (const OperationCase &operation : kOperations) {
        const std::string context = std::string(fixture.name) + " code " + std::to_string(operation.code);
        PlgOpStatus status = PLG_OP_FAILED;
        PlgOpResult *result = main_polygon_logical(a.get(), b.get(), operation.code, &status);
        ASSERT_EQ(status, PLG_OP_OK) << context;
        const RingSet ours = RingsOf(result);
        DeletePlgOpResult(result);
        if (operation.code <= PLG_B_MINUS_A) {
            ExpectWellFormedRings(ours, context);
        }

        GeosGeometry expected(geos, ReferenceOf(geos, operation, fixture.a, fixture.b, origin));
        GeosGeometry actual(geos, geos.Region(ours, origin));
        const double tolerance = geos.Perimeter(expected.g) * 0.1 + 1.0;
        EXPECT_NEAR(geos.Area(actual.g), geos.Area(expected.g), tolerance) << context;
        EXPECT_LE(geos.SymDifferenceArea(actual.g, expected.g), tolerance) << context;
        // The Boolean results do not overlap, so their rings' own areas add up
        // to the same region (holes included as keyholes).
        if (operation.code <= PLG_B_MINUS_A) {
            EXPECT_NEAR(ClockwiseArea(ours), geos.Area(expected.g), tolerance) << context;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BooleanReferenceTest, ::testing::ValuesIn(Fixtures()),
                         [](const ::testing::TestParamInfo<Fixture> &info) {
                             return std::string(info.param.name);
                         });

namespace {

double Perimeter(const RingSet &rings)
{
    double length = 0;
    for (const IntRing &ring : rings)
        for (size_t i = 0; i < ring.size(); i++) {
            const IntPoint &p = ring[i], &q = ring[(i + 1) % ring.size()];
            length += std::hypot(double(q.x - p.x), double(q.y - p.y));
        }
    return length;
}

double OperationArea(const RingSet &a, const RingSet &b, int code)
{
    PlgSet sa(a), sb(b);
    PlgOpStatus status = PLG_OP_FAILED;
    PlgOpResult *result = main_polygon_logical(sa.get(), sb.get(), code, &status);
    EXPECT_EQ(status, PLG_OP_OK) << "code " << code;
    const RingSet rings = RingsOf(result);
    DeletePlgOpResult(result);
    ExpectWellFormedRings(rings, "code " + std::to_string(code));
    return ClockwiseArea(rings);
}

} // namespace

TEST(BooleanIdentitiesTest, RandomStarPairsKeepTheAreaIdentities)
{
    std::mt19937 random(4242);
    std::uniform_int_distribution<int> vertices(3, 24);
    std::uniform_int_distribution<int64_t> shift(-600, 600);
    for (int round = 0; round < 60; round++) {
        const RingSet a = {RandomStar(random, 0, 0, vertices(random), 1000)};
        const RingSet b = {RandomStar(random, shift(random), shift(random), vertices(random), 1000)};
        const double sizeA = std::fabs(SignedArea2(a[0]) / 2);
        const double sizeB = std::fabs(SignedArea2(b[0]) / 2);
        const double tolerance = (Perimeter(a) + Perimeter(b)) * 0.1;
        const double unite = OperationArea(a, b, PLG_UNION);
        const double both = OperationArea(a, b, PLG_INTERSECTION);
        const double exor = OperationArea(a, b, PLG_EXCLUSIVE_OR);
        const double aMinusB = OperationArea(a, b, PLG_A_MINUS_B);
        const double bMinusA = OperationArea(a, b, PLG_B_MINUS_A);
        EXPECT_NEAR(unite + both, sizeA + sizeB, tolerance) << "round " << round;
        EXPECT_NEAR(aMinusB + both, sizeA, tolerance) << "round " << round;
        EXPECT_NEAR(bMinusA + both, sizeB, tolerance) << "round " << round;
        EXPECT_NEAR(exor, unite - both, tolerance) << "round " << round;
    }
}

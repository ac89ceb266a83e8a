#include "engine/polygon/buffer/buffer_outline.h"

#include "tests/engine/polygon/geos_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Points = std::vector<MAP_COORDPT>;

RingSet Rings(const BufferResult &r) { return r.set ? RingsOf(r.set) : RingSet{}; }

struct Zone {
    BufferResult result;
    explicit Zone(BufferResult r) : result(r) {}
    ~Zone() { DeletePlgOpResult(result.set); }
    Zone(const Zone &) = delete;
    Zone &operator=(const Zone &) = delete;
};

BufferParameters Params(int64_t size, int32_t circleSegments, int corners, int endings,
                        int type = mc_BufferOuter, int64_t times = 15)
{
    BufferParameters p;
    p.size = size;
    p.segments = circleSegments - 1;
    p.corners = corners;
    p.endings = endings;
    p.type = type;
    p.times = times;
    return p;
}

GEOSGeometry *GeosLine(const Geos &geos, const Points &points, bool polygon)
{
    const size_t n = points.size() + (polygon ? 1 : 0);
    GEOSCoordSequence *seq = GEOSCoordSeq_create_r(geos.ctx(), uint32_t(n), 2);
    for (size_t i = 0; i < n; ++i) {
        const MAP_COORDPT &p = points[i % points.size()];
        GEOSCoordSeq_setXY_r(geos.ctx(), seq, uint32_t(i), p.x, p.y);
    }
    if (!polygon)
        return GEOSGeom_createLineString_r(geos.ctx(), seq);
    return GEOSGeom_createPolygon_r(geos.ctx(), GEOSGeom_createLinearRing_r(geos.ctx(), seq), nullptr, 0);
}

// GEOS's buffer of the same line with the matching styles.
GEOSGeometry *GeosBuffer(const Geos &geos, const Points &points, bool polygon, double width,
                         const BufferParameters &p)
{
    GeosGeometry line(geos, GeosLine(geos, points, polygon));
    const int caps[] = {GEOSBUF_CAP_FLAT, GEOSBUF_CAP_SQUARE, GEOSBUF_CAP_ROUND};
    return GEOSBufferWithStyle_r(geos.ctx(), line.g, width, p.segments + 1, caps[p.endings],
                                 p.corners == mc_CornerRounded ? GEOSBUF_JOIN_ROUND : GEOSBUF_JOIN_MITRE,
                                 double(p.times));
}

// The arc deviation of k points to the half turn, plus rounding.
double Tolerance(const BufferParameters &p)
{
    const double pi = 3.141592653589793;
    return 2 * double(p.size) * (1 - std::cos(pi / (2.0 * (p.segments + 1)))) + 2.0;
}

struct ShapeCase {
    const char *name;
    Points points;
    bool polygon;
};

const ShapeCase kShapes[] = {
    {"straight", {{0, 0}, {300, 0}}, false},
    {"collinear", {{0, 0}, {150, 0}, {300, 0}}, false},
    {"right angle", {{0, 0}, {300, 0}, {300, 300}}, false},
    {"zigzag", {{0, 0}, {200, 150}, {400, 0}, {600, 180}, {650, -200}}, false},
    {"diagonal", {{-500, 1000}, {-100, 1333}, {250, 1100}, {700, 1900}}, false},
    // Lines that cross themselves: the zone has holes or overlapping laps.
    {"loop", {{0, 0}, {600, 0}, {600, 400}, {300, 400}, {300, -300}}, false},
    {"tight loop", {{0, 0}, {300, 0}, {300, 60}, {240, 60}, {240, -200}}, false},
    {"knot",
     {{0, 0}, {500, 40}, {520, 400}, {200, 380}, {260, -150}, {700, -120}, {650, 300}, {-100, 250}},
     false},
    {"square", {{0, 0}, {400, 0}, {400, 400}, {0, 400}}, true},
    {"concave", {{0, 0}, {600, 0}, {600, 200}, {200, 200}, {200, 600}, {0, 600}}, true},
    {"triangle", {{0, 0}, {900, 100}, {300, 700}}, true},
};

// Both calculations of every shape with every ending and corner style
// against GEOS: the outlines lie within the arc deviation of each other.
TEST(BufferOutline, MatchesGeosForEveryStyle)
{
    Geos geos;
    for (const ShapeCase &shape : kShapes)
        for (int calculation : {mc_CalculationDefault, mc_CalculationEx})
            for (int corners : {mc_CornerSharped, mc_CornerRounded})
                for (int endings : {mc_EndingsNo, mc_EndingsSquared, mc_EndingsRounded}) {
                    if (shape.polygon && endings != mc_EndingsNo)
                        continue;
                    const BufferParameters p = Params(40, 12, corners, endings, mc_BufferBoth, 15);
                    Zone zone(calculation == mc_CalculationEx
                                  ? ExtendedBufferOutline(shape.points, shape.polygon, p)
                                  : DefaultBufferOutline(shape.points, shape.polygon, p));
                    const std::string what = std::string(shape.name) + " calc " +
                                             std::to_string(calculation) + " corners " +
                                             std::to_string(corners) + " endings " + std::to_string(endings);
                    ASSERT_EQ(zone.result.outcome, BufferOutcome::Made) << what;
                    GeosGeometry ours(geos, geos.Region(Rings(zone.result)));
                    GEOSGeometry *expected = nullptr;
                    if (shape.polygon) {
                        // The band on both sides: grown less shrunk.
                        GeosGeometry grown(geos, GeosBuffer(geos, shape.points, true, 40, p));
                        GeosGeometry shrunk(geos, GeosBuffer(geos, shape.points, true, -40, p));
                        expected = GEOSDifference_r(geos.ctx(), grown.g, shrunk.g);
                    } else {
                        expected = GeosBuffer(geos, shape.points, false, 40, p);
                    }
                    GeosGeometry reference(geos, expected);
                    EXPECT_LE(geos.Hausdorff(ours.g, reference.g), Tolerance(p)) << what;
                    EXPECT_NEAR(geos.Area(ours.g), geos.Area(reference.g), 0.02 * geos.Area(reference.g))
                        << what;
                }
}

// The polygon buffer types of the default calculation against the GEOS
// buffers at +s and -s.
TEST(BufferOutline, PolygonTypesGrowAndShrink)
{
    Geos geos;
    for (const ShapeCase &shape : kShapes) {
        if (!shape.polygon)
            continue;
        for (int corners : {mc_CornerSharped, mc_CornerRounded})
            for (int type : {mc_BufferOuter, mc_BufferInner}) {
                const BufferParameters p = Params(30, 10, corners, mc_EndingsNo, type);
                Zone zone(DefaultBufferOutline(shape.points, true, p));
                ASSERT_EQ(zone.result.outcome, BufferOutcome::Made);
                GeosGeometry ours(geos, geos.Region(Rings(zone.result)));
                GeosGeometry reference(
                    geos, GeosBuffer(geos, shape.points, true, type == mc_BufferOuter ? 30 : -30, p));
                EXPECT_LE(geos.Hausdorff(ours.g, reference.g), Tolerance(p))
                    << shape.name << " type " << type << " corners " << corners;
            }
    }
}

double AreaOf(const BufferResult &r) { return ClockwiseArea(Rings(r)); }

// The outline Parts' own cases, by their areas and extents.
TEST(BufferOutline, EdgeCases)
{
    const double s = 10;
    struct Case {
        const char *name;
        Points points;
        bool polygon;
        BufferParameters p;
        int calculation;
        double area; // -1: not checked
    } cases[] = {
        {"two points, no ends: one rectangle",
         {{0, 0}, {100, 0}},
         false,
         Params(10, 10, 0, mc_EndingsNo),
         0,
         2 * s * 100},
        {"two points, squared ends: longer by s each end",
         {{0, 0}, {100, 0}},
         false,
         Params(10, 10, 0, mc_EndingsSquared),
         0,
         2 * s * 120},
        {"three collinear points: no join",
         {{0, 0}, {50, 0}, {100, 0}},
         false,
         Params(10, 10, 0, mc_EndingsNo),
         0,
         2 * s * 100},
        {"right angle, sharp: square outer corner",
         {{0, 0}, {100, 0}, {100, 100}},
         false,
         Params(10, 10, mc_CornerSharped, mc_EndingsNo, mc_BufferOuter, 2),
         0,
         2 * s * 200},
        {"square grown by s",
         {{0, 0}, {100, 0}, {100, 100}, {0, 100}},
         true,
         Params(10, 10, mc_CornerSharped, 0, mc_BufferOuter),
         0,
         120.0 * 120},
        {"square shrunk by s",
         {{0, 0}, {100, 0}, {100, 100}, {0, 100}},
         true,
         Params(10, 10, mc_CornerSharped, 0, mc_BufferInner),
         0,
         80.0 * 80},
        {"square shrunk away",
         {{0, 0}, {100, 0}, {100, 100}, {0, 100}},
         true,
         Params(60, 10, mc_CornerSharped, 0, mc_BufferInner),
         0,
         0},
        {"extended: two points, ring A D C B",
         {{0, 0}, {100, 0}},
         false,
         Params(10, 10, 0, mc_EndingsNo),
         1,
         2 * s * 100},
        {"extended: inner type still gives the band",
         {{0, 0}, {100, 0}, {100, 100}, {0, 100}},
         true,
         Params(10, 10, mc_CornerSharped, 0, mc_BufferInner),
         1,
         120.0 * 120 - 80.0 * 80},
        {"text-like spike turning back",
         {{0, 0}, {100, 0}, {40, 0}},
         false,
         Params(10, 10, 1, mc_EndingsNo),
         0,
         -1},
    };
    for (const Case &c : cases) {
        Zone zone(c.calculation ? ExtendedBufferOutline(c.points, c.polygon, c.p)
                                : DefaultBufferOutline(c.points, c.polygon, c.p));
        ASSERT_EQ(zone.result.outcome, BufferOutcome::Made) << c.name;
        if (c.area >= 0)
            EXPECT_NEAR(AreaOf(zone.result), c.area, 2.0) << c.name;
        else
            EXPECT_GT(AreaOf(zone.result), 2 * s * 100) << c.name;
    }
}

// At a turn back the extended calculation grows only its left chain: the
// ring folds over itself and the union keeps a part of the zone, never more
// than the zone itself.
TEST(BufferOutline, ExtendedTurnBackKeepsWithinTheZone)
{
    const Points spike{{0, 0}, {100, 0}, {40, 0}};
    Zone zone(ExtendedBufferOutline(spike, false, Params(10, 10, 1, mc_EndingsNo)));
    ASSERT_EQ(zone.result.outcome, BufferOutcome::Made);
    EXPECT_GT(AreaOf(zone.result), 0);
    EXPECT_LE(AreaOf(zone.result), 2000 + 3.1416 * 100 / 2 + 2);
}

TEST(BufferOutline, MitreOfANarrowCornerIsCutAtTheLimit)
{
    // A corner of about 4 degrees: the mitre point lies some 29 s out.
    const Points narrow{{0, 0}, {1000, 0}, {0, 70}};
    for (int calculation : {0, 1}) {
        const BufferParameters p = Params(10, 10, mc_CornerSharped, mc_EndingsNo, mc_BufferOuter, 15);
        Zone zone(calculation ? ExtendedBufferOutline(narrow, false, p)
                              : DefaultBufferOutline(narrow, false, p));
        ASSERT_EQ(zone.result.outcome, BufferOutcome::Made);
        double reach = 0;
        for (const IntRing &ring : Rings(zone.result))
            for (const IntPoint &q : ring)
                if (q.x > 1000)
                    reach = std::max(reach, std::hypot(double(q.x - 1000), double(q.y)));
        EXPECT_NEAR(reach, 150, 2) << calculation;
    }
}

TEST(BufferOutline, ProgressStopsAtTheCalculationsLimit)
{
    Points line;
    for (int i = 0; i < 50; ++i)
        line.push_back({i * 100, (i % 2) * 100});
    for (int calculation : {0, 1}) {
        double last = -1;
        bool rising = true;
        const BufferProgress progress = [&](double percent) {
            rising = rising && percent >= last;
            last = percent;
        };
        const BufferParameters p = Params(10, 10, 1, 2);
        Zone zone(calculation ? ExtendedBufferOutline(line, false, p, progress)
                              : DefaultBufferOutline(line, false, p, progress));
        EXPECT_TRUE(rising);
        EXPECT_LE(last, calculation ? 90.0 + 1e-9 : 100.0 + 1e-9);
        EXPECT_GT(last, calculation ? 80.0 : 90.0);
    }
}

// Bad input: a refusal, never a crash or a zone off the plane.
TEST(BufferOutline, BadInputIsRefused)
{
    const int32_t big = 2147483000;
    struct Case {
        const char *name;
        Points points;
        bool polygon;
        int64_t size;
        BufferOutcome outcome;
    } cases[] = {
        {"one point", {{5, 5}}, false, 10, BufferOutcome::TooFew},
        {"all points equal", {{5, 5}, {5, 5}, {5, 5}}, false, 10, BufferOutcome::TooFew},
        {"two-point polygon", {{0, 0}, {10, 0}}, true, 10, BufferOutcome::TooFew},
        {"polygon closed on two points", {{0, 0}, {10, 0}, {0, 0}}, true, 10, BufferOutcome::TooFew},
        {"size 0", {{0, 0}, {10, 0}}, false, 0, BufferOutcome::BadParams},
        {"near the plane's edge", {{big, 0}, {big, 1000}}, false, 10000, BufferOutcome::OffPlane},
        {"size far beyond the plane", {{0, 0}, {10, 0}}, false, int64_t(1) << 40, BufferOutcome::OffPlane},
    };
    for (const Case &c : cases)
        for (int calculation : {0, 1}) {
            const BufferParameters p = Params(c.size, 10, mc_CornerRounded, mc_EndingsRounded);
            Zone zone(calculation ? ExtendedBufferOutline(c.points, c.polygon, p)
                                  : DefaultBufferOutline(c.points, c.polygon, p));
            EXPECT_EQ(zone.result.outcome, c.outcome) << c.name << " calc " << calculation;
            EXPECT_EQ(zone.result.set, nullptr) << c.name;
        }
}

TEST(BufferOutline, DegenerateButUsableShapesGiveZones)
{
    struct Case {
        const char *name;
        Points points;
        bool polygon;
    } cases[] = {
        {"zero-area polygon", {{0, 0}, {100, 0}, {200, 0}}, true},
        {"spike and repeats", {{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 80}, {100, 0}, {200, 0}}, false},
        {"large coordinates", {{-2000000000, -2000000000}, {2000000000, 2000000000}}, false},
    };
    for (const Case &c : cases)
        for (int calculation : {0, 1}) {
            const BufferParameters p = Params(20, 8, mc_CornerRounded, mc_EndingsRounded, mc_BufferBoth);
            Zone zone(calculation ? ExtendedBufferOutline(c.points, c.polygon, p)
                                  : DefaultBufferOutline(c.points, c.polygon, p));
            EXPECT_EQ(zone.result.outcome, BufferOutcome::Made) << c.name << " calc " << calculation;
            EXPECT_GT(AreaOf(zone.result), 0) << c.name << " calc " << calculation;
        }
}

TEST(BufferOutline, TextBufferIsADiscAroundTheAnchor)
{
    Zone zone(TextBufferOutline({1000, -500}, 50, 16));
    ASSERT_EQ(zone.result.outcome, BufferOutcome::Made);
    const RingSet rings = Rings(zone.result);
    ASSERT_EQ(rings.size(), 1u);
    for (const IntPoint &q : rings[0])
        EXPECT_NEAR(std::hypot(double(q.x - 1000), double(q.y + 500)), 50, 1.0);
    EXPECT_NEAR(ClockwiseArea(rings), 3.14159 * 2500, 0.03 * 3.14159 * 2500);
    Zone none(TextBufferOutline({0, 0}, 0, 16));
    EXPECT_EQ(none.result.outcome, BufferOutcome::BadParams);
}

} // namespace

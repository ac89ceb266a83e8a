// Buffer zones and the winding union against GEOS on seeded random input:
// polylines, stars and polygons with holes, every buffer form of both
// calculations. A zone is a valid polygon set that covers every point GEOS
// puts within 0.95 of the distance and nothing GEOS puts beyond 1.05 of it
// (plus the sagitta of GEOS's arcs), so that neither a lost piece nor an
// empty zone passes, whatever the arcs' fineness.
#include "engine/polygon/buffer/buffer_outline.h"
#include "engine/polygon/buffer/winding_union.h"

#include "tests/engine/polygon/buffer/owned_set.h"
#include "tests/engine/polygon/geos_reference.h"
#include "tests/support/polygon_validity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using Points = std::vector<MAP_COORDPT>;

constexpr int64_t kSize = 60;
constexpr int kGeosQuadrantSegments = 16;
constexpr double kMitreTimes = 15;
// Differences of less than this area come from GEOS's floating point, not
// from a zone.
constexpr double kAreaSlack = 1.0;
// Zones are rounded to whole units: differences narrower than two units
// are the rounding's.
constexpr double kSliver = 1.0;

// One input: a polyline, or a polygon as the engine stores it (one
// clockwise ring, holes joined by bridges).
struct Shape {
    std::string name;
    Points points;
    bool polygon;
};

// One way of buffering an input.
struct Form {
    const char *name;
    int calculation, type, corners, endings;
};

const Form kLineForms[] = {
    {"default sharp no-ends", mc_CalculationDefault, mc_BufferOuter, mc_CornerSharped, mc_EndingsNo},
    {"default sharp squared", mc_CalculationDefault, mc_BufferOuter, mc_CornerSharped, mc_EndingsSquared},
    {"default sharp rounded", mc_CalculationDefault, mc_BufferOuter, mc_CornerSharped, mc_EndingsRounded},
    {"default round no-ends", mc_CalculationDefault, mc_BufferOuter, mc_CornerRounded, mc_EndingsNo},
    {"default round squared", mc_CalculationDefault, mc_BufferOuter, mc_CornerRounded, mc_EndingsSquared},
    {"default round rounded", mc_CalculationDefault, mc_BufferOuter, mc_CornerRounded, mc_EndingsRounded},
    {"extended sharp no-ends", mc_CalculationEx, mc_BufferOuter, mc_CornerSharped, mc_EndingsNo},
    {"extended sharp squared", mc_CalculationEx, mc_BufferOuter, mc_CornerSharped, mc_EndingsSquared},
    {"extended sharp rounded", mc_CalculationEx, mc_BufferOuter, mc_CornerSharped, mc_EndingsRounded},
    {"extended round no-ends", mc_CalculationEx, mc_BufferOuter, mc_CornerRounded, mc_EndingsNo},
    {"extended round squared", mc_CalculationEx, mc_BufferOuter, mc_CornerRounded, mc_EndingsSquared},
    {"extended round rounded", mc_CalculationEx, mc_BufferOuter, mc_CornerRounded, mc_EndingsRounded},
};

const Form kPolygonForms[] = {
    {"default sharp outer", mc_CalculationDefault, mc_BufferOuter, mc_CornerSharped, mc_EndingsNo},
    {"default sharp inner", mc_CalculationDefault, mc_BufferInner, mc_CornerSharped, mc_EndingsNo},
    {"default sharp both", mc_CalculationDefault, mc_BufferBoth, mc_CornerSharped, mc_EndingsNo},
    {"default round outer", mc_CalculationDefault, mc_BufferOuter, mc_CornerRounded, mc_EndingsNo},
    {"default round inner", mc_CalculationDefault, mc_BufferInner, mc_CornerRounded, mc_EndingsNo},
    {"default round both", mc_CalculationDefault, mc_BufferBoth, mc_CornerRounded, mc_EndingsNo},
    // The extended calculation gives the band on both sides, whatever the type.
    {"extended sharp", mc_CalculationEx, mc_BufferOuter, mc_CornerSharped, mc_EndingsNo},
    {"extended round", mc_CalculationEx, mc_BufferInner, mc_CornerRounded, mc_EndingsNo},
};

BufferParameters ParametersOf(const Form &form, int32_t circleSegments)
{
    BufferParameters p;
    p.size = kSize;
    p.segments = circleSegments - 1;
    p.corners = form.corners;
    p.endings = form.endings;
    p.type = form.type;
    p.times = int64_t(kMitreTimes);
    return p;
}

// ------------------------------------------------------------ inputs

// A polyline of random steps and turns: some run straight on, some turn
// sharply or back, many cross themselves.
Shape RandomPolyline(std::mt19937 &random, int index)
{
    std::uniform_int_distribution<int> count(2, 12), kind(0, 5);
    std::uniform_real_distribution<double> step(20, 400), heading(0, 2 * M_PI), turn(-2.8, 2.8);
    const int n = count(random);
    Points points;
    double x = 0, y = 0, a = heading(random);
    for (int i = 0; i < n; ++i) {
        points.push_back({int32_t(std::lround(x)), int32_t(std::lround(y))});
        switch (kind(random)) {
        case 0: // straight on
            break;
        case 1: // back along itself
            a += M_PI;
            break;
        default:
            a += turn(random);
        }
        const double d = step(random);
        x += d * std::cos(a);
        y += d * std::sin(a);
    }
    return {"polyline " + std::to_string(index), points, false};
}

Points PointsOf(const IntRing &ring)
{
    Points points;
    for (const IntPoint &p : ring)
        points.push_back({int32_t(p.x), int32_t(p.y)});
    return points;
}

Shape RandomStarShape(std::mt19937 &random, int index)
{
    std::uniform_int_distribution<int> vertices(3, 24);
    std::uniform_int_distribution<int64_t> radius(80, 900);
    IntRing ring = RandomStar(random, 0, 0, vertices(random), radius(random));
    if (index % 2)
        std::reverse(ring.begin(), ring.end());
    return {"star " + std::to_string(index), PointsOf(ring), true};
}

// A star with one to three star holes, as the Boolean engine stores it: one
// clockwise ring, each hole joined by a bridge.
Shape RandomPolygonWithHoles(std::mt19937 &random, int index)
{
    std::uniform_int_distribution<int> vertices(5, 16), holes(1, 3);
    std::uniform_int_distribution<int64_t> radius(2400, 4800);
    const int64_t r = radius(random);
    const IntRing outer = RandomStar(random, 0, 0, vertices(random), r);
    // The outline keeps 0.2 r from the centre: holes within r / 16 of
    // points at r / 10 from it, a third of a turn apart, fit and keep apart.
    RingSet cut;
    const int n = holes(random);
    for (int h = 0; h < n; ++h) {
        const double angle = 2 * M_PI * h / n;
        cut.push_back(RandomStar(random, int64_t(std::lround(r / 10.0 * std::cos(angle))),
                                 int64_t(std::lround(r / 10.0 * std::sin(angle))), vertices(random), r / 16));
    }
    const PlgSet a(RingSet{outer}), b(cut);
    PlgOpStatus status = PLG_OP_OK;
    Owned result(main_polygon_logical(a.get(), b.get(), PLG_A_MINUS_B, &status));
    EXPECT_EQ(status, PLG_OP_OK);
    const RingSet rings = RingsOf(result.set);
    EXPECT_EQ(rings.size(), 1u) << "holed polygon " << index;
    return {"holed polygon " + std::to_string(index), rings.empty() ? Points{} : PointsOf(rings[0]), true};
}

// ------------------------------------------------------------ references

class Reference {
public:
    // The input as GEOS sees it: a line string, or the region of the ring
    // (a polygon with holes for a ring with bridges).
    GEOSGeometry *Input(const Shape &shape) const
    {
        GEOSContextHandle_t ctx = geos_.ctx();
        if (shape.polygon) {
            IntRing ring;
            for (const MAP_COORDPT &p : shape.points)
                ring.push_back({p.x, p.y});
            return geos_.Region({ring});
        }
        GEOSCoordSequence *seq = GEOSCoordSeq_create_r(ctx, uint32_t(shape.points.size()), 2);
        for (size_t i = 0; i < shape.points.size(); ++i)
            GEOSCoordSeq_setXY_r(ctx, seq, uint32_t(i), shape.points[i].x, shape.points[i].y);
        return GEOSGeom_createLineString_r(ctx, seq);
    }

    // GEOS's buffer of the input at distance d (negative: inward); round
    // joins when asked, else the form's joins; the form's ends.
    GEOSGeometry *Buffer(const GEOSGeometry *input, double d, const Form &form, bool roundJoins) const
    {
        const int caps[] = {GEOSBUF_CAP_FLAT, GEOSBUF_CAP_SQUARE, GEOSBUF_CAP_ROUND};
        const bool round = roundJoins || form.corners == mc_CornerRounded;
        return GEOSBufferWithStyle_r(geos_.ctx(), input, d, kGeosQuadrantSegments, caps[form.endings],
                                     round ? GEOSBUF_JOIN_ROUND : GEOSBUF_JOIN_MITRE, kMitreTimes);
    }

    GEOSGeometry *Difference(const GEOSGeometry *a, GEOSGeometry *b) const
    {
        GeosGeometry taken(geos_, b);
        return GEOSDifference_r(geos_.ctx(), a, b);
    }
    GEOSGeometry *Union(GEOSGeometry *a, GEOSGeometry *b) const { return geos_.UnionOf({a, b}); }

    // The bounds every zone of the form must keep: the part it must cover
    // (GEOS's zone at 0.95 of the distance) and the part it must stay in
    // (at 1.05 of it plus the sagitta of GEOS's arcs). Round joins bound a
    // mitre from inside; the form's own joins from outside. A polygon's
    // band is GEOS's buffer of its outline, the rings closed as lines,
    // which has the mitres of both sides; where the zone shrinks a polygon,
    // the polygon less the band.
    struct Bounds {
        GeosGeometry covered, within;
    };
    double OuterDistance() const
    {
        const double d = 1.05 * double(kSize);
        return d + d * (1 - std::cos(M_PI / (4.0 * kGeosQuadrantSegments)));
    }
    Bounds BoundsOf(const Shape &shape, const GEOSGeometry *input, const Form &form) const
    {
        const double near = 0.95 * double(kSize), far = OuterDistance();
        if (!shape.polygon)
            return {GeosGeometry(geos_, Buffer(input, near, form, true)),
                    GeosGeometry(geos_,
                                 WithSegmentZones(Buffer(input, far, form, false), shape.points, far, form))};
        GeosGeometry outline(geos_, GEOSBoundary_r(geos_.ctx(), input));
        const Form closed{form.name, form.calculation, form.type, form.corners, mc_EndingsRounded};
        const auto band = [&](double d, bool roundJoins) { return Buffer(outline.g, d, closed, roundJoins); };
        const int type = form.calculation == mc_CalculationEx ? mc_BufferBoth : form.type;
        switch (type) {
        case mc_BufferOuter:
            return {GeosGeometry(geos_, Buffer(input, near, form, true)),
                    GeosGeometry(geos_, Union(Buffer(input, far, form, false), band(far, false)))};
        case mc_BufferInner:
            return {GeosGeometry(geos_, Difference(input, band(far, false))),
                    GeosGeometry(geos_, Difference(input, band(near, true)))};
        default:
            return {GeosGeometry(geos_, band(near, true)), GeosGeometry(geos_, band(far, false))};
        }
    }

    // What GEOS leaves out of a line's zone but lies within the distance
    // of one segment or within the mitre limit of a turn back, united with
    // the bound, which it takes: a flat or square end cuts off what the
    // rectangles of the segments before it reach beyond it, and a sharp turn
    // back ends in a tip the mitre limit away beyond the vertex, where GEOS
    // cuts the line off square.
    GEOSGeometry *WithSegmentZones(GEOSGeometry *bound, const Points &points, double d,
                                   const Form &form) const
    {
        GEOSContextHandle_t ctx = geos_.ctx();
        std::vector<GEOSGeometry *> parts{bound};
        for (size_t i = 0; form.endings != mc_EndingsRounded && i + 1 < points.size(); ++i) {
            GeosGeometry segment(geos_, Input({"", {points[i], points[i + 1]}, false}));
            parts.push_back(GEOSBufferWithStyle_r(ctx, segment.g, d, kGeosQuadrantSegments, GEOSBUF_CAP_FLAT,
                                                  GEOSBUF_JOIN_MITRE, kMitreTimes));
        }
        for (size_t i = 1; form.corners == mc_CornerSharped && i + 1 < points.size(); ++i) {
            const double ux = points[i].x - points[i - 1].x, uy = points[i].y - points[i - 1].y,
                         wx = points[i + 1].x - points[i].x, wy = points[i + 1].y - points[i].y;
            const double length = std::hypot(ux, uy);
            if (length == 0 || ux * wy - uy * wx != 0 || ux * wx + uy * wy >= 0)
                continue;
            const double ex = ux / length, ey = uy / length, vx = points[i].x, vy = points[i].y;
            const double reach = double(kSize) * kMitreTimes + d;
            GEOSCoordSequence *seq = GEOSCoordSeq_create_r(ctx, 4, 2);
            GEOSCoordSeq_setXY_r(ctx, seq, 0, vx - ey * d, vy + ex * d);
            GEOSCoordSeq_setXY_r(ctx, seq, 1, vx + ex * reach, vy + ey * reach);
            GEOSCoordSeq_setXY_r(ctx, seq, 2, vx + ey * d, vy - ex * d);
            GEOSCoordSeq_setXY_r(ctx, seq, 3, vx - ey * d, vy + ex * d);
            parts.push_back(GEOSGeom_createPolygon_r(ctx, GEOSGeom_createLinearRing_r(ctx, seq), nullptr, 0));
        }
        return parts.size() == 1 ? bound : geos_.UnionOf(parts);
    }

    // What is wrong with a zone ("" when nothing): validity, then the area
    // it leaves uncovered and the area it has beyond its bounds, with a
    // point of each.
    std::string Problem(const PlgOpResult *set, const Bounds &bounds)
    {
        if (!set)
            return "no set";
        const std::string invalid = checker_.Problem(set);
        if (!invalid.empty())
            return "invalid: " + invalid;
        GeosGeometry ours(geos_, geos_.Region(RingsOf(set)));
        std::string problem;
        const auto report = [&](const char *what, const GEOSGeometry *a, const GEOSGeometry *b) {
            GeosGeometry raw(geos_, GEOSDifference_r(geos_.ctx(), a, b));
            if (geos_.Area(raw.g) <= kAreaSlack)
                return;
            // Slivers along the outline (a flat end cut at the line's end
            // point, rounded to whole units) are no piece.
            GeosGeometry d(geos_, GEOSBuffer_r(geos_.ctx(), raw.g, -kSliver, 4));
            const double area = geos_.Area(d.g);
            if (area <= kAreaSlack)
                return;
            double x = 0, y = 0;
            GeosGeometry at(geos_, GEOSPointOnSurface_r(geos_.ctx(), d.g));
            GEOSGeomGetX_r(geos_.ctx(), at.g, &x);
            GEOSGeomGetY_r(geos_.ctx(), at.g, &y);
            problem += std::string(problem.empty() ? "" : "; ") + what + " " + std::to_string(area) +
                       " near (" + std::to_string(std::lround(x)) + ", " + std::to_string(std::lround(y)) +
                       ")";
        };
        report("lost", bounds.covered.g, ours.g);
        report("beyond", ours.g, bounds.within.g);
        return problem;
    }

    const Geos &geos() const { return geos_; }

private:
    Geos geos_;
    polygon_validity::Checker checker_;
};

// Every form of every shape: the failures, one line each.
std::vector<std::string> Failures(const std::vector<Shape> &shapes, int32_t circleSegments)
{
    Reference reference;
    std::vector<std::string> failures;
    for (const Shape &shape : shapes) {
        GeosGeometry input(reference.geos(), reference.Input(shape));
        const auto &forms = shape.polygon
                                ? std::vector<Form>(std::begin(kPolygonForms), std::end(kPolygonForms))
                                : std::vector<Form>(std::begin(kLineForms), std::end(kLineForms));
        for (const Form &form : forms) {
            const BufferParameters p = ParametersOf(form, circleSegments);
            const BufferResult result = form.calculation == mc_CalculationEx
                                            ? ExtendedBufferOutline(shape.points, shape.polygon, p)
                                            : DefaultBufferOutline(shape.points, shape.polygon, p);
            Owned zone(result.set);
            std::string problem;
            if (result.outcome != BufferOutcome::Made) {
                problem = "outcome " + std::to_string(int(result.outcome));
            } else {
                const Reference::Bounds bounds = reference.BoundsOf(shape, input.g, form);
                problem = reference.Problem(zone.set, bounds);
            }
            if (!problem.empty())
                failures.push_back(shape.name + ", " + form.name + ": " + problem);
        }
    }
    return failures;
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

// ------------------------------------------------------------ tests

TEST(BufferReference, RandomPolylinesInEveryForm)
{
    std::mt19937 random(4101);
    std::vector<Shape> shapes;
    for (int i = 0; i < 160; ++i)
        shapes.push_back(RandomPolyline(random, i));
    for (int32_t circleSegments : {6, 12}) {
        const std::vector<std::string> failures = Failures(shapes, circleSegments);
        EXPECT_TRUE(failures.empty())
            << failures.size() << " failures, circle segments " << circleSegments << ":\n"
            << Joined(failures);
    }
}

TEST(BufferReference, RandomStarsInEveryForm)
{
    std::mt19937 random(4102);
    std::vector<Shape> shapes;
    for (int i = 0; i < 60; ++i)
        shapes.push_back(RandomStarShape(random, i));
    const std::vector<std::string> failures = Failures(shapes, 10);
    EXPECT_TRUE(failures.empty()) << failures.size() << " failures:\n" << Joined(failures);
}

TEST(BufferReference, RandomPolygonsWithHolesInEveryForm)
{
    std::mt19937 random(4103);
    std::vector<Shape> shapes;
    for (int i = 0; i < 30; ++i)
        shapes.push_back(RandomPolygonWithHoles(random, i));
    const std::vector<std::string> failures = Failures(shapes, 10);
    EXPECT_TRUE(failures.empty()) << failures.size() << " failures:\n" << Joined(failures);
}

// Lines and polygons whose zones the extended calculation used to lose
// pieces of (its inner corners took the crossing of the inner edges however
// short the segments, a turn back left the right side out, and a polygon's
// holes hung on a band around their bridges), now in every form.
TEST(BufferReference, ExtendedCalculationKeepsEveryPiece)
{
    const std::vector<Shape> shapes{
        {"short segments",
         {{0, 0}, {130, 10}, {95, -22}, {131, 100}, {186, 124}, {-28, 31}, {-59, 17}, {302, -87}, {64, -18}},
         false},
        {"turn back", {{0, 0}, {58, 260}, {22, 99}}, false},
        {"sharp inner corner", {{0, 0}, {289, -99}, {284, -48}, {205, 274}, {28, 308}}, false},
        {"band of a star",
         {{620, -166},  {177, -102},  {160, -160},  {299, -517},  {162, -605},  {0, -222},
          {-102, -383}, {-216, -373}, {-424, -424}, {-436, -251}, {-374, -100}, {-572, 0},
          {-321, 86},   {-444, 256},  {-168, 168},  {-175, 303},  {-46, 171},   {0, 648},
          {119, 444},   {286, 495},   {157, 157},   {255, 147},   {661, 177},   {193, 0}},
         true},
        {"band of a narrow star",
         {{82, 0},
          {209, 72},
          {137, 106},
          {41, 63},
          {29, 116},
          {-18, 211},
          {-65, 148},
          {-135, 147},
          {-180, 98},
          {-219, 37},
          {-218, -36},
          {-192, -104},
          {-70, -76},
          {-54, -123},
          {-15, -184},
          {40, -158},
          {61, -94},
          {168, -131},
          {151, -52}},
         true},
        // A square with a square hole on a bridge down from its top edge.
        {"square with a hole",
         {{0, 0},
          {0, 1000},
          {400, 1000},
          {400, 600},
          {400, 400},
          {600, 400},
          {600, 600},
          {400, 600},
          {400, 1000},
          {1000, 1000},
          {1000, 0}},
         true},
    };
    for (int32_t circleSegments : {6, 12}) {
        const std::vector<std::string> failures = Failures(shapes, circleSegments);
        EXPECT_TRUE(failures.empty())
            << failures.size() << " failures, circle segments " << circleSegments << ":\n"
            << Joined(failures);
    }
}

// A text's zone: the disc around its anchor.
TEST(BufferReference, TextBufferIsTheDiscOfGeos)
{
    Reference reference;
    const GEOSContextHandle_t ctx = reference.geos().ctx();
    const Form round{"text", mc_CalculationDefault, mc_BufferOuter, mc_CornerRounded, mc_EndingsRounded};
    for (const MAP_COORDPT anchor : {MAP_COORDPT{0, 0}, MAP_COORDPT{123456, -98765}})
        for (int32_t circleSegments : {1, 4, 10, 50}) {
            Owned zone(TextBufferOutline(anchor, kSize, circleSegments - 1).set);
            GeosGeometry point(reference.geos(), GEOSGeom_createPointFromXY_r(ctx, anchor.x, anchor.y));
            Reference::Bounds bounds{
                GeosGeometry(reference.geos(), reference.Buffer(point.g, 0.95 * double(kSize), round, true)),
                GeosGeometry(reference.geos(),
                             reference.Buffer(point.g, reference.OuterDistance(), round, true))};
            if (circleSegments < 4) {
                // So few points make a polygon, not a disc: it must still be
                // one ring of the right size around the anchor.
                ASSERT_NE(zone.set, nullptr);
                ASSERT_EQ(zone.set->numPolygons, 1) << circleSegments;
                EXPECT_GT(ClockwiseArea(RingsOf(zone.set)), double(kSize * kSize)) << circleSegments;
                continue;
            }
            EXPECT_EQ(reference.Problem(zone.set, bounds), "") << "segments " << circleSegments;
        }
}

// The winding union of several clockwise rings is their union: random
// overlapping stars and squares against GEOS's union.
TEST(BufferReference, WindingUnionOfManyRingsIsTheirUnion)
{
    std::mt19937 random(4104);
    std::uniform_int_distribution<int> count(2, 8), vertices(3, 16);
    std::uniform_int_distribution<int64_t> centre(-600, 600), radius(100, 700);
    Geos geos;
    polygon_validity::Checker checker;
    for (int round = 0; round < 80; ++round) {
        std::vector<WindingRing> rings;
        RingSet input;
        const int n = count(random);
        for (int r = 0; r < n; ++r) {
            IntRing ring =
                RandomStar(random, centre(random), centre(random), vertices(random), radius(random));
            std::reverse(ring.begin(), ring.end()); // clockwise
            input.push_back(ring);
            WindingRing w;
            for (const IntPoint &p : ring)
                w.push_back({int32_t(p.x), int32_t(p.y)});
            rings.push_back(w);
        }
        Owned united(WindingUnion(rings));
        ASSERT_NE(united.set, nullptr) << "round " << round;
        EXPECT_EQ(checker.Problem(united.set), "") << "round " << round;
        GeosGeometry ours(geos, geos.Region(RingsOf(united.set))), expected(geos, geos.Region(input));
        const double area = geos.Area(expected.g);
        EXPECT_GT(ClockwiseArea(RingsOf(united.set)), 0.99 * area) << "round " << round;
        // Cut points are rounded to whole units: a unit along the outline.
        EXPECT_LE(geos.SymDifferenceArea(ours.g, expected.g), geos.Perimeter(expected.g))
            << "round " << round;
    }
    // Two overlapping clockwise squares: one ring around both.
    const std::vector<WindingRing> squares{{{0, 0}, {0, 100}, {100, 100}, {100, 0}},
                                           {{50, 50}, {50, 150}, {150, 150}, {150, 50}}};
    Owned both(WindingUnion(squares));
    ASSERT_NE(both.set, nullptr);
    EXPECT_EQ(both.set->numPolygons, 1);
    EXPECT_DOUBLE_EQ(ClockwiseArea(RingsOf(both.set)), 2 * 100.0 * 100 - 50.0 * 50);
}

} // namespace

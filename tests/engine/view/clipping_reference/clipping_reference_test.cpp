// The display clippers against GEOS on random lists: clipped polylines agree
// with the intersection of the line and the rectangle to one unit per
// coordinate (crossings are truncated), clipped polygons agree in area with
// the intersection of the polygon and the rectangle to its perimeter times
// one unit.
#include "engine/view/clipping/point_clipping.h"
#include "tests/engine/view/clipping/clip_support.h"

#include <geos_c.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

using Points = std::vector<MAP_COORDPT>;

class Geos {
public:
    Geos() : ctx_(GEOS_init_r()) {}
    ~Geos() { GEOS_finish_r(ctx_); }
    Geos(const Geos &) = delete;
    Geos &operator=(const Geos &) = delete;

    GEOSContextHandle_t ctx() const { return ctx_; }

    GEOSCoordSequence *sequence(const Points &pts) const
    {
        GEOSCoordSequence *s = GEOSCoordSeq_create_r(ctx_, unsigned(pts.size()), 2);
        for (size_t i = 0; i < pts.size(); ++i)
            GEOSCoordSeq_setXY_r(ctx_, s, unsigned(i), pts[i].x, pts[i].y);
        return s;
    }
    GEOSGeometry *line(const Points &pts) const { return GEOSGeom_createLineString_r(ctx_, sequence(pts)); }
    GEOSGeometry *polygon(const Points &ring) const
    {
        return GEOSGeom_createPolygon_r(ctx_, GEOSGeom_createLinearRing_r(ctx_, sequence(ring)), nullptr, 0);
    }
    GEOSGeometry *rect(const MAP_COORDRECT &r) const
    {
        return polygon({{r.x1, r.y1}, {r.x2, r.y1}, {r.x2, r.y2}, {r.x1, r.y2}, {r.x1, r.y1}});
    }
    double distance(double x, double y, const GEOSGeometry *g) const
    {
        GEOSGeometry *p = GEOSGeom_createPointFromXY_r(ctx_, x, y);
        double d = -1;
        GEOSDistance_r(ctx_, p, g, &d);
        GEOSGeom_destroy_r(ctx_, p);
        return d;
    }
    // Every vertex of a geometry, walking into collections and polygons.
    void vertices(const GEOSGeometry *g, std::vector<std::pair<double, double>> *out) const
    {
        const int n = GEOSGetNumGeometries_r(ctx_, g);
        if (n > 1 || GEOSGeomTypeId_r(ctx_, g) >= GEOS_MULTIPOINT) {
            for (int i = 0; i < n; ++i)
                vertices(GEOSGetGeometryN_r(ctx_, g, i), out);
            return;
        }
        const GEOSGeometry *simple = g;
        if (GEOSGeomTypeId_r(ctx_, g) == GEOS_POLYGON)
            simple = GEOSGetExteriorRing_r(ctx_, g);
        const GEOSCoordSequence *s = GEOSGeom_getCoordSeq_r(ctx_, simple);
        unsigned size = 0;
        if (!s || !GEOSCoordSeq_getSize_r(ctx_, s, &size))
            return;
        for (unsigned i = 0; i < size; ++i) {
            double x = 0, y = 0;
            GEOSCoordSeq_getXY_r(ctx_, s, i, &x, &y);
            out->push_back({x, y});
        }
    }
    void destroy(GEOSGeometry *g) const { GEOSGeom_destroy_r(ctx_, g); }

private:
    GEOSContextHandle_t ctx_;
};

constexpr MAP_COORDRECT kRect{-1000, -700, 1000, 700};

// Random lines in and out of the rectangle: points anywhere around it, or
// walks of short steps that stay inside or beyond one edge for a while.
Points randomLine(std::mt19937 &rng, int n, bool walk)
{
    std::uniform_int_distribution<int32_t> coord(-3000, 3000), step(-400, 400);
    Points pts(static_cast<size_t>(n));
    MAP_COORDPT at{coord(rng), coord(rng)};
    for (MAP_COORDPT &p : pts) {
        p = walk ? at : MAP_COORDPT{coord(rng), coord(rng)};
        at = {std::clamp(at.x + step(rng), -3000, 3000), std::clamp(at.y + step(rng), -3000, 3000)};
    }
    return pts;
}

// A simple polygon: a star of sorted angles with random radii around a
// centre near the rectangle, closed.
Points randomStar(std::mt19937 &rng, int n)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int32_t> centre(-1500, 1500);
    const double cx = centre(rng), cy = centre(rng);
    std::vector<double> angles(static_cast<size_t>(n));
    for (double &a : angles)
        a = unit(rng) * 2 * std::numbers::pi;
    std::sort(angles.begin(), angles.end());
    Points ring;
    for (double a : angles) {
        const double r = 100 + unit(rng) * 2500;
        const MAP_COORDPT p{int32_t(std::lround(cx + r * std::cos(a))),
                            int32_t(std::lround(cy + r * std::sin(a)))};
        if (ring.empty() || !(ring.back() == p))
            ring.push_back(p);
    }
    ring.push_back(ring.front());
    return ring;
}

double shoelace(const Points &ring)
{
    double twice = 0;
    for (size_t i = 0; i + 1 < ring.size(); ++i)
        twice += double(ring[i].x) * ring[i + 1].y - double(ring[i + 1].x) * ring[i].y;
    return std::abs(twice) / 2;
}

TEST(ClippingReference, PolylinesAgreeWithTheIntersectionToOneUnitPerVertex)
{
    Geos geos;
    GEOSGeometry *rect = geos.rect(kRect);
    std::mt19937 rng(2024);
    const double slack = std::sqrt(2.0) + 1e-9; // one unit in x and in y
    for (int round = 0; round < 150; ++round) {
        const Points in = randomLine(rng, 2 + round % 60, round % 2 == 1);
        ScopedBuffer src(8, POINTBUFFER_POLYLINE), out(8), parts(4), codes(1);
        src.fill(in);
        const int32_t m = ClipPointBuffer(&src.b, &out.b, &parts.b, &codes.b, &kRect, int32_t(in.size()));
        const Points clipped = out.points(m);
        const std::vector<int32_t> runs = parts.parts();

        GEOSGeometry *line = geos.line(in);
        GEOSGeometry *expected = GEOSIntersection_r(geos.ctx(), line, rect);
        ASSERT_NE(expected, nullptr);
        // Ours, as lines, to measure the reference's vertices against.
        std::vector<GEOSGeometry *> pieces;
        for (size_t k = 0; k < runs.size(); k += 2) {
            Points run(clipped.begin() + runs[k], clipped.begin() + runs[k] + runs[k + 1]);
            if (run.size() == 1) // a lone point, as a line of no length
                run = {run.front(), run.front()};
            pieces.push_back(geos.line(run));
        }
        GEOSGeometry *ours = GEOSGeom_createCollection_r(geos.ctx(), GEOS_MULTILINESTRING, pieces.data(),
                                                         unsigned(pieces.size()));
        for (const MAP_COORDPT &p : clipped)
            EXPECT_LE(geos.distance(p.x, p.y, expected), slack) << p << " round " << round;
        std::vector<std::pair<double, double>> ref;
        geos.vertices(expected, &ref);
        for (const auto &[x, y] : ref)
            EXPECT_LE(geos.distance(x, y, ours), slack) << x << "," << y << " round " << round;
        double refLength = 0, ourLength = 0;
        GEOSLength_r(geos.ctx(), expected, &refLength);
        GEOSLength_r(geos.ctx(), ours, &ourLength);
        EXPECT_NEAR(ourLength, refLength, 2 * slack * double(runs.size() / 2)) << "round " << round;
        geos.destroy(ours);
        geos.destroy(expected);
        geos.destroy(line);
    }
    geos.destroy(rect);
}

TEST(ClippingReference, PolygonAreasAgreeWithTheIntersectionToThePerimeter)
{
    Geos geos;
    GEOSGeometry *rect = geos.rect(kRect);
    std::mt19937 rng(99);
    int compared = 0;
    for (int round = 0; round < 150; ++round) {
        const Points ring = randomStar(rng, 5 + round % 40);
        if (ring.size() < 4)
            continue;
        ScopedBuffer src(8, POINTBUFFER_POLYGON), out(8), parts(4), codes(1);
        src.fill(ring);
        const int32_t m = ClipPointBuffer(&src.b, &out.b, &parts.b, &codes.b, &kRect, int32_t(ring.size()));
        const double ours = shoelace(out.points(m));

        GEOSGeometry *poly = geos.polygon(ring);
        // Rounding to integers can make a star touch itself: such rings are
        // not simple, and the area of the reference means nothing there.
        if (GEOSisValid_r(geos.ctx(), poly) != 1) {
            geos.destroy(poly);
            continue;
        }
        ++compared;
        GEOSGeometry *expected = GEOSIntersection_r(geos.ctx(), poly, rect);
        double area = 0, perimeter = 0;
        GEOSArea_r(geos.ctx(), expected, &area);
        GEOSLength_r(geos.ctx(), expected, &perimeter);
        EXPECT_NEAR(ours, area, perimeter * 1.0 + 1e-6) << "round " << round;
        geos.destroy(expected);
        geos.destroy(poly);
    }
    geos.destroy(rect);
    EXPECT_GE(compared, 100) << "most random stars are simple";
}

} // namespace

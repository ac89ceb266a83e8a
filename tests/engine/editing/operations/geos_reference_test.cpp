// Reduction and polygon building against GEOS: GEOSSimplify is the same
// Douglas-Peucker rule as the recursive worker on open lines, and
// GEOSPolygonize finds the faces of a noded network.
#include "engine/editing/operations/map_reduction.h"
#include "engine/editing/operations/polygon_building.h"
#include "engine/editing/set_geometry.h"

#include <geos_c.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using Points = std::vector<MAP_COORDPT>;

// The points as pairs, for comparing and printing.
std::vector<std::pair<int32_t, int32_t>> Pairs(const Points &p)
{
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const MAP_COORDPT &q : p)
        out.emplace_back(q.x, q.y);
    return out;
}

class Geos {
public:
    Geos() : ctx_(GEOS_init_r()) {}
    ~Geos() { GEOS_finish_r(ctx_); }
    Geos(const Geos &) = delete;
    Geos &operator=(const Geos &) = delete;
    GEOSContextHandle_t get() const { return ctx_; }

    GEOSGeometry *Line(const Points &p) const
    {
        GEOSCoordSequence *s = GEOSCoordSeq_create_r(ctx_, unsigned(p.size()), 2);
        for (unsigned i = 0; i < p.size(); ++i)
            GEOSCoordSeq_setXY_r(ctx_, s, i, p[i].x, p[i].y);
        return GEOSGeom_createLineString_r(ctx_, s);
    }
    Points Coordinates(const GEOSGeometry *g) const
    {
        Points out;
        const GEOSCoordSequence *s = GEOSGeom_getCoordSeq_r(ctx_, g);
        unsigned n = 0;
        GEOSCoordSeq_getSize_r(ctx_, s, &n);
        for (unsigned i = 0; i < n; ++i) {
            double x = 0, y = 0;
            GEOSCoordSeq_getXY_r(ctx_, s, i, &x, &y);
            out.push_back({int32_t(std::lround(x)), int32_t(std::lround(y))});
        }
        return out;
    }
    Points Simplified(const Points &p, double tolerance) const
    {
        GEOSGeometry *line = Line(p);
        GEOSGeometry *simple = GEOSSimplify_r(ctx_, line, tolerance);
        Points out = Coordinates(simple);
        GEOSGeom_destroy_r(ctx_, simple);
        GEOSGeom_destroy_r(ctx_, line);
        return out;
    }
    // The areas of the faces GEOS finds, smallest first.
    std::vector<double> FaceAreas(const std::vector<Points> &lines) const
    {
        std::vector<GEOSGeometry *> geoms;
        for (const Points &l : lines)
            geoms.push_back(Line(l));
        GEOSGeometry *faces = GEOSPolygonize_r(ctx_, geoms.data(), unsigned(geoms.size()));
        std::vector<double> areas;
        for (int i = 0; i < GEOSGetNumGeometries_r(ctx_, faces); ++i) {
            double a = 0;
            GEOSArea_r(ctx_, GEOSGetGeometryN_r(ctx_, faces, i), &a);
            areas.push_back(a);
        }
        GEOSGeom_destroy_r(ctx_, faces);
        for (GEOSGeometry *g : geoms)
            GEOSGeom_destroy_r(ctx_, g);
        std::sort(areas.begin(), areas.end());
        return areas;
    }

private:
    GEOSContextHandle_t ctx_;
};

Points RandomWalk(size_t n, unsigned seed, int step, bool closed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> d(-step, step);
    Points out;
    MAP_COORDPT p{0, 0};
    while (out.size() < n) {
        out.push_back(p);
        MAP_COORDPT q{p.x + d(random), p.y + d(random)};
        if (q.x == p.x && q.y == p.y)
            ++q.x; // GEOS would drop a repeated point
        p = q;
    }
    if (closed)
        out.push_back(out.front());
    return out;
}

Points Reduced(const Points &in, bool linear, double threshold)
{
    Points out(in.size());
    out.resize(map_Reduce(in.data(), out.data(), in.size(), linear, threshold));
    return out;
}

TEST(GeosReference, RecursiveReductionKeepsExactlyTheVerticesOfGeosSimplify)
{
    const Geos geos;
    struct Case {
        Points line;
        double threshold;
    };
    std::vector<Case> cases = {
        {{{0, 0}, {5, 0}, {10, 0}}, 2.0},
        {{{0, 0}, {5, 2}, {10, 0}}, 2.0},
        {{{0, 0}, {-3, 0}, {10, 0}}, 2.0},
        {{{0, 0}, {3, 5}, {7, 5}, {10, 0}}, 4.0},
    };
    for (unsigned seed = 1; seed <= 30; ++seed)
        for (double threshold : {0.0, 3.0, 25.0, 120.0})
            cases.push_back({RandomWalk(300 + seed * 20, seed, 20, false), threshold});
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.line.size() << " points, threshold " << c.threshold);
        EXPECT_EQ(Pairs(Reduced(c.line, false, c.threshold)), Pairs(geos.Simplified(c.line, c.threshold)));
    }
}

// Every dropped point lies within the threshold of the reduced line
// (strictly for the linear worker), by GEOS's distance; the ends stay.
void ExpectWithin(const Geos &geos, const Points &in, const Points &out, double threshold, bool strict)
{
    ASSERT_GE(out.size(), 2u);
    EXPECT_TRUE(out.front().x == in.front().x && out.front().y == in.front().y);
    EXPECT_TRUE(out.back().x == in.back().x && out.back().y == in.back().y);
    GEOSGeometry *reduced = geos.Line(out);
    for (const MAP_COORDPT &p : in) {
        GEOSGeometry *point = GEOSGeom_createPointFromXY_r(geos.get(), p.x, p.y);
        double d = 0;
        GEOSDistance_r(geos.get(), point, reduced, &d);
        GEOSGeom_destroy_r(geos.get(), point);
        if (strict)
            ASSERT_LT(d, threshold) << p.x << "," << p.y;
        else
            ASSERT_LE(d, threshold + 1e-9) << p.x << "," << p.y;
    }
    GEOSGeom_destroy_r(geos.get(), reduced);
}

TEST(GeosReference, LinearWorkerAndRingsKeepDroppedPointsWithinTheThreshold)
{
    const Geos geos;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const Points open = RandomWalk(400, seed, 20, false);
        const Points ring = RandomWalk(400, seed + 100, 20, true);
        for (double threshold : {3.0, 25.0, 120.0}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", threshold " << threshold);
            ExpectWithin(geos, open, Reduced(open, true, threshold), threshold, true);
            ExpectWithin(geos, ring, Reduced(ring, true, threshold), threshold, true);
            ExpectWithin(geos, ring, Reduced(ring, false, threshold), threshold, false);
        }
    }
}

std::vector<double> OurFaceAreas(const std::vector<Points> &lines)
{
    CPolylineList edges;
    for (const Points &l : lines)
        edges.Add(l, 0);
    std::vector<double> areas;
    for (const Points &ring : FindFaceRings(edges))
        areas.push_back(std::fabs(SetOfLinesegmentArea(uint32_t(ring.size()), ring.data())));
    std::sort(areas.begin(), areas.end());
    return areas;
}

void ExpectSameFaces(const Geos &geos, const std::vector<Points> &lines)
{
    const std::vector<double> ours = OurFaceAreas(lines);
    const std::vector<double> theirs = geos.FaceAreas(lines);
    ASSERT_EQ(ours.size(), theirs.size());
    for (size_t i = 0; i < ours.size(); ++i)
        ASSERT_NEAR(ours[i], theirs[i], 1e-6 * std::max(1.0, theirs[i])) << "face " << i;
}

TEST(GeosReference, PolygonBuildingFindsTheFacesOfGeosPolygonize)
{
    const Geos geos;
    {
        SCOPED_TRACE("grid with uneven cells");
        std::vector<Points> lines;
        const std::vector<int32_t> xs = {0, 7, 20, 21, 50, 90}, ys = {0, 3, 40, 41, 77};
        for (size_t i = 0; i < ys.size(); ++i)
            for (size_t j = 0; j + 1 < xs.size(); ++j)
                lines.push_back({{xs[j], ys[i]}, {xs[j + 1], ys[i]}});
        for (size_t j = 0; j < xs.size(); ++j)
            for (size_t i = 0; i + 1 < ys.size(); ++i)
                lines.push_back({{xs[j], ys[i]}, {xs[j], ys[i + 1]}});
        ExpectSameFaces(geos, lines);
    }
    {
        SCOPED_TRACE("squares sharing sides, sides as long polylines");
        ExpectSameFaces(geos, {{{0, 0}, {0, 10}, {0, 20}, {10, 20}, {20, 20}},
                               {{20, 20}, {20, 10}, {20, 0}, {10, 0}, {0, 0}},
                               {{0, 10}, {10, 10}, {20, 10}},
                               {{10, 0}, {10, 10}, {10, 20}}});
    }
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(testing::Message() << "Delaunay triangulation, seed " << seed);
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> d(0, 1000);
        std::vector<GEOSGeometry *> points;
        for (int i = 0; i < 60; ++i)
            points.push_back(GEOSGeom_createPointFromXY_r(geos.get(), d(random), d(random)));
        GEOSGeometry *cloud =
            GEOSGeom_createCollection_r(geos.get(), GEOS_MULTIPOINT, points.data(), unsigned(points.size()));
        GEOSGeometry *edges = GEOSDelaunayTriangulation_r(geos.get(), cloud, 0.0, 1);
        std::vector<Points> lines;
        for (int i = 0; i < GEOSGetNumGeometries_r(geos.get(), edges); ++i)
            lines.push_back(geos.Coordinates(GEOSGetGeometryN_r(geos.get(), edges, i)));
        GEOSGeom_destroy_r(geos.get(), edges);
        GEOSGeom_destroy_r(geos.get(), cloud);
        ASSERT_GT(lines.size(), 100u);
        ExpectSameFaces(geos, lines);
    }
}

} // namespace

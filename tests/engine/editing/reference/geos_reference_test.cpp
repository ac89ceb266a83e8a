// Random shapes judged by the engine and by GEOS. Integer coordinates are
// exact in doubles, and GEOS's predicates are robust, so the answers agree
// exactly except where the engine's rules differ on purpose (boundaries,
// truncated crossings): those cases are excluded or bounded below.
#include "engine/editing/handle_list.h"
#include "engine/editing/line_segment.h"
#include "engine/editing/object_finders.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/window/page.h"
#include "platform/global_memory.h"
#include "tests/engine/editing/editing_fixture.h"

#include <geos_c.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <memory>
#include <numbers>
#include <set>
#include <random>
#include <vector>

namespace {

void geosMessage(const char *, void *) {}

// One GEOS context and owned geometries.
class Geos {
public:
    Geos() : h(GEOS_init_r())
    {
        GEOSContext_setNoticeMessageHandler_r(h, geosMessage, nullptr);
        GEOSContext_setErrorMessageHandler_r(h, geosMessage, nullptr);
    }
    ~Geos() { GEOS_finish_r(h); }
    Geos(const Geos &) = delete;
    Geos &operator=(const Geos &) = delete;

    struct Deleter {
        GEOSContextHandle_t h;
        void operator()(GEOSGeometry *g) const { GEOSGeom_destroy_r(h, g); }
    };
    using Geom = std::unique_ptr<GEOSGeometry, Deleter>;

    GEOSCoordSequence *sequence(const std::vector<MAP_COORDPT> &pts, bool close) const
    {
        const unsigned n = unsigned(pts.size() + (close ? 1 : 0));
        GEOSCoordSequence *s = GEOSCoordSeq_create_r(h, n, 2);
        for (unsigned i = 0; i < n; ++i) {
            const MAP_COORDPT &p = pts[i % pts.size()];
            GEOSCoordSeq_setXY_r(h, s, i, p.x, p.y);
        }
        return s;
    }
    Geom polygon(const std::vector<MAP_COORDPT> &pts) const
    {
        return Geom(
            GEOSGeom_createPolygon_r(h, GEOSGeom_createLinearRing_r(h, sequence(pts, true)), nullptr, 0),
            Deleter{h});
    }
    Geom ring(const std::vector<MAP_COORDPT> &pts) const
    {
        return Geom(GEOSGeom_createLineString_r(h, sequence(pts, true)), Deleter{h});
    }
    Geom line(const std::vector<MAP_COORDPT> &pts) const
    {
        return Geom(GEOSGeom_createLineString_r(h, sequence(pts, false)), Deleter{h});
    }
    Geom point(MAP_COORDPT p) const
    {
        GEOSCoordSequence *s = GEOSCoordSeq_create_r(h, 1, 2);
        GEOSCoordSeq_setXY_r(h, s, 0, p.x, p.y);
        return Geom(GEOSGeom_createPoint_r(h, s), Deleter{h});
    }
    Geom rect(const MAP_COORDRECT &r) const
    {
        return polygon({{r.x1, r.y1}, {r.x1, r.y2}, {r.x2, r.y2}, {r.x2, r.y1}});
    }
    bool intersects(const Geom &a, const Geom &b) const { return GEOSIntersects_r(h, a.get(), b.get()) == 1; }
    bool contains(const Geom &a, const Geom &b) const { return GEOSContains_r(h, a.get(), b.get()) == 1; }
    double distance(const Geom &a, const Geom &b) const
    {
        double d = 0;
        GEOSDistance_r(h, a.get(), b.get(), &d);
        return d;
    }
    double area(const Geom &g) const
    {
        double a = 0;
        GEOSArea_r(h, g.get(), &a);
        return a;
    }
    double length(const Geom &g) const
    {
        double l = 0;
        GEOSLength_r(h, g.get(), &l);
        return l;
    }

    GEOSContextHandle_t h;
};

// A simple polygon: points around a centre at increasing angles.
std::vector<MAP_COORDPT> starPolygon(std::mt19937 &rng, MAP_COORDPT centre, double radius, int n)
{
    std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi), scale(0.2, 1.0);
    std::vector<double> angles(n);
    for (double &a : angles)
        a = angle(rng);
    std::sort(angles.begin(), angles.end());
    std::vector<MAP_COORDPT> pts;
    for (double a : angles) {
        const double r = radius * scale(rng);
        const MAP_COORDPT p{int32_t(std::lround(centre.x + r * std::cos(a))),
                            int32_t(std::lround(centre.y + r * std::sin(a)))};
        if (pts.empty() || !(pts.back() == p))
            pts.push_back(p);
    }
    return pts;
}

std::vector<MAP_COORDPT> randomLine(std::mt19937 &rng, int lo, int hi, int n)
{
    std::uniform_int_distribution<int> c(lo, hi);
    std::vector<MAP_COORDPT> pts;
    for (int i = 0; i < n; ++i)
        pts.push_back({c(rng), c(rng)});
    return pts;
}

bool simple(const Geos &g, const Geos::Geom &geom) { return GEOSisValid_r(g.h, geom.get()) == 1; }

} // namespace

using GeosReferenceTest = EditingTest;

TEST_F(GeosReferenceTest, PointInPolygonOffTheBoundary)
{
    Geos g;
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> coordinate(-1200, 1200);
    int compared = 0;
    for (int k = 0; k < 60; ++k) {
        const std::vector<MAP_COORDPT> ring = starPolygon(rng, {0, 0}, 1000, 3 + k % 40);
        if (ring.size() < 3)
            continue;
        const auto geom = g.polygon(ring);
        if (!simple(g, geom))
            continue;
        const auto boundary = g.ring(ring);
        const OBJHANDLE h = polygon(ring);
        for (int i = 0; i < 60; ++i) {
            const MAP_COORDPT p{coordinate(rng), coordinate(rng)};
            const auto pt = g.point(p);
            if (g.distance(pt, boundary) == 0.0)
                continue;
            ASSERT_EQ(PolygonContainsPoint(kernel(), h, &p) == 1, g.contains(geom, pt))
                << "polygon " << k << " point " << p;
            ++compared;
        }
    }
    EXPECT_GT(compared, 2000);
}

TEST_F(GeosReferenceTest, AreasAndLengths)
{
    Geos g;
    std::mt19937 rng(2);
    for (int k = 0; k < 40; ++k) {
        const int32_t scale = k % 2 ? 1000 : 1000000000; // near the 32-bit limits too
        const std::vector<MAP_COORDPT> ring = starPolygon(rng, {0, 0}, scale, 3 + k * 5);
        const auto geom = g.polygon(ring);
        if (!simple(g, geom))
            continue;
        const OBJHANDLE pg = polygon(ring), pl = polyline(ring);
        const double area = g.area(geom);
        EXPECT_NEAR(PolygonAreaInUnits(kernel(), pg), area, area * 1e-12) << k;
        EXPECT_NEAR(std::fabs(SetOfLinesegmentArea(uint32_t(ring.size()), ring.data())), area, area * 1e-12)
            << k;
        const double perimeter = g.length(geom), open = g.length(g.line(ring));
        EXPECT_NEAR(SetOfLinesegmentLength(kernel(), pg, 1), perimeter, perimeter * 1e-12) << k;
        EXPECT_NEAR(SetOfLinesegmentLength(kernel(), pl, 0), open, open * 1e-12) << k;
    }
}

TEST_F(GeosReferenceTest, SegmentCrossingsIncludingTouchingAndCollinearOnes)
{
    Geos g;
    std::mt19937 rng(3);
    struct Range {
        int lo, hi;
    } ranges[] = {{0, 6}, {-3, 3}, {-1000000, 1000000}, {INT32_MIN, INT32_MAX}};
    int touching = 0, collinear = 0;
    for (const Range &r : ranges) {
        std::uniform_int_distribution<int> c(r.lo, r.hi);
        for (int i = 0; i < 4000; ++i) {
            const MAP_COORDPT p1{c(rng), c(rng)}, p2{c(rng), c(rng)};
            MAP_COORDPT p3{c(rng), c(rng)}, p4{c(rng), c(rng)};
            if (i % 5 == 0) // an end on the other segment's line, often on it
                p3 = {int32_t((int64_t(p1.x) + p2.x) / 2), int32_t((int64_t(p1.y) + p2.y) / 2)};
            if (p1 == p2 && p3 == p4)
                continue; // two single points: the engine answers 0 by its rule
            // A zero-length line is no valid geometry: GEOS takes the point.
            const auto a = p1 == p2 ? g.point(p1) : g.line({p1, p2});
            const auto b = p3 == p4 ? g.point(p3) : g.line({p3, p4});
            const bool expected = g.intersects(a, b);
            ASSERT_EQ(LineSegmentsIntersect(&p1, &p2, &p3, &p4) == 1, expected)
                << p1 << p2 << " " << p3 << p4;
            const __int128 cross1 = __int128(int64_t(p2.x) - p1.x) * (int64_t(p3.y) - p1.y) -
                                    __int128(int64_t(p2.y) - p1.y) * (int64_t(p3.x) - p1.x);
            touching += expected && g.distance(g.point(p3), a) == 0.0;
            collinear += r.hi == 6 && cross1 == 0;
        }
    }
    EXPECT_GT(touching, 500);
    EXPECT_GT(collinear, 200);
}

TEST_F(GeosReferenceTest, EdgesMeetingRectanglesWithinATruncatedUnit)
{
    Geos g;
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> c(-200, 200), size(0, 120);
    int compared = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::vector<MAP_COORDPT> pts = randomLine(rng, -250, 250, 2 + i % 4);
        const OBJHANDLE h = polyline(pts);
        const int32_t x = c(rng), y = c(rng);
        const MAP_COORDRECT r{x, y, x + size(rng), y + size(rng)};
        const auto line = g.line(pts), rect = g.rect(r);
        const bool expected = g.intersects(line, rect);
        const bool got = SetOfLinesegmentMeetsRect(kernel(), h, &r, 0) == 1;
        if (got != expected) {
            // The crossing coordinate is truncated: only near misses differ.
            EXPECT_LE(g.distance(line, rect), 1.0) << i;
        }
        ++compared;
        OBJectDelete(kernel(), h);
    }
    EXPECT_EQ(compared, 3000);
}

TEST_F(GeosReferenceTest, EnclosedAndTouchingCollections)
{
    Geos g;
    std::mt19937 rng(5);
    int enclosed = 0, touching = 0;
    for (int k = 0; k < 40; ++k) {
        const std::vector<MAP_COORDPT> outer = starPolygon(rng, {0, 0}, 1000, 8 + k % 20);
        const auto container = g.polygon(outer);
        if (!simple(g, container))
            continue;
        const auto containerRing = g.ring(outer);
        const OBJHANDLE c = polygon(outer);
        for (int i = 0; i < 25; ++i) {
            const bool closed = i % 2 == 0;
            std::uniform_int_distribution<int> centre(-900, 900);
            const MAP_COORDPT at{centre(rng), centre(rng)};
            std::vector<MAP_COORDPT> pts = starPolygon(rng, at, 50 + 40 * (i % 6), 3 + i % 5);
            if (pts.size() < 3)
                continue;
            const auto edges = closed ? g.ring(pts) : g.line(pts);
            const auto shape = closed ? g.polygon(pts) : g.line(pts);
            if (closed && !simple(g, shape))
                continue;
            const OBJHANDLE x = closed ? polygon(pts) : polyline(pts);
            const bool meet = g.intersects(edges, containerRing);
            const bool within = g.contains(container, shape) && !meet;
            EXPECT_EQ(ObjectEnclosedBy(kernel(), c, x) == 1, within) << k << " " << i;
            EXPECT_EQ(ObjectTouches(kernel(), c, x) == 1, meet) << k << " " << i;
            enclosed += within;
            touching += meet;
        }
        // The collections agree with the pairwise answers.
        uint32_t n = 0;
        HGLOBAL list = 0;
        ASSERT_EQ(ObjectEnclosedCollect(window, c, &n, &list), 1);
        for (uint32_t j = 0; j < n; ++j)
            EXPECT_EQ(ObjectEnclosedBy(kernel(), c, HandleListAt(list, n, j)), 1);
        if (list)
            GlobalFree(list);
        OBJectDelete(kernel(), c);
    }
    EXPECT_GT(enclosed, 50);
    EXPECT_GT(touching, 50);
}

// The finder by a point with a tolerance against GEOS distances: an object
// is found when it lies within r of the point (an area from its inside
// too), and in enclosed mode a polyline when its farthest point does. Cases
// within a small margin of r are left out: the engine measures in doubles
// its own way.
TEST_F(GeosReferenceTest, ObjectsWithinAToleranceOfAPoint)
{
    Geos g;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coordinate(-1500, 1500);
    std::uniform_real_distribution<double> tolerance(0, 600);
    const OBJHANDLE page = PageGetFromWindow(window);
    int compared = 0, hits = 0;
    for (int k = 0; k < 20; ++k) {
        struct Shape {
            OBJHANDLE h;
            Geos::Geom geom;
            bool closed;
        };
        std::vector<Shape> shapes;
        for (int i = 0; i < 8; ++i) {
            const bool closed = i % 2 == 1;
            const MAP_COORDPT at{coordinate(rng), coordinate(rng)};
            std::vector<MAP_COORDPT> pts = closed ? starPolygon(rng, at, 100 + 60 * (i % 5), 3 + i % 7)
                                                  : randomLine(rng, -1500, 1500, 2 + i % 5);
            if (pts.size() < 3 && closed)
                continue;
            auto geom = closed ? g.polygon(pts) : g.line(pts);
            if (closed && !simple(g, geom))
                continue;
            shapes.push_back({closed ? polygon(pts) : polyline(pts), std::move(geom), closed});
        }
        for (int q = 0; q < 40; ++q) {
            const MAP_COORDPT p{coordinate(rng), coordinate(rng)};
            const double r = tolerance(rng);
            const auto pt = g.point(p);
            for (int enclosed = 0; enclosed < 2; ++enclosed) {
                std::unique_ptr<CMapObjArr> found(GetObjByMap(window, p, r, enclosed, 1));
                ASSERT_NE(found, nullptr);
                std::set<OBJHANDLE> hit;
                for (int32_t i = 0; i < found->GetSize(); ++i)
                    if (found->GetAt(i) != page)
                        hit.insert(found->GetAt(i));
                for (const Shape &s : shapes) {
                    if (enclosed && s.closed)
                        continue; // a polygon's last stored vertex is not tested
                    double d = 0;
                    if (enclosed)
                        GEOSHausdorffDistance_r(g.h, s.geom.get(), pt.get(), &d);
                    else
                        d = g.distance(s.geom, pt);
                    if (std::fabs(d - r) < 1e-6 * std::max(1.0, r))
                        continue;
                    const bool expected =
                        enclosed ? d <= r : GEOSDistanceWithin_r(g.h, s.geom.get(), pt.get(), r) == 1;
                    EXPECT_EQ(hit.count(s.h) == 1, expected)
                        << "round " << k << " point " << p << " r " << r << " enclosed " << enclosed;
                    ++compared;
                    hits += expected;
                }
            }
        }
        for (const Shape &s : shapes)
            OBJectDelete(kernel(), s.h);
    }
    EXPECT_GT(compared, 4000);
    EXPECT_GT(hits, 300);
}

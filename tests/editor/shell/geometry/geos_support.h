// GEOS as the outside reference of the editor's geometry: polys in,
// areas, lengths and containment out.
#pragma once

#include "editor/shell/geometry/poly.h"

#include <geos_c.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

class GeosRef {
public:
    GeosRef() : ctx_(GEOS_init_r()) {}
    ~GeosRef() { GEOS_finish_r(ctx_); }
    GeosRef(const GeosRef &) = delete;
    GeosRef &operator=(const GeosRef &) = delete;
    GEOSContextHandle_t ctx() const { return ctx_; }

    // A coordinate sequence of the points, shifted by the origin so that
    // doubles keep their precision; closed repeats the first point.
    GEOSCoordSequence *Sequence(const std::vector<TPoint> &points, bool closed, TPoint origin = {}) const
    {
        const size_t n = points.size() + (closed ? 1 : 0);
        GEOSCoordSequence *seq = GEOSCoordSeq_create_r(ctx_, uint32_t(n), 2);
        for (size_t i = 0; i < n; i++) {
            const TPoint &p = points[i % points.size()];
            GEOSCoordSeq_setXY_r(ctx_, seq, uint32_t(i), double(int64_t(p.x) - origin.x),
                                 double(int64_t(p.y) - origin.y));
        }
        return seq;
    }
    // A polygon with optional holes.
    GEOSGeometry *Polygon(const TPoly &shell, const std::vector<TPoly> &holes = {}, TPoint origin = {}) const
    {
        std::vector<GEOSGeometry *> rings;
        for (const TPoly &h : holes)
            rings.push_back(GEOSGeom_createLinearRing_r(ctx_, Sequence(h.Points.Items(), true, origin)));
        return GEOSGeom_createPolygon_r(
            ctx_, GEOSGeom_createLinearRing_r(ctx_, Sequence(shell.Points.Items(), true, origin)),
            rings.data(), uint32_t(rings.size()));
    }
    GEOSGeometry *Line(const TPoly &line, TPoint origin = {}) const
    {
        return GEOSGeom_createLineString_r(ctx_, Sequence(line.Points.Items(), false, origin));
    }
    double Area(const GEOSGeometry *g) const
    {
        double a = 0;
        GEOSArea_r(ctx_, g, &a);
        return a;
    }
    double Length(const GEOSGeometry *g) const
    {
        double l = 0;
        GEOSLength_r(ctx_, g, &l);
        return l;
    }
    bool Contains(const GEOSGeometry *g, int64_t x, int64_t y) const
    {
        GEOSGeometry *point = GEOSGeom_createPointFromXY_r(ctx_, double(x), double(y));
        const bool inside = GEOSContains_r(ctx_, g, point) == 1;
        GEOSGeom_destroy_r(ctx_, point);
        return inside;
    }
    double DistanceToBoundary(const GEOSGeometry *g, int64_t x, int64_t y) const
    {
        GEOSGeometry *point = GEOSGeom_createPointFromXY_r(ctx_, double(x), double(y));
        GEOSGeometry *boundary = GEOSBoundary_r(ctx_, g);
        double d = 0;
        GEOSDistance_r(ctx_, boundary, point, &d);
        GEOSGeom_destroy_r(ctx_, boundary);
        GEOSGeom_destroy_r(ctx_, point);
        return d;
    }
    // The parts of a result of the given dimension (2 areas, 1 lines) with
    // their measure (area or length).
    std::vector<double> Parts(const GEOSGeometry *g, int dimension) const
    {
        std::vector<double> parts;
        const int n = GEOSGetNumGeometries_r(ctx_, g);
        for (int i = 0; i < n; i++) {
            const GEOSGeometry *part = GEOSGetGeometryN_r(ctx_, g, i);
            if (GEOSGetNumGeometries_r(ctx_, part) > 1 ||
                GEOSGeomTypeId_r(ctx_, part) == GEOS_GEOMETRYCOLLECTION) {
                if (part != g) {
                    const std::vector<double> inner = Parts(part, dimension);
                    parts.insert(parts.end(), inner.begin(), inner.end());
                }
                continue;
            }
            if (GEOSGeom_getDimensions_r(ctx_, part) == dimension && !GEOSisEmpty_r(ctx_, part))
                parts.push_back(dimension == 2 ? Area(part) : Length(part));
        }
        return parts;
    }
    GEOSGeometry *Intersection(const GEOSGeometry *a, const GEOSGeometry *b) const
    {
        return GEOSIntersection_r(ctx_, a, b);
    }

    // The points of a line string or a polygon's shell, shifted back.
    std::vector<TPoint> Points(const GEOSGeometry *g, TPoint origin = {}) const
    {
        const GEOSGeometry *line =
            GEOSGeomTypeId_r(ctx_, g) == GEOS_POLYGON ? GEOSGetExteriorRing_r(ctx_, g) : g;
        const GEOSCoordSequence *seq = GEOSGeom_getCoordSeq_r(ctx_, line);
        uint32_t n = 0;
        GEOSCoordSeq_getSize_r(ctx_, seq, &n);
        std::vector<TPoint> points;
        for (uint32_t i = 0; i < n; i++) {
            double x = 0, y = 0;
            GEOSCoordSeq_getXY_r(ctx_, seq, i, &x, &y);
            points.emplace_back(int32_t(int64_t(x) + origin.x), int32_t(int64_t(y) + origin.y));
        }
        return points;
    }

private:
    GEOSContextHandle_t ctx_;
};

// Owns a GEOS geometry.
class GeosPtr {
public:
    GeosPtr(const GeosRef &ref, GEOSGeometry *g) : ref_(ref), g_(g) {}
    ~GeosPtr()
    {
        if (g_)
            GEOSGeom_destroy_r(ref_.ctx(), g_);
    }
    GeosPtr(const GeosPtr &) = delete;
    GeosPtr &operator=(const GeosPtr &) = delete;
    GEOSGeometry *get() const { return g_; }

private:
    const GeosRef &ref_;
    GEOSGeometry *g_;
};

inline TPoly MakePoly(bool closed, const std::vector<TPoint> &points, TPoint offset = {})
{
    TPoly poly(closed);
    for (const TPoint &p : points)
        poly.AddXY(p.x + offset.x, p.y + offset.y);
    return poly;
}

inline TPoly Shifted(const TPoly &poly, TPoint by)
{
    TPoly p = poly.Clone();
    p.MoveBy(by.x, by.y);
    return p;
}

inline TPoly MakeRing(const std::vector<TPoint> &points, TPoint offset = {})
{
    return MakePoly(true, points, offset);
}
inline TPoly MakePolyline(const std::vector<TPoint> &points, TPoint offset = {})
{
    return MakePoly(false, points, offset);
}

// The lengths of the pieces, open polys, against the reference's line
// lengths: as many, and the same in sorted order within the tolerance.
inline void ExpectSameLengths(TPolys &pieces, std::vector<double> reference, double tolerance)
{
    std::vector<double> lengths;
    for (TPoly &piece : pieces.Items()) {
        EXPECT_FALSE(piece.Closed);
        lengths.push_back(double(piece.Length()));
    }
    ASSERT_EQ(lengths.size(), reference.size());
    std::sort(lengths.begin(), lengths.end());
    std::sort(reference.begin(), reference.end());
    for (size_t i = 0; i < lengths.size(); i++)
        EXPECT_NEAR(lengths[i], reference[i], tolerance);
}

// A bound, in square metres, of how far the area of result rings may stray
// from the exact one because their new points (crossings, not in the
// sources) were rounded to whole units: each moves by at most `shift`, which
// sweeps at most shift times half its two edges.
inline double RoundingBound(const std::vector<TPoly> &results, const std::vector<const TPoly *> &sources,
                            double shift)
{
    std::vector<TPoint> known;
    for (const TPoly *p : sources)
        known.insert(known.end(), p->Points.Items().begin(), p->Points.Items().end());
    auto less = [](const TPoint &a, const TPoint &b) { return a.x != b.x ? a.x < b.x : a.y < b.y; };
    std::sort(known.begin(), known.end(), less);
    double bound = 0;
    for (const TPoly &ring : results) {
        const std::vector<TPoint> &p = ring.Points.Items();
        for (size_t i = 0; i < p.size(); i++) {
            if (std::binary_search(known.begin(), known.end(), p[i], less))
                continue;
            const TPoint &prev = p[(i + p.size() - 1) % p.size()], &next = p[(i + 1) % p.size()];
            bound += shift * double(p[i].DistanceTo(&prev) + p[i].DistanceTo(&next)) / 2;
        }
    }
    return bound / 10000 + 1e-6;
}

// A star-shaped ring round a centre: simple by construction, concave where
// the radius drops.
inline TPoly RandomStar(std::mt19937 &random, TPoint centre, int vertices, int32_t radius)
{
    std::uniform_int_distribution<int32_t> r(radius / 4, radius);
    TPoly poly(true);
    for (int i = 0; i < vertices; i++) {
        const double angle = 2 * M_PI * i / vertices;
        const double length = r(random);
        poly.AddXY(centre.x + int32_t(std::lround(length * std::cos(angle))),
                   centre.y + int32_t(std::lround(length * std::sin(angle))));
    }
    return poly;
}

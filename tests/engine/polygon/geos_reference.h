// GEOS as the outside reference of the polygon engine's results: polygon
// sets in, areas and distances out.
#pragma once

#include <geos_c.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/polygon_logical.h"

struct IntPoint {
    int64_t x, y;
};
using IntRing = std::vector<IntPoint>;
using RingSet = std::vector<IntRing>;

inline RingSet RingsOf(const PlgOpResult *set)
{
    RingSet rings;
    for (int32_t i = 0; i < set->numPolygons; i++) {
        IntRing ring;
        for (int32_t j = 0; j < set->polygons[i].numPoints; j++) {
            const PlgList &p = set->points[set->polygons[i].firstPoint + j];
            ring.push_back({p.x, p.y});
        }
        rings.push_back(ring);
    }
    return rings;
}

// A set in the entry's form; the arrays live as long as this object.
struct PlgSet {
    std::vector<PlgListWithNumPoints> polygons;
    std::vector<PlgList> points;
    PlgOpResult set{};
    explicit PlgSet(const RingSet &rings)
    {
        for (const IntRing &ring : rings) {
            polygons.push_back({int32_t(points.size()), int32_t(ring.size())});
            for (const IntPoint &p : ring)
                points.push_back({int32_t(p.x), int32_t(p.y)});
        }
        set = {polygons.data(), points.data(), int32_t(points.size()), int32_t(polygons.size())};
    }
    const PlgOpResult *get() const { return &set; }
};

// Twice the signed area of a ring (y up: negative for clockwise).
inline double SignedArea2(const IntRing &ring)
{
    // Relative to the first point, so that rings far from the origin keep
    // their precision.
    double sum = 0;
    if (ring.empty())
        return 0;
    const IntPoint o = ring[0];
    for (size_t i = 0; i < ring.size(); i++) {
        const IntPoint &a = ring[i], &b = ring[(i + 1) % ring.size()];
        sum += double(a.x - o.x) * double(b.y - o.y) - double(b.x - o.x) * double(a.y - o.y);
    }
    return sum;
}

// Area of a clockwise ring set as the engine means it: keyhole rings count
// their outer ring less their holes.
inline double ClockwiseArea(const RingSet &rings)
{
    double area = 0;
    for (const IntRing &ring : rings)
        area -= SignedArea2(ring) / 2;
    return area;
}

class Geos {
public:
    Geos() : _ctx(GEOS_init_r()) {}
    ~Geos() { GEOS_finish_r(_ctx); }
    Geos(const Geos &) = delete;
    Geos &operator=(const Geos &) = delete;

    GEOSContextHandle_t ctx() const { return _ctx; }

    // The region of a ring set: every ring made valid (a keyhole ring becomes
    // a polygon with a hole), then all united. Coordinates are shifted by
    // origin so that doubles keep their precision far from zero.
    GEOSGeometry *Region(const RingSet &rings, IntPoint origin = {0, 0}) const
    {
        std::vector<GEOSGeometry *> parts;
        for (const IntRing &ring : rings) {
            if (ring.size() < 3)
                continue;
            GEOSCoordSequence *seq = GEOSCoordSeq_create_r(_ctx, uint32_t(ring.size() + 1), 2);
            for (size_t i = 0; i <= ring.size(); i++) {
                const IntPoint &p = ring[i % ring.size()];
                GEOSCoordSeq_setXY_r(_ctx, seq, uint32_t(i), double(p.x - origin.x), double(p.y - origin.y));
            }
            GEOSGeometry *shell = GEOSGeom_createLinearRing_r(_ctx, seq);
            GEOSGeometry *polygon = GEOSGeom_createPolygon_r(_ctx, shell, nullptr, 0);
            parts.push_back(GEOSMakeValid_r(_ctx, polygon));
            GEOSGeom_destroy_r(_ctx, polygon);
        }
        return UnionOf(parts);
    }

    // The union of the parts, which it takes and destroys.
    GEOSGeometry *UnionOf(std::vector<GEOSGeometry *> parts) const
    {
        GEOSGeometry *collection =
            GEOSGeom_createCollection_r(_ctx, GEOS_GEOMETRYCOLLECTION, parts.data(), uint32_t(parts.size()));
        GEOSGeometry *united = GEOSUnaryUnion_r(_ctx, collection);
        GEOSGeom_destroy_r(_ctx, collection);
        return united;
    }

    // GEOS's answer to a Boolean operation (PLG_UNION .. PLG_B_MINUS_A) on
    // two regions; null for any other operation.
    GEOSGeometry *Boolean(int code, const GEOSGeometry *a, const GEOSGeometry *b) const
    {
        switch (code) {
        case PLG_UNION:
            return GEOSUnion_r(_ctx, a, b);
        case PLG_INTERSECTION:
            return GEOSIntersection_r(_ctx, a, b);
        case PLG_EXCLUSIVE_OR:
            return GEOSSymDifference_r(_ctx, a, b);
        case PLG_A_MINUS_B:
            return GEOSDifference_r(_ctx, a, b);
        case PLG_B_MINUS_A:
            return GEOSDifference_r(_ctx, b, a);
        default:
            return nullptr;
        }
    }

    double Area(const GEOSGeometry *g) const
    {
        double area = 0;
        GEOSArea_r(_ctx, g, &area);
        return area;
    }
    double Perimeter(const GEOSGeometry *g) const
    {
        double length = 0;
        GEOSLength_r(_ctx, g, &length);
        return length;
    }
    double SymDifferenceArea(const GEOSGeometry *a, const GEOSGeometry *b) const
    {
        GEOSGeometry *d = GEOSSymDifference_r(_ctx, a, b);
        const double area = Area(d);
        GEOSGeom_destroy_r(_ctx, d);
        return area;
    }
    double Hausdorff(const GEOSGeometry *a, const GEOSGeometry *b) const
    {
        double distance = 0;
        GEOSHausdorffDistanceDensify_r(_ctx, a, b, 0.05, &distance);
        return distance;
    }

private:
    GEOSContextHandle_t _ctx;
};

// Owns a GEOS geometry.
struct GeosGeometry {
    const Geos &geos;
    GEOSGeometry *g;
    GeosGeometry(const Geos &engine, GEOSGeometry *geometry) : geos(engine), g(geometry) {}
    ~GeosGeometry()
    {
        if (g)
            GEOSGeom_destroy_r(geos.ctx(), g);
    }
    GeosGeometry(const GeosGeometry &) = delete;
    GeosGeometry &operator=(const GeosGeometry &) = delete;
};

// A random star-shaped ring around a centre, its corners at radius/4 to
// radius: simple by construction, with concave corners wherever the radius
// drops.
inline IntRing RandomStar(std::mt19937 &random, int64_t cx, int64_t cy, int vertices, int64_t radius)
{
    std::uniform_int_distribution<int64_t> r(radius / 4, radius);
    IntRing ring;
    for (int i = 0; i < vertices; i++) {
        const double angle = 2 * M_PI * i / vertices;
        const int64_t length = r(random);
        ring.push_back({cx + int64_t(std::lround(length * std::cos(angle))),
                        cy + int64_t(std::lround(length * std::sin(angle)))});
    }
    return ring;
}

// The correction distance and arc deviation set for a scope; the engine's
// parameters are restored after it.
class CorrectionParametersScope {
public:
    CorrectionParametersScope(double distance, double deviation) : _saved(GetEngineParameters())
    {
        GetEngineParameters().correctionDistance = distance;
        GetEngineParameters().correctionDeviation = deviation;
    }
    ~CorrectionParametersScope() { GetEngineParameters() = _saved; }
    CorrectionParametersScope(const CorrectionParametersScope &) = delete;
    CorrectionParametersScope &operator=(const CorrectionParametersScope &) = delete;

private:
    EngineParameters _saved;
};

// GEOS as the judge of a cut: the pieces of a polygon must tile it.
#pragma once

#include "engine/kernel/coords.h"
#include "tests/support/polygon_validity.h"

#include <geos_c.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace tiling_check {

using Ring = std::vector<MAP_COORDPT>;

class Geos {
public:
    Geos() : h_(GEOS_init_r()) {}
    ~Geos() { GEOS_finish_r(h_); }
    Geos(const Geos &) = delete;
    Geos &operator=(const Geos &) = delete;

    GEOSGeometry *polygon(const Ring &ring) const
    {
        GEOSCoordSequence *seq = GEOSCoordSeq_create_r(h_, unsigned(ring.size() + 1), 2);
        for (size_t i = 0; i <= ring.size(); ++i) {
            const MAP_COORDPT &p = ring[i % ring.size()];
            GEOSCoordSeq_setXY_r(h_, seq, unsigned(i), double(p.x), double(p.y));
        }
        return GEOSGeom_createPolygon_r(h_, GEOSGeom_createLinearRing_r(h_, seq), nullptr, 0);
    }
    double area(const GEOSGeometry *g) const
    {
        double a = 0;
        GEOSArea_r(h_, g, &a);
        return a;
    }
    GEOSContextHandle_t handle() const { return h_; }

private:
    GEOSContextHandle_t h_;
};

inline std::string Describe(const Ring &ring)
{
    std::string out;
    for (const MAP_COORDPT &p : ring)
        out += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return out;
}

inline double Perimeter(const Ring &ring)
{
    double sum = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const MAP_COORDPT &a = ring[i], &b = ring[(i + 1) % ring.size()];
        sum += std::hypot(double(b.x) - a.x, double(b.y) - a.y);
    }
    return sum;
}

// The pieces cover the polygon and do not overlap, within what rounding the
// crossing points to map units can move: about one unit along every edge.
inline void ExpectTiling(const Ring &polygon, const std::vector<Ring> &pieces)
{
    Geos geos;
    GEOSContextHandle_t h = geos.handle();
    double tolerance = Perimeter(polygon);
    std::vector<GEOSGeometry *> parts;
    double sum = 0;
    for (const Ring &piece : pieces) {
        ASSERT_GE(piece.size(), 3u);
        tolerance += Perimeter(piece);
        // A piece around a loop of the line holds it as a hole joined by a
        // bridge, the engine's form of holes: judged in that form.
        polygon_validity::Loop clockwise;
        for (const MAP_COORDPT &p : piece)
            clockwise.push_back({p.x, p.y});
        if (polygon_validity::Area2(clockwise) > 0)
            std::reverse(clockwise.begin(), clockwise.end());
        EXPECT_EQ(polygon_validity::Checker().Problem({clockwise}), "") << Describe(piece);
        GEOSGeometry *ring = geos.polygon(piece);
        parts.push_back(GEOSMakeValid_r(h, ring));
        GEOSGeom_destroy_r(h, ring);
        ASSERT_NE(parts.back(), nullptr);
        sum += geos.area(parts.back());
    }
    GEOSGeometry *whole = geos.polygon(polygon);
    const double area = geos.area(whole);
    EXPECT_NEAR(sum, area, tolerance);
    for (size_t i = 0; i < parts.size(); ++i)
        for (size_t j = i + 1; j < parts.size(); ++j) {
            GEOSGeometry *both = GEOSIntersection_r(h, parts[i], parts[j]);
            ASSERT_NE(both, nullptr);
            EXPECT_LE(geos.area(both), tolerance) << "pieces " << i << " and " << j << " overlap";
            GEOSGeom_destroy_r(h, both);
        }
    GEOSGeometry *collection =
        GEOSGeom_createCollection_r(h, GEOS_GEOMETRYCOLLECTION, parts.data(), unsigned(parts.size()));
    GEOSGeometry *united = GEOSUnaryUnion_r(h, collection);
    ASSERT_NE(united, nullptr);
    GEOSGeometry *difference = GEOSSymDifference_r(h, united, whole);
    ASSERT_NE(difference, nullptr);
    EXPECT_LE(geos.area(difference), tolerance);
    GEOSGeom_destroy_r(h, difference);
    GEOSGeom_destroy_r(h, united);
    GEOSGeom_destroy_r(h, collection);
    GEOSGeom_destroy_r(h, whole);
}

} // namespace tiling_check

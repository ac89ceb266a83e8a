// Containment, enclosed and neighbouring objects and the orientation of
// polygons, as the window-level functions answer them, against GEOS on a
// random map of star-shaped polygons.
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_shapes.h"
#include "tests/engine/window/window_functions_fixture.h"

#include <geos_c.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace {

void geosMessage(const char *, void *) {}

class WindowGeosTest : public WindowFunctionsTest {
protected:
    void SetUp() override
    {
        WindowFunctionsTest::SetUp();
        if (HasFatalFailure())
            return;
        geos = GEOS_init_r();
        GEOSContext_setNoticeMessageHandler_r(geos, geosMessage, nullptr);
        GEOSContext_setErrorMessageHandler_r(geos, geosMessage, nullptr);
        std::mt19937 random(20261211);
        std::uniform_int_distribution<int32_t> centre(0, 10000), radius(300, 2500), count(3, 12);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int k = 0; k < 40; ++k) {
            // Star-shaped: increasing angles, random radii; simple by construction.
            const int32_t cx = centre(random), cy = centre(random), r = radius(random);
            const int n = count(random);
            std::vector<double> angles;
            for (int i = 0; i < n; ++i)
                angles.push_back(unit(random) * 2 * M_PI);
            std::sort(angles.begin(), angles.end());
            std::vector<MAP_COORDPT> pts;
            for (double a : angles) {
                const double rr = r * (0.4 + 0.6 * unit(random));
                const MAP_COORDPT p{cx + int32_t(std::lround(std::cos(a) * rr)),
                                    cy + int32_t(std::lround(std::sin(a) * rr))};
                if (pts.empty() || pts.back().x != p.x || pts.back().y != p.y)
                    pts.push_back(p);
            }
            if (pts.size() < 3)
                continue;
            OBJHANDLE polygon = 0;
            ASSERT_EQ(map_polygon_Create(window, &polygon, pts.data(), int32_t(pts.size()), 0), 1);
            GEOSGeometry *g = toGeos(pts);
            if (!GEOSisValid_r(geos, g)) {
                GEOSGeom_destroy_r(geos, g);
                map_objects_Delete(window, &polygon, 1, 0);
                continue; // collinear spikes: not a fair reference case
            }
            handles.push_back(polygon);
            shapes.push_back(g);
        }
        // One sure pair of a ring inside another.
        for (const std::vector<MAP_COORDPT> &pts :
             {std::vector<MAP_COORDPT>{{4000, 4000}, {4000, 6000}, {6000, 6000}, {6000, 4000}},
              std::vector<MAP_COORDPT>{{4900, 4900}, {4900, 5100}, {5100, 5100}, {5100, 4900}}}) {
            OBJHANDLE polygon = 0;
            ASSERT_EQ(map_polygon_Create(window, &polygon, pts.data(), int32_t(pts.size()), 0), 1);
            handles.push_back(polygon);
            shapes.push_back(toGeos(pts));
        }
        ASSERT_GT(shapes.size(), 20u);
    }
    void TearDown() override
    {
        for (GEOSGeometry *g : shapes)
            GEOSGeom_destroy_r(geos, g);
        if (geos)
            GEOS_finish_r(geos);
        WindowFunctionsTest::TearDown();
    }

    GEOSGeometry *toGeos(const std::vector<MAP_COORDPT> &pts) const
    {
        const unsigned n = unsigned(pts.size() + 1);
        GEOSCoordSequence *s = GEOSCoordSeq_create_r(geos, n, 2);
        for (unsigned i = 0; i < n; ++i)
            GEOSCoordSeq_setXY_r(geos, s, i, pts[i % pts.size()].x, pts[i % pts.size()].y);
        return GEOSGeom_createPolygon_r(geos, GEOSGeom_createLinearRing_r(geos, s), nullptr, 0);
    }

    std::set<OBJHANDLE> engineSet(const OBJHANDLE *items, int32_t n)
    {
        return std::set<OBJHANDLE>(items, items + std::max(n, 0));
    }

    GEOSContextHandle_t geos = nullptr;
    std::vector<OBJHANDLE> handles;
    std::vector<GEOSGeometry *> shapes;
};

TEST_F(WindowGeosTest, ContainPointAgreesWithContains)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(-500, 10500);
    int tested = 0, hits = 0;
    for (int i = 0; i < 400; ++i) {
        const MAP_COORDPT p{coordinate(random), coordinate(random)};
        GEOSCoordSequence *s = GEOSCoordSeq_create_r(geos, 1, 2);
        GEOSCoordSeq_setXY_r(geos, s, 0, p.x, p.y);
        GEOSGeometry *point = GEOSGeom_createPoint_r(geos, s);
        std::set<OBJHANDLE> expected;
        bool nearEdge = false;
        for (size_t k = 0; k < shapes.size(); ++k) {
            double d = 0;
            GEOSGeometry *boundary = GEOSBoundary_r(geos, shapes[k]);
            GEOSDistance_r(geos, boundary, point, &d);
            GEOSGeom_destroy_r(geos, boundary);
            nearEdge = nearEdge || d < 2.0;
            if (GEOSContains_r(geos, shapes[k], point) == 1)
                expected.insert(handles[k]);
        }
        GEOSGeom_destroy_r(geos, point);
        if (nearEdge)
            continue;
        OBJHANDLE out[64] = {};
        int32_t count = 0;
        const int32_t copied = map_get_ContainPoint(window, &p, &count, out, 64);
        EXPECT_EQ(copied, count);
        EXPECT_EQ(engineSet(out, copied), expected) << p.x << "," << p.y;
        ++tested;
        hits += int(expected.size());
    }
    EXPECT_GT(tested, 300);
    EXPECT_GT(hits, 20);
}

TEST_F(WindowGeosTest, EnclosedAndNeighboursAgreeWithWithinAndIntersects)
{
    int enclosedSeen = 0, neighboursSeen = 0;
    for (size_t k = 0; k < shapes.size(); ++k) {
        std::set<OBJHANDLE> within, touching;
        for (size_t j = 0; j < shapes.size(); ++j) {
            if (j == k)
                continue;
            const bool in = GEOSWithin_r(geos, shapes[j], shapes[k]) == 1;
            const bool around = GEOSWithin_r(geos, shapes[k], shapes[j]) == 1;
            if (in)
                within.insert(handles[j]);
            else if (!around && GEOSIntersects_r(geos, shapes[j], shapes[k]) == 1)
                touching.insert(handles[j]);
        }
        OBJHANDLE out[64] = {};
        int32_t found = 0;
        const int32_t e = map_get_Enclosed(window, &handles[k], 1, &found, out, 64);
        EXPECT_EQ(engineSet(out, e), within) << "enclosed by " << k;
        const int32_t n = map_get_Neighbours(window, &handles[k], 1, &found, out, 64);
        EXPECT_EQ(engineSet(out, n), touching) << "neighbours of " << k;
        enclosedSeen += int(within.size());
        neighboursSeen += int(touching.size());
    }
    EXPECT_GT(neighboursSeen, 5);
    EXPECT_GT(enclosedSeen, 0);
}

TEST_F(WindowGeosTest, OrientationAgreesWithCounterClockwise)
{
    for (int flag : {1, 0})
        for (OBJHANDLE polygon : handles) {
            ASSERT_EQ(m_PolygonClockDirection(window, polygon, flag), 1);
            int32_t total = 0;
            map_polygon_Get(window, polygon, &total, nullptr, 0);
            std::vector<MAP_COORDPT> pts(static_cast<size_t>(total));
            map_polygon_Get(window, polygon, nullptr, pts.data(), total);
            GEOSGeometry *g = toGeos(pts);
            char ccw = 0;
            GEOSCoordSeq_isCCW_r(geos, GEOSGeom_getCoordSeq_r(geos, GEOSGetExteriorRing_r(geos, g)), &ccw);
            GEOSGeom_destroy_r(geos, g);
            EXPECT_EQ(ccw != 0, flag != 0) << "flag " << flag;
        }
}

} // namespace

#include "engine/polygon/arcs/arcs.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/object_store.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int32_t kSentinel = 0x5A5A5A5A;

double Distance(double x, double y, double cx, double cy) { return std::hypot(x - cx, y - cy); }

// The calculators' output with a guard entry on either side.
struct Output {
    explicit Output(uint32_t n, bool heights) : stride(heights ? 3 : 2), data((n + 2) * stride, kSentinel) {}
    void *entries() { return data.data() + stride; }
    int32_t x(uint32_t i) const { return data[(i + 1) * stride]; }
    int32_t y(uint32_t i) const { return data[(i + 1) * stride + 1]; }
    int32_t z(uint32_t i) const { return data[(i + 1) * stride + 2]; }
    bool guardsIntact(uint32_t n) const
    {
        for (size_t k = 0; k < stride; ++k)
            if (data[k] != kSentinel || data[(n + 1) * stride + k] != kSentinel)
                return false;
        return true;
    }
    size_t stride;
    std::vector<int32_t> data;
};

} // namespace

TEST(ArcGeometry, AnglesSweepsAndCircles)
{
    EXPECT_DOUBLE_EQ(AngleSweep(350, 10), 20);
    EXPECT_DOUBLE_EQ(AngleSweep(10, 350), 340);
    EXPECT_DOUBLE_EQ(AngleSweep(-90, 90), 180);
    EXPECT_DOUBLE_EQ(AngleSweep(45, 45), 0);
    EXPECT_EQ(AngleIsBetween(0, 90, 180), 1);
    EXPECT_EQ(AngleIsBetween(0, 270, 180), 0);
    EXPECT_EQ(AngleSweepIsMinor(0, 180), 1);
    EXPECT_EQ(AngleSweepIsMinor(0, 181), 0);

    ArcCircle c{};
    ASSERT_TRUE(CircleFrom3Points(100, 0, 0, 100, -100, 0, &c));
    EXPECT_NEAR(c.cx, 0, 1e-9);
    EXPECT_NEAR(c.cy, 0, 1e-9);
    EXPECT_NEAR(c.r, 100, 1e-9);
    EXPECT_FALSE(CircleFrom3Points(0, 0, 50, 50, 100, 100, &c)); // collinear
    EXPECT_FALSE(CircleFrom3Points(5, 5, 5, 5, 5, 5, &c));       // coinciding

    double degrees = 0;
    EXPECT_TRUE(AngleOfPointOnCircle({0, 0, 100}, 0, 100, &degrees));
    EXPECT_NEAR(degrees, 90, 1e-4);
    EXPECT_TRUE(AngleOfPointOnCircle({0, 0, 100}, -100, 0, &degrees));
    EXPECT_NEAR(degrees, 180, 1e-4);
    EXPECT_FALSE(AngleOfPointOnCircle({0, 0, 0}, 1, 1, &degrees));
    EXPECT_FALSE(AngleOfPointOnCircle({0, 0, -5}, 1, 1, &degrees));

    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_TRUE(CircleCentresFrom2PointsAndRadius(0, 0, 10, 0, 5, &x1, &y1, &x2, &y2));
    EXPECT_EQ(x1, 5);
    EXPECT_EQ(y1, 0);
    EXPECT_EQ(x2, 5);
    EXPECT_EQ(y2, 0);
    EXPECT_FALSE(CircleCentresFrom2PointsAndRadius(0, 0, 10, 0, 4, &x1, &y1, &x2, &y2));
    ASSERT_TRUE(CircleCentresFrom2PointsAndRadius(0, 0, 0, 10, 13, &x1, &y1, &x2, &y2));
    EXPECT_NEAR(Distance(0, 0, x1, y1), 13, 1e-9);
    EXPECT_NEAR(Distance(0, 10, x2, y2), 13, 1e-9);
    EXPECT_NE(x1, x2);
}

TEST(ArcGeometry, ThreePointArcsRunThroughTheirPoints)
{
    struct Case {
        const char *name;
        double x2, y2;
        int whole, heights;
        uint32_t n;
    };
    // From (100, 0) to (0, 100) on the circle of radius 100 round the origin,
    // through a point on the short or on the long way.
    const std::vector<Case> cases = {
        {"counter-clockwise quarter", 70.710678, 70.710678, 0, 0, 10},
        {"clockwise three quarters", -70.710678, -70.710678, 0, 0, 30},
        {"with heights", 70.710678, 70.710678, 0, 1, 10},
        {"whole circle", 70.710678, 70.710678, 1, 0, 40},
        {"whole circle with heights", 70.710678, 70.710678, 1, 1, 40},
        {"whole circle, the middle point just after the first", 99.995, 1, 1, 1, 12},
        {"two entries", 70.710678, 70.710678, 0, 1, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Output out(c.n, c.heights);
        uint32_t written = 0;
        ASSERT_EQ(m_GetArcFrom3Points(100, 0, 10, c.x2, c.y2, 20, 0, 100, 30, c.n, c.heights, out.entries(),
                                      c.whole, &written),
                  1);
        EXPECT_TRUE(out.guardsIntact(c.n));
        ASSERT_GE(written, 2u);
        EXPECT_LE(written, c.n);
        EXPECT_EQ(out.x(0), 100);
        EXPECT_EQ(out.y(0), 0);
        for (uint32_t i = 0; i < written; ++i)
            EXPECT_NEAR(Distance(out.x(i), out.y(i), 0, 0), 100, 1.0) << "entry " << i;
        if (!c.whole) {
            EXPECT_EQ(out.x(written - 1), 0);
            EXPECT_EQ(out.y(written - 1), 100);
            // The short way stays in the first quadrant, the long way not.
            if (written > 2) {
                EXPECT_EQ(out.x(1) > 0 && out.y(1) > 0, c.x2 > 0);
            }
        }
        if (c.heights) {
            EXPECT_EQ(out.z(0), 10);
            EXPECT_EQ(out.z(written - 1), c.whole ? 10 : 30);
        }
    }
}

TEST(ArcGeometry, TwoPointArcsTakeTheShortWayInTheRadiusDirection)
{
    struct Case {
        double radius;
        int32_t middleY; // of the half circle from (0, 0) to (10, 0)
    };
    for (const Case &c : std::vector<Case>{{-5, -5}, {5, 5}}) {
        SCOPED_TRACE(c.radius);
        Output out(11, true);
        uint32_t written = 0;
        ASSERT_EQ(m_GetArcFrom2PointsAndRad(0, 0, 1, 10, 0, 5, c.radius, 11, 1, out.entries(), &written), 1);
        ASSERT_EQ(written, 11u);
        EXPECT_EQ(out.x(0), 0);
        EXPECT_EQ(out.x(10), 10);
        EXPECT_EQ(out.y(5), c.middleY);
        EXPECT_EQ(out.z(0), 1);
        EXPECT_EQ(out.z(10), 5);
        EXPECT_TRUE(out.guardsIntact(11));
    }
    // A longer radius bends less, on the side the sign says.
    Output out(9, false);
    ASSERT_EQ(m_GetArcFrom2PointsAndRad(0, 0, 0, 100, 0, 0, 100, 9, 0, out.entries()), 1);
    EXPECT_GT(out.y(4), 0);
    EXPECT_LT(out.y(4), 50);
}

TEST(ArcGeometry, BadInputIsRefusedWithoutWritingOutside)
{
    const double big = 2147483000.0;
    struct Case {
        const char *name;
        double x1, y1, x2, y2, x3, y3;
        uint32_t n;
        int whole, heights;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {"collinear", 0, 0, 50, 50, 100, 100, 10, 0, 0},
        {"coinciding", 5, 5, 5, 5, 5, 5, 10, 0, 0},
        {"n of 0", 100, 0, 0, 100, -100, 0, 0, 0, 0},
        {"n of 1", 100, 0, 0, 100, -100, 0, 1, 0, 0},
        {"whole circle of 2", 100, 0, 0, 100, -100, 0, 2, 1, 0},
        {"whole circle with heights of 3", 100, 0, 0, 100, -100, 0, 3, 1, 1},
        {"a circle leaving 32 bits", big + 1000, 0, big + 900, 100, big + 800, 0, 10, 0, 0},
        {"not a number", nan, 0, 0, 100, -100, 0, 10, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Output out(c.n, c.heights);
        uint32_t written = 7;
        EXPECT_EQ(m_GetArcFrom3Points(c.x1, c.y1, 0, c.x2, c.y2, 0, c.x3, c.y3, 0, c.n, c.heights,
                                      out.entries(), c.whole, &written),
                  0);
        EXPECT_EQ(written, 0u);
        EXPECT_TRUE(out.guardsIntact(c.n));
    }
    Output out(10, false);
    EXPECT_EQ(m_GetArcFrom3Points(100, 0, 0, 0, 100, 0, -100, 0, 0, 10, 0, nullptr, 0), 0);
    EXPECT_EQ(m_GetArcFrom2PointsAndRad(0, 0, 0, 10, 0, 0, 4, 10, 0, out.entries()), 0);
    EXPECT_EQ(m_GetArcFrom2PointsAndRad(0, 0, 0, 10, 0, 0, 0, 10, 0, out.entries()), 0);
    EXPECT_EQ(m_GetArcFrom2PointsAndRad(3, 3, 0, 3, 3, 0, 5, 10, 0, out.entries()), 0);
    EXPECT_EQ(m_GetArcFrom2PointsAndRad(0, 0, 0, 10, 0, 0, 5, 1, 0, out.entries()), 0);
    Output withHeights(10, true);
    EXPECT_EQ(m_GetArcFrom2PointsAndRad(0, 0, 0, 10, 0, 0, 5, 10, 1, withHeights.entries()), 1);
    EXPECT_TRUE(withHeights.guardsIntact(10));
    EXPECT_EQ(m_GetArcFrom2PointsAndRad(big, 0, 0, big + 10, 0, 0, 5e9, 10, 0, out.entries()), 0);
    EXPECT_EQ(ArcPoints({0, 0, 10}, 0, 90, out.entries(), 1, 0, 0, 0, 0), 0u);
    // Vertices that coincide are written once, and the count says so.
    EXPECT_EQ(ArcPoints({0, 0, 1}, 0, 90, out.entries(), 8, 0, 0, 0, 0), 3u);
    EXPECT_EQ(out.x(2), 0);
    EXPECT_EQ(out.y(2), 1);
}

namespace {

class ArcObjectTest : public EditingTest {};

} // namespace

TEST_F(ArcObjectTest, CirclesAndArcsBecomeObjectsOfTheActiveLayer)
{
    const OBJHANDLE circle = CirclePolygonCreate(window, 1000, 2000, 100, 36);
    ASSERT_NE(circle, 0u);
    EXPECT_EQ(GetOBJectClassID(kernel(), circle), CLASS_POLYGON);
    const std::vector<MAP_COORDPT> ring = points(circle);
    ASSERT_EQ(ring.size(), 36u);
    EXPECT_EQ(ring[0], (MAP_COORDPT{1100, 2000}));
    for (const MAP_COORDPT &p : ring)
        EXPECT_NEAR(Distance(p.x, p.y, 1000, 2000), 100, 1.0);

    // 350 to 10 degrees sweeps 20 degrees through 0; the last vertex is one
    // step short of the end.
    const OBJHANDLE arc = m_ArcCreate(window, 0, 0, 1000, 350, 10, 4);
    ASSERT_NE(arc, 0u);
    EXPECT_EQ(GetOBJectClassID(kernel(), arc), CLASS_POLYLINE);
    const std::vector<MAP_COORDPT> line = points(arc);
    ASSERT_EQ(line.size(), 4u);
    EXPECT_EQ(line[0], (MAP_COORDPT{985, -174}));
    EXPECT_EQ(line[2], (MAP_COORDPT{1000, 0}));
    EXPECT_EQ(line[3], (MAP_COORDPT{996, 87}));

    struct Refusal {
        const char *name;
        int32_t cx, radius;
        uint32_t n;
    };
    const int32_t max = std::numeric_limits<int32_t>::max();
    for (const Refusal &r : std::vector<Refusal>{{"radius 0", 0, 0, 36},
                                                 {"negative radius", 0, -10, 36},
                                                 {"n of 2", 0, 100, 2},
                                                 {"n of 0", 0, 100, 0},
                                                 {"too many vertices", 0, 100, 0x40000000},
                                                 {"leaving 32 bits", max - 50, 100, 36}}) {
        SCOPED_TRACE(r.name);
        const uint32_t before = GetNumberOfOBJectsKernel(kernel(), CLASS_POLYGON) +
                                GetNumberOfOBJectsKernel(kernel(), CLASS_POLYLINE);
        EXPECT_EQ(CirclePolygonCreate(window, r.cx, 0, r.radius, r.n), 0u);
        EXPECT_EQ(m_ArcCreate(window, r.cx, 0, r.radius, 0, 90, r.n), 0u);
        EXPECT_EQ(GetNumberOfOBJectsKernel(kernel(), CLASS_POLYGON) +
                      GetNumberOfOBJectsKernel(kernel(), CLASS_POLYLINE),
                  before);
    }
    EXPECT_NE(CirclePolygonCreate(window, max - 150, 0, 100, 36), 0u);
    EXPECT_EQ(CirclePolygonCreate(0, 0, 0, 100, 36), 0u);
    EXPECT_EQ(m_ArcCreate(window, 0, 0, 100, std::numeric_limits<double>::infinity(), 90, 10), 0u);
}

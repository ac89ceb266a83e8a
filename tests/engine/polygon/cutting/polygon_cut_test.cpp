#include "engine/polygon/cutting/polygon_cut.h"

#include "tests/engine/polygon/cutting/tiling_check.h"

#include <geos_c.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using tiling_check::ExpectTiling;

const PointRing kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
const PointRing kUPolygon = {{0, 0}, {90, 0}, {90, 90}, {60, 90}, {60, 30}, {30, 30}, {30, 90}, {0, 90}};

} // namespace

TEST(PolygonCut, FixturesAreCutIntoTheRegionsTheLineSeparates)
{
    struct Case {
        const char *name;
        PointRing polygon, cutter;
        size_t pieces;
    };
    const int32_t big = std::numeric_limits<int32_t>::max() - 3,
                  small = std::numeric_limits<int32_t>::min() + 3;
    const std::vector<Case> cases = {
        {"straight line across a convex polygon", kSquare, {{-10, 50}, {110, 50}}, 2},
        {"line across a concave polygon's two arms", kUPolygon, {{-10, 60}, {100, 60}}, 3},
        {"U-shaped cutter crossing four times", kSquare, {{20, 120}, {20, 20}, {80, 20}, {80, 120}}, 2},
        {"U-shaped cutter whose arms cross from side to side",
         kSquare,
         {{-10, 30}, {120, 30}, {120, 70}, {-10, 70}},
         3},
        {"slit ending inside", kSquare, {{-10, 50}, {50, 50}}, 0},
        {"slit with a branch across", kSquare, {{50, -10}, {50, 110}, {50, 50}, {80, 50}}, 2},
        {"through two vertices", kSquare, {{-10, -10}, {110, 110}}, 2},
        {"vertex to vertex exactly", kSquare, {{0, 0}, {100, 100}}, 2},
        {"along an edge only", kSquare, {{-10, 0}, {110, 0}}, 0},
        {"along an edge then across", kSquare, {{-10, 0}, {50, 0}, {50, 110}}, 2},
        {"missing the polygon", kSquare, {{200, 0}, {300, 100}}, 0},
        {"the polygon's own outline", kSquare, {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}, 0},
        {"closed loop inside", kSquare, {{20, 20}, {40, 20}, {40, 40}, {20, 20}}, 0},
        {"zig-zag crossing eight times", kSquare, {{-10, 10}, {110, 30}, {-10, 50}, {110, 70}, {-10, 90}}, 5},
        {"self-crossing cutter", kSquare, {{-10, 20}, {110, 80}, {110, 20}, {-10, 80}}, 4},
        {"polygon with repeated points and a spike",
         {{0, 0}, {0, 0}, {100, 0}, {100, 100}, {150, 100}, {100, 100}, {0, 100}, {0, 0}},
         {{50, -10}, {50, 110}},
         2},
        {"near the integer limits",
         {{small, small}, {big, small}, {big, big}, {small, big}},
         {{0, small - 0}, {0, big}},
         2},
        {"one-point line", kSquare, {{50, 50}}, 0},
        {"all-equal line", kSquare, {{50, 50}, {50, 50}, {50, 50}}, 0},
        {"empty line", kSquare, {}, 0},
        {"two-point polygon", {{0, 0}, {100, 100}}, {{0, 100}, {100, 0}}, 0},
        {"zero-area polygon", {{0, 0}, {50, 50}, {100, 100}}, {{0, 100}, {100, 0}}, 0},
        {"empty polygon", {}, {{0, 100}, {100, 0}}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<PointRing> pieces = SplitRingByPolyline(c.polygon, c.cutter);
        EXPECT_EQ(pieces.size(), c.pieces);
        if (!pieces.empty())
            ExpectTiling(c.polygon, pieces);
    }
}

TEST(PolygonCut, RandomPolygonsAndCuttersAreTiledByTheirPieces)
{
    std::mt19937 random(20261211);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int cut = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // A star-shaped polygon: simple, often concave.
        const int n = 3 + int(random() % 12);
        PointRing polygon;
        for (int k = 0; k < n; ++k) {
            const double angle = 6.283185307179586 * (k + 0.8 * unit(random)) / n;
            const double radius = 200 + 800 * unit(random);
            polygon.push_back({int32_t(std::lround(radius * std::cos(angle))),
                               int32_t(std::lround(radius * std::sin(angle)))});
        }
        const int m = 2 + int(random() % 4);
        PointRing cutter;
        // Every other round the line runs through polygon vertices (and so
        // at times along an edge).
        for (int k = 0; k < m; ++k)
            if (round % 2 && random() % 3)
                cutter.push_back(polygon[random() % polygon.size()]);
            else
                cutter.push_back({int32_t(random() % 2400) - 1200, int32_t(random() % 2400) - 1200});
        const std::vector<PointRing> pieces = SplitRingByPolyline(polygon, cutter);
        if (pieces.empty())
            continue;
        ++cut;
        ASSERT_GE(pieces.size(), 2u);
        ExpectTiling(polygon, pieces);
    }
    // Most random lines of this spread cross the polygons.
    EXPECT_GT(cut, 100);
}

TEST(PolygonCut, ALargePolygonCutManyTimesIsTiled)
{
    // 20,000 vertices on a wavy circle, cut by a zig-zag that crosses it
    // dozens of times: the crossing search must not try every pair.
    PointRing polygon;
    const int n = 20000;
    for (int k = 0; k < n; ++k) {
        const double angle = 6.283185307179586 * k / n;
        const double radius = 1000000 + 20000 * std::sin(97 * angle);
        polygon.push_back(
            {int32_t(std::lround(radius * std::cos(angle))), int32_t(std::lround(radius * std::sin(angle)))});
    }
    PointRing cutter;
    for (int k = 0; k <= 20; ++k)
        cutter.push_back({-1100000 + 110000 * k, k % 2 ? 900000 : -900000});
    const std::vector<PointRing> pieces = SplitRingByPolyline(polygon, cutter);
    EXPECT_GE(pieces.size(), 15u);
    ExpectTiling(polygon, pieces);
}

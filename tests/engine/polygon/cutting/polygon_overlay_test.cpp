#include "engine/polygon/cutting/polygon_overlay.h"

#include "engine/editing/handle_list.h"
#include "engine/kernel/object_store.h"
#include "engine/polygon/cutting/cutting_engine.h"
#include "platform/global_memory.h"
#include "tests/engine/editing/editing_fixture.h"
#include "tests/engine/polygon/cutting/tiling_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using Ring = std::vector<MAP_COORDPT>;

const Ring kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
const Ring kU = {{0, 0}, {90, 0}, {90, 90}, {60, 90}, {60, 30}, {30, 30}, {30, 90}, {0, 90}};

Ring Reversed(Ring r) { return Ring(r.rbegin(), r.rend()); }

class PolygonOverlayTest : public EditingTest {
protected:
    // The object cut by the cutter through the cutting engine; the pieces'
    // rings. The inputs must come out as they went in.
    std::vector<Ring> cut(const Ring &object, const Ring &cutter)
    {
        const OBJHANDLE a = polygon(object), b = polygon(cutter);
        const uint32_t polygons = GetNumberOfOBJectsKernel(kernel(), CLASS_POLYGON);
        HGLOBAL list1 = 0, list2 = 0;
        uint32_t n1 = 0, n2 = 0;
        OBJHANDLE o = a, c = b;
        EXPECT_EQ(CutObjectsByCutter(window, 0, &o, &c, &list1, &n1, &list2, &n2, 0), 1);
        EXPECT_EQ(n2, 0u);
        EXPECT_EQ(points(a), object);
        EXPECT_EQ(points(b), cutter);
        EXPECT_EQ(GetNumberOfOBJectsKernel(kernel(), CLASS_POLYGON), polygons + n1);
        std::vector<Ring> out;
        for (uint32_t i = 0; i < n1; ++i)
            out.push_back(points(HandleListAt(list1, n1, i)));
        if (list1)
            GlobalFree(list1);
        return out;
    }
};

} // namespace

TEST_F(PolygonOverlayTest, APolygonIsCutIntoItsCommonPartAndTheRest)
{
    struct Case {
        const char *name;
        Ring object, cutter;
        size_t pieces;
    };
    const int32_t big = 2147483000, small = -2147483000;
    const std::vector<Case> cases = {
        {"overlapping squares", kSquare, {{50, 50}, {150, 50}, {150, 150}, {50, 150}}, 2},
        {"clockwise inputs", Reversed(kSquare), Reversed({{50, 50}, {150, 50}, {150, 150}, {50, 150}}), 2},
        {"cutter inside: a part with a hole", kSquare, {{20, 20}, {80, 20}, {80, 80}, {20, 80}}, 2},
        {"bar across a U: two common parts, three left", kU, {{-10, 50}, {100, 50}, {100, 70}, {-10, 70}}, 5},
        {"triangle through two vertices", kSquare, {{-50, 50}, {50, -50}, {150, 150}}, 3},
        {"near the integer limits",
         {{small, small}, {big, small}, {big, big}, {small, big}},
         {{0, 0}, {big, 0}, {big, big}, {0, big}},
         2},
        {"disjoint", kSquare, {{200, 0}, {300, 0}, {300, 100}}, 0},
        {"sharing an edge", kSquare, {{100, 0}, {200, 0}, {200, 100}, {100, 100}}, 0},
        {"touching at a corner", kSquare, {{100, 100}, {200, 100}, {200, 200}}, 0},
        {"the object inside the cutter", {{20, 20}, {80, 20}, {80, 80}, {20, 80}}, kSquare, 0},
        {"the same ring", kSquare, {{100, 0}, {100, 100}, {0, 100}, {0, 0}}, 0},
        {"a two-point cutter", kSquare, {{-10, 50}, {110, 50}}, 0},
        {"a zero-area cutter", kSquare, {{-10, -10}, {50, 50}, {110, 110}}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Ring> pieces = cut(c.object, c.cutter);
        EXPECT_EQ(pieces.size(), c.pieces);
        if (!pieces.empty())
            tiling_check::ExpectTiling(c.object, pieces);
    }
}

TEST_F(PolygonOverlayTest, RandomPolygonsAreTiledByTheirPieces)
{
    std::mt19937 random(1183);
    const auto star = [&](double cx, double cy) {
        Ring ring;
        const int n = 3 + int(random() % 9);
        for (int k = 0; k < n; ++k) {
            const double angle = 6.283185307179586 * (k + 0.7 * (random() % 100) / 100.0) / n;
            const double radius = 100 + double(random() % 500);
            ring.push_back({int32_t(std::lround(cx + radius * std::cos(angle))),
                            int32_t(std::lround(cy + radius * std::sin(angle)))});
        }
        return ring;
    };
    int cuts = 0;
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Ring object = star(0, 0),
                   cutter = star(double(random() % 800) - 400, double(random() % 800) - 400);
        const std::vector<Ring> pieces = cut(object, cutter);
        if (pieces.empty())
            continue;
        ++cuts;
        tiling_check::ExpectTiling(object, pieces);
    }
    EXPECT_GT(cuts, 30);
}

TEST_F(PolygonOverlayTest, OverlapAndOrientationRequests)
{
    const OBJHANDLE square = polygon(kSquare);
    struct Case {
        const char *name;
        Ring other;
        int overlap; // square as a, other as b
    };
    const std::vector<Case> cases = {
        {"crossing", {{50, 50}, {150, 50}, {150, 150}}, 1},
        {"b inside a", {{20, 20}, {80, 20}, {50, 80}}, 1},
        {"apart", {{200, 0}, {300, 0}, {300, 100}}, 0},
        {"the same ring", Reversed(kSquare), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PolygonsOverlap(window, 0, square, polygon(c.other)), c.overlap);
    }
    // a inside b does not count.
    EXPECT_EQ(PolygonsOverlap(window, 0, polygon({{20, 20}, {80, 20}, {50, 80}}), square), 0);
    EXPECT_EQ(PolygonsOverlap(window, 0, square, 0), 0);
    EXPECT_EQ(PolygonsOverlap(0, 0, square, square), 0);

    // Orientation requests reverse only what runs the other way.
    const OBJHANDLE clockwise = polygon(Reversed(kSquare));
    std::vector<OBJHANDLE> made;
    EXPECT_EQ(ObjectsTopologyRequest(window, clockwise, 0, &made, TOPOLOGY_COUNTER_CLOCKWISE, 0,
                                     TOPOLOGY_OBJECTS_GIVEN),
              1);
    EXPECT_EQ(points(clockwise), kSquare);
    EXPECT_EQ(ObjectsTopologyRequest(window, square, 0, &made, TOPOLOGY_COUNTER_CLOCKWISE, 0,
                                     TOPOLOGY_OBJECTS_GIVEN),
              1);
    EXPECT_EQ(points(square), kSquare);
    EXPECT_EQ(ObjectsTopologyRequest(window, square, 0, &made, TOPOLOGY_CLOCKWISE, 0, TOPOLOGY_OBJECTS_GIVEN),
              1);
    EXPECT_EQ(points(square), (Ring{{0, 100}, {100, 100}, {100, 0}, {0, 0}}));
    EXPECT_TRUE(made.empty());
    // Nothing takes part, an unknown operation: refused, nothing made.
    const OBJHANDLE text = ObjectCreateInActiveLayer(window, CLASS_TEXT);
    EXPECT_EQ(ObjectsTopologyRequest(window, text, text, &made, TOPOLOGY_COMBINE_PAIR, TOPOLOGY_INTERSECTION,
                                     TOPOLOGY_OBJECTS_GIVEN),
              0);
    EXPECT_EQ(ObjectsTopologyRequest(window, square, clockwise, &made, TOPOLOGY_COMBINE_PAIR, 7,
                                     TOPOLOGY_OBJECTS_GIVEN),
              0);
    EXPECT_TRUE(made.empty());
}

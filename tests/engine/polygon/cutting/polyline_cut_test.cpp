#include "engine/polygon/cutting/polyline_cut.h"

#include "engine/editing/handle_list.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/active_layers.h"
#include "engine/polygon/cutting/cutting_engine.h"
#include "engine/window/window_layers.h"
#include "platform/global_memory.h"
#include "tests/engine/editing/editing_fixture.h"

#include <geos_c.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

const PointList kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};

// The pieces join back into the line: each starts where the one before
// ends, and read one after the other they pass the line's points in order.
void ExpectJoinsBack(const PointList &line, const std::vector<PointList> &pieces)
{
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces.front().front(), line.front());
    EXPECT_EQ(pieces.back().back(), line.back());
    PointList joined = pieces.front();
    for (size_t i = 1; i < pieces.size(); ++i) {
        ASSERT_GE(pieces[i].size(), 2u);
        EXPECT_EQ(pieces[i].front(), joined.back()) << "piece " << i;
        joined.insert(joined.end(), pieces[i].begin() + 1, pieces[i].end());
    }
    size_t next = 0;
    for (const MAP_COORDPT &p : joined)
        if (next < line.size() && p == line[next])
            ++next;
    EXPECT_EQ(next, line.size()) << "the pieces skip a point of the line";
}

// GEOS: every piece lies inside the polygon or outside it, all but what
// rounding its crossing ends moves: the smaller part stays within a unit of
// the outline (along it, where the line crosses at a shallow angle).
void ExpectPiecesOnOneSide(const PointList &polygon, const std::vector<PointList> &pieces)
{
    GEOSContextHandle_t h = GEOS_init_r();
    const auto sequence = [&](const PointList &points, bool close) {
        const size_t n = points.size() + (close ? 1 : 0);
        GEOSCoordSequence *seq = GEOSCoordSeq_create_r(h, unsigned(n), 2);
        for (size_t i = 0; i < n; ++i)
            GEOSCoordSeq_setXY_r(h, seq, unsigned(i), points[i % points.size()].x,
                                 points[i % points.size()].y);
        return seq;
    };
    GEOSGeometry *area =
        GEOSGeom_createPolygon_r(h, GEOSGeom_createLinearRing_r(h, sequence(polygon, true)), nullptr, 0);
    GEOSGeometry *outline = GEOSBoundary_r(h, area);
    GEOSGeometry *nearOutline = GEOSBuffer_r(h, outline, 1.0, 8);
    for (const PointList &piece : pieces) {
        GEOSGeometry *line = GEOSGeom_createLineString_r(h, sequence(piece, false));
        GEOSGeometry *inside = GEOSIntersection_r(h, line, area);
        GEOSGeometry *outside = GEOSDifference_r(h, line, area);
        double in = 0, out = 0;
        GEOSLength_r(h, inside, &in);
        GEOSLength_r(h, outside, &out);
        if (std::min(in, out) > 0) {
            EXPECT_EQ(GEOSWithin_r(h, in < out ? inside : outside, nearOutline), 1)
                << in << " inside, " << out << " outside";
        }
        GEOSGeom_destroy_r(h, outside);
        GEOSGeom_destroy_r(h, inside);
        GEOSGeom_destroy_r(h, line);
    }
    GEOSGeom_destroy_r(h, nearOutline);
    GEOSGeom_destroy_r(h, outline);
    GEOSGeom_destroy_r(h, area);
    GEOS_finish_r(h);
}

} // namespace

TEST(PolylineSplit, FixturesSplitAtEveryCrossingInOrderAlongTheLine)
{
    struct Case {
        const char *name;
        PointList line, outline;
        bool closed;
        std::vector<PointList> pieces;
    };
    const int32_t big = std::numeric_limits<int32_t>::max() - 1,
                  small = std::numeric_limits<int32_t>::min() + 1;
    const std::vector<Case> cases = {
        {"across a square",
         {{-10, 50}, {110, 50}},
         kSquare,
         true,
         {{{-10, 50}, {0, 50}}, {{0, 50}, {100, 50}}, {{100, 50}, {110, 50}}}},
        {"starting on the outline",
         {{0, 50}, {110, 50}},
         kSquare,
         true,
         {{{0, 50}, {100, 50}}, {{100, 50}, {110, 50}}}},
        {"steep, running down",
         {{50, 110}, {51, -10}},
         kSquare,
         true,
         {{{50, 110}, {50, 100}}, {{50, 100}, {51, 0}}, {{51, 0}, {51, -10}}}},
        {"a vertex on the outline splits once",
         {{-10, 50}, {0, 50}, {50, 60}},
         kSquare,
         true,
         {{{-10, 50}, {0, 50}}, {{0, 50}, {50, 60}}}},
        {"missing", {{200, 0}, {300, 0}}, kSquare, true, {}},
        {"open outline: its closing edge does not cut",
         {{-10, 50}, {110, 50}},
         kSquare,
         false,
         {{{-10, 50}, {100, 50}}, {{100, 50}, {110, 50}}}},
        {"one point", {{50, 50}}, kSquare, true, {}},
        {"near the integer limits",
         {{small, 0}, {big, 0}},
         {{0, small}, {0, big}},
         false,
         {{{small, 0}, {0, 0}}, {{0, 0}, {big, 0}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<PointList> pieces = SplitPolylineAtEdges(c.line, OutlineEdges(c.outline, c.closed));
        EXPECT_EQ(pieces, c.pieces);
        if (!pieces.empty())
            ExpectJoinsBack(c.line, pieces);
    }
}

TEST(PolylineSplit, RandomLinesJoinBackAndLieOnOneSideOfThePolygon)
{
    std::mt19937 random(4183);
    int split = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int n = 3 + int(random() % 10);
        PointList polygon;
        for (int k = 0; k < n; ++k) {
            const double angle = 6.283185307179586 * (k + 0.5 * (random() % 100) / 100.0) / n;
            const double radius = 200 + double(random() % 800);
            polygon.push_back({int32_t(std::lround(radius * std::cos(angle))),
                               int32_t(std::lround(radius * std::sin(angle)))});
        }
        PointList line;
        for (int k = 0, m = 2 + int(random() % 5); k < m; ++k)
            line.push_back(round % 3 == 0 && random() % 2 ? polygon[random() % polygon.size()]
                                                          : MAP_COORDPT{int32_t(random() % 2400) - 1200,
                                                                        int32_t(random() % 2400) - 1200});
        const std::vector<PointList> pieces = SplitPolylineAtEdges(line, OutlineEdges(polygon, true));
        if (pieces.empty())
            continue;
        ++split;
        ExpectJoinsBack(line, pieces);
        ExpectPiecesOnOneSide(polygon, pieces);
    }
    EXPECT_GT(split, 80);
}

namespace {

class PolylineCutTest : public EditingTest {
protected:
    OBJHANDLE layers() { return GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS); }

    std::vector<OBJHANDLE> cut(OBJHANDLE object, OBJHANDLE cutter, int expected = 1)
    {
        HGLOBAL list1 = 0, list2 = 0;
        uint32_t n1 = 0, n2 = 0;
        OBJHANDLE o = object, c = cutter;
        EXPECT_EQ(CutObjectsByCutter(window, 0, &o, &c, &list1, &n1, &list2, &n2, 0), expected);
        EXPECT_EQ(n2, 0u);
        std::vector<OBJHANDLE> out;
        for (uint32_t i = 0; i < n1; ++i)
            out.push_back(HandleListAt(list1, n1, i));
        if (list1)
            GlobalFree(list1);
        return out;
    }
};

} // namespace

TEST_F(PolylineCutTest, PolylinesAreCutByPolygonsAndPolylinesLeavingTheInputsAlone)
{
    const OBJHANDLE square = polygon(kSquare);
    const PointList crossing = {{50, -10}, {50, 110}};
    const OBJHANDLE line = polyline({{-10, 50}, {110, 50}});
    const OBJHANDLE cutterLine = polyline(crossing);
    const size_t blocks = GlobalBlockCount();
    const uint32_t polylines = GetNumberOfOBJectsKernel(kernel(), CLASS_POLYLINE);

    std::vector<OBJHANDLE> pieces = cut(line, square);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(points(pieces[1]), (PointList{{0, 50}, {100, 50}}));
    // Only the pieces were added: no working copies stay in the store.
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel(), CLASS_POLYLINE), polylines + 3);
    for (OBJHANDLE piece : pieces)
        EXPECT_EQ(GetOBJectLayer(kernel(), piece), GetActiveLayer(kernel(), layers()));

    pieces = cut(line, cutterLine);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(points(pieces[0]), (PointList{{-10, 50}, {50, 50}}));
    EXPECT_EQ(points(pieces[1]), (PointList{{50, 50}, {110, 50}}));
    EXPECT_EQ(points(cutterLine), crossing);
    EXPECT_EQ(points(line), (PointList{{-10, 50}, {110, 50}}));
    EXPECT_EQ(points(square), kSquare);
    EXPECT_EQ(GlobalBlockCount(), blocks);

    // Pairs that separate nothing.
    const OBJHANDLE same = polyline({{-10, 50}, {110, 50}});
    EXPECT_TRUE(cut(line, same).empty());
    EXPECT_TRUE(cut(line, line).empty());
    EXPECT_TRUE(cut(polyline({{5, 5}, {5, 5}}), square).empty());
    EXPECT_TRUE(cut(polyline({{200, 200}, {300, 300}}), cutterLine).empty());
    EXPECT_TRUE(cut(line, polyline({{7, 7}})).empty());
}

TEST_F(PolylineCutTest, SetActLayersSwitchesTheLayerForNewObjects)
{
    const OBJHANDLE first = GetActiveLayer(kernel(), layers());
    OBJHANDLE other = 0;
    ASSERT_EQ(map_layer_Create(window, &other, nullptr, 0, 7, "Hidden", 0xFFFFFFFFu, -1, -1, -1, 0,
                               LAYER_FLAGS_KEEP, 0),
              1);
    const OBJHANDLE inFirst = polyline({{0, 0}, {1, 1}});
    const auto look = [&](OBJHANDLE layer) {
        uint16_t flags = 0;
        map_layer_Get(window, layer, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                      nullptr, &flags, nullptr);
        return flags;
    };
    ASSERT_EQ(look(other) & (LDF_VISIBLE | LDF_SELECTABLE), 0);

    EXPECT_EQ(SetActLayers(nullptr, 7, 0, window, 0), 1);
    EXPECT_EQ(GetActiveLayer(kernel(), layers()), other);
    EXPECT_EQ(look(other) & (LDF_VISIBLE | LDF_SELECTABLE | LDF_ACTIVE),
              LDF_VISIBLE | LDF_SELECTABLE | LDF_ACTIVE);
    EXPECT_EQ(ActiveLayerNumber(window), 7);
    // By an object: its own layer, whatever the number says.
    EXPECT_EQ(SetActLayers(nullptr, 7, 0, window, inFirst), 1);
    EXPECT_EQ(GetActiveLayer(kernel(), layers()), first);
    // No such layer, no window, a freed object: nothing changes.
    EXPECT_EQ(SetActLayers(nullptr, 99, 0, window, 0), 0);
    EXPECT_EQ(SetActLayers(nullptr, 7, 0, 0, 0), 0);
    EXPECT_EQ(SetActLayers(nullptr, 7, 0, window, 0xFFFF0), 0);
    EXPECT_EQ(GetActiveLayer(kernel(), layers()), first);
}

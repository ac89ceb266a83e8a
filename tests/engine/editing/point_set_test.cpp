#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "platform/beep.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// A square of side 100 at (100, 100) and a pentagon-like ring.
const std::vector<MAP_COORDPT> kSquare{{100, 100}, {100, 200}, {200, 200}, {200, 100}};
const std::vector<MAP_COORDPT> kFive{{0, 0}, {0, 10}, {10, 20}, {20, 10}, {20, 0}};

} // namespace

using PointSetTest = EditingTest;

TEST_F(PointSetTest, VertexSearchUsesTheRectangleWidenedByTwo)
{
    const OBJHANDLE h = polygon(kSquare);
    struct Case {
        MAP_COORDPT p;
        int32_t owns, index;
    } cases[] = {
        {{100, 100}, 0, 0},  {{200, 100}, 3, 3},   {{97, 100}, -1, -1}, // outside even the widened one
        {{98, 100}, -1, -1}, {{150, 150}, -1, -1}, {{200, 200}, 2, 2},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SetOfLinesegmentOwnsPoint(kernel(), h, &c.p), c.owns) << c.p;
        EXPECT_EQ(SetOfLinesegmentPointIndex(kernel(), h, &c.p), c.index) << c.p;
    }
}

TEST_F(PointSetTest, EdgesAtAVertexOrAtAnEdgeMidpoint)
{
    const OBJHANDLE h = polygon(kFive);
    struct Case {
        MAP_COORDPT at;
        MAP_COORDPT near1, near2;
        int result;
        Linesegment e1, e2;
    } cases[] = {
        {{0, 0}, {}, {}, 1, {0, 10, 0, 0}, {20, 0, 0, 0}},               // vertex 0
        {{10, 20}, {}, {}, 2, {0, 10, 10, 20}, {20, 10, 10, 20}},        // interior vertex
        {{20, 0}, {}, {}, 1, {20, 10, 20, 0}, {0, 0, 20, 0}},            // last vertex, wrap-around edge
        {{10, 1}, {10, 0}, {5, 15}, 3, {20, 0, 10, 0}, {0, 0, 10, 0}},   // near the closing edge's midpoint
        {{6, 14}, {10, 0}, {5, 15}, 3, {0, 10, 5, 15}, {10, 20, 5, 15}}, // the second near point is nearer
        {{50, 50}, {40, 40}, {41, 41}, 0, {}, {}},                       // no such midpoint
    };
    for (const Case &c : cases) {
        Linesegment e1{}, e2{};
        EXPECT_EQ(ObjectGetEdges(kernel(), h, &c.at, &c.near1, &c.near2, &e1, &e2, CLASS_POLYGON), c.result)
            << c.at;
        if (c.result) {
            EXPECT_EQ(e1, c.e1) << c.at;
            EXPECT_EQ(e2, c.e2) << c.at;
        }
    }
    Linesegment e1{}, e2{};
    const MAP_COORDPT p{0, 0};
    EXPECT_EQ(ObjectGetEdges(kernel(), h, &p, nullptr, nullptr, &e1, &e2, CLASS_TEXT), 0);
}

TEST_F(PointSetTest, ExpandInsertsOnTheEdgeAndAppendsOnTheClosingEdge)
{
    struct Case {
        Linesegment old, new1, new2;
        int result;
        std::vector<MAP_COORDPT> after;
    } cases[] = {
        // Closing edge (p4, p0): the new point goes after the last one.
        {{20, 0, 0, 0},
         {20, 0, 10, -5},
         {10, -5, 0, 0},
         1,
         {{0, 0}, {0, 10}, {10, 20}, {20, 10}, {20, 0}, {10, -5}}},
        // Edge (p3, p4): inserted at index 4.
        {{20, 10, 20, 0},
         {20, 10, 25, 5},
         {25, 5, 20, 0},
         1,
         {{0, 0}, {0, 10}, {10, 20}, {20, 10}, {25, 5}, {20, 0}}},
        // The new edges given the other way round and reversed.
        {{0, 0, 0, 10},
         {-5, 5, 0, 10},
         {0, 0, -5, 5},
         1,
         {{0, 0}, {-5, 5}, {0, 10}, {10, 20}, {20, 10}, {20, 0}}},
        {{0, 0, 0, 10}, {0, 0, -5, 5}, {1, 1, 0, 10}, 0, {}},  // the new edges share no point
        {{0, 0, 0, 10}, {0, 0, -5, 5}, {-5, 5, 20, 0}, 0, {}}, // a far end that is not the old edge's
        {{0, 0, 7, 7}, {0, 0, -5, 5}, {-5, 5, 7, 7}, 0, {}},   // an old end that is no vertex
    };
    for (const Case &c : cases) {
        OBJHANDLE h = polygon(kFive);
        const MAP_COORDRECT before = bound(h);
        EXPECT_EQ(ObjectExpand(kernel(), &h, &c.old, &c.new1, &c.new2, CLASS_POLYGON), c.result) << c.old;
        if (c.result) {
            EXPECT_EQ(points(h), c.after) << c.old;
            MAP_COORDRECT exact;
            SetOfLinesegmentCalculateBR(kernel(), h, &exact);
            EXPECT_EQ(bound(h), exact);
        } else {
            EXPECT_EQ(points(h), kFive);
            EXPECT_EQ(bound(h), before);
        }
    }
}

TEST_F(PointSetTest, ExpandGrowsTheDataSpaceRepeatedly)
{
    OBJHANDLE h = polyline({{0, 0}, {1000, 0}});
    for (int i = 1; i < 40; ++i) {
        const Linesegment old{i - 1 == 0 ? 0 : (i - 1) * 10, 0, 1000, 0};
        const Linesegment n1{old.x1, 0, i * 10, 0}, n2{i * 10, 0, 1000, 0};
        ASSERT_EQ(ObjectExpand(kernel(), &h, &old, &n1, &n2, CLASS_POLYLINE), 1) << i;
    }
    EXPECT_EQ(SetOfLinesegmentPointsCount(kernel(), h), 41);
    const char *p = OBJectLock(kernel(), h);
    EXPECT_EQ(LoadField<uint32_t>(p, PS_CAPACITY), DataSpaceSize(kernel(), h) / 8);
    EXPECT_GE(LoadField<uint32_t>(p, PS_CAPACITY), 41u);
}

TEST_F(PointSetTest, RemoveVertexCases)
{
    const std::vector<MAP_COORDPT> four{{0, 0}, {0, 10}, {10, 10}, {10, 0}};
    struct Case {
        bool isPolygon;
        std::vector<MAP_COORDPT> start;
        Linesegment e1, e2;
        int result;
        std::vector<MAP_COORDPT> after;
        bool beeps;
    } cases[] = {
        // An interior vertex of a 4-point polygon: 3 points remain.
        {true, four, {0, 0, 0, 10}, {10, 10, 0, 10}, 2, {{0, 0}, {10, 10}, {10, 0}}, false},
        // Vertex 0 of a polygon (the two-edge form from ObjectGetEdges).
        {true, four, {0, 10, 0, 0}, {10, 0, 0, 0}, 2, {{0, 10}, {10, 10}, {10, 0}}, false},
        // A 3-point polygon keeps its vertices.
        {true,
         {{0, 0}, {0, 10}, {10, 0}},
         {0, 0, 0, 10},
         {10, 0, 0, 10},
         0,
         {{0, 0}, {0, 10}, {10, 0}},
         true},
        // The first vertex of a polyline cannot go this way.
        {false, four, {0, 10, 0, 0}, {10, 0, 0, 0}, 0, four, false},
        // An interior polyline vertex; 3 points remain.
        {false, four, {0, 0, 0, 10}, {10, 10, 0, 10}, 2, {{0, 0}, {10, 10}, {10, 0}}, false},
        // Two points of a polyline left: result 1.
        {false, {{0, 0}, {5, 5}, {10, 0}}, {0, 0, 5, 5}, {10, 0, 5, 5}, 1, {{0, 0}, {10, 0}}, false},
        // The far ends are not the vertex's neighbours.
        {true, four, {0, 0, 0, 10}, {10, 0, 0, 10}, 0, four, false},
        // No shared end.
        {true, four, {0, 0, 0, 10}, {10, 10, 10, 0}, 0, four, false},
        // A degenerate edge removes its vertex, with a notice.
        {true, four, {10, 10, 10, 10}, {0, 10, 10, 10}, 2, {{0, 0}, {0, 10}, {10, 0}}, false},
        // A degenerate edge on no vertex changes nothing (it once wrote before the points).
        {true, four, {7, 7, 7, 7}, {0, 10, 7, 7}, 0, four, false},
    };
    for (const Case &c : cases) {
        const OBJHANDLE h = make(c.isPolygon ? CLASS_POLYGON : CLASS_POLYLINE, c.start);
        int beeps = 0;
        const BeepSink previous = SetBeepSink([&beeps](UINT) { ++beeps; });
        Linesegment merged{};
        EXPECT_EQ(SetOfLinesegmentRemoveVertex(kernel(), h, &c.e1, &c.e2, &merged, c.isPolygon), c.result)
            << c.e1;
        EXPECT_EQ(points(h), c.after) << c.e1;
        SetBeepSink(previous);
        EXPECT_EQ(beeps, c.beeps ? 1 : 0) << c.e1;
        MAP_COORDRECT exact;
        SetOfLinesegmentCalculateBR(kernel(), h, &exact);
        EXPECT_EQ(bound(h), exact) << c.e1;
        EXPECT_GE(DataSpaceSize(kernel(), h), c.after.size() * 8);
    }
}

TEST_F(PointSetTest, RemovingAVertexInsideTheRectangleKeepsIt)
{
    const OBJHANDLE h = polygon({{0, 0}, {5, 5}, {0, 10}, {10, 10}, {10, 0}});
    const Linesegment e1{0, 0, 5, 5}, e2{0, 10, 5, 5};
    Linesegment merged{};
    EXPECT_EQ(SetOfLinesegmentRemoveVertex(kernel(), h, &e1, &e2, &merged, 1), 2);
    EXPECT_EQ(merged, (Linesegment{0, 0, 0, 10}));
    EXPECT_EQ(bound(h), (MAP_COORDRECT{0, 0, 10, 10}));
    const OBJHANDLE g = polygon({{0, 0}, {0, 10}, {10, 10}, {20, 5}, {10, 0}});
    const Linesegment f1{10, 10, 20, 5}, f2{10, 0, 20, 5};
    EXPECT_EQ(SetOfLinesegmentRemoveVertex(kernel(), g, &f1, &f2, &merged, 1), 2);
    EXPECT_EQ(bound(g), (MAP_COORDRECT{0, 0, 10, 10})) << "the rectangle shrinks with a vertex on it";
}

TEST_F(PointSetTest, SetPointKeepsTheRectangleExact)
{
    const OBJHANDLE h = polygon(kSquare);
    const MAP_COORDPT out{300, 150}, in{150, 150};
    EXPECT_EQ(ObjectSetPoint(kernel(), h, &out, 1, CLASS_POLYGON), 1);
    EXPECT_EQ(bound(h), (MAP_COORDRECT{100, 100, 300, 200}));
    EXPECT_EQ(ObjectSetPoint(kernel(), h, &in, 1, CLASS_POLYGON), 1);
    EXPECT_EQ(bound(h), (MAP_COORDRECT{100, 100, 200, 200}));
    EXPECT_EQ(ObjectSetPoint(kernel(), h, &in, 4, CLASS_POLYGON), 0);
    EXPECT_EQ(ObjectSetPoint(kernel(), h, &in, -1, CLASS_POLYGON), 0);
    EXPECT_EQ(ObjectSetPoint(kernel(), h, &in, 0, CLASS_TEXT), 0);
    EXPECT_EQ(points(h)[0], (MAP_COORDPT{100, 100}));
}

TEST_F(PointSetTest, JoinAndAddAppendAtTheEnds)
{
    struct Case {
        bool join;
        Linesegment s;
        int result;
        std::vector<MAP_COORDPT> after;
    } cases[] = {
        {true, {0, 0, -5, 0}, 1, {{-5, 0}, {0, 0}, {10, 0}}},
        {true, {-5, 0, 0, 0}, 1, {{-5, 0}, {0, 0}, {10, 0}}},
        {true, {10, 0, 15, 0}, 1, {{0, 0}, {10, 0}, {15, 0}}},
        {true, {15, 0, 10, 0}, 1, {{0, 0}, {10, 0}, {15, 0}}},
        {true, {3, 3, 4, 4}, 0, {{0, 0}, {10, 0}}},
        {false, {0, 0, -5, 0}, 0, {{0, 0}, {10, 0}}},
        {false, {10, 0, 15, 0}, 1, {{0, 0}, {10, 0}, {15, 0}}},
    };
    for (const Case &c : cases) {
        OBJHANDLE h = polyline({{0, 0}, {10, 0}});
        const int r = c.join ? SetOfLinesegmentJoinLinesegment(kernel(), &h, &c.s)
                             : SetOfLinesegmentAddLinesegment(kernel(), &h, &c.s);
        EXPECT_EQ(r, c.result) << c.s;
        EXPECT_EQ(points(h), c.after) << c.s;
        MAP_COORDRECT exact;
        SetOfLinesegmentCalculateBR(kernel(), h, &exact);
        EXPECT_EQ(bound(h), exact);
    }
    OBJHANDLE empty = ObjectCreateInActiveLayer(window, CLASS_POLYLINE);
    const Linesegment s{1, 2, 3, 4};
    EXPECT_EQ(SetOfLinesegmentAddLinesegment(kernel(), &empty, &s), 1);
    EXPECT_EQ(points(empty), (std::vector<MAP_COORDPT>{{1, 2}, {3, 4}}));
    EXPECT_EQ(bound(empty), (MAP_COORDRECT{1, 2, 3, 4}));
}

TEST_F(PointSetTest, NewObjectsJoinTheActiveLayerOrAspect)
{
    OBJectKernel *k = kernel();
    const OBJHANDLE layer = GetActiveLayer(k, GetRootOBJKern(k, rec.rootObject, CLASS_LAYERS));
    const OBJHANDLE aspect = GetActiveAspect(k, GetRootOBJKern(k, rec.rootObject, CLASS_GROUPS));
    ASSERT_NE(layer, 0u);
    ASSERT_NE(aspect, 0u);
    for (uint16_t cls : {CLASS_POLYGON, CLASS_POLYLINE, CLASS_TEXT}) {
        const OBJHANDLE h = ObjectCreateInActiveLayer(window, cls);
        ASSERT_NE(h, 0u) << cls;
        EXPECT_TRUE(docmodel::SlotFound(FindReference(k, layer, REF_LAYER_MEMBER, h))) << cls;
    }
    const OBJHANDLE group = ObjectCreateInActiveLayer(window, CLASS_GROUP);
    ASSERT_NE(group, 0u);
    EXPECT_EQ(GroupParentGet(k, group), aspect) << "a group joins the active aspect";
    const OBJHANDLE nail = ObjectCreateInActiveLayer(window, CLASS_NAIL);
    ASSERT_NE(nail, 0u);
    EXPECT_FALSE(docmodel::SlotFound(FindReference(k, layer, REF_LAYER_MEMBER, nail)))
        << "other classes stay unlinked";
    EXPECT_EQ(ObjectCreateInActiveLayer(0, CLASS_POLYGON), 0u);
}

TEST_F(PointSetTest, ReadingEdgesEndsAndCommonEnds)
{
    const OBJHANDLE a = polyline({{0, 0}, {5, 5}, {10, 0}});
    const OBJHANDLE b = polyline({{20, 0}, {10, 0}});
    MAP_COORDPT p{};
    EXPECT_EQ(SetOfLinesegmentCommonEndPoint(kernel(), a, b, &p), 1);
    EXPECT_EQ(p, (MAP_COORDPT{10, 0}));
    const OBJHANDLE c = polyline({{30, 30}, {40, 40}});
    EXPECT_EQ(SetOfLinesegmentCommonEndPoint(kernel(), a, c, &p), 0);
    const MAP_COORDPT mid{5, 5}, end{10, 0};
    EXPECT_EQ(SetOfLinesegmentIsEndPoint(kernel(), a, &mid), 0);
    EXPECT_EQ(SetOfLinesegmentIsEndPoint(kernel(), a, &end), 1);
    EXPECT_EQ(SetOfLinesegmentPointGet(kernel(), a, -1, &p), &p);
    EXPECT_EQ(p, end);
    EXPECT_EQ(SetOfLinesegmentPointGet(kernel(), a, 3, &p), nullptr);
    EXPECT_EQ(SetOfLinesegmentPointGet(kernel(), a, -2, &p), nullptr);

    Linesegment s{};
    SetOfLinesegmentFirstLinesegment(kernel(), a, &s);
    EXPECT_EQ(s, (Linesegment{0, 0, 5, 5}));
    int32_t i = 0;
    EXPECT_EQ(SetOfLinesegmentNextLinesegment(kernel(), a, &i, &s), 1);
    EXPECT_EQ(s, (Linesegment{5, 5, 10, 0}));
    EXPECT_EQ(SetOfLinesegmentNextLinesegment(kernel(), a, &i, &s), 0);
    EXPECT_EQ(i, 2);

    EXPECT_EQ(CoordPtNear({0, 0}, {3, -3}, 3), 1);
    EXPECT_EQ(CoordPtNear({0, 0}, {3, -4}, 3), 0);
    EXPECT_EQ(CoordPtNear({kMin, 0}, {kMax, 0}, kMax), 0);
    const MAP_COORDPT ring[] = {{5, 5}, {1, 9}, {1, 2}, {3, 0}};
    EXPECT_EQ(PointArrayLowestIndex(ring, 4), 2);
    EXPECT_EQ(PointArrayLowestIndex(ring, 0), -1);
}

TEST_F(PointSetTest, NextCornerSkipsStraightRuns)
{
    // A square with extra points on its edges.
    const MAP_COORDPT ring[] = {{0, 0}, {0, 5}, {0, 10}, {5, 10}, {10, 10}, {10, 0}};
    EXPECT_EQ(PointRingNextCorner(ring, 0, 6, 1), 2);
    EXPECT_EQ(PointRingNextCorner(ring, 2, 6, 1), 4);
    EXPECT_EQ(PointRingNextCorner(ring, 0, 6, -1), 5);
    EXPECT_EQ(PointRingNextCorner(ring, 2, 6, -1), 0);
    const MAP_COORDPT line[] = {{0, 0}, {1, 1}, {2, 2}};
    EXPECT_EQ(PointRingNextCorner(line, 1, 3, 1), 1) << "turning back is no corner: the walk comes home";
    const MAP_COORDPT same[] = {{4, 4}, {4, 4}, {4, 4}};
    EXPECT_EQ(PointRingNextCorner(same, 1, 3, 1), 1) << "no turn: back to the start";
    EXPECT_EQ(PointRingNextCorner(ring, 0, 0, 1), -1);
    EXPECT_EQ(PointRingNextCorner(ring, 0, 1, 1), 0);
    const MAP_COORDPT wide[] = {{kMin, kMin}, {kMax, kMin}, {kMax, kMax}, {kMin, kMax}};
    EXPECT_EQ(PointRingNextCorner(wide, 0, 4, 1), 1);
}

TEST_F(PointSetTest, PointInPolygonBoundaryRules)
{
    const OBJHANDLE square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const OBJHANDLE tri = polygon({{0, 0}, {10, 10}, {20, 0}});
    const OBJHANDLE notch = polygon({{0, 0}, {0, 10}, {5, 5}, {10, 10}, {10, 0}});
    struct Case {
        OBJHANDLE poly;
        MAP_COORDPT p;
        int inside;
    } cases[] = {
        {square, {5, 5}, 1},  {square, {10, 5}, 0},  // right edge: outside
        {square, {0, 5}, 1},                         // left edge: inside
        {square, {5, 0}, 1},  {square, {5, 10}, 1},  // horizontal edges
        {square, {0, 0}, 1},  {square, {10, 10}, 1}, // vertices
        {square, {11, 5}, 0}, {square, {-1, 5}, 0},  {tri, {10, 5}, 1},
        {tri, {5, 5}, 0}, // on a slanted edge: not counted
        {tri, {15, 5}, 1},    {tri, {10, 9}, 1},     {tri, {10, 11}, 0},
        {notch, {5, 7}, 0},   {notch, {5, 5}, 1},    {notch, {2, 5}, 1}, // the ray passes a vertex
        {notch, {8, 5}, 1},   {notch, {12, 5}, 0},   {notch, {5, 4}, 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PolygonContainsPoint(kernel(), c.poly, &c.p), c.inside) << c.poly << " " << c.p;
}

TEST_F(PointSetTest, MoveShiftsPointsAndRectangleAndSaturates)
{
    const OBJHANDLE h = polygon(kSquare);
    EXPECT_EQ(ObjectMove(kernel(), h, 5, -7, CLASS_POLYGON, 0), 1);
    EXPECT_EQ(points(h)[0], (MAP_COORDPT{105, 93}));
    EXPECT_EQ(bound(h), (MAP_COORDRECT{105, 93, 205, 193}));
    const OBJHANDLE edge = polygon({{kMax - 1, 0}, {kMax, 10}, {kMax, 0}});
    EXPECT_EQ(ObjectMove(kernel(), edge, 10, 0, CLASS_POLYGON, 0), 1);
    EXPECT_EQ(bound(edge).x2, kMax);
    EXPECT_EQ(ObjectMove(kernel(), h, 1, 1, CLASS_POLYLINE, 0), 0) << "the class must be the object's";
}

TEST_F(PointSetTest, MovingAGroupMovesEachMemberAndRecordsIt)
{
    const OBJHANDLE a = polygon(kSquare), b = polyline({{0, 0}, {1, 1}});
    const OBJHANDLE group = CreateOBJect(kernel(), CLASS_GROUP);
    ASSERT_NE(group, 0u);
    InsertRefInPos(kernel(), group, REF_GROUP_MEMBER, a, -1, -1);
    InsertRefInPos(kernel(), group, REF_GROUP_MEMBER, b, -1, -1);
    EXPECT_EQ(ObjectMove(kernel(), group, 1, 2, CLASS_GROUP, 0), 1);
    EXPECT_EQ(points(a)[0], (MAP_COORDPT{101, 102}));
    EXPECT_EQ(points(b)[1], (MAP_COORDPT{2, 3}));
}

TEST_F(PointSetTest, DuplicateCopiesPointsRectangleAndClass)
{
    const OBJHANDLE h = polygon(kFive);
    OBJHANDLE copy = 0;
    EXPECT_EQ(PolylineDuplicate(kernel(), h, &copy), 1);
    EXPECT_EQ(GetOBJectClassID(kernel(), copy), CLASS_POLYLINE);
    EXPECT_EQ(points(copy), kFive);
    EXPECT_EQ(bound(copy), bound(h));
    OBJHANDLE same = 0;
    EXPECT_EQ(SetOfLinesegmentDuplicate(kernel(), h, &same, 77), 1);
    EXPECT_EQ(GetOBJectClassID(kernel(), same), CLASS_POLYGON);
    OBJHANDLE linked = 0;
    EXPECT_EQ(ObjectDuplicate(kernel(), h, &linked, 1, 0), 1);
    EXPECT_NE(GetOBJectWnd(kernel(), linked), 0u) << "linked into the source's layer";
}

TEST_F(PointSetTest, HeightsStayWithTheirPoints)
{
    OBJHANDLE h = polyline({{0, 0}, {100, 0}});
    ASSERT_EQ(SendOBJectMessage(kernel(), h, h, 0, GRM_SETZ, 0, 10), 1);
    ASSERT_EQ(SendOBJectMessage(kernel(), h, h, 0, GRM_SETZ, 1, 30), 1);
    PointSetAccess a;
    ASSERT_TRUE(LockPointSet(kernel(), h, a));
    ASSERT_EQ(a.stride, 12u);
    const Z_BOUNDS range = LoadField<Z_BOUNDS>(a.fixed, PS_ZRANGE);

    EXPECT_EQ(ObjectMove(kernel(), h, 5, 5, CLASS_POLYLINE, 0), 1);
    ASSERT_TRUE(LockPointSet(kernel(), h, a));
    EXPECT_EQ(a.at(1), (MAP_COORDPT{105, 5}));
    EXPECT_EQ(a.z(0), 10);
    EXPECT_EQ(a.z(1), 30);
    const Z_BOUNDS moved = LoadField<Z_BOUNDS>(a.fixed, PS_ZRANGE);
    EXPECT_EQ(moved.low, range.low);
    EXPECT_EQ(moved.high, range.high);

    const Linesegment old{5, 5, 105, 5}, n1{5, 5, 80, 5}, n2{80, 5, 105, 5};
    EXPECT_EQ(ObjectExpand(kernel(), &h, &old, &n1, &n2, CLASS_POLYLINE), 1);
    ASSERT_TRUE(LockPointSet(kernel(), h, a));
    ASSERT_EQ(a.count, 3u);
    EXPECT_EQ(a.at(1), (MAP_COORDPT{80, 5}));
    EXPECT_EQ(a.z(1), 25) << "interpolated along the edge";
    EXPECT_EQ(a.z(2), 30);
    const MAP_COORDPT p{80, 5};
    EXPECT_EQ(SetOfLinesegmentOwnsPoint(kernel(), h, &p), 1);
    MAP3D_COORDCUBE cube{};
    ASSERT_NE(SetOfLinesegmentCalculate3dBR(kernel(), h, &cube), nullptr);
    EXPECT_EQ(cube.zmin, 10);
    EXPECT_EQ(cube.zmax, 30);
    EXPECT_EQ(cube.xmax, 105);
}

TEST_F(PointSetTest, BadHandlesGiveTheFailureValueAndChangeNothing)
{
    const OBJHANDLE good = polygon(kSquare);
    const OBJHANDLE freed = polygon(kSquare);
    OBJectDelete(kernel(), freed);
    ASSERT_EQ(GetOBJectClassID(kernel(), freed), 0);
    const OBJHANDLE layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
    const OBJHANDLE handles[] = {0, freed, layers, 0x7FFFFFF0};
    const MAP_COORDPT p{100, 100};
    const Linesegment s{100, 100, 100, 200};
    for (OBJHANDLE h : handles) {
        EXPECT_EQ(SetOfLinesegmentPointsCount(kernel(), h), -1) << h;
        EXPECT_EQ(SetOfLinesegmentOwnsPoint(kernel(), h, &p), -1) << h;
        EXPECT_EQ(PolygonContainsPoint(kernel(), h, &p), 0) << h;
        EXPECT_EQ(PolygonAreaInUnits(kernel(), h), -1.0) << h;
        EXPECT_EQ(SetOfLinesegmentLength(kernel(), h, 1), 0.0) << h;
        EXPECT_EQ(SetOfLinesegmentMove(kernel(), h, 1, 1), 0) << h;
        OBJHANDLE io = h;
        EXPECT_EQ(SetOfLinesegmentJoinLinesegment(kernel(), &io, &s), 0) << h;
        EXPECT_EQ(io, h);
        Linesegment out{};
        EXPECT_EQ(SetOfLinesegmentRemoveVertex(kernel(), h, &s, &s, &out, 1), 0) << h;
        OBJHANDLE copy = 0;
        EXPECT_EQ(SetOfLinesegmentDuplicate(kernel(), h, &copy, CLASS_POLYGON), 0) << h;
        MAP_COORDRECT r{};
        EXPECT_EQ(SetOfLinesegmentCalculateBR(kernel(), h, &r), nullptr) << h;
    }
    EXPECT_EQ(SetOfLinesegmentPointsCount(nullptr, good), -1);
    EXPECT_EQ(points(good), kSquare);
}

TEST_F(PointSetTest, SmallAndDegenerateObjects)
{
    const OBJHANDLE none = ObjectCreateInActiveLayer(window, CLASS_POLYGON);
    const OBJHANDLE one = polygon({{5, 5}});
    const OBJHANDLE two = polygon({{5, 5}, {10, 10}});
    const OBJHANDLE equal = polygon({{5, 5}, {5, 5}, {5, 5}, {5, 5}});
    const OBJHANDLE closing = polygon({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}});
    const MAP_COORDPT p{5, 5}, q{5, 6};
    EXPECT_EQ(PolygonContainsPoint(kernel(), none, &p), 0);
    EXPECT_EQ(PolygonContainsPoint(kernel(), one, &p), 0);
    EXPECT_EQ(PolygonContainsPoint(kernel(), two, &p), 0);
    EXPECT_EQ(PolygonContainsPoint(kernel(), equal, &p), 1) << "the vertex itself";
    EXPECT_EQ(PolygonContainsPoint(kernel(), equal, &q), 0);
    EXPECT_EQ(PolygonContainsPoint(kernel(), closing, &p), 1);
    EXPECT_EQ(PolygonAreaInUnits(kernel(), closing), 100.0);
    EXPECT_EQ(PolygonAreaInUnits(kernel(), equal), 0.0);
    EXPECT_EQ(PolygonAreaInUnits(kernel(), none), 0.0);
    EXPECT_EQ(SetOfLinesegmentLength(kernel(), closing, 1), 40.0);
    EXPECT_EQ(SetOfLinesegmentLength(kernel(), one, 1), 0.0);
    MAP_COORDRECT r{};
    ASSERT_NE(SetOfLinesegmentCalculateBR(kernel(), none, &r), nullptr);
    EXPECT_EQ(r, kEmptyBoundRect);
    EXPECT_EQ(SetOfLinesegmentMove(kernel(), none, 5, 5), 1);
    EXPECT_EQ(bound(none), kEmptyBoundRect) << "an empty rectangle stays empty";
    Linesegment e1{}, e2{};
    EXPECT_EQ(ObjectGetEdges(kernel(), one, &p, nullptr, nullptr, &e1, &e2, CLASS_POLYGON), 0);
}

TEST_F(PointSetTest, ACountBeyondTheDataSpaceIsClampedToIt)
{
    OBJHANDLE h = polygon(kSquare);
    const uint32_t room = DataSpaceSize(kernel(), h) / 8;
    StoreField<uint32_t>(OBJectLock(kernel(), h), PS_COUNT, 1000000);
    EXPECT_EQ(SetOfLinesegmentPointsCount(kernel(), h), int32_t(room));
    MAP_COORDPT p{};
    EXPECT_EQ(SetOfLinesegmentPointGet(kernel(), h, int32_t(room), &p), nullptr);
    // An append first drops the claimed count to what is there.
    const Linesegment s{100, 100, 50, 50};
    OBJHANDLE io = h;
    ASSERT_EQ(SetOfLinesegmentJoinLinesegment(kernel(), &io, &s), 1);
    EXPECT_EQ(SetOfLinesegmentPointsCount(kernel(), io), int32_t(room) + 1);
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel(), io), PS_COUNT), room + 1);
}

TEST_F(PointSetTest, CoordinatesAtTheLimits)
{
    const OBJHANDLE h = polygon({{kMin, kMin}, {kMin, kMax}, {kMax, kMax}, {kMax, kMin}});
    const MAP_COORDPT centre{0, 0}, corner{kMin, kMin}, right{kMax, 0}, left{kMin, 0};
    EXPECT_EQ(PolygonContainsPoint(kernel(), h, &centre), 1);
    EXPECT_EQ(PolygonContainsPoint(kernel(), h, &corner), 1);
    EXPECT_EQ(PolygonContainsPoint(kernel(), h, &left), 1);
    EXPECT_EQ(PolygonContainsPoint(kernel(), h, &right), 0);
    const double side = 4294967295.0;
    EXPECT_EQ(PolygonAreaInUnits(kernel(), h), side * side);
    EXPECT_EQ(SetOfLinesegmentLength(kernel(), h, 1), 4 * side);
    // A sliver whose lower edge passes a 2^-31 fraction above an integer
    // point: only exact arithmetic tells the two points apart.
    const OBJHANDLE slim = polygon({{kMin, kMin}, {kMax, kMax - 2}, {kMax, kMax}});
    const MAP_COORDPT inside{kMax - 1, kMax - 2}, outside{kMax - 1, kMax - 3};
    EXPECT_EQ(PolygonContainsPoint(kernel(), slim, &inside), 1);
    EXPECT_EQ(PolygonContainsPoint(kernel(), slim, &outside), 0);
}

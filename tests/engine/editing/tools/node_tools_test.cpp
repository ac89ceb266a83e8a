#include "engine/editing/tools/node_tools.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "tests/engine/editing/tools/tools_fixture.h"

namespace {

using Points = std::vector<MAP_COORDPT>;

class NodeToolsTest : public ToolsTest {
protected:
    // The point-set objects of the active layer, in drawing order.
    std::vector<OBJHANDLE> layerObjects()
    {
        const OBJHANDLE layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
        const OBJHANDLE layer = GetActiveLayer(kernel(), layers);
        std::vector<OBJHANDLE> out;
        int32_t pos = -1;
        for (OBJHANDLE h = FirstReference(kernel(), layer, REF_LAYER_MEMBER, &pos); h;
             h = GetReference(kernel(), layer, REF_LAYER_MEMBER, &pos))
            if (!IsOBJectUndoDeleted(kernel(), h))
                out.push_back(h);
        return out;
    }
    void selectAt(OBJHANDLE h, MAP_COORDPT p)
    {
        SetSelection(window, &h, 1, 0, 0);
        const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
        SendOBJectMessage(kernel(), list, list, 0, GRM_SETSELECTED, WPARAM(-2), LPARAM(&p));
    }
};

TEST_F(NodeToolsTest, DeletingANodeIsOneStepAndUndoes)
{
    const OBJHANDLE p = polygon({{100, 100}, {1000, 100}, {1000, 1000}, {100, 1000}});
    expectUndoRule([&] {
        ASSERT_EQ(ToolNodePlane(window, pixel({1000, 100}), 1), 1);
        EXPECT_EQ(points(p), (Points{{100, 100}, {1000, 1000}, {100, 1000}}));
        EXPECT_EQ(bound(p), (MAP_COORDRECT{100, 100, 1000, 1000}));
        EXPECT_EQ(lastStepCode(), UNDO_OP_DELETING_NODE);
        EXPECT_TRUE(modified());
    });
}

// A refused removal closes no step and leaves the map unmodified.
TEST_F(NodeToolsTest, RefusedRemovalsChangeNothing)
{
    struct Case {
        const char *what;
        uint16_t cls;
        Points pts;
        MAP_COORDPT click;
    };
    const Case cases[] = {
        {"three-point polygon", CLASS_POLYGON, {{100, 100}, {1000, 100}, {500, 900}}, {1000, 100}},
        {"end of a polyline", CLASS_POLYLINE, {{100, 100}, {1000, 100}, {1000, 900}}, {100, 100}},
        {"no vertex there", CLASS_POLYLINE, {{100, 100}, {1000, 100}, {1000, 900}}, {2500, 2500}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const OBJHANDLE h = make(c.cls, c.pts);
        rec.flags = 0;
        const int32_t steps = Undo_KernelUndoStepsCount(kernel());
        const std::vector<char> before = saved();
        EXPECT_EQ(ToolNodePlane(window, pixel(c.click), 1), 0);
        EXPECT_EQ(points(h), c.pts);
        EXPECT_FALSE(modified());
        EXPECT_EQ(Undo_KernelUndoStepsCount(kernel()), steps);
        EXPECT_FALSE(Undo_HasRedoStep(kernel()));
        EXPECT_EQ(saved(), before);
        OBJectDelete(kernel(), h);
    }
}

// A vertex repeated next to itself gives a zero-length edge at the click:
// the repeated point goes, nothing is written outside the points.
TEST_F(NodeToolsTest, ZeroLengthEdgeAtTheVertex)
{
    const OBJHANDLE p = polygon({{100, 100}, {100, 100}, {1000, 100}, {1000, 1000}, {100, 1000}});
    expectUndoRule([&] { ASSERT_EQ(ToolNodePlane(window, pixel({100, 100}), 1), 1); });
    EXPECT_EQ(points(p), (Points{{100, 100}, {1000, 100}, {1000, 1000}, {100, 1000}}));
}

TEST_F(NodeToolsTest, JoiningTwoPolylinesEndToEnd)
{
    const OBJHANDLE a = polyline({{0, 0}, {1000, 0}});
    const OBJHANDLE b = polyline({{2000, 0}, {3000, 0}});
    selectAt(a, {1000, 0});
    expectUndoRule([&] {
        ASSERT_EQ(ToolNodeJoin(window, pixel({2000, 0}), 1), 1);
        const std::vector<OBJHANDLE> now = layerObjects();
        ASSERT_EQ(now.size(), 1u);
        EXPECT_EQ(points(now[0]), (Points{{0, 0}, {1000, 0}, {2000, 0}, {3000, 0}}));
        EXPECT_EQ(lastStepCode(), UNDO_OP_JOINING_POLYLINES);
    });
    EXPECT_NE(a, b);
}

TEST_F(NodeToolsTest, ConcatenationFollowsTheSharedEnds)
{
    struct Case {
        Points a, b, joined;
    };
    const Case cases[] = {
        {{{0, 0}, {10, 0}}, {{0, 0}, {0, 10}}, {{10, 0}, {0, 0}, {0, 10}}},
        {{{0, 0}, {10, 0}}, {{20, 0}, {10, 0}}, {{0, 0}, {10, 0}, {20, 0}}},
        {{{0, 0}, {10, 0}}, {{10, 0}, {20, 0}}, {{0, 0}, {10, 0}, {20, 0}}},
        {{{0, 0}, {10, 0}}, {{0, 10}, {0, 0}}, {{10, 0}, {0, 0}, {0, 10}}},
        {{{0, 0}, {10, 0}}, {{5, 5}, {6, 6}}, {}},
    };
    for (const Case &c : cases) {
        const OBJHANDLE a = polyline(c.a), b = polyline(c.b);
        OBJHANDLE r = 0;
        EXPECT_EQ(PolylinesConcatenate(kernel(), a, b, &r), c.joined.empty() ? 0 : 1);
        if (r) {
            EXPECT_EQ(points(r), c.joined);
            OBJectDelete(kernel(), r);
        }
    }
}

TEST_F(NodeToolsTest, JoiningAPolylineToItselfClosesIt)
{
    const OBJHANDLE a = polyline({{0, 0}, {1000, 0}, {1000, 1000}, {0, 0}});
    selectAt(a, {0, 0});
    expectUndoRule([&] {
        ASSERT_EQ(ToolNodeJoin(window, pixel({1000, 0}), 1), 1);
        const std::vector<OBJHANDLE> now = layerObjects();
        ASSERT_EQ(now.size(), 1u);
        EXPECT_EQ(GetOBJectClassID(kernel(), now[0]), CLASS_POLYGON);
        EXPECT_EQ(points(now[0]), (Points{{0, 0}, {1000, 0}, {1000, 1000}}));
        EXPECT_EQ(lastStepCode(), UNDO_OP_POLYLINE_TO_POLYGON);
    });
    // Two points cannot close.
    const OBJHANDLE two = polyline({{2000, 2000}, {3000, 2000}});
    selectAt(two, {2000, 2000});
    EXPECT_EQ(ToolNodeJoin(window, pixel({3000, 2000}), 1), 0);
    EXPECT_EQ(points(two), (Points{{2000, 2000}, {3000, 2000}}));
}

TEST_F(NodeToolsTest, JoinRefusals)
{
    const OBJHANDLE a = polyline({{0, 0}, {1000, 0}, {1000, 500}});
    const OBJHANDLE b = polyline({{2000, 0}, {3000, 0}, {3000, 500}});
    // The picked point is not an end of the first polyline.
    selectAt(a, {1000, 0});
    EXPECT_EQ(ToolNodeJoin(window, pixel({2000, 0}), 1), 0);
    // The clicked vertex is not an end of the second.
    selectAt(a, {1000, 500});
    EXPECT_EQ(ToolNodeJoin(window, pixel({3000, 0}), 1), 0);
    // Nothing selected.
    SetSelection(window, nullptr, 0, 0, 0);
    EXPECT_EQ(ToolNodeJoin(window, pixel({2000, 0}), 1), 0);
    EXPECT_NE(a, b);
    EXPECT_FALSE(modified());
}

TEST_F(NodeToolsTest, CuttingAPolylineAtAVertex)
{
    const Points line{{0, 0}, {500, 0}, {1000, 0}, {1500, 0}, {2000, 0}};
    const OBJHANDLE l = polyline(line);
    // At an end: nothing.
    EXPECT_EQ(ToolNodeCut(window, pixel({0, 0})), 0);
    EXPECT_EQ(ToolNodeCut(window, pixel({2000, 0})), 0);
    EXPECT_EQ(layerObjects(), std::vector<OBJHANDLE>{l});
    expectUndoRule([&] {
        ASSERT_EQ(ToolNodeCut(window, pixel({1000, 0})), 1);
        Undo_SetNewStep(window, kernel(), 0);
        const std::vector<OBJHANDLE> now = layerObjects();
        ASSERT_EQ(now.size(), 2u);
        EXPECT_EQ(points(now[0]), (Points{{1000, 0}, {1500, 0}, {2000, 0}}));
        EXPECT_EQ(points(now[1]), (Points{{0, 0}, {500, 0}, {1000, 0}}));
    });
}

TEST_F(NodeToolsTest, OpeningAPolygonAtAVertex)
{
    polygon({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}});
    expectUndoRule([&] {
        ASSERT_EQ(ToolNodeCut(window, pixel({1000, 0})), 1);
        Undo_SetNewStep(window, kernel(), 0);
        const std::vector<OBJHANDLE> now = layerObjects();
        ASSERT_EQ(now.size(), 1u);
        EXPECT_EQ(GetOBJectClassID(kernel(), now[0]), CLASS_POLYLINE);
        EXPECT_EQ(points(now[0]), (Points{{1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}, {1000, 0}}));
    });
}

// A click on an object that is not selected, with a line selected: the line
// cuts the object; undo gives back the objects and the selection.
TEST_F(NodeToolsTest, TheSelectedLineCutsTheClickedObject)
{
    const Points ring{{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}};
    const OBJHANDLE square = polygon(ring);
    const OBJHANDLE cutter = polyline({{500, -100}, {500, 1100}});
    SetSelection(window, &cutter, 1, 0, 0);
    const std::vector<char> before = saved();
    ASSERT_EQ(ToolNodeCut(window, pixel({1000, 0})), 1);
    Undo_SetNewStep(window, kernel(), 0);
    const std::vector<OBJHANDLE> now = layerObjects();
    ASSERT_EQ(now.size(), 3u);
    EXPECT_EQ(now[0], cutter);
    EXPECT_TRUE(IsOBJectUndoDeleted(kernel(), square));
    for (size_t i = 1; i < now.size(); ++i) {
        EXPECT_EQ(GetOBJectClassID(kernel(), now[i]), CLASS_POLYGON);
        EXPECT_EQ(points(now[i]).size(), 4u);
    }
    ASSERT_EQ(Undo_Undo(kernel()), 1);
    EXPECT_EQ(layerObjects(), (std::vector<OBJHANDLE>{square, cutter}));
    EXPECT_EQ(points(square), ring);
    EXPECT_EQ(firstDifference(saved(), before), "") << "undo";
    ASSERT_EQ(Undo_Redo(kernel()), 1);
    EXPECT_EQ(layerObjects(), now);
    // A selected line that misses the clicked object changes nothing.
    const OBJHANDLE away = polyline({{3000, 2000}, {3500, 2000}});
    SetSelection(window, &away, 1, 0, 0);
    const int32_t steps = Undo_KernelUndoStepsCount(kernel());
    EXPECT_EQ(ToolNodeCut(window, pixel({0, 1000})), 0);
    EXPECT_EQ(Undo_KernelUndoStepsCount(kernel()), steps);
    EXPECT_FALSE(Undo_HasRedoStep(kernel()));
}

TEST_F(NodeToolsTest, BadWindowsAndHandles)
{
    EXPECT_EQ(ToolNodePlane(0, POINT{1, 1}, 1), 0);
    EXPECT_EQ(ToolNodeJoin(0, POINT{1, 1}, 1), 0);
    EXPECT_EQ(ToolNodeCut(0, POINT{1, 1}), 0);
    OBJHANDLE out = 0;
    EXPECT_EQ(PolylineToPolygon(kernel(), 0, &out), 0);
    EXPECT_EQ(PolylineToPolygon(kernel(), 123456, &out), 0);
    const MAP_COORDPT v{0, 0};
    EXPECT_EQ(PolygonOpenAtVertex(kernel(), 0, &v, &out), 0);
    OBJHANDLE a = 0, b = 0;
    EXPECT_EQ(PolylineSplitAtVertex(kernel(), 99999, &v, &a, &b), 0);
}

} // namespace

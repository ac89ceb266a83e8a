// The node tools at a click: a vertex inserted by dragging an edge's
// midpoint mark, a polyline cut at a vertex, a vertex planed away.
#include "tools_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/window/page.h"
#include "platform/window_timer.h"

namespace {

class NodeTools : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        if (HasFatalFailure())
            return;
        square = Polygon({{200, 200}, {500, 200}, {500, 500}, {200, 500}});
        line = Polyline({{600, 100}, {700, 300}, {800, 100}, {900, 300}});
        Show();
    }
    void Choose(OBJHANDLE h)
    {
        map_selection_Set(hwnd(), &h, 1, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
        Show();
    }
    OBJHANDLE square = 0;
    OBJHANDLE line = 0;
};

TEST_F(NodeTools, AnEdgesMidpointDraggedInsertsOneVertex)
{
    struct Case {
        bool polygon;
        MAP_COORDPT vertex, midpoint;
        uint16_t step;
    };
    const Case cases[] = {{true, {500, 500}, {500, 350}, 221}, {false, {700, 300}, {650, 200}, 223}};
    for (const Case &c : cases) {
        const OBJHANDLE h = c.polygon ? square : line;
        Choose(h);
        ASSERT_EQ(ctl->Command(mCmdNodeDrag), 1);
        // A click on the vertex picks it; its edges show their midpoints.
        Move(W(c.vertex.x, c.vertex.y));
        Press(W(c.vertex.x, c.vertex.y));
        Release(W(c.vertex.x, c.vertex.y));
        Settle();
        const size_t before = PointsOf(h).size();
        const QPoint mid = W(c.midpoint.x, c.midpoint.y);
        Move(mid);
        Press(mid);
        ASSERT_EQ(ctl->OperationState(), 9) << c.step;
        Move(mid + QPoint(40, 10), Qt::LeftButton);
        Release(mid + QPoint(40, 10));
        EXPECT_EQ(LastStep(), c.step);
        EXPECT_EQ(PointsOf(h).size(), before + 1);
        ExpectCleanSurface();
    }
}

TEST_F(NodeTools, ACutAtAVertexIsOneStepAndEndsTheTool)
{
    Choose(line);
    ASSERT_EQ(ctl->Command(mCmdNodeCut), 1);
    ASSERT_EQ(ctl->CurrentTool(), mCmdNodeCut);
    const int32_t before = Steps();
    Click(W(700, 300));
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_EQ(LastStep(), 215);
    EXPECT_EQ(ctl->CurrentTool(), mCmdDeselect);
    ExpectCleanSurface();
}

TEST_F(NodeTools, APlanedVertexGoesAndTheToolStays)
{
    Choose(line);
    ASSERT_EQ(ctl->Command(mCmdNodePlane), 1);
    Click(W(800, 100));
    EXPECT_EQ(PointsOf(line).size(), 3u);
    EXPECT_EQ(ctl->CurrentTool(), mCmdNodePlane);
    ExpectCleanSurface();
}

} // namespace

namespace {

TEST_F(ToolsTest, APageCornerDraggedNarrowLeavesAPageFiveUnitsWide)
{
    const OBJHANDLE page = PageGetFromWindow(hwnd());
    ASSERT_NE(page, 0u);
    ASSERT_EQ(ctl->Command(mCmdViewPage), 1);
    map_selection_Set(hwnd(), &page, 1, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
    Show();
    PageRecord before{};
    ASSERT_TRUE(PageRead(kernel(), page, &before));
    const MAP_COORDRECT b = before.bound;
    ASSERT_EQ(ctl->Command(mCmdNodeDrag), 1);
    const QPoint corner = W(b.x2, b.y2);
    Move(corner);
    Press(corner);
    ASSERT_EQ(ctl->OperationState(), 10);
    // Two units from the fixed corner.
    const QPoint narrow = W(b.x1 + 2, b.y1 + 3);
    Move(narrow, Qt::LeftButton);
    Release(narrow);
    EXPECT_EQ(LastStep(), 225);
    PageRecord after{};
    ASSERT_TRUE(PageRead(kernel(), page, &after));
    EXPECT_EQ(after.extension.x, 5);
    EXPECT_GE(after.extension.y, 5);
    ExpectCleanSurface();
}

} // namespace

namespace {

TEST_F(ToolsTest, APolylineMoveShowsThePartsAfterARestAndTheReleaseClosesThem)
{
    uint32_t on = 1;
    ASSERT_TRUE(
        ctl->wndRes()->settingsKey->SetValue("Settings", "Calculate Parts of Dividing Polygon Area", &on, 0));
    Polygon({{200, 200}, {500, 200}, {500, 500}, {200, 500}});
    const OBJHANDLE cutter = Polyline({{100, 300}, {600, 300}});
    map_selection_Set(hwnd(), &cutter, 1, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
    Show();
    ASSERT_EQ(ctl->Command(mCmdObjectMove), 1);
    Move(W(100, 300));
    Press(W(100, 300));
    ASSERT_EQ(ctl->OperationState(), 13);
    const EditFigure &f = ctl->EditFigureRecord();
    ASSERT_NE(f.areaWindows[0], HWND(0)) << "the line cuts the square in two";
    ASSERT_TRUE(GetTimerInterval(hwnd(), 999, nullptr));

    // Moved, then at rest for two ticks: the parts are computed again for
    // the new place.
    Move(W(100, 400), Qt::LeftButton);
    SendMessageA(hwnd(), WM_TIMER, 999, 0);
    EXPECT_EQ(f.movedSinceTick, 1);
    SendMessageA(hwnd(), WM_TIMER, 999, 0);
    EXPECT_EQ(f.movedSinceTick, 0);
    EXPECT_TRUE(f.areaWindows[0] && IsWindow(f.areaWindows[0]));

    Release(W(100, 400));
    EXPECT_EQ(LastStep(), UNDO_OP_MOVING);
    for (HWND label : f.areaWindows)
        EXPECT_FALSE(label && IsWindow(label)) << "the release closes the area windows";
    EXPECT_FALSE(GetTimerInterval(hwnd(), 999, nullptr));
    ExpectCleanSurface();
}

} // namespace

// The view tools: selection by click or rubber band, zoom by click or drag,
// the wheel, panning, and the right button over each kind of tool.
#include "tools_fixture.h"

#include "platform/mouse_capture.h"

namespace {

using Events = std::vector<RecordedEvent>;

TEST_F(ToolsTest, ASelectionClickOrRubberBand)
{
    const OBJHANDLE box = Polygon({{300, 300}, {400, 300}, {400, 400}, {300, 400}});
    Show();
    struct Case {
        int drag; // pixels
        bool byRect;
    };
    for (const Case c : {Case{5, false}, Case{6, true}}) {
        ctl->Command(mCmdDeselectObjects);
        Settle();
        // From just outside the box, so that only a band of 6 pixels or more
        // can miss it.
        const QPoint start = W(350, 350);
        Drag(start, start + QPoint(c.drag, c.drag));
        if (c.byRect)
            EXPECT_EQ(Selected(), 0) << "a 6-pixel band holds nothing";
        else
            EXPECT_EQ(FirstSelected(), box);
        EXPECT_EQ(sink->Of(EVENT_SELECTIONCHANGED).size(), c.byRect ? 1u : 1u);
        ExpectCleanSurface();
    }
    // A band round the box selects it.
    ctl->Command(mCmdDeselectObjects);
    Drag(W(250, 450), W(450, 250));
    EXPECT_EQ(FirstSelected(), box);
    ExpectCleanSurface();
}

TEST_F(ToolsTest, ZoomByClickOrDrag)
{
    struct Case {
        QSize drag;
        double factor; // scale after / before
    };
    const Case cases[] = {{{0, 0}, 2.0}, {{8, 100}, 2.0}, {{9, 9}, 0.0}};
    for (const Case &c : cases) {
        ctl->Command(mCmdViewAllObjects);
        ASSERT_EQ(ctl->Command(mCmdZoomIn), 1);
        Settle();
        const double before = ctl->view()->scale;
        const QPoint at(150, 120);
        Drag(at, at + QPoint(c.drag.width(), c.drag.height()));
        const double after = ctl->view()->scale;
        if (c.factor > 0)
            EXPECT_NEAR(after / before, c.factor, 0.05) << c.drag.width();
        else
            EXPECT_GT(after / before, 10.0);
        EXPECT_EQ(sink->Of(EVENT_DISPLAYSCALECHANGED).size(), 1u);
        EXPECT_EQ(ctl->CurrentTool(), mCmdZoomIn);
        ExpectCleanSurface();
    }
}

TEST_F(ToolsTest, TheWheelZoomsOneStepPerEvent)
{
    for (int delta : {120, -120, 1000000, -1000000}) {
        const double before = ctl->view()->scale;
        sink->events.clear();
        QWheelEvent e(QPointF(200, 150), ctl->mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(ctl, &e);
        const double ratio = ctl->view()->scale / before;
        if (delta > 0)
            EXPECT_NEAR(ratio, 2.0, 0.05) << delta;
        else
            EXPECT_NEAR(ratio, 0.5, 0.05) << delta;
        EXPECT_EQ(sink->Of(EVENT_DISPLAYSCALECHANGED).size(), 1u);
        EXPECT_TRUE(sink->Of(EVENT_MOUSEEVENT).empty());
    }
    ExpectCleanSurface();
}

TEST_F(ToolsTest, PanningFiresNoMouseEventAndHoldsTheCapture)
{
    ASSERT_EQ(ctl->Command(mCmdPan), 1);
    Settle();
    const MAP_COORDPT before = M(QPoint(200, 150));
    Move(QPoint(200, 150));
    Press(QPoint(200, 150));
    EXPECT_EQ(GetCapture(), hwnd());
    sink->events.clear();
    Move(QPoint(240, 170), Qt::LeftButton);
    Move(QPoint(260, 190), Qt::LeftButton);
    EXPECT_TRUE(sink->Of(EVENT_MOUSEEVENT).empty());
    Release(QPoint(260, 190));
    EXPECT_EQ(GetCapture(), HWND(0));
    const MAP_COORDPT after = M(QPoint(260, 190));
    EXPECT_NEAR(after.x, before.x, 3);
    EXPECT_NEAR(after.y, before.y, 3);
    EXPECT_EQ(ctl->CurrentTool(), mCmdPan);
    ExpectCleanSurface();
}

TEST_F(ToolsTest, TheRightButtonOverEachKindOfTool)
{
    const OBJHANDLE box = Polygon({{300, 300}, {400, 300}, {400, 400}});
    Show();
    struct Case {
        int32_t tool;
        bool drawing;
        bool selectionKept;
        Events commands;
    };
    const Case cases[] = {
        {mCmdPolygon,
         true,
         true,
         {{EVENT_COMMANDSTATECHANGED, {404, 2}},
          {EVENT_COMMANDSTATECHANGED, {472, 1}},
          {EVENT_COMMANDSTATECHANGED, {472, 2}}}},
        {mCmdZoomIn, false, true, {{EVENT_COMMANDSTATECHANGED, {401, 2}}}},
        {mCmdPan,
         false,
         false,
         {{EVENT_COMMANDSTATECHANGED, {422, 2}}, {EVENT_COMMANDSTATECHANGED, {472, 2}}}},
        {mCmdText,
         false,
         false,
         {{EVENT_COMMANDSTATECHANGED, {423, 2}}, {EVENT_COMMANDSTATECHANGED, {472, 2}}}},
        {mCmdNail,
         false,
         false,
         {{EVENT_COMMANDSTATECHANGED, {425, 2}}, {EVENT_COMMANDSTATECHANGED, {472, 2}}}},
    };
    for (const Case &c : cases) {
        map_selection_Set(hwnd(), &box, 1, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
        ASSERT_EQ(ctl->Command(c.tool), 1);
        Settle();
        const int32_t before = Steps();
        if (c.drawing) {
            Click(W(100, 100));
            Click(W(200, 100));
            Move(W(200, 200));
        }
        sink->events.clear();
        Move(W(600, 600));
        Press(W(600, 600), Qt::RightButton);
        Release(W(600, 600), Qt::RightButton);
        EXPECT_EQ(Steps(), before) << c.tool;
        EXPECT_EQ(sink->Of(EVENT_COMMANDSTATECHANGED), c.commands) << c.tool;
        EXPECT_EQ(Selected(), c.selectionKept ? 1 : 0) << c.tool;
        EXPECT_EQ(ctl->CurrentTool(), mCmdDeselect);
        ExpectCleanSurface();
    }
}

} // namespace

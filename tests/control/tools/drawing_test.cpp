// The drawing tools: figures by clicks, snapping, axis locks, tracing and
// the running measures; each finished figure is one undo step and reaches
// the host as its events, and nothing of the rubber lines stays.
#include "tools_fixture.h"

#include "engine/view/projection/unit_table.h"
#include "platform/mouse_capture.h"

#include <QApplication>
#include <QFocusEvent>

namespace {

using Events = std::vector<RecordedEvent>;

TEST_F(ToolsTest, APolygonByClicksAndADoubleClick)
{
    ASSERT_EQ(ctl->Command(mCmdPolygon), 1);
    sink->events.clear();
    const int32_t before = Steps();
    // A drawing pass is under way when the first press comes: it is stopped
    // first and its area drawn under the rubber lines.
    ctl->FullRepaint();
    UpdateWindow(hwnd());
    sink->events.clear();
    Click(W(100, 100));
    EXPECT_FALSE(ctl->DrawingThreadRunning());
    Click(W(400, 100));
    Move(W(300, 300));
    EXPECT_EQ(ctl->OperationState(), 2);
    DoubleClick(W(300, 300));

    const OBJHANDLE made = FirstSelected();
    ASSERT_NE(made, 0u);
    EXPECT_EQ(PointsOf(made).size(), 3u) << "two clicks and the double click's first press";
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_EQ(LastStep(), UNDO_OP_CREATE_POLYGON);
    EXPECT_TRUE(ctl->GetIsModified());
    EXPECT_EQ(ctl->CurrentTool(), mCmdPolygon) << "the tool stays";
    // Mouse events first, then the selection and the new object.
    Events tail;
    for (const RecordedEvent &e : sink->events)
        if (e.id == EVENT_SELECTIONCHANGED || e.id == EVENT_OBJECTADD)
            tail.push_back(e);
    EXPECT_EQ(tail, (Events{{EVENT_SELECTIONCHANGED, {1}}, {EVENT_OBJECTADD, {double(made)}}}));
    const Events mouse = sink->Of(EVENT_MOUSEEVENT);
    ASSERT_FALSE(mouse.empty());
    EXPECT_EQ(mouse.front().args[2], 512);
    EXPECT_EQ(mouse.back().args[2], 514);
    int doubles = 0;
    for (const RecordedEvent &e : mouse)
        doubles += e.args[2] == 515;
    EXPECT_EQ(doubles, 1);
    ExpectCleanSurface();
}

TEST_F(ToolsTest, TheSegmentBeingDrawnGivesTheSelectionItsDirection)
{
    double dx = 0, dy = 0;
    EXPECT_FALSE(ctl->SelectionSegment(&dx, &dy)) << "no operation";
    ASSERT_EQ(ctl->Command(mCmdPolyline), 1);
    Click(W(100, 100));
    Move(W(300, 100));
    ASSERT_EQ(ctl->OperationState(), 2);
    ASSERT_TRUE(ctl->SelectionSegment(&dx, &dy));
    EXPECT_GT(dx, 0);
    EXPECT_EQ(dy, 0);
    Move(W(100, 300));
    ASSERT_TRUE(ctl->SelectionSegment(&dx, &dy));
    EXPECT_EQ(dx, 0);
    EXPECT_GT(dy, 0) << "map y grows upward";
    DoubleClick(W(100, 300));
    EXPECT_NE(ctl->OperationState(), 2);
    EXPECT_FALSE(ctl->SelectionSegment(&dx, &dy));
}

TEST_F(ToolsTest, PolygonClickCounts)
{
    struct Case {
        int clicks;
        size_t points; // 0: nothing made
    };
    for (const Case c : {Case{1, 0}, Case{2, 3}}) {
        ASSERT_EQ(ctl->Command(mCmdPolygon), 1);
        Settle();
        const int32_t before = Steps();
        for (int i = 0; i < c.clicks; ++i)
            Click(W(100 + 200 * i, 100 + 50 * i));
        DoubleClick(W(150, 500));
        if (c.points == 0) {
            EXPECT_EQ(Steps(), before) << c.clicks;
            EXPECT_TRUE(sink->Of(EVENT_OBJECTADD).empty());
        } else {
            EXPECT_EQ(Steps(), before + 1);
            EXPECT_EQ(PointsOf(FirstSelected()).size(), c.points);
        }
        EXPECT_EQ(ctl->CurrentTool(), mCmdPolygon);
        ExpectCleanSurface();
    }
}

TEST_F(ToolsTest, APolylineStartedOnTheEndOfTheLastOneExtendsIt)
{
    ASSERT_EQ(ctl->Command(mCmdPolyline), 1);
    Click(W(100, 100));
    DoubleClick(W(300, 100));
    const OBJHANDLE first = FirstSelected();
    ASSERT_EQ(PointsOf(first).size(), 2u);
    EXPECT_EQ(LastStep(), UNDO_OP_CREATE_POLYLINE);
    Settle();

    // The end vertex is drawn and selected: the next figure starts on it.
    const MAP_COORDPT end = PointsOf(first).back();
    Click(W(end.x, end.y));
    DoubleClick(W(300, 400));
    EXPECT_EQ(LastStep(), 330);
    EXPECT_EQ(FirstSelected(), first);
    EXPECT_EQ(PointsOf(first).size(), 3u);
    EXPECT_TRUE(sink->Of(EVENT_OBJECTADD).empty()) << "no new object";
    EXPECT_EQ(sink->Of(EVENT_SELECTIONCHANGED), (Events{{EVENT_SELECTIONCHANGED, {1}}}));
    ExpectCleanSurface();
}

TEST_F(ToolsTest, ARectangleByThreeClicksOnThePerpendicularOrFreeWithF)
{
    for (bool free : {false, true}) {
        ASSERT_EQ(ctl->Command(mCmdRectangle), 1);
        Settle();
        Click(W(200, 200));
        Click(W(500, 200));
        if (free)
            Key(Qt::Key_F, true);
        Move(W(520, 450));
        Click(W(520, 450));
        if (free)
            Key(Qt::Key_F, false);
        const std::vector<MAP_COORDPT> p = PointsOf(FirstSelected());
        ASSERT_EQ(p.size(), 4u) << free;
        EXPECT_EQ(LastStep(), UNDO_OP_CREATE_POLYGON);
        // q, A, B, C: C on the perpendicular through B unless free.
        const MAP_COORDPT a = p[1], b = p[2], c = p[3];
        EXPECT_EQ(b.y, a.y);
        if (free)
            EXPECT_NE(c.x, b.x);
        else
            EXPECT_EQ(c.x, b.x);
        EXPECT_EQ(p[0].x - a.x, c.x - b.x);
        EXPECT_EQ(p[0].y - a.y, c.y - b.y);
        EXPECT_EQ(ctl->CurrentTool(), mCmdRectangle);
        ExpectCleanSurface();
    }
}

TEST_F(ToolsTest, TheThirdCornerOnTheFirstSideIsDropped)
{
    ASSERT_EQ(ctl->Command(mCmdRectangle), 1);
    Click(W(200, 200));
    Click(W(500, 200));
    const int32_t before = Steps();
    Click(W(600, 200)); // projected onto B itself
    EXPECT_EQ(Steps(), before);
    EXPECT_EQ(ctl->OperationState(), 2) << "drawing goes on";
    ASSERT_EQ(ctl->Command(mCmdDeselect), 1);
    ExpectCleanSurface();
}

TEST_F(ToolsTest, AnArrowOfFivePointsIsOneStepAndEndsTheTool)
{
    ASSERT_EQ(ctl->Command(mCmdArrow), 1);
    ctl->SetIsModified(false);
    sink->events.clear();
    const int32_t before = Steps();
    Click(W(100, 100));
    Move(W(500, 300));
    Click(W(500, 300));
    const OBJHANDLE arrow = FirstSelected();
    const std::vector<MAP_COORDPT> p = PointsOf(arrow);
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[1].x, p[3].x);
    EXPECT_EQ(p[1].y, p[3].y);
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_EQ(LastStep(), UNDO_OP_CREATE_POLYLINE);
    EXPECT_TRUE(ctl->GetIsModified());
    EXPECT_TRUE(sink->Of(EVENT_OBJECTADD).empty());
    EXPECT_EQ(ctl->CurrentTool(), mCmdDeselect);
    ExpectCleanSurface();

    // Both clicks on one point: no arrow, and the tool ends.
    ASSERT_EQ(ctl->Command(mCmdArrow), 1);
    const int32_t now = Steps();
    Click(W(700, 500));
    Click(W(700, 500));
    EXPECT_EQ(Steps(), now);
    EXPECT_EQ(ctl->CurrentTool(), mCmdDeselect);
    ExpectCleanSurface();
}

TEST_F(ToolsTest, AxisKeysGiveVerticalAndHorizontalSegments)
{
    struct Case {
        Qt::Key key;
        bool sameX;
    };
    for (const Case c : {Case{Qt::Key_X, true}, Case{Qt::Key_Y, false}}) {
        ASSERT_EQ(ctl->Command(mCmdPolyline), 1);
        Click(W(100, 100));
        Key(c.key, true);
        Click(W(300, 420));
        Key(c.key, false);
        DoubleClick(W(300, 420));
        const std::vector<MAP_COORDPT> p = PointsOf(FirstSelected());
        ASSERT_GE(p.size(), 2u);
        if (c.sameX)
            EXPECT_EQ(p[1].x, p[0].x);
        else
            EXPECT_EQ(p[1].y, p[0].y);
        ExpectCleanSurface();
        ctl->Command(mCmdDeselectObjects);
    }
}

TEST_F(ToolsTest, ClicksSnapToDrawnVertices)
{
    const OBJHANDLE target = Polygon({{600, 600}, {800, 600}, {700, 700}});
    // Its vertices are drawn while it is selected.
    map_selection_Set(hwnd(), &target, 1, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
    Show();
    ASSERT_EQ(ctl->Command(mCmdPolyline), 1);
    const QPoint near = W(800, 600) + QPoint(2, 1);
    Click(W(100, 100));
    DoubleClick(near);
    const std::vector<MAP_COORDPT> p = PointsOf(FirstSelected());
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.back().x, 800);
    EXPECT_EQ(p.back().y, 600);
    ExpectCleanSurface();
}

TEST_F(ToolsTest, CtrlClicksTraceAlongBoundaries)
{
    // A hexagon: from vertex 0 to vertex 5 the short way is one step back.
    const OBJHANDLE ring = Polygon({{200, 200}, {400, 150}, {600, 200}, {600, 500}, {400, 550}, {200, 500}});
    // A polyline: followed in point order whatever the distance.
    const OBJHANDLE line = Polyline({{100, 650}, {300, 700}, {500, 650}, {700, 700}});
    Show();
    struct Case {
        MAP_COORDPT from, to;
        size_t points;
    };
    const Case cases[] = {{{200, 200}, {200, 500}, 2}, {{100, 650}, {700, 700}, 4}};
    for (const Case &c : cases) {
        const OBJHANDLE both[] = {ring, line};
        map_selection_Set(hwnd(), both, 2, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
        Settle();
        ASSERT_EQ(ctl->Command(mCmdPolyline), 1);
        Click(W(c.from.x, c.from.y));
        Key(Qt::Key_Control, true);
        Click(W(c.to.x, c.to.y));
        Key(Qt::Key_Control, false);
        DoubleClick(W(c.to.x, c.to.y));
        const std::vector<MAP_COORDPT> p = PointsOf(FirstSelected());
        // The double click's press adds the end once more.
        ASSERT_EQ(p.size(), c.points + 1) << c.points;
        EXPECT_EQ(p[c.points - 1].x, c.to.x);
        EXPECT_EQ(p[c.points - 1].y, c.to.y);
        ExpectCleanSurface();
    }
}

TEST_F(ToolsTest, TheRunningLengthAndAreaThroughTheServices)
{
    ASSERT_EQ(ctl->Command(mCmdPolygon), 1);
    Click(W(0, 0));
    Click(W(400, 0));
    Move(W(400, 300));
    const EditFigure &f = ctl->EditFigureRecord();
    // Within a pixel of the figure clicked: the clicks fall on whole pixels.
    EXPECT_NEAR(f.length, 400 + 300 + 500, ctl->view()->inverseScale);
    EXPECT_NEAR(f.area, 400 * 300 / 2, 600);
    EXPECT_DOUBLE_EQ(ctl->figureLength, f.length);

    // Geographic coordinates: square metres on the sphere.
    const ProjectionTag kept = ctl->view()->projection;
    ctl->view()->projection.baseKind = 4;
    ctl->view()->projection.baseUnit = 6; // 36000 units a degree
    Move(W(400, 301));
    Move(W(400, 300));
    const double radians = 0.017453292519943278 / 36000.0;
    const double expected = (400.0 * 300 / 2) * radians * radians * 6378137.0 * 6378137.0;
    EXPECT_NEAR(f.area, expected, expected * 0.01);
    ctl->view()->projection.baseKind = kept.baseKind;
    ctl->view()->projection.baseUnit = kept.baseUnit;
    ASSERT_EQ(ctl->Command(mCmdDeselect), 1);
    ExpectCleanSurface();
}

} // namespace

namespace {

// Tracing over a very long boundary takes its first 10,000 points, and over
// a stack of equal objects follows one of them: no hang, a sane figure.
TEST_F(ToolsTest, TracingOverHugeOrStackedObjectsStaysBounded)
{
    std::vector<MAP_COORDPT> zigzag;
    for (int32_t i = 0; i < 20000; ++i)
        zigzag.push_back({100 + i * 800 / 20000, i % 2 ? 120 : 100});
    // A polygon, so that starting on its vertex cannot continue it.
    OBJHANDLE huge = 0;
    ASSERT_EQ(map_polygon_Create(hwnd(), &huge, zigzag.data(), int32_t(zigzag.size()), 0), 1);
    std::vector<OBJHANDLE> stack;
    for (int i = 0; i < 20; ++i)
        stack.push_back(Polygon({{200, 400}, {500, 400}, {500, 600}, {200, 600}}));
    Show();

    struct Case {
        const char *what;
        std::vector<OBJHANDLE> selected;
        MAP_COORDPT from, to;
        size_t most;
    };
    const Case cases[] = {
        {"a polygon of 2 x 10^4 points", {huge}, zigzag.front(), zigzag.back(), 10002},
        {"20 stacked squares", stack, {200, 400}, {500, 600}, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        map_selection_Set(hwnd(), c.selected.data(), int32_t(c.selected.size()), 0, COLORREF(-1), -1, -1, 1,
                          0, -1, 1, 0);
        Settle();
        const int32_t before = Steps();
        ASSERT_EQ(ctl->Command(mCmdPolyline), 1);
        Click(W(c.from.x, c.from.y));
        Key(Qt::Key_Control, true);
        Click(W(c.to.x, c.to.y));
        Key(Qt::Key_Control, false);
        DoubleClick(W(c.to.x, c.to.y));
        EXPECT_EQ(Steps(), before + 1);
        const std::vector<MAP_COORDPT> p = PointsOf(FirstSelected());
        EXPECT_GE(p.size(), 3u);
        EXPECT_LE(p.size(), c.most);
        ExpectCleanSurface();
    }
}

TEST_F(ToolsTest, LosingTheFocusWhilePanningDoesNotJump)
{
    ASSERT_EQ(ctl->Command(mCmdPan), 1);
    Settle();
    const MAP_COORDPT before = M(QPoint(200, 150));
    Move(QPoint(200, 150));
    Press(QPoint(200, 150));
    Move(QPoint(240, 170), Qt::LeftButton);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(ctl, &out);
    EXPECT_EQ(GetCapture(), HWND(0));
    // The view moved as far as it was shown, not to a corner.
    const MAP_COORDPT after = M(QPoint(240, 170));
    EXPECT_NEAR(after.x, before.x, 3);
    EXPECT_NEAR(after.y, before.y, 3);
    ExpectCleanSurface();
}

} // namespace

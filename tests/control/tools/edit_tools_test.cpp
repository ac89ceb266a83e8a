// The editing tools: vertex and edge drags, the move of the selection with
// its outline (and about the nail), the rest timer's time-out, and the ends
// of operations by a lost focus and by bad input.
#include "tools_fixture.h"

#include "control/control_registry.h"
#include "engine/editing/tools/nail.h"
#include "engine/editing/tools/transform.h"
#include "engine/kernel/settings.h"
#include "platform/mouse_capture.h"
#include "platform/window_timer.h"

#include <QFocusEvent>

namespace {

class EditTools : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        if (HasFatalFailure())
            return;
        square = Polygon({{200, 200}, {500, 200}, {500, 500}, {200, 500}});
        line = Polyline({{600, 100}, {700, 300}, {800, 100}});
        Show();
    }
    void Choose(OBJHANDLE h)
    {
        map_selection_Set(hwnd(), &h, 1, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
        Settle();
    }
    void LoseFocus()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(ctl, &out);
    }
    OBJHANDLE square = 0;
    OBJHANDLE line = 0;
};

TEST_F(EditTools, VertexDragsShowTheirNeighboursAndCloseOneStep)
{
    struct Case {
        MAP_COORDPT vertex;
        bool polygon;
        size_t neighbours;
        uint16_t step;
    };
    const Case cases[] = {
        {{500, 500}, true, 2, 220}, {{600, 100}, false, 1, 222}, {{700, 300}, false, 2, 222}};
    for (const Case &c : cases) {
        const OBJHANDLE h = c.polygon ? square : line;
        Choose(h);
        ASSERT_EQ(ctl->Command(mCmdNodeDrag), 1);
        const int32_t before = Steps();
        Move(W(c.vertex.x, c.vertex.y));
        Press(W(c.vertex.x, c.vertex.y));
        ASSERT_EQ(ctl->OperationState(), 8) << c.vertex.x;
        EXPECT_EQ(GetCapture(), hwnd());
        const QPoint to = W(c.vertex.x - 50, c.vertex.y + 40);
        Move(to, Qt::LeftButton);
        EXPECT_EQ(ctl->EditFigureRecord().points.size(), c.neighbours);
        Release(to);
        EXPECT_EQ(Steps(), before + 1);
        EXPECT_EQ(LastStep(), c.step);
        const std::vector<MAP_COORDPT> p = PointsOf(h);
        const MAP_COORDPT expected = M(to);
        EXPECT_TRUE(std::any_of(p.begin(), p.end(), [&](const MAP_COORDPT &q) {
            return q.x == expected.x && q.y == expected.y;
        }));
        EXPECT_EQ(ctl->CurrentTool(), mCmdNodeDrag);
        ExpectCleanSurface();
    }
}

TEST_F(EditTools, HoldingXKeepsTheVertexsX)
{
    Choose(square);
    ASSERT_EQ(ctl->Command(mCmdNodeDrag), 1);
    Move(W(500, 500));
    Press(W(500, 500));
    Key(Qt::Key_X, true);
    Move(W(560, 600), Qt::LeftButton);
    Release(W(560, 600));
    Key(Qt::Key_X, false);
    const std::vector<MAP_COORDPT> p = PointsOf(square);
    EXPECT_EQ(p[2].x, 500);
    EXPECT_NE(p[2].y, 500);
    ExpectCleanSurface();
}

TEST_F(EditTools, AMoveOfTheSelection)
{
    Choose(square);
    ASSERT_EQ(ctl->Command(mCmdObjectMove), 1);
    const int32_t before = Steps();
    // No displacement: no step.
    Move(W(300, 300));
    Press(W(300, 300));
    Release(W(300, 300));
    EXPECT_EQ(Steps(), before);
    ExpectCleanSurface();

    sink->events.clear();
    Drag(W(300, 300), W(400, 350));
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_EQ(LastStep(), UNDO_OP_MOVING);
    const MAP_COORDPT d = M(W(400, 350)), s = M(W(300, 300));
    EXPECT_EQ(PointsOf(square)[0].x, 200 + d.x - s.x);
    EXPECT_EQ(ctl->CurrentTool(), mCmdObjectMove);
    ExpectCleanSurface();
}

TEST_F(EditTools, AScalingDragPressedOnTheNailsCentreKeepsTheScale)
{
    const MAP_COORDPT centre{350, 350};
    SetNailObj2(hwnd(), &centre);
    NailScalfree(hwnd());
    Choose(square);
    ASSERT_EQ(ctl->Command(mCmdObjectMove), 1);
    Move(W(350, 350));
    Press(W(350, 350));
    Move(W(380, 380), Qt::LeftButton);
    NailRecord n{};
    ASSERT_TRUE(NailRead(kernel(), GetNailOBJFromPage(hwnd()), &n));
    EXPECT_EQ(n.scale, 1.0);
    Release(W(380, 380));
    ExpectCleanSurface();
}

TEST_F(EditTools, TheRestTimeOutIsClampedAndWrittenBack)
{
    struct Case {
        uint32_t stored, used;
    };
    for (const Case c : {Case{20, 50}, Case{5000, 1000}, Case{300, 300}}) {
        uint32_t v = c.stored;
        ASSERT_EQ(ControlRegValueSet(ctl->wndRes()->settingsKey, "Settings", "Polygon cut time_out", &v, 0),
                  1);
        Choose(line);
        ASSERT_EQ(ctl->Command(mCmdObjectMove), 1);
        Move(W(700, 300));
        Press(W(700, 300));
        ASSERT_EQ(ctl->OperationState(), 13);
        UINT interval = 0;
        if (GetTimerInterval(hwnd(), 999, &interval)) {
            EXPECT_EQ(interval, c.used);
            uint32_t back = 0;
            ControlRegValueGet(ctl->wndRes()->settingsKey, "Settings", "Polygon cut time_out", &back, 0);
            EXPECT_EQ(back, c.used);
        }
        Release(W(700, 300));
        EXPECT_FALSE(GetTimerInterval(hwnd(), 999, nullptr)) << "the release kills the timer";
        ExpectCleanSurface();
    }
}

TEST_F(EditTools, LosingTheFocusFinishesEachOperation)
{
    // A vertex drag: the vertex stays where it was shown, one step.
    Choose(square);
    ASSERT_EQ(ctl->Command(mCmdNodeDrag), 1);
    int32_t before = Steps();
    Move(W(500, 500));
    Press(W(500, 500));
    Move(W(560, 560), Qt::LeftButton);
    const MAP_COORDPT shown = ctl->EditFigureRecord().current;
    LoseFocus();
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_EQ(LastStep(), 220);
    EXPECT_EQ(PointsOf(square)[2].x, shown.x);
    EXPECT_EQ(PointsOf(square)[2].y, shown.y);
    EXPECT_EQ(GetCapture(), HWND(0));
    ExpectCleanSurface();

    // Three polygon points make the polygon.
    ASSERT_EQ(ctl->Command(mCmdPolygon), 1);
    before = Steps();
    Click(W(100, 600));
    Click(W(300, 600));
    Click(W(200, 700));
    LoseFocus();
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_EQ(LastStep(), UNDO_OP_CREATE_POLYGON);
    ExpectCleanSurface();

    // A rubber band still selects; keys held count as released.
    ASSERT_EQ(ctl->Command(mCmdDeselect), 1);
    Key(Qt::Key_X, true);
    Move(W(150, 150));
    Press(W(150, 150));
    Move(W(600, 600), Qt::LeftButton);
    LoseFocus();
    EXPECT_GE(Selected(), 1);
    EXPECT_EQ(GetKeyState('X') & 0x8000, 0);
    ExpectCleanSurface();
}

TEST_F(EditTools, BadInputChangesNothingHalfway)
{
    // A release outside the window, a double click with no point, presses
    // with nothing under them.
    ASSERT_EQ(ctl->Command(mCmdPolygon), 1);
    const int32_t before = Steps();
    QTest::mouseDClick(ctl, Qt::LeftButton, {}, QPoint(50, 50));
    Release(QPoint(50, 50));
    EXPECT_EQ(Steps(), before);
    Click(QPoint(50, 50));
    Move(QPoint(-300, 900));
    Release(QPoint(-300, 900));
    ASSERT_EQ(ctl->Command(mCmdDeselect), 1);
    ExpectCleanSurface();
    for (int32_t tool : {mCmdNodeDrag, mCmdNodePlane, mCmdNodeCut, mCmdNodeJoin, mCmdObjectMove}) {
        ctl->Command(mCmdDeselectObjects);
        ASSERT_EQ(ctl->Command(tool), 1);
        const int32_t now = Steps();
        Drag(W(900, 700), W(950, 720));
        EXPECT_EQ(Steps(), now) << tool;
        EXPECT_EQ(ctl->OperationState(), 0);
        ctl->Command(mCmdDeselect);
        ExpectCleanSurface();
    }
}

TEST_F(EditTools, APolylineOfTenThousandClicks)
{
    ASSERT_EQ(ctl->Command(mCmdPolyline), 1);
    for (int i = 0; i < 10000; ++i) {
        const LPARAM at = MakePointLParam(20 + i % 300, 20 + (i / 300) % 200);
        SendMessageA(hwnd(), WM_MOUSEMOVE, 0, at);
        SendMessageA(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(hwnd(), WM_LBUTTONUP, 0, at);
    }
    SendMessageA(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(30, 30));
    EXPECT_EQ(PointsOf(FirstSelected()).size(), 10000u);
    ExpectCleanSurface();
}

} // namespace

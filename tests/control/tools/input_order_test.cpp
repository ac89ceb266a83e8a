// Input that arrives while the control is busy with earlier input, and the
// ways a drawing ends without its finishing click: another command, the
// Escape key, the right button with a host that answers it, and clicks that
// belong to other windows.
#include "tools_fixture.h"

#include "platform/mouse_capture.h"

#include <QApplication>
#include <QFocusEvent>

namespace {

using Events = std::vector<RecordedEvent>;

constexpr double kLeftDown = 513;
constexpr double kRightDown = 516;
constexpr double kLeftDouble = 515;

// A host that answers one mouse event with something of its own, once.
class Answer {
public:
    Answer(EventRecorder &sink, double message, std::function<void()> reply) : sink_(sink)
    {
        sink_.onEvent = [this, message, reply = std::move(reply)](const RecordedEvent &e) {
            if (done_ || e.id != EVENT_MOUSEEVENT || e.args.size() < 3 || e.args[2] != message)
                return;
            done_ = true;
            reply();
        };
    }
    ~Answer() { sink_.onEvent = nullptr; }
    bool Done() const { return done_; }

private:
    EventRecorder &sink_;
    bool done_ = false;
};

class InputTest : public ToolsTest {
protected:
    // The polygon tool with three points placed and the cursor at a fourth;
    // returns the number of undo steps before them.
    int32_t StartTriangle()
    {
        EXPECT_EQ(ctl->Command(mCmdPolygon), 1);
        Settle();
        const int32_t before = Steps();
        Click(W(100, 100));
        Click(W(400, 100));
        Click(W(400, 400));
        Move(W(100, 400));
        return before;
    }
};

TEST_F(InputTest, AReleaseThatArrivesWhileThePressIsHandledEndsTheOperation)
{
    const OBJHANDLE box = Polygon({{300, 300}, {400, 300}, {400, 400}, {300, 400}});
    Show();
    struct Case {
        int32_t tool;
        const char *name;
    };
    for (const Case c : {Case{mCmdDeselect, "select"}, Case{mCmdZoomIn, "zoom in"}}) {
        ctl->Command(mCmdViewAllObjects);
        ctl->Command(mCmdDeselectObjects);
        ASSERT_EQ(ctl->Command(c.tool), 1);
        Settle();
        const double scale = ctl->view()->scale;
        const QPoint at = W(350, 350);
        Move(at);
        // A quick click: its release is already queued when the press comes,
        // and the press's handling lets the event loop run.
        Answer answer(*sink.get(), kLeftDown, [&] {
            QMouseEvent release(QEvent::MouseButtonRelease, at, ctl->mapToGlobal(at), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(ctl, &release);
        });
        Press(at);
        ASSERT_TRUE(answer.Done()) << c.name;
        EXPECT_EQ(ctl->OperationState(), 0) << c.name;
        EXPECT_EQ(GetCapture(), HWND(0)) << c.name << ": the map must not keep the mouse";
        if (c.tool == mCmdZoomIn) {
            EXPECT_NEAR(ctl->view()->scale / scale, 2.0, 0.05) << "the click zooms by two";
        } else {
            EXPECT_EQ(FirstSelected(), box) << "the click selects";
        }
        // The release comes after the press for the host too.
        const Events mouse = sink->Of(EVENT_MOUSEEVENT);
        ASSERT_GE(mouse.size(), 2u);
        EXPECT_EQ(mouse[mouse.size() - 2].args[2], kLeftDown);
        EXPECT_EQ(mouse.back().args[2], 514);
        ExpectCleanSurface();
    }
}

TEST_F(InputTest, BetweenTheClicksOfAFigureTheMouseIsFree)
{
    for (const int32_t tool : {mCmdPolyline, mCmdPolygon, mCmdRectangle}) {
        ASSERT_EQ(ctl->Command(tool), 1);
        Settle();
        Move(W(100, 100));
        Press(W(100, 100));
        EXPECT_EQ(GetCapture(), hwnd()) << tool << ": held while the button is down";
        Release(W(100, 100));
        EXPECT_EQ(ctl->OperationState(), 2) << tool;
        EXPECT_EQ(GetCapture(), HWND(0)) << tool << ": a click elsewhere is not a point";
        Move(W(300, 100));
        Press(W(300, 100));
        EXPECT_EQ(GetCapture(), hwnd()) << tool;
        Release(W(300, 100));
        EXPECT_EQ(GetCapture(), HWND(0)) << tool;
        ctl->Command(mCmdDeselect);
        ExpectCleanSurface();
    }
}

TEST_F(InputTest, AnotherCommandEndsTheFigureBeingDrawn)
{
    struct Case {
        int32_t tool;
        int clicks;     // points placed before the command
        int32_t next;   // the command chosen while drawing
        bool made;      // the figure is made from its points
        Events reports; // the tool changes the host hears
    };
    const Case cases[] = {
        {mCmdPolygon,
         3,
         mCmdZoomIn,
         true,
         {{EVENT_COMMANDSTATECHANGED, {404, 2}}, {EVENT_COMMANDSTATECHANGED, {401, 1}}}},
        {mCmdPolyline,
         2,
         mCmdPan,
         true,
         {{EVENT_COMMANDSTATECHANGED, {403, 2}}, {EVENT_COMMANDSTATECHANGED, {422, 1}}}},
        {mCmdPolyline,
         1,
         mCmdDeselectTool,
         false,
         {{EVENT_COMMANDSTATECHANGED, {403, 2}},
          {EVENT_COMMANDSTATECHANGED, {472, 1}},
          {EVENT_COMMANDSTATECHANGED, {472, 2}}}},
        {mCmdRectangle,
         2,
         mCmdPolygon,
         false,
         {{EVENT_COMMANDSTATECHANGED, {467, 2}}, {EVENT_COMMANDSTATECHANGED, {404, 1}}}},
    };
    for (const Case &c : cases) {
        ctl->Command(mCmdDeselect);
        ASSERT_EQ(ctl->Command(c.tool), 1);
        Settle();
        const int32_t before = Steps();
        const QPoint points[] = {W(100, 100), W(400, 100), W(400, 400)};
        for (int i = 0; i < c.clicks; ++i)
            Click(points[i]);
        Move(W(250, 600));
        ASSERT_EQ(ctl->OperationState(), 2) << c.tool;
        sink->events.clear();
        EXPECT_EQ(ctl->Command(c.next), 1);
        EXPECT_EQ(ctl->OperationState(), 0) << c.tool;
        EXPECT_EQ(ctl->CurrentTool(), c.next == mCmdDeselectTool ? mCmdDeselect : c.next) << c.tool;
        EXPECT_EQ(Steps(), before + (c.made ? 1 : 0)) << c.tool;
        if (c.made) {
            const OBJHANDLE made = FirstSelected();
            ASSERT_NE(made, 0u) << c.tool;
            EXPECT_EQ(PointsOf(made).size(), size_t(c.clicks)) << c.tool;
        }
        Events reports;
        for (const RecordedEvent &e : sink->Of(EVENT_COMMANDSTATECHANGED))
            if (e.args[1] == 1 || e.args[1] == 2) // not the undo commands' enabling
                reports.push_back(e);
        EXPECT_EQ(reports, c.reports) << c.tool;
        EXPECT_EQ(GetCapture(), HWND(0)) << c.tool;
        ExpectCleanSurface();
    }
}

TEST_F(InputTest, EscapeEndsTheDrawingAndThenDeselects)
{
    const int32_t before = StartTriangle();
    QTest::keyClick(ctl, Qt::Key_Escape);
    EXPECT_EQ(ctl->OperationState(), 0);
    EXPECT_EQ(Steps(), before + 1) << "the three points make the polygon";
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(ctl->CurrentTool(), mCmdPolygon) << "the tool stays for the next figure";
    ExpectCleanSurface();
    // The next click starts a new figure.
    Click(W(600, 600));
    EXPECT_EQ(ctl->OperationState(), 2);
    QTest::keyClick(ctl, Qt::Key_Escape);
    EXPECT_EQ(ctl->OperationState(), 0);
    EXPECT_EQ(Steps(), before + 1) << "one point makes nothing";
    ExpectCleanSurface();
}

TEST_F(InputTest, TheRightButtonDropsTheFigureAlsoWhenTheHostReleasesTheTool)
{
    const OBJHANDLE box = Polygon({{600, 600}, {700, 600}, {700, 700}});
    map_selection_Set(hwnd(), &box, 1, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
    Show();
    const int32_t before = StartTriangle();
    // A host that releases the drawing tool when it hears the right button.
    Answer answer(*sink.get(), kRightDown, [&] { ctl->Command(mCmdDeselectTool); });
    Press(W(100, 400), Qt::RightButton);
    Release(W(100, 400), Qt::RightButton);
    ASSERT_TRUE(answer.Done());
    EXPECT_EQ(Steps(), before) << "the right button abandons the figure";
    EXPECT_EQ(Selected(), 1) << "and keeps the selection";
    EXPECT_EQ(ctl->OperationState(), 0);
    EXPECT_EQ(ctl->CurrentTool(), mCmdDeselect);
    ExpectCleanSurface();
}

TEST_F(InputTest, AHostThatReleasesTheToolOnADoubleClickKeepsTheFigure)
{
    ASSERT_EQ(ctl->Command(mCmdPolyline), 1);
    Settle();
    const int32_t before = Steps();
    Click(W(100, 100));
    Click(W(400, 100));
    Answer answer(*sink.get(), kLeftDouble, [&] { ctl->Command(mCmdDeselectTool); });
    DoubleClick(W(400, 400));
    ASSERT_TRUE(answer.Done());
    EXPECT_EQ(Steps(), before + 1);
    const OBJHANDLE made = FirstSelected();
    ASSERT_NE(made, 0u);
    EXPECT_EQ(PointsOf(made).size(), 3u);
    EXPECT_EQ(ctl->CurrentTool(), mCmdDeselect);
    ExpectCleanSurface();
}

TEST_F(InputTest, AMenuThatOpensDoesNotEndTheDrawing)
{
    ASSERT_EQ(ctl->Command(mCmdPolygon), 1);
    Settle();
    Click(W(100, 100));
    Click(W(400, 100));
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(ctl, &popup);
    EXPECT_EQ(ctl->OperationState(), 2);
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(ctl, &away);
    EXPECT_EQ(ctl->OperationState(), 0) << "losing the focus itself ends it";
    ExpectCleanSurface();
}

} // namespace

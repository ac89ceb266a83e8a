// Mouse and keyboard as a person uses them: quick clicks, choosing another
// tool or pressing Escape in the middle of a figure, clicks on the tool bar
// while a figure is drawn, copying between tabs with the keys and the
// clipboard, and Undo and Redo that belong to the tab they are chosen in.
#include "tests/editor/scenarios/scenario.h"

#include "editor/shell/map/krt_control.h"

#include <QProcess>

namespace {

class InputFaults : public VelkastScenario {
protected:
    // The blank document open (its file name returned) with a triangle
    // drawn in it; the editor's folders stay where the build put them, so
    // that a new map finds its page template.
    QString StartWithATriangle()
    {
        MoveFolders = false;
        const QString file = BlankDocument();
        Start({file});
        DrawFigure("Draw a polygon", {MapPoint(200, 200), MapPoint(400, 200), MapPoint(400, 400)});
        return file;
    }
    void OpenSecondTab()
    {
        ClickButton("Open a new map document");
        WaitFor("a second tab", [](const ReadOut &r) { return r.TabCount() == 2 && r.CurrentTab() == 1; });
    }
};

const QString kPolyline = "Draw a polyline";
const QString kPolygon = "Draw a polygon";
const QString kZoomIn = "Magnify view";
const QString kRefresh = "Redraw map";
const QString kSelect = "Deselect tool and objects";

// The pointer's position in map units (status panel 3).
QString Pointer(const ReadOut &r) { return r.Status(3); }

class QuickClicks : public VelkastScenario {
protected:
    // Quick clicks (press and release with no time between) at each point,
    // in one run of xdotool, so that each comes while the program is still
    // busy with the one before (a zoom's drawing); waits until the program
    // has received them all.
    void Burst(const std::vector<QPoint> &points)
    {
        const ReadOut before = Current();
        QStringList arguments;
        for (const QPoint &p : points)
            arguments << "mousemove" << QString::number(p.x()) << QString::number(p.y()) << "mousedown"
                      << "1"
                      << "mouseup"
                      << "1";
        QProcess xdotool;
        xdotool.setProcessEnvironment(Program().processEnvironment());
        xdotool.start("xdotool", arguments);
        ASSERT_TRUE(xdotool.waitForFinished(60000) && xdotool.exitCode() == 0);
        const int64_t n = int64_t(points.size());
        WaitFor("the quick clicks received", [&](const ReadOut &r) {
            return r.Presses() >= before.Presses() + n && r.Releases() >= before.Releases() + n;
        });
    }
};

// Off for now, as the select tool's burst below: on a loaded machine the
// mouse can stay grabbed after the last release.
TEST_F(QuickClicks, DISABLED_WithZoomInEachZoomsAndTheMouseIsLeftFree)
{
    const QString file = BlankDocument();
    Start({file});
    ClickButton(kZoomIn);
    const QPoint elsewhere = MapPoint(100, 100);
    MoveTo(elsewhere);
    const QString before =
        Pointer(WaitFor("the pointer's position", [](const ReadOut &r) { return !Pointer(r).isEmpty(); }));
    Burst({MapPoint(300, 250), MapPoint(310, 260), MapPoint(320, 270), MapPoint(330, 280)});
    // Each click zooms about its point: the map point under another pixel
    // moves, and nothing holds the mouse.
    MoveTo(elsewhere);
    WaitFor("the zooms done and the mouse free",
            [&](const ReadOut &r) { return Pointer(r) != before && r.Grab().isEmpty(); });
    Screenshot("zoomed");
    // The menu bar gets its clicks: the Edit menu opens at once.
    const ReadOut menu = OpenMenu("Edit");
    EXPECT_TRUE(menu.Item("Copy All").has_value());
    Key("Escape");
}

// Off for now: on a loaded machine (one busy process per core) the burst
// selects the polygon but about one run in three leaves the mouse grabbed
// after the last release; the cause is not found yet.
TEST_F(QuickClicks, DISABLED_WithTheSelectToolTheLastClickDecidesAndTheMouseIsLeftFree)
{
    const QString file = BlankDocument();
    Start({file});
    DrawFigure(kPolygon, {MapPoint(200, 200), MapPoint(400, 200), MapPoint(400, 400), MapPoint(200, 400)});
    ClickButton(kSelect);
    WaitFor("nothing selected", [](const ReadOut &r) { return !r.Status(1).contains("("); });
    Burst({MapPoint(300, 200), MapPoint(600, 500), MapPoint(300, 200)});
    WaitFor("the polygon selected by the last quick click",
            [](const ReadOut &r) { return r.Status(1).contains("(1)") && r.Grab().isEmpty(); });
    const ReadOut menu = OpenMenu("Edit");
    ASSERT_TRUE(menu.Item("Copy").has_value());
    EXPECT_TRUE(menu.Item("Copy")->enabled) << "an object is selected";
    Key("Escape");
}

TEST_F(InputFaults, ToolBarClicksDuringAFigureAreNeverPointsAndAnotherToolEndsIt)
{
    const QString file = BlankDocument();
    Start({file});
    ClickButton(kPolyline);
    Click(MapPoint(150, 150));
    Click(MapPoint(350, 150));
    // A one-shot command of the tool bar, then another tool: neither click
    // is a point of the figure; the tool ends the figure with its two points.
    ClickButton(kRefresh);
    ClickButton(kZoomIn);
    WaitFor("the polyline ended and selected", [](const ReadOut &r) { return r.Status(1).contains("(1)"); });
    Screenshot("tool chosen");
    SaveDocument(file);
    const Document saved = ReadDocument(file);
    ASSERT_TRUE(saved.opened);
    ASSERT_EQ(saved.Count(otPolyline), 1);
    for (const DocumentObject &o : saved.objects) {
        if (o.type == otPolyline) {
            EXPECT_EQ(o.points.size(), 2u) << "only the two clicks in the map";
        }
    }
}

TEST_F(InputFaults, EscapeEndsTheFigureBeingDrawn)
{
    const QString file = BlankDocument();
    Start({file});
    ClickButton(kPolygon);
    Click(MapPoint(200, 200));
    Click(MapPoint(400, 200));
    Click(MapPoint(400, 400));
    MoveTo(MapPoint(250, 380));
    Key("Escape");
    // The next clicks start a figure of their own.
    DrawFigure(kPolygon, {MapPoint(500, 200), MapPoint(600, 200), MapPoint(600, 300)});
    Screenshot("two figures");
    SaveDocument(file);
    const Document saved = ReadDocument(file);
    ASSERT_TRUE(saved.opened);
    ASSERT_EQ(saved.Count(otPolygon), 2) << "the figure Escape ended, then the next one";
    for (const DocumentObject &o : saved.objects)
        EXPECT_GE(o.points.size(), 3u);
}

TEST_F(InputFaults, CopyWithCtrlCAndPasteWithCtrlVIntoASecondTab)
{
    StartWithATriangle();
    ReadOut menu = OpenMenu("Edit");
    ASSERT_TRUE(menu.Item("Copy").has_value());
    EXPECT_TRUE(menu.Item("Copy")->enabled);
    EXPECT_TRUE(menu.Item("Cut")->enabled);
    Key("Escape");
    Key("ctrl+c");
    WaitUntil("map objects on the clipboard",
              [&] { return Clipboard("TARGETS").contains("application/x-map-format-KRT%20Gorm%205.0"); });

    OpenSecondTab();
    menu = OpenMenu("Edit");
    ASSERT_TRUE(menu.Item("Paste").has_value());
    EXPECT_TRUE(menu.Item("Paste")->enabled) << "the other tab's copy is on the clipboard";
    Key("Escape");
    Key("ctrl+v");
    WaitFor("the pasted polygon selected in the second tab",
            [](const ReadOut &r) { return r.CurrentTab() == 1 && r.Status(1).contains("(1)"); });
    Screenshot("pasted");

    const QString second = Dir() + "/documents/second.mpd";
    DialogsExpected = true;
    ChooseMenu("File", "Save As");
    WaitForDialog("File &name");
    Type(second);
    Key("Return");
    WaitUntil("the second tab saved", [&] { return !FileBytes(second).isEmpty(); });
    DialogsExpected = false;
    const Document saved = ReadDocument(second);
    ASSERT_TRUE(saved.opened);
    EXPECT_EQ(saved.Count(otPolygon), 1);
}

TEST_F(InputFaults, UndoBelongsToTheTabItIsChosenIn)
{
    const QString file = StartWithATriangle();
    ReadOut menu = OpenMenu("Edit");
    ASSERT_TRUE(menu.Item("Undo Draw Polygon").has_value());
    Key("Escape");

    OpenSecondTab();
    menu = OpenMenu("Edit");
    EXPECT_FALSE(menu.Item("Undo Draw Polygon").has_value()) << "the first tab's step";
    Key("Escape");
    Key("ctrl+z");

    // Back in the first tab its polygon is still there to undo.
    const ReadOut r = Current();
    Click(r.TabRect(0).center());
    WaitFor("the first tab", [](const ReadOut &o) { return o.CurrentTab() == 0; });
    menu = OpenMenu("Edit");
    ASSERT_TRUE(menu.Item("Undo Draw Polygon").has_value());
    EXPECT_TRUE(menu.Item("Undo Draw Polygon")->enabled);
    Key("Escape");
    SaveDocument(file);
    EXPECT_EQ(ReadDocument(file).Count(otPolygon), 1) << "nothing undone in the first tab";
    Key("ctrl+z");
    menu = OpenMenu("Edit");
    EXPECT_TRUE(menu.Item("Redo Draw Polygon").has_value());
    Key("Escape");
    SaveDocument(file);
    EXPECT_EQ(ReadDocument(file).Count(otPolygon), 0) << "Ctrl+Z undid the drawing";
}

} // namespace

// Measures and View All as a person meets them: a square drawn with the
// mouse measures in true metres and hectares and the figures follow the
// selection; View All shows every object wholly inside the window.
#include "tests/editor/scenarios/scenario.h"

#include "editor/shell/map/krt_control.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace {

class ViewFaults : public VelkastScenario {
protected:
    // The rectangle around the scenario layer's pixels (lines and fill).
    static QRect Drawn(const QImage &shot, const QRect &area)
    {
        return BoundsOf(shot, kLine, area) | BoundsOf(shot, kFill, area);
    }

    // Inside the client area (the widget less its scroll bars) with a few
    // pixels free, in the proportions given (nothing cut off), and filling the
    // window in one direction.
    static bool AllInside(const QImage &shot, const QRect &map, double proportions)
    {
        const QRect d = Drawn(shot, map);
        const QRect client = map.adjusted(0, 0, -14, -14);
        if (d.isEmpty() || !client.adjusted(3, 3, -3, -3).contains(d))
            return false;
        const double ratio = double(d.width()) / d.height();
        return std::abs(ratio / proportions - 1) < 0.05 &&
               (d.width() > client.width() * 0.8 || d.height() > client.height() * 0.8);
    }
};

// The two coordinates (metres) that the position panel shows.
std::optional<QPointF> Position(const QString &panel)
{
    static const QRegularExpression pattern(R"((-?\d+\.\d+)\s*:\s*(-?\d+\.\d+)\s*$)");
    const QRegularExpressionMatch m = pattern.match(panel);
    if (!m.hasMatch())
        return std::nullopt;
    return QPointF(m.captured(1).toDouble(), m.captured(2).toDouble());
}

// The leading number of a panel's text.
double Number(const QString &panel) { return panel.trimmed().section(' ', 0, 0).toDouble(); }

TEST_F(ViewFaults, ASquareDrawnWithTheMouseMeasuresInMetresAndHectares)
{
    // A new map from the page templates (the folders where the build has them).
    MoveFolders = false;
    Start();
    // The scale from the position panel: where two points 200 pixels apart lie.
    const QPoint a = MapPoint(200, 200), b = MapPoint(400, 200);
    MoveTo(a);
    const QString atA = WaitForStatus(3, [](const QString &t) { return Position(t).has_value(); }).Status(3);
    MoveTo(b);
    const QString atB =
        WaitForStatus(3, [&](const QString &t) { return t != atA && Position(t).has_value(); }).Status(3);
    const QPointF pa = *Position(atA), pb = *Position(atB);
    const double side = std::abs(pb.x() - pa.x()); // metres of 200 pixels
    ASSERT_GT(side, 0.0);

    DrawFigure("Draw a polygon", {a, b, MapPoint(400, 400), MapPoint(200, 400)});
    const ReadOut measured = WaitForStatus(5, [](const QString &t) { return !t.isEmpty(); });
    Screenshot("measured");
    EXPECT_TRUE(measured.Status(4).endsWith(" m")) << measured.Status(4).toStdString();
    EXPECT_TRUE(measured.Status(5).endsWith(" ha")) << measured.Status(5).toStdString();
    // Within two pixels' worth on each side.
    EXPECT_NEAR(Number(measured.Status(4)), 4 * side, 4 * side * 0.02) << measured.Status(4).toStdString();
    EXPECT_NEAR(Number(measured.Status(5)), side * side / 10000, side * side / 10000 * 0.04)
        << measured.Status(5).toStdString();

    // The figures follow the selection.
    ClickButton("Delete selection from map");
    WaitForStatus(4, [](const QString &t) { return t.isEmpty(); });
    EXPECT_EQ(Current().Status(5), "");
    ClickButton("Undo last action");
    EXPECT_EQ(WaitForStatus(4, [](const QString &t) { return !t.isEmpty(); }).Status(4), measured.Status(4));
    ClickButton("Redo last Undo");
    WaitForStatus(4, [](const QString &t) { return t.isEmpty(); });
    EXPECT_EQ(Current().Status(5), "");
}

TEST_F(ViewFaults, ViewAllShowsEveryObjectInsideTheWindow)
{
    const QString file = BlankDocument();
    Start({file});
    // A polyline from high up on the left down to low on the right, and a
    // polygon high on the right: the extremes of all objects.
    DrawFigure("Draw a polyline", {MapPoint(150, 120), MapPoint(350, 300), MapPoint(300, 700)});
    DrawFigure("Draw a polygon",
               {MapPoint(500, 60), MapPoint(700, 60), MapPoint(700, 260), MapPoint(500, 260)});
    Key("Escape"); // nothing selected: the layer's own colours show
    const QRect map = Current().Map();
    const QImage drawn = WaitForScreen("drawn", "both figures", [&](const QImage &shot) {
        const QRect d = Drawn(shot, map);
        return d.width() > 500 && d.height() > 600;
    });
    const QRect before = Drawn(drawn, map);
    const double proportions = double(before.width()) / before.height();
    ChooseMenu("View", "View All");
    WaitForScreen("view-all", "every object inside the window",
                  [&](const QImage &shot) { return AllInside(shot, map, proportions); });
    // Saved, the document reads back with both figures.
    SaveDocument(file);
    const Document saved = ReadDocument(file);
    EXPECT_EQ(saved.objects.size(), 2u);
}

} // namespace

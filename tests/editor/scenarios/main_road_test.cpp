// The editor's main road as a person drives it: drawing each figure of the
// tool bar, selecting, moving, deleting, undo and redo, copy and paste
// between tabs, measures, zooms, saving and reopening.
#include "tests/editor/scenarios/scenario.h"

#include "editor/shell/map/krt_control.h"

namespace {

using MainRoad = VelkastScenario;

// Whether the screen shows a closed outline through the corners: dark
// pixels (within two pixels) all along each side.
bool OnOutline(const QImage &shot, const std::vector<QPoint> &corners)
{
    for (size_t i = 0; i < corners.size(); ++i) {
        const QPoint a = corners[i], b = corners[(i + 1) % corners.size()];
        for (int step = 1; step < 20; ++step) {
            const QPoint p = a + (b - a) * step / 20;
            if (CountNear(shot, qRgb(0, 0, 0), QRect(p - QPoint(2, 2), QSize(5, 5)), 96) == 0)
                return false;
        }
    }
    return true;
}

TEST_F(MainRoad, DrawsAPolygonAndSavesIt)
{
    const QString file = BlankDocument();
    Start({file});
    Screenshot("started");
    DrawFigure("Draw a polygon",
               {MapPoint(200, 200), MapPoint(400, 200), MapPoint(400, 400), MapPoint(200, 400)});
    WaitForScreen("drawn", "the polygon's outline", [&](const QImage &shot) {
        return OnOutline(shot,
                         {MapPoint(200, 200), MapPoint(400, 200), MapPoint(400, 400), MapPoint(200, 400)});
    });
    SaveDocument(file);
    const Document saved = ReadDocument(file);
    ASSERT_TRUE(saved.opened);
    EXPECT_EQ(saved.Count(otPolygon), 1);
}

} // namespace

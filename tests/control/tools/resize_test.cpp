// Corner resizes of a text and a raster by the node drag tool, pressed on
// the vertex mark the paint drew, and the node join at a vertex: one undo
// step each, the proportions kept, nothing of the tool left on the surface.
#include "tools_fixture.h"

#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_rasters.h"
#include "engine/window/window_text.h"
#include "platform/mouse_capture.h"

#include <QTemporaryDir>

#include <cmath>

namespace {

using Events = std::vector<RecordedEvent>;

class ResizeTools : public ToolsTest {
protected:
    // A PNG of one colour in the test's own folder: its path, empty when it
    // could not be written.
    QString PictureFile(const char *name, int width, int height, Qt::GlobalColor colour)
    {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(colour);
        const QString file = pictures.path() + "/" + name;
        return pictures.isValid() && picture.save(file, "PNG") ? file : QString();
    }
    QTemporaryDir pictures;
    MAP_COORDRECT Bound(OBJHANDLE h)
    {
        MAP_COORDRECT r{};
        SendOBJectMessage(kernel(), 0, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        return r;
    }
    void Choose(OBJHANDLE h)
    {
        map_selection_Set(hwnd(), &h, 1, 0, COLORREF(-1), -1, -1, 1, 0, -1, 1, 0);
        Show();
    }
    // The window corners of an object's bounding rectangle, as the paint
    // places its marks: (left, top), (right, top), (right, bottom),
    // (left, bottom) of the window rectangle.
    std::array<QPoint, 4> MarkCorners(OBJHANDLE h)
    {
        const MAP_COORDRECT b = Bound(h);
        RECT w{};
        EXPECT_TRUE(PM_MapToWindowRect(ctl->view(), &b, &w));
        return {QPoint(w.left, w.top), QPoint(w.right, w.top), QPoint(w.right, w.bottom),
                QPoint(w.left, w.bottom)};
    }
    static double Ratio(const MAP_COORDRECT &r)
    {
        return double(int64_t(r.x2) - r.x1) / double(std::llabs(int64_t(r.y2) - r.y1));
    }
};

// A corner dragged outwards: the object grows about the opposite corner,
// keeping its width to height ratio, in one step of the object's code.
TEST_F(ResizeTools, ATextAndARasterGrowByACornerKeepingTheirProportions)
{
    const QString file = PictureFile("picture.png", 60, 30, Qt::darkCyan);
    ASSERT_FALSE(file.isEmpty());

    const MAP_COORDPT anchor{300, 400};
    OBJHANDLE text = 0;
    ASSERT_EQ(map_text_CreateEx(hwnd(), &text, "Resize me", &anchor, "Liberation Sans", 24, 0, 0, 0, 0,
                                TEXT_LOCK_SCREEN, 0, 0, 0),
              1);
    ASSERT_NE(text, 0u);
    // Turned by 30 degrees: the marks stand on the corners of the rectangle
    // around the turned frame.
    const MAP_COORDPT turnedAnchor{150, 150};
    OBJHANDLE turned = 0;
    ASSERT_EQ(map_text_CreateEx(hwnd(), &turned, "Turned", &turnedAnchor, "Liberation Sans", 24, 0, 0, 300, 0,
                                TEXT_LOCK_SCREEN, 0, 0, 0),
              1);
    ASSERT_NE(turned, 0u);
    OBJHANDLE raster = 0;
    ASSERT_EQ(map_raster_Create(hwnd(), &raster, file.toUtf8().constData(), "PNG", 600, 450, 200, 100, 0, 0,
                                0, 1, 1, 0),
              1);
    ASSERT_NE(raster, 0u);

    struct Case {
        const char *what;
        OBJHANDLE object;
        int operation, state;
    };
    for (const Case &c : {Case{"text", text, 224, 11}, Case{"turned text", turned, 224, 11},
                          Case{"raster", raster, 226, 12}}) {
        SCOPED_TRACE(c.what);
        Choose(c.object);
        const MAP_COORDRECT before = Bound(c.object);
        ASSERT_GT(before.x2, before.x1);
        ASSERT_NE(before.y2, before.y1);
        // The right-hand lower corner on the screen, and its mark.
        const std::array<QPoint, 4> corners = MarkCorners(c.object);
        const QPoint corner = corners[2];
        ASSERT_TRUE(VertexBitmapTest(ctl->wndRes(), corner.x(), corner.y()))
            << "no vertex mark at (" << corner.x() << ", " << corner.y() << ")";
        ASSERT_EQ(ctl->Command(mCmdNodeDrag), 1);
        const int32_t steps = Steps();
        Move(corner);
        Press(corner);
        ASSERT_EQ(ctl->OperationState(), c.state);
        EXPECT_EQ(GetCapture(), hwnd());
        const QPoint to = corner + QPoint(60, 10);
        Move(corner + QPoint(20, 5), Qt::LeftButton);
        Move(to, Qt::LeftButton);
        Release(to);
        EXPECT_EQ(Steps(), steps + 1);
        EXPECT_EQ(LastStep(), c.operation);
        EXPECT_EQ(GetCapture(), HWND(0));

        const MAP_COORDRECT after = Bound(c.object);
        // The fixed corner stays, the object is wider, the ratio is kept
        // within the rounding of a map unit on either side.
        EXPECT_EQ(after.x1, before.x1);
        EXPECT_GT(int64_t(after.x2) - after.x1, int64_t(before.x2) - before.x1);
        EXPECT_NEAR(Ratio(after), Ratio(before), 0.05 * Ratio(before));
        EXPECT_EQ(ctl->CurrentTool(), mCmdNodeDrag);
        ExpectCleanSurface();
    }
}

// Holding the corner still gives no change of size; a drag towards the
// fixed corner shrinks; the resize of a raster is taken back as one step.
TEST_F(ResizeTools, ARasterResizeIsOneUndoStep)
{
    const QString file = PictureFile("square.png", 40, 40, Qt::darkRed);
    ASSERT_FALSE(file.isEmpty());
    OBJHANDLE raster = 0;
    ASSERT_EQ(map_raster_Create(hwnd(), &raster, file.toUtf8().constData(), "PNG", 400, 300, 200, 200, 0, 0,
                                0, 1, 1, 0),
              1);
    Choose(raster);
    const MAP_COORDRECT before = Bound(raster);
    const QPoint corner = MarkCorners(raster)[2];
    ASSERT_EQ(ctl->Command(mCmdNodeDrag), 1);
    Move(corner);
    Press(corner);
    ASSERT_EQ(ctl->OperationState(), 12);
    const QPoint in = corner - QPoint(30, 0);
    Move(in, Qt::LeftButton);
    Release(in);
    EXPECT_EQ(LastStep(), 226);
    const MAP_COORDRECT after = Bound(raster);
    EXPECT_LT(int64_t(after.x2) - after.x1, int64_t(before.x2) - before.x1);
    EXPECT_NEAR(Ratio(after), 1.0, 0.05);
    ExpectCleanSurface();

    ASSERT_EQ(ctl->Command(mCmdUndo), 1);
    Settle();
    const MAP_COORDRECT undone = Bound(raster);
    EXPECT_EQ(undone.x1, before.x1);
    EXPECT_EQ(undone.x2, before.x2);
    EXPECT_EQ(undone.y1, before.y1);
    EXPECT_EQ(undone.y2, before.y2);
}

// The node join: the selected polyline's picked end joined to the end of
// another selected polyline (212), or to its own other end, which closes it
// into a polygon (213); a click away from any vertex only selects. The tool
// ends either way.
TEST_F(ResizeTools, TheNodeJoinJoinsAtThePickedEnd)
{
    // Away from every vertex: a selection, nothing joined.
    const OBJHANDLE lone = Polyline({{100, 720}, {300, 720}});
    Choose(lone);
    ASSERT_EQ(ctl->Command(mCmdNodeJoin), 1);
    const int32_t untouched = Steps();
    Click(W(900, 720));
    EXPECT_EQ(Steps(), untouched);
    EXPECT_NE(ctl->CurrentTool(), mCmdNodeJoin);
    ExpectCleanSurface();

    struct Case {
        const char *what;
        bool two;
        int32_t y; // where the case's polylines lie
        MAP_COORDPT click;
        uint16_t step;
        uint16_t madeClass;
        size_t points;
    };
    // The other end clicked: the second polyline's start, or the first
    // polyline's own start.
    const Case cases[] = {{"two polylines", true, 0, {}, 212, CLASS_POLYLINE, 6},
                          {"closed on itself", false, 300, {200, 200}, 213, CLASS_POLYGON, 3}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const int32_t y = c.y;
        const OBJHANDLE a = Polyline({{200, 200 + y}, {400, 200 + y}, {500, 300 + y}});
        // The other polyline starts three pixels right of the first one's
        // end, within the reach of that end's mark.
        const MAP_COORDPT start = M(W(500, 300 + y) + QPoint(3, 0));
        if (c.two)
            Polyline({start, {700, 200 + y}, {800, 200 + y}});
        Choose(a);
        // A click with the node drag tool picks the end vertex.
        ASSERT_EQ(ctl->Command(mCmdNodeDrag), 1);
        Move(W(500, 300 + y));
        Press(W(500, 300 + y));
        Release(W(500, 300 + y));
        Settle();

        ASSERT_EQ(ctl->Command(mCmdNodeJoin), 1);
        const int32_t steps = Steps();
        Click(c.two ? W(start.x, start.y) : W(c.click.x, c.click.y + y));
        EXPECT_EQ(Steps(), steps + 1);
        EXPECT_EQ(LastStep(), c.step);
        EXPECT_NE(ctl->CurrentTool(), mCmdNodeJoin);
        EXPECT_EQ(sink->Of(EVENT_SELECTIONCHANGED), (Events{{EVENT_SELECTIONCHANGED, {1}}}));
        const OBJHANDLE made = FirstSelected();
        ASSERT_NE(made, 0u);
        EXPECT_EQ(GetOBJectClassID(kernel(), made), c.madeClass);
        const std::vector<MAP_COORDPT> p = PointsOf(made);
        EXPECT_GE(p.size(), c.points);
        const auto has = [&](int32_t x, int32_t y) {
            return std::any_of(p.begin(), p.end(),
                               [&](const MAP_COORDPT &q) { return q.x == x && q.y == y; });
        };
        EXPECT_TRUE(has(200, 200 + y) && has(500, 300 + y));
        if (c.two) {
            EXPECT_TRUE(has(start.x, start.y) && has(800, 200 + y));
        }
        ExpectCleanSurface();
        ASSERT_EQ(map_objects_Delete(hwnd(), &made, 1, 0), 1);
        Show();
    }
}

} // namespace

// Showing a rectangle wholly: View All, View Selected Objects and the fit
// at open keep every object inside the window, with its pen and marks and a
// few pixels free at every edge, whatever the window's proportions.
#include "control_fixture.h"

#include "engine/kernel/map_file.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"
#include "platform/window.h"

#include <QTemporaryDir>

#include <string>
#include <utility>
#include <vector>

namespace {

// Widget sizes: landscape, portrait, very wide, very tall, large.
const std::vector<std::pair<int, int>> kSizes = {{400, 300}, {300, 400}, {900, 160}, {160, 900}, {1000, 700}};

class ViewExtent : public ControlTest {
protected:
    // A polygon at the top-left of the map and a polyline that reaches its
    // bottom-right: both touch the extremes of all objects.
    void Scatter()
    {
        objects.push_back(Polygon({{100000, 500000}, {300000, 500000}, {300000, 700000}, {100000, 700000}}));
        objects.push_back(Polyline({{150000, 300000}, {400000, 350000}, {420000, 100000}}));
    }
    void Resize(int w, int h)
    {
        ctl->resize(w, h);
        QApplication::processEvents();
    }
    // The object's bound rectangle in window pixels.
    RECT OnWindow(OBJHANDLE object)
    {
        MAP_COORDRECT bound{};
        EXPECT_EQ(map_object_boundrect_Get(hwnd(), object, &bound), 1);
        RECT r{};
        PM_MapToWindowRect(ctl->view(), &bound, &r);
        return r;
    }
    // Every object lies inside the client area with margin pixels free.
    void ExpectInside(int margin, const std::string &what)
    {
        RECT client{};
        GetClientRect(hwnd(), &client);
        for (OBJHANDLE object : objects) {
            const RECT r = OnWindow(object);
            SCOPED_TRACE(what + " object " + std::to_string(object) + " at " + std::to_string(r.left) + "," +
                         std::to_string(r.top) + " - " + std::to_string(r.right) + "," +
                         std::to_string(r.bottom) + " in " + std::to_string(client.right) + "x" +
                         std::to_string(client.bottom));
            EXPECT_GE(r.left, client.left + margin);
            EXPECT_GE(r.top, client.top + margin);
            EXPECT_LE(r.right, client.right - 1 - margin);
            EXPECT_LE(r.bottom, client.bottom - 1 - margin);
        }
    }
    // The objects fill the window in one direction: the view is not just
    // zoomed far out.
    void ExpectFilling(const std::string &what)
    {
        RECT client{};
        GetClientRect(hwnd(), &client);
        RECT all{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (OBJHANDLE object : objects) {
            const RECT r = OnWindow(object);
            all = RECT{std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                       std::max(all.bottom, r.bottom)};
        }
        const double wide = double(all.right - all.left) / client.right;
        const double high = double(all.bottom - all.top) / client.bottom;
        EXPECT_GT(std::max(wide, high), 0.8) << what;
    }
    std::vector<OBJHANDLE> objects;
};

TEST_F(ViewExtent, ViewAllShowsEveryObjectInsideTheWindowAtAnyProportions)
{
    Scatter();
    for (auto [w, h] : kSizes) {
        const std::string what = std::to_string(w) + "x" + std::to_string(h);
        Resize(w, h);
        ASSERT_EQ(ctl->Command(mCmdViewAllObjects), 1);
        ExpectInside(4, what);
        ExpectFilling(what);
    }
}

TEST_F(ViewExtent, AWidePenKeepsItsWholeWidthInside)
{
    Scatter();
    // A pen of 21 pixels on the layer of the objects.
    const OBJHANDLE layer = map_object_layer_Get(hwnd(), objects.front());
    ASSERT_EQ(map_layer_Set(hwnd(), layer, nullptr, 0, -1, nullptr, RGB(0, 0, 0), -1, 0, 21,
                            LDF_VISIBLE | LDF_SELECTABLE, 0, 0, 0),
              1);
    for (auto [w, h] : kSizes) {
        Resize(w, h);
        ASSERT_EQ(ctl->Command(mCmdViewAllObjects), 1);
        ExpectInside(10 + 2, std::to_string(w) + "x" + std::to_string(h));
    }
}

TEST_F(ViewExtent, ViewSelectedObjectsShowsTheSelectionWholly)
{
    Scatter();
    const OBJHANDLE line = objects.back();
    map_selection_Set(hwnd(), &line, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    objects = {line};
    for (auto [w, h] : kSizes) {
        Resize(w, h);
        ASSERT_EQ(ctl->Command(mCmdViewSelectedObjects), 1);
        ExpectInside(4, std::to_string(w) + "x" + std::to_string(h));
        ExpectFilling(std::to_string(w) + "x" + std::to_string(h));
    }
}

TEST_F(ViewExtent, OpeningADocumentShowsAllItsObjects)
{
    Scatter();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = (dir.path() + "/scattered.mpd").toStdString();
    ASSERT_EQ(MapSave(hwnd(), file.c_str()), 1);
    for (auto [w, h] : kSizes) {
        Resize(w, h);
        ASSERT_EQ(Call("Open", {VariantFromString(file)}).lVal, 1);
        // The same objects, read back under their own handles.
        ExpectInside(4, "opened at " + std::to_string(w) + "x" + std::to_string(h));
    }
}

TEST_F(ViewExtent, ASinglePointAndAStraightLineShowInTheMiddle)
{
    for (auto points : {std::vector<MAP_COORDPT>{{5000, 5000}, {5000, 5000}},
                        std::vector<MAP_COORDPT>{{0, 7000}, {90000, 7000}},
                        std::vector<MAP_COORDPT>{{3000, -40000}, {3000, 40000}}}) {
        ctl->StopDrawingThread();
        if (!objects.empty())
            map_objects_Delete(hwnd(), objects.data(), int32_t(objects.size()), 0);
        objects.clear();
        OBJHANDLE h = 0;
        ASSERT_EQ(map_polyline_Create(hwnd(), &h, points.data(), int32_t(points.size()), 0), 1);
        objects.push_back(h);
        for (auto [w, h2] : kSizes) {
            Resize(w, h2);
            ASSERT_EQ(ctl->Command(mCmdViewAllObjects), 1);
            ExpectInside(4,
                         std::to_string(points[1].x) + " at " + std::to_string(w) + "x" + std::to_string(h2));
        }
    }
}

} // namespace

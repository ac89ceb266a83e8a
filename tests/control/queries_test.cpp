// The query methods report their objects as events between a begin and an
// end marker.
#include "control_fixture.h"

#include "engine/window/window_children.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"

namespace {

using Events = std::vector<RecordedEvent>;

RecordedEvent Q(DISPID id, int32_t query, OBJHANDLE h, int32_t n)
{
    return {id, {double(query), double(h), double(n)}};
}

TEST_F(ControlTest, QueriesOnAnEmptyMapFireOnlyTheMarkers)
{
    EXPECT_EQ(Call("QuerySelection", {VariantFromLong(7)}).lVal, 0);
    EXPECT_EQ(sink->events, (Events{Q(1, 7, 0, -2), Q(1, 7, 0, -1)}));
}

TEST_F(ControlTest, QueryAllObjectsReportsGroupsThenLayersWithTheirObjects)
{
    const OBJHANDLE o1 = Polygon({{0, 0}, {10, 0}, {10, 10}});
    const OBJHANDLE o2 = Polyline({{20, 20}, {30, 30}});
    const OBJHANDLE o3 = Polygon({{40, 40}, {50, 40}, {50, 50}});
    const OBJHANDLE layer = map_object_layer_Get(hwnd(), o1);
    sink->events.clear();
    const int32_t total = Call("QueryAllObjects", {VariantFromLong(3)}).lVal;
    // The layer and its three objects, numbered on, among the others (the
    // hidden page layer with the page).
    ASSERT_EQ(int32_t(sink->events.size()), total + 2);
    EXPECT_EQ(sink->events.front(), Q(2, 3, 0, -2));
    EXPECT_EQ(sink->events.back(), Q(2, 3, 0, -1));
    const auto at = std::find_if(sink->events.begin(), sink->events.end(),
                                 [&](const RecordedEvent &e) { return e.args.at(1) == double(layer); });
    ASSERT_LE(at + 4, sink->events.end());
    const int32_t first = int32_t(at->args.at(2));
    EXPECT_EQ(Events(at, at + 4), (Events{Q(2, 3, layer, first), Q(2, 3, o1, first + 1),
                                          Q(2, 3, o2, first + 2), Q(2, 3, o3, first + 3)}));

    // A group nested in a group comes right after its parent.
    OBJHANDLE inner = 0;
    ASSERT_EQ(map_group_Create(hwnd(), &inner, &o1, 1, 0), 1);
    OBJHANDLE outer = 0;
    ASSERT_EQ(map_group_Create(hwnd(), &outer, &inner, 1, 0), 1);
    sink->events.clear();
    const int32_t n = Call("QueryAllObjects", {VariantFromLong(4)}).lVal;
    const auto parent = std::find_if(sink->events.begin(), sink->events.end(),
                                     [&](const RecordedEvent &e) { return e.args.at(1) == double(outer); });
    ASSERT_LT(parent + 1, sink->events.end());
    const int32_t number = int32_t(parent->args.at(2));
    EXPECT_EQ(parent[1], Q(2, 4, inner, number + 1));
    EXPECT_EQ(sink->events.back(), Q(2, 4, 0, -1));
    EXPECT_EQ(n, int32_t(sink->events.size()) - 2);
}

TEST_F(ControlTest, PointAndRectangleQueriesTakeOnlyTheirOwnObjects)
{
    const OBJHANDLE square = Polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    Polygon({{500, 500}, {600, 500}, {600, 600}});
    map_selection_Set(hwnd(), &square, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    sink->events.clear();
    EXPECT_EQ(Call("QuerySelection", {VariantFromLong(1)}).lVal, 1);
    EXPECT_EQ(sink->events, (Events{Q(1, 1, 0, -2), Q(1, 1, square, 1), Q(1, 1, 0, -1)}));

    // The point is searched as a rectangle of one point: the square (and the
    // page that lies under it) is there, the far triangle not.
    auto inside = Point(50, 50);
    sink->events.clear();
    const int32_t found = Call("QueryByMapPoint", {VariantFromLong(9), Obj(inside.get())}).lVal;
    ASSERT_EQ(int32_t(sink->events.size()), found + 2);
    EXPECT_EQ(sink->events.front(), Q(3, 9, 0, -2));
    EXPECT_EQ(sink->events[1], Q(3, 9, square, 1));
    EXPECT_EQ(sink->events.back(), Q(3, 9, 0, -1));

    auto both = Rect(-10, -10, 700, 700);
    sink->events.clear();
    const int32_t enclosed =
        Call("QueryByMapRect", {VariantFromLong(2), Obj(both.get()), VariantFromBool(true)}).lVal;
    EXPECT_GE(enclosed, 2);
    EXPECT_EQ(int32_t(sink->events.size()), enclosed + 2);

    // An argument of the wrong kind fires nothing at all.
    sink->events.clear();
    EXPECT_EQ(Call("QueryByMapPoint", {VariantFromLong(9), Obj(both.get())}).lVal, 0);
    EXPECT_EQ(Call("QueryByWndRect", {VariantFromLong(9), Obj(inside.get()), VariantFromBool(false)}).lVal,
              0);
    EXPECT_EQ(Call("QueryByWndPoint", {VariantFromLong(9), Obj(nullptr)}).lVal, 0);
    EXPECT_TRUE(sink->events.empty());
}

} // namespace

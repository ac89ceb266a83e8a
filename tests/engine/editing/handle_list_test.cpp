#include "engine/editing/handle_list.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "platform/global_memory.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

std::vector<OBJHANDLE> contents(HGLOBAL list, uint32_t count)
{
    std::vector<OBJHANDLE> out;
    for (uint32_t i = 0; i < count; ++i)
        out.push_back(HandleListAt(list, count, i));
    return out;
}

std::vector<OBJHANDLE> sorted(std::vector<OBJHANDLE> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// Frees a list at the end of a test.
struct ListGuard {
    HGLOBAL list = 0;
    uint32_t count = 0;
    ~ListGuard()
    {
        if (list)
            GlobalFree(list);
    }
};

} // namespace

using HandleListTest = EditingTest;

TEST(HandleList, GrowsBy200BytesBeyondTheCount)
{
    ListGuard g;
    g.list = HandleListNew();
    ASSERT_NE(g.list, 0u);
    EXPECT_EQ(GlobalSize(g.list), 200u);
    for (uint32_t i = 1; i <= 50; ++i)
        ASSERT_EQ(HandleListAppend(i, &g.list, &g.count), i);
    EXPECT_EQ(GlobalSize(g.list), 200u);
    EXPECT_EQ(HandleListAppend(51, &g.list, &g.count), 51u);
    EXPECT_EQ(GlobalSize(g.list), 404u);
    EXPECT_EQ(HandleListAt(g.list, g.count, 50), 51u);
    EXPECT_EQ(HandleListAt(g.list, g.count, 51), 0u);
}

TEST(HandleList, AListThatCannotGrowKeepsItsCount)
{
    ListGuard g;
    g.list = HandleListNew();
    for (uint32_t i = 1; i <= 50; ++i)
        HandleListAppend(i, &g.list, &g.count);
    // A locked block cannot be moved.
    ASSERT_NE(GlobalLock(g.list), nullptr);
    EXPECT_EQ(HandleListAppend(51, &g.list, &g.count), 0u);
    EXPECT_EQ(g.count, 50u);
    GlobalUnlock(g.list);
    EXPECT_EQ(HandleListAppend(51, &g.list, nullptr), 0u);
    HGLOBAL none = 0;
    uint32_t n = 0;
    EXPECT_EQ(HandleListAppend(7, &none, &n), 1u) << "a missing block is made";
    EXPECT_EQ(GlobalSize(none), 200u);
    GlobalFree(none);
}

TEST_F(HandleListTest, EdgesMeetingARectangle)
{
    const OBJHANDLE inside = polyline({{10, 10}, {20, 20}});
    const OBJHANDLE across = polyline({{-10, 15}, {50, 15}});
    const OBJHANDLE corner = polyline({{-10, 5}, {5, -10}}); // passes below-left of the corner
    const OBJHANDLE cut = polyline({{-10, 10}, {10, -10}});  // through the corner region, touching (0, 0)
    const OBJHANDLE slant = polyline({{-5, 20}, {20, 45}});  // enters through the left side
    const OBJHANDLE ring = polygon({{-10, -10}, {-10, 40}, {40, 40}, {40, -10}});
    const OBJHANDLE open =
        polyline({{-10, -10}, {-10, 40}, {40, 40}, {40, -10}}); // the ring without its closing edge
    const MAP_COORDRECT r{0, 0, 30, 30};
    struct Case {
        OBJHANDLE object;
        int meets, crosses;
    } cases[] = {
        {inside, 1, 0}, {across, 1, 1}, {corner, 0, 0}, {cut, 1, 1},
        {slant, 1, 1},  {ring, 0, 0},   {open, 0, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SetOfLinesegmentMeetsRect(kernel(), c.object, &r, 0), c.meets) << c.object;
        EXPECT_EQ(SetOfLinesegmentMeetsRect(kernel(), c.object, &r, 1), c.crosses) << c.object;
    }
    const OBJHANDLE bottom = polygon({{-10, -10}, {40, -10}, {40, 5}, {-10, 5}});
    EXPECT_EQ(SetOfLinesegmentMeetsRect(kernel(), bottom, &r, 1), 1);
    const MAP_COORDRECT inverted{30, 30, 0, 0}, empty = kEmptyBoundRect;
    EXPECT_EQ(SetOfLinesegmentMeetsRect(kernel(), across, &inverted, 0), 0);
    EXPECT_EQ(SetOfLinesegmentMeetsRect(kernel(), across, &empty, 0), 0);
    EXPECT_EQ(SetOfLinesegmentMeetsRect(kernel(), across, nullptr, 0), 0);
    const int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    const OBJHANDLE huge = polyline({{lo, lo}, {hi, hi}});
    const MAP_COORDRECT middle{-5, 3, 5, 4};
    EXPECT_EQ(SetOfLinesegmentMeetsRect(kernel(), huge, &middle, 1), 1);
    const MAP_COORDRECT off{-5, 10, 5, 11};
    EXPECT_EQ(SetOfLinesegmentMeetsRect(kernel(), huge, &off, 1), 0);
}

TEST_F(HandleListTest, CollectingEverythingOwnedAndCallerOwned)
{
    const OBJHANDLE a = polygon({{0, 0}, {0, 10}, {10, 10}});
    const OBJHANDLE b = polyline({{0, 0}, {5, 5}});
    ListGuard mine;
    mine.list = HandleListNew();
    ASSERT_EQ(ObjectListCollect(window, COLLECT_ALL, nullptr, 0, &mine.count, &mine.list), 1);
    ASSERT_EQ(ObjectListCollect(window, COLLECT_ALL, nullptr, 0, &mine.count, &mine.list), 1);
    EXPECT_EQ(contents(mine.list, mine.count), (std::vector<OBJHANDLE>{a, b, a, b})) << "no filter";
    ListGuard owned;
    ASSERT_EQ(ObjectListCollect(window, COLLECT_ALL, nullptr, 0, &owned.count, &owned.list), 1);
    EXPECT_EQ(contents(owned.list, owned.count), (std::vector<OBJHANDLE>{a, b}));
    ListGuard polygons;
    ASSERT_EQ(
        ObjectListCollect(window, COLLECT_ALL, nullptr, COLLECT_POLYGONS, &polygons.count, &polygons.list),
        1);
    EXPECT_EQ(contents(polygons.list, polygons.count), (std::vector<OBJHANDLE>{a}));
    EXPECT_EQ(ObjectListCollect(window, COLLECT_ALL, nullptr, 0, nullptr, &owned.list), 0);
    EXPECT_EQ(ObjectListCollect(0, COLLECT_ALL, nullptr, 0, &owned.count, &owned.list), 0);
}

TEST_F(HandleListTest, CollectingAtAPoint)
{
    const OBJHANDLE a = polyline({{0, 0}, {10, 10}, {20, 0}});
    const OBJHANDLE b = polygon({{10, 10}, {10, 30}, {30, 30}});
    const OBJHANDLE c = polyline({{10, 10}, {40, 40}});
    const MAP_COORDPT at{10, 10};
    ListGuard any, ends;
    ASSERT_EQ(ObjectListCollect(window, COLLECT_AT_POINT, &at, 0, &any.count, &any.list), 1);
    EXPECT_EQ(contents(any.list, any.count), (std::vector<OBJHANDLE>{a, b, c}));
    ASSERT_EQ(ObjectListCollect(window, COLLECT_AT_POINT, &at, COLLECT_ENDPOINT, &ends.count, &ends.list), 1);
    EXPECT_EQ(contents(ends.list, ends.count), (std::vector<OBJHANDLE>{b, c}));
    const MAP_COORDPT nowhere{500, 500};
    ListGuard none;
    ASSERT_EQ(ObjectListCollect(window, COLLECT_AT_POINT, &nowhere, 0, &none.count, &none.list), 1);
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.list, 0u) << "an empty owned result is freed";
}

TEST_F(HandleListTest, EnclosedAndTouchingObjects)
{
    const OBJHANDLE outer = polygon({{0, 0}, {0, 100}, {100, 100}, {100, 0}});
    const OBJHANDLE innerPolygon = polygon({{10, 10}, {10, 20}, {20, 20}, {20, 10}});
    const OBJHANDLE innerLine = polyline({{30, 30}, {40, 60}});
    const OBJHANDLE leaving = polyline({{50, 50}, {150, 50}}); // first point inside, leaves
    const OBJHANDLE outside = polygon({{200, 200}, {200, 300}, {300, 300}});
    const OBJHANDLE touching = polyline({{100, 10}, {120, 10}}); // starts on the ring
    const OBJHANDLE crossingPolygon = polygon({{90, 90}, {90, 110}, {110, 110}, {110, 90}});
    ListGuard enclosed, touches;
    ASSERT_EQ(ObjectEnclosedCollect(window, outer, &enclosed.count, &enclosed.list), 1);
    EXPECT_EQ(sorted(contents(enclosed.list, enclosed.count)), sorted({innerPolygon, innerLine}));
    ASSERT_EQ(ObjectTouchingCollect(window, outer, &touches.count, &touches.list), 1);
    EXPECT_EQ(sorted(contents(touches.list, touches.count)), sorted({leaving, touching, crossingPolygon}));
    EXPECT_EQ(ObjectEnclosedBy(kernel(), outer, leaving), 0);
    EXPECT_EQ(ObjectTouches(kernel(), outer, leaving), 1);
    EXPECT_EQ(ObjectTouches(kernel(), outer, outside), 0);

    ListGuard none;
    ASSERT_EQ(ObjectEnclosedCollect(window, innerPolygon, &none.count, &none.list), 1);
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.list, 0u);
    ListGuard bad;
    EXPECT_EQ(ObjectEnclosedCollect(window, innerLine, &bad.count, &bad.list), 0)
        << "a polyline encloses nothing";
    EXPECT_EQ(ObjectEnclosedCollect(window, 0, &bad.count, &bad.list), 0);
    EXPECT_EQ(bad.list, 0u);

    // Mode 4 and the several-object form, which never lists its own objects.
    ListGuard mode4;
    ASSERT_EQ(ObjectListCollect(window, COLLECT_BY_OBJECT, &outer, COLLECT_ENCLOSED | COLLECT_CROSSING,
                                &mode4.count, &mode4.list),
              1);
    EXPECT_EQ(sorted(contents(mode4.list, mode4.count)),
              sorted({innerPolygon, innerLine, leaving, touching, crossingPolygon}));
    ListGuard several;
    const OBJHANDLE both[] = {outer, crossingPolygon};
    ASSERT_EQ(ObjectsListCollect(window, both, 2, COLLECT_CROSSING, &several.count, &several.list), 1);
    EXPECT_EQ(sorted(contents(several.list, several.count)), sorted({leaving, touching}));
}

TEST_F(HandleListTest, TheFiveNearestPolylinesInOrder)
{
    const OBJHANDLE layer = GetActiveLayer(kernel(), GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS));
    std::vector<OBJHANDLE> byDistance(8);
    for (int d : {7, 1, 5, 3, 6, 2, 4})
        byDistance[d] = polyline({{100, 100}, {d, 0}}); // the nearer end d units from the origin
    polygon({{0, 0}, {0, 1}, {1, 1}});                  // not a polyline
    const MAP_COORDPT origin{0, 0};
    ListGuard g;
    ASSERT_EQ(CollectNearestPolylines(window, &origin, layer, &g.count, &g.list), 1);
    EXPECT_EQ(contents(g.list, g.count), (std::vector<OBJHANDLE>{byDistance[1], byDistance[2], byDistance[3],
                                                                 byDistance[4], byDistance[5]}));

    // A selected polyline is never among them.
    const OBJHANDLE selection = GetRootOBJKern(kernel(), rec.rootObject, CLASS_SELLIST);
    AddToSelectionWithoutRemoving(kernel(), selection, byDistance[1]);
    ListGuard h;
    ASSERT_EQ(CollectNearestPolylines(window, &origin, layer, &h.count, &h.list), 1);
    EXPECT_EQ(contents(h.list, h.count).front(), byDistance[2]);
    EXPECT_EQ(h.count, 5u);
    const OBJHANDLE empty = CreateOBJect(kernel(), CLASS_LAYER);
    ListGuard none;
    none.list = HandleListNew();
    EXPECT_EQ(CollectNearestPolylines(window, &origin, empty, &none.count, &none.list), 0);
    EXPECT_EQ(none.count, 0u);
}

TEST_F(HandleListTest, NestedListsFormingACycleStopAtTheDepthBound)
{
    const OBJHANDLE a = polygon({{0, 0}, {0, 10}, {10, 10}});
    const OBJHANDLE g1 = CreateOBJect(kernel(), CLASS_GROUP), g2 = CreateOBJect(kernel(), CLASS_GROUP);
    InsertRefInPos(kernel(), g1, REF_GROUP_MEMBER, g2, -1, -1);
    InsertRefInPos(kernel(), g2, REF_GROUP_MEMBER, g1, -1, -1);
    InsertRefInPos(kernel(), g2, REF_GROUP_MEMBER, a, -1, -1);
    // A damaged file: the cycle hangs in the layer too.
    const OBJHANDLE layer = GetActiveLayer(kernel(), GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS));
    InsertRefInPos(kernel(), layer, REF_LAYER_MEMBER, g1, -1, -1);
    EXPECT_EQ(ObjectMove(kernel(), g1, 1, 1, CLASS_GROUP, 0), 1);
    const MAP_COORDPT moved = points(a)[0];
    EXPECT_GT(moved.x, 0) << "moved, a bounded number of times";
    ListGuard all;
    ASSERT_EQ(ObjectListCollect(window, COLLECT_ALL, nullptr, 0, &all.count, &all.list), 1);
    std::vector<OBJHANDLE> got = sorted(contents(all.list, all.count));
    EXPECT_EQ(std::adjacent_find(got.begin(), got.end()), got.end()) << "no duplicates";
    OBJHANDLE copy = 0;
    EXPECT_EQ(ObjectDuplicate(kernel(), g1, &copy, 0, 0), 1);
    const MAP_COORDRECT r{-5, -5, 50, 50};
    const OBJHANDLE layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
    HGLOBAL list = 0;
    uint32_t count = 0;
    SetOfObjectsSelectByRect(kernel(), layers, 0, &r, nullptr, 0, 0, &list, &count);
    EXPECT_GE(count, 1u);
    GlobalFree(list);
}

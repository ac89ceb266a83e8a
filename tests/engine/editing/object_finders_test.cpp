// The object finders by map rectangle, point, tolerance and window pixel,
// and their modes of collecting groups.
#include "engine/editing/object_finders.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/graph_rect.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/page.h"
#include "tests/engine/editing/editing_fixture.h"

#include <memory>
#include <set>

namespace {

using Found = std::multiset<OBJHANDLE>;

// The window's page lies under most places; the tests look past it.
OBJHANDLE pageToSkip = 0;

Found take(CMapObjArr *array)
{
    std::unique_ptr<CMapObjArr> owned(array);
    Found out;
    if (owned)
        for (int32_t i = 0; i < owned->GetSize(); ++i)
            if (owned->GetAt(i) != pageToSkip)
                out.insert(owned->GetAt(i));
    return out;
}

class FinderTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        showWorld({0, 0, 4000, 3000});
        pageToSkip = page = PageGetFromWindow(window);
    }
    void TearDown() override
    {
        pageToSkip = 0;
        EditingTest::TearDown();
    }
    Found byRect(MAP_COORDRECT r, int enclosed = 0, int mode = 1)
    {
        CMapObjArr *a = GetObjByMap(window, &r, enclosed, mode);
        EXPECT_NE(a, nullptr);
        return take(a);
    }
    Found byPoint(MAP_COORDPT p, double r, int enclosed = 0, int mode = 1)
    {
        CMapObjArr *a = GetObjByMap(window, p, r, enclosed, mode);
        EXPECT_NE(a, nullptr);
        return take(a);
    }
    POINT pixelOf(MAP_COORDPT m)
    {
        POINT w{};
        EXPECT_EQ(PM_MapToWindow(rec.displayView, &m, &w, 1), 1);
        return w;
    }
    OBJHANDLE page = 0;
};

TEST_F(FinderTest, PageIsFoundByAnyPointOfItsRectangle)
{
    ASSERT_NE(page, 0u);
    const char *p = GraphHeadLock(kernel(), page, GOH_SIZE);
    ASSERT_NE(p, nullptr);
    const MAP_COORDRECT b = LoadField<MAP_COORDRECT>(p, GOH_BOUND);
    pageToSkip = 0;
    EXPECT_EQ(byRect({b.x1, b.y1, b.x1, b.y1}), Found{page});
    EXPECT_EQ(byRect({b.x2 + 1, b.y2, b.x2 + 1, b.y2}), Found{});
}

TEST_F(FinderTest, PointAndRectangleQueries)
{
    const OBJHANDLE line = polyline({{100, 100}, {1000, 1000}});
    const OBJHANDLE area = polygon({{2000, 0}, {3000, 0}, {3000, 1000}, {2000, 1000}});

    // A degenerate rectangle on a vertex of the polyline finds it; one unit
    // beside the vertex (off the line's vertices) does not.
    EXPECT_EQ(byRect({1000, 1000, 1000, 1000}), Found{line});
    EXPECT_EQ(byRect({1001, 1000, 1001, 1000}), Found{});
    EXPECT_EQ(byRect({500, 500, 500, 500}), Found{}) << "a point on an edge is no vertex";
    EXPECT_EQ(byRect({2500, 500, 2500, 500}), Found{area});

    // Meeting, in both corner orders; enclosed mode refuses what crosses the border.
    EXPECT_EQ(byRect({50, 50, 2100, 200}), (Found{line, area}));
    EXPECT_EQ(byRect({2100, 200, 50, 50}), (Found{line, area}));
    EXPECT_EQ(byRect({50, 50, 2100, 200}, 1), Found{});
    EXPECT_EQ(byRect({0, 0, 2100, 2000}, 1), Found{line});
    // A rectangle inside the polygon's area meets no edge but its first corner lies inside.
    EXPECT_EQ(byRect({2400, 400, 2600, 600}), Found{area});

    EXPECT_EQ(GetObjByMap(window, static_cast<const MAP_COORDRECT *>(nullptr), 0, 1), nullptr);
    const MAP_COORDRECT r{0, 0, 10, 10};
    EXPECT_EQ(GetObjByMap(window, &r, 0, 4), nullptr) << "unknown mode";
    EXPECT_EQ(GetObjByMap(0, &r, 0, 1), nullptr);
}

TEST_F(FinderTest, ModesCollectGroupsOnce)
{
    OBJectKernel *k = kernel();
    const OBJHANDLE inside = polygon({{100, 100}, {200, 100}, {200, 200}, {100, 200}});
    const OBJHANDLE sibling = polyline({{150, 150}, {180, 180}});
    const OBJHANDLE loose = polyline({{300, 300}, {400, 400}});
    const OBJHANDLE outer = ObjectCreateInActiveLayer(window, CLASS_GROUP);
    const OBJHANDLE inner = CreateOBJect(k, CLASS_GROUP);
    ASSERT_TRUE(outer && inner);
    ASSERT_EQ(PutInGroup(k, inner, outer), 1);
    ASSERT_EQ(PutInGroup(k, inside, inner), 1);
    ASSERT_EQ(PutInGroup(k, sibling, inner), 1);
    // The outer group reaches beyond the query rectangles below.
    ASSERT_EQ(PutInGroup(k, polyline({{1000, 1000}, {1100, 1100}}), outer), 1);

    const MAP_COORDRECT all{0, 0, 500, 500};
    struct Case {
        int mode;
        Found meeting, enclosed;
    } cases[] = {
        {1, {inside, sibling, loose}, {inside, sibling, loose}},
        {2, {outer, loose}, {inner, loose}},
        {3, {inside, sibling, inner, outer, loose}, {inside, sibling, inner, loose}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(byRect(all, 0, c.mode), c.meeting) << "mode " << c.mode;
        EXPECT_EQ(byRect(all, 1, c.mode), c.enclosed) << "enclosed, mode " << c.mode;
    }
    // One object in two nested groups at a point.
    EXPECT_EQ(byRect({120, 120, 120, 120}, 0, 2), Found{outer});
    EXPECT_EQ(byRect({120, 120, 120, 120}, 0, 3), (Found{inside, inner, outer}));
    // Enclosed with a rectangle holding the inner group only: the climb stops there.
    EXPECT_EQ(byRect({90, 90, 210, 210}, 1, 3), (Found{inside, sibling, inner}));
    EXPECT_EQ(byRect({90, 90, 210, 210}, 1, 2), Found{inner});
}

TEST_F(FinderTest, ToleranceAroundAPoint)
{
    const OBJHANDLE line = polyline({{0, 0}, {1000, 0}});
    const OBJHANDLE area = polygon({{2000, 0}, {3000, 0}, {3000, 1000}, {2000, 1000}});
    EXPECT_EQ(byPoint({500, 30}, 30), Found{line}) << "an edge passes at exactly r";
    EXPECT_EQ(byPoint({500, 31}, 30), Found{});
    EXPECT_EQ(byPoint({1020, 0}, 30), Found{line}) << "beyond the end, near the end point";
    EXPECT_EQ(byPoint({1030, 30}, 30), Found{}) << "beyond the end, off the end point";
    EXPECT_EQ(byPoint({2500, 500}, 1), Found{area}) << "inside the ring";
    EXPECT_EQ(byPoint({1500, 500}, 1000), (Found{line, area}));
    // Enclosed: every vertex within r (the polygon's last stored vertex aside).
    EXPECT_EQ(byPoint({500, 0}, 499, 1), Found{});
    EXPECT_EQ(byPoint({500, 0}, 500, 1), Found{line});
    EXPECT_EQ(take(GetObjByMap(window, MAP_COORDPT{500, 0}, -1.0, 0, 1)), Found{});
}

TEST_F(FinderTest, WindowPixelAndMargin)
{
    const OBJHANDLE line = polyline({{1000, 1000}, {3000, 1000}});
    const POINT vertex = pixelOf({1000, 1000});
    RECT at{vertex.x, vertex.y, vertex.x, vertex.y};
    EXPECT_EQ(take(GetObjByDevice(window, &at, 0, 1, 0)), Found{line}) << "vertex at the pixel";
    const POINT onEdge = pixelOf({2000, 1000});
    RECT above{onEdge.x, onEdge.y - 3, onEdge.x, onEdge.y - 3};
    EXPECT_EQ(take(GetObjByDevice(window, &above, 0, 1, 0)), Found{});
    EXPECT_EQ(take(GetObjByDevice(window, &above, 0, 1, 3)), Found{line}) << "within the margin";
    EXPECT_EQ(take(GetObjByDevice(window, &above, 1, 1, 3)), Found{line}) << "enclosed ignored for a pixel";
    EXPECT_EQ(take(GetObjByDevice(window, &above, 0, 1, 2)), Found{});
    EXPECT_EQ(GetObjByDevice(window, nullptr, 0, 1, 0), nullptr);
}

} // namespace

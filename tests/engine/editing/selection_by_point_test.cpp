// Clicks and rectangles that change a window's selection: replace, add and
// toggle, pages that always replace, group levels on repeated clicks, the
// Alt key for crossing rectangles and equal corners as a click.
#include "engine/editing/selection_by_point.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/page.h"
#include "platform/key_state.h"
#include "tests/engine/editing/editing_fixture.h"

#include <set>

namespace {

class SelectionTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        showWorld({0, 0, 4000, 3000});
        SetKeyState(VK_MENU, false);
        list = GetRootOBJKern(kernel(), rec.rootObject, CLASS_SELLIST);
        a = polygon({{100, 100}, {900, 100}, {900, 900}, {100, 900}});
        b = polygon({{1100, 100}, {1900, 100}, {1900, 900}, {1100, 900}});
    }
    void TearDown() override
    {
        SetKeyState(VK_MENU, false);
        EditingTest::TearDown();
    }
    POINT pixelOf(MAP_COORDPT m)
    {
        POINT w{};
        EXPECT_EQ(PM_MapToWindow(rec.displayView, &m, &w, 1), 1);
        return w;
    }
    int click(MAP_COORDPT m, uint32_t flags = 0) { return OnSelectByPoint(window, flags, pixelOf(m)); }
    std::set<OBJHANDLE> selected()
    {
        std::set<OBJHANDLE> out;
        int32_t pos = -1;
        for (OBJHANDLE h = GetReference(kernel(), list, REF_SELECTED, &pos); h;
             h = GetReference(kernel(), list, REF_SELECTED, &pos))
            out.insert(h);
        return out;
    }

    OBJHANDLE list = 0, a = 0, b = 0;
};

TEST_F(SelectionTest, ClicksReplaceAddAndToggle)
{
    EXPECT_EQ(click({3000, 2000}), -1) << "empty map";
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(click({500, 500}), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{a});
    EXPECT_EQ(click({1500, 500}), 1) << "replace";
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{b});
    EXPECT_EQ(click({3000, 2000}), -1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{b}) << "a miss keeps the selection";

    EXPECT_EQ(click({500, 500}, SELECT_ADD), 2) << "add";
    EXPECT_EQ(selected(), (std::set<OBJHANDLE>{a, b}));
    EXPECT_EQ(click({1500, 500}, SELECT_ADD), 1) << "toggle off";
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{a});
    EXPECT_EQ(click({1500, 500}, SELECT_ADD), 2) << "toggle on again";
}

TEST_F(SelectionTest, PageReplacesEvenWhenAdding)
{
    const OBJHANDLE page = PageGetFromWindow(window);
    ASSERT_NE(page, 0u);
    // A page is hit by a frame handle drawn into the vertex bitmap.
    MAP_COORDPT world{};
    ASSERT_EQ(PageHandlePosition(kernel(), page, 0, &world), 1);
    POINT handle{};
    ASSERT_EQ(PM_WorldToWindow(rec.displayView, &world, &handle, 1), 1);
    ASSERT_EQ(VertexBitmapMark(&rec, handle.x, handle.y), 1);
    EXPECT_EQ(click({500, 500}), 1);
    EXPECT_EQ(OnSelectByPoint(window, SELECT_ADD, handle), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{page});
    EXPECT_EQ(click({500, 500}, SELECT_ADD), 1) << "adding to a page replaces it too";
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{a});
}

TEST_F(SelectionTest, RepeatedClicksStepDownNestedGroups)
{
    OBJectKernel *k = kernel();
    const OBJHANDLE outer = ObjectCreateInActiveLayer(window, CLASS_GROUP);
    const OBJHANDLE inner = CreateOBJect(k, CLASS_GROUP);
    ASSERT_TRUE(outer && inner);
    ASSERT_EQ(PutInGroup(k, inner, outer), 1);
    ASSERT_EQ(PutInGroup(k, a, inner), 1);
    ASSERT_EQ(PutInGroup(k, b, outer), 1);

    EXPECT_EQ(click({500, 500}), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{outer});
    EXPECT_EQ(click({500, 500}), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{inner});
    EXPECT_EQ(click({500, 500}), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{a});
}

TEST_F(SelectionTest, RectanglesEnclosedOrCrossingWithAlt)
{
    const MAP_COORDRECT leftToRight{0, 0, 1500, 1000}, rightToLeft{1500, 1000, 0, 0};
    EXPECT_EQ(OnSelectByRect(window, 0, &leftToRight), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{a});
    EXPECT_EQ(OnSelectByRect(window, 0, &rightToLeft), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{a});
    SetKeyState(VK_MENU, true);
    EXPECT_EQ(OnSelectByRect(window, 0, &leftToRight), 2) << "Alt takes what crosses";
    SetKeyState(VK_MENU, false);
    const MAP_COORDRECT onlyB{1000, 0, 2000, 1000};
    EXPECT_EQ(OnSelectByRect(window, SELECT_ADD, &onlyB), 2) << "add keeps a";
    EXPECT_EQ(OnSelectByRect(window, 0, &onlyB), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{b});
    EXPECT_EQ(OnSelectByRect(window, 0, nullptr), 0);
}

TEST_F(SelectionTest, EqualCornersAreAClick)
{
    const MAP_COORDRECT onA{500, 500, 500, 500}, empty{3000, 2000, 3000, 2000};
    EXPECT_EQ(OnRectSelect(window, 0, &onA), 1);
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{a});
    EXPECT_EQ(OnRectSelect(window, 0, &empty), 0) << "a miss answers 0";
    EXPECT_EQ(selected(), std::set<OBJHANDLE>{a});
    const MAP_COORDRECT both{2000, 1000, 0, 0};
    EXPECT_EQ(OnRectSelect(window, 0, &both), 2);
}

TEST_F(SelectionTest, CheckPointInRootAsksTheGivenSet)
{
    const POINT inA = pixelOf({500, 500});
    EXPECT_EQ(CheckPointInRoot(window, list, 0, inA), 0) << "nothing selected yet";
    click({500, 500});
    EXPECT_EQ(CheckPointInRoot(window, list, 0, inA), 1);
    EXPECT_EQ(CheckPointInRoot(window, list, 0, pixelOf({1500, 500})), 0);
    EXPECT_EQ(CheckPointInRoot(window, a, 0, inA), 0) << "not a set";
}

} // namespace

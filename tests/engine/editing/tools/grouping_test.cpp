#include "engine/editing/tools/grouping.h"

#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_objects.h"
#include "tests/engine/editing/tools/tools_fixture.h"

namespace {

class GroupingTest : public ToolsTest {
protected:
    OBJHANDLE line(int32_t y) { return polyline({{0, y}, {100, y}}); }
    OBJHANDLE group(std::vector<OBJHANDLE> members)
    {
        OBJHANDLE g = 0;
        EXPECT_EQ(map_group_Create(window, &g, members.data(), int32_t(members.size()), 0), 1);
        EXPECT_NE(g, 0u);
        return g;
    }
    void select(std::vector<OBJHANDLE> hs) { SetSelection(window, hs.data(), uint32_t(hs.size()), 0, 0); }
    std::vector<OBJHANDLE> selection()
    {
        std::vector<OBJHANDLE> out;
        const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
        int32_t pos = -1;
        for (OBJHANDLE h = FirstReference(kernel(), list, REF_SELECTED, &pos); h;
             h = GetReference(kernel(), list, REF_SELECTED, &pos))
            out.push_back(h);
        return out;
    }
};

// Grouping and ungrouping are steps; undo gives back the groups and the
// selection with them, byte for byte.
TEST_F(GroupingTest, GroupingAndUngroupingAreStepsThatUndo)
{
    const OBJHANDLE a = line(0), b = line(100);
    select({a, b});
    const std::vector<char> ungrouped = saved();
    ASSERT_EQ(Tool_Group(window, 1), GROUP_DONE);
    EXPECT_EQ(lastStepCode(), UNDO_OP_GROUPING);
    const OBJHANDLE g = map_object_group_Get(window, a);
    ASSERT_NE(g, 0u);
    EXPECT_EQ(map_object_group_Get(window, b), g);
    EXPECT_EQ(selection(), std::vector<OBJHANDLE>{g});
    EXPECT_TRUE(modified());
    const std::vector<char> grouped = saved();

    ASSERT_EQ(Tool_UnGroup(window, 1), GROUP_DONE);
    EXPECT_EQ(lastStepCode(), UNDO_OP_UNGROUPING);
    EXPECT_EQ(map_object_group_Get(window, a), 0u);
    EXPECT_EQ(selection(), (std::vector<OBJHANDLE>{a, b}));

    ASSERT_EQ(Undo_Undo(kernel()), 1);
    EXPECT_EQ(map_object_group_Get(window, a), g);
    EXPECT_EQ(map_object_group_Get(window, b), g);
    EXPECT_EQ(firstDifference(saved(), grouped), "");
    ASSERT_EQ(Undo_Undo(kernel()), 1);
    EXPECT_EQ(map_object_group_Get(window, a), 0u);
    EXPECT_TRUE(IsOBJectUndoDeleted(kernel(), g));
    EXPECT_EQ(firstDifference(saved(), ungrouped), "");
    ASSERT_EQ(Undo_Redo(kernel()), 1);
    EXPECT_EQ(map_object_group_Get(window, a), g);
    ASSERT_EQ(Undo_Redo(kernel()), 1);
    EXPECT_EQ(map_object_group_Get(window, b), 0u);
}

TEST_F(GroupingTest, Refusals)
{
    const OBJHANDLE a = line(0), b = line(100), c = line(200), p = polygon({{0, 0}, {10, 0}, {0, 10}});
    const OBJHANDLE g = group({a, b});
    // One object selected, or none.
    select({c});
    EXPECT_EQ(Tool_Group(window, 1), GROUP_BAD_SELECTION);
    select({});
    EXPECT_EQ(Tool_Group(window, 1), GROUP_BAD_SELECTION);
    EXPECT_EQ(Tool_UnGroup(window, 1), GROUP_BAD_SELECTION);
    // A member already in a group.
    select({a, c});
    EXPECT_EQ(Tool_Group(window, 1), GROUP_REFUSED);
    EXPECT_EQ(map_object_group_Get(window, c), 0u);
    // Ungrouping a polygon.
    select({p});
    EXPECT_EQ(Tool_UnGroup(window, 1), GROUP_BAD_SELECTION);
    EXPECT_EQ(map_object_group_Get(window, a), g);
    EXPECT_FALSE(modified());
    EXPECT_EQ(Tool_Group(0, 1), GROUP_BAD_SELECTION);
    EXPECT_EQ(Tool_UnGroup(0, 1), GROUP_BAD_SELECTION);
}

TEST_F(GroupingTest, UngroupingANestedGroupDissolvesOnlyIt)
{
    const OBJHANDLE a = line(0), b = line(100), c = line(200);
    const OBJHANDLE inner = group({a, b});
    const OBJHANDLE outer = group({inner, c});
    select({inner});
    ASSERT_EQ(selection(), std::vector<OBJHANDLE>{inner});
    ASSERT_EQ(Tool_UnGroup(window, 1), GROUP_DONE);
    EXPECT_EQ(map_object_group_Get(window, c), outer);
    EXPECT_EQ(map_object_group_Get(window, a), 0u);
}

TEST_F(GroupingTest, SelectionCounts)
{
    const OBJHANDLE l1 = line(0), l2 = line(100), l3 = line(200);
    const OBJHANDLE three = group({l1, l2, l3});
    const OBJHANDLE p = polygon({{0, 0}, {10, 0}, {0, 10}});
    const OBJHANDLE q = polygon({{50, 50}, {60, 50}, {50, 60}});
    const OBJHANDLE polygons = group({q});
    const OBJHANDLE free = line(300);
    select({three, p});
    EXPECT_EQ(NumberSelectedObjects(window, CLASS_POLYLINE, 1, 1), 3);
    EXPECT_EQ(NumberSelectedObjects(window, CLASS_POLYLINE, 1, 0), 1);
    EXPECT_EQ(NumberSelectedObjects(window, CLASS_POLYLINE, 0, 1), 0);
    EXPECT_EQ(NumberSelectedObjects(window, CLASS_POLYGON, 1, 1), 1);
    EXPECT_EQ(NumberSelectedTexts(window, 1), 0);
    EXPECT_EQ(NumberSelectedObjects(0, CLASS_POLYGON, 1, 1), 0);

    struct Case {
        std::vector<OBJHANDLE> chosen;
        int cut;
    };
    const Case cases[] = {{{p}, 0},   {{}, 0}, {{three}, 0}, {{p, three}, 1}, {{free, polygons}, 1},
                          {{free}, 0}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        select(cases[i].chosen);
        EXPECT_EQ(PerformMultiselectCut(window), cases[i].cut) << i;
    }
    (void)l1;
}

} // namespace

#include "tests/engine/editing/tools/tools_fixture.h"

#include "engine/editing/tools/transform.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "platform/key_state.h"

#include <algorithm>

namespace {

class SelectAroundTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        outer = polygon({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}});
        crossing = polygon({{900, 100}, {1500, 100}, {1500, 500}, {900, 500}});
        inner = polygon({{100, 100}, {200, 100}, {200, 200}, {100, 200}});
        far = polygon({{3000, 2000}, {3500, 2000}, {3500, 2500}});
    }
    void TearDown() override
    {
        SetKeyState(VK_CONTROL, false);
        ToolsTest::TearDown();
    }
    std::vector<OBJHANDLE> selection()
    {
        std::vector<OBJHANDLE> out;
        const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST);
        int32_t pos = -1;
        for (OBJHANDLE h = FirstReference(kernel(), list, REF_SELECTED, &pos); h;
             h = GetReference(kernel(), list, REF_SELECTED, &pos))
            out.push_back(h);
        std::sort(out.begin(), out.end());
        return out;
    }
    void select(OBJHANDLE h) { SetSelection(window, &h, 1, 0, 0); }
    OBJHANDLE outer = 0, crossing = 0, inner = 0, far = 0;
};

TEST_F(SelectAroundTest, NeighboursAndEnclosedReplaceTheSelection)
{
    select(outer);
    received.clear();
    ASSERT_EQ(map_select_neighbours(window), 1);
    EXPECT_EQ(selection(), std::vector<OBJHANDLE>{crossing});
    EXPECT_EQ(receivedOf(MAPN_SELCOUNT), std::vector<WPARAM>{1});
    select(outer);
    ASSERT_EQ(map_select_enclosed(window), 1);
    EXPECT_EQ(selection(), std::vector<OBJHANDLE>{inner});
}

TEST_F(SelectAroundTest, CtrlKeepsTheSelectionAndNothingSelectedGivesNothing)
{
    select(outer);
    SetKeyState(VK_CONTROL, true);
    ASSERT_EQ(map_select_enclosed(window), 1);
    EXPECT_EQ(selection(), (std::vector<OBJHANDLE>{outer, inner}));
    SetKeyState(VK_CONTROL, false);
    SetSelection(window, nullptr, 0, 0, 0);
    received.clear();
    ASSERT_EQ(map_select_neighbours(window), 1);
    EXPECT_TRUE(selection().empty());
    EXPECT_EQ(receivedOf(MAPN_SELCOUNT), std::vector<WPARAM>{0});
    EXPECT_EQ(map_select_neighbours(0), 0);
}

} // namespace

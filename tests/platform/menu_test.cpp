#include "platform/menu.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string textAt(HMENU m, UINT pos)
{
    char buf[64];
    GetMenuStringA(m, pos, buf, sizeof buf, MF_BYPOSITION);
    return buf;
}

TEST(Menu, ItemsByPositionAndCommand)
{
    const HMENU m = CreatePopupMenu();
    ASSERT_TRUE(IsMenu(m));
    EXPECT_TRUE(AppendMenuA(m, MF_STRING, 10, "Ten"));
    EXPECT_TRUE(AppendMenuA(m, MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(InsertMenuA(m, 0, MF_BYPOSITION | MF_STRING, 5, "Five"));
    EXPECT_TRUE(InsertMenuA(m, 10, MF_BYCOMMAND | MF_STRING, 7, "Seven")) << "before the item with id 10";
    EXPECT_FALSE(InsertMenuA(m, 99, MF_BYCOMMAND, 8, "nowhere"));
    ASSERT_EQ(GetMenuItemCount(m), 4);
    EXPECT_EQ(textAt(m, 0), "Five");
    EXPECT_EQ(textAt(m, 1), "Seven");
    EXPECT_EQ(GetMenuItemID(m, 2), 10u);
    EXPECT_EQ(GetMenuItemID(m, 3), 0u) << "a separator";
    EXPECT_EQ(GetMenuItemID(m, 4), UINT(-1));
    EXPECT_TRUE(GetMenuState(m, 3, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(m, 42, MF_BYCOMMAND), 0xFFFFFFFFu);

    char small[4];
    EXPECT_EQ(GetMenuStringA(m, 7, small, sizeof small, MF_BYCOMMAND), 3);
    EXPECT_STREQ(small, "Sev");
    EXPECT_TRUE(DestroyMenu(m));
    EXPECT_FALSE(IsMenu(m));
    EXPECT_EQ(GetMenuItemCount(m), -1);
}

TEST(Menu, SubMenusBelongToTheirParent)
{
    const HMENU bar = CreateMenu(), sub = CreatePopupMenu();
    EXPECT_FALSE(AppendMenuA(bar, MF_POPUP, bar, "Self"));
    EXPECT_FALSE(AppendMenuA(bar, MF_POPUP, 0xFFFF, "Missing"));
    ASSERT_TRUE(AppendMenuA(bar, MF_POPUP, sub, "&File"));
    EXPECT_EQ(GetSubMenu(bar, 0), sub);
    EXPECT_EQ(GetMenuItemID(bar, 0), UINT(-1));
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(sub));
}

} // namespace

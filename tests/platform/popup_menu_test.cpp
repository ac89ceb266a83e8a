#include "platform/popup_menu.h"

#include "platform/menu.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PopupMenu, TheHookPicksAndTheOwnerHearsIt)
{
    const HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 7, "Seven");
    AppendMenuA(menu, MF_STRING, 8, "Eight");
    std::vector<WPARAM> commands;
    const HWND owner = CreateHeadlessWindow([&](HWND, UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg == WM_COMMAND)
            commands.push_back(wParam);
        return 0;
    });
    UINT answer = 8;
    int seenX = -1;
    const PopupMenuHook previous = SetPopupMenuHook([&](HMENU m, int x, int) {
        EXPECT_EQ(m, menu);
        seenX = x;
        return answer;
    });
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_RIGHTBUTTON, 12, 34, owner));
    EXPECT_EQ(seenX, 12);
    EXPECT_EQ(commands, std::vector<WPARAM>{8});
    answer = 7;
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, owner), 7);
    EXPECT_EQ(commands.size(), 1u) << "a returned command is not sent";
    answer = 0;
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 0, 0, owner));
    EXPECT_FALSE(TrackPopupMenu(0, 0, 0, 0, owner));
    SetPopupMenuHook(previous);
    // Offscreen without a hook nothing is picked.
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 0, 0, owner));
    EXPECT_EQ(commands.size(), 1u);
    DestroyMenu(menu);
    DestroyWindow(owner);
}

} // namespace

#include "platform/window_class.h"

#include "platform/debug_output.h"
#include "platform/debug_viewer_window.h"
#include "platform/window.h"

#include <gtest/gtest.h>

namespace {

HWND plainWindow()
{
    return CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
}

TEST(WindowClass, FindByClassNameWhileTheWindowLives)
{
    const HWND a = plainWindow(), b = plainWindow();
    EXPECT_EQ(FindWindowA("TestClassA", nullptr), 0u);
    ASSERT_TRUE(SetWindowClassName(a, "TestClassA"));
    ASSERT_TRUE(SetWindowClassName(b, "TestClassB"));
    EXPECT_EQ(FindWindowA("testclassa", nullptr), a) << "class names compare without case";
    EXPECT_EQ(FindWindowA("TestClassB", nullptr), b);
    EXPECT_EQ(FindWindowA("TestClassA", "a title"), 0u) << "records have no titles";
    EXPECT_EQ(GetWindowClassName(a), "TestClassA");

    ASSERT_TRUE(SetWindowClassName(a, "Renamed"));
    EXPECT_EQ(FindWindowA("TestClassA", nullptr), 0u);
    DestroyWindow(a);
    EXPECT_EQ(FindWindowA("Renamed", nullptr), 0u) << "a destroyed window is not found";
    EXPECT_EQ(GetWindowClassName(a), "");
    DestroyWindow(b);
}

TEST(WindowClass, RefusesBadArguments)
{
    const HWND w = plainWindow();
    EXPECT_FALSE(SetWindowClassName(0, "X"));
    EXPECT_FALSE(SetWindowClassName(w, ""));
    EXPECT_FALSE(SetWindowClassName(w, nullptr));
    EXPECT_EQ(FindWindowA(nullptr, nullptr), 0u);
    DestroyWindow(w);
}

TEST(DebugViewerWindow, PassesTextsToTheDebugOutput)
{
    const HWND viewer = CreateDebugViewerWindow();
    ASSERT_NE(viewer, 0u);
    EXPECT_EQ(FindWindowA("DBWin", nullptr), viewer);
    DebugOutputClear();
    const char text[] = "fn: something\n";
    EXPECT_EQ(SendMessageA(viewer, DEBUG_VIEWER_TEXT_MESSAGE, 0, reinterpret_cast<LPARAM>(text)), 1);
    EXPECT_EQ(SendMessageA(viewer, DEBUG_VIEWER_TEXT_MESSAGE, 0, 0), 0) << "no text, nothing shown";
    ASSERT_EQ(DebugOutputLines().size(), 1u);
    EXPECT_EQ(DebugOutputLines()[0], text);
    DestroyWindow(viewer);
}

} // namespace

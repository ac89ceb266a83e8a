#include "platform/window.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Seen {
    UINT msg;
    WPARAM w;
    LPARAM l;
};

TEST(Window, UserDataAndSynchronousMessages)
{
    std::vector<Seen> seen;
    HWND h = CreateHeadlessWindow([&](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        seen.push_back({m, w, l});
        return LRESULT(w + 1);
    });
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(SetWindowLongPtrA(h, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_USERDATA), 1234);
    // A pointer-sized parameter arrives whole.
    const WPARAM big = WPARAM(0x123456789ABCull);
    EXPECT_EQ(SendMessage(h, WM_USER + 5, big, -7), LRESULT(big + 1));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].msg, WM_USER + 5);
    EXPECT_EQ(seen[0].l, -7);
    EXPECT_TRUE(DestroyWindow(h));
    EXPECT_EQ(seen.back().msg, WM_DESTROY);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(SendMessage(h, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_USERDATA), 0);
    EXPECT_FALSE(DestroyWindow(h));
}

TEST(Window, HandlerMayDestroyItsOwnWindow)
{
    HWND h = 0;
    h = CreateHeadlessWindow([&](HWND self, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_USER)
            DestroyWindow(self);
        return 1;
    });
    EXPECT_EQ(SendMessage(h, WM_USER, 0, 0), 1);
    EXPECT_FALSE(IsWindow(h));
}

TEST(Window, ClientRectAndInvalidation)
{
    HWND h = CreateHeadlessWindow(nullptr);
    ASSERT_TRUE(SetClientSize(h, 200, 100));
    RECT r{};
    ASSERT_TRUE(GetClientRect(h, &r));
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 100);
    std::vector<RECT> painted;
    SetWindowPaintHook(h, [&](HWND, const RECT &rc) { painted.push_back(rc); });
    EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));
    RECT a{10, 10, 20, 20}, b{150, 50, 400, 400};
    InvalidateRect(h, &a, TRUE);
    InvalidateRect(h, &b, TRUE); // clipped to the client area
    ASSERT_TRUE(GetUpdateRect(h, &r, FALSE));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 100);
    ASSERT_EQ(painted.size(), 2u);
    ValidateRect(h, nullptr);
    EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));
    DestroyWindow(h);
    EXPECT_FALSE(GetClientRect(h, &r));
    EXPECT_FALSE(InvalidateRect(h, nullptr, TRUE));
}

TEST(Window, PostedMessagesRunLaterInOrder)
{
    std::vector<UINT> seen;
    HWND h = CreateHeadlessWindow([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
        seen.push_back(m);
        return 0;
    });
    EXPECT_TRUE(PostMessage(h, WM_USER + 1, 0, 0));
    EXPECT_TRUE(PostMessage(h, WM_USER + 2, 0, 0));
    EXPECT_TRUE(seen.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    PostMessage(h, WM_USER + 3, 0, 0);
    DestroyWindow(h);
    QCoreApplication::processEvents(); // a destroyed window gets nothing
    EXPECT_EQ(seen.back(), WM_DESTROY);
    EXPECT_FALSE(PostMessage(h, WM_USER, 0, 0));
}

} // namespace

TEST(Window, EnabledFlagParentAndCaption)
{
    HWND parent = CreateHeadlessWindow(nullptr), child = CreateHeadlessWindow(nullptr);
    EXPECT_TRUE(IsWindowEnabled(child));
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_EQ(SetParent(child, parent), 0u);
    EXPECT_EQ(GetParent(child), parent);
    EXPECT_EQ(SetParent(child, child), 0u); // refused
    SetWindowTextA(parent, "Map one");
    char text[5];
    EXPECT_EQ(GetWindowTextA(parent, text, sizeof text), 4);
    EXPECT_STREQ(text, "Map ");
    DestroyWindow(parent);
    EXPECT_EQ(GetParent(child), 0u);
    DestroyWindow(child);
}

TEST(Window, HandlerCanBeReplacedAndChained)
{
    std::vector<UINT> seen;
    HWND w = CreateHeadlessWindow([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        seen.push_back(msg);
        return 1;
    });
    WNDPROC previous = SetWindowHandler(w, nullptr);
    ASSERT_TRUE(previous);
    SetWindowHandler(w, [&, previous](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        return msg == WM_USER ? 5 : previous(h, msg, wp, lp);
    });
    EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 5);
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 0, 0), 1);
    EXPECT_EQ(seen, std::vector<UINT>{WM_USER + 1});
    EXPECT_FALSE(SetWindowHandler(0, nullptr));
    DestroyWindow(w);
}

namespace {

TEST(Window, CallsFromAnotherThreadRunOnTheWindowsThreadInOrder)
{
    std::vector<UINT> seen;
    HWND h = CreateHeadlessWindow([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
        seen.push_back(m);
        return 0;
    });
    const std::thread::id home = std::this_thread::get_id();
    std::vector<std::thread::id> ranOn;
    // On the window's own thread: at once.
    EXPECT_TRUE(RunOnWindowThread(h, [&] { ranOn.push_back(std::this_thread::get_id()); }));
    EXPECT_EQ(ranOn, (std::vector<std::thread::id>{home}));
    // From another thread: queued behind a message posted before it.
    bool accepted = false;
    std::thread other([&] {
        PostMessage(h, WM_USER + 1, 0, 0);
        accepted = RunOnWindowThread(h, [&] {
            ranOn.push_back(std::this_thread::get_id());
            seen.push_back(WM_USER + 2);
        });
    });
    other.join();
    EXPECT_TRUE(accepted);
    EXPECT_EQ(ranOn.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(ranOn, (std::vector<std::thread::id>{home, home}));
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));

    // A window destroyed before the call runs does not get it; bad handles
    // and empty calls are refused.
    std::thread late([&] { accepted = RunOnWindowThread(h, [&] { ranOn.push_back({}); }); });
    late.join();
    EXPECT_TRUE(accepted);
    DestroyWindow(h);
    QCoreApplication::processEvents();
    EXPECT_EQ(ranOn.size(), 2u);
    bool ran = false;
    EXPECT_FALSE(RunOnWindowThread(h, [&] { ran = true; }));
    EXPECT_FALSE(RunOnWindowThread(0, [&] { ran = true; }));
    EXPECT_FALSE(ran);
    HWND live = CreateHeadlessWindow(nullptr);
    EXPECT_FALSE(RunOnWindowThread(live, {}));
    DestroyWindow(live);
}

} // namespace

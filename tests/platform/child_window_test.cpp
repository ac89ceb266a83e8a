#include "platform/child_window.h"

#include "platform/surface_widget.h"

#include <QLabel>
#include <QPointer>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Recorder {
    std::vector<UINT> messages;
    LRESULT answerToCreate = 0;
    WNDPROC handler()
    {
        return [this](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
            messages.push_back(msg);
            return msg == WM_CREATE ? answerToCreate : 0;
        };
    }
};

} // namespace

TEST(ChildWindow, HeadlessChildrenKeepTheirPlaceAndTextAndTellTheirHandler)
{
    const HWND parent = CreateHeadlessWindow(nullptr);
    Recorder recorder;
    const HWND child = CreateChildWindow(parent, RECT{10, 20, 60, 40}, "12.5 ha", recorder.handler());
    ASSERT_NE(child, 0u);
    EXPECT_EQ(recorder.messages, std::vector<UINT>{WM_CREATE});
    EXPECT_EQ(GetParent(child), parent);
    RECT r{};
    ASSERT_TRUE(GetChildWindowRect(child, &r));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 40);
    EXPECT_EQ(GetChildWindowText(child), "12.5 ha");
    EXPECT_TRUE(SetChildWindowText(child, "13.0 ha"));
    EXPECT_EQ(GetChildWindowText(child), "13.0 ha");
    char text[16] = {};
    EXPECT_EQ(GetWindowTextA(child, text, sizeof text), 7);
    EXPECT_STREQ(text, "13.0 ha");
    EXPECT_EQ(ChildWindowLabel(child), nullptr);
    EXPECT_TRUE(DestroyWindow(child));
    EXPECT_EQ(recorder.messages, (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
    EXPECT_EQ(GetParent(child), 0u);
    EXPECT_FALSE(GetChildWindowRect(child, &r));

    // A handler that refuses to be made gets no WM_DESTROY.
    Recorder refusing;
    refusing.answerToCreate = -1;
    EXPECT_EQ(CreateChildWindow(parent, RECT{0, 0, 5, 5}, "x", refusing.handler()), 0u);
    EXPECT_EQ(refusing.messages, std::vector<UINT>{WM_CREATE});
    EXPECT_EQ(CreateChildWindow(0xFFFFF, RECT{0, 0, 5, 5}, "x", nullptr), 0u);
    EXPECT_FALSE(SetChildWindowText(parent, "not a child"));
    DestroyWindow(parent);
}

TEST(ChildWindow, OnAWidgetTheChildIsAShownLabelThatGoesWithIt)
{
    SurfaceWidget parent(nullptr);
    parent.resize(200, 100);
    parent.show();
    EXPECT_EQ(GetWindowWidget(parent.handle()), &parent);
    const HWND child = CreateChildWindow(parent.handle(), RECT{10, 20, 60, 40}, "12.5 ha", nullptr);
    ASSERT_NE(child, 0u);
    QPointer<QLabel> label = ChildWindowLabel(child);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget(), &parent);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->geometry(), QRect(10, 20, 50, 20));
    EXPECT_EQ(label->text(), QString("12.5 ha"));
    SetChildWindowText(child, "7 m\xB2");
    EXPECT_EQ(label->text(), QString::fromUtf8("7 m\u00B2"));
    ASSERT_TRUE(SetChildWindowColors(child, RGB(1, 2, 3), RGB(250, 240, 230)));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(1, 2, 3));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(250, 240, 230));
    DestroyWindow(child);
    EXPECT_TRUE(label.isNull());
}

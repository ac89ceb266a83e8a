// Qt's keys and mouse state as the numbers a window's handler receives.
#include "platform/key_state.h"
#include "platform/window_messages.h"

#include <gtest/gtest.h>

TEST(WindowMessages, QtKeysBecomeVirtualKeys)
{
    struct Case {
        int qt;
        Qt::KeyboardModifiers mods;
        int vk;
    };
    const Case cases[] = {
        {Qt::Key_PageUp, {}, VK_PRIOR},
        {Qt::Key_PageDown, {}, VK_NEXT},
        {Qt::Key_Home, {}, VK_HOME},
        {Qt::Key_End, {}, VK_END},
        {Qt::Key_Left, {}, VK_LEFT},
        {Qt::Key_Down, {}, VK_DOWN},
        {Qt::Key_Escape, {}, VK_ESCAPE},
        {Qt::Key_Q, {}, 'Q'},
        {Qt::Key_7, {}, '7'},
        {Qt::Key_F1, {}, VK_F1},
        {Qt::Key_Plus, Qt::KeypadModifier, VK_ADD},
        {Qt::Key_Minus, Qt::KeypadModifier, VK_SUBTRACT},
        // The main keyboard's plus and minus are not the numeric pad's.
        {Qt::Key_Plus, {}, 0xBB},
        {Qt::Key_Minus, {}, 0xBD},
        {Qt::Key_Launch0, {}, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(VirtualKeyFromQt(c.qt, c.mods), c.vk) << c.qt;
}

TEST(WindowMessages, MouseFlagsAndPointsPack)
{
    EXPECT_EQ(MouseKeyFlagsFromQt(Qt::LeftButton | Qt::MiddleButton, Qt::ShiftModifier),
              MK_LBUTTON | MK_MBUTTON | MK_SHIFT);
    EXPECT_EQ(MouseKeyFlagsFromQt(Qt::RightButton, Qt::ControlModifier), MK_RBUTTON | MK_CONTROL);
    EXPECT_EQ(MouseKeyFlagsFromQt(Qt::NoButton, Qt::AltModifier), WPARAM(0));
    const LPARAM l = MakePointLParam(-5, 300);
    EXPECT_EQ(PointLParamX(l), -5);
    EXPECT_EQ(PointLParamY(l), 300);
    EXPECT_EQ(PointLParamX(MakePointLParam(32767, -32768)), 32767);
    EXPECT_EQ(PointLParamY(MakePointLParam(32767, -32768)), -32768);
}

// The key-state tracker: key events of the application set and clear keys,
// presses toggle, modifiers follow what each event carries.
#include "platform/key_state.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QObject>
#include <gtest/gtest.h>

namespace {

void send(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QObject target;
    QKeyEvent event(type, key, modifiers);
    QCoreApplication::sendEvent(&target, &event);
}

bool down(int vk) { return GetKeyState(vk) < 0; }

TEST(KeyState, KeyEventsOfTheApplicationAreTracked)
{
    InstallKeyStateTracker();
    EXPECT_FALSE(down('Q'));
    const int16_t before = GetKeyState('Q') & 1;
    send(QEvent::KeyPress, Qt::Key_Q);
    EXPECT_TRUE(down('Q'));
    EXPECT_NE(GetKeyState('Q') & 1, before) << "a press toggles";
    send(QEvent::KeyRelease, Qt::Key_Q);
    EXPECT_FALSE(down('Q'));

    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        int vk;
    } cases[] = {
        {Qt::Key_Alt, Qt::AltModifier, VK_MENU},
        {Qt::Key_Shift, Qt::ShiftModifier, VK_SHIFT},
        {Qt::Key_Control, Qt::ControlModifier, VK_CONTROL},
        {Qt::Key_7, Qt::NoModifier, '7'},
        {Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE},
    };
    for (const Case &c : cases) {
        send(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_TRUE(down(c.vk)) << c.vk;
        send(QEvent::KeyRelease, c.key);
        EXPECT_FALSE(down(c.vk)) << c.vk;
    }
}

TEST(KeyState, ModifiersFollowTheEventsThatCarryThem)
{
    InstallKeyStateTracker();
    send(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    ASSERT_TRUE(down(VK_MENU));
    // Alt released while another program had the focus: the next key event
    // says no modifier is held.
    send(QEvent::KeyPress, Qt::Key_B);
    EXPECT_FALSE(down(VK_MENU));
    send(QEvent::KeyRelease, Qt::Key_B);
}

TEST(KeyState, TestsSetKeysAndBadCodesAnswerNothing)
{
    SetKeyState(VK_MENU, true);
    EXPECT_TRUE(down(VK_MENU));
    SetKeyState(VK_MENU, false);
    EXPECT_FALSE(down(VK_MENU));
    EXPECT_EQ(GetKeyState(-1), 0);
    EXPECT_EQ(GetKeyState(256), 0);
    SetKeyState(1000, true); // ignored
    EXPECT_EQ(GetKeyState(1000), 0);
}

} // namespace

namespace {

TEST(KeyState, TheSidesOfShiftAndCtrlAndALostFocus)
{
    InstallKeyStateTracker();
    // The right Ctrl as X11 names it; the left one by default.
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 0, 0xFFE4, 0);
    QObject target;
    QCoreApplication::sendEvent(&target, &right);
    EXPECT_TRUE(down(VK_RCONTROL));
    EXPECT_FALSE(down(VK_LCONTROL));
    EXPECT_TRUE(down(VK_CONTROL));
    send(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(down(VK_LSHIFT));
    send(QEvent::KeyPress, Qt::Key_X, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(down('X'));

    // Keys held when the focus goes never see their release: they count as
    // released.
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(&target, &out);
    for (int vk : {VK_RCONTROL, VK_CONTROL, VK_LSHIFT, VK_SHIFT, int('X')})
        EXPECT_FALSE(down(vk)) << vk;
}

} // namespace

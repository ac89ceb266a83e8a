// Qt's mouse events as window messages: a double click in the Windows order
// (down, up, double click, up), whether Qt sends a second press before its
// double-click event or only the double-click event; one wheel message per
// wheel event whatever its size.
#include "platform/mouse_messages.h"
#include "platform/window_messages.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Feed {
    MouseMessageTranslator translator;
    std::vector<UINT> sent;
    void operator()(QEvent::Type type, uint64_t time, QPoint at = QPoint(10, 10),
                    Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent e(type, at, at, button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
        e.setTimestamp(time);
        if (const auto m = translator.Translate(e))
            sent.push_back(m->message);
    }
};

TEST(MouseMessages, DoubleClicksComeInTheWindowsOrder)
{
    using V = std::vector<UINT>;
    // The window system's order: press, release, press, double click, release.
    Feed qt;
    qt(QEvent::MouseButtonPress, 1000);
    qt(QEvent::MouseButtonRelease, 1050);
    qt(QEvent::MouseButtonPress, 1150);
    qt(QEvent::MouseButtonDblClick, 1150);
    qt(QEvent::MouseButtonRelease, 1200);
    // A third quick click is a plain one.
    qt(QEvent::MouseButtonPress, 1250);
    qt(QEvent::MouseButtonRelease, 1300);
    EXPECT_EQ(qt.sent, (V{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN,
                          WM_LBUTTONUP}));

    // A synthetic double click without its press; slow clicks and clicks
    // apart are no double clicks; the right button has its own messages.
    Feed other;
    other(QEvent::MouseButtonPress, 0);
    other(QEvent::MouseButtonRelease, 10);
    other(QEvent::MouseButtonDblClick, 600);
    other(QEvent::MouseButtonRelease, 610);
    other(QEvent::MouseButtonPress, 5000);
    other(QEvent::MouseButtonRelease, 5010);
    other(QEvent::MouseButtonPress, 5050, QPoint(200, 200));
    other(QEvent::MouseButtonRelease, 5060, QPoint(200, 200));
    other(QEvent::MouseButtonPress, 9000, QPoint(10, 10), Qt::RightButton);
    other(QEvent::MouseButtonRelease, 9010, QPoint(10, 10), Qt::RightButton);
    other(QEvent::MouseButtonPress, 9020, QPoint(10, 10), Qt::RightButton);
    other(QEvent::MouseButtonPress, 9030, QPoint(10, 10), Qt::BackButton);
    EXPECT_EQ(other.sent,
              (V{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                 WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK}));
}

TEST(MouseMessages, OneWheelMessagePerEventWithTheTurnKeptInSixteenBits)
{
    struct Case {
        int delta;
        bool sent;
        int16_t turn;
    };
    for (const Case c : {Case{120, true, 120}, Case{-120, true, -120}, Case{1000000, true, 32767},
                         Case{-1000000, true, -32768}, Case{0, false, 0}}) {
        QWheelEvent e(QPointF(5, 6), QPointF(50, 60), QPoint(), QPoint(0, c.delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        const auto m = MouseMessageTranslator::TranslateWheel(e);
        ASSERT_EQ(m.has_value(), c.sent) << c.delta;
        if (!m)
            continue;
        EXPECT_EQ(m->message, WM_MOUSEWHEEL);
        EXPECT_EQ(int16_t(uint16_t(m->wParam >> 16)), c.turn);
        EXPECT_EQ(PointLParamX(m->lParam), 50);
        EXPECT_EQ(PointLParamY(m->lParam), 60);
    }
}

} // namespace

#include "platform/mouse_messages.h"

#include "platform/window_messages.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

int doubleClickInterval()
{
    return QGuiApplication::instance() ? QGuiApplication::styleHints()->mouseDoubleClickInterval() : 400;
}

int doubleClickDistance()
{
    return QGuiApplication::instance() ? QGuiApplication::styleHints()->mouseDoubleClickDistance() : 5;
}

} // namespace

std::optional<MouseMessage> MouseMessageTranslator::Translate(const QMouseEvent &event)
{
    const QPoint p = event.position().toPoint();
    const WPARAM keys = MouseKeyFlagsFromQt(event.buttons(), event.modifiers());
    const LPARAM point = MakePointLParam(p.x(), p.y());
    auto byButton = [&](UINT left, UINT right, UINT middle) -> std::optional<MouseMessage> {
        switch (event.button()) {
        case Qt::LeftButton:
            return MouseMessage{left, keys, point};
        case Qt::RightButton:
            return MouseMessage{right, keys, point};
        case Qt::MiddleButton:
            return MouseMessage{middle, keys, point};
        default:
            return std::nullopt;
        }
    };
    switch (event.type()) {
    case QEvent::MouseMove:
        return MouseMessage{WM_MOUSEMOVE, keys, point};
    case QEvent::MouseButtonPress: {
        const int button = int(event.button());
        const bool isDouble = haveRelease_ && !pressWasDouble_ && button == lastButton_ &&
                              event.timestamp() - lastReleaseTime_ <= uint64_t(doubleClickInterval()) &&
                              std::abs(p.x() - lastX_) <= doubleClickDistance() &&
                              std::abs(p.y() - lastY_) <= doubleClickDistance();
        pressWasDouble_ = isDouble;
        dropNextDouble_ = isDouble;
        lastButton_ = button;
        if (isDouble)
            return byButton(WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK);
        return byButton(WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
    }
    case QEvent::MouseButtonDblClick:
        if (dropNextDouble_) {
            dropNextDouble_ = false;
            return std::nullopt;
        }
        // A double click without its press (a synthetic one): it stands for
        // the second press.
        pressWasDouble_ = true;
        lastButton_ = int(event.button());
        return byButton(WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK);
    case QEvent::MouseButtonRelease:
        dropNextDouble_ = false;
        haveRelease_ = true;
        lastReleaseTime_ = event.timestamp();
        lastX_ = p.x();
        lastY_ = p.y();
        return byButton(WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP);
    default:
        return std::nullopt;
    }
}

std::optional<MouseMessage> MouseMessageTranslator::TranslateWheel(const QWheelEvent &event)
{
    const int delta = event.angleDelta().y();
    if (delta == 0)
        return std::nullopt;
    const int16_t turn = int16_t(std::clamp(delta, -32768, 32767));
    const QPoint g = event.globalPosition().toPoint();
    const WPARAM keys = MouseKeyFlagsFromQt(event.buttons(), event.modifiers());
    return MouseMessage{WM_MOUSEWHEEL, keys | (WPARAM(uint16_t(turn)) << 16), MakePointLParam(g.x(), g.y())};
}

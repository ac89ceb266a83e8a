// Qt's mouse and wheel events as the window messages a Windows window gets.
// A double click comes in the Windows order: down, up, double click, up (Qt
// sends a second press before its double-click event; that press becomes
// the double-click message and the double-click event is dropped). A wheel
// event gives one WM_MOUSEWHEEL whatever its size.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <optional>

class QMouseEvent;
class QWheelEvent;

struct MouseMessage {
    UINT message;
    WPARAM wParam; // MK_ flags; for the wheel the turn in the high word
    LPARAM lParam; // the point, MakePointLParam (screen point for the wheel)
};

// One per window: it remembers the last click to tell double clicks.
class MouseMessageTranslator {
public:
    // The message for a press, release, double click or move; none for
    // buttons other than left, right and middle, and for the double-click
    // event that follows a press already sent as the double click.
    std::optional<MouseMessage> Translate(const QMouseEvent &event);
    // WM_MOUSEWHEEL for a vertical turn, the delta kept in the signed 16-bit
    // range; none for an event that does not turn vertically.
    static std::optional<MouseMessage> TranslateWheel(const QWheelEvent &event);

private:
    int lastButton_ = 0;
    uint64_t lastReleaseTime_ = 0;
    int lastX_ = 0, lastY_ = 0;
    bool haveRelease_ = false;
    // The last press was sent as a double click: its Qt double-click event
    // is dropped, and the next press is a plain one.
    bool pressWasDouble_ = false;
    bool dropNextDouble_ = false;
};

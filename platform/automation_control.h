// What a container asks of an automation control besides dispatch: the
// widget that shows it, which the container places in a window of its own.
#pragma once

#include "platform/automation_unknown.h"

class QWidget;

class IControlWidget : public IUnknown {
public:
    static constexpr IID kIid = {
        0x5E0C7A21, 0x3B4D, 0x4E6F, {0x9A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0x71}};
    // The control's widget; null once it was destroyed. The control keeps
    // owning it: a container reparents it and must not delete it.
    virtual QWidget *Widget() = 0;
};

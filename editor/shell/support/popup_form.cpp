#include "editor/shell/support/popup_form.h"

namespace {

constexpr Qt::WindowFlags kPopupFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

} // namespace

TPopupForm::TPopupForm(QWidget *parent) : QWidget(parent, parent ? Qt::WindowFlags() : kPopupFlags) {}

void TPopupForm::SetOwnerWindow(QWidget *owner)
{
    owner_ = owner;
    // A window with a parent widget but the Window flag is owned by it.
    if (!parentWidget() || isWindow())
        setParent(owner, kPopupFlags);
}

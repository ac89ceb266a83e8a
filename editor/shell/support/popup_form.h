// The base of the editor's pop-up tool windows (the layer properties dialog,
// the symbol picker, the debug window): without a parent widget it is a
// window of its own with a border and a system menu, owned by the owner
// window when one is set, so it stays above it.
#pragma once

#include <QWidget>

class TPopupForm : public QWidget {
public:
    explicit TPopupForm(QWidget *parent = nullptr);

    void SetOwnerWindow(QWidget *owner);
    QWidget *OwnerWindow() const { return owner_; }

private:
    QWidget *owner_ = nullptr;
};

// The controls that carry a tool id and nothing else: their captions, hints
// and glyphs come from the tool catalogue (tool_catalogue.h), and a click
// goes to the main window's dispatcher with the control as sender.
#pragma once

#include <QAction>
#include <QToolButton>

#include <cstdint>
#include <functional>

class QPixmap;

// Group index of a latched button: it stays down until released in code.
inline constexpr int kLatchedGroupIndex = 99;

// A flat tool button on a tool tab or a standard tool panel.
class TToolBtn : public QToolButton {
public:
    explicit TToolBtn(QWidget *parent = nullptr);

    uint8_t Id = 0;

    // true: group index 99, allow-all-up off, down; false: group index 0,
    // allow-all-up on, up. A latched button stays down when clicked.
    void SetLatched(bool latched);
    bool Latched() const { return groupIndex_ == kLatchedGroupIndex; }
    int GroupIndex() const { return groupIndex_; }
    bool AllowAllUp() const { return allowAllUp_; }

    // Customise mode: on saves Enabled and enables the button; off restores
    // the saved state. The spacer (id 1) shows the hint "Spacer" only while
    // customising.
    void SetCustomise(bool on);
    bool Customise() const { return customise_; }
    // Called with this button and the control dropped on it.
    std::function<void(TToolBtn *, QWidget *)> OnDrop;

protected:
    void nextCheckState() override;

private:
    int groupIndex_ = 0;
    bool allowAllUp_ = true;
    bool customise_ = false;
    bool savedEnabled_ = true;
};

// A 28 x 28 flat button of a fixed tool panel.
class TToolBtnLite : public QToolButton {
public:
    explicit TToolBtnLite(QWidget *parent = nullptr);

    uint8_t Id = 0;
};

// A menu item carrying a tool id.
class TToolItem : public QAction {
public:
    explicit TToolItem(QObject *parent = nullptr);

    uint8_t Id = 0;
};

// The tool id of a tool button, lite button or tool menu item; 0 for
// anything else (and for null).
uint8_t ToolIdOf(QObject *object);

// Gives a button the two frames of a glyph made by
// TfrmButtons::MakeButtonGlyph: the left half for the normal look, the
// right half for the disabled look. A null pixmap clears the icon.
void SetButtonGlyph(QAbstractButton &button, const QPixmap &twoFrames);
void SetActionGlyph(QAction &action, const QPixmap &twoFrames);

// Tool panels: standard panels of 24-pixel tool buttons and dividers whose
// layouts the user rearranges and which are stored per panel under the
// Toolbars key, and fixed panels of 28-pixel buttons. A layout string is
// two characters ("00" standard, "01" fixed main tool bar) and then one
// two-digit hexadecimal catalogue position per control, 00 a divider.
#pragma once

#include <QFrame>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TRegLink;
class TToolBtn;
class TToolBtnLite;
class TfrmButtons;

// Where a panel sits in its parent; the numbers are the stored ones.
enum TPanelAlign { alNone = 0, alTop = 1, alBottom = 2, alLeft = 3, alRight = 4 };

// The layout written when the first panel's layout is missing: 51 controls.
extern const char *const kDefaultToolbarLayout;
// The fixed main tool bar's layout.
extern const char *const kFixedToolbarLayout;

// A separator of a tool panel, 2 pixels thick. Drops on it are ignored.
class TDivider : public QFrame {
public:
    explicit TDivider(QWidget *parent = nullptr);

    bool Customise = false;
    std::function<void(TDivider *, QWidget *)> OnDrop;
};

using TClickTarget = std::function<void(QObject *sender)>;

// A standard tool panel: buttons and dividers in position order (the left
// edge on a horizontal panel, the top edge on a vertical one).
class TToolPanel : public QFrame {
public:
    // Hidden and empty until placed and loaded.
    TToolPanel(const TfrmButtons &catalogue, QWidget *owner = nullptr);

    int ButtonStep = 24;
    int DividerStep = 6;
    int StartOffset = 2;
    TClickTarget ClickTarget;
    std::function<void()> OnRightClick;

    bool Horizontal() const { return horizontal_; }
    bool Customise() const { return customise_; }
    TPanelAlign Alignment() const { return align_; }

    // Parent and alignment; horizontal when top or bottom; 24 pixels thick;
    // shown. When the parent has a box layout the panel joins it, first
    // for top and left, last otherwise.
    void Place(QWidget *parent, TPanelAlign alignment);
    // Empties the panel and adds the controls of the string (from its
    // third character; bad pairs and position 4 skipped).
    void LoadLayout(const std::string &layout);
    // "00" and the position of each control in position order; controls
    // whose tool has no catalogue position are left out.
    std::string LayoutString();
    void SetCustomise(bool on);

    // Adds a button (id other than 0) or a divider (0) after the last
    // control; the result is the new control.
    QWidget *Append(uint8_t id);
    // A new control for the id takes the target's position; the target and
    // every control after it move on by the new control's step.
    QWidget *InsertBefore(uint8_t id, QWidget *target);
    // Moves a control of this panel before another; nothing for itself.
    void MoveBefore(QWidget *control, QWidget *target);
    // Takes a control off the panel, closing its gap; it is hidden and
    // stays a child of the panel.
    void Remove(QWidget *control);
    // Sorts the list by position.
    void Sort();

    // The controls in list order (sorted after every change).
    std::vector<QWidget *> Controls() const;
    // A control's position on the panel; -1 when it is not on it.
    int PositionOf(const QWidget *control) const;
    // The position just past the last control (the start offset when
    // empty).
    int EndPosition() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Entry {
        QWidget *control;
        int position;
        bool divider;
    };
    QWidget *MakeControl(uint8_t id);
    int StepOf(const Entry &entry) const { return entry.divider ? DividerStep : ButtonStep; }
    void PlaceControl(const Entry &entry);
    int IndexOf(const QWidget *control) const;
    void CloseGap(size_t index);
    void Clear();

    const TfrmButtons &catalogue_;
    bool horizontal_ = true;
    bool customise_ = false;
    TPanelAlign align_ = alNone;
    std::vector<Entry> entries_;
};

// The standard panels, the first with "Toolbar0" and the second with
// "Toolbar1", and the customise mode.
class TToolPanelMgr {
public:
    // Customise off; writes the default layout when "Toolbar0" is missing
    // (or not a string). The catalogue form, when given, is shown while
    // customising.
    explicit TToolPanelMgr(const TRegLink &toolbars, TfrmButtons *catalogue = nullptr);
    // The same over the settings object's Toolbars key.
    explicit TToolPanelMgr(TfrmButtons *catalogue = nullptr);
    ~TToolPanelMgr();

    TClickTarget ClickTarget;

    void AddPanel(TToolPanel *panel);
    void LoadLayouts();
    void SaveLayouts();
    // Flips the customise mode of every panel, button and divider, saving
    // the layouts on entering and on leaving. Rearranging by drag and drop
    // is not offered yet.
    void ToggleCustomise();
    bool Customise() const { return customise_; }
    int Count() const { return int(panels_.size()); }

private:
    const TRegLink &toolbars_;
    TfrmButtons *catalogue_;
    bool customise_ = false;
    std::vector<TToolPanel *> panels_;
};

// A fixed panel of 28-pixel buttons from a stored string or a list.
class TToolPanelLite : public QFrame {
public:
    // Hidden until placed; reads "Toolbar0" of the given key.
    TToolPanelLite(const TfrmButtons &catalogue, const TRegLink &toolbars, QWidget *owner = nullptr);
    // The same over the settings object's Toolbars key.
    explicit TToolPanelLite(const TfrmButtons &catalogue, QWidget *owner = nullptr);

    TClickTarget ClickTarget;

    // Parent and alignment; 36 pixels high; shown (joins a box layout of
    // the parent as TToolPanel::Place does).
    void Place(QWidget *parent, TPanelAlign alignment);
    // A button of the catalogue entry's id, hint and two-frame lite glyph;
    // 12 pixels wide for id 0.
    TToolBtnLite *AddButton(uint8_t id);
    // A divider at top 2, 2 wide, the panel's height - 6 high.
    TDivider *AddDivider();
    // Lays out the stored "Toolbar0" when its second character is "1".
    void LoadLayout();
    // Lays out the ids (0 a divider) from x = 4.
    void AddButtons(const std::vector<uint8_t> &ids);

private:
    const TfrmButtons &catalogue_;
    const TRegLink &toolbars_;
};

// The line-style picker: an owner-drawn drop-down list of the 74 line styles
// in which each item is a sample of its style, drawn by the styled-line
// renderer in the picker's colour. Items carry no text; an item's index is
// its style number.
#pragma once

#include "platform/types.h"

#include <QComboBox>

#include <functional>

// Item states of DrawLineStyleItem.
inline constexpr UINT ODS_SELECTED = 0x0001;
inline constexpr UINT ODS_COMBOBOXEDIT = 0x1000;
// The notification code the picker sends its parent after a user's choice.
inline constexpr int kLineStylePickerChanged = 0x300;

// Draws one item into the device context: clears the rectangle in the window
// colour, then the grey cross of an indeterminate picker (edit part only) or
// a sample segment of the style at mid height, and a focus rectangle when
// the item is selected.
void DrawLineStyleItem(HDC dc, const RECT &rect, int style, COLORREF color, bool indeterminate, UINT state);

// An exported entry point without effect: 0.
int map_presentation_Reinit(HWND window);

class CLineStylePicker : public QComboBox {
public:
    static constexpr int kStyleCount = 74;

    explicit CLineStylePicker(QWidget *parent = nullptr);

    // Adds the 74 items once and selects the current style.
    void Initialize();
    bool IsInitialized() const { return initialized_; }
    void SetColor(COLORREF color);
    COLORREF GetColor() const { return color_; }
    // -1 shows no definite style (several different ones are selected).
    void SetStyle(long style);
    long GetStyle() const { return indeterminate_ ? -1 : style_; }
    bool IsIndeterminate() const { return indeterminate_; }

    // The picture of one item (index -1: the stored style) at the size.
    QImage ItemImage(int index, QSize size, UINT state) const;

    // The user chose an item: keep it and tell the parent (control id,
    // kLineStylePickerChanged). Without a parent nothing is sent and the
    // indeterminate state stays.
    void OnSelchange();
    // Where the parent hears of a choice (its WM_COMMAND).
    using ParentNotify = std::function<void(int controlId, int code, CLineStylePicker *picker)>;
    void SetParentNotify(ParentNotify notify) { notify_ = std::move(notify); }

    // Counts the repaints the picker asked for (tests).
    int RepaintRequests() const { return repaints_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void requestRepaint();

    bool initialized_ = false;
    COLORREF color_ = 0;
    long style_ = 0;
    bool indeterminate_ = false;
    int repaints_ = 0;
    ParentNotify notify_;
};

// A push button that shows pictures instead of its text: the bitmap
// resources named after the button's text followed by "U" (up), "D" (down),
// "F" (focused) and "X" (disabled).
#pragma once

#include "platform/types.h"

#include <QAbstractButton>
#include <QImage>

class CBitmapPushButton : public QAbstractButton {
public:
    // The pictures come from the module's bitmaps (the engine library's by
    // default); call AutoLoadImages after setting the text.
    explicit CBitmapPushButton(QWidget *parent = nullptr);
    CBitmapPushButton(const QString &text, QWidget *parent, HINSTANCE module);

    // Loads the pictures of the current text again, sizes the button to the
    // picture plus twice the border and redraws it. False (and the button
    // keeps its size) when the text names no "U" picture.
    bool AutoLoadImages();
    // Options set before the button is shown: the raised or sunken frame
    // (default on) and the border width (default 5).
    void SetPushFrame(bool on) { pushFrame_ = on; }
    bool PushFrame() const { return pushFrame_; }
    void SetBorderWidth(int width) { border_ = width < 0 ? 0 : width; }
    int BorderWidth() const { return border_; }

    // The picture the button's state shows: down, disabled, focused or up
    // (the up picture when the state's own is missing).
    QImage CurrentImage() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    HINSTANCE module_;
    QImage up_, down_, focused_, disabled_;
    bool pushFrame_ = true;
    int border_ = 5;
};

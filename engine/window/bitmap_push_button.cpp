#include "engine/window/bitmap_push_button.h"

#include "engine/kernel/module_startup.h"
#include "platform/gdi_objects.h"
#include "platform/resources.h"
#include "platform/text_codec.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace {

QImage loadPicture(HINSTANCE module, const std::string &name)
{
    const HBITMAP bitmap = LoadBitmapA(module, name.c_str());
    if (!bitmap)
        return {};
    QImage image = GetBitmapImage(bitmap);
    DeleteObject(bitmap);
    return image;
}

} // namespace

CBitmapPushButton::CBitmapPushButton(QWidget *parent) : CBitmapPushButton(QString(), parent, MapInstance()) {}

CBitmapPushButton::CBitmapPushButton(const QString &text, QWidget *parent, HINSTANCE module)
    : QAbstractButton(parent), module_(module)
{
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapPushButton::AutoLoadImages()
{
    const std::string name = ToWindows1252(text());
    up_ = loadPicture(module_, name + "U");
    down_ = loadPicture(module_, name + "D");
    focused_ = loadPicture(module_, name + "F");
    disabled_ = loadPicture(module_, name + "X");
    update();
    if (up_.isNull())
        return false;
    setFixedSize(up_.width() + 2 * border_, up_.height() + 2 * border_);
    return true;
}

QImage CBitmapPushButton::CurrentImage() const
{
    const QImage *chosen = &up_;
    if (!isEnabled())
        chosen = &disabled_;
    else if (isDown())
        chosen = &down_;
    else if (hasFocus())
        chosen = &focused_;
    return chosen->isNull() ? up_ : *chosen;
}

QSize CBitmapPushButton::sizeHint() const
{
    if (up_.isNull())
        return {2 * border_ + 16, 2 * border_ + 16};
    return {up_.width() + 2 * border_, up_.height() + 2 * border_};
}

void CBitmapPushButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (pushFrame_) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    }
    const QImage image = CurrentImage();
    if (image.isNull())
        return;
    // A pressed button's picture moves down and right by one pixel.
    const int shift = pushFrame_ && isDown() ? 1 : 0;
    painter.drawImage(QPoint((width() - image.width()) / 2 + shift, (height() - image.height()) / 2 + shift),
                      image);
}

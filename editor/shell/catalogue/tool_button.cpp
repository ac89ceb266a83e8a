#include "editor/shell/catalogue/tool_button.h"

#include <QIcon>
#include <QPixmap>

TToolBtn::TToolBtn(QWidget *parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
}

void TToolBtn::SetLatched(bool latched)
{
    groupIndex_ = latched ? kLatchedGroupIndex : 0;
    allowAllUp_ = !latched;
    // A button that is not latched never stays down.
    setCheckable(latched);
    setChecked(latched);
}

void TToolBtn::nextCheckState()
{
    // Clicking a latched button keeps it down: only SetLatched(false)
    // releases it.
    if (Latched())
        setChecked(true);
    else
        QToolButton::nextCheckState();
}

void TToolBtn::SetCustomise(bool on)
{
    if (on == customise_)
        return;
    customise_ = on;
    if (on) {
        savedEnabled_ = isEnabled();
        setEnabled(true);
    } else {
        setEnabled(savedEnabled_);
    }
    if (Id == 1)
        setToolTip(on ? QStringLiteral("Spacer") : QString());
}

TToolBtnLite::TToolBtnLite(QWidget *parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(28, 28);
}

TToolItem::TToolItem(QObject *parent) : QAction(parent) {}

uint8_t ToolIdOf(QObject *object)
{
    if (auto *button = dynamic_cast<TToolBtn *>(object))
        return button->Id;
    if (auto *lite = dynamic_cast<TToolBtnLite *>(object))
        return lite->Id;
    if (auto *item = dynamic_cast<TToolItem *>(object))
        return item->Id;
    return 0;
}

namespace {

QIcon IconOfTwoFrames(const QPixmap &twoFrames)
{
    QIcon icon;
    if (twoFrames.isNull())
        return icon;
    const int w = twoFrames.width() / 2;
    icon.addPixmap(twoFrames.copy(0, 0, w, twoFrames.height()), QIcon::Normal);
    icon.addPixmap(twoFrames.copy(w, 0, w, twoFrames.height()), QIcon::Disabled);
    return icon;
}

} // namespace

void SetButtonGlyph(QAbstractButton &button, const QPixmap &twoFrames)
{
    button.setIcon(IconOfTwoFrames(twoFrames));
    if (!twoFrames.isNull())
        button.setIconSize(QSize(twoFrames.width() / 2, twoFrames.height()));
}

void SetActionGlyph(QAction &action, const QPixmap &twoFrames) { action.setIcon(IconOfTwoFrames(twoFrames)); }

#include "editor/shell/tools/ui_builder.h"

#include "editor/shell/tools/tool_base.h"

#include "platform/text_codec.h"

#include <QLabel>

namespace {

void SetParentShown(QWidget *control, QWidget *parent)
{
    if (control->parentWidget() == parent)
        return;
    control->setParent(parent);
    control->show();
}

} // namespace

void TUIBuilder::Place(QWidget *control, QWidget *container, int left, int top, int width, int height)
{
    if (!control)
        return;
    int x = 0;
    if (container) {
        SetParentShown(control, container);
        x = left == 0 ? Margin : left < 0 ? container->width() + left : left;
        if (width == 0)
            width = container->width() - x - Margin;
    } else {
        SetParentShown(control, tab_.data());
        if (width == 0)
            width = tab_ ? tab_->width() : control->width();
    }
    control->setGeometry(x, top, width, height > 0 ? height : control->height());
}

int TUIBuilder::RightOf(const QWidget *control) { return control->x() + control->width(); }

int TUIBuilder::Below(const QWidget *control) { return control->y() + control->height(); }

QLabel *TUIBuilder::AddCaption(const std::string &text, QWidget *control, bool above)
{
    if (!control)
        return nullptr;
    auto *label = new QLabel(FromWindows1252(text + " :"), control->parentWidget());
    label->adjustSize();
    if (above)
        label->move(control->x(), control->y() - 16);
    else
        label->move(control->x() - label->width() - 4, control->y() + control->height() / 2 - Margin);
    label->show();
    return label;
}

QLabel *TUIBuilder::NewLabel(const std::string &text)
{
    auto *label = new QLabel(FromWindows1252(text + " :"), tab_.data());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

#include "engine/window/settings/colour_chooser.h"

#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QVBoxLayout>

bool ChooseColour(QWidget *parent, COLORREF *colour)
{
    if (!colour)
        return false;
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ChooseColor"));
    dialog.setWindowTitle(QStringLiteral("Color"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *chooser = new QColorDialog(&dialog);
    chooser->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
    chooser->setWindowFlags(Qt::Widget);
    chooser->setCurrentColor(QColor(GetRValue(*colour), GetGValue(*colour), GetBValue(*colour)));
    layout->addWidget(chooser);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog] { dialog.done(IDOK); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, [&dialog] { dialog.done(IDCANCEL); });
    layout->addWidget(buttons);
    if (RunModalDialog(dialog, kColourChooserTemplate) != IDOK)
        return false;
    const QColor chosen = chooser->currentColor();
    *colour = RGB(BYTE(chosen.red()), BYTE(chosen.green()), BYTE(chosen.blue()));
    return true;
}

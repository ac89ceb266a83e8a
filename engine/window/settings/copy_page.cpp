#include "engine/window/settings/copy_page.h"

#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

} // namespace

CCopyDlg::CCopyDlg(const _WNDRES *rec, QWidget *parent) : QWidget(parent), model_(rec)
{
    setObjectName(QString::number(CopySettingsModel::kDialogId));
    setWindowTitle(QStringLiteral("Copy"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Bitmap width:")), 0, 0);
    grid->addWidget(bitmap_ = item(new QLineEdit, 1129), 0, 1);
    grid->addWidget(item(new QLabel(QStringLiteral("in pixels.")), 1137), 0, 2);
    grid->addWidget(new QLabel(FromWindows1252(model_.limitText())), 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Metafile width:")), 2, 0);
    grid->addWidget(metafile_ = item(new QLineEdit, 1128), 2, 1);
    grid->addWidget(unit_ = item(new QLabel, 1140), 2, 2);
    grid->addWidget(metric_ = item(new QRadioButton(QStringLiteral("Metrics")), 1132), 3, 1);
    grid->addWidget(inches_ = item(new QRadioButton(QStringLiteral("Inches")), 1133), 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("Screen width:")), 4, 0);
    grid->addWidget(item(new QLabel(QString::number(model_.screenWidth())), 1141), 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("Printer page width:")), 5, 0);
    grid->addWidget(item(new QLabel(QString::number(model_.printerWidth())), 1142), 5, 1);
    metric_->setChecked(true);
    connect(metric_, &QRadioButton::clicked, this, [this] {
        model_.SetInches(false);
        showValues();
    });
    connect(inches_, &QRadioButton::clicked, this, [this] {
        model_.SetInches(true);
        showValues();
    });
    connect(bitmap_, &QLineEdit::textEdited, this, [this] { model_.BitmapEdited(); });
    bitmap_->installEventFilter(this);
    metafile_->installEventFilter(this);
    showValues();
}

void CCopyDlg::showValues()
{
    bitmap_->setText(QString::number(model_.bitmapWidth()));
    metafile_->setText(QString::number(model_.metafileWidth(), 'f', 2));
    unit_->setText(FromWindows1252(model_.unitLabel()));
}

bool CCopyDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == bitmap_) {
            model_.BitmapLeft(ToWindows1252(bitmap_->text()));
            showValues();
        } else if (watched == metafile_) {
            model_.SetMetafileWidth(ToWindows1252(metafile_->text()));
            showValues();
        }
    }
    return QWidget::eventFilter(watched, event);
}

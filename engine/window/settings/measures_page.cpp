#include "engine/window/settings/measures_page.h"

#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

void fillUnits(QComboBox *combo, const std::vector<MeasuresSettingsModel::Unit> &units, int current)
{
    for (const auto &u : units) {
        combo->addItem(FromWindows1252(u.name), u.id);
        if (u.id == current)
            combo->setCurrentIndex(combo->count() - 1);
    }
}

} // namespace

CMeasureDlg::CMeasureDlg(_WNDRES *rec, QWidget *parent) : QWidget(parent), model_(rec)
{
    setObjectName(QString::number(MeasuresSettingsModel::kDialogId));
    setWindowTitle(QStringLiteral("Measures"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Area:")), 0, 0);
    grid->addWidget(area_ = item(new QComboBox, 111), 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Length:")), 1, 0);
    grid->addWidget(length_ = item(new QComboBox, 112), 1, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("UTM Zone : ")), 2, 0);
    grid->addWidget(zone_ = item(new QComboBox, 1218), 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Number of digits : ")), 3, 0);
    grid->addWidget(digits_ = item(new QLineEdit, 1226), 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("X :")), 4, 0);
    grid->addWidget(sizeX_ = item(new QLineEdit, 1263), 4, 1);
    grid->addWidget(unitX_ = item(new QLabel, 1269), 4, 2);
    grid->addWidget(new QLabel(QStringLiteral("Y :")), 5, 0);
    grid->addWidget(sizeY_ = item(new QLineEdit, 1264), 5, 1);
    grid->addWidget(unitY_ = item(new QLabel, 1270), 5, 2);

    fillUnits(area_, model_.areaUnits, model_.areaUnit);
    fillUnits(length_, model_.lengthUnits, model_.lengthUnit);
    for (int z = 1; z <= 71; ++z)
        zone_->addItem(QString::number(z));
    zone_->setCurrentIndex(model_.zone - 1);
    digits_->setText(QString::number(model_.digits));
    unitX_->setText(FromWindows1252(model_.sizeUnitLabel()));
    unitY_->setText(FromWindows1252(model_.sizeUnitLabel()));
    sizeX_->installEventFilter(this);
    sizeY_->installEventFilter(this);
    showSizes();
}

void CMeasureDlg::showSizes()
{
    sizeX_->setText(QString::number(model_.sizeX(), 'g', 10));
    sizeY_->setText(QString::number(model_.sizeY(), 'g', 10));
}

bool CMeasureDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        // A refused size puts the previous value back.
        if (watched == sizeX_)
            model_.SetSizeX(ToWindows1252(sizeX_->text()));
        else if (watched == sizeY_)
            model_.SetSizeY(ToWindows1252(sizeY_->text()));
        showSizes();
    }
    return QWidget::eventFilter(watched, event);
}

void CMeasureDlg::Apply()
{
    if (area_->currentIndex() >= 0)
        model_.areaUnit = area_->currentData().toInt();
    if (length_->currentIndex() >= 0)
        model_.lengthUnit = length_->currentData().toInt();
    model_.zone = zone_->currentIndex() + 1;
    bool ok = false;
    const int digits = digits_->text().trimmed().toInt(&ok);
    model_.digits = ok ? digits : 0;
    model_.SetSizeX(ToWindows1252(sizeX_->text()));
    model_.SetSizeY(ToWindows1252(sizeY_->text()));
    model_.Apply();
    zone_->setCurrentIndex(model_.zone - 1);
    digits_->setText(QString::number(model_.digits));
    showSizes();
}

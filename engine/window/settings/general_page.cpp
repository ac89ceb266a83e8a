#include "engine/window/settings/general_page.h"

#include "platform/modal_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

CGenSettings::CGenSettings(const _WNDRES *rec, QWidget *parent) : QWidget(parent), model_(rec)
{
    setObjectName(QString::number(GeneralSettingsModel::kDialogId));
    setWindowTitle(QStringLiteral("General"));
    auto *layout = new QVBoxLayout(this);
    auto *polygons = new QGroupBox(QStringLiteral("Delete Polygons after : "));
    auto *groups = new QGroupBox(QStringLiteral("Delete polygons in groups after : "));
    auto *polygonBox = new QVBoxLayout(polygons), *groupBox = new QVBoxLayout(groups);
    for (size_t i = 0; i < kGeneralSettings.size(); ++i) {
        const GeneralSetting &s = kGeneralSettings[i];
        auto *box = new QCheckBox(QString::fromLatin1(s.text));
        SetDialogItemId(box, s.control);
        box->setChecked(model_.checks[i] != 0);
        box->setVisible(s.shown);
        box->setEnabled(s.shown);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { model_.SetCheck(i, on); });
        if (i < 4)
            polygonBox->addWidget(box);
        else if (i < 8)
            groupBox->addWidget(box);
        else
            layout->addWidget(box);
    }
    layout->insertWidget(0, polygons);
    layout->insertWidget(1, groups);
    auto *polylines = new QGroupBox(QStringLiteral("Delete Polylines After Joining Into Polygons : "));
    auto *polylineBox = new QVBoxLayout(polylines);
    for (const auto &[id, text] : {std::pair{GeneralSettingsModel::kTwoTimesUsed, "Two Times Used "},
                                   std::pair{GeneralSettingsModel::kOnceOrMoreUsed, "Once Or More Used"}}) {
        auto *radio = new QRadioButton(QString::fromLatin1(text));
        SetDialogItemId(radio, id);
        radio->setChecked(model_.polylineRadio == id);
        connect(radio, &QRadioButton::clicked, this, [this, id = id] { model_.SetPolylineRadio(id); });
        polylineBox->addWidget(radio);
    }
    layout->insertWidget(2, polylines);
}

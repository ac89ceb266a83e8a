// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "engine/window/map_notifications.h"

#include "engine/view/dialogs/coordinate_system_dialog.h"

#include "engine/view/projection/datum_table.h"
#include "engine/view/projection/unit_table.h"
#include "engine/window/bitmap_push_button.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cstring>

namespace {

constexpr int kHelpId = 57670;

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

std::string unitLongName(int id)
{
    char buffer[200] = {};
    UnitStringGet(id, 0, buffer, int(sizeof buffer));
    return buffer;
}

} // namespace

CoordinateSystemModel::CoordinateSystemModel(int kind, int unit, int datum)
    : spheric_((kind & 4) != 0), unit_(unit), datum_(datum)
{
}

std::vector<int> CoordinateSystemModel::UnitIds() const
{
    const int mask = spheric_ ? UNIT_ANGLE : (UNIT_METRIC | UNIT_IMPERIAL);
    std::vector<int> ids;
    for (const tagUnitInfo *u = GetPtrUnitInfo(); u && u->id != -1; ++u)
        if (u->kind & mask)
            ids.push_back(u->id);
    return ids;
}

std::vector<std::string> CoordinateSystemModel::UnitNames() const
{
    std::vector<std::string> names;
    for (int id : UnitIds())
        names.push_back(unitLongName(id));
    return names;
}

int CoordinateSystemModel::UnitPosition() const
{
    const std::vector<int> ids = UnitIds();
    for (size_t i = 0; i < ids.size(); ++i)
        if (ids[i] == unit_)
            return int(i);
    return -1;
}

void CoordinateSystemModel::ChooseUnit(const std::string &longName)
{
    for (int id : UnitIds())
        if (unitLongName(id) == longName) {
            unit_ = id;
            return;
        }
}

std::vector<std::string> CoordinateSystemModel::DatumNames()
{
    std::vector<std::string> names;
    const DatumInfo *table = DatumTable();
    for (int row = 0; row < kDatumRowCount && table[row].name[0]; ++row)
        names.emplace_back(table[row].name, strnlen(table[row].name, sizeof table[row].name));
    return names;
}

std::string CoordinateSystemModel::Ellipsoid() const
{
    if (datum_ <= 0 || datum_ >= kDatumRowCount)
        return "";
    const DatumInfo &d = DatumTable()[datum_];
    return std::string(d.ellipsoid, strnlen(d.ellipsoid, sizeof d.ellipsoid));
}

// ---------------------------------------------------------------------------

CCoordSystemDlg::CCoordSystemDlg(CoordinateSystemModel &model, HWND helpTarget, QWidget *parent)
    : QDialog(parent), model_(model), helpTarget_(helpTarget)
{
    setObjectName(QStringLiteral("140"));
    setWindowTitle(QStringLiteral("Coordinate system"));
    auto *grid = new QGridLayout(this);

    auto *kindBox = new QGroupBox(QStringLiteral("Co-ordinate system"));
    auto *kindLayout = new QHBoxLayout(kindBox);
    auto *radios = new QVBoxLayout;
    radios->addWidget(spheric_ = item(new QRadioButton(QStringLiteral("Spheric")), 601));
    radios->addWidget(cartesian_ = item(new QRadioButton(QStringLiteral("Cartesian")), 602));
    kindLayout->addLayout(radios);
    picture_ = item(new CBitmapPushButton(this), 624);
    picture_->SetPushFrame(false);
    kindLayout->addWidget(picture_);
    grid->addWidget(kindBox, 0, 0);

    auto *datumBox = new QGroupBox(QStringLiteral("Datum"));
    auto *datumLayout = new QGridLayout(datumBox);
    datumLayout->addWidget(datums_ = item(new QComboBox, 614), 0, 0, 1, 2);
    datums_->setEditable(true);
    datums_->setInsertPolicy(QComboBox::NoInsert);
    datumLayout->addWidget(new QLabel(QStringLiteral("Ellipsoid:")), 1, 0);
    datumLayout->addWidget(ellipsoid_ = item(new QLabel, 631), 1, 1);
    grid->addWidget(datumBox, 1, 0);

    auto *unitBox = new QGroupBox(QStringLiteral("Units"));
    auto *unitLayout = new QVBoxLayout(unitBox);
    unitLayout->addWidget(units_ = item(new QComboBox, 625));
    units_->setEditable(true);
    units_->setInsertPolicy(QComboBox::NoInsert);
    grid->addWidget(unitBox, 2, 0);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok_ = item(new QPushButton(QStringLiteral("OK")), IDOK));
    ok_->setDefault(true);
    auto *cancel = item(new QPushButton(QStringLiteral("Cancel")), IDCANCEL);
    auto *help = item(new QPushButton(QStringLiteral("&Help")), kHelpId);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 3, 1);

    for (const std::string &name : CoordinateSystemModel::DatumNames())
        datums_->addItem(FromWindows1252(name));
    (model_.Spheric() ? spheric_ : cartesian_)->setChecked(true);
    showState();

    auto kindClicked = [this] {
        model_.SetSpheric(spheric_->isChecked());
        showState();
    };
    connect(spheric_, &QRadioButton::clicked, this, kindClicked);
    connect(cartesian_, &QRadioButton::clicked, this, kindClicked);
    connect(units_, &QComboBox::activated, this, [this](int) {
        model_.ChooseUnit(ToWindows1252(units_->currentText()));
        ok_->setEnabled(model_.CanAccept());
    });
    connect(datums_, &QComboBox::activated, this, [this](int row) {
        model_.ChooseDatum(row);
        ellipsoid_->setText(FromWindows1252(model_.Ellipsoid()));
    });
    connect(ok_, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(helpTarget_, kTemplateId); });
}

void CCoordSystemDlg::showState()
{
    picture_->setText(QString::fromLatin1(model_.PictureName()));
    picture_->AutoLoadImages();
    const QSignalBlocker blockUnits(units_), blockDatums(datums_);
    units_->clear();
    for (const std::string &name : model_.UnitNames())
        units_->addItem(FromWindows1252(name));
    units_->setCurrentIndex(model_.UnitPosition());
    ok_->setEnabled(model_.CanAccept());
    datums_->setCurrentIndex(model_.Datum() < datums_->count() ? model_.Datum() : -1);
    ellipsoid_->setText(FromWindows1252(model_.Ellipsoid()));
}

int CCoordSystemDlg::DoModal() { return RunModalDialog(*this, kTemplateId); }

int EditCoordinateSystem(int *kind, int *unit, int *datum, HWND helpTarget, QWidget *parent)
{
    if (!kind || !unit || !datum)
        return IDCANCEL;
    CoordinateSystemModel model(*kind, *unit, *datum);
    CCoordSystemDlg dlg(model, helpTarget, parent);
    if (dlg.DoModal() != IDOK)
        return IDCANCEL;
    *kind = model.Kind();
    *unit = model.Unit();
    *datum = model.Datum();
    return IDOK;
}

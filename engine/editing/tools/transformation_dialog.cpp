#include "engine/editing/tools/transformation_dialog.h"

#include "engine/window/map_notifications.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TransformationDialog::TransformationDialog(TransformationModel &model, QWidget *parent)
    : QDialog(parent), model_(model)
{
    setWindowTitle("Transformation");
    auto edit = [this](int id) {
        auto *e = new QLineEdit(this);
        SetDialogItemId(e, id);
        return e;
    };
    auto label = [this](const char *text, int id) {
        auto *l = new QLabel(QString::fromLatin1(text), this);
        if (id)
            SetDialogItemId(l, id);
        return l;
    };
    centreX_ = edit(1005);
    centreY_ = edit(1001);
    scaleX_ = edit(1056);
    scaleY_ = edit(1058);
    angle_ = edit(1007);
    shiftX_ = edit(1000);
    shiftY_ = edit(1006);
    scaleXLabel_ = label("Scale &X:", 1055);
    scaleYLabel_ = label("Scale &Y:", 1057);
    angleLabel_ = label("A&ngle:", 1014);
    scale_ = new QCheckBox("Sca&le free", this);
    SetDialogItemId(scale_, 1013);
    rotate_ = new QCheckBox("&Rotate free", this);
    SetDialogItemId(rotate_, 1012);

    auto *centre = new QGroupBox("Centre of Operation", this);
    auto *cl = new QGridLayout(centre);
    cl->addWidget(label("&X Pos.:", 0), 0, 0);
    cl->addWidget(centreX_, 0, 1);
    cl->addWidget(label("&Y Pos.:", 0), 1, 0);
    cl->addWidget(centreY_, 1, 1);
    auto *geometry = new QGroupBox("Geometric Operation", this);
    auto *gl = new QGridLayout(geometry);
    gl->addWidget(scale_, 0, 0, 1, 2);
    gl->addWidget(scaleXLabel_, 1, 0);
    gl->addWidget(scaleX_, 1, 1);
    gl->addWidget(scaleYLabel_, 2, 0);
    gl->addWidget(scaleY_, 2, 1);
    gl->addWidget(rotate_, 3, 0, 1, 2);
    gl->addWidget(angleLabel_, 4, 0);
    gl->addWidget(angle_, 4, 1);
    gl->addWidget(label("M&ove X:", 0), 5, 0);
    gl->addWidget(shiftX_, 5, 1);
    gl->addWidget(label("Mo&ve Y:", 0), 6, 0);
    gl->addWidget(shiftY_, 6, 1);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    QPushButton *help = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    SetDialogItemId(ok, IDOK);
    SetDialogItemId(cancel, IDCANCEL);
    SetDialogItemId(help, 57670);
    ok->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(centre);
    layout->addWidget(geometry);
    layout->addWidget(buttons);

    const TransformationValues &v = model_.Initial();
    auto put = [](QLineEdit *e, const std::string &t) { e->setText(FromWindows1252(t)); };
    put(centreX_, model_.CoordinateText(v.centreX));
    put(centreY_, model_.CoordinateText(v.centreY));
    put(shiftX_, model_.CoordinateText(v.shiftX));
    put(shiftY_, model_.CoordinateText(v.shiftY));
    put(scaleX_, model_.NumberText(v.scaleX));
    put(scaleY_, model_.NumberText(v.scaleX));
    put(angle_, model_.NumberText(v.angle));
    rotate_->setChecked(v.rotateFree);
    scale_->setChecked(v.scaleFree);
    enableAngle(v.rotateFree);
    enableScale(v.scaleFree);

    connect(rotate_, &QCheckBox::toggled, this, [this](bool on) { enableAngle(on); });
    connect(scale_, &QCheckBox::toggled, this, [this](bool on) { enableScale(on); });
    // An edited field is read back and shown as it was understood.
    for (QLineEdit *e : {centreX_, centreY_, shiftX_, shiftY_})
        connect(e, &QLineEdit::editingFinished, this, [this, e, put] {
            if (!e->isModified())
                return;
            int32_t value = 0;
            if (model_.ParseCoordinate(ToWindows1252(e->text()), &value))
                put(e, model_.CoordinateText(value));
            e->setModified(false);
        });
    for (QLineEdit *e : {scaleX_, scaleY_})
        connect(e, &QLineEdit::editingFinished, this, [this, e, put] {
            if (e->isModified())
                put(e, model_.NumberText(model_.ParseScale(ToWindows1252(e->text()))));
            e->setModified(false);
        });
    connect(angle_, &QLineEdit::editingFinished, this, [this, put] {
        if (angle_->isModified())
            put(angle_, model_.NumberText(model_.ParseNumber(ToWindows1252(angle_->text()))));
        angle_->setModified(false);
    });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(model_.Window(), kHelpId); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(ok, &QPushButton::clicked, this, [this] {
        model_.Apply(Values());
        done(IDOK);
    });
}

void TransformationDialog::enableAngle(bool on)
{
    angle_->setEnabled(on);
    angleLabel_->setEnabled(on);
}

void TransformationDialog::enableScale(bool on)
{
    for (QWidget *w : {static_cast<QWidget *>(scaleX_), static_cast<QWidget *>(scaleY_),
                       static_cast<QWidget *>(scaleXLabel_), static_cast<QWidget *>(scaleYLabel_)})
        w->setEnabled(on);
}

TransformationValues TransformationDialog::Values() const
{
    TransformationValues v;
    auto coordinate = [this](QLineEdit *e) {
        int32_t value = 0;
        model_.ParseCoordinate(ToWindows1252(e->text()).substr(0, 47), &value);
        return value;
    };
    v.centreX = coordinate(centreX_);
    v.centreY = coordinate(centreY_);
    v.shiftX = coordinate(shiftX_);
    v.shiftY = coordinate(shiftY_);
    v.scaleX = model_.ParseScale(ToWindows1252(scaleX_->text()));
    v.scaleY = model_.ParseScale(ToWindows1252(scaleY_->text()));
    v.angle = model_.ParseNumber(ToWindows1252(angle_->text()));
    v.rotateFree = rotate_->isChecked();
    v.scaleFree = scale_->isChecked();
    return v;
}

int Transformation(HWND window)
{
    TransformationModel model(window);
    TransformationDialog dialog(model);
    RunModalDialog(dialog, TransformationDialog::kTemplateId);
    return 1;
}

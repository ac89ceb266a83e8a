#include "engine/window/settings/selection_page.h"

#include "engine/view/dialogs/line_style_picker.h"
#include "engine/window/settings/colour_chooser.h"
#include "platform/modal_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>

namespace {

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

} // namespace

ColourSwatch::ColourSwatch(QWidget *parent) : QWidget(parent) { setMinimumSize(40, 16); }

void ColourSwatch::SetColour(COLORREF colour)
{
    colour_ = colour;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(GetRValue(colour_), GetGValue(colour_), GetBValue(colour_)));
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick_)
        onClick_();
}

CSelSettings::CSelSettings(_WNDRES *rec, QWidget *parent) : QWidget(parent), model_(rec)
{
    setObjectName(QString::number(SelectionSettingsModel::kDialogId));
    setWindowTitle(QStringLiteral("Selection"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Co&lor:")), 0, 0);
    grid->addWidget(swatch_ = item(new ColourSwatch, 1056), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("&Style:")), 1, 0);
    grid->addWidget(picker_ = item(new CLineStylePicker(this), 1030), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("&Width:")), 2, 0);
    auto *width = item(new QSpinBox, 1063);
    SetDialogItemId(width->findChild<QWidget *>(), 1033); // the spin's edit
    grid->addWidget(width, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("&Radius:")), 3, 0);
    auto *radius = item(new QSpinBox, 1055);
    SetDialogItemId(radius->findChild<QWidget *>(), 1053);
    grid->addWidget(radius, 3, 1);

    const auto radioGroup = [this, grid](const char *title, int row, int first, const char *firstText,
                                         int second, const char *secondText, int checked) {
        auto *box = new QGroupBox(QString::fromLatin1(title));
        auto *layout = new QHBoxLayout(box);
        auto *group = new QButtonGroup(box);
        for (const auto &[id, text] : {std::pair{first, firstText}, std::pair{second, secondText}}) {
            auto *radio = item(new QRadioButton(QString::fromLatin1(text)), id);
            radio->setChecked(id == checked);
            group->addButton(radio);
            layout->addWidget(radio);
            connect(radio, &QRadioButton::clicked, this, [this, id = id] { model_.SetRadio(id); });
        }
        grid->addWidget(box, row, 0, 1, 2);
    };
    radioGroup("", 4, SelectionSettingsModel::kPixels, "&Pixels", SelectionSettingsModel::kUnits, "&Units",
               model_.widthRadio);
    radioGroup("&Endings", 5, SelectionSettingsModel::kEndingFirst, "", SelectionSettingsModel::kEndingSecond,
               "", model_.endingRadio);
    radioGroup("C&orners", 6, SelectionSettingsModel::kCornerFirst, "", SelectionSettingsModel::kCornerSecond,
               "", model_.cornerRadio);
    auto *nodes = new QGroupBox(QStringLiteral("Nodes"));
    auto *nodesLayout = new QHBoxLayout(nodes);
    auto *show = item(new QCheckBox(QStringLiteral("S&how")), 1052);
    nodesLayout->addWidget(show);
    grid->addWidget(nodes, 7, 0, 1, 2);
    auto *cursor = item(new QCheckBox(QStringLiteral("&Change Cursor")), 1051);
    grid->addWidget(cursor, 8, 0, 1, 2);

    swatch_->SetColour(model_.colour);
    swatch_->SetOnClick([this] {
        COLORREF colour = model_.colour;
        if (ChooseColour(this, &colour)) {
            model_.SetColour(colour);
            swatch_->SetColour(colour);
            picker_->SetColor(colour);
        }
    });
    picker_->SetColor(model_.colour);
    picker_->SetStyle(model_.StyleIndex());
    picker_->Initialize();
    picker_->SetParentNotify(
        [this](int, int, CLineStylePicker *p) { model_.SetStyleIndex(int(p->GetStyle())); });
    width->setRange(0, SelectionSettingsModel::kMaxWidth);
    width->setValue(model_.width);
    connect(width, &QSpinBox::valueChanged, this, [this](int v) { model_.SetWidth(v); });
    radius->setRange(0, SelectionSettingsModel::kMaxRadius);
    radius->setValue(model_.radius);
    connect(radius, &QSpinBox::valueChanged, this, [this](int v) { model_.SetRadius(v); });
    show->setChecked(model_.showNodes != 0);
    connect(show, &QCheckBox::toggled, this, [this](bool on) {
        model_.showNodes = on ? 1 : 0;
        model_.modified = true;
    });
    cursor->setChecked(model_.changeCursor != 0);
    connect(cursor, &QCheckBox::toggled, this, [this](bool on) {
        model_.changeCursor = on ? 1 : 0;
        model_.modified = true;
    });
}

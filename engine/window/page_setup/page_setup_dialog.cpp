#include "engine/window/page_setup/page_setup_dialog.h"

#include "engine/kernel/module_startup.h"
#include "engine/kernel/undo.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/resources.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The template's size in dialog units.
constexpr int kWidthDu = 220;
constexpr int kHeightDu = 208;
constexpr int kIconSize = 32;

} // namespace

PageSetupDialog::PageSetupDialog(PageSetupDialogModel &model, QWidget *parent)
    : QDialog(parent), model_(model)
{
    setObjectName(QStringLiteral("PageSetupDialog"));
    setWindowTitle(QStringLiteral("Page Setup"));
    // The template's font size; dialog units from the font's average
    // character: a quarter of its
    // width across, an eighth of its height down.
    QFont templateFont = font();
    templateFont.setPointSize(8);
    setFont(templateFont);
    const QFontMetrics fm(templateFont);
    unitX_ = fm.averageCharWidth() / 4.0;
    unitY_ = fm.height() / 8.0;
    setFixedSize(int(kWidthDu * unitX_), int(kHeightDu * unitY_));

    QLabel *paperLabel = addLabel("Paper si&ze:", 101, 11, 8, 44, 8);
    papers_ = new QComboBox(this);
    paperLabel->setBuddy(papers_);
    SetDialogItemId(papers_, 100);
    place(papers_, 10, 20, 94, 12);
    for (const std::string &name : model_.PaperNames())
        papers_->addItem(FromWindows1252(name));
    connect(papers_, &QComboBox::activated, this, [this](int index) {
        model_.ChoosePaper(index);
        Refresh();
    });
    widthLabel_ = addLabel("&Width:", 121, 20, 40, 27, 8);
    widthLabel_->setBuddy(addBox(PageSetupBox::PaperWidth, 119, 58, 36, 46, 12));
    heightLabel_ = addLabel("&Height:", 122, 19, 52, 28, 8);
    heightLabel_->setBuddy(addBox(PageSetupBox::PaperHeight, 120, 58, 50, 46, 12));

    place(new QGroupBox(QStringLiteral("Margins:"), this), 111, 8, 98, 73);
    addLabel("Le&ft:", 127, 117, 23, 26, 8)->setBuddy(addBox(PageSetupBox::LeftMargin, 126, 156, 20, 46, 12));
    addLabel("&Top:", 128, 117, 36, 26, 8)->setBuddy(addBox(PageSetupBox::TopMargin, 132, 156, 34, 46, 12));
    addLabel("&Right:", 129, 117, 50, 26, 8)
        ->setBuddy(addBox(PageSetupBox::RightMargin, 131, 156, 48, 46, 12));
    addLabel("&Bottom:", 130, 117, 64, 26, 8)
        ->setBuddy(addBox(PageSetupBox::BottomMargin, 133, 156, 62, 46, 12));

    auto *orientation = new QGroupBox(QStringLiteral("Orientation"), this);
    SetDialogItemId(orientation, 142);
    place(orientation, 10, 82, 96, 42);
    portrait_ = new QRadioButton(QStringLiteral("Portr&ait"), this);
    SetDialogItemId(portrait_, 102);
    place(portrait_, 52, 94, 50, 10);
    landscape_ = new QRadioButton(QStringLiteral("&Landscape"), this);
    SetDialogItemId(landscape_, 103);
    place(landscape_, 52, 108, 50, 10);
    auto *radios = new QButtonGroup(this);
    radios->addButton(portrait_, 0);
    radios->addButton(landscape_, 1);
    connect(radios, &QButtonGroup::idClicked, this, [this](int index) {
        model_.ChooseOrientation(index);
        Refresh();
    });

    place(new QGroupBox(QStringLiteral("Scale"), this), 111, 82, 98, 42);
    addLabel("&Paper:", 141, 114, 94, 42, 8)
        ->setBuddy(addBox(PageSetupBox::ScalePaper, 115, 114, 104, 40, 12));
    addLabel("&Map:", 140, 163, 94, 40, 8)->setBuddy(addBox(PageSetupBox::ScaleMap, 116, 162, 104, 42, 12));
    addLabel(":", 0, 154, 105, 8, 12);

    place(new QGroupBox(QStringLiteral("Page measurements"), this), 10, 138, 200, 46);
    addLabel("&X Origin:", 136, 14, 152, 42, 8)
        ->setBuddy(addBox(PageSetupBox::XOrigin, 138, 58, 150, 46, 12));
    addLabel("&Y Origin:", 134, 14, 166, 42, 8)
        ->setBuddy(addBox(PageSetupBox::YOrigin, 137, 58, 164, 46, 12));
    addLabel("X &Extension:", 125, 108, 152, 42, 8)
        ->setBuddy(addBox(PageSetupBox::XExtension, 139, 156, 150, 46, 12));
    addLabel("Y Extensi&on:", 124, 108, 166, 42, 8)
        ->setBuddy(addBox(PageSetupBox::YExtension, 123, 156, 164, 46, 12));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    SetDialogItemId(ok, IDOK);
    ok->setDefault(true);
    place(ok, 12, 188, 45, 14);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetDialogItemId(cancel, IDCANCEL);
    place(cancel, 62, 188, 45, 14);
    auto *help = new QPushButton(QStringLiteral("&Help"), this);
    SetDialogItemId(help, 1072);
    place(help, 112, 188, 45, 14);
    apply_ = new QPushButton(QStringLiteral("&Apply"), this);
    SetDialogItemId(apply_, 1247);
    place(apply_, 162, 188, 47, 14);

    icon_ = new QPushButton(this);
    SetDialogItemId(icon_, 114);
    place(icon_, 16, 92, 32, 28);
    icon_->setFlat(true);
    connect(icon_, &QPushButton::clicked, this, [this] {
        model_.TurnPage();
        Refresh();
    });

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    place(line, 9, 133, 200, 2);

    connect(ok, &QPushButton::clicked, this, [this] {
        withWaitCursor(&PageSetupDialogModel::Accept);
        done(IDOK);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(help, &QPushButton::clicked, this, [this] { model_.Help(); });
    connect(apply_, &QPushButton::clicked, this, [this] {
        withWaitCursor(&PageSetupDialogModel::ApplyNow);
        Refresh();
    });

    model_.Open();
    Refresh();
}

void PageSetupDialog::place(QWidget *w, int x, int y, int width, int height)
{
    w->setGeometry(int(x * unitX_), int(y * unitY_), int(width * unitX_), int(height * unitY_));
}

QLabel *PageSetupDialog::addLabel(const char *text, int id, int x, int y, int w, int h)
{
    auto *label = new QLabel(QString::fromLatin1(text), this);
    if (id)
        SetDialogItemId(label, id);
    place(label, x, y, w, h);
    return label;
}

QLineEdit *PageSetupDialog::addBox(PageSetupBox box, int id, int x, int y, int w, int h)
{
    auto *edit = new QLineEdit(this);
    SetDialogItemId(edit, id);
    place(edit, x, y, w, h);
    boxes_[size_t(box)] = edit;
    connect(edit, &QLineEdit::textEdited, this, [this, box](const QString &text) {
        model_.Type(box, ToWindows1252(text));
        apply_->setEnabled(model_.ApplyEnabled());
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, box] {
        model_.Leave(box);
        Refresh();
    });
    return edit;
}

void PageSetupDialog::withWaitCursor(void (PageSetupDialogModel::*action)())
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    (model_.*action)();
    QApplication::restoreOverrideCursor();
}

void PageSetupDialog::Refresh()
{
    papers_->setCurrentIndex(model_.PaperIndex());
    const bool sizes = model_.SizeBoxesEnabled();
    for (QWidget *w : {static_cast<QWidget *>(widthLabel_), static_cast<QWidget *>(heightLabel_),
                       static_cast<QWidget *>(boxes_[size_t(PageSetupBox::PaperWidth)]),
                       static_cast<QWidget *>(boxes_[size_t(PageSetupBox::PaperHeight)])})
        w->setEnabled(sizes);
    (model_.OrientationIndex() == 0 ? portrait_ : landscape_)->setChecked(true);
    for (size_t i = 0; i < kPageSetupBoxCount; ++i) {
        // Text still being typed stays as the user left it.
        if (!model_.Edited(PageSetupBox(i)))
            boxes_[i]->setText(FromWindows1252(model_.Text(PageSetupBox(i))));
    }
    apply_->setEnabled(model_.ApplyEnabled());
    const QImage image = IconImage(LoadIconA(MapInstance(), model_.OrientationIcon()));
    icon_->setIcon(QIcon(QPixmap::fromImage(image)));
    icon_->setIconSize(QSize(kIconSize, kIconSize));
    icon_->setProperty("iconName", QString::fromLatin1(model_.OrientationIcon()));
}

int RunPageSetupDialog(HWND window, int undo)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return 0;
    auto pageSet = std::make_unique<CPageSet>(rec, undo, UNDO_OP_PAGE_SETUP, 1);
    if (pageSet->Failed())
        return 0;
    PageSetupDialogModel model(rec, std::move(pageSet));
    PageSetupDialog dialog(model);
    return RunModalDialog(dialog, PAGE_SETUP_TEMPLATE);
}

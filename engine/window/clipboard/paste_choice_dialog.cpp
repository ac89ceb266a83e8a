#include "engine/window/clipboard/paste_choice_dialog.h"

#include "engine/kernel/module_startup.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

PasteSpecialModel::PasteSpecialModel()
    : captions{LoadStringMapOr(756, "Bitmap"), LoadStringMapOr(757, "Enhaced Metafile"),
               LoadStringMapOr(758, "GORM Object"), LoadStringMapOr(759, "Text")}
{
}

std::vector<std::string> PasteSpecialModel::Lines() const
{
    std::vector<std::string> lines;
    if (bitmapAvailable)
        lines.push_back(captions[0]);
    if (objectsAvailable)
        lines.push_back(captions[2]);
    if (textAvailable)
        lines.push_back(captions[3]);
    return lines;
}

void PasteSpecialModel::ClickPaste()
{
    pasteNow = 1;
    optionsRadio = 0;
}

void PasteSpecialModel::ClickPasteHere()
{
    pasteNow = 0;
    optionsRadio = 1;
}

void PasteSpecialModel::Choose(const std::string &line)
{
    chosenText = line;
    pasteKind = None;
    for (int i = 0; i < 4; ++i)
        if (line == captions[i])
            pasteKind = Bitmap + i;
}

void PasteSpecialModel::Cancel() { pasteKind = None; }

PasteSpecialDialog::PasteSpecialDialog(PasteSpecialModel &model, QWidget *parent)
    : QDialog(parent), model_(model)
{
    setWindowTitle(QStringLiteral("Paste Special"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Paste from clipboard as :"), this));
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    SetDialogItemId(list_, PASTE_SPECIAL_LIST);
    for (const std::string &line : model.Lines())
        list_->addItem(FromWindows1252(line));
    if (list_->count())
        list_->setCurrentRow(0);
    layout->addWidget(list_);
    auto *group = new QGroupBox(QStringLiteral("Paste Options :"), this);
    auto *options = new QVBoxLayout(group);
    paste_ = new QRadioButton(QStringLiteral("Paste"), group);
    pasteHere_ = new QRadioButton(QStringLiteral("Paste Here"), group);
    SetDialogItemId(paste_, PASTE_SPECIAL_PASTE);
    SetDialogItemId(pasteHere_, PASTE_SPECIAL_PASTE_HERE);
    (model.optionsRadio ? pasteHere_ : paste_)->setChecked(true);
    options->addWidget(paste_);
    options->addWidget(pasteHere_);
    layout->addWidget(group);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    SetDialogItemId(buttons->button(QDialogButtonBox::Ok), IDOK);
    SetDialogItemId(buttons->button(QDialogButtonBox::Cancel), IDCANCEL);
    layout->addWidget(buttons);
    connect(paste_, &QRadioButton::clicked, this, [this] { model_.ClickPaste(); });
    connect(pasteHere_, &QRadioButton::clicked, this, [this] { model_.ClickPasteHere(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &PasteSpecialDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PasteSpecialDialog::reject);
}

void PasteSpecialDialog::accept()
{
    const QListWidgetItem *item = list_->currentItem();
    model_.Choose(item ? ToWindows1252(item->text()) : std::string());
    done(IDOK);
}

void PasteSpecialDialog::reject()
{
    model_.Cancel();
    QDialog::reject();
}

int RunPasteSpecialDialog(HWND, PasteSpecialModel &model)
{
    PasteSpecialDialog dialog(model);
    const int result = RunModalDialog(dialog, PASTE_SPECIAL_TEMPLATE);
    if (result != IDOK)
        model.Cancel();
    return result;
}

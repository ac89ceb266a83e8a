#include "engine/window/dialogs/identifier_dialog.h"

#include "engine/kernel/map_notify_codes.h"
#include "engine/window/map_notifications.h"
#include "engine/window/window_selection.h"
#include "platform/beep.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"
#include "platform/window.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

// Draws a one-pixel black frame around the item that the typed search hit.
class FramedItemDelegate : public QStyledItemDelegate {
public:
    FramedItemDelegate(const IdentifierDialogModel &model, QObject *parent)
        : QStyledItemDelegate(parent), model_(model)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.row() == model_.framedItem()) {
            painter->save();
            painter->setPen(Qt::black);
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
    }

private:
    const IdentifierDialogModel &model_;
};

Qt::CheckState checkState(IdCheck c)
{
    return c == IdCheck::Checked         ? Qt::Checked
           : c == IdCheck::Indeterminate ? Qt::PartiallyChecked
                                         : Qt::Unchecked;
}

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

int selectedObjects(HWND window)
{
    int32_t count = 0;
    map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
    return count;
}

} // namespace

CIdDlg::CIdDlg(IdentifierDialogModel &model, QWidget *parent) : QDialog(parent), model_(model)
{
    setObjectName(QStringLiteral("IDDlg"));
    setWindowTitle(FromWindows1252(model_.caption()));
    auto *grid = new QGridLayout(this);
    grid->addWidget(item(new QLabel(QStringLiteral("&Primary:")), IDC_IDDLG_PRIMARY_LABEL), 0, 0);
    grid->addWidget(code_ = item(new QLineEdit, IDC_IDDLG_CODE), 0, 1);
    grid->addWidget(item(new QLabel(QStringLiteral("&Secondary:")), IDC_IDDLG_SECONDARY_LABEL), 1, 0);
    grid->addWidget(name_ = item(new QLineEdit, IDC_IDDLG_NAME), 1, 1);
    code_->setMaxLength(12);
    name_->setMaxLength(32);
    grid->addWidget(item(new QLabel(QStringLiteral("&Existing identifiers:")), IDC_IDDLG_EXISTING_LABEL), 2,
                    0, 1, 2);
    grid->addWidget(list_ = item(new QListWidget, IDC_IDDLG_LIST), 3, 0, 1, 2);
    list_->setSelectionMode(model_.objectMode() ? QAbstractItemView::SingleSelection
                                                : QAbstractItemView::ExtendedSelection);
    list_->setItemDelegate(new FramedItemDelegate(model_, list_));
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto *orders = new QHBoxLayout;
    auto *order = item(new QGroupBox(QStringLiteral("&Order")), IDC_IDDLG_ORDER_GROUP);
    auto *orderBox = new QVBoxLayout(order);
    orderBox->addWidget(codeFirst_ = item(new QRadioButton(QStringLiteral("Primary, secondary")),
                                          IDC_IDDLG_ORDER_CODE_FIRST));
    orderBox->addWidget(nameFirst_ = item(new QRadioButton(QStringLiteral("Secondary, primary")),
                                          IDC_IDDLG_ORDER_NAME_FIRST));
    auto *texts = item(new QGroupBox(QStringLiteral("&Text Object")), IDC_IDDLG_TEXT_GROUP);
    auto *textBox = new QVBoxLayout(texts);
    textBox->addWidget(showCode_ =
                           item(new QCheckBox(QStringLiteral("Include primary ID")), IDC_IDDLG_SHOW_CODE));
    textBox->addWidget(showName_ =
                           item(new QCheckBox(QStringLiteral("Include secondary ID")), IDC_IDDLG_SHOW_NAME));
    orders->addWidget(order);
    orders->addWidget(texts);
    grid->addLayout(orders, 4, 0, 1, 2);

    auto *buttons = new QVBoxLayout;
    auto *ok = item(new QPushButton(QStringLiteral("OK")), IDOK);
    ok->setDefault(true);
    auto *cancel = item(new QPushButton(QStringLiteral("Cancel")), IDCANCEL);
    auto *help = item(new QPushButton(QStringLiteral("&Help")), IDC_IDDLG_HELP);
    delete_ = item(new QPushButton(QStringLiteral("&Delete")), IDC_IDDLG_DELETE);
    for (QPushButton *b : {ok, cancel, help})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(delete_);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 5, 1);

    // The boxes are clicked, not toggled by Qt: the model decides the state.
    for (QCheckBox *box : {showCode_, showName_}) {
        box->setTristate(!model_.objectMode());
        box->setFocusPolicy(Qt::StrongFocus);
    }
    connect(showCode_, &QCheckBox::clicked, this, [this] {
        model_.ClickTextOption(IDC_IDDLG_SHOW_CODE);
        showState();
    });
    connect(showName_, &QCheckBox::clicked, this, [this] {
        model_.ClickTextOption(IDC_IDDLG_SHOW_NAME);
        showState();
    });
    connect(codeFirst_, &QRadioButton::clicked, this, [this] {
        model_.SetOrder(0);
        showState();
    });
    connect(nameFirst_, &QRadioButton::clicked, this, [this] {
        model_.SetOrder(1);
        showState();
    });
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] { listSelectionChanged(); });
    for (QLineEdit *edit : {code_, name_}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this] {
            model_.code = ToWindows1252(code_->text());
            model_.name = ToWindows1252(name_->text());
            model_.EditTextChanged();
            list_->viewport()->update();
            if (model_.framedItem() >= 0)
                list_->scrollToItem(list_->item(model_.framedItem()), QAbstractItemView::PositionAtTop);
        });
    }
    list_->installEventFilter(this);
    connect(delete_, &QPushButton::clicked, this, [this] {
        if (model_.Delete()) {
            code_->clear();
            name_->clear();
            done(IDOK);
            return;
        }
        showState();
    });
    connect(ok, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(model_.window(), IDDLG_HELP_TOPIC); });
    showState();
}

void CIdDlg::listSelectionChanged()
{
    std::set<int> chosen;
    for (QListWidgetItem *i : list_->selectedItems())
        chosen.insert(list_->row(i));
    model_.SelectItems(chosen);
    showState();
}

void CIdDlg::showState()
{
    const QSignalBlocker blockList(list_);
    list_->clear();
    for (const IdDlgItem &i : model_.items())
        list_->addItem(FromWindows1252(i.text));
    for (int s : model_.selection())
        list_->item(s)->setSelected(true);
    if (model_.objectMode() && !model_.selection().empty())
        list_->setCurrentRow(*model_.selection().begin(), QItemSelectionModel::NoUpdate);
    codeFirst_->setChecked(model_.order() == 0);
    nameFirst_->setChecked(model_.order() == 1);
    code_->setText(FromWindows1252(model_.code));
    name_->setText(FromWindows1252(model_.name));
    code_->setModified(false);
    name_->setModified(false);
    showCode_->setCheckState(checkState(model_.showCode));
    showName_->setCheckState(checkState(model_.showName));
    showCode_->setEnabled(model_.checksEnabled);
    showName_->setEnabled(model_.checksEnabled);
    delete_->setEnabled(model_.deleteEnabled);
}

bool CIdDlg::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == code_ || watched == name_) && event->type() == QEvent::FocusOut) {
        auto *edit = static_cast<QLineEdit *>(watched);
        const bool modified = edit->isModified();
        model_.code = ToWindows1252(code_->text());
        model_.name = ToWindows1252(name_->text());
        if (modified && !model_.objectMode()) {
            model_.EditFocusLost(true);
            showState();
        }
    } else if ((watched == code_ || watched == name_) && event->type() == QEvent::FocusIn) {
        static_cast<QLineEdit *>(watched)->selectAll();
    } else if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete) {
            delete_->click();
            return true;
        }
        const bool ctrl = key->modifiers() & Qt::ControlModifier, alt = key->modifiers() & Qt::AltModifier;
        if ((key->key() == Qt::Key_C || key->key() == Qt::Key_Insert) && ctrl && !alt &&
            !key->isAutoRepeat()) {
            model_.CopySelection(0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int CIdDlg::DoModal()
{
    const int result = RunModalDialog(*this, kTemplateId);
    return result == IDOK ? model_.Ok() : model_.Cancel();
}

int IdDlgSettings(HWND window)
{
    const int before = selectedObjects(window);
    if (before > 1) {
        MessageBeep(MB_OK);
        return 0;
    }
    {
        IdentifierDialogModel model(window);
        if (!model.valid())
            return 0;
        CIdDlg dialog(model);
        dialog.DoModal();
    }
    const int after = selectedObjects(window);
    if (after != before)
        SendMessageA(window, MAPN_SELCOUNT, WPARAM(after), 0);
    return 1;
}

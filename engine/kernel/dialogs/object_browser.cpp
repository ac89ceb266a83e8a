#include "engine/kernel/dialogs/object_browser.h"

#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>

namespace {

template <class... A>
std::string format(const char *f, A... args)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, f, args...);
    return buffer;
}

const char *classNameOf(OBJectKernel *kernel, OBJHANDLE h)
{
    const OBJectClassDescr *d = GetOBJectClassDescr(kernel, h);
    return d ? d->name : "";
}

// The name of a reference id: the library string of that number (at most
// 20 characters), else the target's class name in angle brackets.
std::string referenceName(OBJectKernel *kernel, uint16_t id, OBJHANDLE target)
{
    char text[21];
    if (LoadStringMap(id, text, int(sizeof text)) > 0)
        return text;
    return format("<%s>", classNameOf(kernel, target));
}

// The tree walk's state: the lines so far and, per level, the indentation
// that the children of the node on that level get.
struct TreeWalk {
    std::vector<ObjectBrowserModel::Line> *lines;
    std::vector<std::string> indents;
};

int treePre(OBJectKernel *, OBJHANDLE node, uint16_t, int32_t *, void *user, int32_t reserved, int32_t,
            int last)
{
    auto *walk = static_cast<TreeWalk *>(user);
    if (reserved < 0) { // the root
        walk->lines->push_back({format("[%08X]", node), node});
        walk->indents.push_back("");
        return 1;
    }
    const std::string &parent = walk->indents.back();
    std::string line = parent + (last ? "  *--" : "  |--") + format("[%08X]", node);
    // Pushed even for a skipped node: the post call pops it.
    walk->indents.push_back(parent + (last ? "     " : "  |  "));
    if (line.size() >= size_t(ObjectBrowserModel::kMaxTreeLine))
        return 0;
    walk->lines->push_back({std::move(line), node});
    return 1;
}

int treePost(OBJectKernel *, OBJHANDLE, uint16_t, int32_t *, void *user, int32_t, int32_t, int)
{
    auto *walk = static_cast<TreeWalk *>(user);
    if (!walk->indents.empty())
        walk->indents.pop_back();
    return 1;
}

} // namespace

bool ObjectBrowserModel::Open(OBJHANDLE start)
{
    if (!start || !kernel_) {
        KernelVisibleInternalError("No object to start walk");
        return false;
    }
    treeShown_ = false;
    structShown_ = false;
    history_.clear();
    fill(start);
    return true;
}

void ObjectBrowserModel::fillUpper(OBJHANDLE object)
{
    handleText_ = format("%08X (%10u)", object, object);
    OBJectHead *head = HeadLock(kernel_, object);
    if (!head)
        return; // an invalid object shows only its handle
    const OBJectClassDescr *cls = GetOBJectClassDescr(kernel_, object);
    classText_ = format("%04X: <%s>", cls ? cls->classId : 0u, cls ? cls->name : "");

    infoLines_.clear();
    for (WPARAM n = 0;; ++n) {
        char buffer[160] = {};
        const uint16_t length = sizeof buffer; // the first word tells the buffer's size
        std::memcpy(buffer, &length, sizeof length);
        if (!SendOBJectMessage(kernel_, object, object, 0, OBJM_INFOLINE, n, LPARAM(buffer)))
            break;
        buffer[sizeof buffer - 1] = 0;
        infoLines_.emplace_back(buffer);
    }
    head = HeadLock(kernel_, object); // the class procedure may have resized it
    const OBJectClassDescrKernel *counts = GetOBJectClassDescrKernel(kernel_, object);
    infoLines_.push_back("-- KERNEL OBJECT INFORMATIONS: --");
    infoLines_.push_back(format("Flags / Size: \t%04X / %08X", head->flags, head->size));
    infoLines_.push_back(format("Ref. From / To: \t%4u / %4u", head->refsHeld, head->refsIncoming));
    infoLines_.push_back(format("Begin of Ref. / Data: \t%04X / %04X", head->refOffset, head->dataOffset));
    infoLines_.push_back("");
    infoLines_.push_back("-- KERNEL CLASS  INFORMATIONS: --");
    infoLines_.push_back(format("Instances - All / Deleted: \t%6li / %6li",
                                long(counts ? counts->objects : 0), long(counts ? counts->deleted : 0)));
    infoLines_.push_back("");
    infoLines_.push_back("-- KERNEL GLOBAL INFORMATIONS: --");
    infoLines_.push_back(
        format("OBJects - All / Deleted: \t%6li / %6li", long(kernel_->objects), long(kernel_->deleted)));
}

void ObjectBrowserModel::fill(OBJHANDLE object)
{
    current_ = object;
    fillUpper(object);
    if (!HeadLock(kernel_, object))
        return;
    if (!treeShown_)
        fillReferences();
    fillData();
}

void ObjectBrowserModel::fillReferences()
{
    refLines_.clear();
    selectedRow_ = -1;
    const uint32_t count = GetNumberOfReferencesFrom(kernel_, current_, REF_FILTER_ALL);
    for (uint32_t slot = 0; count != OBJ_INVALID && slot < count; ++slot) {
        uint16_t id = 0;
        OBJHANDLE target = 0;
        if (!GetRef(kernel_, current_, &id, &target, int32_t(slot)))
            continue;
        const std::string name = referenceName(kernel_, id, target);
        refLines_.push_back(
            {format((id & 1) ? "%4X: <%s> -> %08X" : "%4X: <%s> <- %08X", unsigned(id), name.c_str(), target),
             slot});
    }
}

void ObjectBrowserModel::fillData()
{
    dataLines_.clear();
    const OBJectHead *head = HeadLock(kernel_, current_);
    if (!head)
        return;
    const char *block = reinterpret_cast<const char *>(head);
    uint32_t begin = head->dataOffset, end = head->size;
    if (structShown_) {
        begin = OBJ_HEAD_SIZE;
        end = head->refOffset;
    }
    if (end <= begin || end > head->size)
        return;
    // Four words a line, headed by the byte position of its first word in
    // the pane's area; a last odd byte makes a word of its own.
    std::string line;
    for (uint32_t at = begin; at < end; at += 2) {
        const uint32_t pos = at - begin;
        if (pos % 8 == 0)
            line = format("%04X:", pos);
        uint16_t word = static_cast<unsigned char>(block[at]);
        if (at + 1 < end)
            word = uint16_t(word | static_cast<unsigned char>(block[at + 1]) << 8);
        line += format(" %04X", unsigned(word));
        if (pos % 8 == 6 || at + 2 >= end)
            dataLines_.push_back(line);
    }
}

void ObjectBrowserModel::SelectRow(int row)
{
    if (row < 0 || row >= int(refLines_.size())) {
        selectedRow_ = -1;
        return;
    }
    selectedRow_ = row;
    if (treeShown_)
        fillUpper(refLines_[size_t(row)].data);
}

void ObjectBrowserModel::pushHistory(int32_t slot)
{
    if (int(history_.size()) < kMaxHistory)
        history_.push_back({current_, slot});
}

bool ObjectBrowserModel::GoTo()
{
    if (!CanGoTo())
        return false;
    const int32_t slot = int32_t(refLines_[size_t(selectedRow_)].data);
    uint16_t id = 0;
    OBJHANDLE target = 0;
    if (!GetRef(kernel_, current_, &id, &target, slot) || !HeadLock(kernel_, target))
        return false;
    pushHistory(slot);
    fill(target);
    // In the new list, the first reference of the id just followed.
    int32_t pos = -1;
    if (GetReference(kernel_, current_, id, &pos))
        for (size_t row = 0; row < refLines_.size(); ++row)
            if (int32_t(refLines_[row].data) == pos)
                selectedRow_ = int(row);
    return true;
}

bool ObjectBrowserModel::GoBack()
{
    if (!CanGoBack())
        return false;
    const Step step = history_.back();
    history_.pop_back();
    fill(step.object);
    for (size_t row = 0; row < refLines_.size(); ++row)
        if (int32_t(refLines_[row].data) == step.slot)
            selectedRow_ = int(row);
    return true;
}

bool ObjectBrowserModel::ShowTree()
{
    if (treeShown_ || selectedRow_ < 0)
        return false;
    const int32_t slot = int32_t(refLines_[size_t(selectedRow_)].data);
    uint16_t id = 0;
    OBJHANDLE target = 0;
    if (!GetRef(kernel_, current_, &id, &target, slot))
        return false;
    pushHistory(slot);
    treeShown_ = true;
    refLines_.clear();
    selectedRow_ = -1;
    TreeWalk walk{&refLines_, {}};
    TraversTree(kernel_, current_, id, treePre, treePost, &walk);
    return true;
}

void ObjectBrowserModel::ShowReferenceList()
{
    if (!treeShown_)
        return;
    treeShown_ = false;
    if (!history_.empty() && history_.back().object == current_)
        history_.pop_back();
    fill(current_);
}

void ObjectBrowserModel::ShowStructFields(bool structFields)
{
    structShown_ = structFields;
    fillData();
}

// ---------------------------------------------------------------------------

namespace {

// Template "OBJWalkDlg": the upper panes, the reference list or tree on the
// left, the data words on the right, and the three buttons.
class ObjectBrowserDialog : public QDialog {
public:
    explicit ObjectBrowserDialog(ObjectBrowserModel &model) : model_(model)
    {
        setObjectName(QStringLiteral("OBJWalkDlg"));
        setWindowTitle(QStringLiteral("Dialog"));
        auto *grid = new QGridLayout(this);
        auto *top = new QHBoxLayout;
        top->addWidget(item(new QLabel(QStringLiteral("HANDLE :")), 117));
        top->addWidget(item(handle_ = new QLabel, 118));
        top->addWidget(item(new QLabel(QStringLiteral("Type:")), 101));
        top->addWidget(item(class_ = new QLabel, 108));
        grid->addLayout(top, 0, 0, 1, 2);
        item(info_ = new QListWidget, 102);
        info_->setSelectionMode(QAbstractItemView::NoSelection);
        info_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        grid->addWidget(info_, 1, 0, 1, 2);

        auto *buttons = new QVBoxLayout;
        auto *close = item(new QPushButton(QStringLiteral("Close")), 120);
        close->setDefault(true);
        buttons->addWidget(close);
        buttons->addWidget(item(goTo_ = new QPushButton(QStringLiteral("Go To ...")), 121));
        buttons->addWidget(item(goBack_ = new QPushButton(QStringLiteral("Go Back...")), 122));
        buttons->addStretch();
        grid->addLayout(buttons, 0, 2, 2, 1);

        refBox_ = item(new QGroupBox, 125);
        auto *refLayout = new QVBoxLayout(refBox_);
        auto *refRadios = new QHBoxLayout;
        refRadios->addWidget(item(refList_ = new QRadioButton(QStringLiteral("Ref.List")), 150));
        refRadios->addWidget(item(tree_ = new QRadioButton(QStringLiteral("Tree")), 151));
        refLayout->addLayout(refRadios);
        refLayout->addWidget(item(refs_ = new QListWidget, 124));
        grid->addWidget(refBox_, 2, 0);

        dataBox_ = item(new QGroupBox, 127);
        auto *dataLayout = new QVBoxLayout(dataBox_);
        auto *dataRadios = new QHBoxLayout;
        dataRadios->addWidget(item(data_ = new QRadioButton(QStringLiteral("Data")), 152));
        dataRadios->addWidget(item(struct_ = new QRadioButton(QStringLiteral("Struct.")), 153));
        dataLayout->addLayout(dataRadios);
        dataLayout->addWidget(item(words_ = new QListWidget, 126));
        grid->addWidget(dataBox_, 2, 1);

        connect(close, &QPushButton::clicked, this, [this] { done(IDOK); });
        connect(goTo_, &QPushButton::clicked, this, [this] { run([this] { model_.GoTo(); }); });
        connect(refs_, &QListWidget::itemDoubleClicked, this, [this] {
            if (!model_.TreeShown())
                run([this] { model_.GoTo(); });
        });
        connect(goBack_, &QPushButton::clicked, this, [this] { run([this] { model_.GoBack(); }); });
        connect(tree_, &QRadioButton::clicked, this, [this] { run([this] { model_.ShowTree(); }); });
        connect(refList_, &QRadioButton::clicked, this,
                [this] { run([this] { model_.ShowReferenceList(); }); });
        connect(data_, &QRadioButton::clicked, this,
                [this] { run([this] { model_.ShowStructFields(false); }); });
        connect(struct_, &QRadioButton::clicked, this,
                [this] { run([this] { model_.ShowStructFields(true); }); });
        connect(refs_, &QListWidget::currentRowChanged, this, [this](int row) {
            model_.SelectRow(row);
            showUpper();
            showButtons();
        });
        showAll();
    }

private:
    template <class W>
    static W *item(W *w, int id)
    {
        SetDialogItemId(w, id);
        return w;
    }

    template <class F>
    void run(F f)
    {
        f();
        showAll();
    }

    void showUpper()
    {
        handle_->setText(FromWindows1252(model_.HandleText()));
        class_->setText(FromWindows1252(model_.ClassText()));
        info_->clear();
        for (const std::string &s : model_.InfoLines())
            info_->addItem(FromWindows1252(s));
    }

    void showButtons()
    {
        goTo_->setEnabled(model_.CanGoTo());
        tree_->setEnabled(model_.CanShowTree());
        goBack_->setEnabled(model_.CanGoBack());
        refs_->setFocus();
    }

    void showAll()
    {
        const QSignalBlocker block(refs_);
        showUpper();
        refBox_->setTitle(QString::fromLatin1(model_.ReferenceCaption()));
        SetDialogItemId(refs_, model_.TreeShown() ? 104 : 124);
        refList_->setChecked(!model_.TreeShown());
        tree_->setChecked(model_.TreeShown());
        refs_->clear();
        for (const ObjectBrowserModel::Line &l : model_.ReferenceLines())
            refs_->addItem(FromWindows1252(l.text));
        refs_->setCurrentRow(model_.SelectedRow());
        dataBox_->setTitle(QString::fromLatin1(model_.DataCaption()));
        data_->setChecked(!model_.StructShown());
        struct_->setChecked(model_.StructShown());
        words_->clear();
        for (const std::string &s : model_.DataLines())
            words_->addItem(FromWindows1252(s));
        showButtons();
    }

    ObjectBrowserModel &model_;
    QLabel *handle_, *class_;
    QListWidget *info_, *refs_, *words_;
    QPushButton *goTo_, *goBack_;
    QGroupBox *refBox_, *dataBox_;
    QRadioButton *refList_, *tree_, *data_, *struct_;
};

// One browser at a time.
bool g_browserOpen = false;

} // namespace

int OBJectWalk(OBJectKernel *kernel, HWND, OBJHANDLE start)
{
    if (g_browserOpen)
        return 0;
    ObjectBrowserModel model(kernel);
    if (!model.Open(start))
        return 0;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return 1; // nowhere to show it
    g_browserOpen = true;
    ObjectBrowserDialog dialog(model);
    RunModalDialog(dialog, 0);
    g_browserOpen = false;
    return 1;
}

#include "engine/editing/tools/map_expert_dialog.h"

#include "engine/window/map_painting.h"
#include "engine/window/undo_window.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct SingleTest {
    int id;
    const char *running, *done, *caption;
};

constexpr SingleTest kTests[] = {
    {EXPERT_BUTTON_POLYGONS, "Polygons/Polylines Operations...", "Polygons/Polylines Done!",
     "Polygon/Polyline Expert"},
    {EXPERT_BUTTON_IDENTIFIERS, "Identifires Operations...", "Identifires Done!", "Identiffires Expert"},
    {EXPERT_BUTTON_GROUPS, "Groups Operations...", "Groups Done!", "Groups Expert"},
    {EXPERT_BUTTON_KERNEL, "Kernel Operations...", "Kernel Done!", "Kernel Expert"},
    {EXPERT_BUTTON_BOUNDS, "Boundings Setting...", "Boundings Done!", ""},
    {EXPERT_BUTTON_DOUGHNUTS, "Removing doughnut flag...", "Doughnuts Done!", "Doughnuts Expert"},
    {EXPERT_BUTTON_REFERENCES, "References Operations...", "References Done!", "References Expert"},
    {EXPERT_BUTTON_LAYERS, "Layers Operations...", "Layers Done!", "Layers Expert"},
};

QRadioButton *radio(QWidget *parent, const char *text, int id)
{
    auto *r = new QRadioButton(QString::fromLatin1(text), parent);
    SetDialogItemId(r, id);
    return r;
}

QDialogButtonBox *okCancel(QDialog *d)
{
    auto *buttons = new QDialogButtonBox(d);
    QPushButton *ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    SetDialogItemId(ok, IDOK);
    SetDialogItemId(cancel, IDCANCEL);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, d, [d] { d->done(IDOK); });
    QObject::connect(cancel, &QPushButton::clicked, d, [d] { d->done(IDCANCEL); });
    return buttons;
}

} // namespace

bool MapExpertModel::Run(int buttonId, Outcome *out)
{
    if (buttonId == EXPERT_BUTTON_ALL) {
        *out = {"", "All Tests Done!", "Map Expert", ""};
        AllTestsExpert(window_, &out->report);
        return true;
    }
    for (const SingleTest &t : kTests) {
        if (t.id != buttonId)
            continue;
        *out = {t.running, t.done, t.caption, ""};
        switch (buttonId) {
        case EXPERT_BUTTON_POLYGONS:
            PolygonsPolylinesExpert(window_, &out->report, nullptr);
            break;
        case EXPERT_BUTTON_IDENTIFIERS:
            IdentifiersExpert(window_, &out->report);
            break;
        case EXPERT_BUTTON_GROUPS:
            GroupsExpert(window_, &out->report, nullptr);
            break;
        case EXPERT_BUTTON_KERNEL:
            KernelExpert(window_, &out->report);
            break;
        case EXPERT_BUTTON_BOUNDS:
            BoundExpert(window_);
            break;
        case EXPERT_BUTTON_DOUGHNUTS:
            DoghnutsExpert(window_, &out->report);
            break;
        case EXPERT_BUTTON_REFERENCES:
            ReferencesExpert(window_, &out->report);
            break;
        case EXPERT_BUTTON_LAYERS:
            LayersExpert(window_, &out->report);
            break;
        }
        return true;
    }
    return false;
}

MapExpertModel::Outcome MapExpertModel::RunTexts(int mode)
{
    Outcome o{mode == EXPERT_TEXTS_RECALCULATE ? "Text Calculations..." : "Text Removing...", "Text Done!",
              "Text Expert", ""};
    TextsExpert(window_, mode, &o.report, nullptr);
    return o;
}

MapExpertModel::Outcome MapExpertModel::RunSort(const SortData &sort)
{
    Outcome o{"Objects Sorting...", "Sorting Done!", "", ""};
    SortExpertInt(window_, &sort);
    return o;
}

ExpertTextModeDialog::ExpertTextModeDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle("Dialog");
    recalculate_ = radio(this, "Recalculate all", 1013);
    removeShort_ = radio(this, "Remove one-character length texts", 1011);
    removeAll_ = radio(this, "Remove all texts", 1014);
    recalculate_->setChecked(true);
    auto *layout = new QVBoxLayout(this);
    for (QWidget *w : {recalculate_, removeShort_, removeAll_})
        layout->addWidget(w);
    layout->addWidget(okCancel(this));
}

int ExpertTextModeDialog::Mode() const
{
    return removeAll_->isChecked()     ? EXPERT_TEXTS_REMOVE_ALL
           : removeShort_->isChecked() ? EXPERT_TEXTS_REMOVE_SHORT
                                       : EXPERT_TEXTS_RECALCULATE;
}

ExpertSortDialog::ExpertSortDialog(HWND window, QWidget *parent) : QDialog(parent), window_(window)
{
    setWindowTitle("Dialog");
    auto *by = new QGroupBox("Sort by", this);
    auto *byLayout = new QVBoxLayout(by);
    keys_[0] = radio(by, "X Coordinate", EXPERT_SORT_X);
    keys_[1] = radio(by, "Y Coordinate", EXPERT_SORT_Y);
    keys_[2] = radio(by, "BR Area", EXPERT_SORT_AREA);
    keys_[3] = radio(by, "Number of points", EXPERT_SORT_POINTS);
    for (QRadioButton *r : keys_)
        byLayout->addWidget(r);
    auto *direction = new QGroupBox("Direction", this);
    auto *dirLayout = new QVBoxLayout(direction);
    ascending_ = radio(direction, "Ascending", 1260);
    QRadioButton *descending = radio(direction, "Descending", 1261);
    dirLayout->addWidget(ascending_);
    dirLayout->addWidget(descending);
    keys_[0]->setChecked(true);
    ascending_->setChecked(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(by);
    layout->addWidget(direction);
    layout->addWidget(okCancel(this));
}

SortData ExpertSortDialog::Sort() const
{
    SortData s{window_, ascending_->isChecked() ? 1 : 0, EXPERT_SORT_X};
    for (const QRadioButton *r : keys_)
        if (r->isChecked()) {
            s.key = r->objectName().toInt();
            break;
        }
    return s;
}

MapExpertDialog::MapExpertDialog(MapExpertModel &model, QWidget *parent) : QDialog(parent), model_(model)
{
    setWindowTitle("MAP Expert");
    auto row = [this](QGridLayout *grid, int r, const char *text, int id) {
        auto *button = new QPushButton(this);
        SetDialogItemId(button, id);
        button->setFixedWidth(24);
        grid->addWidget(button, r, 0);
        grid->addWidget(new QLabel(QString::fromLatin1(text), this), r, 1);
        connect(button, &QPushButton::clicked, this, [this, id] { clicked(id); });
    };
    auto *tests = new QGroupBox("Tests", this);
    auto *tg = new QGridLayout(tests);
    row(tg, 0, "Polygons/Polylines", EXPERT_BUTTON_POLYGONS);
    row(tg, 1, "Identifiers", EXPERT_BUTTON_IDENTIFIERS);
    row(tg, 2, "Texts...", EXPERT_BUTTON_TEXTS);
    row(tg, 3, "Groups", EXPERT_BUTTON_GROUPS);
    row(tg, 4, "Kernel", EXPERT_BUTTON_KERNEL);
    row(tg, 5, "Boundings", EXPERT_BUTTON_BOUNDS);
    row(tg, 6, "Doughnuts", EXPERT_BUTTON_DOUGHNUTS);
    row(tg, 7, "All tests", EXPERT_BUTTON_ALL);
    auto *extra = new QGroupBox("Extra Tests", this);
    auto *eg = new QGridLayout(extra);
    row(eg, 0, "References", EXPERT_BUTTON_REFERENCES);
    row(eg, 1, "Layers colours correction", EXPERT_BUTTON_LAYERS);
    auto *actions = new QGroupBox("Actions", this);
    auto *ag = new QGridLayout(actions);
    row(ag, 0, "Sorting...", EXPERT_BUTTON_SORT);
    status_ = new QLabel("Ready to use", this);
    SetDialogItemId(status_, EXPERT_STATUS);
    auto *ret = new QPushButton("Return", this);
    SetDialogItemId(ret, IDCANCEL);
    connect(ret, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    auto *layout = new QVBoxLayout(this);
    for (QWidget *w :
         {static_cast<QWidget *>(tests), static_cast<QWidget *>(extra), static_cast<QWidget *>(actions),
          static_cast<QWidget *>(status_), static_cast<QWidget *>(ret)})
        layout->addWidget(w);
}

void MapExpertDialog::show(const MapExpertModel::Outcome &o)
{
    status_->setText(QString::fromLatin1(o.done.c_str()));
    if (!o.caption.empty())
        MessageBoxA(0, o.report.c_str(), o.caption.c_str(), MB_OK);
}

void MapExpertDialog::clicked(int id)
{
    MapExpertModel::Outcome o;
    if (id == EXPERT_BUTTON_TEXTS) {
        ExpertTextModeDialog ask(this);
        if (RunModalDialog(ask, ExpertTextModeDialog::kTemplateId) != IDOK)
            return;
        show(model_.RunTexts(ask.Mode()));
        return;
    }
    if (id == EXPERT_BUTTON_SORT) {
        ExpertSortDialog ask(model_.Window(), this);
        if (RunModalDialog(ask, ExpertSortDialog::kTemplateId) != IDOK)
            return;
        SortData sort = ask.Sort();
        status_->setText("Objects Sorting...");
        show(model_.RunSort(sort));
        return;
    }
    if (model_.Run(id, &o))
        show(o);
}

int MapExpert(HWND window)
{
    MapExpertModel model(window);
    MapExpertDialog dialog(model);
    RunModalDialog(dialog, MapExpertDialog::kTemplateId);
    map_UndoReset(window);
    RefreshMapWindow(window);
    return 1;
}

#include "engine/view/dialogs/projections_dialog.h"

#include "engine/kernel/module_startup.h"
#include "engine/kernel/window_record.h"
#include "engine/view/dialogs/coordinate_system_dialog.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/bitmap_push_button.h"
#include "engine/window/map_notifications.h"
#include "engine/window/reproject.h"
#include "engine/window/undo_window.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace {

constexpr int kHelpId = 57670;

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

std::string libraryString(unsigned id, const char *fallback)
{
    char buffer[128] = {};
    return LoadStringMap(id, buffer, int(sizeof buffer)) > 0 ? std::string(buffer) : fallback;
}

std::string unitName(int id)
{
    char buffer[100] = {};
    UnitStringGet(id, 0, buffer, int(sizeof buffer));
    return buffer;
}

std::string datumName(int row)
{
    std::string name;
    DatumNameGet(row, name);
    return name;
}

std::vector<int> unitsOfKinds(const tagUnitInfo *table, int mask)
{
    std::vector<int> ids;
    for (const tagUnitInfo *u = table; u && u->id != -1; ++u)
        if (u->kind & mask)
            ids.push_back(u->id);
    return ids;
}

// Sorted as a sorted list box sorts: without regard to case.
bool listOrder(const std::string &a, const std::string &b) { return strcasecmp(a.c_str(), b.c_str()) < 0; }

} // namespace

std::vector<std::pair<std::string, std::string>> ProjectionListEntries(const char *list)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const char *p = list; p && *p;) {
        std::string name = p;
        p += name.size() + 1;
        std::string path = p;
        p += path.size() + 1;
        out.emplace_back(std::move(name), std::move(path));
    }
    return out;
}

std::string NoProjectionText() { return libraryString(27, " < No Projection >"); }

// ---------------------------------------------------------------------------

bool ProjectionsModel::moduleInfo(tagProjInfo *info) const
{
    std::memset(info, 0, sizeof *info);
    if (!ctx_.work || !ctx_.work->hLib)
        return false;
    ctx_.getInfo(ctx_.work, info);
    return true;
}

std::string ProjectionsModel::KindText(bool base) const
{
    const int kind = base ? ctx_.work->baseKind : ctx_.work->transformedKind;
    const unsigned id = unsigned(((kind & 4) | 112) >> 2);
    return libraryString(id, id == 29 ? "Spheric" : "Cartesian");
}

const char *ProjectionsModel::PictureName(bool base) const
{
    const int kind = base ? ctx_.work->baseKind : ctx_.work->transformedKind;
    return (kind & 4) ? "SPHERIC" : "CARTESIAN";
}

std::string ProjectionsModel::ModuleText() const
{
    if (!ctx_.work->hLib)
        return NoProjectionText();
    char name[100] = {};
    ctx_.identify(ctx_.work, name, int(sizeof name));
    return name;
}

std::pair<std::string, std::string> ProjectionsModel::DatumLines() const
{
    tagProjInfo info;
    if (!moduleInfo(&info) || info.baseKind != CS_SPHERIC || info.transformedKind != CS_SPHERIC)
        return {};
    return {"From " + datumName(ctx_.work->baseDatum), "To " + datumName(ctx_.work->transformedDatum)};
}

std::string ProjectionsModel::UnitName(bool base) const
{
    return unitName(base ? ctx_.work->baseUnit : ctx_.work->transformedUnit);
}

std::vector<std::string> ProjectionsModel::LengthUnitNames() const
{
    std::vector<std::string> names;
    for (int id : unitsOfKinds(ctx_.units, UNIT_METRIC | UNIT_IMPERIAL))
        names.push_back(unitName(id));
    return names;
}

std::vector<std::string> ProjectionsModel::AreaUnitNames() const
{
    std::vector<std::string> names;
    for (int id : unitsOfKinds(ctx_.units, UNIT_AREA))
        names.push_back(unitName(id));
    return names;
}

int ProjectionsModel::LengthUnitPosition() const
{
    const std::vector<int> ids = unitsOfKinds(ctx_.units, UNIT_METRIC | UNIT_IMPERIAL);
    const auto at = std::find(ids.begin(), ids.end(), ctx_.work->lengthUnit);
    return at == ids.end() ? -1 : int(at - ids.begin());
}

int ProjectionsModel::AreaUnitPosition() const
{
    const std::vector<int> ids = unitsOfKinds(ctx_.units, UNIT_AREA);
    const auto at = std::find(ids.begin(), ids.end(), ctx_.work->areaUnit);
    return at == ids.end() ? -1 : int(at - ids.begin());
}

bool ProjectionsModel::CanAccept() const
{
    const int a = ctx_.work->baseKind, b = ctx_.work->transformedKind;
    tagProjInfo info;
    const bool module = moduleInfo(&info);
    const int m = module ? info.baseKind : 0, t = module ? info.transformedKind : 0;
    const bool aSpheric = (a & 4) != 0, bSpheric = (b & 4) != 0;
    if (aSpheric && bSpheric)
        return !module || (m == CS_SPHERIC && t == CS_SPHERIC);
    if (aSpheric != bSpheric)
        return module && m != t;
    return !module || (m == t && m == a);
}

void ProjectionsModel::BaseSystemEdited(int kind, int unit, int datum)
{
    ctx_.work->baseKind = kind;
    ctx_.work->baseUnit = unit;
    ctx_.work->baseDatum = datum;
    ctx_.changeFlags |= PROJCHANGE_SYSTEM;
}

void ProjectionsModel::TransformedSystemEdited(int kind, int unit, int datum)
{
    ctx_.work->transformedKind = kind;
    ctx_.work->transformedUnit = unit;
    ctx_.work->transformedDatum = datum;
    ctx_.changeFlags |= PROJCHANGE_SYSTEM;
}

void ProjectionsModel::ProjectionChosen(const ProjectionTag &scratch)
{
    ctx_.copy(ctx_.work, &scratch);
    tagProjInfo info;
    if (!moduleInfo(&info))
        return;
    if (std::strncmp(info.text, kProjInfoNoInversion, sizeof info.text) == 0) {
        ctx_.permanent = 1;
        permanentLocked_ = true;
        ctx_.changeFlags |= PROJCHANGE_PERMANENT;
    }
    ctx_.changeFlags |= PROJCHANGE_MODULE;
}

void ProjectionsModel::LengthUnitChosen(const std::string &longName)
{
    for (int id : unitsOfKinds(ctx_.units, UNIT_METRIC | UNIT_IMPERIAL))
        if (unitName(id) == longName) {
            ctx_.work->lengthUnit = id;
            ctx_.changeFlags |= PROJCHANGE_LENGTH_UNIT;
            return;
        }
}

void ProjectionsModel::AreaUnitChosen(const std::string &longName)
{
    for (int id : unitsOfKinds(ctx_.units, UNIT_AREA))
        if (unitName(id) == longName) {
            ctx_.work->areaUnit = id;
            ctx_.changeFlags |= PROJCHANGE_AREA_UNIT;
            return;
        }
}

void ProjectionsModel::PermanentClicked(bool on)
{
    ctx_.permanent = on ? 1 : 0;
    ctx_.changeFlags |= PROJCHANGE_PERMANENT;
}

// ---------------------------------------------------------------------------

SelectProjectionModel::SelectProjectionModel(ProjectionDialogContext &ctx)
    : ctx_(ctx), modules_(ProjectionListEntries(ctx.projectionList))
{
    entries_.push_back(NoProjectionText());
    for (const auto &m : modules_)
        entries_.push_back(m.first);
    std::stable_sort(entries_.begin(), entries_.end(), listOrder);
}

std::string SelectProjectionModel::Current() const
{
    if (!ctx_.work->hLib)
        return NoProjectionText();
    char name[128] = {};
    ctx_.identify(ctx_.work, name, int(sizeof name));
    return name;
}

bool ProjectionDialogContext::WorkHasSetup() const
{
    if (!work || !work->hLib)
        return false;
    tagProjInfo info{};
    getInfo(work, &info);
    return info.hasSetup != 0;
}

bool SelectProjectionModel::CanSetup() const { return ctx_.WorkHasSetup(); }

void SelectProjectionModel::Choose(const std::string &name)
{
    if (name == NoProjectionText()) {
        ctx_.free(ctx_.work);
        ctx_.changeFlags = PROJCHANGE_MODULE;
        return;
    }
    for (const auto &m : modules_)
        if (m.first == name) {
            if (ctx_.load(m.second.c_str(), ctx_.work))
                ctx_.changeFlags = PROJCHANGE_MODULE;
            return;
        }
}

void SelectProjectionModel::Setup(HWND parent)
{
    if (ctx_.work->hLib && ctx_.setup(parent, ctx_.work))
        ctx_.changeFlags = PROJCHANGE_MODULE;
}

// ---------------------------------------------------------------------------

CSelectProjectionDlg::CSelectProjectionDlg(SelectProjectionModel &model, HWND helpTarget, QWidget *parent)
    : QDialog(parent), model_(model), helpTarget_(helpTarget)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("Select Projection"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Used:")), 0, 0);
    grid->addWidget(used_ = item(new QLabel, 605), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Projections:")), 1, 0, 1, 2);
    grid->addWidget(list_ = item(new QListWidget, 600), 2, 0, 1, 2);
    for (const std::string &e : model_.Entries())
        list_->addItem(FromWindows1252(e));
    auto *buttons = new QVBoxLayout;
    auto *ok = item(new QPushButton(QStringLiteral("OK")), IDOK);
    ok->setDefault(true);
    auto *cancel = item(new QPushButton(QStringLiteral("Cancel")), IDCANCEL);
    setup_ = item(new QPushButton(QStringLiteral("Setup")), 603);
    auto *help = item(new QPushButton(QStringLiteral("Help")), kHelpId);
    for (QPushButton *b : {ok, cancel, setup_, help})
        buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 3, 1);
    showState();
    connect(list_, &QListWidget::currentTextChanged, this, [this](const QString &text) {
        model_.Choose(ToWindows1252(text));
        showState();
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { done(IDOK); });
    connect(ok, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(setup_, &QPushButton::clicked, this, [this] {
        model_.Setup(helpTarget_);
        showState();
    });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(helpTarget_, kTemplateId); });
}

void CSelectProjectionDlg::showState()
{
    const QString current = FromWindows1252(model_.Current());
    used_->setText(current);
    const QSignalBlocker block(list_);
    const QList<QListWidgetItem *> found = list_->findItems(current, Qt::MatchExactly);
    list_->setCurrentItem(found.isEmpty() ? nullptr : found.first());
    setup_->setEnabled(model_.CanSetup());
}

int CSelectProjectionDlg::DoModal() { return RunModalDialog(*this, kTemplateId); }

// ---------------------------------------------------------------------------

CProjectionsDlg::CProjectionsDlg(ProjectionsModel &model, QWidget *parent) : QDialog(parent), model_(model)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("Projections"));
    auto *grid = new QGridLayout(this);
    auto systemBox = [&](const char *title, int buttonId, int kindId, int unitId, int datumId,
                         CBitmapPushButton **button, QLabel **kind, QLabel **unit, QLabel **datum) {
        auto *box = new QGroupBox(QString::fromLatin1(title));
        auto *g = new QGridLayout(box);
        g->addWidget(*button = item(new CBitmapPushButton(box), buttonId), 0, 0, 3, 1);
        g->addWidget(*kind = item(new QLabel, kindId), 0, 1, 1, 2);
        g->addWidget(new QLabel(QStringLiteral("Units:")), 1, 1);
        g->addWidget(*unit = item(new QLabel, unitId), 1, 2);
        g->addWidget(*datum = item(new QLabel, datumId), 2, 1, 1, 2);
        return box;
    };
    grid->addWidget(
        systemBox("Base Coordinates", 624, 620, 1042, 631, &baseButton_, &baseKind_, &baseUnit_, &fromDatum_),
        0, 0);
    auto *projectionBox = new QGroupBox(QStringLiteral("Projection"));
    auto *pl = new QVBoxLayout(projectionBox);
    pl->addWidget(module_ = item(new QLabel, 605));
    pl->addWidget(permanent_ = item(new QCheckBox(QStringLiteral("Permanent")), 614));
    grid->addWidget(projectionBox, 1, 0);
    grid->addWidget(systemBox("Transformed co-ordinates", 625, 623, 622, 632, &transformedButton_,
                              &transformedKind_, &transformedUnit_, &toDatum_),
                    2, 0);
    auto *measures = new QGroupBox(QStringLiteral("Measures"));
    auto *ml = new QGridLayout(measures);
    ml->addWidget(new QLabel(QStringLiteral("Area:")), 0, 0);
    ml->addWidget(areaUnits_ = item(new QComboBox, 111), 0, 1);
    ml->addWidget(new QLabel(QStringLiteral("Length:")), 1, 0);
    ml->addWidget(lengthUnits_ = item(new QComboBox, 112), 1, 1);
    measures->setVisible(false); // the group and its lists stay hidden
    grid->addWidget(measures, 3, 0);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok_ = item(new QPushButton(QStringLiteral("OK")), IDOK));
    ok_->setDefault(true);
    auto *cancel = item(new QPushButton(QStringLiteral("Cancel")), IDCANCEL);
    auto *projection = item(new QPushButton(QStringLiteral("&Projection")), 610);
    auto *help = item(new QPushButton(QStringLiteral("&Help")), kHelpId);
    for (QPushButton *b : {cancel, projection, help})
        buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 4, 1);

    for (const std::string &n : model_.LengthUnitNames())
        lengthUnits_->addItem(FromWindows1252(n));
    for (const std::string &n : model_.AreaUnitNames())
        areaUnits_->addItem(FromWindows1252(n));
    showState();

    connect(baseButton_, &QAbstractButton::clicked, this, [this] { editSystem(true); });
    connect(transformedButton_, &QAbstractButton::clicked, this, [this] { editSystem(false); });
    connect(projection, &QPushButton::clicked, this, [this] { selectProjection(); });
    connect(permanent_, &QCheckBox::clicked, this, [this](bool on) { model_.PermanentClicked(on); });
    connect(lengthUnits_, &QComboBox::activated, this,
            [this] { model_.LengthUnitChosen(ToWindows1252(lengthUnits_->currentText())); });
    connect(areaUnits_, &QComboBox::activated, this,
            [this] { model_.AreaUnitChosen(ToWindows1252(areaUnits_->currentText())); });
    connect(ok_, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(model_.Context().window, kTemplateId); });
}

void CProjectionsDlg::showState()
{
    baseButton_->setText(QString::fromLatin1(model_.PictureName(true)));
    baseButton_->AutoLoadImages();
    transformedButton_->setText(QString::fromLatin1(model_.PictureName(false)));
    transformedButton_->AutoLoadImages();
    baseKind_->setText(FromWindows1252(model_.KindText(true)));
    transformedKind_->setText(FromWindows1252(model_.KindText(false)));
    module_->setText(FromWindows1252(model_.ModuleText()));
    const auto [from, to] = model_.DatumLines();
    fromDatum_->setText(FromWindows1252(from));
    toDatum_->setText(FromWindows1252(to));
    baseUnit_->setText(FromWindows1252(model_.UnitName(true)));
    transformedUnit_->setText(FromWindows1252(model_.UnitName(false)));
    lengthUnits_->setCurrentIndex(model_.LengthUnitPosition());
    areaUnits_->setCurrentIndex(model_.AreaUnitPosition());
    permanent_->setChecked(model_.Context().permanent != 0);
    permanent_->setEnabled(!model_.PermanentLocked());
    ok_->setEnabled(model_.CanAccept());
}

void CProjectionsDlg::editSystem(bool base)
{
    ProjectionTag *w = model_.Context().work;
    int kind = base ? w->baseKind : w->transformedKind;
    int unit = base ? w->baseUnit : w->transformedUnit;
    int datum = base ? w->baseDatum : w->transformedDatum;
    if (EditCoordinateSystem(&kind, &unit, &datum, model_.Context().window, this) != IDOK)
        return;
    if (base)
        model_.BaseSystemEdited(kind, unit, datum);
    else
        model_.TransformedSystemEdited(kind, unit, datum);
    showState();
}

void CProjectionsDlg::selectProjection()
{
    ProjectionDialogContext &ctx = model_.Context();
    ProjectionTag scratch;
    ctx.init(&scratch);
    ctx.copy(&scratch, ctx.work);
    ProjectionTag *work = ctx.work;
    ctx.work = &scratch;
    int result = IDCANCEL;
    {
        SelectProjectionModel select(ctx);
        CSelectProjectionDlg dlg(select, ctx.window, this);
        result = dlg.DoModal();
    }
    ctx.work = work;
    if (result == IDOK) {
        model_.ProjectionChosen(scratch);
        showState();
    }
    ctx.free(&scratch);
}

int CProjectionsDlg::DoModal() { return RunModalDialog(*this, kTemplateId); }

// ---------------------------------------------------------------------------

int ProjMan_SelectProjection(ProjectionTag *view, HWND window)
{
    if (!view || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return 0;
    _WNDRES *rec = GetWndRes(window);
    ProjectionTag work;
    ProjMan_InitProjection(&work);
    ProjMan_CopyProjection(&work, view);

    const HGLOBAL list = ProjMan_GetProjectionList();
    ProjectionDialogContext ctx;
    ctx.window = window;
    ctx.projectionList = list ? static_cast<const char *>(GlobalLock(list)) : nullptr;
    ctx.work = &work;
    ctx.resources = MapInstance();
    if (rec && rec->displayView)
        ctx.clipFlag = rec->displayView->clipFlag;

    int result = 0;
    {
        ProjectionsModel model(ctx);
        CProjectionsDlg dlg(model);
        if (dlg.DoModal() == IDOK)
            result = ctx.changeFlags;
    }
    if (list) {
        GlobalUnlock(list);
        GlobalFree(list);
    }
    if (rec && rec->displayView)
        rec->displayView->clipFlag = ctx.clipFlag;
    if (result)
        ProjMan_CopyProjection(view, &work);
    ProjMan_FreeProjection(&work);

    if (result & (PROJCHANGE_MODULE | PROJCHANGE_SYSTEM)) {
        ProjMan_UpdateScales(view, ProjMan_SetBackwardAndForwardFunctions(view));
        if (rec)
            rec->flags |= WNDRES_MODIFIED;
    }
    if (result && ctx.permanent && view->hLib) {
        map_UndoReset(window);
        if (rec)
            rec->flags |= WNDRES_MODIFIED;
        PM_ReprojectObjects(window);
        // The document now stands in the transformed system, datum included.
        view->baseKind = view->transformedKind;
        view->baseUnit = view->transformedUnit;
        view->baseDatum = view->transformedDatum;
        ProjMan_FreeProjection(view);
        result |= PROJCHANGE_MODULE;
    }
    return result & (PROJCHANGE_MODULE | PROJCHANGE_SYSTEM);
}

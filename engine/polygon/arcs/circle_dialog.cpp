#include "engine/polygon/arcs/circle_dialog.h"

#include "engine/editing/operations/operation_support.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/arcs/arcs.h"
#include "engine/window/map_notifications.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr const char *kSection = "Settings";

const SettingsRegKey &KeyOf(HWND window)
{
    static const SettingsRegKey fallback;
    const _WNDRES *rec = GetWndRes(window);
    return rec && rec->settingsKey ? *rec->settingsKey : fallback;
}

int32_t ReadSetting(HWND window, const char *name, int32_t missing)
{
    uint32_t value = 0;
    if (KeyOf(window).GetValue(kSection, name, &value, 0))
        return int32_t(value);
    const uint32_t stored = uint32_t(missing);
    KeyOf(window).SetValue(kSection, name, &stored, 0);
    return missing;
}

void WriteSetting(HWND window, const char *name, int32_t value)
{
    const uint32_t stored = uint32_t(value);
    KeyOf(window).SetValue(kSection, name, &stored, 0);
}

// The selection list, the layers and the selected objects are recorded
// before the selection is taken away, so that undo gives it back.
void UnselectAllForUndo(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    OBJectKernel *kernel = rec->kernel;
    const OBJHANDLE layers = GetRootOBJKern(kernel, rec->rootObject, CLASS_LAYERS);
    std::vector<OBJHANDLE> records{layers, GetRootOBJKern(kernel, rec->rootObject, CLASS_SELLIST)};
    for (OBJHANDLE leaf : SelectedLeaves(window)) {
        records.push_back(leaf);
        records.push_back(GetOBJectLayer(kernel, leaf));
    }
    for (OBJHANDLE item : SelectedObjects(window))
        records.push_back(item);
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    for (OBJHANDLE h : records)
        if (h)
            Undo_ChangeObject(kernel, h);
    SetOfObjectsUnSelect(window, layers);
}

} // namespace

void CircleDialogModel::Load(HWND window, OBJHANDLE object, MAP_COORDPT centre)
{
    radius = ReadSetting(window, kCircleRadiusSetting, 100);
    segments = ReadSetting(window, kCircleSegmentsSetting, 10);
    centreX = centre.x;
    centreY = centre.y;
    circle = 0;
    const _WNDRES *rec = GetWndRes(window);
    PointSetAccess access;
    if (object && rec && rec->kernel && GetOBJectClassID(rec->kernel, object) == CLASS_POLYGON &&
        LockPointSet(rec->kernel, object, access) && access.count > 0) {
        circle = object;
        const MAP_COORDPT first = access.at(0);
        radius = int32_t(
            std::min(std::hypot(double(first.x) - centre.x, double(first.y) - centre.y), double(INT32_MAX)));
        segments = int32_t(access.count);
        oldBound_ = access.bound();
    }
}

std::string CircleDialogModel::text(int id) const
{
    switch (id) {
    case kCircleCentreXId:
        return std::to_string(centreX);
    case kCircleCentreYId:
        return std::to_string(centreY);
    case kCircleRadiusId:
        return std::to_string(radius);
    case kCircleSegmentsId:
        return std::to_string(segments);
    default:
        return {};
    }
}

void CircleDialogModel::setText(int id, const std::string &text)
{
    const int32_t value = int32_t(std::atoi(text.c_str()));
    switch (id) {
    case kCircleCentreXId:
        centreX = value;
        break;
    case kCircleCentreYId:
        centreY = value;
        break;
    case kCircleRadiusId:
        radius = value;
        break;
    case kCircleSegmentsId:
        segments = value;
        break;
    default:
        break;
    }
}

bool CircleDialogModel::Apply(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return false;
    WriteSetting(window, kCircleRadiusSetting, radius);
    WriteSetting(window, kCircleSegmentsSetting, segments);
    // The new circle first: when none can be made, the old one stays and
    // nothing is recorded.
    if (segments < 3 || segments > kCircleMaxSegments)
        return false;
    if (CirclePolygonVertices(centreX, centreY, radius, uint32_t(segments)).empty())
        return false;
    UndoStepScope step(window);
    UnselectAllForUndo(window);
    const OBJHANDLE made = CirclePolygonCreate(window, centreX, centreY, radius, uint32_t(segments));
    if (!made) {
        step.Close(UNDO_CODE_CIRCLE);
        return false;
    }
    Undo_AddNew(rec->kernel, made);
    if (circle && GetOBJectClassID(rec->kernel, circle) == CLASS_POLYGON) {
        // The old circle goes with the same step, so that undo brings it back.
        Undo_DeleteTree(rec->kernel, circle);
        InvalidateGraphRect(window, &oldBound_, 0);
    }
    step.Close(UNDO_CODE_CIRCLE);
    SetSelection(window, &made, 1, 1, 0);
    PointSetAccess access;
    if (LockPointSet(rec->kernel, made, access)) {
        const MAP_COORDRECT bound = access.bound();
        InvalidateGraphRect(window, &bound, 0);
    }
    return true;
}

CCircularSelection::CCircularSelection(_WNDRES *record, _COORDPT, long, int, int) : record_(record) {}

CCircularSelection &CCircularSelection::operator=(const CCircularSelection &other)
{
    record_ = other.record_;
    return *this;
}

int DlgCircle(HWND window, OBJHANDLE circle, MAP_COORDPT centre)
{
    CircleDialogModel model;
    model.Load(window, circle, centre);

    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Circle"));
    auto *grid = new QGridLayout;
    auto *placement = new QLabel(QStringLiteral("Placement"), &dialog);
    grid->addWidget(placement, 0, 0, 1, 2);
    const struct {
        int labelId, editId;
        const char *label;
    } fields[] = {{174, kCircleCentreXId, "&x:"},
                  {175, kCircleCentreYId, "&y:"},
                  {176, kCircleRadiusId, "Radius:"},
                  {177, kCircleSegmentsId, "Segments:"}};
    std::vector<QLineEdit *> edits;
    int row = 1;
    for (const auto &f : fields) {
        auto *label = new QLabel(QString::fromLatin1(f.label), &dialog);
        SetDialogItemId(label, f.labelId);
        auto *edit = new QLineEdit(QString::fromStdString(model.text(f.editId)), &dialog);
        SetDialogItemId(edit, f.editId);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        edits.push_back(edit);
        ++row;
    }
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    SetDialogItemId(ok, IDOK);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    SetDialogItemId(cancel, IDCANCEL);
    auto *help = new QPushButton(QStringLiteral("Help"), &dialog);
    SetDialogItemId(help, kCircleHelpId);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(IDOK); });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(IDCANCEL); });
    QObject::connect(help, &QPushButton::clicked, &dialog, [window] { GormF1Help(window, kCircleHelpId); });
    auto *layout = new QHBoxLayout(&dialog);
    layout->addLayout(grid);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch();
    layout->addLayout(buttons);

    if (RunModalDialog(dialog, kCircleDialogTemplate) != IDOK)
        return 1;
    for (size_t i = 0; i < edits.size(); ++i)
        model.setText(fields[i].editId, edits[i]->text().toLatin1().toStdString());
    model.Apply(window);
    return 1;
}

int ReDefCircle(HWND window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    const std::vector<OBJHANDLE> selected = SelectedObjects(window);
    if (selected.empty() || GetOBJectClassID(rec->kernel, selected.front()) != CLASS_POLYGON)
        return 0;
    PointSetAccess access;
    if (!LockPointSet(rec->kernel, selected.front(), access) || access.count < 3)
        return 0;
    // The map file keeps no centre: a circle is a polygon whose vertices
    // all lie at one distance from their mean, which is its centre. One
    // whose vertices were moved off the circle since is no longer one.
    uint32_t n = access.count;
    if (access.at(n - 1).x == access.at(0).x && access.at(n - 1).y == access.at(0).y)
        --n; // a closing vertex repeated counts once
    double sx = 0, sy = 0;
    for (uint32_t i = 0; i < n; ++i) {
        sx += access.at(i).x;
        sy += access.at(i).y;
    }
    const MAP_COORDPT centre{int32_t(std::lround(sx / n)), int32_t(std::lround(sy / n))};
    if (centre.x == 0 || centre.y == 0)
        return 0;
    const MAP_COORDPT first = access.at(0);
    const double r = std::hypot(double(first.x) - centre.x, double(first.y) - centre.y);
    const double tolerance = std::max(3.0, r * 1e-6);
    for (uint32_t i = 0; i < access.count; ++i) {
        const MAP_COORDPT p = access.at(i);
        if (std::fabs(std::hypot(double(p.x) - centre.x, double(p.y) - centre.y) - r) > tolerance)
            return 0;
    }
    DlgCircle(window, selected.front(), centre);
    return 1;
}

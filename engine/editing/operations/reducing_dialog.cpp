#include "engine/editing/operations/reducing_dialog.h"

#include "engine/editing/operations/map_reduction.h"
#include "engine/editing/operations/operation_support.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/window/map_notifications.h"
#include "engine/window/window_access.h"
#include "engine/window/window_heights.h"
#include "engine/window/window_points.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/profile.h"

#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr const char *kReducingKey = "Settings\\Reducing";

// Reduces one object; 1 changed, 0 unchanged, -1 too small a result.
int ReduceObject(HWND window, OBJectKernel *kernel, OBJHANDLE object, uint16_t classId, bool linear,
                 double threshold)
{
    const bool polygon = classId == CLASS_POLYGON;
    const uint32_t minimum = polygon ? 3 : 2;
    if (map3d_is_object_3d(window, object)) {
        auto get = polygon ? map3d_polygon_Get : map3d_polyline_Get;
        int32_t total = 0;
        get(window, object, &total, nullptr, 0);
        std::vector<MAP3D_COORDPT> points(size_t(std::max(total, 0)));
        if (total > 0)
            points.resize(size_t(get(window, object, &total, points.data(), total)));
        std::vector<MAP3D_COORDPT> reduced(points.size());
        const unsigned long n = map3d_Reduce(points.data(), reduced.data(), points.size(), linear, threshold);
        if (n == points.size())
            return 0;
        if (n < minimum)
            return -1;
        Undo_ChangeObject(kernel, object);
        (polygon ? map3d_polygon_Set : map3d_polyline_Set)(window, object, reduced.data(), int32_t(n), 0);
        return 1;
    }
    auto get = polygon ? map_polygon_Get : map_polyline_Get;
    int32_t total = 0;
    get(window, object, &total, nullptr, 0);
    std::vector<MAP_COORDPT> points(size_t(std::max(total, 0)));
    if (total > 0)
        points.resize(size_t(get(window, object, &total, points.data(), total)));
    std::vector<MAP_COORDPT> reduced(points.size());
    const unsigned long n = map_Reduce(points.data(), reduced.data(), points.size(), linear, threshold);
    if (n == points.size())
        return 0;
    if (n < minimum)
        return -1;
    Undo_ChangeObject(kernel, object);
    (polygon ? map_polygon_Set : map_polyline_Set)(window, object, reduced.data(), int32_t(n), 0);
    return 1;
}

} // namespace

void ReducingPointsModel::Load()
{
    char decimal[8] = {};
    GetProfileStringA("intl", "sDecimal", ".", decimal, sizeof decimal);
    decimal_ = decimal[0] ? decimal[0] : '.';

    double threshold = 2.0;
    if (!m_RegValueGet(kReducingKey, "Thresold", &threshold))
        threshold = 2.0;
    threshold = std::max(threshold, 0.0);
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", threshold);
    thresholdText_ = text;
    std::replace(thresholdText_.begin(), thresholdText_.end(), '.', decimal_);

    char method[32] = {};
    if (!m_RegValueGet(kReducingKey, "Method", method, sizeof method))
        method[0] = 0;
    std::string upper(method);
    for (char &c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    linear_ = upper == "LINEAR";
}

double ReducingPointsModel::threshold() const
{
    std::string text = thresholdText_.substr(0, 128);
    if (const size_t at = text.find(decimal_); at != std::string::npos)
        text[at] = '.';
    return std::atof(text.c_str());
}

ReducingPointsModel::Outcome ReducingPointsModel::Apply(HWND window) const
{
    Outcome outcome;
    const MapDoc doc(window);
    if (!doc)
        return outcome;
    const std::vector<OBJHANDLE> objects = SelectedLeaves(window);
    UndoStepScope step(window);
    const double limit = threshold();
    m_RegValueSet(kReducingKey, "Method", linear_ ? "Linear" : "Recursive");
    if (!(limit > 0.0))
        return outcome;
    m_RegValueSet(kReducingKey, "Thresold", limit);
    if (objects.empty())
        return outcome;

    WaitCursorScope wait;
    MAP_COORDRECT before{};
    SelectionBounds(window, before);
    for (OBJHANDLE h : objects) {
        const uint16_t classId = doc.classOf(h);
        if (classId != CLASS_POLYGON && classId != CLASS_POLYLINE)
            continue;
        const int result = ReduceObject(window, doc.kernel, h, classId, linear_, limit);
        if (result > 0)
            ++outcome.changed;
        else if (result < 0)
            outcome.notReduced = true;
    }
    MAP_COORDRECT after{};
    SelectionBounds(window, after);
    InvalidateMapArea(window, before);
    InvalidateMapArea(window, after);
    step.Close(kUndoReducing);

    if (outcome.notReduced)
        MessageBoxA(window, LoadStringMapOr(795, "Some (small) objects were not reduced!").c_str(),
                    LoadStringMapOr(796, "Reducing warning").c_str(), MB_OK);
    return outcome;
}

int ReduceDlg(HWND window)
{
    ReducingPointsModel model;
    model.Load();

    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Reducing Points"));
    auto *method = new QGroupBox(QStringLiteral("Method"), &dialog);
    SetDialogItemId(method, 1016);
    auto *recursive = new QRadioButton(QStringLiteral("Recursive"), method);
    SetDialogItemId(recursive, kReducingRecursiveId);
    auto *linear = new QRadioButton(QStringLiteral("Linear"), method);
    SetDialogItemId(linear, kReducingLinearId);
    (model.linear() ? linear : recursive)->setChecked(true);
    auto *methodLayout = new QVBoxLayout(method);
    methodLayout->addWidget(recursive);
    methodLayout->addWidget(linear);

    auto *label = new QLabel(QStringLiteral("Threshold:"), &dialog);
    SetDialogItemId(label, 1017);
    auto *threshold = new QLineEdit(QString::fromLatin1(model.thresholdText().c_str()), &dialog);
    SetDialogItemId(threshold, kReducingThresholdId);
    threshold->setMaxLength(128);

    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    SetDialogItemId(ok, IDOK);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    SetDialogItemId(cancel, IDCANCEL);
    auto *help = new QPushButton(QStringLiteral("&Help"), &dialog);
    SetDialogItemId(help, kReducingHelpId);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(IDOK); });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(IDCANCEL); });
    QObject::connect(help, &QPushButton::clicked, &dialog,
                     [window] { GormF1Help(window, kReducingDialogId); });

    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(method);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(threshold);
    layout->addLayout(row);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    layout->addLayout(buttons);

    if (RunModalDialog(dialog, kReducingDialogId) == IDOK) {
        model.setLinear(linear->isChecked());
        model.setThresholdText(threshold->text().toLatin1().toStdString());
        model.Apply(window);
    }
    return 1;
}

// First: the class table's headers use names that Qt's headers define as
// macros.
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_classes.h"
#include "engine/view/dialogs/raster_dialog.h"

#include "engine/kernel/module_startup.h"
#include "engine/kernel/raster_images.h"
#include "engine/kernel/unimplemented.h"
#include "engine/view/raster/raster_object.h"
#include "engine/window/map_notifications.h"
#include "engine/window/window_access.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"
#include "platform/window.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace {

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

// The margin around invalidated rectangles, map units.
constexpr int kInvalidateMargin = 1;

bool sameRect(const _COORDRECT &a, const _COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

// The raster's pixels go when its image is not shown.
void dropHiddenPixels(OBJectKernel *kernel, OBJHANDLE raster)
{
    char *p = RasterObjectLock(kernel, raster);
    if (!p)
        return;
    RasterObjectData d = RasterRecordLoad(p);
    if (d.imageVisible || !d.pixelsId)
        return;
    RasterImageRelease(kernel, d.pixelsId);
    d.pixelsId = 0;
    RasterRecordStore(p, d);
}

} // namespace

CRasterDlg::CRasterDlg(RasterDialogModel &model, QWidget *parent) : QDialog(parent), model_(model)
{
    setObjectName(QStringLiteral("RASTERDLG"));
    setWindowTitle(QStringLiteral("Raster Object"));
    auto *layout = new QVBoxLayout(this);

    auto *placement = item(new QGroupBox(QStringLiteral("Image placement")), IDC_RASTERDLG_PLACEMENT_GROUP);
    auto *placementGrid = new QGridLayout(placement);
    const struct {
        int label, edit;
        const char *text;
    } places[] = {{IDC_RASTERDLG_X_LABEL, IDC_RASTERDLG_X, "X-Origin:"},
                  {IDC_RASTERDLG_Y_LABEL, IDC_RASTERDLG_Y, "Y-Origin:"},
                  {IDC_RASTERDLG_WIDTH_LABEL, IDC_RASTERDLG_WIDTH, "Width:"},
                  {IDC_RASTERDLG_HEIGHT_LABEL, IDC_RASTERDLG_HEIGHT, "Hight:"}};
    int row = 0;
    for (const auto &p : places) {
        placementGrid->addWidget(item(new QLabel(QString::fromLatin1(p.text)), p.label), row / 2,
                                 (row % 2) * 2);
        placementGrid->addWidget(edits_[p.edit] = item(new QLineEdit, p.edit), row / 2, (row % 2) * 2 + 1);
        ++row;
    }
    layout->addWidget(placement);

    auto *middle = new QHBoxLayout;
    auto *visual = item(new QGroupBox(QStringLiteral("Visualization")), IDC_RASTERDLG_VISUAL_GROUP);
    auto *visualBox = new QVBoxLayout(visual);
    visualBox->addWidget(checks_[IDC_RASTERDLG_FRAME] =
                             item(new QCheckBox(QStringLiteral("Frame")), IDC_RASTERDLG_FRAME));
    visualBox->addWidget(checks_[IDC_RASTERDLG_IMAGE] =
                             item(new QCheckBox(QStringLiteral("Raster image")), IDC_RASTERDLG_IMAGE));
    visualBox->addWidget(checks_[IDC_RASTERDLG_CLIPPING] =
                             item(new QCheckBox(QStringLiteral("Clipping mode")), IDC_RASTERDLG_CLIPPING));
    middle->addWidget(visual);
    auto *resolution = item(new QGroupBox(QStringLiteral("Resolution")), IDC_RASTERDLG_RES_GROUP);
    auto *resGrid = new QGridLayout(resolution);
    resGrid->addWidget(item(new QLabel(QStringLiteral("X:")), IDC_RASTERDLG_RES_X_LABEL), 0, 0);
    resGrid->addWidget(edits_[IDC_RASTERDLG_RES_X] = item(new QLineEdit, IDC_RASTERDLG_RES_X), 0, 1);
    resGrid->addWidget(item(new QLabel(QStringLiteral("Y:")), IDC_RASTERDLG_RES_Y_LABEL), 1, 0);
    resGrid->addWidget(edits_[IDC_RASTERDLG_RES_Y] = item(new QLineEdit, IDC_RASTERDLG_RES_Y), 1, 1);
    middle->addWidget(resolution);
    layout->addLayout(middle);

    auto *scaleRow = new QHBoxLayout;
    scaleRow->addWidget(new QLabel(QStringLiteral("Scale:    1 :")));
    scaleRow->addWidget(edits_[IDC_RASTERDLG_SCALE] = item(new QLineEdit, IDC_RASTERDLG_SCALE));
    layout->addLayout(scaleRow);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(item(new QLabel(QStringLiteral("Raster file:")), IDC_RASTERDLG_FILE_LABEL));
    fileRow->addWidget(edits_[IDC_RASTERDLG_FILE] = item(new QLineEdit, IDC_RASTERDLG_FILE), 1);
    edits_[IDC_RASTERDLG_FILE]->setReadOnly(true);
    auto *browse = item(new QPushButton(QStringLiteral("Browse")), IDC_RASTERDLG_BROWSE);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);

    auto *buttons = new QHBoxLayout;
    auto *ok = item(new QPushButton(QStringLiteral("Ok")), IDOK);
    ok->setDefault(true);
    auto *cancel = item(new QPushButton(QStringLiteral("Cancel")), IDCANCEL);
    auto *help = item(new QPushButton(QStringLiteral("Help")), IDC_RASTERDLG_HELP);
    buttons->addStretch();
    for (QPushButton *b : {ok, cancel, help})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    for (const int id : {IDC_RASTERDLG_WIDTH, IDC_RASTERDLG_HEIGHT, IDC_RASTERDLG_RES_X, IDC_RASTERDLG_RES_Y,
                         IDC_RASTERDLG_SCALE})
        edits_[id]->installEventFilter(this);
    for (const int id : {IDC_RASTERDLG_FRAME, IDC_RASTERDLG_IMAGE})
        connect(checks_[id], &QCheckBox::clicked, this, [this, id] {
            readFields();
            model_.ClickVisibility(id);
            showState();
        });
    connect(browse, &QPushButton::clicked, this, [this] {
        readFields();
        model_.Browse();
        showState();
    });
    connect(ok, &QPushButton::clicked, this, [this, ok] {
        ok->setFocus();
        done(IDOK);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(model_.owner(), RASTERDLG_HELP_TOPIC); });
    showState();
}

void CRasterDlg::readFields()
{
    for (const auto &[id, edit] : edits_)
        model_.setText(id, ToWindows1252(edit->text()));
    for (const auto &[id, box] : checks_)
        model_.setChecked(id, box->isChecked());
}

void CRasterDlg::showState()
{
    for (const auto &[id, edit] : edits_) {
        edit->setText(FromWindows1252(model_.text(id)));
        edit->setModified(false);
    }
    for (const auto &[id, box] : checks_)
        box->setChecked(model_.checked(id));
    const bool image = model_.imageControlsEnabled();
    for (const int id : {IDC_RASTERDLG_RES_X, IDC_RASTERDLG_RES_Y, IDC_RASTERDLG_FRAME, IDC_RASTERDLG_IMAGE,
                         IDC_RASTERDLG_VISUAL_GROUP, IDC_RASTERDLG_RES_GROUP, IDC_RASTERDLG_RES_X_LABEL,
                         IDC_RASTERDLG_RES_Y_LABEL, IDC_RASTERDLG_CLIPPING})
        if (QWidget *w = DialogItem(this, id))
            w->setEnabled(image);
}

bool CRasterDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut)
        for (const auto &[id, edit] : edits_)
            if (edit == watched) {
                const bool modified = edit->isModified();
                readFields();
                model_.EditFocusLost(id, modified);
                showState();
                break;
            }
    return QDialog::eventFilter(watched, event);
}

int CRasterDlg::DoModal()
{
    if (RunModalDialog(*this, kTemplateId) != IDOK)
        return 0;
    readFields();
    return model_.Ok();
}

int EditRasterObject(HWND window, OBJHANDLE raster)
{
    const MapDoc doc(IsWindow(window) ? window : 0);
    if (!doc || !doc.is(raster, CLASS_BITMAP))
        return 0;
    OBJectKernel *kernel = doc.kernel;
    const HWND owner = GetOBJectWnd(kernel, raster) ? GetOBJectWnd(kernel, raster) : window;

    // The temporary copy: the raster's data, linked nowhere, sharing its
    // header image (the image table counts both holders) but no pixels.
    const char *source = RasterObjectLock(kernel, raster);
    const OBJHANDLE copy = CreateOBJect(kernel, CLASS_BITMAP);
    char *target = RasterObjectLock(kernel, copy);
    if (!source || !target) {
        if (copy)
            OBJectDelete(kernel, copy);
        return -1;
    }
    RasterObjectData data = RasterRecordLoad(source);
    data.pixelsId = 0;
    if (data.headerId && !RasterImageRetain(kernel, data.headerId))
        data.headerId = 0;
    RasterRecordStore(target, data);

    int result = 0;
    {
        RasterDialogModel model(owner, copy);
        if (!model.valid()) {
            result = -1;
        } else {
            CRasterDlg dialog(model);
            result = dialog.DoModal();
        }
    }
    if (result == 1) {
        const RasterObjectData old = RasterRecordLoad(RasterObjectLock(kernel, raster));
        RasterObjectData edited = RasterRecordLoad(RasterObjectLock(kernel, copy));
        _WNDRES *ownerRec = GetWndRes(owner);
        bool moved = !sameRect(old.bound, edited.bound) ||
                     (old.clippingMode != edited.clippingMode && edited.imageVisible);
        if (!sameRect(old.bound, edited.bound) && ownerRec)
            ownerRec->flags |= WNDRES_MODIFIED;
        bool repaint = false;
        if (std::strncmp(old.fileName, edited.fileName, sizeof old.fileName) != 0) {
            // Another file: the raster lets its images go and takes the
            // header the browse brought; its pixels load at the next drawing.
            RasterObjectReleaseImages(kernel, raster);
            edited.pixelsId = 0;
            if (ownerRec)
                ownerRec->flags |= WNDRES_MODIFIED;
            repaint = !moved;
        } else {
            // The same file: the raster keeps its images.
            if (edited.headerId)
                RasterImageRelease(kernel, edited.headerId);
            edited.headerId = old.headerId;
            edited.pixelsId = old.pixelsId;
            repaint = old.frameVisible != edited.frameVisible || old.imageVisible != edited.imageVisible;
        }
        RasterRecordStore(RasterObjectLock(kernel, raster), edited);
        // The copy no longer holds any image.
        RasterBlockClearImageIds(RasterObjectLock(kernel, copy));
        ChangeCounterBump();
        if (moved) {
            _COORDRECT oldRect = old.bound;
            SendOBJectMessage(kernel, 0, raster, 0, GRM_INVALIDATE, 0, LPARAM(&oldRect));
            _COORDRECT pieces[4];
            const int n = GraphRectSubtract(&old.bound, &edited.bound, pieces);
            for (int i = 0; i < n; ++i)
                InvalidateGraphRect(owner, &pieces[i], kInvalidateMargin);
            InvalidateGraphRect(owner, &edited.bound, kInvalidateMargin);
        } else if (repaint) {
            InvalidateGraphRect(owner, &edited.bound, kInvalidateMargin);
        }
    }
    dropHiddenPixels(kernel, raster);
    RasterObjectFreeImages(kernel, copy);
    OBJectDelete(kernel, copy);
    return result;
}

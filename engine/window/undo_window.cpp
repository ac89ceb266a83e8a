#include "engine/window/undo_window.h"

#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"
#include "platform/window.h"

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QLabel>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

OBJectKernel *kernelOf(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    return rec ? rec->kernel : nullptr;
}

void setModified(HWND window)
{
    if (_WNDRES *rec = GetWndRes(window))
        rec->flags |= WNDRES_MODIFIED;
}

// After undoing: the window repaints, learns the captions, can redo, and
// can no longer undo when nothing is left.
void afterUndo(HWND window, OBJectKernel *kernel)
{
    InvalidateRect(window, nullptr, TRUE);
    Undo_SendCaptions(window, kernel);
    Undo_SendState(window, MAPN_ENABLE, MAPN_REDO);
    if (!Undo_HasUndoStep(kernel))
        Undo_SendState(window, MAPN_DISABLE, MAPN_UNDO);
}

void afterRedo(HWND window, OBJectKernel *kernel)
{
    InvalidateRect(window, nullptr, TRUE);
    Undo_SendCaptions(window, kernel);
    Undo_SendState(window, MAPN_ENABLE, MAPN_UNDO);
    if (!Undo_HasRedoStep(kernel))
        Undo_SendState(window, MAPN_DISABLE, MAPN_REDO);
}

int32_t repeat(OBJectKernel *kernel, int32_t n, int (*once)(OBJectKernel *))
{
    int32_t done = 0;
    while (done < n && once(kernel))
        ++done;
    return done;
}

// Fills the list with the captions of the steps from the next one on.
void fillSteps(CUndoRedoListDlg &dlg, OBJectKernel *kernel, bool undo)
{
    UndoStepInfo s =
        undo ? Undo_CurrentStep(kernel) : Undo_NextRedoStep(kernel, Undo_GetPositionCurStep(kernel));
    while (s.index >= 0 && s.code != 0 && dlg.AddStep(OperationHumanName(s.code)))
        s = undo ? Undo_PreviousStep(kernel, s.index) : Undo_NextRedoStep(kernel, s.index);
}

std::string loadText(unsigned id, const char *fallback)
{
    char buffer[64];
    return LoadStringMap(id, buffer, int(sizeof buffer)) > 0 ? std::string(buffer) : fallback;
}

CUndoRedoListDlg::Hook &dialogHook()
{
    static CUndoRedoListDlg::Hook hook;
    return hook;
}

} // namespace

int32_t map_Undo_N_Times(HWND window, int32_t n)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel || n <= 0)
        return 0;
    const int32_t done = repeat(kernel, n, Undo_Undo);
    if (done == 0)
        return 0;
    afterUndo(window, kernel);
    setModified(window);
    return done;
}

int32_t map_Undo(HWND window) { return map_Undo_N_Times(window, 1) == 1 ? 1 : 0; }

int32_t map_Redo_N_Times(HWND window, int32_t n)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel || n <= 0)
        return 0;
    const int32_t done = repeat(kernel, n, Undo_Redo);
    if (done == 0)
        return 0;
    afterRedo(window, kernel);
    setModified(window);
    return done;
}

int32_t map_Redo(HWND window) { return map_Redo_N_Times(window, 1) == 1 ? 1 : 0; }

int map_UndoReset(HWND window)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel)
        return 0;
    Undo_Reset(kernel);
    Undo_SendCaptions(window, kernel);
    Undo_SendState(window, MAPN_ENABLE, MAPN_UNDO);
    if (!Undo_HasRedoStep(kernel))
        Undo_SendState(window, MAPN_DISABLE, MAPN_REDO);
    if (!Undo_HasUndoStep(kernel))
        Undo_SendState(window, MAPN_DISABLE, MAPN_UNDO);
    return 1;
}

static int setResetNext(HWND window, uint32_t flag)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel)
        return 0;
    Undo_SetResetNext(kernel, flag);
    Undo_SendCaptions(window, kernel);
    Undo_SendState(window, MAPN_DISABLE, MAPN_REDO);
    Undo_SendState(window, MAPN_DISABLE, MAPN_UNDO);
    return 1;
}

int map_UndoReset_NextT(HWND window) { return setResetNext(window, 1); }

int map_UndoReset_NextTxxx(HWND window) { return setResetNext(window, 0); }

int32_t Undo_UndoStepsCount(HWND window) { return Undo_KernelUndoStepsCount(kernelOf(window)); }

int32_t Undo_RedoStepsCount(HWND window) { return Undo_KernelRedoStepsCount(kernelOf(window)); }

uint16_t Undo_GetStepWithIndex(HWND window, int32_t index, int undo)
{
    return Undo_KernelStepWithIndex(kernelOf(window), index, undo);
}

unsigned Undo_UndoShowStepsList(HWND window)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel)
        return 0;
    CUndoRedoListDlg dlg(window);
    dlg.SetMode(1);
    fillSteps(dlg, kernel, true);
    const int chosen = dlg.DoModal();
    if (chosen > 0) {
        repeat(kernel, chosen, Undo_Undo);
        afterUndo(window, kernel);
    }
    return 1;
}

unsigned Undo_RedoShowStepsList(HWND window)
{
    OBJectKernel *kernel = kernelOf(window);
    if (!kernel)
        return 0;
    CUndoRedoListDlg dlg(window);
    dlg.SetMode(0);
    fillSteps(dlg, kernel, false);
    const int chosen = dlg.DoModal();
    if (chosen > 0) {
        repeat(kernel, chosen, Undo_Redo);
        afterRedo(window, kernel);
    }
    return 1;
}

// ---------------------------------------------------------------------------

CUndoRedoListDlg::CUndoRedoListDlg(HWND owner) : owner_(owner) { SetMode(1); }

void CUndoRedoListDlg::SetMode(int undo)
{
    undo_ = undo ? 1 : 0;
    modeText_ = undo_ ? loadText(720, "Undo") : loadText(721, "Redo");
}

bool CUndoRedoListDlg::AddStep(const std::string &caption)
{
    if (int(steps_.size()) >= kMaxSteps)
        return false;
    steps_.push_back(caption);
    return true;
}

CUndoRedoListDlg::Hook CUndoRedoListDlg::SetHook(Hook hook)
{
    Hook previous = std::move(dialogHook());
    dialogHook() = std::move(hook);
    return previous;
}

int CUndoRedoListDlg::DoModal()
{
    int chosen = 0;
    if (const Hook &hook = dialogHook())
        chosen = hook(*this);
    else if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        chosen = runDialog();
    return std::clamp(chosen, 0, int(steps_.size()));
}

std::string CUndoRedoListDlg::Caption() const { return modeText_ + " " + loadText(722, "List"); }

std::string CUndoRedoListDlg::LabelFor(int caret) const
{
    if (caret < 0 || caret >= int(steps_.size()))
        return loadText(725, "Cancel");
    const int marked = caret + 1;
    return modeText_ + " " + std::to_string(marked) + " " +
           (marked == 1 ? loadText(723, "action") : loadText(724, "actions"));
}

int CUndoRedoListDlg::runDialog() const
{
    // Dialog 166, without buttons: the step captions, most recent first,
    // and a label under them. Choosing an entry chooses it and every more
    // recent step above it; Enter or a double click ends with them, Escape
    // with none.
    QDialog dialog;
    dialog.setWindowTitle(FromWindows1252(Caption()));
    auto *layout = new QVBoxLayout(&dialog);
    auto *list = new QListWidget(&dialog);
    SetDialogItemId(list, kListId);
    for (const std::string &s : steps_)
        list->addItem(FromWindows1252(s));
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    auto *label = new QLabel(FromWindows1252(LabelFor(-1)), &dialog);
    label->setAlignment(Qt::AlignCenter);
    SetDialogItemId(label, kLabelId);
    QObject::connect(list, &QListWidget::currentRowChanged, list, [this, list, label](int row) {
        if (steps_.empty())
            return;
        const QSignalBlocker block(list);
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setSelected(i <= row);
        label->setText(FromWindows1252(LabelFor(row)));
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, [&dialog] { dialog.done(IDOK); });
    auto *enter = new QShortcut(QKeySequence(Qt::Key_Return), &dialog);
    QObject::connect(enter, &QShortcut::activated, &dialog, [&dialog] { dialog.done(IDOK); });
    layout->addWidget(list);
    layout->addWidget(label);
    if (RunModalDialog(dialog, kTemplateId) != IDOK)
        return 0;
    return list->currentRow() + 1;
}

// The undo and redo commands of a map window: undoing and redoing one or
// several steps, resetting the history, step counts and lists, and the
// notifications that keep the window's commands and captions up to date.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/undo.h"
#include "platform/types.h"

#include <functional>
#include <string>
#include <vector>

// Steps undone (at most n); 0 and nothing sent when none was.
int32_t map_Undo_N_Times(HWND window, int32_t n);
// 1 when one step was undone.
int32_t map_Undo(HWND window);
int32_t map_Redo_N_Times(HWND window, int32_t n);
int32_t map_Redo(HWND window);
// Frees the history at once. 1; 0 for a window without a document.
int map_UndoReset(HWND window);
// Sets (NextT) or clears (NextTxxx) the deferred reset. 1; 0 without a
// document.
int map_UndoReset_NextT(HWND window);
int map_UndoReset_NextTxxx(HWND window);
// Number of undo or redo steps; 0 for a window without a document.
int32_t Undo_UndoStepsCount(HWND window);
int32_t Undo_RedoStepsCount(HWND window);
// Code of the index-th undo step (undo non-zero; 0 = the next to undo) or
// redo step; 0 when there is none or the index is negative.
uint16_t Undo_GetStepWithIndex(HWND window, int32_t index, int undo);
// The step list dialogs: undo or redo as many steps as the user chooses. 1;
// 0 for a window without a document.
unsigned Undo_UndoShowStepsList(HWND window);
unsigned Undo_RedoShowStepsList(HWND window);

// The modal list (dialog 166) from which the user chooses how many of the
// most recent steps to undo or redo. It runs through the platform's modal
// dialog call; its list is control 1000, its buttons IDOK and IDCANCEL.
class CUndoRedoListDlg {
public:
    static constexpr int kMaxSteps = 50;
    static constexpr int kTemplateId = 166;
    static constexpr int kListId = 1141;
    static constexpr int kLabelId = 1168;

    explicit CUndoRedoListDlg(HWND owner);
    // Undo (non-zero, caption "Undo") or redo (0, "Redo").
    void SetMode(int undo);
    // Adds a step caption, most recent first; false when the list is full.
    bool AddStep(const std::string &caption);
    // Shows the list; the number of steps chosen (0 when cancelled).
    int DoModal();

    int Mode() const { return undo_; }
    const std::string &ModeText() const { return modeText_; }
    const std::vector<std::string> &Steps() const { return steps_; }
    HWND Owner() const { return owner_; }
    // "Undo List" or "Redo List".
    std::string Caption() const;
    // The label under the list when the entry caret and those above it are
    // chosen ("Undo 3 actions", "Redo 1 action"); "Cancel" for no entry.
    std::string LabelFor(int caret) const;

    // Answers DoModal in place of the whole dialog (tests of its callers);
    // an empty hook restores the dialog. Returns the previous hook.
    using Hook = std::function<int(const CUndoRedoListDlg &)>;
    static Hook SetHook(Hook hook);

private:
    int runDialog() const;

    HWND owner_;
    int undo_ = 1;
    std::string modeText_;
    std::vector<std::string> steps_;
};

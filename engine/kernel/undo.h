// The undo and redo history of a kernel. Nothing is copied wholesale: an
// added object stays in the bank and is hidden when undone, a deleted object
// is hidden (its links taken out of its targets) and shown again on undo, and
// a changed object leaves a byte copy in another slot that undo and redo
// exchange with it. The record list and its position live in the kernel's
// BankDesc; a step marker closes each operation and carries its code.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// ---------------------------------------------------------------------------
// Records, allocated zero-filled from the bank's heap; the first word is the
// kind.
inline constexpr uint16_t UNDO_STEP = 1;
inline constexpr uint16_t UNDO_ADDED = 2;
inline constexpr uint16_t UNDO_DELETED = 3;
inline constexpr uint16_t UNDO_CHANGED = 4;

struct UndoStepRecord {
    uint16_t kind; // UNDO_STEP
    uint16_t code; // operation code
};
static_assert(sizeof(UndoStepRecord) == 4);

struct UndoObjectRecord {
    uint16_t kind;      // UNDO_ADDED or UNDO_DELETED
    uint16_t backSlots; // UNDO_DELETED: the UndoBackSlot entries that follow; else 0
    uint32_t handle;
};
static_assert(sizeof(UndoObjectRecord) == 8 && offsetof(UndoObjectRecord, handle) == 4);

// Where a deleted object's back link stood in one of its holders (its layer,
// its group, the selection list...), in the order the links were taken out:
// undo puts them back last to first at the same slots, so that the holders'
// order is the one before the deletion.
struct UndoBackSlot {
    uint32_t holder;
    uint16_t id; // the holder's link id
    uint16_t reserved;
    int32_t position;
};
static_assert(sizeof(UndoBackSlot) == 12 && offsetof(UndoBackSlot, position) == 8);

struct UndoChangeRecord {
    uint16_t kind; // UNDO_CHANGED
    uint16_t zero;
    uint32_t handle; // the object
    uint32_t copy;   // the slot holding its other content
};
static_assert(sizeof(UndoChangeRecord) == 12 && offsetof(UndoChangeRecord, copy) == 8);

// The kind of a record returned by Undo_One / Redo_One; 0 for null.
uint16_t UndoRecordKind(const void *record);

// Operation codes named by the engine's callers.
inline constexpr uint16_t UNDO_OP_NONE = 0;
inline constexpr uint16_t UNDO_OP_CREATE_POLYGON = 2;
inline constexpr uint16_t UNDO_OP_CREATE_POLYLINE = 3;
inline constexpr uint16_t UNDO_OP_CREATE_TEXT = 4;
inline constexpr uint16_t UNDO_OP_CREATE_LAYER = 8;
inline constexpr uint16_t UNDO_OP_DELETE = 100;
inline constexpr uint16_t UNDO_OP_DELETE_LAYER = 102;
inline constexpr uint16_t UNDO_OP_GROUPING = 201;
inline constexpr uint16_t UNDO_OP_UNGROUPING = 202;
inline constexpr uint16_t UNDO_OP_MOVING = 250;
inline constexpr uint16_t UNDO_OP_CHANGE_LAYER = 261;
inline constexpr uint16_t UNDO_OP_PAGE_SETUP = 280;
inline constexpr uint16_t UNDO_OP_CUT = 305;

// Flags of a hidden object and of a saved copy.
inline constexpr uint16_t UNDO_HIDDEN_FLAGS = OBJF_UNDODELETED | OBJF_UNDOCOPY;

// How often and how long the clipboard check tries to open a clipboard that
// another program holds before it gives up and goes on.
inline constexpr int UNDO_CLIPBOARD_ATTEMPTS = 10;
inline constexpr int UNDO_CLIPBOARD_INTERVAL_MS = 20;

// ---------------------------------------------------------------------------
// Recording
OBJHANDLE CreateUndoList(OBJectKernel *kernel);
// Closes the current operation with a step marker; 0 when the window has no
// record or recording is off for it, else 1.
int Undo_SetNewStep(HWND window, OBJectKernel *kernel, uint16_t code);
int Undo_AddNew(OBJectKernel *kernel, OBJHANDLE handle);
// Records the deletion and hides the object; it stays in the bank. 0 for a
// bad handle or an object already hidden.
int Undo_DeleteOBJect(OBJectKernel *kernel, OBJHANDLE handle);
int Undo_DeleteTree(OBJectKernel *kernel, OBJHANDLE handle);
int Undo_DeleteTree2(OBJectKernel *kernel, OBJHANDLE handle, uint16_t filter);
int Undo_DeleteRootTree(OBJectKernel *kernel, OBJHANDLE root);
int Undo_DeleteRootTree2(OBJectKernel *kernel, OBJHANDLE root, uint16_t filter);
// Keeps a byte copy of the object; call it before changing the object.
int Undo_ChangeObject(OBJectKernel *kernel, OBJHANDLE handle);
int ToUndoTreeProc(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, int32_t *visitWord, void *user,
                   int32_t reserved, int32_t siblingIndex, int last);
int IsOBJectUndoCopy(OBJectKernel *kernel, OBJHANDLE handle);
uint16_t IsOBJectUndoDeleted(OBJectKernel *kernel, OBJHANDLE handle);

// Entry points kept for callers that hand objects to the undo list; the
// history is recorded by the calls above, so they do nothing.
int UndoUndo(OBJectKernel *kernel, OBJHANDLE undoList);
int ToUndoAddNew(OBJectKernel *kernel, OBJHANDLE undoList, OBJHANDLE object);
// A procedure of the class-procedure form that answers 0 to everything.
LRESULT UndoProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                 uint16_t message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Replaying
int Undo_Undo(OBJectKernel *kernel);
int Undo_Redo(OBJectKernel *kernel);
void *Undo_One(OBJectKernel *kernel);
void *Redo_One(OBJectKernel *kernel);
// Takes back the records after the position (Undo_GetPositionCurStep taken
// before the first of them) as one, within the open step, and frees them:
// for an operation that recorded its objects and then found that it cannot
// go on. The lists' derived fields are made whole once, after all records,
// so a selection recorded with its objects comes back whole.
void Undo_DropSince(OBJectKernel *kernel, int position);
// Frees the whole history; deletions in effect become final.
int Undo_Reset(OBJectKernel *kernel);
// Frees the redo branch.
int Undo_FreeFromCur(OBJectKernel *kernel);
int Undo_GetPositionCurStep(OBJectKernel *kernel);
uint32_t Undo_IsResetNextT(OBJectKernel *kernel);
int Undo_SetResetNext(OBJectKernel *kernel, uint32_t flag);
int GoToSavedUndo(OBJectKernel *kernel, int stepIndex, int *out);
int GoToSavedRedo(OBJectKernel *kernel, int stepIndex, int *out);
int CheckIfObjectExists(OBJectKernel *kernel, OBJHANDLE handle);
// Puts the block into the slot as it is and returns the block the slot
// held. The caller puts the old block back before the store touches the
// slot again.
void *ReplaceSelList(OBJectKernel *kernel, OBJHANDLE handle, void *block);
int CopySelList(HWND window, OBJectKernel *kernel, OBJHANDLE handle);

// ---------------------------------------------------------------------------
// Steps: queries behind the captions, counts and lists. A step is found by
// its marker's index; code 0 and index -1 when there is none.
struct UndoStepInfo {
    uint16_t code;
    int32_t index;
};
UndoStepInfo Undo_CurrentStep(OBJectKernel *kernel);
UndoStepInfo Undo_PreviousStep(OBJectKernel *kernel, int32_t before);
UndoStepInfo Undo_NextRedoStep(OBJectKernel *kernel, int32_t after);
bool Undo_HasUndoStep(OBJectKernel *kernel);
bool Undo_HasRedoStep(OBJectKernel *kernel);
int32_t Undo_KernelUndoStepsCount(OBJectKernel *kernel);
int32_t Undo_KernelRedoStepsCount(OBJectKernel *kernel);
// Code of the index-th undo (undo non-zero) or redo step; 0 when none.
uint16_t Undo_KernelStepWithIndex(OBJectKernel *kernel, int32_t index, int undo);

// The caption of an operation code: "" for 0, "Unrecognized Operation" for
// codes without one.
void GiveOperationHumanName(std::string *text, uint16_t code);
std::string OperationHumanName(uint16_t code);

// Notifications to the map window: both captions, undo first (codes 0 while
// the reset-next flag is set), and one command state.
void Undo_SendCaptions(HWND window, OBJectKernel *kernel);
void Undo_SendState(HWND window, WPARAM enable, LPARAM command);

// The clipboard check: when the window owns the clipboard and its pending
// copy belongs to a step beyond the current position, the copy can no
// longer be rendered: empty the clipboard and disable pasting.
void Undo_ClipboardCheck(HWND window, OBJectKernel *kernel);

// Renumbering after CompressKernel: the undo list keeps its selected object
// as a handle in its fixed data. The history must be empty (Undo_Reset)
// before a kernel is compressed; only the list's selected object is left.
OBJHANDLE Undo_ListSelectedGet(OBJectKernel *kernel, OBJHANDLE undoList);
int Undo_RemapListSelected(OBJectKernel *kernel, OBJHANDLE undoList,
                           const std::function<OBJHANDLE(OBJHANDLE)> &newHandleOf);

// Tells the window that nothing can be pasted (MAPN_PASTESTATE 2, 3).
void Disable_AllPasteButtons(HWND window);

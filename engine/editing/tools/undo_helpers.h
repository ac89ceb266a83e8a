// Small helpers the editing tools share around the undo history.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

// Takes back the records made since the position (Undo_GetPositionCurStep
// before the first record) and frees them: for an operation that recorded
// its objects and then found that it cannot go on. The objects get back
// what the records kept.
void UndoDropRecordsSince(OBJectKernel *kernel, int position);

// Sets the map's modified bit.
void MarkMapModified(HWND window);

// The selection measures of the window record, asked again of the
// selection list (total length and total area of the selected objects).
void RecomputeSelectionMeasures(HWND window);

// Makes the history forget an object that is about to be freed outside it:
// the records that would add or delete it name no object any more, so that
// undoing or redoing them cannot touch the freed handle or an object that
// takes the handle later. The object's other records (changes) are left.
void UndoForgetObject(OBJectKernel *kernel, OBJHANDLE object);

// Records in the open undo step what selecting and unselecting change: the
// selection list, the layers root, the selected objects and the members of
// selected groups (their selection marks and picked points), the layers
// that hold them and the active layer, which gets new objects. Undo then
// gives the selection back with the objects. An operation that selects or
// unselects calls it first.
void UndoRecordSelection(HWND window);

// What undo and redo do besides flipping flags and exchanging blocks: the
// two-way links of exchanged blocks are made whole again, and the fields
// that lists derive from their members (the selected member, the bound
// rectangle, the largest data space, the selection list's current and last
// deselected objects) are given back as the step found or left them.
//
// A step carries two snapshots of the selection fields of the document's
// lists, as a trailer of its records: its first record holds the state
// before the step, its marker the state after it. Bound rectangles and data
// space maxima follow from the members and are computed again.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The selection fields of one list.
struct UndoHolderState {
    uint32_t holder;
    // The selected member's handle where the list keeps a slot number, the
    // number itself where it is not one; the current object of the
    // selection list.
    uint32_t selected;
    _COORDPT point;  // where it was picked
    uint32_t active; // the active layer or aspect of the Layers and Groups roots; the
                     // selection list's last deselected object
    uint32_t reserved;
};
static_assert(sizeof(UndoHolderState) == 24);

// The lists whose selection fields a step keeps: the roots of the document
// and the layers, aspects and layer groups under them.
std::vector<UndoHolderState> UndoTakeHolderStates(OBJectKernel *kernel);

// Bytes of a record trailer holding the states; writes them at out.
size_t UndoHolderTrailerSize(const std::vector<UndoHolderState> &states);
void UndoWriteHolderTrailer(void *out, const std::vector<UndoHolderState> &states);
// The states of a trailer at in, of at most size bytes.
std::vector<UndoHolderState> UndoReadHolderTrailer(const void *in, size_t size);

// Gives the lists their selection fields back, where the member named is
// still one of theirs.
void UndoRestoreHolderStates(OBJectKernel *kernel, const std::vector<UndoHolderState> &states);

// The links of an object whose block was exchanged: the block's own two-way
// links are put back into their partners and partners' links that the block
// lacks are taken out; the selection list, which the history does not
// record, keeps its members and the object follows it.
void UndoRepairLinks(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE otherBlock);

// The lists that hold the object (its layer, its group, the selection
// list), each with the id of its links to its members.
struct UndoHolder {
    OBJHANDLE list;
    uint16_t memberId;
    bool operator==(const UndoHolder &) const = default;
};
void UndoCollectHolders(OBJectKernel *kernel, OBJHANDLE object, std::vector<UndoHolder> &holders);

// Computes the bound rectangle and largest data space of the lists again
// from their members, and those of the layer and group trees above them,
// each list after the lists it holds.
void UndoRecomputeHolders(OBJectKernel *kernel, const std::vector<UndoHolder> &holders);

// The selection list's fields name only objects of the document.
void UndoCheckSelectionFields(OBJectKernel *kernel);

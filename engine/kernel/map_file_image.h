// What a save writes of a kernel: the objects a file holds (neither hidden
// by the undo history nor deleted while referenced), numbered 1, 2, 3 ... in
// the order of their slots, with their references, incoming counts and the
// handles kept in fixed data told in that numbering. Counts and bank words
// are those of the objects written, so that a document read back and saved
// again gives the same bytes.
#pragma once

#include "engine/kernel/kernel_types.h"

#include <cstdint>
#include <vector>

struct BankDesc;

// The slot table size of a fresh bank whose first free slot is firstFree:
// the initial entries, grown by whole steps as BankAlloc grows them.
uint32_t BankFreshCapacity(uint32_t firstFree);

class MapFileImage {
public:
    // Without history, deletions and holes (as the kernel's counters and
    // slot table tell) the objects are numbered as they are, without a walk
    // over all blocks first; everySlot walks them in any case.
    explicit MapFileImage(OBJectKernel *kernel, bool everySlot = false);

    // True when the objects keep their handles and counts unvisited. Then a
    // block the file must not hold makes block() answer null, and the
    // writing has to start again with every slot walked.
    bool dense() const { return dense_; }

    // Number of objects written; their handles are 1 to count().
    uint32_t count() const { return count_; }
    // The bank words of the file: capacity, first free, freed count, lowest
    // freed, reuse flag.
    void bankWords(uint32_t (&words)[5]) const;
    // The kernel's objects word and its class entries as the file has them.
    void kernelCounts(uint32_t *objects, OBJectClassDescrKernel (&classes)[OBJ_MAX_CLASSES]) const;
    // The handle slot has in the file; 0 when the file does not hold it.
    uint32_t newHandle(uint32_t slot) const;
    // The block of slot as it is written: the block itself when nothing in it
    // changes, else a copy in scratch. Null for a slot the file does not hold.
    const void *block(uint32_t slot, std::vector<char> &scratch) const;

private:
    BankDesc *bank_;
    uint32_t firstFree_ = 0;
    uint32_t count_ = 0;
    bool dense_ = false; // every slot below first free holds an object to write
    bool renumbered_ = false;
    std::vector<uint32_t> table_;    // old slot -> new handle, 0 not written
    std::vector<uint32_t> incoming_; // references to each old slot from written objects (not dense)
    std::vector<uint32_t> perClass_; // objects written of each class index
    int rasterIndex_ = -1, selListIndex_ = -1, undoIndex_ = -1;
};

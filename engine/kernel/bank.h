// Bank allocator: numbered, zero-filled memory blocks in a private heap. A
// block's number (its slot) is the handle by which the object store names an
// object; it stays the same when the block is resized and moves.
#pragma once

#include "engine/kernel/kernel_types.h"

#include <vector>

inline constexpr uint32_t BANK_INITIAL_ENTRIES = 10000;
inline constexpr uint32_t BANK_GROWTH_ENTRIES = 10000;

struct BankDesc {
    HANDLE heap;
    // The five words the map file stores of a bank, in this order.
    uint32_t capacity;    // entries of the slot table
    uint32_t firstFree;   // lowest slot never handed out
    uint32_t freedCount;  // successful BankFree calls
    uint32_t lowestFreed; // lowest slot ever freed; 0 while none was
    int32_t reuseFlag;    // take slots from the delete stack first
    void **slots;         // capacity entries in the heap; 0 = empty slot
    // Entries the table's memory holds; the capacity grows by 10,000 at a
    // time, but the memory by doubling, so that a million objects do not
    // copy the table a hundred times.
    uint32_t tableEntries;
    // The undo history's record list and words (kept here, owned there).
    std::vector<void *> undoRecords;
    uint32_t undoPosition;
    uint32_t undoEnd;
    uint32_t undoResetNext;
    // Delete stack: entries [0, delStackDepth) are live, the top at depth - 1;
    // delStack.size() is its high-water mark.
    uint32_t delStackDepth;
    std::vector<uint32_t> delStack;
};
static_assert(offsetof(BankDesc, reuseFlag) - offsetof(BankDesc, capacity) == 16,
              "the stored bank words are contiguous");

BankDesc *BankNew(uint32_t initialHeapSize);
OBJHANDLE BankAlloc(BankDesc *bank, uint32_t size);
OBJHANDLE BankAllocInPos(BankDesc *bank, uint32_t size, OBJHANDLE slot, int overwrite);
// BankAllocInPos into an empty slot, for a caller that fills the whole block
// at once: the block is not cleared.
OBJHANDLE BankAllocInPosUncleared(BankDesc *bank, uint32_t size, OBJHANDLE slot);
// One bounds test and one table read: the object store's hot path.
void *BankLock(const BankDesc *bank, OBJHANDLE slot);
OBJHANDLE BankReAlloc(BankDesc *bank, OBJHANDLE slot, uint32_t newSize);
int BankFree(BankDesc *bank, OBJHANDLE slot);
int BankDelete(BankDesc *bank);
OBJHANDLE BankHandle(const BankDesc *bank, const void *block);
uint32_t BankSize(const BankDesc *bank, OBJHANDLE slot);
int BankSetMaxEntries(BankDesc *bank, uint32_t n);
int32_t BankSetEmptyFlag(BankDesc *bank, int32_t flag);
int32_t BankGetEmptyFlag(const BankDesc *bank);
int BankSetDelStack(BankDesc *bank);
uint32_t BankGetFirstFree(const BankDesc *bank);

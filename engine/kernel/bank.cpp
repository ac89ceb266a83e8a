#include "engine/kernel/bank.h"

#include "platform/heap.h"

#include <algorithm>
#include <new>

namespace {

constexpr DWORD kZero = HEAP_ZERO_MEMORY;

void pushDelStack(BankDesc *bank, uint32_t slot)
{
    if (bank->delStackDepth == bank->delStack.size())
        bank->delStack.push_back(slot);
    else
        bank->delStack[bank->delStackDepth] = slot;
    ++bank->delStackDepth;
}

bool onDelStack(const BankDesc *bank, uint32_t slot)
{
    const auto end = bank->delStack.begin() + bank->delStackDepth;
    return std::find(bank->delStack.begin(), end, slot) != end;
}

// Sets the slot table to n entries, the new ones empty. exact makes the
// memory hold exactly n entries; otherwise growth reserves ahead.
bool resizeTable(BankDesc *bank, uint32_t n, bool exact)
{
    if (!exact && n <= bank->tableEntries) {
        if (n > bank->capacity)
            std::fill(bank->slots + bank->capacity, bank->slots + n, nullptr);
        bank->capacity = n;
        return true;
    }
    const uint64_t entries = exact ? n : std::max<uint64_t>(n, 2 * uint64_t(bank->tableEntries));
    const uint32_t reserve = uint32_t(std::min<uint64_t>(entries, UINT32_MAX));
    void *table = HeapReAlloc(bank->heap, kZero, bank->slots, size_t(reserve) * sizeof(void *));
    if (!table)
        return false;
    bank->slots = static_cast<void **>(table);
    // Entries between the old capacity and the old memory's end may hold
    // addresses from before a shrink of the capacity.
    if (n > bank->capacity)
        std::fill(bank->slots + bank->capacity, bank->slots + std::min(n, bank->tableEntries), nullptr);
    bank->tableEntries = reserve;
    bank->capacity = n;
    return true;
}

} // namespace

BankDesc *BankNew(uint32_t initialHeapSize)
{
    if (initialHeapSize == 0)
        initialHeapSize = 1024;
    auto *bank = new (std::nothrow) BankDesc{};
    if (!bank)
        return nullptr;
    bank->heap = HeapCreate(HEAP_NO_SERIALIZE, size_t(initialHeapSize) + 40000, 0);
    if (bank->heap)
        bank->slots =
            static_cast<void **>(HeapAlloc(bank->heap, kZero, size_t(BANK_INITIAL_ENTRIES) * sizeof(void *)));
    if (!bank->slots) {
        if (bank->heap)
            HeapDestroy(bank->heap);
        delete bank;
        return nullptr;
    }
    bank->capacity = BANK_INITIAL_ENTRIES;
    bank->tableEntries = BANK_INITIAL_ENTRIES;
    bank->firstFree = 1;
    bank->reuseFlag = 1;
    return bank;
}

void *BankLock(const BankDesc *bank, OBJHANDLE slot)
{
    if (!bank || slot >= bank->capacity)
        return nullptr;
    return bank->slots[slot];
}

OBJHANDLE BankAlloc(BankDesc *bank, uint32_t size)
{
    if (!bank)
        return 0;
    if (bank->reuseFlag) {
        while (bank->delStackDepth > 0) {
            const uint32_t slot = bank->delStack[--bank->delStackDepth];
            // Slots restored from a file or table shrinking may leave stale
            // entries; only an empty slot in range is handed out again.
            if (slot != 0 && slot < bank->capacity && !bank->slots[slot]) {
                bank->slots[slot] = HeapAlloc(bank->heap, kZero, size);
                return slot;
            }
        }
    }
    if (bank->firstFree >= bank->capacity) {
        const uint64_t wanted = uint64_t(bank->firstFree) + 1;
        uint64_t n = uint64_t(bank->capacity) + BANK_GROWTH_ENTRIES;
        while (n < wanted)
            n += BANK_GROWTH_ENTRIES;
        if (n > UINT32_MAX || !resizeTable(bank, uint32_t(n), false))
            return 0;
    }
    const uint32_t slot = bank->firstFree++;
    bank->slots[slot] = HeapAlloc(bank->heap, kZero, size);
    return slot;
}

OBJHANDLE BankAllocInPos(BankDesc *bank, uint32_t size, OBJHANDLE slot, int overwrite)
{
    if (!bank || slot == 0 || slot >= bank->capacity)
        return 0;
    if (bank->slots[slot] && !overwrite)
        return 0;
    void *block = HeapAlloc(bank->heap, kZero, size);
    if (!block)
        return 0;
    bank->slots[slot] = block;
    return slot;
}

OBJHANDLE BankAllocInPosUncleared(BankDesc *bank, uint32_t size, OBJHANDLE slot)
{
    if (!bank || slot == 0 || slot >= bank->capacity || bank->slots[slot])
        return 0;
    void *block = HeapAlloc(bank->heap, 0, size);
    if (!block)
        return 0;
    bank->slots[slot] = block;
    return slot;
}

OBJHANDLE BankReAlloc(BankDesc *bank, OBJHANDLE slot, uint32_t newSize)
{
    if (!bank || slot >= bank->capacity || !bank->slots[slot])
        return 0;
    void *block = HeapReAlloc(bank->heap, kZero, bank->slots[slot], newSize);
    if (!block)
        return 0;
    bank->slots[slot] = block;
    return slot;
}

int BankFree(BankDesc *bank, OBJHANDLE slot)
{
    // Slot 0 is never handed out, so it is never given back either.
    if (!bank || slot == 0 || slot >= bank->capacity)
        return 0;
    if (bank->slots[slot]) {
        if (!HeapFree(bank->heap, 0, bank->slots[slot]))
            return 0;
        bank->slots[slot] = nullptr;
    } else if (onDelStack(bank, slot)) {
        // Pushing it twice would later give one slot to two objects.
        return 1;
    }
    ++bank->freedCount;
    if (bank->lowestFreed == 0 || slot < bank->lowestFreed)
        bank->lowestFreed = slot;
    pushDelStack(bank, slot);
    return 1;
}

int BankDelete(BankDesc *bank)
{
    if (!bank || !HeapDestroy(bank->heap))
        return 0;
    delete bank;
    return 1;
}

OBJHANDLE BankHandle(const BankDesc *bank, const void *block)
{
    if (!bank || !block)
        return 0;
    for (uint32_t i = 0; i < bank->capacity; ++i)
        if (bank->slots[i] == block)
            return i;
    return 0;
}

uint32_t BankSize(const BankDesc *bank, OBJHANDLE slot)
{
    const void *block = BankLock(bank, slot);
    if (!block)
        return 0;
    return uint32_t(HeapSize(bank->heap, 0, block));
}

int BankSetMaxEntries(BankDesc *bank, uint32_t n)
{
    if (!bank || n == 0)
        return 0;
    // Cutting the table below a live block would lose the block's object.
    for (uint32_t i = n; i < bank->capacity; ++i)
        if (bank->slots[i])
            return 0;
    return resizeTable(bank, n, true) ? 1 : 0;
}

int32_t BankSetEmptyFlag(BankDesc *bank, int32_t flag)
{
    if (!bank)
        return 0;
    const int32_t previous = bank->reuseFlag;
    bank->reuseFlag = flag;
    return previous;
}

int32_t BankGetEmptyFlag(const BankDesc *bank) { return bank ? bank->reuseFlag : 0; }

int BankSetDelStack(BankDesc *bank)
{
    if (!bank)
        return 0;
    bank->delStackDepth = 0;
    const uint32_t top = std::min(bank->firstFree, bank->capacity);
    for (uint32_t slot = top; slot-- > 1;)
        if (!bank->slots[slot])
            pushDelStack(bank, slot);
    return 1;
}

uint32_t BankGetFirstFree(const BankDesc *bank) { return bank ? bank->firstFree : 0; }

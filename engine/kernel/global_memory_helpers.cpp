#include "engine/kernel/global_memory_helpers.h"

#include "platform/global_memory.h"

namespace {

// Global blocks live on the process heap here, which has nothing to
// compact; the retry after a failure is kept because a failure may be
// transient (another thread freeing memory meanwhile).
void CompactBeforeRetry(uint32_t) {}

} // namespace

HGLOBAL GetGlobalHandle(uint16_t flags, uint32_t size)
{
    HGLOBAL mem = GlobalAlloc(flags, size);
    if (!mem) {
        CompactBeforeRetry(size);
        mem = GlobalAlloc(flags, size);
    }
    return mem;
}

HGLOBAL ReSizeGlobalHandle(HGLOBAL mem, uint32_t size, uint16_t flags)
{
    if (!mem)
        return 0;
    HGLOBAL result = GlobalReAlloc(mem, size, flags);
    if (!result) {
        CompactBeforeRetry(size);
        result = GlobalReAlloc(mem, size, flags);
    }
    return result;
}

HGLOBAL GlobalAllocCompact(uint32_t size) { return GetGlobalHandle(GHND, size); }

HGLOBAL GlobalFreeUnlocked(HGLOBAL mem)
{
    if (!mem)
        return 0;
    // GlobalUnlock answers FALSE once the lock count is 0 (or the handle is
    // bad), so the loop ends after at most the block's lock count.
    while (GlobalUnlock(mem)) {
    }
    return GlobalFree(mem);
}

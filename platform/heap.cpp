#include "platform/heap.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Every block carries this header in front of it: the heap keeps its blocks
// in a doubly linked list so that destroying it frees them all.
struct alignas(16) BlockHeader {
    BlockHeader *prev;
    BlockHeader *next;
    size_t size;
    struct Heap *owner;
};
static_assert(sizeof(BlockHeader) == 32);

struct Heap {
    BlockHeader anchor; // circular list sentinel
    size_t maximum;     // 0: growable
    size_t total;       // bytes in use, for the maximum
};

BlockHeader *headerOf(const void *block) { return static_cast<BlockHeader *>(const_cast<void *>(block)) - 1; }

void link(Heap *h, BlockHeader *b)
{
    b->owner = h;
    b->next = h->anchor.next;
    b->prev = &h->anchor;
    h->anchor.next->prev = b;
    h->anchor.next = b;
}

void unlink(BlockHeader *b)
{
    b->prev->next = b->next;
    b->next->prev = b->prev;
}

bool fits(const Heap *h, size_t oldSize, size_t newSize)
{
    if (h->maximum == 0)
        return true;
    return h->total - oldSize + newSize <= h->maximum;
}

} // namespace

HANDLE HeapCreate(DWORD, size_t, size_t maximumSize)
{
    auto *h = new (std::nothrow) Heap{};
    if (!h)
        return nullptr;
    h->anchor.prev = h->anchor.next = &h->anchor;
    h->maximum = maximumSize;
    return h;
}

BOOL HeapDestroy(HANDLE heap)
{
    auto *h = static_cast<Heap *>(heap);
    if (!h)
        return FALSE;
    BlockHeader *b = h->anchor.next;
    while (b != &h->anchor) {
        BlockHeader *next = b->next;
        std::free(b);
        b = next;
    }
    delete h;
    return TRUE;
}

void *HeapAlloc(HANDLE heap, DWORD flags, size_t bytes)
{
    auto *h = static_cast<Heap *>(heap);
    if (!h || bytes > SIZE_MAX - sizeof(BlockHeader) || !fits(h, 0, bytes))
        return nullptr;
    void *raw = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, sizeof(BlockHeader) + bytes)
                                           : std::malloc(sizeof(BlockHeader) + bytes);
    if (!raw)
        return nullptr;
    auto *b = static_cast<BlockHeader *>(raw);
    b->size = bytes;
    link(h, b);
    h->total += bytes;
    return b + 1;
}

void *HeapReAlloc(HANDLE heap, DWORD flags, void *block, size_t bytes)
{
    auto *h = static_cast<Heap *>(heap);
    if (!h || !block || bytes > SIZE_MAX - sizeof(BlockHeader))
        return nullptr;
    BlockHeader *b = headerOf(block);
    if (b->owner != h)
        return nullptr;
    const size_t oldSize = b->size;
    if (!fits(h, oldSize, bytes))
        return nullptr;
    // realloc moves the header with the data, so the list is re-linked
    // through the neighbours afterwards.
    BlockHeader *prev = b->prev;
    BlockHeader *next = b->next;
    auto *nb = static_cast<BlockHeader *>(std::realloc(b, sizeof(BlockHeader) + bytes));
    if (!nb)
        return nullptr;
    nb->prev = prev;
    nb->next = next;
    prev->next = nb;
    next->prev = nb;
    nb->size = bytes;
    h->total = h->total - oldSize + bytes;
    if ((flags & HEAP_ZERO_MEMORY) && bytes > oldSize)
        std::memset(reinterpret_cast<char *>(nb + 1) + oldSize, 0, bytes - oldSize);
    return nb + 1;
}

BOOL HeapFree(HANDLE heap, DWORD, void *block)
{
    auto *h = static_cast<Heap *>(heap);
    if (!h)
        return FALSE;
    if (!block)
        return TRUE;
    BlockHeader *b = headerOf(block);
    if (b->owner != h)
        return FALSE;
    unlink(b);
    h->total -= b->size;
    std::free(b);
    return TRUE;
}

size_t HeapSize(HANDLE heap, DWORD, const void *block)
{
    if (!heap || !block)
        return size_t(-1);
    const BlockHeader *b = headerOf(block);
    if (b->owner != heap)
        return size_t(-1);
    return b->size;
}

#include "engine/polygon/object_pool.h"

#include "platform/large_block.h"

#include <cstdint>

namespace object_pool_detail {

namespace {
// The chunk's header takes the first aligned slot.
constexpr std::size_t kHeader = alignof(std::max_align_t);
static_assert(sizeof(Chunk) <= kHeader);

// Chunks given up by the pools of this thread, one list per chunk size.
// Trivially destructible, so still usable while other thread-local objects
// are destroyed; the keeper below empties them once and stops further
// keeping.
struct SpareChunks {
    Chunk *head;
    std::size_t count;
    std::size_t limit;
};

thread_local SpareChunks spare{nullptr, 0, kSpareChunksKept};
thread_local SpareChunks spareHuge{nullptr, 0, kSpareHugeChunksKept};

void FreeChunk(Chunk *chunk)
{
    if (chunk->bytes == kHugeChunkBytes)
        UnmapHugePageBlock(chunk, kHugeChunkBytes);
    else
        ::operator delete(chunk);
}

void FreeSpareChunks(SpareChunks *chunks)
{
    while (Chunk *chunk = chunks->head) {
        chunks->head = chunk->next;
        FreeChunk(chunk);
    }
    chunks->count = 0;
}

struct SpareChunksKeeper {
    SpareChunksKeeper() = default;
    SpareChunksKeeper(const SpareChunksKeeper &) = delete;
    SpareChunksKeeper &operator=(const SpareChunksKeeper &) = delete;
    ~SpareChunksKeeper()
    {
        spare.limit = spareHuge.limit = 0;
        FreeSpareChunks(&spare);
        FreeSpareChunks(&spareHuge);
    }
};

void KeepOrFree(Chunk *chunk)
{
    // Made on the first chunk kept, so that the thread frees the spares when it
    // ends.
    thread_local SpareChunksKeeper keeper;
    SpareChunks &chunks = chunk->bytes == kHugeChunkBytes ? spareHuge : spare;
    if (chunks.count < chunks.limit) {
        chunk->next = chunks.head;
        chunks.head = chunk;
        chunks.count++;
    } else {
        FreeChunk(chunk);
    }
}

Chunk *TakeSpare(SpareChunks *chunks)
{
    Chunk *chunk = chunks->head;
    if (chunk) {
        chunks->head = chunk->next;
        chunks->count--;
    }
    return chunk;
}

} // namespace

void *NewChunk(PoolState *state, std::size_t blockSize)
{
    Chunk *chunk = nullptr;
    if (state->chunkBytes >= kHugeChunksAfter) {
        chunk = TakeSpare(&spareHuge);
        if (!chunk) {
            chunk = static_cast<Chunk *>(MapHugePageBlock(kHugeChunkBytes));
            if (chunk)
                chunk->bytes = kHugeChunkBytes;
        }
    }
    if (!chunk) {
        chunk = TakeSpare(&spare);
        if (!chunk) {
            chunk = static_cast<Chunk *>(::operator new(kChunkBytes));
            chunk->bytes = kChunkBytes;
        }
    }
    chunk->next = state->chunks;
    state->chunks = chunk;
    state->chunkBytes += chunk->bytes;
    char *first = reinterpret_cast<char *>(chunk) + kHeader;
    state->bump = first + blockSize;
    state->end = first + (chunk->bytes - kHeader) / blockSize * blockSize;
    return first;
}

void ReleaseChunks(PoolState *state)
{
    while (Chunk *chunk = state->chunks) {
        state->chunks = chunk->next;
        KeepOrFree(chunk);
    }
    state->bump = state->end = nullptr;
    state->free = nullptr;
    state->chunkBytes = 0;
}

} // namespace object_pool_detail

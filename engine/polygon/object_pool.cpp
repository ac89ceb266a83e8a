#include "engine/polygon/object_pool.h"

namespace object_pool_detail {

namespace {
// The chunk's link to the next one takes the first aligned slot.
constexpr std::size_t kHeader = alignof(std::max_align_t);
static_assert(sizeof(Chunk) <= kHeader);

// Chunks given up by the pools of this thread, all of kChunkBytes.
// Trivially destructible, so still usable while other thread-local objects
// are destroyed; the keeper below empties it once and stops further keeping.
struct SpareChunks {
  Chunk *head;
  std::size_t count;
  std::size_t limit;
};

thread_local SpareChunks spare{nullptr, 0, kSpareChunksKept};

void FreeSpareChunks() {
  while (Chunk *chunk = spare.head) {
    spare.head = chunk->next;
    ::operator delete(chunk);
  }
  spare.count = 0;
}

struct SpareChunksKeeper {
  SpareChunksKeeper() = default;
  SpareChunksKeeper(const SpareChunksKeeper &) = delete;
  SpareChunksKeeper &operator=(const SpareChunksKeeper &) = delete;
  ~SpareChunksKeeper() {
    spare.limit = 0;
    FreeSpareChunks();
  }
};

void KeepOrFree(Chunk *chunk) {
  // Made on the first chunk kept, so that the thread frees the spares when it
  // ends.
  thread_local SpareChunksKeeper keeper;
  if (spare.count < spare.limit) {
    chunk->next = spare.head;
    spare.head = chunk;
    spare.count++;
  } else {
    ::operator delete(chunk);
  }
}

} // namespace

void *NewChunk(PoolState *state, std::size_t blockSize) {
  char *raw;
  if (Chunk *reused = spare.head) {
    spare.head = reused->next;
    spare.count--;
    raw = reinterpret_cast<char *>(reused);
  } else {
    raw = static_cast<char *>(::operator new(kChunkBytes));
  }
  Chunk *chunk = reinterpret_cast<Chunk *>(raw);
  chunk->next = state->chunks;
  state->chunks = chunk;
  char *first = raw + kHeader;
  state->bump = first + blockSize;
  state->end = first + (kChunkBytes - kHeader) / blockSize * blockSize;
  return first;
}

void ReleaseChunks(PoolState *state) {
  while (Chunk *chunk = state->chunks) {
    state->chunks = chunk->next;
    KeepOrFree(chunk);
  }
  state->bump = state->end = nullptr;
  state->free = nullptr;
}

} // namespace object_pool_detail

#include "engine/polygon/object_pool.h"

namespace object_pool_detail {

namespace {
// The chunk's link to the next one takes the first aligned slot.
constexpr std::size_t kHeader = alignof(std::max_align_t);
static_assert(sizeof(Chunk) <= kHeader);
} // namespace

void *NewChunk(PoolState *state, std::size_t blockSize) {
  char *raw = static_cast<char *>(::operator new(kChunkBytes));
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
    ::operator delete(chunk);
  }
  state->bump = state->end = nullptr;
  state->free = nullptr;
}

} // namespace object_pool_detail

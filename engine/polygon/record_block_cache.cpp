#include "engine/polygon/record_block_cache.h"

#include <new>

namespace RecordBlockCache {
namespace {

struct HeldBlock {
  void *block;
  std::size_t size;
};

HeldBlock g_held[kMaxHeld];
int g_heldCount = 0;

} // namespace

void *CacheAllocate(std::size_t size) {
  if (g_heldCount > 0 && g_held[g_heldCount - 1].size == size)
    return g_held[--g_heldCount].block;
  return ::operator new(size);
}

void CacheRelease(void *block, std::size_t size) {
  if (!block)
    return;
  if (g_heldCount < kMaxHeld) {
    g_held[g_heldCount++] = {block, size};
    return;
  }
  ::operator delete(block);
}

void CacheFlush() {
  while (g_heldCount > 0)
    ::operator delete(g_held[--g_heldCount].block);
}

int CacheHeldCount() { return g_heldCount; }

} // namespace RecordBlockCache

// A small stack of freed fixed-size records, so that the scan beam, which
// makes and frees one record per link, reuses memory. A block is handed out
// again only for a request of the size it was made with.
#pragma once

#include <cstddef>

namespace RecordBlockCache {

inline constexpr int kMaxHeld = 29;

void *CacheAllocate(std::size_t size);
// Keeps the block (made by CacheAllocate with this size) when fewer than
// kMaxHeld are held, else frees it.
void CacheRelease(void *block, std::size_t size);
// Frees every held block, most recent first.
void CacheFlush();
int CacheHeldCount();

} // namespace RecordBlockCache

// Movable global memory with one retry: the engine's lists that are handed
// out as memory blocks are allocated and grown through these helpers.
#pragma once

#include "platform/types.h"

#include <cstdint>

// GlobalAlloc with the flags; after a failure, one compaction and a retry.
// 0 when the memory cannot be had.
HGLOBAL GetGlobalHandle(uint16_t flags, uint32_t size);
// GlobalReAlloc with the same single retry; 0 (the block unchanged) on
// failure.
HGLOBAL ReSizeGlobalHandle(HGLOBAL mem, uint32_t size, uint16_t flags);
// A moveable, zero-filled block, with the same single retry.
HGLOBAL GlobalAllocCompact(uint32_t size);
// Unlocks the block until nothing holds it locked, then frees it: the
// result of GlobalFree (0 on success, and 0 for a null handle).
HGLOBAL GlobalFreeUnlocked(HGLOBAL mem);

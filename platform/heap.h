// Private heaps: every block belongs to one heap and all of them go when the
// heap is destroyed. HeapSize answers exactly the size that was requested.
#pragma once

#include "platform/types.h"

inline constexpr DWORD HEAP_NO_SERIALIZE = 0x00000001;
inline constexpr DWORD HEAP_GENERATE_EXCEPTIONS = 0x00000004;
inline constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

// options: HEAP_NO_SERIALIZE or 0 (a heap is always used by one thread at a
// time here, so the flag changes nothing). maximumSize 0 makes the heap
// growable; otherwise allocations beyond it in total are refused.
HANDLE HeapCreate(DWORD options, size_t initialSize, size_t maximumSize);
BOOL HeapDestroy(HANDLE heap);

void *HeapAlloc(HANDLE heap, DWORD flags, size_t bytes);
// Resizes a block; it may move. With HEAP_ZERO_MEMORY the part added is zero.
// Returns null, leaving the block untouched, when the heap refuses.
void *HeapReAlloc(HANDLE heap, DWORD flags, void *block, size_t bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, void *block);
// The size asked for when the block was (re)allocated; (size_t)-1 for a null
// heap or block.
size_t HeapSize(HANDLE heap, DWORD flags, const void *block);

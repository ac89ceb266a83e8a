// Movable global memory: blocks named by 32-bit handle ids, shared by every
// module of the process (lists handed out by the engine, clipboard data).
// A block has a stable address only while it is locked.
#pragma once

#include "platform/types.h"

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GMEM_DDESHARE = 0x2000;
inline constexpr UINT GMEM_SHARE = 0x2000;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// 0 when the memory cannot be had. Blocks are always zero-filled: nothing
// relies on the contents of fresh memory, and it keeps behaviour repeatable.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
// Resizes an unlocked block (it may move); the grown part is zero. Returns
// the same handle, or 0 with the block unchanged.
HGLOBAL GlobalReAlloc(HGLOBAL mem, size_t bytes, UINT flags);
// Returns 0 on success, the handle itself on failure (a bad or locked block).
HGLOBAL GlobalFree(HGLOBAL mem);
void *GlobalLock(HGLOBAL mem);
// TRUE while the block stays locked after this call.
BOOL GlobalUnlock(HGLOBAL mem);
// Requested size in bytes; 0 for a bad handle.
size_t GlobalSize(HGLOBAL mem);
// The handle of a locked block's address; 0 when none.
HGLOBAL GlobalHandle(const void *address);
// Number of live blocks, for leak checks in tests.
size_t GlobalBlockCount();

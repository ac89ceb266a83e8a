// Fixed-size blocks for the graph's nodes and links. A large operation makes
// and frees hundreds of thousands of them; carved from big chunks they cost
// no heap call each, and blocks made one after another lie side by side,
// which is what the sweeps over a graph read fastest. The chunks of a type
// are given up when its last object is freed (at the end of every
// operation); up to kSpareChunksKept of them (8 MB) stay with the thread for
// the next operation, whose first touch of fresh heap memory would otherwise
// cost a page fault per page. A pool that has grown past kHugeChunksAfter in
// one operation takes further chunks as 2 MB blocks that the kernel may back
// with one huge page each: a page fault and a TLB entry per 2 MB instead of
// per 4 KB; up to kSpareHugeChunksKept of them stay with the thread. Small
// operations never reach them. Under the address sanitizer every object goes
// to the heap, so that a stale pointer is reported.
#pragma once

#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define OBJECT_POOL_ENABLED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OBJECT_POOL_ENABLED 0
#endif
#endif
#ifndef OBJECT_POOL_ENABLED
#define OBJECT_POOL_ENABLED 1
#endif

namespace object_pool_detail {

struct FreeBlock {
    FreeBlock *next;
};

struct Chunk {
    Chunk *next;
    std::size_t bytes;
};

// Per thread and block size; trivially destructible on purpose (objects may
// outlive the thread's other statics).
struct PoolState {
    char *bump;
    char *end;
    FreeBlock *free;
    Chunk *chunks;
    std::size_t live;
    // Bytes of the chunks held, which decides the size of the next chunk.
    std::size_t chunkBytes;
};

inline constexpr std::size_t kChunkBytes = std::size_t(1) << 16;
// Chunks kept for reuse per thread, shared by all block sizes.
inline constexpr std::size_t kSpareChunksKept = 128;
inline constexpr std::size_t kHugeChunkBytes = std::size_t(2) << 20;
inline constexpr std::size_t kHugeChunksAfter = std::size_t(2) << 20;
inline constexpr std::size_t kSpareHugeChunksKept = 4;

void *NewChunk(PoolState *state, std::size_t blockSize);
void ReleaseChunks(PoolState *state);

template <class T>
PoolState &State()
{
    thread_local PoolState state{nullptr, nullptr, nullptr, nullptr, 0, 0};
    return state;
}

} // namespace object_pool_detail

// Blocks for objects of type T, one pool per type and thread.
template <class T>
class ObjectPool {
public:
    static constexpr std::size_t kAlign = alignof(T) > alignof(void *) ? alignof(T) : alignof(void *);
    static constexpr std::size_t kBlock = (sizeof(T) + kAlign - 1) / kAlign * kAlign;
    static_assert(kAlign <= alignof(std::max_align_t));

    static void *Allocate()
    {
#if OBJECT_POOL_ENABLED
        using namespace object_pool_detail;
        PoolState &state = State<T>();
        state.live++;
        if (FreeBlock *block = state.free) {
            state.free = block->next;
            return block;
        }
        if (state.bump != state.end) {
            void *block = state.bump;
            state.bump += kBlock;
            return block;
        }
        return NewChunk(&state, kBlock);
#else
        return ::operator new(sizeof(T));
#endif
    }

    static void Free(void *block)
    {
#if OBJECT_POOL_ENABLED
        using namespace object_pool_detail;
        PoolState &state = State<T>();
        FreeBlock *freed = static_cast<FreeBlock *>(block);
        freed->next = state.free;
        state.free = freed;
        if (--state.live == 0)
            ReleaseChunks(&state);
#else
        ::operator delete(block);
#endif
    }
};

// Gives a class pooled operator new/delete (objects of exactly its size;
// other sizes, as of a derived class, go to the heap).
template <class T>
struct Pooled {
    static void *operator new(std::size_t size)
    {
        return size == sizeof(T) ? ObjectPool<T>::Allocate() : ::operator new(size);
    }
    static void operator delete(void *block, std::size_t size)
    {
        if (!block)
            return;
        if (size == sizeof(T))
            ObjectPool<T>::Free(block);
        else
            ::operator delete(block);
    }
};

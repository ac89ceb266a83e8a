#include "engine/kernel/buffer.h"

#include "platform/global_memory.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr UINT kFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Byte size of n items; 0 when it does not fit the 32-bit size field.
uint64_t bytesFor(const Buffer *b, uint64_t n)
{
    const uint64_t bytes = n * b->itemSize;
    return bytes > UINT32_MAX ? 0 : bytes;
}

// Global memory cannot be compacted further here, so the one retry after a
// failure is a plain second attempt.
HGLOBAL allocWithRetry(uint64_t bytes)
{
    HGLOBAL h = GlobalAlloc(kFlags, size_t(bytes));
    return h ? h : GlobalAlloc(kFlags, size_t(bytes));
}

HGLOBAL reallocWithRetry(HGLOBAL h, uint64_t bytes)
{
    HGLOBAL r = GlobalReAlloc(h, size_t(bytes), kFlags);
    return r ? r : GlobalReAlloc(h, size_t(bytes), kFlags);
}

// Sets the block to n items, keeping the lock state; false leaves the
// Buffer as it was.
bool setCapacity(Buffer *b, uint32_t n)
{
    const uint64_t bytes = bytesFor(b, n);
    if (bytes == 0)
        return false;
    if (!b->handle) {
        const HGLOBAL h = allocWithRetry(bytes);
        if (!h)
            return false;
        b->handle = h;
        b->pointer = GlobalLock(h);
    } else {
        const bool locked = b->pointer != nullptr;
        if (locked) {
            GlobalUnlock(b->handle);
            b->pointer = nullptr;
        }
        const HGLOBAL h = reallocWithRetry(b->handle, bytes);
        if (h)
            b->handle = h;
        if (locked)
            b->pointer = GlobalLock(b->handle);
        if (!h)
            return false;
    }
    b->capacity = n;
    b->size = uint32_t(bytes);
    return true;
}

// Runs f on the block's address, locking an unlocked block for the call only.
template <class F>
void withBlock(Buffer *b, F f)
{
    if (b->pointer) {
        f(static_cast<char *>(b->pointer));
        return;
    }
    if (char *p = static_cast<char *>(GlobalLock(b->handle))) {
        f(p);
        GlobalUnlock(b->handle);
    }
}

} // namespace

int BufferInit(Buffer *buffer, uint32_t type, uint32_t itemSize, int growBy)
{
    if (!buffer)
        return 0;
    *buffer = Buffer{};
    buffer->type = type;
    buffer->itemSize = itemSize;
    buffer->growBy = uint32_t(std::max(growBy, 0));
    return 1;
}

int BufferReset(Buffer *buffer, uint32_t type, uint32_t itemSize, int growBy)
{
    if (!buffer || itemSize == 0)
        return 0;
    buffer->growBy = uint32_t(std::max(growBy, 0));
    buffer->itemSize = itemSize;
    buffer->type = type;
    buffer->capacity = buffer->size / itemSize;
    buffer->readPos = buffer->writePos = 0;
    buffer->synch = 0;
    buffer->validNumber = 0;
    return 1;
}

int BufferDelete(Buffer *buffer)
{
    if (!buffer)
        return 0;
    if (buffer->handle) {
        if (buffer->pointer)
            GlobalUnlock(buffer->handle);
        GlobalFree(buffer->handle);
    }
    buffer->handle = 0;
    buffer->pointer = nullptr;
    buffer->size = 0;
    buffer->capacity = 0;
    return 1;
}

uint32_t BufferSetSize(Buffer *buffer, uint32_t n)
{
    if (!buffer)
        return 0;
    if (buffer->capacity >= n)
        return buffer->capacity;
    setCapacity(buffer, n);
    return buffer->capacity;
}

uint32_t BufferSetDataItem(Buffer *buffer, const void *item)
{
    if (!buffer || !item)
        return 0;
    if (buffer->writePos >= buffer->capacity) {
        // A grow-by of 0 still makes room for the one item being written.
        const uint64_t n = uint64_t(buffer->capacity) + std::max<uint32_t>(buffer->growBy, 1);
        if (n > UINT32_MAX || !setCapacity(buffer, uint32_t(n)))
            return UINT32_MAX;
    }
    withBlock(buffer, [&](char *p) {
        std::memcpy(p + size_t(buffer->writePos) * buffer->itemSize, item, buffer->itemSize);
    });
    ++buffer->writePos;
    if (buffer->synch)
        buffer->readPos = buffer->writePos;
    return buffer->writePos;
}

int BufferGetDataItem(Buffer *buffer, void *item)
{
    if (!buffer || !item || !buffer->handle || buffer->readPos >= buffer->capacity)
        return 0;
    withBlock(buffer, [&](char *p) {
        std::memcpy(item, p + size_t(buffer->readPos) * buffer->itemSize, buffer->itemSize);
    });
    ++buffer->readPos;
    if (buffer->synch)
        buffer->writePos = buffer->readPos;
    return 1;
}

int BufferSetDataItemPos(Buffer *buffer, const void *item, uint32_t index)
{
    if (!buffer || !item || !buffer->handle || index >= buffer->capacity)
        return 0;
    withBlock(buffer,
              [&](char *p) { std::memcpy(p + size_t(index) * buffer->itemSize, item, buffer->itemSize); });
    return 1;
}

int BufferGetDataItemPos(Buffer *buffer, void *item, uint32_t index)
{
    if (!buffer || !item || !buffer->handle || index >= buffer->capacity)
        return 0;
    withBlock(buffer,
              [&](char *p) { std::memcpy(item, p + size_t(index) * buffer->itemSize, buffer->itemSize); });
    return 1;
}

uint32_t BufferSetItemPosRead(Buffer *buffer, uint32_t index)
{
    if (!buffer || buffer->capacity == 0)
        return 0;
    const uint32_t previous = buffer->readPos;
    buffer->readPos = std::min(index, buffer->capacity - 1);
    if (buffer->synch)
        buffer->writePos = buffer->readPos;
    return previous;
}

uint32_t BufferSetItemPosWrite(Buffer *buffer, uint32_t index)
{
    if (!buffer)
        return 0;
    const uint32_t previous = buffer->writePos;
    buffer->writePos = std::min(index, buffer->capacity);
    if (buffer->synch)
        buffer->readPos = buffer->writePos;
    return previous;
}

uint32_t BufferGetItemPosRead(const Buffer *buffer) { return buffer ? buffer->readPos : 0; }
uint32_t BufferGetItemPosWrite(const Buffer *buffer) { return buffer ? buffer->writePos : 0; }

int BufferSetSynchReadWrite(Buffer *buffer, int flag)
{
    if (!buffer)
        return 0;
    const int previous = int(buffer->synch);
    buffer->synch = uint32_t(flag);
    if (flag)
        buffer->writePos = buffer->readPos;
    return previous;
}

void *BufferLock(Buffer *buffer)
{
    if (!buffer || !buffer->handle)
        return nullptr;
    if (!buffer->pointer)
        buffer->pointer = GlobalLock(buffer->handle);
    return buffer->pointer;
}

int BufferUnLock(Buffer *buffer)
{
    if (!buffer || !buffer->handle)
        return 0;
    if (buffer->pointer)
        GlobalUnlock(buffer->handle);
    buffer->pointer = nullptr;
    return 1;
}

void *BufferGetPointer(const Buffer *buffer) { return buffer ? buffer->pointer : nullptr; }

void *BufferGetPointerFromItem(const Buffer *buffer, uint32_t index)
{
    if (!buffer || !buffer->pointer || index >= buffer->capacity)
        return nullptr;
    return static_cast<char *>(buffer->pointer) + size_t(index) * buffer->itemSize;
}

HGLOBAL BufferGetHandle(const Buffer *buffer) { return buffer ? buffer->handle : 0; }
uint32_t BufferGetSize(const Buffer *buffer) { return buffer ? buffer->capacity : 0; }
uint32_t BufferGetItemSize(const Buffer *buffer) { return buffer ? buffer->itemSize : 0; }
uint32_t BufferGetType(const Buffer *buffer) { return buffer ? buffer->type : 0; }

uint32_t BufferSetType(Buffer *buffer, uint32_t type)
{
    if (!buffer)
        return 0;
    return std::exchange(buffer->type, type);
}

uint32_t BufferGetValidNumber(const Buffer *buffer) { return buffer ? buffer->validNumber : 0; }

uint32_t BufferSetValidNumber(Buffer *buffer, uint32_t n)
{
    if (!buffer)
        return 0;
    return std::exchange(buffer->validNumber, n);
}

uint32_t BufferFill(Buffer *buffer, const void *source, uint32_t n)
{
    if (!buffer || !source || n == 0 || BufferSetSize(buffer, n) < n)
        return 0;
    withBlock(buffer, [&](char *p) { std::memcpy(p, source, size_t(n) * buffer->itemSize); });
    return n;
}

// Buffer: a growable array of fixed-size items in one movable global memory
// block, with read and write positions and a few words its users keep.
#pragma once

#include "platform/types.h"

#include <cstdint>

struct Buffer {
    HGLOBAL handle;    // 0 while the Buffer has no block
    void *pointer;     // the block's address while locked; null otherwise
    uint32_t size;     // bytes: capacity x item size
    uint32_t capacity; // items
    uint32_t readPos;
    uint32_t writePos;
    uint32_t synch; // non-zero: read and write positions move together
    uint32_t type;  // a kind word for the Buffer's users
    uint32_t itemSize;
    uint32_t growBy; // items added when a sequential write finds it full
    uint32_t validNumber;
};

int BufferInit(Buffer *buffer, uint32_t type, uint32_t itemSize, int growBy);
int BufferReset(Buffer *buffer, uint32_t type, uint32_t itemSize, int growBy);
int BufferDelete(Buffer *buffer);
uint32_t BufferSetSize(Buffer *buffer, uint32_t n);
uint32_t BufferSetDataItem(Buffer *buffer, const void *item);
int BufferGetDataItem(Buffer *buffer, void *item);
int BufferSetDataItemPos(Buffer *buffer, const void *item, uint32_t index);
int BufferGetDataItemPos(Buffer *buffer, void *item, uint32_t index);
uint32_t BufferSetItemPosRead(Buffer *buffer, uint32_t index);
uint32_t BufferSetItemPosWrite(Buffer *buffer, uint32_t index);
uint32_t BufferGetItemPosRead(const Buffer *buffer);
uint32_t BufferGetItemPosWrite(const Buffer *buffer);
int BufferSetSynchReadWrite(Buffer *buffer, int flag);
void *BufferLock(Buffer *buffer);
int BufferUnLock(Buffer *buffer);
void *BufferGetPointer(const Buffer *buffer);
void *BufferGetPointerFromItem(const Buffer *buffer, uint32_t index);
HGLOBAL BufferGetHandle(const Buffer *buffer);
uint32_t BufferGetSize(const Buffer *buffer);
uint32_t BufferGetItemSize(const Buffer *buffer);
uint32_t BufferGetType(const Buffer *buffer);
uint32_t BufferSetType(Buffer *buffer, uint32_t type);
uint32_t BufferGetValidNumber(const Buffer *buffer);
uint32_t BufferSetValidNumber(Buffer *buffer, uint32_t n);
uint32_t BufferFill(Buffer *buffer, const void *source, uint32_t n);

// A buffer's items for the length of one scope, leaving its lock state as the
// caller had it: locked on entry when it was not, unlocked again on exit.
class BufferItemsLock {
public:
    explicit BufferItemsLock(Buffer *b) : b_(b), wasLocked_(BufferGetPointer(b) != nullptr)
    {
        p_ = wasLocked_ ? BufferGetPointer(b) : BufferLock(b);
    }
    ~BufferItemsLock()
    {
        if (!wasLocked_ && p_)
            BufferUnLock(b_);
    }
    BufferItemsLock(const BufferItemsLock &) = delete;
    BufferItemsLock &operator=(const BufferItemsLock &) = delete;
    template <typename T>
    T *as() const
    {
        return static_cast<T *>(p_);
    }

private:
    Buffer *b_;
    bool wasLocked_;
    void *p_;
};

// Large blocks of memory that are written whole soon after they are made
// (bitmaps, rows of pixels on their way to a file). Fresh memory costs a
// page fault on first touch; for a block of tens of megabytes, faults of
// 4 KB pages cost more than drawing into it. Blocks from
// kLargeBlockThreshold bytes up are mapped on their own with the advice for
// huge pages (a fault per 2 MB where the system grants them, ordinary pages
// where it does not); smaller ones come from the heap. LargeImage
// (large_image.h) makes images in such blocks.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kLargeBlockThreshold = std::size_t(2) << 20;

// Bytes (a multiple of 4 KB) mapped on their own at a 2 MB boundary with the
// advice for huge pages; null when the system has none to give. Returned
// with UnmapHugePageBlock and the same size.
void *MapHugePageBlock(std::size_t bytes);
void UnmapHugePageBlock(void *block, std::size_t bytes);

// A block of bytes, not cleared; freed with the object.
class LargeBlock {
public:
    LargeBlock() = default;
    // data() is null when the memory cannot be had (or bytes is 0).
    explicit LargeBlock(std::size_t bytes);
    ~LargeBlock();
    LargeBlock(LargeBlock &&other) noexcept;
    LargeBlock &operator=(LargeBlock &&other) noexcept;
    LargeBlock(const LargeBlock &) = delete;
    LargeBlock &operator=(const LargeBlock &) = delete;

    uint8_t *data() const { return data_; }
    std::size_t size() const { return size_; }
    // True when the block has its own mapping (a large block).
    bool mapped() const { return mapped_; }

private:
    void free();

    uint8_t *data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};

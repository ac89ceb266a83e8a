#include "platform/large_block.h"

#include <sys/mman.h>

#include <limits>
#include <new>
#include <utility>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kPage = 4096;

} // namespace

// A mapping of at least bytes whose start is aligned to a huge page, so that
// the whole of it can be backed by huge pages; null when none is given.
void *MapHugePageBlock(std::size_t bytes)
{
    if (bytes == 0 || bytes > std::numeric_limits<std::size_t>::max() - kHugePage)
        return nullptr;
    const std::size_t mapped = bytes + kHugePage;
    void *raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    const std::uintptr_t tail = aligned + bytes;
    if (start + mapped > tail)
        munmap(reinterpret_cast<void *>(tail), start + mapped - tail);
    void *block = reinterpret_cast<void *>(aligned);
    // Only advice: without huge pages the block is ordinary memory.
    madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

void UnmapHugePageBlock(void *block, std::size_t bytes) { munmap(block, bytes); }

LargeBlock::LargeBlock(std::size_t bytes)
{
    if (bytes == 0 || bytes > std::numeric_limits<std::size_t>::max() - kHugePage)
        return;
    if (bytes < kLargeBlockThreshold) {
        data_ = static_cast<uint8_t *>(::operator new(bytes, std::nothrow));
    } else {
        bytes = (bytes + kPage - 1) / kPage * kPage;
        data_ = static_cast<uint8_t *>(MapHugePageBlock(bytes));
        mapped_ = data_ != nullptr;
    }
    size_ = data_ ? bytes : 0;
}

LargeBlock::~LargeBlock() { free(); }

LargeBlock::LargeBlock(LargeBlock &&other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, false))
{
}

LargeBlock &LargeBlock::operator=(LargeBlock &&other) noexcept
{
    if (this != &other) {
        free();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, false);
    }
    return *this;
}

void LargeBlock::free()
{
    if (mapped_)
        UnmapHugePageBlock(data_, size_);
    else
        ::operator delete(data_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = false;
}

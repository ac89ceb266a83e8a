#include "platform/heap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool allZero(const void *p, size_t n)
{
    const auto *b = static_cast<const unsigned char *>(p);
    for (size_t i = 0; i < n; ++i)
        if (b[i])
            return false;
    return true;
}

TEST(Heap, ZeroFilledAllocationAndExactSize)
{
    HANDLE h = HeapCreate(HEAP_NO_SERIALIZE, 1024, 0);
    ASSERT_NE(h, nullptr);
    for (size_t size : {size_t(0), size_t(1), size_t(28), size_t(1000), size_t(65537)}) {
        void *p = HeapAlloc(h, HEAP_ZERO_MEMORY, size);
        ASSERT_NE(p, nullptr) << size;
        EXPECT_EQ(HeapSize(h, 0, p), size);
        EXPECT_TRUE(allZero(p, size)) << size;
    }
    EXPECT_TRUE(HeapDestroy(h)); // frees every block: ASan reports a leak otherwise
}

TEST(Heap, GrowthKeepsContentAndZeroesTheAddedPart)
{
    HANDLE h = HeapCreate(0, 0, 0);
    auto *p = static_cast<unsigned char *>(HeapAlloc(h, HEAP_ZERO_MEMORY, 16));
    std::memset(p, 0xAB, 16);
    auto *q = static_cast<unsigned char *>(HeapReAlloc(h, HEAP_ZERO_MEMORY, p, 4096));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(HeapSize(h, 0, q), 4096u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(q[i], 0xAB);
    EXPECT_TRUE(allZero(q + 16, 4096 - 16));
    q = static_cast<unsigned char *>(HeapReAlloc(h, HEAP_ZERO_MEMORY, q, 8));
    EXPECT_EQ(HeapSize(h, 0, q), 8u);
    EXPECT_EQ(q[7], 0xAB);
    EXPECT_TRUE(HeapFree(h, 0, q));
    HeapDestroy(h);
}

TEST(Heap, MaximumSizeRefusesAndLeavesBlocksAlone)
{
    HANDLE h = HeapCreate(0, 0, 100);
    void *a = HeapAlloc(h, HEAP_ZERO_MEMORY, 60);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(HeapAlloc(h, HEAP_ZERO_MEMORY, 60), nullptr);
    EXPECT_EQ(HeapReAlloc(h, HEAP_ZERO_MEMORY, a, 200), nullptr);
    EXPECT_EQ(HeapSize(h, 0, a), 60u);
    HeapDestroy(h);
}

TEST(Heap, BadArgumentsFail)
{
    HANDLE h = HeapCreate(0, 0, 0);
    HANDLE other = HeapCreate(0, 0, 0);
    void *p = HeapAlloc(h, 0, 10);
    EXPECT_EQ(HeapAlloc(nullptr, 0, 10), nullptr);
    EXPECT_EQ(HeapSize(nullptr, 0, p), size_t(-1));
    EXPECT_EQ(HeapSize(other, 0, p), size_t(-1));
    EXPECT_FALSE(HeapFree(other, 0, p)); // a block of another heap is refused
    EXPECT_EQ(HeapReAlloc(h, 0, nullptr, 10), nullptr);
    EXPECT_FALSE(HeapDestroy(nullptr));
    HeapDestroy(other);
    HeapDestroy(h);
}

} // namespace

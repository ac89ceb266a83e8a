#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(GlobalMemory, AllocLockResizeFree)
{
    const size_t before = GlobalBlockCount();
    HGLOBAL h = GlobalAlloc(GHND, 10);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(GlobalSize(h), 10u);
    auto *p = static_cast<char *>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(GlobalHandle(p), h);
    std::memcpy(p, "0123456789", 10);
    EXPECT_EQ(GlobalReAlloc(h, 100, GMEM_MOVEABLE), 0u) << "a locked block must not move";
    EXPECT_FALSE(GlobalUnlock(h));
    ASSERT_EQ(GlobalReAlloc(h, 100, GMEM_MOVEABLE), h);
    p = static_cast<char *>(GlobalLock(h));
    EXPECT_EQ(std::memcmp(p, "0123456789", 10), 0);
    for (int i = 10; i < 100; ++i)
        ASSERT_EQ(p[i], 0) << i;
    GlobalUnlock(h);
    EXPECT_EQ(GlobalBlockCount(), before + 1);
    EXPECT_EQ(GlobalFree(h), 0u);
    EXPECT_EQ(GlobalBlockCount(), before);
}

TEST(GlobalMemory, HandlesAre32BitIdsAndStaleOnesFail)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(h, 0u);
    EXPECT_NE(GlobalLock(h), nullptr) << "an empty block still has an address";
    GlobalUnlock(h);
    GlobalFree(h);
    for (HGLOBAL bad : {HGLOBAL(0), h, HGLOBAL(0xFFFFFFFF)}) {
        EXPECT_EQ(GlobalLock(bad), nullptr) << bad;
        EXPECT_EQ(GlobalSize(bad), 0u) << bad;
        EXPECT_EQ(GlobalFree(bad), bad) << bad;
        EXPECT_EQ(GlobalReAlloc(bad, 10, 0), 0u) << bad;
        EXPECT_FALSE(GlobalUnlock(bad)) << bad;
    }
    EXPECT_EQ(GlobalHandle(nullptr), 0u);
}

} // namespace

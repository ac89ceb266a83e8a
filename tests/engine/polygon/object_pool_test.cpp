#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "engine/polygon/object_pool.h"

namespace {

// An odd size, so that blocks are rounded up to the alignment.
struct Odd {
    uint32_t word[5];
};

bool Holds(const void *block, uint32_t value)
{
    Odd odd;
    std::memcpy(&odd, block, sizeof odd);
    for (uint32_t w : odd.word)
        if (w != value)
            return false;
    return true;
}

void Fill(void *block, uint32_t value)
{
    Odd odd;
    for (uint32_t &w : odd.word)
        w = value;
    std::memcpy(block, &odd, sizeof odd);
}

} // namespace

// Blocks over several chunks, freed and made again in a mixed order: no two
// live blocks overlap (each keeps what was written into it) and all are
// aligned.
TEST(ObjectPoolTest, LiveBlocksNeverOverlapThroughReuse)
{
    using Pool = ObjectPool<Odd>;
    static_assert(Pool::kBlock % alignof(Odd) == 0 && Pool::kBlock >= sizeof(Odd));
    std::vector<void *> live;
    std::vector<uint32_t> values;
    std::mt19937 random(5);
    uint32_t next = 1;
    for (int round = 0; round < 4; round++) {
        for (int i = 0; i < 4000; i++) {
            void *block = Pool::Allocate();
            ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(Odd), 0u);
            Fill(block, next);
            live.push_back(block);
            values.push_back(next++);
        }
        for (size_t i = 0; i < live.size(); i++)
            ASSERT_TRUE(Holds(live[i], values[i])) << "block " << i << " round " << round;
        // Free a random half.
        for (size_t i = 0; i < live.size();) {
            if (random() % 2) {
                Pool::Free(live[i]);
                live[i] = live.back();
                values[i] = values.back();
                live.pop_back();
                values.pop_back();
            } else {
                i++;
            }
        }
    }
    for (void *block : live)
        Pool::Free(block);
}

namespace {

struct Wide {
    uint64_t word[9];
};

} // namespace

// Chunks given up when every block of a type is freed serve the next
// blocks of any type: blocks of two types made from the kept chunks must
// not overlap each other.
TEST(ObjectPoolTest, KeptChunksServeOtherTypesWithoutOverlap)
{
    constexpr int kCount = 6000; // several chunks of each type
    std::vector<void *> first;
    for (int i = 0; i < kCount; i++)
        first.push_back(ObjectPool<Wide>::Allocate());
    for (void *block : first)
        ObjectPool<Wide>::Free(block);

    std::vector<void *> odd, wide;
    for (int i = 0; i < kCount; i++) {
        odd.push_back(ObjectPool<Odd>::Allocate());
        Fill(odd.back(), uint32_t(i));
        wide.push_back(ObjectPool<Wide>::Allocate());
        std::memset(wide.back(), 0xA5, sizeof(Wide));
    }
    for (int i = 0; i < kCount; i++)
        ASSERT_TRUE(Holds(odd[i], uint32_t(i))) << "block " << i;
    for (void *block : odd)
        ObjectPool<Odd>::Free(block);
    for (void *block : wide)
        ObjectPool<Wide>::Free(block);
}

// A pool grown past the point where it takes huge chunks, twice (the second
// time from the kept chunks): every block stays apart from the others.
TEST(ObjectPoolTest, PoolGrownIntoHugeChunksKeepsBlocksApart)
{
    constexpr std::size_t kCount =
        (object_pool_detail::kHugeChunksAfter + 3 * object_pool_detail::kHugeChunkBytes) / sizeof(Odd);
    for (int round = 0; round < 2; round++) {
        std::vector<void *> blocks(kCount);
        for (std::size_t i = 0; i < kCount; i++) {
            blocks[i] = ObjectPool<Odd>::Allocate();
            ASSERT_EQ(reinterpret_cast<uintptr_t>(blocks[i]) % alignof(Odd), 0u);
            Fill(blocks[i], uint32_t(i));
        }
        for (std::size_t i = 0; i < kCount; i++)
            ASSERT_TRUE(Holds(blocks[i], uint32_t(i))) << "block " << i << " round " << round;
        for (void *block : blocks)
            ObjectPool<Odd>::Free(block);
    }
}

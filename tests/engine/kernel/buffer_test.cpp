#include "engine/kernel/buffer.h"

#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Pt {
    int32_t x, y;
};

class BufferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(BufferInit(&b, 0, sizeof(Pt), 20), 1); }
    void TearDown() override { BufferDelete(&b); }
    Buffer b{};
};

TEST_F(BufferTest, InitAllocatesNothing)
{
    EXPECT_EQ(BufferGetHandle(&b), 0u);
    EXPECT_EQ(BufferGetPointer(&b), nullptr);
    EXPECT_EQ(BufferGetSize(&b), 0u);
    EXPECT_EQ(BufferGetItemSize(&b), sizeof(Pt));
    EXPECT_EQ(BufferLock(&b), nullptr);
    EXPECT_EQ(BufferUnLock(&b), 0);
    Pt p{};
    EXPECT_EQ(BufferGetDataItem(&b, &p), 0);
}

TEST_F(BufferTest, SequentialWritesGrowByTheGrowByCount)
{
    for (int32_t i = 1; i <= 20; ++i) {
        const Pt p{i, -i};
        ASSERT_EQ(BufferSetDataItem(&b, &p), uint32_t(i));
    }
    EXPECT_EQ(BufferGetSize(&b), 20u);
    EXPECT_NE(BufferGetPointer(&b), nullptr); // left locked by the first write
    const Pt p21{21, -21};
    EXPECT_EQ(BufferSetDataItem(&b, &p21), 21u);
    EXPECT_EQ(BufferGetSize(&b), 40u);
    EXPECT_EQ(BufferGetItemPosWrite(&b), 21u);
    const auto *pts = static_cast<const Pt *>(BufferGetPointer(&b));
    ASSERT_NE(pts, nullptr);
    for (int32_t i = 0; i < 21; ++i)
        ASSERT_EQ(pts[i].x, i + 1);
    EXPECT_EQ(pts[30].x, 0); // the grown part is zero
    EXPECT_EQ(BufferGetPointerFromItem(&b, 2), &pts[2]);
    EXPECT_EQ(BufferGetPointerFromItem(&b, 40), nullptr);
}

TEST_F(BufferTest, SequentialReadsStopAtTheCapacityNotTheWritePosition)
{
    const Pt p{7, 8};
    BufferSetDataItem(&b, &p);
    Pt out{};
    EXPECT_EQ(BufferGetDataItem(&b, &out), 1);
    EXPECT_EQ(out.x, 7);
    // Past what was written but below the capacity: zero content.
    out = {1, 1};
    EXPECT_EQ(BufferGetDataItem(&b, &out), 1);
    EXPECT_EQ(out.x, 0);
    EXPECT_EQ(BufferGetItemPosRead(&b), 2u);
    BufferSetItemPosRead(&b, 19);
    EXPECT_EQ(BufferGetDataItem(&b, &out), 1);
    EXPECT_EQ(BufferGetDataItem(&b, &out), 0);
}

TEST_F(BufferTest, PositionSettersClamp)
{
    EXPECT_EQ(BufferSetItemPosRead(&b, 5), 0u); // no capacity: nothing changes
    EXPECT_EQ(BufferGetItemPosRead(&b), 0u);
    ASSERT_EQ(BufferSetSize(&b, 10), 10u);
    EXPECT_EQ(BufferSetItemPosRead(&b, 15), 0u);
    EXPECT_EQ(BufferGetItemPosRead(&b), 9u);
    EXPECT_EQ(BufferSetItemPosWrite(&b, 15), 0u);
    EXPECT_EQ(BufferGetItemPosWrite(&b), 10u);
    EXPECT_EQ(BufferSetItemPosRead(&b, 3), 9u);
}

TEST_F(BufferTest, SynchronisedPositionsMoveTogether)
{
    BufferSetSize(&b, 10);
    BufferSetItemPosRead(&b, 4);
    EXPECT_EQ(BufferSetSynchReadWrite(&b, 1), 0);
    EXPECT_EQ(BufferGetItemPosWrite(&b), 4u);
    const Pt p{1, 2};
    EXPECT_EQ(BufferSetDataItem(&b, &p), 5u);
    EXPECT_EQ(BufferGetItemPosRead(&b), 5u);
    Pt out{};
    BufferGetDataItem(&b, &out);
    EXPECT_EQ(BufferGetItemPosWrite(&b), 6u);
    BufferSetItemPosWrite(&b, 2);
    EXPECT_EQ(BufferGetItemPosRead(&b), 2u);
    EXPECT_EQ(BufferSetSynchReadWrite(&b, 0), 1);
}

TEST_F(BufferTest, ResetReinterpretsTheBlockForAnotherItemSize)
{
    std::vector<Pt> src(20);
    for (size_t i = 0; i < src.size(); ++i)
        src[i] = {int32_t(i), int32_t(i * 2)};
    ASSERT_EQ(BufferFill(&b, src.data(), 20), 20u); // 160 bytes
    BufferSetValidNumber(&b, 3);
    BufferSetItemPosWrite(&b, 7);
    EXPECT_EQ(BufferReset(&b, 2, 4, 10), 1);
    EXPECT_EQ(BufferGetSize(&b), 40u);
    EXPECT_EQ(BufferGetItemPosWrite(&b), 0u);
    EXPECT_EQ(BufferGetItemPosRead(&b), 0u);
    EXPECT_EQ(BufferGetValidNumber(&b), 0u);
    EXPECT_EQ(BufferGetType(&b), 2u);
    int32_t v = -1;
    EXPECT_EQ(BufferGetDataItemPos(&b, &v, 3), 1); // src[1].y
    EXPECT_EQ(v, 2);
    EXPECT_EQ(BufferReset(&b, 2, 0, 10), 0); // a zero item size is refused
    EXPECT_EQ(BufferGetItemSize(&b), 4u);
}

TEST_F(BufferTest, FillGrowsToExactlyNAndKeepsPositions)
{
    BufferSetItemPosWrite(&b, 0);
    const std::vector<Pt> src(7, Pt{3, 4});
    EXPECT_EQ(BufferFill(&b, src.data(), 7), 7u);
    EXPECT_EQ(BufferGetSize(&b), 7u);
    EXPECT_EQ(BufferGetItemPosWrite(&b), 0u);
    EXPECT_EQ(BufferFill(&b, src.data(), 0), 0u);
    EXPECT_EQ(BufferFill(&b, nullptr, 3), 0u);
    // A count whose byte size does not fit is refused and changes nothing.
    EXPECT_EQ(BufferFill(&b, src.data(), 0x80000000u), 0u);
    EXPECT_EQ(BufferGetSize(&b), 7u);
}

TEST_F(BufferTest, LockStateSurvivesGrowth)
{
    BufferSetSize(&b, 4);
    EXPECT_EQ(BufferUnLock(&b), 1);
    EXPECT_EQ(BufferGetPointer(&b), nullptr);
    const Pt p{9, 9};
    for (int i = 0; i < 5; ++i)
        BufferSetDataItem(&b, &p); // grows while unlocked
    EXPECT_EQ(BufferGetPointer(&b), nullptr);
    Pt out{};
    EXPECT_EQ(BufferGetDataItemPos(&b, &out, 4), 1);
    EXPECT_EQ(out.x, 9);
    EXPECT_EQ(BufferSetDataItemPos(&b, &p, 24), 0);
    void *locked = BufferLock(&b);
    EXPECT_NE(locked, nullptr);
    EXPECT_EQ(BufferLock(&b), locked);
    EXPECT_EQ(BufferSetSize(&b, 100), 100u);
    EXPECT_NE(BufferGetPointer(&b), nullptr);
    // One unlock releases the one lock the Buffer holds: the block can move.
    EXPECT_EQ(BufferUnLock(&b), 1);
    EXPECT_NE(GlobalReAlloc(BufferGetHandle(&b), 1000, GMEM_MOVEABLE), 0u);
    BufferLock(&b);
}

TEST_F(BufferTest, DeleteFreesTheBlock)
{
    const size_t before = GlobalBlockCount();
    BufferSetSize(&b, 3);
    EXPECT_EQ(GlobalBlockCount(), before + 1);
    EXPECT_EQ(BufferDelete(&b), 1);
    EXPECT_EQ(GlobalBlockCount(), before);
    EXPECT_EQ(BufferGetHandle(&b), 0u);
    EXPECT_EQ(BufferGetSize(&b), 0u);
}

TEST_F(BufferTest, TypeAndValidNumberSettersReturnThePrevious)
{
    EXPECT_EQ(BufferSetType(&b, 2), 0u);
    EXPECT_EQ(BufferSetType(&b, 1), 2u);
    EXPECT_EQ(BufferSetValidNumber(&b, 5), 0u);
    EXPECT_EQ(BufferSetValidNumber(&b, 6), 5u);
}

} // namespace

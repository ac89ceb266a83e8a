#include "engine/kernel/bank.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct BankDeleter {
    void operator()(BankDesc *b) const { BankDelete(b); }
};
using BankPtr = std::unique_ptr<BankDesc, BankDeleter>;

BankPtr newBank() { return BankPtr(BankNew(0)); }

std::vector<OBJHANDLE> allocN(BankDesc *bank, int n, uint32_t size = 16)
{
    std::vector<OBJHANDLE> out;
    for (int i = 0; i < n; ++i)
        out.push_back(BankAlloc(bank, size));
    return out;
}

TEST(Bank, NewBankStartsAtSlotOneAndNeverUsesSlotZero)
{
    BankPtr bank = newBank();
    ASSERT_TRUE(bank);
    EXPECT_EQ(bank->capacity, 10000u);
    EXPECT_EQ(BankGetFirstFree(bank.get()), 1u);
    EXPECT_EQ(BankGetEmptyFlag(bank.get()), 1);
    EXPECT_EQ(BankAlloc(bank.get(), 8), 1u);
    EXPECT_EQ(BankLock(bank.get(), 0), nullptr);
    EXPECT_EQ(BankFree(bank.get(), 0), 0);
    EXPECT_EQ(BankAlloc(bank.get(), 8), 2u);
}

TEST(Bank, BlocksAreZeroFilledAndGrowZeroFilled)
{
    BankPtr bank = newBank();
    const OBJHANDLE s = BankAlloc(bank.get(), 40);
    auto *p = static_cast<unsigned char *>(BankLock(bank.get(), s));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(p[i], 0);
    std::memset(p, 0xAB, 40);
    EXPECT_EQ(BankReAlloc(bank.get(), s, 400), s);
    p = static_cast<unsigned char *>(BankLock(bank.get(), s));
    EXPECT_EQ(p[39], 0xAB);
    for (int i = 40; i < 400; ++i)
        ASSERT_EQ(p[i], 0) << i;
    EXPECT_EQ(BankSize(bank.get(), s), 400u);
    EXPECT_EQ(BankHandle(bank.get(), p), s);
    EXPECT_EQ(BankReAlloc(bank.get(), 9999, 8), 0u); // empty slot
}

TEST(Bank, TableGrowsBy10000AndKeepsEveryBlock)
{
    BankPtr bank = newBank();
    const auto slots = allocN(bank.get(), 9999, 8);
    for (OBJHANDLE s : slots)
        std::memcpy(BankLock(bank.get(), s), &s, sizeof s);
    EXPECT_EQ(bank->capacity, 10000u);
    EXPECT_EQ(BankAlloc(bank.get(), 8), 10000u);
    EXPECT_EQ(bank->capacity, 20000u);
    for (OBJHANDLE s : slots) {
        OBJHANDLE stored;
        std::memcpy(&stored, BankLock(bank.get(), s), sizeof stored);
        ASSERT_EQ(stored, s);
    }
    EXPECT_EQ(BankLock(bank.get(), 15000), nullptr);
}

struct ReuseCase {
    const char *name;
    std::vector<OBJHANDLE> freed;
    int reuse;
    bool rebuildStack;
    std::vector<OBJHANDLE> next;
};

class BankReuse : public ::testing::TestWithParam<ReuseCase> {};

TEST_P(BankReuse, HandsOutSlotsInOrder)
{
    const ReuseCase &c = GetParam();
    BankPtr bank = newBank();
    allocN(bank.get(), 10); // slots 1..10, first free 11
    for (OBJHANDLE s : c.freed)
        ASSERT_NE(BankFree(bank.get(), s), 0);
    BankSetEmptyFlag(bank.get(), c.reuse);
    if (c.rebuildStack) {
        EXPECT_EQ(BankSetDelStack(bank.get()), 1);
    }
    EXPECT_EQ(allocN(bank.get(), int(c.next.size())), c.next);
}

INSTANTIATE_TEST_SUITE_P(Order, BankReuse,
                         ::testing::Values(ReuseCase{"LastFreedFirst", {5, 9, 7}, 1, false, {7, 9, 5, 11}},
                                           ReuseCase{"ReuseOff", {5, 9, 7}, 0, false, {11, 12}},
                                           ReuseCase{
                                               "RebuiltStackFillsFromTheBottom", {3, 8}, 1, true, {3, 8, 11}},
                                           ReuseCase{"NothingFreed", {}, 1, false, {11, 12}}),
                         [](const auto &info) { return info.param.name; });

TEST(Bank, FreeCountsAndGuardsAgainstPushingAnEmptySlotTwice)
{
    BankPtr bank = newBank();
    allocN(bank.get(), 10);
    EXPECT_EQ(BankFree(bank.get(), 6), 1);
    EXPECT_EQ(BankFree(bank.get(), 4), 1);
    EXPECT_EQ(bank->freedCount, 2u);
    EXPECT_EQ(bank->lowestFreed, 4u);
    // An empty slot already waiting for reuse is not pushed again, so two
    // objects can never share it.
    EXPECT_EQ(BankFree(bank.get(), 6), 1);
    EXPECT_EQ(allocN(bank.get(), 3), (std::vector<OBJHANDLE>{4, 6, 11}));
    // An empty slot that was never on the stack is counted and pushed.
    EXPECT_EQ(BankFree(bank.get(), 50), 1);
    EXPECT_EQ(BankAlloc(bank.get(), 8), 50u);
    EXPECT_EQ(BankFree(bank.get(), 10000), 0);
}

TEST(Bank, AllocInPosRefusesSlotZeroOccupiedAndOutOfRange)
{
    BankPtr bank = newBank();
    const OBJHANDLE s = BankAlloc(bank.get(), 8);
    void *before = BankLock(bank.get(), s);
    EXPECT_EQ(BankAllocInPos(bank.get(), 8, 0, 1), 0u);
    EXPECT_EQ(BankAllocInPos(bank.get(), 8, s, 0), 0u);
    EXPECT_EQ(BankLock(bank.get(), s), before);
    EXPECT_EQ(BankAllocInPos(bank.get(), 8, 10000, 1), 0u);
    EXPECT_EQ(BankAllocInPos(bank.get(), 24, 500, 0), 500u);
    EXPECT_EQ(BankSize(bank.get(), 500), 24u);
    EXPECT_EQ(BankGetFirstFree(bank.get()), 2u); // untouched
    EXPECT_EQ(BankAllocInPos(bank.get(), 32, s, 1), s);
    EXPECT_EQ(BankSize(bank.get(), s), 32u);
}

// The reader's form never replaces a block and keeps the same bounds.
TEST(Bank, UnclearedAllocInPosTakesOnlyEmptySlotsInRange)
{
    BankPtr bank = newBank();
    const OBJHANDLE s = BankAlloc(bank.get(), 8);
    void *before = BankLock(bank.get(), s);
    EXPECT_EQ(BankAllocInPosUncleared(bank.get(), 8, 0), 0u);
    EXPECT_EQ(BankAllocInPosUncleared(bank.get(), 8, s), 0u);
    EXPECT_EQ(BankLock(bank.get(), s), before);
    EXPECT_EQ(BankAllocInPosUncleared(bank.get(), 8, 10000), 0u);
    EXPECT_EQ(BankAllocInPosUncleared(nullptr, 8, 5), 0u);
    EXPECT_EQ(BankAllocInPosUncleared(bank.get(), 40, 700), 700u);
    ASSERT_NE(BankLock(bank.get(), 700), nullptr);
    EXPECT_EQ(BankSize(bank.get(), 700), 40u);
    EXPECT_EQ(BankGetFirstFree(bank.get()), 2u);
    // The block is an ordinary one: it can grow and be freed.
    EXPECT_EQ(BankReAlloc(bank.get(), 700, 80), 700u);
    EXPECT_EQ(BankSize(bank.get(), 700), 80u);
    EXPECT_EQ(BankFree(bank.get(), 700), 1);
    EXPECT_EQ(BankLock(bank.get(), 700), nullptr);
}

TEST(Bank, SetMaxEntriesResizesButNeverCutsALiveBlock)
{
    BankPtr bank = newBank();
    allocN(bank.get(), 3);
    EXPECT_EQ(BankSetMaxEntries(bank.get(), 2), 0); // slot 3 lives
    EXPECT_EQ(bank->capacity, 10000u);
    EXPECT_EQ(BankSetMaxEntries(bank.get(), 4), 1);
    EXPECT_EQ(bank->capacity, 4u);
    EXPECT_EQ(BankAlloc(bank.get(), 8), 4u);
    // First free reached the capacity: the next slot grows the table.
    EXPECT_EQ(BankAlloc(bank.get(), 8), 5u);
    EXPECT_EQ(bank->capacity, 10004u);
}

TEST(Bank, EmptyFlagReturnsPreviousValue)
{
    BankPtr bank = newBank();
    EXPECT_EQ(BankSetEmptyFlag(bank.get(), 0), 1);
    EXPECT_EQ(BankSetEmptyFlag(bank.get(), 1), 0);
    EXPECT_EQ(BankDelete(bank.release()), 1);
}

} // namespace

#include "kernel_fixture.h"

namespace kerneltest {
namespace {

using ObjectClasses = KernelTest;

struct SizeCase {
    uint32_t fixed;
    int32_t slots;
    uint32_t reserve;
    uint32_t blockSize;
    uint32_t finalSlots;
    uint32_t finalReserve;
};

class BlockSizeRule : public KernelTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(BlockSizeRule, GivesBlockSizeSlotsAndReserve)
{
    const SizeCase &c = GetParam();
    const int index =
        RegisterOBJectClass(0x0200, c.fixed, c.slots, c.reserve, nullptr, recordingProc, OBJ_APPEND, "Sized");
    ASSERT_GE(index, 0);
    const OBJHANDLE h = make(0x0200);
    const OBJectClassDescr *d = GetOBJectClassDescr(kernel, h);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->blockSize, c.blockSize);
    EXPECT_EQ(d->slots, c.finalSlots);
    EXPECT_EQ(d->reserve, c.finalReserve);
    EXPECT_EQ(d->fixedEnd, 28 + c.fixed);
    // The new object puts its slots right after the fixed data, aligned to 8.
    EXPECT_EQ(HeadRefsOffset(kernel, h), (c.fixed + 28 + 7) / 8 * 8);
    EXPECT_EQ(HeadDataOffset(kernel, h), c.blockSize - c.finalReserve);
}

INSTANTIATE_TEST_SUITE_P(Table, BlockSizeRule,
                         ::testing::Values(SizeCase{52, 4, 16, 128, 4, 16}, SizeCase{100, 10, 0, 208, 10, 0},
                                           SizeCase{208, 1, 0, 256, 2, 0}, SizeCase{24, 4, 2, 96, 4, 8},
                                           SizeCase{0, 0, 0, 32, 0, 0}, SizeCase{4, 0, 1, 48, 0, 16}));

TEST_F(ObjectClasses, RegistrationReplacesInPlaceAndStopsAt32)
{
    EXPECT_EQ(GetNumberOfClasses(), 5);
    EXPECT_EQ(IsClassRegistered(CLS_BYKEY), 1);
    EXPECT_EQ(IsClassRegistered(0x0200), 0);
    EXPECT_EQ(GetClassId(3), CLS_BYKEY);
    EXPECT_EQ(GetClassId(5), 0);
    make(CLS_FIRST);
    // Registering an id again keeps its index and resets its counters.
    EXPECT_EQ(
        RegisterOBJectClass(CLS_FIRST, 16, 1, 0, nullptr, nullptr, OBJ_APPEND, "A much longer class name"),
        1);
    EXPECT_EQ(GetNumberOfClasses(), 5);
    EXPECT_EQ(GetNumberOfOBJects(CLS_FIRST), 0u);
    OBJHANDLE h = make(CLS_FIRST);
    EXPECT_STREQ(GetOBJectClassDescr(kernel, h)->name, "A much longer");
    for (uint16_t id = 0x0300; GetNumberOfClasses() < OBJ_MAX_CLASSES; ++id)
        ASSERT_GE(RegisterOBJectClass(id, 0, 0, 0, nullptr, nullptr, 0, nullptr), 0);
    errors.clear();
    EXPECT_EQ(RegisterOBJectClass(0x0400, 0, 0, 0, nullptr, nullptr, 0, "x"), -1);
    EXPECT_EQ(errors, std::vector<std::string>{"Too many classes"});
    // An id already there may still be replaced.
    EXPECT_EQ(RegisterOBJectClass(CLS_NOPROC, 8, 2, 0, nullptr, nullptr, 0, "x"), 4);
}

TEST_F(ObjectClasses, SortedKeyModeNeedsACompareProcedure)
{
    EXPECT_EQ(RegisterOBJectClass(0x0200, 8, 2, 0, nullptr, nullptr, OBJ_SORTEDKEY, "x"), -1);
    EXPECT_EQ(errors, std::vector<std::string>{"OBJ_SORTEDKEY mode requires comparation function"});
    EXPECT_EQ(IsClassRegistered(0x0200), 0);
}

TEST_F(ObjectClasses, ClassProcedureCanBeReplaced)
{
    EXPECT_EQ(GetOBJectClassFN(CLS_APPEND), &recordingProc);
    EXPECT_EQ(GetOBJectClassFN(0x7777), nullptr);
    EXPECT_EQ(SetOBJectClassFN(CLS_APPEND, nullptr), &recordingProc);
    EXPECT_EQ(GetOBJectClassFN(CLS_APPEND), nullptr);
    EXPECT_EQ(SetOBJectClassFN(0x7777, recordingProc), nullptr);
    const OBJHANDLE h = make();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(SendOBJectMessage(kernel, h, h, 0, 0x4001, 0, 0), 0);
    EXPECT_EQ(GetClassDescrSize(), int(sizeof(OBJectClassDescr)));
}

TEST_F(ObjectClasses, SendPassesEveryArgumentAndReturnsTheAnswer)
{
    const OBJHANDLE a = make(), b = make(CLS_NOPROC);
    messages().clear();
    char text[4];
    EXPECT_EQ(SendOBJectMessage(kernel, b, a, 0x8803, OBJM_INFOLINE, WPARAM(3),
                                LPARAM(reinterpret_cast<intptr_t>(text))),
              LRESULT(OBJM_INFOLINE + 1));
    ASSERT_EQ(messages().size(), 1u);
    const Message &m = messages()[0];
    EXPECT_EQ(m.sender, b);
    EXPECT_EQ(m.receiver, a);
    EXPECT_EQ(m.subCode, 0x8803);
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(reinterpret_cast<char *>(m.lParam), text);            // a full pointer arrives
    EXPECT_EQ(SendOBJectMessage(kernel, a, b, 0, 0x4001, 0, 0), 0); // no procedure
}

struct FanOutCase {
    uint16_t filter;
    std::vector<int> reached; // indexes of the targets below
    std::vector<uint16_t> subCodes;
};

class FanOut : public KernelTest, public ::testing::WithParamInterface<FanOutCase> {};

TEST_P(FanOut, PropagateSendsToEveryMatchingTargetInSlotOrder)
{
    const FanOutCase &c = GetParam();
    const OBJHANDLE holder = make();
    const uint16_t ids[] = {0x8803, 0x8802, 0x8807, 0x8803};
    std::vector<OBJHANDLE> t;
    for (uint16_t id : ids) {
        t.push_back(make());
        InsRef(kernel, holder, id, t.back(), -1);
    }
    messages().clear();
    const LRESULT r = PropagateOBJectMessage(kernel, holder, c.filter, 0x4001, 7, 9);
    std::vector<OBJHANDLE> reached;
    std::vector<uint16_t> subs;
    for (const Message &m : messages()) {
        EXPECT_EQ(m.sender, holder);
        EXPECT_EQ(m.wParam, 7u);
        EXPECT_EQ(m.lParam, 9);
        reached.push_back(m.receiver);
        subs.push_back(m.subCode);
    }
    std::vector<OBJHANDLE> expected;
    for (int i : c.reached)
        expected.push_back(t[size_t(i)]);
    EXPECT_EQ(reached, expected);
    EXPECT_EQ(subs, c.subCodes);
    EXPECT_EQ(r, c.reached.empty() ? 0 : LRESULT(0x4002));
}

INSTANTIATE_TEST_SUITE_P(Filters, FanOut,
                         ::testing::Values(FanOutCase{0xC001, {0, 2, 3}, {0x8803, 0x8807, 0x8803}},
                                           FanOutCase{0x8803, {0, 3}, {0x8803, 0x8803}},
                                           FanOutCase{0x0803, {0, 3}, {0x0803, 0x0803}},
                                           FanOutCase{0, {0, 1, 2, 3}, {0x8803, 0x8802, 0x8807, 0x8803}},
                                           FanOutCase{0x0999, {}, {}}));

TEST_F(ObjectClasses, SendOneReachesTheFirstOrLastMatch)
{
    const OBJHANDLE holder = make(), a = make(), b = make(), c = make();
    InsRef(kernel, holder, 0x8803, a, -1);
    InsRef(kernel, holder, 0x8803, b, -1);
    InsRef(kernel, holder, 0x8802, c, -1);
    for (int last : {0, 1}) {
        messages().clear();
        EXPECT_EQ(SendOneOBJectMessage(kernel, holder, last, 0xC001, 0x4001, 0, 0), 0x4002);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].receiver, last ? b : a);
    }
    EXPECT_EQ(SendOneOBJectMessage(kernel, holder, 0, 0x0999, 0x4001, 0, 0), 0);
}

TEST_F(ObjectClasses, BranchFollowsTheChainFromTheStart)
{
    const OBJHANDLE s = make(), a = make(), b = make(), c = make();
    InsertRefInPos(kernel, s, REF_GROUP_MEMBER, a, -1, -1);
    InsertRefInPos(kernel, a, REF_GROUP_MEMBER, b, -1, -1);
    InsertRefInPos(kernel, a, REF_GROUP_MEMBER, c, -1, -1);
    for (int last : {0, 1}) {
        messages().clear();
        BranchOBJectMessage(kernel, s, last, REF_FILTER_FORWARD, 0x4001, 5, 6);
        std::vector<OBJHANDLE> reached;
        for (const Message &m : messages()) {
            EXPECT_EQ(m.sender, s);
            EXPECT_EQ(m.subCode, REF_GROUP_MEMBER);
            reached.push_back(m.receiver);
        }
        EXPECT_EQ(reached, (std::vector<OBJHANDLE>{a, last ? c : b}));
    }
}

} // namespace
} // namespace kerneltest

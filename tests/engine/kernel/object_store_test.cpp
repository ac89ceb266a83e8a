#include "kernel_fixture.h"

#include <cstring>

namespace kerneltest {
namespace {

using ObjectStore = KernelTest;

TEST_F(ObjectStore, CreateLaysOutTheBlockAndSendsCreate)
{
    const OBJHANDLE h = make();
    ASSERT_EQ(h, 1u);
    const OBJectHead *head = HeadLock(kernel, h);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->classIndex, 0u);
    EXPECT_EQ(head->size, 128u);
    EXPECT_EQ(head->flags, OBJ_APPEND | OBJF_CURRENTHEAD);
    EXPECT_EQ(head->refOffset, 80u);
    EXPECT_EQ(head->dataOffset, 112u);
    EXPECT_EQ(head->refsHeld, 0u);
    EXPECT_EQ(head->refsIncoming, 0u);
    // Everything is zero except what the procedure wrote on OBJM_CREATE.
    const char *fixed = OBJectLock(kernel, h);
    EXPECT_EQ(LoadField<uint32_t>(fixed, 4), CREATE_MARK);
    const auto *bytes = reinterpret_cast<const unsigned char *>(head);
    for (uint32_t i = OBJ_HEAD_SIZE; i < head->size; ++i)
        if (i < 32 || i >= 36) {
            ASSERT_EQ(bytes[i], 0) << i;
        }
    ASSERT_EQ(messages().size(), 1u);
    const Message &m = messages()[0];
    EXPECT_EQ(m.message, OBJM_CREATE);
    EXPECT_EQ(m.sender, h);
    EXPECT_EQ(m.receiver, h);
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(m.lParam, 128);
    EXPECT_EQ(DataSpaceSize(kernel, h), 16u);
    EXPECT_EQ(GetOBJectSize(kernel, h), 128u);
    EXPECT_EQ(OBJectSizeBank(kernel, h), 128u);
    EXPECT_EQ(HeadRefsOffset(kernel, h), 80u);
    EXPECT_EQ(HeadDataOffset(kernel, h), 112u);
}

TEST_F(ObjectStore, UnregisteredClassIsAnInternalError)
{
    EXPECT_EQ(CreateOBJect(kernel, 0x7777), 0u);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Bad object class");
}

TEST_F(ObjectStore, PointerHelpersAgree)
{
    const OBJHANDLE h = make();
    char *fixed = OBJectLock(kernel, h);
    EXPECT_EQ(OBJectSpaceBegin(fixed), HeadLock(kernel, h));
    EXPECT_EQ(GetOBJectHandle(kernel, fixed), h);
    EXPECT_EQ(DataSpaceBegin(fixed), fixed - OBJ_HEAD_SIZE + 112);
    EXPECT_EQ(DataSpaceEnd(fixed), fixed - OBJ_HEAD_SIZE + 127);
}

struct ResizeCase {
    int32_t grow;  // first grow the data space by this (to have room to shrink)
    int32_t delta; // then resize by this
    uint32_t size; // expected block size afterwards
    bool message;  // whether OBJM_RESIZED was sent by the second resize
    LPARAM change;
};

class ObjectResize : public KernelTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(ObjectResize, RoundsAndStopsAtTheMinimum)
{
    const ResizeCase &c = GetParam();
    const OBJHANDLE h = make();
    if (c.grow) {
        ASSERT_EQ(ReSizeOBJect(kernel, h, c.grow), h);
    }
    messages().clear();
    EXPECT_EQ(ReSizeOBJect(kernel, h, c.delta), h);
    EXPECT_EQ(GetOBJectSize(kernel, h), c.size);
    EXPECT_EQ(OBJectSizeBank(kernel, h), c.size);
    EXPECT_EQ(DataSpaceSize(kernel, h), c.size - 112);
    const auto got = messagesTo(h);
    if (c.message) {
        ASSERT_EQ(got, std::vector<uint16_t>{OBJM_RESIZED});
        EXPECT_EQ(messages()[0].lParam, c.change);
    } else {
        EXPECT_TRUE(got.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ObjectResize,
                         ::testing::Values(ResizeCase{0, 1, 144, true, 16},  // +1 -> +8 -> next 16
                                           ResizeCase{0, -1, 128, false, 0}, // rounds to 0
                                           ResizeCase{0, 16, 144, true, 16}, ResizeCase{0, 17, 160, true, 32},
                                           ResizeCase{64, -16, 176, true, -16},
                                           ResizeCase{64, -7, 192, false, 0},     // cut towards zero
                                           ResizeCase{64, -1000, 128, true, -64}, // stops at the class size
                                           ResizeCase{0, -1000, 128, false, 0}));

TEST_F(ObjectStore, MinimumCountsReferencesBeyondTheClassSlots)
{
    const OBJHANDLE holder = make();
    std::vector<OBJHANDLE> held;
    for (int i = 0; i < 7; ++i) {
        held.push_back(make());
        ASSERT_NE(InsRef(kernel, holder, 0x0003, held.back(), -1), OBJ_INVALID);
    }
    ASSERT_EQ(HeadDataOffset(kernel, holder), 144u); // 8 slots
    ASSERT_EQ(ReSizeOBJect(kernel, holder, -100000), holder);
    // Seven references, three beyond the class's four slots: 128 + 24.
    EXPECT_EQ(GetOBJectSize(kernel, holder), 152u);
    EXPECT_EQ(DataSpaceSize(kernel, holder), 8u);
    EXPECT_EQ(targets(holder), held);
}

TEST_F(ObjectStore, ReferenceAreaResizeMovesTheDataSpace)
{
    const OBJHANDLE h = make();
    const char text[] = "data space!12345";
    ASSERT_EQ(TransferOBJectData(kernel, h, const_cast<char *>(text), 16, 1), 16u);
    messages().clear();
    ASSERT_EQ(ReSizeOBJExported(kernel, h, 32, 0), h);
    EXPECT_EQ(HeadDataOffset(kernel, h), 144u);
    EXPECT_EQ(DataSpaceSize(kernel, h), 16u);
    EXPECT_EQ(std::memcmp(DataSpaceBegin(OBJectLock(kernel, h)), text, 16), 0);
    // The bytes the data space left are empty slots now.
    const char *slots = OBJectLock(kernel, h) - OBJ_HEAD_SIZE + 112;
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(slots[i], 0);
    EXPECT_TRUE(messages().empty());
    ASSERT_EQ(ReSizeOBJExported(kernel, h, -32, 0), h);
    EXPECT_EQ(HeadDataOffset(kernel, h), 112u);
    EXPECT_EQ(std::memcmp(DataSpaceBegin(OBJectLock(kernel, h)), text, 16), 0);
}

TEST_F(ObjectStore, ResizeDataSetsTheExactSize)
{
    const OBJHANDLE h = make();
    ASSERT_EQ(ReSizeOBJectData(kernel, h, 3), h);
    EXPECT_EQ(GetOBJectSize(kernel, h), 115u);
    EXPECT_EQ(DataSpaceSize(kernel, h), 3u);
}

TEST_F(ObjectStore, TransferGrowsForWritesAndClipsReads)
{
    const OBJHANDLE h = make();
    std::vector<char> in(100);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = char(i + 1);
    EXPECT_EQ(TransferOBJectData(kernel, h, nullptr, 0, 0), 16u);
    EXPECT_EQ(TransferOBJectData(kernel, h, in.data(), 100, 1), 100u);
    EXPECT_GE(DataSpaceSize(kernel, h), 100u);
    std::vector<char> out(1000, 0);
    const uint32_t n = TransferOBJectData(kernel, h, out.data(), 1000, 0);
    EXPECT_EQ(n, DataSpaceSize(kernel, h));
    EXPECT_EQ(std::memcmp(out.data(), in.data(), 100), 0);
    // Writing less never shrinks.
    EXPECT_EQ(TransferOBJectData(kernel, h, in.data(), 4, 1), 4u);
    EXPECT_EQ(DataSpaceSize(kernel, h), n);
}

TEST_F(ObjectStore, OnlyTheUserMarkCanBeSet)
{
    const OBJHANDLE h = make();
    EXPECT_EQ(SetOBJectFlag(kernel, h, 0xFFFF, 1), OBJ_APPEND | OBJF_CURRENTHEAD | OBJF_USERMARK);
    EXPECT_EQ(GetOBJectFlag(kernel, h, OBJF_USERMARK), OBJF_USERMARK);
    EXPECT_EQ(SetOBJectFlag(kernel, h, 0xFFFF, 0), OBJ_APPEND | OBJF_CURRENTHEAD);
}

TEST_F(ObjectStore, DeleteWithOnlyPairedReferencesFreesTheObject)
{
    const OBJHANDLE layer = make(), obj = make();
    ASSERT_EQ(InsertRefInPos(kernel, layer, REF_LAYER_MEMBER, obj, -1, -1), 0u);
    messages().clear();
    EXPECT_EQ(OBJectDelete(kernel, obj), 0);
    EXPECT_EQ(HeadLock(kernel, obj), nullptr);
    EXPECT_TRUE(targets(layer).empty());
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, layer), 0u);
    const auto got = messagesTo(obj);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got.front(), OBJM_DELETING);
    EXPECT_EQ(got.back(), OBJM_DELETED);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLS_APPEND), 1u);
}

TEST_F(ObjectStore, DeleteWhileReferencedKeepsTheObjectUntilTheLastReferenceGoes)
{
    const OBJHANDLE holder = make(), obj = make(), other = make();
    ASSERT_EQ(InsRef(kernel, holder, 0x0005, obj, -1), 0u); // unpaired
    EXPECT_EQ(OBJectDelete(kernel, obj), 1);
    ASSERT_NE(HeadLock(kernel, obj), nullptr);
    EXPECT_EQ(IsOBJectDeleted(kernel, obj), 1);
    EXPECT_EQ(GetOBJectFlag(kernel, obj, OBJF_DELETED), OBJF_DELETED);
    EXPECT_EQ(KernelGetHandlesCount(kernel), 3u);          // still counted
    EXPECT_EQ(KernelGetNextHandle(kernel, holder), other); // skipped
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), 2u);
    // No new links to it.
    EXPECT_EQ(InsRef(kernel, other, 0x0005, obj, -1), OBJ_INVALID);
    EXPECT_EQ(errors.back(), "You can't add reference to deleted object");
    EXPECT_EQ(RemRef(kernel, holder, 0), 0u);
    EXPECT_EQ(HeadLock(kernel, obj), nullptr);
    EXPECT_EQ(KernelGetHandlesCount(kernel), 2u);
    EXPECT_EQ(kernel->deleted, 0u);
}

TEST_F(ObjectStore, IterationSkipsObjectsOutsideTheDocument)
{
    std::vector<OBJHANDLE> h;
    for (int i = 0; i < 4; ++i)
        h.push_back(make());
    HeadLock(kernel, h[1])->flags |= OBJF_UNDODELETED;
    HeadLock(kernel, h[2])->flags |= OBJF_UNDOCOPY;
    EXPECT_EQ(KernelGetNextHandle(kernel, 0), h[0]);
    EXPECT_EQ(KernelGetNextHandle(kernel, h[0]), h[3]);
    EXPECT_EQ(KernelGetNextHandle(kernel, h[3]), 0u);
    EXPECT_EQ(KernelGetHandlesCount(kernel), 2u);
    EXPECT_EQ(IsUndoneObj(kernel, h[1]), 1);
    EXPECT_EQ(IsUndoneObj(kernel, h[0]), 0);
    EXPECT_EQ(KernGiveAllObjectsAmount(kernel), 5u);
}

TEST_F(ObjectStore, FreedHandlesAreReusedWhileTheFlagIsOn)
{
    const OBJHANDLE a = make();
    make();
    ASSERT_EQ(OBJectDelete(kernel, a), 0);
    EXPECT_EQ(make(), a);
    EXPECT_EQ(KernelSetEmptyFlag(kernel, 0), 1);
    EXPECT_EQ(KernGetEmptyFlag(kernel), 0);
    ASSERT_EQ(OBJectDelete(kernel, a), 0);
    EXPECT_EQ(make(), 3u);
}

TEST_F(ObjectStore, CountersFollowCreationDeletionAndKernels)
{
    const uint32_t before = GetNumberOfOBJects(CLS_FIRST);
    make(CLS_FIRST);
    const OBJHANDLE b = make(CLS_FIRST);
    make(CLS_NOPROC);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLS_FIRST), 2u);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLS_NOPROC), 1u);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), 3u);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0x7777), 0u);
    OBJectKernel *second = KernelNew();
    CreateOBJect(second, CLS_FIRST);
    EXPECT_EQ(GetNumberOfOBJects(CLS_FIRST), before + 3);
    KillOBJect(kernel, b);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLS_FIRST), 1u);
    EXPECT_EQ(GetOBJectClassDescrKernel(kernel, 1)->objects, 1u);
    EXPECT_EQ(GetOBJectClassKernelDescr(kernel, 1), GetOBJectClassDescrKernel(kernel, 1));
    // A deleted kernel's objects no longer count in the process totals.
    KernelDelete(second);
    EXPECT_EQ(GetNumberOfOBJects(CLS_FIRST), before + 1);
    EXPECT_EQ(GetOBJectClassID(kernel, 1), CLS_FIRST);
    EXPECT_STREQ(GetOBJectClassDescr(kernel, 1)->name, "First");
}

TEST_F(ObjectStore, InternalErrorSwitch)
{
    EXPECT_EQ(GetStateInternalErrorMessages(), 1);
    DisableInternalErrorMessages();
    EXPECT_EQ(GetStateInternalErrorMessages(), 0);
    EnableInternalErrorMessages();
    EXPECT_EQ(GetStateInternalErrorMessages(), 1);
    EXPECT_EQ(KernelTimerCompactBank(), 0);
    EXPECT_EQ(ReadGormIni(0, nullptr), 0);
}

} // namespace
} // namespace kerneltest

// Every exported function of the kernel core, called with a null kernel,
// handle 0, a freed handle and an out-of-range handle, answers its failure
// value, does not crash and changes nothing.
#include "engine/kernel/buffer.h"
#include "kernel_fixture.h"

#include <functional>

namespace kerneltest {
namespace {

constexpr int64_t INV = OBJ_INVALID;

struct Row {
    const char *name;
    std::function<int64_t(OBJectKernel *, OBJHANDLE bad, OBJHANDLE good)> call;
    int64_t failure;
};

int64_t p(const void *ptr) { return ptr ? 1 : 0; }

int countNodes(OBJectKernel *, OBJHANDLE, uint16_t, int32_t *, void *, int32_t, int32_t, int) { return 1; }

const std::vector<Row> &rows()
{
    static const std::vector<Row> r = {
        // Object store
        {"OBJectDelete", [](auto k, auto h, auto) { return int64_t(OBJectDelete(k, h)); }, -1},
        {"KillOBJect", [](auto k, auto h, auto) { return int64_t(KillOBJect(k, h)); }, 0},
        {"ReSizeOBJect", [](auto k, auto h, auto) { return int64_t(ReSizeOBJect(k, h, 64)); }, 0},
        {"ReSizeOBJExported", [](auto k, auto h, auto) { return int64_t(ReSizeOBJExported(k, h, 64, 0)); },
         0},
        {"ReSizeOBJectData", [](auto k, auto h, auto) { return int64_t(ReSizeOBJectData(k, h, 8)); }, 0},
        {"OBJectLock", [](auto k, auto h, auto) { return p(OBJectLock(k, h)); }, 0},
        {"HeadLock", [](auto k, auto h, auto) { return p(HeadLock(k, h)); }, 0},
        {"DataSpaceSize", [](auto k, auto h, auto) { return int64_t(DataSpaceSize(k, h)); }, 0},
        {"HeadDataOffset", [](auto k, auto h, auto) { return int64_t(HeadDataOffset(k, h)); }, 0},
        {"HeadRefsOffset", [](auto k, auto h, auto) { return int64_t(HeadRefsOffset(k, h)); }, 0},
        {"GetOBJectSize", [](auto k, auto h, auto) { return int64_t(GetOBJectSize(k, h)); }, INV},
        {"OBJectSizeBank", [](auto k, auto h, auto) { return int64_t(OBJectSizeBank(k, h)); }, 0},
        {"TransferOBJectData read",
         [](auto k, auto h, auto) {
             char b[8];
             return int64_t(TransferOBJectData(k, h, b, 8, 0));
         },
         0},
        {"TransferOBJectData write",
         [](auto k, auto h, auto) {
             char b[8] = {};
             return int64_t(TransferOBJectData(k, h, b, 8, 1));
         },
         0},
        {"TransferOBJectData size",
         [](auto k, auto h, auto) { return int64_t(TransferOBJectData(k, h, nullptr, 0, 0)); }, 0},
        {"SetOBJectFlag", [](auto k, auto h, auto) { return int64_t(SetOBJectFlag(k, h, 0x1000, 1)); }, 0},
        {"GetOBJectFlag", [](auto k, auto h, auto) { return int64_t(GetOBJectFlag(k, h, 0xFFFF)); }, 0},
        {"IsOBJectDeleted", [](auto k, auto h, auto) { return int64_t(IsOBJectDeleted(k, h)); }, 1},
        {"IsUndoneObj", [](auto k, auto h, auto) { return int64_t(IsUndoneObj(k, h)); }, 0},
        {"GetOBJectClassID", [](auto k, auto h, auto) { return int64_t(GetOBJectClassID(k, h)); }, 0},
        {"GetOBJectClassDescr", [](auto k, auto h, auto) { return p(GetOBJectClassDescr(k, h)); }, 0},
        {"GetOBJectClassDescrKernel", [](auto k, auto h, auto) { return p(GetOBJectClassDescrKernel(k, h)); },
         0},
        {"GetOBJectClassKernelDescr", [](auto k, auto h, auto) { return p(GetOBJectClassKernelDescr(k, h)); },
         0},
        // References, the bad handle as holder
        {"InsertRefInPos holder",
         [](auto k, auto h, auto g) { return int64_t(InsertRefInPos(k, h, REF_GROUP_MEMBER, g, -1, -1)); },
         INV},
        {"InsertRefInPos target",
         [](auto k, auto h, auto g) { return int64_t(InsertRefInPos(k, g, REF_GROUP_MEMBER, h, -1, -1)); },
         INV},
        {"InsRef holder", [](auto k, auto h, auto g) { return int64_t(InsRef(k, h, 0x0003, g, -1)); }, INV},
        {"InsRef target", [](auto k, auto h, auto g) { return int64_t(InsRef(k, g, 0x0003, h, -1)); }, INV},
        {"InsRef2", [](auto k, auto h, auto g) { return int64_t(InsRef2(k, g, 0x0003, h, -1)); }, INV},
        {"RemoveNthReference", [](auto k, auto h, auto) { return int64_t(RemoveNthReference(k, h, 0)); },
         INV},
        {"RemoveReference",
         [](auto k, auto h, auto g) { return int64_t(RemoveReference(k, h, REF_GROUP_MEMBER, g)); }, INV},
        {"RemoveReference target",
         [](auto k, auto h, auto g) { return int64_t(RemoveReference(k, g, REF_GROUP_MEMBER, h)); }, INV},
        {"RemRef", [](auto k, auto h, auto) { return int64_t(RemRef(k, h, 0)); }, INV},
        {"RRRemRef", [](auto k, auto h, auto g) { return int64_t(RRRemRef(k, h, g, 0x0003)); }, INV},
        {"PurgeDeletedRefs",
         [](auto k, auto h, auto) {
             PurgeDeletedRefs(k, h, 0);
             return int64_t(0);
         },
         0},
        {"GetNthReferenced", [](auto k, auto h, auto) { return int64_t(GetNthReferenced(k, h, 0)); }, 0},
        {"GetNthReferenceID", [](auto k, auto h, auto) { return int64_t(GetNthReferenceID(k, h, 0)); }, 0},
        {"GetRef",
         [](auto k, auto h, auto) {
             uint16_t id;
             OBJHANDLE t;
             return int64_t(GetRef(k, h, &id, &t, 0));
         },
         0},
        {"SetNthReferenceID",
         [](auto k, auto h, auto) { return int64_t(SetNthReferenceID(k, h, 0, 0x8803)); }, 0},
        {"ChangeReferencesID",
         [](auto k, auto h, auto) { return int64_t(ChangeReferencesID(k, h, 0, 0x8803)); }, INV},
        {"SetNumberOfReferencesFrom",
         [](auto k, auto h, auto) { return int64_t(SetNumberOfReferencesFrom(k, h, 0, 0)); }, INV},
        {"GetNumberOfReferencesFrom",
         [](auto k, auto h, auto) { return int64_t(GetNumberOfReferencesFrom(k, h, 0)); }, INV},
        {"GetNumberOfReferencesFrom filtered",
         [](auto k, auto h, auto) { return int64_t(GetNumberOfReferencesFrom(k, h, 0xC001)); }, 0},
        {"GetNumberOfReferencesTo",
         [](auto k, auto h, auto) { return int64_t(GetNumberOfReferencesTo(k, h)); }, INV},
        {"FirstReference",
         [](auto k, auto h, auto) {
             int32_t pos;
             return int64_t(FirstReference(k, h, 0, &pos));
         },
         0},
        {"GetReference",
         [](auto k, auto h, auto) {
             int32_t pos = -1;
             return int64_t(GetReference(k, h, 0, &pos));
         },
         0},
        {"LastReference",
         [](auto k, auto h, auto) {
             int32_t pos;
             return int64_t(LastReference(k, h, 0, &pos));
         },
         0},
        {"PrevReference",
         [](auto k, auto h, auto) {
             int32_t pos = -1;
             return int64_t(PrevReference(k, h, 0, &pos));
         },
         0},
        {"FindReference", [](auto k, auto h, auto g) { return int64_t(FindReference(k, h, 0x8803, g)); },
         INV},
        {"FindKey", [](auto k, auto h, auto g) { return int64_t(FindKey(k, h, 0, g)); }, INV},
        {"TreeMember",
         [](auto k, auto h, auto g) {
             int32_t pos;
             return int64_t(TreeMember(k, h, 0, g, &pos));
         },
         0},
        {"GetChildrenOBJS",
         [](auto k, auto h, auto) {
             OBJHANDLE a[4];
             return int64_t(GetChildrenOBJS(k, h, 0, 4, a, 1));
         },
         0},
        {"TraversTree",
         [](auto k, auto h, auto) { return int64_t(TraversTree(k, h, 0, countNodes, countNodes, nullptr)); },
         0},
        {"CopyReferences source", [](auto k, auto h, auto g) { return int64_t(CopyReferences(k, g, h, 0)); },
         INV},
        {"CopyReferences destination",
         [](auto k, auto h, auto g) { return int64_t(CopyReferences(k, h, g, 0)); }, INV},
        {"MoveReferences source", [](auto k, auto h, auto g) { return int64_t(MoveReferences(k, g, h, 0)); },
         INV},
        {"MoveReferences destination",
         [](auto k, auto h, auto g) { return int64_t(MoveReferences(k, h, g, 0)); }, INV},
        {"SortReferences",
         [](auto k, auto h, auto) { return int64_t(SortReferences(k, h, OBJ_SORTEDHANDLE)); }, 0},
        {"DeleteTree", [](auto k, auto h, auto) { return int64_t(DeleteTree(k, h, 0xC001)); }, 1},
        {"DeleteSubTree", [](auto k, auto h, auto) { return int64_t(DeleteSubTree(k, h, 0xC001)); }, 0},
        {"KillTree", [](auto k, auto h, auto) { return int64_t(KillTree(k, h, 0xC001, 0)); }, 0},
        {"DelEmptyTreeNodes",
         [](auto k, auto h, auto) { return int64_t(DelEmptyTreeNodes(k, h, 0xFFFF, 0xC001)); }, 0},
        // Messages
        {"SendOBJectMessage",
         [](auto k, auto h, auto g) { return int64_t(SendOBJectMessage(k, g, h, 0, 0x4001, 0, 0)); }, 0},
        {"PropagateOBJectMessage",
         [](auto k, auto h, auto) { return int64_t(PropagateOBJectMessage(k, h, 0, 0x4001, 0, 0)); }, 0},
        {"SendOneOBJectMessage",
         [](auto k, auto h, auto) { return int64_t(SendOneOBJectMessage(k, h, 1, 0, 0x4001, 0, 0)); }, 0},
        {"BranchOBJectMessage",
         [](auto k, auto h, auto) { return int64_t(BranchOBJectMessage(k, h, 0, 0, 0x4001, 0, 0)); }, 0},
    };
    return r;
}

enum class Bad { NullKernel, Zero, Freed, OutOfRange };

class BadInput : public KernelTest, public ::testing::WithParamInterface<Bad> {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        good = make();
        other = make();
        ASSERT_EQ(InsertRefInPos(kernel, good, REF_GROUP_MEMBER, other, -1, -1), 0u);
        freed = make();
        ASSERT_EQ(OBJectDelete(kernel, freed), 0);
        KernelSetEmptyFlag(kernel, 0); // keep the freed slot free
    }
    OBJHANDLE good = 0, other = 0, freed = 0;
};

TEST_P(BadInput, EveryFunctionAnswersItsFailureValue)
{
    OBJectKernel *k = kernel;
    OBJHANDLE bad = 0;
    switch (GetParam()) {
    case Bad::NullKernel:
        k = nullptr;
        bad = good;
        break;
    case Bad::Zero:
        bad = 0;
        break;
    case Bad::Freed:
        bad = freed;
        break;
    case Bad::OutOfRange:
        bad = 0x12345678;
        break;
    }
    const uint32_t sizeBefore = GetOBJectSize(kernel, good);
    for (const Row &row : rows()) {
        EXPECT_EQ(row.call(k, bad, good), row.failure) << row.name;
        // Nothing of the good objects changed.
        ASSERT_EQ(GetOBJectSize(kernel, good), sizeBefore) << row.name;
        ASSERT_EQ(targets(good), std::vector<OBJHANDLE>{other}) << row.name;
        ASSERT_EQ(GetNumberOfReferencesTo(kernel, good), 1u) << row.name;
        ASSERT_EQ(GetNumberOfReferencesTo(kernel, other), 1u) << row.name;
    }
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), 2u);
    EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInput,
                         ::testing::Values(Bad::NullKernel, Bad::Zero, Bad::Freed, Bad::OutOfRange));

TEST(BadInputNoKernel, KernelAndPointerFunctionsAnswerTheirFailureValue)
{
    EXPECT_EQ(KernelDelete(nullptr), 1);
    EXPECT_EQ(KernelSetEmptyFlag(nullptr, 1), 0);
    EXPECT_EQ(KernGetEmptyFlag(nullptr), 0);
    EXPECT_EQ(KernGiveAllObjectsAmount(nullptr), 0u);
    EXPECT_EQ(KernelGetHandlesCount(nullptr), 0u);
    EXPECT_EQ(KernelGetNextHandle(nullptr, 0), 0u);
    EXPECT_EQ(CreateOBJect(nullptr, 0x0101), 0u);
    EXPECT_EQ(GetNumberOfOBJectsKernel(nullptr, 0), 0u);
    EXPECT_EQ(GetOBJectHandle(nullptr, nullptr), 0u);
    EXPECT_EQ(OBJectSpaceBegin(nullptr), nullptr);
    EXPECT_EQ(DataSpaceBegin(nullptr), nullptr);
    EXPECT_EQ(DataSpaceEnd(nullptr), nullptr);
    EXPECT_EQ(GetClassId(-1), 0);
    EXPECT_EQ(GetClassId(1000), 0);
    EXPECT_EQ(GetOBJectClassFN(0x7777), nullptr);
    EXPECT_EQ(RegisterOBJectClass(0x7777, 8, -1, 0, nullptr, nullptr, 0, "x"), -1);
    EXPECT_EQ(RegisterOBJectClass(0x7777, 0x10000, 1, 0, nullptr, nullptr, 0, "x"), -1);
    EXPECT_EQ(IsClassRegistered(0x7777), 0);
    OBJectKernel *k = KernelNew();
    EXPECT_EQ(KernelGetNextHandle(k, 0xFFFFFFFF), 0u);
    EXPECT_EQ(GetOBJectHandle(k, reinterpret_cast<const char *>(&k) + 28), 0u);
    KernelDelete(k);
}

TEST(BadInputNoKernel, BankFunctionsRefuseBadSlots)
{
    BankDesc *bank = BankNew(0);
    const OBJHANDLE live = BankAlloc(bank, 8);
    const OBJHANDLE freed = BankAlloc(bank, 8);
    BankFree(bank, freed);
    for (OBJHANDLE bad : {OBJHANDLE(0), freed, OBJHANDLE(0x12345678)}) {
        EXPECT_EQ(BankLock(bank, bad), nullptr) << bad;
        EXPECT_EQ(BankReAlloc(bank, bad, 16), 0u) << bad;
        EXPECT_EQ(BankSize(bank, bad), 0u) << bad;
        EXPECT_EQ(BankLock(nullptr, bad), nullptr) << bad;
    }
    EXPECT_EQ(BankFree(bank, 0), 0);
    EXPECT_EQ(BankFree(bank, 0x12345678), 0);
    EXPECT_EQ(BankAllocInPos(bank, 8, 0x12345678, 1), 0u);
    EXPECT_EQ(BankAlloc(nullptr, 8), 0u);
    EXPECT_EQ(BankAllocInPos(nullptr, 8, 1, 1), 0u);
    EXPECT_EQ(BankFree(nullptr, live), 0);
    EXPECT_EQ(BankSize(nullptr, live), 0u);
    EXPECT_EQ(BankHandle(nullptr, nullptr), 0u);
    EXPECT_EQ(BankHandle(bank, &bank), 0u);
    EXPECT_EQ(BankSetMaxEntries(nullptr, 10), 0);
    EXPECT_EQ(BankSetEmptyFlag(nullptr, 1), 0);
    EXPECT_EQ(BankGetEmptyFlag(nullptr), 0);
    EXPECT_EQ(BankSetDelStack(nullptr), 0);
    EXPECT_EQ(BankGetFirstFree(nullptr), 0u);
    EXPECT_EQ(BankDelete(nullptr), 0);
    EXPECT_NE(BankLock(bank, live), nullptr);
    BankDelete(bank);
}

TEST(BadInputNoKernel, BufferFunctionsRefuseANullRecord)
{
    char item[8] = {};
    EXPECT_EQ(BufferInit(nullptr, 0, 8, 10), 0);
    EXPECT_EQ(BufferReset(nullptr, 0, 8, 10), 0);
    EXPECT_EQ(BufferDelete(nullptr), 0);
    EXPECT_EQ(BufferSetSize(nullptr, 10), 0u);
    EXPECT_EQ(BufferSetDataItem(nullptr, item), 0u);
    EXPECT_EQ(BufferGetDataItem(nullptr, item), 0);
    EXPECT_EQ(BufferSetDataItemPos(nullptr, item, 0), 0);
    EXPECT_EQ(BufferGetDataItemPos(nullptr, item, 0), 0);
    EXPECT_EQ(BufferSetItemPosRead(nullptr, 1), 0u);
    EXPECT_EQ(BufferSetItemPosWrite(nullptr, 1), 0u);
    EXPECT_EQ(BufferGetItemPosRead(nullptr), 0u);
    EXPECT_EQ(BufferGetItemPosWrite(nullptr), 0u);
    EXPECT_EQ(BufferSetSynchReadWrite(nullptr, 1), 0);
    EXPECT_EQ(BufferLock(nullptr), nullptr);
    EXPECT_EQ(BufferUnLock(nullptr), 0);
    EXPECT_EQ(BufferGetPointer(nullptr), nullptr);
    EXPECT_EQ(BufferGetPointerFromItem(nullptr, 0), nullptr);
    EXPECT_EQ(BufferGetHandle(nullptr), 0u);
    EXPECT_EQ(BufferGetSize(nullptr), 0u);
    EXPECT_EQ(BufferGetItemSize(nullptr), 0u);
    EXPECT_EQ(BufferGetType(nullptr), 0u);
    EXPECT_EQ(BufferSetType(nullptr, 1), 0u);
    EXPECT_EQ(BufferGetValidNumber(nullptr), 0u);
    EXPECT_EQ(BufferSetValidNumber(nullptr, 1), 0u);
    EXPECT_EQ(BufferFill(nullptr, item, 1), 0u);
    // A record with no block refuses the item operations.
    Buffer b{};
    BufferInit(&b, 0, 8, 10);
    EXPECT_EQ(BufferSetDataItem(&b, nullptr), 0u);
    EXPECT_EQ(BufferGetDataItemPos(&b, item, 0), 0);
    EXPECT_EQ(BufferSetDataItemPos(&b, item, 0), 0);
    EXPECT_EQ(BufferFill(&b, item, 0), 0u);
}

} // namespace
} // namespace kerneltest

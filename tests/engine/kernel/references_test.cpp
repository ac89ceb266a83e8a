#include "kernel_fixture.h"

#include <algorithm>

namespace kerneltest {
namespace {

using References = KernelTest;

TEST_F(References, PairedInsertLinksBothSides)
{
    const OBJHANDLE layer = make(), obj = make();
    messages().clear();
    EXPECT_EQ(InsertRefInPos(kernel, layer, REF_LAYER_MEMBER, obj, -1, -1), 0u);
    EXPECT_EQ(GetNthReferenced(kernel, layer, 0), obj);
    EXPECT_EQ(GetNthReferenceID(kernel, layer, 0), REF_LAYER_MEMBER);
    EXPECT_EQ(GetNthReferenced(kernel, obj, 0), layer);
    EXPECT_EQ(GetNthReferenceID(kernel, obj, 0), REF_LAYER_BACK);
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, layer), 1u);
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, obj), 1u);
    // Messages of the first side: the target hears first, then the holder.
    ASSERT_GE(messages().size(), 2u);
    const Message &referenced = messages()[0];
    EXPECT_EQ(referenced.message, OBJM_REFERENCED);
    EXPECT_EQ(referenced.receiver, obj);
    EXPECT_EQ(referenced.sender, layer);
    EXPECT_EQ(referenced.subCode, REF_LAYER_MEMBER);
    EXPECT_EQ(referenced.lParam, 1);
    const Message &inserted = messages()[1];
    EXPECT_EQ(inserted.message, OBJM_REFINSERTED);
    EXPECT_EQ(inserted.receiver, layer);
    EXPECT_EQ(inserted.sender, obj);
    EXPECT_EQ(inserted.lParam, 0);
}

class PairedRemoval : public KernelTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PairedRemoval, RemovingEitherSideRemovesBoth)
{
    const OBJHANDLE layer = make(), obj = make();
    ASSERT_EQ(InsertRefInPos(kernel, layer, REF_LAYER_MEMBER, obj, -1, -1), 0u);
    const bool fromHolder = GetParam();
    messages().clear();
    EXPECT_EQ(RemoveNthReference(kernel, fromHolder ? layer : obj, 0), 0u);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, layer, 0), 0u);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, obj, 0), 0u);
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, layer), 0u);
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, obj), 0u);
    const auto &m = messages();
    EXPECT_EQ(std::count_if(m.begin(), m.end(), [](auto &x) { return x.message == OBJM_UNREFERENCED; }), 2);
    EXPECT_EQ(std::count_if(m.begin(), m.end(), [](auto &x) { return x.message == OBJM_REFREMOVED; }), 2);
}

INSTANTIATE_TEST_SUITE_P(Sides, PairedRemoval, ::testing::Bool());

TEST_F(References, RemoveReferenceFindsThePairBySlot)
{
    const OBJHANDLE group = make(), a = make(), b = make();
    InsertRefInPos(kernel, group, REF_GROUP_MEMBER, a, -1, -1);
    InsertRefInPos(kernel, group, REF_GROUP_MEMBER, b, -1, -1);
    EXPECT_EQ(RemoveReference(kernel, group, REF_GROUP_MEMBER, a), 1u);
    EXPECT_EQ(targets(group), std::vector<OBJHANDLE>{b});
    EXPECT_TRUE(targets(a).empty());
    EXPECT_EQ(RemoveReference(kernel, group, REF_GROUP_MEMBER, a), OBJ_INVALID);
    EXPECT_EQ(errors.back(), "Reference not found");
}

TEST_F(References, SlotArrayGrowsByAQuarterAndShrinksWhenMostlyFree)
{
    const OBJHANDLE holder = make();
    std::vector<OBJHANDLE> t;
    for (int i = 0; i < 4; ++i) {
        t.push_back(make());
        InsRef(kernel, holder, 0x0003, t.back(), -1);
    }
    EXPECT_EQ(HeadDataOffset(kernel, holder) - HeadRefsOffset(kernel, holder), 32u);
    t.push_back(make());
    InsRef(kernel, holder, 0x0003, t.back(), -1);
    EXPECT_EQ(HeadDataOffset(kernel, holder) - HeadRefsOffset(kernel, holder), 48u); // 4 + 2
    EXPECT_EQ(targets(holder), t);
    // Capacity 6: one removal leaves max(4, 4) = 4 needed, 2 free, not more
    // than 6/4 + 1: no shrink.
    RemRef(kernel, holder, 4);
    EXPECT_EQ(HeadDataOffset(kernel, holder) - HeadRefsOffset(kernel, holder), 48u);
    // Grow to 12 slots, then remove down to 4 held: 8 free > 12/4 + 1.
    for (int i = 0; i < 7; ++i)
        InsRef(kernel, holder, 0x0003, make(), -1);
    const uint32_t big = (HeadDataOffset(kernel, holder) - HeadRefsOffset(kernel, holder)) / 8;
    EXPECT_GE(big, 11u);
    while (GetNumberOfReferencesFrom(kernel, holder, 0) > 4)
        RemRef(kernel, holder, int32_t(GetNumberOfReferencesFrom(kernel, holder, 0)) - 1);
    EXPECT_EQ((HeadDataOffset(kernel, holder) - HeadRefsOffset(kernel, holder)) / 8, 4u);
    EXPECT_EQ(targets(holder), std::vector<OBJHANDLE>(t.begin(), t.begin() + 4));
}

TEST_F(References, FindReferenceComparesTheLinkBitsOnly)
{
    const OBJHANDLE layer = make(), obj = make(), other = make();
    InsertRefInPos(kernel, layer, REF_LAYER_MEMBER, obj, -1, -1);
    EXPECT_EQ(FindReference(kernel, layer, REF_LAYER_MEMBER, obj), 0);
    EXPECT_EQ(FindReference(kernel, layer, 0x0803, obj), 0);
    EXPECT_EQ(FindReference(kernel, layer, REF_LAYER_MEMBER, other), ~1);
    EXPECT_EQ(FindReference(kernel, other, REF_LAYER_MEMBER, obj), -1);
    EXPECT_EQ(FindReference(kernel, 0, REF_LAYER_MEMBER, obj), int32_t(OBJ_INVALID));
}

struct FilterCase {
    uint16_t id;
    uint16_t filter;
    bool match;
};

class FilterMatch : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterMatch, Matches)
{
    const FilterCase &c = GetParam();
    EXPECT_EQ(RefMatchesFilter(c.id, c.filter), c.match) << std::hex << c.id << " / " << c.filter;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FilterMatch,
    ::testing::Values(FilterCase{0x8803, 0, true}, FilterCase{0x8803, 0x8803, true},
                      FilterCase{0x8803, 0x0803, true}, FilterCase{0x8803, 0x8802, false},
                      FilterCase{0x8803, 0xC001, true}, FilterCase{0x8807, 0xC001, true},
                      FilterCase{0x8802, 0xC001, false}, FilterCase{0x8802, 0xC000, true},
                      FilterCase{0x8803, 0xC000, false}, FilterCase{0x8803, 0xC801, true},
                      FilterCase{0x8405, 0xC801, false}, FilterCase{0x8405, 0xC401, true},
                      FilterCase{0x8404, 0xC400, true}, FilterCase{0x8803, 0x4800, true},
                      FilterCase{0x8802, 0x4800, true}, FilterCase{0x8203, 0x4800, false},
                      FilterCase{0xA803, 0x0803, true}));

TEST_F(References, EnumerationWithFilters)
{
    const OBJHANDLE holder = make();
    std::vector<OBJHANDLE> t;
    const uint16_t ids[] = {0x8803, 0x8802, 0x8807, 0x8405, 0x8803};
    for (uint16_t id : ids) {
        t.push_back(make());
        InsRef(kernel, holder, id, t.back(), -1);
    }
    auto forward = [&](uint16_t filter) {
        std::vector<OBJHANDLE> out;
        int32_t pos = -1;
        while (OBJHANDLE h = GetReference(kernel, holder, filter, &pos))
            out.push_back(h);
        return out;
    };
    EXPECT_EQ(forward(0xC001), (std::vector<OBJHANDLE>{t[0], t[2], t[3], t[4]}));
    EXPECT_EQ(forward(0xC000), (std::vector<OBJHANDLE>{t[1]}));
    EXPECT_EQ(forward(0xC801), (std::vector<OBJHANDLE>{t[0], t[2], t[4]}));
    EXPECT_EQ(forward(0x0803), (std::vector<OBJHANDLE>{t[0], t[4]}));
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, holder, 0xC001), 4u);

    int32_t pos = 7;
    EXPECT_EQ(FirstReference(kernel, holder, 0xC000, &pos), t[1]);
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(FirstReference(kernel, holder, 0x0999, &pos), 0u);
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(LastReference(kernel, holder, 0xC801, &pos), t[4]);
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(PrevReference(kernel, holder, 0xC801, &pos), t[2]);
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(PrevReference(kernel, holder, 0xC801, &pos), t[0]);
    EXPECT_EQ(PrevReference(kernel, holder, 0xC801, &pos), 0u);
    EXPECT_EQ(pos, -1);
    EXPECT_EQ(LastReference(kernel, holder, 0x0999, &pos), 0u);
    EXPECT_EQ(pos, -1);
    // At the last slot GetReference stops and keeps the position.
    pos = 4;
    EXPECT_EQ(GetReference(kernel, holder, 0, &pos), 0u);
    EXPECT_EQ(pos, 4);
    // No further match: the position goes to -1.
    pos = 0;
    EXPECT_EQ(GetReference(kernel, holder, 0xC000, &pos), t[1]);
    EXPECT_EQ(GetReference(kernel, holder, 0xC000, &pos), 0u);
    EXPECT_EQ(pos, -1);
}

TEST_F(References, SlotAccessAndRetagging)
{
    const OBJHANDLE a = make(), b = make();
    InsertRefInPos(kernel, a, REF_LAYER_MEMBER, b, -1, -1);
    uint16_t id = 1;
    OBJHANDLE target = 1;
    EXPECT_EQ(GetRef(kernel, a, &id, &target, 0), 1);
    EXPECT_EQ(id, REF_LAYER_MEMBER);
    EXPECT_EQ(target, b);
    EXPECT_EQ(GetRef(kernel, a, &id, &target, 1), 0);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(target, 0u);
    // Retagging a paired slot retags its partner.
    EXPECT_EQ(SetNthReferenceID(kernel, a, 0, REF_GROUP_MEMBER), REF_LAYER_MEMBER);
    EXPECT_EQ(GetNthReferenceID(kernel, b, 0), REF_GROUP_PARENT);
    EXPECT_EQ(ChangeReferencesID(kernel, a, 0xC001, REF_SELECTED), 1u);
    EXPECT_EQ(GetNthReferenceID(kernel, b, 0), REF_SELECTED_BACK);
    EXPECT_EQ(SetNthReferenceID(kernel, a, 5, REF_SELECTED), 0);
    // The held count can be set only within the slot array.
    EXPECT_EQ(SetNumberOfReferencesFrom(kernel, a, 0, 0), 0u);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, a, 0), 0u);
    EXPECT_EQ(SetNumberOfReferencesFrom(kernel, a, 0, 1), 0u);
    EXPECT_EQ(SetNumberOfReferencesFrom(kernel, a, 0, 1000), OBJ_INVALID);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, a, 0), 1u);
    EXPECT_EQ(SetNumberOfReferencesFrom(kernel, a, 5, 0), 0u);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, a, 0), 1u);
}

TEST_F(References, RRRemRefTouchesNeitherTargetNorMessages)
{
    const OBJHANDLE a = make(), b = make();
    InsRef(kernel, a, 0x8803, b, -1);
    messages().clear();
    EXPECT_EQ(RRRemRef(kernel, a, b, 0x0803), 0u);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, b), 1u);
    EXPECT_EQ(RRRemRef(kernel, a, b, 0x0803), OBJ_INVALID);
}

// ---------------------------------------------------------------------------
// Ordering modes

TEST_F(References, InsertFirstPutsEachNewReferenceInFront)
{
    const OBJHANDLE holder = make(CLS_FIRST), a = make(), b = make(), c = make();
    for (OBJHANDLE t : {a, b, c})
        EXPECT_EQ(InsRef(kernel, holder, 0x0003, t, 2), 0u);
    EXPECT_EQ(targets(holder), (std::vector<OBJHANDLE>{c, b, a}));
}

TEST_F(References, AppendHonoursAValidPositionElseTheEnd)
{
    const OBJHANDLE holder = make(), a = make(), b = make(), c = make(), d = make();
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, a, 5), 0u);
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, b, -1), 1u);
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, c, 0), 0u);
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, d, 2), 2u);
    EXPECT_EQ(targets(holder), (std::vector<OBJHANDLE>{c, a, d, b}));
    // The same link twice is allowed here.
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, a, -1), 4u);
}

TEST_F(References, SortedByHandleRefusesDuplicatesAndFallsBackWhenOutOfOrder)
{
    const OBJHANDLE holder = make(CLS_BYHANDLE);
    const OBJHANDLE a = make(), b = make(), c = make();
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, a, -1), 0u);
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, c, -1), 1u);
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, c, -1), OBJ_INVALID);
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, c), 1u);
    EXPECT_EQ(GetOBJectFlag(kernel, holder, OBJF_MODEMASK), OBJ_SORTEDHANDLE);
    // b is smaller than c but goes to the end: the holder drops to mode 0.
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, b, -1), 2u);
    EXPECT_EQ(GetOBJectFlag(kernel, holder, OBJF_MODEMASK), OBJ_INSERTFIRST);
    const OBJHANDLE d = make();
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, d, -1), 0u);
    EXPECT_EQ(SortReferences(kernel, holder, OBJ_SORTEDHANDLE), 4u);
    EXPECT_EQ(targets(holder), (std::vector<OBJHANDLE>{a, b, c, d}));
    EXPECT_EQ(GetOBJectFlag(kernel, holder, OBJF_MODEMASK), OBJ_SORTEDHANDLE);
}

TEST_F(References, SortedByKeyKeepsKeyOrderAndRefusesEqualKeys)
{
    const OBJHANDLE holder = make(CLS_BYKEY);
    const OBJHANDLE k30 = makeKeyed(30), k10 = makeKeyed(10), k20 = makeKeyed(20);
    for (OBJHANDLE t : {k30, k10, k20})
        ASSERT_NE(InsRef(kernel, holder, 0x0003, t, -1), OBJ_INVALID);
    EXPECT_EQ(targets(holder), (std::vector<OBJHANDLE>{k10, k20, k30}));
    const OBJHANDLE dup = makeKeyed(20);
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, dup, -1), OBJ_INVALID);
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, dup), 0u);
    EXPECT_EQ(FindKey(kernel, holder, 0, dup), 1);
    EXPECT_EQ(FindKey(kernel, holder, 0, makeKeyed(25)), ~2);
    // Keys that may coexist go after the existing equal ones.
    const OBJHANDLE e1 = makeKeyed(100), e2 = makeKeyed(100);
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, e1, -1), 3u);
    EXPECT_EQ(InsRef(kernel, holder, 0x0003, e2, -1), 4u);
    EXPECT_EQ(GetOBJectFlag(kernel, holder, OBJF_MODEMASK), OBJ_SORTEDKEY);
}

TEST_F(References, SortReferencesByKeySendsSortingAndSorted)
{
    const OBJHANDLE holder = make(CLS_BYKEY);
    SortReferences(kernel, holder, OBJ_APPEND); // fill in any order
    std::vector<OBJHANDLE> byKey;
    for (uint32_t key : {50u, 10u, 40u, 20u, 30u, 60u, 5u}) {
        const OBJHANDLE t = makeKeyed(key);
        InsRef(kernel, holder, 0x0003, t, -1);
    }
    messages().clear();
    EXPECT_EQ(SortReferences(kernel, holder, OBJ_SORTEDKEY), 7u);
    std::vector<uint32_t> keys;
    for (OBJHANDLE t : targets(holder))
        keys.push_back(keyOf(kernel, t));
    EXPECT_EQ(keys, (std::vector<uint32_t>{5, 10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(messagesTo(holder), (std::vector<uint16_t>{OBJM_SORTING, OBJM_SORTED}));
    EXPECT_EQ(messages()[0].wParam, WPARAM(OBJ_SORTEDKEY));
    EXPECT_NE(messages()[0].lParam, 0);
    // Modes other than 2 and 4 set the mode and sort nothing.
    EXPECT_EQ(SortReferences(kernel, holder, OBJ_APPEND), 0u);
    EXPECT_EQ(GetOBJectFlag(kernel, holder, OBJF_MODEMASK), OBJ_APPEND);
    // Mode 4 on a class without compare procedure sorts nothing either.
    EXPECT_EQ(SortReferences(kernel, make(), OBJ_SORTEDKEY), 0u);
}

TEST_F(References, FindKeyDropsALinkToADeletedObject)
{
    const OBJHANDLE holder = make(CLS_BYKEY), other = make();
    const OBJHANDLE k = makeKeyed(7);
    InsRef(kernel, holder, 0x0003, k, -1);
    InsRef(kernel, other, 0x0003, k, -1);
    EXPECT_EQ(OBJectDelete(kernel, k), 2);
    EXPECT_EQ(FindKey(kernel, holder, 0, makeKeyed(7)), ~0);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, holder, 0), 0u);
    EXPECT_NE(HeadLock(kernel, k), nullptr); // still linked from other
    PurgeDeletedRefs(kernel, other, 0);
    EXPECT_EQ(HeadLock(kernel, k), nullptr);
}

TEST_F(References, CopyAndMoveReferences)
{
    const OBJHANDLE src = make(), dst = make(), a = make(), b = make();
    InsertRefInPos(kernel, src, REF_LAYER_MEMBER, a, -1, -1);
    InsertRefInPos(kernel, src, REF_GROUP_MEMBER, b, -1, -1);
    EXPECT_EQ(CopyReferences(kernel, dst, src, 0), 2u);
    EXPECT_EQ(targets(dst), (std::vector<OBJHANDLE>{a, b}));
    EXPECT_EQ(GetNthReferenceID(kernel, dst, 1), REF_GROUP_MEMBER);
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, a), 2u);
    const OBJHANDLE dst2 = make();
    EXPECT_EQ(MoveReferences(kernel, dst2, src, REF_SELECTED), 0u); // no match
    EXPECT_EQ(MoveReferences(kernel, dst2, src, REF_LAYER_MEMBER), 1u);
    EXPECT_EQ(targets(src), std::vector<OBJHANDLE>{b});
    EXPECT_EQ(targets(dst2), std::vector<OBJHANDLE>{a});
    // a's back links now name dst and dst2, not src.
    EXPECT_EQ(FindReference(kernel, a, REF_LAYER_BACK, src), ~2);
    EXPECT_GE(FindReference(kernel, a, REF_LAYER_BACK, dst2), 0);
}

// ---------------------------------------------------------------------------
// The one visible internal error

TEST_F(References, BadSlotInRemRefShowsTheBoxWhileTheSwitchIsOn)
{
    const OBJHANDLE a = make();
    EXPECT_EQ(RemRef(kernel, a, 3), OBJ_INVALID);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unlegal reference number");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[0].type & MB_ICONSTOP, MB_ICONSTOP);
    DisableInternalErrorMessages();
    EXPECT_EQ(RemRef(kernel, a, -1), OBJ_INVALID);
    EXPECT_EQ(boxes.size(), 1u);
    // Bad slots elsewhere are silent.
    EXPECT_EQ(GetNthReferenced(kernel, a, 3), 0u);
    EXPECT_EQ(boxes.size(), 1u);
}

// ---------------------------------------------------------------------------
// Trees: root -> {n1 -> {l1, l2}, l3} by forward ids, each with its back link.

class Trees : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        root = make();
        n1 = make();
        l1 = make();
        l2 = make();
        l3 = make();
        link(root, n1);
        link(n1, l1);
        link(n1, l2);
        link(root, l3);
    }
    void link(OBJHANDLE from, OBJHANDLE to)
    {
        ASSERT_NE(InsertRefInPos(kernel, from, REF_GROUP_MEMBER, to, -1, -1), OBJ_INVALID);
    }
    // A damaged link back up the tree with a forward id.
    void closeCycle()
    {
        ASSERT_NE(InsRef(kernel, l2, REF_LAYER_MEMBER & ~REF_PAIRED, root, -1), OBJ_INVALID);
    }

    OBJHANDLE root = 0, n1 = 0, l1 = 0, l2 = 0, l3 = 0;
};

struct Visit {
    OBJHANDLE node;
    int32_t sibling;
    int last;
    bool pre;
};

std::vector<Visit> g_visits;
OBJHANDLE g_stopAt = 0;

int preVisit(OBJectKernel *, OBJHANDLE node, uint16_t, int32_t *word, void *, int32_t, int32_t sibling,
             int last)
{
    g_visits.push_back({node, sibling, last, true});
    *word = int32_t(node) * 10;
    return node == g_stopAt ? 0 : 1;
}

int postVisit(OBJectKernel *, OBJHANDLE node, uint16_t, int32_t *word, void *, int32_t, int32_t sibling,
              int last)
{
    // The visit word carries what the pre-call of the same node stored.
    EXPECT_EQ(*word, int32_t(node) * 10);
    g_visits.push_back({node, sibling, last, false});
    return 1;
}

TEST_F(Trees, TraversTreeVisitsDepthFirstWithSiblingIndexAndLastFlag)
{
    g_visits.clear();
    g_stopAt = 0;
    EXPECT_EQ(TraversTree(kernel, root, REF_FILTER_FORWARD, preVisit, postVisit, nullptr), 5u);
    std::vector<OBJHANDLE> preOrder, postOrder;
    for (const Visit &v : g_visits)
        (v.pre ? preOrder : postOrder).push_back(v.node);
    EXPECT_EQ(preOrder, (std::vector<OBJHANDLE>{root, n1, l1, l2, l3}));
    EXPECT_EQ(postOrder, (std::vector<OBJHANDLE>{l1, l2, n1, l3, root}));
    for (const Visit &v : g_visits) {
        if (v.node == l1 || v.node == n1) {
            EXPECT_EQ(v.sibling, 0);
        }
        if (v.node == l2 || v.node == l3) {
            EXPECT_EQ(v.sibling, 1);
        }
        EXPECT_EQ(v.last, (v.node == l1 || v.node == n1) ? 0 : 1) << v.node;
    }
}

TEST_F(Trees, TraversTreeSkipsChildrenWhenPreReturnsZero)
{
    g_visits.clear();
    g_stopAt = root;
    EXPECT_EQ(TraversTree(kernel, root, REF_FILTER_FORWARD, preVisit, nullptr, nullptr), 1u);
    g_stopAt = n1;
    EXPECT_EQ(TraversTree(kernel, root, REF_FILTER_FORWARD, preVisit, nullptr, nullptr), 3u);
    g_stopAt = 0;
}

TEST_F(Trees, WalksEndOnACycle)
{
    closeCycle();
    g_visits.clear();
    g_stopAt = 0;
    EXPECT_EQ(TraversTree(kernel, root, REF_FILTER_FORWARD, preVisit, postVisit, nullptr), 5u);
    OBJHANDLE leaves[8] = {};
    EXPECT_EQ(GetChildrenOBJS(kernel, root, REF_FILTER_FORWARD, 8, leaves, 1), 2u);
    EXPECT_EQ(leaves[0], l1);
    EXPECT_EQ(leaves[1], l3);
    int32_t pos = 0;
    EXPECT_EQ(TreeMember(kernel, root, REF_FILTER_FORWARD, 0x7777, &pos), 0u);
    EXPECT_EQ(pos, -1);
    // A chain that comes back to its start ends there.
    const OBJHANDLE x = make(), y = make();
    InsRef(kernel, x, 0x0803, y, -1);
    InsRef(kernel, y, 0x0803, x, -1);
    messages().clear();
    EXPECT_EQ(BranchOBJectMessage(kernel, x, 0, 0x0803, 0x4001, 0, 0), LRESULT(0x4002));
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(Trees, GetChildrenCollectsChildrenOrLeaves)
{
    OBJHANDLE out[8] = {};
    EXPECT_EQ(GetChildrenOBJS(kernel, root, REF_FILTER_FORWARD, 8, out, 0), 2u);
    EXPECT_EQ(out[0], n1);
    EXPECT_EQ(out[1], l3);
    EXPECT_EQ(GetChildrenOBJS(kernel, root, REF_FILTER_FORWARD, 8, out, 1), 3u);
    EXPECT_EQ((std::vector<OBJHANDLE>(out, out + 3)), (std::vector<OBJHANDLE>{l1, l2, l3}));
    // The count includes what did not fit; nothing is written past capacity.
    OBJHANDLE two[3] = {0, 0, 0xDEAD};
    EXPECT_EQ(GetChildrenOBJS(kernel, root, REF_FILTER_FORWARD, 2, two, 1), 3u);
    EXPECT_EQ(two[2], 0xDEADu);
    EXPECT_EQ(GetChildrenOBJS(kernel, root, REF_FILTER_FORWARD, 0, nullptr, 1), 3u);
    EXPECT_EQ(GetChildrenOBJS(kernel, l1, REF_FILTER_BACK, 8, out, 0), 1u);
    EXPECT_EQ(out[0], n1);
}

TEST_F(Trees, TreeMemberFindsTheHolder)
{
    int32_t pos = -5;
    EXPECT_EQ(TreeMember(kernel, root, REF_FILTER_FORWARD, l2, &pos), n1);
    EXPECT_EQ(pos, 2); // after n1's back link to root and l1
    EXPECT_EQ(TreeMember(kernel, root, REF_FILTER_FORWARD, l3, &pos), root);
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(TreeMember(kernel, n1, REF_FILTER_FORWARD, l3, nullptr), 0u);
}

TEST_F(Trees, DeleteTreeDeletesEverythingBelow)
{
    EXPECT_EQ(DeleteTree(kernel, root, REF_FILTER_FORWARD), 0);
    for (OBJHANDLE h : {root, n1, l1, l2, l3})
        EXPECT_EQ(HeadLock(kernel, h), nullptr) << h;
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), 0u);
}

TEST_F(Trees, DeleteTreeEndsOnACycle)
{
    closeCycle();
    DeleteTree(kernel, root, REF_FILTER_FORWARD);
    for (OBJHANDLE h : {n1, l1, l2, l3})
        EXPECT_EQ(HeadLock(kernel, h), nullptr) << h;
}

TEST_F(Trees, DeleteSubTreeKeepsANodeThatIsStillLinked)
{
    EXPECT_EQ(DeleteSubTree(kernel, n1, REF_FILTER_FORWARD), 0);
    EXPECT_EQ(HeadLock(kernel, l1), nullptr);
    EXPECT_NE(HeadLock(kernel, n1), nullptr); // root still links it
    RemoveReference(kernel, root, REF_GROUP_MEMBER, n1);
    EXPECT_EQ(DeleteSubTree(kernel, n1, REF_FILTER_FORWARD), 0);
    EXPECT_EQ(HeadLock(kernel, n1), nullptr);
}

TEST_F(Trees, KillTreeFreesWithoutMessagesAndHonoursClassBits)
{
    closeCycle();
    messages().clear();
    EXPECT_EQ(KillTree(kernel, n1, REF_FILTER_FORWARD, 0), 0);
    EXPECT_TRUE(messages().empty());
    for (OBJHANDLE h : {n1, l1, l2})
        EXPECT_EQ(HeadLock(kernel, h), nullptr) << h;
    // The cycle led back to root: it is killed as part of the tree.
    EXPECT_EQ(HeadLock(kernel, root), nullptr);
    const OBJHANDLE keep = make(), child = make(CLS_NOPROC);
    InsRef(kernel, keep, 0x0003, child, -1);
    KillTree(kernel, keep, 0x0003, 0x0004); // only CLS_NOPROC (0x0105) has bit 0x0004
    EXPECT_EQ(HeadLock(kernel, child), nullptr);
    EXPECT_NE(HeadLock(kernel, keep), nullptr);
}

TEST_F(Trees, DelEmptyTreeNodesRemovesNodesLeftWithoutChildren)
{
    // Only nodes of classes with bit 0x0002 (CLS_FIRST) take part; leaves of
    // another class stay.
    const OBJHANDLE top = make(CLS_FIRST), mid = make(CLS_FIRST), empty = make(CLS_FIRST);
    const OBJHANDLE leaf = make();
    InsertRefInPos(kernel, top, REF_GROUP_MEMBER, mid, -1, -1);
    InsertRefInPos(kernel, top, REF_GROUP_MEMBER, empty, -1, -1);
    InsertRefInPos(kernel, mid, REF_GROUP_MEMBER, leaf, -1, -1);
    EXPECT_EQ(DelEmptyTreeNodes(kernel, top, 0x0002, REF_FILTER_FORWARD), top);
    EXPECT_EQ(HeadLock(kernel, empty), nullptr);
    EXPECT_NE(HeadLock(kernel, mid), nullptr);
    EXPECT_NE(HeadLock(kernel, leaf), nullptr);
    EXPECT_EQ(DelEmptyTreeNodes(kernel, leaf, 0x0002, REF_FILTER_FORWARD), leaf);
    EXPECT_EQ(DelEmptyTreeNodes(kernel, empty, 0x0002, REF_FILTER_FORWARD), 0u); // gone
}

TEST_F(Trees, RemovingTheLastReferenceToADeletedObjectFreesIt)
{
    const OBJHANDLE holder = make();
    InsRef(kernel, holder, 0x0003, l3, -1);
    EXPECT_EQ(OBJectDelete(kernel, l3), 1); // paired link to root went, this one stays
    EXPECT_NE(HeadLock(kernel, l3), nullptr);
    EXPECT_EQ(RemoveNthReference(kernel, holder, 0), 0u);
    EXPECT_EQ(HeadLock(kernel, l3), nullptr);
}

} // namespace
} // namespace kerneltest

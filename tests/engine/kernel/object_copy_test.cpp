#include "engine/kernel/object_copy.h"

#include "docmodel_fixture.h"
#include "engine/kernel/bank.h"
#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using docmodeltest::DocModelTest;

// Replaces a class's procedure for one test, records what reaches it and
// passes everything on to the real procedure.
class ProcSpy {
public:
    struct Seen {
        OBJHANDLE sender, receiver;
        uint16_t message;
        WPARAM wParam;
        LPARAM lParam;
    };

    explicit ProcSpy(uint16_t classId) : classId_(classId)
    {
        seen().clear();
        real() = SetOBJectClassFN(classId, &ProcSpy::proc);
    }
    ~ProcSpy() { SetOBJectClassFN(classId_, real()); }

    static std::vector<Seen> of(uint16_t message)
    {
        std::vector<Seen> out;
        for (const Seen &s : seen())
            if (s.message == message)
                out.push_back(s);
        return out;
    }

private:
    static std::vector<Seen> &seen()
    {
        static std::vector<Seen> s;
        return s;
    }
    static OBJectClassProc &real()
    {
        static OBJectClassProc p = nullptr;
        return p;
    }
    static LRESULT proc(OBJectKernel *k, OBJHANDLE s, OBJHANDLE r, uint16_t sub, uint16_t m, WPARAM w,
                        LPARAM l)
    {
        seen().push_back({s, r, m, w, l});
        return real() ? real()(k, s, r, sub, m, w, l) : 0;
    }

    uint16_t classId_;
};

class CopyTest : public DocModelTest {
protected:
    // Every reference of the kernel: paired ids have their partner the same
    // number of times, targets exist, and each incoming count equals the
    // number of slots that name the object. An empty result is a sound store.
    std::vector<std::string> audit()
    {
        std::vector<std::string> problems;
        const OBJHANDLE end = KernGiveAllObjectsAmount(kernel);
        std::map<std::tuple<OBJHANDLE, OBJHANDLE, uint16_t>, int> links;
        std::map<OBJHANDLE, uint32_t> incoming;
        for (OBJHANDLE h = 1; h < end; ++h) {
            if (!HeadLock(kernel, h))
                continue;
            const int32_t held = int32_t(GetNumberOfReferencesFrom(kernel, h, 0));
            for (int32_t i = 0; i < held; ++i) {
                const OBJHANDLE t = GetNthReferenced(kernel, h, i);
                const uint16_t id = GetNthReferenceID(kernel, h, i);
                if (!HeadLock(kernel, t)) {
                    problems.push_back("object " + std::to_string(h) + " names missing " + std::to_string(t));
                    continue;
                }
                ++incoming[t];
                if (id & REF_PAIRED)
                    ++links[{h, t, uint16_t(id & REF_IDMASK)}];
            }
        }
        for (const auto &[key, n] : links) {
            const auto [h, t, id] = key;
            const auto back = links.find({t, h, uint16_t(id ^ 1)});
            if (back == links.end() || back->second != n)
                problems.push_back("link " + std::to_string(h) + "->" + std::to_string(t) + " id " +
                                   std::to_string(id) + " has no partner");
        }
        for (OBJHANDLE h = 1; h < end; ++h)
            if (const OBJectHead *head = HeadLock(kernel, h); head && head->refsIncoming != incoming[h])
                problems.push_back("object " + std::to_string(h) + " counts " +
                                   std::to_string(head->refsIncoming) + " incoming, has " +
                                   std::to_string(incoming[h]));
        return problems;
    }

    struct Counts {
        uint32_t held, incoming;
        bool operator==(const Counts &) const = default;
    };

    std::vector<Counts> countsOf(const std::vector<OBJHANDLE> &objects)
    {
        std::vector<Counts> out;
        for (OBJHANDLE h : objects)
            out.push_back({GetNumberOfReferencesFrom(kernel, h, 0), GetNumberOfReferencesTo(kernel, h)});
        return out;
    }

    uint32_t objectCount() { return GetNumberOfOBJectsKernel(kernel, 0); }

    void setData(OBJHANDLE h, const std::vector<uint8_t> &bytes)
    {
        ASSERT_EQ(
            TransferOBJectData(kernel, h, const_cast<uint8_t *>(bytes.data()), uint32_t(bytes.size()), 1),
            bytes.size());
    }

    std::vector<uint8_t> data(OBJHANDLE h, size_t n)
    {
        std::vector<uint8_t> out(n);
        TransferOBJectData(kernel, h, out.data(), uint32_t(n), 0);
        return out;
    }
};

TEST_F(CopyTest, BaselineDocumentIsSound) { EXPECT_EQ(audit(), std::vector<std::string>{}); }

// ---------------------------------------------------------------------------
// Byte copies

TEST_F(CopyTest, CopyOBJCountsOnceAndDeletingTheCopyRestoresTheCounts)
{
    const OBJHANDLE polygon = makeObject(0, {0, 0, 5, 5}, CLASS_POLYGON);
    setData(polygon, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
    const uint32_t all = objectCount(), polygons = GetNumberOfOBJectsKernel(kernel, CLASS_POLYGON);

    ProcSpy spy(CLASS_POLYGON);
    const OBJHANDLE copy = CopyOBJ(kernel, polygon);
    ASSERT_NE(copy, 0u);
    EXPECT_NE(copy, polygon);
    EXPECT_EQ(objectCount(), all + 1);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_POLYGON), polygons + 1);
    EXPECT_EQ(GetOBJectSize(kernel, copy), GetOBJectSize(kernel, polygon));
    EXPECT_EQ(std::memcmp(OBJectLock(kernel, copy), OBJectLock(kernel, polygon),
                          GetOBJectSize(kernel, polygon) - OBJ_HEAD_SIZE),
              0);
    const auto copied = ProcSpy::of(OBJM_COPIED);
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_EQ(copied[0].sender, polygon);
    EXPECT_EQ(copied[0].receiver, copy);
    EXPECT_EQ(copied[0].wParam, 15u);

    EXPECT_EQ(OBJectDelete(kernel, copy), 0);
    EXPECT_EQ(objectCount(), all);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_POLYGON), polygons);
}

TEST_F(CopyTest, ACopyOfALinkedObjectIsNotCountedAsReferenced)
{
    // Nothing points to a new copy: had it inherited its source's incoming
    // count, deleting it would leave it in the bank for good.
    const OBJHANDLE polygon = makeObject(layer0, {0, 0, 5, 5}, CLASS_POLYGON);
    ASSERT_EQ(GetNumberOfReferencesTo(kernel, polygon), 1u);
    for (OBJHANDLE copy : {CopyOBJ(kernel, polygon), CopyOBJect2(kernel, polygon)}) {
        ASSERT_NE(copy, 0u);
        EXPECT_EQ(GetNumberOfReferencesTo(kernel, copy), 0u);
        EXPECT_EQ(GetNumberOfReferencesFrom(kernel, copy, 0), 1u); // still names the layer
        SetNumberOfReferencesFrom(kernel, copy, 0, 0);
        EXPECT_EQ(OBJectDelete(kernel, copy), 0);
        EXPECT_EQ(HeadLock(kernel, copy), nullptr);
    }
    EXPECT_EQ(audit(), std::vector<std::string>{});
}

TEST_F(CopyTest, CopyOBJectOverAnotherClassMovesTheClassCount)
{
    const OBJHANDLE text = CreateOBJect(kernel, CLASS_TEXT);
    const OBJHANDLE polygon = makeObject(0, {0, 0, 5, 5}, CLASS_POLYGON);
    setData(polygon, std::vector<uint8_t>(40, 7));
    const uint32_t texts = GetNumberOfOBJectsKernel(kernel, CLASS_TEXT);
    const uint32_t polygons = GetNumberOfOBJectsKernel(kernel, CLASS_POLYGON);

    EXPECT_EQ(CopyOBJect(kernel, text, polygon), text);
    EXPECT_EQ(GetOBJectClassID(kernel, text), CLASS_POLYGON);
    EXPECT_EQ(data(text, 40), std::vector<uint8_t>(40, 7));
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_TEXT), texts - 1);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_POLYGON), polygons + 1);
    OBJectDelete(kernel, text);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_TEXT), texts - 1);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_POLYGON), polygons);
}

// ---------------------------------------------------------------------------
// Structures

TEST_F(CopyTest, CopyAllLinkedKeepsInnerLinksAndDropsOuterOnes)
{
    const OBJHANDLE layer = CreateLayerOBJect(kernel, layers, 5, "Five");
    const OBJHANDLE a = makeObject(layer, {0, 0, 1, 1}, CLASS_POLYGON);
    const OBJHANDLE b = makeObject(layer);
    const OBJHANDLE c = makeObject(layer);
    AddToSelectionWithoutRemoving(kernel, selList, b);
    const OBJHANDLE group = makeGroup(aspect, {c});
    const std::vector<OBJHANDLE> originals{layers, layer, a, b, c, selList, group};
    const auto before = countsOf(originals);
    const uint32_t objects = objectCount();

    HGLOBAL pairs = 0;
    int32_t n = 0;
    const OBJHANDLE copy = CopyAllLinkedOBJects(kernel, layer, REF_FILTER_FORWARD, &pairs, &n);
    ASSERT_NE(copy, 0u);
    ASSERT_EQ(n, 4);
    EXPECT_EQ(GetOBJectClassID(kernel, copy), CLASS_LAYER);
    EXPECT_NE(copy, layer);

    // The table comes back sorted by old handle, each with its copy.
    auto *table = static_cast<OldNew *>(GlobalLock(pairs));
    ASSERT_NE(table, nullptr);
    std::vector<OBJHANDLE> olds, news;
    for (int32_t i = 0; i < n; ++i) {
        olds.push_back(table[i].oldHandle);
        news.push_back(table[i].newHandle);
    }
    GlobalUnlock(pairs);
    GlobalFree(pairs);
    std::vector<OBJHANDLE> expected{layer, a, b, c};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(olds, expected);

    // The copied layer holds the copies, each copy only its link back.
    std::vector<OBJHANDLE> members = targets(copy, REF_LAYER_MEMBER);
    ASSERT_EQ(members.size(), 3u);
    for (OBJHANDLE m : members) {
        EXPECT_TRUE(std::find(news.begin(), news.end(), m) != news.end());
        EXPECT_EQ(targets(m, 0), std::vector<OBJHANDLE>{copy});
    }
    EXPECT_EQ(targets(copy, REF_LAYER_BACK), std::vector<OBJHANDLE>{});
    EXPECT_EQ(audit(), std::vector<std::string>{});
    EXPECT_EQ(countsOf(originals), before);

    DeleteTree(kernel, copy, REF_FILTER_FORWARD);
    EXPECT_EQ(countsOf(originals), before);
    EXPECT_EQ(objectCount(), objects);
    EXPECT_EQ(audit(), std::vector<std::string>{});
}

TEST_F(CopyTest, RestoreStructureSortsRemapsAndRecounts)
{
    // g holds a and x; the table copies g and a (listed out of order), so
    // the copy of g keeps a's copy and loses x.
    const OBJHANDLE a = makeObject(layer0);
    const OBJHANDLE x = makeObject(layer0);
    const OBJHANDLE g = makeGroup(aspect, {a, x});
    const auto before = countsOf({a, x, g, aspect, layer0});

    const OBJHANDLE hi = std::max(a, g), lo = std::min(a, g);
    OldNew pairs[] = {{hi, CopyOBJ(kernel, hi)}, {0, 0}, {lo, CopyOBJ(kernel, lo)}};
    const OBJHANDLE gCopy = RestoreStructure(kernel, pairs, 3, CLASS_GROUP);

    EXPECT_EQ(pairs[0].oldHandle, 0u);
    EXPECT_LT(pairs[1].oldHandle, pairs[2].oldHandle);
    const OBJHANDLE aCopy = pairs[1].oldHandle == a ? pairs[1].newHandle : pairs[2].newHandle;
    ASSERT_EQ(gCopy, pairs[1].oldHandle == g ? pairs[1].newHandle : pairs[2].newHandle);
    EXPECT_EQ(targets(gCopy, 0), std::vector<OBJHANDLE>{aCopy});
    EXPECT_EQ(targets(aCopy, 0), std::vector<OBJHANDLE>{gCopy});
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, aCopy), 1u);
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, gCopy), 1u);
    EXPECT_EQ(countsOf({a, x, g, aspect, layer0}), before);
    EXPECT_EQ(audit(), std::vector<std::string>{});

    EXPECT_EQ(RestoreStructure(kernel, nullptr, 3, CLASS_GROUP), 0u);
    EXPECT_EQ(RestoreStructure(kernel, pairs, 0, CLASS_GROUP), 0u);
}

TEST_F(CopyTest, GetAllLinkedListsEachObjectOfACycleOnce)
{
    const OBJHANDLE leaf = makeObject(layer0);
    const OBJHANDLE g1 = makeGroup(aspect, {leaf});
    const OBJHANDLE g2 = makeGroup(g1, {});
    // A damaged document: g2 also holds g1.
    ASSERT_NE(InsertRefInPos(kernel, g2, REF_GROUP_MEMBER, g1, -1, -1), OBJ_INVALID);

    int32_t n = -1;
    const HGLOBAL mem = GetAllLinkedOBJects(kernel, g1, REF_GROUP_MEMBER, &n);
    ASSERT_NE(mem, 0u);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(GlobalSize(mem), 3 * sizeof(OldNew));
    const auto *table = static_cast<const OldNew *>(GlobalLock(mem));
    EXPECT_EQ(table[0].oldHandle, g1); // depth first in slot order
    EXPECT_EQ(table[1].oldHandle, leaf);
    EXPECT_EQ(table[2].oldHandle, g2);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(table[i].newHandle, 0u);
    GlobalUnlock(mem);
    GlobalFree(mem);
    for (OBJHANDLE h : {leaf, g1, g2})
        EXPECT_EQ(GetOBJectFlag(kernel, h, OBJF_USERMARK), 0);
}

TEST_F(CopyTest, CopyCompressedKeepsOnlyListedTargets)
{
    const OBJHANDLE polygon = makeObject(layer0, {0, 0, 1, 1}, CLASS_POLYGON);
    std::vector<OBJHANDLE> extras;
    for (int i = 0; i < 5; ++i) {
        extras.push_back(CreateOBJect(kernel, CLASS_EXTRA));
        ASSERT_NE(InsertRefInPos(kernel, polygon, REF_EXTRA, extras.back(), -1, -1), OBJ_INVALID);
    }
    std::vector<uint8_t> points(24);
    for (size_t i = 0; i < points.size(); ++i)
        points[i] = uint8_t(i + 1);
    setData(polygon, points);
    ASSERT_EQ(GetNumberOfReferencesFrom(kernel, polygon, 0), 6u);

    struct Case {
        std::vector<OBJHANDLE> keep;
        uint32_t held;
    } cases[] = {
        {{}, 0},
        {{extras[1], extras[3]}, 2},
        {{layer0, extras[0], extras[1], extras[2], extras[3], extras[4]}, 6},
    };
    for (Case &c : cases) {
        std::sort(c.keep.begin(), c.keep.end());
        ProcSpy spy(CLASS_POLYGON);
        const OBJHANDLE copy = CopyCompressedOBJ(kernel, polygon, c.keep.data(), int32_t(c.keep.size()));
        ASSERT_NE(copy, 0u);
        EXPECT_EQ(GetNumberOfReferencesFrom(kernel, copy, 0), c.held);
        EXPECT_EQ(GetNumberOfReferencesTo(kernel, copy), 0u) << "nothing points to a new copy";
        for (OBJHANDLE t : targets(copy, 0))
            EXPECT_TRUE(std::binary_search(c.keep.begin(), c.keep.end(), t));
        EXPECT_EQ(data(copy, points.size()), points) << "the data space survives the cut";
        const auto packed = ProcSpy::of(OBJM_PACKEDCOPY);
        ASSERT_EQ(packed.size(), 1u);
        EXPECT_EQ(packed[0].sender, polygon);
        EXPECT_EQ(packed[0].lParam, LPARAM(6 - c.held));
        SetNumberOfReferencesFrom(kernel, copy, 0, 0);
        KillOBJect(kernel, copy);
    }
}

// ---------------------------------------------------------------------------
// Structure copies with their links

TEST_F(CopyTest, CopyStructOfAnObjectJoinsItsLayerAndGroupOnly)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE other = makeObject(layer0);
    const OBJHANDLE group = makeGroup(aspect, {object, other});
    const OBJHANDLE id = CreateOBJect(kernel, CLASS_ID);
    ASSERT_NE(InsertRefInPos(kernel, object, REF_ID, id, -1, -1), OBJ_INVALID);
    AddToSelectionWithoutRemoving(kernel, selList, object);
    ASSERT_NE(graphFlags(object) & GF_SELECTED, 0);
    const std::vector<OBJHANDLE> originals{object, other, group, id, selList, layer0, aspect};
    const auto before = countsOf(originals);
    const uint32_t objects = objectCount();

    const OBJHANDLE copy = CopyStruct(0, kernel, object);
    ASSERT_NE(copy, 0u);
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER).back(), copy) << "appended to the layer";
    EXPECT_EQ(targets(group, REF_GROUP_MEMBER).back(), copy);
    EXPECT_EQ(targets(copy, REF_ID), std::vector<OBJHANDLE>{});
    EXPECT_EQ(targets(copy, REF_SELECTED_BACK), std::vector<OBJHANDLE>{});
    EXPECT_EQ(graphFlags(copy) & (GF_SELECTED | GF_DRAWNSELECTED | GF_HASID), 0);
    EXPECT_EQ(selected(), std::vector<OBJHANDLE>{object});
    EXPECT_EQ(audit(), std::vector<std::string>{});

    EXPECT_EQ(OBJectDelete(kernel, copy), 0);
    EXPECT_EQ(countsOf(originals), before);
    EXPECT_EQ(objectCount(), objects);
    EXPECT_EQ(audit(), std::vector<std::string>{});
}

TEST_F(CopyTest, CopyStructOfAnObjectOnNoLayerGivesNothing)
{
    const OBJHANDLE loose = makeObject();
    const uint32_t objects = objectCount();
    EXPECT_EQ(CopyStruct(0, kernel, loose), 0u);
    EXPECT_EQ(objectCount(), objects);
}

TEST_F(CopyTest, CopyStructOfNestedGroupsCopiesTheWholeTree)
{
    const OBJHANDLE p1 = makeObject(layer0), p2 = makeObject(layer0), p3 = makeObject(layer0);
    const OBJHANDLE inner = makeGroup(0, {p2, p3});
    const OBJHANDLE outer = makeGroup(aspect, {p1, inner});
    const std::vector<OBJHANDLE> originals{p1, p2, p3, inner, outer, aspect, layer0};
    const auto before = countsOf(originals);
    const uint32_t objects = objectCount();

    struct Case {
        const char *what;
        OBJHANDLE parent;
        OBJHANDLE expectedParent;
    } cases[] = {
        {"no parent: joins its source's parent", 0, aspect},
        {"its own parent", aspect, aspect},
        {"a parent it is not in", inner, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const OBJHANDLE copy = CopyStruct(c.parent, kernel, outer);
        ASSERT_NE(copy, 0u);
        EXPECT_EQ(FirstReference(kernel, copy, REF_GROUP_PARENT, nullptr), c.expectedParent);
        const std::vector<OBJHANDLE> members = targets(copy, REF_GROUP_MEMBER);
        ASSERT_EQ(members.size(), 2u);
        EXPECT_EQ(GetOBJectClassID(kernel, members[0]), CLASS_POLYLINE);
        EXPECT_EQ(GetOBJectClassID(kernel, members[1]), CLASS_GROUP);
        EXPECT_TRUE(std::find(originals.begin(), originals.end(), members[0]) == originals.end());
        EXPECT_EQ(targets(members[1], REF_GROUP_MEMBER).size(), 2u);
        EXPECT_EQ(FirstReference(kernel, members[0], REF_LAYER_BACK, nullptr), layer0);
        EXPECT_EQ(audit(), std::vector<std::string>{});

        DeleteTree(kernel, copy, REF_GROUP_MEMBER);
        EXPECT_EQ(countsOf(originals), before);
        EXPECT_EQ(objectCount(), objects);
    }
}

TEST_F(CopyTest, CopyStructLeavesLayerGroupsAlone)
{
    const OBJHANDLE layerGroup = makeGroup(aspect, {});
    ASSERT_EQ(GroupFlagsSet(kernel, layerGroup, GROUPF_LAYERGROUP), 1);
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE group = makeGroup(aspect, {object, layerGroup});
    const uint32_t objects = objectCount();

    EXPECT_EQ(CopyStruct(0, kernel, layerGroup), 0u);
    EXPECT_EQ(objectCount(), objects);
    const OBJHANDLE copy = CopyStruct(0, kernel, group);
    ASSERT_NE(copy, 0u);
    EXPECT_EQ(targets(copy, REF_GROUP_MEMBER).size(), 1u) << "the object only";
    EXPECT_EQ(objectCount(), objects + 2);
    EXPECT_EQ(audit(), std::vector<std::string>{});
}

TEST_F(CopyTest, CopyStructEndsOnAGroupCycle)
{
    const OBJHANDLE leaf = makeObject(layer0);
    const OBJHANDLE g1 = makeGroup(aspect, {leaf});
    const OBJHANDLE g2 = makeGroup(g1, {});
    ASSERT_NE(InsertRefInPos(kernel, g2, REF_GROUP_MEMBER, g1, -1, -1), OBJ_INVALID);
    const uint32_t objects = objectCount();

    const OBJHANDLE copy = CopyStruct(0, kernel, g1);
    ASSERT_NE(copy, 0u);
    EXPECT_EQ(objectCount(), objects + 3); // g1, leaf and g2 once each
    EXPECT_EQ(audit(), std::vector<std::string>{});
}

// ---------------------------------------------------------------------------
// Collections above leaves, handle arrays

TEST_F(CopyTest, GetOverStructureCollectsLeavesAndWhatLiesAbove)
{
    const OBJHANDLE a = makeObject(layer0), b = makeObject(layer0), loose = makeObject(layer0);
    const OBJHANDLE inner = makeGroup(0, {a});
    const OBJHANDLE outer = makeGroup(aspect, {inner, b});
    (void)loose;
    int32_t n = 0;
    // Leaves: the layer's objects; above them by the group parent links.
    const HGLOBAL mem =
        GetOverStructure(kernel, layer0, REF_LAYER_MEMBER, REF_GROUP_PARENT, REF_GROUP_MEMBER, &n);
    ASSERT_NE(mem, 0u);
    const auto *h = static_cast<const OBJHANDLE *>(GlobalLock(mem));
    std::vector<OBJHANDLE> got(h, h + n);
    GlobalUnlock(mem);
    GlobalFree(mem);
    std::vector<OBJHANDLE> expected{a, b, loose, inner, outer, aspect, groups};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);
}

TEST(HandleArrays, SortAndFindOverFullHandles)
{
    OBJHANDLE handles[] = {0x80000001u, 8, 2, 0xFFFFFFFFu, 4};
    EXPECT_EQ(SortOBJHandles(handles, 5), 5);
    EXPECT_EQ(std::vector<OBJHANDLE>(handles, handles + 5),
              (std::vector<OBJHANDLE>{2, 4, 8, 0x80000001u, 0xFFFFFFFFu}));
    struct Case {
        OBJHANDLE find;
        int32_t count;
        int32_t index;
    } cases[] = {{8, 3, 2},           {5, 3, -1}, {2, 3, 0},  {0xFFFFFFFFu, 5, 4},
                 {0x80000001u, 5, 3}, {2, 0, -1}, {2, -4, -1}};
    for (const Case &c : cases)
        EXPECT_EQ(FindOBJHandle(handles, c.count, c.find), c.index) << c.find << " in " << c.count;
    EXPECT_EQ(FindOBJHandle(nullptr, 3, 2), -1);
    EXPECT_EQ(SortOBJHandles(nullptr, 3), 0);
}

// ---------------------------------------------------------------------------
// Repair of older blocks

TEST_F(CopyTest, RepairOfACurrentBlockOnlyConfirmsIt)
{
    const OBJHANDLE polygon = makeObject(layer0, {0, 0, 4, 4}, CLASS_POLYGON);
    setData(polygon, std::vector<uint8_t>(16, 9));
    const uint32_t size = GetOBJectSize(kernel, polygon);
    const std::vector<char> image((char *)HeadLock(kernel, polygon),
                                  (char *)HeadLock(kernel, polygon) + size);

    ProcSpy spy(CLASS_POLYGON);
    EXPECT_EQ(RepairOBJect(kernel, polygon, 7), polygon);
    const char *now = (const char *)HeadLock(kernel, polygon);
    EXPECT_EQ(std::vector<char>(now, now + size), image);
    const auto repaired = ProcSpy::of(OBJM_REPAIRED);
    ASSERT_EQ(repaired.size(), 1u);
    EXPECT_EQ(repaired[0].wParam, 7u);
    EXPECT_EQ(repaired[0].lParam, 0);
}

TEST_F(CopyTest, RepairConvertsAnOldHeadAndKeepsLinksAndData)
{
    // A polygon as an older release stored it: a 26-byte head with a 16-bit
    // data offset, and a fixed part 8 bytes shorter than today's.
    const OBJHANDLE polygon = makeObject(layer0, {1, 2, 3, 4}, CLASS_POLYGON);
    const OBJHANDLE extra = CreateOBJect(kernel, CLASS_EXTRA);
    ASSERT_NE(InsertRefInPos(kernel, polygon, REF_EXTRA, extra, -1, -1), OBJ_INVALID);
    std::vector<uint8_t> points(16);
    for (size_t i = 0; i < points.size(); ++i)
        points[i] = uint8_t(0xA0 + i);
    setData(polygon, points);

    const OBJectHead cur = *HeadLock(kernel, polygon);
    ASSERT_EQ(cur.refOffset, 80);
    const char *fixed = OBJectLock(kernel, polygon);
    const std::vector<char> fixedNow(fixed, fixed + 46);
    const uint32_t capacity = (cur.dataOffset - cur.refOffset) / 8;
    const uint32_t dataSize = cur.size - cur.dataOffset;
    const uint16_t oldRefs = 72, oldData = uint16_t(72 + 8 * capacity);
    const uint32_t oldSize = oldData + dataSize;

    std::vector<char> old(oldSize, 0);
    const char *block = (const char *)HeadLock(kernel, polygon);
    std::memcpy(old.data(), block, 24);
    std::memcpy(old.data() + 26, fixed, 46);
    std::memcpy(old.data() + oldRefs, block + cur.refOffset, 8 * cur.refsHeld);
    std::memcpy(old.data() + oldData, block + cur.dataOffset, dataSize);
    auto *oh = reinterpret_cast<OBJectHead *>(old.data());
    oh->size = oldSize;
    oh->flags = uint16_t(oh->flags & ~OBJF_CURRENTHEAD);
    oh->refOffset = oldRefs;
    StoreField<uint16_t>(old.data(), 24, oldData);
    ASSERT_NE(BankReAlloc(kernel->bank, polygon, oldSize), 0u);
    std::memcpy(BankLock(kernel->bank, polygon), old.data(), oldSize);

    ProcSpy spy(CLASS_POLYGON);
    ASSERT_EQ(RepairOBJect(kernel, polygon, 3), polygon);
    const OBJectHead *h = HeadLock(kernel, polygon);
    EXPECT_NE(h->flags & OBJF_CURRENTHEAD, 0);
    EXPECT_EQ(h->refOffset, 80);
    EXPECT_EQ(h->dataOffset, oldData + 8u);
    EXPECT_EQ(h->size, oldSize + 8);
    EXPECT_EQ(std::vector<char>(OBJectLock(kernel, polygon), OBJectLock(kernel, polygon) + 46), fixedNow);
    EXPECT_EQ(data(polygon, points.size()), points);
    EXPECT_EQ(targets(polygon, 0), (std::vector<OBJHANDLE>{layer0, extra}));
    const auto repaired = ProcSpy::of(OBJM_REPAIRED);
    ASSERT_EQ(repaired.size(), 1u);
    EXPECT_EQ(repaired[0].wParam, 3u);
    EXPECT_EQ(repaired[0].lParam, 8);
    EXPECT_EQ(audit(), std::vector<std::string>{});
    // The repaired links work both ways.
    EXPECT_EQ(OBJectDelete(kernel, polygon), 0);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, extra, 0), 0u);
}

TEST_F(CopyTest, RepairRefusesADamagedHead)
{
    const OBJHANDLE polygon = makeObject(0, {0, 0, 1, 1}, CLASS_POLYGON);
    OBJectHead *h = HeadLock(kernel, polygon);
    h->refOffset = uint16_t(h->dataOffset + 8); // slots after the data space
    const std::vector<char> image((char *)h, (char *)h + h->size);
    EXPECT_EQ(RepairOBJect(kernel, polygon, 1), 0u);
    EXPECT_EQ(std::vector<char>((char *)HeadLock(kernel, polygon),
                                (char *)HeadLock(kernel, polygon) + image.size()),
              image);
}

// ---------------------------------------------------------------------------
// Bad input

TEST_F(CopyTest, BadHandlesAndKernelsGiveFailureWithoutEffect)
{
    const OBJHANDLE good = makeObject(layer0);
    const OBJHANDLE freed = makeObject(layer0);
    OBJectDelete(kernel, freed);
    const uint32_t objects = objectCount();
    const size_t blocks = GlobalBlockCount();

    struct Case {
        const char *what;
        OBJectKernel *k;
        OBJHANDLE h;
    } cases[] = {
        {"null kernel", nullptr, good},   {"handle 0", kernel, 0},
        {"freed", kernel, freed},         {"beyond the bank", kernel, 0x7FFFFFFF},
        {"top bit", kernel, 0x80000005u}, {"all ones", kernel, 0xFFFFFFFFu},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        int32_t n = 123;
        HGLOBAL out = 99;
        EXPECT_EQ(CopyOBJ(c.k, c.h), 0u);
        EXPECT_EQ(CopyOBJect2(c.k, c.h), 0u);
        EXPECT_EQ(CopyOBJect(c.k, good, c.h), 0u);
        if (c.k) {
            EXPECT_EQ(CopyOBJect(c.k, c.h, good), 0u);
        }
        EXPECT_EQ(CopyStruct(0, c.k, c.h), 0u);
        EXPECT_EQ(CopyCompressedOBJ(c.k, c.h, nullptr, 0), 0u);
        EXPECT_EQ(RepairOBJect(c.k, c.h, 0), 0u);
        EXPECT_EQ(GetAllLinkedOBJects(c.k, c.h, 0, &n), 0u);
        EXPECT_EQ(n, 0);
        n = 123;
        EXPECT_EQ(CopyAllLinkedOBJects(c.k, c.h, 0, &out, &n), 0u);
        EXPECT_EQ(out, 0u);
        EXPECT_EQ(n, 0);
        n = 123;
        EXPECT_EQ(GetOverStructure(c.k, c.h, 0, 0, 0, &n), 0u);
        EXPECT_EQ(n, 0);
    }
    EXPECT_EQ(CopyAllLinkedOBJects(kernel, good, 0, nullptr, nullptr), 0u) << "the count is required";
    EXPECT_EQ(CopyOBJects(nullptr, 0, 1), 0u);
    EXPECT_EQ(CopyOBJects(kernel, 0, 1), 0u);
    EXPECT_EQ(objectCount(), objects);
    EXPECT_EQ(GlobalBlockCount(), blocks);
    EXPECT_EQ(audit(), std::vector<std::string>{});
}

} // namespace

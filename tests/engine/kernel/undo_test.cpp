#include "engine/kernel/undo.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/map_file.h"
#include "tests/engine/kernel/docmodel_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <random>
#include <tuple>
#include <unistd.h>

namespace {

using docmodeltest::DocModelTest;

// Everything of one object that undo and redo must give back: class, flags,
// fixed data, data space, its references (as a set: an added object that
// redo shows again is appended to its holders) and the number of references
// to it.
struct ObjectImage {
    uint32_t classIndex;
    uint16_t flags;
    std::string fixed;
    std::string data;
    std::vector<std::pair<uint16_t, OBJHANDLE>> refs;
    uint32_t incoming;

    bool operator==(const ObjectImage &) const = default;
};

using DocumentImage = std::map<OBJHANDLE, ObjectImage>;

std::string hex(const std::string &bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        out += buf;
    }
    return out;
}

// The first difference between two documents, "" when they are the same.
std::string difference(const DocumentImage &now, const DocumentImage &expected)
{
    for (const auto &[h, e] : expected) {
        const auto it = now.find(h);
        if (it == now.end())
            return "object " + std::to_string(h) + " is missing";
        const ObjectImage &o = it->second;
        const std::string at =
            "object " + std::to_string(h) + " class index " + std::to_string(e.classIndex) + ": ";
        if (o.classIndex != e.classIndex || o.flags != e.flags)
            return at + "class or flags " + std::to_string(o.flags) + " vs " + std::to_string(e.flags);
        if (o.fixed != e.fixed)
            return at + "fixed data " + hex(o.fixed) + " vs " + hex(e.fixed);
        if (o.data != e.data)
            return at + "data space differs";
        if (o.refs != e.refs)
            return at + std::to_string(o.refs.size()) + " references vs " + std::to_string(e.refs.size());
        if (o.incoming != e.incoming)
            return at + "incoming " + std::to_string(o.incoming) + " vs " + std::to_string(e.incoming);
    }
    for (const auto &[h, o] : now)
        if (!expected.count(h))
            return "object " + std::to_string(h) + " is extra";
    return "";
}

class UndoTest : public DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        record.undoEnabled = 1;
    }

    BankDesc *bank() { return kernel->bank; }

    OBJHANDLE addPolyline(OBJHANDLE layer, int32_t x)
    {
        const OBJHANDLE h = makeObject(layer, {x, x, x + 10, x + 10});
        setPoints(h, {{x, x}, {x + 10, x + 10}});
        EXPECT_EQ(Undo_AddNew(kernel, h), 1);
        return h;
    }

    void setPoints(OBJHANDLE h, std::vector<_COORDPT> pts)
    {
        const uint32_t bytes = uint32_t(pts.size() * sizeof(_COORDPT));
        ASSERT_EQ(TransferOBJectData(kernel, h, pts.data(), bytes, 1), bytes);
        StoreField<uint32_t>(OBJectLock(kernel, h), PS_COUNT, uint32_t(pts.size()));
    }

    std::vector<_COORDPT> points(OBJHANDLE h)
    {
        std::vector<_COORDPT> pts(LoadField<uint32_t>(OBJectLock(kernel, h), PS_COUNT));
        TransferOBJectData(kernel, h, pts.data(), uint32_t(pts.size() * sizeof(_COORDPT)), 0);
        return pts;
    }

    uint32_t incoming(OBJHANDLE h) { return HeadLock(kernel, h)->refsIncoming; }

    int32_t findSelectedBack(OBJHANDLE h)
    {
        uint16_t id;
        OBJHANDLE t;
        for (int32_t n = 0; GetRef(kernel, h, &id, &t, n); ++n)
            if (id == REF_SELECTED_BACK && t == selList)
                return n;
        return -1;
    }

    bool inDocument(OBJHANDLE h)
    {
        const OBJectHead *head = HeadLock(kernel, h);
        return head && !(head->flags & (UNDO_HIDDEN_FLAGS | OBJF_DELETED));
    }

    // Hidden objects keep their slots, which still count in their targets;
    // the document's own count leaves them out. A list's largest data space
    // is a cached bound that only grows, so it is not compared.
    DocumentImage image()
    {
        std::map<OBJHANDLE, uint32_t> fromHidden;
        for (OBJHANDLE h = 1; h < bank()->firstFree; ++h) {
            const OBJectHead *head = HeadLock(kernel, h);
            if (!head || !(head->flags & UNDO_HIDDEN_FLAGS) || isSavedCopy(h))
                continue;
            uint16_t id;
            OBJHANDLE t;
            for (int32_t n = 0; GetRef(kernel, h, &id, &t, n); ++n)
                ++fromHidden[t];
        }
        DocumentImage doc;
        for (OBJHANDLE h = 1; h < bank()->firstFree; ++h) {
            const OBJectHead *head = HeadLock(kernel, h);
            if (!head || (head->flags & UNDO_HIDDEN_FLAGS))
                continue;
            const char *base = reinterpret_cast<const char *>(head);
            ObjectImage o{head->classIndex,
                          head->flags,
                          std::string(base + OBJ_HEAD_SIZE, head->refOffset - OBJ_HEAD_SIZE),
                          std::string(base + head->dataOffset, head->size - head->dataOffset),
                          {},
                          head->refsIncoming - fromHidden[h]};
            if ((GetOBJectClassID(kernel, h) & CLASSBIT_LIST) && o.fixed.size() >= GOH_MAXDATA + 4)
                o.fixed.replace(GOH_MAXDATA, 4, 4, '\0');
            uint16_t id;
            OBJHANDLE t;
            for (int32_t n = 0; GetRef(kernel, h, &id, &t, n); ++n)
                o.refs.emplace_back(id, t);
            std::sort(o.refs.begin(), o.refs.end());
            doc[h] = std::move(o);
        }
        return doc;
    }

    // The store's bookkeeping agrees with the blocks: every incoming count
    // is the number of slots that point at the object from blocks that are
    // not saved copies, and the counters count the blocks.
    void expectConsistent()
    {
        std::map<OBJHANDLE, uint32_t> pointing;
        uint32_t blocks = 0, copies = 0, deleted = 0;
        for (OBJHANDLE h = 1; h < bank()->firstFree; ++h) {
            const OBJectHead *head = HeadLock(kernel, h);
            if (!head)
                continue;
            ++blocks;
            copies += (head->flags & OBJF_UNDOCOPY) ? 1 : 0;
            deleted += (head->flags & OBJF_DELETED) ? 1 : 0;
            if (isSavedCopy(h))
                continue;
            uint16_t id;
            OBJHANDLE t;
            for (int32_t n = 0; GetRef(kernel, h, &id, &t, n); ++n)
                ++pointing[t];
        }
        for (OBJHANDLE h = 1; h < bank()->firstFree; ++h)
            if (HeadLock(kernel, h) && !isSavedCopy(h)) {
                EXPECT_EQ(incoming(h), pointing[h]) << "incoming count of " << h;
            }
        EXPECT_EQ(kernel->objects, blocks);
        EXPECT_EQ(kernel->undoCopies, copies);
        EXPECT_EQ(kernel->deleted, deleted);
    }

    bool isSavedCopy(OBJHANDLE h)
    {
        for (uint32_t i = 0; i < bank()->undoEnd; ++i) {
            const void *r = bank()->undoRecords[i];
            if (UndoRecordKind(r) == UNDO_CHANGED && static_cast<const UndoChangeRecord *>(r)->copy == h)
                return true;
        }
        return false;
    }

    // The document as the file writer stores it.
    std::vector<char> savedBytes()
    {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / ("undo_test_" + std::to_string(getpid()) + ".mpd");
        EXPECT_EQ(MapSave(window, file.c_str()), 1);
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        std::filesystem::remove(file);
        return bytes;
    }

    // Runs the edit as one step: undo saves the bytes saved before it, redo
    // those saved after it.
    void expectUndoGivesBackTheFile(const std::function<void()> &edit)
    {
        ASSERT_EQ(Undo_SetNewStep(window, kernel, 9), 1);
        const std::vector<char> before = savedBytes();
        edit();
        ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_DELETE), 1);
        const std::vector<char> after = savedBytes();
        EXPECT_NE(after, before);
        ASSERT_EQ(Undo_Undo(kernel), 1);
        EXPECT_TRUE(savedBytes() == before) << "undo gives back the file saved before";
        expectConsistent();
        ASSERT_EQ(Undo_Redo(kernel), 1);
        EXPECT_TRUE(savedBytes() == after) << "redo gives back the file saved after";
        expectConsistent();
        ASSERT_EQ(Undo_Undo(kernel), 1);
        EXPECT_TRUE(savedBytes() == before) << "undo again";
    }

    // What the list's rectangle and largest data space hold that its members
    // do not give; "" when they are what the members give.
    std::string staleFields(OBJHANDLE list, uint16_t members)
    {
        _COORDRECT want;
        InitBoundRect(&want);
        uint32_t largest = 0;
        for (OBJHANDLE m : targets(list, members)) {
            const _COORDRECT r = bound(m);
            SumBoundRect(&want, &r);
            largest =
                std::max(largest, uint32_t(SendOBJectMessage(kernel, 0, m, 0, GRM_GETMAXDATASPACE, 0, 0)));
        }
        const _COORDRECT now = bound(list);
        const auto max = uint32_t(SendOBJectMessage(kernel, 0, list, 0, GRM_GETMAXDATASPACE, 0, 0));
        std::ostringstream out;
        if (!(now == want))
            out << "rectangle " << now << " for " << want << " ";
        if (max != largest)
            out << "largest data space " << max << " for " << largest;
        return out.str();
    }

    void setText(OBJHANDLE text, size_t length)
    {
        std::string s(length, 't');
        ASSERT_EQ(TransferOBJectData(kernel, text, s.data(), uint32_t(length), 1), length);
    }

    std::vector<docmodeltest::WindowMessage> undoMessages()
    {
        std::vector<docmodeltest::WindowMessage> out;
        for (const auto &m : windowMessages)
            if (m.msg == MAPN_UNDOREDOSTATE || m.msg == MAPN_UNDOREDOCAPTION)
                out.push_back(m);
        return out;
    }
};

TEST_F(UndoTest, StepsCarryTheirCodesAndAreCountedAndListed)
{
    addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_POLYLINE), 1);
    const OBJHANDLE b = addPolyline(layer0, 20);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_POLYGON), 1);
    ASSERT_EQ(Undo_DeleteOBJect(kernel, b), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_DELETE), 1);

    EXPECT_EQ(Undo_GetPositionCurStep(kernel), 5);
    EXPECT_EQ(Undo_KernelUndoStepsCount(kernel), 3);
    EXPECT_EQ(Undo_KernelRedoStepsCount(kernel), 0);
    EXPECT_EQ(Undo_KernelStepWithIndex(kernel, 0, 1), UNDO_OP_DELETE);
    EXPECT_EQ(Undo_KernelStepWithIndex(kernel, 2, 1), UNDO_OP_CREATE_POLYLINE);
    EXPECT_EQ(Undo_KernelStepWithIndex(kernel, 3, 1), 0);
    EXPECT_EQ(Undo_KernelStepWithIndex(kernel, -1, 1), 0);

    ASSERT_EQ(Undo_Undo(kernel), 1);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(Undo_KernelUndoStepsCount(kernel), 1);
    EXPECT_EQ(Undo_KernelRedoStepsCount(kernel), 2);
    EXPECT_EQ(Undo_KernelStepWithIndex(kernel, 0, 0), UNDO_OP_CREATE_POLYGON);
    EXPECT_EQ(Undo_KernelStepWithIndex(kernel, 1, 0), UNDO_OP_DELETE);
    EXPECT_EQ(Undo_KernelStepWithIndex(kernel, 0, 1), UNDO_OP_CREATE_POLYLINE);

    // The first step has no marker below it and goes back to position 0.
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), -1);
    EXPECT_EQ(Undo_Undo(kernel), 0);
    EXPECT_EQ(Undo_KernelRedoStepsCount(kernel), 3);
}

TEST_F(UndoTest, NewStepSendsCaptionsThenStatesAndSkipsTheMarkerOnAnEmptyHistory)
{
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_DELETE), 1);
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), -1) << "no marker at position 0";
    const std::vector<docmodeltest::WindowMessage> expected = {
        {MAPN_UNDOREDOCAPTION, MAPN_UNDO, 0},
        {MAPN_UNDOREDOCAPTION, MAPN_REDO, 0},
        {MAPN_UNDOREDOSTATE, MAPN_ENABLE, MAPN_UNDO},
        {MAPN_UNDOREDOSTATE, MAPN_DISABLE, MAPN_REDO},
    };
    EXPECT_EQ(undoMessages(), expected);

    windowMessages.clear();
    addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_POLYLINE), 1);
    ASSERT_GE(undoMessages().size(), 1u);
    EXPECT_EQ(undoMessages()[0], (docmodeltest::WindowMessage{MAPN_UNDOREDOCAPTION, MAPN_UNDO, 3}));

    // Recording switched off: no marker; the records join the next step.
    record.undoEnabled = 0;
    addPolyline(layer0, 50);
    EXPECT_EQ(Undo_SetNewStep(window, kernel, 260), 0);
    EXPECT_EQ(Undo_KernelUndoStepsCount(kernel), 0) << "the last record is not a marker";
    record.undoEnabled = 1;
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 260), 1);
    EXPECT_EQ(Undo_KernelUndoStepsCount(kernel), 2);
}

TEST_F(UndoTest, UndoingAnAdditionHidesTheObjectAndRedoShowsIt)
{
    const uint32_t before = GetNumberOfOBJectsKernel(kernel, 0);
    const OBJHANDLE a = addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), std::vector<OBJHANDLE>{a});

    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_FALSE(inDocument(a));
    EXPECT_EQ(IsOBJectUndoDeleted(kernel, a), 1);
    EXPECT_EQ(IsOBJectUndoCopy(kernel, a), 1);
    EXPECT_TRUE(targets(layer0, REF_LAYER_MEMBER).empty());
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), before);
    expectConsistent();

    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_TRUE(inDocument(a));
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), std::vector<OBJHANDLE>{a});
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), before + 1);
    EXPECT_EQ(Undo_Redo(kernel), 0);
    expectConsistent();
}

TEST_F(UndoTest, UndoingADeletionBringsBackEveryLink)
{
    const OBJHANDLE a = addPolyline(layer0, 0);
    const OBJHANDLE b = addPolyline(layer0, 20);
    const OBJHANDLE c = addPolyline(layer0, 40);
    const std::vector<OBJHANDLE> aspectBefore = targets(aspect, REF_GROUP_MEMBER);
    const OBJHANDLE g = makeGroup(aspect, {a, b});
    ASSERT_EQ(Undo_AddNew(kernel, g), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 9), 1);
    const DocumentImage saved = image();

    ASSERT_EQ(Undo_DeleteTree(kernel, g), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_DELETE), 1);
    EXPECT_FALSE(inDocument(g));
    EXPECT_FALSE(inDocument(a));
    EXPECT_TRUE(inDocument(c));
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), std::vector<OBJHANDLE>{c});
    EXPECT_EQ(targets(aspect, REF_GROUP_MEMBER), aspectBefore);
    expectConsistent();

    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(difference(image(), saved), "");
    // Shown objects are back where they stood in their layer's drawing order.
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), (std::vector<OBJHANDLE>{a, b, c}));
    EXPECT_EQ(targets(g, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{a, b}));
    expectConsistent();

    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_FALSE(inDocument(b));
    expectConsistent();
}

// Deleted objects come back at the slots they held in their layer, their
// group, the aspect and the selection list, whatever order they went in.
struct DeletionCase {
    const char *name;
    std::vector<int> deleted; // drawables, in deletion order
    bool group;               // the group of drawables 4 and 5 goes as a tree
    std::vector<int> selected;
};

void PrintTo(const DeletionCase &c, std::ostream *os) { *os << c.name; }

class UndoDeletionTest : public UndoTest, public testing::WithParamInterface<DeletionCase> {};

TEST_P(UndoDeletionTest, UndoneDeletionsSaveTheBytesSavedBefore)
{
    const DeletionCase &c = GetParam();
    std::vector<OBJHANDLE> drawables;
    for (int i = 0; i < 9; ++i)
        drawables.push_back(addPolyline(layer0, 20 * i));
    const OBJHANDLE first = makeGroup(aspect, {drawables[0]});
    const OBJHANDLE middle = makeGroup(aspect, {drawables[4], drawables[5]});
    const OBJHANDLE last = makeGroup(aspect, {drawables[8]});
    for (OBJHANDLE g : {first, middle, last})
        ASSERT_EQ(Undo_AddNew(kernel, g), 1);
    std::vector<OBJHANDLE> selection;
    for (int i : c.selected)
        selection.push_back(drawables[size_t(i)]);
    SetSelection(window, selection.data(), uint32_t(selection.size()), 0, 0);
    const std::vector<OBJHANDLE> order = targets(layer0, REF_LAYER_MEMBER);
    const std::vector<OBJHANDLE> groupOrder = targets(aspect, REF_GROUP_MEMBER);

    expectUndoGivesBackTheFile([&] {
        for (int i : c.deleted)
            ASSERT_EQ(Undo_DeleteTree(kernel, drawables[size_t(i)]), 1);
        if (c.group) {
            ASSERT_EQ(Undo_DeleteTree(kernel, middle), 1);
        }
    });
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), order);
    EXPECT_EQ(targets(aspect, REF_GROUP_MEMBER), groupOrder);
    EXPECT_EQ(targets(middle, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{drawables[4], drawables[5]}));
    EXPECT_EQ(selected(), selection);
}

INSTANTIATE_TEST_SUITE_P(Cases, UndoDeletionTest,
                         testing::Values(DeletionCase{"OneFromTheMiddle", {3}, false, {}},
                                         DeletionCase{"SeveralInOneStep", {2, 6, 4}, false, {}},
                                         DeletionCase{"NeighboursLastFirst", {5, 4, 3}, false, {}},
                                         DeletionCase{"SelectedOnes", {3, 5}, false, {1, 3, 5, 7}},
                                         DeletionCase{"AGroupFromTheMiddleOfItsAspect", {}, true, {}},
                                         DeletionCase{"AGroupAndDrawablesAroundIt", {6, 1}, true, {4}}),
                         [](const testing::TestParamInfo<DeletionCase> &info) { return info.param.name; });

// A step that makes a holder's reference block grow or shrink, undone, saves
// the bytes saved before: the file does not keep the spare slots that the
// growing and shrinking leave behind.
TEST_F(UndoTest, ReferenceBlocksResizedByAStepSaveAsBeforeWhenUndone)
{
    for (int i = 0; i < 5; ++i)
        addPolyline(layer0, 20 * i);
    expectUndoGivesBackTheFile([&] {
        for (int i = 0; i < 12; ++i)
            addPolyline(layer0, 300 + 20 * i);
    });
    expectUndoGivesBackTheFile([&] {
        const std::vector<OBJHANDLE> order = targets(layer0, REF_LAYER_MEMBER);
        for (size_t i = 1; i < order.size(); ++i)
            ASSERT_EQ(Undo_DeleteTree(kernel, order[i]), 1);
    });
    // Added to a group and taken out again in one step.
    const std::vector<OBJHANDLE> order = targets(layer0, REF_LAYER_MEMBER);
    const OBJHANDLE g = makeGroup(aspect, {order[0]});
    ASSERT_EQ(Undo_AddNew(kernel, g), 1);
    expectUndoGivesBackTheFile([&] {
        std::vector<OBJHANDLE> added;
        for (int i = 0; i < 8; ++i) {
            added.push_back(addPolyline(layer0, 600 + 20 * i));
            ASSERT_EQ(PutInGroup(kernel, added.back(), g), 1);
        }
        for (size_t i = 0; i + 1 < added.size(); ++i)
            ASSERT_EQ(Undo_DeleteOBJect(kernel, added[i]), 1);
    });
}

TEST_F(UndoTest, UndoingAChangeExchangesTheBlocksAndKeepsTheLinks)
{
    const OBJHANDLE a = addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    const std::vector<_COORDPT> original = points(a);
    const DocumentImage saved = image();

    ASSERT_EQ(Undo_ChangeObject(kernel, a), 1);
    setPoints(a, {{5, 5}, {6, 6}, {7, 7}});
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 220), 1);
    expectConsistent();

    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(points(a).size(), original.size());
    EXPECT_EQ(difference(image(), saved), "");
    expectConsistent();

    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(points(a).size(), 3u);
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), std::vector<OBJHANDLE>{a});
    expectConsistent();
}

TEST_F(UndoTest, UndoingAChangeRepairsTheSelectionLinks)
{
    const OBJHANDLE a = addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, a), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 250), 1);
    // Selected after the change was recorded: the saved block has no link.
    ASSERT_NE(InsertRefInPos(kernel, selList, REF_SELECTED, a, -1, -1), OBJ_INVALID);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_GE(findSelectedBack(a), 0);
    expectConsistent();
}

// Redo exchanges the same blocks as undo and makes the same repair: a text
// selected between an undone change and its redo keeps its link back to the
// selection list.
TEST_F(UndoTest, RedoRepairsTheSelectionLinksToo)
{
    const OBJHANDLE text = makeObject(layer0, {0, 0, 10, 10}, CLASS_TEXT);
    ASSERT_EQ(Undo_AddNew(kernel, text), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_TEXT), 1);
    ASSERT_EQ(Undo_Reset(kernel), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, text), 1);
    ASSERT_NE(ReSizeOBJectData(kernel, text, 16), 0u);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 224), 1);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    ASSERT_EQ(SetSelection(window, &text, 1, 0, 0), 1u);
    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(selected(), std::vector<OBJHANDLE>{text});
    EXPECT_GE(findSelectedBack(text), 0);
    EXPECT_TRUE(graphFlags(text) & GF_SELECTED);
    expectConsistent();
    // Deselected before the undo: the object follows the list again.
    SelListClear(kernel, selList);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_TRUE(selected().empty());
    EXPECT_LT(findSelectedBack(text), 0);
    EXPECT_FALSE(graphFlags(text) & (GF_SELECTED | GF_DRAWNSELECTED));
    expectConsistent();
}

// The selection list is found from the document's root, not by climbing
// first back links: an object whose group lost its parent is repaired too.
TEST_F(UndoTest, SelectionRepairDoesNotClimbACutChain)
{
    const OBJHANDLE a = CreateOBJect(kernel, CLASS_POLYLINE);
    const OBJHANDLE g = makeGroup(aspect, {});
    ASSERT_EQ(PutInGroup(kernel, a, g), 1); // the first back link of a names g
    ASSERT_NE(InsertLayerRef(kernel, a, layer0), OBJ_INVALID);
    ASSERT_EQ(Undo_DeleteOBJect(kernel, aspect), 1); // g has no parent now
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_DELETE), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, a), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 250), 1);
    ASSERT_NE(InsertRefInPos(kernel, selList, REF_SELECTED, a, -1, -1), OBJ_INVALID);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_GE(findSelectedBack(a), 0);
    expectConsistent();
}

// A change undone while the object sits on another layer than its saved
// block names: the block decides, and both layers agree with it.
TEST_F(UndoTest, UndoingAChangeRelinksTheLayersTheBlockNames)
{
    const OBJHANDLE second = CreateLayerOBJect(kernel, layers, 1, "second");
    const OBJHANDLE a = addPolyline(layer0, 0);
    const OBJHANDLE b = addPolyline(layer0, 20);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, a), 1);
    ASSERT_NE(RemoveNthReference(kernel, a, FindReference(kernel, a, REF_LAYER_BACK, layer0)), OBJ_INVALID);
    ASSERT_NE(InsertLayerRef(kernel, a, second), OBJ_INVALID);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CHANGE_LAYER), 1);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    // Linked again, a is appended to the end of its old layer.
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), (std::vector<OBJHANDLE>{b, a}));
    EXPECT_TRUE(targets(second, REF_LAYER_MEMBER).empty());
    expectConsistent();
    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), std::vector<OBJHANDLE>{b});
    EXPECT_EQ(targets(second, REF_LAYER_MEMBER), std::vector<OBJHANDLE>{a});
    expectConsistent();
}

// Fields that lists derive from their members come back with undo: the
// active layer, the layer's largest data space, the selection list's current
// object; and no field names an object that undo hid.
TEST_F(UndoTest, ListFieldsComeBackWithUndoAndRedo)
{
    const OBJHANDLE second = CreateLayerOBJect(kernel, layers, 1, "second");
    const OBJHANDLE a = addPolyline(layer0, 0);
    const OBJHANDLE b = addPolyline(layer0, 20);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(LayersActiveLayerSet(kernel, layers, layer0), 1);
    ASSERT_EQ(SetSelection(window, &b, 1, 0, 0), 1u);
    auto maxOf = [&](OBJHANDLE h) { return SendOBJectMessage(kernel, 0, h, 0, GRM_GETMAXDATASPACE, 0, 0); };
    auto current = [&] { return LoadField<int32_t>(OBJectLock(kernel, selList), GOH_SELSLOT); };
    auto lastDeselected = [&] {
        return LoadField<uint32_t>(OBJectLock(kernel, selList), offsetof(SelList, lastDeselected));
    };
    const LRESULT maxBefore = maxOf(layer0);
    const int32_t currentBefore = current();
    ASSERT_EQ(currentBefore, int32_t(b));
    const uint32_t lastBefore = lastDeselected();

    // One step deletes the active layer's selected object and grows another.
    ASSERT_EQ(Undo_DeleteOBJect(kernel, b), 1);
    EXPECT_NE(lastDeselected(), b) << "names an object undo hid";
    ASSERT_EQ(Undo_ChangeObject(kernel, a), 1);
    const _COORDRECT old = bound(a);
    setPoints(a, std::vector<_COORDPT>(40, {1, 1}));
    SendOBJectMessage(kernel, 0, a, 0, GRM_INVALIDATE, 0, LPARAM(&old));
    ASSERT_EQ(Undo_DeleteTree(kernel, layer0), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_DELETE_LAYER), 1);
    EXPECT_EQ(GetActiveLayer(kernel, layers), second);
    const LRESULT maxAfter = maxOf(second);

    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(GetActiveLayer(kernel, layers), layer0);
    EXPECT_EQ(maxOf(layer0), maxBefore);
    EXPECT_EQ(current(), currentBefore);
    EXPECT_EQ(lastDeselected(), lastBefore);
    expectConsistent();
    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(GetActiveLayer(kernel, layers), second);
    EXPECT_EQ(maxOf(second), maxAfter);
    EXPECT_NE(current(), int32_t(b));
    expectConsistent();
}

// Lines given new points (or none) and moved to another layer, each in a
// step of its own: after undoing and redoing everything, no layer keeps the
// rectangle of a line it no longer holds.
TEST_F(UndoTest, LayersKeepNoRectangleOfObjectsTheyLeftAfterUndoAllAndRedoAll)
{
    const OBJHANDLE layerOf[3] = {layer0, CreateLayerOBJect(kernel, layers, 1, "second"),
                                  CreateLayerOBJect(kernel, layers, 2, "third")};
    Undo_Reset(kernel);
    // A line made on one layer, then given new points and moved to another.
    auto makeAndMove = [&](int from, int to, int32_t x, std::vector<_COORDPT> points) {
        const OBJHANDLE h = addPolyline(layerOf[from], x);
        ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
        ASSERT_EQ(Undo_ChangeObject(kernel, h), 1);
        const _COORDRECT old = bound(h);
        GraphTest::setPoints(h, points); // with the line's new rectangle
        SendOBJectMessage(kernel, 0, h, 0, GRM_INVALIDATE, 0, LPARAM(&old));
        ASSERT_NE(RemoveNthReference(kernel, h, FindReference(kernel, h, REF_LAYER_BACK, layerOf[from])),
                  OBJ_INVALID);
        ASSERT_NE(InsertLayerRef(kernel, h, layerOf[to]), OBJ_INVALID);
        ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CHANGE_LAYER), 1);
    };
    makeAndMove(0, 1, -930592, {{6999489, 2000000}, {7000000, 2000010}});
    makeAndMove(2, 0, 747597, {}); // no points left: an empty rectangle
    while (Undo_Undo(kernel)) {
    }
    for (OBJHANDLE l : layerOf)
        EXPECT_EQ(staleFields(l, REF_LAYER_MEMBER), "") << "undo all, layer " << l;
    while (Undo_Redo(kernel)) {
    }
    for (OBJHANDLE l : layerOf)
        EXPECT_EQ(staleFields(l, REF_LAYER_MEMBER), "") << "redo all, layer " << l;
    EXPECT_EQ(staleFields(layers, REF_LAYER_MEMBER), "") << "redo all";
}

// A text that grows and moves from one group to another in one step: undo
// and redo leave neither group with the text's data space.
TEST_F(UndoTest, GroupsLargestDataSpacesFollowATextMovedBetweenThem)
{
    const OBJHANDLE text = makeObject(layer0, {0, 0, 10, 10}, CLASS_TEXT);
    setText(text, 40);
    const OBJHANDLE g1 = makeGroup(aspect, {text, addPolyline(layer0, 50)});
    const OBJHANDLE g2 = makeGroup(aspect, {addPolyline(layer0, 90)});
    for (OBJHANDLE h : {text, g1, g2})
        ASSERT_EQ(Undo_AddNew(kernel, h), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, text), 1);
    setText(text, 400);
    ASSERT_NE(RemoveNthReference(kernel, text, FindReference(kernel, text, REF_GROUP_PARENT, g1)),
              OBJ_INVALID);
    ASSERT_EQ(PutInGroup(kernel, text, g2), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_GROUPING), 1);
    for (const char *when : {"undo", "redo"}) {
        ASSERT_EQ(when[0] == 'u' ? Undo_Undo(kernel) : Undo_Redo(kernel), 1);
        for (OBJHANDLE g : {g1, g2})
            EXPECT_EQ(staleFields(g, REF_GROUP_MEMBER), "") << when << " group " << g;
        EXPECT_EQ(staleFields(aspect, REF_GROUP_MEMBER), "") << when;
    }
}

// The selection list's current and last deselected objects chosen after a
// step was recorded come back when the step is undone and redone.
TEST_F(UndoTest, SelectionFieldsChosenAfterAStepComeBackWithItsRedo)
{
    const OBJHANDLE a = addPolyline(layer0, 0);
    const OBJHANDLE b = addPolyline(layer0, 20);
    const OBJHANDLE c = addPolyline(layer0, 40);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, c), 1);
    setPoints(c, {{1, 1}, {2, 2}});
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 220), 1);
    const OBJHANDLE ab[] = {a, b};
    ASSERT_EQ(SetSelection(window, ab, 2, 0, 0), 2u);
    auto current = [&] { return LoadField<int32_t>(OBJectLock(kernel, selList), GOH_SELSLOT); };
    auto lastDeselected = [&] {
        return LoadField<uint32_t>(OBJectLock(kernel, selList), offsetof(SelList, lastDeselected));
    };
    ASSERT_EQ(current(), int32_t(b));
    ASSERT_NE(RemoveReference(kernel, selList, REF_SELECTED, b), OBJ_INVALID); // the current one goes
    ASSERT_EQ(current(), int32_t(a));
    ASSERT_EQ(lastDeselected(), b);

    ASSERT_EQ(Undo_Undo(kernel), 1);
    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(current(), int32_t(a));
    EXPECT_EQ(lastDeselected(), b);
    // And the step below, undone and redone with it.
    ASSERT_EQ(Undo_Undo(kernel), 1);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    ASSERT_EQ(Undo_Redo(kernel), 1);
    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(current(), int32_t(a));
    EXPECT_EQ(lastDeselected(), b);
    expectConsistent();
}

TEST_F(UndoTest, ANewChangeDropsTheRedoBranchAndFreesItsObjects)
{
    const OBJHANDLE keep = addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    const OBJHANDLE dropped = addPolyline(layer0, 20);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, keep), 1);
    setPoints(keep, {{1, 1}});
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 220), 1);
    const uint32_t layerIncoming = incoming(layer0);

    ASSERT_EQ(Undo_Undo(kernel), 1);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(incoming(layer0), layerIncoming) << "the hidden object still holds its layer";

    ASSERT_EQ(Undo_AddNew(kernel, addPolyline(0, 90)), 1);
    EXPECT_EQ(BankLock(bank(), dropped), nullptr) << "freed with the redo branch";
    EXPECT_EQ(incoming(layer0), layerIncoming - 1) << "its link no longer counts in the layer";
    EXPECT_EQ(Undo_KernelRedoStepsCount(kernel), 0);
    EXPECT_EQ(Undo_Redo(kernel), 0);
    EXPECT_EQ(points(keep).size(), 2u) << "the undone change stays undone";
    expectConsistent();
}

TEST_F(UndoTest, ResetMakesDeletionsFinalAndLowersTheTargetsCounts)
{
    const OBJHANDLE a = addPolyline(layer0, 0);
    const OBJHANDLE b = addPolyline(layer0, 20);
    const OBJHANDLE g = makeGroup(aspect, {a, b});
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    const uint32_t layerIncoming = incoming(layer0);
    const uint32_t aspectIncoming = incoming(aspect);
    const uint32_t live = GetNumberOfOBJectsKernel(kernel, 0);

    ASSERT_EQ(Undo_DeleteTree(kernel, g), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 100), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, layer0), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 261), 1);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), live - 3);

    ASSERT_EQ(Undo_Reset(kernel), 1);
    EXPECT_EQ(BankLock(bank(), a), nullptr);
    EXPECT_EQ(BankLock(bank(), g), nullptr);
    EXPECT_EQ(incoming(layer0), layerIncoming - 2);
    EXPECT_EQ(incoming(aspect), aspectIncoming - 1);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), live - 3);
    EXPECT_EQ(kernel->undoCopies, 0u);
    EXPECT_EQ(Undo_Undo(kernel), 0);
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), -1);
    expectConsistent();
}

TEST_F(UndoTest, ResetFreesATargetThatWasDeletedWhileTheHiddenObjectHeldIt)
{
    const OBJHANDLE holder = addPolyline(layer0, 0);
    const OBJHANDLE extra = CreateOBJect(kernel, CLASS_EXTRA);
    ASSERT_NE(InsertRefInPos(kernel, holder, REF_EXTRA, extra, -1, -1), OBJ_INVALID);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_DeleteOBJect(kernel, holder), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 100), 1);
    // The hidden holder's link still counts: deleting the target keeps it.
    EXPECT_GT(OBJectDelete(kernel, extra), 0);
    ASSERT_NE(BankLock(bank(), extra), nullptr);

    ASSERT_EQ(Undo_Reset(kernel), 1);
    EXPECT_EQ(BankLock(bank(), holder), nullptr);
    EXPECT_EQ(BankLock(bank(), extra), nullptr) << "went with its last reference";
    expectConsistent();
}

TEST_F(UndoTest, TwoMarkersInARowAreOneStepEach)
{
    addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 100), 1);
    ASSERT_EQ(Undo_GetPositionCurStep(kernel), 2);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), 1) << "only the upper marker passed";
    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), 2);
}

TEST_F(UndoTest, DeferredResetFreesTheHistoryAtTheNextRecord)
{
    const OBJHANDLE a = addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_DeleteOBJect(kernel, a), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 100), 1);
    ASSERT_EQ(Undo_SetResetNext(kernel, 1), 1);
    windowMessages.clear();
    Undo_SendCaptions(window, kernel);
    ASSERT_EQ(undoMessages().size(), 2u);
    EXPECT_EQ(undoMessages()[0].lParam, 0) << "no caption while a reset is pending";

    addPolyline(layer0, 30);
    EXPECT_EQ(Undo_IsResetNextT(kernel), 0u);
    EXPECT_EQ(BankLock(bank(), a), nullptr);
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), 0) << "only the new record";
    expectConsistent();
}

TEST_F(UndoTest, GoingToASavedStepAndBack)
{
    for (int i = 0; i < 4; ++i) {
        addPolyline(layer0, i * 20);
        ASSERT_EQ(Undo_SetNewStep(window, kernel, uint16_t(2 + i)), 1);
    }
    const int savedStep = Undo_CurrentStep(kernel).index;
    ASSERT_EQ(Undo_Undo(kernel), 1);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    const int here = Undo_CurrentStep(kernel).index;
    int out = 0;
    EXPECT_EQ(GoToSavedRedo(kernel, savedStep, &out), 2);
    EXPECT_EQ(out, 1);
    EXPECT_EQ(Undo_CurrentStep(kernel).index, savedStep);
    EXPECT_EQ(GoToSavedUndo(kernel, here, &out), 2);
    EXPECT_EQ(Undo_CurrentStep(kernel).index, here);
}

TEST_F(UndoTest, CaptionsOfTheOperationCodes)
{
    const std::pair<uint16_t, const char *> cases[] = {
        {0, ""},
        {9, "Create Group"},
        {10, "Create Group"},
        {1, "Unrecognized Operation"},
        {999, "Unrecognized Operation"},
        {100, "Delete"},
        {222, "Node dragging"},
        {400, "Import from OS MasterMap file"},
    };
    for (const auto &[code, text] : cases) {
        std::string caption = "x";
        GiveOperationHumanName(&caption, code);
        EXPECT_EQ(caption, text) << code;
    }
}

TEST_F(UndoTest, BadInputFailsAndChangesNothing)
{
    const OBJHANDLE a = addPolyline(layer0, 0);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    const OBJHANDLE freed = CreateOBJect(kernel, CLASS_POLYLINE);
    OBJectDelete(kernel, freed);
    const DocumentImage saved = image();
    const int position = Undo_GetPositionCurStep(kernel);

    for (OBJHANDLE h : {OBJHANDLE(0), freed, OBJHANDLE(0x7FFFFFFF)}) {
        EXPECT_EQ(Undo_AddNew(kernel, h), 0) << h;
        EXPECT_EQ(Undo_DeleteOBJect(kernel, h), 0) << h;
        EXPECT_EQ(Undo_ChangeObject(kernel, h), 0) << h;
        EXPECT_EQ(Undo_DeleteTree(kernel, h), 0) << h;
        EXPECT_EQ(CheckIfObjectExists(kernel, h), 0) << h;
        EXPECT_EQ(IsOBJectUndoCopy(kernel, h), 0) << h;
    }
    EXPECT_EQ(Undo_AddNew(nullptr, a), 0);
    EXPECT_EQ(Undo_DeleteOBJect(nullptr, a), 0);
    EXPECT_EQ(Undo_ChangeObject(nullptr, a), 0);
    EXPECT_EQ(Undo_Undo(nullptr), 0);
    EXPECT_EQ(Undo_Redo(nullptr), 0);
    EXPECT_EQ(Undo_One(nullptr), nullptr);
    EXPECT_EQ(Redo_One(nullptr), nullptr);
    EXPECT_EQ(Undo_Reset(nullptr), 0);
    EXPECT_EQ(Undo_GetPositionCurStep(nullptr), -1);
    EXPECT_EQ(Undo_KernelUndoStepsCount(nullptr), 0);
    EXPECT_EQ(ReplaceSelList(nullptr, a, nullptr), nullptr);
    EXPECT_EQ(ReplaceSelList(kernel, 0x7FFFFFFF, nullptr), nullptr);
    EXPECT_EQ(Undo_SetNewStep(0, kernel, 3), 0);
    EXPECT_EQ(Undo_SetNewStep(window, nullptr, 3), 0);
    EXPECT_EQ(CopySelList(window, kernel, 0), 0);
    EXPECT_EQ(CopySelList(0, kernel, a), 0);

    // Deleting an object twice records it once.
    ASSERT_EQ(Undo_DeleteOBJect(kernel, a), 1);
    EXPECT_EQ(Undo_DeleteOBJect(kernel, a), 0);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(difference(image(), saved), "");
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), position);
}

TEST_F(UndoTest, SavedSelectionCopyIsAFreshByteCopy)
{
    ASSERT_EQ(CopySelList(window, kernel, selList), 1);
    void *first = record.selCopy;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::memcmp(first, HeadLock(kernel, selList), HeadLock(kernel, selList)->size), 0);
    ASSERT_EQ(CopySelList(window, kernel, selList), 1);
    EXPECT_NE(record.selCopy, nullptr);
    // Putting the copy into the slot and back restores the slot's block.
    void *live = ReplaceSelList(kernel, selList, record.selCopy);
    EXPECT_EQ(ReplaceSelList(kernel, selList, live), record.selCopy);
    EXPECT_EQ(BankLock(bank(), selList), live);
    std::free(record.selCopy);
    record.selCopy = nullptr;
}

TEST_F(UndoTest, UndoListSelectedObjectIsRemapped)
{
    const OBJHANDLE a = addPolyline(layer0, 0);
    SendOBJectMessage(kernel, 0, undo, 0, GRM_SETSELECTED, WPARAM(a), 0);
    EXPECT_EQ(Undo_ListSelectedGet(kernel, undo), a);
    ASSERT_EQ(Undo_RemapListSelected(kernel, undo, [a](OBJHANDLE h) { return h == a ? 7u : 0u; }), 1);
    EXPECT_EQ(Undo_ListSelectedGet(kernel, undo), 7u);
    ASSERT_EQ(Undo_RemapListSelected(kernel, undo, [](OBJHANDLE) { return 0u; }), 1);
    EXPECT_EQ(Undo_ListSelectedGet(kernel, undo), 0u) << "a vanished object leaves no selection";
    EXPECT_EQ(Undo_RemapListSelected(kernel, layer0, [](OBJHANDLE h) { return h; }), 0);
}

// Random edits, undos and redos against the document as it was after each
// step: every object's content, references and counts must come back.
TEST_F(UndoTest, RandomEditUndoRedoSequencesGiveBackTheSavedDocuments)
{
    std::mt19937 rng(20240917);
    auto pick = [&rng](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    const OBJHANDLE layer1 = CreateLayerOBJect(kernel, layers, 1, "second");
    ASSERT_NE(layer1, 0u);
    const OBJHANDLE layerOf[2] = {layer0, layer1};
    Undo_Reset(kernel);

    std::vector<DocumentImage> saved{image()};
    size_t at = 0;
    auto liveDrawables = [&] {
        std::vector<OBJHANDLE> out;
        for (OBJHANDLE l : layerOf)
            for (OBJHANDLE h : targets(l, REF_LAYER_MEMBER))
                out.push_back(h);
        return out;
    };
    auto ungrouped = [&] {
        std::vector<OBJHANDLE> out;
        for (OBJHANDLE h : liveDrawables())
            if (!FirstReference(kernel, h, REF_GROUP_PARENT, nullptr))
                out.push_back(h);
        return out;
    };

    for (int round = 0; round < 400; ++round) {
        const int op = pick(10);
        if (op < 3) {
            addPolyline(layerOf[pick(2)], pick(1000));
            ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
        } else if (op == 3) {
            const std::vector<OBJHANDLE> free = ungrouped();
            if (free.size() < 2)
                continue;
            const OBJHANDLE g = makeGroup(aspect, {free[0], free[1]});
            ASSERT_EQ(Undo_AddNew(kernel, g), 1);
            ASSERT_EQ(Undo_SetNewStep(window, kernel, 201), 1);
        } else if (op == 4) {
            const std::vector<OBJHANDLE> live = liveDrawables();
            if (live.empty())
                continue;
            ASSERT_EQ(Undo_DeleteTree(kernel, live[size_t(pick(int(live.size())))]), 1);
            ASSERT_EQ(Undo_SetNewStep(window, kernel, 100), 1);
        } else if (op == 5) {
            const std::vector<OBJHANDLE> live = liveDrawables();
            if (live.empty())
                continue;
            const OBJHANDLE h = live[size_t(pick(int(live.size())))];
            ASSERT_EQ(Undo_ChangeObject(kernel, h), 1);
            std::vector<_COORDPT> pts(size_t(1 + pick(5)));
            for (_COORDPT &p : pts)
                p = {pick(500), pick(500)};
            setPoints(h, pts);
            ASSERT_EQ(Undo_SetNewStep(window, kernel, 220), 1);
        } else if (op < 8) {
            const int steps = Undo_KernelUndoStepsCount(kernel);
            const int want = 1 + pick(3);
            int undone = 0;
            while (undone < want && Undo_Undo(kernel))
                ++undone;
            ASSERT_EQ(undone, std::min(want, steps));
            ASSERT_EQ(size_t(steps), at);
            at -= size_t(std::min<int>(undone, int(at)));
            ASSERT_EQ(difference(image(), saved[at]), "") << "after undo, round " << round;
            expectConsistent();
            continue;
        } else {
            int n = 1 + pick(3), redone = 0;
            while (n-- > 0 && Undo_Redo(kernel))
                ++redone;
            at += size_t(redone);
            ASSERT_LT(at, saved.size());
            ASSERT_EQ(difference(image(), saved[at]), "") << "after redo, round " << round;
            expectConsistent();
            continue;
        }
        saved.resize(at + 1);
        saved.push_back(image());
        ++at;
        expectConsistent();
        if (HasFatalFailure())
            return;
    }
    // Everything undone gives the empty document again.
    while (Undo_Undo(kernel)) {
    }
    EXPECT_EQ(difference(image(), saved[0]), "");
    ASSERT_EQ(Undo_Reset(kernel), 1);
    EXPECT_EQ(difference(image(), saved[0]), "");
    expectConsistent();
}

} // namespace

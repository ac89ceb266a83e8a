#include "engine/window/object_wrappers.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_queries.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "tests/support/graph_classes_in_place.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A headless map window whose record holds a new document: layer 0 with
// polylines, polygons and a text, a group in the active aspect, a selection.
class WindowObjectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(classes_.install([](const MessageBoxRequest &) { return IDOK; }));
        kernel = KernelNew();
        ASSERT_NE(kernel, nullptr);
        window = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        all = CreateRootOBJects(kernel, 0, &layers, &groups, &undo, &selList, &idsList);
        ASSERT_NE(all, 0u);
        record.kernel = kernel;
        record.rootObject = all;
        record.hWnd = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<intptr_t>(&record));
        layer = FirstReference(kernel, layers, REF_LAYER_MEMBER, nullptr);
        aspect = GetActiveAspect(kernel, groups);
        ASSERT_NE(layer, 0u);
        ASSERT_NE(aspect, 0u);
    }

    void TearDown() override
    {
        DestroyWindow(window);
        KernelDelete(kernel);
        classes_.restore();
    }

    OBJHANDLE make(uint16_t cls, OBJHANDLE holder = 0, uint16_t id = REF_LAYER_MEMBER)
    {
        const OBJHANDLE h = CreateOBJect(kernel, cls);
        EXPECT_NE(h, 0u);
        if (holder)
            link(holder, id, h);
        return h;
    }

    void link(OBJHANDLE holder, uint16_t id, OBJHANDLE target)
    {
        ASSERT_NE(InsertRefInPos(kernel, holder, id, target, -1, -1), OBJ_INVALID);
    }

    void select(OBJHANDLE h) { link(selList, REF_SELECTED, h); }

    std::vector<OBJHANDLE> walk(ObjTypeMask mask)
    {
        std::vector<OBJHANDLE> out;
        for (OBJHANDLE h = GetNextHandle(&record, 0, mask); h; h = GetNextHandle(&record, h, mask)) {
            out.push_back(h);
            if (out.size() > 1000)
                break;
        }
        return out;
    }

    OBJectKernel *kernel = nullptr;
    HWND window = 0;
    _WNDRES record;
    OBJHANDLE all = 0, layers = 0, groups = 0, undo = 0, selList = 0, idsList = 0;
    OBJHANDLE layer = 0, aspect = 0;

private:
    GraphClassesInPlace classes_;
};

// ---------------------------------------------------------------------------
// Queries

TEST_F(WindowObjectsTest, CountsAndListsByTypeSelectionAndGroup)
{
    const OBJHANDLE line1 = make(CLASS_POLYLINE, layer);
    const OBJHANDLE area1 = make(CLASS_POLYGON, layer);
    const OBJHANDLE text = make(CLASS_TEXT, layer);
    const OBJHANDLE line2 = make(CLASS_POLYLINE, layer);
    const OBJHANDLE area2 = make(CLASS_POLYGON, layer);
    const OBJHANDLE inner = make(CLASS_GROUP);
    const OBJHANDLE group = make(CLASS_GROUP, aspect, REF_GROUP_MEMBER);
    link(group, REF_GROUP_MEMBER, line2);
    link(group, REF_GROUP_MEMBER, inner);
    link(inner, REF_GROUP_MEMBER, area2);
    select(area1);
    select(group);
    select(text);
    // A new document's layer 0 sits under the layer-group root, a Group too.
    const OBJHANDLE layerGroups = LG_RootGet(kernel, all);
    ASSERT_NE(layerGroups, 0u);

    struct Case {
        ObjTypeMask mask;
        std::vector<OBJHANDLE> expected;
    } cases[] = {
        {0x0003, {line1, area1, line2, area2}},
        {0x0001, {line1, line2}},
        {0x0004, {text}},
        {0x0400, {layerGroups, inner, group}},
        {0x1003, {area1}},
        {0x1004, {text}},
        {0x1400, {group}},
        // selection order: each selected group followed by its members
        {0x2003, {area1, line2, area2}},
        {0x2C00, {area1, group, line2, inner, area2, text}},
        {0x0000, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "mask 0x" << c.mask);
        EXPECT_EQ(walk(c.mask), c.expected);
        EXPECT_EQ(GetHandlesCount(&record, c.mask), int32_t(c.expected.size()));
    }
    EXPECT_EQ(GetHandlesCount(&record, OTM_ANY), 9) << "layer 0 counts as a Layer";
    EXPECT_EQ(GetHandlesCountSel(&record, 0x0003), 0) << "no selection bit";
    // Continuing after an object that only a selected group reaches.
    EXPECT_EQ(GetNextHandleSel(&record, line2, 0x2003), area2);
    EXPECT_EQ(GetNextHandleSel(&record, area2, 0x2003), 0u);
    EXPECT_EQ(GetNextHandleSel(&record, line1, 0x2003), 0u) << "not selected";
    EXPECT_EQ(GetNextHandle(&record, group, OTM_ANY), 0u) << "after the last object";

    CMapObjArr members;
    members.Add(12345);
    EXPECT_EQ(GetGroup(&record, group, nullptr), 2);
    EXPECT_EQ(GetGroup(&record, group, &members), 2);
    EXPECT_EQ(members.GetSize(), 2);
    EXPECT_EQ(members[0], line2);
    EXPECT_EQ(members[1], inner);
    EXPECT_EQ(members.GetGrowBy(), 100);
    CMapObjArr untouched;
    untouched.Add(7);
    EXPECT_EQ(GetGroup(&record, line1, &untouched), 0);
    EXPECT_EQ(untouched.GetSize(), 1) << "no members: the array is left alone";
}

TEST_F(WindowObjectsTest, ObjectsOfAClassAppendToTheArray)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    const OBJHANDLE b = make(CLASS_POLYGON, layer);
    make(CLASS_POLYLINE, layer);
    CMapObjArr found;
    EXPECT_EQ(GetObjectsType(&record, CLASS_POLYGON, &found), 2);
    EXPECT_EQ(GetObjectsType(&record, CLASS_POLYGON, &found), 4);
    EXPECT_EQ(found[0], a);
    EXPECT_EQ(found[1], b);
    EXPECT_EQ(found[2], a);
    EXPECT_EQ(GetObjectsType(&record, CLASS_POLYGON, nullptr), 2);
    EXPECT_EQ(GetObjectsType(&record, 0, nullptr), int32_t(KernelGetHandlesCount(kernel)));
}

TEST_F(WindowObjectsTest, LayersAndIdentifiers)
{
    const OBJHANDLE second = CreateLayerOBJect(kernel, layers, 2, "Two");
    ASSERT_NE(second, 0u);
    EXPECT_EQ(GetLayersCount(&record), 2);
    EXPECT_EQ(GetNextLayer(&record, 0), layer);
    EXPECT_EQ(GetNextLayer(&record, layer), second);
    EXPECT_EQ(GetNextLayer(&record, second), 0u);
    EXPECT_EQ(GetNextLayer(&record, all), 0u) << "not a layer of the root";

    EXPECT_EQ(GetIDsCount(&record), 0);
    make(CLASS_ID, idsList, REF_IDLIST_MEMBER);
    EXPECT_EQ(GetIDsCount(&record), 1);
}

// ---------------------------------------------------------------------------
// Wrappers

TEST_F(WindowObjectsTest, WrappersRunTheKernelOperationsOfTheWindow)
{
    const OBJHANDLE object = CreateOBJectWnd(window, CLASS_POLYLINE);
    ASSERT_NE(object, 0u);
    EXPECT_EQ(GetOBJectClassID(kernel, object), CLASS_POLYLINE);
    EXPECT_NE(InsertReferenceWnd(window, layer, REF_LAYER_MEMBER, object), OBJ_INVALID);
    int32_t pos = -1;
    EXPECT_EQ(FirstReferenceWnd(window, object, REF_LAYER_BACK, &pos), layer);
    EXPECT_EQ(pos, 0);
    EXPECT_NE(RemoveReferenceWnd(window, layer, REF_LAYER_MEMBER, object), OBJ_INVALID);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, object, 0), 0u) << "the partner went too";
    EXPECT_EQ(BankSetDelStackWnd(window), 1);

    const OBJHANDLE second = CreateLayerOBJect(kernel, layers, 4, "Four");
    EXPECT_EQ(SetActiveLayer(window, second), 1);
    EXPECT_EQ(GetActiveLayer(kernel, layers), second);
    EXPECT_EQ(SetActiveLayer(window, object), 0) << "not a layer of the root";
    EXPECT_EQ(GetActiveLayer(kernel, layers), second);

    EXPECT_EQ(GetActiveAspectWnd(window), aspect);
    const OBJHANDLE group = CreateGroupWnd(window);
    ASSERT_NE(group, 0u);
    EXPECT_EQ(GetOBJectClassID(kernel, group), CLASS_GROUP);
    EXPECT_EQ(FirstReference(kernel, group, REF_GROUP_PARENT, nullptr), aspect);
    int32_t last = -1;
    EXPECT_EQ(LastReference(kernel, aspect, REF_GROUP_MEMBER, &last), group);
}

TEST_F(WindowObjectsTest, GroupWrappersNeedAnActiveAspect)
{
    ASSERT_GE(RemoveReference(kernel, groups, REF_GROUP_MEMBER, aspect), 0u);
    const uint32_t objects = GetNumberOfOBJectsKernel(kernel, CLASS_GROUP);
    EXPECT_EQ(GetActiveAspectWnd(window), 0u);
    EXPECT_EQ(CreateGroupWnd(window), 0u);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_GROUP), objects);
}

// ---------------------------------------------------------------------------
// Bad input

TEST_F(WindowObjectsTest, BadWindowsRecordsAndHandlesGiveFailureValues)
{
    const OBJHANDLE good = make(CLASS_POLYLINE, layer);
    const OBJHANDLE freed = make(CLASS_POLYLINE, layer);
    OBJectDelete(kernel, freed);
    const uint32_t objects = GetNumberOfOBJectsKernel(kernel, 0);

    const HWND bare = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    const HWND detached = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    _WNDRES away; // a record detached from its window (hWnd cleared)
    away.kernel = kernel;
    away.rootObject = all;
    SetWindowLongPtrA(detached, GWLP_USERDATA, reinterpret_cast<intptr_t>(&away));

    struct WindowCase {
        const char *what;
        HWND hwnd;
    } windows[] = {{"window 0", 0},
                   {"not a window", 0xFFFFFFF0u},
                   {"a window with no record", bare},
                   {"a window whose record is detached", detached}};
    for (const WindowCase &w : windows) {
        SCOPED_TRACE(w.what);
        int32_t pos = 55;
        EXPECT_EQ(InsertReferenceWnd(w.hwnd, layer, REF_LAYER_MEMBER, good), OBJ_INVALID);
        EXPECT_EQ(RemoveReferenceWnd(w.hwnd, layer, REF_LAYER_MEMBER, good), OBJ_INVALID);
        EXPECT_EQ(FirstReferenceWnd(w.hwnd, good, 0, &pos), 0u);
        EXPECT_EQ(pos, 0);
        EXPECT_EQ(CreateOBJectWnd(w.hwnd, CLASS_POLYLINE), 0u);
        EXPECT_EQ(BankSetDelStackWnd(w.hwnd), 0);
        EXPECT_EQ(SetActiveLayer(w.hwnd, layer), 0);
        EXPECT_EQ(GetActiveAspectWnd(w.hwnd), 0u);
        EXPECT_EQ(CreateGroupWnd(w.hwnd), 0u);
    }

    _WNDRES noKernel;
    _WNDRES noRoot;
    noRoot.kernel = kernel;
    noRoot.hWnd = window;
    struct RecordCase {
        const char *what;
        _WNDRES *rec;
    } records[] = {
        {"null record", nullptr}, {"record without kernel", &noKernel}, {"record without root", &noRoot}};
    for (const RecordCase &r : records) {
        SCOPED_TRACE(r.what);
        CMapObjArr arr;
        EXPECT_EQ(GetNextHandleSel(r.rec, 0, 0x1800), 0u);
        EXPECT_EQ(GetHandlesCountSel(r.rec, 0x1800), 0);
        EXPECT_EQ(GetLayersCount(r.rec), 0);
        EXPECT_EQ(GetNextLayer(r.rec, 0), 0u);
        EXPECT_EQ(GetIDsCount(r.rec), 0);
        if (r.rec != &noRoot) {
            EXPECT_EQ(GetNextHandle(r.rec, 0, OTM_ANY), 0u);
            EXPECT_EQ(GetHandlesCount(r.rec, OTM_ANY), 0);
            EXPECT_EQ(GetGroup(r.rec, good, &arr), 0);
            EXPECT_EQ(GetObjectsType(r.rec, 0, &arr), 0);
            EXPECT_EQ(arr.GetSize(), 0);
        }
    }

    struct HandleCase {
        const char *what;
        OBJHANDLE h;
    } handles[] = {
        {"handle 0", 0}, {"freed", freed}, {"beyond the bank", 0x7FFFFFFF}, {"all ones", 0xFFFFFFFFu}};
    for (const HandleCase &c : handles) {
        SCOPED_TRACE(c.what);
        CMapObjArr arr;
        int32_t pos = 3;
        EXPECT_EQ(GetGroup(&record, c.h, &arr), 0);
        EXPECT_EQ(arr.GetSize(), 0);
        EXPECT_EQ(GetNextLayer(&record, c.h), c.h == 0 ? layer : 0u);
        EXPECT_EQ(GetNextHandleSel(&record, c.h, 0x1800), 0u);
        EXPECT_EQ(InsertReferenceWnd(window, layer, REF_LAYER_MEMBER, c.h), OBJ_INVALID);
        EXPECT_EQ(InsertReferenceWnd(window, c.h, REF_LAYER_MEMBER, good), OBJ_INVALID);
        EXPECT_EQ(RemoveReferenceWnd(window, c.h, REF_LAYER_MEMBER, good), OBJ_INVALID);
        EXPECT_EQ(FirstReferenceWnd(window, c.h, 0, &pos), 0u);
        EXPECT_EQ(SetActiveLayer(window, c.h), 0);
    }
    EXPECT_EQ(CreateOBJectWnd(window, 0x7777), 0u) << "unregistered class";
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), objects);
    DestroyWindow(bare);
    DestroyWindow(detached);
}

} // namespace

#include "docmodel_fixture.h"

#include <functional>

using namespace docmodeltest;

namespace {

using DocModelBadInputTest = DocModelTest;

// Every layer, group and selection function given a null kernel, a handle 0,
// a freed handle, a handle past the store or an object of the wrong class
// answers its failure value and changes nothing.
TEST_F(DocModelBadInputTest, FailureValuesForBadKernelsHandlesAndWindows)
{
    const OBJHANDLE line = makeObject(layer0);
    const OBJHANDLE group = makeGroup(aspect, {});
    const OBJHANDLE lgRoot = LG_RootGet(kernel, all);
    ASSERT_NE(lgRoot, 0u);

    enum Kind { NullKernel, Zero, Freed, OutOfRange, WrongClass };
    const char *kindNames[] = {"null kernel", "handle 0", "freed", "out of range", "wrong class"};

    using Call = std::function<int64_t(OBJectKernel *, OBJHANDLE)>;
    struct Entry {
        const char *name;
        int64_t failure;
        Call call;
        bool zeroIsValid = false;     // 0 means "none" here, not a bad handle
        bool anyClassIsValid = false; // any object may be grouped or selected
    };
    GraphDispl rec{};
    char buf[64];
    double d = 0;
    uint32_t len = 0;
    const Entry entries[] = {
        {"CreateLayerOBJect", 0, [](OBJectKernel *k, OBJHANDLE h) { return CreateLayerOBJect(k, h, 5, "x"); },
         true},
        {"FindMaxLayerNumber", 0, [](OBJectKernel *k, OBJHANDLE h) { return FindMaxLayerNumber(k, h); }},
        {"FindLayer", 0, [](OBJectKernel *k, OBJHANDLE h) { return FindLayer(k, h, -1, nullptr); }},
        {"GetActiveLayer", 0, [](OBJectKernel *k, OBJHANDLE h) { return GetActiveLayer(k, h); }},
        {"LayersActiveLayerSet", 0,
         [&](OBJectKernel *k, OBJHANDLE h) { return LayersActiveLayerSet(k, layers, h); }},
        {"GetOBJectLayer", 0, [](OBJectKernel *k, OBJHANDLE h) { return GetOBJectLayer(k, h); }},
        {"InsertLayerRef", OBJ_INVALID,
         [&](OBJectKernel *k, OBJHANDLE h) { return InsertLayerRef(k, line, h); }},
        {"LayerNumberNameGet", -1,
         [&](OBJectKernel *k, OBJHANDLE h) { return LayerNumberNameGet(k, h, buf); }},
        {"LayerNumberNameSet", -1,
         [](OBJectKernel *k, OBJHANDLE h) { return LayerNumberNameSet(k, h, 3, "x"); }},
        {"LayerPlaceSet", 0, [](OBJectKernel *k, OBJHANDLE h) { return LayerPlaceSet(k, h, 0, 0, 0); }},
        {"LayerZoomSet", 0, [](OBJectKernel *k, OBJHANDLE h) { return LayerZoomSet(k, h, 1, 2); }},
        {"LayerZoomGet", 0, [&](OBJectKernel *k, OBJHANDLE h) { return LayerZoomGet(k, h, &d, &d); }},
        {"LayerFlagSet", 0, [](OBJectKernel *k, OBJHANDLE h) { return LayerFlagSet(k, h, 1); }},
        {"LayerFlagGet", 0, [](OBJectKernel *k, OBJHANDLE h) { return LayerFlagGet(k, h); }},
        {"LayerTrnsparencySet", 0,
         [](OBJectKernel *k, OBJHANDLE h) { return LayerTrnsparencySet(k, h, 50); }},
        {"LayerTrnsparencyGet", 255, [](OBJectKernel *k, OBJHANDLE h) { return LayerTrnsparencyGet(k, h); }},
        {"GetLayerAttributes", 0,
         [&](OBJectKernel *k, OBJHANDLE h) { return GetLayerAttributes(k, h, &rec); }},
        {"AspectCreate", 0, [](OBJectKernel *k, OBJHANDLE h) { return AspectCreate(k, h, "a"); }},
        {"AspectFind", 0, [](OBJectKernel *k, OBJHANDLE h) { return AspectFind(k, h, "$Permanent"); }},
        {"AspectActivate", 0,
         [](OBJectKernel *k, OBJHANDLE h) { return AspectActivate(k, h, "$Permanent"); }},
        {"GetActiveAspect", 0, [](OBJectKernel *k, OBJHANDLE h) { return GetActiveAspect(k, h); }},
        {"GrupNameSet", 0, [](OBJectKernel *k, OBJHANDLE h) { return GrupNameSet(k, h, "a"); }},
        {"GroupNameGet", 0,
         [&](OBJectKernel *k, OBJHANDLE h) { return GroupNameGet(k, h, &len, buf, sizeof buf); }},
        {"PutInGroup object", 0, [&](OBJectKernel *k, OBJHANDLE h) { return PutInGroup(k, h, group); }, false,
         true},
        {"PutInGroup target", 0, [&](OBJectKernel *k, OBJHANDLE h) { return PutInGroup(k, line, h); }},
        {"MakeGroup root", 0, [&](OBJectKernel *k, OBJHANDLE h) { return MakeGroup(k, h, selList, 0); }},
        {"MakeGroup list", 0, [&](OBJectKernel *k, OBJHANDLE h) { return MakeGroup(k, groups, h, 0); }},
        {"UnGroup", 0, [&](OBJectKernel *k, OBJHANDLE h) { return UnGroup(k, h, selList, 0); }},
        {"SelListClear", 0, [](OBJectKernel *k, OBJHANDLE h) { return SelListClear(k, h); }},
        {"GetNumberOfSelected", 0, [](OBJectKernel *k, OBJHANDLE h) { return GetNumberOfSelected(k, h); }},
        {"SelectNextGroupLevel list", 0,
         [&](OBJectKernel *k, OBJHANDLE h) { return SelectNextGroupLevel(k, h, line, nullptr); }},
        {"SelectNextGroupLevel object", 0,
         [&](OBJectKernel *k, OBJHANDLE h) { return SelectNextGroupLevel(k, selList, h, nullptr); }, false,
         true},
        {"AddToSelectionWithoutRemoving", 0,
         [&](OBJectKernel *k, OBJHANDLE h) {
             AddToSelectionWithoutRemoving(k, selList, h);
             return GetNumberOfSelected(kernel, selList);
         },
         false, true},
        {"LG_RootGet", 0, [](OBJectKernel *k, OBJHANDLE h) { return LG_RootGet(k, h); }},
        {"LG_CreateRoot", 0, [](OBJectKernel *k, OBJHANDLE h) { return LG_CreateRoot(k, h); }},
        {"LG_IsRoot", 0, [](OBJectKernel *k, OBJHANDLE h) { return LG_IsRoot(k, h); }},
        {"LG_IsLayerGroup", 0, [](OBJectKernel *k, OBJHANDLE h) { return LG_IsLayerGroup(k, h); }},
        {"LG_SetInt", 0,
         [&](OBJectKernel *k, OBJHANDLE h) { return LG_SetInt(k, "n", h, &layer0, 1, 0, 1); }},
        {"LG_SetGroupAsLG", 0, [&](OBJectKernel *k, OBJHANDLE h) { return LG_SetGroupAsLG(k, all, h); }},
        {"LG_CheckIfLGTree", 0, [](OBJectKernel *k, OBJHANDLE h) { return LG_CheckIfLGTree(k, h); }},
        {"LG_SetGroupTreeAsLG", 0, [](OBJectKernel *k, OBJHANDLE h) { return LG_SetGroupTreeAsLG(k, h); }},
        {"ParentGroupSet", 0, [](OBJectKernel *k, OBJHANDLE h) { return ParentGroupSet(k, h, 0); }},
        {"DisconnectMemberGroup", 0,
         [&](OBJectKernel *k, OBJHANDLE h) { return DisconnectMemberGroup(k, h, layer0); }},
        {"DeleteFromLGTree", 0, [&](OBJectKernel *k, OBJHANDLE h) { return DeleteFromLGTree(k, h, layer0); }},
        {"LG_AttachToRoot", 0, [](OBJectKernel *k, OBJHANDLE h) { return LG_AttachToRoot(k, h); }},
    };

    const std::vector<OBJHANDLE> orderBefore = layerOrder();
    const std::vector<OBJHANDLE> rootMembersBefore = targets(lgRoot, REF_GROUP_MEMBER);

    for (const Entry &e : entries) {
        for (int kind = NullKernel; kind <= WrongClass; ++kind) {
            if ((kind == Zero && e.zeroIsValid) || (kind == WrongClass && e.anyClassIsValid))
                continue;
            OBJectKernel *k = kernel;
            OBJHANDLE h = layer0;
            switch (kind) {
            case NullKernel:
                k = nullptr;
                break;
            case Zero:
                h = 0;
                break;
            case Freed: // made and freed just before the call
                h = CreateOBJect(kernel, CLASS_POLYLINE);
                OBJectDelete(kernel, h);
                ASSERT_EQ(GetOBJectClassID(kernel, h), 0);
                break;
            case OutOfRange:
                h = 0x7FFFFF00;
                break;
            case WrongClass:
                h = makeObject();
                break; // an unlinked polyline
            }
            const uint32_t objects = KernGiveAllObjectsAmount(kernel);
            EXPECT_EQ(e.call(k, h), e.failure) << e.name << " with " << kindNames[kind];
            EXPECT_EQ(KernGiveAllObjectsAmount(kernel), objects) << e.name << " with " << kindNames[kind];
            if (kind == WrongClass)
                OBJectDelete(kernel, h);
        }
    }
    EXPECT_EQ(layerOrder(), orderBefore);
    EXPECT_EQ(targets(lgRoot, REF_GROUP_MEMBER), rootMembersBefore);
    EXPECT_EQ(GroupParentGet(kernel, line), 0u);
    EXPECT_TRUE(boxes.empty());

    // Window-level functions: no window, a window without a record, a
    // destroyed window; record-level ones: none, and one without a kernel.
    const HWND bare = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    const HWND gone = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    DestroyWindow(gone);
    MAP_COORDRECT r{0, 0, 1, 1};
    for (HWND w : {HWND(0), bare, gone}) {
        EXPECT_EQ(GetPageLayer(w), 0u) << w;
        EXPECT_EQ(LayersClipRectSet(w, 0, &r), 0) << w;
        EXPECT_EQ(LayersClipRectGet(w, 0, &r), 0) << w;
        EXPECT_EQ(SetSelection(w, &line, 1, 0, 1), 0u) << w;
    }
    DestroyWindow(bare);
    _WNDRES empty;
    for (_WNDRES *w : {static_cast<_WNDRES *>(nullptr), &empty}) {
        OBJHANDLE out = 77;
        int32_t count = -5;
        EXPECT_EQ(LayerPlaceGet(w, layer0), 0);
        EXPECT_EQ(LayerPlaceSet(w, layer0, 0, 0), 0);
        EXPECT_EQ(GroupCreate(w, "g"), 0u);
        EXPECT_EQ(map_LG_RootGet(w), 0u);
        EXPECT_EQ(map_LG_CreateRoot(w), 0u);
        EXPECT_EQ(LG_SetInt(w, "n", lgRoot, &layer0, 1, 0, 1), 0);
        EXPECT_EQ(map_LG_Create(w, "n", &out, &layer0, 1, 0), 0);
        EXPECT_EQ(out, 0u);
        EXPECT_EQ(map_LG_Set(w, "n", lgRoot, &layer0, 1, 0), 0);
        EXPECT_EQ(map_LG_Get(w, lgRoot, &len, buf, sizeof buf, &count, &out, 1), 0);
        EXPECT_EQ(count, -5);
        EXPECT_EQ(DeleteGroupsFromTree(w, lgRoot), 0);
        EXPECT_EQ(ResetLayerGroups(w), 0);
    }
    EXPECT_EQ(targets(aspect, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{lgRoot, group}));
    EXPECT_EQ(targets(lgRoot, REF_GROUP_MEMBER), rootMembersBefore);
}

} // namespace

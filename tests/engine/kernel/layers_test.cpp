#include "docmodel_fixture.h"

#include <cstring>

using namespace docmodeltest;

namespace {

using LayersTest = DocModelTest;

TEST_F(LayersTest, NewRootHoldsLayerZeroActive)
{
    const OBJHANDLE root = CreateLayersRoot(kernel);
    ASSERT_NE(root, 0u);
    const auto layersOfRoot = targets(root, REF_LAYER_MEMBER);
    ASSERT_EQ(layersOfRoot.size(), 1u);
    EXPECT_EQ(GetActiveLayer(kernel, root), layersOfRoot[0]);
    EXPECT_EQ(number(layersOfRoot[0]), 0);
    EXPECT_EQ(name(layersOfRoot[0]), "");

    // Initial record of a layer.
    const char *p = OBJectLock(kernel, layersOfRoot[0]);
    EXPECT_EQ(LoadField<uint16_t>(p, GOH_FLAGS), 7);
    EXPECT_EQ(LoadField<uint8_t>(p, offsetof(Layer, visible)), 1);
    EXPECT_EQ(LoadField<uint32_t>(p, offsetof(Layer, fill)), 0xFFFFFFFFu);
    EXPECT_EQ(LoadField<uint16_t>(p, offsetof(Layer, attrMask)), 0xFF);
    EXPECT_EQ(LoadField<uint32_t>(p, offsetof(Layer, lineWidth)), 1u);
}

TEST_F(LayersTest, NewLayersAreNumberedAndKeptBeforeThePageLayer)
{
    for (int32_t asked : {-1, 1}) {
        SCOPED_TRACE(asked);
        const OBJHANDLE root = CreateLayersRoot(kernel);
        const OBJHANDLE l0 = targets(root, REF_LAYER_MEMBER)[0];
        const OBJHANDLE l1 = CreateLayerOBJect(kernel, root, 1, "roads");
        const OBJHANDLE page = CreateLayerOBJect(kernel, root, PAGE_LAYER_NUMBER, PAGE_LAYER_NAME);
        const OBJHANDLE made = CreateLayerOBJect(kernel, root, asked, "new");
        ASSERT_NE(made, 0u);
        EXPECT_EQ(number(made), 2);
        EXPECT_EQ(targets(root, REF_LAYER_MEMBER), (std::vector<OBJHANDLE>{l0, l1, made, page}));
        EXPECT_EQ(FindMaxLayerNumber(kernel, root), 2);
        EXPECT_EQ(IsPageLayer(kernel, page), 1);
    }
}

TEST_F(LayersTest, NumberingWithoutOrdinaryLayers)
{
    const OBJHANDLE bare = CreateOBJect(kernel, CLASS_LAYERS);
    EXPECT_EQ(FindMaxLayerNumber(kernel, bare), 0);
    const OBJHANDLE page = CreateLayerOBJect(kernel, bare, PAGE_LAYER_NUMBER, PAGE_LAYER_NAME);
    for (int32_t asked : {-5, int32_t(PAGE_LAYER_NUMBER)}) {
        const OBJHANDLE made = CreateLayerOBJect(kernel, bare, asked, "x");
        EXPECT_EQ(number(made), 0) << asked;
        EXPECT_EQ(targets(bare, REF_LAYER_MEMBER).back(), page);
        OBJectDelete(kernel, made);
    }
    // The system layer is left out of the highest number.
    EXPECT_EQ(FindMaxLayerNumber(kernel, bare), 0);
    // Without a root the layer is made unlinked.
    const OBJHANDLE loose = CreateLayerOBJect(kernel, 0, -3, "loose");
    ASSERT_NE(loose, 0u);
    EXPECT_EQ(number(loose), 0);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, loose, 0), 0u);
}

TEST_F(LayersTest, FindLayerByNumberNameOrActive)
{
    const OBJHANDLE a = CreateLayerOBJect(kernel, layers, 5, "water");
    const OBJHANDLE b = CreateLayerOBJect(kernel, layers, 6, "water");
    EXPECT_EQ(FindLayer(kernel, layers, -1, nullptr), layer0);
    EXPECT_EQ(FindLayer(kernel, layers, -1, "water"), a);
    EXPECT_EQ(FindLayer(kernel, layers, 6, nullptr), b);
    EXPECT_EQ(FindLayer(kernel, layers, 6, "water"), b);
    EXPECT_EQ(FindLayer(kernel, layers, 5, "Water"), 0u); // names compare case-sensitively
    EXPECT_EQ(FindLayer(kernel, layers, 7, nullptr), 0u);
}

TEST_F(LayersTest, RenameAndRenumber)
{
    const OBJHANDLE a = CreateLayerOBJect(kernel, layers, 3, "a");
    EXPECT_EQ(LayerNumberNameSet(kernel, a, 0, "taken"), -1); // layer 0 has it
    EXPECT_EQ(number(a), 3);
    EXPECT_EQ(name(a), "a");

    EXPECT_EQ(LayerNumberNameSet(kernel, a, -1, "renamed"), 0);
    EXPECT_EQ(number(a), 3);
    EXPECT_EQ(name(a), "renamed");

    EXPECT_EQ(LayerNumberNameSet(kernel, a, 9, nullptr), 0);
    EXPECT_EQ(number(a), 9);
    EXPECT_EQ(name(a), "renamed");

    // A long name is cut to the field, never written past it.
    const std::string longName(80, 'n');
    EXPECT_EQ(LayerNumberNameSet(kernel, a, -1, longName.c_str()), 0);
    EXPECT_EQ(name(a), std::string(47, 'n'));
    EXPECT_EQ(number(a), 9);

    // The page layer's number stays reserved for it.
    EXPECT_EQ(LayerNumberNameSet(kernel, a, PAGE_LAYER_NUMBER, nullptr), -1);
    const OBJHANDLE early = CreateLayerOBJect(kernel, layers, PAGE_LAYER_NUMBER, "early");
    EXPECT_NE(number(early), PAGE_LAYER_NUMBER);

    // A layer outside a root cannot be renumbered.
    const OBJHANDLE loose = CreateLayerOBJect(kernel, 0, 1, "loose");
    EXPECT_EQ(LayerNumberNameSet(kernel, loose, 4, "x"), -1);

    // The page layer reads as a system layer.
    const OBJHANDLE page = makePageLayer();
    char buf[LAYER_NAME_SIZE] = "junk";
    EXPECT_EQ(LayerNumberNameGet(kernel, page, buf), -1);
    EXPECT_STREQ(buf, "");
}

TEST_F(LayersTest, LayerStyleReachesItsObjects)
{
    char *p = OBJectLock(kernel, layer0);
    StoreField<COLORREF>(p, offsetof(Layer, lineColor), 0x0000FF);
    StoreField<uint8_t>(p, offsetof(Layer, lineStyle), 7);
    StoreField<uint32_t>(p, offsetof(Layer, lineWidth), 3);
    StoreField<uint8_t>(p, offsetof(Layer, lineOptions), 0x02);
    StoreField<uint32_t>(p, offsetof(Layer, fill), 0x03123456); // hatch code 3
    StoreField<uint16_t>(p, offsetof(Layer, attrMask), GD_LINECOLOR | GD_LINEWIDTH | GD_FILLPATTERN);

    const OBJHANDLE obj = makeObject(layer0);
    GraphDispl rec{};
    rec.mask = GD_LINECOLOR | GD_LINESTYLE;
    rec.lineColor = 0x00FF00;
    rec.lineStyle = 2;
    ASSERT_EQ(GetLayerAttributes(kernel, obj, &rec), 1);
    // The layer's values win where it supplies them; the fill adds mask bit 8.
    EXPECT_EQ(rec.lineColor, 0x0000FFu);
    EXPECT_EQ(rec.lineWidth, 3u);
    EXPECT_EQ(rec.lineStyle, 2);
    EXPECT_EQ(rec.fillColor, 0x123456u);
    EXPECT_EQ(rec.fillPattern, 2);
    EXPECT_EQ(rec.lineOptions, 0x02);
    EXPECT_EQ(rec.mask, GD_LINECOLOR | GD_LINESTYLE | GD_LINEWIDTH | GD_FILLCOLOR | GD_FILLPATTERN);

    // Asked with priority 0 the caller's values stay.
    GraphDispl mine{};
    mine.mask = GD_LINECOLOR;
    mine.lineColor = 0x00FF00;
    SendOBJectMessage(kernel, 0, layer0, 0, GRM_GETATTRIBUTES, 0, LPARAM(&mine));
    EXPECT_EQ(mine.lineColor, 0x00FF00u);
    EXPECT_EQ(mine.lineWidth, 3u);

    // Through the Layers root: the active layer answers.
    GraphDispl viaRoot{};
    EXPECT_EQ(GetLayerAttributes(kernel, layers, &viaRoot), 1);
    EXPECT_EQ(viaRoot.lineColor, 0x0000FFu);

    // No fill: no fill colour and no hatch.
    StoreField<uint32_t>(OBJectLock(kernel, layer0), offsetof(Layer, fill), 0xFFFFFFFF);
    StoreField<uint16_t>(OBJectLock(kernel, layer0), offsetof(Layer, attrMask), 0xFF);
    GraphDispl none{};
    SendOBJectMessage(kernel, 0, layer0, 0, GRM_GETATTRIBUTES, 1, LPARAM(&none));
    EXPECT_EQ(none.fillColor, 0xFFFFFFFFu);
    EXPECT_EQ(none.fillPattern, 0xFFFF);
    EXPECT_EQ(none.mask, 0xFFu);

    // An object on no layer has no layer attributes.
    GraphDispl loose{};
    EXPECT_EQ(GetLayerAttributes(kernel, makeObject(), &loose), 0);
}

TEST_F(LayersTest, VisibilitySelectabilityAndLineOptionsByMessage)
{
    EXPECT_EQ(SendOBJectMessage(kernel, 0, layer0, 0, GRM_SETVISIBLE, 0x100, 0), 1);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, layer0, 0, GRM_GETVISIBLE, 0, 0), 0);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, layer0, 0, GRM_SETSELECTABLE, 0, 0), 1);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, layer0, 0, GRM_GETSELECTABLE, 0, 0), 0);
    StoreField<uint8_t>(OBJectLock(kernel, layer0), offsetof(Layer, lineOptions), 5);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, layer0, 0, GRM_GETLINEOPTIONS, 0, 0), 5);
    GraphDispl rec{};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, layer0, 0, GRM_SETATTRIBUTES, 1, LPARAM(&rec)), 0);

    char line[130] = {};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, layer0, 0, OBJM_INFOLINE, 0, LPARAM(line)), 1);
    EXPECT_NE(std::strstr(line, "<Layer>"), nullptr);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, layers, 0, OBJM_INFOLINE, 0, LPARAM(line)), 1);
    EXPECT_NE(std::strstr(line, "<Layers>"), nullptr);
}

TEST_F(LayersTest, ScaleVisibility)
{
    struct Case {
        double from, to, scale;
        int visible;
    };
    const Case cases[] = {
        {0, 0, 1e9, 1},    {0, 0, -5, 1},           {50000, 1000, 60000, 0}, {50000, 1000, 500, 0},
        {50000, 0, 10, 1}, {50000, 1000, 50000, 1}, {50000, 1000, 1000, 1},  {0, 1000, 999.99, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsLayerSclVisible(c.from, c.to, c.scale), c.visible)
            << c.from << " " << c.to << " " << c.scale;

    EXPECT_EQ(LayerZoomSet(kernel, layer0, 50000, 1000), 1);
    double from = 0, to = 0;
    EXPECT_EQ(LayerZoomGet(kernel, layer0, &from, nullptr), 1);
    EXPECT_EQ(LayerZoomGet(kernel, layer0, nullptr, &to), 1);
    EXPECT_EQ(from, 50000);
    EXPECT_EQ(to, 1000);
    EXPECT_EQ(IsLayerSclVisible(from, to, 60000), 0);
}

TEST_F(LayersTest, FlagsAndTransparency)
{
    EXPECT_EQ(LayerFlagSet(kernel, layer0, 0x8001), 1);
    EXPECT_EQ(LayerFlagGet(kernel, layer0), 0x8001);
    EXPECT_EQ(LayerTrnsparencySet(kernel, layer0, 0x10032), 1);
    EXPECT_EQ(LayerTrnsparencyGet(kernel, layer0), 0x32);
    const OBJHANDLE notLayer = makeObject();
    EXPECT_EQ(LayerTrnsparencyGet(kernel, notLayer), 255);
    EXPECT_EQ(LayerFlagGet(kernel, notLayer), 0);
    EXPECT_EQ(LayerFlagSet(kernel, notLayer, 1), 0);
}

TEST_F(LayersTest, MovesKeepThePageLayerLastAndTheActiveLayer)
{
    const OBJHANDLE l1 = CreateLayerOBJect(kernel, layers, 1, "one");
    const OBJHANDLE l2 = CreateLayerOBJect(kernel, layers, 2, "two");
    const OBJHANDLE page = makePageLayer();
    ASSERT_EQ(LayersActiveLayerSet(kernel, layers, l1), 1);

    EXPECT_EQ(LayerPlaceSet(kernel, page, 0, 0, 0), 0);
    EXPECT_EQ(LayerPlaceSet(kernel, layer0, -1, 0, 0), 0);

    EXPECT_EQ(LayerPlaceSet(kernel, layer0, 99, 0, 0), 1);
    EXPECT_EQ(layerOrder(), (std::vector<OBJHANDLE>{l1, l2, layer0, page}));
    EXPECT_EQ(GetActiveLayer(kernel, layers), l1);

    EXPECT_EQ(LayerPlaceSet(&record, l2, 0, 0), 1);
    EXPECT_EQ(layerOrder(), (std::vector<OBJHANDLE>{l2, l1, layer0, page}));
    EXPECT_EQ(GetActiveLayer(kernel, layers), l1);

    EXPECT_EQ(LayerPlaceSet(kernel, l1, 1, all, 0), 1); // after removal, place 1 is layer0's
    EXPECT_EQ(layerOrder(), (std::vector<OBJHANDLE>{l2, l1, layer0, page}));
    EXPECT_EQ(LayerPlaceGet(kernel, layer0, 0), 2);
    EXPECT_EQ(LayerPlaceGet(&record, page), 3);
    EXPECT_EQ(LayerPlaceGet(kernel, CreateLayerOBJect(kernel, 0, 1, "loose"), all), -1);
    EXPECT_EQ(GetPageLayer(window), page);
}

TEST_F(LayersTest, ActiveLayerSurvivesDeletionOfOtherLayers)
{
    const OBJHANDLE l1 = CreateLayerOBJect(kernel, layers, 1, "one");
    const OBJHANDLE l2 = CreateLayerOBJect(kernel, layers, 2, "two");
    const OBJHANDLE page = makePageLayer();
    ASSERT_EQ(LayersActiveLayerSet(kernel, layers, l2), 1);

    OBJectDelete(kernel, layer0);
    EXPECT_EQ(GetActiveLayer(kernel, layers), l2);
    EXPECT_EQ(FindLayer(kernel, layers, -1, nullptr), l2);

    // A new layer inserted before the active one does not take its place.
    const OBJHANDLE l3 = CreateLayerOBJect(kernel, layers, 3, "three");
    EXPECT_EQ(GetActiveLayer(kernel, layers), l2);

    // The active layer itself gone: the first ordinary layer, never the page.
    OBJectDelete(kernel, l2);
    EXPECT_EQ(GetActiveLayer(kernel, layers), l1);
    OBJectDelete(kernel, l1);
    OBJectDelete(kernel, l3);
    EXPECT_EQ(GetActiveLayer(kernel, layers), 0u);
    EXPECT_EQ(layerOrder(), std::vector<OBJHANDLE>{page});
}

TEST_F(LayersTest, ActiveSlotNamingANonLayerGivesALayer)
{
    // Slot 1 of the root is its link back to AllOBJects.
    ASSERT_NE(GetNthReferenceID(kernel, layers, 1), REF_LAYER_MEMBER);
    StoreField<int32_t>(OBJectLock(kernel, layers), offsetof(Layers, activeSlot), 1);
    EXPECT_EQ(GetActiveLayer(kernel, layers), layer0);
    StoreField<int32_t>(OBJectLock(kernel, layers), offsetof(Layers, activeSlot), 1000);
    EXPECT_EQ(GetActiveLayer(kernel, layers), layer0);
}

TEST_F(LayersTest, CompareLayers)
{
    auto withNumber = [&](int32_t n) {
        const OBJHANDLE l = CreateLayerOBJect(kernel, 0, 0, "");
        StoreField(OBJectLock(kernel, l), offsetof(Layer, number), n);
        return l;
    };
    const OBJHANDLE n3 = withNumber(3), n7 = withNumber(7), n40000 = withNumber(40000);
    const OBJHANDLE other = makeObject();
    struct Case {
        OBJHANDLE a, b;
        int result;
    };
    const Case cases[] = {
        {n3, n7, 5},     {n7, n40000, -1}, {n40000, n7, 1}, {n7, n7, 0},
        {n3, other, -1}, {other, n3, 1},   {0, n3, 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CompareLayers(kernel, REF_LAYER_MEMBER, c.a, 0, c.b), c.result) << c.a << " " << c.b;
    EXPECT_EQ(CompareLayers(kernel, 0, other, 0, other), 0);
}

TEST_F(LayersTest, ObjectLayerAndNumber)
{
    const OBJHANDLE l5 = CreateLayerOBJect(kernel, layers, 5, "five");
    const OBJHANDLE on = makeObject(l5);
    const OBJHANDLE off = makeObject();
    EXPECT_EQ(GetOBJectLayer(kernel, on), l5);
    EXPECT_EQ(GetOBJectLayerNumber(kernel, on), 5);
    EXPECT_EQ(GetOBJectLayer(kernel, off), 0u);
    EXPECT_EQ(GetOBJectLayerNumber(kernel, off), int32_t(off | 0x8000));
    EXPECT_EQ(GetOBJectLayerNumber(kernel, 0x1234), 0x9234);
    // Drawn last: appended.
    const OBJHANDLE second = makeObject(l5);
    EXPECT_EQ(targets(l5, REF_LAYER_MEMBER), (std::vector<OBJHANDLE>{on, second}));
}

TEST_F(LayersTest, ByteToColourPalette)
{
    const std::pair<uint8_t, uint32_t> cases[] = {
        {0, 0x000000},    {1, 0x000080},  {7, 0xC0C0C0},  {9, 0x0000FF},   {15, 0xFFFFFF},
        {16, 0xFFFFFFFF}, {17, 0x000000}, {18, 0x000080}, {255, 0x000000},
    };
    for (auto [index, colour] : cases)
        EXPECT_EQ(ByteToColour(index), colour) << int(index);
}

TEST_F(LayersTest, RootBoundRectLeavesSystemLayersOut)
{
    makeObject(layer0, {0, 0, 10, 10});
    const OBJHANDLE page = makePageLayer();
    makeObject(page, {-500, -500, 900, 900});
    _COORDRECT r{};
    SendOBJectMessage(kernel, 0, layers, 0, GRM_GETBOUNDRECT, 1, LPARAM(&r));
    EXPECT_EQ(r.x1, 0);
    EXPECT_EQ(r.y1, 0);
    EXPECT_EQ(r.x2, 10);
    EXPECT_EQ(r.y2, 10);
}

TEST_F(LayersTest, ClipRectangle)
{
    MAP_COORDRECT out{1, 1, 1, 1};
    EXPECT_EQ(LayersClipRectGet(window, 0, &out), 0);
    const MAP_COORDRECT clip{-10, 20, 30, 40};
    EXPECT_EQ(LayersClipRectSet(window, 0, &clip), 1);
    EXPECT_EQ(LayersClipRectGet(window, layers, &out), 1);
    EXPECT_EQ(out.x1, -10);
    EXPECT_EQ(out.y2, 40);
    EXPECT_EQ(LayersClipRectSet(window, layers, nullptr), 0);
    EXPECT_EQ(LayersClipRectGet(window, 0, nullptr), 0);
}

} // namespace

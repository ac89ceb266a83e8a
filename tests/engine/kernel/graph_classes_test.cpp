#include "graph_fixture.h"

#include "engine/kernel/graph_services.h"

#include <cstring>
#include <string>

using namespace graphtest;

TEST_F(GraphTest, ClassTableHasTheRegisteredSizesInOrder)
{
    struct Row {
        uint16_t id;
        const char *name;
        uint32_t fixed, block, slots, reserve;
        uint16_t mode;
    } rows[] = {
        {0x4020, "AllOBJects", 100, 208, 10, 0, 0x101},
        {0x8FFE, "Undo", 64, 256, 20, 0, 0x101},
        {0x400E, "SelList", 84, 272, 20, 0, 0x101},
        {0x400F, "IdsList", 4, 192, 20, 0, 0x104},
        {0x5001, "Layers", 140, 176, 1, 0, 0x101},
        {0x5002, "Layer", 208, 256, 2, 0, 0x101},
        {0x6003, "Groups", 52, 96, 2, 0, 0x104},
        {0x6004, "Aspect", 68, 112, 2, 0, 0x101},
        {0x6005, "Group", 48, 96, 2, 0, 0x001},
        {0x6006, "District", 4, 48, 2, 0, 0x001},
        {0x0008, "Polygon", 52, 128, 4, 16, 0x001},
        {0x0009, "Polyline", 52, 128, 4, 16, 0x001},
        {0x4010, "Id", 24, 96, 4, 8, 0x001},
        {0x000B, "Text", 200, 272, 4, 8, 0x001},
        {0x000D, "Legend", 356, 432, 5, 8, 0x001},
        {0x0011, "Points", 28, 64, 1, 0, 0x101},
        {0x0012, "BitMap", 280, 352, 5, 0, 0x001},
        {0x4013, "GisList", 6, 208, 21, 0, 0x101},
        {0x4014, "Gis", 6, 64, 3, 0, 0x001},
        {0x4015, "BlockList", 2, 112, 10, 0, 0x104},
        {0x0016, "Page", 176, 224, 2, 0, 0x001},
        {0x0019, "Z_OBJ", 16, 64, 2, 0, 0x001},
        {0x0017, "Extra_OBJ", 8, 48, 1, 0, 0x001},
        {0x0040, "Nail_OBJ", 120, 192, 5, 0, 0x001},
        {0x0041, "Present", 36, 80, 2, 0, 0x001},
        {0x4042, "PresList", 0, 48, 2, 0, 0x001},
        {0x4043, "PresDescr", 132, 176, 2, 0, 0x001},
        {0x4044, "PresDescrCol", 404, 448, 2, 0, 0x001},
    };
    ASSERT_EQ(GetNumberOfClasses(), 28);
    for (int i = 0; i < 28; ++i) {
        const Row &r = rows[i];
        SCOPED_TRACE(r.name);
        const OBJectClassDescr *d = ClassDescrByIndex(uint32_t(i));
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->classId, r.id);
        EXPECT_EQ(d->blockSize, r.block);
        EXPECT_EQ(d->slots, r.slots);
        EXPECT_EQ(d->reserve, r.reserve);
        EXPECT_EQ(d->fixedEnd, 28 + r.fixed);
        EXPECT_EQ(d->mode, r.mode);
        EXPECT_EQ(std::string(d->name), i == 0 ? "AllOBJects" : r.name);
        // A new object has the layout the descriptor promises.
        const OBJHANDLE h = CreateOBJect(kernel, r.id);
        ASSERT_NE(h, 0u);
        EXPECT_EQ(GetOBJectSize(kernel, h), r.block);
        EXPECT_EQ((HeadDataOffset(kernel, h) - HeadRefsOffset(kernel, h)) / 8, r.slots);
        EXPECT_EQ(DataSpaceSize(kernel, h), r.reserve);
        EXPECT_EQ(GetOBJectFlag(kernel, h, 0x0107), r.mode);
    }
}

TEST_F(GraphTest, NewDocumentHasItsRootsInOrder)
{
    const std::vector<uint16_t> expected = {CLASS_LAYERS,  CLASS_GROUPS,  CLASS_UNDO,    CLASS_SELLIST,
                                            CLASS_IDSLIST, CLASS_GISLIST, CLASS_PRESLIST};
    std::vector<uint16_t> got;
    for (int32_t i = 0; i < int32_t(GetNumberOfReferencesFrom(kernel, all, 0)); ++i) {
        EXPECT_EQ(GetNthReferenceID(kernel, all, i), REF_ROOT);
        got.push_back(GetOBJectClassID(kernel, GetNthReferenced(kernel, all, i)));
    }
    EXPECT_EQ(got, expected);

    // AllOBjects, the seven roots, layer 0, the permanent aspect and the
    // layer-group root that holds layer 0.
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), 11u);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_LAYER), 1u);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, CLASS_ASPECT), 1u);
    const OBJHANDLE aspect = FirstReference(kernel, groups, REF_GROUP_MEMBER, nullptr);
    EXPECT_STREQ(OBJectLock(kernel, aspect) + 48, "$Permanent");
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel, all), ALL_WINDOW), window);

    struct Case {
        uint16_t asked;
        OBJHANDLE root;
    } cases[] = {
        {CLASS_LAYERS, layers},  {CLASS_LAYER, layers}, {0x1000, layers},         {CLASS_GROUPS, groups},
        {CLASS_GROUP, groups},   {CLASS_UNDO, undo},    {CLASS_SELLIST, selList}, {CLASS_IDSLIST, idsList},
        {CLASS_ALLOBJECTS, all}, {CLASS_POLYGON, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GetRootOBJect(window, c.asked), c.root) << std::hex << c.asked;
}

TEST_F(GraphTest, RootsAreFoundFromBelowAndClimbsEndOnCycles)
{
    const OBJHANDLE poly = makePointSet(CLASS_POLYGON, {{0, 0}, {10, 10}});
    putOn(layer, poly);
    EXPECT_EQ(GetRootOBJectOf(kernel, poly, 0), all);
    EXPECT_EQ(GetRootOBJectOf(kernel, poly, CLASS_LAYERS), layers);
    EXPECT_EQ(GetRootOBJectOf(kernel, layer, 0), layers);
    EXPECT_EQ(GetRootOBJectOf(kernel, poly, CLASS_SELLIST), selList);
    EXPECT_EQ(FindRootOBJect(kernel, poly, CLASS_LAYERS), layers);
    EXPECT_EQ(FindRootOBJect(kernel, layer, 0), layers);
    EXPECT_EQ(FindRootOBJect(kernel, poly, CLASS_ALLOBJECTS), all);
    EXPECT_EQ(GetOBJectWnd(kernel, poly), window);

    // Two groups that hold each other by their back links, and nothing above.
    const OBJHANDLE a = CreateOBJect(kernel, CLASS_GROUP);
    const OBJHANDLE b = CreateOBJect(kernel, CLASS_GROUP);
    putOn(a, b, REF_GROUP_MEMBER);
    putOn(b, a, REF_GROUP_MEMBER);
    EXPECT_EQ(GetRootOBJectOf(kernel, a, CLASS_SELLIST), 0u);
    EXPECT_EQ(FindRootOBJect(kernel, a, 0), 0u);
    EXPECT_EQ(GetOBJectWnd(kernel, b), 0u);
}

TEST_F(GraphTest, SetRootReplacesTheRootOfItsClass)
{
    const OBJHANDLE fresh = CreateOBJect(kernel, CLASS_SELLIST);
    EXPECT_EQ(SetRootOBJect(window, fresh), fresh);
    EXPECT_EQ(GetRootOBJect(window, CLASS_SELLIST), fresh);
    EXPECT_EQ(GetOBJectClassID(kernel, selList), 0) << "the old root is deleted";
    EXPECT_EQ(SetRootOBJect(window, fresh), fresh) << "setting the root again keeps it";
    EXPECT_EQ(GetOBJectClassID(kernel, fresh), CLASS_SELLIST);
    EXPECT_EQ(SetRootOBJect(window, 0), 0u);

    // A second document's AllOBjects takes over the window.
    const OBJHANDLE other = CreateRootOBJects(kernel, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, 0u);
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel, other), ALL_WINDOW), 0u);
    EXPECT_EQ(SetRootOBJect(window, other), other);
    EXPECT_EQ(record.rootObject, other);
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel, other), ALL_WINDOW), window);
    EXPECT_NE(GetRootOBJect(window, CLASS_LAYERS), layers);
}

TEST_F(GraphTest, LeafCountAndSelectionListPoints)
{
    EXPECT_EQ(GraphGetNumberOfLeafOBJS(window), 0);
    for (int i = 0; i < 3; ++i)
        putOn(layer, makePointSet(CLASS_POLYLINE, {{i, i}}));
    EXPECT_EQ(GraphGetNumberOfLeafOBJS(window), 3);

    _COORDPT p1{1, 1}, p2{2, 2};
    SelListPointsGet(window, &p1, &p2);
    EXPECT_EQ(p1.x, INT32_MAX);
    EXPECT_EQ(p2.y, INT32_MAX);
    const _COORDPT a{5, -6};
    SelListPointsSet(window, &a, nullptr);
    SelListPointsGet(window, &p1, &p2);
    EXPECT_EQ(p1.x, 5);
    EXPECT_EQ(p1.y, -6);
    EXPECT_EQ(p2.x, INT32_MAX);
}

TEST_F(GraphTest, CreateRootsRefusesANullKernel)
{
    OBJHANDLE l = 7;
    EXPECT_EQ(CreateRootOBJects(nullptr, window, &l, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(l, 7u);
}

TEST_F(GraphTest, CompareBlocksOrdersAllObjectsFirstThenByText)
{
    const OBJHANDLE a1 = CreateOBJect(kernel, CLASS_ALLOBJECTS);
    const OBJHANDLE a2 = CreateOBJect(kernel, CLASS_ALLOBJECTS);
    std::strcpy(OBJectLock(kernel, a1) + ALL_KEY, "abc");
    std::strcpy(OBJectLock(kernel, a2) + ALL_KEY, "abd");
    const OBJHANDLE p = CreateOBJect(kernel, CLASS_POLYGON);
    const OBJHANDLE q = CreateOBJect(kernel, CLASS_POLYGON);
    EXPECT_LT(CompareBlocks(kernel, 0, a1, 0, a2), 0);
    EXPECT_GT(CompareBlocks(kernel, 0, a2, 0, a1), 0);
    EXPECT_EQ(CompareBlocks(kernel, 0, a1, 0, a1), 0);
    EXPECT_EQ(CompareBlocks(kernel, 0, a1, 0, p), -1);
    EXPECT_EQ(CompareBlocks(kernel, 0, p, 0, a1), 1);
    EXPECT_EQ(CompareBlocks(kernel, 0, p, 0, q), p < q ? -1 : 1);
    EXPECT_EQ(CompareBlocks(kernel, 0, 0, 0, p), -2);
    EXPECT_EQ(CompareBlocks(kernel, 0, p, 0, 99999), 2);
    // A high byte sorts below a low one: bytes compare as signed values.
    OBJectLock(kernel, a2)[ALL_KEY] = char(0xE9);
    EXPECT_GT(CompareBlocks(kernel, 0, a1, 0, a2), 0);
    // An unterminated key stops at the end of the record.
    std::memset(OBJectLock(kernel, a1) + ALL_KEY, 'x', ALL_FIXED_SIZE - ALL_KEY);
    std::memset(OBJectLock(kernel, a2) + ALL_KEY, 'x', ALL_FIXED_SIZE - ALL_KEY);
    EXPECT_EQ(CompareBlocks(kernel, 0, a1, 0, a2), 0);
}

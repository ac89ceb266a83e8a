#include "docmodel_fixture.h"

#include <cstring>

using namespace docmodeltest;

namespace {

class SelectionListTest : public DocModelTest {
protected:
    // obj in g2 in g1 under the aspect, all on layer 0.
    void makeNest()
    {
        obj = makeObject(layer0);
        g2 = makeGroup(0, {obj});
        g1 = makeGroup(aspect, {g2});
    }

    OBJHANDLE current()
    {
        const LRESULT r = SendOBJectMessage(kernel, 0, selList, 0, GRM_GETSELECTED, 0, 0);
        return r > 0 ? OBJHANDLE(r) : 0;
    }

    OBJHANDLE obj = 0, g1 = 0, g2 = 0;
};

TEST_F(SelectionListTest, SelectNextGroupLevelCyclesOutermostToObject)
{
    makeNest();
    const _COORDPT pt{3, 4};
    const OBJHANDLE expected[] = {g1, g2, obj, g1, g2};
    for (OBJHANDLE e : expected) {
        EXPECT_EQ(SelectNextGroupLevel(kernel, selList, obj, &pt), e);
        EXPECT_EQ(selected(), std::vector<OBJHANDLE>{e});
    }
    // The list remembers the object and where it was picked.
    _COORDPT got{};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, selList, 0, GRM_GETSELECTED, 0, LPARAM(&got)), LRESULT(obj));
    EXPECT_EQ(got.x, 3);
    EXPECT_EQ(got.y, 4);
}

TEST_F(SelectionListTest, SetSelectionSelectsExactlyTheHandles)
{
    makeNest();
    const OBJHANDLE other = makeObject(layer0);
    const OBJHANDLE one[] = {obj};
    EXPECT_EQ(SetSelection(window, one, 1, 0, 1), 1u);
    EXPECT_EQ(selected(), std::vector<OBJHANDLE>{obj});

    const OBJHANDLE group[] = {g2};
    EXPECT_EQ(SetSelection(window, group, 1, 0, 0), 1u);
    EXPECT_EQ(selected(), std::vector<OBJHANDLE>{g2});

    // Added in array order; null and bad handles are passed over. Selecting
    // obj takes its selected group out.
    const OBJHANDLE more[] = {0, other, 0x7FFFFF00, obj};
    EXPECT_EQ(SetSelection(window, more, 4, 1, 0), 2u);
    EXPECT_EQ(selected(), (std::vector<OBJHANDLE>{other, obj}));
    EXPECT_EQ(GetNumberOfSelected(kernel, selList), 2);

    // An empty group is skipped.
    const OBJHANDLE empty[] = {makeGroup(aspect, {})};
    EXPECT_EQ(SetSelection(window, empty, 1, 0, 0), 0u);
    EXPECT_EQ(GetNumberOfSelected(kernel, selList), 0);
}

TEST_F(SelectionListTest, FlagsFollowTheSelection)
{
    makeNest();
    const OBJHANDLE leaf2 = makeObject(layer0);
    PutInGroup(kernel, leaf2, g2);
    const OBJHANDLE single = makeObject(layer0);

    SelectNextGroupLevel(kernel, selList, obj, nullptr); // g1
    AddToSelectionWithoutRemoving(kernel, selList, single);
    EXPECT_TRUE(graphFlags(g1) & GF_SELECTED);
    EXPECT_FALSE(graphFlags(g1) & GF_DRAWNSELECTED); // a list is not drawn itself
    for (OBJHANDLE leaf : {obj, leaf2, single})
        EXPECT_TRUE(graphFlags(leaf) & GF_DRAWNSELECTED) << leaf;
    EXPECT_FALSE(graphFlags(obj) & GF_SELECTED);
    EXPECT_EQ(selected(), (std::vector<OBJHANDLE>{g1, single}));

    EXPECT_EQ(SelListClear(kernel, selList), selList);
    EXPECT_TRUE(selected().empty());
    for (OBJHANDLE h : {g1, obj, leaf2, single})
        EXPECT_EQ(graphFlags(h) & (GF_SELECTED | GF_DRAWNSELECTED), 0) << h;
    EXPECT_EQ(current(), 0u);
}

TEST_F(SelectionListTest, OrderCountAndDuplicates)
{
    const OBJHANDLE a = makeObject(layer0), b = makeObject(layer0), c = makeObject(layer0);
    EXPECT_EQ(GetNumberOfSelected(kernel, selList), 0);
    AddToSelectionWithoutRemoving(kernel, selList, c);
    EXPECT_EQ(GetNumberOfSelected(kernel, selList), 1);
    AddToSelectionWithoutRemoving(kernel, selList, a);
    AddToSelectionWithoutRemoving(kernel, selList, b);
    EXPECT_EQ(selected(), (std::vector<OBJHANDLE>{c, a, b}));
    EXPECT_EQ(GetNumberOfSelected(kernel, selList), 2);
    EXPECT_EQ(current(), b);

    const uint16_t before = graphFlags(a);
    AddToSelectionWithoutRemoving(kernel, selList, a);
    EXPECT_EQ(selected(), (std::vector<OBJHANDLE>{c, a, b, a}));
    EXPECT_EQ(graphFlags(a), before);
}

TEST_F(SelectionListTest, RemovingTheCurrentObjectChoosesTheLastSelected)
{
    makeNest();
    const OBJHANDLE tail = makeObject(layer0);
    const OBJHANDLE x = makeObject(layer0);
    SelectNextGroupLevel(kernel, selList, obj, nullptr); // g1
    AddToSelectionWithoutRemoving(kernel, selList, tail);
    AddToSelectionWithoutRemoving(kernel, selList, x);
    ASSERT_EQ(current(), x);

    RemoveReference(kernel, selList, REF_SELECTED, x);
    EXPECT_EQ(current(), tail);
    EXPECT_EQ(OBJHANDLE(SendOBJectMessage(kernel, 0, selList, 0, GRM_GETSELECTED, 1, 0)), x);

    RemoveReference(kernel, selList, REF_SELECTED, tail);
    // Through the selected group to its last member, level by level.
    EXPECT_EQ(current(), obj);
    SelListClear(kernel, selList);
    EXPECT_EQ(current(), 0u);
    EXPECT_EQ(OBJHANDLE(SendOBJectMessage(kernel, 0, selList, 0, GRM_GETSELECTED, 1, 0)), tail);
}

TEST_F(SelectionListTest, DeletingSelectedObjectsLeavesTheListConsistent)
{
    makeNest();
    const OBJHANDLE other = makeObject(layer0);
    SelectNextGroupLevel(kernel, selList, obj, nullptr); // g1
    AddToSelectionWithoutRemoving(kernel, selList, other);
    OBJectDelete(kernel, other);
    EXPECT_EQ(selected(), std::vector<OBJHANDLE>{g1});
    EXPECT_EQ(current(), obj); // through g1 to its last leaf
    OBJectDelete(kernel, g1);
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(GetNumberOfSelected(kernel, selList), 0);
    EXPECT_EQ(graphFlags(obj) & GF_DRAWNSELECTED, 0);
}

TEST_F(SelectionListTest, NotificationsCarryTheWholeHandle)
{
    ASSERT_EQ(map_notification_Set(window, target, kNotifyMessage), 0u) << "no previous target";
    // Fill the store until handles pass 16 bits.
    OBJHANDLE big = 0;
    for (int i = 0; i < 0x11000 && big <= 0xFFFF; ++i)
        big = CreateOBJect(kernel, CLASS_EXTRA);
    ASSERT_GT(big, 0xFFFFu);
    const OBJHANDLE object = makeObject(layer0);
    ASSERT_GT(object, 0xFFFFu);
    notifications.clear();

    SelectNextGroupLevel(kernel, selList, object, nullptr);
    SelListClear(kernel, selList);
    std::vector<WindowMessage> selection;
    for (const WindowMessage &m : notifications)
        if (m.wParam == MAPNC_SELECTION)
            selection.push_back(m);
    ASSERT_EQ(selection.size(), 2u);
    for (const WindowMessage &m : selection) {
        EXPECT_EQ(m.msg, kNotifyMessage);
        EXPECT_EQ(OBJHANDLE(m.lParam), object);
    }
    // The list keeps the whole handle as its current object.
    SelectNextGroupLevel(kernel, selList, object, nullptr);
    EXPECT_EQ(current(), object);
}

TEST_F(SelectionListTest, MeasuresFollowTheSelectionAndClearSetsThemToZero)
{
    const OBJHANDLE poly = CreateOBJect(kernel, CLASS_POLYGON);
    const _COORDPT pts[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    ASSERT_EQ(TransferOBJectData(kernel, poly, const_cast<_COORDPT *>(pts), sizeof pts, 1), sizeof pts);
    StoreField<uint32_t>(OBJectLock(kernel, poly), PS_COUNT, 4);
    InsertLayerRef(kernel, poly, layer0);

    record.calcSelArea = 1;
    AddToSelectionWithoutRemoving(kernel, selList, poly);
    EXPECT_DOUBLE_EQ(record.selArea, 100.0);
    RemoveReference(kernel, selList, REF_SELECTED, poly);
    EXPECT_DOUBLE_EQ(record.selArea, 0.0);

    AddToSelectionWithoutRemoving(kernel, selList, poly);
    record.selArea = 55;
    SelListClear(kernel, selList);
    EXPECT_EQ(record.selArea, 0.0);
    EXPECT_EQ(record.calcSelArea, 1);
}

TEST_F(SelectionListTest, ListAnswersAndKeptRectangle)
{
    const OBJHANDLE a = makeObject(layer0, {1, 2, 30, 40});
    AddToSelectionWithoutRemoving(kernel, selList, a);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, selList, 0, GRM_GETVISIBLE, 0, 0), 1);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, selList, 0, GRM_GETSELECTABLE, 0, 0), 1);
    SendOBJectMessage(kernel, 0, selList, 0, GRM_SELLIST_KEEPRECT, 0, 0);
    _COORDRECT kept{};
    SendOBJectMessage(kernel, 0, selList, 0, GRM_SELLIST_GETKEPTRECT, 0, LPARAM(&kept));
    EXPECT_EQ(kept.x1, 1);
    EXPECT_EQ(kept.y2, 40);

    SendOBJectMessage(kernel, 0, selList, 0, GRM_CLEARSELECTED, 0, 0);
    EXPECT_EQ(current(), 0u);

    // The window's selection look: style stored plus one, width 0 read as 1,
    // 0xFFFFFFFF not supplied.
    record.selLineColor = 0x0000FF;
    record.selLineStyle = 3;
    record.selLineWidth = 0;
    GraphDispl rec{};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, selList, 0, GRM_GETATTRIBUTES, 1, LPARAM(&rec)),
              GD_LINECOLOR | GD_LINESTYLE | GD_LINEWIDTH | GD_FILLPATTERN);
    EXPECT_EQ(rec.lineColor, 0x0000FFu);
    EXPECT_EQ(rec.lineStyle, 2);
    EXPECT_EQ(rec.lineWidth, 1u);
    EXPECT_EQ(rec.fillPattern, 0xFFFF);
    record.selLineStyle = 0;
    record.selLineWidth = -1;
    GraphDispl bare{};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, selList, 0, GRM_GETATTRIBUTES, 1, LPARAM(&bare)),
              GD_LINECOLOR | GD_FILLPATTERN);

    char line[130] = {};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, selList, 0, OBJM_INFOLINE, 0, LPARAM(line)), 1);
    EXPECT_NE(std::strstr(line, "Selected OBJect"), nullptr);
}

TEST_F(SelectionListTest, CompareSelectedOrdersByLayerThenHandle)
{
    const OBJHANDLE l5 = CreateLayerOBJect(kernel, layers, 5, "five");
    const OBJHANDLE onFive = makeObject(l5);
    const OBJHANDLE onZeroA = makeObject(layer0);
    const OBJHANDLE onZeroB = makeObject(layer0);
    const OBJHANDLE g = makeGroup(aspect, {});
    const OBJHANDLE h = makeGroup(aspect, {});
    EXPECT_LT(CompareSelected(kernel, 0, onZeroB, 0, onFive), 0);
    EXPECT_GT(CompareSelected(kernel, 0, onFive, 0, onZeroA), 0);
    EXPECT_LT(CompareSelected(kernel, 0, onZeroA, 0, onZeroB), 0);
    EXPECT_EQ(CompareSelected(kernel, 0, onZeroA, 0, onZeroA), 0);
    EXPECT_GT(CompareSelected(kernel, 0, g, 0, onFive), 0);
    EXPECT_LT(CompareSelected(kernel, 0, onFive, 0, g), 0);
    EXPECT_EQ(CompareSelected(kernel, 0, g, 0, h), g < h ? -1 : 1);
}

} // namespace

// Object lists and enumerators, and the map object helpers.
#include "map_fixture.h"

#include "editor/shell/map/map_object_helpers.h"

namespace {

class Lists : public MapTest {
protected:
    IKrtObject Group(std::initializer_list<IKrtObject> members)
    {
        const IKrtObject g = map->NewGroup();
        for (const IKrtObject &m : members)
            if (m.ObjectType() == otGroup)
                g.Group().Objects().Add(m.Group());
            else
                map->AddToGroup(m, g);
        return g;
    }
};

TEST_P(Lists, TheSelectionEnumeratorExpandsGroupsWhereTheyAreMet)
{
    const IKrtObject polygon = Poly({{0, 0}, {10, 0}, {10, 10}}, false);
    const IKrtObject text = map->NewText("T", 1, 1, nullptr, IKrtObject());
    const IKrtObject inner = Poly({{20, 0}, {30, 0}, {30, 10}}, false);
    const IKrtObject polyline = Poly({{0, 0}, {50, 50}}, true);
    const IKrtObject h = Group({inner});
    const IKrtObject g = Group({text, h});
    for (const IKrtObject &o : {polygon, g, polyline})
        o.PutIsSelected(true);
    TSelectionEnumerator e(*map);
    std::vector<int32_t> order;
    for (IKrtObject o = e.Next(); o; o = e.Next())
        order.push_back(o.hObject());
    EXPECT_EQ(order,
              (std::vector<int32_t>{polygon.hObject(), text.hObject(), inner.hObject(), polyline.hObject()}));
    EXPECT_FALSE(e.Next()) << "stays at the end";
}

TEST_P(Lists, EnumeratorsOfNothingGiveNone)
{
    TMapEnumerator none{IKrtObjects()};
    EXPECT_FALSE(none.Next());
    TSelectionEnumerator empty(*map);
    EXPECT_FALSE(empty.Next());
    TMapEnumerator layers(map->Control().MapLayers());
    int count = 0;
    while (layers.Next())
        ++count;
    EXPECT_EQ(count, map->Control().MapLayers().Count());
}

TEST_P(Lists, ListAccessorsGiveNoneOutsideTheRange)
{
    TKRTList list;
    const IKrtObject line = Poly({{0, 0}, {1, 1}}, true);
    EXPECT_EQ(list.AddItem(line), 0);
    EXPECT_EQ(list.GetItem(0).hObject(), line.hObject());
    EXPECT_NE(list.GetObject(0), nullptr);
    for (int bad : {-1, 1, 1000})
        EXPECT_FALSE(list.GetItem(bad)) << bad;
    EXPECT_EQ(list.GetObject(-1), nullptr);
}

TEST_P(Lists, RegroupMakesOneNewGroupPerOldGroup)
{
    const IKrtObject a = Poly({{0, 0}, {1, 1}}, true);
    const IKrtObject b = map->NewText("B", 0, 0, nullptr, IKrtObject());
    const IKrtObject loose = Poly({{0, 0}, {2, 2}}, true);
    const IKrtObject old = Group({a, b});
    old.PutPrimaryID("G7");
    old.PutSecondaryID("Hedge");

    QWidget otherTab;
    TPMap target(&otherTab, ClassOf(GetParam()));
    TRegroup regroup(target);
    const IKrtObject ga = regroup.GroupFor(a);
    const IKrtObject gb = regroup.GroupFor(b);
    ASSERT_TRUE(ga);
    EXPECT_EQ(ga.hObject(), gb.hObject());
    EXPECT_EQ(ga.ObjectType(), otGroup);
    EXPECT_EQ(target.GetObject(ga.hObject()).ObjectType(), otGroup) << "made in the target map";
    EXPECT_FALSE(regroup.GroupFor(loose));
    EXPECT_FALSE(regroup.GroupFor(IKrtObject()));
    EXPECT_EQ(regroup.OldHandles().Items(), (std::vector<int32_t>{old.hObject()}));
    regroup.CopyGroupIDs(map.get());
    EXPECT_EQ(ga.PrimaryID(), "G7");
    EXPECT_EQ(ga.SecondaryID(), "Hedge");
    EXPECT_EQ(old.ObjectType(), otGroup) << "another map's group stays";
}

TEST_P(Lists, RegroupInTheSameMapReplacesTheOldGroup)
{
    const IKrtObject a = Poly({{0, 0}, {1, 1}}, true);
    const IKrtObject old = Group({a});
    old.PutPrimaryID("Old");
    TRegroup regroup(*map);
    const IKrtObject fresh = regroup.GroupFor(a);
    regroup.CopyGroupIDs(map.get());
    EXPECT_EQ(old.ObjectType(), otNone);
    EXPECT_EQ(fresh.PrimaryID(), "Old");
    regroup.CopyGroupIDs(nullptr); // nothing to copy from
}

TEST_P(Lists, LayerStatesAreSavedAsHandleTimesFourPlusFlags)
{
    // The fake control hands out handles in order, after its root group, its
    // first layer, the page layer and the page: the third new layer is 7.
    std::vector<IKrtObject> layers;
    for (int i = 0; i < (IsFake() ? 3 : 2); ++i)
        layers.push_back(map->NewLayer("L" + std::to_string(i), 0));
    const IKrtObject seven = layers.back();
    if (IsFake()) {
        ASSERT_EQ(seven.hObject(), 7);
    }
    const IKrtLayer l = seven.Layer();
    l.PutVisible(true);
    l.PutSelectable(false);
    seven.PutLayer(l);
    map->SaveLayerStates();
    EXPECT_TRUE(map->HasLayerStates());
    const auto &entries = map->LayerStates.Entries();
    EXPECT_NE(std::find(entries.begin(), entries.end(), seven.hObject() * 4 + 1), entries.end());

    const IKrtLayer changed = seven.Layer();
    changed.PutVisible(false);
    changed.PutSelectable(true);
    seven.PutLayer(changed);
    map->DeleteLayer(layers.front()); // a saved layer that goes is skipped
    map->RestoreLayerStates();
    EXPECT_TRUE(seven.Layer().Visible());
    EXPECT_FALSE(seven.Layer().Selectable());
    EXPECT_TRUE(map->HasLayerStates()) << "the entries stay saved";
    map->ClearLayerStates();
    EXPECT_FALSE(map->HasLayerStates());
}

// --- Map object helpers -----------------------------------------------------------

class Helpers : public MapTest {
protected:
    void TearDown() override
    {
        ResetMapWalks();
        MapTest::TearDown();
    }
    int32_t Layer() { return map->NewLayer("Helpers", 0).hObject(); }
    IKrtPoly PolyOf(int points)
    {
        const IKrtPoly p = NewKrtPoly();
        for (int i = 0; i < points; ++i)
            p.Points().AddXY(i * 10, i * 5);
        p.PutIsPolyline(false);
        return p;
    }
};

TEST_P(Helpers, AddPolyToMapNeedsTwoPointsAndALayer)
{
    const int32_t layer = Layer();
    const IMap &c = map->Control();
    const int32_t before = c.MapObjects().Count();

    const IKrtPoly one = PolyOf(1);
    EXPECT_EQ(AddPolyToMap(one, layer, c), 0);
    EXPECT_TRUE(one.IsPolyline()) << "marked a polyline though not added";

    const IKrtPoly two = PolyOf(2);
    EXPECT_EQ(AddPolyToMap(two, 0, c), 0);
    EXPECT_TRUE(two.IsPolyline());
    EXPECT_EQ(c.MapObjects().Count(), before);

    const IKrtPoly three = PolyOf(3);
    const int32_t h = AddPolyToMap(three, layer, c);
    ASSERT_GT(h, 0);
    EXPECT_FALSE(three.IsPolyline()) << "left as it was";
    EXPECT_EQ(c.MapObjects().Item(h).ObjectType(), otPolygon);
    EXPECT_EQ(c.MapObjects().Item(h).hLayer(), layer);

    const int32_t t = AddObjectToMap(map->NewGroup().Group(), 0, c);
    EXPECT_GT(t, 0);
}

TEST_P(Helpers, WalksGiveNoneWithoutAMapAndBeforeTheyStart)
{
    EXPECT_FALSE(NextMapObject());
    EXPECT_FALSE(FirstMapObject(nullptr));
    EXPECT_FALSE(NextMapObject());
    EXPECT_FALSE(FirstMapLayer(nullptr));
    EXPECT_FALSE(NextGroupMember());
    EXPECT_FALSE(FirstGroupMember(IKrtObject()));
    EXPECT_FALSE(FindMapText("", &map->Control()));
    EXPECT_FALSE(FindMapText("x", nullptr));
}

TEST_P(Helpers, WalksVisitEveryObjectLayerAndMember)
{
    const IMap &c = map->Control();
    Poly({{0, 0}, {1, 1}}, true);
    const IKrtObject text = map->NewText("Find me", 3, 4, nullptr, IKrtObject());
    map->NewText("Find me too", 3, 4, nullptr, IKrtObject());
    int objects = 0;
    for (IKrtObject o = FirstMapObject(&c); o; o = NextMapObject())
        ++objects;
    EXPECT_EQ(objects, c.MapObjects().Count());
    int layers = 0;
    for (IKrtObject o = FirstMapLayer(&c); o; o = NextMapLayer())
        ++layers;
    EXPECT_EQ(layers, c.MapLayers().Count());
    int texts = 0;
    for (IKrtObject o = FirstMapObjectOfType(&c, otText); o; o = NextMapObjectOfType()) {
        EXPECT_EQ(o.ObjectType(), otText);
        ++texts;
    }
    EXPECT_EQ(texts, 2);
    EXPECT_EQ(FindMapText("Find me", &c).hObject(), text.hObject());
    EXPECT_FALSE(FindMapText("find me", &c)) << "exact comparison";
    const IKrtObject g = map->NewGroup();
    map->AddToGroup(text, g);
    EXPECT_EQ(FirstGroupMember(g).hObject(), text.hObject());
    EXPECT_FALSE(NextGroupMember());
}

TEST_P(Helpers, TextsAndLabels)
{
    IKrtText t;
    MakeKrtText("", 5, 6, nullptr, 1, 3, t);
    ASSERT_TRUE(t);
    EXPECT_EQ(t.Text(), " ");
    EXPECT_EQ(t.Size(), 8);
    EXPECT_EQ(t.LockTo(), 1);
    EXPECT_FALSE(t.UseLayerColor());
    EXPECT_EQ(t.Position().x(), 5);

    const IKrtObject line = Poly({{-3, -7}, {0, 0}}, true);
    line.PutPrimaryID("P-1");
    const IKrtText label = MakeObjectLabel(line);
    ASSERT_TRUE(label);
    EXPECT_EQ(label.Text(), "P-1");
    EXPECT_EQ(label.Position().x(), -1) << "halves truncated towards zero";
    EXPECT_EQ(label.Position().y(), -3);
    EXPECT_EQ(label.Font().Name(), "Arial");
    EXPECT_EQ(label.Font().Size(), 6);
    EXPECT_EQ(label.Size(), 6);
    if (IsFake()) { // what the control keeps of an alignment outside 0 to 2 is its own
        EXPECT_EQ(label.HorizontalAlignment(), -1);
    }
    EXPECT_TRUE(label.IsDerivedFromID());
    EXPECT_FALSE(MakeObjectLabel(map->NewText("x", 0, 0, nullptr, IKrtObject())));
    EXPECT_FALSE(MakeObjectLabel(IKrtObject()));
}

TEST_P(Helpers, ShowMapObjectSelectsOnlyThatObject)
{
    const IKrtObject a = Poly({{0, 0}, {100, 100}}, true);
    const IKrtObject b = Poly({{0, 0}, {200, 100}}, true);
    a.PutIsSelected(true);
    ShowMapObject(b.hObject(), map->Control(), 2);
    EXPECT_FALSE(a.IsSelected());
    EXPECT_TRUE(b.IsSelected());
    EXPECT_EQ(map->SelectedCount(), 1);
}

TEST_P(Helpers, InternalAndPrivateLayersAndObjects)
{
    const IKrtObject sector = map->NewLayer("_Sector00", 65536);
    const IKrtObject user = map->NewLayer("Fields", 0);
    const IKrtObject onSector = Poly({{0, 0}, {1, 1}}, true, sector);
    const IKrtObject onUser = Poly({{0, 0}, {1, 1}}, true, user);
    EXPECT_TRUE(IsInternalLayer(onSector, map->Control()));
    EXPECT_TRUE(IsPrivateLayer(onSector, map->Control()));
    EXPECT_FALSE(IsInternalLayer(onUser, map->Control()));
    EXPECT_FALSE(IsPrivateLayer(onUser, map->Control()));
    EXPECT_TRUE(IsInternalLayer(sector, map->Control())) << "a layer object is its own layer";
    onUser.PutPrimaryID("_TBoxBox");
    EXPECT_TRUE(IsPrivateObject(onUser));
    EXPECT_FALSE(IsPrivateObject(onSector));
    EXPECT_FALSE(IsInternalLayer(IKrtObject(), map->Control()));
    EXPECT_FALSE(IsPrivateObject(IKrtObject()));
}

INSTANTIATE_TEST_SUITE_P(Controls, Lists, ::testing::ValuesIn(ControlKinds()), KindName);
INSTANTIATE_TEST_SUITE_P(Controls, Helpers, ::testing::ValuesIn(ControlKinds()), KindName);

} // namespace

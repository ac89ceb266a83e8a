// One map object through KrtObject, objects added from typed copies, and
// what every object of the model answers once its map is gone.
#include "object_model_fixture.h"

#include "control/automation/krt_poly.h"
#include "engine/kernel/undo.h"
#include "engine/window/undo_window.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_selection.h"

extern "C" HRESULT DllCanUnloadNow();

namespace {

std::string Dump(IDispatch *c)
{
    const Variant v = CallByName(c, "ToString", DISPATCH_METHOD);
    return v.vt == VT_BSTR ? BstrToWindows1252(v.bstrVal) : "<null>";
}

ComPtr<KrtPoly> NewPolygon(std::initializer_list<MAP_COORDPT> points)
{
    auto poly = ComPtr<KrtPoly>::Adopt(new KrtPoly);
    poly->isPolyline = false;
    for (const MAP_COORDPT &p : points)
        poly->points().Add(p.x, p.y);
    return poly;
}

TEST_F(ObjectModelTest, AddingAPolygonIsOneUndoStepAndTheEventComesBeforeAddReturns)
{
    auto objects = Property("MapObjects");
    auto poly = NewPolygon({{0, 0}, {50, 0}, {50, 50}});
    int32_t typeSeenByTheEvent = -1;
    sink->onEvent = [&](const RecordedEvent &e) {
        if (e.id == EVENT_OBJECTADD)
            typeSeenByTheEvent = map_object_type_Get(hwnd(), OBJHANDLE(e.args.at(0)));
    };
    const int32_t h = Long(On(objects.get(), "Add", {VariantFromDispatch(poly.get())}));
    sink->onEvent = nullptr;
    ASSERT_NE(h, 0);
    EXPECT_EQ(typeSeenByTheEvent, 2);
    EXPECT_EQ(sink->Of(EVENT_OBJECTADD), (std::vector<RecordedEvent>{{EVENT_OBJECTADD, {double(h)}}}));
    EXPECT_EQ(Undo_GetStepWithIndex(hwnd(), 0, 1), 2);
    EXPECT_EQ(int32_t(poly->hObject), h) << "the copy is bound to the map";

    // Read back as a typed copy, whatever the property's name.
    auto item = Obj(On(objects.get(), "Item", {VariantFromLong(h)}));
    auto copy = Obj(On(item.get(), "Text"));
    ASSERT_TRUE(copy);
    auto points = Obj(On(copy.get(), "Points"));
    EXPECT_EQ(Long(On(points.get(), "Count")), 3);
    EXPECT_FALSE(On(copy.get(), "IsPolyline").boolVal);
}

TEST_F(ObjectModelTest, AnObjectReadsAndWritesTheEngineAtEachCall)
{
    const OBJHANDLE h = Polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    const OBJHANDLE roads = AddLayer(9, "Roads");
    auto o = Obj(On(Property("MapObjects").get(), "Item", {VariantFromLong(int32_t(h))}));
    ASSERT_TRUE(o);
    EXPECT_EQ(Long(On(o.get(), "ObjectType")), 2);
    EXPECT_FALSE(On(o.get(), "IsSelected").boolVal);
    ASSERT_EQ(PutOn(o.get(), "IsSelected", VariantFromBool(true)), S_OK);
    EXPECT_TRUE(map_IsInSelection(ctl->wndRes(), h));
    ASSERT_EQ(PutOn(o.get(), "IsSelected", VariantFromBool(true)), S_OK);
    EXPECT_EQ(sink->Of(EVENT_SELECTIONCHANGED), (std::vector<RecordedEvent>{{EVENT_SELECTIONCHANGED, {1}}}))
        << "the same value again changes nothing";

    ASSERT_EQ(PutOn(o.get(), "PrimaryID", VariantFromString("K7")), S_OK);
    EXPECT_EQ(Text(On(o.get(), "PrimaryID")), "K7");
    EXPECT_EQ(map_id_Search(hwnd(), "K7", nullptr), h);
    On(o.get(), "SetSecondaryIDEx", {VariantFromString("seven"), VariantFromBool(true)});
    EXPECT_EQ(Text(On(o.get(), "SecondaryID")), "seven");
    EXPECT_NE(Long(On(o.get(), "GetHSecondaryID")), 0) << "shown as a label";
    EXPECT_EQ(Long(On(o.get(), "GetHPrimaryID")), 0);

    ASSERT_EQ(PutOn(o.get(), "hLayer", VariantFromLong(int32_t(roads))), S_OK);
    EXPECT_EQ(Long(On(o.get(), "hLayer")), int32_t(roads));
    EXPECT_NEAR(On(o.get(), "Area").dblVal, ctl->GetObjectArea(h), 1e-9);

    EXPECT_EQ(Long(On(o.get(), "Move", {VariantFromLong(10), VariantFromLong(5)})), 1);
    auto r = Obj(On(o.get(), "BoundingRectangle"));
    EXPECT_EQ(Long(On(r.get(), "left")), 10);
    EXPECT_EQ(Long(On(r.get(), "top")), 5);
    EXPECT_EQ(Long(On(r.get(), "right")), 110);
    EXPECT_EQ(Long(On(r.get(), "bottom")), 105);
    EXPECT_EQ(Long(On(o.get(), "Repaint")), 1);
    EXPECT_EQ(Long(On(o.get(), "Locate")), 1);

    // Into a group, and not into a group it holds.
    OBJHANDLE group = 0;
    const OBJHANDLE other = Polyline({{0, 0}, {1, 1}});
    ASSERT_EQ(map_group_Create(hwnd(), &group, &other, 1, 0), 1);
    ASSERT_EQ(PutOn(o.get(), "hGroup", VariantFromLong(int32_t(group))), S_OK);
    EXPECT_EQ(Long(On(o.get(), "hGroup")), int32_t(group));
    EXPECT_TRUE(ctl->GetIsModified());
    auto g = Obj(On(Property("MapObjects").get(), "Item", {VariantFromLong(int32_t(group))}));
    ASSERT_EQ(PutOn(g.get(), "hGroup", VariantFromLong(int32_t(group))), S_OK);
    EXPECT_EQ(Long(On(g.get(), "hGroup")), 0) << "a group is not put into itself";
}

TEST_F(ObjectModelTest, ObjectsOutlivingTheirMapAnswerEmpty)
{
    const OBJHANDLE h = Polygon({{0, 0}, {10, 0}, {10, 10}});
    auto objects = Property("MapObjects");
    auto o = Obj(On(objects.get(), "Item", {VariantFromLong(int32_t(h))}));
    auto selection = Property("Selection");
    auto page = Property("Page");
    auto undo = Property("UndoRedo");
    Variant e = On(Property("MapPolygons").get(), "_NewEnum");
    ComPtr<IEnumVARIANT> walk;
    ASSERT_EQ(e.punkVal->QueryInterface(IEnumVARIANT::kIid, walk.putVoid()), S_OK);
    e = Variant();

    auto checkEmpty = [&](const char *when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(Long(On(o.get(), "ObjectType")), 0);
        EXPECT_EQ(On(o.get(), "PrimaryID").vt, VT_EMPTY);
        EXPECT_EQ(On(o.get(), "BoundingRectangle").pdispVal, nullptr);
        EXPECT_EQ(On(o.get(), "Poly").pdispVal, nullptr);
        EXPECT_EQ(PutOn(o.get(), "IsSelected", VariantFromBool(true)), S_OK);
        EXPECT_EQ(Long(On(o.get(), "Move", {VariantFromLong(1), VariantFromLong(1)})), 0);
        EXPECT_EQ(Long(On(objects.get(), "Count")), 0);
        EXPECT_EQ(On(objects.get(), "Item", {VariantFromLong(int32_t(h))}).pdispVal, nullptr);
        EXPECT_EQ(
            Long(On(objects.get(), "Add", {VariantFromDispatch(NewPolygon({{0, 0}, {1, 0}, {1, 1}}).get())})),
            0);
        EXPECT_EQ(On(selection.get(), "Objects").pdispVal, nullptr);
        EXPECT_EQ(Long(On(selection.get(), "Radius")), 0);
        EXPECT_EQ(Long(On(page.get(), "Width")), -1);
        EXPECT_EQ(On(page.get(), "Papers").pdispVal, nullptr);
        EXPECT_EQ(Long(On(undo.get(), "UndoItemsCount")), 0);
        On(undo.get(), "BeginStep");
        // The enumerator keeps its snapshot, its objects answer empty.
        VARIANT item;
        walk->Reset();
        ASSERT_EQ(walk->Next(1, &item, nullptr), S_OK);
        EXPECT_EQ(Long(On(item.pdispVal, "ObjectType")), 0);
        VariantClear(&item);
    };
    EXPECT_EQ(Long(Call("Close")), 1);
    checkEmpty("after Close");
    EXPECT_EQ(ctl->wndRes()->undoEnabled, 1) << "the new map's undo is untouched";
    EXPECT_EQ(Long(On(Property("MapPolygons").get(), "Count")), 0);

    // And after the control is gone.
    sink = ComPtr<EventRecorder>();
    ctl = nullptr;
    object = ComPtr<MapControl>();
    checkEmpty("after the control is gone");

    // Once all are released the library may go.
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    o = ComPtr<IDispatch>();
    objects = selection = page = undo = ComPtr<IDispatch>();
    walk = ComPtr<IEnumVARIANT>();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

} // namespace

namespace {

TEST_F(ObjectModelTest, AGroupsCollectionLinksAndUnlinksMembers)
{
    const OBJHANDLE a = Polygon({{0, 0}, {10, 0}, {10, 10}});
    const OBJHANDLE b = Polyline({{20, 20}, {30, 30}});
    OBJHANDLE group = 0;
    ASSERT_EQ(map_group_Create(hwnd(), &group, &a, 1, 0), 1);
    auto groupCopy = Obj(
        On(Obj(On(Property("MapObjects").get(), "Item", {VariantFromLong(int32_t(group))})).get(), "Group"));
    ASSERT_TRUE(groupCopy);
    auto members = Obj(On(groupCopy.get(), "Objects"));
    ASSERT_TRUE(members);
    EXPECT_EQ(Long(On(members.get(), "Count")), 1);
    auto poly =
        Obj(On(Obj(On(Property("MapObjects").get(), "Item", {VariantFromLong(int32_t(b))})).get(), "Poly"));
    EXPECT_EQ(Long(On(members.get(), "Add", {VariantFromDispatch(poly.get())})), int32_t(group));
    EXPECT_EQ(map_object_group_Get(hwnd(), b), group);
    EXPECT_EQ(Long(On(members.get(), "Count")), 2);
    // A point is no member; a raster cannot be linked this way.
    EXPECT_EQ(Long(On(members.get(), "Add", {VariantFromDispatch(Point(1, 1).get())})), 0);
    EXPECT_EQ(Long(On(members.get(), "Remove", {VariantFromLong(int32_t(b))})), 0);
    EXPECT_EQ(map_object_group_Get(hwnd(), b), 0u);
    EXPECT_EQ(Dump(members.get()), "<xml>\r\n</xml>\r\n");
}

TEST_F(ObjectModelTest, LengthIsSetInTheViewsUnit)
{
    const OBJHANDLE h = Polyline({{0, 0}, {1000, 0}});
    auto o = Obj(On(Property("MapObjects").get(), "Item", {VariantFromLong(int32_t(h))}));
    const double before = On(o.get(), "Length").dblVal;
    ASSERT_GT(before, 0.0);
    ASSERT_EQ(PutOn(o.get(), "Length", VariantFromDouble(before / 2)), S_OK);
    EXPECT_NEAR(On(o.get(), "Length").dblVal, before / 2, before * 1e-3);
}

} // namespace

// The map's collections: counts and snapshots, keys, adding and removing,
// narrowing queries, enumeration and the text dump.
#include "object_model_fixture.h"

#include "control/automation/krt_poly.h"
#include "engine/window/window_selection.h"

namespace {

class CollectionsTest : public ObjectModelTest {
protected:
    void SetUp() override
    {
        ObjectModelTest::SetUp();
        polygon = Polygon({{0, 0}, {100, 0}, {100, 100}});
        polyline = Polyline({{200, 200}, {300, 300}});
        text = AddText("a<b&c", {500, 600}, "Arial");
        Identify(polygon, "P1", "first");
        sink->events.clear();
    }
    ComPtr<IDispatch> Collection(const char *name) { return Property(name); }

    OBJHANDLE polygon = 0, polyline = 0, text = 0;
};

// The dump's name of an object type.
std::string TypeName(int type)
{
    switch (type) {
    case 1:
        return "Polyline";
    case 2:
        return "Polygon";
    case 3:
        return "Text";
    case 4:
        return "Legend";
    case 5:
        return "Raster";
    case 6:
        return "Page";
    case 7:
        return "Nail";
    case 17:
        return "Layer";
    default:
        return "";
    }
}

ComPtr<IEnumVARIANT> EnumOf(IDispatch *collection)
{
    const Variant v = CallByName(collection, "_NewEnum", DISPATCH_PROPERTYGET);
    ComPtr<IEnumVARIANT> e;
    if (v.vt == VT_UNKNOWN && v.punkVal)
        v.punkVal->QueryInterface(IEnumVARIANT::kIid, e.putVoid());
    return e;
}

std::string Dump(IDispatch *c)
{
    const Variant v = CallByName(c, "ToString", DISPATCH_METHOD);
    return v.vt == VT_BSTR ? BstrToWindows1252(v.bstrVal) : "<null>";
}

TEST_F(CollectionsTest, CountsByKindAndSnapshotsThatStayFixed)
{
    struct Case {
        const char *property;
        int32_t count;
    };
    for (const Case &c :
         {Case{"MapTexts", 1}, Case{"MapPolygons", 1}, Case{"MapPolylines", 1}, Case{"MapIDs", 1}}) {
        SCOPED_TRACE(c.property);
        EXPECT_EQ(Long(On(Collection(c.property).get(), "Count")), c.count);
    }
    // The selection: live until enumerated, fixed afterwards.
    ASSERT_EQ(
        PutOn(Obj(On(Collection("MapObjects").get(), "Item", {VariantFromLong(int32_t(polygon))})).get(),
              "IsSelected", VariantFromBool(true)),
        S_OK);
    auto selection = Obj(On(Property("Selection").get(), "Objects"));
    EXPECT_EQ(Long(On(selection.get(), "Count")), 1);
    Variant e = On(selection.get(), "_NewEnum");
    ASSERT_EQ(e.vt, VT_UNKNOWN);
    OBJHANDLE more = polyline;
    map_AddToSel(ctl->wndRes(), more);
    EXPECT_EQ(Long(On(selection.get(), "Count")), 1) << "the snapshot, not the new selection";
    EXPECT_EQ(Long(On(Obj(On(Property("Selection").get(), "Objects")).get(), "Count")), 2);
    EXPECT_EQ(sink->Of(EVENT_SELECTIONCHANGED).size(), 1u) << "IsSelected raised it";
}

TEST_F(CollectionsTest, ItemResolvesNamesIdentifiersAndBareNumbers)
{
    const OBJHANDLE layer = AddLayer(7, "Roads");
    auto layers = Collection("MapLayers");
    EXPECT_EQ(Long(On(Obj(On(layers.get(), "Item", {VariantFromString("Roads")})).get(), "hObject")),
              int32_t(layer));
    EXPECT_EQ(On(layers.get(), "Item", {VariantFromString("Rivers")}).vt, VT_DISPATCH);
    EXPECT_EQ(On(layers.get(), "Item", {VariantFromString("Rivers")}).pdispVal, nullptr)
        << "null for nothing";

    // On MapTexts a string is a primary identifier: it finds the polygon.
    auto texts = Collection("MapTexts");
    auto found = Obj(On(texts.get(), "Item", {VariantFromString("P1")}));
    ASSERT_TRUE(found);
    EXPECT_EQ(Long(On(found.get(), "ObjectType")), 2);

    // A number is the handle itself, whether or not an object has it; the
    // default member is Item, and a key by reference is followed.
    auto ghost = Obj(On(texts.get(), "Item", {VariantFromLong(1234)}));
    ASSERT_TRUE(ghost);
    EXPECT_EQ(Long(On(ghost.get(), "hObject")), 1234);
    EXPECT_EQ(Long(On(ghost.get(), "ObjectType")), 0);
    Variant target = VariantFromLong(int32_t(text));
    const Variant byRef(VariantRefTo(&target));
    EXPECT_EQ(Long(On(Obj(On(texts.get(), "Item", {byRef})).get(), "ObjectType")), 3);
    // Keys of other types: a double is a number, empty resolves to nothing.
    EXPECT_EQ(
        Long(On(Obj(On(texts.get(), "Item", {VariantFromDouble(double(polyline))})).get(), "ObjectType")), 1);
    EXPECT_EQ(On(texts.get(), "Item", {Variant()}).pdispVal, nullptr);
}

TEST_F(CollectionsTest, AddOnlyWhereObjectsCanGoAndAlwaysTellsTheHost)
{
    auto poly = ComPtr<KrtPoly>::Adopt(new KrtPoly);
    for (const char *property : {"MapIDs", "MapTexts", "MapPolygons", "MapPolylines"}) {
        SCOPED_TRACE(property);
        sink->events.clear();
        EXPECT_EQ(Long(On(Collection(property).get(), "Add", {VariantFromDispatch(poly.get())})), 0);
        EXPECT_EQ(sink->Of(EVENT_OBJECTADD), (std::vector<RecordedEvent>{{EVENT_OBJECTADD, {0}}}));
    }
    sink->events.clear();
    EXPECT_EQ(Long(On(Obj(On(Property("Selection").get(), "Objects")).get(), "Add",
                      {VariantFromDispatch(poly.get())})),
              0);
    EXPECT_EQ(sink->Of(EVENT_OBJECTADD).size(), 1u);
    // A refused polygon: the bridge's error reaches the caller, no event.
    sink->events.clear();
    On(static_cast<IDispatch *>(poly.get()), "IsPolyline", {}, DISPATCH_PROPERTYGET);
    ASSERT_EQ(PutOn(poly.get(), "IsPolyline", VariantFromBool(false)), S_OK);
    HRESULT hr = S_OK;
    EXCEPINFO info{};
    On(Collection("MapObjects").get(), "Add", {VariantFromDispatch(poly.get())}, DISPATCH_METHOD, &hr, &info);
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(info.wCode, 1003);
    ClearExcepInfo(&info);
    EXPECT_TRUE(sink->Of(EVENT_OBJECTADD).empty());
    // Null and foreign objects add nothing.
    EXPECT_EQ(Long(On(Collection("MapObjects").get(), "Add", {VariantFromDispatch(nullptr)})), 0);
    EXPECT_EQ(Long(On(Collection("MapObjects").get(), "Add", {VariantFromDispatch(sink.get())})), 0);
}

TEST_F(CollectionsTest, RemoveAnswersZeroAndDeletes)
{
    auto objects = Collection("MapObjects");
    EXPECT_EQ(Long(On(objects.get(), "Remove", {VariantFromLong(int32_t(polyline))})), 0);
    EXPECT_EQ(map_object_type_Get(hwnd(), polyline), 0) << "deleted";
    EXPECT_EQ(Long(On(objects.get(), "Remove", {VariantFromString("no such id")})), 0);
    EXPECT_EQ(Long(On(objects.get(), "RemoveAll")), 0);
    EXPECT_EQ(map_object_type_Get(hwnd(), polygon), 2);
}

TEST_F(CollectionsTest, RemoveDeletesALayerWithItsObjects)
{
    for (const char *collection : {"MapObjects", "MapLayers"}) {
        SCOPED_TRACE(collection);
        const OBJHANDLE layer = AddLayer(-1, "Gone");
        ASSERT_NE(layer, 0u);
        const OBJHANDLE line = Polyline({{10, 10}, {20, 20}});
        OBJHANDLE members[1] = {line};
        map_layer_Set(hwnd(), layer, members, 1, -1, nullptr, COLORREF(-1), -1, -1, -1, 0x800, 0xFFFF, 0, 0);
        ASSERT_EQ(map_object_layer_Get(hwnd(), line), layer);
        EXPECT_EQ(Long(On(Collection(collection).get(), "Remove", {VariantFromLong(int32_t(layer))})), 0);
        // Deleted with an undo record: the object reads as none.
        auto object = Obj(On(Collection("MapObjects").get(), "Item", {VariantFromLong(int32_t(layer))}));
        ASSERT_TRUE(object);
        EXPECT_EQ(Long(On(object.get(), "ObjectType")), 0);
        auto member = Obj(On(Collection("MapObjects").get(), "Item", {VariantFromLong(int32_t(line))}));
        EXPECT_EQ(Long(On(member.get(), "ObjectType")), 0) << "its objects go with it";
        EXPECT_EQ(map_object_type_Get(hwnd(), polygon), 2) << "others stay";
    }
}

TEST_F(CollectionsTest, QueriesNarrowTheSameCollection)
{
    auto objects = Collection("MapPolygons");
    const OBJHANDLE second = Polygon({{1000, 1000}, {1100, 1000}, {1100, 1100}});
    objects = Collection("MapPolygons");
    EXPECT_EQ(Long(On(objects.get(), "Count")), 2);
    auto rect = Rect(-10, -10, 2000, 2000);
    auto narrowed =
        Obj(On(objects.get(), "QueryByMapRect", {VariantFromDispatch(rect.get()), VariantFromBool(false)}));
    EXPECT_EQ(narrowed.get(), objects.get()) << "the same collection";
    EXPECT_EQ(Long(On(objects.get(), "Count")), 2);
    auto point = Point(1050, 1010);
    On(objects.get(), "QueryByMapPoint", {VariantFromDispatch(point.get())});
    EXPECT_EQ(Long(On(objects.get(), "Count")), 1);
    EXPECT_EQ(
        Long(On(Obj(On(objects.get(), "Item", {VariantFromLong(int32_t(second))})).get(), "ObjectType")), 2);
    // QueryByRect and QueryByMapRect are one member.
    DISPID a = 0, b = 0;
    const std::string n1 = "QueryByRect", n2 = "QueryByMapRect";
    objects->GetIDsOfNames({&n1, 1}, {&a, 1});
    objects->GetIDsOfNames({&n2, 1}, {&b, 1});
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, 7);
    // Objects of the wrong class: null, nothing narrowed.
    EXPECT_EQ(
        On(objects.get(), "QueryByRect", {VariantFromDispatch(point.get()), VariantFromBool(false)}).pdispVal,
        nullptr);
    EXPECT_EQ(On(objects.get(), "QueryByMapPoint", {VariantFromDispatch(rect.get())}).pdispVal, nullptr);
    EXPECT_EQ(Long(On(objects.get(), "Count")), 1);
}

TEST_F(CollectionsTest, EnumeratorsWalkTheSnapshotAndOutliveTheirCollection)
{
    ComPtr<IEnumVARIANT> e;
    {
        auto polylines = Collection("MapPolylines");
        Variant u = On(polylines.get(), "_NewEnum");
        ASSERT_EQ(u.vt, VT_UNKNOWN);
        ASSERT_EQ(u.punkVal->QueryInterface(IEnumVARIANT::kIid, e.putVoid()), S_OK);
        // Setting it is refused.
        EXPECT_NE(PutOn(polylines.get(), "_NewEnum", Variant()), S_OK);
    }
    Polyline({{5, 5}, {6, 6}});
    VARIANT items[3];
    EXPECT_EQ(e->Next(3, items, nullptr), E_INVALIDARG);
    ULONG got = 9;
    EXPECT_EQ(e->Next(3, items, &got), S_FALSE);
    ASSERT_EQ(got, 1u) << "the snapshot had one polyline";
    EXPECT_EQ(Long(On(items[0].pdispVal, "hObject")), int32_t(polyline));
    EXPECT_EQ(items[1].vt, VT_EMPTY);
    VariantClear(&items[0]);
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(1), S_FALSE);
    EXPECT_EQ(e->Skip(0), S_OK);
    ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    EXPECT_EQ(e->Next(1, items, nullptr), S_OK) << "Skip did not move";
    VariantClear(&items[0]);
    EXPECT_EQ(clone->Next(1, items, &got), S_OK);
    EXPECT_EQ(got, 1u);
    VariantClear(&items[0]);
}

TEST_F(CollectionsTest, TheDumpOfEachKind)
{
    const std::string p = std::to_string(int32_t(polygon)), l = std::to_string(int32_t(polyline)),
                      t = std::to_string(int32_t(text));
    const std::string layer = std::to_string(int32_t(map_object_layer_Get(hwnd(), polygon)));
    EXPECT_EQ(Dump(Collection("MapPolygons").get()), "<xml>\r\n<Polygon><hObj>" + p + "</hObj><hLayer>" +
                                                         layer + "</hLayer></Polygon>\r\n</xml>\r\n");
    EXPECT_EQ(Dump(Collection("MapPolylines").get()), "<xml>\r\n<Polyline><hObj>" + l + "</hObj><hLayer>" +
                                                          layer + "</hLayer></Polyline>\r\n</xml>\r\n");
    EXPECT_EQ(
        Dump(Collection("MapTexts").get()),
        "<xml>\r\n<Text><hObj>" + t + "</hObj><hLayer>" + layer +
            "</hLayer><x>500</x><y>600</y><txt>a&lt;b&amp;c</txt><font>Arial</font></Text>\r\n</xml>\r\n");
    EXPECT_EQ(Dump(Collection("MapIDs").get()),
              "<xml>\r\n<ID><hObj>" + p +
                  "</hObj><Type>Polygon</Type><Primary>P1</Primary><Secondary>"
                  "first</Secondary></ID>\r\n</xml>\r\n");
    // All objects, the layers and a layer's objects, whole: one line per
    // entry of the collection's snapshot, which its enumerator walks too.
    const OBJHANDLE roads = AddLayer(7, "Roads");
    auto exact = [&](IDispatch *collection, auto line) {
        const std::string dump = Dump(collection);
        std::string expected = "<xml>\r\n";
        ComPtr<IEnumVARIANT> e = EnumOf(collection);
        VARIANT item{};
        ULONG got = 0;
        while (e->Next(1, &item, &got) == S_OK && got == 1) {
            expected += line(OBJHANDLE(Long(On(item.pdispVal, "hObject"))));
            VariantClear(&item);
        }
        return std::pair{dump, expected + "</xml>\r\n"};
    };
    auto ids = [&](OBJHANDLE h) {
        char code[64] = {}, name[64] = {};
        if (!map_object_id_Get(hwnd(), h, code, sizeof code, name, sizeof name, nullptr, nullptr))
            return std::string();
        return "<ID1>" + std::string(code) + "</ID1><ID2>" + name + "</ID2>";
    };
    auto object = [&](OBJHANDLE h, bool withLayer) {
        std::string line = "<Object><hObj>" + std::to_string(int32_t(h)) + "</hObj><Type>" +
                           TypeName(map_object_type_Get(hwnd(), h)) + "</Type>";
        if (withLayer)
            line += "<Layer>" + std::to_string(int32_t(map_object_layer_Get(hwnd(), h))) + "</Layer>";
        return line + ids(h) + "</Object>\r\n";
    };
    {
        auto all = Collection("MapObjects");
        const auto [dump, expected] = exact(all.get(), [&](OBJHANDLE h) { return object(h, true); });
        EXPECT_EQ(dump, expected);
        EXPECT_NE(dump.find("<Object><hObj>" + p + "</hObj><Type>Polygon</Type><Layer>" + layer +
                            "</Layer><ID1>P1</ID1><ID2>first</ID2></Object>\r\n"),
                  std::string::npos);
    }
    {
        auto layers = Collection("MapLayers");
        const auto [dump, expected] = exact(layers.get(), [&](OBJHANDLE h) {
            int32_t number = 0;
            char name[64] = {};
            map_layer_Get(hwnd(), h, nullptr, nullptr, 0, &number, name, sizeof name, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr);
            return "<Layer><Number>" + std::to_string(number) + "</Number><Name>" + name + "</Name><hObj>" +
                   std::to_string(int32_t(h)) + "</hObj></Layer>\r\n";
        });
        EXPECT_EQ(dump, expected);
        EXPECT_NE(dump.find("<Layer><Number>7</Number><Name>Roads</Name><hObj>" +
                            std::to_string(int32_t(roads)) + "</hObj></Layer>\r\n"),
                  std::string::npos);
    }
    auto layerObjects = Obj(On(
        Obj(On(Collection("MapObjects").get(), "Item", {VariantFromLong(std::stoi(layer))})).get(), "Layer"));
    ASSERT_TRUE(layerObjects);
    auto members = Obj(On(layerObjects.get(), "Objects"));
    ASSERT_TRUE(members);
    {
        const auto [dump, expected] = exact(members.get(), [&](OBJHANDLE h) { return object(h, false); });
        EXPECT_EQ(dump, expected);
        EXPECT_NE(dump.find("<Object><hObj>" + l + "</hObj><Type>Polyline</Type></Object>\r\n"),
                  std::string::npos);
    }
    // The selection and a group's members: only the framing lines.
    EXPECT_EQ(Dump(Obj(On(Property("Selection").get(), "Objects")).get()), "<xml>\r\n</xml>\r\n");
    // A face with an accented letter is "unknown"; its text goes through
    // Windows-1252 (e acute is one character in the dump).
    const OBJHANDLE accented = AddText("caf\xE9", {1, 2},
                                       "Fa\xE7"
                                       "ade");
    const Variant dump = CallByName(Collection("MapTexts").get(), "ToString", DISPATCH_METHOD);
    ASSERT_EQ(dump.vt, VT_BSTR);
    const std::u16string wide(reinterpret_cast<const char16_t *>(dump.bstrVal), SysStringLen(dump.bstrVal));
    EXPECT_NE(wide.find(u"<hObj>" + QString::number(accented).toStdU16String() + u"</hObj>"),
              std::u16string::npos);
    EXPECT_NE(wide.find(u"<txt>caf\u00e9</txt><font>unknown</font>"), std::u16string::npos);
}

TEST_F(CollectionsTest, BoundingRectanglesByKind)
{
    EXPECT_EQ(Get("MapTexts").vt, VT_DISPATCH);
    EXPECT_EQ(On(Collection("MapTexts").get(), "BoundingRectangle").pdispVal, nullptr);
    auto r = Obj(On(Collection("MapObjects").get(), "BoundingRectangle"));
    ASSERT_TRUE(r);
    EXPECT_LE(Long(On(r.get(), "left")), 0);
    EXPECT_GE(Long(On(r.get(), "right")), 300);
    // The getters refuse to be set.
    EXPECT_NE(Put("MapObjects", VariantFromDispatch(r.get())), S_OK);
}

} // namespace

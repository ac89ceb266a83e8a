// Keys of every kind, objects of the wrong class or none, and texts the
// engine cannot hold: clear answers, nothing lost, never a crash.
#include "object_model_fixture.h"

#include "control/automation/krt_page.h"

namespace {

std::vector<Variant> KeysOfEveryType(IDispatch *someObject, Variant *referred)
{
    std::vector<Variant> keys;
    keys.push_back(Variant());
    Variant null;
    null.vt = VT_NULL;
    keys.push_back(null);
    keys.push_back(VariantFromShort(-1));
    keys.push_back(VariantFromLong(-1));
    keys.push_back(VariantFromLong(INT32_MAX));
    keys.push_back(VariantFromDouble(2.5));
    keys.push_back(VariantFromDouble(1e300));
    keys.push_back(VariantFromBool(true));
    Variant cy;
    cy.vt = VT_CY;
    cy.cyVal.int64 = 25000;
    keys.push_back(cy);
    keys.push_back(VariantFromString("A4"));
    keys.push_back(VariantFromString(""));
    keys.push_back(VariantFromString(std::string("a\0b", 3)));
    keys.push_back(VariantFromDispatch(nullptr));
    keys.push_back(VariantFromDispatch(someObject));
    Variant missing;
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    keys.push_back(missing);
    keys.push_back(Variant(VariantRefTo(referred)));
    return keys;
}

TEST_F(ObjectModelTest, KeysOfEveryTypeOnEveryCollection)
{
    const OBJHANDLE h = Polygon({{0, 0}, {10, 0}, {10, 10}});
    Variant referred = VariantFromLong(int32_t(h));
    auto point = Point(1, 1);
    const std::vector<Variant> keys = KeysOfEveryType(point.get(), &referred);
    for (const char *property :
         {"MapObjects", "MapLayers", "MapIDs", "MapTexts", "MapPolygons", "MapPolylines"}) {
        auto c = Property(property);
        for (size_t i = 0; i < keys.size(); ++i) {
            SCOPED_TRACE(std::string(property) + " key " + std::to_string(i));
            HRESULT hr = S_OK;
            const Variant item = On(c.get(), "Item", {keys[i]}, DISPATCH_PROPERTYGET, &hr);
            EXPECT_TRUE(hr == S_OK || hr == DISP_E_PARAMNOTOPTIONAL) << hr;
            if (hr == S_OK && item.vt == VT_DISPATCH && item.pdispVal)
                On(item.pdispVal, "ObjectType");
        }
    }
    // Remove with keys that name nothing deletes nothing.
    auto all = Property("MapObjects");
    for (const char *key : {"", "A4", "no such id"})
        EXPECT_EQ(Long(On(all.get(), "Remove", {VariantFromString(key)})), 0);
    EXPECT_EQ(map_object_type_Get(hwnd(), h), 2);
    // The papers' keys likewise.
    auto papers = ComPtr<KrtPapers>::Adopt(new KrtPapers(CPaperTypesArr{{9, "A4", 2100, 2970}}));
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE("paper key " + std::to_string(i));
        HRESULT hr = S_OK;
        On(papers.get(), "Item", {keys[i]}, DISPATCH_PROPERTYGET, &hr);
        EXPECT_TRUE(hr == S_OK || hr == DISP_E_PARAMNOTOPTIONAL) << hr;
    }
}

TEST_F(ObjectModelTest, WrongObjectsAndTextsTheEngineCannotHold)
{
    const OBJHANDLE h = Polygon({{0, 0}, {10, 0}, {10, 10}});
    auto o = Obj(On(Property("MapObjects").get(), "Item", {VariantFromLong(int32_t(h))}));
    // Typed properties given nothing or a point: nothing written.
    for (const char *name : {"Poly", "Text", "Layer", "Group", "Raster", "Legend", "Presentation"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(PutOn(o.get(), name, VariantFromDispatch(nullptr)), S_OK);
        EXPECT_EQ(PutOn(o.get(), name, VariantFromDispatch(Point(5, 5).get())), S_OK);
    }
    EXPECT_EQ(Long(On(o.get(), "ObjectType")), 2);
    auto s = Property("Selection");
    EXPECT_EQ(PutOn(s.get(), "SelectedPoint", VariantFromDispatch(nullptr)), S_OK);
    EXPECT_EQ(PutOn(s.get(), "Style", VariantFromLong(3)), S_OK);
    EXPECT_EQ(Put("Page", VariantFromDispatch(nullptr)), DISP_E_EXCEPTION);

    // Identifier texts with a zero, or outside Windows-1252: stored as far as
    // the engine's texts go, read back without harm.
    ASSERT_EQ(PutOn(o.get(), "PrimaryID", VariantFromString(std::string("AB\0CD", 5))), S_OK);
    EXPECT_EQ(Text(On(o.get(), "PrimaryID")), "AB");
    const QString foreign = QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac");
    Variant wide;
    wide.vt = VT_BSTR;
    wide.bstrVal = BstrFromQString(foreign);
    ASSERT_EQ(PutOn(o.get(), "SecondaryID", wide), S_OK);
    EXPECT_FALSE(Text(On(o.get(), "SecondaryID")).empty());
    auto dump = On(Property("MapIDs").get(), "ToString");
    EXPECT_EQ(dump.vt, VT_BSTR);
}

} // namespace

// The geometry, layer and legend classes as a container sees them: made by
// ProgID, their members by name and dispid, their defaults and edge values,
// and arguments of the wrong kind.
#include "tests/control/automation_classes/automation_fixture.h"

#include "control/automation/font_description.h"
#include "control/automation/library_objects.h"
#include "control/krt_geometry.h"
#include "platform/automation_creation.h"
#include "platform/registry.h"
#include "platform/std_font.h"
#include "tests/support/temp_settings.h"

#include <QString>
#include <algorithm>
#include <cstring>

extern "C" {
HRESULT DllRegisterServer();
HRESULT DllUnregisterServer();
HRESULT DllCanUnloadNow();
}

namespace {

Variant Cy(int64_t tenThousandths)
{
    Variant v;
    v.vt = VT_CY;
    v.cyVal.int64 = tenThousandths;
    return v;
}

// Puts a point object (or whatever is given) at an index of a point list.
HRESULT PutItem(KrtPoints &points, int32_t index, IDispatch *value)
{
    VARIANT args[2];
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = value;
    args[1].vt = VT_I4;
    args[1].lVal = index;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{args, &named, 2, 1};
    return D(&points)->Invoke(5, DISPATCH_PROPERTYPUT, params, nullptr, nullptr, nullptr);
}

// --- Creation by ProgID --------------------------------------------------------

class ByProgId : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(DllRegisterServer(), S_OK); }
    void TearDown() override { EXPECT_EQ(DllUnregisterServer(), S_OK); }
    TempSettingsFolders folders;
};

TEST_F(ByProgId, EveryClassIsMadeByItsProgIdInAnyCase)
{
    struct Case {
        const char *progId;
        int type; // the bridge's type of the object made
        const char *member;
    };
    const Case cases[] = {
        {"KRTLib.KRTPoint", 0, "x"},
        {"krtlib.krtpoints", 0, "AddXY"},
        {"krtlib.krtpoly", 1, "IsPolyline"},
        {"KRTLib.KRTText", 3, "HorizontalAlignment"},
        {"KrtLib.KrtRaster", 5, "RasterScale"},
        {"KRTLIB.KRTGROUP", 33, "Parent"},
        {"KrtLib.KrtLayer", 17, "FillHatch"},
        {"KrtLib.KrtLegend", 4, "PieLegendType"},
        {"KrtLib.KrtLineStyle", 0, "RoundedEndings"},
        {"KRTLib.KRTRect", 0, "bottom"},
    };
    for (const Case &c : cases) {
        ComPtr<IDispatch> object;
        ASSERT_EQ(CreateObject(c.progId, IDispatch::kIid, object.putVoid()), S_OK) << c.progId;
        EXPECT_TRUE(IsLibraryObject(object.get())) << c.progId;
        EXPECT_EQ(AutomationObjectType(object.get()), c.type) << c.progId;
        const std::string name[1] = {c.member};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(object->GetIDsOfNames(name, std::span<DISPID>(&id, 1)), S_OK) << c.progId;
    }
    ComPtr<IDispatch> none;
    EXPECT_EQ(CreateObject("KrtLib.KrtNothing", IDispatch::kIid, none.putVoid()), CO_E_CLASSSTRING);
}

std::string RegistryDefault(const std::string &path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char buf[256] = {};
    DWORD size = sizeof buf - 1;
    RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &size);
    RegCloseKey(key);
    return buf;
}

TEST_F(ByProgId, ClassesAreRegisteredWithTheirInterfacesInTheTypeLibrary)
{
    struct Case {
        const char *progId;
        GUID clsid;
        GUID iid;
        const char *interfaceName;
    };
    const Case cases[] = {{"KrtLib.KrtPoly", kKrtPolyClsid, kIKrtPolyIid, "IKrtPoly"},
                          {"KrtLib.KrtLayer", kKrtLayerClsid, kIKrtLayerIid, "IKrtLayer"},
                          {"KrtLib.KrtLegend", kKrtLegendClsid, kIKrtLegendIid, "IKrtLegend"},
                          {"KrtLib.KrtLineStyle", kKrtLineStyleClsid, kIKrtLineStyleIid, "IKrtLineStyle"}};
    for (const Case &c : cases) {
        EXPECT_EQ(RegistryDefault(std::string(c.progId) + "\\CLSID"), GuidToString(c.clsid));
        EXPECT_EQ(RegistryDefault("CLSID\\" + GuidToString(c.clsid) + "\\ProgID"), c.progId);
        EXPECT_EQ(RegistryDefault("Interface\\" + GuidToString(c.iid)), c.interfaceName);
    }
}

TEST_F(ByProgId, TheLibraryCanGoOnceEveryObjectIsReleased)
{
    ComPtr<IDispatch> poly;
    ASSERT_EQ(CreateObject("KrtLib.KrtPoly", IDispatch::kIid, poly.putVoid()), S_OK);
    // The embedded point list outlives its poly while referenced.
    Variant points = GetValue(poly.get(), "Points");
    ASSERT_EQ(points.vt, VT_DISPATCH);
    poly = ComPtr<IDispatch>();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(Invoke(points.pdispVal, "AddXY", DISPATCH_METHOD, {VariantFromLong(1), VariantFromLong(2)}).hr,
              S_OK);
    VariantClear(&points);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

// --- KrtPoints -----------------------------------------------------------------------

TEST(KrtPointsClass, CountPutResizesAndRefusesWhatCannotBeHeld)
{
    struct Case {
        int32_t put;
        int32_t countAfter;
        int32_t error; // of the dispatch exception, 0 none
    };
    const Case cases[] = {
        {3, 3, 0}, {-1, 2, 0}, {0, 0, 0}, {2147483647, 2, int32_t(E_OUTOFMEMORY)}, {INT32_MIN, 2, 0},
    };
    for (const Case &c : cases) {
        auto points = Make<KrtPoints>();
        points->Add(5, 6);
        points->Add(7, 8);
        const CallOutcome out = PutValue(D(points.get()), "Count", VariantFromLong(c.put));
        EXPECT_EQ(out.error, c.error) << c.put;
        EXPECT_EQ(out.hr, c.error ? DISP_E_EXCEPTION : S_OK) << c.put;
        EXPECT_EQ(GetLong(D(points.get()), "Count"), c.countAfter) << c.put;
        if (c.countAfter == 2) {
            // The list as it was.
            EXPECT_EQ(points->points()[1].x, 7) << c.put;
        } else if (c.countAfter == 3) {
            EXPECT_EQ(points->points()[2].x, 0);
            EXPECT_EQ(points->points()[2].y, 0);
        }
    }
}

TEST(KrtPointsClass, AddTakesOnlyPointsOfThisLibrary)
{
    auto points = Make<KrtPoints>();
    auto point = ComPtr<KrtPoint>::Adopt(new KrtPoint);
    point->x = 10;
    point->y = -4;
    auto rect = ComPtr<KrtRect>::Adopt(new KrtRect);
    auto foreign = ComPtr<ForeignObject>::Adopt(new ForeignObject);

    CallOutcome ok = Invoke(D(points.get()), "Add", DISPATCH_METHOD, {VariantFromDispatch(point.get())});
    EXPECT_EQ(ok.hr, S_OK);
    EXPECT_EQ(ok.result.lVal, 0);

    const Variant refused[] = {VariantFromDispatch(rect.get()), VariantFromDispatch(foreign.get()),
                               VariantFromDispatch(nullptr), VariantFromLong(3), Variant()};
    for (const Variant &arg : refused) {
        const CallOutcome out = Invoke(D(points.get()), "Add", DISPATCH_METHOD, {arg});
        EXPECT_EQ(out.hr, DISP_E_EXCEPTION) << arg.vt;
        EXPECT_EQ(out.error, kErrorBadOleType) << arg.vt;
        EXPECT_EQ(out.text, "Bad OLE type");
    }
    EXPECT_EQ(points->count(), 1);
    EXPECT_EQ(points->points()[0].x, 10);
}

TEST(KrtPointsClass, TheRectangleGrowsByTheNeighboursOfEachChange)
{
    auto points = Make<KrtPoints>();
    EXPECT_EQ(points->bound.x1, 2147483647);
    EXPECT_EQ(points->bound.x2, -2147483647);
    points->Add(0, 0);
    points->Add(100, 50);
    EXPECT_EQ(Invoke(D(points.get()), "RemoveAll", DISPATCH_METHOD).result.lVal, 1);
    // Emptied, the rectangle stays.
    EXPECT_EQ(points->count(), 0);
    EXPECT_EQ(points->bound.x2, 100);
    points->Add(-5, 3);
    points->Add(1, 1);
    auto p = ComPtr<KrtPoint>::Adopt(new KrtPoint);
    p->x = 7;
    p->y = 900;
    Variant index = VariantFromLong(1);
    EXPECT_EQ(
        CallByName(D(points.get()), "Item", DISPATCH_PROPERTYGET, std::span<const Variant>(&index, 1)).vt,
        VT_DISPATCH);
    EXPECT_EQ(PutItem(*points.get(), 1, D(p.get())), S_OK);
    EXPECT_EQ(points->points()[1].y, 900);
    EXPECT_EQ(points->bound.y2, 900);
    EXPECT_EQ(points->bound.x1, -5);
}

TEST(KrtPointsClass, ItemOutsideTheListIsNullAndItsPutChangesNothing)
{
    auto points = Make<KrtPoints>();
    points->Add(1, 2);
    for (int32_t index : {-1, 1, 2147483647}) {
        Variant r = GetValue(D(points.get()), "Item", {VariantFromLong(index)});
        EXPECT_EQ(r.vt, VT_DISPATCH) << index;
        EXPECT_EQ(r.pdispVal, nullptr) << index;
    }
    Variant first = GetValue(D(points.get()), "Item", {VariantFromLong(0)});
    ASSERT_NE(AsKrtPoint(first.pdispVal), nullptr);
    EXPECT_EQ(AsKrtPoint(first.pdispVal)->y, 2);

    // A rectangle in place of a point, or an index past the end: nothing.
    auto rect = ComPtr<KrtRect>::Adopt(new KrtRect);
    EXPECT_EQ(PutItem(*points.get(), 0, D(rect.get())), S_OK);
    EXPECT_EQ(PutItem(*points.get(), 0, nullptr), S_OK);
    EXPECT_EQ(PutItem(*points.get(), 1, first.pdispVal), S_OK);
    EXPECT_EQ(PutItem(*points.get(), -1, first.pdispVal), S_OK);
    EXPECT_EQ(points->count(), 1);
    EXPECT_EQ(points->points()[0].x, 1);
    EXPECT_EQ(points->bound.x2, 1);
}

// --- KrtText ----------------------------------------------------------------------------

TEST(KrtTextClass, AlignmentAndLockPutsMapToTheirCodes)
{
    struct Case {
        const char *member;
        int32_t put;
        int32_t get;
    };
    const Case cases[] = {
        {"HorizontalAlignment", 0, 0},
        {"HorizontalAlignment", 1, 1},
        {"HorizontalAlignment", 2, 2},
        {"HorizontalAlignment", 3, 0},
        {"HorizontalAlignment", -1, 0},
        {"VerticalAlignment", 1, 1},
        {"VerticalAlignment", 4, 4},
        {"VerticalAlignment", 2, 3},
        {"VerticalAlignment", 3, 3},
        {"VerticalAlignment", 0, 3},
        {"LockTo", 1, 1},
        {"LockTo", 2, 2},
        {"LockTo", 3, 0},
    };
    for (const Case &c : cases) {
        auto text = Make<KrtText>();
        text->flags = 0x3F; // every field set, so that a put must clear its own bits
        ASSERT_EQ(PutValue(D(text.get()), c.member, VariantFromLong(c.put)).hr, S_OK);
        EXPECT_EQ(GetLong(D(text.get()), c.member), c.get) << c.member << " " << c.put;
    }
    auto text = Make<KrtText>();
    PutValue(D(text.get()), "HorizontalAlignment", VariantFromLong(2));
    PutValue(D(text.get()), "VerticalAlignment", VariantFromLong(4));
    PutValue(D(text.get()), "LockTo", VariantFromLong(1));
    EXPECT_EQ(text->flags, 2 | (2 << 2) | (1 << 4));
}

TEST(KrtTextClass, TextTakesAnyValueWithAText)
{
    auto text = Make<KrtText>();
    EXPECT_EQ(GetText(D(text.get()), "Text"), "x");
    EXPECT_EQ(GetLong(D(text.get()), "Size"), 0);
    EXPECT_EQ(GetText(D(text.get()), "FontName"), "");

    // Zeros stay, characters outside Windows-1252 become '?'.
    Variant withZero;
    withZero.vt = VT_BSTR;
    const char16_t raw[] = {u'a', 0, u'b', u'\u4e2d', u'\u00e9'};
    withZero.bstrVal = SysAllocStringLen(raw, 5);
    ASSERT_EQ(PutValue(D(text.get()), "Text", withZero).hr, S_OK);
    EXPECT_EQ(text->text, std::string("a\0b?\xe9", 5));

    ASSERT_EQ(PutValue(D(text.get()), "Text", VariantFromDouble(2.5)).hr, S_OK);
    EXPECT_EQ(text->text, "2.5");
    // The default member is the text.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant byDefault;
    ASSERT_EQ(D(text.get())->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &byDefault, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(BstrToWindows1252(byDefault.bstrVal), "2.5");

    // An object without a value is no text.
    auto point = ComPtr<KrtPoint>::Adopt(new KrtPoint);
    const CallOutcome out = PutValue(D(text.get()), "Text", VariantFromDispatch(point.get()));
    EXPECT_EQ(out.error, kErrorBadOleType);
    EXPECT_EQ(text->text, "2.5");
}

TEST(KrtTextClass, PositionTakesOnlyPointsAndUseLayerColorInvertsTheOwnColour)
{
    auto text = Make<KrtText>();
    auto point = ComPtr<KrtPoint>::Adopt(new KrtPoint);
    point->x = 12;
    point->y = 34;
    auto rect = ComPtr<KrtRect>::Adopt(new KrtRect);
    EXPECT_EQ(PutValue(D(text.get()), "Position", VariantFromDispatch(point.get())).hr, S_OK);
    for (const Variant &v :
         {VariantFromDispatch(rect.get()), VariantFromDispatch(nullptr), VariantFromLong(5)})
        EXPECT_EQ(PutValue(D(text.get()), "Position", v).hr, S_OK);
    Variant back = GetValue(D(text.get()), "Position");
    ASSERT_NE(AsKrtPoint(back.pdispVal), nullptr);
    EXPECT_NE(back.pdispVal, D(point.get()));
    EXPECT_EQ(AsKrtPoint(back.pdispVal)->x, 12);
    EXPECT_EQ(AsKrtPoint(back.pdispVal)->y, 34);

    EXPECT_TRUE(GetValue(D(text.get()), "UseLayerColor").boolVal);
    PutValue(D(text.get()), "UseLayerColor", VariantFromBool(false));
    EXPECT_EQ(text->ownColour, 1);
    // Free-standing, a text counts as derived from an identifier.
    EXPECT_TRUE(GetValue(D(text.get()), "IsDerivedFromID").boolVal);
}

TEST(KrtTextClass, FontFieldsWriteTheDescriptionToo)
{
    auto text = Make<KrtText>();
    PutValue(D(text.get()), "Size", VariantFromLong(14));
    PutValue(D(text.get()), "FontName", VariantFromString("Courier New"));
    PutValue(D(text.get()), "FontStyle", VariantFromShort(kFontStyleBold | kFontStyleItalic));
    PutValue(D(text.get()), "CharSet", VariantFromShort(204));
    EXPECT_EQ(text->font.size, 14);
    EXPECT_EQ(text->font.face, "Courier New");
    EXPECT_EQ(text->font.style, kFontStyleBold | kFontStyleItalic);
    EXPECT_EQ(text->font.charSet, 204);

    Variant font = GetValue(D(text.get()), "Font");
    ASSERT_EQ(font.vt, VT_DISPATCH);
    EXPECT_EQ(BstrToWindows1252(GetValue(font.pdispVal, "Name").bstrVal), "Courier New");
    EXPECT_EQ(GetValue(font.pdispVal, "Size").cyVal.int64, 140000);
    EXPECT_TRUE(GetValue(font.pdispVal, "Bold").boolVal);
    EXPECT_TRUE(GetValue(font.pdispVal, "Italic").boolVal);
    EXPECT_FALSE(GetValue(font.pdispVal, "Underline").boolVal);
    EXPECT_EQ(GetValue(font.pdispVal, "Charset").iVal, 204);
}

// --- Fonts ------------------------------------------------------------------------------

TEST(FontDescriptions, SizesRoundToWholePointsFromEightTenthsUp)
{
    struct Case {
        int64_t cy;
        int32_t points;
    };
    for (const Case &c : {Case{107500, 10}, Case{108000, 11}, Case{107000, 10}, Case{100000, 10}, Case{0, 0},
                          Case{INT64_MAX - 1000, INT32_MAX}}) {
        ComPtr<IDispatch> font;
        ASSERT_EQ(CreateObject("StdFont", IDispatch::kIid, font.putVoid()), S_OK);
        ASSERT_EQ(PutValue(font.get(), "Size", Cy(c.cy)).hr, S_OK);
        FontDescription d;
        ASSERT_TRUE(ReadFontObject(font.get(), &d));
        EXPECT_EQ(d.size, c.points) << c.cy;
    }
}

TEST(FontDescriptions, RoundTripThroughTheStandardFontObject)
{
    const FontDescription original{9, "Times New Roman",
                                   kFontStyleBold | kFontStyleUnderline | kFontStyleStrikethrough, 238};
    ComPtr<IDispatch> font = ComPtr<IDispatch>::Adopt(FontObjectFromDescription(original));
    ASSERT_TRUE(font);
    FontDescription back;
    ASSERT_TRUE(ReadFontObject(font.get(), &back));
    EXPECT_EQ(back.size, 9);
    EXPECT_EQ(back.face, "Times New Roman");
    EXPECT_EQ(back.style, original.style);
    EXPECT_EQ(back.charSet, 238);

    // The exported pair, with a face cut to the buffer.
    EXPECT_EQ(FontMapToOle(font.get(), "Arial", 12, kFontStyleItalic, 0), 1);
    char face[4] = {};
    int32_t size = 0;
    uint16_t style = 0;
    int16_t charSet = -1;
    EXPECT_EQ(FontOleToMap(font.get(), face, sizeof face, &size, &style, &charSet), 1);
    EXPECT_STREQ(face, "Ari");
    EXPECT_EQ(size, 12);
    EXPECT_EQ(style, kFontStyleItalic);
    EXPECT_EQ(charSet, 0);
}

TEST(FontDescriptions, WhatIsNoFontLeavesTheDescriptionAlone)
{
    auto point = ComPtr<KrtPoint>::Adopt(new KrtPoint);
    FontDescription d{7, "Keep", 4, 1};
    EXPECT_FALSE(ReadFontObject(D(point.get()), &d));
    EXPECT_FALSE(ReadFontObject(nullptr, &d));
    EXPECT_EQ(d.face, "Keep");
    EXPECT_EQ(d.size, 7);
    int32_t size = 99;
    EXPECT_EQ(FontOleToMap(nullptr, nullptr, 0, &size, nullptr, nullptr), 0);
    EXPECT_EQ(FontMapToOle(nullptr, "Arial", 10, 0, 0), 0);
    EXPECT_EQ(size, 99);

    auto text = Make<KrtText>();
    EXPECT_EQ(PutValue(D(text.get()), "Font", VariantFromDispatch(point.get())).hr, S_OK);
    EXPECT_EQ(PutValue(D(text.get()), "Font", VariantFromDispatch(nullptr)).hr, S_OK);
    EXPECT_EQ(text->font.face, "Arial");
    EXPECT_EQ(text->font.size, 10);
}

// --- KrtLayer and KrtLineStyle ------------------------------------------------------

TEST(KrtLayerClass, NamesAreCutTo47CharactersAndAnEmptyOneReadsAsASpace)
{
    auto layer = Make<KrtLayer>();
    EXPECT_EQ(GetText(D(layer.get()), "Name"), "NoName");
    struct Case {
        std::string put;
        std::string get;
    };
    const std::string sixty(60, 'L');
    const Case cases[] = {{"", " "},
                          {sixty, sixty.substr(0, 47)},
                          {std::string(47, 'a'), std::string(47, 'a')},
                          {std::string(48, 'b'), std::string(47, 'b')},
                          {"Roads", "Roads"}};
    for (const Case &c : cases) {
        ASSERT_EQ(PutValue(D(layer.get()), "Name", VariantFromString(c.put)).hr, S_OK);
        EXPECT_EQ(GetText(D(layer.get()), "Name"), c.get) << c.put.size();
    }
    ASSERT_EQ(PutValue(D(layer.get()), "Name", VariantFromLong(5)).hr, S_OK);
    EXPECT_EQ(layer->name, "5");
}

TEST(KrtLayerClass, DispatchAndTypeLibraryNamesAnswerTheSameIds)
{
    auto layer = Make<KrtLayer>();
    DISPID pattern = 0, hatch = 0;
    const std::string a[1] = {"FillPattern"}, b[1] = {"fillhatch"};
    ASSERT_EQ(D(layer.get())->GetIDsOfNames(a, std::span<DISPID>(&pattern, 1)), S_OK);
    ASSERT_EQ(D(layer.get())->GetIDsOfNames(b, std::span<DISPID>(&hatch, 1)), S_OK);
    EXPECT_EQ(pattern, 16);
    EXPECT_EQ(hatch, 16);
    PutValue(D(layer.get()), "FillHatch", VariantFromLong(3));
    EXPECT_EQ(layer->fillPattern, 3);
}

TEST(KrtLayerClass, FlagBitsAndTheEmbeddedLineStyle)
{
    auto layer = Make<KrtLayer>();
    EXPECT_TRUE(GetValue(D(layer.get()), "Visible").boolVal);
    EXPECT_TRUE(GetValue(D(layer.get()), "Selectable").boolVal);
    EXPECT_FALSE(GetValue(D(layer.get()), "Active").boolVal);
    for (const char *flag : {"Active", "Preview", "NoFillColor"})
        PutValue(D(layer.get()), flag, VariantFromBool(true));
    PutValue(D(layer.get()), "Visible", VariantFromBool(false));
    EXPECT_EQ(layer->flags,
              KrtLayer::kSelectable | KrtLayer::kActive | KrtLayer::kPreview | KrtLayer::kNoFillColor);

    // The embedded style comes back itself; a put copies another style.
    Variant a = GetValue(D(layer.get()), "LineStyle");
    Variant b = GetValue(D(layer.get()), "LineStyle");
    EXPECT_EQ(a.pdispVal, b.pdispVal);
    EXPECT_EQ(a.pdispVal, D(&layer->lineStyle()));
    auto other = Make<KrtLineStyle>();
    other->color = 0x123456;
    other->width = 7;
    other->style = 3;
    other->flags = KrtLineStyle::kRoundedCorners;
    auto point = ComPtr<KrtPoint>::Adopt(new KrtPoint);
    EXPECT_EQ(PutValue(D(layer.get()), "LineStyle", VariantFromDispatch(point.get())).hr, S_OK);
    EXPECT_EQ(layer->lineStyle().width, 1);
    EXPECT_EQ(PutValue(D(layer.get()), "LineStyle", VariantFromDispatch(other.get())).hr, S_OK);
    EXPECT_EQ(layer->lineStyle().color, 0x123456u);
    EXPECT_EQ(layer->lineStyle().width, 7);
    EXPECT_EQ(layer->lineStyle().style, 3);
    EXPECT_EQ(layer->lineStyle().flags, KrtLineStyle::kRoundedCorners);

    // Read-only members accept and ignore a value.
    EXPECT_EQ(PutValue(D(layer.get()), "hObject", VariantFromLong(77)).hr, S_OK);
    EXPECT_EQ(layer->hObject, 0u);
    // Free-standing: no theme, and no collection without the object model.
    EXPECT_EQ(GetValue(D(layer.get()), "Theme").pdispVal, nullptr);
}

TEST(KrtLineStyleClass, RoundedEndingsIsTheInverseOfSquareEndings)
{
    auto style = Make<KrtLineStyle>();
    EXPECT_TRUE(GetValue(D(style.get()), "RoundedEndings").boolVal);
    PutValue(D(style.get()), "RoundedEndings", VariantFromBool(false));
    EXPECT_EQ(style->flags, KrtLineStyle::kSquareEndings);
    PutValue(D(style.get()), "WidthInUnits", VariantFromBool(true));
    PutValue(D(style.get()), "RoundedCorners", VariantFromBool(true));
    PutValue(D(style.get()), "RoundedEndings", VariantFromBool(true));
    EXPECT_EQ(style->flags, KrtLineStyle::kWidthInUnits | KrtLineStyle::kRoundedCorners);
    EXPECT_TRUE(GetValue(D(style.get()), "WidthInUnits").boolVal);
}

// --- KrtLegend, KrtGroup, KrtRaster, KrtPoly -----------------------------------------

TEST(KrtLegendClass, ItsTwoColoursAndFontsAreIndependent)
{
    auto legend = Make<KrtLegend>();
    PutValue(D(legend.get()), "TitleColor", VariantFromLong(0x0000FF));
    PutValue(D(legend.get()), "Color", VariantFromLong(0x00FF00));
    EXPECT_EQ(GetLong(D(legend.get()), "Color"), 0x00FF00);
    EXPECT_EQ(GetLong(D(legend.get()), "TitleColor"), 0x0000FF);

    ComPtr<IDispatch> font = ComPtr<IDispatch>::Adopt(FontObjectFromDescription({20, "Verdana", 0, 0}));
    PutValue(D(legend.get()), "TitleFont", VariantFromDispatch(font.get()));
    EXPECT_EQ(legend->titleFont.face, "Verdana");
    EXPECT_EQ(legend->itemFont.face, "Arial");
    PutValue(D(legend.get()), "PieLegendType", VariantFromString("WithNames"));
    PutValue(D(legend.get()), "Title", VariantFromString("Population"));
    EXPECT_EQ(GetText(D(legend.get()), "PieLegendType"), "WithNames");
    EXPECT_EQ(GetText(D(legend.get()), "Title"), "Population");
    EXPECT_TRUE(GetValue(D(legend.get()), "Include").boolVal);
}

TEST(KrtGroupClass, ParentPutOnlyClearsIt)
{
    auto group = Make<KrtGroup>();
    EXPECT_EQ(GetValue(D(group.get()), "Parent").pdispVal, nullptr);
    group->parent = 40;
    auto bound = Make<KrtGroup>();
    bound->hObject = 12;
    auto layer = Make<KrtLayer>();
    for (const Variant &v : {VariantFromDispatch(bound.get()), VariantFromDispatch(layer.get()),
                             VariantFromDispatch(nullptr), VariantFromLong(0)})
        EXPECT_EQ(PutValue(D(group.get()), "Parent", v).hr, S_OK);
    EXPECT_EQ(group->parent, 40u);
    auto free = Make<KrtGroup>();
    PutValue(D(group.get()), "Parent", VariantFromDispatch(free.get()));
    EXPECT_EQ(group->parent, 0u);
}

TEST(KrtRasterClass, DefaultsLeaveSizesAndOriginToTheEngine)
{
    auto raster = Make<KrtRaster>();
    for (const char *m : {"OriginX", "OriginY", "Width", "Height"})
        EXPECT_EQ(GetLong(D(raster.get()), m), 2147483647) << m;
    EXPECT_TRUE(GetValue(D(raster.get()), "ImageIsVisible").boolVal);
    EXPECT_FALSE(GetValue(D(raster.get()), "FrameIsVisible").boolVal);
    EXPECT_EQ(GetValue(D(raster.get()), "ResolutionX").dblVal, 0.0);
    PutValue(D(raster.get()), "hLayer", VariantFromLong(9));
    EXPECT_EQ(raster->hLayer, 0u);
}

TEST(KrtPolyClass, PointsIsTheEmbeddedListWithOneMoreReference)
{
    auto poly = Make<KrtPoly>();
    EXPECT_TRUE(GetValue(D(poly.get()), "IsPolyline").boolVal);
    Variant points = GetValue(D(poly.get()), "Points");
    ASSERT_EQ(points.pdispVal, D(poly->pointsObject()));
    Invoke(points.pdispVal, "AddXY", DISPATCH_METHOD, {VariantFromLong(3), VariantFromLong(4)});
    EXPECT_EQ(poly->points().count(), 1);
    // Putting a read-only member is accepted and changes nothing.
    auto other = Make<KrtPoints>();
    EXPECT_EQ(PutValue(D(poly.get()), "Points", VariantFromDispatch(other.get())).hr, S_OK);
    EXPECT_EQ(poly->pointsObject(), poly->pointsObject());
    EXPECT_EQ(GetValue(D(poly.get()), "Points").pdispVal, D(poly->pointsObject()));
    // Without a map a layer put only stores the handle.
    PutValue(D(poly.get()), "hLayer", VariantFromLong(55));
    EXPECT_EQ(poly->hLayer, 55u);
}

// --- Values of every kind ------------------------------------------------------------

// Every member of every class, put and got with values of each VARIANT type:
// each call answers with a result code (never a crash or a sanitizer
// report), and a refused put is a known dispatch failure.
TEST(AllClasses, EveryMemberTakesValuesOfEveryTypeWithoutHarm)
{
    auto rect = ComPtr<KrtRect>::Adopt(new KrtRect);
    auto foreign = ComPtr<ForeignObject>::Adopt(new ForeignObject);
    int32_t longTarget = 7;
    Variant inner = VariantFromString("A4");
    BSTR bstrTarget = SysAllocString(u"ref");
    std::vector<Variant> values = {Variant(),
                                   VariantFromShort(-3),
                                   VariantFromLong(-1),
                                   VariantFromLong(2147483647),
                                   VariantFromDouble(2.5),
                                   VariantFromDouble(1e300),
                                   VariantFromString("A4"),
                                   VariantFromString(""),
                                   VariantFromString("   "),
                                   VariantFromBool(true),
                                   VariantFromDispatch(nullptr),
                                   VariantFromDispatch(rect.get()),
                                   VariantFromDispatch(foreign.get()),
                                   Cy(-25000)};
    Variant nullValue;
    nullValue.vt = VT_NULL;
    values.push_back(nullValue);
    Variant byRefLong;
    byRefLong.vt = VT_BYREF | VT_I4;
    byRefLong.plVal = &longTarget;
    values.push_back(byRefLong);
    Variant byRefString;
    byRefString.vt = VT_BYREF | VT_BSTR;
    byRefString.pbstrVal = &bstrTarget;
    values.push_back(byRefString);
    values.push_back(Variant(VariantRefTo(&inner)));

    const std::vector<ComPtr<IDispatch>> objects = {
        ComPtr<IDispatch>::Adopt(new KrtPoints), ComPtr<IDispatch>::Adopt(new KrtPoly),
        ComPtr<IDispatch>::Adopt(new KrtText),   ComPtr<IDispatch>::Adopt(new KrtRaster),
        ComPtr<IDispatch>::Adopt(new KrtGroup),  ComPtr<IDispatch>::Adopt(new KrtLayer),
        ComPtr<IDispatch>::Adopt(new KrtLegend), ComPtr<IDispatch>::Adopt(new KrtLineStyle)};
    const HRESULT allowed[] = {S_OK, DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW, DISP_E_EXCEPTION,
                               DISP_E_BADPARAMCOUNT};
    for (const ComPtr<IDispatch> &object : objects) {
        const MemberTable &table = static_cast<DispatchObject *>(object.get())->table();
        for (const MemberInfo &m : table.members()) {
            for (const Variant &v : values) {
                std::vector<Variant> args(m.params.size(), VariantFromLong(0));
                if (!args.empty())
                    args[0] = v;
                const WORD kind = m.kind == MemberKind::Method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
                const CallOutcome call = Invoke(object.get(), m.name, kind, args);
                EXPECT_TRUE(std::find(std::begin(allowed), std::end(allowed), call.hr) != std::end(allowed))
                    << table.info().className << "." << m.name << " " << std::hex << call.hr;
                if (m.kind == MemberKind::Property && m.params.empty()) {
                    const CallOutcome put = PutValue(object.get(), m.name, v);
                    EXPECT_TRUE(std::find(std::begin(allowed), std::end(allowed), put.hr) !=
                                std::end(allowed))
                        << table.info().className << "." << m.name << " put " << v.vt;
                    if (put.hr == DISP_E_EXCEPTION) {
                        EXPECT_TRUE(put.error == kErrorBadOleType || put.error == int32_t(E_OUTOFMEMORY))
                            << table.info().className << "." << m.name << " " << put.error;
                    }
                }
            }
        }
    }
    SysFreeString(bstrTarget);
}

} // namespace

// The platform's standard font object: made by its ProgID in any case and
// by its class id without any registration, its properties at their fixed
// dispatch ids, and Bold following the weight.
#include "platform/automation_creation.h"
#include "platform/std_font.h"
#include "tests/support/temp_settings.h"

#include <gtest/gtest.h>

namespace {

Variant GetById(IDispatch *object, DISPID id)
{
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant result;
    EXPECT_EQ(object->Invoke(id, DISPATCH_PROPERTYGET, none, &result, nullptr, nullptr), S_OK) << id;
    return result;
}

HRESULT PutById(IDispatch *object, DISPID id, VARIANT value)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return object->Invoke(id, DISPATCH_PROPERTYPUT, params, nullptr, nullptr, nullptr);
}

TEST(StdFontObject, IsMadeByProgIdOrClassIdWithoutRegistration)
{
    TempSettingsFolders empty; // a registry that knows no class
    for (const char *name : {"StdFont", "STDFONT", "{0BE35203-8F91-11CE-9DE3-00AA004BB851}"}) {
        ComPtr<IDispatch> font;
        ASSERT_EQ(CreateObject(name, IDispatch::kIid, font.putVoid()), S_OK) << name;
        ComPtr<IDispatch> fontDisp;
        EXPECT_EQ(font->QueryInterface(IID_IFontDisp, fontDisp.putVoid()), S_OK);
        EXPECT_EQ(fontDisp.get(), font.get());
    }
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID("stdfont", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_StdFont);
    EXPECT_EQ(CLSIDFromProgID("StdFonts", &clsid), CO_E_CLASSSTRING);
}

TEST(StdFontObject, PropertiesAnswerTheirStandardIds)
{
    ComPtr<IDispatch> font;
    ASSERT_EQ(CreateObject("StdFont", IDispatch::kIid, font.putVoid()), S_OK);
    struct Case {
        const char *name;
        DISPID id;
    };
    for (const Case &c :
         {Case{"Name", 0}, Case{"Size", 2}, Case{"Bold", 3}, Case{"Italic", 4}, Case{"Underline", 5},
          Case{"Strikethrough", 6}, Case{"Weight", 7}, Case{"Charset", 8}}) {
        const std::string names[1] = {c.name};
        DISPID id = DISPID_UNKNOWN;
        ASSERT_EQ(font->GetIDsOfNames(names, std::span<DISPID>(&id, 1)), S_OK) << c.name;
        EXPECT_EQ(id, c.id) << c.name;
    }

    // Names keep characters outside Windows-1252.
    Variant name;
    name.vt = VT_BSTR;
    name.bstrVal = SysAllocString(u"\u5b8b\u4f53");
    ASSERT_EQ(PutById(font.get(), DISPID_FONT_NAME, name), S_OK);
    Variant back = GetById(font.get(), DISPID_FONT_NAME);
    EXPECT_EQ(BstrToQString(back.bstrVal), QString::fromUtf16(u"\u5b8b\u4f53"));

    // Size is a currency value; a number is converted to one.
    ASSERT_EQ(PutById(font.get(), DISPID_FONT_SIZE, VariantFromDouble(10.75)), S_OK);
    Variant size = GetById(font.get(), DISPID_FONT_SIZE);
    ASSERT_EQ(size.vt, VT_CY);
    EXPECT_EQ(size.cyVal.int64, 107500);
    EXPECT_EQ(PutById(font.get(), DISPID_FONT_SIZE, VariantFromString("big")), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(GetById(font.get(), DISPID_FONT_SIZE).cyVal.int64, 107500);
}

TEST(StdFontObject, BoldFollowsTheWeight)
{
    ComPtr<IDispatch> font;
    ASSERT_EQ(CreateObject("StdFont", IDispatch::kIid, font.putVoid()), S_OK);
    EXPECT_FALSE(GetById(font.get(), DISPID_FONT_BOLD).boolVal);
    EXPECT_EQ(GetById(font.get(), DISPID_FONT_WEIGHT).iVal, 400);
    ASSERT_EQ(PutById(font.get(), DISPID_FONT_BOLD, VariantFromBool(true)), S_OK);
    EXPECT_EQ(GetById(font.get(), DISPID_FONT_WEIGHT).iVal, 700);
    ASSERT_EQ(PutById(font.get(), DISPID_FONT_WEIGHT, VariantFromShort(550)), S_OK);
    EXPECT_FALSE(GetById(font.get(), DISPID_FONT_BOLD).boolVal);
    ASSERT_EQ(PutById(font.get(), DISPID_FONT_WEIGHT, VariantFromShort(600)), S_OK);
    EXPECT_TRUE(GetById(font.get(), DISPID_FONT_BOLD).boolVal);
    ASSERT_EQ(PutById(font.get(), DISPID_FONT_CHARSET, VariantFromShort(161)), S_OK);
    EXPECT_EQ(GetById(font.get(), DISPID_FONT_CHARSET).iVal, 161);
}

} // namespace

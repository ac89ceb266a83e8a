// GUID text, automation strings and the coercions of VARIANT.
#include "platform/automation_dispatch.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Guid, ReadsEitherCaseAndWritesUpperCase)
{
    const std::optional<GUID> g = GuidFromString("{2cd73568-4AC1-11d1-85D5-00a0245717f8}");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Data1, 0x2CD73568u);
    EXPECT_EQ(g->Data2, 0x4AC1);
    EXPECT_EQ(g->Data4[0], 0x85);
    EXPECT_EQ(g->Data4[7], 0xF8);
    EXPECT_EQ(GuidToString(*g), "{2CD73568-4AC1-11D1-85D5-00A0245717F8}");
    EXPECT_EQ(GuidFromString(GuidToString(*g)), g);
}

TEST(Guid, RefusesMalformedText)
{
    for (const char *bad :
         {"", "2CD73568-4AC1-11D1-85D5-00A0245717F8", "{2CD73568-4AC1-11D1-85D5-00A0245717F}",
          "{2CD73568-4AC1-11D1-85D500A0245717F8-}", "{2CD73568-4AC1-11D1-85D5-00A0245717G8}",
          " {2CD73568-4AC1-11D1-85D5-00A0245717F8}", "{2CD73568_4AC1-11D1-85D5-00A0245717F8}"})
        EXPECT_FALSE(GuidFromString(bad)) << bad;
}

TEST(Bstr, HoldsZerosThroughWindows1252AndBack)
{
    const std::string text("a\0b\x80\xFF\0", 6);
    BSTR s = BstrFromWindows1252(text);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 6u);
    EXPECT_EQ(SysStringByteLen(s), 12u);
    EXPECT_EQ(s[1], u'\0');
    EXPECT_EQ(s[3], u'\u20AC'); // the euro sign of 1252
    EXPECT_EQ(s[4], u'\u00FF');
    EXPECT_EQ(s[6], u'\0'); // terminated past its length too
    EXPECT_EQ(BstrToWindows1252(s), text);

    // A copy keeps the zeros: the length, not a zero, ends the text.
    Variant v;
    v.vt = VT_BSTR;
    v.bstrVal = s;
    Variant copy(v);
    EXPECT_NE(copy.bstrVal, s);
    EXPECT_EQ(BstrToWindows1252(copy.bstrVal), text);
}

TEST(Bstr, NullIsTheEmptyString)
{
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(BstrToWindows1252(nullptr), "");
    SysFreeString(nullptr);
    BSTR zeros = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(SysStringLen(zeros), 3u);
    EXPECT_EQ(zeros[0] | zeros[1] | zeros[2], 0);
    EXPECT_TRUE(SysReAllocStringLen(&zeros, u"xy", 2));
    EXPECT_EQ(BstrToQString(zeros), QStringLiteral("xy"));
    SysFreeString(zeros);
}

// Builders for the table below.
Variant Str(const char *text) { return VariantFromString(text); }
Variant Cy(int64_t tenThousandths)
{
    Variant v;
    v.vt = VT_CY;
    v.cyVal.int64 = tenThousandths;
    return v;
}
Variant R4(float f)
{
    Variant v;
    v.vt = VT_R4;
    v.fltVal = f;
    return v;
}
Variant Of(VARTYPE vt)
{
    Variant v;
    v.vt = vt;
    return v;
}

// Same type and value.
testing::AssertionResult Same(const VARIANT &a, const VARIANT &b)
{
    if (a.vt != b.vt)
        return testing::AssertionFailure() << "types " << a.vt << " and " << b.vt;
    bool same = false;
    switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
        same = true;
        break;
    case VT_I2:
        same = a.iVal == b.iVal;
        break;
    case VT_I4:
        same = a.lVal == b.lVal;
        break;
    case VT_R4:
        same = a.fltVal == b.fltVal;
        break;
    case VT_R8:
        same = a.dblVal == b.dblVal;
        break;
    case VT_CY:
        same = a.cyVal.int64 == b.cyVal.int64;
        break;
    case VT_BOOL:
        same = a.boolVal == b.boolVal;
        break;
    case VT_BSTR:
        same = BstrToQString(a.bstrVal) == BstrToQString(b.bstrVal);
        if (!same)
            return testing::AssertionFailure() << "\"" << BstrToWindows1252(a.bstrVal) << "\" vs \""
                                               << BstrToWindows1252(b.bstrVal) << "\"";
        break;
    default:
        return testing::AssertionFailure() << "type " << a.vt << " not compared";
    }
    return same ? testing::AssertionSuccess() : testing::AssertionFailure() << "values differ";
}

TEST(VariantChangeType, StandardCoercions)
{
    struct Case {
        const char *what;
        Variant from;
        VARTYPE to;
        uint16_t flags;
        HRESULT hr;
        Variant expected;
    };
    const Case cases[] = {
        {"long to text", VariantFromLong(-42), VT_BSTR, 0, S_OK, Str("-42")},
        {"half rounds to even (down)", VariantFromDouble(2.5), VT_I4, 0, S_OK, VariantFromLong(2)},
        {"half rounds to even (up)", VariantFromDouble(3.5), VT_I4, 0, S_OK, VariantFromLong(4)},
        {"negative half to short", VariantFromDouble(-2.5), VT_I2, 0, S_OK, VariantFromShort(-2)},
        {"short overflow", VariantFromDouble(40000), VT_I2, 0, DISP_E_OVERFLOW, {}},
        {"long overflow", VariantFromDouble(3e9), VT_I4, 0, DISP_E_OVERFLOW, {}},
        {"float overflow", VariantFromDouble(1e300), VT_R4, 0, DISP_E_OVERFLOW, {}},
        {"text with blanks", Str(" 17 "), VT_I4, 0, S_OK, VariantFromLong(17)},
        {"text with exponent", Str("1.5e2"), VT_R8, 0, S_OK, VariantFromDouble(150)},
        {"text not a number", Str("12abc"), VT_I4, 0, DISP_E_TYPEMISMATCH, {}},
        {"empty text", Str(""), VT_R8, 0, DISP_E_TYPEMISMATCH, {}},
        {"true to long", VariantFromBool(true), VT_I4, 0, S_OK, VariantFromLong(-1)},
        {"true to text", VariantFromBool(true), VT_BSTR, 0, S_OK, Str("-1")},
        {"true to text, alpha", VariantFromBool(true), VT_BSTR, VARIANT_ALPHABOOL, S_OK, Str("True")},
        {"text to bool", Str("fAlSe"), VT_BOOL, 0, S_OK, VariantFromBool(false)},
        {"number text to bool", Str("3"), VT_BOOL, 0, S_OK, VariantFromBool(true)},
        {"zero to bool", VariantFromLong(0), VT_BOOL, 0, S_OK, VariantFromBool(false)},
        {"empty to long", Variant(), VT_I4, 0, S_OK, VariantFromLong(0)},
        {"empty to text", Variant(), VT_BSTR, 0, S_OK, Str("")},
        {"null to long", Of(VT_NULL), VT_I4, 0, DISP_E_TYPEMISMATCH, {}},
        {"currency to text", Cy(-12345), VT_BSTR, 0, S_OK, Str("-1.2345")},
        {"currency to long", Cy(25000), VT_I4, 0, S_OK, VariantFromLong(2)},
        {"double to currency", VariantFromDouble(1.23456), VT_CY, 0, S_OK, Cy(12346)},
        {"long to currency", VariantFromLong(2147483647), VT_CY, 0, S_OK, Cy(21474836470000)},
        {"double to text", VariantFromDouble(0.1), VT_BSTR, 0, S_OK, Str("0.1")},
        {"large double to text", VariantFromDouble(1e20), VT_BSTR, 0, S_OK, Str("1E+20")},
        {"float to double", R4(0.5f), VT_R8, 0, S_OK, VariantFromDouble(0.5)},
        {"long to object", VariantFromLong(1), VT_DISPATCH, 0, DISP_E_TYPEMISMATCH, {}},
        {"null object to long", Of(VT_UNKNOWN), VT_I4, 0, DISP_E_TYPEMISMATCH, {}},
        {"null object to text", Of(VT_DISPATCH), VT_BSTR, 0, DISP_E_TYPEMISMATCH, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Variant out = VariantFromLong(99);
        EXPECT_EQ(VariantChangeType(&out, &c.from, c.flags, c.to), c.hr);
        if (c.hr == S_OK)
            EXPECT_TRUE(Same(out, c.expected));
        else
            EXPECT_TRUE(Same(out, VariantFromLong(99))); // a failure leaves the target alone
    }
}

TEST(VariantChangeType, FollowsReferences)
{
    int32_t n = 7;
    Variant byRefLong;
    byRefLong.vt = VT_BYREF | VT_I4;
    byRefLong.plVal = &n;
    Variant out;
    ASSERT_EQ(VariantChangeType(&out, &byRefLong, 0, VT_R8), S_OK);
    EXPECT_TRUE(Same(out, VariantFromDouble(7)));

    Variant inner = Str("12");
    VARIANT toVariant = VariantRefTo(&inner);
    ASSERT_EQ(VariantChangeType(&out, &toVariant, 0, VT_I2), S_OK);
    EXPECT_TRUE(Same(out, VariantFromShort(12)));

    // In place: the source is the target.
    Variant self = Str("3.25");
    ASSERT_EQ(VariantChangeType(&self, &self, 0, VT_R8), S_OK);
    EXPECT_TRUE(Same(self, VariantFromDouble(3.25)));

    VARIANT nullRef = VariantRefTo(nullptr);
    EXPECT_EQ(VariantChangeType(&out, &nullRef, 0, VT_I4), E_INVALIDARG);
}

TEST(VariantClear, RefusesUnknownTypesAndFreesOwnedValues)
{
    VARIANT bad;
    VariantInit(&bad);
    bad.vt = 0x7FF;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(bad.vt, 0x7FF);
    Variant copy;
    EXPECT_EQ(VariantCopy(&copy, &bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeType(&copy, &bad, 0, VT_I4), DISP_E_BADVARTYPE);

    Variant text = Str("owned"); // freed by its destructor: the leak check holds it
    Variant other = text;
    EXPECT_NE(other.bstrVal, text.bstrVal);
    EXPECT_EQ(VariantClear(&other), S_OK);
    EXPECT_EQ(other.vt, VT_EMPTY);
}

} // namespace

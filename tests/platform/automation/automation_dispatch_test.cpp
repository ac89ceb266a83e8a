// Dispatch through a member table: names, ids, argument order and counts,
// coercion of arguments, read-only properties and exceptions.
#include "widget.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

namespace {

class DispatchTest : public testing::Test {
protected:
    ~DispatchTest() override { widget->Release(); }

    DISPID IdOf(const std::string &name, HRESULT *hr = nullptr)
    {
        DISPID id = 12345;
        const HRESULT r =
            widget->GetIDsOfNames(std::span<const std::string>(&name, 1), std::span<DISPID>(&id, 1));
        if (hr)
            *hr = r;
        return id;
    }
    // Invoke with arguments in natural order (reversed here, as callers do).
    HRESULT Call(DISPID id, WORD flags, std::vector<Variant> args, Variant *result = nullptr,
                 UINT *argErr = nullptr)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS p{reversed.data(), nullptr, UINT(reversed.size()), 0};
        return widget->Invoke(id, flags, p, result, &info, argErr);
    }
    HRESULT Put(DISPID id, const VARIANT &value, WORD flags = DISPATCH_PROPERTYPUT)
    {
        VARIANT arg = value;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS p{&arg, &named, 1, 1};
        return widget->Invoke(id, flags, p, nullptr, &info, nullptr);
    }
    void TearDown() override { ClearExcepInfo(&info); }

    Widget *widget = new Widget;
    EXCEPINFO info{};
};

TEST_F(DispatchTest, NamesAndAliasesInAnyCase)
{
    const std::pair<const char *, DISPID> cases[] = {
        {"Width", 1}, {"WIDTH", 1}, {"width", 1}, {"Caption", 2},   {"title", 2},
        {"TEXT", 2},  {"count", 3}, {"sUb", 5},   {"_newenum", -4}, {"refresh", DISPID_REFRESH},
    };
    for (const auto &[name, id] : cases) {
        HRESULT hr = E_FAIL;
        EXPECT_EQ(IdOf(name, &hr), id) << name;
        EXPECT_EQ(hr, S_OK) << name;
    }
    HRESULT hr = S_OK;
    EXPECT_EQ(IdOf("Widths", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(IdOf("", &hr), DISPID_UNKNOWN);

    // Argument names are not known; the member's id still comes back.
    const std::string names[] = {"sub", "a"};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(widget->GetIDsOfNames(names, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 5);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(widget->GetIDsOfNames({}, {}), E_INVALIDARG);
    EXPECT_TRUE(widget->table().duplicates().empty());
}

TEST_F(DispatchTest, ArgumentsArriveInNaturalOrder)
{
    Variant r;
    ASSERT_EQ(Call(5, DISPATCH_METHOD, {VariantFromLong(10), VariantFromLong(3)}, &r), S_OK);
    EXPECT_EQ(r.lVal, 7);
    // The optional third, given and left out (missing marker).
    ASSERT_EQ(Call(5, DISPATCH_METHOD, {VariantFromLong(10), VariantFromLong(3), VariantFromLong(2)}, &r),
              S_OK);
    EXPECT_EQ(r.lVal, 5);
    Variant missing;
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    ASSERT_EQ(Call(5, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                   {VariantFromLong(10), VariantFromLong(3), missing}, &r),
              S_OK);
    EXPECT_EQ(r.lVal, 7);
    // Arguments are coerced to the declared type.
    ASSERT_EQ(Call(5, DISPATCH_METHOD, {VariantFromString("10"), VariantFromDouble(2.5)}, &r), S_OK);
    EXPECT_EQ(r.lVal, 8);
}

TEST_F(DispatchTest, BadCallsGetTheirCodes)
{
    Variant missing;
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    struct Case {
        const char *what;
        DISPID id;
        WORD flags;
        std::vector<Variant> args;
        HRESULT hr;
        UINT argErr;
    };
    const Case cases[] = {
        {"unknown id", 99, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND, 0},
        {"too few", 5, DISPATCH_METHOD, {VariantFromLong(1)}, DISP_E_BADPARAMCOUNT, 0},
        {"too many", 5, DISPATCH_METHOD, std::vector<Variant>(4, VariantFromLong(1)), DISP_E_BADPARAMCOUNT,
         0},
        {"property get with args", 1, DISPATCH_PROPERTYGET, {VariantFromLong(1)}, DISP_E_BADPARAMCOUNT, 0},
        {"first not a number",
         5,
         DISPATCH_METHOD,
         {VariantFromString("x"), VariantFromLong(1)},
         DISP_E_TYPEMISMATCH,
         1},
        {"second too large",
         5,
         DISPATCH_METHOD,
         {VariantFromLong(1), VariantFromDouble(1e12)},
         DISP_E_OVERFLOW,
         0},
        {"required one missing",
         5,
         DISPATCH_METHOD,
         {VariantFromLong(1), missing},
         DISP_E_PARAMNOTOPTIONAL,
         0},
        {"not by reference", 7, DISPATCH_METHOD, {VariantFromLong(1)}, DISP_E_TYPEMISMATCH, 0},
        {"no kind", 1, 0, {}, DISP_E_MEMBERNOTFOUND, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Variant r;
        UINT argErr = 777;
        EXPECT_EQ(Call(c.id, c.flags, c.args, &r, &argErr), c.hr);
        if (c.hr == DISP_E_TYPEMISMATCH || c.hr == DISP_E_OVERFLOW || c.hr == DISP_E_PARAMNOTOPTIONAL) {
            EXPECT_EQ(argErr, c.argErr);
        }
        EXPECT_EQ(r.vt, VT_EMPTY);
    }

    // Puts: on a method, without the put name, with other names.
    EXPECT_EQ(Put(5, VariantFromLong(1)), DISP_E_MEMBERNOTFOUND);
    VARIANT arg = VariantFromLong(1);
    DISPPARAMS unnamed{&arg, nullptr, 1, 0};
    EXPECT_EQ(widget->Invoke(1, DISPATCH_PROPERTYPUT, unnamed, nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
    DISPID otherName = 3;
    DISPPARAMS named{&arg, &otherName, 1, 1};
    EXPECT_EQ(widget->Invoke(1, DISPATCH_PROPERTYPUT, named, nullptr, nullptr, nullptr), DISP_E_NONAMEDARGS);
    EXPECT_EQ(widget->Invoke(5, DISPATCH_METHOD, named, nullptr, nullptr, nullptr), DISP_E_NONAMEDARGS);
    DISPPARAMS nullArgs{nullptr, nullptr, 2, 0};
    EXPECT_EQ(widget->Invoke(5, DISPATCH_METHOD, nullArgs, nullptr, nullptr, nullptr), E_INVALIDARG);
    // A put by reference where the property takes none.
    EXPECT_EQ(Put(1, VariantFromLong(1), DISPATCH_PROPERTYPUTREF), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(widget->width, 0);
}

TEST_F(DispatchTest, PropertiesByIdAndTheDefaultMember)
{
    ASSERT_EQ(Put(1, VariantFromString("42")), S_OK);
    Variant r;
    ASSERT_EQ(Call(DISPID_VALUE, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_I4);
    EXPECT_EQ(r.lVal, 42);
    // The object converts to a value through its default member.
    Variant object = VariantFromDispatch(widget);
    Variant asText;
    ASSERT_EQ(VariantChangeType(&asText, &object, 0, VT_BSTR), S_OK);
    EXPECT_EQ(BstrToWindows1252(asText.bstrVal), "42");
    EXPECT_EQ(VariantChangeType(&asText, &object, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);

    ASSERT_EQ(PutByName(widget, "TITLE", VariantFromString("caf\xE9")), S_OK);
    EXPECT_EQ(widget->caption, "caf\xE9");
    HRESULT hr = E_FAIL;
    const Variant caption = CallByName(widget, "caption", DISPATCH_PROPERTYGET, {}, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(BstrToQString(caption.bstrVal), QStringLiteral(u"caf\u00E9"));

    ASSERT_EQ(Call(DISPID_REFRESH, DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(widget->refreshes, 1);
}

TEST_F(DispatchTest, ReadOnlyPropertiesRaiseOrIgnore)
{
    ASSERT_EQ(Put(3, VariantFromLong(5)), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, CTL_E_SETNOTSUPPORTED);
    EXPECT_EQ(uint32_t(info.scode), 0x800A017Fu);
    EXPECT_EQ(info.wCode, 0);
    EXPECT_GT(SysStringLen(info.bstrDescription), 0u);
    // Accepted and dropped, whatever the value.
    EXPECT_EQ(Put(4, VariantFromString("not a number")), S_OK);
    Variant r;
    ASSERT_EQ(Call(4, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.lVal, 77);
}

TEST_F(DispatchTest, VariantArgumentsPassAsTheCallerGaveThem)
{
    Variant target = VariantFromString("in");
    std::vector<Variant> args(1);
    VARIANT ref = VariantRefTo(&target);
    static_cast<VARIANT &>(args[0]) = ref; // a by-reference VARIANT owns nothing
    Variant r;
    ASSERT_EQ(Call(6, DISPATCH_METHOD, args, &r), S_OK);
    EXPECT_EQ(BstrToWindows1252(r.bstrVal), "in");
    EXPECT_EQ(target.vt, VT_I4); // written back through the reference
    EXPECT_EQ(target.lVal, 5);
    VariantInit(&args[0]);

    int32_t out = 0;
    Variant byRef;
    byRef.vt = VT_BYREF | VT_I4;
    byRef.plVal = &out;
    std::vector<Variant> spanArgs{byRef};
    ASSERT_EQ(Call(7, DISPATCH_METHOD, spanArgs), S_OK);
    EXPECT_EQ(out, 9);
}

TEST_F(DispatchTest, ObjectPropertiesTakePutByReference)
{
    Widget *font = new Widget;
    EXPECT_EQ(Put(8, VariantFromDispatch(font), DISPATCH_PROPERTYPUTREF), S_OK);
    EXPECT_EQ(widget->font, font);
    EXPECT_EQ(Put(8, VariantFromLong(3)), DISP_E_TYPEMISMATCH);
    font->Release(); // the widget keeps its own reference
    Variant r;
    ASSERT_EQ(Call(8, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.pdispVal, font);
    // A null object of either kind clears it.
    Variant nothing;
    nothing.vt = VT_UNKNOWN;
    nothing.punkVal = nullptr;
    EXPECT_EQ(Put(8, nothing), S_OK);
    EXPECT_EQ(widget->font, nullptr);
}

TEST_F(DispatchTest, InterfacesByIdAndReferenceCounts)
{
    void *p = nullptr;
    ASSERT_EQ(widget->QueryInterface(kWidgetIid, &p), S_OK);
    EXPECT_EQ(p, static_cast<IDispatch *>(widget));
    EXPECT_EQ(widget->AddRef(), 3u);
    EXPECT_EQ(widget->Release(), 2u);
    widget->Release();
    ASSERT_EQ(widget->QueryInterface(IUnknown::kIid, &p), S_OK);
    EXPECT_EQ(p, widget->Identity());
    widget->Release();
    EXPECT_EQ(widget->QueryInterface(kWidgetEventsIid, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(widget->QueryInterface(IDispatch::kIid, nullptr), E_POINTER);
}

} // namespace

namespace {

// Random VARIANT: any type the layer knows or not, by value or by reference
// (to a value, to nothing, to another VARIANT), from a seeded generator.
class RandomArgs {
public:
    explicit RandomArgs(uint32_t seed) : rng_(seed) {}

    VARIANT Next()
    {
        VARIANT v;
        VariantInit(&v);
        static const VARTYPE kTypes[] = {VT_EMPTY, VT_NULL, VT_I2,    VT_I4,       VT_R4,      VT_R8, VT_CY,
                                         VT_BSTR,  VT_BOOL, VT_ERROR, VT_DISPATCH, VT_UNKNOWN, 0x7FF};
        const VARTYPE base = kTypes[rng_() % std::size(kTypes)];
        const uint32_t form = rng_() % 4;
        numbers_.push_back(Variant());
        Variant &target = numbers_.back();
        target.vt = base == VT_BSTR ? VT_I4 : base;
        if (base == VT_DISPATCH || base == VT_UNKNOWN)
            target.punkVal = nullptr; // a reference to a null object
        else
            target.lVal = int32_t(rng_());
        if (base == VT_BSTR) {
            strings_.push_back(VariantFromString(std::to_string(int32_t(rng_()) % 1000)));
            v = strings_.back();
        } else if (base == VT_DISPATCH || base == VT_UNKNOWN) {
            v.vt = base; // a null object
        } else {
            v = target;
            if (base == VT_ERROR)
                v.scode = rng_() % 2 ? DISP_E_PARAMNOTFOUND : E_FAIL;
        }
        if (form == 1 && v.vt != VT_EMPTY && v.vt != VT_NULL && v.vt != 0x7FF && v.vt != VT_BSTR) {
            v.vt |= VT_BYREF;
            v.plVal = &target.lVal; // every payload starts at the same place
        } else if (form == 2) {
            v = VariantRefTo(rng_() % 3 ? &target : nullptr);
        } else if (form == 3 && rng_() % 4 == 0) {
            v.vt = VT_BYREF | VT_I4;
            v.plVal = nullptr;
        }
        return v;
    }
    uint32_t Below(uint32_t n) { return rng_() % n; }

private:
    std::minstd_rand rng_;
    std::deque<Variant> numbers_;
    std::deque<Variant> strings_;
};

TEST_F(DispatchTest, RandomArgumentsNeverReachAMemberBadly)
{
    // Every member by id and a few ids that do not exist; every kind; 0 to 4
    // arguments of any type. Each call either succeeds or fails with a code;
    // ASan and UBSan watch the rest.
    const DISPID ids[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, DISPID_NEWENUM, DISPID_REFRESH, 9, -1};
    const WORD kinds[] = {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
                          DISPATCH_PROPERTYPUTREF, DISPATCH_METHOD | DISPATCH_PROPERTYGET};
    RandomArgs random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::vector<VARIANT> args(random.Below(5));
        for (VARIANT &a : args)
            a = random.Next();
        const WORD kind = kinds[random.Below(std::size(kinds))];
        DISPID named = DISPID_PROPERTYPUT;
        const bool put = (kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && !args.empty();
        DISPPARAMS p{args.data(), put ? &named : nullptr, UINT(args.size()), put ? 1u : 0u};
        Variant r;
        UINT argErr = 1000;
        const HRESULT hr = widget->Invoke(ids[random.Below(std::size(ids))], kind, p, &r, &info, &argErr);
        if (FAILED(hr)) {
            EXPECT_EQ(r.vt, VT_EMPTY);
            if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_BADVARTYPE) {
                EXPECT_LT(argErr, args.size());
            }
        }
        ClearExcepInfo(&info);
    }
    // Still a sound object.
    Variant r;
    ASSERT_EQ(Call(5, DISPATCH_METHOD, {VariantFromLong(10), VariantFromLong(3)}, &r), S_OK);
    EXPECT_EQ(r.lVal, 7);
}

} // namespace

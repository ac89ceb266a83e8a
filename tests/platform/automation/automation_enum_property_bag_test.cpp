// Enumerators over a shared source, and the property bag of persistence.
#include "widget.h"

#include "platform/automation_property_bag.h"

#include <gtest/gtest.h>

namespace {

ComPtr<IEnumVARIANT> NewEnum(IDispatch *object)
{
    HRESULT hr = E_FAIL;
    Variant unknown = CallByName(object, "_NewEnum", DISPATCH_PROPERTYGET, {}, &hr);
    EXPECT_EQ(hr, S_OK);
    ComPtr<IEnumVARIANT> e;
    if (unknown.vt == VT_UNKNOWN && unknown.punkVal) {
        EXPECT_EQ(unknown.punkVal->QueryInterface(IEnumVARIANT::kIid, e.putVoid()), S_OK);
    }
    return e;
}

TEST(Enumerator, NextSkipResetAndClone)
{
    auto *widget = new Widget;
    ComPtr<IEnumVARIANT> e = NewEnum(widget);
    widget->Release(); // the enumerator does not need its collection
    ASSERT_TRUE(e);

    Variant items[3];
    ULONG fetched = 99;
    ASSERT_EQ(e->Next(2, items, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(items[0].lVal, 10);
    EXPECT_EQ(items[1].lVal, 20);

    ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    ASSERT_EQ(e->Next(2, items, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(items[0].lVal, 30);
    EXPECT_EQ(e->Next(1, items, nullptr), S_FALSE);

    // The clone kept its own position.
    ASSERT_EQ(clone->Next(1, items, nullptr), S_OK);
    EXPECT_EQ(items[0].lVal, 30);

    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(2), S_OK);
    EXPECT_EQ(e->Skip(5), S_FALSE);
    EXPECT_EQ(e->Next(1, items, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Next(2, items, nullptr), E_POINTER);
    EXPECT_EQ(e->Next(1, nullptr, &fetched), E_POINTER);
}

TEST(PropertyBag, SavesAndLoadsValuesByNameInAnyCase)
{
    PropertyBag bag;
    Variant cy;
    cy.vt = VT_CY;
    cy.cyVal.int64 = -123456;
    int16_t shortValue = -3;
    Variant byRef;
    byRef.vt = VT_BYREF | VT_I2;
    byRef.piVal = &shortValue;
    ASSERT_EQ(bag.Write("FileName", VariantFromString(std::string("a\0\xE9", 3))), S_OK);
    ASSERT_EQ(bag.Write("MapScale", VariantFromDouble(2500.5)), S_OK);
    ASSERT_EQ(bag.Write("Offscreen", VariantFromBool(true)), S_OK);
    ASSERT_EQ(bag.Write("Money", cy), S_OK);
    ASSERT_EQ(bag.Write("Small", byRef), S_OK);
    ASSERT_EQ(bag.Write("mapscale", VariantFromDouble(5000)), S_OK); // replaces
    EXPECT_EQ(bag.size(), 5u);
    auto *object = new Widget;
    EXPECT_EQ(bag.Write("Object", VariantFromDispatch(object)), E_INVALIDARG);
    object->Release();

    PropertyBag loaded;
    ASSERT_TRUE(loaded.Load(bag.Save()));
    Variant v;
    ASSERT_EQ(loaded.Read("FILENAME", &v), S_OK);
    EXPECT_EQ(BstrToWindows1252(v.bstrVal), std::string("a\0\xE9", 3));
    ASSERT_EQ(loaded.Read("MapScale", &v), S_OK);
    EXPECT_EQ(v.dblVal, 5000);
    ASSERT_EQ(loaded.Read("money", &v), S_OK);
    EXPECT_EQ(v.cyVal.int64, -123456);
    ASSERT_EQ(loaded.Read("Small", &v), S_OK);
    EXPECT_EQ(v.vt, VT_I2);
    EXPECT_EQ(v.iVal, -3);
    EXPECT_EQ(loaded.Read("Missing", &v), E_INVALIDARG);
    EXPECT_EQ(loaded.Save(), bag.Save());
}

TEST(PropertyBag, DamagedBytesLoseNothing)
{
    PropertyBag bag;
    bag.Write("Name", VariantFromString("value"));
    bag.Write("Count", VariantFromLong(4));
    const QByteArray good = bag.Save();

    PropertyBag target;
    target.Write("Kept", VariantFromLong(1));
    const QByteArray before = target.Save();
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_FALSE(target.Load(good.left(n))) << n;
    QByteArray foreign = good;
    foreign[0] = 'X';
    EXPECT_FALSE(target.Load(foreign));
    EXPECT_FALSE(target.Load(good + "extra"));
    EXPECT_EQ(target.Save(), before);
}

TEST(PropExchange, WritesThenReadsWithDefaults)
{
    struct State {
        uint32_t version = 0;
        std::string fileName;
        bool offscreen = false;
        double scale = 0;
        int32_t originX = 0;
    };
    auto exchange = [](PropExchange &px, State &s) {
        px.Version(s.version, (2u << 16) | 7u);
        px.String("FileName", s.fileName, "");
        px.Bool("OffscreenDrawing", s.offscreen, false);
        px.Double("MapScale", s.scale, 0.0);
        px.Long("OriginX", s.originX, 0);
    };
    PropertyBag bag;
    State saved{0, "c:\\maps\\world.mpd", true, 1e6, -40};
    PropExchange save(bag, false);
    exchange(save, saved);

    State loaded;
    PropExchange load(bag, true);
    exchange(load, loaded);
    EXPECT_EQ(loaded.version, 0x00020007u);
    EXPECT_EQ(loaded.fileName, saved.fileName);
    EXPECT_TRUE(loaded.offscreen);
    EXPECT_EQ(loaded.scale, 1e6);
    EXPECT_EQ(loaded.originX, -40);

    // From an empty bag, or a value that does not convert: the defaults.
    PropertyBag other;
    other.Write("OriginX", VariantFromString("west"));
    State fresh{9, "x", true, 3, 3};
    PropExchange loadOther(other, true);
    exchange(loadOther, fresh);
    EXPECT_EQ(fresh.version, 0u);
    EXPECT_EQ(fresh.fileName, "");
    EXPECT_FALSE(fresh.offscreen);
    EXPECT_EQ(fresh.originX, 0);
}

} // namespace

// The library's automation value helpers and the control's registry helpers.
#include "control/control_registry.h"
#include "control/variant_values.h"
#include "engine/kernel/settings.h"
#include "platform/registry.h"
#include "tests/support/temp_settings.h"

#include <gtest/gtest.h>

TEST(VariantValues, StringsAndNumbersThroughReferences)
{
    EXPECT_EQ(BstrToWindows1252(VariantSetString("").bstrVal), " ");
    EXPECT_EQ(BstrToWindows1252(VariantSetString("Karte\xE4").bstrVal), "Karte\xE4");

    Variant text = VariantFromString("map.mpd");
    VARIANT ref = VariantRefTo(&text);
    std::string s = "kept";
    EXPECT_EQ(VariantGetString(ref, &s), 1);
    EXPECT_EQ(s, "map.mpd");
    BSTR b = BstrFromWindows1252("by reference");
    VARIANT byRef{};
    byRef.vt = VT_BYREF | VT_BSTR;
    byRef.pbstrVal = &b;
    EXPECT_EQ(VariantGetString(byRef, &s), 1);
    EXPECT_EQ(s, "by reference");
    SysFreeString(b);
    s = "kept";
    EXPECT_EQ(VariantGetString(VariantFromLong(3), &s), 0);
    EXPECT_EQ(s, "kept");

    struct Case {
        Variant value;
        int ok;
        int32_t number;
    };
    int16_t shortValue = -5;
    VARIANT shortRef{};
    shortRef.vt = VT_BYREF | VT_I2;
    shortRef.piVal = &shortValue;
    const Case cases[] = {
        {VariantFromShort(-3), 1, -3},      {Variant(shortRef), 1, -5},
        {VariantFromLong(70000), 1, 70000}, {VariantFromString("42abc"), 1, 42},
        {VariantFromString("  -9"), 1, -9}, {VariantFromString("abc"), 0, 11},
        {VariantFromDouble(4.0), 0, 11},    {Variant(), 0, 11},
    };
    for (const Case &c : cases) {
        int32_t n = 11;
        EXPECT_EQ(VariantGetLong(c.value, &n), c.ok);
        EXPECT_EQ(n, c.number);
    }
    Variant inner = VariantFromShort(8);
    int32_t n = 0;
    EXPECT_EQ(VariantGetLong(VariantRefTo(&inner), &n), 1);
    EXPECT_EQ(n, 8);
    VARIANT nowhere{};
    nowhere.vt = VT_BYREF | VT_VARIANT;
    nowhere.pvarVal = nullptr;
    EXPECT_EQ(VariantGetLong(nowhere, &n), 0);
    EXPECT_EQ(VariantGetString(nowhere, &s), 0);
}

TEST(ControlRegistry, ValuesAreReadNoFurtherThanTheCallersBuffer)
{
    TempSettingsFolders folders;
    const SettingsRegKey key;
    const DWORD timeout = 350;
    EXPECT_EQ(ControlRegValueSet(&key, "Settings", "Polygon cut time_out", &timeout, 0), 1);
    DWORD read = 0;
    EXPECT_EQ(ControlRegValueGet(&key, "Settings", "Polygon cut time_out", &read, 0), 1);
    EXPECT_EQ(read, 350u);

    const double d = 2.5;
    EXPECT_EQ(ControlRegValueSet(&key, "Settings", "Factor", &d, 1), 1);
    double back = 0;
    EXPECT_EQ(ControlRegValueGet(&key, "Settings", "Factor", &back, sizeof back), 1);
    EXPECT_EQ(back, 2.5);

    // A binary value longer than the caller's buffer fills the buffer and no
    // more.
    HKEY k = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (key.path + "\\Settings").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    const BYTE big[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    RegSetValueExA(k, "Long", 0, REG_BINARY, big, sizeof big);
    RegCloseKey(k);
    BYTE small[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(ControlRegValueGet(&key, "Settings", "Long", small, 4), 1);
    EXPECT_EQ(small[0], 1);
    EXPECT_EQ(small[3], 4);
    EXPECT_EQ(small[4], 0xEE);

    // The wrong type, a missing value and null arguments read nothing.
    read = 7;
    EXPECT_EQ(ControlRegValueGet(&key, "Settings", "Long", &read, 0), 0);
    EXPECT_EQ(ControlRegValueGet(&key, "Settings", "Polygon cut time_out", small, 4), 0);
    EXPECT_EQ(ControlRegValueGet(&key, "Settings", "Missing", &read, 0), 0);
    EXPECT_EQ(read, 7u);
    EXPECT_EQ(ControlRegValueGet(nullptr, "Settings", "Long", &read, 0), 0);
    EXPECT_EQ(ControlRegValueSet(&key, "Settings", nullptr, &d, 1), 0);
}

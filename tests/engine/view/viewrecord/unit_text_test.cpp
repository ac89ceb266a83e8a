#include "engine/view/viewrecord/unit_text.h"
#include "tests/engine/view/viewrecord/view_support.h"

#include <cstring>

TEST(UnitText, ValuesAsText)
{
    struct Case {
        int unit;
        int32_t value;
        const char *text;
    } cases[] = {
        {4, 12, "12  m"},
        {6, -450000,
         "-12\xB0"
         "30'0.0\""},
        {6, 450000,
         "12\xB0"
         "30'0.0\""},
        {6, -18000,
         "-0\xB0"
         "30'0.0\""}, // between -1 and 0 degrees
        {7, 360000 * 12 + 18450,
         "12\xB0"
         "3'4.49\""}, // 4.5 seconds as the double falls
    };
    for (const Case &c : cases) {
        char text[200] = {};
        EXPECT_EQ(PM_UnitValueToText(c.unit, c.value, text), 1);
        EXPECT_STREQ(text, c.text) << c.value;
    }
    char text[200] = "untouched";
    EXPECT_EQ(PM_UnitValueToText(99, 1, text), 0);
    EXPECT_STREQ(text, "untouched");
    PM_DegreesToText(12.5125, text);
    EXPECT_STREQ(text, "12\xB0"
                       "30'44.99\"");
}

TEST(UnitText, TextAsValues)
{
    struct Case {
        int unit;
        const char *text;
        int result;
        int32_t value;
    } cases[] = {
        {4, "1234 m", 1, 1234},
        {4, "-17", 1, -17},
        {4, "abc", 1, 0},
        {6,
         "-12\xB0"
         "30'0\"",
         1, -450000},
        {6,
         "-0\xB0"
         "30'",
         1, -18000},
        {6, "12", 1, 432000},
        {99, "12", 0, 777},
    };
    for (const Case &c : cases) {
        int32_t value = 777;
        EXPECT_EQ(PM_TextToUnitValue(c.unit, &value, c.text), c.result) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    int32_t value = 777;
    EXPECT_EQ(PM_TextToUnitValue(4, &value, nullptr), 0);
    EXPECT_EQ(PM_TextToUnitValue(4, nullptr, "1"), 0);
    EXPECT_EQ(value, 777);
    PM_TextToDegreesValue(&value, 1.0,
                          "12\xB0"
                          "30'45.5");
    EXPECT_EQ(value, 13);
    PM_TextToDegreesValue(&value, 3600.0,
                          "12\xB0"
                          "30'45.5");
    EXPECT_EQ(value, 45046);
    // A text that fills the working block ends where the block does.
    std::string longText(100, '9');
    EXPECT_EQ(PM_TextToDegreesValue(&value, 1.0, longText.c_str()), 1);
}

TEST(UnitText, MeasuresInTheirUnits)
{
    ScopedView v;
    char text[200];
    ASSERT_EQ(PM_MeasureToTextIn(v.get(), 20, 1500000.0, '.', text), 1);
    EXPECT_STREQ(text, "           1.50 km\xB2");
    ASSERT_EQ(PM_MeasureToTextIn(v.get(), 4, 123.45, ',', text), 1);
    EXPECT_STREQ(text, "         123,45 m");
    v->projection.baseUnit = 3; // centimetres
    ASSERT_EQ(PM_MeasureToTextIn(v.get(), 5, 250000.0, '.', text), 1);
    EXPECT_STREQ(text, "           2.50 km");
    EXPECT_EQ(PM_MeasureToTextIn(v.get(), 0, 1.0, '.', text), 0);
    std::string name;
    EXPECT_TRUE(PM_Unit2Stringf(12, &name));
    EXPECT_EQ(name, " ft");
    EXPECT_FALSE(PM_Unit2Stringf(32, &name));
}

#include "editor/shell/support/text_routines.h"

#include "comma_locale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TextRoutinesTest, NumericTestsAndConversions)
{
    struct Case {
        const char *text;
        bool numeric;
        bool isFloat; // converts
        double value;
        bool isInteger;
        int32_t integer;
    };
    const Case cases[] = {
        {"12.5", true, true, 12.5, true, 12},
        {"13.5", true, true, 13.5, true, 14},
        {"-.5", true, true, -0.5, true, 0},
        {"+7", true, true, 7, true, 7},
        {".", true, false, 0, false, 0},
        {"+", true, false, 0, false, 0},
        {"-", true, false, 0, false, 0},
        {"+.", true, false, 0, false, 0},
        {"1.2.3", false, false, 0, false, 0},
        {"..5", false, false, 0, false, 0},
        {"12a", false, false, 0, false, 0},
        {"", false, false, 0, false, 0},
        {" 1", false, false, 0, false, 0},
        {"1e5", false, false, 0, false, 0},
        {"2147483647", true, true, 2147483647.0, true, 2147483647},
        {"2147483648", true, true, 2147483648.0, false, 0},
        {"-2147483648.4", true, true, -2147483648.4, true, INT32_MIN},
    };
    CommaLocale comma;
    EXPECT_TRUE(comma.active());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsNumeric(c.text), c.numeric);
        double value = -99;
        EXPECT_EQ(ValidFloat(c.text, value), c.isFloat);
        EXPECT_EQ(value, c.isFloat ? c.value : -99); // untouched on failure
        int32_t integer = -99;
        EXPECT_EQ(ValidInteger(c.text, integer), c.isInteger);
        EXPECT_EQ(integer, c.isInteger ? c.integer : -99);
    }
}

TEST(TextRoutinesTest, NextFieldWalksADelimitedText)
{
    const std::string text = "a, b,,c";
    int position = 0;
    EXPECT_EQ(NextField(position, ',', text), "a");
    EXPECT_EQ(position, 3);
    EXPECT_EQ(NextField(position, ',', text), "b");
    EXPECT_EQ(NextField(position, ',', text), "");
    EXPECT_EQ(NextField(position, ',', text), "c");
    // Past the end every call gives an empty field.
    EXPECT_EQ(NextField(position, ',', text), "");
    EXPECT_EQ(NextField(position, ',', text), "");

    position = 1;
    EXPECT_EQ(NextField(position, ',', "x,  "), "x");
    EXPECT_EQ(NextField(position, ',', "x,  "), "");
    position = 5;
    EXPECT_EQ(NextField(position, ',', ""), "");
}

TEST(TextRoutinesTest, ReplaceAndRemove)
{
    EXPECT_EQ(ReplaceChar('\\', '/', "C:\\a\\b"), "C:/a/b");
    EXPECT_EQ(ReplaceChar('x', 'y', ""), "");
    EXPECT_EQ(RemoveSpaces(" TQ 123 456 "), "TQ123456");
    EXPECT_EQ(RemoveSpaces("Pen\xA0Parking"), "Pen\xA0Parking"); // only blanks go
}

} // namespace

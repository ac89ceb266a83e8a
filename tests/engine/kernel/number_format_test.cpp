#include "engine/kernel/number_format.h"

#include "platform/profile.h"
#include "tests/support/temp_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

// WIN.INI [intl] keys for one test; the cache is read from them and put
// back to the platform's defaults afterwards.
class Intl : public ::testing::Test {
protected:
    void set(const char *key, const char *value) { WriteProfileStringA("intl", key, value); }
    void read() { ASSERT_EQ(FormatProfileRead(), 1); }
    void TearDown() override
    {
        WriteProfileStringA("intl", nullptr, nullptr);
        FormatProfileRead();
    }

    std::string print(double v, int n, uint16_t flags)
    {
        char buf[128];
        std::memset(buf, 'x', sizeof buf);
        const int len = FloatPrint(buf, sizeof buf, v, n, flags);
        EXPECT_EQ(size_t(len), std::strlen(buf));
        return buf;
    }

    TempSettingsFolders folders_;
};

TEST_F(Intl, ProfileReadFillsTheCacheAndDefaultsApply)
{
    set("sDecimal", ",");
    set("sThousand", "");
    set("sCurrency", "EURO-LONGNAME");
    set("iNegCurr", "8");
    read();
    EXPECT_EQ(FormatValueGet(INTL_DECIMAL), ',');
    EXPECT_EQ(FormatValueGet(INTL_THOUSAND), 0) << "an empty thousands text is kept as none";
    EXPECT_EQ(FormatValueGet(INTL_NEG_CURR), 8);
    EXPECT_EQ(FormatValueGet(INTL_EXPONENT), 'e');
    EXPECT_EQ(FormatValueGet(INTL_DIGITS), 2) << "the platform's regional default";
    std::string symbol;
    for (uint16_t i = INTL_CURRENCY_SYMBOL; FormatValueGet(i); ++i)
        symbol += FormatValueGet(i);
    EXPECT_EQ(symbol, "EURO-LONG") << "the symbol is cut to nine characters";
    EXPECT_EQ(FormatValueGet(0), 0);
    EXPECT_EQ(FormatValueGet(INTL_CACHE_SIZE), 0);
    EXPECT_EQ(FormatValueGet(0xFFFF), 0);
}

struct ScanCase {
    const char *text;
    bool ok;
    double value;
    const char *after; // the text after a successful scan
};

TEST_F(Intl, ScanUnderACommaDecimal)
{
    set("sDecimal", ",");
    read();
    const ScanCase cases[] = {
        {"  -1,5e+3", true, -1500, "  -1.5e+3"},
        {"-1.5e+3", false, 0, nullptr},
        {"50%", true, 0.5, "50%"},
        {"12,5 %", false, 0, nullptr}, // only blanks may follow a blank
        {"2,5%  ", true, 0.025, "2.5%  "},
        {"1e1234", false, 0, nullptr},
        {"1e123", true, 1e123, "1e123"},
        {"1E-05 ", true, 1e-5, "1E-05 "},
        {"3d2", true, 300, "3d2"},
        {"-", false, 0, nullptr},
        {"+", false, 0, nullptr},
        {",", false, 0, nullptr},
        {",25", true, 0.25, ".25"},
        {"", false, 0, nullptr},
        {"   ", false, 0, nullptr},
        {"1,2,3", false, 0, nullptr},
        {"1 000", false, 0, nullptr},
        {"1e", false, 0, nullptr},
        {"1e+", false, 0, nullptr},
        {"1 e5", false, 0, nullptr},
        {"5%e2", false, 0, nullptr},
        {"1e5 x", false, 0, nullptr},
        {"abc", false, 0, nullptr},
        {"1e-999", true, 0, "1e-999"},
        {"1e999", false, 0, nullptr},
    };
    for (const ScanCase &c : cases) {
        char text[64];
        std::strcpy(text, c.text);
        double v = 42;
        EXPECT_EQ(FloatScan(text, &v), c.ok ? 1 : 0) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
            EXPECT_STREQ(text, c.after);
        } else {
            EXPECT_EQ(v, 42) << "a refused text leaves the value alone: " << c.text;
            EXPECT_STREQ(text, c.text) << "a refused text is not changed";
        }
    }
    EXPECT_EQ(FloatScan(nullptr, nullptr), 0);
}

struct PrintCase {
    double value;
    int n;
    uint16_t flags;
    const char *text; // "" when refused
};

TEST_F(Intl, PrintFormsWithAPointAndLeadingZero)
{
    read(); // '.' decimal, iLzero 1, iDigits 2, "$" after, negatives "-1.00$"
    const PrintCase cases[] = {
        {0.5, 2, FLOAT_FIXED, "0.50"},
        {0.5, 2, FLOAT_FIXED | FLOAT_PLUS_SIGN, "+0.50"},
        {-0.5, 2, FLOAT_FIXED | FLOAT_PLUS_SIGN, "-0.50"},
        {2.675, 0, FLOAT_FIXED, "3"},
        {1234.5, 3, FLOAT_SCIENTIFIC, "1.23e+03"},
        {1234.5, 3, FLOAT_SCIENTIFIC | FLOAT_LEADING_ZERO, "0.123e+04"},
        {0.00012, 2, FLOAT_SCIENTIFIC, "1.2e-04"},
        {1234.5, 0, FLOAT_SCIENTIFIC | FLOAT_DIGITS_FROM_INTL, "1.23e+03"},
        {12.345, 9, FLOAT_FIXED | FLOAT_DIGITS_FROM_INTL, "12.35"},
        {0.1234, 4, FLOAT_PERCENT, "12.34%"},
        {-3.5, 2, FLOAT_CURRENCY, "-3.50$"},
        {3.5, 2, FLOAT_CURRENCY, "3.50$"},
        {1e64, 2, FLOAT_FIXED, ""}, // decimal exponent 65
        {1e-70, 2, FLOAT_FIXED, ""},
        {1, 2, 0x20, ""},
        {1, 2, 0x60, ""},
        {1, 2, 0xC0, ""},
        // General kind: n is the width.
        {0, 5, FLOAT_GENERAL, "0"},
        {3.14159, 6, FLOAT_GENERAL, "3.1416"},
        {2.5, 10, FLOAT_GENERAL, "2.5"},
        {100, 3, FLOAT_GENERAL, "100"},
        {1000, 3, FLOAT_GENERAL, ""},
        {0.5, 3, FLOAT_GENERAL, "0.5"},
        {-0.5, 3, FLOAT_GENERAL, ""},
        {0.0012345, 10, FLOAT_GENERAL, "0.0012345"},
        {0.000012345, 10, FLOAT_GENERAL, "1.2345e-05"},
        {123456789012345678.0, 10, FLOAT_GENERAL, "1.2346e+17"},
        {1e120, 12, FLOAT_GENERAL, "1e+120"},
        {-1e-120, 12, FLOAT_GENERAL, "-1e-120"},
        {1e300 * 10, 12, FLOAT_GENERAL, "1e+301"},
    };
    for (const PrintCase &c : cases)
        EXPECT_EQ(print(c.value, c.n, c.flags), c.text) << c.value << " n " << c.n << " flags " << c.flags;
}

TEST_F(Intl, GeneralKindKeepsToItsWidth)
{
    read();
    const double values[] = {3.14159265358979, -2.718281828, 0.0123456789, 0.000987654321, 98765.4321,
                             123456789.0,      1.5e-200,     -7.25e250,    999.99,         1e15 + 0.5};
    for (int n = 4; n <= 24; ++n)
        for (double v : values) {
            const std::string text = print(v, n, FLOAT_GENERAL);
            if (n >= 12) {
                EXPECT_FALSE(text.empty()) << v << " width " << n;
            }
            if (text.empty())
                continue;
            EXPECT_LE(text.size(), size_t(n)) << text;
            char copy[64];
            std::strcpy(copy, text.c_str());
            double back = 0;
            ASSERT_EQ(FloatScan(copy, &back), 1) << text;
            EXPECT_NEAR(back / v, 1.0, n >= 12 ? 1e-3 : 0.5) << text << " width " << n;
        }
}

TEST_F(Intl, PrintFollowsTheCachedConventions)
{
    set("sDecimal", ",");
    set("iLzero", "0");
    set("sCurrency", "EUR");
    set("iCurrency", "3");
    read();
    EXPECT_EQ(print(0.5, 2, FLOAT_FIXED), ",50");
    EXPECT_EQ(print(0.5, 2, FLOAT_FIXED | FLOAT_LEADING_ZERO), "0,50");
    EXPECT_EQ(print(0.25, 0, FLOAT_FIXED), "0") << "a fixed number keeps one digit";
    EXPECT_EQ(print(1234.5, 3, FLOAT_SCIENTIFIC), "1,23e+03");
    EXPECT_EQ(print(2, 1, FLOAT_CURRENCY), "2,0 EUR");

    const struct {
        int negCurr;
        const char *text;
    } negatives[] = {{0, "(EUR2,00)"}, {1, "-EUR2,00"},   {2, "EUR-2,00"}, {3, "EUR2,00-"},
                     {4, "(2,00EUR)"}, {5, "-2,00EUR"},   {6, "2,00-EUR"}, {7, "2,00EUR-"},
                     {8, "-2,00 EUR"}, {15, "(2,00 EUR)"}};
    for (const auto &c : negatives) {
        set("iNegCurr", std::to_string(c.negCurr).c_str());
        read();
        EXPECT_EQ(print(-2, 2, FLOAT_CURRENCY), c.text) << "iNegCurr " << c.negCurr;
    }
}

TEST(FloatPrintBounds, RefusesWhatDoesNotFit)
{
    char small[6];
    EXPECT_EQ(FloatPrint(small, sizeof small, 123456.0, 2, FLOAT_FIXED), 0);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(FloatPrint(small, sizeof small, 1.0 / 0.0, 5, FLOAT_GENERAL), 0);
    EXPECT_EQ(FloatPrint(small, sizeof small, 12.0, 2, FLOAT_FIXED), 5);
    char big[80];
    ASSERT_EQ(FloatPrint(big, sizeof big, 9e63, 0, FLOAT_FIXED), 64) << "decimal exponent 64 still prints";
    EXPECT_EQ(std::string(big, 16), "9000000000000000");
    EXPECT_STREQ(small, "12.00");
    for (uint16_t kind : {FLOAT_GENERAL, FLOAT_SCIENTIFIC, FLOAT_FIXED, FLOAT_PERCENT, FLOAT_CURRENCY}) {
        // Extreme counts: no arithmetic overflow, the buffer's bound holds.
        EXPECT_LT(FloatPrint(small, sizeof small, 1.5, INT_MIN, kind), int(sizeof small));
        EXPECT_EQ(FloatPrint(small, sizeof small, 1.5, INT_MAX, kind), kind == FLOAT_GENERAL ? 3 : 0);
    }
}

TEST(FloatPrintDigits, DropsZerosAndUsesTheDecimal)
{
    const struct {
        double value;
        int digits;
        char decimal;
        int drop, pad;
        const char *text;
    } cases[] = {
        {2.5, 3, ',', 1, 0, "2,5"},   {2.0, 3, ',', 1, 0, "2"},     {2.5, 3, ',', 0, 0, "2,500"},
        {2.5, 3, ',', 1, 1, "2,5PP"}, {2.0, 3, ',', 1, 1, "2PPPP"}, {-0.125, 2, '.', 0, 0, "-0.12"},
        {7.6, 0, ',', 1, 0, "8"},     {120.0, 0, ',', 1, 0, "120"}, {0.0, 2, '.', 1, 0, "0"},
    };
    for (const auto &c : cases) {
        char buf[64];
        EXPECT_EQ(FloatPrintDigits(buf, sizeof buf, c.value, c.digits, c.decimal, c.drop, c.pad), 1);
        EXPECT_STREQ(buf, c.text) << c.value << " " << c.digits;
    }
}

TEST(FloatPrintDigits, HugeNumbersNeverOverflowTheBuffer)
{
    char buf[32];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(FloatPrintDigits(buf, sizeof buf, 1e300, 0, '.', 0, 0), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(FloatPrintDigits(buf, sizeof buf, 1.0, 5000, '.', 0, 0), 0);
    EXPECT_EQ(FloatPrintDigits(buf, sizeof buf, 1.0, 5000, '.', 1, 0), 1)
        << "the zeros dropped leave a short text";
    EXPECT_STREQ(buf, "1");
    EXPECT_EQ(FloatPrintDigits(buf, sizeof buf, 1.0, INT_MAX, '.', 1, 0), 1);
    EXPECT_STREQ(buf, "1");
    std::string big(400, '\0');
    EXPECT_EQ(FloatPrintDigits(big.data(), big.size(), 1e300, 0, '.', 0, 0), 1);
    EXPECT_EQ(std::strlen(big.c_str()), 301u);
}

} // namespace

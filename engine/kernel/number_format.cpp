#include "engine/kernel/number_format.h"

#include "platform/profile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// The [intl] cache, with the conventions in force until FormatProfileRead.
std::array<char, INTL_CACHE_SIZE> &cache()
{
    static std::array<char, INTL_CACHE_SIZE> c = [] {
        std::array<char, INTL_CACHE_SIZE> a{};
        a[INTL_DIGITS] = 2;
        a[INTL_CURR_DIGITS] = 2;
        a[INTL_DECIMAL] = '.';
        a[INTL_THOUSAND] = ' ';
        a[INTL_EXPONENT] = 'e';
        a[INTL_DATE] = '/';
        a[INTL_TIME] = ':';
        a[INTL_LZERO] = 1;
        a[INTL_LIST] = ';';
        a[INTL_CURRENCY] = 1;
        a[INTL_NEG_CURR] = 5;
        a[INTL_CURRENCY_SYMBOL] = '$';
        return a;
    }();
    return c;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Precision that a double can show at all: its exact decimal expansion has at
// most 767 significant and 1074 fraction digits; more are zeros.
constexpr int kMaxPrecision = 1100;

// The value (not negative) to n significant digits: the digits and the
// position of the decimal point relative to the first of them (the decimal
// exponent plus one), as the significant-digit conversion gives them. Zero
// gives zeros with the point after the first.
struct Significant {
    std::string digits;
    int decpt;
};

Significant significant(double a, int n)
{
    n = std::clamp(n, 1, kMaxPrecision);
    std::string buf(size_t(n) + 32, '\0');
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::scientific, n - 1);
    const std::string text(buf.data(), r.ptr);
    const size_t e = text.find('e');
    Significant s;
    for (size_t i = 0; i < e; ++i)
        if (isDigit(text[i]))
            s.digits += text[i];
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    s.decpt = a == 0 ? 1 : exponent + 1;
    return s;
}

// The value with p digits after the point, '.' as the point.
std::string fixedText(double a, int p)
{
    p = std::clamp(p, 0, kMaxPrecision);
    std::string buf(size_t(p) + 340, '\0');
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::fixed, p);
    return std::string(buf.data(), r.ptr);
}

void dropTrailingZeros(std::string &digits)
{
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
}

std::string exponentText(int exponent, char expChar)
{
    std::string s(1, expChar);
    s += exponent < 0 ? '-' : '+';
    std::string e = std::to_string(std::abs(exponent));
    if (e.size() < 2)
        e.insert(0, 1, '0');
    return s + e;
}

// Digits with the point at decpt, written out without an exponent; a
// leading zero before the point only with lzero.
std::string positional(const std::string &digits, int decpt, bool lzero, char decimal)
{
    std::string out;
    if (decpt <= 0) {
        if (lzero)
            out += '0';
        out += decimal;
        out.append(size_t(-decpt), '0');
        out += digits;
        return out;
    }
    std::string intPart = digits.substr(0, std::min<size_t>(digits.size(), size_t(decpt)));
    intPart.append(size_t(decpt) - intPart.size(), '0');
    out = intPart;
    if (digits.size() > size_t(decpt))
        out += decimal + digits.substr(size_t(decpt));
    return out;
}

// Fixed kinds: p digits after the point; nothing when the value's decimal
// exponent is beyond +-64.
bool fixedForm(double a, int p, bool lzero, char decimal, std::string &out)
{
    if (a != 0) {
        const int decpt = significant(a, 17).decpt;
        if (decpt > 64 || decpt < -64)
            return false;
    }
    out = fixedText(a, std::max(p, 0));
    if (const size_t point = out.find('.'); point != std::string::npos) {
        out[point] = decimal;
        if (!lzero && point == 1 && out[0] == '0')
            out.erase(0, 1);
    }
    return true;
}

std::string scientificForm(double a, int mantissaDigits, bool zeroFirst, char decimal, char expChar)
{
    const Significant s = significant(a, mantissaDigits);
    const int exponent = a == 0 ? 0 : s.decpt - 1;
    if (zeroFirst)
        return std::string("0") + decimal + s.digits + exponentText(a == 0 ? 0 : exponent + 1, expChar);
    std::string out(1, s.digits[0]);
    if (s.digits.size() > 1)
        out += decimal + s.digits.substr(1);
    return out + exponentText(exponent, expChar);
}

// The general kind: as many significant digits as fit the width n.
bool generalForm(double a, int n, bool signed_, bool lzero, char decimal, char expChar, std::string &out)
{
    if (a == 0) {
        out = "0";
        return true;
    }
    const bool intPartZero = a < 1;
    const bool hasFraction = a != std::floor(a);
    int budget = n;
    if (intPartZero && lzero)
        --budget;
    if (a < 0.1)
        budget -= a < 0.01 ? 2 : 1; // the zeros after the point
    if (hasFraction)
        --budget;
    if (signed_)
        --budget;

    const int exactDecpt = significant(a, 17).decpt;
    if (budget >= 1) {
        Significant s = significant(a, budget);
        dropTrailingZeros(s.digits);
        const bool fitsBelowOne = intPartZero && -s.decpt <= 2;
        const bool fitsAboveOne = !intPartZero && exactDecpt < 16 && exactDecpt <= budget;
        if (fitsBelowOne || fitsAboveOne) {
            out = positional(s.digits, s.decpt, lzero, decimal);
            return true;
        }
    }

    // Scientific, with the mantissa cut to keep the width: the reductions of
    // the budget above that the exponent form does not spend are given back.
    const int exponent = exactDecpt - 1;
    int overhead = std::abs(exponent) > 99 ? 6 : 5;
    if (intPartZero && lzero)
        --overhead;
    if (hasFraction)
        --overhead;
    if (exponent < 0)
        overhead -= 2;
    if (budget < overhead)
        return false;
    const int mantissa = std::clamp(budget - overhead, 1, n >= 20 ? 15 : 7);
    Significant s = significant(a, mantissa);
    dropTrailingZeros(s.digits);
    out = std::string(1, s.digits[0]);
    if (s.digits.size() > 1)
        out += decimal + s.digits.substr(1);
    out += exponentText(s.decpt - 1, expChar);
    return true;
}

// Places the currency symbol S as the [intl] convention says; number is
// the printed amount with its sign.
std::string currencyDecorate(const std::string &number, bool negative)
{
    const std::string S(&cache()[INTL_CURRENCY_SYMBOL],
                        strnlen(&cache()[INTL_CURRENCY_SYMBOL], INTL_CACHE_SIZE - INTL_CURRENCY_SYMBOL));
    if (!negative) {
        switch (cache()[INTL_CURRENCY]) {
        case 0:
            return S + number;
        case 1:
            return number + S;
        case 2:
            return S + " " + number;
        case 3:
            return number + " " + S;
        default:
            return number;
        }
    }
    const std::string x = number.substr(1); // without the '-'
    switch (cache()[INTL_NEG_CURR]) {
    case 0:
        return "(" + S + x + ")";
    case 1:
        return "-" + S + x;
    case 2:
        return S + "-" + x;
    case 3:
        return S + x + "-";
    case 4:
        return "(" + x + S + ")";
    case 5:
        return "-" + x + S;
    case 6:
        return x + "-" + S;
    case 7:
        return x + S + "-";
    // The further forms of the same convention, so that no amount loses its
    // sign.
    case 8:
        return "-" + x + " " + S;
    case 9:
        return "-" + S + " " + x;
    case 10:
        return x + " " + S + "-";
    case 11:
        return S + " " + x + "-";
    case 12:
        return S + " -" + x;
    case 13:
        return x + "- " + S;
    case 14:
        return "(" + S + " " + x + ")";
    case 15:
        return "(" + x + " " + S + ")";
    default:
        return "-" + S + x;
    }
}

int copyOut(char *buffer, size_t size, const std::string &text)
{
    if (text.size() + 1 > size)
        return 0;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return int(text.size());
}

// First character of a WIN.INI [intl] text, or nothing for an empty text.
bool intlChar(const char *key, const char *def, char &out)
{
    char text[10];
    if (GetProfileStringA("intl", key, def, text, sizeof text) == 0)
        return false;
    out = text[0];
    return true;
}

} // namespace

int FormatProfileRead()
{
    auto &c = cache();
    intlChar("sDecimal", ".", c[INTL_DECIMAL]);
    if (!intlChar("sThousand", ",", c[INTL_THOUSAND]))
        c[INTL_THOUSAND] = 0;
    c[INTL_LZERO] = char(GetProfileIntA("intl", "iLzero", 0));
    intlChar("sDate", ".", c[INTL_DATE]);
    intlChar("sTime", ".", c[INTL_TIME]);
    intlChar("sList", ".", c[INTL_LIST]);
    char symbol[10];
    GetProfileStringA("intl", "sCurrency", "$", symbol, sizeof symbol);
    std::memcpy(&c[INTL_CURRENCY_SYMBOL], symbol, sizeof symbol);
    c[INTL_CURR_DIGITS] = char(GetProfileIntA("intl", "iCurrDigits", 2));
    c[INTL_CURRENCY] = char(GetProfileIntA("intl", "iCurrency", 2));
    c[INTL_NEG_CURR] = char(GetProfileIntA("intl", "iNegCurr", 2));
    c[INTL_DIGITS] = char(GetProfileIntA("intl", "iDigits", 2));
    return 1;
}

char FormatValueGet(uint16_t index) { return index == 0 || index >= INTL_CACHE_SIZE ? 0 : cache()[index]; }

int FloatScan(char *text, double *value)
{
    if (!text || !value || !*text)
        return 0;
    const char decimal = cache()[INTL_DECIMAL];
    std::string number; // the text as the C conversion reads it
    size_t i = 0;
    while (isBlank(text[i]))
        ++i;
    const char first = text[i];
    if (first == '+' || first == '-') {
        if (first == '-')
            number += '-';
        ++i;
    } else if (!isDigit(first) && !(decimal && first == decimal)) {
        return 0;
    }

    bool digits = false, trailingBlank = false, percent = false, exponent = false;
    char *point = nullptr;
    for (; text[i]; ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            if (trailingBlank || percent)
                return 0;
            digits = true;
            number += c;
        } else if (c == '%') {
            if (trailingBlank || percent)
                return 0;
            percent = true;
        } else if (decimal && c == decimal) {
            if (point || trailingBlank || percent)
                return 0;
            point = text + i;
            number += '.';
        } else if (isBlank(c)) {
            trailingBlank = true;
        } else if (c == 'D' || c == 'E' || c == 'd' || c == 'e') {
            if (trailingBlank || percent || !digits)
                return 0;
            exponent = true;
            ++i;
            break;
        } else {
            return 0;
        }
    }
    if (!digits)
        return 0;

    int exponentValue = 0;
    if (exponent) {
        number += 'e';
        std::string e;
        if (text[i] == '+' || text[i] == '-')
            e += text[i++];
        int count = 0;
        for (; isDigit(text[i]); ++i) {
            if (++count > 3)
                return 0;
            e += text[i];
        }
        if (count == 0)
            return 0;
        while (isBlank(text[i]))
            ++i;
        if (text[i])
            return 0;
        number += e;
        std::from_chars(e.data() + (e[0] == '+' ? 1 : 0), e.data() + e.size(), exponentValue);
    }

    double v = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: too small reads as zero, too large
        // is not a number we can hold.
        const size_t e = number.find('e');
        double mantissa = 0;
        std::from_chars(number.data(), number.data() + (e == std::string::npos ? number.size() : e),
                        mantissa);
        if (mantissa == 0 || std::log10(std::fabs(mantissa)) + exponentValue > 0)
            return 0;
        v = number[0] == '-' ? -0.0 : 0.0;
    } else if (r.ec != std::errc() || r.ptr != number.data() + number.size()) {
        return 0;
    }
    if (percent)
        v *= 0.01;
    if (point)
        *point = '.';
    *value = v;
    return 1;
}

int FloatPrint(char *buffer, size_t size, double value, int n, uint16_t flags)
{
    if (!buffer || size == 0)
        return 0;
    buffer[0] = 0;
    if (!std::isfinite(value))
        return 0;
    const auto &c = cache();
    const bool fromIntl = flags & FLOAT_DIGITS_FROM_INTL;
    const bool forcedZero = flags & FLOAT_LEADING_ZERO;
    const bool lzero = forcedZero || c[INTL_LZERO] != 0;
    const bool negative = value < 0;
    const bool plus = !negative && (flags & FLOAT_PLUS_SIGN);
    const char decimal = c[INTL_DECIMAL];
    const char expChar = c[INTL_EXPONENT];
    double a = std::fabs(value);
    // Widths and digit counts beyond any buffer are cut, so that the budget
    // arithmetic below cannot overflow.
    n = std::clamp(n, -1, kMaxPrecision);

    std::string body;
    switch (flags & FLOAT_KIND_MASK) {
    case FLOAT_GENERAL:
        if (!generalForm(a, n, negative || plus, lzero, decimal, expChar, body))
            return 0;
        break;
    case FLOAT_SCIENTIFIC: {
        const int digits = fromIntl ? c[INTL_DIGITS] + (forcedZero ? 0 : 1) : n;
        body = scientificForm(a, digits, forcedZero, decimal, expChar);
        break;
    }
    case FLOAT_FIXED:
        if (!fixedForm(a, fromIntl ? c[INTL_DIGITS] : n, lzero, decimal, body))
            return 0;
        break;
    case FLOAT_PERCENT:
        a *= 100;
        if (!std::isfinite(a) || !fixedForm(a, fromIntl ? c[INTL_DIGITS] : n - 2, lzero, decimal, body))
            return 0;
        body += '%';
        break;
    case FLOAT_CURRENCY:
        if (!fixedForm(a, fromIntl ? c[INTL_CURR_DIGITS] : n, lzero, decimal, body))
            return 0;
        break;
    default:
        return 0; // kinds without a defined form
    }
    std::string text = (negative ? "-" : plus ? "+" : "") + body;
    if ((flags & FLOAT_KIND_MASK) == FLOAT_CURRENCY)
        text = currencyDecorate(text, negative);
    return copyOut(buffer, size, text);
}

int FloatPrintDigits(char *buffer, size_t size, double value, int digits, char decimal, int dropZeros,
                     int pad)
{
    if (!buffer || size == 0)
        return 0;
    buffer[0] = 0;
    // No fraction: the text has no point to replace and no zeros to drop.
    if (digits < 1)
        return copyOut(buffer, size, fixedText(value, 0)) ? 1 : 0;
    if ((!dropZeros || pad) && size_t(digits) + 2 > size)
        return 0; // cannot fit however short the integer part
    std::string text = fixedText(value, digits);
    // Zeros beyond a double's expansion; dropped ones need not be made (the
    // other cases were checked against the buffer above).
    if (digits > kMaxPrecision && std::isfinite(value) && (!dropZeros || pad))
        text.append(size_t(digits - kMaxPrecision), '0');
    if (dropZeros) {
        if (const size_t point = text.find('.'); point != std::string::npos) {
            size_t end = text.size();
            while (end > point + 1 && text[end - 1] == '0')
                --end;
            if (end == point + 1)
                --end;
            if (pad)
                std::fill(text.begin() + ptrdiff_t(end), text.end(), 'P');
            else
                text.resize(end);
        }
    }
    std::replace(text.begin(), text.end(), '.', decimal);
    return copyOut(buffer, size, text) ? 1 : 0;
}

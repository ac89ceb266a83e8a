#include "editor/shell/support/numbers.h"

#include <charconv>
#include <cmath>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the form that from_chars would read more loosely (it also takes
// "inf", "nan" and hexadecimal forms).
bool IsDecimalForm(std::string_view s)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t exponent = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++exponent;
        if (exponent == 0)
            return false;
    }
    return i == s.size();
}

} // namespace

bool ParseDecimal(std::string_view text, double &value)
{
    value = 0;
    if (!IsDecimalForm(text))
        return false;
    if (text.front() == '+')
        text.remove_prefix(1);
    double parsed = 0;
    const auto r =
        std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

std::string FormatFixed(double value, int decimals)
{
    char buffer[400];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string();
}

// Lengths as the user reads and types them: map lengths with the view's
// unit, paper lengths in centimetres or inches as the regional settings
// ("iMeasure", "sDecimal" of the profile's [intl] section) ask.
//
// Numbers are formatted and read without the C library's locale, which
// the application may have changed: the decimal separator is the regional
// setting's alone.

#include "engine/window/page_setup/page_set.h"

#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "platform/profile.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr double kCentimetresPerTenthMm = 0.01;
constexpr double kInchesPerTenthMm = 0.003937007874015748;
constexpr double kTenthsMmPerCentimetre = 100.0;
constexpr double kTenthsMmPerInch = 254.0;

std::string intlText(const char *key, const char *fallback)
{
    char text[16] = {};
    GetProfileStringA("intl", key, fallback, text, sizeof text);
    return text;
}

std::string fixed2(double v)
{
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 2);
    return error == std::errc{} ? std::string(text, end) : std::string("0.00");
}

} // namespace

int CPageSet::IsDefMetic() { return intlText("iMeasure", "1")[0] == '0' ? 1 : 0; }

int CPageSet::IsMeticValue(const std::string &text)
{
    if (text.find("cm") != std::string::npos)
        return 1;
    if (text.find('"') != std::string::npos)
        return 0;
    return IsDefMetic();
}

std::string CPageSet::ConvToRegionalMeasure(LONG v)
{
    std::string text = IsDefMetic() ? fixed2(v * kCentimetresPerTenthMm) + " " + " cm"
                                    : fixed2(v * kInchesPerTenthMm) + " " + " \"";
    if (intlText("sDecimal", "")[0] != '.') {
        if (const size_t dot = text.find('.'); dot != std::string::npos)
            text[dot] = ',';
    }
    return text;
}

LONG CPageSet::ConvFromRegionalMeasure(const std::string &text)
{
    if (text.empty())
        return 0;
    std::string t = text;
    if (const size_t comma = t.find(','); comma != std::string::npos)
        t[comma] = '.';
    const char *p = t.c_str();
    const char *end = p + t.size();
    while (p < end && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (p < end && *p == '+')
        ++p;
    double number = 0;
    const auto [rest, error] = std::from_chars(p, end, number, std::chars_format::fixed);
    if (error != std::errc{} || rest == p)
        return -1;
    const double length =
        std::trunc(number * (IsMeticValue(text) ? kTenthsMmPerCentimetre : kTenthsMmPerInch));
    if (!std::isfinite(length) || length < std::numeric_limits<int32_t>::min() ||
        length > std::numeric_limits<int32_t>::max())
        return -1;
    return LONG(length);
}

std::string CPageSet::ConvToGormUI(LONG v) const
{
    std::string text = std::to_string(v) + " ";
    if (!window_ || !window_->displayView)
        return text;
    const int unit = window_->displayView->projection.transformedUnit;
    char name[100] = {};
    // The short name begins with its own blank; a unit without one (the
    // angles) is written out in full.
    if (!UnitStringGet(unit, 1, name, int(sizeof name)) || !name[0])
        UnitStringGet(unit, 0, name, int(sizeof name));
    return text + name;
}

std::optional<LONG> LeadingInteger(const std::string &text)
{
    const char *p = text.c_str();
    const char *end = p + text.size();
    while (p < end && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (p < end && *p == '+')
        ++p;
    LONG v = 0;
    const auto [rest, error] = std::from_chars(p, end, v);
    if (error != std::errc{} || rest == p)
        return std::nullopt;
    return v;
}

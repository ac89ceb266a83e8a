#include "editor/shell/main/main_rules.h"

#include "editor/shell/support/numbers.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The convention's rounding: to the nearest, an exact half to even.
long long RoundHalfEven(double value) { return std::llrint(value); }

} // namespace

TStartupParms ParseStartupParms(const std::vector<std::string> &arguments)
{
    TStartupParms parms;
    for (const std::string &argument : arguments) {
        const std::string lower = Lower(argument);
        const size_t at = lower.find(".mpd");
        if (at != std::string::npos && at + 4 == lower.size())
            parms.FileName = argument;
        if (lower.rfind("id=", 0) == 0)
            parms.Identifier = argument.substr(3, 99);
    }
    return parms;
}

int StoredVersionNumber(const std::string &value)
{
    // "Version 5.45": the four characters after "Version ".
    const std::string number = value.size() > 8 ? value.substr(8, 4) : std::string();
    double version = 0;
    if (!ParseDecimal(number, version) || !std::isfinite(version) || version < 0 || version > 1e6)
        return 0;
    return int(RoundHalfEven(version * 100));
}

std::string FormatFixedPrecision(double value, int precision, int decimals)
{
    const double whole = std::fabs(std::trunc(value));
    if (whole >= std::pow(10.0, precision)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*E", std::max(precision - 1, 0), value);
        return buffer;
    }
    return FormatFixed(value, decimals);
}

int BearingDegrees(double dx, double dy)
{
    constexpr double kDegreesPerRadian = 57.295777951;
    const long long heading = RoundHalfEven(std::atan2(dy, dx) * kDegreesPerRadian);
    return int(((450 - heading) % 360 + 360) % 360);
}

std::string DistanceBearingText(int32_t x, int32_t y, int32_t referenceX, int32_t referenceY)
{
    // In 64 bits: the two points may lie at opposite ends of the range.
    const double dx = double(int64_t(x) - referenceX);
    const double dy = double(int64_t(y) - referenceY);
    const double distance = std::hypot(dx, dy);
    if (!(distance > 0 && distance < 1000000))
        return {};
    return FormatFixedPrecision(distance / 100, 5, 1) + " m : " + std::to_string(BearingDegrees(dx, dy)) +
           "\xB0";
}

std::string PointerGridText(const std::string &gridName, int32_t x, int32_t y)
{
    return gridName + " " + FormatFixedPrecision(x / 100.0, 10, 2) + " : " +
           FormatFixedPrecision(y / 100.0, 10, 2);
}

std::optional<int32_t> UnitCodeOfTool(uint8_t id)
{
    static constexpr int32_t codes[] = {12, 13, 4, 5, 15, 24, 25, 19, 30, 29, 20};
    if (id < 38 || id > 48)
        return std::nullopt;
    return codes[id - 38];
}

bool IsLengthUnitTool(uint8_t id) { return id >= 38 && id <= 42; }

TEnableRule EnableRuleOf(uint8_t id)
{
    switch (id) {
    case 0:
        return TEnableRule::Never;
    case 2:
    case 3:
    case 4:
    case 5:
    case 7:
    case 8:
    case 10:
    case 11:
    case 14:
    case 36:
    case 37:
    case 62:
    case 64:
    case 65:
    case 75:
    case 86:
    case 92:
    case 95:
    case 103:
    case 119:
    case 125:
    case 126:
    case 129:
    case 134:
    case 137:
    case 147:
        return TEnableRule::Always;
    case 12:
        return TEnableRule::MapWritable;
    case 13:
    case 59:
    case 60:
    case 107:
    case 160:
    case 162:
    case 163:
    case 165:
    case 202:
    case 216:
        return TEnableRule::MapExists;
    case 61:
        return TEnableRule::UserManual;
    case 63:
        return TEnableRule::UpdateChecker;
    case 159:
        return TEnableRule::LayerStates;
    default:
        break;
    }
    if ((id >= 15 && id <= 28) || (id >= 30 && id <= 33) || id == 35 || (id >= 38 && id <= 48) ||
        (id >= 152 && id <= 158))
        return TEnableRule::MapExists;
    return TEnableRule::AskTools;
}

TTabOrderResult ReorderToolTabs(std::vector<int> &orders, int chosen, int maxTabs)
{
    TTabOrderResult result;
    result.Visible.assign(orders.size(), true);
    // The fixed tabs (order 0) come first and keep their places.
    const size_t fixedCount = size_t(std::count(orders.begin(), orders.end(), 0));
    for (size_t i = fixedCount; i < orders.size(); ++i) {
        if (orders[i] == chosen && !result.Active) {
            result.Active = i;
            orders[i] = int(fixedCount);
        }
        if (orders[i] < chosen)
            ++orders[i];
        result.Visible[i] = orders[i] < maxTabs;
    }
    return result;
}

std::optional<int> KeypadArrowKey(int virtualKey)
{
    switch (virtualKey) {
    case 98:
        return 40; // down
    case 100:
        return 37; // left
    case 102:
        return 39; // right
    case 104:
        return 38; // up
    default:
        return std::nullopt;
    }
}

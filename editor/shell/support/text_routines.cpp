#include "editor/shell/support/text_routines.h"

#include "editor/shell/support/numbers.h"

#include <algorithm>
#include <cmath>
#include <string_view>

bool IsNumeric(const std::string &text)
{
    if (text.empty())
        return false;
    std::string_view rest = text;
    int points = 0;
    if (rest[0] == '+' || rest[0] == '-' || rest[0] == '.') {
        points = rest[0] == '.' ? 1 : 0;
        rest.remove_prefix(1); // a lone sign or point counts as "1": nothing left to test
    }
    for (char c : rest) {
        if (c == '.')
            ++points;
        else if (c < '0' || c > '9')
            return false;
    }
    return points <= 1;
}

bool ValidFloat(const std::string &text, double &value)
{
    double parsed = 0;
    if (!IsNumeric(text) || !ParseDecimal(text, parsed))
        return false;
    value = parsed;
    return true;
}

bool ValidInteger(const std::string &text, int32_t &value)
{
    double parsed = 0;
    if (!ValidFloat(text, parsed))
        return false;
    const double rounded = std::nearbyint(parsed); // the default mode: half to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return false;
    value = int32_t(rounded);
    return true;
}

std::string ReplaceChar(char c, char replacement, const std::string &text)
{
    std::string result = text;
    std::replace(result.begin(), result.end(), c, replacement);
    return result;
}

std::string RemoveSpaces(const std::string &text)
{
    std::string result = text;
    result.erase(std::remove(result.begin(), result.end(), ' '), result.end());
    return result;
}

std::string NextField(int &position, char delimiter, const std::string &text)
{
    if (text.empty())
        return {};
    const int length = int(text.size());
    if (position <= 0)
        position = 1;
    while (position <= length && text[size_t(position - 1)] == ' ')
        ++position;
    if (position > length) {
        position = length + 1;
        return {};
    }
    const size_t start = size_t(position - 1);
    const size_t stop = text.find(delimiter, start);
    if (stop == std::string::npos) {
        position = length + 1;
        return text.substr(start);
    }
    position = int(stop) + 2;
    return text.substr(start, stop - start);
}

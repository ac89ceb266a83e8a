// The number typed in a settings box: the whole text must be one finite
// number (blanks may follow it).
#pragma once

#include <cmath>
#include <cstdlib>
#include <string>

inline bool ParseSettingNumber(const std::string &s, double *out)
{
    const char *begin = s.c_str();
    char *end = nullptr;
    const double v = std::strtod(begin, &end);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == begin || !end || *end || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

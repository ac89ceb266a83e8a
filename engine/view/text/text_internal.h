// Helpers shared by the text object's source files.
#pragma once

#include "engine/view/text/text_object.h"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace textobj {

// Truncation toward zero, saturated to 32 bits (NaN gives 0): sizes of a
// damaged or extreme document must not overflow.
inline int32_t Trunc32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return int32_t(v);
}

inline int32_t Clamp32(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int32_t(v);
}

inline int16_t Clamp16(int32_t v)
{
    return v > INT16_MAX ? INT16_MAX : v < INT16_MIN ? INT16_MIN : int16_t(v);
}

// The text of a record: the bytes of its data space up to the length field,
// never beyond the data space (a damaged file may claim more).
std::string_view RecordText(const char *record);

// The text's height in map units by its lock kind; a map-locked text gets
// its map height (when 0) and its size (from the page scale) stored in d.
int32_t TextHeightInMap(HWND window, TextObjectData &d);

// Points to map units (the 0x10 conversion).
int32_t PointsToMap(HWND window, int32_t points);

} // namespace textobj

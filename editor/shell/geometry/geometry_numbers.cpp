#include "editor/shell/geometry/geometry_numbers.h"

#include <cmath>
#include <limits>

namespace geometry {

int32_t CheckedCoord(int64_t value)
{
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw EGeometryOverflow("Coordinate overflow: " + std::to_string(value));
    return int32_t(value);
}

int32_t RoundCoord(double value)
{
    // The default rounding mode of the floating-point unit is to nearest,
    // halves to even.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= double(std::numeric_limits<int32_t>::min()) &&
          rounded <= double(std::numeric_limits<int32_t>::max())))
        throw EGeometryOverflow("Coordinate overflow: " + std::to_string(value));
    return int32_t(rounded);
}

int64_t RoundWide(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -9.0e18 && rounded <= 9.0e18))
        throw EGeometryOverflow("Value overflow: " + std::to_string(value));
    return int64_t(rounded);
}

void RequireFinite(double value, const char *what)
{
    if (!std::isfinite(value))
        throw std::invalid_argument(std::string("Not a finite number: ") + what);
}

} // namespace geometry

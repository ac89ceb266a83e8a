// The arithmetic of map units: coordinates are 32-bit, and a value that
// would leave 32 bits when stored back into a point raises the overflow
// error instead of wrapping. Squares, cross products and area sums are
// computed wide, so they never overflow on their own.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Raised when a coordinate computed by the geometry does not fit 32 bits
// (or is not a number).
class EGeometryOverflow : public std::overflow_error {
public:
    explicit EGeometryOverflow(const std::string &what) : std::overflow_error(what) {}
};

namespace geometry {

using Wide = __int128;

// The value as a coordinate; raises EGeometryOverflow outside 32 bits.
int32_t CheckedCoord(int64_t value);
// Nearest integer, an exact half going to the even neighbour, as a
// coordinate; raises EGeometryOverflow outside 32 bits, for NaN and
// infinities.
int32_t RoundCoord(double value);
// The same rounding without the 32-bit limit (distances, lengths).
int64_t RoundWide(double value);
// Raises std::invalid_argument naming what when value is NaN or infinite.
void RequireFinite(double value, const char *what);

// The cross product (b - a) x (c - a), exact.
inline Wide Cross(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t cx, int64_t cy)
{
    return Wide(bx - ax) * Wide(cy - ay) - Wide(by - ay) * Wide(cx - ax);
}

} // namespace geometry

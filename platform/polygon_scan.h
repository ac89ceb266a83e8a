// The pixel coverage of filled polygons on raster contexts, shared by
// Polygon, the translucent fill and the painting of polygon regions: a
// pixel is covered when its top-left corner lies inside the polygon (a point
// on a left or top edge counts as inside, one on a right or bottom edge as
// outside), by the alternate (even-odd) or the winding (non-zero) rule.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <functional>

inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;

namespace gdi {

// Calls span(y, xa, xb) for every covered run xa <= x < xb of each row
// 0 <= y < height, with 0 <= xa < xb <= width. The polygon is closed from
// its last point to its first; fewer than 3 points cover nothing.
void ScanPolygon(const POINT *points, int count, int fillMode, int width, int height,
                 const std::function<void(int y, int xa, int xb)> &span);

} // namespace gdi

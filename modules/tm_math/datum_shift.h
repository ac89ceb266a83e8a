// Three-parameter datum shifts: geodetic coordinates on one datum's ellipsoid
// to geocentric, moved by each datum's origin shift through WGS-84, and back
// to geodetic on the other datum's ellipsoid.
#pragma once

#include "modules/tm_math/transverse_mercator.h"

namespace tmerc {

struct Datum {
    Ellipsoid ellipsoid;
    double dx, dy, dz; // origin shift to WGS-84, metres
};

// Moves a point of height 0 (degrees) from one datum to the other; the height
// it gains on the other ellipsoid is dropped. False when the result is not a
// finite point.
bool ShiftDatum(const Datum &from, const Datum &to, double *latitude, double *longitude);

} // namespace tmerc

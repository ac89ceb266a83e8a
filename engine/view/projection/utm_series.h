// Universal Transverse Mercator by the series of the Universal Grids manual
// (carried to the eighth power), on a given ellipsoid: grid references are
// computed with them on WGS-84.
#pragma once

namespace utm {

struct Ellipsoid {
    double semiMajorAxis;
    double flattening;
};
inline constexpr Ellipsoid kInternational{6378388.0, 1.0 / 297.0};
inline constexpr Ellipsoid kWgs84{6378137.0, 1.0 / 298.257223563};

inline constexpr double kScale = 0.9996;
inline constexpr double kFalseEasting = 500000.0;
inline constexpr double kFalseNorthingSouth = 10000000.0;

// Longitude of the zone's central meridian, degrees.
inline constexpr double CentralMeridianDegrees(int zone) { return 6.0 * zone - 183.0; }

// Meridian arc from the equator to the latitude (radians), metres.
double MeridianArc(double latitude, const Ellipsoid &ellipsoid);

// Latitude and longitude (radians) to grid metres in the zone; south of the
// equator the northing carries the false northing.
void Forward(double latitude, double longitude, int zone, double *easting, double *northing,
             const Ellipsoid &ellipsoid);

// Grid metres of the zone and hemisphere to latitude and longitude (radians).
void Inverse(double easting, double northing, int zone, bool south, double *latitude, double *longitude,
             const Ellipsoid &ellipsoid);

} // namespace utm

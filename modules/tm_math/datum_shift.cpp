#include "modules/tm_math/datum_shift.h"

#include <cmath>

namespace tmerc {
namespace {

constexpr double kDegree = M_PI / 180.0;

struct Geocentric {
    double x, y, z;
};

double EccentricitySquared(const Ellipsoid &e) { return e.f * (2 - e.f); }

Geocentric ToGeocentric(const Ellipsoid &ellipsoid, double latitude, double longitude)
{
    const double phi = latitude * kDegree, lambda = longitude * kDegree;
    const double e2 = EccentricitySquared(ellipsoid);
    const double s = std::sin(phi), c = std::cos(phi);
    const double nu = ellipsoid.a / std::sqrt(1 - e2 * s * s);
    return {nu * c * std::cos(lambda), nu * c * std::sin(lambda), nu * (1 - e2) * s};
}

// Latitude by fixed-point iteration of tan(phi) = (z + e2 nu sin(phi)) / p,
// which gains about three digits a step for the Earth's flattening.
void ToGeodetic(const Ellipsoid &ellipsoid, const Geocentric &g, double *latitude, double *longitude)
{
    const double e2 = EccentricitySquared(ellipsoid);
    const double p = std::hypot(g.x, g.y);
    double phi = std::atan2(g.z, p * (1 - e2));
    for (int i = 0; i < 10; ++i) {
        const double s = std::sin(phi);
        const double nu = ellipsoid.a / std::sqrt(1 - e2 * s * s);
        const double next = std::atan2(g.z + e2 * nu * s, p);
        const bool done = std::fabs(next - phi) < 1e-15;
        phi = next;
        if (done)
            break;
    }
    *latitude = phi / kDegree;
    *longitude = std::atan2(g.y, g.x) / kDegree;
}

} // namespace

bool ShiftDatum(const Datum &from, const Datum &to, double *latitude, double *longitude)
{
    Geocentric g = ToGeocentric(from.ellipsoid, *latitude, *longitude);
    g.x += from.dx - to.dx;
    g.y += from.dy - to.dy;
    g.z += from.dz - to.dz;
    double lat, lon;
    ToGeodetic(to.ellipsoid, g, &lat, &lon);
    if (!std::isfinite(lat) || !std::isfinite(lon))
        return false;
    *latitude = lat;
    *longitude = lon;
    return true;
}

} // namespace tmerc

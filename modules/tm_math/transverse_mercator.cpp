#include "modules/tm_math/transverse_mercator.h"

#include <cmath>

namespace tmerc {
namespace {

constexpr double kDegree = M_PI / 180.0;

} // namespace

Projection::Projection(const Grid &grid) : grid_(grid)
{
    const double f = grid.ellipsoid.f;
    e_ = std::sqrt(f * (2 - f));
    const double n = f / (2 - f), n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n, n6 = n5 * n;
    n_ = n;
    A_ = grid.ellipsoid.a / (1 + n) * (1 + n2 / 4 + n4 / 64 + n6 / 256);
    alpha_[0] = beta_[0] = 0;
    alpha_[1] = n / 2 - 2 * n2 / 3 + 5 * n3 / 16 + 41 * n4 / 180 - 127 * n5 / 288 + 7891 * n6 / 37800;
    alpha_[2] = 13 * n2 / 48 - 3 * n3 / 5 + 557 * n4 / 1440 + 281 * n5 / 630 - 1983433 * n6 / 1935360;
    alpha_[3] = 61 * n3 / 240 - 103 * n4 / 140 + 15061 * n5 / 26880 + 167603 * n6 / 181440;
    alpha_[4] = 49561 * n4 / 161280 - 179 * n5 / 168 + 6601661 * n6 / 7257600;
    alpha_[5] = 34729 * n5 / 80640 - 3418889 * n6 / 1995840;
    alpha_[6] = 212378941 * n6 / 319334400;
    beta_[1] = n / 2 - 2 * n2 / 3 + 37 * n3 / 96 - n4 / 360 - 81 * n5 / 512 + 96199 * n6 / 604800;
    beta_[2] = n2 / 48 + n3 / 15 - 437 * n4 / 1440 + 46 * n5 / 105 - 1118711 * n6 / 3870720;
    beta_[3] = 17 * n3 / 480 - 37 * n4 / 840 - 209 * n5 / 4480 + 5569 * n6 / 90720;
    beta_[4] = 4397 * n4 / 161280 - 11 * n5 / 504 - 830251 * n6 / 7257600;
    beta_[5] = 4583 * n5 / 161280 - 108847 * n6 / 3991680;
    beta_[6] = 20648693 * n6 / 638668800;
    xi0_ = ConformalXi(grid.originLatitude * kDegree);
}

// The rectifying ordinate (xi) of a point on the central meridian.
double Projection::ConformalXi(double phi) const
{
    const double t = std::sinh(std::atanh(std::sin(phi)) - e_ * std::atanh(e_ * std::sin(phi)));
    const double xi1 = std::atan(t);
    double xi = xi1;
    for (int j = 1; j <= 6; ++j)
        xi += alpha_[j] * std::sin(2 * j * xi1);
    return xi;
}

double NormalizeLongitude(double longitude)
{
    const double l = std::remainder(longitude, 360.0);
    return l == -180.0 ? 180.0 : l;
}

void Projection::Forward(double latitude, double longitude, double *easting, double *northing) const
{
    const double phi = latitude * kDegree;
    const double dl = (longitude - grid_.centralMeridian) * kDegree;
    double xi1, eta1;
    if (std::fabs(latitude) == 90.0) {
        // The pole: the conformal tangent below is infinite there.
        xi1 = std::copysign(M_PI / 2, latitude);
        eta1 = 0;
    } else {
        // The conformal tangent from tan(phi), which stays exact near the poles
        // where sin(phi) loses the digits that matter.
        const double tau = std::tan(phi);
        const double sigma = std::sinh(e_ * std::atanh(e_ * tau / std::hypot(1.0, tau)));
        const double t = tau * std::hypot(1.0, sigma) - sigma * std::hypot(1.0, tau);
        xi1 = std::atan2(t, std::cos(dl));
        eta1 = std::atanh(std::sin(dl) / std::hypot(1.0, t));
    }
    double xi = xi1, eta = eta1;
    for (int j = 1; j <= 6; ++j) {
        xi += alpha_[j] * std::sin(2 * j * xi1) * std::cosh(2 * j * eta1);
        eta += alpha_[j] * std::cos(2 * j * xi1) * std::sinh(2 * j * eta1);
    }
    *easting = grid_.falseEasting + grid_.scale * A_ * eta;
    *northing = grid_.falseNorthing + grid_.scale * A_ * (xi - xi0_);
}

void Projection::Inverse(double easting, double northing, double *latitude, double *longitude) const
{
    const double xi = (northing - grid_.falseNorthing) / (grid_.scale * A_) + xi0_;
    const double eta = (easting - grid_.falseEasting) / (grid_.scale * A_);
    double xi1 = xi, eta1 = eta;
    for (int j = 1; j <= 6; ++j) {
        xi1 -= beta_[j] * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
        eta1 -= beta_[j] * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
    }
    const double tau1 =
        std::sin(xi1) / std::sqrt(std::sinh(eta1) * std::sinh(eta1) + std::cos(xi1) * std::cos(xi1));
    // Newton's method for the geographic tangent whose conformal tangent is tau1.
    const double e2 = e_ * e_;
    double tau = tau1;
    for (int i = 0; i < 6; ++i) {
        const double s = std::sqrt(1 + tau * tau);
        const double sigma = std::sinh(e_ * std::atanh(e_ * tau / s));
        const double taui = tau * std::sqrt(1 + sigma * sigma) - sigma * s;
        const double d =
            (tau1 - taui) / std::sqrt(1 + taui * taui) * (1 + (1 - e2) * tau * tau) / ((1 - e2) * s);
        tau += d;
        if (std::fabs(d) < 1e-14)
            break;
    }
    *latitude = std::atan(tau) / kDegree;
    *longitude = grid_.centralMeridian + std::atan2(std::sinh(eta1), std::cos(xi1)) / kDegree;
}

bool Projection::ForwardChecked(double latitude, double longitude, double *easting, double *northing) const
{
    if (!(std::fabs(latitude) <= 90.0) || !std::isfinite(longitude))
        return false;
    const double dl = NormalizeLongitude(longitude - grid_.centralMeridian);
    if (std::fabs(latitude) < 90.0 && std::fabs(dl) > kMaxLongitudeDifference)
        return false;
    double e, n;
    Forward(latitude, grid_.centralMeridian + dl, &e, &n);
    if (!std::isfinite(e) || !std::isfinite(n))
        return false;
    *easting = e;
    *northing = n;
    return true;
}

bool Projection::InverseChecked(double easting, double northing, double *latitude, double *longitude) const
{
    if (!std::isfinite(easting) || !std::isfinite(northing))
        return false;
    // Far outside the domain the series' hyperbolic terms overflow: refuse
    // before computing. 30 degrees from the central meridian is eta 0.55 at
    // most; a pole is xi pi/2.
    const double xi = (northing - grid_.falseNorthing) / (grid_.scale * A_) + xi0_;
    const double eta = (easting - grid_.falseEasting) / (grid_.scale * A_);
    if (std::fabs(eta) > 0.6 || std::fabs(xi) > M_PI / 2 + 1e-9)
        return false;
    double lat, lon;
    Inverse(easting, northing, &lat, &lon);
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90.0)
        return false;
    if (std::fabs(lat) < 90.0 && std::fabs(lon - grid_.centralMeridian) > kMaxLongitudeDifference)
        return false;
    // The series are each other's inverse only inside the domain: a point
    // that does not project back onto itself (to a tenth of a millimetre) is
    // outside.
    double e, n;
    Forward(lat, lon, &e, &n);
    if (!(std::hypot(e - easting, n - northing) < 1e-4))
        return false;
    *latitude = lat;
    *longitude = NormalizeLongitude(lon);
    return true;
}

Grid UtmGrid(const Ellipsoid &ellipsoid, int zone, bool south)
{
    return Grid{ellipsoid, 0.0, 6.0 * zone - 183.0, 0.9996, 500000.0, south ? 10000000.0 : 0.0};
}

Grid BritishNationalGrid() { return Grid{kAiry1830, 49.0, -2.0, 0.9996012717, 400000.0, -100000.0}; }

Grid IrishTransverseMercator() { return Grid{kGrs80, 53.5, -8.0, 0.99982, 600000.0, 750000.0}; }

} // namespace tmerc

#include "engine/view/projection/utm_series.h"

#include <cmath>

namespace utm {
namespace {

struct Constants {
    double a, b, e2, ep2, n;
    double A, B, C, D, E; // meridian arc coefficients
};

Constants MakeConstants(const Ellipsoid &ellipsoid)
{
    Constants c{};
    c.a = ellipsoid.semiMajorAxis;
    c.b = c.a * (1.0 - ellipsoid.flattening);
    c.e2 = (c.a * c.a - c.b * c.b) / (c.a * c.a);
    c.ep2 = (c.a * c.a - c.b * c.b) / (c.b * c.b);
    c.n = (c.a - c.b) / (c.a + c.b);
    const double n = c.n, n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n;
    c.A = c.a * (1.0 - n + 5.0 / 4.0 * (n2 - n3) + 81.0 / 64.0 * (n4 - n5));
    c.B = 1.5 * c.a * (n - n2 + 7.0 / 8.0 * (n3 - n4) + 55.0 / 64.0 * n5);
    c.C = 15.0 / 16.0 * c.a * (n2 - n3 + 0.75 * (n4 - n5));
    c.D = 35.0 / 48.0 * c.a * (n3 - n4 + 11.0 / 16.0 * n5);
    c.E = 315.0 / 512.0 * c.a * (n4 - n5);
    return c;
}

double Arc(const Constants &c, double phi)
{
    return c.A * phi - c.B * std::sin(2 * phi) + c.C * std::sin(4 * phi) - c.D * std::sin(6 * phi) +
           c.E * std::sin(8 * phi);
}

constexpr double kDegree = 0.017453292519943295;

} // namespace

double MeridianArc(double phi, const Ellipsoid &ellipsoid) { return Arc(MakeConstants(ellipsoid), phi); }

void Forward(double phi, double lambda, int zone, double *easting, double *northing,
             const Ellipsoid &ellipsoid)
{
    const Constants c = MakeConstants(ellipsoid);
    const double k0 = kScale;
    const double s = std::sin(phi), co = std::cos(phi);
    const double t = std::tan(phi), t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
    const double eta2 = c.ep2 * co * co, eta4 = eta2 * eta2, eta6 = eta4 * eta2, eta8 = eta4 * eta4;
    const double nu = c.a / std::sqrt(1.0 - c.e2 * s * s);
    const double co3 = co * co * co, co5 = co3 * co * co, co7 = co5 * co * co;
    const double dl = lambda - CentralMeridianDegrees(zone) * kDegree;
    const double dl2 = dl * dl, dl3 = dl2 * dl, dl4 = dl2 * dl2, dl5 = dl4 * dl, dl6 = dl4 * dl2,
                 dl7 = dl6 * dl, dl8 = dl4 * dl4;

    const double T1 = Arc(c, phi) * k0;
    const double T2 = nu * s * co * k0 / 2.0;
    const double T3 = nu * s * co3 * k0 / 24.0 * (5.0 - t2 + 9.0 * eta2 + 4.0 * eta4);
    const double T4 =
        nu * s * co5 * k0 / 720.0 *
        (61.0 - 58.0 * t2 + t4 + 270.0 * eta2 - 330.0 * t2 * eta2 + 445.0 * eta4 + 324.0 * eta6 -
         680.0 * t2 * eta4 + 88.0 * eta8 - 600.0 * t2 * eta6 - 192.0 * t2 * eta8);
    const double T5 = nu * s * co7 * k0 / 40320.0 * (1385.0 - 3111.0 * t2 + 543.0 * t4 - t6);
    const double T6 = nu * co * k0;
    const double T7 = nu * co3 * k0 / 6.0 * (1.0 - t2 + eta2);
    const double T8 = nu * co5 * k0 / 120.0 *
                      (5.0 - 18.0 * t2 + t4 + 14.0 * eta2 - 58.0 * t2 * eta2 + 13.0 * eta4 + 4.0 * eta6 -
                       64.0 * t2 * eta4 - 24.0 * t2 * eta6);
    const double T9 = nu * co7 * k0 / 5040.0 * (61.0 - 479.0 * t2 + 179.0 * t4 - t6);

    *northing = T1 + dl2 * T2 + dl4 * T3 + dl6 * T4 + dl8 * T5 + (phi < 0 ? kFalseNorthingSouth : 0.0);
    *easting = kFalseEasting + dl * T6 + dl3 * T7 + dl5 * T8 + dl7 * T9;
}

void Inverse(double easting, double northing, int zone, bool south, double *latitude, double *longitude,
             const Ellipsoid &ellipsoid)
{
    const Constants c = MakeConstants(ellipsoid);
    const double k0 = kScale;
    const double M = (northing - (south ? kFalseNorthingSouth : 0.0)) / k0;
    // Footpoint latitude: the latitude whose meridian arc is M.
    double fp = M / (c.a * (1.0 - c.e2));
    for (int i = 0; i < 5; ++i) {
        const double s = std::sin(fp);
        const double rho = c.a * (1.0 - c.e2) / std::pow(1.0 - c.e2 * s * s, 1.5);
        fp += (M - Arc(c, fp)) / rho;
    }
    const double s = std::sin(fp), co = std::cos(fp);
    const double t = std::tan(fp), t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
    const double eta2 = c.ep2 * co * co, eta4 = eta2 * eta2, eta6 = eta4 * eta2, eta8 = eta4 * eta4;
    const double w = 1.0 - c.e2 * s * s;
    const double nu = c.a / std::sqrt(w);
    const double rho = c.a * (1.0 - c.e2) / std::pow(w, 1.5);
    const double nu3 = nu * nu * nu, nu5 = nu3 * nu * nu, nu7 = nu5 * nu * nu;
    const double k2 = k0 * k0, k3 = k2 * k0, k4 = k2 * k2, k5 = k4 * k0, k6 = k4 * k2, k7 = k6 * k0,
                 k8 = k4 * k4;
    const double dE = easting - kFalseEasting;
    const double dE2 = dE * dE, dE3 = dE2 * dE, dE4 = dE2 * dE2, dE5 = dE4 * dE, dE6 = dE4 * dE2,
                 dE7 = dE6 * dE, dE8 = dE4 * dE4;

    const double T10 = t / (2.0 * rho * nu * k2);
    const double T11 = t / (24.0 * rho * nu3 * k4) * (5.0 + 3.0 * t2 + eta2 - 4.0 * eta4 - 9.0 * t2 * eta2);
    const double T12 = t / (720.0 * rho * nu5 * k6) *
                       (61.0 + 90.0 * t2 + 46.0 * eta2 + 45.0 * t4 - 252.0 * t2 * eta2 - 3.0 * eta4 +
                        100.0 * eta6 - 66.0 * t2 * eta4 - 90.0 * t4 * eta2 + 88.0 * eta8 + 225.0 * t4 * eta4 +
                        84.0 * t2 * eta6 - 192.0 * t2 * eta8);
    const double T13 = t / (40320.0 * rho * nu7 * k8) * (1385.0 + 3633.0 * t2 + 4095.0 * t4 + 1575.0 * t6);
    const double T14 = 1.0 / (nu * co * k0);
    const double T15 = 1.0 / (6.0 * nu3 * co * k3) * (1.0 + 2.0 * t2 + eta2);
    const double T16 = 1.0 / (120.0 * nu5 * co * k5) *
                       (5.0 + 6.0 * eta2 + 28.0 * t2 - 3.0 * eta4 + 8.0 * t2 * eta2 + 24.0 * t4 - 4.0 * eta6 +
                        4.0 * t2 * eta4 + 24.0 * t2 * eta6);
    const double T17 = 1.0 / (5040.0 * nu7 * co * k7) * (61.0 + 662.0 * t2 + 1320.0 * t4 + 720.0 * t6);

    *latitude = fp - dE2 * T10 + dE4 * T11 - dE6 * T12 + dE8 * T13;
    *longitude = CentralMeridianDegrees(zone) * kDegree + dE * T14 - dE3 * T15 + dE5 * T16 - dE7 * T17;
}

} // namespace utm

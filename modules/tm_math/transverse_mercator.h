// Transverse Mercator on an ellipsoid by Krüger's series in the third
// flattening, carried to its sixth power: millimetre-exact far beyond a
// national grid's or a UTM zone's width.
#pragma once

namespace tmerc {

struct Ellipsoid {
    double a; // semi-major axis, metres
    double f; // flattening
};

inline constexpr Ellipsoid kWgs84{6378137.0, 1.0 / 298.257223563};
inline constexpr Ellipsoid kGrs80{6378137.0, 1.0 / 298.257222101};
inline constexpr Ellipsoid kAiry1830{6377563.396, 1.0 - 6356256.909 / 6377563.396};
inline constexpr Ellipsoid kInternational{6378388.0, 1.0 / 297.0};

struct Grid {
    Ellipsoid ellipsoid;
    double originLatitude;  // degrees
    double centralMeridian; // degrees
    double scale;           // on the central meridian
    double falseEasting;    // metres
    double falseNorthing;
};

// How far from the central meridian the projections are computed, degrees:
// the series stay exact to well below a millimetre there.
inline constexpr double kMaxLongitudeDifference = 30.0;

// The longitude brought into -180..180 degrees.
double NormalizeLongitude(double longitude);

class Projection {
public:
    explicit Projection(const Grid &grid);
    // Degrees to grid metres.
    void Forward(double latitude, double longitude, double *easting, double *northing) const;
    // Grid metres to degrees.
    void Inverse(double easting, double northing, double *latitude, double *longitude) const;

    // Forward for a point within the domain only: a finite latitude within
    // +-90 degrees (inclusive) and a longitude, taken modulo 360, within
    // kMaxLongitudeDifference of the central meridian. False outside it.
    bool ForwardChecked(double latitude, double longitude, double *easting, double *northing) const;
    // Inverse for a grid point whose geographic point lies within that domain
    // and projects back onto it; the longitude within -180..180. False for
    // any other grid point.
    bool InverseChecked(double easting, double northing, double *latitude, double *longitude) const;

private:
    Grid grid_;
    double e_, n_, A_, alpha_[7], beta_[7], xi0_;
    double ConformalXi(double latitudeRadians) const;
};

Grid UtmGrid(const Ellipsoid &ellipsoid, int zone, bool south);
Grid BritishNationalGrid();
Grid IrishTransverseMercator();

} // namespace tmerc

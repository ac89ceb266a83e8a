#include "engine/view/viewrecord/mgrs.h"

#include "engine/view/projection/projection_manager.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/projection/utm_series.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "platform/module.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

constexpr double kDegree = 0.017453292519943278;
constexpr int kLetterC = 3, kLetterI = 9, kLetterN = 14, kLetterO = 15, kLetterV = 22, kLetterX = 24;
// How far a point may lie outside its band (radians, about a metre).
constexpr double kBandTolerance = 1.56e-7;
// Latitudes closer to the equator than this (radians, well below a
// millimetre) are on it: the hemisphere of the zone decides the band.
constexpr double kOnTheEquator = 1e-10;
// The northing of the equator in the south, the southern grid's upper edge:
// a point on it is written in the square below, which holds it.
constexpr double kEquatorSouth = 10000000.0;
// Grid references are made on the ellipsoid of the standard.
constexpr const utm::Ellipsoid &kGrid = utm::kWgs84;
constexpr const char kBandLetters[] = "CDEFGHJKLMNPQRSTUVWX";

// Rounds half away from zero.
double RoundAway(double v) { return std::trunc(v + (v < 0 ? -0.5 : 0.5)); }

int SetNumber(int zone) { return (zone - 1) % 6 + 1; }
int LowLetter(int set) { return set % 3 == 1 ? 1 : set % 3 == 2 ? 10 : 19; } // A, J, S
double RowOffset(int set) { return set % 2 == 0 ? 1500000.0 : 0.0; }

// Southern limit of a band letter, degrees.
int BandSouth(int L) { return L <= 8 ? 8 * L - 104 : L <= 14 ? 8 * L - 112 : 8 * L - 120; }
int BandNorth(int L) { return L == kLetterX ? 84 : BandSouth(L) + 8; }

// The letters the grid uses, numbered from 1 ("A").
bool IsGridLetter(int L) { return L >= 1 && L <= 26 && L != kLetterI && L != kLetterO; }
bool IsBandLetter(int L) { return L >= kLetterC && L <= kLetterX && IsGridLetter(L); }
bool IsRowLetter(int L) { return L <= kLetterV && IsGridLetter(L); }
// The eight column letters of a zone's set: A-H, J-R or S-Z.
bool IsColumnLetter(int L, int set)
{
    const int low = LowLetter(set);
    const int high = low == 10 ? 18 : low + 7;
    return L >= low && L <= high && IsGridLetter(L);
}

// The d leading digits of the metres within the 100 km square: cut, not
// rounded, as the reference names the square that holds the point.
std::string Digits(double metres, int d)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%05lld", static_cast<long long>(std::fmod(metres, 100000.0)));
    return std::string(buffer).substr(0, size_t(d));
}

GiveLoLaProc LoadGiveLoLa()
{
    // Loaded once and kept, by its fixed name in the modules folder.
    static std::once_flag once;
    static GiveLoLaProc proc = nullptr;
    std::call_once(once, [] {
        const HMODULE lib = LoadLibraryA((ProjectionModulesFolder() + "utm.so").c_str());
        if (lib)
            proc = reinterpret_cast<GiveLoLaProc>(GetProcAddress(lib, "GiveLoLa"));
    });
    return proc;
}

// The lowest and highest latitude (radians) of the square of side `size`
// metres whose south-west corner is the grid point. For a fixed easting the
// latitude grows with the northing; along a fixed northing it is highest on
// the central meridian and falls away from it on either side, so the
// extremes lie among the corners and the edges' points nearest the meridian.
void SquareLatitudes(double easting, double northing, double size, int zone, bool south, double *lowest,
                     double *highest)
{
    const double eastings[] = {easting, easting + size,
                               std::clamp(utm::kFalseEasting, easting, easting + size)};
    *lowest = HUGE_VAL;
    *highest = -HUGE_VAL;
    for (double e : eastings)
        for (double n : {northing, northing + size}) {
            double lat, lon;
            utm::Inverse(e, n, zone, south, &lat, &lon, kGrid);
            *lowest = std::min(*lowest, lat);
            *highest = std::max(*highest, lat);
        }
}

// The reference of a UTM point (metres, the zone negative in the south)
// whose latitude (radians) is known; empty for a point outside the grid.
void FormatReference(double latitude, int zone, double easting, double northing, int digits, std::string *out)
{
    out->clear();
    // Only points of the UTM grid get a reference: zones 1 to 60 (negative
    // in the south), latitudes from 80 degrees south to 84 north, eastings
    // of the eight 100 km columns and northings of a hemisphere.
    if (zone < -60 || zone > 60 || zone == 0 || !std::isfinite(latitude) || !std::isfinite(easting) ||
        !std::isfinite(northing))
        return;
    const double latitudeDegrees = latitude / kDegree;
    if (latitudeDegrees < -80.0 || latitudeDegrees > 84.0)
        return;
    // The zone's sign or, on the caller's word, the latitude tells the
    // hemisphere.
    const bool south = zone < 0 || latitude <= -kOnTheEquator;
    const int z = zone < 0 ? -zone : zone;
    digits = std::clamp(digits, 0, 5);

    // The band of the point's latitude; band "X" reaches to 84 degrees.
    int band = std::min(int(std::floor((latitudeDegrees + 80.0) / 8.0)), 19);
    if (std::fabs(latitude) < kOnTheEquator)
        band = south ? 9 : 10; // "M" or "N"
    const int L = kBandLetters[band] - 'A' + 1;

    // The square that holds the point: eastings and northings are cut to
    // whole metres. The southern grid ends at the equator, whose points go
    // to the square below it.
    const double E = std::floor(easting);
    const double N = south && northing >= kEquatorSouth ? kEquatorSouth - 1.0 : std::floor(northing);
    if (N < 0 || N > (south ? kEquatorSouth - 1.0 : kEquatorSouth) || E < 100000.0 || E >= 900000.0)
        return;
    double rowN = std::fmod(N, 2000000.0) - RowOffset(SetNumber(z));
    if (rowN < 0)
        rowN += 2000000.0;
    int R = 1 + int(rowN / 100000.0);
    if (R > 8)
        ++R;
    if (R > 14)
        ++R;
    const int set = SetNumber(z);
    int C = LowLetter(set) + int(E / 100000.0) - 1;
    if (LowLetter(set) == 10 && C > 14)
        ++C;

    if (!IsBandLetter(L) || !IsRowLetter(R) || !IsColumnLetter(C, set))
        return;
    char head[16]; // room for any int, though zones are 1 to 60
    std::snprintf(head, sizeof head, "%02d%c%c%c", z, 'A' + L - 1, 'A' + C - 1, 'A' + R - 1);

    // The reference must read back to the point it names: the full-precision
    // reference is parsed again, and a point whose band, row or column the
    // parser places elsewhere (a latitude that does not belong to the grid
    // point, a row outside the band) gets no reference.
    const std::string full = head + Digits(E, 5) + Digits(N, 5);
    double lat, lon, backN, backE;
    int backZone;
    if (!MGRS_to_UTM(&full, &lat, &lon, &backN, &backE, &backZone) || backE != E || backN != N)
        return;

    *out = head;
    *out += digits ? Digits(E, digits) : "EE";
    *out += digits ? Digits(N, digits) : "NN";
}

} // namespace

void UTM_to_MGRS_with_LongLat(double latitude, double, const int *zone, const MAP_COORDPT *utm, int digits,
                              std::string *out)
{
    if (!out)
        return;
    out->clear();
    if (!zone || !utm)
        return;
    FormatReference(latitude, *zone, utm->x, utm->y, digits, out);
}

int MGRS_IsValidString(const std::string *text)
{
    if (!text)
        return 0;
    const std::string &s = *text;
    if (s.size() < 7 || s.size() > 15 || (s.size() - 5) % 2 != 0)
        return 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool letter = i >= 2 && i <= 4;
        if (letter ? !(s[i] >= 'A' && s[i] <= 'Z') : !(s[i] >= '0' && s[i] <= '9'))
            return 0;
    }
    return 1;
}

int MGRS_to_UTM(const std::string *text, double *latitude, double *longitude, double *northing,
                double *easting, int *zone)
{
    if (!MGRS_IsValidString(text) || !latitude || !longitude || !northing || !easting || !zone)
        return 0;
    const std::string &s = *text;
    const int z = (s[0] - '0') * 10 + (s[1] - '0');
    const int B = s[2] - 'A' + 1, C = s[3] - 'A' + 1, R = s[4] - 'A' + 1;
    // Only zones, bands, columns and rows the grid has.
    if (z < 1 || z > 60 || !IsBandLetter(B) || !IsColumnLetter(C, SetNumber(z)) || !IsRowLetter(R))
        return 0;
    *zone = z;
    const double sign = B < kLetterN ? -1.0 : 1.0;
    if ((z == 32 || z == 34 || z == 36) && B == kLetterX) {
        *latitude = *longitude = *northing = *easting = 0;
        return 0;
    }
    const int set = SetNumber(z);

    // The band's lowest northing: on the central meridian in the north; in
    // the south the parallels bend to lower northings away from it, so the
    // band's southern limit 6 degrees off the meridian is lower still (by a
    // few kilometres, which may cross a 100 km line).
    double e0, bandNorthing, offMeridian;
    const double bandSouth = BandSouth(B) * kDegree, meridian = utm::CentralMeridianDegrees(z) * kDegree;
    utm::Forward(bandSouth, meridian, z, &e0, &bandNorthing, kGrid);
    utm::Forward(bandSouth, meridian + 6.0 * kDegree, z, &e0, &offMeridian, kGrid);
    bandNorthing = std::min(bandNorthing, offMeridian);
    const double minNorthing = RoundAway(std::trunc(bandNorthing / 100000.0) * 100000.0);
    const double remainder = RoundAway(std::fmod(minNorthing, 2000000.0));

    double rowN = (R - 1) * 100000.0 + RowOffset(set);
    if (R > 15)
        rowN -= 100000.0;
    if (R > 9)
        rowN -= 100000.0;
    rowN = RoundAway(rowN);
    if (rowN >= 2000000.0)
        rowN -= 2000000.0;
    rowN = RoundAway(rowN);
    double shift = std::fmod(rowN - remainder, 2000000.0);
    if (shift < 0)
        shift += 2000000.0;
    const double squareNorthing = minNorthing + shift;

    double columnEasting = (C - LowLetter(set) + 1) * 100000.0;
    if (LowLetter(set) == 10 && C > 15)
        columnEasting -= 100000.0;

    const int d = int(s.size() - 5) / 2;
    const double multiplier = std::pow(10.0, 5 - d);
    const double eDigits = std::strtod(s.substr(5, size_t(d)).c_str(), nullptr) * multiplier;
    const double nDigits = std::strtod(s.substr(5 + size_t(d)).c_str(), nullptr) * multiplier;

    const double signedNorthing = (nDigits + squareNorthing) * sign;
    *easting = eDigits + columnEasting;
    *northing = std::fabs(signedNorthing);
    const bool south = signedNorthing < 0;
    utm::Inverse(*easting, *northing, z, south, latitude, longitude, kGrid);

    // The reference names a square of `multiplier` metres; it belongs to its
    // band when some of the square does (with the tolerance), so that a
    // reference with few digits near a band edge still reads back.
    double lowest, highest;
    SquareLatitudes(*easting, *northing, multiplier, z, south, &lowest, &highest);
    if (highest < BandSouth(B) * kDegree - kBandTolerance || lowest > BandNorth(B) * kDegree + kBandTolerance)
        return 0;
    return 1;
}

void UTM_to_MGRS(PresentationManager *view, int32_t x, int32_t y, int zone, int digits, std::string *out)
{
    if (!out)
        return;
    out->clear();
    if (!view || zone < -60 || zone > 60 || zone == 0)
        return;
    const tagUnitInfo *unit = FindUnitInfo(view->projection.baseUnit);
    const GiveLoLaProc giveLoLa = LoadGiveLoLa();
    if (!unit || !giveLoLa)
        return;
    // The module takes whole metres; the reference is made of the point
    // itself, whose parts of a metre may matter for its digits and band.
    const double easting = x / unit->factor, northing = y / unit->factor;
    const MAP_COORDPT metres{int32_t(std::clamp(std::trunc(easting + 0.5), -2147483648.0, 2147483647.0)),
                             int32_t(std::clamp(std::trunc(northing + 0.5), -2147483648.0, 2147483647.0))};
    double lat = 0, lon = 0;
    giveLoLa(&metres, &lat, &lon, zone);
    // The module's latitude is that of the whole metres: the rest of the way
    // to the point comes from the series.
    const int z = zone < 0 ? -zone : zone;
    double atPoint, atMetres, ignored;
    utm::Inverse(easting, northing, z, zone < 0, &atPoint, &ignored, kGrid);
    utm::Inverse(metres.x, metres.y, z, zone < 0, &atMetres, &ignored, kGrid);
    FormatReference(lat * kDegree + (atPoint - atMetres), zone, easting, northing, digits, out);
}

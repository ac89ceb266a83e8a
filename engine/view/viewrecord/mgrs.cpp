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
constexpr int kLetterN = 14, kLetterV = 22, kLetterX = 24;

// Rounds half away from zero.
double RoundAway(double v) { return std::trunc(v + (v < 0 ? -0.5 : 0.5)); }

int SetNumber(int zone) { return (zone - 1) % 6 + 1; }
int LowLetter(int set) { return set % 3 == 1 ? 1 : set % 3 == 2 ? 10 : 19; } // A, J, S
double RowOffset(int set) { return set % 2 == 0 ? 1500000.0 : 0.0; }

// Southern limit of a band letter, degrees.
int BandSouth(int L) { return L <= 8 ? 8 * L - 104 : L <= 14 ? 8 * L - 112 : 8 * L - 120; }

std::string Digits(double value, int d)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%08lld", static_cast<long long>(value));
    return std::string(buffer).substr(3, size_t(d));
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

} // namespace

void UTM_to_MGRS_with_LongLat(double latitude, double, const int *zone, const MAP_COORDPT *utm, int digits,
                              std::string *out)
{
    if (!out)
        return;
    out->clear();
    if (!zone || !utm)
        return;
    const int z = std::abs(*zone);
    if (z < 1 || z > 60 || utm->x < 0 || utm->y < 0)
        return;
    digits = std::clamp(digits, 0, 5);

    int L = int(std::trunc((80.0 + latitude / kDegree) / 8.0)) + 3;
    if (L > 8)
        ++L;
    if (L > 14)
        ++L;
    if (L >= 25)
        L = kLetterX;
    if (L == 13 && latitude == 0)
        L = kLetterN;

    const int set = SetNumber(z);
    double N = RoundAway(utm->y);
    if (std::trunc(N + 0.5) == 10000000.0)
        N = 9999999.0;
    double rowN = N;
    while (rowN >= 2000000.0)
        rowN -= 2000000.0;
    rowN -= RowOffset(set);
    if (rowN < 0)
        rowN += 2000000.0;
    int R = 1 + int(std::floor((rowN + 0.1) / 100000.0));
    if (R > 8)
        ++R;
    if (R > 14)
        ++R;

    double E = RoundAway(utm->x);
    if (z == 31 && L == kLetterV && E == 500000.0)
        E = 499999.0;
    int C = LowLetter(set) + int(std::floor((E + 0.1) / 100000.0)) - 1;
    if (LowLetter(set) == 10 && C > 14)
        ++C;

    if (L < 1 || L > 26 || R < 1 || R > 26 || C < 1 || C > 26)
        return;
    char head[8];
    std::snprintf(head, sizeof head, "%02d%c%c%c", z, 'A' + L - 1, 'A' + C - 1, 'A' + R - 1);
    *out = head;
    *out += digits ? Digits(E, digits) : "EE";
    *out += digits ? Digits(N, digits) : "NN";
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
    *zone = z;
    const int B = s[2] - 'A' + 1, C = s[3] - 'A' + 1, R = s[4] - 'A' + 1;
    const double sign = B < kLetterN ? -1.0 : 1.0;
    if (z < 1 || z > 60 || ((z == 32 || z == 34 || z == 36) && B == kLetterX)) {
        *latitude = *longitude = *northing = *easting = 0;
        return 0;
    }
    const int set = SetNumber(z);

    double e0, bandNorthing;
    utm::Forward(BandSouth(B) * kDegree, utm::CentralMeridianDegrees(z) * kDegree, z, &e0, &bandNorthing);
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
    utm::Inverse(*easting, *northing, z, signedNorthing < 0, latitude, longitude);

    const double tolerance = 1.56e-7;
    const double south = BandSouth(B) * kDegree;
    const double north = (B == kLetterX ? 84.0 : BandSouth(B) + 8.0) * kDegree;
    if (*latitude < south - tolerance || *latitude > north + tolerance)
        return 0;
    return 1;
}

void UTM_to_MGRS(PresentationManager *view, int32_t x, int32_t y, int zone, int digits, std::string *out)
{
    if (!out)
        return;
    out->clear();
    if (!view)
        return;
    const tagUnitInfo *unit = FindUnitInfo(view->projection.baseUnit);
    const GiveLoLaProc giveLoLa = LoadGiveLoLa();
    if (!unit || !giveLoLa)
        return;
    const MAP_COORDPT metres{
        int32_t(std::clamp(std::trunc(x / unit->factor + 0.5), -2147483648.0, 2147483647.0)),
        int32_t(std::clamp(std::trunc(y / unit->factor + 0.5), -2147483648.0, 2147483647.0))};
    double lat = 0, lon = 0;
    giveLoLa(&metres, &lat, &lon, zone);
    UTM_to_MGRS_with_LongLat(lat * kDegree, lon * kDegree, &zone, &metres, digits, out);
}

// A projection module of the ten-entry interface. Its base side is
// geographic (longitude x, latitude y), its transformed side a grid in
// metres; the engine's scales turn both into its own units.
//
// Parameter texts: "UTM <zone>N" or "UTM <zone>S" (zones 1 to 60, WGS-84),
// "BNG" (British National Grid, Airy 1830), "ITM" (Irish Transverse Mercator,
// GRS80).
//
// Datums: the datum row given with the forward scale belongs to the
// geographic side, the one given with the backward scale to the grid side.
// When both are set (not row 0) and differ, geographic points are moved from
// the one datum to the other by the table's three-parameter shifts before
// they are projected, and back after the inverse.
#include "engine/view/projection/datum_table.h"
#include "engine/view/projection/projection_module.h"
#include "modules/tm_math/datum_shift.h"
#include "modules/tm_math/transverse_mercator.h"
#include "platform/global_memory.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

enum GridKind : int32_t { kUtm = 1, kBng = 2, kItm = 3 };

// The state block: plain data, since the engine copies it byte for byte.
struct TmState {
    int32_t kind;
    int32_t zone;
    int32_t south;
    int32_t forwardDatum;
    int32_t backwardDatum;
    int32_t reserved;
    double forwardScale;  // geographic units to degrees
    double backwardScale; // metres to grid units
};

bool Parse(const char *text, TmState *out)
{
    if (!text)
        return false;
    std::string t(text);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
        t.pop_back();
    if (t == "BNG") {
        out->kind = kBng;
        out->zone = 0;
        out->south = 0;
        return true;
    }
    if (t == "ITM") {
        out->kind = kItm;
        out->zone = 0;
        out->south = 0;
        return true;
    }
    // "UTM ", one or two digits of a zone from 1 to 60, "N" or "S".
    if (t.size() < 6 || t.size() > 7 || t.compare(0, 4, "UTM ") != 0)
        return false;
    const char *first = t.data() + 4, *last = t.data() + t.size() - 1;
    int zone = 0;
    const auto [end, error] = std::from_chars(first, last, zone);
    const char hemisphere = *last;
    if (error != std::errc() || end != last || *first == '+' || zone < 1 || zone > 60 ||
        (hemisphere != 'N' && hemisphere != 'S'))
        return false;
    out->kind = kUtm;
    out->zone = zone;
    out->south = hemisphere == 'S';
    return true;
}

// The datum of a table row; false for a row the table does not hold (the
// empty end row included).
bool DatumOfRow(int32_t row, tmerc::Datum *out)
{
    if (row < 0 || row >= kDatumRowCount)
        return false;
    const DatumInfo &d = DatumTable()[row];
    if (!d.name[0])
        return false;
    // The table gives the WGS-84 ellipsoid less this one's.
    const tmerc::Ellipsoid wgs84 = tmerc::kWgs84;
    out->ellipsoid = {wgs84.a - d.semiMajorAxisShift, wgs84.f - d.flatteningShift / 10000.0};
    out->dx = d.dx;
    out->dy = d.dy;
    out->dz = d.dz;
    return true;
}

// The shift between the geographic and the grid datum of a state: none
// (false in *needed) when either is row 0 or both are one row; false when a
// row is not in the table.
bool DatumPair(int32_t geographicRow, int32_t gridRow, bool *needed, tmerc::Datum *geographic,
               tmerc::Datum *grid)
{
    *needed = false;
    if (geographicRow == 0 || gridRow == 0)
        return geographicRow >= 0 && gridRow >= 0 && geographicRow < kDatumRowCount &&
               gridRow < kDatumRowCount;
    if (!DatumOfRow(geographicRow, geographic) || !DatumOfRow(gridRow, grid))
        return false;
    *needed = geographicRow != gridRow;
    return true;
}

std::string Text(const TmState &s)
{
    switch (s.kind) {
    case kBng:
        return "BNG";
    case kItm:
        return "ITM";
    default:
        return "UTM " + std::to_string(s.zone) + (s.south ? "S" : "N");
    }
}

tmerc::Grid GridOf(const TmState &s)
{
    switch (s.kind) {
    case kBng:
        return tmerc::BritishNationalGrid();
    case kItm:
        return tmerc::IrishTransverseMercator();
    default:
        return tmerc::UtmGrid(tmerc::kWgs84, s.zone, s.south != 0);
    }
}

// Rounds half away from zero; false when the value does not fit 32 bits.
bool ToCoordinate(double v, int32_t *out)
{
    if (!std::isfinite(v))
        return false;
    const double r = std::round(v);
    if (r < -2147483648.0 || r > 2147483647.0)
        return false;
    *out = int32_t(r);
    return true;
}

class Locked {
public:
    explicit Locked(HGLOBAL h) : h_(h), p_(static_cast<TmState *>(GlobalLock(h))) {}
    ~Locked()
    {
        if (p_)
            GlobalUnlock(h_);
    }
    TmState *get() const { return GlobalSize(h_) >= sizeof(TmState) ? p_ : nullptr; }

private:
    HGLOBAL h_;
    TmState *p_;
};

} // namespace

MODULE_EXPORT HGLOBAL Constructor()
{
    const HGLOBAL h = GlobalAlloc(GHND, sizeof(TmState));
    if (auto *s = static_cast<TmState *>(GlobalLock(h))) {
        s->kind = kBng;
        s->forwardScale = 1.0;
        s->backwardScale = 1.0;
        GlobalUnlock(h);
    }
    return h;
}

MODULE_EXPORT int32_t Destructor(HGLOBAL state) { return state && GlobalFree(state) == 0; }

MODULE_EXPORT int32_t Identify(char *buffer, int32_t length)
{
    static const char name[] = "Transverse Mercator (UTM, BNG, ITM)";
    if (!buffer || length < 1)
        return 0;
    const size_t n = std::min(sizeof name - 1, size_t(length - 1));
    std::memcpy(buffer, name, n);
    buffer[n] = 0;
    return 1;
}

MODULE_EXPORT int32_t Setup(HWND, HGLOBAL)
{
    return 0; // no dialog of its own: the parameter text sets it up
}

namespace {

int32_t setScale(HGLOBAL state, double factor, int32_t datum, double TmState::*scale,
                 int32_t TmState::*datumField)
{
    Locked s(state);
    if (!s.get() || !(factor > 0) || !std::isfinite(factor))
        return 0;
    s.get()->*scale = factor;
    s.get()->*datumField = datum;
    return 1;
}

struct Shift {
    bool needed;
    tmerc::Datum geographic, grid;
};

// Converts the points one by one through `convert`, which says whether the
// point could be converted; the count converted before the first failure.
template <class Convert>
int32_t convertPoints(HGLOBAL state, const MAP_COORDPT *source, MAP_COORDPT *destination, int32_t count,
                      Convert convert)
{
    Locked s(state);
    if (!s.get() || !source || !destination || count <= 0)
        return 0;
    const TmState st = *s.get();
    if (!(st.forwardScale > 0) || !std::isfinite(st.forwardScale) || !(st.backwardScale > 0) ||
        !std::isfinite(st.backwardScale))
        return 0;
    Shift shift{};
    if (!DatumPair(st.forwardDatum, st.backwardDatum, &shift.needed, &shift.geographic, &shift.grid))
        return 0;
    const tmerc::Projection p(GridOf(st));
    for (int32_t i = 0; i < count; ++i) {
        MAP_COORDPT out;
        if (!convert(st, p, shift, source[i], &out))
            return i;
        destination[i] = out;
    }
    return count;
}

} // namespace

MODULE_EXPORT int32_t SetForwardScale(HGLOBAL state, double factor, int32_t datum)
{
    return setScale(state, factor, datum, &TmState::forwardScale, &TmState::forwardDatum);
}

MODULE_EXPORT int32_t SetBackwardScale(HGLOBAL state, double factor, int32_t datum)
{
    return setScale(state, factor, datum, &TmState::backwardScale, &TmState::backwardDatum);
}

MODULE_EXPORT int32_t GetProjInfo(HGLOBAL state, tagProjInfo *info)
{
    Locked s(state);
    if (!s.get() || !info)
        return 0;
    std::memset(info, 0, sizeof *info);
    info->unit = 8; // thousandths of a second
    info->baseKind = CS_SPHERIC;
    info->transformedKind = CS_CARTESIAN;
    info->hasSetup = 0;
    const std::string text = Text(*s.get());
    std::snprintf(info->text, sizeof info->text, "%s", text.c_str());
    return 1;
}

MODULE_EXPORT int32_t StringBasedSetup(HGLOBAL state, const char *text)
{
    Locked s(state);
    TmState parsed{};
    if (!s.get() || !Parse(text, &parsed))
        return 0;
    s.get()->kind = parsed.kind;
    s.get()->zone = parsed.zone;
    s.get()->south = parsed.south;
    return 1;
}

// Geographic (x longitude, y latitude) to grid. Stops at the first point that
// cannot be converted, so the points written are the leading ones.
MODULE_EXPORT int32_t Forward(HGLOBAL state, const MAP_COORDPT *source, MAP_COORDPT *destination,
                              int32_t count)
{
    return convertPoints(state, source, destination, count,
                         [](const TmState &st, const tmerc::Projection &p, const Shift &shift, MAP_COORDPT in,
                            MAP_COORDPT *out) {
                             double lon = in.x * st.forwardScale, lat = in.y * st.forwardScale;
                             if (!(std::fabs(lat) <= 90.0) || !std::isfinite(lon))
                                 return false;
                             if (shift.needed && !tmerc::ShiftDatum(shift.geographic, shift.grid, &lat, &lon))
                                 return false;
                             double e, n;
                             return p.ForwardChecked(lat, lon, &e, &n) &&
                                    ToCoordinate(e * st.backwardScale, &out->x) &&
                                    ToCoordinate(n * st.backwardScale, &out->y);
                         });
}

// Grid to geographic, longitudes within -180..180 degrees; a grid point
// outside the projection's domain stops the conversion like Forward.
MODULE_EXPORT int32_t Backward(HGLOBAL state, const MAP_COORDPT *source, MAP_COORDPT *destination,
                               int32_t count)
{
    return convertPoints(
        state, source, destination, count,
        [](const TmState &st, const tmerc::Projection &p, const Shift &shift, MAP_COORDPT in,
           MAP_COORDPT *out) {
            double lat, lon;
            if (!p.InverseChecked(in.x / st.backwardScale, in.y / st.backwardScale, &lat, &lon))
                return false;
            if (shift.needed && !tmerc::ShiftDatum(shift.grid, shift.geographic, &lat, &lon))
                return false;
            lon = tmerc::NormalizeLongitude(lon);
            return ToCoordinate(lon / st.forwardScale, &out->x) &&
                   ToCoordinate(lat / st.forwardScale, &out->y);
        });
}

// The geodetic library of the status bar: grid names, latitude and
// longitude, national grid references. This form knows no grid: names are
// empty and no conversion succeeds, so the status bar shows metres only.
#pragma once

#include <cstdint>
#include <string>

class TGeoLib {
public:
    virtual ~TGeoLib() = default;
    // The name of grid system id (1-60 UTM zones, 61 OSGB, 62 ITM).
    virtual std::string GridName(int32_t) const { return {}; }
    // Latitude and longitude of grid metres; false when not converted.
    virtual bool ToLatLong(int32_t /*grid*/, double /*east*/, double /*north*/, double & /*lat*/,
                           double & /*lon*/) const
    {
        return false;
    }
    virtual std::string DegreesMinutesSeconds(double, double) const { return {}; }
    // The national grid reference of map units, empty when none.
    virtual std::string GridReference(int32_t, int32_t) const { return {}; }
};

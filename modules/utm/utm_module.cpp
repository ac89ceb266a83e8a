// GiveLoLa: the latitude and longitude, in degrees, of a UTM point (easting,
// northing in metres) of a zone. A negative zone is the southern hemisphere,
// whose northings carry the 10,000,000 m false northing. The outputs are
// left alone for a zone outside 1..60.
//
// It applies the same inverse series on WGS-84 as the engine's grid-reference
// parser, so that the band letter written for a point is the band the parser
// finds it in.
#include "engine/kernel/coords.h"
#include "engine/view/projection/utm_series.h"

#include <cmath>

extern "C" __attribute__((visibility("default"))) void GiveLoLa(const MAP_COORDPT *utm, double *latitude,
                                                                double *longitude, int zone)
{
    if (!utm || !latitude || !longitude || zone < -60 || zone > 60 || zone == 0)
        return;
    const int z = zone < 0 ? -zone : zone;
    double lat, lon;
    utm::Inverse(utm->x, utm->y, z, zone < 0, &lat, &lon, utm::kWgs84);
    constexpr double kDegree = M_PI / 180.0;
    *latitude = lat / kDegree;
    *longitude = lon / kDegree;
}

// GiveLoLa: the latitude and longitude, in degrees, of a UTM point (easting,
// northing in metres) of a zone. A negative zone is the southern hemisphere,
// whose northings carry the 10,000,000 m false northing. The outputs are
// left alone for a zone outside 1..60.
#include "engine/kernel/coords.h"
#include "modules/tm_math/transverse_mercator.h"

#include <cstdlib>

extern "C" __attribute__((visibility("default"))) void GiveLoLa(const MAP_COORDPT *utm, double *latitude,
                                                                double *longitude, int zone)
{
    const int z = std::abs(zone);
    if (!utm || !latitude || !longitude || z < 1 || z > 60)
        return;
    const tmerc::Projection p(tmerc::UtmGrid(tmerc::kInternational, z, zone < 0));
    p.Inverse(utm->x, utm->y, latitude, longitude);
}

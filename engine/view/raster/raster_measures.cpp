#include "engine/view/projection/unit_table.h"
#include "engine/view/raster/raster_object.h"

namespace {

// Map units of the unit in one inch; 0.0254 for a unit that is not a length
// (the map then counts in metres).
double unitsPerInch(const tagUnitInfo &unit)
{
    return (unit.kind & (UNIT_METRIC | UNIT_IMPERIAL)) ? unit.factor * 0.0254 : 0.0254;
}

} // namespace

double ResOrDim(int unit, long pixels, double value, long divisor, long scale)
{
    const tagUnitInfo *u = FindUnitInfo(unit);
    if (!u)
        return 0.0;
    return unitsPerInch(*u) * ((double(pixels) / value) * double(scale)) / double(divisor);
}

double SclFromResDim(int unit, long pixels, double dpi, double size, long multiplier)
{
    const tagUnitInfo *u = FindUnitInfo(unit);
    if (!u)
        return 0.0;
    return ((double(multiplier) * dpi * size) / double(pixels)) / unitsPerInch(*u);
}

#include "engine/polygon/lpoint.h"

#include "engine/polygon/gds_error.h"

LPoint::LPoint(const LPoint *other)
{
    if (!other)
        throw GDS_Error("Cannot copy a NULL Point Object.\n\nCould not create a LPoint Object.",
                        "Fatal Creation Error", 0, 1);
    _x = other->_x;
    _y = other->_y;
}

bool LPoint::Equal(const LPoint &other, double marge) const
{
    return DoubleAbs(_x - other._x) <= marge && DoubleAbs(_y - other._y) <= marge;
}

bool LPoint::ShorterThan(const LPoint &other, double marge) const
{
    const double dx = other._x - _x;
    const double dy = other._y - _y;
    return dx * dx + dy * dy <= marge * marge;
}

// Circles and circular arcs approximated by vertices: a circle as a polygon,
// an arc as a polyline, and the calculators that write the vertices of an
// arc through three points, or between two points with a radius, into a
// caller's array.
//
// Angles are in degrees, normalised to (-180, 180]; pi is taken as
// 3.1415926 throughout, and map coordinates are floor(value + 0.5).
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <vector>

inline constexpr double kArcPi = 3.1415926;
inline constexpr double kArcFullTurn = 6.2831852;
inline constexpr double kArcDegreeToRadian = 0.017453292222222222;
inline constexpr double kArcRadianToDegree = 57.295780490442965;

// An entry of the calculators' output with heights; without heights the
// entries are MAP_COORDPT (x, y).
struct ArcPoint3 {
    int32_t x;
    int32_t y;
    int32_t z;
};
static_assert(sizeof(ArcPoint3) == 12);

struct ArcCircle {
    double cx;
    double cy;
    double r;
};

// A polygon of n > 2 vertices on the circle in the active layer (repeated
// vertices left out); 0 when it would have fewer than 3 distinct vertices,
// the radius is not positive or the circle leaves the 32-bit plane.
OBJHANDLE CirclePolygonCreate(HWND window, int32_t cx, int32_t cy, int32_t radius, uint32_t n);
// The vertices CirclePolygonCreate would give the polygon; empty when it
// would make none.
std::vector<MAP_COORDPT> CirclePolygonVertices(int32_t cx, int32_t cy, int32_t radius, uint32_t n);

// The circle through three points; false when they lie on one line or the
// radius comes out 0.
bool CircleFrom3Points(double x1, double y1, double x2, double y2, double x3, double y3, ArcCircle *circle);
// The two centres at distance |r| from both points; false when there are
// none. c1 and c2 are the same point when the points are 2|r| apart.
bool CircleCentresFrom2PointsAndRadius(double x1, double y1, double x2, double y2, double r, double *c1x,
                                       double *c1y, double *c2x, double *c2y);
// The angle of a point seen from the centre, in degrees; false for r <= 0.
bool AngleOfPointOnCircle(const ArcCircle &circle, double px, double py, double *degrees);
// The counter-clockwise sweep from a1 to a2 in [0, 360).
double AngleSweep(double a1, double a2);
// 1 when, turning counter-clockwise from a1, a2 is reached no later than a3.
int AngleIsBetween(double a1, double a2, double a3);
// 1 when the counter-clockwise sweep from a to b is at most 180 degrees.
int AngleSweepIsMinor(double a, double b);

// Writes up to n vertices of the arc from one angle to the other into out
// (MAP_COORDPT entries, or ArcPoint3 with heights running from z1 to z2),
// counter-clockwise or clockwise. A vertex equal to the one written before it
// is left out, so fewer may be written; entries after the last written keep
// their contents. The number of entries written; 0 for n < 2, no array or a
// vertex outside the 32-bit plane (nothing is written then).
uint32_t ArcPoints(const ArcCircle &circle, double from, double to, void *out, uint32_t n, int withHeights,
                   double z1, double z2, int clockwise);

extern "C" {

// A polyline of the arc from the start to the end angle (degrees,
// counter-clockwise) in the active layer: n vertices, the last one step short
// of the end angle. 0 for n < 3, a radius that is not positive, fewer than 2
// distinct vertices or an arc leaving the 32-bit plane.
OBJHANDLE m_ArcCreate(HWND window, int32_t cx, int32_t cy, int32_t radius, double startAngle, double endAngle,
                      uint32_t n);

// The n vertices of the arc from point 1 through point 2 to point 3 (with
// whole set, the whole circle from point 1 round through the others) into
// out. 1 on success; 0 when the points lie on one line or coincide, n is
// below 2 (below 4 for a whole circle with heights), a value is not finite
// or a vertex leaves the 32-bit plane. *written (when given) receives the
// number of entries written, fewer than n when vertices coincided.
int m_GetArcFrom3Points(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                        double y3, double z3, uint32_t n, int withHeights, void *out, int wholeCircle,
                        uint32_t *written = nullptr);

// The n vertices of the shorter arc of the given radius from point 1 to
// point 2: counter-clockwise for a negative radius, clockwise for a positive
// one. 1 on success; 0 when no circle of that radius passes through both
// points (the points equal, a radius 0 or too small), n is below 2, a value
// is not finite or a vertex leaves the 32-bit plane.
int m_GetArcFrom2PointsAndRad(double x1, double y1, double z1, double x2, double y2, double z2, double radius,
                              uint32_t n, int withHeights, void *out, uint32_t *written = nullptr);

} // extern "C"

// Map reduction: thinning the points of polylines and polygons. A point is
// dropped when it lies closer than a threshold to the line that its kept
// neighbours make. Two methods: "Linear" grows a corridor from an anchor
// point; "Recursive" keeps the farthest point of a range and splits there.
// Distances are measured from a point to a segment (to its nearer end when
// the point lies beyond it) on raw map coordinates, z included in the 3-D
// form. The first and last points are always kept.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// Distance of p to the segment a-b; |p - a| for a segment of zero length.
double ReducePointSegmentDistance(MAP_COORDPT p, MAP_COORDPT a, MAP_COORDPT b);
double ReducePointSegmentDistance(const MAP3D_COORDPT &p, const MAP3D_COORDPT &a, const MAP3D_COORDPT &b);

// Reduces count input points into out (room for count points); linear
// nonzero selects "Linear", 0 "Recursive". The number of points written; 0
// (nothing written) for fewer than 3 points or null arrays. The input is not
// changed; out may not overlap it.
unsigned long map_Reduce(const MAP_COORDPT *in, MAP_COORDPT *out, unsigned long count, int linear,
                         double threshold);
unsigned long map3d_Reduce(const MAP3D_COORDPT *in, MAP3D_COORDPT *out, unsigned long count, int linear,
                           double threshold);

// Replaces the points of a polygon or polyline without heights by the
// reduced ones when the count changed and the result is still an object (3
// points for a polygon, 2 for a polyline); no undo. 1 when replaced.
int map_Reduce(HWND window, OBJHANDLE object, int linear, double threshold);

// Reduces the object's points into out (room for its point count) without
// changing it; *count receives the reduced count in every case (0 when the
// object has no points or cannot be read). 1 when the count changed and the
// result is still a valid object.
int map_Reduce(HWND window, OBJHANDLE object, MAP_COORDPT *out, long *count, int linear, double threshold);

// Window-level functions of shapes and containment: ellipses and circles
// made as polygons, the direction of a polygon's ring, the objects that
// contain a point, and the objects enclosed by or neighbouring given ones.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

extern "C" {

// A polygon of segments points on the ellipse (rotated by degrees) in the
// active layer; repeated points are left out. 0 for fewer than 3 segments
// or 3 distinct points, or points outside 32 bits.
OBJHANDLE map_Ellipse_Create_AsPolygon(HWND window, int32_t x, int32_t y, int32_t radiusX, int32_t radiusY,
                                       uint32_t segments, double rotation);
OBJHANDLE map_Circle_Create_AsPolygon(HWND window, int32_t x, int32_t y, int32_t radius, uint32_t segments);
// Orients the polygon's ring: clockwise (positive SetOfLinesegmentArea) for
// a wanted flag 0, counter-clockwise otherwise; heights follow their
// points. 1.
int m_PolygonClockDirection(HWND window, OBJHANDLE polygon, int counterClockwise);
// The selectable polygons containing the point, polylines with a vertex on
// it, and texts and legends whose rectangle holds it: up to capacity into
// the array, all counted in *count. The number copied; 0 without array.
int32_t map_get_ContainPoint(HWND window, const MAP_COORDPT *point, int32_t *count, OBJHANDLE *objects,
                             int32_t capacity);
// The objects enclosed by / touching the given ones. With capacity 0 the
// handle list block itself is stored at *result (the caller frees it);
// else up to capacity handles are copied. *found receives the count.
int32_t map_get_Enclosed(HWND window, const OBJHANDLE *objects, int32_t count, int32_t *found, void *result,
                         int32_t capacity);
int32_t map_get_Neighbours(HWND window, const OBJHANDLE *objects, int32_t count, int32_t *found, void *result,
                           int32_t capacity);
// The bounding-rectangle test of a legend, edges included.
int LegendContainsPoint(OBJectKernel *kernel, OBJHANDLE legend, int32_t x, int32_t y);

} // extern "C"

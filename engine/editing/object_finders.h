// The objects at a place of the map: by a map rectangle or point, by a map
// point with a tolerance, and by a window rectangle or pixel. Each finder
// answers a new array the caller deletes, or null on failure.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/map_obj_arr.h"
#include "platform/types.h"

// What a finder collects for each object hit.
enum ObjectFinderMode : int {
    FINDER_OBJECTS = 1,           // the object
    FINDER_OUTERMOST_GROUP = 2,   // its outermost group, else the object
    FINDER_OBJECTS_AND_GROUPS = 3 // the object and every group above it
};

// Objects meeting the rectangle (corners in any order), or lying wholly
// inside it in enclosed mode; equal corners make a point query. Null for a
// null rectangle, a window without a document or a mode outside 1 to 3.
CMapObjArr *GetObjByMap(HWND window, const MAP_COORDRECT *rect, int enclosed, int mode);
// Polylines and polygons within the tolerance (map units) of the point, in
// enclosed mode with all their vertices within it, and any object whose
// bounding rectangle has both corners within it. A negative tolerance finds
// nothing.
CMapObjArr *GetObjByMap(HWND window, MAP_COORDPT point, double tolerance, int enclosed, int mode);
// A window rectangle: equal corners with a margin below 1 find the objects
// with a vertex, corner, handle or position at that pixel and then those at
// its map point; otherwise the rectangle widened by margin pixels on every
// side is queried as a map rectangle (enclosed ignored for a single pixel).
CMapObjArr *GetObjByDevice(HWND window, const RECT *rect, int enclosed, int mode, int margin);

// The edge a-b passes within r of p (distance to an end point, or to the
// line where the foot of the perpendicular lies on the edge).
bool EdgeWithinDistance(MAP_COORDPT a, MAP_COORDPT b, MAP_COORDPT p, double r);

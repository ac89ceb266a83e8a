// Measures of point sets (segment and line lengths in ground units, the
// signed ring area, the bounding cube of an object with heights) and the
// walks that select, find and clear the selected element of an object set.
#pragma once

#include "engine/editing/point_set.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/kernel_types.h"

// Earth radii of the ground measures: great-circle lengths and cell areas.
inline constexpr double kLengthEarthRadius = 6370997.0;
inline constexpr double kAreaEarthRadius = 6378137.0;

// The length of segment a-b: great-circle metres on a map whose units are
// angular, the projected distance when the view projects, else the plane
// distance. Without a window the plane distance.
double SetOfLineLength(HWND window, MAP_COORDPT a, MAP_COORDPT b);
double SetOfLinesegmentLength(OBJectKernel *kernel, OBJHANDLE object, int closed);
// Edges a .. b - 1; 0 when a >= b, when there are no points or b >= count.
double SetOfLinesegmentPartLength(OBJectKernel *kernel, OBJHANDLE object, int32_t a, int32_t b);
// Half the sum of (x[i+1] - x[i]) (y[i+1] + y[i]) over the closed ring:
// positive for a clockwise ring. Exact sums, rounded once.
double SetOfLinesegmentArea(uint32_t n, const MAP_COORDPT *points);
double PointSetArea(const PointSetAccess &access);
// The bounding cube from the (x, y, z) points (z is 0 for plain points);
// left empty without points; null when the object cannot be locked.
MAP3D_COORDCUBE *SetOfLinesegmentCalculate3dBR(OBJectKernel *kernel, OBJHANDLE object, MAP3D_COORDCUBE *cube);

struct PresentationManager;
// The page's zoom relative to the screen: the larger page extent over the
// smaller world side of the desktop, times the page zoom factor; -1 when
// the desktop cannot be read or the window has no page extent.
double GetCurZoom(HWND window, HDC dc, const PresentationManager *view);

// ---- selection walks ------------------------------------------------------

int SetOfObjectsUnSelect(HWND window, OBJHANDLE set);
int SetOfObjectsGetSelected(OBJectKernel *kernel, OBJHANDLE *set, uint16_t *classId, int32_t *index,
                            OBJHANDLE *object, MAP_COORDPT *point, GraphDispl *attributes);
int SetOfObjectsSelectObject(HWND window, OBJHANDLE set, OBJHANDLE object, int32_t x, int32_t y, int keep);
int ObjectSelectAtPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point);
// Selects (when a selection list is given) and lists (when a handle list is
// given) the objects of the set in the rectangle; returns the selection list.
OBJHANDLE SetOfObjectsSelectByRect(OBJectKernel *kernel, OBJHANDLE set, OBJHANDLE selectionList,
                                   const MAP_COORDRECT *rect, const MAP_COORDPT *position, int enclosed,
                                   int crossing, HGLOBAL *list, uint32_t *count);
int ObjectInvalidate(HWND window, int unused, OBJHANDLE sender, OBJHANDLE object);

// The member reference of a list: the groups tree, the layers tree and the
// selection list have their own, other lists every forward reference.
uint16_t SetMemberReference(uint16_t listClass);
// Lists nested deeper than this are a damaged document (a cycle); walks stop.
inline constexpr int kMaxSetDepth = 64;

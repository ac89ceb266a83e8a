// Moving, rotating and scaling map objects about a centre: the point
// arithmetic, the read-outs of the nail tool while the user drags (angle,
// scale, projected points), and the set operations over a handle list and
// over the selection. The set operations record undo copies when asked and
// leave the closing of the step to their caller.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// Undo operation codes the callers close the set operations with.
inline constexpr uint16_t UNDO_OP_NAIL_OPERATIONS = 251;
inline constexpr uint16_t UNDO_OP_TRANSFORMATIONS = 252;

// The angle folded into -360 .. 360 (360 and -360 themselves stay).
double FoldAngle(double degrees);
// Degrees to radians and back with the engine's value of pi.
double AngleToRadians(double degrees);
double AngleToDegrees(double radians);

// Transforms count points in place: rotation by the sine and cosine about
// the centre, scaling per axis, then the shift; each coordinate rounded
// half away from zero. 1; 0 (nothing changed) when a point would leave the
// 32-bit range.
int GeomOperRotScal(const MAP_COORDPT *centre, MAP_COORDPT *points, long count, double sine, double cosine,
                    double scaleX, double scaleY, long shiftX, long shiftY);

// Read-outs about a nail (its centre and reference point).
double GetAngle2(HWND window, OBJHANDLE nail, const MAP_COORDPT *point);
double GetScale(HWND window, OBJHANDLE nail, const MAP_COORDPT *point);
double GetPrjPointCircle(HWND window, OBJHANDLE nail, const MAP_COORDPT *point, MAP_COORDPT *result);
int GetPrjPoint(HWND window, OBJHANDLE nail, const MAP_COORDPT *point, MAP_COORDPT *result);
// The same arithmetic on plain points (centre and reference given).
double AngleAboutCentre(MAP_COORDPT centre, MAP_COORDPT reference, MAP_COORDPT point);
double ScaleAboutCentre(MAP_COORDPT centre, MAP_COORDPT reference, MAP_COORDPT point);
double PointOnCircle(MAP_COORDPT centre, MAP_COORDPT reference, MAP_COORDPT point, MAP_COORDPT *result);
MAP_COORDPT ProjectionOnAxis(MAP_COORDPT centre, MAP_COORDPT reference, MAP_COORDPT point);
// The crossing of line AB with line PQ by the engine's general rules.
void GetLineCrossPoint(MAP_COORDPT a, MAP_COORDPT b, MAP_COORDPT p, MAP_COORDPT q, int32_t *x, int32_t *y);

// Applies the transformation to each object of the list. 1 when every
// object was transformed; 0 when one was left as it was because its
// points would leave the 32-bit range (the others are transformed). The
// third long and double are not used.
int DoOperations2(HWND window, const OBJHANDLE *objects, unsigned long count, MAP_COORDPT centre, long shiftX,
                  long shiftY, long unusedLong, double scaleX, double scaleY, double unusedDouble,
                  double angle, int recordUndo);
// The same over the selected objects (the members of selected groups at
// every depth). 1 when done (also with nothing selected); 0 when an object
// was left as it was, or without a window.
int TransformSelection(HWND window, long centreX, long centreY, long shiftX, long shiftY, double scaleX,
                       double scaleY, double angle, int recordUndo);

// Selects the objects that touch (neighbours) or that are enclosed by the
// selected objects (groups: their members at every depth), in place of the
// selection unless the Ctrl key is down; whole groups where all their
// members are found. 1; 0 without a window.
int map_select_neighbours(HWND window);
int map_select_enclosed(HWND window);

// What lies under a click: the vertex search over an object set (with its
// cycling through stacked objects on repeated clicks), the containment
// search, and snapping to a drawn vertex.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

struct PresentationManager;

// The first vertex of a polygon or polyline, in point order, whose window
// position lies within radius pixels of the point in both x and y (a
// negative radius takes the view's pick radius); 1 and its map point, else 0.
int PointSetFindVertex(OBJectKernel *kernel, OBJHANDLE object, const PresentationManager *view,
                       const POINT *windowPoint, MAP_COORDPT *out, int32_t radius);

// 1 when a vertex of a selectable object of the set lies under the window
// point: the vertex's map point, the object, the list that holds it (through
// set) and, in index, the position within the given set of the element the
// object was found through. Else 0 and index -1. The search starts after
// the set's selected element and wraps round, so that repeated clicks step
// through the objects stacked at one place. With flag set, or when object
// names a group (or the selection list whose selected element is a group),
// the selected element itself is examined first; object comes back as the
// hit, or 0.
int SetOfObjectsFindVertex(OBJectKernel *kernel, OBJHANDLE *set, const PresentationManager *view,
                           const POINT *windowPoint, MAP_COORDPT *out, OBJHANDLE *object, int32_t *index,
                           int flag);
// The same with containment of the map point: polygons by their area;
// texts, rasters, legends, presentations and nails by their bounding
// rectangle, edges included; polylines never.
int SetOfObjectsFindInsidePoint(OBJectKernel *kernel, OBJHANDLE *set, const MAP_COORDPT *point,
                                OBJHANDLE *object, int32_t *index, int flag);
// One pass from the beginning, without the selection's cycling.
int SetOfObjectsFindInsidePoint_2(OBJectKernel *kernel, OBJHANDLE *set, const MAP_COORDPT *point,
                                  OBJHANDLE *object, int32_t *index);

// 1 with the map point and object of the drawn vertex to snap to near the
// window point (the window's vertex bitmap within its "Sensible Region
// Radius", then the vertex search over the layers); else 0, object 0.
int FindSnappingPoint(HWND window, POINT windowPoint, MAP_COORDPT *out, OBJHANDLE *object);

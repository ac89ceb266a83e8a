// A polygon cut by a polygon, and the topology requests it is made of: a
// request either brings polygons to an orientation or combines the outlines
// of objects by the Boolean engine into new polygons.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <vector>

// Modes of ObjectsTopologyRequest.
inline constexpr int TOPOLOGY_COUNTER_CLOCKWISE = 0;
inline constexpr int TOPOLOGY_CLOCKWISE = 1;
inline constexpr int TOPOLOGY_COMBINE = 2;
inline constexpr int TOPOLOGY_COMBINE_PAIR = 3;
// Operations of the combining modes.
inline constexpr int TOPOLOGY_DIFFERENCE = 1;   // the first object minus the others
inline constexpr int TOPOLOGY_INTERSECTION = 2; // the first object with the others
// Object flags: the first object (and the second in the combining modes),
// the selected objects, the selected objects and the first object.
inline constexpr uint32_t TOPOLOGY_OBJECTS_GIVEN = 1;
inline constexpr uint32_t TOPOLOGY_OBJECTS_SELECTED = 2;
inline constexpr uint32_t TOPOLOGY_OBJECTS_SELECTED_AND_FIRST = 4;

// The orientation modes reverse the point order of every taking part
// polygon whose ring runs the other way (in place, heights with their
// points, no undo) and make nothing. The combining modes give the polygons
// of the operation over the taking part objects (polygons of at least two
// points, polylines of more than one, as there-and-back rings): the first
// object is one operand, the others together the other; each ring of the
// result becomes a polygon of the active layer, appended to *made. The
// inputs are never changed. 1 done (with or without polygons); 0 when no
// object takes part, the operation is unknown, the Boolean engine did not
// finish completely, or a polygon could not be made (nothing is left made).
int ObjectsTopologyRequest(HWND window, OBJHANDLE first, OBJHANDLE second, std::vector<OBJHANDLE> *made,
                           int mode, int operation, uint32_t flags);

// Non-zero when the outlines of the polygons meet or b's first point lies
// inside a; 0 for a handle 0 or the same ring of corners.
int PolygonsOverlap(HWND window, int mode, OBJHANDLE a, OBJHANDLE b);

// Polygon a cut by polygon b: the pieces are the rings of a's intersection
// with b followed by those of a minus b, new polygons of the active layer in
// out list 1 (list 2 stays empty). When the two have no common area the cut
// ends with no pieces and sets *noOverlap (when given) to 1. The inputs are
// never changed. 1 done, 0 failed (nothing is left made).
int CutPolygonByPolygon(HWND window, int mode, OBJHANDLE a, OBJHANDLE b, HGLOBAL *list1, uint32_t *count1,
                        HGLOBAL *list2, uint32_t *count2, int *noOverlap);

// The cutting engine's operation for a polygon cut by a polygon: the cut
// when the two overlap, else no pieces.
int CutPolygonByPolygonOperation(HWND window, OBJHANDLE *polygon, int polygonCount, OBJHANDLE *cutter,
                                 int cutterCount, HGLOBAL *list1, uint32_t *count1, HGLOBAL *list2,
                                 uint32_t *count2);

// A new polygon of the window (active layer) with the object's points; the
// old object is deleted when deleteOld is set; *object takes the new handle.
// 1, or 0 for a handle 0 or an object without points.
int PolygonRecreate(HWND window, OBJHANDLE *object, int deleteOld);

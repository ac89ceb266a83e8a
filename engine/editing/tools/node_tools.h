// The node tools: at a vertex that the user clicks in the map window,
// delete the vertex, join two polylines end to end or close a polyline into
// a polygon, and cut a polyline in two or open a polygon into a polyline.
// Each tool finds the vertex itself, records its changes for undo, keeps the
// selection and the selection measures up to date and marks the map
// modified when it changed something.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

// Undo operation codes of the node tools.
inline constexpr uint16_t UNDO_OP_DELETING_NODE = 211;
inline constexpr uint16_t UNDO_OP_JOINING_POLYLINES = 212;
inline constexpr uint16_t UNDO_OP_POLYLINE_TO_POLYGON = 213;

// Removes the vertex under the window point from its polygon or polyline.
// 1 when the vertex went (with undo: one step 211); 0 when nothing changed
// (no vertex, another class, a polygon of three points, an end the object
// cannot lose): then no step is closed and the map is not marked modified.
int ToolNodePlane(HWND window, POINT windowPoint, int undo);

// Joins the last selected polyline (at its selected end point) with the
// polyline whose end vertex lies under the window point, or closes the
// polyline into a polygon when the click is on the same polyline. 1 when
// something was joined or closed (with undo: step 212 or 213), else 0.
int ToolNodeJoin(HWND window, POINT windowPoint, int undo);

// Cuts the polyline under the window point in two at the vertex, or opens
// the polygon into a polyline there; when the object under the point is not
// selected and the selection is not empty, the selected line cuts it
// instead. The changes are recorded; the undo step is left open for the
// caller to close. 1 when an object was cut, else 0.
int ToolNodeCut(HWND window, POINT windowPoint);

// A new polygon (not linked anywhere) with the polyline's points, a last
// point equal to the first dropped. 1 and the polygon, 0 for fewer than
// three points or a bad handle.
int PolylineToPolygon(OBJectKernel *kernel, OBJHANDLE polyline, OBJHANDLE *polygon);

// A new polyline (not linked) starting at the vertex, once round the ring
// and back to the vertex: count + 1 points. 0 when the point is not a
// vertex of the polygon.
int PolygonOpenAtVertex(OBJectKernel *kernel, OBJHANDLE polygon, const MAP_COORDPT *vertex,
                        OBJHANDLE *polyline);
// Two new polylines (not linked), points 0 .. i and i .. n - 1. 0 when the
// vertex is an end or not a vertex.
int PolylineSplitAtVertex(OBJectKernel *kernel, OBJHANDLE polyline, const MAP_COORDPT *vertex,
                          OBJHANDLE *first, OBJHANDLE *second);
// A new polyline (not linked) joining two polylines that share an end
// point, the shared point stored once. 0 when they share no end.
int PolylinesConcatenate(OBJectKernel *kernel, OBJHANDLE a, OBJHANDLE b, OBJHANDLE *result);

// Polylines cut at their crossings with a polygon's outline or with another
// polyline. The pieces run from crossing to crossing, so that consecutive
// pieces share their crossing point and together they give the polyline
// back.
#pragma once

#include "engine/editing/line_segment.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <vector>

using PointList = std::vector<MAP_COORDPT>;

// The edges an outline offers to the crossing search: consecutive points,
// the closing edge of a ring included; edges of no length left out.
std::vector<Linesegment> OutlineEdges(const PointList &points, bool closed);

// The polyline's pieces at its crossings with the edges: every point where
// a segment of the line meets an edge (touching included) ends one piece and
// starts the next. A vertex of the line lying on an edge splits it once.
// Empty when nothing is crossed. Pieces of one point are left out.
std::vector<PointList> SplitPolylineAtEdges(const PointList &line, const std::vector<Linesegment> &edges);

// A polyline cut by a polygon's outline, and a polyline cut by another
// polyline (only the first is split; the cutter stays as it is). The pieces
// are new polylines of the active layer, in out list 1 (a handle list block
// the caller frees) with their number in *count1; list 2 stays empty. The
// two objects are not changed. 1 done (with or without pieces), 0 failed (a
// handle that is not of its class, a piece or list that could not be made:
// the pieces made so far are deleted again).
int CutPolylineByPolygon(HWND window, OBJHANDLE *polyline, int polylineCount, OBJHANDLE *polygon,
                         int polygonCount, HGLOBAL *list1, uint32_t *count1, HGLOBAL *list2,
                         uint32_t *count2);
int CutPolylineByPolyline(HWND window, int mode, OBJHANDLE *polyline, int polylineCount, OBJHANDLE *cutter,
                          int cutterCount, HGLOBAL *list1, uint32_t *count1, HGLOBAL *list2,
                          uint32_t *count2);

// Signature of the operation as the engine's table holds it (mode 0).
int CutPolylineByPolylineOperation(HWND window, OBJHANDLE *polyline, int polylineCount, OBJHANDLE *cutter,
                                   int cutterCount, HGLOBAL *list1, uint32_t *count1, HGLOBAL *list2,
                                   uint32_t *count2);

// A handle list block of the handles; nothing is allocated for none. 1, or
// 0 when the block cannot be made (nothing is written then).
int HandleListToBlock(HGLOBAL *block, uint32_t *count, const OBJHANDLE *handles, uint32_t n);

// Reads the points of a polygon or polyline of the given class; false for a
// handle that is not one.
bool ReadPointSet(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId, PointList &out);

// Makes the objects of the class (polygons or polylines) in the active
// layer, one for each point list, appending their handles. False when one
// cannot be made: those made by this call are deleted again.
bool CreatePointSets(HWND window, uint16_t classId, const std::vector<PointList> &lists,
                     std::vector<OBJHANDLE> &made);

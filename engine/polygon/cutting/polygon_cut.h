// A polygon cut by a polyline: every region of the polygon that the line
// separates becomes a piece. Both outlines are noded at their crossings
// (the crossing points rounded to map units), the parts of the line that
// run inside the polygon join the polygon's edges in one plane graph, loose
// ends (a line that ends inside, a spike of the polygon) are trimmed off,
// and each bounded face of the graph is one piece.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <vector>

using PointRing = std::vector<MAP_COORDPT>;

// The pieces of a ring cut by an open line, each a closed ring (first point
// not repeated) running counter-clockwise (y up). Empty when the line does
// not separate the polygon: it misses it, runs along its outline only,
// ends inside without reaching across, or either outline is degenerate (a
// polygon of fewer than three distinct points or no area, a line of fewer
// than two distinct points).
std::vector<PointRing> SplitRingByPolyline(const PointRing &polygon, const PointRing &cutter);

// Makes one piece in the window's active layer; 0 when it cannot be made.
// The one place the cut creates objects.
OBJHANDLE CutPieceCreate(HWND window, const PointRing &points);

// Cuts the polygon *polygon by the polyline *cutter (the counts are always
// 1). The pieces are new polygons of the active layer, selected, in out list
// 1 (a handle list block the caller frees) with their number in *count1;
// list 2 stays empty. The two objects are left as they were. 1 done (with
// or without pieces), 0 failed (bad handles, a piece that could not be
// made: the pieces made so far are deleted again).
int CutPolygonByPolyline(HWND window, OBJHANDLE *polygon, int polygonCount, OBJHANDLE *cutter,
                         int cutterCount, HGLOBAL *list1, uint32_t *count1, HGLOBAL *list2, uint32_t *count2);

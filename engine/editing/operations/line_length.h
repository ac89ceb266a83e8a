// Setting the length of a polyline (shortening it, or lengthening it along
// its last segment) and joining the selected polylines that meet end to end
// into one polyline, or a polygon when they close a ring. The extended join
// first bridges the gaps between the selected polylines in selection order.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

inline constexpr uint16_t kUndoJoiningPolylines = 212;
inline constexpr uint16_t kUndoSettingPolylineLength = 331;

// Gives the polyline the length (the window's length unit, rounded to
// hundredths); with undo the change is one step 331. 1 when it has (or
// had) the length; 0 for a length below 1, another class, an empty line, a
// last segment of no length to extend, or an end beyond the coordinate
// range. Nothing is recorded unless the line changes.
int SetLineLength(HWND window, OBJHANDLE polyline, double length, int undo);

// Joins the selected polylines (with those in selected groups) that meet
// at their ends; one step 212. 0 for fewer than two polylines, else 1.
int SelectedPolylinesJoin(HWND window);
// Bridges each further selected polyline to the previous one first, from
// the point picked on the first; 0 when the first selected object is not a
// polyline, else as SelectedPolylinesJoin. The bridging and the join are
// one step 212.
int SelectedPolylinesJoinExt(HWND window);

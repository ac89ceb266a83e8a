// Polygons and polylines as window points: the entry that the polygon and
// polyline painters call, the removal of points that repeat after the
// conversion, and the clip test of a single map point.
#pragma once

#include "engine/kernel/buffer.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"

#include <cstdint>

struct PresentationManager;

// The window renderer works in signed 16-bit coordinates: window points of
// a drawn object stay within this many pixels of the window's origin.
inline constexpr int32_t kWindowGuardPixels = 32000;

// The window points of a polygon (class 8) or polyline (class 9) of the
// window's document through its screen view, into windowPoints, with the
// runs to draw in parts; work is scratch for the object's x, y pairs.
// The object is clipped to the view's clip rectangle while the clip flag is
// set and the rectangle does not hold the object, and to the window guard
// rectangle whenever its window bounds leave that, whatever the flag.
// A polygon comes back closed. firstVisible, lastVisible and clipped may be
// null. bridgeCheck asks for polygon rings to be split at the bridges to
// their holes (skipped below 8 points and for polygons marked as having
// none). The number of window points; 0 when the object cannot be drawn.
int32_t ObjectPointsToWindow(HWND window, OBJHANDLE object, Buffer *windowPoints, Buffer *work, Buffer *parts,
                             int *firstVisible, int *lastVisible, int *clipped, int bridgeCheck);

// Drops window points that repeat the point before them within each part of
// the m points (parts of up to 3 points are kept whole; the last point of a
// part always stays) and packs the parts from the first part's start. For a
// polygon the points between parts are copied along unchanged, so that the
// filled outline keeps its vertices. Rewrites the parts; the new number of
// points. Parts that do not lie in order within the m points leave
// everything as it was (answer m).
int32_t RemoveRepeatedWindowPoints(Buffer *points, Buffer *parts, int32_t m, int polygon);

// 1 when the clip flag is clear or the map point, converted to world, lies
// in the clip rectangle; else 0 (also for a null view or point).
int PM_PointInClipRect(const PresentationManager *view, const MAP_COORDPT *point);

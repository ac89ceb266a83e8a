// Conversions between map, world and window coordinates through a view:
// point arrays, rectangles and point lists in Buffers, and the splitting of a
// polygon ring at the bridges that join its holes to the outer ring.
//
// World to window adds 0.5 and truncates toward zero; differences of
// coordinates are taken in 64 bits and results saturate at the 32-bit limits.
#pragma once

#include "engine/view/viewrecord/presentation_manager.h"

inline constexpr uint16_t kPolygonClassId = 8;
inline constexpr uint16_t kPolylineClassId = 9;

int32_t PM_WorldToWindow(const PresentationManager *view, const MAP_COORDPT *world, POINT *window, int32_t n);
int32_t PM_WindowToWorld(const PresentationManager *view, const POINT *window, MAP_COORDPT *world, int32_t n);
int32_t PM_MapToWorld(const PresentationManager *view, const MAP_COORDPT *map, MAP_COORDPT *world, int32_t n);
int32_t PM_WorldToMap(const PresentationManager *view, const MAP_COORDPT *world, MAP_COORDPT *map, int32_t n);
int32_t PM_MapToWindow(const PresentationManager *view, const MAP_COORDPT *map, POINT *window, int32_t n);
int32_t PM_WindowToMap(const PresentationManager *view, const POINT *window, MAP_COORDPT *map, int32_t n);

int PM_WorldToWindowRect(const PresentationManager *view, const MAP_COORDRECT *world, RECT *window);
int PM_WindowToWorldRect(const PresentationManager *view, const RECT *window, MAP_COORDRECT *world);
int PM_MapToWorldRect(const PresentationManager *view, const MAP_COORDRECT *map, MAP_COORDRECT *world);
int PM_WorldToMapRect(const PresentationManager *view, const MAP_COORDRECT *world, MAP_COORDRECT *map);
int PM_WindowToMapRect(const PresentationManager *view, const RECT *window, MAP_COORDRECT *map);
int PM_MapToWindowRect(const PresentationManager *view, const MAP_COORDRECT *map, RECT *window);
MAP_COORDPT PM_MapVectorToWorldVectorFromRect(const PresentationManager *view, const MAP_COORDRECT *rect,
                                              int32_t dx, int32_t dy);

int32_t PM_bMapToWorld(PresentationManager *view, Buffer *source, Buffer *destination, int32_t n);
int32_t PM_bWorldToWindow(PresentationManager *view, Buffer *source, Buffer *destination, Buffer *parts,
                          int32_t n);
int32_t PM_bMapToWindow(PresentationManager *view, Buffer *source, Buffer *destination, Buffer *parts,
                        Buffer *runs, int32_t n, uint16_t classId, int *bridgeFlag);
int32_t PM_PointsToWindow(PresentationManager *view, const MAP_COORDPT *map, Buffer *destination,
                          Buffer *parts, Buffer *runs, Buffer *closing, int32_t n, uint16_t classId,
                          int *bridgeFlag);

// 1 when the segment from point i to point i + 1 is walked once forward and
// once back elsewhere in the list (a bridge), else 0.
int PM_RLTP_CheckPoint(int32_t i, const MAP_COORDPT *points, int32_t n);
// Splits the parts of a polygon (class 8) at bridges into runs of two or
// more points; with a closing buffer the ring is closed first. 1 when a part
// was split; other classes: 0 and nothing changes.
int PM_SplitPartsAtBridges(uint16_t classId, Buffer *parts, Buffer *runs, const MAP_COORDPT *points,
                           int32_t n, Buffer *closing);

// The display clipping of point lists: clips n points of the source to the
// view's clip rectangle into the clipped buffer, rewrites the part buffer
// into the visible runs and returns the number of points that came out.
// Until one is installed, point lists are converted unclipped.
using PointListClipProc = int32_t (*)(PresentationManager *view, Buffer *source, int32_t n, Buffer *clipped,
                                      Buffer *parts);
void PM_SetPointListClipper(PointListClipProc clipper);

// rnd of the transforms: add 0.5, truncate toward zero, saturate to 32 bits.
int32_t PM_Round(double v);

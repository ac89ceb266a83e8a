// Heights of objects: the 3-D point and cube of the interface, the helpers
// that keep height ranges, and the window-level functions of objects with
// heights.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

extern "C" {

// The empty cube: minimums 0x7FFFFFFF, maximums -2147483647.
void Init3dBoundRect(MAP3D_COORDCUBE *cube);
// The empty range (0x7FFFFFFF, -2147483647); the same as InitZB.
void z_InitBounds(Z_BOUNDS *range);
// Widens the range to include the other one; 1 when it changed. An empty
// other range changes nothing.
int z_SumBounds(Z_BOUNDS *range, const Z_BOUNDS *other);
// 1 when the object carries heights.
int map3d_is_object_3d(HWND window, OBJHANDLE object);

} // extern "C"

extern "C" {

// A text at the point's x and y (map_text_Create) that carries the point's
// z as its height: its height flag set and its height range (z, z); the
// containers' ranges follow.
int map3d_text_Create(HWND window, OBJHANDLE *text, const char *string, const MAP3D_COORDPT *anchor,
                      const char *face, int32_t size, int style, COLORREF colour, int rotation, int unused,
                      uint16_t flags, int reserved);
int map3d_text_Set(HWND window, OBJHANDLE text, const char *string, const MAP3D_COORDPT *anchor,
                   const char *face, int32_t size, int style, COLORREF colour, int rotation, int unused,
                   uint16_t flags, int reserved);
// map_text_Get with the stored height as z (0 for a text without height).
int map3d_text_Get(HWND window, OBJHANDLE text, uint32_t *length, char *buffer, uint16_t bufferSize,
                   MAP3D_COORDPT *anchor, char *face, uint16_t faceSize, int32_t *size, int *style,
                   COLORREF *colour, int *rotation, int *escapement, uint16_t *flags);

} // extern "C"

extern "C" {

// A new polyline / polygon of count points with heights in the active
// layer; *object receives it (0 first). The containers' height ranges
// widen. The undo flag hands the object to the undo recorder, which
// records nothing.
int map3d_polyline_Create(HWND window, OBJHANDLE *object, const MAP3D_COORDPT *points, int32_t count,
                          int undo);
int map3d_polygon_Create(HWND window, OBJHANDLE *object, const MAP3D_COORDPT *points, int32_t count,
                         int undo);
// Replace the points; 0 unless the class matches (poly: either class).
int map3d_polyline_Set(HWND window, OBJHANDLE object, const MAP3D_COORDPT *points, int32_t count, int undo);
int map3d_polygon_Set(HWND window, OBJHANDLE object, const MAP3D_COORDPT *points, int32_t count, int undo);
int map3d_poly_Set(HWND window, OBJHANDLE object, const MAP3D_COORDPT *points, int32_t count, int undo);
// Up to capacity points with their heights (z 0 for an object without);
// *total receives the count. The number copied; 0 unless the class matches.
int32_t map3d_polyline_Get(HWND window, OBJHANDLE object, int32_t *total, MAP3D_COORDPT *points,
                           int32_t capacity);
int32_t map3d_polygon_Get(HWND window, OBJHANDLE object, int32_t *total, MAP3D_COORDPT *points,
                          int32_t capacity);
int32_t map3d_poly_Get(HWND window, OBJHANDLE object, int32_t *total, MAP3D_COORDPT *points,
                       int32_t capacity);

} // extern "C"

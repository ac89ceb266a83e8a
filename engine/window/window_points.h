// Window-level functions of point objects (polylines and polygons) with
// plain points, and the generic object setter and getter by type code that
// the cutting operations use.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

extern "C" {

// A new polyline / polygon of count points in the active layer; *object
// receives it (0 first). 0 for no points or when none can be made.
int map_polyline_Create(HWND window, OBJHANDLE *object, const MAP_COORDPT *points, int32_t count, int unused);
int map_polygon_Create(HWND window, OBJHANDLE *object, const MAP_COORDPT *points, int32_t count, int unused);
// Replaces the points; 0 unless the handle is of the class.
int map_polyline_Set(HWND window, OBJHANDLE object, const MAP_COORDPT *points, int32_t count, int unused);
int map_polygon_Set(HWND window, OBJHANDLE object, const MAP_COORDPT *points, int32_t count, int unused);
// Replaces the points of *object, or makes an object of the class when it
// is 0. Only polygons and polylines, as class and as target; else 0.
// Writing plain points drops the heights an object had.
int Poly_Set(HWND window, OBJHANDLE *object, const MAP_COORDPT *points, int32_t count, int unused,
             uint16_t classId);
// Copies up to capacity points (x and y only for an object with heights);
// *total receives the count. The number copied; 0 unless of the class.
int32_t map_polyline_Get(HWND window, OBJHANDLE object, int32_t *total, MAP_COORDPT *points,
                         int32_t capacity);
int32_t map_polygon_Get(HWND window, OBJHANDLE object, int32_t *total, MAP_COORDPT *points, int32_t capacity);

// Type codes of OBJECT_Set and OBJECT_Get.
enum ObjectTypeCode : int {
    OTC_LAYERS = 1,
    OTC_SELECTION = 2,
    OTC_IDLIST = 3,
    OTC_GROUPS = 4,
    OTC_LAYER = 5,
    OTC_GROUP = 6,
    OTC_POLYGON = 7,
    OTC_POLYLINE = 8,
    OTC_TEXT = 9,
    OTC_LEGEND = 10,
    OTC_ID = 11,
};

// Mode 1: the object (or the existing or new one the type code stands for)
// takes the children and the points; flags bit 1 repaints it. The handle,
// 0 on failure.
OBJHANDLE OBJECT_Set(HWND window, int mode, uint32_t flags, OBJHANDLE object, int typeCode,
                     int32_t childCount, const OBJHANDLE *children, int32_t pointCount,
                     const MAP_COORDPT *points, int a1, int a2, int a3, int a4, int a5, int a6);
// Query 2 reads children and points, query 3 the bounding rectangle as two
// points; see the implementation for the counts.
uint32_t OBJECT_Get(HWND window, int query, uint32_t flags, OBJHANDLE object, int typeCode,
                    int32_t *childCount, OBJHANDLE *children, int32_t *pointCount, MAP_COORDPT *points,
                    int a1, int a2, int a3, int a4, int a5, int a6);

} // extern "C"

// The painters of polygons and polylines: one point-set object into a
// device context for the display pass, with its pen, fill (solid, hatched
// or translucent), styled outline, and the editing marks of a selected
// object (vertices, polyline ends, the midpoints of the edges next to the
// selected vertex). On a display they also record the drawn vertices in the
// window's vertex bitmap, which snapping reads back.
#pragma once

#include "engine/kernel/graph_object.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// Parts longer than this never go to one polyline call, polygons of more
// points never to one polygon call: they are drawn in pieces.
inline constexpr int32_t kMaxPolylinePoints = 32767;
inline constexpr int32_t kMaxPolygonPoints = 32766;

// A null context draws on the window's own context. The point block is not
// read. selX, selY: the object's selected point (map units). transparency:
// percent, clamped to 0..100; it makes a solid fill under a simple outline
// translucent. 1 after drawing; 0 for a window without record, a handle
// that is not a polygon, or fewer than 2 window points.
int PolygonDisplay(HWND window, HDC dc, OBJHANDLE polygon, uint16_t mode, GraphDispl *attributes,
                   const void *pointBlock, int32_t selX, int32_t selY, int preview, int transparency);
// 1 after drawing; 0 as above, for no points, and for a pixel width of 0
// (nothing drawn, no marks).
int PolylineDisplay(HWND window, HDC dc, OBJHANDLE polyline, uint16_t mode, GraphDispl *attributes,
                    const void *pointBlock, int32_t selX, int32_t selY, int preview);

// The outline width in pixels: the record's width, or, with the map-units
// flag (bit 0 of the line-style flags), the width times the view's pixels
// per world unit, plus 0.5, truncated (clamped to 0..32767).
int OutlinePixelWidth(HWND window, const GraphDispl &attributes);

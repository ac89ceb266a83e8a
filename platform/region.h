// Polygon regions and their painting: a region keeps its polygon and fill
// rule; PaintRgn fills the pixels of the region (polygon_scan.h) with the
// context's brush through its raster operation. Regions are deleted with
// DeleteObject.
#pragma once

#include "platform/polygon_scan.h" // ALTERNATE, WINDING
#include "platform/types.h"

// 0 for null points, fewer than 3 points or an unknown fill mode.
HRGN CreatePolygonRgn(const POINT *points, int count, int fillMode);
// FALSE for a bad context or region.
BOOL PaintRgn(HDC dc, HRGN region);

// Region kinds answered by GetRgnBox and SelectClipRgn.
inline constexpr int RGN_ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// A rectangular region; the corners may come in any order. Like GDI's, the
// right and bottom edges are outside.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
// The region's bounding box and kind (NULLREGION for an empty one,
// SIMPLEREGION for a rectangle); RGN_ERROR for a bad region or box.
int GetRgnBox(HRGN region, RECT *box);

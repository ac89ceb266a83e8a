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

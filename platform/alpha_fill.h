// Translucent fills: what a filled polygon with a layer's transparency
// needs. The pixels are those Polygon fills (polygon_scan.h, alternate
// rule); each gets the colour blended over it with the alpha, rounded:
// out = (colour x alpha + old x (255 - alpha) + 127) / 255 per channel.
// No pen is drawn and the raster operation does not apply.
#pragma once

#include "platform/types.h"

// FALSE for a bad context, null points or fewer than 3 points.
BOOL FillPolygonAlpha(HDC dc, const POINT *points, int count, COLORREF color, BYTE alpha);

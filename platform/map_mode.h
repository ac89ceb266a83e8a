// The logical mapping of a device context: map mode, window and viewport
// origins and extents, and the conversions between logical and device
// points.
//
// The raster drawing of this layer (dc.h, font.h, bitblt.h...) always takes
// device pixels; the mapping is kept for callers that place their drawing
// themselves: they ask LPtoDP where a logical rectangle lands and draw there
// (a picture context, enhanced_metafile.h, records its mapping this way).
//
// MM_TEXT maps one logical unit to one pixel (origins still apply) and
// ignores the extents; MM_ANISOTROPIC scales each axis by viewport extent /
// window extent; MM_ISOTROPIC does the same with one scale, the smaller of
// the two, keeping the viewport extent's signs.
#pragma once

#include "platform/types.h"

inline constexpr int MM_TEXT = 1;
inline constexpr int MM_ISOTROPIC = 7;
inline constexpr int MM_ANISOTROPIC = 8;

// The previous mode; 0 for a bad context or an unknown mode.
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);

// Each gives the previous value through its last argument (when not null);
// FALSE for a bad context, and for an extent with a zero side.
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT *previous);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT *previous);
BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE *previous);
BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE *previous);
BOOL GetWindowOrgEx(HDC dc, POINT *origin);
BOOL GetViewportOrgEx(HDC dc, POINT *origin);
// The extents in effect: (1, 1) for both in MM_TEXT.
BOOL GetWindowExtEx(HDC dc, SIZE *extent);
BOOL GetViewportExtEx(HDC dc, SIZE *extent);

// Converts count points in place, rounding half away from zero and
// saturating to 32 bits; FALSE for a bad context or a negative count.
BOOL LPtoDP(HDC dc, POINT *points, int count);
BOOL DPtoLP(HDC dc, POINT *points, int count);

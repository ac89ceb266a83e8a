// The vertex bitmap of a map window: one bit per pixel of its client area,
// set where a vertex mark of a selected object was drawn, so that the mouse
// tools can snap to a drawn vertex without searching the objects.
//
// Row y of the client rectangle starts at byte (y - top) x stride; the
// leftmost pixel of a byte is its high bit. Every edge of the client
// rectangle belongs to the bitmap, except a right edge whose row has no bit
// left for it (a width that is a multiple of 8), and no index reaches past
// its size. The
// drawing thread writes the bitmap while the user-interface thread reads it,
// so every operation here holds one lock.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/window_record.h"
#include "platform/types.h"

// Makes the bitmap for a client rectangle, all clear; the old one goes. Does
// nothing for an empty rectangle or one too wide for a 16-bit stride.
void VertexBitmapResize(_WNDRES *rec, const RECT &client);
// Frees the bitmap.
void VertexBitmapFree(_WNDRES *rec);

// One pixel: 1 when it belongs to the bitmap (and was set or cleared), else 0.
int VertexBitmapMark(_WNDRES *rec, int x, int y);
int VertexBitmapClear(_WNDRES *rec, int x, int y);
// 1 when the pixel's bit is set.
int VertexBitmapTest(const _WNDRES *rec, int x, int y);

// Clears the whole bitmap; 0 always.
int PointsClear(HWND window);
// PointsClear, then 1 (for use as a callback).
int PointsClearProc(HWND window);
// Sets the bits of the window points that belong to the bitmap, and gives
// their map points (screen view) when map is not null. 0 without a bitmap.
int PointsSet(HWND window, MAP_COORDPT *map, const POINT *points, int n);
// Clears the bits of the window points; 0 without a bitmap.
int PointsUnset(HWND window, const POINT *points, int n);
// Moves the marks of the selection list's two points to the new points (a
// null point stores the empty point). 1; 0 without a window record.
int PointsMoveMarked(HWND window, const MAP_COORDPT *first, const MAP_COORDPT *second);
// Clears the bits of a window rectangle (null: the whole client area) before
// it is repainted. When the client area changed size since the bitmap was
// made, the bitmap is made again for the new size. 1 when it cleared.
int PointsClearRect(HWND window, const RECT *rect);
// Clears the whole bitmap and repaints the whole client area at once. 1.
int PointsRefresh(HWND window);
// Moves the bits with the window contents by dx, dy pixels (dx in whole
// bytes); uncovered bits stay for the painter to clear. 1 when it moved.
int PointsScroll(HWND window, int dx, int dy);
// Snaps the point to the first set bit of the square of the window's search
// radius (rows top to bottom, each left to right): 1 and the point moved,
// else 0. map gets the map point of the (moved or not) point when the search
// ran. The radius is "Sensible Region Radius", clamped to 0 .. 32.
int DisplayPointSeek(HWND window, POINT *point, _COORDPT *map);

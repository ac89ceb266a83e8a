// Integer points and rectangles of the map, world and window spaces, and the
// small helpers that build, test, grow and fit rectangles.
//
// Map and world y grows north, and their rectangles are left, bottom, right,
// top; window y grows down (RECT is left, top, right, bottom). Both rectangle
// kinds are four signed 32-bit integers in the same order, so the helpers
// whose names begin with Rect serve both.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <cstdint>

struct MAP_COORDPT {
    int32_t x;
    int32_t y;
};
// The kernel's name for the same layout.
using _COORDPT = MAP_COORDPT;

struct MAP_COORDRECT {
    int32_t x1; // smallest x (left)
    int32_t y1; // smallest y (bottom)
    int32_t x2; // largest x (right)
    int32_t y2; // largest y (top)
};
using _COORDRECT = MAP_COORDRECT;

struct MAP3D_COORDPT {
    int32_t x;
    int32_t y;
    int32_t z;
};

struct MAP3D_COORDCUBE {
    int32_t xmin;
    int32_t ymin;
    int32_t zmin;
    int32_t xmax;
    int32_t ymax;
    int32_t zmax;
};

// Stored in objects and map files: the layouts are fixed.
static_assert(sizeof(MAP_COORDPT) == 8 && offsetof(MAP_COORDPT, y) == 4);
static_assert(sizeof(MAP_COORDRECT) == 16 && offsetof(MAP_COORDRECT, y1) == 4 &&
              offsetof(MAP_COORDRECT, x2) == 8 && offsetof(MAP_COORDRECT, y2) == 12);
static_assert(sizeof(MAP3D_COORDPT) == 12 && offsetof(MAP3D_COORDPT, z) == 8);
static_assert(sizeof(MAP3D_COORDCUBE) == 24 && offsetof(MAP3D_COORDCUBE, zmax) == 20);
static_assert(sizeof(RECT) == sizeof(MAP_COORDRECT) && sizeof(POINT) == sizeof(MAP_COORDPT));

// The rectangle that holds no point yet: the first point added makes it a
// one-point rectangle. Object bound rectangles use a second value
// (InitBoundRect), which is deliberately not this one.
inline constexpr MAP_COORDRECT kEmptyWorldRect{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
// The empty value of a 3-D bounding box.
inline constexpr MAP3D_COORDCUBE kEmptyCube{INT32_MAX,  INT32_MAX,  INT32_MAX,
                                            -INT32_MAX, -INT32_MAX, -INT32_MAX};

// Truncates toward zero; values beyond 32 bits saturate (a plain conversion
// would be undefined) and NaN reads as 0.
int32_t truncToInt32(double v);

// All helpers do nothing (and answer 0 where they answer) for a null pointer.

void WorldRectInit(MAP_COORDRECT *rect);
void RectInit(MAP_COORDRECT *rect);
void RectInit(RECT *rect);
int WorldRectIsEmpty(const MAP_COORDRECT *rect);
// 1 when x1 <= x2 and y1 <= y2 (zero width or height is valid).
int WorldRectIsValid(const MAP_COORDRECT *rect);
int RectIsValid(const MAP_COORDRECT *rect);
int RectIsValid(const RECT *rect);
// Stores the values as given, without sorting them.
void WorldRectSet(MAP_COORDRECT *rect, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void map_rect_Set(MAP_COORDRECT *rect, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void RectToWorldRect(const RECT *in, MAP_COORDRECT *out);

// Extends the rectangle to hold the point; 1 when any edge moved.
int PtToWorldRect(MAP_COORDRECT *rect, const MAP_COORDPT *pt);
int PtToRect(MAP_COORDRECT *rect, const MAP_COORDPT *pt);
int PtToRect(RECT *rect, const POINT *pt);
int PtToBoundRect(MAP_COORDRECT *rect, const MAP_COORDPT *pt);
// Each of n points in turn; 0 and no change for n < 1.
int LineToWorldRect(MAP_COORDRECT *rect, const MAP_COORDPT *points, int32_t n);

// (x2 - x1, y2 - y1). The difference of an empty rectangle does not fit 32
// bits; it is taken modulo 2^32, as the stored width of such a rectangle is.
MAP_COORDPT WorldRectSize(const MAP_COORDRECT *rect);
MAP_COORDPT RectSize(const MAP_COORDRECT *rect);
SIZE RectSize(const RECT *rect);

// Moves and grows saturate at the 32-bit limits instead of wrapping.
void WorldRectInflate(MAP_COORDRECT *rect, int32_t dx, int32_t dy);
void WorldRectMove(MAP_COORDRECT *rect, int32_t dx, int32_t dy);
// Each field times the factor, truncated toward zero (saturated to 32 bits).
void WorldRectMul(MAP_COORDRECT *rect, double factor);
// Grows each side by half of f times the extent (negative f shrinks), clamped
// to -2147483647 .. 2147483646.
void WorldRectEnlarge(MAP_COORDRECT *rect, double f);
// The same, clamped to the full 32-bit range.
void RectEnlarge(RECT *rect, double f);
void RectEnlarge(MAP_COORDRECT *rect, double f);
// out := target grown symmetrically to the aspect ratio of aspect; 0 and out
// untouched when a side of aspect or target is shorter than 1.
int WorldRectBestFit(const MAP_COORDRECT *aspect, const MAP_COORDRECT *target, MAP_COORDRECT *out);
// Larger y first: swaps y1 and y2 when y1 < y2; 1 when swapped.
int WorldRectMakePositive(MAP_COORDRECT *rect);
// Orders both axes so that x1 <= x2 and y1 <= y2; 1 when anything was swapped.
int WorldRectMakeNegative(MAP_COORDRECT *rect);
int RectMakeNegative(MAP_COORDRECT *rect);
int RectMakeNegative(RECT *rect);
// out := a ∩ b by the window-system rule (a rectangle of zero width or height
// holds no area); when nothing is left, out = (0, 0, 0, 0) and 0 is returned.
int RectIntersect(MAP_COORDRECT *out, const MAP_COORDRECT *a, const MAP_COORDRECT *b);

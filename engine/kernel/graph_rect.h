// Rectangle and point helpers of the graphical classes, rectangle
// invalidation in a map window, the string-table error box and the plain
// allocation pair.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

#include <cstddef>
#include <functional>
#include <string>

// The empty bound rectangle (0x7FFFFFFF, 0x7FFFFFFF, 0x80000001, 0x80000001):
// x1 > x2, so that the first union with a real rectangle yields that one.
inline constexpr _COORDRECT kEmptyBoundRect{INT32_MAX, INT32_MAX, -INT32_MAX, -INT32_MAX};
inline constexpr _COORDPT kEmptyPoint{INT32_MAX, INT32_MAX};

void InitBoundRect(_COORDRECT *rect);
void InitEmptyPoint(_COORDPT *point);
// Widens a to include b side by side; 1 when a changed. An empty (inverted)
// b changes nothing.
int SumBoundRect(_COORDRECT *a, const _COORDRECT *b);
// 1 when the rectangles overlap on both axes, touching edges included.
int GraphRectsIntersect(const _COORDRECT *a, const _COORDRECT *b);
// 1 when each coordinate of inner lies within outer's range on its axis.
int GraphRectEnclosesGaphRect(const _COORDRECT *outer, const _COORDRECT *inner);
// 1 when the point lies within the rectangle, edges included, whichever of
// each pair of coordinates is smaller.
int GraphRectContainsPoint(const _COORDRECT *rect, int32_t x, int32_t y);
// The parts of a not covered by b, as at most four rectangles with inclusive
// edges; 0 when b covers a, 1 with a copied when they do not overlap, -1 for
// a null argument.
int GraphRectSubtract(const _COORDRECT *a, const _COORDRECT *b, _COORDRECT out[4]);

struct GraphFraction {
    int32_t numerator;
    int32_t denominator;
};
// out = p0 + (p1 - p0) * numerator / denominator per axis, cut toward zero;
// p1 when the denominator is 0.
void InterpolateCoordPt(const _COORDPT *p0, const GraphFraction *fraction, _COORDPT *out, const _COORDPT *p1);

// Invalidates a map rectangle (null: the whole client area) of the window,
// widened by 4 pixels with a margin. An inverted rectangle changes nothing.
void InvalidateGraphRect(HWND window, const _COORDRECT *rect, int margin);

// Shows the engine string of that id, formatted with the further arguments,
// in a stop box on the active window. Nothing when the string is unknown.
int GraphErrorMessage(HWND window, int stringId, ...);
// Where GraphErrorMessage finds its strings: returns false when the id has
// no string. The default knows the strings the graphical code reports; the
// library's string table replaces it.
using GraphStringSource = std::function<bool(int id, std::string &text)>;
GraphStringSource SetGraphStringSource(GraphStringSource source);

void *OBJMemAlloc(size_t size);
int OBJMemFree(void *block);

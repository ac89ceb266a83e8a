// Line segments: the unit in which edges pass between the point-set
// primitives, the node tools and the rubber-band drawing. A segment has no
// identity; callers keep segments in their own storage.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

struct Linesegment {
    int32_t x1;
    int32_t y1;
    int32_t x2;
    int32_t y2;
};
static_assert(sizeof(Linesegment) == 16 && offsetof(Linesegment, y1) == 4 && offsetof(Linesegment, x2) == 8 &&
              offsetof(Linesegment, y2) == 12);

// 1 and both ends; 0 for a null segment (null outputs are skipped).
int LinesegmentPointsGet(const Linesegment *segment, MAP_COORDPT *first, MAP_COORDPT *second);
// 1; 0 when any pointer is null.
int LinesegmentPointsSet(Linesegment *segment, const MAP_COORDPT *first, const MAP_COORDPT *second);
// Sets the second end; 1, or 0 for a null pointer.
int LinesegmentEndPointSet(Linesegment *segment, const MAP_COORDPT *point);
// The midpoint, each coordinate (a + b) / 2 truncated towards zero; the sum
// is taken in 64 bits. 1, or 0 for a null pointer.
int LinesegmentMedian(const Linesegment *segment, MAP_COORDPT *point);
// 1, or 0 for a null pointer.
int LinesegmentCopy(const Linesegment *source, Linesegment *destination);
// 1 and the rounded meeting point when the segments meet, an end being given
// half a unit of slack; 0 for parallel or apart segments.
int LinesegmentIntersection(const Linesegment *a, const Linesegment *b, MAP_COORDPT *point);
// 1 when segment p1-p2 and segment p3-p4 cross or touch (an end on the other
// segment, or collinear segments that overlap). Two single points give 0.
int LineSegmentsIntersect(const MAP_COORDPT *p1, const MAP_COORDPT *p2, const MAP_COORDPT *p3,
                          const MAP_COORDPT *p4);

// Flags of LinesegmentDisplay.
inline constexpr uint16_t SEGMENT_LINE = 0x0004;           // draw the line
inline constexpr uint16_t SEGMENT_FIRST_TRIANGLE = 0x0008; // marks, each a 7 x 7 inverted image
inline constexpr uint16_t SEGMENT_MIDPOINT_SQUARE = 0x0010;
inline constexpr uint16_t SEGMENT_INVERT = 0x0020; // NOT-XOR pen
inline constexpr uint16_t SEGMENT_DOTTED = 0x0040; // dotted and NOT-XOR
inline constexpr uint16_t SEGMENT_FIRST_CIRCLE = 0x0080;
inline constexpr uint16_t SEGMENT_SECOND_CIRCLE = 0x0100;
inline constexpr uint16_t SEGMENT_SECOND_TRIANGLE = 0x0200;

// Draws the segment into the device context (the window's own when null)
// through the window's display view: a dotted one-pixel pen with flag 0x40
// or style 1, a solid two-pixel pen for style 3, else solid one pixel, in
// the window-text colour. 1, or 0 for a null segment or a window without a
// view or context.
int LinesegmentDisplay(HWND window, HDC dc, const Linesegment *segment, uint16_t flags, int style);

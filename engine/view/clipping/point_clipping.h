// Display clipping of point lists: polylines are cut into the runs that lie
// inside a rectangle, polygons become one closed polygon to fill (with extra
// vertices on the rectangle's edges) plus the runs of their outline that are
// real edges, so that the rectangle's edges are never stroked.
//
// Point buffers hold 8-byte points and say by their type word what the
// points form; part buffers hold pairs of 4-byte words (first index, point
// count) with the number of pairs as valid number; a code buffer holds one
// byte per clipped polygon point. Rectangles are inclusive on all edges.
#pragma once

#include "engine/kernel/buffer.h"
#include "engine/kernel/coords.h"

#include <cstdint>

struct PresentationManager;

// Type words of point buffers.
inline constexpr uint32_t POINTBUFFER_POLYLINE = 1;
inline constexpr uint32_t POINTBUFFER_POLYGON = 2;

// Codes of clipped polygon points.
inline constexpr uint8_t CLIPCODE_ADDED = 0;  // a corner or turning vertex on the rectangle
inline constexpr uint8_t CLIPCODE_ENTERS = 1; // the outline enters the rectangle here
inline constexpr uint8_t CLIPCODE_LEAVES = 2; // the outline leaves it here
inline constexpr uint8_t CLIPCODE_SOURCE = 3; // a source vertex inside the rectangle

// Clips n points of the source by its type word: a polyline or a polygon
// (closed by the caller). Any other type word, a buffer of the wrong item
// size or a missing buffer or rectangle: the part buffer's valid number
// becomes 0 (when there is one) and the answer is 0. Otherwise the number of
// points written to the clipped buffer.
int32_t ClipPointBuffer(Buffer *source, Buffer *clipped, Buffer *parts, Buffer *codes,
                        const MAP_COORDRECT *rect, int32_t n);

// The visible runs of a polyline; the number of points written. The part
// buffer holds one pair per run, and *runCount their number.
int32_t ClipPolyline(Buffer *source, int32_t n, Buffer *clipped, Buffer *parts, const MAP_COORDRECT *rect,
                     int32_t *runCount);

// The clipped closed polygon (its last point repeats its first); the number
// of its points. The code buffer gets one code per point and the part buffer
// the runs of the outline to stroke.
int32_t ClipPolygon(Buffer *source, int32_t n, Buffer *clipped, Buffer *parts, Buffer *codes,
                    const MAP_COORDRECT *rect, int32_t *runCount);

// The runs of outline segments of m point codes: the segment from point k to
// k + 1 belongs to the outline when code k enters or is a source vertex and
// code k + 1 leaves or is a source vertex. Writes the pairs into the part
// buffer and answers their number.
int32_t ClipRunsFromCodes(const uint8_t *codes, int32_t m, Buffer *parts);

// The clipper of the view's point-list conversions: clips to the view's clip
// rectangle with the view's clipped point and point code buffers.
int32_t ClipToViewRect(PresentationManager *view, Buffer *source, int32_t n, Buffer *clipped, Buffer *parts);
// Installs ClipToViewRect for the conversions (once; later calls do nothing).
void InstallPointListClipper();

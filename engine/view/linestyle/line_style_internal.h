// The renderer's internal routines, shared by its source files.
#pragma once

#include "engine/view/linestyle/line_style.h"

#include "platform/dc.h"

#include <cmath>
#include <cstdlib>

namespace linestyle {

// Widths beyond this are drawn at it: the pattern numbers are 16-bit, and a
// figure plus its widest corner must stay inside 16-bit window coordinates.
inline constexpr int kMaxWidth = 2000;

// How a style's two side routines are bound.
enum class Sides : uint8_t { None, FullFull, PlusMinus, MinusPlus };
Sides StyleSides(int style);

inline int Trunc(double v) { return int(std::trunc(v)); }

// Drawing on the call's device context: a line without its last pixel,
// through the selected pen and the raster operation, and one pixel in the
// context colour.
inline void DrawLine(LineStyleContext *ctx, int x0, int y0, int x1, int y1)
{
    gdi::DeviceContext *dc = ctx->surface;
    if (!dc)
        return;
    // The short lines of the spans and sections lie inside the image nearly
    // always: walked here, without the clipping of the general pen.
    // The raster operations of the multi-line styles give one colour
    // whatever lies below, or nothing at all.
    if (dc->penStyle == PS_SOLID && dc->penWidth <= 1 && dc->Inside(x0, y0) && dc->Inside(x1, y1)) {
        dc->position = {x1, y1};
        uint32_t rgb = dc->penRgb;
        switch (dc->rop2) {
        case R2_NOP:
            return;
        case R2_BLACK:
            rgb = 0xFF000000u;
            break;
        case R2_WHITE:
            rgb = 0xFFFFFFFFu;
            break;
        case R2_COPYPEN:
            break;
        default:
            WalkLineDDA(x0, y0, x1, y1, [dc, rgb](int x, int y) { dc->PutRop(x, y, rgb); });
            return;
        }
        WalkLineDDA(x0, y0, x1, y1, [dc, rgb](int x, int y) { dc->Row(y)[x] = rgb; });
        return;
    }
    dc->position = {x0, y0};
    if (x0 != x1 || y0 != y1)
        dc->DrawLineTo(x1, y1);
    else
        dc->position = {x1, y1};
}
inline void PutPixel(LineStyleContext *ctx, int x, int y)
{
    if (ctx->surface)
        ctx->surface->Put(x, y, ctx->pixel);
}
// Line plus its last pixel.
inline void DrawStroke(LineStyleContext *ctx, int x0, int y0, int x1, int y1)
{
    DrawLine(ctx, x0, y0, x1, y1);
    PutPixel(ctx, x1, y1);
}

inline int SpanSignX(const LineSpanGeometry &g) { return g.spanSigns.x == 1.0 ? 1 : -1; }
inline int SpanSignY(const LineSpanGeometry &g) { return g.spanSigns.y == 1.0 ? 1 : -1; }

// The ends of the cross stroke through (u, v): `left` reaches out on the
// span's sign side, `right` on the other.
struct SpanEnds {
    int x0, y0, x1, y1;
};
inline SpanEnds CrossSpanEnds(const LineSpanGeometry &g, int u, int v, LineStyleDPoint left,
                              LineStyleDPoint right)
{
    const int sx = SpanSignX(g), sy = SpanSignY(g);
    return {u + Trunc(sx * left.x), v + Trunc(sy * left.y), u - Trunc(sx * right.x), v - Trunc(sy * right.y)};
}

// The one-pixel step from p towards t (away: from t), as the walk ends use.
POINT StepTowards(POINT p, POINT t, bool away);

// Segment geometry (one segment into g; the mark geometry into the context
// when markToo is set).
void LineSegmentGeometry(LineStyleContext *ctx, POINT a, POINT b, LineSpanGeometry &g, bool markToo);
// The vector from a centre point to the outline edge on the positive side of
// the segment's normal (plus) or the negative side, as doubles or truncated.
LineStyleDPoint SideVector(const LineSpanGeometry &g, bool plus, bool inner);
POINT SideOffset(const LineSpanGeometry &g, bool plus);

// Ends and corners.
void PrepareSegmentEnds(LineStyleContext *ctx, POINT a, POINT b, bool startPhase, int indexA);
struct CornerGeometry {
    bool tooShort = false;
    POINT segEnd{0, 0}, nextStart{0, 0};
};
// Turn side, join points (with the mitre limit) and, when the join needs
// them, the trimmed end of AB and the start of BC.
void ComputeCorner(LineStyleContext *ctx, POINT a, POINT b, POINT c, const LineSpanGeometry &ab,
                   const LineSpanGeometry &bc, bool joinNeeded, CornerGeometry *out);
void LineStyleFinishSegment(LineStyleContext *ctx, POINT a, POINT b);
void LineStartCap(LineStyleContext *ctx);
void LineEndCap(LineStyleContext *ctx, POINT b);
void RestoreSpans(LineStyleContext *ctx);
void ApplySquareStart(LineStyleContext *ctx);
void ApplySquareEnd(LineStyleContext *ctx);
double RoundEndFactor(LineStyleContext *ctx, int x, int y, int side);
bool LineIntersection(LineStyleDPoint a1, LineStyleDPoint a2, LineStyleDPoint b1, LineStyleDPoint b2,
                      LineStyleDPoint *out);
LineStyleDPoint InnerJoinPoint(const LineStyleContext *ctx);
void ArcWalk(LineStyleContext *ctx, POINT start, POINT centre, POINT end, int direction, int radius,
             LINEDDAPROC proc);

// Marks, tick anchors, side strokes.
void MarkProc(LineStyleContext *ctx, int x, int y);
void MarkFinishAtSegEnd(LineStyleContext *ctx, int x, int y, int state);
void TickAnchorFromStart(LineStyleContext *ctx, int x, int y);
void TickAnchorClipped(LineStyleContext *ctx, int x, int y);
void SideMarkBegin(LineStyleContext *ctx, int x, int y, LineSpanProc side);
void MidpointWithEdge(LineStyleContext *ctx, int *x, int *y);

// ---- multi-line styles ----

// The four offsets of a straight cross-section, from the pixel: a the side-1
// edge, b the side-1 inner point, c and d the side-2 edge and inner point
// (taken away from the pixel).
struct MultiLineOffsetSet {
    POINT a{0, 0}, b{0, 0}, c{0, 0}, d{0, 0};
};
// For the segment geometry g and the normal signs n; the narrow-spaced rule
// (mirror-image sides) when narrow is set.
MultiLineOffsetSet MultiLineOffsets(const LineStyleContext *ctx, const LineSpanGeometry &g, LineStyleDPoint n,
                                    bool narrow);
// The narrow-spaced rules (styles 63 and 65) are in force.
inline bool MultiLineNarrow(const LineStyleContext *ctx) { return ctx->patternWord & 0x20; }
// The band thickness of the style with the given family flags.
double MultiLineBandWidth(const LineStyleContext *ctx, uint8_t family);
// The spacing vector of the segment g (innerOffset, innerHalfOffset) and the
// band thickness at corners; the end shifts of g follow the band thickness.
void MultiLineInnerOffset(LineStyleContext *ctx, LineSpanGeometry &g, uint8_t family);
void MultiLineStamp(LineStyleContext *ctx, int x, int y);
void MultiLineSeedSection(LineStyleContext *ctx, int x, int y);
// The edge and join colours and the raster operations of the style in the
// current phase; 0 is "leave the operation as it is".
COLORREF MultiLineEdgeColor(const LineStyleContext *ctx);
COLORREF MultiLineJoinColor(const LineStyleContext *ctx);
int MultiLineEdge1Rop(const LineStyleContext *ctx);
int MultiLineFillRop(const LineStyleContext *ctx);
int MultiLineEdge2Rop(const LineStyleContext *ctx);
inline void SetRop(LineStyleContext *ctx, int rop2)
{
    if (rop2 != 0 && ctx->surface)
        ctx->surface->rop2 = rop2;
}
// One pixel in the colour, whatever the raster operation.
inline void PutColor(LineStyleContext *ctx, int x, int y, COLORREF color)
{
    if (ctx->surface)
        ctx->surface->Put(x, y, gdi::ToPixel(color));
}

// Walks u toward v a pixel at a time (an x step, then a y step), moving u in
// place, and at each new position draws a line: u to w (FanToW), u to w and
// w's pixel in the colour (FanToWSet), or w to u (FanFromW).
enum class Fan { ToW, ToWSet, FromW };
void FanFill(LineStyleContext *ctx, POINT &u, POINT v, POINT w, Fan mode, COLORREF color);
// Equal in x or in y and at most one pixel apart in both.
inline bool Adjacent(POINT u, POINT v)
{
    const int dx = std::abs(u.x - v.x), dy = std::abs(u.y - v.y);
    return (dx == 0 || dy == 0) && dx <= 1 && dy <= 1;
}

// Corners and rounded ends.
struct CornerPivot {
    LineStyleDPoint E;     // the pivot
    double rx = 0, ry = 0; // radial distances
    int sx = 0, sy = 0;    // signs from the pivot toward the pixel
    LineStyleDPoint o;     // from the inner point to the pixel
    POINT M{0, 0};         // midpoint of pixel and pivot (narrow-spaced styles)
};
void MultiLineCornerOffsets(LineStyleContext *ctx, int x, int y, CornerPivot *pivot);
void MultiLineCornerStamp(LineStyleContext *ctx, int x, int y);
void MultiLineCornerSetup(LineStyleContext *ctx, LineStyleDPoint normal, POINT p1, POINT p2, POINT pixel,
                          bool full);
void MultiLineOuterCorner(LineStyleContext *ctx);
int MultiLineCornerPhase(LineStyleContext *ctx, int x, int y);
void MultiLineCornerPass(LineStyleContext *ctx, POINT b);
// The half-circle ends of an open figure: around the figure's first point,
// behind it, and around the last point b, beyond it.
void MultiLineStartCap(LineStyleContext *ctx);
void MultiLineEndCap(LineStyleContext *ctx, POINT b);
// Adjusts a vector so that its truncated length is the target's whole part.
void FitVectorLength(double target, LineStyleDPoint &v, bool shrinkLarger, double endShiftX,
                     double endShiftY);
void EndCornerPass(LineStyleContext *ctx);

// Cap spans (rounded ends).
void LineCapSpanFull(int x, int y, LineStyleContext *ctx);
void LineCapSpanInner(int x, int y, LineStyleContext *ctx, uint8_t update);
void LineCapSpanHalfPlus(int x, int y, LineStyleContext *ctx);
void LineCapSpanHalfMinus(int x, int y, LineStyleContext *ctx);

} // namespace linestyle

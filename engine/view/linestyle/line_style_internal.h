// The renderer's internal routines, shared by its source files.
#pragma once

#include "engine/view/linestyle/line_style.h"

#include "platform/dc.h"

#include <cmath>

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

// Cap spans (rounded ends).
void LineCapSpanFull(int x, int y, LineStyleContext *ctx);
void LineCapSpanInner(int x, int y, LineStyleContext *ctx, uint8_t update);
void LineCapSpanHalfPlus(int x, int y, LineStyleContext *ctx);
void LineCapSpanHalfMinus(int x, int y, LineStyleContext *ctx);

} // namespace linestyle

// The small routines the pattern callbacks call where a pattern element
// begins: marks (crosses, chevrons, arrow heads), the tick anchors of the
// corner fans, the start of a side stroke at a rounded end, and the disc
// centre moved into a corner.
#include "engine/view/linestyle/line_style_internal.h"

#include <algorithm>
#include <cmath>

namespace linestyle {
namespace {

POINT arm(const LineMarkStroke &m, bool left)
{
    const LineStyleDPoint &len = left ? m.left : m.right;
    return {Trunc(len.x * m.signs.x), Trunc(len.y * m.signs.y)};
}

void markAt(LineStyleContext *ctx, int qx, int qy)
{
    const bool plusArm = ctx->patternWord & 0x08, minusArm = ctx->patternWord & 0x04;
    const POINT la = plusArm ? arm(ctx->markStrokeA, true) : POINT{0, 0};
    const POINT ra = minusArm ? arm(ctx->markStrokeA, false) : POINT{0, 0};
    DrawStroke(ctx, qx + la.x, qy + la.y, qx - ra.x, qy - ra.y);
    const POINT lb = minusArm ? arm(ctx->markStrokeB, true) : POINT{0, 0};
    const POINT rb = plusArm ? arm(ctx->markStrokeB, false) : POINT{0, 0};
    DrawStroke(ctx, qx - lb.x, qy - lb.y, qx + rb.x, qy + rb.y);
}

} // namespace

void MarkProc(LineStyleContext *ctx, int x, int y)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        markAt(ctx, ctx->penPos.x, y);
    markAt(ctx, x, y);
    ctx->penPos = {x, y};
}

// A mark window still open at the segment's last pixel is finished one pixel
// back inside the segment. The mark there is drawn once and the step leaves
// the window at once (drawing the same mark again would change no pixel,
// and counting up to a window end at the top of the 16-bit range would never
// end).
void MarkFinishAtSegEnd(LineStyleContext *ctx, int x, int y, int state)
{
    if (x != ctx->segEnd.x || y != ctx->segEnd.y)
        return;
    const POINT savedEnd = ctx->ddaEnd;
    if (ctx->step <= ctx->markInnerEnd) {
        const POINT q = StepTowards({x, y}, ctx->segStart, false);
        ctx->ddaEnd = q;
        MarkProc(ctx, q.x, q.y);
        ctx->step = int16_t(std::min<int>(ctx->markInnerEnd + 1, INT16_MAX));
    }
    if (state >= 0)
        ctx->sideToggle = uint8_t(state);
    ctx->ddaEnd = savedEnd;
}

void TickAnchorFromStart(LineStyleContext *ctx, int x, int y)
{
    const POINT r = ctx->cornerCentre;
    const double dx = double(x) - r.x, dy = double(y) - r.y;
    const double sx = dx > 0 ? 2.0 : -2.0, sy = dy > 0 ? 2.0 : -2.0;
    LineTickAnchor &a = ctx->tickAnchor;
    a.signX = sx;
    a.signY = sy;
    a.x1 = r.x;
    a.y1 = r.y;
    a.x2 = std::floor(sx * ctx->cornerInnerScaleX * std::fabs(dx) + 0.5) + r.x;
    a.y2 = std::floor(ctx->cornerInnerScaleY * sy * std::fabs(dy) + 0.5) + r.y;
}

void TickAnchorClipped(LineStyleContext *ctx, int x, int y)
{
    const LineStyleDPoint e = InnerJoinPoint(ctx);
    for (int k = 0; k < 2; ++k) {
        const POINT p0 = ctx->cornerEdgeLines[k][0], p1 = ctx->cornerEdgeLines[k][1];
        POINT hit = p0;
        LineStyleDPoint h;
        if ((p0.x != p1.x || p0.y != p1.y) &&
            LineIntersection({double(p0.x), double(p0.y)}, {double(p1.x), double(p1.y)}, e,
                             {double(x), double(y)}, &h))
            hit = {int(std::floor(h.x + 0.5)), int(std::floor(h.y + 0.5))};
        const double lo = ctx->cornerTickLimits[k][0], hi = ctx->cornerTickLimits[k][1];
        if (ctx->cornerTickLimitsX[k]) {
            if (hit.x < lo || hit.x > hi) {
                hit.x = int(hit.x < lo ? lo : hi);
                hit.y = p0.x == hit.x ? p0.y : p1.y;
            }
        } else if (hit.y < lo || hit.y > hi) {
            hit.y = int(hit.y < lo ? lo : hi);
            hit.x = p0.y == hit.y ? p0.x : p1.x;
        }
        ctx->cornerEdgeHits[k] = hit;
    }
    ctx->tickAnchor.x1 = ctx->cornerEdgeHits[1].x;
    ctx->tickAnchor.y1 = ctx->cornerEdgeHits[1].y;
    ctx->tickAnchor.x2 = ctx->cornerEdgeHits[0].x;
    ctx->tickAnchor.y2 = ctx->cornerEdgeHits[0].y;
}

void SideMarkBegin(LineStyleContext *ctx, int x, int y, LineSpanProc side)
{
    if (!(ctx->shapeFlags & kShapeRoundEnds))
        return;
    const bool plus = side == LineCapSpanHalfPlus;
    if (!plus && side != LineCapSpanHalfMinus)
        return;
    const double f0 = RoundEndFactor(ctx, x, y, 0), f1 = RoundEndFactor(ctx, x, y, 1);
    const LineSpanGeometry &g = ctx->geo;
    const LineStyleDPoint n = g.normalSigns;
    const int tx =
        n.x == g.spanSigns.x ? Trunc(f0 * g.leftOffset.x * n.x) : Trunc(f1 * g.rightOffset.x * n.x);
    const int ty =
        n.y == g.spanSigns.y ? Trunc(f0 * g.leftOffset.y * n.y) : Trunc(f1 * g.rightOffset.y * n.y);
    const int s = plus ? 1 : -1;
    ctx->capSpan.base = {x, y};
    ctx->capSpan.tip = {x + s * tx, y + s * ty};
    ctx->prevCapSpan = ctx->capSpan;
}

void MidpointWithEdge(LineStyleContext *ctx, int *x, int *y)
{
    const LineStyleDPoint e = InnerJoinPoint(ctx);
    *x = int(std::floor((*x + e.x) / 2 + 0.5));
    *y = int(std::floor((*y + e.y) / 2 + 0.5));
}

} // namespace linestyle

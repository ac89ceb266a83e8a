// Corners between the segments of a wide line: the join geometry with its
// mitre limit, and the corner pass that re-runs the style's callback along
// the outer edge of the turn (an arc for rounded corners, the way to the
// mitre point for polygonal ones), drawing a fan stroke into the corner at
// every point so that dashes and marks run on around it.
#include "engine/view/linestyle/line_style_internal.h"

#include <algorithm>
#include <cmath>

namespace linestyle {
namespace {

using DP = LineStyleDPoint;

DP add(DP a, DP b) { return {a.x + b.x, a.y + b.y}; }
DP sub(DP a, DP b) { return {a.x - b.x, a.y - b.y}; }
DP toD(POINT p) { return {double(p.x), double(p.y)}; }
double dist(DP a, DP b) { return std::hypot(a.x - b.x, a.y - b.y); }
POINT nearest(DP p) { return {int(std::floor(p.x + 0.5)), int(std::floor(p.y + 0.5))}; }
POINT truncated(DP p) { return {Trunc(p.x), Trunc(p.y)}; }
bool inBox(POINT p, POINT a, POINT b)
{
    return p.x >= std::min(a.x, b.x) && p.x <= std::max(a.x, b.x) && p.y >= std::min(a.y, b.y) &&
           p.y <= std::max(a.y, b.y);
}

// ---- fan routines of the corner pass ----

POINT innerJoin(const LineStyleContext *ctx) { return nearest(InnerJoinPoint(ctx)); }

void roundFanAt(LineStyleContext *ctx, int u, int v)
{
    DrawStroke(ctx, u, v, ctx->cornerCentre.x, ctx->cornerCentre.y);
}

void RoundFanFull(int x, int y, LineStyleContext *ctx)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        roundFanAt(ctx, ctx->penPos.x, y);
    roundFanAt(ctx, x, y);
    ctx->penPos = {x, y};
}

// A half fan draws only on the outer side of the turn, so that asymmetric
// side marks stay on their side.
void roundFanHalf(int x, int y, LineStyleContext *ctx, bool plus)
{
    if (plus == (ctx->cornerSide == 1)) {
        if (ctx->penPos.x != x && ctx->penPos.y != y)
            roundFanAt(ctx, ctx->penPos.x, y);
        roundFanAt(ctx, x, y);
    }
    ctx->penPos = {x, y};
}
void RoundFanHalfPlus(int x, int y, LineStyleContext *ctx)
{
    roundFanHalf(x, y, ctx, true);
    ctx->lastSideProc = RoundFanHalfPlus;
}
void RoundFanHalfMinus(int x, int y, LineStyleContext *ctx)
{
    roundFanHalf(x, y, ctx, false);
    ctx->lastSideProc = RoundFanHalfMinus;
}

// The inner width's part of a fan, between the two anchor points, joined to
// the previous one's ends.
void innerFanFromAnchor(LineStyleContext *ctx)
{
    const POINT a{int(std::floor(ctx->tickAnchor.x1 + 0.5)), int(std::floor(ctx->tickAnchor.y1 + 0.5))};
    const POINT b{int(std::floor(ctx->tickAnchor.x2 + 0.5)), int(std::floor(ctx->tickAnchor.y2 + 0.5))};
    if (ctx->fanEndsValid) {
        DrawStroke(ctx, ctx->fanEndA.x, ctx->fanEndA.y, a.x, a.y);
        DrawStroke(ctx, ctx->fanEndB.x, ctx->fanEndB.y, b.x, b.y);
    }
    DrawStroke(ctx, a.x, a.y, b.x, b.y);
    ctx->fanEndA = a;
    ctx->fanEndB = b;
    ctx->fanEndsValid = true;
}

void RoundFanInner(int x, int y, LineStyleContext *ctx, uint8_t update)
{
    TickAnchorFromStart(ctx, x, y);
    innerFanFromAnchor(ctx);
    if (update)
        ctx->penPos = {x, y};
}

void polyFanAt(LineStyleContext *ctx, int u, int v)
{
    const POINT j = innerJoin(ctx);
    DrawStroke(ctx, u, v, j.x, j.y);
}

void PolyFanFull(int x, int y, LineStyleContext *ctx)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        polyFanAt(ctx, ctx->penPos.x, y);
    polyFanAt(ctx, x, y);
    ctx->penPos = {x, y};
}

// Each half fan draws one half of the line from the point to the inner join
// point: the outer half on the outer side of the turn, the inner half on the
// other.
void polyFanHalf(int x, int y, LineStyleContext *ctx, bool plus)
{
    auto at = [&](int u, int v) {
        const POINT j = innerJoin(ctx);
        const int mx = int(std::floor((double(u) + j.x + 1) / 2)),
                  my = int(std::floor((double(v) + j.y + 1) / 2));
        if (plus == (ctx->cornerSide == 1))
            DrawStroke(ctx, mx, my, u, v);
        else
            DrawStroke(ctx, mx, my, j.x, j.y);
    };
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        at(ctx->penPos.x, y);
    at(x, y);
    ctx->penPos = {x, y};
}
void PolyFanHalfPlus(int x, int y, LineStyleContext *ctx)
{
    polyFanHalf(x, y, ctx, true);
    ctx->lastSideProc = PolyFanHalfPlus;
}
void PolyFanHalfMinus(int x, int y, LineStyleContext *ctx)
{
    polyFanHalf(x, y, ctx, false);
    ctx->lastSideProc = PolyFanHalfMinus;
}

void PolyFanInner(int x, int y, LineStyleContext *ctx, uint8_t update)
{
    TickAnchorClipped(ctx, x, y);
    innerFanFromAnchor(ctx);
    if (update)
        ctx->penPos = {x, y};
}

void selectJoinSpans(LineStyleContext *ctx, bool round)
{
    ctx->spanProc = round ? RoundFanFull : PolyFanFull;
    ctx->spanProcEx = round ? RoundFanInner : PolyFanInner;
    const LineSpanProc plus = round ? RoundFanHalfPlus : PolyFanHalfPlus;
    const LineSpanProc minus = round ? RoundFanHalfMinus : PolyFanHalfMinus;
    switch (StyleSides(ctx->style)) {
    case Sides::FullFull:
        ctx->leftSideProc = ctx->rightSideProc = ctx->spanProc;
        break;
    case Sides::PlusMinus:
        ctx->leftSideProc = plus;
        ctx->rightSideProc = minus;
        break;
    case Sides::MinusPlus:
        ctx->leftSideProc = minus;
        ctx->rightSideProc = plus;
        break;
    case Sides::None:
        break;
    }
    ctx->fanEndsValid = false;
}

bool decorated(const LineStyleContext *ctx)
{
    const uint8_t family = LineStyleFamilyFlags(ctx->style);
    return (family == 2 || family == 4) && ctx->style != 45;
}

// The edge lines of the inner width at a corner for the segment of g: from
// the inner span's end at the reference point to where it meets the other
// segment's, one line on each side.
void setCornerTickLimits(LineStyleContext *ctx, const LineSpanGeometry &g, POINT reference)
{
    const DP b = toD(ctx->cornerEnd);
    const DP a = toD(ctx->cornerPrev), c = toD(ctx->cornerNext);
    for (int k = 0; k < 2; ++k) {
        const bool plus = (k == 0) == (ctx->cornerSide == 1); // line 0 on the outer side
        const DP v1 = SideVector(ctx->prevSpanGeometry, plus, true);
        const DP v2 = SideVector(ctx->nextGeo, plus, true);
        DP meet;
        if (!LineIntersection(add(a, v1), add(b, v1), add(b, v2), add(c, v2), &meet))
            meet = add(b, v1);
        const DP start = add(toD(reference), SideVector(g, plus, true));
        const POINT p0 = nearest(start), p1 = nearest(meet);
        ctx->cornerEdgeLines[k][0] = p0;
        ctx->cornerEdgeLines[k][1] = p1;
        const bool clampX = std::abs(p1.x - p0.x) >= std::abs(p1.y - p0.y);
        ctx->cornerTickLimitsX[k] = clampX;
        ctx->cornerTickLimits[k][0] = clampX ? std::min(p0.x, p1.x) : std::min(p0.y, p1.y);
        ctx->cornerTickLimits[k][1] = clampX ? std::max(p0.x, p1.x) : std::max(p0.y, p1.y);
    }
}

void RoundCorner(LineStyleContext *ctx, POINT b)
{
    selectJoinSpans(ctx, true);
    const bool outerPlus = ctx->cornerSide == 1;
    const POINT last = ctx->ddaStart;
    const POINT off = SideOffset(ctx->geo, outerPlus);
    const POINT start{last.x + off.x, last.y + off.y};
    ctx->cornerCentre = last;
    if (decorated(ctx)) {
        const LineSpanGeometry &g = ctx->geo;
        const bool mirror = ctx->cornerSide == 1;
        ctx->cornerInnerScaleX =
            ((g.normalSigns.x == g.spanSigns.x) != mirror) ? ctx->innerLeftRatio : ctx->innerRightRatio;
        ctx->cornerInnerScaleY =
            ((g.normalSigns.y == g.spanSigns.y) != mirror) ? ctx->innerLeftRatio : ctx->innerRightRatio;
        TickAnchorFromStart(ctx, start.x, start.y);
    }
    ctx->geo = ctx->nextGeo;
    const POINT offNext = SideOffset(ctx->geo, outerPlus);
    const POINT end{b.x + offNext.x, b.y + offNext.y};
    const int radius = int(std::floor((ctx->leftHalf + ctx->rightHalf + 1) / 2));
    ctx->penPos = start;
    ArcWalk(ctx, start, ctx->cornerCentre, end, ctx->cornerSide == 1 ? 1 : -1, radius, ctx->lineProc);
    ctx->penPos = b;
    RestoreSpans(ctx);
    EndCornerPass(ctx);
}

void PolygonCorner(LineStyleContext *ctx)
{
    selectJoinSpans(ctx, false);
    const bool outerPlus = ctx->cornerSide == 1;
    const POINT outer = nearest(outerPlus ? ctx->plusJoinPoint : ctx->minusJoinPoint);
    const POINT last = ctx->ddaStart;
    const POINT off = SideOffset(ctx->geo, outerPlus);
    const POINT start{last.x + off.x, last.y + off.y};
    const bool deco = decorated(ctx);
    if (deco)
        setCornerTickLimits(ctx, ctx->geo, last);
    ctx->penPos = start;
    POINT walkEnd = StepTowards(outer, start, true);
    if (outer.x != start.x || outer.y != start.y)
        LineDDA(start.x, start.y, walkEnd.x, walkEnd.y, ctx->lineProc, reinterpret_cast<LPARAM>(ctx));
    ctx->geo = ctx->nextGeo;
    const POINT offNext = SideOffset(ctx->geo, outerPlus);
    const POINT target{ctx->nextStart.x + offNext.x, ctx->nextStart.y + offNext.y};
    if (deco)
        setCornerTickLimits(ctx, ctx->geo, ctx->nextStart);
    walkEnd = StepTowards(target, outer, true);
    if (outer.x != target.x || outer.y != target.y)
        LineDDA(outer.x, outer.y, walkEnd.x, walkEnd.y, ctx->lineProc, reinterpret_cast<LPARAM>(ctx));
    ctx->penPos = ctx->nextStart;
    RestoreSpans(ctx);
    EndCornerPass(ctx);
}

} // namespace

void EndCornerPass(LineStyleContext *ctx)
{
    ctx->shapeFlags &= uint16_t(~(kShapeCornerPass | kShapePairToggle));
}

bool LineIntersection(DP a1, DP a2, DP b1, DP b2, DP *out)
{
    const DP r = sub(a2, a1), s = sub(b2, b1);
    const double den = r.x * s.y - r.y * s.x;
    if (std::fabs(den) < 1e-9)
        return false;
    const DP q = sub(b1, a1);
    const double t = (q.x * s.y - q.y * s.x) / den;
    *out = {a1.x + t * r.x, a1.y + t * r.y};
    return true;
}

DP InnerJoinPoint(const LineStyleContext *ctx)
{
    return ctx->cornerSide == 1 ? ctx->minusJoinPoint : ctx->plusJoinPoint;
}

void ComputeCorner(LineStyleContext *ctx, POINT a, POINT b, POINT c, const LineSpanGeometry &ab,
                   const LineSpanGeometry &bc, bool joinNeeded, CornerGeometry *out)
{
    const int64_t cross =
        (int64_t(b.x) - a.x) * (int64_t(c.y) - a.y) - (int64_t(b.y) - a.y) * (int64_t(c.x) - a.x);
    ctx->cornerSide = cross > 0 ? 1 : 0;
    ctx->cornerPrev = a;
    ctx->cornerEnd = b;
    ctx->cornerNext = c;
    const DP A = toD(a), B = toD(b), C = toD(c);
    // The edges as the spans draw them (truncated offsets), so that a mitre
    // meets the drawn outline exactly.
    auto edge = [](const LineSpanGeometry &g, bool plus) { return toD(SideOffset(g, plus)); };
    for (bool plus : {true, false}) {
        const DP o1 = edge(ab, plus), o2 = edge(bc, plus);
        DP join;
        // Parallel edges (a straight run or a full reversal) meet at the
        // vertex's own span end.
        if (!LineIntersection(add(A, o1), add(B, o1), add(B, o2), add(C, o2), &join))
            join = add(B, o1);
        (plus ? ctx->plusJoinPoint : ctx->minusJoinPoint) = join;
    }
    ctx->mitreClipped = false;
    const double w = ctx->leftHalf + ctx->rightHalf;
    const double limit = (ctx->shapeFlags & (kShapePolygonCorners | kShapeCornerPass)) ? 6.0 * w : 2.5 * w;
    DP &outer = ctx->cornerSide == 1 ? ctx->plusJoinPoint : ctx->minusJoinPoint;
    DP &inner = ctx->cornerSide == 1 ? ctx->minusJoinPoint : ctx->plusJoinPoint;
    if (!(ctx->patternWord & 0x30) && dist(outer, inner) > limit && dist(inner, B) > limit / 2) {
        const DP innerOld = inner;
        const double d = dist(inner, B);
        const POINT moved =
            nearest({B.x + (inner.x - B.x) * (limit / 2) / d, B.y + (inner.y - B.y) * (limit / 2) / d});
        inner = toD(moved);
        const DP dir = sub(outer, innerOld);
        const double len = std::hypot(dir.x, dir.y);
        outer = {inner.x + limit * dir.x / len, inner.y + limit * dir.y / len};
        ctx->mitreClipped = true;
    }
    if (!joinNeeded || !out)
        return;
    const bool innerPlus = ctx->cornerSide == 0;
    const DP vab = edge(ab, innerPlus), vbc = edge(bc, innerPlus);
    DP e1 = sub(inner, vab), e2 = sub(inner, vbc);
    if (ctx->mitreClipped) {
        if (!LineIntersection(A, B, inner, add(inner, vab), &e1))
            e1 = B;
        if (!LineIntersection(B, C, inner, add(inner, vbc), &e2))
            e2 = B;
    }
    out->segEnd = truncated(e1);
    out->nextStart = truncated(e2);
    out->tooShort = !inBox(out->segEnd, a, b) || !inBox(out->nextStart, b, c);
    if (out->tooShort)
        out->segEnd = out->nextStart = b;
}

void LineStyleFinishSegment(LineStyleContext *ctx, POINT, POINT b)
{
    bool restorePolygonal = false;
    if (ctx->cornerPending && !(ctx->figure & kFigureLone) && !ctx->lastSegment) {
        if ((ctx->shapeFlags & kShapeTooShort) && (ctx->shapeFlags & kShapePolygonCorners)) {
            // A polygonal corner of a too-short segment is drawn rounded.
            ctx->shapeFlags = uint16_t((ctx->shapeFlags & ~kShapePolygonCorners) | kShapeRoundCorners);
            restorePolygonal = true;
        }
        ctx->shapeFlags |= kShapeCornerPass;
        switch (ctx->shapeFlags & 0x010E) {
        case 0x0006:
            RoundCorner(ctx, b);
            break;
        case 0x000A:
            PolygonCorner(ctx);
            break;
        case 0x0102:
            MultiLineCornerPass(ctx, b);
            break;
        default:
            ctx->geo = ctx->nextGeo;
            EndCornerPass(ctx);
            break;
        }
    }
    LineEndCap(ctx, b);
    if (ctx->shapeFlags & kShapeTooShort) {
        if (restorePolygonal)
            ctx->shapeFlags = uint16_t((ctx->shapeFlags & ~kShapeRoundCorners) | kShapePolygonCorners);
        ctx->shapeFlags &= uint16_t(~kShapeTooShort);
    }
}

void ArcWalk(LineStyleContext *ctx, POINT start, POINT centre, POINT end, int direction, int radius,
             LINEDDAPROC proc)
{
    const LPARAM data = reinterpret_cast<LPARAM>(ctx);
    const double cx = centre.x, cy = centre.y;
    if (radius <= 0) {
        const double r0 = std::hypot(start.x - cx, start.y - cy), r1 = std::hypot(end.x - cx, end.y - cy);
        radius = int(std::floor((r0 + r1) / 2 + ((ctx->shapeFlags & kShapeArcNoRounding) ? 0 : 0.5)));
    }
    const double r = radius;
    constexpr double kTwoPi = 6.283185307179586;
    // Angles on the screen (y down): clockwise is increasing angle.
    auto angleOf = [&](double x, double y) { return std::atan2(y - cy, x - cx); };
    auto sweepTo = [&](double angle, double from) {
        double s = (angle - from) * direction;
        while (s < 0)
            s += kTwoPi;
        while (s >= kTwoPi)
            s -= kTwoPi;
        return s;
    };
    const double a0 = angleOf(start.x, start.y);
    const double total = sweepTo(angleOf(end.x, end.y), a0);
    proc(start.x, start.y, data);
    POINT cur = start, lastCalled = start;
    double prevSweep = 0;
    // A quarter circle has about 1.5 r steps; the bound only stops a walk
    // that a degenerate arc could make endless.
    const int maxSteps = int(8 * r) + 16;
    for (int i = 0; i < maxSteps && r > 0; ++i) {
        const double rx = cur.x - cx, ry = cur.y - cy;
        const double tx = -ry * direction, ty = rx * direction; // tangent
        POINT next = cur;
        if (std::fabs(tx) >= std::fabs(ty)) {
            next.x = cur.x + (tx > 0 ? 1 : -1);
            const double d = next.x - cx;
            const double h = std::floor(std::sqrt(std::max(0.0, r * r - d * d)) + 0.5);
            const double side = ry != 0 ? (ry > 0 ? 1 : -1) : (ty > 0 ? 1 : -1);
            next.y = int(cy + side * h);
        } else {
            next.y = cur.y + (ty > 0 ? 1 : -1);
            const double d = next.y - cy;
            const double h = std::floor(std::sqrt(std::max(0.0, r * r - d * d)) + 0.5);
            const double side = rx != 0 ? (rx > 0 ? 1 : -1) : (tx > 0 ? 1 : -1);
            next.x = int(cx + side * h);
        }
        if (next.x == cur.x && next.y == cur.y)
            break;
        double s = sweepTo(angleOf(next.x, next.y), a0);
        if (prevSweep < 1.0 && s > kTwoPi - 1.0)
            s = 0; // a point a hair behind the start, not the far side
        if (s >= total || s + 1e-12 < prevSweep - 3.0)
            break;
        prevSweep = s;
        cur = next;
        proc(cur.x, cur.y, data);
        lastCalled = cur;
    }
    if (lastCalled.x != end.x || lastCalled.y != end.y)
        proc(end.x, end.y, data);
}

} // namespace linestyle

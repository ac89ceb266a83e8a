// Corners and rounded ends of the multi-line styles. The outer edge of the
// turn (or of the cap) is walked pixel by pixel through the style's
// callback, and at each pixel a radial cross-section paints the bands along
// the line from that pixel toward a pivot: the inner join point of the
// corner, or the end point of the line. Gaps between consecutive radial
// sections are closed with fans.
#include "engine/view/linestyle/line_style_internal.h"

#include <algorithm>
#include <cmath>

namespace linestyle {
namespace {

using DP = LineStyleDPoint;

constexpr COLORREF kBlack = RGB(0, 0, 0);

double nearest(double v) { return v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5); }
POINT truncated(DP p) { return {Trunc(p.x), Trunc(p.y)}; }
POINT plus(POINT p, POINT o) { return {p.x + o.x, p.y + o.y}; }
bool same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

bool periodic(const LineStyleContext *ctx) { return ctx->style >= 67 && ctx->style <= 73; }

DP &innerJoinRef(LineStyleContext *ctx)
{
    return ctx->cornerSide == 1 ? ctx->minusJoinPoint : ctx->plusJoinPoint;
}

void walk(LineStyleContext *ctx, POINT from, POINT to)
{
    LineDDA(from.x, from.y, to.x, to.y, ctx->lineProc, reinterpret_cast<LPARAM>(ctx));
}

// The side-1 edge offset of the current geometry for the normal signs n.
POINT edgeOffset(const LineStyleContext *ctx, DP n, bool narrow)
{
    return MultiLineOffsets(ctx, ctx->geo, n, narrow).a;
}

// The periodic styles' phase back on the nominal break and period.
void nominalPhase(LineStyleContext *ctx)
{
    if (ctx->breaks[0] > 0)
        ctx->step = int16_t(Trunc(double(ctx->step) / ctx->breaks[0] * ctx->breakLong));
    ctx->breaks[0] = int16_t(ctx->breakLong);
    ctx->period = int16_t(ctx->periodLong);
}

// The half circle of a rounded end around `centre`, from the edge on the
// positive side of the normal to the other one, through the side that
// `tip` points to. Every radial section points at the end point.
void capWalk(LineStyleContext *ctx, POINT centre, DP tip)
{
    const POINT S = plus(centre, SideOffset(ctx->geo, true));
    const POINT T = plus(centre, SideOffset(ctx->geo, false));
    if (same(S, centre) && same(T, centre))
        return;
    // Screen angles grow clockwise (y down): +1 when the tip lies a quarter
    // turn clockwise from the start.
    const double ux = S.x - centre.x, uy = S.y - centre.y;
    const int direction = tip.x * -uy + tip.y * ux >= 0 ? 1 : -1;
    DP &join = innerJoinRef(ctx);
    const DP savedJoin = join;
    join = {double(centre.x), double(centre.y)};
    ctx->shapeFlags |= kShapeArcNoRounding;
    ctx->multiLineProc = MultiLineProcCorner;
    ctx->cornerState = 4;
    ctx->penPos = S;
    ArcWalk(ctx, S, centre, T, direction, 0, ctx->lineProc);
    ctx->shapeFlags &= uint16_t(~kShapeArcNoRounding);
    ctx->multiLineProc = MultiLineProcStraight;
    ctx->cornerState = 0;
    join = savedJoin;
}

DP travel(const LineSpanGeometry &g) { return {g.directionSigns.x * g.absDx, g.directionSigns.y * g.absDy}; }

} // namespace

void MultiLineCornerOffsets(LineStyleContext *ctx, int x, int y, CornerPivot *pv)
{
    const DP E = InnerJoinPoint(ctx);
    pv->E = E;
    ctx->cornerPixel = {x, y};
    double rx = std::fabs(x - E.x), ry = std::fabs(y - E.y);
    pv->M = {int(nearest((x + E.x) / 2)), int(nearest((y + E.y) / 2))};
    if (!(ctx->shapeFlags & kShapeArcNoRounding)) {
        if (rx != 0)
            rx += 1;
        if (ry != 0)
            ry += 1;
    }
    int sx = x > E.x ? 1 : -1, sy = y > E.y ? 1 : -1;
    const double e = ctx->cornerInnerOffset;
    DP o{0, 0};
    if (ry == 0) {
        sy = 0;
        o = {sx * e, 0};
    } else if (rx == 0) {
        sx = 0;
        o = {0, sy * e};
    } else {
        const double n = nearest(std::sqrt(rx * rx + ry * ry));
        const double ratio = ctx->parallelRatio;
        DP v{0, 0};
        double T = 0;
        bool fit = true;
        // The arcs keep the band thickness; along the straight edges the
        // band grows with the distance from the pivot.
        auto arcRule = [&] {
            v = {nearest(rx * e / n), nearest(ry * e / n)};
            T = e < 1 ? std::floor(e) : nearest(e);
        };
        if (ctx->cornerState & 0x04) {
            arcRule();
        } else if (e <= 4.5) {
            v = {nearest(rx * ratio), nearest(ry * ratio)};
            if (e >= 1)
                T = std::floor(n * ratio);
            else
                T = n * ratio < 1 ? 0 : std::floor(n * ratio) - 1;
        } else {
            // Very wide lines: up to the segment's inner edge line.
            DP H;
            const DP l1{double(ctx->cornerEdgeLine[0].x), double(ctx->cornerEdgeLine[0].y)};
            const DP l2{double(ctx->cornerEdgeLine[1].x), double(ctx->cornerEdgeLine[1].y)};
            if (LineIntersection(l1, l2, {double(x), double(y)}, {double(Trunc(E.x)), double(Trunc(E.y))},
                                 &H)) {
                o = {sx * std::fabs(H.x - x), sy * std::fabs(H.y - y)};
                fit = false;
            } else {
                arcRule();
            }
        }
        if (fit) {
            FitVectorLength(T, v, rx / ry > 1, ctx->geo.endShiftX, ctx->geo.endShiftY);
            o = {sx * v.x, sy * v.y};
        }
    }
    pv->rx = rx;
    pv->ry = ry;
    pv->sx = sx;
    pv->sy = sy;
    pv->o = o;
    ctx->cornerInner = {x - Trunc(o.x), y - Trunc(o.y)};
}

void MultiLineCornerStamp(LineStyleContext *ctx, int x, int y)
{
    const DP E = InnerJoinPoint(ctx);
    const POINT Et = truncated(E), P{x, y};
    if (same(Et, P))
        return;
    SetRop(ctx, MultiLineEdge1Rop(ctx));
    CornerPivot pv;
    MultiLineCornerOffsets(ctx, x, y, &pv);
    const POINT I = ctx->cornerInner;
    const COLORREF edge = MultiLineEdgeColor(ctx);
    const bool cap = ctx->shapeFlags & kShapeArcNoRounding;
    const bool ops = ctx->parallelCount != 0;
    const bool narrow = MultiLineNarrow(ctx);
    const double h = (ctx->shapeFlags & kShapeTooShort) ? 0.5 : 1;
    const double ratio = ctx->parallelRatio;
    // The inner end of the fill (or of the centre band): a band's thickness
    // from the pivot toward the pixel.
    const POINT inner =
        truncated({E.x + pv.sx * std::floor(pv.rx * ratio * h), E.y + pv.sy * std::floor(pv.ry * ratio * h)});

    if (narrow && !(ctx->cornerState & 0x04)) {
        if (!(ctx->patternWord & 0x2000) && !Adjacent(ctx->lastCornerInner, I))
            FanFill(ctx, ctx->lastCornerInner, I, P, Fan::ToWSet, kBlack);
        ctx->lastCornerInner = I;
        ctx->lastCornerPixel = P;
    }
    DrawLine(ctx, I.x, I.y, P.x, P.y);
    PutColor(ctx, P.x, P.y, edge);

    if (narrow && !cap) {
        const bool joining = !(ctx->patternWord & 0x2000);
        const bool bands = ctx->parallelCount & 0x01;
        const POINT C1{pv.M.x + pv.sx * int(nearest(pv.rx * ratio / 2)),
                       pv.M.y + pv.sy * int(nearest(pv.ry * ratio / 2))};
        const POINT C1prev = ctx->lastOuter, C2prev = ctx->lastInnerCopy;
        if (bands) {
            SetRop(ctx, R2_COPYPEN);
            if (joining) {
                if (!Adjacent(ctx->lastInner, I)) {
                    POINT L = ctx->lastInner;
                    FanFill(ctx, ctx->lastInner, I, ctx->lastOuter, Fan::ToW, 0);
                    SetRop(ctx, R2_BLACK);
                    FanFill(ctx, L, I, P, Fan::ToWSet, edge);
                    SetRop(ctx, R2_COPYPEN);
                }
                if (!Adjacent(ctx->lastOuter, C1))
                    FanFill(ctx, ctx->lastOuter, C1, I, Fan::FromW, 0);
            }
            ctx->lastInner = I;
            ctx->lastOuter = C1;
            DrawLine(ctx, C1.x, C1.y, I.x, I.y);
            SetRop(ctx, R2_BLACK);
        }
        const POINT C2{C1.x - Trunc(pv.o.x), C1.y - Trunc(pv.o.y)};
        DrawLine(ctx, C2.x, C2.y, C1.x, C1.y);
        PutColor(ctx, C1.x, C1.y, edge);
        if (bands) {
            SetRop(ctx, R2_COPYPEN);
            if (joining)
                FanFill(ctx, ctx->lastInnerCopy, C2, inner, Fan::ToW, 0);
            ctx->lastInnerCopy = C2;
            ctx->lastEdge = inner;
            DrawLine(ctx, inner.x, inner.y, C2.x, C2.y);
            SetRop(ctx, R2_BLACK);
        }
        if (joining) {
            // The centre line between the two sections.
            POINT u = C1prev;
            FanFill(ctx, u, C1, C2prev, Fan::ToWSet, edge);
            u = C2prev;
            FanFill(ctx, u, C2, C1, Fan::ToWSet, edge);
        } else {
            ctx->patternWord &= uint16_t(~0x2000);
        }
        if (!bands) {
            ctx->lastOuter = C1;
            ctx->lastInnerCopy = C2;
        }
        DrawLine(ctx, inner.x, inner.y, Et.x, Et.y);
        PutColor(ctx, Et.x, Et.y, edge);
    } else {
        const POINT F = ops && (cap || (ctx->cornerState & 0x08)) ? Et : inner;
        if (ops)
            SetRop(ctx, MultiLineFillRop(ctx));
        if (!cap && !(ctx->cornerState & 0x10)) {
            if (ops) {
                if (!Adjacent(ctx->lastInner, I))
                    FanFill(ctx, ctx->lastInner, I, F, Fan::ToWSet, MultiLineJoinColor(ctx));
                SetRop(ctx, MultiLineEdge2Rop(ctx));
            }
            if (!Adjacent(ctx->lastEdge, P))
                FanFill(ctx, ctx->lastEdge, P, I, Fan::ToWSet, edge);
            if (!Adjacent(ctx->lastInnerCopy, I))
                FanFill(ctx, ctx->lastInnerCopy, I, P, Fan::ToWSet, edge);
            ctx->lastEdge = P;
            ctx->lastInnerCopy = I;
            if (ops)
                SetRop(ctx, MultiLineFillRop(ctx));
        } else if (!ops) {
            ctx->lastEdge = P;
            ctx->lastInnerCopy = I;
        }
        if (ops) {
            DrawLine(ctx, F.x, F.y, I.x, I.y);
            ctx->lastInner = I;
            ctx->lastOuter = F;
            SetRop(ctx, MultiLineEdge2Rop(ctx));
        }
        if (!cap && !(ctx->cornerState & 0x08)) {
            // The side-2 band, which at a corner runs into the pivot.
            DrawLine(ctx, F.x, F.y, Et.x, Et.y);
            PutColor(ctx, Et.x, Et.y, edge);
        }
    }
    if (ctx->style >= 64 && ctx->style <= 73)
        SetRop(ctx, R2_COPYPEN);
}

void MultiLineCornerSetup(LineStyleContext *ctx, DP normal, POINT p1, POINT p2, POINT pixel, bool full)
{
    if (full)
        MultiLineInnerOffset(ctx, ctx->geo, LineStyleFamilyFlags(ctx->style));
    const POINT b = MultiLineOffsets(ctx, ctx->geo, normal, MultiLineNarrow(ctx)).b;
    ctx->cornerEdgeLine[0] = plus(p1, b);
    ctx->cornerEdgeLine[1] = plus(p2, b);
    if (full) {
        CornerPivot pv;
        MultiLineCornerOffsets(ctx, pixel.x, pixel.y, &pv);
        ctx->lastCornerInner = ctx->cornerInner;
        ctx->lastCornerPixel = pixel;
    }
}

int MultiLineCornerPhase(LineStyleContext *ctx, int x, int y)
{
    if (!periodic(ctx) || !(ctx->cornerState & 0x03) || ctx->width <= 0)
        return 1;
    const double q =
        std::hypot(double(x) - ctx->cornerPhasePoint.x, double(y) - ctx->cornerPhasePoint.y) / ctx->width;
    if (q < 1) {
        ctx->cornerBreak = ctx->breakLong;
        ctx->cornerPeriod = ctx->periodLong;
        return 1;
    }
    const double m = ctx->innerWidth * 0.125 > 0.5 ? ctx->innerWidth * 0.125 : 1.0;
    // Bounded so that the 16-bit pattern numbers hold it.
    ctx->cornerBreak = std::clamp(Trunc(LineStylePatternFactor1(ctx->style) * m * q), 1, 16000);
    const bool plusOne = ctx->style == 67 || ctx->style == 68 || ctx->style == 69 || ctx->style == 71;
    ctx->cornerPeriod = plusOne ? ctx->cornerBreak + 1 : 2 * ctx->cornerBreak;
    ctx->cornerPhaseValid = 1;
    return 1;
}

void MultiLineOuterCorner(LineStyleContext *ctx)
{
    const POINT A = ctx->cornerPrev, C = ctx->cornerNext, O = ctx->ddaStart;
    const bool narrow = MultiLineNarrow(ctx);
    if (narrow)
        ctx->patternWord = 0x10; // the sections follow the wide-spaced rules
    const POINT a = edgeOffset(ctx, ctx->geo.normalSigns, false);
    const POINT S = StepTowards(plus(O, a), plus(A, a), false);
    ctx->geo = ctx->nextGeo;
    const POINT a2 = edgeOffset(ctx, ctx->geo.normalSigns, false);
    const POINT T = StepTowards(plus(O, a2), plus(C, a2), false);
    ctx->penPos = S;
    DP &join = innerJoinRef(ctx);
    const DP savedJoin = join;
    join = {double(O.x), double(O.y)};
    const double savedRatio = ctx->parallelRatio;
    ctx->parallelRatio *= 2;
    const int added = narrow ? 0x14 : 0x0C;
    ctx->cornerState |= added;
    ArcWalk(ctx, S, O, T, ctx->cornerSide == 1 ? 1 : -1, 0, ctx->lineProc);
    ctx->parallelRatio = savedRatio;
    join = savedJoin;
    ctx->cornerState &= ~added;
    if (narrow)
        ctx->patternWord = 0x20;
}

void MultiLineCornerPass(LineStyleContext *ctx, POINT B)
{
    const bool narrow = MultiLineNarrow(ctx);
    if (ctx->multiLineFlags & 0x01) {
        ctx->multiLineFlags &= uint16_t(~0x01);
        MultiLineSeedSection(ctx, ctx->penPos.x, ctx->penPos.y);
        ctx->multiLineFlags |= 0x01;
    }
    ctx->multiLineProc = MultiLineProcCorner;
    ctx->patternWord |= 0x2000;
    if (same(ctx->penPos, ctx->ddaEnd))
        MultiLineSeedSection(ctx, ctx->penPos.x, ctx->penPos.y);

    if (ctx->shapeFlags & kShapeTooShort) {
        // Too short for its corner: a rounded outer corner around the last
        // pixel, and no walk along either edge.
        MultiLineOuterCorner(ctx);
        ctx->multiLineFlags = uint16_t((ctx->multiLineFlags | 0x80) & ~0x01);
        ctx->multiLineProc = MultiLineProcStraight;
        ctx->lastEdge = ctx->lastOuter;
        EndCornerPass(ctx);
        return;
    }

    // The walked segment's outer edge up to the vertex, one pixel beyond
    // both ends.
    ctx->multiLineFlags &= uint16_t(~0x81);
    const POINT a = edgeOffset(ctx, ctx->geo.normalSigns, narrow);
    const POINT P = plus(ctx->ddaStart, a), Q = plus(B, a);
    ctx->penPos = StepTowards(P, Q, true);
    ctx->ddaEnd = StepTowards(Q, ctx->penPos, true);
    ctx->cornerState = 1;
    ctx->cornerPhaseValid = 0;
    if (periodic(ctx))
        ctx->cornerPhasePoint = ctx->penPos;
    walk(ctx, ctx->penPos, ctx->ddaEnd);

    // The arc around the vertex to the next segment's outer edge.
    ctx->geo = ctx->nextGeo;
    const POINT a2 = edgeOffset(ctx, ctx->geo.normalSigns, narrow);
    const POINT Q2 = plus(B, a2);
    ctx->penPos = Q;
    ctx->cornerState = 4;
    if (periodic(ctx) && ctx->cornerPhaseValid)
        nominalPhase(ctx);
    ArcWalk(ctx, Q, B, Q2, ctx->cornerSide == 1 ? 1 : -1, 0, ctx->lineProc);

    // The next segment's outer edge from the vertex to where its own walk
    // starts, with the phase of the periodic styles fitted to its length.
    const POINT R = plus(ctx->nextStart, a2);
    ctx->penPos = StepTowards(Q2, R, true);
    ctx->cornerState = 2;
    ctx->cornerPhaseValid = 0;
    if (periodic(ctx)) {
        ctx->cornerPhasePoint = R;
        const double r = ctx->breaks[0] > 0 ? double(ctx->step) / ctx->breaks[0] : 0;
        MultiLineCornerPhase(ctx, ctx->penPos.x, ctx->penPos.y);
        ctx->step = int16_t(Trunc(ctx->cornerBreak * r));
        ctx->period = int16_t(ctx->cornerPeriod);
        ctx->breaks[0] = int16_t(ctx->cornerBreak);
    }
    MultiLineCornerSetup(ctx, ctx->geo.normalSigns, B, ctx->cornerNext, ctx->penPos, true);
    walk(ctx, ctx->penPos, R);

    ctx->penPos = B;
    ctx->patternWord &= uint16_t(~0x2000);
    ctx->multiLineProc = MultiLineProcStraight;
    ctx->cornerJoinSide = ctx->cornerSide;
    if (periodic(ctx) && ctx->cornerPhaseValid)
        nominalPhase(ctx);
    ctx->cornerState = 0;
    ctx->cornerPhaseValid = 0;
    EndCornerPass(ctx);
}

void MultiLineStartCap(LineStyleContext *ctx)
{
    ctx->capFlags &= ~0x10;
    const DP d = travel(ctx->geo);
    capWalk(ctx, ctx->figureStart, {-d.x, -d.y});
}

void MultiLineEndCap(LineStyleContext *ctx, POINT b)
{
    const int16_t savedStep = ctx->step;
    const uint8_t savedToggle = ctx->sideToggle;
    capWalk(ctx, b, travel(ctx->geo));
    ctx->step = savedStep;
    ctx->sideToggle = savedToggle;
}

} // namespace linestyle

using namespace linestyle;

void MultiLineProcCorner(int x, int y, LineStyleContext *ctx)
{
    POINT &pen = ctx->penPos;
    if (pen.x != x && pen.y != y) {
        if (ctx->cornerState & 0x04) {
            // Four-connected sections: unit steps, x first.
            POINT p = pen;
            if (std::abs(int64_t(x) - p.x) + std::abs(int64_t(y) - p.y) > 4 * int64_t(ctx->width) + 64)
                p = {x, y}; // a pen left far away: no trail across the picture
            while (p.x != x || p.y != y) {
                if (p.x != x) {
                    p.x += x > p.x ? 1 : -1;
                    MultiLineCornerStamp(ctx, p.x, p.y);
                }
                if (p.y != y) {
                    p.y += y > p.y ? 1 : -1;
                    MultiLineCornerStamp(ctx, p.x, p.y);
                }
            }
        } else {
            MultiLineCornerStamp(ctx, pen.x, y);
        }
    }
    MultiLineCornerStamp(ctx, x, y);
    pen = {x, y};
}

// The multi-line styles 62-73: a line drawn as parallel bands (two outer
// edges, for some styles a centre line, and a fill between them). At every
// pixel of the centre line's walk the straight cross-section is painted as a
// few short lines, each with its own raster operation, so that black, white,
// the pen colour or nothing lands in each band. The points each section
// leaves behind are kept in the context for the join and corner fans.
#include "engine/view/linestyle/line_style_internal.h"

#include <algorithm>
#include <cmath>

namespace linestyle {
namespace {

using DP = LineStyleDPoint;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

POINT plus(POINT p, POINT o) { return {p.x + o.x, p.y + o.y}; }
POINT minus(POINT p, POINT o) { return {p.x - o.x, p.y - o.y}; }

// Raster operations per style and phase: edge 1, fill, edge 2; 0 leaves the
// context's operation as it is. Join colours: 'c' the pen colour, 'w'
// white, 'b' black.
struct MultiLineRops {
    int edge1[2], fill[2], edge2[2];
    char join[2];
};
constexpr int K = R2_COPYPEN, B = R2_BLACK, W = R2_WHITE, N = R2_NOP;
// clang-format off
constexpr MultiLineRops kRops[12] = {
    /*62*/ {{0, 0}, {0, 0}, {0, 0}, {'c', 'c'}},
    /*63*/ {{0, 0}, {0, 0}, {0, 0}, {'c', 'c'}},
    /*64*/ {{B, B}, {K, K}, {B, B}, {'c', 'c'}},
    /*65*/ {{B, B}, {K, K}, {B, B}, {'c', 'c'}},
    /*66*/ {{0, 0}, {B, B}, {K, K}, {'b', 'b'}},
    /*67*/ {{K, K}, {K, W}, {K, K}, {'c', 'w'}},
    /*68*/ {{B, B}, {K, B}, {B, B}, {'c', 'b'}},
    /*69*/ {{B, B}, {K, W}, {B, B}, {'c', 'w'}},
    /*70*/ {{B, B}, {K, W}, {B, B}, {'c', 'w'}},
    /*71*/ {{K, K}, {W, B}, {K, K}, {'w', 'b'}},
    /*72*/ {{N, B}, {K, K}, {N, B}, {'c', 'c'}},
    /*73*/ {{N, K}, {W, W}, {N, K}, {'w', 'w'}},
};
// clang-format on

const MultiLineRops *ropsOf(const LineStyleContext *ctx)
{
    return ctx->style >= 62 && ctx->style <= 73 ? &kRops[ctx->style - 62] : nullptr;
}
int phase(const LineStyleContext *ctx) { return ctx->sideToggle & 1; }

// Round half away from zero.
double halfAway(double v) { return v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5); }

bool isWhole(double v) { return v == std::floor(v); }

// The first segment of an open figure (a lone segment included).
bool firstOpenSegment(const LineStyleContext *ctx)
{
    return (ctx->figure & kFigureOpen) && ctx->pointsLeft == ctx->pointCount - 1;
}

bool oneSide(const LineStyleContext *ctx) { return ctx->multiLineFlags & 0x01; }

// The offsets of the current segment's straight sections, kept from one
// pixel to the next while what they are made of stays the same.
MultiLineOffsetSet sectionOffsets(LineStyleContext *ctx, bool narrow)
{
    const LineSpanGeometry &g = ctx->geo;
    const double key[12] = {g.leftOffset.x,     g.leftOffset.y,          g.rightOffset.x,
                            g.rightOffset.y,    g.spanSigns.x,           g.spanSigns.y,
                            g.normalSigns.x,    g.normalSigns.y,         ctx->innerOffset.x,
                            ctx->innerOffset.y, double(ctx->cornerSide), narrow ? 1.0 : 0.0};
    if (ctx->sectionOffsetsValid && std::equal(key, key + 12, ctx->sectionKey)) {
        const POINT *v = ctx->sectionOffsets;
        return {v[0], v[1], v[2], v[3]};
    }
    const MultiLineOffsetSet o = MultiLineOffsets(ctx, g, g.normalSigns, narrow);
    std::copy(key, key + 12, ctx->sectionKey);
    ctx->sectionOffsets[0] = o.a;
    ctx->sectionOffsets[1] = o.b;
    ctx->sectionOffsets[2] = o.c;
    ctx->sectionOffsets[3] = o.d;
    ctx->sectionOffsetsValid = true;
    return o;
}

// The section points of the pixel, stored as the stamp stores them; draws
// when `draw` is set.
void section(LineStyleContext *ctx, int x, int y, bool draw)
{
    const bool ops = draw && ctx->parallelCount != 0;
    const COLORREF edge = MultiLineEdgeColor(ctx);
    const bool narrow = MultiLineNarrow(ctx);
    const int s = ctx->cornerSide ? 1 : -1;
    const DP n = ctx->geo.normalSigns;
    const DP e = ctx->innerOffset;
    const POINT P{x, y};
    if (ops)
        SetRop(ctx, MultiLineEdge1Rop(ctx));
    const MultiLineOffsetSet o = sectionOffsets(ctx, narrow);
    // The seed leaves out the opposite sides to the stamp's in one-side mode.
    const bool side1 =
        draw ? !(oneSide(ctx) && ctx->cornerSide == 1) : !(oneSide(ctx) && ctx->cornerSide == 0);
    POINT Bp{0, 0};
    if (side1) {
        const POINT A = plus(P, o.a);
        Bp = plus(P, o.b);
        ctx->lastInner = ctx->lastInnerCopy = Bp;
        ctx->lastEdge = A;
        if (draw) {
            DrawLine(ctx, Bp.x, Bp.y, A.x, A.y);
            PutColor(ctx, A.x, A.y, edge);
        }
    }
    if (narrow) {
        const POINT C1{x + s * Trunc(ctx->innerHalfOffset.x * n.x),
                       y + s * Trunc(ctx->innerHalfOffset.y * n.y)};
        if (draw && (ctx->parallelCount & 0x01) && side1) {
            SetRop(ctx, R2_COPYPEN);
            DrawLine(ctx, C1.x, C1.y, Bp.x, Bp.y);
            SetRop(ctx, R2_BLACK);
        }
        const POINT C2{C1.x - s * Trunc(e.x * n.x), C1.y - s * Trunc(e.y * n.y)};
        if (draw) {
            DrawLine(ctx, C2.x, C2.y, C1.x, C1.y);
            PutColor(ctx, C1.x, C1.y, edge);
        }
        // The seed leaves out the same side 2 as the stamp here.
        if (!(oneSide(ctx) && ctx->cornerSide == 1)) {
            const POINT D = minus(P, o.d), Cc = minus(P, o.c);
            if (draw && (ctx->parallelCount & 0x01)) {
                SetRop(ctx, R2_COPYPEN);
                DrawLine(ctx, D.x, D.y, C2.x, C2.y);
                SetRop(ctx, R2_BLACK);
            }
            if (ctx->patternWord & 0x2000) {
                ctx->patternWord &= uint16_t(~0x2000);
            } else if (draw) {
                DrawLine(ctx, D.x, D.y, Cc.x, Cc.y);
                PutColor(ctx, Cc.x, Cc.y, edge);
            }
        }
    } else {
        const POINT D = minus(P, o.d);
        if (ops) {
            SetRop(ctx, MultiLineFillRop(ctx));
            const bool joinPending = ctx->patternWord & 0x2000;
            if (!(joinPending && firstOpenSegment(ctx))) {
                if (joinPending && ctx->pointsLeft != ctx->pointCount - 1) {
                    // The join with the previous segment, from the point the
                    // last join left on its side.
                    POINT &S = ctx->cornerJoinSide == 1 ? ctx->lastEdge : ctx->lastInnerCopy;
                    if (!Adjacent(S, ctx->lastInner))
                        FanFill(ctx, S, ctx->lastInner, D, Fan::ToWSet, MultiLineJoinColor(ctx));
                }
                DrawLine(ctx, D.x, D.y, ctx->lastInner.x, ctx->lastInner.y);
            }
            SetRop(ctx, MultiLineEdge2Rop(ctx));
        }
        const bool side2 =
            draw ? !(oneSide(ctx) && ctx->cornerSide == 0) : !(oneSide(ctx) && ctx->cornerSide == 1);
        if (side2) {
            const POINT Cc = minus(P, o.c);
            if (ctx->patternWord & 0x2000) {
                ctx->patternWord &= uint16_t(~0x2000);
            } else {
                if (draw) {
                    DrawLine(ctx, D.x, D.y, Cc.x, Cc.y);
                    PutColor(ctx, Cc.x, Cc.y, edge);
                }
                ctx->lastOuter = Cc;
            }
            ctx->lastInner = plus(P, o.b);
        }
    }
    if (ops && ctx->style >= 64 && ctx->style <= 73)
        SetRop(ctx, R2_COPYPEN);
}

} // namespace

COLORREF MultiLineEdgeColor(const LineStyleContext *ctx)
{
    return (ctx->parallelCount & 0x02) ? kBlack : ctx->color;
}

COLORREF MultiLineJoinColor(const LineStyleContext *ctx)
{
    const MultiLineRops *r = ropsOf(ctx);
    switch (r ? r->join[phase(ctx)] : 'c') {
    case 'w':
        return kWhite;
    case 'b':
        return kBlack;
    default:
        return ctx->color;
    }
}

int MultiLineEdge1Rop(const LineStyleContext *ctx)
{
    const MultiLineRops *r = ropsOf(ctx);
    return r ? r->edge1[phase(ctx)] : 0;
}
int MultiLineFillRop(const LineStyleContext *ctx)
{
    const MultiLineRops *r = ropsOf(ctx);
    return r ? r->fill[phase(ctx)] : 0;
}
int MultiLineEdge2Rop(const LineStyleContext *ctx)
{
    const MultiLineRops *r = ropsOf(ctx);
    return r ? r->edge2[phase(ctx)] : 0;
}

MultiLineOffsetSet MultiLineOffsets(const LineStyleContext *ctx, const LineSpanGeometry &g, DP n, bool narrow)
{
    const double s = ctx->cornerSide ? 1 : -1;
    MultiLineOffsetSet o;
    auto axis = [&](double left, double right, double span, double ni, double ei, int &a, int &b, int &c,
                    int &d) {
        const double te = Trunc(ei);
        if (narrow) {
            a = c = Trunc(s * Trunc(right * ni));
            b = d = Trunc(s * Trunc((right - te) * ni));
            return;
        }
        const bool match = s * ni == span;
        const double L = match ? left : right, R = match ? right : left;
        double li = L - te, ri = R - te;
        if (match) {
            li = std::max(li, 0.0);
            ri = std::max(ri, 0.0);
        }
        a = Trunc(s * Trunc(L * ni));
        b = Trunc(s * Trunc(li * ni));
        c = Trunc(s * Trunc(R * ni));
        d = Trunc(s * Trunc(ri * ni));
    };
    axis(g.leftOffset.x, g.rightOffset.x, g.spanSigns.x, n.x, ctx->innerOffset.x, o.a.x, o.b.x, o.c.x, o.d.x);
    axis(g.leftOffset.y, g.rightOffset.y, g.spanSigns.y, n.y, ctx->innerOffset.y, o.a.y, o.b.y, o.c.y, o.d.y);
    return o;
}

double MultiLineBandWidth(const LineStyleContext *ctx, uint8_t family)
{
    return ctx->innerHalfWidth / ((family & 0x20) ? 6.0 : 4.0);
}

void MultiLineInnerOffset(LineStyleContext *ctx, LineSpanGeometry &g, uint8_t family)
{
    const double e = MultiLineBandWidth(ctx, family);
    ctx->cornerInnerOffset = e;
    const double L = g.segmentLength;
    DP v{0, 0};
    if (L <= 0) {
        g.endShiftX = g.endShiftY = 0;
    } else if (g.absDx == L) {
        g.endShiftX = e;
        g.endShiftY = 0;
        v = {0, e};
    } else if (g.absDy == L) {
        g.endShiftY = e;
        g.endShiftX = 0;
        v = {e, 0};
    } else {
        g.endShiftX = e * g.absDx / L;
        g.endShiftY = e * g.absDy / L;
        v = {e * g.absDy / L, e * g.absDx / L};
    }
    ctx->innerHalfOffset = {halfAway(v.x / 2), halfAway(v.y / 2)};
    FitVectorLength(e, v, false, g.endShiftX, g.endShiftY);
    ctx->innerOffset = v;
}

void FitVectorLength(double target, DP &v, bool shrinkLarger, double endShiftX, double endShiftY)
{
    const int T = Trunc(target);
    auto length = [&] {
        const double x = Trunc(v.x), y = Trunc(v.y);
        return int(std::floor(std::sqrt(x * x + y * y) + 0.5));
    };
    auto grow = [&] {
        double *c = v.x > v.y ? &v.x : v.y > v.x ? &v.y : (endShiftX < endShiftY ? &v.x : &v.y);
        *c = isWhole(*c) ? *c + 1 : std::ceil(*c);
    };
    auto shrink = [&] {
        double *c, *other;
        const bool xSmaller = v.x < v.y || (v.x == v.y && !(endShiftX < endShiftY));
        // The smaller component, or the larger one when asked.
        const bool pickX = shrinkLarger ? !xSmaller : xSmaller;
        c = pickX ? &v.x : &v.y;
        other = pickX ? &v.y : &v.x;
        if (*c < 1)
            std::swap(c, other);
        if (*c < 1)
            return false;
        *c -= 1;
        return true;
    };
    for (int round = 0; round < 8; ++round) {
        const int L = length();
        if (L == T)
            return;
        if (L < T) {
            for (int k = 0; k < T - L; ++k)
                grow();
        } else {
            for (int k = 0; k < L - T; ++k)
                if (!shrink())
                    return;
        }
    }
}

void FanFill(LineStyleContext *ctx, POINT &u, POINT v, POINT w, Fan mode, COLORREF color)
{
    // A stored point from far away (a section of another figure) is not
    // fanned from: the walk would sweep the picture.
    const int64_t reach = std::abs(int64_t(u.x) - v.x) + std::abs(int64_t(u.y) - v.y);
    if (reach > 4 * int64_t(ctx->width) + 64) {
        u = v;
        return;
    }
    auto draw = [&] {
        if (mode == Fan::FromW) {
            DrawLine(ctx, w.x, w.y, u.x, u.y);
        } else {
            DrawLine(ctx, u.x, u.y, w.x, w.y);
            if (mode == Fan::ToWSet)
                PutColor(ctx, w.x, w.y, color);
        }
    };
    while (u.x != v.x || u.y != v.y) {
        if (u.x != v.x) {
            u.x += v.x > u.x ? 1 : -1;
            draw();
        }
        if (u.y != v.y) {
            u.y += v.y > u.y ? 1 : -1;
            draw();
        }
    }
}

void MultiLineStamp(LineStyleContext *ctx, int x, int y) { section(ctx, x, y, true); }

void MultiLineSeedSection(LineStyleContext *ctx, int x, int y) { section(ctx, x, y, false); }

} // namespace linestyle

using namespace linestyle;

void MultiLineProcStraight(int x, int y, LineStyleContext *ctx)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        MultiLineStamp(ctx, ctx->penPos.x, y);
    MultiLineStamp(ctx, x, y);
    ctx->penPos = {x, y};
}

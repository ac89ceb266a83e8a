// Per-segment span geometry (sign patterns, fitted span offsets, end shifts,
// mark strokes) and the two kinds of line end of an open figure.
#include "engine/view/linestyle/line_style_internal.h"

#include <algorithm>
#include <cmath>

namespace linestyle {
namespace {

bool isWhole(double v) { return v == std::floor(v); }

struct Half {
    double *x, *y;
};

int spanPixelLength(const LineStyleDPoint &l, const LineStyleDPoint &r)
{
    const double lx = Trunc(l.x), ly = Trunc(l.y), rx = Trunc(r.x), ry = Trunc(r.y);
    return int(std::floor(std::sqrt(lx * lx + ly * ly) + std::sqrt(rx * rx + ry * ry) + 0.5));
}

// Adjusts the two halves of a span so that it covers target + 1 pixels.
void FitSpanOffsets(const LineSpanGeometry &g, double target, LineStyleDPoint &left, LineStyleDPoint &right)
{
    const int T = Trunc(target);
    auto grow = [&](LineStyleDPoint &h) {
        double *c;
        if (h.x > h.y)
            c = &h.x;
        else if (h.y > h.x)
            c = &h.y;
        else
            c = g.endShiftX < g.endShiftY ? &h.x : &h.y;
        *c = isWhole(*c) ? *c + 1 : std::ceil(*c);
    };
    auto shrink = [&](LineStyleDPoint &h) {
        double *c, *other;
        if (h.x > h.y || (h.x == h.y && g.endShiftX <= g.endShiftY)) {
            c = &h.x;
            other = &h.y;
        } else {
            c = &h.y;
            other = &h.x;
        }
        if (*c < 1)
            std::swap(c, other);
        if (*c < 1)
            return false;
        *c -= 1;
        return true;
    };
    for (int round = 0; round < 8; ++round) {
        const int L = spanPixelLength(left, right);
        if (L == T)
            return;
        if (L < T) {
            for (int k = 0; k < T - L; ++k)
                grow(k % 2 == 0 ? left : right);
        } else {
            for (int k = 0; k < L - T; ++k)
                if (!shrink(k % 2 == 0 ? right : left))
                    return;
        }
    }
}

void BalanceSpanHalves(LineSpanGeometry &g)
{
    auto mean = [](double a, double b) { return std::floor((a + b + 1) / 2); };
    if (std::fabs(g.leftOffset.y - g.rightOffset.y) > 1) {
        g.leftOffset.y = g.rightOffset.y = mean(g.leftOffset.y, g.rightOffset.y);
    } else if (std::fabs(g.leftOffset.x - g.rightOffset.x) > 1) {
        g.leftOffset.x = g.rightOffset.x = mean(g.leftOffset.x, g.rightOffset.x);
    } else if (std::fabs(g.leftOffset.y - g.rightOffset.y) > 0.5 &&
               std::fabs(g.leftOffset.x - g.rightOffset.x) > 0.5) {
        g.leftOffset = g.rightOffset;
    }
}

double sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

void markStroke(LineMarkStroke &m, double angle, double leftHalf, double rightHalf)
{
    constexpr double kPi = 3.141592653589;
    while (angle < 0)
        angle += 2 * kPi;
    while (angle >= 2 * kPi)
        angle -= 2 * kPi;
    if (angle < kPi / 2)
        m.signs = {1, 1};
    else if (angle < kPi)
        m.signs = {-1, 1};
    else if (angle < 3 * kPi / 2)
        m.signs = {-1, -1};
    else
        m.signs = {1, -1};
    const double c = std::cos(angle) * 1.4142135623730951, s = std::sin(angle) * 1.4142135623730951;
    m.left = {std::fabs(leftHalf * c), std::fabs(leftHalf * s)};
    m.right = {std::fabs(rightHalf * c), std::fabs(rightHalf * s)};
}

} // namespace

void LineSegmentGeometry(LineStyleContext *ctx, POINT a, POINT b, LineSpanGeometry &g, bool markToo)
{
    const int style = ctx->style;
    const uint8_t family = LineStyleFamilyFlags(style);
    const uint8_t markClass = LineStyleMarkClass(style);
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    g = LineSpanGeometry{};
    g.absDx = std::fabs(dx);
    g.absDy = std::fabs(dy);
    g.segmentLength = std::sqrt(g.absDx * g.absDx + g.absDy * g.absDy);
    if (g.segmentLength == 0)
        return;
    const double ux = g.absDx / g.segmentLength, uy = g.absDy / g.segmentLength;

    // Sign patterns: the span's depend on the slope only, the direction's and
    // the normal's (the left-hand side of the travel) on the travel too.
    if (dx == 0)
        g.spanSigns = {1, 0};
    else if (dy == 0)
        g.spanSigns = {0, -1};
    else
        g.spanSigns = {(dx > 0) == (dy > 0) ? 1.0 : -1.0, -1};
    g.directionSigns = {dx == 0 ? 0 : (dx > 0 ? 1.0 : -1.0), dy == 0 ? 0 : (dy > 0 ? 1.0 : -1.0)};
    if (dx == 0 && dy == 0)
        g.directionSigns = {0, 0};
    if (dx == 0)
        g.directionSigns.y = dy >= 0 ? 1 : -1;
    if (dy == 0)
        g.directionSigns.x = dx >= 0 ? 1 : -1;
    g.normalSigns = {sign(dy), -sign(dx)};
    g.innerSpanSigns = g.spanSigns;

    // End shift first: the fitting's tie-breaks read it.
    double s = (ctx->leftHalf + ctx->rightHalf) / 2;
    if (family == 16)
        s = ctx->innerHalfWidth / 4;
    else if (family == 32)
        s = ctx->innerHalfWidth / 6;
    g.endShiftX = s * ux;
    g.endShiftY = s * uy;

    g.leftOffset = {uy * ctx->leftHalf, ux * ctx->leftHalf};
    g.rightOffset = {uy * ctx->rightHalf, ux * ctx->rightHalf};
    if (family != 1) {
        g.innerLeftOffset = {uy * ctx->innerLeftHalf, ux * ctx->innerLeftHalf};
        g.innerRightOffset = {uy * ctx->innerRightHalf, ux * ctx->innerRightHalf};
    }
    if (family & 48) {
        FitSpanOffsets(g, ctx->width - 1, g.leftOffset, g.rightOffset);
        if (ctx->patternWord & 0x20)
            g.leftOffset = g.rightOffset;
        else
            BalanceSpanHalves(g);
    } else if (family == 1) {
        const double sum = ctx->leftHalf + ctx->rightHalf;
        FitSpanOffsets(g, sum >= 1 ? sum - 1 : sum, g.leftOffset, g.rightOffset);
    } else {
        const double sum = ctx->innerLeftHalf + ctx->innerRightHalf;
        FitSpanOffsets(g, sum >= 1 ? sum - 1 : sum, g.innerLeftOffset, g.innerRightOffset);
    }

    if (LineStyleHasSideMarks(style) && (ctx->requestedWidth == 3 || ctx->requestedWidth == 4)) {
        for (LineStyleDPoint *h : {&g.leftOffset, &g.rightOffset}) {
            const double nx = std::floor(h->x) + 1, ny = std::floor(h->y) + 1;
            if (nx - h->x < 0.21)
                h->x = nx;
            else if (ny - h->y < 0.21)
                h->y = ny;
        }
    }

    if (!markToo || markClass == 0)
        return;
    const double b0 = ctx->breaks[0];
    if (dy == 0) {
        ctx->arrowReachX = b0;
        ctx->arrowReachY = 0;
    } else if (dx == 0) {
        ctx->arrowReachX = 0;
        ctx->arrowReachY = b0;
    } else {
        ctx->arrowReachX = b0 * ux;
        ctx->arrowReachY = b0 * uy;
    }
    ctx->arrowReachX = std::max(ctx->arrowReachX, 1.0);
    ctx->arrowReachY = std::max(ctx->arrowReachY, 1.0);
    if (markClass == 2)
        ctx->patternWord = ctx->patternWordInit;
    const double angle = std::atan2(dy, dx); // screen angle, y down
    markStroke(ctx->markStrokeA, angle + 3.141592653589 / 4, ctx->leftHalf, ctx->rightHalf);
    markStroke(ctx->markStrokeB, angle - 3.141592653589 / 4, ctx->leftHalf, ctx->rightHalf);
}

LineStyleDPoint SideVector(const LineSpanGeometry &g, bool plus, bool inner)
{
    const double sx = SpanSignX(g), sy = SpanSignY(g);
    const LineStyleDPoint &lo = inner ? g.innerLeftOffset : g.leftOffset;
    const LineStyleDPoint &ro = inner ? g.innerRightOffset : g.rightOffset;
    // The span's left end lies on the left-hand side of a travel to the right
    // (or downwards when vertical); the normal's positive side is the
    // left-hand side of the actual travel.
    const bool canonical = g.directionSigns.x > 0 || (g.directionSigns.x == 0 && g.directionSigns.y > 0);
    const bool left = plus == canonical;
    return left ? LineStyleDPoint{sx * lo.x, sy * lo.y} : LineStyleDPoint{-sx * ro.x, -sy * ro.y};
}

POINT SideOffset(const LineSpanGeometry &g, bool plus)
{
    const double sx = SpanSignX(g), sy = SpanSignY(g);
    const bool canonical = g.directionSigns.x > 0 || (g.directionSigns.x == 0 && g.directionSigns.y > 0);
    const bool left = plus == canonical;
    return left ? POINT{Trunc(sx * g.leftOffset.x), Trunc(sy * g.leftOffset.y)}
                : POINT{-Trunc(sx * g.rightOffset.x), -Trunc(sy * g.rightOffset.y)};
}

POINT StepTowards(POINT p, POINT t, bool away)
{
    const int64_t dx = int64_t(t.x) - p.x, dy = int64_t(t.y) - p.y;
    int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    if (away) {
        sx = -sx;
        sy = -sy;
    }
    if (dx == 0 && dy == 0)
        return p;
    if (dx == 0)
        return {p.x, p.y + sy};
    if (dy == 0)
        return {p.x + sx, p.y};
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    if (2 * ady <= adx)
        return {p.x + sx, p.y};
    if (ady < 2 * adx)
        return {p.x + sx, p.y + sy};
    return {p.x, p.y + sy};
}

// ---- line ends ----

namespace {

POINT endShift(const LineStyleContext *ctx)
{
    const LineSpanGeometry &g = ctx->geo;
    return {Trunc(g.directionSigns.x * g.endShiftX), Trunc(g.directionSigns.y * g.endShiftY)};
}

// The square ends' shift: half a width along the segment (the end shift of
// the multi-line styles is their band thickness instead).
POINT squareShift(const LineStyleContext *ctx)
{
    if (!(ctx->shapeFlags & kShapeMultiLine))
        return endShift(ctx);
    const LineSpanGeometry &g = ctx->geo;
    const double s = ctx->width / 2.0;
    if (g.segmentLength <= 0)
        return {0, 0};
    return {Trunc(g.directionSigns.x * s * g.absDx / g.segmentLength),
            Trunc(g.directionSigns.y * s * g.absDy / g.segmentLength)};
}

void SelectCapSpans(LineStyleContext *ctx)
{
    ctx->spanProc = LineCapSpanFull;
    ctx->spanProcEx = LineCapSpanInner;
    switch (StyleSides(ctx->style)) {
    case Sides::FullFull:
        ctx->leftSideProc = ctx->rightSideProc = LineCapSpanFull;
        break;
    case Sides::PlusMinus:
        ctx->leftSideProc = LineCapSpanHalfPlus;
        ctx->rightSideProc = LineCapSpanHalfMinus;
        break;
    case Sides::MinusPlus:
        ctx->leftSideProc = LineCapSpanHalfMinus;
        ctx->rightSideProc = LineCapSpanHalfPlus;
        break;
    case Sides::None:
        break;
    }
    ctx->capSpanValid = false;
    ctx->capInnerValid = false;
}

void startCapWalk(LineStyleContext *ctx, POINT centre, POINT tip)
{
    ctx->capCentre = centre;
    ctx->capTip = {double(tip.x), double(tip.y)};
    const double dx = double(centre.x) - tip.x, dy = double(centre.y) - tip.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    const double k = len > 0 ? ctx->innerHalfWidth / len : 0;
    ctx->capInnerCentre = {tip.x + dx * k, tip.y + dy * k};
    SelectCapSpans(ctx);
}

} // namespace

void RestoreSpans(LineStyleContext *ctx)
{
    ctx->spanProc = LineSpanFull;
    ctx->spanProcEx = LineSpanInner;
    switch (StyleSides(ctx->style)) {
    case Sides::FullFull:
        ctx->leftSideProc = ctx->rightSideProc = LineSpanFull;
        break;
    case Sides::PlusMinus:
        ctx->leftSideProc = LineSpanHalfPlus;
        ctx->rightSideProc = LineSpanHalfMinus;
        break;
    case Sides::MinusPlus:
        ctx->leftSideProc = LineSpanHalfMinus;
        ctx->rightSideProc = LineSpanHalfPlus;
        break;
    case Sides::None:
        ctx->leftSideProc = ctx->rightSideProc = nullptr;
        break;
    }
}

// The start cap: the square start is applied when the first segment is
// prepared; the rounded one is drawn here, from the figure's first point.
void LineStartCap(LineStyleContext *ctx)
{
    ctx->capFlags &= ~0x10;
    const POINT first = ctx->figureStart;
    const POINT shift = endShift(ctx);
    const POINT tip{first.x - shift.x, first.y - shift.y};
    ctx->penPos = tip;
    ctx->capSide = 0;
    startCapWalk(ctx, first, tip);
    ctx->ddaStart = tip;
    LineDDA(tip.x, tip.y, first.x, first.y, ctx->lineProc, reinterpret_cast<LPARAM>(ctx));
    RestoreSpans(ctx);
}

void LineEndCap(LineStyleContext *ctx, POINT b)
{
    if (!(ctx->figure & kFigureOpen) || !ctx->lastSegment || !(ctx->shapeFlags & kShapeRoundEnds))
        return;
    if (ctx->shapeFlags & kShapeMultiLine) {
        MultiLineEndCap(ctx, b);
        return;
    }
    const POINT shift = endShift(ctx);
    const POINT tip{b.x + shift.x, b.y + shift.y};
    if (tip.x == b.x && tip.y == b.y)
        return;
    ctx->patternWord &= uint16_t(~0x20);
    const int16_t savedStep = ctx->step;
    const uint8_t savedToggle = ctx->sideToggle;
    ctx->penPos = b;
    ctx->capSide = 1;
    startCapWalk(ctx, b, tip);
    // The walk includes the tip, so that both caps are half discs of the
    // same size.
    const POINT past = StepTowards(tip, b, true);
    LineDDA(b.x, b.y, past.x, past.y, ctx->lineProc, reinterpret_cast<LPARAM>(ctx));
    RestoreSpans(ctx);
    ctx->step = savedStep;
    ctx->sideToggle = savedToggle;
}

void ApplySquareStart(LineStyleContext *ctx)
{
    const POINT shift = squareShift(ctx);
    ctx->segStart = {ctx->segStart.x - shift.x, ctx->segStart.y - shift.y};
}

void ApplySquareEnd(LineStyleContext *ctx)
{
    const POINT shift = squareShift(ctx);
    ctx->segEnd = {ctx->segEnd.x + shift.x, ctx->segEnd.y + shift.y};
}

double RoundEndFactor(LineStyleContext *ctx, int x, int y, int side)
{
    const double dx = double(x) - ctx->capCentre.x, dy = double(y) - ctx->capCentre.y;
    const double half2 = side == 0 ? ctx->leftHalfSquared : ctx->rightHalfSquared;
    if (half2 <= 1e-6)
        return 0;
    const double f = 1 - (dx * dx + dy * dy) / half2;
    return f > 0 ? std::sqrt(f) : 0;
}

namespace {

double RoundEndInnerFactor(LineStyleContext *ctx, int x, int y, int side)
{
    const LineStyleDPoint T = ctx->capTip, I = ctx->capInnerCentre;
    if (std::fabs(x - T.x) >= std::fabs(I.x - T.x) && std::fabs(y - T.y) >= std::fabs(I.y - T.y))
        return 1;
    const double half2 = side == 0 ? ctx->innerLeftHalfSquared : ctx->innerRightHalfSquared;
    if (half2 <= 1e-6)
        return 0;
    const double dx = x - I.x, dy = y - I.y;
    const double f = 1 - (dx * dx + dy * dy) / half2;
    return f > 0 ? std::sqrt(f) : 0;
}

// One span of a cap at (u, v) with the given factors, its ends joined to the
// previous span's ends so that the rounded edge has no gaps.
void capSpanAt(LineStyleContext *ctx, int u, int v, bool inner, double lf, double rf)
{
    const LineSpanGeometry &g = ctx->geo;
    const int sx = SpanSignX(g), sy = SpanSignY(g);
    const LineStyleDPoint &lo = inner ? g.innerLeftOffset : g.leftOffset;
    const LineStyleDPoint &ro = inner ? g.innerRightOffset : g.rightOffset;
    const POINT L{u + Trunc(sx * lo.x * lf), v + Trunc(sy * lo.y * lf)};
    const POINT R{u - Trunc(sx * ro.x * rf), v - Trunc(sy * ro.y * rf)};
    bool &valid = inner ? ctx->capInnerValid : ctx->capSpanValid;
    POINT &pl = inner ? ctx->capInnerLeftEnd : ctx->capLeftEnd;
    POINT &pr = inner ? ctx->capInnerRightEnd : ctx->capRightEnd;
    if (valid) {
        DrawStroke(ctx, pl.x, pl.y, L.x, L.y);
        DrawStroke(ctx, pr.x, pr.y, R.x, R.y);
    }
    DrawStroke(ctx, L.x, L.y, R.x, R.y);
    pl = L;
    pr = R;
    valid = true;
}

} // namespace

void LineCapSpanFull(int x, int y, LineStyleContext *ctx)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y) {
        const int u = ctx->penPos.x;
        capSpanAt(ctx, u, y, false, RoundEndFactor(ctx, u, y, 0), RoundEndFactor(ctx, u, y, 1));
    }
    capSpanAt(ctx, x, y, false, RoundEndFactor(ctx, x, y, 0), RoundEndFactor(ctx, x, y, 1));
    ctx->penPos = {x, y};
}

void LineCapSpanInner(int x, int y, LineStyleContext *ctx, uint8_t update)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y) {
        const int u = ctx->penPos.x;
        capSpanAt(ctx, u, y, true, RoundEndInnerFactor(ctx, u, y, 0), RoundEndInnerFactor(ctx, u, y, 1));
    }
    capSpanAt(ctx, x, y, true, RoundEndInnerFactor(ctx, x, y, 0), RoundEndInnerFactor(ctx, x, y, 1));
    if (update)
        ctx->penPos = {x, y};
}

namespace {

void capHalf(LineStyleContext *ctx, int x, int y, bool plus)
{
    auto at = [&](int u, int v) {
        const LineSpanGeometry &g = ctx->geo;
        const LineStyleDPoint n = g.normalSigns;
        const bool useRightX = n.x != g.spanSigns.x, useRightY = n.y != g.spanSigns.y;
        const double fx = (useRightX == plus) ? g.rightOffset.x * RoundEndFactor(ctx, u, v, 1)
                                              : g.leftOffset.x * RoundEndFactor(ctx, u, v, 0);
        const double fy = (useRightY == plus) ? g.rightOffset.y * RoundEndFactor(ctx, u, v, 1)
                                              : g.leftOffset.y * RoundEndFactor(ctx, u, v, 0);
        const int s = plus ? 1 : -1;
        DrawStroke(ctx, u, v, u + s * Trunc(fx * n.x), v + s * Trunc(fy * n.y));
    };
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        at(ctx->penPos.x, y);
    at(x, y);
    ctx->penPos = {x, y};
}

} // namespace

void LineCapSpanHalfPlus(int x, int y, LineStyleContext *ctx)
{
    capHalf(ctx, x, y, true);
    ctx->lastSideProc = LineCapSpanHalfPlus;
}

void LineCapSpanHalfMinus(int x, int y, LineStyleContext *ctx)
{
    capHalf(ctx, x, y, false);
    ctx->lastSideProc = LineCapSpanHalfMinus;
}

} // namespace linestyle

// The renderer's frame: the drawing entry points, the guard clipping, the
// walk of a figure segment by segment, and the span routines.
#include "engine/view/linestyle/line_style_internal.h"

#include "platform/dc.h"
#include "platform/gdi_objects.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace linestyle {
namespace {

bool samePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// The neighbours of a point in the figure, skipping repeated points and
// wrapping around a polygon; false at the ends of an open figure.
bool nextDistinct(const LineStyleContext *ctx, int index, POINT p, POINT *out)
{
    if (!ctx->points || index < 0)
        return false;
    const bool closed = ctx->figure & kFigureClosed;
    for (int k = 1; k < ctx->pointCount; ++k) {
        int j = index + k;
        if (j >= ctx->pointCount) {
            if (!closed)
                return false;
            j -= ctx->pointCount;
        }
        if (!samePoint(ctx->points[j], p)) {
            *out = ctx->points[j];
            return true;
        }
    }
    return false;
}

bool prevDistinct(const LineStyleContext *ctx, int index, POINT p, POINT *out)
{
    if (!ctx->points || index < 0)
        return false;
    for (int k = 1; k < ctx->pointCount; ++k) {
        int j = index - k;
        if (j < 0)
            j += ctx->pointCount;
        if (!samePoint(ctx->points[j], p)) {
            *out = ctx->points[j];
            return true;
        }
    }
    return false;
}

bool joinNeeded(const LineStyleContext *ctx)
{
    return ctx->shapeFlags & (kShapePolygonCorners | kShapeMultiLine);
}

// The solid one-pixel line (style 0 at width 1): the same pixels, steps and
// positions as LineProcSolid with LineSpanFull give, without a call per
// pixel.
bool fastSolidWalk(LineStyleContext *ctx, POINT from, POINT to)
{
    const LineSpanGeometry &g = ctx->geo;
    if (ctx->lineProc != LineProcSolid || ctx->spanProc != LineSpanFull || (ctx->patternWord & 0x30) ||
        Trunc(g.leftOffset.x) || Trunc(g.leftOffset.y) || Trunc(g.rightOffset.x) || Trunc(g.rightOffset.y) ||
        !ctx->surface)
        return false;
    gdi::DeviceContext *dc = ctx->surface;
    const uint32_t px = ctx->pixel;
    int step = ctx->step;
    POINT pen = ctx->penPos, last = ctx->ddaStart;
    bool any = false;
    WalkLineDDA(from.x, from.y, to.x, to.y, [&](int x, int y) {
        if (int16_t(step) == 0)
            pen = {x, y};
        if (pen.x != x && pen.y != y)
            dc->Put(pen.x, y, px);
        dc->Put(x, y, px);
        pen = last = {x, y};
        ++step;
        any = true;
    });
    ctx->step = int16_t(step);
    if (any) {
        ctx->penPos = pen;
        ctx->ddaStart = last;
    }
    return true;
}

void walk(LineStyleContext *ctx, POINT from, POINT to)
{
    if (!fastSolidWalk(ctx, from, to))
        LineDDA(from.x, from.y, to.x, to.y, ctx->lineProc, reinterpret_cast<LPARAM>(ctx));
}

// One segment of the current figure, from A to B; indexA and indexB are
// their places in the figure's points (-1 for a lone segment).
void drawSegment(LineStyleContext *ctx, POINT a, POINT b, int indexA, int indexB)
{
    if (ctx->requestedWidth == 0 || samePoint(a, b) || !ctx->surface)
        return;
    LineSegmentGeometry(ctx, a, b, ctx->geo, true);
    const uint8_t family = LineStyleFamilyFlags(ctx->style);
    const bool multiLine = family & 48;
    if (multiLine) {
        if (!((ctx->figure & kFigureOpen) && (ctx->figure & (kFigureFirstOpen | kFigureFirstClosed))))
            ctx->patternWord |= 0x2000;
        ctx->cornerState = 0;
        ctx->cornerPhaseValid = 0;
        MultiLineInnerOffset(ctx, ctx->geo, family);
    }
    ctx->segStart = a;
    ctx->segEnd = b;

    POINT c{0, 0};
    const bool hasNext = !(ctx->figure & kFigureLone) && nextDistinct(ctx, indexB, b, &c);
    ctx->lastSegment = (ctx->figure & kFigureOpen) && !hasNext;
    ctx->cornerPending = hasNext;
    ctx->cornerNext = c;
    const int pointsLeft = ctx->pointsLeft;
    if (ctx->lastSegment)
        ctx->pointsLeft = 1;

    if (ctx->figure & (kFigureFirstOpen | kFigureFirstClosed)) {
        PrepareSegmentEnds(ctx, a, b, true, indexA);
        ctx->prevSpanGeometry = ctx->geo;
        if (!(ctx->figure & kFigureLone))
            ctx->figure &= uint8_t(~(kFigureFirstOpen | kFigureFirstClosed));
    } else {
        if (joinNeeded(ctx))
            ctx->segStart = ctx->nextStart;
        ctx->prevSpanGeometry = ctx->geo;
    }
    PrepareSegmentEnds(ctx, a, b, false, indexA);

    ctx->ddaEnd = StepTowards(ctx->segEnd, a, true);
    ctx->penPos = {ctx->segStart.x + (ctx->segEnd.x - ctx->ddaEnd.x),
                   ctx->segStart.y + (ctx->segEnd.y - ctx->ddaEnd.y)};
    if (multiLine) {
        MultiLineCornerSetup(ctx, ctx->geo.normalSigns, a, b, ctx->penPos, false);
        // Trimmed past its own end by the corners: nothing of it is walked.
        if (samePoint(ctx->penPos, ctx->ddaEnd)) {
            ctx->pointsLeft = pointsLeft;
            return;
        }
    }
    ctx->ddaStart = ctx->penPos;
    walk(ctx, ctx->penPos, ctx->ddaEnd);
    LineStyleFinishSegment(ctx, a, b);
    ctx->pointsLeft = pointsLeft;
}

// ---- guard clipping ----

// Every figure is clipped to this square before it is walked, whatever the
// caller clipped: a walk stays bounded, and the 16-bit coordinates of the
// pattern callbacks never wrap, even with the widest line's corners.
int guardFor(const LineStyleContext *ctx) { return 32000 - 7 * std::min(ctx->width, kMaxWidth); }

bool inside(POINT p, int g) { return p.x >= -g && p.x <= g && p.y >= -g && p.y <= g; }

// Liang-Barsky; t0 and t1 tell whether each end was moved.
bool clipSegment(POINT a, POINT b, int g, POINT *ca, POINT *cb, bool *movedA, bool *movedB)
{
    const double x0 = a.x, y0 = a.y, dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    double t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, x0 + g) || !edge(dx, g - x0) || !edge(-dy, y0 + g) || !edge(dy, g - y0))
        return false;
    auto at = [&](double t) {
        return POINT{int(std::lround(std::clamp(x0 + t * dx, -double(g), double(g)))),
                     int(std::lround(std::clamp(y0 + t * dy, -double(g), double(g))))};
    };
    *movedA = t0 > 0;
    *movedB = t1 < 1;
    *ca = *movedA ? at(t0) : a;
    *cb = *movedB ? at(t1) : b;
    return true;
}

// Sutherland-Hodgman against the guard square.
std::vector<POINT> clipRing(const POINT *points, int count, int g)
{
    std::vector<LineStyleDPoint> ring;
    for (int i = 0; i < count; ++i)
        ring.push_back({double(points[i].x), double(points[i].y)});
    for (int side = 0; side < 4 && !ring.empty(); ++side) {
        auto in = [&](const LineStyleDPoint &p) {
            switch (side) {
            case 0:
                return p.x >= -g;
            case 1:
                return p.x <= g;
            case 2:
                return p.y >= -g;
            default:
                return p.y <= g;
            }
        };
        auto cross = [&](const LineStyleDPoint &p, const LineStyleDPoint &q) {
            const double bound = (side == 0 || side == 2) ? -g : g;
            const double t = side < 2 ? (bound - p.x) / (q.x - p.x) : (bound - p.y) / (q.y - p.y);
            return LineStyleDPoint{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
        };
        std::vector<LineStyleDPoint> out;
        for (size_t i = 0; i < ring.size(); ++i) {
            const LineStyleDPoint &p = ring[i], &q = ring[(i + 1) % ring.size()];
            if (in(p)) {
                out.push_back(p);
                if (!in(q))
                    out.push_back(cross(p, q));
            } else if (in(q)) {
                out.push_back(cross(p, q));
            }
        }
        ring.swap(out);
    }
    std::vector<POINT> result;
    for (const auto &p : ring)
        result.push_back({int(std::lround(p.x)), int(std::lround(p.y))});
    return result;
}

bool beginDraw(LineStyleContext *ctx, HDC dc)
{
    ctx->drawDC = dc;
    ctx->surface = gdi::FindDC(dc);
    if (ctx->surface && !ctx->surface->Begin())
        ctx->surface = nullptr;
    ctx->pixel = gdi::ToPixel(ctx->color);
    return ctx->surface != nullptr;
}

void drawPolylineRaw(LineStyleContext *ctx, const POINT *points, int count)
{
    ctx->pointCount = count;
    ctx->points = points;
    ctx->figure = kFigurePolyline;
    for (int i = 1; i < count; ++i) {
        ctx->pointsLeft = count - i;
        ctx->segmentIndex = i;
        drawSegment(ctx, points[i - 1], points[i], i - 1, i);
    }
    ctx->pointsLeft = 0;
}

} // namespace

namespace {

void pendingStartCap(LineStyleContext *ctx)
{
    if ((ctx->capFlags & 0x10) && (ctx->shapeFlags & kShapeRoundEnds)) {
        if (ctx->shapeFlags & kShapeMultiLine)
            MultiLineStartCap(ctx);
        else
            LineStartCap(ctx);
    }
    ctx->capFlags &= ~0x10;
}

} // namespace

void PrepareSegmentEnds(LineStyleContext *ctx, POINT a, POINT b, bool startPhase, int indexA)
{
    const bool join = joinNeeded(ctx);
    if (startPhase) {
        if ((ctx->figure & (kFigureClosed | kFigureFirstClosed)) == (kFigureClosed | kFigureFirstClosed)) {
            // The corner at a polygon's first point, joined after the closing
            // segment: the first segment starts where that corner leaves it.
            POINT p;
            if (prevDistinct(ctx, indexA, a, &p)) {
                LineSpanGeometry closing;
                LineSegmentGeometry(ctx, p, a, closing, false);
                // The corner at B, prepared next, keeps its own neighbours.
                const POINT prev = ctx->cornerPrev, end = ctx->cornerEnd, next = ctx->cornerNext;
                CornerGeometry cg;
                ComputeCorner(ctx, p, a, b, closing, ctx->geo, join, &cg);
                if (join && !cg.tooShort)
                    ctx->segStart = cg.nextStart;
                ctx->cornerPrev = prev;
                ctx->cornerEnd = end;
                ctx->cornerNext = next;
            }
            return;
        }
        if ((ctx->figure & (kFigureOpen | kFigureFirstOpen)) == (kFigureOpen | kFigureFirstOpen)) {
            ctx->figureStart = a;
            if (ctx->shapeFlags & kShapeRoundEnds)
                ctx->capFlags |= 0x10;
            else if (ctx->shapeFlags & kShapeSquareEnds)
                ApplySquareStart(ctx);
        }
        return;
    }
    if (ctx->cornerPending) {
        LineSegmentGeometry(ctx, b, ctx->cornerNext, ctx->nextGeo, false);
        CornerGeometry cg;
        ComputeCorner(ctx, a, b, ctx->cornerNext, ctx->geo, ctx->nextGeo, join, &cg);
        if (join) {
            if (cg.tooShort)
                ctx->shapeFlags |= kShapeTooShort;
            ctx->segEnd = cg.segEnd;
            ctx->nextStart = cg.nextStart;
        } else {
            ctx->nextStart = b;
        }
        if (ctx->shapeFlags & kShapeMultiLine) {
            // One-side mode: a segment too short for its corner after an
            // outer corner, and shorter than the line is wide.
            if (cg.tooShort && (ctx->multiLineFlags & 0x80) && Trunc(ctx->geo.segmentLength) < ctx->width)
                ctx->multiLineFlags |= 0x01;
            else
                ctx->multiLineFlags &= uint16_t(~0x01);
        }
        pendingStartCap(ctx);
        return;
    }
    if (!ctx->lastSegment)
        return;
    pendingStartCap(ctx);
    if (ctx->shapeFlags & kShapeSquareEnds)
        ApplySquareEnd(ctx);
    if (LineStyleMarkClass(ctx->style) == 4 && (ctx->shapeFlags & kShapeRoundEnds))
        ctx->patternWord |= 0x20;
}

} // namespace linestyle

using namespace linestyle;

void LineStyleDrawSegment(LineStyleContext *ctx, const POINT *start, const POINT *end, HDC dc)
{
    if (!start || !end || !beginDraw(ctx, dc) || ctx->requestedWidth == 0)
        return;
    POINT a = *start, b = *end;
    const int g = guardFor(ctx);
    if (!inside(a, g) || !inside(b, g)) {
        bool ma, mb;
        if (!clipSegment(*start, *end, g, &a, &b, &ma, &mb))
            return;
    }
    ctx->points = nullptr;
    ctx->pointsLeft = 1;
    ctx->pointCount = 2;
    ctx->figure = kFigureSegment;
    drawSegment(ctx, a, b, -1, -1);
    ctx->surface = nullptr;
}

int LineStyleDrawPolyline(LineStyleContext *ctx, const POINT *points, int count, HDC dc)
{
    if (!points)
        return 0;
    if (!beginDraw(ctx, dc) || ctx->requestedWidth == 0 || count < 2)
        return 1;
    const int g = guardFor(ctx);
    if (std::all_of(points, points + count, [&](POINT p) { return inside(p, g); })) {
        drawPolylineRaw(ctx, points, count);
    } else {
        // The visible runs, each drawn as a polyline of its own; the pattern
        // runs on from one to the next.
        std::vector<POINT> run;
        auto flush = [&] {
            if (run.size() >= 2)
                drawPolylineRaw(ctx, run.data(), int(run.size()));
            run.clear();
        };
        for (int i = 1; i < count; ++i) {
            POINT a, b;
            bool ma, mb;
            if (!clipSegment(points[i - 1], points[i], g, &a, &b, &ma, &mb)) {
                flush();
                continue;
            }
            if (run.empty() || ma || !samePoint(run.back(), a)) {
                flush();
                run.push_back(a);
            }
            run.push_back(b);
            if (mb)
                flush();
        }
        flush();
    }
    ctx->points = nullptr;
    ctx->surface = nullptr;
    return 1;
}

int LineStyleDrawPolygon(LineStyleContext *ctx, HBRUSH fill, const POINT *points, int count, HDC dc)
{
    if (!points)
        return 0;
    if (!beginDraw(ctx, dc) || count < 1)
        return 1;
    const int g = guardFor(ctx);
    std::vector<POINT> clipped;
    if (!std::all_of(points, points + count, [&](POINT p) { return inside(p, g); })) {
        clipped = clipRing(points, count, g);
        points = clipped.data();
        count = int(clipped.size());
        if (count < 1) {
            ctx->surface = nullptr;
            return 1;
        }
    }
    if (fill) {
        const HGDIOBJ oldBrush = SelectObject(dc, fill);
        const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Polygon(dc, points, count);
        if (oldBrush)
            SelectObject(dc, oldBrush);
        if (oldPen)
            SelectObject(dc, oldPen);
        ctx->surface->Begin();
    }
    if (ctx->requestedWidth != 0) {
        ctx->pointCount = count;
        ctx->points = points;
        ctx->figure = kFigurePolygon;
        for (int i = 1; i < count; ++i) {
            ctx->pointsLeft = count - i;
            drawSegment(ctx, points[i - 1], points[i], i - 1, i);
        }
        ctx->pointsLeft = 0;
        drawSegment(ctx, points[count - 1], points[0], count - 1, 0);
    }
    ctx->points = nullptr;
    ctx->surface = nullptr;
    return 1;
}

int LineStyleDrawRect(LineStyleContext *ctx, HDC dc, int left, int top, int right, int bottom)
{
    const POINT corners[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    LineStyleDrawPolygon(ctx, 0, corners, 4, dc);
    return 1;
}

// ---- span routines ----

namespace {

void fullSpanAt(LineStyleContext *ctx, int u, int v)
{
    const LineSpanGeometry &g = ctx->geo;
    const SpanEnds e = CrossSpanEnds(g, u, v, g.leftOffset, g.rightOffset);
    DrawStroke(ctx, e.x0, e.y0, e.x1, e.y1);
}

void innerSpanAt(LineStyleContext *ctx, int u, int v)
{
    const LineSpanGeometry &g = ctx->geo;
    const SpanEnds e = CrossSpanEnds(g, u, v, g.innerLeftOffset, g.innerRightOffset);
    DrawStroke(ctx, e.x0, e.y0, e.x1, e.y1);
    ctx->innerSpanStart = {double(e.x0), double(e.y0)};
    ctx->innerSpanEnd = {double(e.x1), double(e.y1)};
    ctx->innerSpanValid = true;
}

void halfSpanAt(LineStyleContext *ctx, int u, int v, bool plus)
{
    const LineSpanGeometry &g = ctx->geo;
    const LineStyleDPoint n = g.normalSigns;
    // The plus side uses the half that lies on the normal's side; the minus
    // side the other one.
    const bool rightX = (n.x != g.spanSigns.x) == plus, rightY = (n.y != g.spanSigns.y) == plus;
    const double f = rightX ? g.rightOffset.x : g.leftOffset.x;
    const double h = rightY ? g.rightOffset.y : g.leftOffset.y;
    if (plus)
        DrawStroke(ctx, u + Trunc(f * n.x), v + Trunc(h * n.y), u, v);
    else
        DrawStroke(ctx, u, v, u - Trunc(f * n.x), v - Trunc(h * n.y));
}

} // namespace

void LineSpanFull(int x, int y, LineStyleContext *ctx)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        fullSpanAt(ctx, ctx->penPos.x, y);
    fullSpanAt(ctx, x, y);
    ctx->penPos = {x, y};
}

void LineSpanInner(int x, int y, LineStyleContext *ctx, uint8_t update)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        innerSpanAt(ctx, ctx->penPos.x, y);
    innerSpanAt(ctx, x, y);
    if (update)
        ctx->penPos = {x, y};
}

void LineSpanHalfPlus(int x, int y, LineStyleContext *ctx)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        halfSpanAt(ctx, ctx->penPos.x, y, true);
    halfSpanAt(ctx, x, y, true);
    ctx->penPos = {x, y};
    ctx->lastSideProc = LineSpanHalfPlus;
}

void LineSpanHalfMinus(int x, int y, LineStyleContext *ctx)
{
    if (ctx->penPos.x != x && ctx->penPos.y != y)
        halfSpanAt(ctx, ctx->penPos.x, y, false);
    halfSpanAt(ctx, x, y, false);
    ctx->penPos = {x, y};
    ctx->lastSideProc = LineSpanHalfMinus;
}

// The pattern callbacks: at every pixel of a segment's walk they decide from
// the context's step whether the pixel lies in a dash, a gap, a stroke
// across the line, a mark or a disc, draw that through the context's span
// routines, and advance the step. The step lives in the context, so the
// phase runs on across segments and corners.
#include "engine/view/linestyle/line_style_internal.h"

namespace linestyle {
namespace {

LineStyleContext *C(LPARAM data) { return reinterpret_cast<LineStyleContext *>(data); }

// The callbacks declared with 16-bit coordinates use their low 16 bits.
int low16(int v) { return int16_t(uint16_t(v)); }

bool cornerPass(const LineStyleContext *c) { return c->shapeFlags & kShapeCornerPass; }

// Starts a new piece: the next span does not bridge from the last one.
void restart(LineStyleContext *c, int x, int y)
{
    const uint16_t f = c->shapeFlags;
    if ((f & kShapeCornerPass) && (f & kShapePolygonCorners) && (f & kShapePairToggle))
        return;
    c->penPos = {x, y};
}

void anchor(LineStyleContext *c, int x, int y)
{
    const uint16_t f = c->shapeFlags;
    if (!(f & kShapeCornerPass))
        return;
    if (!(f & kShapePolygonCorners))
        TickAnchorFromStart(c, x, y);
    else if (!(f & kShapePairToggle))
        TickAnchorClipped(c, x, y);
}

// A dash or stroke that begins here: the tick anchor and the pen both start
// at it.
void startAt(LineStyleContext *c, int x, int y)
{
    anchor(c, x, y);
    restart(c, x, y);
}

void mark(LineStyleContext *c, int x, int y, int finish)
{
    MarkProc(c, x, y);
    MarkFinishAtSegEnd(c, x, y, finish);
}

// In a polygonal corner pass the step moves on every second call only.
void pairedAdvance(LineStyleContext *c, int x, int y)
{
    uint16_t &f = c->shapeFlags;
    if ((f & kShapeCornerPass) && !(f & kShapeRoundCorners)) {
        if (!(f & kShapePairToggle)) {
            f |= kShapePairToggle;
            c->ddaStart = {x, y};
            return;
        }
        if (c->period == 0)
            return;
        f &= uint16_t(~kShapePairToggle);
    }
    if (c->period != 0) {
        c->step = int16_t((c->step + 1) % c->period);
        c->ddaStart = {x, y};
    }
}

void markAdvance(LineStyleContext *c, int x, int y)
{
    if (cornerPass(c))
        c->ddaStart = {x, y};
    else
        pairedAdvance(c, x, y);
}

void countAdvance(LineStyleContext *c, int x, int y)
{
    c->step = int16_t(c->step + 1);
    c->ddaStart = {x, y};
}

// The end of a side-stroke window: in the corner pass the step moves on this
// very pixel.
void windowEnd(LineStyleContext *c)
{
    if (cornerPass(c))
        c->shapeFlags |= kShapePairToggle;
}

void side(LineStyleContext *c, LineSpanProc proc, int x, int y, bool first)
{
    if (!proc)
        return;
    if (first)
        SideMarkBegin(c, x, y, proc);
    proc(x, y, c);
}

void disc(LineStyleContext *c, int x, int y)
{
    if (cornerPass(c))
        MidpointWithEdge(c, &x, &y);
    if (c->surface) {
        Ellipse(c->drawDC, x - c->ellipseRadius, y - c->ellipseRadius, x + c->ellipseRest,
                y + c->ellipseRest);
        c->surface->Begin();
    }
    c->ddaStart = {x, y};
}

// Which side routine the stroke windows of a style take in turn.
enum class SideCycle { Four, Two, LeftOnly };

LineSpanProc sideProc(const LineStyleContext *c, SideCycle cycle)
{
    switch (cycle) {
    case SideCycle::Four:
        return c->sideToggle <= 1 ? c->leftSideProc : c->rightSideProc;
    case SideCycle::Two:
        return c->sideToggle == 0 ? c->rightSideProc : c->leftSideProc;
    case SideCycle::LeftOnly:
        break;
    }
    return c->leftSideProc;
}

void nextSide(LineStyleContext *c, SideCycle cycle)
{
    if (cycle == SideCycle::Four)
        c->sideToggle = uint8_t((c->sideToggle + 1) % 4);
    else if (cycle == SideCycle::Two)
        c->sideToggle ^= 1; // only the low bit: other styles may leave 2 or 3
}

// One stroke window (lo, hi): the cross stroke with its side routine, the
// side moving on at the window's last pixel.
bool strokeWindow(LineStyleContext *c, int s, int lo, int hi, int x, int y, SideCycle cycle,
                  bool withAnchor = true)
{
    if (!(lo < s && s < hi))
        return false;
    const bool first = s == lo + 1;
    if (first && withAnchor)
        anchor(c, x, y);
    // The one-sided window moves the pen before the cross stroke, the cycling
    // ones after it.
    if (first && cycle == SideCycle::LeftOnly)
        restart(c, x, y);
    c->spanProcEx(x, y, c, 0);
    if (first && cycle != SideCycle::LeftOnly)
        restart(c, x, y);
    side(c, sideProc(c, cycle), x, y, first);
    if (s == hi - 1) {
        nextSide(c, cycle);
        windowEnd(c);
    }
    return true;
}

void baseLine(LineStyleContext *c, int s, int x, int y)
{
    if (s == 0) {
        startAt(c, x, y);
    }
    c->spanProcEx(x, y, c, 1);
}

} // namespace
} // namespace linestyle

using namespace linestyle;

void LineProcSolid(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    if (c->step == 0)
        restart(c, x, y);
    if ((c->patternWord & 0x30) && c->width <= 1) {
        PutPixel(c, x, y);
        c->penPos = {x, y};
    } else {
        c->spanProc(x, y, c);
    }
    countAdvance(c, x, y);
}

void LineProcOneInterval(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    const int s = c->step;
    if (s == 0)
        restart(c, x, y);
    if (s < c->breaks[0])
        c->spanProc(x, y, c);
    pairedAdvance(c, x, y);
}

namespace {

// The dashes of the plain styles: [0, b0) and the windows (b1, b2), (b3, b4),
// (b5, b6), as many as the style has.
void intervals(LineStyleContext *c, int x, int y, int windows)
{
    const int s = c->step;
    const int16_t *b = c->breaks;
    bool on = s < b[0];
    if (s == 0)
        restart(c, x, y);
    for (int w = 0; w < windows; ++w) {
        const int lo = b[1 + 2 * w], hi = b[2 + 2 * w];
        if (s == lo + 1)
            restart(c, x, y);
        if (lo < s && s < hi)
            on = true;
    }
    if (on)
        c->spanProc(x, y, c);
    pairedAdvance(c, x, y);
}

} // namespace

void LineProcTwoInterval(int x, int y, LPARAM data) { intervals(C(data), x, y, 1); }
void LineProcThreeInterval(int x, int y, LPARAM data) { intervals(C(data), x, y, 2); }
void LineProcFourInterval(int x, int y, LPARAM data) { intervals(C(data), x, y, 3); }

namespace {

// The side-stroke styles: one or two stroke windows, the line itself
// between them; a dashed line ends at the break after the last window.
struct StrokedStyle {
    int windows;
    SideCycle cycle;
    bool anchorWindows;
    bool dashedLine;
};

void strokedLine(LineStyleContext *c, int x, int y, const StrokedStyle &style)
{
    x = low16(x);
    y = low16(y);
    const int s = c->step;
    const int16_t *b = c->breaks;
    bool inWindow = false;
    for (int w = 0; w < style.windows && !inWindow; ++w)
        inWindow = strokeWindow(c, s, b[2 * w], b[2 * w + 1], x, y, style.cycle, style.anchorWindows);
    if (!inWindow) {
        if (!style.dashedLine)
            c->spanProcEx(x, y, c, 1);
        else if (s < b[2 * style.windows])
            baseLine(c, s, x, y);
    }
    pairedAdvance(c, x, y);
}

} // namespace

void LineProcLVOne(int x, int y, LPARAM data)
{
    strokedLine(C(data), x, y, {1, SideCycle::Two, true, false});
}

void LineProcLVl2(int x, int y, LPARAM data)
{
    strokedLine(C(data), x, y, {2, SideCycle::Four, true, false});
}

void LineProcLlVl(int x, int y, LPARAM data) { strokedLine(C(data), x, y, {1, SideCycle::Two, true, true}); }

void LineProcIntervalPerpendTwo(int x, int y, LPARAM data)
{
    strokedLine(C(data), x, y, {2, SideCycle::Four, false, true});
}

void LineProcLV(int x, int y, LPARAM data)
{
    strokedLine(C(data), x, y, {1, SideCycle::LeftOnly, true, false});
}

void LineProcLlVDouble(int x, int y, LPARAM data)
{
    strokedLine(C(data), x, y, {2, SideCycle::LeftOnly, true, true});
}

void LineProcPerpendOnly(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    x = low16(x);
    y = low16(y);
    const int s = c->step;
    if (c->breaks[0] < s && s < c->breaks[1]) {
        if (s == c->breaks[0] + 1)
            restart(c, x, y);
        c->spanProc(x, y, c);
    }
    pairedAdvance(c, x, y);
}

void LineProcLsVOne(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    x = low16(x);
    y = low16(y);
    const int s = c->step;
    if (s == 0) {
        startAt(c, x, y);
    }
    if (c->breaks[0] < s && s < c->breaks[1]) {
        c->spanProcEx(x, y, c, 0);
        c->spanProc(x, y, c);
    } else if (s < c->breaks[2]) {
        c->spanProcEx(x, y, c, 1);
    }
    pairedAdvance(c, x, y);
}

void LineProcLlPlus(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    x = low16(x);
    y = low16(y);
    const int s = c->step;
    if (s < c->breaks[0] || (c->markStart <= s && s <= c->markInnerStart) ||
        (c->markInnerEnd < s && s <= c->markEnd)) {
        if (s == 0 || s == c->markStart) {
            startAt(c, x, y);
        }
        c->spanProcEx(x, y, c, 1);
    }
    if (c->markInnerStart <= s && s <= c->markInnerEnd)
        c->spanProc(x, y, c);
    pairedAdvance(c, x, y);
}

void LineProcLsEllipse(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    const int s = c->step;
    const int16_t *b = c->breaks;
    if (c->ellipseSize == 5) {
        c->spanProcEx(x, y, c, 1);
    } else {
        for (int w = 0; w < c->ellipseSize && w < 4; ++w) {
            const int lo = b[1 + 2 * w], hi = b[2 + 2 * w];
            if (lo < s && s < hi) {
                if (s == lo + 1) {
                    startAt(c, x, y);
                }
                c->spanProcEx(x, y, c, 1);
            }
        }
    }
    if (s == b[0])
        disc(c, x, y);
    pairedAdvance(c, x, y);
}

void LineProcSolidEllipse(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    const int s = c->step;
    if (s == 0) {
        startAt(c, x, y);
    }
    c->spanProcEx(x, y, c, 1);
    if (s == c->breaks[0] && (c->figure & kFigureOpen))
        disc(c, x, y);
    countAdvance(c, x, y);
}

void LineProcLCrossArrow(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    x = low16(x);
    y = low16(y);
    const int s = c->step;
    const bool pass = cornerPass(c);
    if (c->markInnerStart <= s && s <= c->markInnerEnd) {
        if (s == c->markInnerStart) {
            anchor(c, x, y);
            if (!(c->patternWord & 0x01))
                restart(c, x, y);
        }
        if (c->patternWord & 0x01) {
            const bool update =
                (c->patternWord & 0x02) && (pass || (c->sideToggle != 1 && c->sideToggle != 3));
            c->spanProcEx(x, y, c, update ? 1 : 0);
        }
        if (!(c->patternWord & 0x02)) {
            if (!pass) {
                mark(c, x, y, -1);
            }
        } else {
            const uint16_t base = c->patternWord & 0x01;
            if (c->sideToggle == 1) {
                c->patternWord = base | 0x0A;
                if (!pass) {
                    mark(c, x, y, 3);
                }
                if (s == c->markInnerEnd)
                    c->sideToggle = 3;
            } else if (c->sideToggle == 3) {
                c->patternWord = base | 0x06;
                if (!pass) {
                    mark(c, x, y, 0);
                }
                if (s == c->markInnerEnd)
                    c->sideToggle = 0;
            } else if (s == c->markInnerEnd) {
                c->sideToggle = 1;
            }
        }
    } else if (c->patternWord & 0x01) {
        c->spanProcEx(x, y, c, 1);
    }
    markAdvance(c, x, y);
}

void LineProcLlCross(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    x = low16(x);
    y = low16(y);
    const int s = c->step;
    if (s < c->breaks[0])
        baseLine(c, s, x, y);
    if (c->markInnerStart <= s && s <= c->markInnerEnd) {
        if (s == c->markInnerStart)
            restart(c, x, y);
        if (!cornerPass(c)) {
            mark(c, x, y, -1);
        }
    }
    markAdvance(c, x, y);
}

void LineProcSolidArrow(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    const int s = c->step;
    const bool pass = cornerPass(c);
    const bool open = c->figure & kFigureOpen;
    const int b0 = c->breaks[0];
    if (s == 0) {
        startAt(c, x, y);
    }
    if ((c->patternWord & 0x08) && open) {
        if (s < b0) {
            if (!pass) {
                mark(c, x, y, -1);
            } else {
                c->spanProcEx(x, y, c, 0);
                restart(c, x, y);
            }
        } else {
            c->spanProcEx(x, y, c, 1);
        }
        if (s == b0 - 1) {
            c->patternWord &= uint16_t(~0x08);
            if (c->patternWord & 0x10) {
                c->patternWord |= 0x04;
                // No end arrow when the first segment cannot hold both.
                if (b0 + std::ceil(c->leftHalf + c->rightHalf) > c->geo.segmentLength)
                    c->patternWord &= uint16_t(~0x04);
            }
        }
    } else if ((c->patternWord & 0x04) && open && c->pointsLeft == 1 &&
               std::abs(double(x) - c->segEnd.x) <= c->arrowReachX &&
               std::abs(double(y) - c->segEnd.y) <= c->arrowReachY) {
        if (std::abs(double(x) - c->segEnd.x) == c->arrowReachX ||
            std::abs(double(y) - c->segEnd.y) == c->arrowReachY) {
            startAt(c, x, y);
        }
        if (!pass && !(c->patternWord & 0x20)) {
            mark(c, x, y, -1);
        } else {
            c->spanProcEx(x, y, c, 0);
            restart(c, x, y);
        }
    } else {
        c->spanProcEx(x, y, c, 1);
    }
    if (!pass)
        c->step = int16_t(c->step + 1);
    c->ddaStart = {x, y};
}

void LineProcTripleCentral(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    x = low16(x);
    y = low16(y);
    // A context whose style was not bound by preparation draws plain spans.
    LineSpanProc draw = c->multiLineProc ? c->multiLineProc : c->spanProc;
    if (!(c->patternWord & 0x1000)) {
        draw(x, y, c);
        countAdvance(c, x, y);
        return;
    }
    const bool cornerWalk = c->cornerState & 0x03;
    if (c->step == c->breaks[0] - 1) {
        c->sideToggle ^= 1;
        if (cornerWalk)
            MultiLineCornerPhase(c, x, y);
    }
    draw(x, y, c);
    if (c->period == 0)
        return;
    c->step = int16_t((c->step + 1) % c->period);
    if (c->step == 0 && cornerWalk && c->cornerPhaseValid) {
        c->breaks[0] = int16_t(c->cornerBreak);
        c->period = int16_t(c->cornerPeriod);
    }
    c->ddaStart = {x, y};
}

void LineProc2PerRec(int x, int y, LPARAM data)
{
    LineStyleContext *c = C(data);
    if (c->step == 6) {
        c->penPos = {x, y};
        const LineSpanGeometry &g = c->geo;
        const SpanEnds e = CrossSpanEnds(g, x, y, g.leftOffset, g.rightOffset);
        DrawLine(c, e.x0, e.y0, e.x1, e.y1);
    }
    c->step = int16_t((c->step + 1) % 19);
    c->ddaStart = {x, y};
}

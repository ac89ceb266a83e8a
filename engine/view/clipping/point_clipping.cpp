#include "engine/view/clipping/point_clipping.h"

#include "engine/kernel/buffer.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace {

// Stands for an unbounded parameter in the polygon clipper.
constexpr double kInfinity = 1e17;

bool inside(const MAP_COORDRECT &r, const MAP_COORDPT &p)
{
    return r.x1 <= p.x && p.x <= r.x2 && r.y1 <= p.y && p.y <= r.y2;
}

// An inverted rectangle holds no point: nothing passes it.
bool ordered(const MAP_COORDRECT &r) { return r.x1 <= r.x2 && r.y1 <= r.y2; }

// Items a buffer holds room for.
uint32_t capacityOf(const Buffer *b) { return BufferGetSize(b); }

// Makes room for n items; false when the buffer cannot hold them.
bool reserve(Buffer *b, uint64_t n)
{
    if (n == 0)
        return true;
    if (n * BufferGetItemSize(b) > UINT32_MAX)
        return false;
    return BufferSetSize(b, uint32_t(n)) >= n;
}

// Every clipper starts from empty outputs.
void startOutputs(Buffer *clipped, Buffer *parts, Buffer *codes)
{
    BufferSetSynchReadWrite(clipped, 0);
    BufferSetItemPosWrite(clipped, 0);
    BufferSetItemPosRead(clipped, 0);
    BufferSetItemPosWrite(parts, 0);
    BufferSetValidNumber(parts, 0);
    if (codes)
        BufferSetItemPosWrite(codes, 0);
}

// The source points that can be read: n, but no more than the buffer holds.
int32_t readableCount(const Buffer *source, int32_t n)
{
    if (n <= 0)
        return 0;
    return int32_t(std::min<uint64_t>(uint64_t(n), capacityOf(source)));
}

bool pointBuffer(const Buffer *b) { return b && BufferGetItemSize(b) == sizeof(MAP_COORDPT); }
bool partBuffer(const Buffer *b) { return b && BufferGetItemSize(b) == sizeof(int32_t); }
bool codeBuffer(const Buffer *b) { return b && BufferGetItemSize(b) == 1; }

// A crossing coordinate, truncated toward zero. Rounding of the parameter
// can put it a hair beyond the edge it lies on, which truncation toward zero
// may turn into a whole unit: it is held to the rectangle's range.
int32_t truncated(double v, int32_t lo, int32_t hi)
{
    return int32_t(std::clamp(std::trunc(v), double(lo), double(hi)));
}

// One bit for each edge of the rectangle the point lies beyond.
inline unsigned sidesOf(const MAP_COORDRECT &r, const MAP_COORDPT &q)
{
    return unsigned(q.x < r.x1) | unsigned(q.x > r.x2) << 1 | unsigned(q.y < r.y1) << 2 |
           unsigned(q.y > r.y2) << 3;
}

// The Liang-Barsky clip of the segment P-Q: writes the entry point when P
// lies outside and the exit point (Q itself when it lies inside); answers
// the number of points written, 0 when the segment misses the rectangle.
int32_t clipSegment(const MAP_COORDRECT &r, MAP_COORDPT P, MAP_COORDPT Q, bool pOutside, MAP_COORDPT *out)
{
    const double px = P.x, py = P.y;
    const double dx = double(Q.x) - px, dy = double(Q.y) - py;
    double t0 = 0, t1 = 1;
    const double tests[4][2] = {
        {dx, double(r.x1) - px}, {-dx, px - double(r.x2)}, {dy, double(r.y1) - py}, {-dy, py - double(r.y2)}};
    for (const auto &[p, q] : tests) {
        if (p == 0) {
            if (q > 0)
                return 0;
        } else if (p > 0) {
            const double t = q / p;
            if (t > t1)
                return 0;
            t0 = std::max(t0, t);
        } else {
            const double t = q / p;
            if (t < t0)
                return 0;
            t1 = std::min(t1, t);
        }
    }
    int32_t k = 0;
    if (pOutside)
        out[k++] =
            t0 <= 0 ? P
                    : MAP_COORDPT{truncated(px + t0 * dx, r.x1, r.x2), truncated(py + t0 * dy, r.y1, r.y2)};
    out[k++] =
        t1 >= 1 ? Q : MAP_COORDPT{truncated(px + t1 * dx, r.x1, r.x2), truncated(py + t1 * dy, r.y1, r.y2)};
    return k;
}

// Writes the runs kept in a vector into the part buffer.
int32_t storeParts(Buffer *parts, const std::vector<int32_t> &pairs)
{
    const uint32_t items = uint32_t(pairs.size());
    if (items && !reserve(parts, items))
        return 0;
    if (items) {
        BufferItemsLock p(parts);
        if (!p.as<int32_t>())
            return 0;
        std::copy(pairs.begin(), pairs.end(), p.as<int32_t>());
    }
    BufferSetItemPosWrite(parts, items);
    BufferSetValidNumber(parts, items / 2);
    return int32_t(items / 2);
}

} // namespace

int32_t ClipRunsFromCodes(const uint8_t *codes, int32_t m, Buffer *parts)
{
    std::vector<int32_t> pairs;
    if (codes && m == 2) {
        if (codes[0] == codes[1] && codes[0] >= CLIPCODE_ENTERS && codes[0] <= CLIPCODE_SOURCE)
            pairs = {0, 1};
    } else if (codes && m > 2) {
        const auto starts = [](uint8_t c) { return c == CLIPCODE_ENTERS || c == CLIPCODE_SOURCE; };
        const auto ends = [](uint8_t c) { return c == CLIPCODE_LEAVES || c == CLIPCODE_SOURCE; };
        int32_t runStart = -1;
        for (int32_t k = 0; k + 1 < m; ++k) {
            if (starts(codes[k]) && ends(codes[k + 1])) {
                if (runStart < 0)
                    runStart = k;
                continue;
            }
            if (runStart >= 0) {
                pairs.push_back(runStart);
                pairs.push_back(k - runStart + 1);
                runStart = -1;
            }
        }
        if (runStart >= 0) {
            pairs.push_back(runStart);
            pairs.push_back(m - runStart);
        }
    }
    return storeParts(parts, pairs);
}

int32_t ClipPolyline(Buffer *source, int32_t n, Buffer *clipped, Buffer *parts, const MAP_COORDRECT *rect,
                     int32_t *runCount)
{
    if (runCount)
        *runCount = 0;
    if (!pointBuffer(source) || !pointBuffer(clipped) || !partBuffer(parts) || !rect || source == clipped)
        return 0;
    startOutputs(clipped, parts, nullptr);
    n = readableCount(source, n);
    if (n == 0 || !ordered(*rect))
        return 0;
    // Each segment writes at most two points; each run needs two words.
    if (!reserve(clipped, 2 * uint64_t(n)) || !reserve(parts, 2 * uint64_t(n)))
        return 0;
    BufferItemsLock s(source), c(clipped), p(parts);
    const MAP_COORDPT *in = s.as<MAP_COORDPT>();
    MAP_COORDPT *out = c.as<MAP_COORDPT>();
    int32_t *pairs = p.as<int32_t>();
    if (!in || !out || !pairs)
        return 0;
    const MAP_COORDRECT r = *rect;
    int32_t written = 0, runStart = 0, runs = 0;

    // Side codes of the points (one bit per edge they lie beyond): a segment
    // with both ends inside is copied, one with both ends beyond the same
    // edge misses the rectangle, and only the others are clipped.
    // Long stretches inside are copied, and long stretches beyond one edge
    // skipped, by tight loops; only the segments between them are clipped.
    const int64_t x1 = r.x1, y1 = r.y1;
    const uint64_t width = uint64_t(int64_t(r.x2) - x1), height = uint64_t(int64_t(r.y2) - y1);
    const auto isInside = [&](const MAP_COORDPT &q) {
        return (uint64_t(q.x - x1) <= width) & (uint64_t(q.y - y1) <= height);
    };
    unsigned pSides = sidesOf(r, in[0]);
    if (!pSides)
        out[written++] = in[0];
    int32_t i = 1;
    while (i < n) {
        if (!pSides) {
            while (i < n && isInside(in[i]))
                out[written++] = in[i++];
        } else {
            // Segments between points beyond one and the same edge miss the
            // rectangle: one comparison a point.
            const int32_t from = i;
            const auto skip = [&](auto beyond) {
                while (i < n && beyond(in[i]))
                    ++i;
            };
            if (pSides & 1)
                skip([&](const MAP_COORDPT &q) { return q.x < r.x1; });
            else if (pSides & 2)
                skip([&](const MAP_COORDPT &q) { return q.x > r.x2; });
            else if (pSides & 4)
                skip([&](const MAP_COORDPT &q) { return q.y < r.y1; });
            else
                skip([&](const MAP_COORDPT &q) { return q.y > r.y2; });
            if (i > from)
                pSides = sidesOf(r, in[i - 1]);
        }
        if (i == n)
            break;
        // The segment ending at in[i] leaves, enters or crosses the rectangle.
        const unsigned qSides = sidesOf(r, in[i]);
        if (!(pSides & qSides))
            written += clipSegment(r, in[i - 1], in[i], pSides != 0, out + written);
        // A run ends where the line leaves the rectangle.
        if (qSides) {
            if (written > runStart) {
                pairs[2 * runs] = runStart;
                pairs[2 * runs + 1] = written - runStart;
                ++runs;
            }
            runStart = written;
        }
        pSides = qSides;
        ++i;
    }
    if (written > runStart) {
        pairs[2 * runs] = runStart;
        pairs[2 * runs + 1] = written - runStart;
        ++runs;
    }
    BufferSetItemPosWrite(clipped, uint32_t(written));
    BufferSetItemPosWrite(parts, uint32_t(2 * runs));
    BufferSetValidNumber(parts, uint32_t(runs));
    if (runCount)
        *runCount = runs;
    return written;
}

int32_t ClipPolygon(Buffer *source, int32_t n, Buffer *clipped, Buffer *parts, Buffer *codes,
                    const MAP_COORDRECT *rect, int32_t *runCount)
{
    int32_t runsDummy = 0;
    int32_t &runs = runCount ? *runCount : runsDummy;
    runs = 0;
    if (!pointBuffer(source) || !pointBuffer(clipped) || !partBuffer(parts) || !codeBuffer(codes) || !rect ||
        source == clipped)
        return 0;
    startOutputs(clipped, parts, codes);
    n = readableCount(source, n);
    if (n == 0 || !ordered(*rect))
        return 0;
    // An edge writes at most three points; one more closes the result.
    const uint64_t most = 3 * uint64_t(n) + 1;
    if (!reserve(clipped, most) || !reserve(codes, most))
        return 0;
    int32_t written = 0;
    {
        BufferItemsLock s(source), c(clipped), k(codes);
        const MAP_COORDPT *in = s.as<MAP_COORDPT>();
        MAP_COORDPT *out = c.as<MAP_COORDPT>();
        uint8_t *code = k.as<uint8_t>();
        if (!in || !out || !code)
            return 0;
        const MAP_COORDRECT r = *rect;
        const double x1 = r.x1, y1 = r.y1, x2 = r.x2, y2 = r.y2;
        bool stateInside = inside(r, in[0]);
        const auto put = [&](MAP_COORDPT pt, uint8_t c) {
            out[written] = pt;
            code[written] = c;
            ++written;
        };
        // Entry and exit points flip the state: entering from outside, leaving
        // from inside.
        const auto putCrossing = [&](MAP_COORDPT pt) {
            put(pt, stateInside ? CLIPCODE_LEAVES : CLIPCODE_ENTERS);
            stateInside = !stateInside;
        };
        for (int32_t i = 0; i + 1 < n; ++i) {
            const MAP_COORDPT P = in[i], Q = in[i + 1];
            const double px = P.x, py = P.y;
            const double dx = double(Q.x) - px, dy = double(Q.y) - py;
            const bool xForward = dx > 0 || (dx == 0 && px > x2);
            const bool yForward = dy > 0 || (dy == 0 && py > y2);
            const double xin = xForward ? x1 : x2, xout = xForward ? x2 : x1;
            const double yin = yForward ? y1 : y2, yout = yForward ? y2 : y1;
            const double tOutX = dx != 0 ? (xout - px) / dx : (px < x1 || px > x2 ? -kInfinity : kInfinity);
            const double tOutY = dy != 0 ? (yout - py) / dy : (py < y1 || py > y2 ? -kInfinity : kInfinity);
            const double tOut1 = tOutX < tOutY ? tOutX : tOutY;
            const double tOut2 = tOutX < tOutY ? tOutY : tOutX;
            if (tOut2 <= 0)
                continue;
            const double tInX = dx != 0 ? (xin - px) / dx : -kInfinity;
            const double tInY = dy != 0 ? (yin - py) / dy : -kInfinity;
            const double tIn2 = std::max(tInX, tInY);
            if (tOut1 < tIn2) {
                // The edge passes by the rectangle: it may turn round a corner.
                if (0 < tOut1 && tOut1 <= 1) {
                    put(tInX < tInY ? MAP_COORDPT{int32_t(xout), int32_t(yin)}
                                    : MAP_COORDPT{int32_t(xin), int32_t(yout)},
                        CLIPCODE_ADDED);
                    stateInside = false;
                }
            } else if (0 < tOut1 && tIn2 <= 1) {
                if (tIn2 > 0)
                    putCrossing(tInX > tInY
                                    ? MAP_COORDPT{int32_t(xin), truncated(py + tInX * dy, r.y1, r.y2)}
                                    : MAP_COORDPT{truncated(px + tInY * dx, r.x1, r.x2), int32_t(yin)});
                if (tOut1 >= 1) {
                    put(Q, CLIPCODE_SOURCE);
                    stateInside = true;
                } else {
                    putCrossing(tOutX < tOutY
                                    ? MAP_COORDPT{int32_t(xout), truncated(py + tOutX * dy, r.y1, r.y2)}
                                    : MAP_COORDPT{truncated(px + tOutY * dx, r.x1, r.x2), int32_t(yout)});
                }
            }
            if (0 < tOut2 && tOut2 <= 1) {
                put(MAP_COORDPT{int32_t(xout), int32_t(yout)}, CLIPCODE_ADDED);
                stateInside = false;
            }
        }
        if (written > 0)
            put(out[0], code[0]);
    }
    BufferSetItemPosWrite(clipped, uint32_t(written));
    BufferSetItemPosWrite(codes, uint32_t(written));
    if (written == 0)
        return 0;
    BufferItemsLock k(codes);
    runs = ClipRunsFromCodes(k.as<uint8_t>(), written, parts);
    return written;
}

int32_t ClipPointBuffer(Buffer *source, Buffer *clipped, Buffer *parts, Buffer *codes,
                        const MAP_COORDRECT *rect, int32_t n)
{
    int32_t runs = 0;
    switch (source ? BufferGetType(source) : 0) {
    case POINTBUFFER_POLYLINE:
        return ClipPolyline(source, n, clipped, parts, rect, &runs);
    case POINTBUFFER_POLYGON:
        return ClipPolygon(source, n, clipped, parts, codes, rect, &runs);
    default:
        if (parts)
            BufferSetValidNumber(parts, 0);
        return 0;
    }
}

int32_t ClipToViewRect(PresentationManager *view, Buffer *source, int32_t n, Buffer *clipped, Buffer *parts)
{
    if (!view)
        return 0;
    return ClipPointBuffer(source, clipped, parts, &view->pointCodes, &view->clipRect, n);
}

void InstallPointListClipper()
{
    static std::once_flag once;
    std::call_once(once, [] { PM_SetPointListClipper(ClipToViewRect); });
}

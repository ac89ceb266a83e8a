// The constructions of buffer outlines, in double map coordinates with y
// growing upwards: the offsets of a segment, the side and turning tests, the
// intersection of edge lines, mitres with a limit, arcs of a given radius
// and the ends of a polyline. Both buffer calculations and the text buffer
// build their rings from these.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

struct BufferPoint {
    double x = 0.0;
    double y = 0.0;
};

inline bool operator==(const BufferPoint &a, const BufferPoint &b) { return a.x == b.x && a.y == b.y; }

using BufferPath = std::vector<BufferPoint>;

// The offsets of a segment p -> q at distance s: A and B at p (right and
// left of the direction of travel), C and D at q (left and right).
struct SegmentOffsets {
    BufferPoint a, b, c, d;
};
// (These small ones are inline: they run at every corner of every line.)
inline SegmentOffsets OffsetsOf(BufferPoint p, BufferPoint q, double s)
{
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    const BufferPoint n = len > 0 ? BufferPoint{-dy / len * s, dx / len * s} : BufferPoint{};
    return {{p.x - n.x, p.y - n.y}, {p.x + n.x, p.y + n.y}, {q.x + n.x, q.y + n.y}, {q.x - n.x, q.y - n.y}};
}

// 1 when the line through a and b lies below w (for a vertical line: w to
// its right), -1 above (left), 0 on it.
inline int BufferSideOfLine(BufferPoint a, BufferPoint b, BufferPoint w)
{
    if (a.x != b.x) {
        const double y = a.y + (b.y - a.y) * (w.x - a.x) / (b.x - a.x);
        return y < w.y ? 1 : y > w.y ? -1 : 0;
    }
    return w.x > a.x ? 1 : w.x < a.x ? -1 : 0;
}

// How the path r -> v -> t goes on at v.
enum class BufferTurn { Corner, Straight, Back };
inline BufferTurn TurnAt(BufferPoint r, BufferPoint v, BufferPoint t)
{
    const bool vertical1 = r.x == v.x, vertical2 = v.x == t.x;
    bool sameSlope = false;
    if (vertical1 && vertical2)
        sameSlope = true;
    else if (!vertical1 && !vertical2)
        sameSlope = (v.y - r.y) / (v.x - r.x) == (t.y - v.y) / (t.x - v.x);
    if (!sameSlope)
        return BufferTurn::Corner;
    const bool onward = vertical1 ? (v.y - r.y > 0) == (t.y - v.y > 0) : (v.x - r.x > 0) == (t.x - v.x > 0);
    return onward ? BufferTurn::Straight : BufferTurn::Back;
}

// The intersection of the line through a1, a2 with the line through b1,
// b2; false for parallel lines.
inline bool LinesIntersection(BufferPoint a1, BufferPoint a2, BufferPoint b1, BufferPoint b2, BufferPoint *at)
{
    const double dax = a2.x - a1.x, day = a2.y - a1.y, dbx = b2.x - b1.x, dby = b2.y - b1.y;
    const double denominator = dax * dby - day * dbx;
    if (denominator == 0 || !std::isfinite(denominator))
        return false;
    const double wx = b1.x - a1.x, wy = b1.y - a1.y;
    const double t = (wx * dby - wy * dbx) / denominator;
    const BufferPoint p{a1.x + dax * t, a1.y + day * t};
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return false;
    *at = p;
    return true;
}

// The mitre at vertex v with the mitre point x between the offsets f and g:
// x itself when it lies within s x m of v, else f, the point at that limit
// on the ray from v towards x, and g. The limit is never less than s.
void AppendMitre(BufferPath &out, BufferPoint v, BufferPoint x, BufferPoint f, BufferPoint g, int64_t s,
                 int64_t m);

// The point at distance d from v on the line from v through the midpoint of
// the chord f-g, on the far side of the chord.
BufferPoint TipBeyondChord(BufferPoint v, BufferPoint f, BufferPoint g, double d);

// The points strictly between f and g on the circle of radius s around v,
// on the side of the chord f-g away from o: the dividing points of the
// first half, the arc's middle point, the dividing points of the second
// half. k points make a half turn. *middle, when given, receives the
// index in out of the middle point (out's size when no arc was made).
void AppendArcPoints(BufferPath &out, BufferPoint f, BufferPoint v, BufferPoint g, BufferPoint o, double s,
                     int k, size_t *middle = nullptr);

// The end pieces at e whose neighbour on the line is w: a rectangle of width
// 2s and depth s beyond e, or a half disc of radius s.
BufferPath SquareEnd(BufferPoint e, BufferPoint w, double s);
BufferPath RoundedEnd(BufferPoint e, BufferPoint w, double s, int k);

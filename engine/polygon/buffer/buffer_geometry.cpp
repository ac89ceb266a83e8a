#include "engine/polygon/buffer/buffer_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

BufferPoint Add(BufferPoint a, BufferPoint b) { return {a.x + b.x, a.y + b.y}; }
BufferPoint Sub(BufferPoint a, BufferPoint b) { return {a.x - b.x, a.y - b.y}; }
BufferPoint Scale(BufferPoint a, double f) { return {a.x * f, a.y * f}; }
double Dot(BufferPoint a, BufferPoint b) { return a.x * b.x + a.y * b.y; }
// Map coordinates stay far from the range where the squares would overflow.
double Length(BufferPoint a) { return std::sqrt(a.x * a.x + a.y * a.y); }

// The point at distance d from v in the direction of dir (v itself for a
// direction of no length).
BufferPoint Along(BufferPoint v, BufferPoint dir, double d)
{
    const double len = Length(dir);
    return len > 0 ? Add(v, Scale(dir, d / len)) : v;
}

// One half of an arc: the dividing points of the chord from 'from' to the
// middle point, carried onto the circle, in order from 'from'.
void ArcHalf(BufferPath &out, BufferPoint from, BufferPoint middle, BufferPoint v, BufferPoint f,
             BufferPoint g, BufferPoint o, double s, int n)
{
    const double chord = Length(Sub(middle, from));
    const int64_t parts = std::min<int64_t>(n, int64_t(std::trunc(chord))) + 1;
    const int sideO = BufferSideOfLine(f, g, o);
    int direction = 0;
    for (int64_t j = 1; j < parts; ++j) {
        const BufferPoint c = Add(from, Scale(Sub(middle, from), double(j) / double(parts)));
        const BufferPoint dir = Sub(c, v);
        const double len = Length(dir);
        if (len == 0)
            continue;
        if (direction == 0) {
            const int sideC = BufferSideOfLine(f, g, c);
            direction = sideC == 0 || sideC != sideO ? 1 : -1;
        }
        out.push_back(Add(v, Scale(dir, double(direction) * s / len)));
    }
}

} // namespace

SegmentOffsets OffsetsOf(BufferPoint p, BufferPoint q, double s)
{
    const BufferPoint d = Sub(q, p);
    const double len = Length(d);
    const BufferPoint n = len > 0 ? BufferPoint{-d.y / len * s, d.x / len * s} : BufferPoint{};
    return {Sub(p, n), Add(p, n), Add(q, n), Sub(q, n)};
}

int BufferSideOfLine(BufferPoint a, BufferPoint b, BufferPoint w)
{
    if (a.x != b.x) {
        const double y = a.y + (b.y - a.y) * (w.x - a.x) / (b.x - a.x);
        return y < w.y ? 1 : y > w.y ? -1 : 0;
    }
    return w.x > a.x ? 1 : w.x < a.x ? -1 : 0;
}

BufferTurn TurnAt(BufferPoint r, BufferPoint v, BufferPoint t)
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

bool LinesIntersection(BufferPoint a1, BufferPoint a2, BufferPoint b1, BufferPoint b2, BufferPoint *at)
{
    const BufferPoint da = Sub(a2, a1), db = Sub(b2, b1);
    const double denominator = da.x * db.y - da.y * db.x;
    if (denominator == 0 || !std::isfinite(denominator))
        return false;
    const BufferPoint w = Sub(b1, a1);
    const double t = (w.x * db.y - w.y * db.x) / denominator;
    const BufferPoint p = Add(a1, Scale(da, t));
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return false;
    *at = p;
    return true;
}

void AppendMitre(BufferPath &out, BufferPoint v, BufferPoint x, BufferPoint f, BufferPoint g, int64_t s,
                 int64_t m)
{
    // The product in 64 bits: a size of ten million times a factor above
    // 214 leaves the 32-bit range.
    const double limit = double(std::max(s * m, s));
    const double distance = Length(Sub(x, v));
    if (distance <= limit) {
        out.push_back(x);
        return;
    }
    out.push_back(f);
    out.push_back(Along(v, Sub(x, v), limit));
    out.push_back(g);
}

BufferPoint TipBeyondChord(BufferPoint v, BufferPoint f, BufferPoint g, double d)
{
    const BufferPoint middle = Scale(Add(f, g), 0.5);
    return Length(Sub(middle, v)) > 0 ? Along(v, Sub(middle, v), d) : middle;
}

void AppendArcPoints(BufferPath &out, BufferPoint f, BufferPoint v, BufferPoint g, BufferPoint o, double s,
                     int k, size_t *middleIndex)
{
    if (middleIndex)
        *middleIndex = out.size();
    const BufferPoint chord = Sub(g, f);
    const double chordLength = Length(chord);
    if (chordLength == 0 || !(s > 0))
        return;
    // The chord's normal on the side away from o.
    BufferPoint normal{-chord.y / chordLength, chord.x / chordLength};
    const BufferPoint mid = Scale(Add(f, g), 0.5);
    if (Dot(normal, Sub(o, mid)) > 0)
        normal = Scale(normal, -1);
    BufferPoint toMiddle = Sub(Add(mid, Scale(normal, s)), v);
    if (Length(toMiddle) == 0)
        toMiddle = normal;
    if (Dot(toMiddle, normal) < 0)
        toMiddle = Scale(toMiddle, -1);
    const BufferPoint middle = Along(v, toMiddle, s);

    const BufferPoint vf = Sub(f, v), vg = Sub(g, v);
    const double lengths = Length(vf) * Length(vg);
    const double c = lengths == 0 ? -1.0 : Dot(vf, vg) / lengths;
    int n = k;
    if (c > -1 && c < 1)
        n = std::max(0, int(std::trunc(std::acos(c) * 28.6479 * k * (1.0 / 90.0) + 0.5)));

    ArcHalf(out, f, middle, v, f, g, o, s, n);
    if (middleIndex)
        *middleIndex = out.size();
    out.push_back(middle);
    // The second half is made from g on and turned round in place.
    const size_t second = out.size();
    ArcHalf(out, g, middle, v, f, g, o, s, n);
    std::reverse(out.begin() + std::ptrdiff_t(second), out.end());
}

BufferPath SquareEnd(BufferPoint e, BufferPoint w, double s)
{
    const SegmentOffsets o = OffsetsOf(w, e, s);
    const BufferPoint push = Along({0, 0}, Sub(e, w), s);
    // o.d is on the right at e, o.c on the left.
    return {o.d, Add(o.d, push), Add(o.c, push), o.c};
}

BufferPath RoundedEnd(BufferPoint e, BufferPoint w, double s, int k)
{
    const SegmentOffsets o = OffsetsOf(w, e, s);
    BufferPath ring{o.c};
    AppendArcPoints(ring, o.c, e, o.d, w, s, k);
    ring.push_back(o.d);
    ring.push_back(e);
    return ring;
}

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
// middle point, carried onto the circle, in order from 'from'. sideO is the
// side of the chord f-g that the arc stays away from.
inline void ArcHalf(BufferPath &out, const BufferPoint &from, const BufferPoint &middle, const BufferPoint &v,
                    const BufferPoint &f, const BufferPoint &g, int sideO, double s, int n)
{
    const double chord = Length(Sub(middle, from));
    const int64_t parts = std::min<int64_t>(n, int64_t(std::trunc(chord))) + 1;
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

    const int sideO = BufferSideOfLine(f, g, o);
    ArcHalf(out, f, middle, v, f, g, sideO, s, n);
    if (middleIndex)
        *middleIndex = out.size();
    out.push_back(middle);
    // The second half is made from g on and turned round in place.
    const size_t second = out.size();
    ArcHalf(out, g, middle, v, f, g, sideO, s, n);
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

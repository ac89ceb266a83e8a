#include "engine/polygon/buffer/winding_union.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace {

using Wide = __int128;

struct Pt {
    int64_t x, y;
};

bool operator==(const Pt &a, const Pt &b) { return a.x == b.x && a.y == b.y; }
bool operator<(const Pt &a, const Pt &b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }

// The turn a -> b -> c: positive counterclockwise (exact).
Wide Cross(const Pt &a, const Pt &b, const Pt &c)
{
    return Wide(b.x - a.x) * (c.y - a.y) - Wide(b.y - a.y) * (c.x - a.x);
}

int Sign(Wide v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// The sign of Cross(a, b, c): in doubles when their rounding cannot flip
// it, else exactly.
int Orientation(const Pt &a, const Pt &b, const Pt &c)
{
    const double l = double(b.x - a.x) * double(c.y - a.y), r = double(b.y - a.y) * double(c.x - a.x);
    const double det = l - r, bound = (std::fabs(l) + std::fabs(r)) * 1e-14;
    if (det > bound)
        return 1;
    if (det < -bound)
        return -1;
    return Sign(Cross(a, b, c));
}

// Whether p, known to be on the line a-b, lies strictly between a and b.
bool StrictlyWithin(const Pt &a, const Pt &b, const Pt &p)
{
    if (p == a || p == b)
        return false;
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// A scratch vector kept by the thread between calls, empty: outlines come
// one after another, and fresh memory for each costs more than its work.
// Very large ones are let go.
template <class T, int Slot>
std::vector<T> &Scratch()
{
    thread_local std::vector<T> v;
    if (v.capacity() > (size_t(1) << 22))
        std::vector<T>().swap(v);
    v.clear();
    return v;
}

// A ring edge from a to b, or a piece of one: each counts +1 to the
// winding on its left.
struct Segment {
    Pt a, b;
    bool fresh; // made by the last round of cuts
    bool first; // the first of its ring
};

// A point where a segment must be cut.
struct Cut {
    uint32_t segment;
    Pt at;
};

// The crossing of the segments a-b and c-d that cross properly, rounded.
Pt CrossingPoint(const Pt &a, const Pt &b, const Pt &c, const Pt &d)
{
    const Wide num = Wide(c.x - a.x) * (d.y - c.y) - Wide(c.y - a.y) * (d.x - c.x);
    const Wide den = Wide(b.x - a.x) * (d.y - c.y) - Wide(b.y - a.y) * (d.x - c.x);
    const long double t = static_cast<long double>(num) / static_cast<long double>(den);
    Pt p{int64_t(std::llround(static_cast<long double>(a.x) + t * static_cast<long double>(b.x - a.x))),
         int64_t(std::llround(static_cast<long double>(a.y) + t * static_cast<long double>(b.y - a.y)))};
    // Rounding stays within the box both segments share.
    p.x = std::clamp(p.x, std::max(std::min(a.x, b.x), std::min(c.x, d.x)),
                     std::min(std::max(a.x, b.x), std::max(c.x, d.x)));
    p.y = std::clamp(p.y, std::max(std::min(a.y, b.y), std::min(c.y, d.y)),
                     std::min(std::max(a.y, b.y), std::max(c.y, d.y)));
    return p;
}

// The cuts one pair of segments needs.
void CutPair(const std::vector<Segment> &segments, uint32_t i, uint32_t j, std::vector<Cut> &cuts)
{
    const Pt &a = segments[i].a, &b = segments[i].b, &c = segments[j].a, &d = segments[j].b;
    // Neighbours along a ring share an end: only an overlap needs a cut.
    if (b == c || a == d || a == c || b == d) {
        const Pt &shared = b == c || b == d ? b : a, &far = shared == c ? d : c;
        if (Orientation(a, b, far) != 0)
            return;
        if (StrictlyWithin(a, b, far))
            cuts.push_back({i, far});
        const Pt &own = shared == a ? b : a;
        if (StrictlyWithin(c, d, own))
            cuts.push_back({j, own});
        return;
    }
    const int o1 = Orientation(a, b, c), o2 = Orientation(a, b, d), o3 = Orientation(c, d, a),
              o4 = Orientation(c, d, b);
    if (o1 * o2 < 0 && o3 * o4 < 0) {
        const Pt p = CrossingPoint(a, b, c, d);
        if (!(p == a) && !(p == b))
            cuts.push_back({i, p});
        if (!(p == c) && !(p == d))
            cuts.push_back({j, p});
        return;
    }
    // Touching or overlapping: an end of one lies on the other.
    if (o1 == 0 && StrictlyWithin(a, b, c))
        cuts.push_back({i, c});
    if (o2 == 0 && StrictlyWithin(a, b, d))
        cuts.push_back({i, d});
    if (o3 == 0 && StrictlyWithin(c, d, a))
        cuts.push_back({j, a});
    if (o4 == 0 && StrictlyWithin(c, d, b))
        cuts.push_back({j, b});
}

// A run of consecutive segments that never turns back in x or in y: no two
// of its segments meet but neighbours at their common end, and the box of
// any part of it is the box of that part's two ends.
struct Chain {
    uint32_t first, last; // segments [first, last)
    int64_t x0, y0, x1, y1;
    bool fresh;
};

int SignOf(int64_t v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

void MakeChains(const std::vector<Segment> &segments, std::vector<Chain> &chains)
{
    int dx = 0, dy = 0;
    for (uint32_t i = 0; i < segments.size(); ++i) {
        const Segment &s = segments[i];
        const int sx = SignOf(s.b.x - s.a.x), sy = SignOf(s.b.y - s.a.y);
        const bool goesOn = !chains.empty() && segments[i - 1].b == s.a && (sx == 0 || dx == 0 || sx == dx) &&
                            (sy == 0 || dy == 0 || sy == dy);
        if (!goesOn) {
            chains.push_back({i, i, 0, 0, 0, 0, false});
            dx = dy = 0;
        }
        Chain &c = chains.back();
        c.last = i + 1;
        c.fresh = c.fresh || s.fresh;
        dx = dx ? dx : sx;
        dy = dy ? dy : sy;
    }
    for (Chain &c : chains) {
        const Pt &a = segments[c.first].a, &b = segments[c.last - 1].b;
        c.x0 = std::min(a.x, b.x);
        c.x1 = std::max(a.x, b.x);
        c.y0 = std::min(a.y, b.y);
        c.y1 = std::max(a.y, b.y);
    }
}

// The cuts between the parts [i0, i1) and [j0, j1) of two chains: halving
// the longer part while the boxes of the parts overlap.
void CutChains(const std::vector<Segment> &segments, uint32_t i0, uint32_t i1, uint32_t j0, uint32_t j1,
               std::vector<Cut> &cuts)
{
    const Pt &a = segments[i0].a, &b = segments[i1 - 1].b, &c = segments[j0].a, &d = segments[j1 - 1].b;
    if (std::max(a.x, b.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(a.x, b.x) ||
        std::max(a.y, b.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(a.y, b.y))
        return;
    if (i1 - i0 == 1 && j1 - j0 == 1) {
        CutPair(segments, i0, j0, cuts);
        return;
    }
    if (i1 - i0 >= j1 - j0) {
        const uint32_t m = i0 + (i1 - i0) / 2;
        CutChains(segments, i0, m, j0, j1, cuts);
        CutChains(segments, m, i1, j0, j1, cuts);
    } else {
        const uint32_t m = j0 + (j1 - j0) / 2;
        CutChains(segments, i0, i1, j0, m, cuts);
        CutChains(segments, i0, i1, m, j1, cuts);
    }
}

// Whether the chain ending before segment i and the chain starting with it
// meet only at their common point: when both go on strictly the same way
// along x (or y) there, the one lies wholly before that point along that
// axis and the other wholly after it. Most neighbouring chains do.
bool FollowApart(const std::vector<Segment> &segments, uint32_t i)
{
    const Segment &before = segments[i - 1], &after = segments[i];
    if (!(before.b == after.a))
        return false;
    const int bx = SignOf(before.b.x - before.a.x), ax = SignOf(after.b.x - after.a.x);
    const int by = SignOf(before.b.y - before.a.y), ay = SignOf(after.b.y - after.a.y);
    return (bx != 0 && bx == ax) || (by != 0 && by == ay);
}

// Every cut the segments (in ring order) need: the monotone chains whose
// boxes overlap, found through a grid of cells about as large as the
// chains, are compared part by part.
void FindCuts(const std::vector<Segment> &segments, std::vector<Cut> &cuts)
{
    std::vector<Chain> &chains = Scratch<Chain, 0>();
    MakeChains(segments, chains);
    const size_t n = chains.size();
    if (n < 2)
        return;
    int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
    double extent = 0;
    for (const Chain &c : chains) {
        minX = std::min(minX, c.x0);
        maxX = std::max(maxX, c.x1);
        minY = std::min(minY, c.y0);
        maxY = std::max(maxY, c.y1);
        extent += double(std::max(c.x1 - c.x0, c.y1 - c.y0));
    }
    // Cells of the mean chain extent, at most about 4 per chain.
    double cell = std::max(1.0, extent / double(n));
    const double width = double(maxX - minX) + 1, height = double(maxY - minY) + 1;
    while ((width / cell + 1) * (height / cell + 1) > 4.0 * double(n) + 16)
        cell *= 1.5;
    const double perCell = 1.0 / cell;
    const int64_t columns = int64_t(width * perCell) + 1, rows = int64_t(height * perCell) + 1;
    const auto column = [&](int64_t x) { return std::min(columns - 1, int64_t(double(x - minX) * perCell)); };
    const auto row = [&](int64_t y) { return std::min(rows - 1, int64_t(double(y - minY) * perCell)); };

    std::vector<uint32_t> &start = Scratch<uint32_t, 0>();
    start.assign(size_t(columns * rows) + 1, 0);
    const auto forCells = [&](const Chain &c, auto visit) {
        const int64_t c0 = column(c.x0), c1 = column(c.x1), r0 = row(c.y0), r1 = row(c.y1);
        for (int64_t r = r0; r <= r1; ++r)
            for (int64_t k = c0; k <= c1; ++k)
                visit(size_t(r * columns + k));
    };
    for (const Chain &c : chains)
        forCells(c, [&](size_t k) { ++start[k + 1]; });
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<uint32_t> &members = Scratch<uint32_t, 1>(), &fill = Scratch<uint32_t, 2>();
    members.resize(start.back());
    fill.assign(start.begin(), start.end() - 1);
    for (uint32_t i = 0; i < n; ++i)
        forCells(chains[i], [&](size_t k) { members[fill[k]++] = i; });

    // Each pair once: in the cell of the low corner of the boxes' overlap.
    const auto test = [&](uint32_t i, uint32_t j, size_t k) {
        const Chain &s = chains[i], &t = chains[j];
        const int64_t x0 = std::max(s.x0, t.x0), x1 = std::min(s.x1, t.x1);
        const int64_t y0 = std::max(s.y0, t.y0), y1 = std::min(s.y1, t.y1);
        if (x0 > x1 || y0 > y1 || size_t(row(y0) * columns + column(x0)) != k)
            return;
        if (s.last == t.first ? FollowApart(segments, s.last)
                              : t.last == s.first && FollowApart(segments, t.last))
            return;
        CutChains(segments, s.first, s.last, t.first, t.last, cuts);
    };
    size_t fresh = 0;
    for (const Chain &c : chains)
        fresh += c.fresh;
    if (fresh * 2 > n) {
        for (size_t k = 0; k + 1 < start.size(); ++k)
            for (uint32_t p = start[k]; p < start[k + 1]; ++p)
                for (uint32_t q = p + 1; q < start[k + 1]; ++q)
                    // Chains that were not cut last time have been checked
                    // against each other.
                    if (chains[members[p]].fresh || chains[members[q]].fresh)
                        test(members[p], members[q], k);
        return;
    }
    // Few new chains: only their cells.
    for (uint32_t i = 0; i < n; ++i)
        if (chains[i].fresh)
            forCells(chains[i], [&](size_t k) {
                for (uint32_t p = start[k]; p < start[k + 1]; ++p) {
                    const uint32_t j = members[p];
                    if (j != i && !(chains[j].fresh && j < i))
                        test(i, j, k);
                }
            });
}

// The segments cut at their cut points.
void Split(const std::vector<Segment> &segments, std::vector<Cut> &cuts, std::vector<Segment> &out)
{
    std::sort(cuts.begin(), cuts.end(), [&](const Cut &u, const Cut &v) {
        if (u.segment != v.segment)
            return u.segment < v.segment;
        const Segment &s = segments[u.segment];
        const Wide du = Wide(u.at.x - s.a.x) * (s.b.x - s.a.x) + Wide(u.at.y - s.a.y) * (s.b.y - s.a.y);
        const Wide dv = Wide(v.at.x - s.a.x) * (s.b.x - s.a.x) + Wide(v.at.y - s.a.y) * (s.b.y - s.a.y);
        return du < dv || (du == dv && u.at < v.at);
    });
    out.clear();
    out.reserve(segments.size() + cuts.size());
    size_t k = 0;
    for (uint32_t i = 0; i < segments.size(); ++i) {
        const Segment &s = segments[i];
        Pt from = s.a;
        const bool cut = k < cuts.size() && cuts[k].segment == i;
        for (; k < cuts.size() && cuts[k].segment == i; ++k)
            if (!(cuts[k].at == from)) {
                out.push_back({from, cuts[k].at, true, s.first && from == s.a});
                from = cuts[k].at;
            }
        if (!(from == s.b))
            out.push_back({from, s.b, cut, s.first && from == s.a});
    }
}

// The planar graph of the cut segments. Its nodes are the points where
// rings meet, cross or turn back on themselves (and the first point of every
// ring, so that a ring that meets nothing has one too); its edges are the
// runs of segments between them, so that the graph stays small however many
// corners an outline has. Edge e runs along the segments [first[e],
// last[e]) in their order; half-edge 2e follows it from node tail[2e],
// half-edge 2e + 1 goes back. The twin of h is h ^ 1.
struct Graph {
    std::vector<Pt> nodes;
    std::vector<uint32_t> tail;          // by half-edge
    std::vector<int32_t> weight;         // by half-edge: the winding left minus right
    std::vector<uint32_t> first, last;   // by edge
    std::vector<Wide> area;              // by edge: twice the area its run adds going forward
    std::vector<uint32_t> outStart, out; // outgoing half-edges by node, counterclockwise
    std::vector<uint32_t> position;      // of each half-edge in out
    uint32_t head(uint32_t h) const { return tail[h ^ 1]; }
    // Twice the area the half-edge adds to the face on its left.
    Wide halfArea(uint32_t h) const { return h & 1 ? -area[h >> 1] : area[h >> 1]; }
    // The half-edge leaving the same node just clockwise of h.
    uint32_t clockwise(uint32_t h) const
    {
        const uint32_t v = tail[h], p = position[h];
        return out[p == outStart[v] ? outStart[v + 1] - 1 : p - 1];
    }
};

// Upper half-plane first, then counterclockwise.
bool AngleLess(const Pt &d1, const Pt &d2)
{
    const bool upper1 = d1.y > 0 || (d1.y == 0 && d1.x > 0), upper2 = d2.y > 0 || (d2.y == 0 && d2.x > 0);
    if (upper1 != upper2)
        return upper1;
    return Wide(d1.x) * d2.y - Wide(d1.y) * d2.x > 0;
}

uint64_t PointHash(const Pt &p)
{
    const uint64_t h = uint64_t(p.x) * 0x9E3779B97F4A7C15ull ^ uint64_t(p.y) * 0xC2B2AE3D27D4EB4Full;
    return h ^ h >> 31;
}

// Whether the segments (one ring in order) start at distinct points.
bool DistinctCorners(const std::vector<Segment> &segments)
{
    std::vector<uint32_t> &table = Scratch<uint32_t, 1>();
    size_t size = 16;
    while (size < segments.size() * 2)
        size <<= 1;
    table.assign(size, UINT32_MAX);
    for (uint32_t i = 0; i < segments.size(); ++i)
        for (size_t slot = PointHash(segments[i].a) & (size - 1);; slot = (slot + 1) & (size - 1)) {
            if (table[slot] == UINT32_MAX) {
                table[slot] = i;
                break;
            }
            if (segments[table[slot]].a == segments[i].a)
                return false;
        }
    return true;
}

// A run of segments from node u to node v (u < v) of weight w.
struct Edge {
    uint32_t u, v;
    int32_t w;
    uint32_t first, last;
    Wide area; // going from u to v
};

// The direction half-edge h leaves its tail in.
Pt Leaving(const Graph &g, const std::vector<Segment> &segments, uint32_t h)
{
    const Segment &s = h & 1 ? segments[g.last[h >> 1] - 1] : segments[g.first[h >> 1]];
    return h & 1 ? Pt{s.a.x - s.b.x, s.a.y - s.b.y} : Pt{s.b.x - s.a.x, s.b.y - s.a.y};
}

void BuildGraph(const std::vector<Segment> &segments, Graph &g)
{
    g.nodes.clear();
    g.tail.clear();
    g.weight.clear();
    g.first.clear();
    g.last.clear();
    g.area.clear();
    const uint32_t n = uint32_t(segments.size());
    // The distinct starting points by an open hash table, and how often
    // each starts a segment.
    std::vector<uint32_t> &table = Scratch<uint32_t, 1>(), &pointOf = Scratch<uint32_t, 3>(),
                          &count = Scratch<uint32_t, 4>();
    size_t size = 16;
    while (size < segments.size() * 2)
        size <<= 1;
    table.assign(size, UINT32_MAX);
    pointOf.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        const Pt &p = segments[i].a;
        for (size_t slot = PointHash(p) & (size - 1);; slot = (slot + 1) & (size - 1)) {
            if (table[slot] == UINT32_MAX) {
                table[slot] = i;
                pointOf[i] = uint32_t(count.size());
                count.push_back(1);
                break;
            }
            if (segments[table[slot]].a == p) {
                pointOf[i] = pointOf[table[slot]];
                ++count[pointOf[i]];
                break;
            }
        }
    }
    // Nodes: points met more than once, first points of rings, and the tips
    // of spikes (there the run would come back along itself).
    std::vector<uint32_t> &nodeOf = Scratch<uint32_t, 5>(), &ringFirst = Scratch<uint32_t, 6>();
    nodeOf.assign(count.size(), UINT32_MAX);
    for (uint32_t i = 0; i < n; ++i)
        if (segments[i].first)
            ringFirst.push_back(i);
    ringFirst.push_back(n);
    std::vector<char> &isNode = Scratch<char, 4>();
    isNode.resize(n);
    for (size_t r = 0; r + 1 < ringFirst.size(); ++r) {
        const uint32_t r0 = ringFirst[r], r1 = ringFirst[r + 1];
        for (uint32_t i = r0; i < r1; ++i) {
            const Segment &before = segments[i == r0 ? r1 - 1 : i - 1];
            isNode[i] = i == r0 || count[pointOf[i]] > 1 || before.a == segments[i].b;
            if (isNode[i] && nodeOf[pointOf[i]] == UINT32_MAX) {
                nodeOf[pointOf[i]] = uint32_t(g.nodes.size());
                g.nodes.push_back(segments[i].a);
            }
        }
    }
    // The runs between nodes. Only runs of one segment can repeat one
    // another (a longer run passes points no other run passes): those are
    // merged, their weights summed. Runs of no weight are dropped.
    std::vector<Edge> &edges = Scratch<Edge, 0>();
    std::vector<uint32_t> &edgeTable = Scratch<uint32_t, 2>();
    edgeTable.assign(size, UINT32_MAX);
    for (size_t r = 0; r + 1 < ringFirst.size(); ++r) {
        const uint32_t r0 = ringFirst[r], r1 = ringFirst[r + 1];
        uint32_t start = r0;
        Wide area = 0;
        for (uint32_t i = r0; i < r1; ++i) {
            const Segment &s = segments[i];
            area += Wide(s.a.x) * s.b.y - Wide(s.b.x) * s.a.y;
            const uint32_t end = i + 1 == r1 ? r0 : i + 1;
            if (!isNode[end])
                continue;
            const uint32_t a = nodeOf[pointOf[start]], b = nodeOf[pointOf[end]];
            const Edge e = a <= b ? Edge{a, b, 1, start, i + 1, area} : Edge{b, a, -1, start, i + 1, -area};
            start = i + 1;
            area = 0;
            if (e.last - e.first > 1) {
                edges.push_back(e);
                continue;
            }
            uint64_t h = (uint64_t(e.u) << 32 | e.v) * 0x9E3779B97F4A7C15ull;
            h ^= h >> 31;
            for (size_t slot = h & (size - 1);; slot = (slot + 1) & (size - 1)) {
                if (edgeTable[slot] == UINT32_MAX) {
                    edgeTable[slot] = uint32_t(edges.size());
                    edges.push_back(e);
                    break;
                }
                Edge &f = edges[edgeTable[slot]];
                if (f.u == e.u && f.v == e.v && f.last - f.first == 1) {
                    f.w += e.w;
                    break;
                }
            }
        }
    }
    // Half-edge 2e runs along the segments, 2e + 1 against them.
    for (const Edge &e : edges) {
        if (e.w == 0)
            continue;
        // A merged run keeps the direction of its first segment.
        const bool alongU = nodeOf[pointOf[e.first]] == e.u;
        const uint32_t from = alongU ? e.u : e.v, to = alongU ? e.v : e.u;
        const int32_t w = alongU ? e.w : -e.w;
        g.tail.push_back(from);
        g.weight.push_back(w);
        g.tail.push_back(to);
        g.weight.push_back(-w);
        g.first.push_back(e.first);
        g.last.push_back(e.last);
        g.area.push_back(alongU ? e.area : -e.area);
    }
    const size_t halves = g.tail.size();
    g.outStart.assign(g.nodes.size() + 1, 0);
    for (uint32_t t : g.tail)
        ++g.outStart[t + 1];
    std::partial_sum(g.outStart.begin(), g.outStart.end(), g.outStart.begin());
    g.out.resize(halves);
    std::vector<uint32_t> &fill = Scratch<uint32_t, 0>();
    fill.assign(g.outStart.begin(), g.outStart.end() - 1);
    for (uint32_t h = 0; h < halves; ++h)
        g.out[fill[g.tail[h]]++] = h;
    g.position.resize(halves);
    for (uint32_t v = 0; v + 1 < g.outStart.size(); ++v) {
        const auto from = g.out.begin() + g.outStart[v], to = g.out.begin() + g.outStart[v + 1];
        if (to - from > 1)
            std::sort(from, to, [&](uint32_t a, uint32_t b) {
                return AngleLess(Leaving(g, segments, a), Leaving(g, segments, b));
            });
        for (uint32_t p = g.outStart[v]; p < g.outStart[v + 1]; ++p)
            g.position[g.out[p]] = p;
    }
}

// The winding number of point p by the edges whose component is not skip.
int64_t WindingAt(const Graph &g, const std::vector<Segment> &segments,
                  const std::vector<uint32_t> &component, uint32_t skip, const Pt &p)
{
    int64_t winding = 0;
    for (uint32_t e = 0; e < g.first.size(); ++e) {
        if (component[g.tail[2 * e]] == skip)
            continue;
        const int32_t w = g.weight[2 * e];
        for (uint32_t i = g.first[e]; i < g.last[e]; ++i) {
            const Pt &a = segments[i].a, &b = segments[i].b;
            if (a.y <= p.y) {
                if (b.y > p.y && Cross(a, b, p) > 0)
                    winding += w;
            } else if (b.y <= p.y && Cross(a, b, p) < 0) {
                winding -= w;
            }
        }
    }
    return winding;
}

// The winding number of the face left of every half-edge.
void FaceWindings(const Graph &g, const std::vector<Segment> &segments, std::vector<uint32_t> &faceOf,
                  std::vector<int64_t> &winding)
{
    const uint32_t halves = uint32_t(g.tail.size());
    // Faces: the cycles of "next": the half-edge leaving the head just
    // clockwise of the way back.
    faceOf.assign(halves, UINT32_MAX);
    std::vector<Wide> &area = Scratch<Wide, 0>();
    std::vector<uint32_t> &firstHalf = Scratch<uint32_t, 0>();
    for (uint32_t h = 0; h < halves; ++h) {
        if (faceOf[h] != UINT32_MAX)
            continue;
        const uint32_t f = uint32_t(area.size());
        Wide twice = 0;
        for (uint32_t e = h; faceOf[e] == UINT32_MAX; e = g.clockwise(e ^ 1)) {
            faceOf[e] = f;
            twice += g.halfArea(e);
        }
        area.push_back(twice);
        firstHalf.push_back(h);
    }
    // Connected components of nodes.
    std::vector<uint32_t> &component = Scratch<uint32_t, 1>(), &stack = Scratch<uint32_t, 2>();
    component.assign(g.nodes.size(), UINT32_MAX);
    uint32_t components = 0;
    for (uint32_t v = 0; v < g.nodes.size(); ++v) {
        if (component[v] != UINT32_MAX || g.outStart[v] == g.outStart[v + 1])
            continue;
        component[v] = components;
        stack.push_back(v);
        while (!stack.empty()) {
            const uint32_t u = stack.back();
            stack.pop_back();
            for (uint32_t p = g.outStart[u]; p < g.outStart[u + 1]; ++p) {
                const uint32_t w = g.head(g.out[p]);
                if (component[w] == UINT32_MAX) {
                    component[w] = components;
                    stack.push_back(w);
                }
            }
        }
        ++components;
    }
    // Each component's outer face (its one face of negative area) gets
    // the winding of the point where the component lies; the others follow
    // across the edges.
    const size_t faces = area.size();
    winding.assign(faces, 0);
    std::vector<char> &known = Scratch<char, 0>();
    known.assign(faces, 0);
    std::vector<uint32_t> &outer = Scratch<uint32_t, 3>();
    outer.assign(components, UINT32_MAX);
    for (uint32_t f = 0; f < faces; ++f) {
        const uint32_t c = component[g.tail[firstHalf[f]]];
        if (outer[c] == UINT32_MAX || area[f] < area[outer[c]])
            outer[c] = f;
    }
    std::vector<uint32_t> &queue = Scratch<uint32_t, 4>();
    for (uint32_t c = 0; c < components; ++c) {
        const uint32_t f = outer[c];
        winding[f] =
            components == 1 ? 0 : WindingAt(g, segments, component, c, g.nodes[g.tail[firstHalf[f]]]);
        known[f] = 1;
        queue.push_back(f);
    }
    for (size_t q = 0; q < queue.size(); ++q) {
        const uint32_t f = queue[q];
        uint32_t e = firstHalf[f];
        do {
            const uint32_t other = faceOf[e ^ 1];
            if (!known[other]) {
                // Left minus right is the edge's weight.
                winding[other] = winding[f] - g.weight[e];
                known[other] = 1;
                queue.push_back(other);
            }
            e = g.clockwise(e ^ 1);
        } while (e != firstHalf[f]);
    }
}

// The sign of the winding just inside the topmost (then rightmost) point of
// the rings, as the Boolean engine orients rings: the rings turn
// counterclockwise there for +1.
int InsideSign(const std::vector<WindingRing> &rings)
{
    const WindingRing *best = nullptr;
    size_t at = 0;
    for (const WindingRing &ring : rings)
        for (size_t i = 0; i < ring.size(); ++i)
            if (!best || ring[i].y > (*best)[at].y ||
                (ring[i].y == (*best)[at].y && ring[i].x > (*best)[at].x)) {
                best = &ring;
                at = i;
            }
    if (!best)
        return 1;
    const WindingRing &ring = *best;
    const size_t n = ring.size();
    const Pt top{ring[at].x, ring[at].y};
    Pt before = top, after = top;
    for (size_t k = 1; k < n && before == top; ++k)
        before = {ring[(at + n - k) % n].x, ring[(at + n - k) % n].y};
    for (size_t k = 1; k < n && after == top; ++k)
        after = {ring[(at + k) % n].x, ring[(at + k) % n].y};
    return Cross(before, top, after) < 0 ? -1 : 1;
}

// The ring of the segments in their order, clockwise.
PlgOpResult *SimpleRingSet(const std::vector<Segment> &segments)
{
    const size_t n = segments.size();
    Wide twice = 0;
    for (const Segment &s : segments)
        twice += Wide(s.a.x) * s.b.y - Wide(s.b.x) * s.a.y;
    auto *set = new PlgOpResult{new PlgListWithNumPoints[1]{{0, int32_t(n)}}, new PlgList[n], int32_t(n), 1};
    for (size_t i = 0; i < n; ++i) {
        const Pt &p = segments[twice > 0 ? n - 1 - i : i].a;
        set->points[i] = {int32_t(p.x), int32_t(p.y)};
    }
    return set;
}

} // namespace

PlgOpResult *WindingUnion(const std::vector<WindingRing> &rings)
{
    std::vector<Segment> &segments = Scratch<Segment, 0>(), &spare = Scratch<Segment, 1>();
    size_t total = 0;
    for (const WindingRing &ring : rings)
        total += ring.size();
    segments.resize(total);
    size_t count = 0;
    for (const WindingRing &ring : rings) {
        const size_t ringFirst = count;
        for (size_t i = 0; i < ring.size(); ++i) {
            const PlgList &a = ring[i], &b = ring[i + 1 < ring.size() ? i + 1 : 0];
            if (a.x == b.x && a.y == b.y)
                continue;
            const bool firstOfRing = count == ringFirst;
            segments[count] = {{a.x, a.y}, {b.x, b.y}, true, firstOfRing};
            ++count;
        }
    }
    segments.resize(count);
    // Cut until no two segments cross or touch but at their ends; the
    // rounded cut points may make new crossings nearby, rarely more than
    // once.
    bool settled = false, uncut = true;
    for (int round = 0; round < 8 && !settled; ++round) {
        std::vector<Cut> &cuts = Scratch<Cut, 0>();
        FindCuts(segments, cuts);
        settled = cuts.empty();
        uncut = uncut && settled;
        if (!settled) {
            Split(segments, cuts, spare);
            segments.swap(spare);
        }
    }
    if (!settled)
        return nullptr;

    // One ring that neither crosses nor touches itself is its own region.
    if (rings.size() == 1 && uncut && segments.size() >= 3 && DistinctCorners(segments))
        return SimpleRingSet(segments);
    thread_local Graph g;
    BuildGraph(segments, g);
    std::vector<uint32_t> &faceOf = Scratch<uint32_t, 10>();
    std::vector<int64_t> &winding = Scratch<int64_t, 0>();
    FaceWindings(g, segments, faceOf, winding);
    const int sign = InsideSign(rings);
    const auto inside = [&](uint32_t h) { return winding[faceOf[h]] * sign > 0; };
    const uint32_t halves = uint32_t(g.tail.size());
    std::vector<char> &boundary = Scratch<char, 1>();
    boundary.resize(halves);
    for (uint32_t h = 0; h < halves; ++h)
        boundary[h] = inside(h) && !inside(h ^ 1);

    // The boundary rings, the region on their left: from each boundary
    // half-edge on to the first boundary half-edge clockwise of the way
    // back, which keeps rings that touch at a point apart.
    std::vector<Pt> &point = Scratch<Pt, 0>();               // a ring corner
    std::vector<uint32_t> &next = Scratch<uint32_t, 11>();   // the next corner of its ring
    std::vector<uint32_t> &ringOf = Scratch<uint32_t, 12>(); // the ring a corner was made in
    std::vector<uint32_t> &ringStart = Scratch<uint32_t, 13>();
    std::vector<char> &used = Scratch<char, 2>();
    std::vector<Wide> &ringArea = Scratch<Wide, 1>(); // positive rings are outer, negative ones holes
    used.assign(halves, 0);
    for (uint32_t h = 0; h < halves; ++h) {
        if (!boundary[h] || used[h])
            continue;
        const uint32_t ring = uint32_t(ringStart.size());
        const uint32_t first = uint32_t(point.size());
        ringStart.push_back(first);
        Wide area = 0;
        for (uint32_t e = h; !used[e];) {
            used[e] = 1;
            area += g.halfArea(e);
            // The corners of the run, up to its head.
            const uint32_t from = g.first[e >> 1], to = g.last[e >> 1];
            if (e & 1)
                for (uint32_t i = to; i-- > from;)
                    point.push_back(segments[i].b);
            else
                for (uint32_t i = from; i < to; ++i)
                    point.push_back(segments[i].a);
            uint32_t f = g.clockwise(e ^ 1);
            while (!boundary[f])
                f = g.clockwise(f);
            e = f;
            if (used[e] && e != h)
                return nullptr; // not a cycle: the graph is not planar after all
        }
        ringArea.push_back(area);
        ringOf.resize(point.size(), ring);
        for (uint32_t c = uint32_t(next.size()) + 1; c < point.size(); ++c)
            next.push_back(c);
        next.push_back(first);
    }
    // Drop corners on a straight run.
    const size_t corners = point.size();
    std::vector<char> &gone = Scratch<char, 3>();
    gone.assign(corners, 0);
    std::vector<uint32_t> &previous = Scratch<uint32_t, 14>();
    previous.resize(corners);
    for (uint32_t c = 0; c < corners; ++c)
        previous[next[c]] = c;
    for (uint32_t c = 0; c < corners; ++c) {
        const Pt &a = point[previous[c]], &b = point[c], &d = point[next[c]];
        if (next[c] != c && previous[c] != next[c] && Orientation(a, b, d) == 0 &&
            Wide(b.x - a.x) * (d.x - b.x) + Wide(b.y - a.y) * (d.y - b.y) > 0) {
            next[previous[c]] = next[c];
            previous[next[c]] = previous[c];
            gone[c] = 1;
            if (ringStart[ringOf[c]] == c)
                ringStart[ringOf[c]] = next[c];
        }
    }

    // Holes, from the highest top down, joined to the edge straight above
    // their top point; an edge of a higher hole is already in its outer ring.
    struct Hole {
        uint32_t ring, top;
    };
    std::vector<Hole> holes;
    for (uint32_t r = 0; r < ringStart.size(); ++r) {
        if (ringArea[r] >= 0)
            continue;
        uint32_t top = ringStart[r], c = top;
        do {
            if (point[c].y > point[top].y || (point[c].y == point[top].y && point[c].x < point[top].x))
                top = c;
            c = next[c];
        } while (c != ringStart[r]);
        holes.push_back({r, top});
    }
    std::sort(holes.begin(), holes.end(), [&](const Hole &a, const Hole &b) {
        return point[a.top].y > point[b.top].y ||
               (point[a.top].y == point[b.top].y && point[a.top].x < point[b.top].x);
    });
    // The edges by columns of x, so that a hole looks only at those over its
    // top; the edges that bridges split off are looked at one by one.
    std::vector<uint32_t> &columnStart = Scratch<uint32_t, 15>(), &columnEdges = Scratch<uint32_t, 16>(),
                          &splitOff = Scratch<uint32_t, 17>();
    int64_t minX = INT64_MAX, maxX = INT64_MIN;
    for (uint32_t k = 0; k < corners && !holes.empty(); ++k)
        if (!gone[k]) {
            minX = std::min(minX, point[k].x);
            maxX = std::max(maxX, point[k].x);
        }
    const int64_t columns = holes.empty() ? 1 : std::clamp<int64_t>(int64_t(corners / 16), 1, 4096);
    const double perColumn = holes.empty() ? 0 : double(columns) / (double(maxX - minX) + 1);
    const auto columnOf = [&](int64_t x) {
        return std::clamp<int64_t>(int64_t(double(x - minX) * perColumn), 0, columns - 1);
    };
    columnStart.assign(size_t(columns) + 1, 0);
    for (int pass = 0; pass < 2 && !holes.empty(); ++pass) {
        std::vector<uint32_t> &fill = Scratch<uint32_t, 18>();
        if (pass == 1) {
            std::partial_sum(columnStart.begin(), columnStart.end(), columnStart.begin());
            columnEdges.resize(columnStart.back());
            fill.assign(columnStart.begin(), columnStart.end() - 1);
        }
        for (uint32_t k = 0; k < corners; ++k) {
            if (gone[k])
                continue;
            const int64_t c0 = columnOf(std::min(point[k].x, point[next[k]].x)),
                          c1 = columnOf(std::max(point[k].x, point[next[k]].x));
            for (int64_t c = c0; c <= c1; ++c) {
                if (pass == 0)
                    ++columnStart[size_t(c) + 1];
                else
                    columnEdges[fill[size_t(c)]++] = k;
            }
        }
    }
    for (const Hole &hole : holes) {
        const Pt c = point[hole.top];
        uint32_t edge = UINT32_MAX;
        long double nearest = 0;
        bool leftward = false;
        const size_t column = size_t(columnOf(c.x));
        const size_t fromColumn = columnStart[column], toColumn = columnStart[column + 1];
        for (size_t e = fromColumn; e < toColumn + splitOff.size(); ++e) {
            const uint32_t k = e < toColumn ? columnEdges[e] : splitOff[e - toColumn];
            if (gone[k] || ringOf[k] == hole.ring)
                continue;
            const Pt &a = point[k], &b = point[next[k]];
            if (a.x == b.x || c.x < std::min(a.x, b.x) || c.x > std::max(a.x, b.x))
                continue;
            const long double y = static_cast<long double>(a.y) + static_cast<long double>(b.y - a.y) *
                                                                      static_cast<long double>(c.x - a.x) /
                                                                      static_cast<long double>(b.x - a.x);
            if (y < static_cast<long double>(c.y))
                continue;
            const bool goesLeft = a.x > b.x;
            if (edge == UINT32_MAX || y < nearest || (y == nearest && goesLeft && !leftward)) {
                edge = k;
                nearest = y;
                leftward = goesLeft;
            }
        }
        if (edge == UINT32_MAX || !leftward)
            return nullptr;
        // edge -> q -> hole top ... around the hole ... -> top again -> q -> on.
        const Pt q{c.x, int64_t(std::llround(nearest))};
        const uint32_t q1 = uint32_t(point.size()), q2 = q1 + 1, top2 = q1 + 2, after = next[edge],
                       beforeTop = previous[hole.top];
        const uint32_t ringOfEdge = ringOf[edge];
        point.insert(point.end(), {q, q, c});
        splitOff.push_back(q2);
        gone.insert(gone.end(), 3, 0);
        next.insert(next.end(), {hole.top, after, q2});
        previous.insert(previous.end(), {edge, top2, beforeTop});
        ringOf.insert(ringOf.end(), 3, ringOfEdge);
        next[edge] = q1;
        previous[hole.top] = q1;
        next[beforeTop] = top2;
        previous[after] = q2;
        // The hole's corners now belong to the ring it joined.
        uint32_t k = hole.top;
        do {
            ringOf[k] = ringOfEdge;
            k = next[k];
        } while (k != q2);
    }

    // The outer rings with their holes, clockwise, without repeated points.
    std::vector<PlgListWithNumPoints> &polygons = Scratch<PlgListWithNumPoints, 0>();
    std::vector<PlgList> &points = Scratch<PlgList, 0>();
    size_t walked = 0;
    for (uint32_t r = 0; r < ringStart.size(); ++r) {
        if (ringArea[r] <= 0)
            continue;
        const size_t first = points.size();
        uint32_t c = ringStart[r];
        do {
            const PlgList p{int32_t(point[c].x), int32_t(point[c].y)};
            if (points.size() == first || points.back().x != p.x || points.back().y != p.y)
                points.push_back(p);
            c = next[c];
            if (++walked > point.size())
                return nullptr;
        } while (c != ringStart[r]);
        while (points.size() > first + 1 && points.back().x == points[first].x &&
               points.back().y == points[first].y)
            points.pop_back();
        if (points.size() - first < 3) {
            points.resize(first);
            continue;
        }
        std::reverse(points.begin() + long(first), points.end());
        polygons.push_back({int32_t(first), int32_t(points.size() - first)});
    }
    auto *set = new PlgOpResult{nullptr, nullptr, int32_t(points.size()), int32_t(polygons.size())};
    if (!polygons.empty()) {
        set->polygons = new PlgListWithNumPoints[polygons.size()];
        std::copy(polygons.begin(), polygons.end(), set->polygons);
        set->points = new PlgList[points.size()];
        std::copy(points.begin(), points.end(), set->points);
    }
    return set;
}

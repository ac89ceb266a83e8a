#include "engine/polygon/result_rounding.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <unordered_map>
#include <utility>

namespace {

using Wide = __int128;

// Coordinates far beyond the 32-bit map range are held here, so that the
// exact products below stay within 128 bits.
constexpr double kCoordinateLimit = 8589934592.0; // 2^33

double Held(double v)
{
    if (!(v == v))
        return 0.0;
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

// Half away from zero, as the entry rounds every result coordinate.
int64_t RoundHalfAway(double v)
{
    return static_cast<int64_t>(v > 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5));
}

struct Segment {
    double ax, ay, bx, by;
};

Wide Cross(const GridPoint &u, const GridPoint &v) { return Wide(u.x) * v.y - Wide(u.y) * v.x; }

GridPoint Minus(const GridPoint &a, const GridPoint &b) { return {a.x - b.x, a.y - b.y}; }

// Angle order of directions, counter-clockwise from the +x axis.
int HalfPlane(const GridPoint &d) { return (d.y < 0 || (d.y == 0 && d.x < 0)) ? 1 : 0; }

bool AngleLess(const GridPoint &a, const GridPoint &b)
{
    const int ha = HalfPlane(a), hb = HalfPlane(b);
    if (ha != hb)
        return ha < hb;
    return Cross(a, b) > 0;
}

bool SameDirection(const GridPoint &a, const GridPoint &b)
{
    return HalfPlane(a) == HalfPlane(b) && Cross(a, b) == 0;
}

// Whether p, q, r follow one another counter-clockwise (strictly).
bool CounterClockwiseOrder(const GridPoint &p, const GridPoint &q, const GridPoint &r)
{
    const bool pq = AngleLess(p, q), qr = AngleLess(q, r), rp = AngleLess(r, p);
    return (pq && qr) || (qr && rp) || (rp && pq);
}

// Twice the signed area (counter-clockwise positive), exact.
Wide Area2(const GridRing &ring)
{
    Wide sum = 0;
    for (size_t i = 0; i < ring.size(); i++)
        sum += Cross(ring[i], ring[(i + 1) % ring.size()]);
    return sum;
}

// ------------------------------------------------------------ grid index

// A uniform grid of square cells over a box, about one cell per item.
class GridLayout {
public:
    GridLayout() = default;
    GridLayout(double x0, double y0, double x1, double y1, size_t items)
    {
        _x0 = x0 - 2;
        _y0 = y0 - 2;
        const double w = x1 - x0 + 4, h = y1 - y0 + 4;
        const double n = double(std::max<size_t>(items, 1));
        _size = std::max({2.0, std::sqrt(w * h / n), std::max(w, h) / (2 * n + 8)});
        _columns = int64_t(w / _size) + 1;
        _rows = int64_t(h / _size) + 1;
    }

    int64_t CellCount() const { return _columns * _rows; }
    int64_t Column(double x) const
    {
        return std::clamp(int64_t((x - _x0) / _size), int64_t(0), _columns - 1);
    }
    int64_t Row(double y) const { return std::clamp(int64_t((y - _y0) / _size), int64_t(0), _rows - 1); }
    int64_t Cell(int64_t column, int64_t row) const { return row * _columns + column; }
    int64_t CellOf(double x, double y) const { return Cell(Column(x), Row(y)); }
    int64_t Rows() const { return _rows; }
    double RowTop(int64_t row) const { return _y0 + double(row + 1) * _size; }

    // Every cell that the segment, widened by a margin of one unit, touches.
    template <class F>
    void ForCells(double ax, double ay, double bx, double by, F f) const
    {
        const double margin = 1.0;
        const double minX = std::min(ax, bx), maxX = std::max(ax, bx);
        const int64_t c0 = Column(minX - margin), c1 = Column(maxX + margin);
        for (int64_t c = c0; c <= c1; c++) {
            const double left = std::max(minX, _x0 + double(c) * _size - margin);
            const double right = std::min(maxX, _x0 + double(c + 1) * _size + margin);
            double ya, yb;
            if (ax == bx || left > right) {
                ya = std::min(ay, by);
                yb = std::max(ay, by);
            } else {
                const double slope = (by - ay) / (bx - ax);
                ya = ay + (left - ax) * slope;
                yb = ay + (right - ax) * slope;
                if (ya > yb)
                    std::swap(ya, yb);
            }
            for (int64_t r = Row(ya - margin), r1 = Row(yb + margin); r <= r1; r++)
                f(Cell(c, r));
        }
    }

private:
    double _x0 = 0, _y0 = 0, _size = 1;
    int64_t _columns = 1, _rows = 1;
};

// Items listed by cell in compressed rows: emit(item, f) calls f for each
// cell of the item.
class CellLists {
public:
    template <class Emit>
    void Build(int64_t cells, size_t items, Emit emit)
    {
        _start.assign(size_t(cells + 1), 0);
        for (size_t i = 0; i < items; i++)
            emit(i, [&](int64_t cell) { _start[size_t(cell) + 1]++; });
        for (size_t c = 1; c < _start.size(); c++)
            _start[c] += _start[c - 1];
        _items.resize(_start.back());
        std::vector<uint32_t> fill(_start.begin(), _start.end() - 1);
        for (size_t i = 0; i < items; i++)
            emit(i, [&](int64_t cell) { _items[fill[size_t(cell)]++] = uint32_t(i); });
    }
    const uint32_t *Begin(int64_t cell) const { return _items.data() + _start[size_t(cell)]; }
    const uint32_t *End(int64_t cell) const { return _items.data() + _start[size_t(cell) + 1]; }
    bool Empty(int64_t cell) const { return _start[size_t(cell)] == _start[size_t(cell) + 1]; }

private:
    std::vector<uint32_t> _start;
    std::vector<uint32_t> _items;
};

GridLayout LayoutOf(const std::vector<Segment> &segments)
{
    double x0 = std::numeric_limits<double>::max(), y0 = x0;
    double x1 = std::numeric_limits<double>::lowest(), y1 = x1;
    for (const Segment &s : segments) {
        x0 = std::min({x0, s.ax, s.bx});
        x1 = std::max({x1, s.ax, s.bx});
        y0 = std::min({y0, s.ay, s.by});
        y1 = std::max({y1, s.ay, s.by});
    }
    return GridLayout(x0, y0, x1, y1, segments.size());
}

// Whether the segment meets the closed unit square around the grid point
// (clipping of the segment's parameter range against the square's slabs).
// Half the side of the square around a node's pixel within which a
// crossing left by the graphs' own rounding may lie.
constexpr double kNearPixel = 0.52;

bool PassesPixel(const Segment &s, const GridPoint &h, double *t, double half = 0.5)
{
    const double ax = s.ax - double(h.x), ay = s.ay - double(h.y);
    const double dx = s.bx - s.ax, dy = s.by - s.ay;
    double lo = 0, hi = 1;
    auto clip = [&](double start, double delta) {
        if (delta == 0)
            return start >= -half && start <= half;
        double t0 = (-half - start) / delta, t1 = (half - start) / delta;
        if (t0 > t1)
            std::swap(t0, t1);
        lo = std::max(lo, t0);
        hi = std::min(hi, t1);
        return lo <= hi;
    };
    if (!clip(ax, dx) || !clip(ay, dy))
        return false;
    *t = (lo + hi) / 2;
    return true;
}

// The point where two segments cross inside both, if they do.
// Side of c from the line a -> b: 1 left, -1 right, 0 on it or too close
// to tell in doubles. (A difference of two coordinates is exact or within
// 2^-51 of itself, so the bound holds for any coordinates.)
int SideOf(double ax, double ay, double bx, double by, double cx, double cy)
{
    const double t1 = (bx - ax) * (cy - ay), t2 = (by - ay) * (cx - ax);
    const double d = t1 - t2, bound = 1e-14 * (std::fabs(t1) + std::fabs(t2));
    return d > bound ? 1 : d < -bound ? -1 : 0;
}

bool ProperCrossing(const Segment &p, const Segment &q, double *x, double *y)
{
    if (std::max(p.ax, p.bx) < std::min(q.ax, q.bx) || std::max(q.ax, q.bx) < std::min(p.ax, p.bx) ||
        std::max(p.ay, p.by) < std::min(q.ay, q.by) || std::max(q.ay, q.by) < std::min(p.ay, p.by))
        return false;
    // Most pairs lie clearly on one side of each other: decided in doubles.
    const int s1 = SideOf(p.ax, p.ay, p.bx, p.by, q.ax, q.ay),
              s2 = SideOf(p.ax, p.ay, p.bx, p.by, q.bx, q.by);
    if (s1 != 0 && s1 == s2)
        return false;
    const int s3 = SideOf(q.ax, q.ay, q.bx, q.by, p.ax, p.ay),
              s4 = SideOf(q.ax, q.ay, q.bx, q.by, p.bx, p.by);
    if (s3 != 0 && s3 == s4)
        return false;
    using Long = long double;
    const Long rx = Long(p.bx) - p.ax, ry = Long(p.by) - p.ay;
    const Long sx = Long(q.bx) - q.ax, sy = Long(q.by) - q.ay;
    const Long denominator = rx * sy - ry * sx;
    if (denominator == 0)
        return false;
    const Long qpx = Long(q.ax) - p.ax, qpy = Long(q.ay) - p.ay;
    const Long t = (qpx * sy - qpy * sx) / denominator;
    const Long u = (qpx * ry - qpy * rx) / denominator;
    if (!(t > 0 && t < 1 && u > 0 && u < 1))
        return false;
    *x = double(Long(p.ax) + t * rx);
    *y = double(Long(p.ay) + t * ry);
    return true;
}

// ------------------------------------------------------------ snap rounding

// The pixel of a point that lies strictly inside it, else a point that
// is no pixel.
GridPoint InnerPixel(double x, double y)
{
    const GridPoint p{RoundHalfAway(x), RoundHalfAway(y)};
    if (std::fabs(x - double(p.x)) < 0.5 && std::fabs(y - double(p.y)) < 0.5)
        return p;
    return {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::min()};
}

struct Hit {
    uint32_t segment;
    double t;
    GridPoint pixel;
};

// Lattice edges of the snapped segments, in the direction of the segments.
std::vector<std::pair<GridPoint, GridPoint>> SnapRound(const std::vector<Segment> &segments)
{
    std::vector<std::pair<GridPoint, GridPoint>> edges;
    if (segments.empty())
        return edges;
    const GridLayout grid = LayoutOf(segments);
    CellLists bySegment;
    bySegment.Build(grid.CellCount(), segments.size(), [&](size_t i, auto f) {
        const Segment &s = segments[i];
        grid.ForCells(s.ax, s.ay, s.bx, s.by, f);
    });

    std::vector<GridPoint> hot;
    hot.reserve(segments.size());
    for (const Segment &s : segments)
        hot.push_back({RoundHalfAway(s.ax), RoundHalfAway(s.ay)});
    std::sort(hot.begin(), hot.end());
    hot.erase(std::unique(hot.begin(), hot.end()), hot.end());
    CellLists byPixel;
    byPixel.Build(grid.CellCount(), hot.size(),
                  [&](size_t i, auto f) { f(grid.CellOf(double(hot[i].x), double(hot[i].y))); });

    // Pixels a segment passes besides those of its own ends. An end strictly
    // inside its own pixel is where the chain starts or stops anyway; an end
    // on a pixel's border may touch others first, so its pixel is ordered
    // with the rest.
    std::vector<Hit> hits;
    auto hit = [&](uint32_t segment, const GridPoint &h) {
        const Segment &s = segments[segment];
        double t;
        if (h != InnerPixel(s.ax, s.ay) && h != InnerPixel(s.bx, s.by) && PassesPixel(s, h, &t))
            hits.push_back({segment, t, h});
    };
    // Crossings. The graphs hand back noded rings whose nodes were then
    // rounded to the internal grid (a hundredth of a unit) or merged when
    // closer than a ten-thousandth: a crossing this left lies that close to
    // a node, so both of its segments pass the node's pixel widened a
    // little. Only segments near one pixel are paired.
    std::vector<GridPoint> crossings;
    std::vector<uint32_t> near;
    for (int64_t cell = 0; cell < grid.CellCount(); cell++) {
        for (const uint32_t *k = byPixel.Begin(cell); k != byPixel.End(cell); k++) {
            const GridPoint &h = hot[*k];
            near.clear();
            for (const uint32_t *i = bySegment.Begin(cell); i != bySegment.End(cell); i++) {
                double t;
                if (PassesPixel(segments[*i], h, &t, kNearPixel)) {
                    near.push_back(*i);
                    hit(*i, h);
                }
            }
            for (size_t i = 0; i < near.size(); i++)
                for (size_t j = i + 1; j < near.size(); j++) {
                    double x, y;
                    if (ProperCrossing(segments[near[i]], segments[near[j]], &x, &y))
                        crossings.push_back({RoundHalfAway(x), RoundHalfAway(y)});
                }
        }
    }
    std::sort(crossings.begin(), crossings.end());
    crossings.erase(std::unique(crossings.begin(), crossings.end()), crossings.end());
    for (const GridPoint &h : crossings) {
        if (std::binary_search(hot.begin(), hot.end(), h))
            continue;
        const int64_t cell = grid.CellOf(double(h.x), double(h.y));
        for (const uint32_t *i = bySegment.Begin(cell); i != bySegment.End(cell); i++)
            hit(*i, h);
    }
    std::sort(hits.begin(), hits.end(), [](const Hit &p, const Hit &q) {
        return p.segment != q.segment ? p.segment < q.segment : p.t < q.t;
    });

    edges.reserve(segments.size() + hits.size());
    size_t next = 0;
    for (uint32_t i = 0; i < segments.size(); i++) {
        const Segment &s = segments[i];
        GridPoint at{RoundHalfAway(s.ax), RoundHalfAway(s.ay)};
        auto to = [&](const GridPoint &p) {
            if (p != at)
                edges.push_back({at, p});
            at = p;
        };
        for (; next < hits.size() && hits[next].segment == i; next++)
            to(hits[next].pixel);
        to({RoundHalfAway(s.bx), RoundHalfAway(s.by)});
    }
    return edges;
}

// ------------------------------------------------------------ tracing

// Grid points numbered through an open-addressing table.
class PointNumbers {
public:
    explicit PointNumbers(size_t expected)
    {
        size_t size = 16;
        while (size < expected * 2)
            size *= 2;
        _slots.assign(size, -1);
        _mask = size - 1;
    }
    uint32_t Number(const GridPoint &p)
    {
        uint64_t h = uint64_t(p.x) * 0x9E3779B97F4A7C15ull ^ (uint64_t(p.y) + 0x632BE59BD9B4E019ull);
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 32;
        for (size_t slot = h & _mask;; slot = (slot + 1) & _mask) {
            if (_slots[slot] < 0) {
                _slots[slot] = int64_t(points.size());
                points.push_back(p);
                return uint32_t(points.size() - 1);
            }
            if (points[size_t(_slots[slot])] == p)
                return uint32_t(_slots[slot]);
        }
    }
    std::vector<GridPoint> points;

private:
    std::vector<int64_t> _slots;
    size_t _mask = 0;
};

// Rings of the lattice edges: opposite coincident edges cancel (spikes,
// zero-width gaps and slivers go, rings that touch along an edge join), and
// each face's boundary is followed by turning, at every node, to the first
// outgoing edge counter-clockwise from the way back, so that rings meet
// only at points and never cross.
std::vector<GridRing> TraceRings(const std::vector<std::pair<GridPoint, GridPoint>> &lattice)
{
    PointNumbers numbers(lattice.size());
    std::vector<std::pair<uint32_t, uint32_t>> edges;
    edges.reserve(lattice.size());
    for (const auto &[a, b] : lattice)
        edges.push_back({numbers.Number(a), numbers.Number(b)});
    const std::vector<GridPoint> &points = numbers.points;

    std::vector<uint32_t> start(points.size() + 1, 0);
    for (const auto &e : edges)
        start[e.first + 1]++;
    for (size_t i = 1; i < start.size(); i++)
        start[i] += start[i - 1];
    std::vector<uint32_t> out(edges.size());
    {
        std::vector<uint32_t> fill(start.begin(), start.end() - 1);
        for (uint32_t e = 0; e < edges.size(); e++)
            out[fill[edges[e].first]++] = e;
    }
    std::vector<char> alive(edges.size(), 1);
    for (uint32_t e = 0; e < edges.size(); e++) {
        if (!alive[e])
            continue;
        const auto [u, v] = edges[e];
        for (uint32_t k = start[v]; k < start[v + 1]; k++) {
            const uint32_t f = out[k];
            if (alive[f] && edges[f].second == u) {
                alive[e] = alive[f] = 0;
                break;
            }
        }
    }
    // Outgoing edges of each node by angle.
    for (uint32_t node = 0; node < points.size(); node++) {
        auto direction = [&](uint32_t e) { return Minus(points[edges[e].second], points[node]); };
        std::sort(out.begin() + start[node], out.begin() + start[node + 1],
                  [&](uint32_t p, uint32_t q) { return AngleLess(direction(p), direction(q)); });
    }

    std::vector<char> used(edges.size(), 0);
    auto nextEdge = [&](uint32_t arriving) -> int64_t {
        const uint32_t node = edges[arriving].second;
        const GridPoint back = Minus(points[edges[arriving].first], points[node]);
        const uint32_t first = start[node], count = start[node + 1] - first;
        // The first outgoing edge after the way back, counter-clockwise.
        uint32_t from = 0;
        while (from < count && !AngleLess(back, Minus(points[edges[out[first + from]].second], points[node])))
            from++;
        for (uint32_t step = 0; step < count; step++) {
            const uint32_t e = out[first + (from + step) % count];
            if (alive[e] && !used[e])
                return e;
        }
        return -1;
    };

    std::vector<GridRing> rings;
    for (uint32_t e = 0; e < edges.size(); e++) {
        if (!alive[e] || used[e])
            continue;
        GridRing ring;
        int64_t current = e;
        while (current >= 0 && !used[size_t(current)]) {
            used[size_t(current)] = 1;
            ring.push_back(points[edges[size_t(current)].first]);
            current = nextEdge(uint32_t(current));
        }
        rings.push_back(std::move(ring));
    }
    return rings;
}

// ------------------------------------------------------------ hole bridges

// The rings as cycles of vertices that holes are spliced into.
class RingCycles {
public:
    int AddRing(const GridRing &ring)
    {
        const int id = int(_heads.size());
        const int first = int(_points.size());
        for (size_t i = 0; i < ring.size(); i++) {
            _points.push_back(ring[i]);
            _next.push_back(first + int((i + 1) % ring.size()));
            _prev.push_back(first + int((i + ring.size() - 1) % ring.size()));
            _ring.push_back(id);
        }
        _heads.push_back(first);
        _placed.push_back(false);
        return id;
    }
    void Place(int ring) { _placed[size_t(ring)] = true; }
    // Indexes the edges by cell; needed before the first bridge.
    void BuildIndex();

    // Joins the hole whose top vertex is node top to the placed ring above;
    // false when there is none.
    bool Bridge(int top);

    GridRing Cycle(int ring) const
    {
        GridRing cycle;
        const int head = _heads[size_t(ring)];
        int node = head;
        do {
            cycle.push_back(_points[size_t(node)]);
            node = _next[size_t(node)];
        } while (node != head && cycle.size() <= _points.size());
        return cycle;
    }
    const GridPoint &Point(int node) const { return _points[size_t(node)]; }
    int Head(int ring) const { return _heads[size_t(ring)]; }
    int Next(int node) const { return _next[size_t(node)]; }

private:
    int NewNode(const GridPoint &p, int ring)
    {
        _points.push_back(p);
        _next.push_back(-1);
        _prev.push_back(-1);
        _ring.push_back(ring);
        return int(_points.size() - 1);
    }
    // Splits the edge from node a at p (and its twin, a bridge running the
    // other way, if there is one); answers the new node after a.
    int SplitEdge(int a, const GridPoint &p);
    // Of the nodes at point p, the one whose region takes in direction d.
    int Occurrence(const GridPoint &p, const GridPoint &d) const;
    bool Active(int node) const { return _placed[size_t(_ring[size_t(node)])]; }
    // Lists the edge from node in the index (edges that shrink keep their
    // old cells: every query checks the edges as they stand).
    void Register(int node);
    template <class F>
    void ForNodesIn(int64_t cell, F f) const
    {
        for (const uint32_t *i = _cells.Begin(cell); i != _cells.End(cell); i++)
            f(int(*i));
        if (auto it = _added.find(cell); it != _added.end())
            for (int node : it->second)
                f(node);
    }
    template <class F>
    void ForNodesAt(const GridPoint &p, F f) const
    {
        ForNodesIn(_grid.CellOf(double(p.x), double(p.y)), [&](int node) {
            if (Active(node) && _points[size_t(node)] == p)
                f(node);
        });
    }

    std::vector<GridPoint> _points;
    std::vector<int> _next, _prev, _ring, _heads;
    std::vector<bool> _placed;
    GridLayout _grid;
    CellLists _cells;
    std::unordered_map<int64_t, std::vector<int>> _added;
};

void RingCycles::BuildIndex()
{
    int64_t x0 = std::numeric_limits<int64_t>::max(), y0 = x0;
    int64_t x1 = std::numeric_limits<int64_t>::min(), y1 = x1;
    for (const GridPoint &p : _points) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    _grid = GridLayout(double(x0), double(y0), double(x1), double(y1), _points.size());
    _cells.Build(_grid.CellCount(), _points.size(), [&](size_t node, auto f) {
        const GridPoint &p = _points[node], &q = _points[size_t(_next[node])];
        _grid.ForCells(double(p.x), double(p.y), double(q.x), double(q.y), f);
    });
}

void RingCycles::Register(int node)
{
    const GridPoint &p = _points[size_t(node)], &q = _points[size_t(_next[size_t(node)])];
    _grid.ForCells(double(p.x), double(p.y), double(q.x), double(q.y),
                   [&](int64_t cell) { _added[cell].push_back(node); });
}

int RingCycles::SplitEdge(int a, const GridPoint &p)
{
    const int b = _next[size_t(a)];
    const GridPoint pa = _points[size_t(a)], pb = _points[size_t(b)];
    auto insertAfter = [&](int node) {
        const int after = _next[size_t(node)];
        const int n = NewNode(p, _ring[size_t(node)]);
        _next[size_t(node)] = n;
        _prev[size_t(n)] = node;
        _next[size_t(n)] = after;
        _prev[size_t(after)] = n;
        Register(n);
        return n;
    };
    const int made = insertAfter(a);
    int twin = -1;
    ForNodesAt(pb, [&](int node) {
        if (twin < 0 && _points[size_t(_next[size_t(node)])] == pa)
            twin = node;
    });
    if (twin >= 0)
        insertAfter(twin);
    return made;
}

int RingCycles::Occurrence(const GridPoint &p, const GridPoint &d) const
{
    int found = -1, fitting = -1;
    ForNodesAt(p, [&](int node) {
        if (found < 0)
            found = node;
        // The region lies on the right of the ring: counter-clockwise from
        // the way back to the way on.
        const GridPoint in = Minus(_points[size_t(_prev[size_t(node)])], p);
        const GridPoint out = Minus(_points[size_t(_next[size_t(node)])], p);
        if (fitting < 0 &&
            (CounterClockwiseOrder(in, d, out) || (SameDirection(in, out) && !SameDirection(d, in))))
            fitting = node;
    });
    return fitting >= 0 ? fitting : found;
}

bool RingCycles::Bridge(int top)
{
    const GridPoint c = _points[size_t(top)];
    // The first vertex or edge straight above c.
    Wide bestNum = 0, bestDen = 0;
    int bestVertex = -1, bestEdge = -1;
    auto lower = [&](Wide num, Wide den) { return bestDen == 0 || num * bestDen < bestNum * den; };
    auto level = [&](Wide num, Wide den) { return bestDen != 0 && num * bestDen == bestNum * den; };
    auto test = [&](int node) {
        if (!Active(node))
            return;
        const GridPoint &p = _points[size_t(node)];
        const GridPoint &q = _points[size_t(_next[size_t(node)])];
        // A vertex met at the height of an edge wins (the edge ends there).
        if (p.x == c.x && p.y > c.y && (lower(p.y, 1) || (bestEdge >= 0 && level(p.y, 1)))) {
            bestNum = p.y;
            bestDen = 1;
            bestVertex = node;
            bestEdge = -1;
        }
        if ((p.x < c.x && c.x < q.x) || (q.x < c.x && c.x < p.x)) {
            Wide den = q.x - p.x;
            Wide num = Wide(p.y) * den + Wide(c.x - p.x) * (q.y - p.y);
            if (den < 0) {
                den = -den;
                num = -num;
            }
            if (num > Wide(c.y) * den && lower(num, den)) {
                bestNum = num;
                bestDen = den;
                bestEdge = node;
                bestVertex = -1;
            }
        }
    };
    // Cell by cell up the column; an edge met in a higher row lies higher.
    const int64_t column = _grid.Column(double(c.x));
    for (int64_t row = _grid.Row(double(c.y)); row < _grid.Rows(); row++) {
        ForNodesIn(_grid.Cell(column, row), test);
        if (bestDen != 0 && double(bestNum) / double(bestDen) < _grid.RowTop(row) - 0.5)
            break;
    }
    if (bestVertex < 0 && bestEdge < 0)
        return false;

    int target;
    if (bestVertex >= 0) {
        target = Occurrence(_points[size_t(bestVertex)], Minus(c, _points[size_t(bestVertex)]));
    } else if (bestNum % bestDen == 0) {
        target = SplitEdge(bestEdge, {c.x, int64_t(bestNum / bestDen)});
    } else {
        // The edge is met between lattice points: bridge to its lower end,
        // or to the vertex inside the triangle (c, hit, that end) nearest in
        // angle to the way up, which nothing can hide from c.
        const GridPoint &p = _points[size_t(bestEdge)];
        const GridPoint &q = _points[size_t(_next[size_t(bestEdge)])];
        const GridPoint m = p.y <= q.y ? p : q;
        const int64_t side = m.x > c.x ? 1 : -1;
        const Wide edgeSideOfC = Cross(Minus(q, p), Minus(c, p));
        GridPoint best = m;
        const double hitY = double(bestNum) / double(bestDen);
        const double minX = double(std::min(c.x, m.x)), maxX = double(std::max(c.x, m.x));
        const double minY = std::min(double(std::min(c.y, m.y)), hitY);
        const double maxY = std::max(double(std::max(c.y, m.y)), hitY);
        auto consider = [&](int node) {
            if (!Active(node))
                return;
            const GridPoint &r = _points[size_t(node)];
            if (r == c || r == m || (r.x - c.x) * side <= 0)
                return;
            const Wide edgeSide = Cross(Minus(q, p), Minus(r, p));
            if ((edgeSide > 0 && edgeSideOfC < 0) || (edgeSide < 0 && edgeSideOfC > 0))
                return; // beyond the edge
            const Wide mSide = Cross(Minus(m, c), Minus(r, c));
            if (mSide != 0 && (mSide > 0) != (side > 0))
                return; // beyond the line from c to the edge's end
            const Wide turn = Cross(Minus(r, c), Minus(best, c));
            const bool closer = side > 0 ? turn < 0 : turn > 0;
            const auto distance = [&](const GridPoint &g) {
                return Wide(g.x - c.x) * (g.x - c.x) + Wide(g.y - c.y) * (g.y - c.y);
            };
            if (closer || (turn == 0 && distance(r) < distance(best)))
                best = r;
        };
        for (int64_t col = _grid.Column(minX - 1), c1 = _grid.Column(maxX + 1); col <= c1; col++)
            for (int64_t row = _grid.Row(minY - 1), r1 = _grid.Row(maxY + 1); row <= r1; row++)
                ForNodesIn(_grid.Cell(col, row), consider);
        target = Occurrence(best, Minus(c, best));
    }
    if (target < 0)
        return false;

    // target -> top -> around the hole -> copy of top -> copy of target.
    const int targetNext = _next[size_t(target)];
    const int topPrev = _prev[size_t(top)];
    const int ring = _ring[size_t(target)];
    const int topCopy = NewNode(c, ring);
    const int targetCopy = NewNode(_points[size_t(target)], ring);
    for (int node = top;;) {
        _ring[size_t(node)] = ring;
        node = _next[size_t(node)];
        if (node == top)
            break;
    }
    _next[size_t(target)] = top;
    _prev[size_t(top)] = target;
    _next[size_t(topPrev)] = topCopy;
    _prev[size_t(topCopy)] = topPrev;
    _next[size_t(topCopy)] = targetCopy;
    _prev[size_t(targetCopy)] = topCopy;
    _next[size_t(targetCopy)] = targetNext;
    _prev[size_t(targetNext)] = targetCopy;
    for (int node : {target, topCopy, targetCopy})
        Register(node);
    return true;
}

} // namespace

std::vector<GridRing> RoundResultRings(const std::vector<std::vector<LPoint>> &rings)
{
    std::vector<Segment> segments;
    for (const std::vector<LPoint> &ring : rings) {
        if (ring.size() < 2)
            continue;
        // Turned clockwise by its area (relative to its first point, so that
        // rings far from the origin keep their precision).
        long double area = 0;
        const double ox = Held(ring[0].GetX()), oy = Held(ring[0].GetY());
        for (size_t i = 0; i < ring.size(); i++) {
            const LPoint &a = ring[i], &b = ring[(i + 1) % ring.size()];
            area += (static_cast<long double>(Held(a.GetX())) - ox) * (Held(b.GetY()) - oy) -
                    (static_cast<long double>(Held(b.GetX())) - ox) * (Held(a.GetY()) - oy);
        }
        const bool reverse = area > 0;
        const size_t n = ring.size();
        for (size_t k = 0; k < n; k++) {
            const size_t i = reverse ? n - 1 - k : k;
            const size_t j = reverse ? (i + n - 1) % n : (i + 1) % n;
            const Segment s{Held(ring[i].GetX()), Held(ring[i].GetY()), Held(ring[j].GetX()),
                            Held(ring[j].GetY())};
            if (s.ax != s.bx || s.ay != s.by)
                segments.push_back(s);
        }
    }

    const std::vector<GridRing> traced = TraceRings(SnapRound(segments));

    RingCycles cycles;
    std::vector<int> shells;
    std::vector<std::pair<int, int>> holes; // ring, top node
    for (const GridRing &ring : traced) {
        const Wide area = Area2(ring);
        if (area == 0 || ring.size() < 3)
            continue;
        const int id = cycles.AddRing(ring);
        if (area < 0) {
            cycles.Place(id);
            shells.push_back(id);
            continue;
        }
        // Top vertex: highest, the leftmost of equal height.
        int top = cycles.Head(id);
        for (int node = cycles.Next(top); node != cycles.Head(id); node = cycles.Next(node)) {
            const GridPoint &p = cycles.Point(node), &t = cycles.Point(top);
            if (p.y > t.y || (p.y == t.y && p.x < t.x))
                top = node;
        }
        holes.push_back({id, top});
    }
    // Highest holes first: a ray from a hole's top meets only rings already
    // in place (its shell, islands, holes bridged before it).
    std::sort(holes.begin(), holes.end(), [&](const auto &a, const auto &b) {
        const GridPoint &p = cycles.Point(a.second), &q = cycles.Point(b.second);
        return p.y != q.y ? p.y > q.y : p.x < q.x;
    });
    std::vector<GridRing> result;
    if (!holes.empty())
        cycles.BuildIndex();
    for (const auto &[ring, top] : holes) {
        if (cycles.Bridge(top))
            continue;
        // Nothing around it: a ring that came the wrong way round. Turned,
        // it stands on its own.
        GridRing turned = cycles.Cycle(ring);
        std::reverse(turned.begin(), turned.end());
        result.push_back(std::move(turned));
    }
    for (int shell : shells)
        result.push_back(cycles.Cycle(shell));
    return result;
}

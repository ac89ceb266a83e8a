#include "engine/polygon/cutting/polygon_cut.h"

#include "engine/editing/handle_list.h"
#include "engine/editing/line_segment.h"
#include "engine/editing/point_set.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/polyline_cut.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace {

using Wide = __int128;
using Key = std::pair<int32_t, int32_t>;

Key KeyOf(MAP_COORDPT p) { return {p.x, p.y}; }
bool Same(MAP_COORDPT a, MAP_COORDPT b) { return a.x == b.x && a.y == b.y; }

// Consecutive equal points collapsed; for a ring also across the wrap.
PointRing WithoutRepeats(const PointRing &in, bool ring)
{
    PointRing out;
    for (const MAP_COORDPT &p : in)
        if (out.empty() || !Same(out.back(), p))
            out.push_back(p);
    while (ring && out.size() > 1 && Same(out.back(), out.front()))
        out.pop_back();
    return out;
}

// Twice the signed area (counter-clockwise positive), exact.
Wide Area2(const PointRing &ring)
{
    Wide sum = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const MAP_COORDPT &a = ring[i], &b = ring[(i + 1) % ring.size()];
        sum += Wide(a.x) * b.y - Wide(b.x) * a.y;
    }
    return sum;
}

// Where points lie against the ring, the points given in doubled
// coordinates (so that the midpoint of two map points is exact): 1 inside,
// 0 outside, -1 on the outline. Even-odd rule. Each edge is tried only
// against the points within its height, found among the points sorted by y.
std::vector<int> ClassifyAll2(const PointRing &ring, const std::vector<std::pair<Wide, Wide>> &points)
{
    std::vector<size_t> byY(points.size());
    for (size_t i = 0; i < byY.size(); ++i)
        byY[i] = i;
    std::sort(byY.begin(), byY.end(),
              [&](size_t p, size_t q) { return points[p].second < points[q].second; });
    std::vector<char> inside(points.size(), 0), onOutline(points.size(), 0);
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Wide ax = Wide(ring[j].x) * 2, ay = Wide(ring[j].y) * 2;
        const Wide bx = Wide(ring[i].x) * 2, by = Wide(ring[i].y) * 2;
        const auto low = std::lower_bound(byY.begin(), byY.end(), std::min(ay, by),
                                          [&](size_t k, Wide y) { return points[k].second < y; });
        for (auto it = low; it != byY.end() && points[*it].second <= std::max(ay, by); ++it) {
            const auto [px, py] = points[*it];
            const Wide cross = (bx - ax) * (py - ay) - (by - ay) * (px - ax);
            if (cross == 0 && std::min(ax, bx) <= px && px <= std::max(ax, bx))
                onOutline[*it] = 1;
            if ((ay > py) != (by > py) && (by > ay ? cross > 0 : cross < 0))
                inside[*it] ^= 1;
        }
    }
    std::vector<int> out(points.size());
    for (size_t k = 0; k < points.size(); ++k)
        out[k] = onOutline[k] ? -1 : inside[k] ? 1 : 0;
    return out;
}

struct Segment {
    MAP_COORDPT a, b;
    bool cutter;
};

// Splits every segment at the points where others cross or touch it. Only
// segments whose x ranges overlap (widened by the slack of the crossing
// test) are tried: a sweep over the segments in order of their left end.
std::vector<Segment> Noded(const std::vector<Segment> &segments)
{
    const auto left = [](const Segment &s) { return int64_t(std::min(s.a.x, s.b.x)) - 2; };
    const auto right = [](const Segment &s) { return int64_t(std::max(s.a.x, s.b.x)) + 2; };
    std::vector<size_t> order(segments.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t p, size_t q) { return left(segments[p]) < left(segments[q]); });
    std::vector<std::vector<MAP_COORDPT>> cutsOf(segments.size());
    for (size_t oi = 0; oi < order.size(); ++oi) {
        const Segment &s = segments[order[oi]];
        const Linesegment ls{s.a.x, s.a.y, s.b.x, s.b.y};
        const int64_t sRight = right(s);
        const int64_t sTop = std::max(s.a.y, s.b.y) + int64_t(2),
                      sBottom = std::min(s.a.y, s.b.y) - int64_t(2);
        for (size_t oj = oi + 1; oj < order.size() && left(segments[order[oj]]) <= sRight; ++oj) {
            const Segment &t = segments[order[oj]];
            if (std::min(t.a.y, t.b.y) > sTop || std::max(t.a.y, t.b.y) < sBottom)
                continue;
            const Linesegment lt{t.a.x, t.a.y, t.b.x, t.b.y};
            MAP_COORDPT p{};
            if (LinesegmentIntersection(&ls, &lt, &p)) {
                if (!Same(p, s.a) && !Same(p, s.b))
                    cutsOf[order[oi]].push_back(p);
            }
            if (LinesegmentIntersection(&lt, &ls, &p)) {
                if (!Same(p, t.a) && !Same(p, t.b))
                    cutsOf[order[oj]].push_back(p);
            }
        }
    }
    std::vector<Segment> out;
    for (size_t i = 0; i < segments.size(); ++i) {
        const Segment &s = segments[i];
        std::vector<MAP_COORDPT> &cuts = cutsOf[i];
        const Wide dx = Wide(s.b.x) - s.a.x, dy = Wide(s.b.y) - s.a.y;
        const auto along = [&](MAP_COORDPT p) { return (Wide(p.x) - s.a.x) * dx + (Wide(p.y) - s.a.y) * dy; };
        // A crossing rounded to just beyond an end is that end's business.
        const Wide length2 = dx * dx + dy * dy;
        std::erase_if(cuts, [&](MAP_COORDPT p) { return along(p) <= 0 || along(p) >= length2; });
        std::sort(cuts.begin(), cuts.end(),
                  [&](MAP_COORDPT p, MAP_COORDPT q) { return along(p) < along(q); });
        MAP_COORDPT from = s.a;
        for (const MAP_COORDPT &p : cuts)
            if (!Same(p, from)) {
                out.push_back({from, p, s.cutter});
                from = p;
            }
        if (!Same(from, s.b))
            out.push_back({from, s.b, s.cutter});
    }
    return out;
}

} // namespace

std::vector<PointRing> SplitRingByPolyline(const PointRing &polygonIn, const PointRing &cutterIn)
{
    const PointRing polygon = WithoutRepeats(polygonIn, true), cutter = WithoutRepeats(cutterIn, false);
    if (polygon.size() < 3 || cutter.size() < 2 || Area2(polygon) == 0)
        return {};

    std::vector<Segment> segments;
    for (size_t i = 0; i < polygon.size(); ++i)
        segments.push_back({polygon[i], polygon[(i + 1) % polygon.size()], false});
    for (size_t i = 0; i + 1 < cutter.size(); ++i)
        segments.push_back({cutter[i], cutter[i + 1], true});

    // The graph: the polygon's edges and the parts of the line strictly
    // inside, each undirected edge once.
    std::set<std::pair<Key, Key>> edges;
    std::set<Key> outline;
    bool cutterInside = false;
    const std::vector<Segment> noded = Noded(segments);
    // Where the middle of every piece of the line lies.
    std::vector<std::pair<Wide, Wide>> middles;
    for (const Segment &s : noded)
        if (s.cutter)
            middles.push_back({Wide(s.a.x) + s.b.x, Wide(s.a.y) + s.b.y});
    const std::vector<int> where = ClassifyAll2(polygon, middles);
    size_t piece = 0;
    for (const Segment &s : noded) {
        if (s.cutter && where[piece++] != 1)
            continue;
        cutterInside |= s.cutter;
        if (!s.cutter) {
            outline.insert(KeyOf(s.a));
            outline.insert(KeyOf(s.b));
        }
        const Key a = KeyOf(s.a), b = KeyOf(s.b);
        edges.insert(a < b ? std::pair{a, b} : std::pair{b, a});
    }
    if (!cutterInside)
        return {};

    std::map<Key, std::vector<Key>> around;
    for (const auto &[a, b] : edges) {
        around[a].push_back(b);
        around[b].push_back(a);
    }
    // Loose ends bound no region: trim them until none is left.
    std::vector<Key> loose;
    for (const auto &[k, n] : around)
        if (n.size() == 1)
            loose.push_back(k);
    while (!loose.empty()) {
        const Key k = loose.back();
        loose.pop_back();
        auto it = around.find(k);
        if (it == around.end() || it->second.size() != 1)
            continue;
        const Key other = it->second.front();
        around.erase(it);
        std::vector<Key> &n = around[other];
        n.erase(std::find(n.begin(), n.end(), k));
        if (n.empty())
            around.erase(other);
        else if (n.size() == 1)
            loose.push_back(other);
    }

    // A loop of the line that touches the outline nowhere would leave a hole
    // in the piece around it, which one ring cannot hold: only what hangs
    // together with the outline takes part.
    std::set<Key> reached;
    std::vector<Key> queue;
    for (const Key &k : outline)
        if (around.count(k) && reached.insert(k).second)
            queue.push_back(k);
    while (!queue.empty()) {
        const Key k = queue.back();
        queue.pop_back();
        for (const Key &n : around.at(k))
            if (reached.insert(n).second)
                queue.push_back(n);
    }
    std::erase_if(around, [&](const auto &entry) { return !reached.count(entry.first); });

    // Neighbours counter-clockwise by angle, so that the face on the left of
    // u -> v goes on along the neighbour of v just clockwise of u.
    for (auto &[k, n] : around) {
        const Key c = k;
        const auto angle = [c](const Key &p) {
            return std::atan2(double(p.second) - c.second, double(p.first) - c.first);
        };
        std::sort(n.begin(), n.end(), [&](const Key &p, const Key &q) { return angle(p) < angle(q); });
    }
    std::set<std::pair<Key, Key>> walked;
    std::vector<PointRing> faces;
    size_t halfEdges = 0;
    for (const auto &[k, n] : around)
        halfEdges += n.size();
    for (const auto &[start, neighbours] : around)
        for (const Key &first : neighbours) {
            if (walked.count({start, first}))
                continue;
            PointRing face;
            Key u = start, v = first;
            // Every half-edge is walked once: the walk ends after at most all.
            for (size_t step = 0; step <= halfEdges && walked.insert({u, v}).second; ++step) {
                face.push_back({u.first, u.second});
                const std::vector<Key> &at = around.at(v);
                const size_t back = size_t(std::find(at.begin(), at.end(), u) - at.begin());
                const Key next = at[(back + at.size() - 1) % at.size()];
                u = v;
                v = next;
            }
            if (face.size() >= 3 && Area2(face) > 0)
                faces.push_back(std::move(face));
        }
    if (faces.size() < 2)
        return {};
    return faces;
}

OBJHANDLE CutPieceCreate(HWND window, const PointRing &points)
{
    _WNDRES *rec = GetWndRes(window);
    OBJHANDLE piece = ObjectCreateInActiveLayer(window, CLASS_POLYGON);
    if (!piece)
        return 0;
    if (!PointSetReplacePoints(rec->kernel, &piece, points.data(), uint32_t(points.size()))) {
        OBJectDelete(rec->kernel, piece);
        return 0;
    }
    return piece;
}

int CutPolygonByPolyline(HWND window, OBJHANDLE *polygon, int, OBJHANDLE *cutter, int, HGLOBAL *list1,
                         uint32_t *count1, HGLOBAL *list2, uint32_t *count2)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !polygon || !cutter)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    PointRing ring, line;
    if (!ReadPointSet(kernel, *polygon, CLASS_POLYGON, ring) ||
        !ReadPointSet(kernel, *cutter, CLASS_POLYLINE, line))
        return 0;
    if (list2 && count2) {
        *list2 = 0;
        *count2 = 0;
    }
    const std::vector<PointRing> pieces = SplitRingByPolyline(ring, line);
    if (pieces.empty())
        return 1;

    std::vector<OBJHANDLE> made;
    const auto undo = [&] {
        for (OBJHANDLE h : made)
            OBJectDelete(kernel, h);
    };
    for (const PointRing &piece : pieces) {
        const OBJHANDLE h = CutPieceCreate(window, piece);
        if (!h) {
            undo();
            return 0;
        }
        made.push_back(h);
    }
    if (list1 && count1) {
        HGLOBAL list = 0;
        uint32_t count = 0;
        for (OBJHANDLE h : made)
            if (!HandleListAppend(h, &list, &count)) {
                if (list)
                    GlobalFree(list);
                undo();
                return 0;
            }
        *list1 = list;
        *count1 = count;
    }
    SetSelection(window, made.data(), uint32_t(made.size()), 0, 0);
    return 1;
}

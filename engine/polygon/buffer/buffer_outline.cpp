#include "engine/polygon/buffer/buffer_outline.h"

#include "engine/editing/operations/map_reduction.h"
#include "engine/polygon/buffer/buffer_geometry.h"
#include "engine/polygon/buffer/winding_union.h"
#include "engine/polygon/engine_polygon.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>

namespace {

using SetPtr = std::unique_ptr<PlgOpResult, void (*)(PlgOpResult *)>;

// The plane every point of a zone must stay in, with a margin for the
// rounding of the engine's results.
constexpr double kPlaneLimit = double(std::numeric_limits<int32_t>::max()) - 2.0;

bool InPlane(const BufferPoint &p) { return std::fabs(p.x) <= kPlaneLimit && std::fabs(p.y) <= kPlaneLimit; }

// The points as doubles without consecutive repeats; a polygon also loses a
// last point equal to its first.
BufferPath DistinctPath(const std::vector<MAP_COORDPT> &points, bool polygon)
{
    BufferPath path;
    for (const MAP_COORDPT &p : points) {
        const BufferPoint q{double(p.x), double(p.y)};
        if (path.empty() || !(path.back() == q))
            path.push_back(q);
    }
    if (polygon && path.size() > 1 && path.front() == path.back())
        path.pop_back();
    return path;
}

double Distance(BufferPoint a, BufferPoint b)
{
    const double dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Rounds half away from zero.
int32_t RoundAway(double v) { return int32_t(v > 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5)); }

// Collects the pieces of the default calculation in a working list. Each
// piece is kept clockwise, so that overlapping pieces add up in the union
// whatever way their corners were listed.
class PieceList {
public:
    void add(const BufferPath &ring, bool groupA)
    {
        std::vector<LPoint> points;
        for (const BufferPoint &p : ring) {
            offPlane_ = offPlane_ || !InPlane(p);
            if (points.empty() || points.back().GetX() != p.x || points.back().GetY() != p.y)
                points.emplace_back(p.x, p.y);
        }
        while (points.size() > 1 && points.back().GetX() == points.front().GetX() &&
               points.back().GetY() == points.front().GetY())
            points.pop_back();
        if (points.size() < 3)
            return;
        double area2 = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            const LPoint &a = points[i], &b = points[(i + 1) % points.size()];
            area2 += (a.GetX() - points[0].GetX()) * (b.GetY() - points[0].GetY()) -
                     (b.GetX() - points[0].GetX()) * (a.GetY() - points[0].GetY());
        }
        if (area2 == 0)
            return;
        if (area2 > 0)
            std::reverse(points.begin(), points.end());
        (groupA ? AppendGroupAPolygon : AppendGroupBPolygon)(&list_, points.data(), int32_t(points.size()));
        WindingRing rounded;
        for (const LPoint &q : points)
            rounded.push_back({RoundAway(q.GetX()), RoundAway(q.GetY())});
        rings_.push_back(std::move(rounded));
    }
    // The pieces rounded to map units, all clockwise.
    const std::vector<WindingRing> &rings() const { return rings_; }
    bool offPlane() const { return offPlane_; }
    EnginePolygonList &list() { return list_; }

private:
    EnginePolygonList list_;
    std::vector<WindingRing> rings_;
    bool offPlane_ = false;
};

// The union of the pieces as a set: by their winding numbers, or by the
// Boolean engine when those do not settle; Failed when the engine did not
// finish it.
BufferResult UniteList(PieceList &pieces)
{
    if (PlgOpResult *united = WindingUnion(pieces.rings()))
        return {BufferOutcome::Made, united};
    EnginePolygonList &list = pieces.list();
    if (list.empty())
        return {BufferOutcome::Made, new PlgOpResult{nullptr, nullptr, 0, 0}};
    const PlgOpStatus status = RunPolygonListOperation(&list, PLG_UNION);
    if (status != PLG_OP_OK)
        return {BufferOutcome::Failed, nullptr};
    return {BufferOutcome::Made, PlgOpResultFromPolygonList(&list)};
}

// The join piece at v of the default calculation (prev: the segment r -> v,
// cur: the segment v -> t).
void DefaultJoin(PieceList &pieces, BufferPoint r, BufferPoint v, BufferPoint t, const SegmentOffsets &prev,
                 const SegmentOffsets &cur, const BufferParameters &p)
{
    const double s = double(p.size);
    const bool rounded = p.corners == mc_CornerRounded;
    BufferPath ring;
    switch (TurnAt(r, v, t)) {
    case BufferTurn::Straight:
        return;
    case BufferTurn::Back:
        // A cap beyond v, and a half disc at the far end of the segment that
        // turned back.
        ring.push_back(cur.a);
        if (rounded) {
            AppendArcPoints(ring, cur.a, v, cur.b, r, s, p.segments);
            ring.push_back(cur.b);
            ring.push_back(v);
        } else {
            ring.push_back(r);
            ring.push_back(cur.b);
            ring.push_back(TipBeyondChord(
                r, cur.a, cur.b, std::trunc(Distance(r, v)) + double(std::max(p.size * p.times, p.size))));
        }
        pieces.add(ring, false);
        ring = {cur.c};
        AppendArcPoints(ring, cur.c, t, cur.d, v, s, p.segments);
        ring.push_back(cur.d);
        ring.push_back(t);
        pieces.add(ring, false);
        return;
    case BufferTurn::Corner:
        break;
    }
    BufferPoint right, left;
    // Edge lines that turn out parallel continue straight on.
    if (!LinesIntersection(cur.a, cur.d, prev.a, prev.d, &right) ||
        !LinesIntersection(cur.b, cur.c, prev.b, prev.c, &left))
        return;
    const bool outerRight = BufferSideOfLine(r, v, right) != BufferSideOfLine(r, v, t);
    const BufferPoint f = outerRight ? prev.d : prev.c, g = outerRight ? cur.a : cur.b;
    ring.push_back(f);
    if (rounded)
        AppendArcPoints(ring, f, v, g, r, s, p.segments);
    else
        AppendMitre(ring, v, outerRight ? right : left, f, g, p.size, p.times);
    ring.push_back(g);
    ring.push_back(v);
    pieces.add(ring, false);
}

// The polygon's own ring as a one-ring set.
struct RingSet {
    std::vector<PlgListWithNumPoints> polygons;
    std::vector<PlgList> points;
    PlgOpResult set{};
    explicit RingSet(const BufferPath &ring)
    {
        for (const BufferPoint &q : ring)
            points.push_back({int32_t(q.x), int32_t(q.y)});
        polygons.push_back({0, int32_t(points.size())});
        set = {polygons.data(), points.data(), int32_t(points.size()), 1};
    }
};

// The two offset chains of a line, right and left of its direction of
// travel. Their ring (the right chain, then the left one backwards) is the
// outline of the default calculation's pieces laid end to end: at every
// corner the outer chain keeps both offsets around its arc or mitre, and the
// inner chain runs from the one offset through the vertex to the other. Its
// winding number at a point therefore counts the pieces over the point, and
// the zone is where that count is above nought, whatever the corners,
// turns back and crossings of the line.
struct Chains {
    BufferPath right, left;
};

// Whether x lies within the stretch of the segment a-b (its projection).
bool WithinSegment(BufferPoint a, BufferPoint b, BufferPoint x)
{
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    if (len2 == 0)
        return false;
    const double t = ((x.x - a.x) * dx + (x.y - a.y) * dy) / len2;
    return t >= 0 && t <= 1;
}

// The join of the chains at v (prev: the segment r -> v, cur: the segment
// v -> t).
void ChainJoin(Chains &chains, BufferPoint r, BufferPoint v, BufferPoint t, const SegmentOffsets &prev,
               const SegmentOffsets &cur, const BufferParameters &p)
{
    const double s = double(p.size);
    const bool rounded = p.corners == mc_CornerRounded;
    switch (TurnAt(r, v, t)) {
    case BufferTurn::Straight:
        chains.right.push_back(cur.a);
        chains.left.push_back(cur.b);
        return;
    case BufferTurn::Back:
        // The cap beyond v on the right chain (either chain would do: the
        // offsets swap sides there), from the previous right offset to the
        // current one; the left chain through v.
        chains.right.push_back(prev.d);
        if (rounded)
            AppendArcPoints(chains.right, prev.d, v, cur.a, r, s, p.segments);
        else
            chains.right.push_back(TipBeyondChord(
                r, cur.a, cur.b, std::trunc(Distance(r, v)) + double(std::max(p.size * p.times, p.size))));
        chains.right.push_back(cur.a);
        chains.left.push_back(prev.c);
        chains.left.push_back(v);
        chains.left.push_back(cur.b);
        return;
    case BufferTurn::Corner:
        break;
    }
    BufferPoint right, left;
    if (!LinesIntersection(cur.a, cur.d, prev.a, prev.d, &right) ||
        !LinesIntersection(cur.b, cur.c, prev.b, prev.c, &left)) {
        // Edge lines that turn out parallel: no join piece, both offsets
        // kept.
        chains.right.push_back(prev.d);
        chains.right.push_back(cur.a);
        chains.left.push_back(prev.c);
        chains.left.push_back(v);
        chains.left.push_back(cur.b);
        return;
    }
    const bool outerRight = BufferSideOfLine(r, v, right) != BufferSideOfLine(r, v, t);
    BufferPath &outer = outerRight ? chains.right : chains.left;
    BufferPath &inner = outerRight ? chains.left : chains.right;
    const BufferPoint f = outerRight ? prev.d : prev.c, g = outerRight ? cur.a : cur.b;
    const BufferPoint outerPoint = outerRight ? right : left, innerPoint = outerRight ? left : right;
    // The outer corner, round or mitred (a mitre runs along the offsets:
    // without them it bounds the same).
    if (rounded) {
        outer.push_back(f);
        AppendArcPoints(outer, f, v, g, r, s, p.segments);
        outer.push_back(g);
    } else {
        AppendMitre(outer, v, outerPoint, f, g, p.size, p.times);
    }
    // Inner edges crossing within both segments: the corner between them
    // lies in both rectangles, and their crossing will do.
    const bool leftInner = outerRight;
    if (WithinSegment(leftInner ? prev.b : prev.a, leftInner ? prev.c : prev.d, innerPoint) &&
        WithinSegment(leftInner ? cur.b : cur.a, leftInner ? cur.c : cur.d, innerPoint)) {
        inner.push_back(innerPoint);
    } else {
        inner.push_back(leftInner ? prev.c : prev.d);
        inner.push_back(v);
        inner.push_back(leftInner ? cur.b : cur.a);
    }
}

// The ring of the chains of a polyline or of one closed loop: the right
// chain and the left chain backwards, rounded, without consecutive repeats.
// OffPlane when a point leaves the plane.
BufferOutcome ChainRing(const BufferPath &path, bool polygon, const BufferParameters &p, double step,
                        const BufferProgress &progress, std::vector<PlgList> *ring)
{
    const double s = double(p.size);
    double percent = 0;

    Chains chains;
    const size_t m = path.size();
    // Room for a few arc points at every corner.
    const size_t room = m * (p.corners == mc_CornerRounded ? 4 : 2) + 16;
    chains.right.reserve(room);
    chains.left.reserve(room);
    SegmentOffsets prev{};
    for (size_t i = 0; i + 1 < m; ++i) {
        const SegmentOffsets cur = OffsetsOf(path[i], path[i + 1], s);
        if (i == 0) {
            chains.right.push_back(cur.a);
            chains.left.push_back(cur.b);
        } else {
            ChainJoin(chains, path[i - 1], path[i], path[i + 1], prev, cur, p);
        }
        prev = cur;
        if (i + 2 == m) {
            if (polygon) {
                const SegmentOffsets closing = OffsetsOf(path[m - 1], path[0], s);
                ChainJoin(chains, path[m - 2], path[m - 1], path[0], prev, closing, p);
                prev = closing;
            } else {
                chains.right.push_back(cur.d);
                chains.left.push_back(cur.c);
            }
        }
        percent += step;
        if (progress)
            progress(percent);
    }

    if (polygon) {
        const SegmentOffsets first = OffsetsOf(path[0], path[1], s);
        ChainJoin(chains, path[m - 1], path[0], path[1], prev, first, p);
        chains.right.front() = chains.right.back();
        chains.left.front() = chains.left.back();
    } else if (p.endings == mc_EndingsSquared) {
        // Each chain's outermost point pushed by s away from the line.
        const auto push = [&](BufferPoint a, BufferPoint b, BufferPoint neighbour) {
            const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
            BufferPoint n{-dy / len * s, dx / len * s};
            const BufferPoint mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
            if (n.x * (neighbour.x - mid.x) + n.y * (neighbour.y - mid.y) > 0)
                n = {-n.x, -n.y};
            return n;
        };
        const BufferPoint n0 = push(chains.right.front(), chains.left.front(), path[1]);
        chains.right.insert(chains.right.begin(),
                            {chains.right.front().x + n0.x, chains.right.front().y + n0.y});
        chains.left.insert(chains.left.begin(), {chains.left.front().x + n0.x, chains.left.front().y + n0.y});
        const BufferPoint n1 = push(chains.right.back(), chains.left.back(), path[m - 2]);
        chains.right.push_back({chains.right.back().x + n1.x, chains.right.back().y + n1.y});
        chains.left.push_back({chains.left.back().x + n1.x, chains.left.back().y + n1.y});
    } else if (p.endings == mc_EndingsRounded) {
        // The half disc at the end, split at its middle point between the
        // chains, so that the ring runs along it.
        BufferPath arc;
        size_t middle = 0;
        AppendArcPoints(arc, chains.right.back(), path[m - 1], chains.left.back(), path[m - 2], s, p.segments,
                        &middle);
        chains.right.insert(chains.right.end(), arc.begin(),
                            arc.begin() + long(std::min(middle + 1, arc.size())));
        if (middle + 1 < arc.size())
            chains.left.insert(chains.left.end(), arc.rbegin(), arc.rend() - long(middle + 1));
        arc.clear();
        AppendArcPoints(arc, chains.left.front(), path[0], chains.right.front(), path[1], s, p.segments,
                        &middle);
        BufferPath leftFront(arc.begin(), arc.begin() + long(std::min(middle, arc.size())));
        std::reverse(leftFront.begin(), leftFront.end());
        chains.left.insert(chains.left.begin(), leftFront.begin(), leftFront.end());
        chains.right.insert(chains.right.begin(), arc.begin() + long(std::min(middle, arc.size())),
                            arc.end());
    }

    ring->reserve(chains.right.size() + chains.left.size());
    for (const BufferPoint &q : chains.right) {
        if (!InPlane(q))
            return BufferOutcome::OffPlane;
        ring->push_back({RoundAway(q.x), RoundAway(q.y)});
    }
    for (auto it = chains.left.rbegin(); it != chains.left.rend(); ++it) {
        if (!InPlane(*it))
            return BufferOutcome::OffPlane;
        ring->push_back({RoundAway(it->x), RoundAway(it->y)});
    }
    // Consecutive repeats that the rounding made are dropped.
    ring->erase(std::unique(ring->begin(), ring->end(),
                            [](const PlgList &a, const PlgList &b) { return a.x == b.x && a.y == b.y; }),
                ring->end());
    while (ring->size() > 1 && ring->front().x == ring->back().x && ring->front().y == ring->back().y)
        ring->pop_back();
    return BufferOutcome::Made;
}

// The points thinned by the recursive reduction with the threshold 1, when
// that leaves more than one point (polyline) or two (polygon).
std::vector<MAP_COORDPT> Thinned(const std::vector<MAP_COORDPT> &points, bool polygon)
{
    if (points.size() < 3)
        return points;
    std::vector<MAP_COORDPT> out(points.size());
    const unsigned long n = map_Reduce(points.data(), out.data(), points.size(), 0, 1.0);
    if (n < points.size() && n > (polygon ? 2u : 1u))
        out.resize(n);
    else
        out = points;
    return out;
}

// Whether the loop encloses no area: its points on one line.
bool Flat(const BufferPath &loop)
{
    double area2 = 0;
    for (size_t i = 1; i + 1 < loop.size(); ++i)
        area2 += (loop[i].x - loop[0].x) * (loop[i + 1].y - loop[0].y) -
                 (loop[i + 1].x - loop[0].x) * (loop[i].y - loop[0].y);
    return area2 == 0;
}

// The closed loops of a polygon's outline: the ring taken apart wherever
// it comes back to a point it has passed. A polygon with holes is one ring
// whose holes hang on bridges, edges there and back (a bridge may land on
// another one): the bridges and spikes, loops that enclose no area, are no
// part of the outline and are left out.
std::vector<BufferPath> OutlineLoops(const BufferPath &ring)
{
    std::vector<BufferPath> loops;
    BufferPath stack;
    std::map<std::pair<double, double>, size_t> position; // of the points on the stack
    for (const BufferPoint &q : ring) {
        const auto seen = position.find({q.x, q.y});
        if (seen == position.end()) {
            position.emplace(std::make_pair(q.x, q.y), stack.size());
            stack.push_back(q);
            continue;
        }
        const size_t k = seen->second;
        if (stack.size() - k >= 3)
            loops.emplace_back(stack.begin() + long(k), stack.end());
        if (!loops.empty() && Flat(loops.back()))
            loops.pop_back();
        for (size_t j = k + 1; j < stack.size(); ++j)
            position.erase({stack[j].x, stack[j].y});
        stack.resize(k + 1);
    }
    if (stack.size() >= 3 && !Flat(stack))
        loops.push_back(std::move(stack));
    // A polygon without area is buffered along its outline as it stands.
    if (loops.empty())
        loops.push_back(ring);
    return loops;
}

// The winding union of the rings; the Boolean engine's union of them when
// their edges do not settle into a planar graph.
BufferResult UniteRings(const std::vector<WindingRing> &rings)
{
    if (PlgOpResult *united = WindingUnion(rings))
        return {BufferOutcome::Made, united};
    std::vector<PlgListWithNumPoints> polygons;
    std::vector<PlgList> points;
    for (const WindingRing &ring : rings) {
        polygons.push_back({int32_t(points.size()), int32_t(ring.size())});
        points.insert(points.end(), ring.begin(), ring.end());
    }
    const PlgOpResult set{polygons.data(), points.data(), int32_t(points.size()), int32_t(polygons.size())};
    PlgOpStatus status = PLG_OP_OK;
    PlgOpResult *united = main_polygon_logical(&set, &set, PLG_UNION, &status);
    if (status != PLG_OP_OK) {
        DeletePlgOpResult(united);
        return {BufferOutcome::Failed, nullptr};
    }
    return {BufferOutcome::Made, united};
}

} // namespace

BufferResult DefaultBufferOutline(const std::vector<MAP_COORDPT> &points, bool polygon,
                                  const BufferParameters &p, const BufferProgress &progress)
{
    if (p.size < 1 || p.segments < 0)
        return {BufferOutcome::BadParams, nullptr};
    // A polygon's outline is taken apart into its loops before the
    // thinning, which would otherwise shift the bridges of its holes.
    std::vector<BufferPath> loops;
    size_t thinnedPoints = 0;
    if (polygon) {
        const BufferPath whole = DistinctPath(points, true);
        if (whole.size() < 3)
            return {BufferOutcome::TooFew, nullptr};
        for (const BufferPath &loop : OutlineLoops(whole)) {
            std::vector<MAP_COORDPT> corners;
            for (const BufferPoint &q : loop)
                corners.push_back({int32_t(q.x), int32_t(q.y)});
            const std::vector<MAP_COORDPT> thinned = Thinned(corners, true);
            thinnedPoints += thinned.size();
            loops.push_back(DistinctPath(thinned, true));
        }
    } else {
        const std::vector<MAP_COORDPT> thinned = Thinned(points, false);
        thinnedPoints = thinned.size();
        loops.push_back(DistinctPath(thinned, false));
        if (loops[0].size() < 2)
            return {BufferOutcome::TooFew, nullptr};
    }
    const BufferPath &path = loops[0];
    const double step = 100.0 / double(thinnedPoints);
    double percent = 0;

    // A polyline's zone is the region of the pieces' outline, by its
    // winding numbers.
    if (!polygon) {
        std::vector<WindingRing> rings(1);
        if (ChainRing(path, false, p, step, {}, &rings[0]) == BufferOutcome::OffPlane)
            return {BufferOutcome::OffPlane, nullptr};
        if (PlgOpResult *united = WindingUnion(rings)) {
            for (size_t i = 1; progress && i < path.size(); ++i)
                progress(step * double(i));
            return {BufferOutcome::Made, united};
        }
    }

    PieceList pieces;
    const double s = double(p.size);
    const auto rectangle = [&](BufferPoint a, BufferPoint b, bool first) {
        const SegmentOffsets o = OffsetsOf(a, b, s);
        pieces.add({o.a, o.b, o.c, o.d}, first);
        return o;
    };
    for (const BufferPath &loop : loops) {
        const size_t m = loop.size();
        SegmentOffsets prev = rectangle(loop[0], loop[1], pieces.rings().empty());
        for (size_t i = 1; i + 1 < m; ++i) {
            const SegmentOffsets cur = rectangle(loop[i], loop[i + 1], false);
            DefaultJoin(pieces, loop[i - 1], loop[i], loop[i + 1], prev, cur, p);
            prev = cur;
            percent += step;
            if (progress)
                progress(percent);
        }
        if (polygon) {
            const SegmentOffsets closing = rectangle(loop[m - 1], loop[0], false);
            DefaultJoin(pieces, loop[m - 2], loop[m - 1], loop[0], prev, closing, p);
            const SegmentOffsets first = rectangle(loop[0], loop[1], false);
            DefaultJoin(pieces, loop[m - 1], loop[0], loop[1], closing, first, p);
        } else if (p.endings == mc_EndingsSquared) {
            pieces.add(SquareEnd(loop[0], loop[1], s), false);
            pieces.add(SquareEnd(loop[m - 1], loop[m - 2], s), false);
        } else if (p.endings == mc_EndingsRounded) {
            pieces.add(RoundedEnd(loop[0], loop[1], s, p.segments), false);
            pieces.add(RoundedEnd(loop[m - 1], loop[m - 2], s, p.segments), false);
        }
    }
    if (pieces.offPlane())
        return {BufferOutcome::OffPlane, nullptr};

    BufferResult band = UniteList(pieces);
    if (band.outcome != BufferOutcome::Made || !polygon || p.type == mc_BufferBoth)
        return band;
    // The band combined with the polygon: grown, or shrunk by the band.
    SetPtr bandSet(band.set, DeletePlgOpResult);
    const RingSet own(DistinctPath(points, true));
    PlgOpStatus status = PLG_OP_OK;
    PlgOpResult *combined = p.type == mc_BufferInner
                                ? main_polygon_logical(&own.set, bandSet.get(), PLG_A_MINUS_B, &status)
                                : main_polygon_logical(bandSet.get(), &own.set, PLG_UNION, &status);
    if (status != PLG_OP_OK) {
        DeletePlgOpResult(combined);
        return {BufferOutcome::Failed, nullptr};
    }
    return {BufferOutcome::Made, combined};
}

BufferResult ExtendedBufferOutline(const std::vector<MAP_COORDPT> &points, bool polygon,
                                   const BufferParameters &p, const BufferProgress &progress)
{
    if (p.size < 1 || p.segments < 0)
        return {BufferOutcome::BadParams, nullptr};
    const BufferPath path = DistinctPath(points, polygon);
    if (path.size() < (polygon ? 3u : 2u))
        return {BufferOutcome::TooFew, nullptr};
    const std::vector<BufferPath> loops = polygon ? OutlineLoops(path) : std::vector<BufferPath>{path};
    if (loops.empty())
        return {BufferOutcome::TooFew, nullptr};
    // One ring for the line, or one for every loop of the polygon's outline.
    std::vector<WindingRing> rings(loops.size());
    const double step = 90.0 / double(points.size());
    double done = 0;
    for (size_t l = 0; l < loops.size(); ++l) {
        const BufferProgress loopProgress = [&, done](double percent) {
            if (progress)
                progress(done + percent);
        };
        if (ChainRing(loops[l], polygon, p, step, loopProgress, &rings[l]) != BufferOutcome::Made)
            return {BufferOutcome::OffPlane, nullptr};
        done += step * double(loops[l].size() - 1);
    }
    return UniteRings(rings);
}

BufferResult TextBufferOutline(MAP_COORDPT anchor, int64_t size, int32_t segments)
{
    if (size < 1 || segments < 0)
        return {BufferOutcome::BadParams, nullptr};
    const BufferPoint a{double(anchor.x), double(anchor.y)};
    const double s = double(size);
    // The path there and back along x: its two rounded ends make the disc.
    PieceList pieces;
    pieces.add(RoundedEnd(a, {a.x + 10, a.y}, s, segments), true);
    pieces.add(RoundedEnd(a, {a.x - 10, a.y}, s, segments), false);
    if (pieces.offPlane())
        return {BufferOutcome::OffPlane, nullptr};
    return UniteList(pieces);
}

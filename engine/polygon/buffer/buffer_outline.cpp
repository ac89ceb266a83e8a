#include "engine/polygon/buffer/buffer_outline.h"

#include "engine/editing/operations/map_reduction.h"
#include "engine/polygon/buffer/buffer_geometry.h"
#include "engine/polygon/buffer/winding_union.h"
#include "engine/polygon/engine_polygon.h"

#include <algorithm>
#include <cmath>
#include <limits>
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

// The chains of the extended calculation.
struct Chains {
    BufferPath right, left;
    // Every corner turned by a plain join: no turn back, no parallel edge
    // lines, every inner corner the crossing of the two inner edges within
    // both of them.
    bool regular = true;
    // The outline of the default calculation's pieces instead: the outer
    // side of a corner keeps both offsets around its arc or mitre, the inner
    // side runs from the one offset through the vertex to the other. Its
    // winding number counts the pieces over each point. A turn back or
    // parallel edge lines make it irregular.
    bool throughVertex = false;
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

// The join at v of the extended calculation.
void ExtendedJoin(Chains &chains, BufferPoint r, BufferPoint v, BufferPoint t, const SegmentOffsets &prev,
                  const SegmentOffsets &cur, const BufferParameters &p)
{
    const double s = double(p.size);
    const bool rounded = p.corners == mc_CornerRounded;
    const auto straight = [&] {
        chains.right.push_back(cur.a);
        chains.left.push_back(cur.b);
    };
    switch (TurnAt(r, v, t)) {
    case BufferTurn::Straight:
        straight();
        return;
    case BufferTurn::Back:
        chains.regular = false;
        chains.left.push_back(cur.a);
        if (rounded)
            AppendArcPoints(chains.left, cur.a, v, cur.b, r, s, p.segments);
        else
            chains.left.push_back(TipBeyondChord(
                r, cur.a, cur.b, std::trunc(Distance(r, v)) + double(std::max(p.size * p.times, p.size))));
        chains.left.push_back(cur.b);
        return;
    case BufferTurn::Corner:
        break;
    }
    BufferPoint right, left;
    if (!LinesIntersection(cur.a, cur.d, prev.a, prev.d, &right) ||
        !LinesIntersection(cur.b, cur.c, prev.b, prev.c, &left)) {
        chains.regular = false;
        straight();
        return;
    }
    const bool outerRight = BufferSideOfLine(r, v, right) != BufferSideOfLine(r, v, t);
    BufferPath &outer = outerRight ? chains.right : chains.left;
    BufferPath &inner = outerRight ? chains.left : chains.right;
    const BufferPoint f = outerRight ? prev.d : prev.c, g = outerRight ? cur.a : cur.b;
    const BufferPoint outerPoint = outerRight ? right : left, innerPoint = outerRight ? left : right;
    // The outer corner, round or mitred (through the vertex too: a mitre
    // runs along the offsets, and without them it bounds the same).
    if (rounded) {
        outer.push_back(f);
        AppendArcPoints(outer, f, v, g, r, s, p.segments);
        outer.push_back(g);
    } else {
        AppendMitre(outer, v, outerPoint, f, g, p.size, p.times);
    }
    if (chains.throughVertex) {
        // Inner edges crossing within both segments: the corner between
        // them lies in both rectangles, and their crossing will do.
        const bool leftInner = outerRight;
        if (WithinSegment(leftInner ? prev.b : prev.a, leftInner ? prev.c : prev.d, innerPoint) &&
            WithinSegment(leftInner ? cur.b : cur.a, leftInner ? cur.c : cur.d, innerPoint)) {
            inner.push_back(innerPoint);
        } else {
            inner.push_back(leftInner ? prev.c : prev.d);
            inner.push_back(v);
            inner.push_back(leftInner ? cur.b : cur.a);
        }
        return;
    }
    // The inner edge lines meet on the near side of the chord r-t: their
    // crossing is the inner corner. Beyond it, only when the normals at r
    // and t meet far enough out on the right side of v.
    bool take = BufferSideOfLine(r, t, innerPoint) == BufferSideOfLine(r, t, v);
    BufferPoint y;
    if (!take && LinesIntersection(t, cur.c, r, prev.b, &y) && Distance(r, y) > s) {
        const int sideT = BufferSideOfLine(v, y, t), sideR = BufferSideOfLine(v, y, r);
        take = sideT != 0 && sideR != 0 && sideT != sideR;
    }
    if (!take) {
        chains.regular = false;
        return;
    }
    inner.push_back(innerPoint);
    const bool leftInner = outerRight;
    if (!WithinSegment(leftInner ? prev.b : prev.a, leftInner ? prev.c : prev.d, innerPoint) ||
        !WithinSegment(leftInner ? cur.b : cur.a, leftInner ? cur.c : cur.d, innerPoint))
        chains.regular = false;
}

// The ring of the extended calculation: the right chain and the left chain
// backwards, rounded, without consecutive repeats. OffPlane when a point
// leaves the plane; *regular tells whether every corner was a plain join.
BufferOutcome ChainRing(const BufferPath &path, bool polygon, const BufferParameters &p, double step,
                        const BufferProgress &progress, std::vector<PlgList> *ring, bool *regular,
                        bool throughVertex = false)
{
    const double s = double(p.size);
    double percent = 0;

    Chains chains;
    chains.throughVertex = throughVertex;
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
            ExtendedJoin(chains, path[i - 1], path[i], path[i + 1], prev, cur, p);
        }
        prev = cur;
        if (i + 2 == m) {
            if (polygon) {
                const SegmentOffsets closing = OffsetsOf(path[m - 1], path[0], s);
                ExtendedJoin(chains, path[m - 2], path[m - 1], path[0], prev, closing, p);
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
        ExtendedJoin(chains, path[m - 1], path[0], path[1], prev, first, p);
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

    *regular = chains.regular;
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

// The winding union of one ring, which it takes over.
PlgOpResult *UniteRing(std::vector<PlgList> ring)
{
    std::vector<WindingRing> rings(1);
    rings[0].swap(ring);
    return WindingUnion(rings);
}

} // namespace

BufferResult DefaultBufferOutline(const std::vector<MAP_COORDPT> &points, bool polygon,
                                  const BufferParameters &p, const BufferProgress &progress)
{
    if (p.size < 1 || p.segments < 0)
        return {BufferOutcome::BadParams, nullptr};
    std::vector<MAP_COORDPT> thinned = points;
    if (points.size() >= 3) {
        std::vector<MAP_COORDPT> out(points.size());
        const unsigned long n = map_Reduce(points.data(), out.data(), points.size(), 0, 1.0);
        if (n < points.size() && n > (polygon ? 2u : 1u))
            thinned.assign(out.begin(), out.begin() + long(n));
    }
    const BufferPath path = DistinctPath(thinned, polygon);
    if (path.size() < (polygon ? 3u : 2u))
        return {BufferOutcome::TooFew, nullptr};
    const double step = 100.0 / double(thinned.size());
    double percent = 0;

    // A polyline's zone is the region of the pieces' outline, by its
    // winding numbers; a turn back or parallel edge lines take the pieces
    // themselves.
    if (!polygon) {
        std::vector<PlgList> ring;
        bool regular = false;
        if (ChainRing(path, false, p, step, {}, &ring, &regular, true) == BufferOutcome::OffPlane)
            return {BufferOutcome::OffPlane, nullptr};
        if (regular)
            if (PlgOpResult *united = UniteRing(std::move(ring))) {
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
    const size_t m = path.size();
    SegmentOffsets prev = rectangle(path[0], path[1], true);
    for (size_t i = 1; i + 1 < m; ++i) {
        const SegmentOffsets cur = rectangle(path[i], path[i + 1], false);
        DefaultJoin(pieces, path[i - 1], path[i], path[i + 1], prev, cur, p);
        prev = cur;
        percent += step;
        if (progress)
            progress(percent);
    }
    if (polygon) {
        const SegmentOffsets closing = rectangle(path[m - 1], path[0], false);
        DefaultJoin(pieces, path[m - 2], path[m - 1], path[0], prev, closing, p);
        const SegmentOffsets first = rectangle(path[0], path[1], false);
        DefaultJoin(pieces, path[m - 1], path[0], path[1], closing, first, p);
    } else if (p.endings == mc_EndingsSquared) {
        pieces.add(SquareEnd(path[0], path[1], s), false);
        pieces.add(SquareEnd(path[m - 1], path[m - 2], s), false);
    } else if (p.endings == mc_EndingsRounded) {
        pieces.add(RoundedEnd(path[0], path[1], s, p.segments), false);
        pieces.add(RoundedEnd(path[m - 1], path[m - 2], s, p.segments), false);
    }
    if (pieces.offPlane())
        return {BufferOutcome::OffPlane, nullptr};

    BufferResult band = UniteList(pieces);
    if (band.outcome != BufferOutcome::Made || !polygon || p.type == mc_BufferBoth)
        return band;
    // The band combined with the polygon: grown, or shrunk by the band.
    SetPtr bandSet(band.set, DeletePlgOpResult);
    const RingSet own(path);
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
    std::vector<PlgList> ring;
    bool regular = false;
    if (ChainRing(path, polygon, p, 90.0 / double(points.size()), progress, &ring, &regular) !=
        BufferOutcome::Made)
        return {BufferOutcome::OffPlane, nullptr};
    if (PlgOpResult *united = UniteRing(ring))
        return {BufferOutcome::Made, united};
    PlgOpStatus status = PLG_OP_OK;
    PlgOpResult *united = main_polygon_logical(ring.data(), int32_t(ring.size()), ring.data(),
                                               int32_t(ring.size()), PLG_UNION, &status);
    if (status != PLG_OP_OK) {
        DeletePlgOpResult(united);
        return {BufferOutcome::Failed, nullptr};
    }
    return {BufferOutcome::Made, united};
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

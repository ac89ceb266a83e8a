#include "engine/polygon/cutting/vertex_ring.h"

#include "engine/editing/point_set.h"
#include "platform/global_memory.h"

#include <cstring>
#include <set>
#include <utility>
#include <vector>

PolygonVertexRingLock::PolygonVertexRingLock(HGLOBAL block) : block_(block)
{
    if (!block_)
        return;
    auto *ring = static_cast<PolygonVertexRing *>(GlobalLock(block_));
    if (!ring)
        return;
    // A block that does not hold the records its header claims is not used.
    const size_t size = GlobalSize(block_);
    if (size < PolygonVertexRingBytes(0) || ring->capacity < 0 || ring->count < 0 ||
        ring->count > ring->capacity || size < PolygonVertexRingBytes(ring->capacity)) {
        GlobalUnlock(block_);
        return;
    }
    ring_ = ring;
}

PolygonVertexRingLock::~PolygonVertexRingLock()
{
    if (ring_)
        GlobalUnlock(block_);
}

namespace {

bool SamePoint(MAP_COORDPT a, MAP_COORDPT b) { return a.x == b.x && a.y == b.y; }

Linesegment EdgeOf(const PolygonVertexRecord &r) { return {r.start.x, r.start.y, r.end.x, r.end.y}; }

// The segment of a record for the crossing search: the unsplit edge it was
// cut from when asked for and known, so that the crossings of one edge are
// all computed against the same line.
Linesegment SearchSegment(const PolygonVertexRecord &r, int useOrigin)
{
    return useOrigin && r.hasOrigin == 1 ? r.origin : EdgeOf(r);
}

// Whether p lies within the span of the record's edge (between the
// perpendiculars at its ends); the rounded crossing need not lie on it.
bool OnRecordSpan(const PolygonVertexRecord &r, MAP_COORDPT p)
{
    // Differences reach 2^32, their products 2^64: 128 bits.
    using Wide = __int128;
    const Wide dx = Wide(r.end.x) - r.start.x, dy = Wide(r.end.y) - r.start.y;
    const Wide fromStart = (Wide(p.x) - r.start.x) * dx + (Wide(p.y) - r.start.y) * dy;
    const Wide toEnd = (Wide(r.end.x) - p.x) * dx + (Wide(r.end.y) - p.y) * dy;
    return fromStart >= 0 && toEnd >= 0;
}

void AddToLinksFrom(PolygonVertexRing *ring, int32_t from)
{
    for (int32_t k = 0; k < ring->count; ++k)
        if (ring->records[k].link >= from)
            ++ring->records[k].link;
}

} // namespace

int32_t PolygonVertexRingStartIndex(const MAP_COORDPT *points, int32_t n)
{
    if (!points || n < 2)
        return 0;
    int32_t best = 0;
    for (int32_t i = 1; i < n; ++i)
        if (points[i].x < points[best].x)
            best = i;
    return best;
}

int PolygonVertexRingCreate(OBJectKernel *kernel, OBJHANDLE object, HGLOBAL *ring, int orientation)
{
    if (!ring)
        return 0;
    *ring = 0;
    PointSetAccess access;
    if (!object || !LockPointSet(kernel, object, access))
        return 0;
    const int32_t n = int32_t(access.count);
    std::vector<MAP_COORDPT> p(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        p[size_t(i)] = access.at(uint32_t(i));

    // The corner points in the asked direction from the start vertex, runs
    // of equal points collapsed (across the wrap too).
    std::vector<MAP_COORDPT> q;
    if (n > 0) {
        const int32_t s = PolygonVertexRingStartIndex(p.data(), n);
        const MAP_COORDPT c = p[size_t(s)];
        int32_t prev = s, next = s;
        for (int32_t k = 1; k < n && SamePoint(p[size_t(prev)], c); ++k)
            prev = (s - k + n) % n;
        for (int32_t k = 1; k < n && SamePoint(p[size_t(next)], c); ++k)
            next = (s + k) % n;
        const MAP_COORDPT pp = p[size_t(prev)], nn = p[size_t(next)];
        const double cross =
            (double(c.x) - pp.x) * (double(nn.y) - pp.y) - (double(c.y) - pp.y) * (double(nn.x) - pp.x);
        const bool forwards = (orientation == RING_POSITIVE_AREA && cross > 0) ||
                              (orientation == RING_NEGATIVE_AREA && cross < 0);
        q.reserve(size_t(n));
        for (int32_t k = 0; k < n; ++k) {
            const MAP_COORDPT v = p[size_t(forwards ? (s + k) % n : (s - k + n) % n)];
            if (q.empty() || !SamePoint(q.back(), v))
                q.push_back(v);
        }
        while (q.size() > 1 && SamePoint(q.back(), q.front()))
            q.pop_back();
    }

    const int32_t count = int32_t(q.size());
    const int32_t capacity = count + 2;
    const HGLOBAL block = GlobalAlloc(GHND, PolygonVertexRingBytes(capacity));
    if (!block)
        return 0;
    auto *r = static_cast<PolygonVertexRing *>(GlobalLock(block));
    if (!r) {
        GlobalFree(block);
        return 0;
    }
    r->bound = access.bound();
    r->capacity = capacity;
    r->count = count;
    for (int32_t k = 0; k < count; ++k) {
        PolygonVertexRecord &rec = r->records[k];
        rec = PolygonVertexRecord{};
        rec.start = q[size_t(k)];
        rec.end = q[size_t((k + 1) % count)];
        rec.link = RING_NO_CROSSING;
    }
    GlobalUnlock(block);
    *ring = block;
    return 1;
}

int PolygonVertexRingInsert(HGLOBAL *ring, int32_t index, MAP_COORDPT point, const Linesegment *origin)
{
    if (!ring || !*ring)
        return 0;
    int32_t grownCapacity = 0;
    {
        PolygonVertexRingLock lock(*ring);
        const PolygonVertexRing *r = lock.ring();
        if (!r || index < 0 || index >= r->count)
            return 0;
        if (r->count == r->capacity)
            grownCapacity = r->capacity + 2;
    }
    if (grownCapacity) {
        if (!GlobalReAlloc(*ring, PolygonVertexRingBytes(grownCapacity), GMEM_MOVEABLE))
            return 0;
        PolygonVertexRingLock lock(*ring);
        // The header still claims the old capacity, which the block holds.
        if (!lock.ring())
            return 0;
        lock.ring()->capacity = grownCapacity;
    }
    PolygonVertexRingLock lock(*ring);
    PolygonVertexRing *r = lock.ring();
    if (!r)
        return 0;
    PolygonVertexRecord *rec = r->records;
    std::memmove(&rec[index + 2], &rec[index + 1],
                 size_t(r->count - index - 1) * sizeof(PolygonVertexRecord));
    PolygonVertexRecord &added = rec[index + 1];
    added = PolygonVertexRecord{};
    added.start = point;
    added.end = rec[index].end;
    added.link = rec[index].link;
    rec[index].end = point;
    rec[index].link = RING_NO_CROSSING;
    rec[index].hasOrigin = added.hasOrigin = origin ? 1 : 0;
    rec[index].origin = added.origin = origin ? *origin : Linesegment{};
    ++r->count;
    return 1;
}

int PolygonVertexRingsIntersect(HGLOBAL *ringA, HGLOBAL *ringB, int useOrigin)
{
    if (!ringA || !ringB || !*ringA || !*ringB || *ringA == *ringB)
        return 0;
    // Rounded crossings could in principle keep splitting an edge: the
    // insertions are bounded by what two crossings per pair of edges need.
    int64_t insertionsLeft = 0;
    {
        PolygonVertexRingLock a(*ringA), b(*ringB);
        if (!a.ring() || !b.ring())
            return 0;
        insertionsLeft = 2 * (int64_t(a.ring()->count) + 1) * (int64_t(b.ring()->count) + 1);
    }
    // Reads a copy of a record; the blocks move as crossings are inserted.
    const auto recordAt = [](HGLOBAL block, int32_t k, PolygonVertexRecord &out, int32_t &count) {
        PolygonVertexRingLock lock(block);
        if (!lock.ring() || k >= lock.ring()->count)
            return false;
        out = lock.ring()->records[k];
        count = lock.ring()->count;
        return true;
    };
    int found = 0;
    std::set<std::pair<int32_t, int32_t>> seen;
    bool skipFirstOfB = false;
    PolygonVertexRecord ra{}, rb{};
    int32_t countA = 0, countB = 0;
    for (int32_t i = 0; recordAt(*ringA, i, ra, countA); ++i) {
        Linesegment a = SearchSegment(ra, useOrigin);
        bool skipNext = skipFirstOfB;
        skipFirstOfB = false;
        for (int32_t j = 0; recordAt(*ringB, j, rb, countB); ++j) {
            if (skipNext) {
                skipNext = false;
                continue;
            }
            const Linesegment b = SearchSegment(rb, useOrigin);
            MAP_COORDPT p{};
            if (!LinesegmentIntersection(&a, &b, &p))
                continue;
            // Against an unsplit edge the point may lie on another part of
            // it: each part takes only its own crossings.
            if (!OnRecordSpan(ra, p) || !OnRecordSpan(rb, p))
                continue;
            if (seen.insert({p.x, p.y}).second)
                ++found;
            if (SamePoint(p, ra.start) && SamePoint(p, rb.start))
                continue;
            const bool intoA = !SamePoint(p, ra.start) && !SamePoint(p, ra.end);
            const bool intoB = !SamePoint(p, rb.start) && !SamePoint(p, rb.end);
            insertionsLeft -= int(intoA) + int(intoB);
            if (insertionsLeft < 0)
                return found;
            if (intoA) {
                if (!PolygonVertexRingInsert(ringA, i, p, useOrigin ? &a : nullptr))
                    return found;
                PolygonVertexRingLock lb(*ringB), la(*ringA);
                if (!lb.ring() || !la.ring())
                    return found;
                AddToLinksFrom(lb.ring(), (i + 1) % la.ring()->count);
            }
            if (intoB) {
                if (!PolygonVertexRingInsert(ringB, j, p, useOrigin ? &b : nullptr))
                    return found;
                PolygonVertexRingLock la(*ringA), lb(*ringB);
                if (!la.ring() || !lb.ring())
                    return found;
                AddToLinksFrom(la.ring(), (j + 1) % lb.ring()->count);
            }
            {
                PolygonVertexRingLock la(*ringA), lb(*ringB);
                if (!la.ring() || !lb.ring())
                    return found;
                PolygonVertexRecord &ai = la.ring()->records[i];
                PolygonVertexRecord &bj = lb.ring()->records[j];
                const int32_t nA = la.ring()->count, nB = lb.ring()->count;
                if (intoA || (SamePoint(p, ai.end) && ai.link < 0))
                    ai.link = SamePoint(p, rb.start) ? j : (j + 1) % nB;
                if (intoB || (SamePoint(p, bj.end) && bj.link < 0))
                    bj.link = SamePoint(p, ra.start) ? i : (i + 1) % nA;
                ra = ai;
                countB = nB;
            }
            a = SearchSegment(ra, useOrigin);
            // The next record of B starts at this crossing.
            skipNext = true;
            if (j == countB - 1 - (intoB ? 1 : 0))
                skipFirstOfB = true;
        }
    }
    return found;
}

int PolygonVertexRingFindPoint(const PolygonVertexRing *ring, int32_t x, int32_t y)
{
    if (!ring)
        return 0;
    for (int32_t k = 0; k < ring->count; ++k)
        if (ring->records[k].start.x == x && ring->records[k].start.y == y)
            return 1;
    return 0;
}

int32_t PolygonVertexRingsContainment(OBJectKernel *, HGLOBAL ringA, HGLOBAL ringB, OBJHANDLE, OBJHANDLE,
                                      int mode, int, int *which, int)
{
    if (which)
        *which = 1;
    PolygonVertexRingLock la(ringA), lb(ringB);
    const PolygonVertexRing *a = la.ring(), *b = lb.ring();
    if (!a || !b)
        return -1;
    for (int32_t k = 0; k < a->count; ++k) {
        const PolygonVertexRecord &r = a->records[k];
        const bool considered =
            mode == RING_START_UNLINKED ? r.link == RING_NO_CROSSING : r.link != RING_VISITED;
        if (considered && PolygonVertexRingFindPoint(b, r.start.x, r.start.y))
            return k;
    }
    return -1;
}

namespace {

std::vector<MAP_COORDPT> PointsOf(OBJectKernel *kernel, OBJHANDLE object, bool &ok)
{
    std::vector<MAP_COORDPT> out;
    PointSetAccess access;
    ok = LockPointSet(kernel, object, access);
    if (ok)
        for (uint32_t i = 0; i < access.count; ++i)
            out.push_back(access.at(i));
    return out;
}

// Compares the corners of b walked in the step direction with those of a
// walked forwards, both from their extreme vertex.
bool SameCorners(const std::vector<MAP_COORDPT> &a, int32_t ea, const std::vector<MAP_COORDPT> &b, int32_t eb,
                 int32_t step)
{
    const int32_t na = int32_t(a.size()), nb = int32_t(b.size());
    int32_t ia = ea, ib = eb;
    // Each walk meets at most all of its points before it is back.
    for (int32_t guard = 0; guard <= na + nb; ++guard) {
        ia = PointRingNextCorner(a.data(), ia, na, 1);
        ib = PointRingNextCorner(b.data(), ib, nb, step);
        if (ia < 0 || ib < 0 || !SamePoint(a[size_t(ia)], b[size_t(ib)]))
            return false;
        if (ia == ea || ib == eb)
            return ia == ea && ib == eb;
    }
    return false;
}

} // namespace

int SetOfLinesegmentEqual(OBJectKernel *kernel, OBJHANDLE a, OBJHANDLE b)
{
    if (a && a == b)
        return 1;
    bool okA = false, okB = false;
    const std::vector<MAP_COORDPT> pa = PointsOf(kernel, a, okA), pb = PointsOf(kernel, b, okB);
    if (!okA || !okB)
        return 0;
    if (pa.empty() || pb.empty())
        return pa.empty() && pb.empty() ? 1 : 0;
    const int32_t ea = PointArrayLowestIndex(pa.data(), int32_t(pa.size()));
    const int32_t eb = PointArrayLowestIndex(pb.data(), int32_t(pb.size()));
    if (!SamePoint(pa[size_t(ea)], pb[size_t(eb)]))
        return 0;
    return SameCorners(pa, ea, pb, eb, 1) || SameCorners(pa, ea, pb, eb, -1) ? 1 : 0;
}

#include "engine/polygon/polygon_logical.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_polygon.h"
#include "engine/polygon/gds_error.h"
#include "engine/polygon/operation_driver.h"
#include "engine/polygon/result_rounding.h"

PlgList &PlgList::operator=(const PlgList &other)
{
    x = other.x;
    y = other.y;
    return *this;
}

PlgListWithNumPoints &PlgListWithNumPoints::operator=(const PlgListWithNumPoints &other)
{
    firstPoint = other.firstPoint;
    numPoints = other.numPoints;
    return *this;
}

PlgOpResult &PlgOpResult::operator=(const PlgOpResult &other)
{
    polygons = other.polygons;
    points = other.points;
    totalPoints = other.totalPoints;
    numPolygons = other.numPolygons;
    return *this;
}

void DeletePlgOpResult(PlgOpResult *result)
{
    if (!result)
        return;
    delete[] result->polygons;
    delete[] result->points;
    delete result;
}

namespace {

bool IsOperation(int operation) { return operation >= PLG_UNION && operation <= PLG_MAKE_RING; }

int InternalCode(int operation)
{
    switch (operation) {
    case PLG_UNION:
        return OP_UNION;
    case PLG_INTERSECTION:
        return OP_INTERSECTION;
    case PLG_EXCLUSIVE_OR:
        return OP_EXCLUSIVE_OR;
    case PLG_A_MINUS_B:
        return OP_A_MINUS_B;
    case PLG_B_MINUS_A:
        return OP_B_MINUS_A;
    case PLG_CORRECTION:
        return OP_CORRECTION;
    case PLG_SMOOTHEN:
        return OP_SMOOTHEN;
    default:
        return OP_MAKE_RING;
    }
}

PlgOpResult *EmptyResult() { return new PlgOpResult{nullptr, nullptr, 0, 0}; }

// Half away from zero, held to the 32-bit range (a grown ring near the
// limits of the map's coordinates would otherwise wrap round).
int32_t RoundToLong(double v)
{
    const double r = v > 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(r, lo, hi));
}

bool SamePoint(const PlgList &a, const PlgList &b) { return a.x == b.x && a.y == b.y; }

// Points that rounding made equal to their neighbour go; a ring left
// without three distinct points or without area is no polygon.
bool KeepRoundedRing(std::vector<PlgList> &ring)
{
    std::vector<PlgList> kept;
    for (const PlgList &p : ring)
        if (kept.empty() || !SamePoint(kept.back(), p))
            kept.push_back(p);
    while (kept.size() > 1 && SamePoint(kept.back(), kept.front()))
        kept.pop_back();
    ring = std::move(kept);
    if (ring.size() < 3)
        return false;
    std::vector<std::pair<int32_t, int32_t>> distinct;
    for (const PlgList &p : ring)
        distinct.emplace_back(p.x, p.y);
    std::sort(distinct.begin(), distinct.end());
    if (std::unique(distinct.begin(), distinct.end()) - distinct.begin() < 3)
        return false;
    __int128 twiceArea = 0;
    for (size_t i = 0; i < ring.size(); i++) {
        const PlgList &a = ring[i];
        const PlgList &b = ring[(i + 1) % ring.size()];
        twiceArea += static_cast<__int128>(a.x) * b.y - static_cast<__int128>(b.x) * a.y;
    }
    return twiceArea != 0;
}

// How the rings of a list become map coordinates.
enum class Rounding {
    COPY,     // every point rounded, nothing dropped (no operation ran)
    FILTERED, // rounded rings without repeated points or area dropped
    VALID,    // rounded keeping topology: a valid polygon set
};

int32_t HeldToMap(int64_t v)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

std::vector<std::vector<PlgList>> ValidRings(EnginePolygonList *list)
{
    std::vector<std::vector<LPoint>> rings;
    {
        DL_Iter<EnginePolygon *> iter(list);
        while (iter.iterate()) {
            std::vector<LPoint> ring;
            DL_Iter<LPoint *> points(&iter.item()->points);
            while (points.iterate())
                ring.push_back(*points.item());
            rings.push_back(std::move(ring));
        }
    }
    std::vector<std::vector<PlgList>> result;
    for (const GridRing &ring : RoundResultRings(rings)) {
        std::vector<PlgList> out;
        out.reserve(ring.size());
        for (const GridPoint &p : ring)
            out.push_back({HeldToMap(p.x), HeldToMap(p.y)});
        result.push_back(std::move(out));
    }
    return result;
}

PlgOpResult *BuildResult(EnginePolygonList *list, Rounding rounding)
{
    std::vector<std::vector<PlgList>> rings;
    if (rounding == Rounding::VALID) {
        rings = ValidRings(list);
    } else {
        DL_Iter<EnginePolygon *> iter(list);
        while (iter.iterate()) {
            std::vector<PlgList> ring;
            DL_Iter<LPoint *> points(&iter.item()->points);
            while (points.iterate())
                ring.push_back({RoundToLong(points.item()->GetX()), RoundToLong(points.item()->GetY())});
            if (rounding == Rounding::COPY || KeepRoundedRing(ring))
                rings.push_back(std::move(ring));
        }
    }
    size_t total = 0;
    for (const auto &ring : rings)
        total += ring.size();
    if (total == 0)
        return EmptyResult();
    auto polygons = std::make_unique<PlgListWithNumPoints[]>(rings.size());
    auto points = std::make_unique<PlgList[]>(total);
    int32_t next = 0;
    for (size_t i = 0; i < rings.size(); i++) {
        polygons[i].firstPoint = next;
        polygons[i].numPoints = static_cast<int32_t>(rings[i].size());
        for (const PlgList &p : rings[i])
            points[next++] = p;
    }
    PlgOpResult *result = EmptyResult();
    result->polygons = polygons.release();
    result->points = points.release();
    result->totalPoints = static_cast<int32_t>(total);
    result->numPolygons = static_cast<int32_t>(rings.size());
    return result;
}

// The Boolean operations and the correction give regions and come out
// valid; smoothing and ring making keep their rings as they are made (they
// may overlap one another), rounded and filtered.
Rounding RoundingFor(int operation)
{
    if (!IsOperation(operation))
        return Rounding::COPY;
    return operation <= PLG_CORRECTION ? Rounding::VALID : Rounding::FILTERED;
}

// The ring without repeated points and without spikes (a point at which
// the ring turns straight back along itself): neither adds to the region,
// and a spike would leave a zero-width tail that the graph operations do
// not take apart reliably.
std::vector<PlgList> WithoutSpikes(const PlgList *points, int32_t count)
{
    std::vector<PlgList> kept;
    auto turnsBack = [](const PlgList &a, const PlgList &b, const PlgList &c) {
        const int64_t ux = int64_t(a.x) - b.x, uy = int64_t(a.y) - b.y;
        const int64_t wx = int64_t(c.x) - b.x, wy = int64_t(c.y) - b.y;
        using Wide = __int128;
        return Wide(ux) * wy - Wide(uy) * wx == 0 && Wide(ux) * wx + Wide(uy) * wy > 0;
    };
    auto settle = [&] {
        while (kept.size() >= 2 && SamePoint(kept[kept.size() - 1], kept[kept.size() - 2]))
            kept.pop_back();
        while (kept.size() >= 3 && turnsBack(kept[kept.size() - 3], kept[kept.size() - 2], kept.back())) {
            kept.erase(kept.end() - 2);
            while (kept.size() >= 2 && SamePoint(kept[kept.size() - 1], kept[kept.size() - 2]))
                kept.pop_back();
        }
    };
    for (int32_t i = 0; i < count; i++) {
        kept.push_back(points[i]);
        settle();
    }
    // Where the ring closes: the last point against the first, the first
    // against its neighbours.
    for (bool changed = true; changed && kept.size() >= 3;) {
        changed = false;
        const size_t n = kept.size();
        if (SamePoint(kept[n - 1], kept[0]) || turnsBack(kept[n - 2], kept[n - 1], kept[0])) {
            kept.pop_back();
            changed = true;
        } else if (turnsBack(kept[n - 1], kept[0], kept[1])) {
            kept.erase(kept.begin());
            changed = true;
        }
    }
    return kept;
}

void AppendRing(EnginePolygonList *list, const PlgList *points, int32_t count, int group, bool skipShort,
                bool dropSpikes)
{
    std::vector<PlgList> cleaned;
    if (dropSpikes) {
        cleaned = WithoutSpikes(points, count);
        points = cleaned.data();
        count = int32_t(cleaned.size());
    }
    if (skipShort && count < 3)
        return;
    auto ring = std::make_unique<EnginePolygon>();
    ring->group = group;
    for (int32_t i = 0; i < count; i++)
        ring->points.insend(new LPoint(points[i].x, points[i].y));
    list->insend(ring.release());
}

// False when the set's counts would read beyond its arrays.
bool AppendSet(EnginePolygonList *list, const PlgOpResult *set, int group, bool skipShort, bool dropSpikes)
{
    if (!set || set->numPolygons <= 0)
        return true;
    if (!set->polygons)
        return false;
    int64_t used = 0;
    for (int32_t i = 0; i < set->numPolygons; i++)
        used += std::max(set->polygons[i].numPoints, 0);
    if (used > std::max(set->totalPoints, 0) || (used > 0 && !set->points))
        return false;
    int64_t start = 0;
    for (int32_t i = 0; i < set->numPolygons; i++) {
        const int32_t count = std::max(set->polygons[i].numPoints, 0);
        AppendRing(list, set->points + start, count, group, skipShort, dropSpikes);
        start += count;
    }
    return true;
}

// Runs the operation under fresh handlers and answers how it ended; an
// engine error leaves nothing behind (parameters, lists and handlers are
// restored or freed on the way out).
template <class Work>
PlgOpStatus Guarded(Work work)
{
    try {
        EngineHandlerScope handlers;
        const bool ok = work();
        if (!ok)
            return PLG_OP_BAD_INPUT;
        return PartialResultNoted() ? PLG_OP_PARTIAL : PLG_OP_OK;
    } catch (const GDS_Error &) {
        return PLG_OP_FAILED;
    } catch (const std::bad_alloc &) {
        return PLG_OP_FAILED;
    }
}

void DropShortRings(EnginePolygonList *list)
{
    DL_Iter<EnginePolygon *> iter(list);
    iter.tohead();
    while (!iter.hitroot()) {
        EnginePolygon *ring = iter.item();
        if (ring->points.count() < 3) {
            iter.remove();
            delete ring;
        } else {
            iter++;
        }
    }
}

PlgOpResult *Finish(PlgOpStatus outcome, PlgOpResult *result, PlgOpStatus *status)
{
    if (status)
        *status = outcome;
    if (outcome == PLG_OP_FAILED || outcome == PLG_OP_BAD_INPUT) {
        DeletePlgOpResult(result);
        return EmptyResult();
    }
    return result ? result : EmptyResult();
}

} // namespace

PlgOpResult *main_polygon_logical(const PlgOpResult *setA, const PlgOpResult *setB, int operation,
                                  PlgOpStatus *status)
{
    PlgOpResult *result = nullptr;
    const bool isOperation = IsOperation(operation);
    const PlgOpStatus outcome = Guarded([&] {
        EnginePolygonList list;
        const bool region = RoundingFor(operation) == Rounding::VALID;
        if (!AppendSet(&list, setA, 0, isOperation, region) ||
            !AppendSet(&list, setB, 1, isOperation, region))
            return false;
        if (isOperation)
            RunEngineOperation(&list, InternalCode(operation));
        result = BuildResult(&list, RoundingFor(operation));
        return true;
    });
    return Finish(outcome, result, status);
}

PlgOpResult *main_polygon_logical(const PlgList *ringA, int32_t countA, const PlgList *ringB, int32_t countB,
                                  int operation, PlgOpStatus *status)
{
    PlgOpResult *result = nullptr;
    const bool isOperation = IsOperation(operation);
    const PlgOpStatus outcome = Guarded([&] {
        if ((countA > 0 && !ringA) || (countB > 0 && !ringB))
            return false;
        EnginePolygonList list;
        const bool region = RoundingFor(operation) == Rounding::VALID;
        AppendRing(&list, ringA, std::max(countA, 0), 0, isOperation, region);
        AppendRing(&list, ringB, std::max(countB, 0), 1, isOperation, region);
        if (isOperation)
            RunEngineOperation(&list, InternalCode(operation));
        result = BuildResult(&list, RoundingFor(operation));
        return true;
    });
    return Finish(outcome, result, status);
}

PlgOpStatus RunPolygonListOperation(EnginePolygonList *list, int operation)
{
    const PlgOpStatus outcome = Guarded([&] {
        if (IsOperation(operation)) {
            DropShortRings(list);
            RunEngineOperation(list, InternalCode(operation));
        }
        return true;
    });
    if (outcome != PLG_OP_OK && outcome != PLG_OP_PARTIAL)
        list->DeleteAll();
    return outcome;
}

PlgOpResult *PlgOpResultFromPolygonList(EnginePolygonList *list)
{
    return BuildResult(list, Rounding::VALID);
}

namespace {

void AppendDoubles(EnginePolygonList *list, const LPoint *points, int32_t count, int group)
{
    auto ring = std::make_unique<EnginePolygon>();
    ring->group = group;
    for (int32_t i = 0; i < count; i++)
        ring->points.insend(new LPoint(points[i]));
    list->insend(ring.release());
}

} // namespace

void AppendGroupAPolygon(EnginePolygonList *list, const LPoint *points, int32_t count)
{
    AppendDoubles(list, points, count, 0);
}

void AppendGroupBPolygon(EnginePolygonList *list, const LPoint *points, int32_t count)
{
    AppendDoubles(list, points, count, 1);
}

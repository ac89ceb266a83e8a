// The editing operations timed against GEOS in the same run: recursive map
// reduction against GEOSSimplify (one random walk of 10^6 vertices, and 10^3
// lines of 10^3), and polygons from 10^4 polylines against GEOSPolygonize.
// Both sides start from the same point arrays and end with their results.
// Outside the timed part the results are compared, and a case whose results
// differ fails: the reductions keep the same number of points with the same
// sums of coordinates (both are Douglas-Peucker with the same threshold),
// the polygons are as many with the same total area (exact: whole units).
#include "bench/support/bench_check.h"
#include "engine/editing/operations/map_reduction.h"
#include "engine/editing/operations/polygon_building.h"

#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Points = std::vector<MAP_COORDPT>;

Points RandomWalk(size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> d(-20, 20);
    Points out(n);
    MAP_COORDPT p{0, 0};
    for (MAP_COORDPT &q : out) {
        q = p;
        p.x += d(random);
        p.y += d(random);
    }
    return out;
}

constexpr double kThreshold = 50.0;

const std::vector<Points> &Walks(size_t lines, size_t length)
{
    static std::vector<Points> one, many;
    std::vector<Points> &w = lines == 1 ? one : many;
    if (w.empty())
        for (size_t i = 0; i < lines; ++i)
            w.push_back(RandomWalk(length, unsigned(i + 1)));
    return w;
}

// What a reduction kept: the points and the sums of their coordinates.
struct Kept {
    double points = 0, xs = 0, ys = 0;
    void Add(const MAP_COORDPT &p)
    {
        points += 1;
        xs += p.x;
        ys += p.y;
    }
};

Kept OursKept(size_t lines, size_t length)
{
    Kept kept;
    Points out(length);
    for (const Points &w : Walks(lines, length)) {
        const unsigned long n = map_Reduce(w.data(), out.data(), w.size(), 0, kThreshold);
        for (unsigned long i = 0; i < n; ++i)
            kept.Add(out[i]);
    }
    return kept;
}

Kept GeosKept(size_t lines, size_t length);

// Both reductions of a case, compared once; every run of the case reports
// the outcome.
void CheckReduction(benchmark::State &state, size_t lines, size_t length)
{
    const std::string topic = "reduction " + std::to_string(lines) + " x " + std::to_string(length);
    static std::map<std::string, std::pair<Kept, Kept>> results;
    auto it = results.find(topic);
    if (it == results.end())
        it = results.emplace(topic, std::make_pair(OursKept(lines, length), GeosKept(lines, length))).first;
    const auto &[ours, geos] = it->second;
    if (CheckResult(&state, topic, "points kept", ours.points, geos.points))
        if (CheckResult(&state, topic, "sum of x kept", ours.xs, geos.xs))
            CheckResult(&state, topic, "sum of y kept", ours.ys, geos.ys);
}

void ReduceOurs(benchmark::State &state, size_t lines, size_t length)
{
    const std::vector<Points> &walks = Walks(lines, length);
    Points out(length);
    for (auto _ : state) {
        size_t kept = 0;
        for (const Points &w : walks)
            kept += map_Reduce(w.data(), out.data(), w.size(), 0, kThreshold);
        benchmark::DoNotOptimize(kept);
    }
    CheckReduction(state, lines, length);
    state.SetItemsProcessed(int64_t(state.iterations() * lines * length));
}

class GeosContext {
public:
    GeosContext() : ctx(GEOS_init_r()) {}
    ~GeosContext() { GEOS_finish_r(ctx); }
    GEOSGeometry *Line(const Points &p) const
    {
        GEOSCoordSequence *s = GEOSCoordSeq_create_r(ctx, unsigned(p.size()), 2);
        for (unsigned i = 0; i < p.size(); ++i)
            GEOSCoordSeq_setXY_r(ctx, s, i, p[i].x, p[i].y);
        return GEOSGeom_createLineString_r(ctx, s);
    }
    GEOSContextHandle_t ctx;
};

Kept GeosKept(size_t lines, size_t length)
{
    const GeosContext geos;
    Kept kept;
    for (const Points &w : Walks(lines, length)) {
        GEOSGeometry *line = geos.Line(w);
        GEOSGeometry *simple = GEOSSimplify_r(geos.ctx, line, kThreshold);
        const GEOSCoordSequence *s = GEOSGeom_getCoordSeq_r(geos.ctx, simple);
        unsigned n = 0;
        GEOSCoordSeq_getSize_r(geos.ctx, s, &n);
        for (unsigned i = 0; i < n; ++i) {
            double x = 0, y = 0;
            GEOSCoordSeq_getXY_r(geos.ctx, s, i, &x, &y);
            kept.Add({int32_t(std::lround(x)), int32_t(std::lround(y))});
        }
        GEOSGeom_destroy_r(geos.ctx, simple);
        GEOSGeom_destroy_r(geos.ctx, line);
    }
    return kept;
}

void ReduceGeos(benchmark::State &state, size_t lines, size_t length)
{
    const std::vector<Points> &walks = Walks(lines, length);
    const GeosContext geos;
    for (auto _ : state) {
        for (const Points &w : walks) {
            GEOSGeometry *line = geos.Line(w);
            GEOSGeometry *simple = GEOSSimplify_r(geos.ctx, line, kThreshold);
            benchmark::DoNotOptimize(simple);
            GEOSGeom_destroy_r(geos.ctx, simple);
            GEOSGeom_destroy_r(geos.ctx, line);
        }
    }
    CheckReduction(state, lines, length);
    state.SetItemsProcessed(int64_t(state.iterations() * lines * length));
}

void BM_ReduceOneWalk_Ours(benchmark::State &s) { ReduceOurs(s, 1, 1000000); }
void BM_ReduceOneWalk_Geos(benchmark::State &s) { ReduceGeos(s, 1, 1000000); }
void BM_ReduceThousandLines_Ours(benchmark::State &s) { ReduceOurs(s, 1000, 1000); }
void BM_ReduceThousandLines_Geos(benchmark::State &s) { ReduceGeos(s, 1000, 1000); }

// A 70 x 70 grid whose every cell side is a polyline (9940 of them), in a
// shuffled order, with a few inner points on each side.
const std::vector<Points> &Network()
{
    static std::vector<Points> lines;
    if (lines.empty()) {
        const int n = 70, side = 30;
        for (int i = 0; i <= n; ++i)
            for (int j = 0; j < n; ++j) {
                lines.push_back(
                    {{j * side, i * side}, {j * side + 10, i * side}, {(j + 1) * side, i * side}});
                lines.push_back(
                    {{i * side, j * side}, {i * side, j * side + 10}, {i * side, (j + 1) * side}});
            }
        std::shuffle(lines.begin(), lines.end(), std::mt19937(5));
    }
    return lines;
}

// The faces of the network by both sides, compared once: as many, with the
// same total area.
struct Faces {
    double count = 0, area = 0;
};

double RingArea(const Points &ring)
{
    double twice = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const MAP_COORDPT &a = ring[i], &b = ring[(i + 1) % ring.size()];
        twice += double(a.x) * b.y - double(b.x) * a.y;
    }
    return std::fabs(twice) / 2;
}

Faces OursFaces()
{
    CPolylineList edges;
    for (const Points &l : Network())
        edges.Add(l, 0);
    Faces f;
    for (const Points &ring : FindFaceRings(edges)) {
        f.count += 1;
        f.area += RingArea(ring);
    }
    return f;
}

Faces GeosFaces()
{
    const GeosContext geos;
    std::vector<GEOSGeometry *> geoms;
    for (const Points &l : Network())
        geoms.push_back(geos.Line(l));
    GEOSGeometry *result = GEOSPolygonize_r(geos.ctx, geoms.data(), unsigned(geoms.size()));
    Faces f;
    f.count = GEOSGetNumGeometries_r(geos.ctx, result);
    GEOSArea_r(geos.ctx, result, &f.area);
    GEOSGeom_destroy_r(geos.ctx, result);
    for (GEOSGeometry *g : geoms)
        GEOSGeom_destroy_r(geos.ctx, g);
    return f;
}

void CheckFaces(benchmark::State &state)
{
    static const Faces ours = OursFaces(), geos = GeosFaces();
    if (CheckResult(&state, "polygons from polylines", "polygons", ours.count, geos.count))
        CheckResult(&state, "polygons from polylines", "total area", ours.area, geos.area);
}

void BM_PolygonsFromPolylines_Ours(benchmark::State &state)
{
    const std::vector<Points> &lines = Network();
    size_t faces = 0;
    for (auto _ : state) {
        CPolylineList edges;
        for (const Points &l : lines)
            edges.Add(l, 0);
        faces = FindFaceRings(edges).size();
        benchmark::DoNotOptimize(faces);
    }
    CheckFaces(state);
    state.counters["faces"] = double(faces);
    state.SetItemsProcessed(int64_t(state.iterations() * lines.size()));
}

void BM_PolygonsFromPolylines_Geos(benchmark::State &state)
{
    const std::vector<Points> &lines = Network();
    const GeosContext geos;
    int faces = 0;
    for (auto _ : state) {
        std::vector<GEOSGeometry *> geoms;
        geoms.reserve(lines.size());
        for (const Points &l : lines)
            geoms.push_back(geos.Line(l));
        GEOSGeometry *result = GEOSPolygonize_r(geos.ctx, geoms.data(), unsigned(geoms.size()));
        faces = GEOSGetNumGeometries_r(geos.ctx, result);
        GEOSGeom_destroy_r(geos.ctx, result);
        for (GEOSGeometry *g : geoms)
            GEOSGeom_destroy_r(geos.ctx, g);
    }
    CheckFaces(state);
    state.counters["faces"] = double(faces);
    state.SetItemsProcessed(int64_t(state.iterations() * lines.size()));
}

BENCHMARK(BM_ReduceOneWalk_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceOneWalk_Geos)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceThousandLines_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceThousandLines_Geos)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PolygonsFromPolylines_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PolygonsFromPolylines_Geos)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return RunCheckedBenchmarks(argc, argv); }

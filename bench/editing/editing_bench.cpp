// The editing operations timed against GEOS in the same run: recursive map
// reduction against GEOSSimplify (one random walk of 10^6 vertices, and 10^3
// lines of 10^3), and polygons from 10^4 polylines against GEOSPolygonize.
// Both sides start from the same point arrays and end with their results.
#include "engine/editing/operations/map_reduction.h"
#include "engine/editing/operations/polygon_building.h"

#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <random>
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

BENCHMARK_MAIN();

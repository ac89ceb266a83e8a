// Point-in-polygon, perimeter and area of one ring of 10^3 .. 10^6 vertices,
// by the editing geometry and by GEOS in the same run: GEOS unprepared
// (contains, length, area) and prepared (preparation plus one query per
// ring). Many queries against one reused prepared ring are reported too,
// with no target. After the runs a table gives each ratio ours / GEOS, for
// the sizes whose results matched GEOS's outside the timed part: the same
// answers to the queries (points inside), length and area within 1e-9 of
// GEOS's (both sum the same doubles, in another order).
#include "bench/support/bench_check.h"

#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"

namespace {

std::vector<MAP_COORDPT> Star(int vertices, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> radius(500000, 1000000);
    std::vector<MAP_COORDPT> ring;
    for (int i = 0; i < vertices; i++) {
        const double angle = 2 * M_PI * i / vertices;
        const double r = radius(random);
        ring.push_back(
            {int32_t(std::lround(r * std::cos(angle))), int32_t(std::lround(r * std::sin(angle)))});
    }
    return ring;
}

std::vector<MAP_COORDPT> Queries(int n)
{
    std::mt19937 random(99);
    std::uniform_int_distribution<int> c(-900000, 900000);
    std::vector<MAP_COORDPT> q(n);
    for (MAP_COORDPT &p : q)
        p = {c(random), c(random)};
    return q;
}

// The ring as an engine polygon in a store of its own.
struct EngineRing {
    explicit EngineRing(const std::vector<MAP_COORDPT> &points)
    {
        static const bool classes = InitGraphClasses(0) == 1;
        (void)classes;
        kernel = KernelNew();
        object = CreateOBJect(kernel, CLASS_POLYGON);
        PointSetReplacePoints(kernel, &object, points.data(), uint32_t(points.size()));
    }
    ~EngineRing() { KernelDelete(kernel); }
    OBJectKernel *kernel = nullptr;
    OBJHANDLE object = 0;
};

struct GeosRing {
    explicit GeosRing(const std::vector<MAP_COORDPT> &points)
    {
        h = GEOS_init_r();
        GEOSCoordSequence *s = GEOSCoordSeq_create_r(h, unsigned(points.size() + 1), 2);
        for (size_t i = 0; i <= points.size(); ++i) {
            const MAP_COORDPT &p = points[i % points.size()];
            GEOSCoordSeq_setXY_r(h, s, unsigned(i), p.x, p.y);
        }
        polygon = GEOSGeom_createPolygon_r(h, GEOSGeom_createLinearRing_r(h, s), nullptr, 0);
    }
    ~GeosRing()
    {
        GEOSGeom_destroy_r(h, polygon);
        GEOS_finish_r(h);
    }
    GEOSContextHandle_t h;
    GEOSGeometry *polygon;
};

// The query points (Queries) as GEOS points in a ring's context, destroyed
// with this.
struct GeosPoints {
    GeosPoints(const GeosRing &ring, int queries) : h(ring.h)
    {
        for (const MAP_COORDPT &p : Queries(queries)) {
            GEOSCoordSequence *s = GEOSCoordSeq_create_r(h, 1, 2);
            GEOSCoordSeq_setXY_r(h, s, 0, p.x, p.y);
            all.push_back(GEOSGeom_createPoint_r(h, s));
        }
    }
    ~GeosPoints()
    {
        for (GEOSGeometry *p : all)
            GEOSGeom_destroy_r(h, p);
    }
    GEOSContextHandle_t h;
    std::vector<GEOSGeometry *> all;
};

// Mean seconds per iteration by case name, for the table at the end.
std::map<std::string, double> g_times;

class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration) {
                // Keyed by case and size, whatever the iteration setting.
                std::string name = r.benchmark_name();
                if (const size_t at = name.find("/iterations:"); at != std::string::npos)
                    name.erase(at);
                g_times[name] = r.GetAdjustedRealTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

constexpr int kQueries = 4; // points per ring in the one-query cases, to average the answer's position
constexpr Tolerance kMeasureTolerance{0, 1e-9};

std::string Topic(const char *what, benchmark::State &state)
{
    return std::string(what) + "/" + std::to_string(state.range(0));
}

// The points inside the ring of the case by both sides, for the given
// number of query points.
void CheckInside(benchmark::State &state, const char *what, int queries)
{
    const int n = int(state.range(0));
    const auto ring = Star(n, 1);
    const auto points = Queries(queries);
    EngineRing e(ring);
    int ours = 0;
    for (const MAP_COORDPT &p : points)
        ours += PolygonContainsPoint(e.kernel, e.object, &p);
    const GeosRing g(ring);
    const GeosPoints pts(g, queries);
    const GEOSPreparedGeometry *prepared = GEOSPrepare_r(g.h, g.polygon);
    int geos = 0;
    for (GEOSGeometry *p : pts.all)
        geos += GEOSPreparedContains_r(g.h, prepared, p);
    GEOSPreparedGeom_destroy_r(g.h, prepared);
    CheckResult(&state, Topic(what, state), "points inside", ours, geos);
}

void CheckLength(benchmark::State &state)
{
    const auto ring = Star(int(state.range(0)), 2);
    EngineRing e(ring);
    GeosRing g(ring);
    double geos = 0;
    GEOSLength_r(g.h, g.polygon, &geos);
    CheckResult(&state, Topic("length", state), "perimeter", SetOfLinesegmentLength(e.kernel, e.object, 1),
                geos, kMeasureTolerance);
}

void CheckArea(benchmark::State &state)
{
    const auto ring = Star(int(state.range(0)), 3);
    EngineRing e(ring);
    PointSetAccess a;
    LockPointSet(e.kernel, e.object, a);
    GeosRing g(ring);
    double geos = 0;
    GEOSArea_r(g.h, g.polygon, &geos);
    CheckResult(&state, Topic("area", state), "area", std::fabs(PointSetArea(a)), geos, kMeasureTolerance);
}

// The engine's point-in-polygon for the given number of query points.
void OursQueries(benchmark::State &state, int queries, const char *what)
{
    const auto ring = Star(int(state.range(0)), 1);
    const auto points = Queries(queries);
    EngineRing e(ring);
    int inside = 0;
    for (auto _ : state)
        for (const MAP_COORDPT &p : points)
            inside += PolygonContainsPoint(e.kernel, e.object, &p);
    benchmark::DoNotOptimize(inside);
    CheckInside(state, what, queries);
}

void OursContains(benchmark::State &state) { OursQueries(state, kQueries, "contains"); }

void GeosContains(benchmark::State &state)
{
    const GeosRing g(Star(int(state.range(0)), 1));
    const GeosPoints pts(g, kQueries);
    int inside = 0;
    for (auto _ : state)
        for (GEOSGeometry *p : pts.all)
            inside += GEOSContains_r(g.h, g.polygon, p);
    benchmark::DoNotOptimize(inside);
}

// Preparation and one query, for each of the query points.
void GeosPreparedContains(benchmark::State &state)
{
    const GeosRing g(Star(int(state.range(0)), 1));
    const GeosPoints pts(g, kQueries);
    int inside = 0;
    for (auto _ : state)
        for (GEOSGeometry *p : pts.all) {
            const GEOSPreparedGeometry *prepared = GEOSPrepare_r(g.h, g.polygon);
            inside += GEOSPreparedContains_r(g.h, prepared, p);
            GEOSPreparedGeom_destroy_r(g.h, prepared);
        }
    benchmark::DoNotOptimize(inside);
}

// No target: many queries on one prepared ring against as many plain scans.
constexpr int kManyQueries = 1000;

void OursManyQueries(benchmark::State &state) { OursQueries(state, kManyQueries, "many queries"); }

void GeosPreparedManyQueries(benchmark::State &state)
{
    const GeosRing g(Star(int(state.range(0)), 1));
    const GeosPoints pts(g, kManyQueries);
    const GEOSPreparedGeometry *prepared = GEOSPrepare_r(g.h, g.polygon);
    int inside = 0;
    for (auto _ : state)
        for (GEOSGeometry *p : pts.all)
            inside += GEOSPreparedContains_r(g.h, prepared, p);
    benchmark::DoNotOptimize(inside);
    GEOSPreparedGeom_destroy_r(g.h, prepared);
}

void OursLength(benchmark::State &state)
{
    EngineRing e(Star(int(state.range(0)), 2));
    for (auto _ : state)
        benchmark::DoNotOptimize(SetOfLinesegmentLength(e.kernel, e.object, 1));
    CheckLength(state);
}

void GeosLength(benchmark::State &state)
{
    GeosRing g(Star(int(state.range(0)), 2));
    double length = 0;
    for (auto _ : state) {
        GEOSLength_r(g.h, g.polygon, &length);
        benchmark::DoNotOptimize(length);
    }
}

void OursArea(benchmark::State &state)
{
    EngineRing e(Star(int(state.range(0)), 3));
    for (auto _ : state) {
        PointSetAccess a;
        LockPointSet(e.kernel, e.object, a);
        benchmark::DoNotOptimize(PointSetArea(a));
    }
    CheckArea(state);
}

void GeosArea(benchmark::State &state)
{
    GeosRing g(Star(int(state.range(0)), 3));
    double area = 0;
    for (auto _ : state) {
        GEOSArea_r(g.h, g.polygon, &area);
        benchmark::DoNotOptimize(area);
    }
}

void Sizes(benchmark::internal::Benchmark *b)
{
    for (int n : {1000, 10000, 100000, 1000000})
        b->Arg(n);
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(OursContains)->Apply(Sizes);
// GEOS's unprepared contains builds a topology graph per call and grows
// faster than linearly (about 13 ms a query at 10^4 vertices here): at 10^6
// vertices one query would take minutes, so that size is left out.
BENCHMARK(GeosContains)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(GeosPreparedContains)->Apply(Sizes);
BENCHMARK(OursLength)->Apply(Sizes);
BENCHMARK(GeosLength)->Apply(Sizes);
BENCHMARK(OursArea)->Apply(Sizes);
BENCHMARK(GeosArea)->Apply(Sizes);
BENCHMARK(OursManyQueries)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(GeosPreparedManyQueries)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void Table()
{
    std::printf("\nratio ours / reference (target: at most 1.0; many queries: no target; mismatch: the "
                "results differ, no ratio)\n");
    std::printf("%-26s %10s %10s %10s %10s\n", "case", "1e3", "1e4", "1e5", "1e6");
    const struct {
        const char *name, *ours, *theirs, *topic;
    } rows[] = {{"contains / GEOS", "OursContains", "GeosContains", "contains"},
                {"contains / GEOS prepared", "OursContains", "GeosPreparedContains", "contains"},
                {"length / GEOS", "OursLength", "GeosLength", "length"},
                {"area / GEOS", "OursArea", "GeosArea", "area"},
                {"many queries / prepared", "OursManyQueries", "GeosPreparedManyQueries", "many queries"}};
    for (const auto &r : rows) {
        std::printf("%-26s", r.name);
        for (int n : {1000, 10000, 100000, 1000000}) {
            char ours[64], theirs[64];
            std::snprintf(ours, sizeof ours, "%s/%d", r.ours, n);
            std::snprintf(theirs, sizeof theirs, "%s/%d", r.theirs, n);
            const auto o = g_times.find(ours), t = g_times.find(theirs);
            const bool matched = ResultsMatched({std::string(r.topic) + "/" + std::to_string(n)});
            if (o != g_times.end() && t != g_times.end() && t->second > 0 && matched)
                std::printf(" %10.3f", o->second / t->second);
            else if (o != g_times.end() && !matched)
                std::printf(" %10s", "mismatch");
            else
                std::printf(" %10s", "-");
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    Table();
    benchmark::Shutdown();
    return ResultCheckStatus();
}

// Clipping a random polyline of a million segments that enters and leaves
// the clip rectangle again and again, against a plain loop that tests each
// point against the rectangle and copies it. Points per second are reported
// as items per second; the ratio of the times is printed at the end (the
// clipper should take at most twice as long). Polygon clipping of the same
// points is reported too.
#include "engine/view/clipping/point_clipping.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kSegments = 1000000;
constexpr int32_t kPoints = kSegments + 1;
constexpr MAP_COORDRECT kRect{0, 0, 400000, 300000};

struct Fixture {
    Buffer polyline, polygon, clipped, parts, codes;
    std::vector<MAP_COORDPT> points;
    Fixture()
    {
        // A random walk over an area four times the rectangle's, so that
        // about a quarter of the points lie inside and the line crosses the
        // rectangle's edges tens of thousands of times.
        std::mt19937 rng(11);
        std::uniform_int_distribution<int32_t> step(-9000, 9000);
        points.resize(kPoints);
        MAP_COORDPT p{200000, 150000};
        for (MAP_COORDPT &q : points) {
            p.x = std::clamp(p.x + step(rng), -200000, 600000);
            p.y = std::clamp(p.y + step(rng), -150000, 450000);
            q = p;
        }
        BufferInit(&polyline, POINTBUFFER_POLYLINE, 8, 20);
        BufferInit(&polygon, POINTBUFFER_POLYGON, 8, 20);
        BufferInit(&clipped, 0, 8, 20);
        BufferInit(&parts, 0, 4, 20);
        BufferInit(&codes, 0, 1, 20);
        BufferFill(&polyline, points.data(), kPoints);
        std::vector<MAP_COORDPT> ring = points;
        ring.push_back(ring.front());
        BufferFill(&polygon, ring.data(), uint32_t(ring.size()));
    }
    ~Fixture()
    {
        for (Buffer *b : {&polyline, &polygon, &clipped, &parts, &codes})
            BufferDelete(b);
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_ClipPolyline(benchmark::State &state)
{
    Fixture &f = fixture();
    int32_t runs = 0;
    for (auto _ : state) {
        const int32_t n = ClipPolyline(&f.polyline, kPoints, &f.clipped, &f.parts, &kRect, &runs);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    state.counters["runs"] = runs;
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_ClipPolygon(benchmark::State &state)
{
    Fixture &f = fixture();
    int32_t runs = 0;
    for (auto _ : state) {
        const int32_t n = ClipPolygon(&f.polygon, kPoints + 1, &f.clipped, &f.parts, &f.codes, &kRect, &runs);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    state.counters["runs"] = runs;
    state.SetItemsProcessed(state.iterations() * (kPoints + 1));
}

// The floor: each point tested against the rectangle and copied when inside.
void BM_PlainInsideCopy(benchmark::State &state)
{
    Fixture &f = fixture();
    std::vector<MAP_COORDPT> out(kPoints);
    const MAP_COORDRECT r = kRect;
    for (auto _ : state) {
        const MAP_COORDPT *in = f.points.data();
        int32_t m = 0;
        for (int32_t i = 0; i < kPoints; ++i)
            if (in[i].x >= r.x1 && in[i].x <= r.x2 && in[i].y >= r.y1 && in[i].y <= r.y2)
                out[m++] = in[i];
        benchmark::DoNotOptimize(m);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

BENCHMARK(BM_ClipPolyline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClipPolygon)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainInsideCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    struct Reporter : benchmark::ConsoleReporter {
        double polyline = 0, plain = 0;
        void ReportRuns(const std::vector<Run> &runs) override
        {
            for (const Run &r : runs) {
                // With repetitions: the median.
                if (!r.aggregate_name.empty() && r.aggregate_name != "median")
                    continue;
                if (r.benchmark_name().find("ClipPolyline") != std::string::npos)
                    polyline = r.GetAdjustedRealTime();
                else if (r.benchmark_name().find("PlainInsideCopy") != std::string::npos)
                    plain = r.GetAdjustedRealTime();
            }
            ConsoleReporter::ReportRuns(runs);
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.polyline > 0 && reporter.plain > 0)
        std::printf(
            "polyline clipping %.2f ms, plain inside-and-copy loop %.2f ms: ratio %.2f (target at most 2)\n",
            reporter.polyline, reporter.plain, reporter.polyline / reporter.plain);
    benchmark::Shutdown();
    return 0;
}

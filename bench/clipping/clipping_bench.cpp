// Clipping a random polyline of a million segments that enters and leaves
// the clip rectangle again and again, against a plain loop that tests each
// point against the rectangle and copies it. Points per second are reported
// as items per second; the ratio of the times is printed at the end (the
// clipper should take at most twice as long), once the clipped runs have
// been checked against a plain segment-by-segment clipper in floating point
// (same runs, every vertex within one unit: crossings are truncated). Polygon
// clipping of the same points is reported too, with no reference.
#include "bench/support/bench_check.h"
#include "engine/view/clipping/point_clipping.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
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

constexpr const char *kPolylineTopic = "polyline clipping";

// The runs of a polyline inside the rectangle by clipping each segment on
// its own (Liang-Barsky, in doubles): a run goes on while each segment's
// clipped part starts where the last one ended.
std::vector<std::vector<std::pair<double, double>>> ReferenceRuns(const std::vector<MAP_COORDPT> &points,
                                                                  const MAP_COORDRECT &r)
{
    std::vector<std::vector<std::pair<double, double>>> runs;
    bool open = false;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const double x0 = points[i].x, y0 = points[i].y;
        const double dx = points[i + 1].x - x0, dy = points[i + 1].y - y0;
        double t0 = 0, t1 = 1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {x0 - r.x1, r.x2 - x0, y0 - r.y1, r.y2 - y0};
        bool visible = true;
        for (int k = 0; k < 4 && visible; ++k) {
            if (p[k] == 0) {
                visible = q[k] >= 0;
            } else {
                const double t = q[k] / p[k];
                if (p[k] < 0)
                    t0 = std::max(t0, t);
                else
                    t1 = std::min(t1, t);
                visible = t0 <= t1;
            }
        }
        if (!visible) {
            open = false;
            continue;
        }
        if (!open || t0 > 0) {
            runs.push_back({{x0 + t0 * dx, y0 + t0 * dy}});
            open = true;
        }
        runs.back().push_back({x0 + t1 * dx, y0 + t1 * dy});
        open = t1 == 1;
    }
    if (points.size() == 1 && points[0].x >= r.x1 && points[0].x <= r.x2 && points[0].y >= r.y1 &&
        points[0].y <= r.y2)
        runs.push_back({{double(points[0].x), double(points[0].y)}});
    return runs;
}

// The clipped runs against the reference's: the same number of runs and of
// points in each, every point within one unit in each coordinate.
void CheckClippedPolyline(benchmark::State &state, Fixture &f, int32_t written, int32_t runs)
{
    static const auto reference = ReferenceRuns(f.points, kRect);
    if (!CheckResult(&state, kPolylineTopic, "runs", runs, double(reference.size())))
        return;
    const auto *out = static_cast<const MAP_COORDPT *>(BufferLock(&f.clipped));
    const auto *pairs = static_cast<const int32_t *>(BufferLock(&f.parts));
    int32_t points = 0, wrongCounts = 0;
    double worst = 0;
    for (size_t run = 0; run < reference.size(); ++run) {
        const int32_t first = pairs[2 * run], count = pairs[2 * run + 1];
        points += count;
        if (size_t(count) != reference[run].size()) {
            ++wrongCounts;
            continue;
        }
        for (int32_t k = 0; k < count; ++k) {
            const auto &[x, y] = reference[run][size_t(k)];
            worst = std::max({worst, std::fabs(out[first + k].x - x), std::fabs(out[first + k].y - y)});
        }
    }
    BufferUnLock(&f.parts);
    BufferUnLock(&f.clipped);
    CheckResult(&state, kPolylineTopic, "runs of another point count", wrongCounts, 0);
    CheckResult(&state, kPolylineTopic, "points in the runs", points, written);
    CheckResult(&state, kPolylineTopic, "largest coordinate difference", worst, 0, {1, 0});
}

void BM_ClipPolyline(benchmark::State &state)
{
    Fixture &f = fixture();
    int32_t runs = 0, n = 0;
    for (auto _ : state) {
        n = ClipPolyline(&f.polyline, kPoints, &f.clipped, &f.parts, &kRect, &runs);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    CheckClippedPolyline(state, f, n, runs);
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
    if (reporter.polyline > 0 && reporter.plain > 0 && ResultsMatched({kPolylineTopic}))
        std::printf(
            "polyline clipping %.2f ms, plain inside-and-copy loop %.2f ms: ratio %.2f (target at most 2)\n",
            reporter.polyline, reporter.plain, reporter.polyline / reporter.plain);
    benchmark::Shutdown();
    return ResultCheckStatus();
}

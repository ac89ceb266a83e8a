// Map-to-window conversion of a million-point Buffer through a view, and a
// plain loop of the same arithmetic for comparison. Points per second are
// reported as items per second; the ratio is printed at the end, once the
// converted points have been checked against the plain loop's (the same
// count, every coordinate within one pixel).
#include "bench/support/bench_check.h"
#include "engine/view/viewrecord/view_transforms.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int32_t kPoints = 1000000;

struct Fixture {
    PresentationManager view;
    Buffer source, destination, parts, runs;
    std::vector<MAP_COORDPT> points;
    Fixture()
    {
        PM_Constructor(&view);
        view.clipFlag = 0;
        view.worldRect = {1000000, 2000000, 1400000, 2300000};
        view.scale = 0.002;
        view.inverseScale = 500.0;
        BufferInit(&source, 1, 8, 20);
        BufferInit(&destination, 0, 8, 20);
        BufferInit(&parts, 0, 4, 20);
        BufferInit(&runs, 0, 4, 20);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int32_t> x(900000, 1500000), y(1900000, 2400000);
        points.resize(kPoints);
        for (MAP_COORDPT &p : points)
            p = MAP_COORDPT{x(rng), y(rng)};
        BufferFill(&source, points.data(), kPoints);
    }
    ~Fixture()
    {
        BufferDelete(&source);
        BufferDelete(&destination);
        BufferDelete(&parts);
        BufferDelete(&runs);
        PM_Destructor(&view);
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

double g_viewRate = 0, g_plainRate = 0;

constexpr const char *kTopic = "map to window";

// The window points of the plain loop's arithmetic.
std::vector<POINT> PlainPoints(const Fixture &f)
{
    std::vector<POINT> out(kPoints);
    const double s = f.view.scale;
    const int64_t left = f.view.worldRect.x1, top = f.view.worldRect.y2;
    for (int32_t i = 0; i < kPoints; ++i) {
        out[size_t(i)].x = int32_t(double(f.points[size_t(i)].x - left) * s + 0.5);
        out[size_t(i)].y = int32_t(double(top - f.points[size_t(i)].y) * s + 0.5);
    }
    return out;
}

// The converted points against the plain loop's.
void CheckConverted(benchmark::State &state, Fixture &f, int32_t n)
{
    if (!CheckResult(&state, kTopic, "points converted", n, kPoints))
        return;
    const std::vector<POINT> plain = PlainPoints(f);
    const auto *out = static_cast<const POINT *>(BufferLock(&f.destination));
    int64_t worst = 0;
    for (int32_t i = 0; i < kPoints; ++i)
        worst = std::max({worst, std::abs(int64_t(out[i].x) - plain[size_t(i)].x),
                          std::abs(int64_t(out[i].y) - plain[size_t(i)].y)});
    BufferUnLock(&f.destination);
    CheckResult(&state, kTopic, "largest coordinate difference in pixels", double(worst), 0, {1, 0});
}

void BM_BufferMapToWindow(benchmark::State &state)
{
    Fixture &f = fixture();
    int bridge = 0;
    int32_t n = 0;
    for (auto _ : state) {
        n = PM_bMapToWindow(&f.view, &f.source, &f.destination, &f.parts, &f.runs, kPoints, kPolylineClassId,
                            &bridge);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    CheckConverted(state, f, n);
    state.SetItemsProcessed(state.iterations() * kPoints);
    g_viewRate = double(state.iterations()) * kPoints;
}

// The same arithmetic written inline: offset, scale, add 0.5, truncate.
void BM_PlainLoop(benchmark::State &state)
{
    Fixture &f = fixture();
    std::vector<POINT> out(kPoints);
    const double s = f.view.scale;
    const int64_t left = f.view.worldRect.x1, top = f.view.worldRect.y2;
    for (auto _ : state) {
        const MAP_COORDPT *in = f.points.data();
        for (int32_t i = 0; i < kPoints; ++i) {
            out[i].x = int32_t(double(in[i].x - left) * s + 0.5);
            out[i].y = int32_t(double(top - in[i].y) * s + 0.5);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    g_plainRate = double(state.iterations()) * kPoints;
}

BENCHMARK(BM_BufferMapToWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    struct Reporter : benchmark::ConsoleReporter {
        double view = 0, plain = 0;
        void ReportRuns(const std::vector<Run> &runs) override
        {
            for (const Run &r : runs) {
                const double rate =
                    r.counters.count("items_per_second") ? double(r.counters.at("items_per_second")) : 0;
                if (r.benchmark_name().find("BufferMapToWindow") != std::string::npos)
                    view = rate;
                else if (r.benchmark_name().find("PlainLoop") != std::string::npos)
                    plain = rate;
            }
            ConsoleReporter::ReportRuns(runs);
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.view > 0 && reporter.plain > 0 && ResultsMatched({kTopic}))
        std::printf("map to window: %.1f M points/s, plain loop: %.1f M points/s, ratio %.2f\n",
                    reporter.view / 1e6, reporter.plain / 1e6, reporter.view / reporter.plain);
    benchmark::Shutdown();
    return ResultCheckStatus();
}

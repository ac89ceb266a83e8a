// Result checks of the benchmarks that time something against a reference
// (another library, Qt's drawing, a plain loop): before a ratio means
// anything, both sides must have produced the same result. A benchmark
// states what it compares (points, areas, pixels, bytes) and the tolerance;
// the comparison runs outside the timed part. A mismatch fails loudly: a
// line on standard error, the benchmark's run ends with an error, the
// ratios that depend on it are not printed, and the program exits with 1.
//
// Comparisons are grouped under a topic, the name the ratio printers ask
// about ("polyline clipping", "stars-same/001000/union").
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>

// How far a figure may be from the reference's:
// |ours - reference| <= absolute + relative * |reference|.
struct Tolerance {
    double absolute = 0;
    double relative = 0;
};

namespace bench_check {

// Per topic: true while every comparison under it matched.
inline std::map<std::string, bool> &Topics()
{
    static std::map<std::string, bool> topics;
    return topics;
}

} // namespace bench_check

// Compares one figure of our result (what: "points", "area", "differing
// pixels") with the reference's under topic. On a mismatch prints why, ends
// state's run with an error (when a state is given; call it outside the
// timed loop) and remembers the topic as failed. Returns whether it matched.
inline bool CheckResult(benchmark::State *state, const std::string &topic, const std::string &what,
                        double ours, double reference, Tolerance tolerance = {})
{
    const double allowed = tolerance.absolute + tolerance.relative * std::fabs(reference);
    const bool matched = std::fabs(ours - reference) <= allowed; // false for NaN
    auto [it, fresh] = bench_check::Topics().emplace(topic, matched);
    if (!fresh)
        it->second = it->second && matched;
    if (!matched) {
        char text[512];
        std::snprintf(text, sizeof text,
                      "RESULT MISMATCH (%s): %s %.17g against the reference's %.17g, allowed difference %.6g",
                      topic.c_str(), what.c_str(), ours, reference, allowed);
        std::fprintf(stderr, "%s\n", text);
        std::fflush(stderr);
        if (state && !state->error_occurred())
            state->SkipWithError(text);
    }
    return matched;
}

// A share (0..1) of differing items, as pixels that differ, against an
// allowed share: CheckResult with the share as the figure and 0 as the
// reference's.
inline bool CheckShare(benchmark::State *state, const std::string &topic, const std::string &what,
                       double differing, double total, double allowedShare)
{
    return CheckResult(state, topic, what + " (share)", total > 0 ? differing / total : 1.0, 0,
                       {allowedShare, 0});
}

// Whether every topic was checked and all its comparisons matched: only
// then may a ratio that depends on them be printed.
inline bool ResultsMatched(std::initializer_list<std::string> topics)
{
    for (const std::string &topic : topics) {
        auto it = bench_check::Topics().find(topic);
        if (it == bench_check::Topics().end() || !it->second)
            return false;
    }
    return true;
}

// The program's exit status after the runs: 1 with a list of the failed
// topics when a comparison failed, else 0 with the number checked.
inline int ResultCheckStatus()
{
    int failed = 0;
    for (const auto &[topic, matched] : bench_check::Topics())
        if (!matched) {
            std::fprintf(stderr, "RESULT CHECK FAILED: %s (its ratios are not reported)\n", topic.c_str());
            ++failed;
        }
    if (failed) {
        std::fflush(stderr);
        return 1;
    }
    std::printf("result checks: %zu compared with the reference, all within tolerance\n",
                bench_check::Topics().size());
    return 0;
}

// The whole of a main without a setting of its own: the benchmarks asked
// for (through reporter when given), then the result checks' status.
inline int RunCheckedBenchmarks(int argc, char **argv, benchmark::BenchmarkReporter *reporter = nullptr)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (reporter)
        benchmark::RunSpecifiedBenchmarks(reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return ResultCheckStatus();
}

// The editor's buffered readers against the plain library loops on the same
// 256 MB file, in the same run: TASCReader.ReadLine against std::getline,
// TBinReader.ReadDouble against an fread loop of one double at a time. The
// file is made in a temporary folder and deleted at the end. Each reader's
// result is checked against the plain loop's, read once outside the timed
// part: the same number of lines and of bytes in them, the same number of
// doubles and the same bits of their sum; a ratio is printed only when they
// are equal.
#include "bench/support/bench_check.h"
#include "editor/shell/support/asc_reader.h"
#include "editor/shell/support/bin_reader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int64_t kFileSize = int64_t(256) << 20;

std::string &TestFile()
{
    static std::string path;
    return path;
}

// Lines of 1-120 characters, like the delimited and markup files the
// readers serve.
bool MakeFile(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> length(1, 120);
    std::string line;
    int64_t written = 0;
    while (written < kFileSize) {
        line.assign(size_t(length(rng)), 'x');
        for (size_t i = 0; i < line.size(); i += 7)
            line[i] = char('0' + i % 10);
        line += '\n';
        written += int64_t(std::fwrite(line.data(), 1, line.size(), f));
    }
    return std::fclose(f) == 0;
}

constexpr const char *kLinesTopic = "lines", *kDoublesTopic = "doubles";

// What a reading loop saw: lines (or doubles) and bytes in them (or the sum).
struct Seen {
    int64_t items = 0, bytes = 0;
    double sum = 0;
};

const Seen &GetlineSeen()
{
    static const Seen seen = [] {
        Seen s;
        std::ifstream in(TestFile(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            ++s.items;
            s.bytes += int64_t(line.size());
        }
        return s;
    }();
    return seen;
}

const Seen &FreadSeen()
{
    static const Seen seen = [] {
        Seen s;
        FILE *f = std::fopen(TestFile().c_str(), "rb");
        double value = 0;
        while (f && std::fread(&value, sizeof value, 1, f) == 1) {
            ++s.items;
            s.sum += value;
        }
        if (f)
            std::fclose(f);
        return s;
    }();
    return seen;
}

void BM_ASCReaderReadLine(benchmark::State &state)
{
    Seen seen;
    for (auto _ : state) {
        TASCReader reader;
        if (!reader.Open(TestFile())) {
            state.SkipWithError("open failed");
            return;
        }
        std::string line;
        int64_t lines = 0, bytes = 0;
        while (!reader.Eof()) {
            reader.ReadLine(line);
            ++lines;
            bytes += int64_t(line.size());
        }
        benchmark::DoNotOptimize(lines);
        benchmark::DoNotOptimize(bytes);
        seen = {lines, bytes, 0};
    }
    if (!state.error_occurred() &&
        CheckResult(&state, kLinesTopic, "lines", double(seen.items), double(GetlineSeen().items)))
        CheckResult(&state, kLinesTopic, "bytes in the lines", double(seen.bytes),
                    double(GetlineSeen().bytes));
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_StdGetline(benchmark::State &state)
{
    for (auto _ : state) {
        std::ifstream in(TestFile(), std::ios::binary);
        std::string line;
        int64_t lines = 0, bytes = 0;
        while (std::getline(in, line)) {
            ++lines;
            bytes += int64_t(line.size());
        }
        benchmark::DoNotOptimize(lines);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_BinReaderReadDouble(benchmark::State &state)
{
    Seen seen;
    for (auto _ : state) {
        TBinReader reader;
        if (!reader.Open(TestFile())) {
            state.SkipWithError("open failed");
            return;
        }
        double value = 0, sum = 0;
        int64_t count = 0;
        while (reader.ReadDouble(value)) {
            sum += value;
            ++count;
        }
        benchmark::DoNotOptimize(sum);
        seen = {count, 0, sum};
    }
    if (!state.error_occurred() &&
        CheckResult(&state, kDoublesTopic, "doubles", double(seen.items), double(FreadSeen().items))) {
        uint64_t ours = 0, plain = 0;
        std::memcpy(&ours, &seen.sum, sizeof ours);
        std::memcpy(&plain, &FreadSeen().sum, sizeof plain);
        CheckResult(&state, kDoublesTopic, "bits of the sum that differ", double(ours ^ plain), 0);
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_FreadDouble(benchmark::State &state)
{
    for (auto _ : state) {
        FILE *f = std::fopen(TestFile().c_str(), "rb");
        if (!f) {
            state.SkipWithError("open failed");
            return;
        }
        double value = 0, sum = 0;
        while (std::fread(&value, sizeof value, 1, f) == 1)
            sum += value;
        std::fclose(f);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

BENCHMARK(BM_ASCReaderReadLine)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_StdGetline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_BinReaderReadDouble)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_FreadDouble)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    std::string folder = (std::filesystem::temp_directory_path() / "readers_bench.XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        std::perror("readers bench: temporary folder");
        return 1;
    }
    TestFile() = folder + "/lines.txt";
    if (!MakeFile(TestFile())) {
        std::perror("readers bench: test file");
        std::filesystem::remove_all(folder);
        return 1;
    }
    struct Reporter : benchmark::ConsoleReporter {
        std::map<std::string, double> times;
        void ReportRuns(const std::vector<Run> &runs) override
        {
            for (const Run &r : runs)
                if (r.aggregate_name.empty() || r.aggregate_name == "median")
                    times[r.run_name.function_name] = r.GetAdjustedRealTime();
            ConsoleReporter::ReportRuns(runs);
        }
        void Ratio(const char *what, const std::string &ours, const std::string &plain, const char *topic)
        {
            if (times[ours] > 0 && times[plain] > 0 && ResultsMatched({topic}))
                std::printf("%s: %.1f ms against %.1f ms, ratio %.2f (target at most 1.5)\n", what,
                            times[ours], times[plain], times[ours] / times[plain]);
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Ratio("TASCReader.ReadLine / std::getline", "BM_ASCReaderReadLine", "BM_StdGetline",
                   kLinesTopic);
    reporter.Ratio("TBinReader.ReadDouble / fread", "BM_BinReaderReadDouble", "BM_FreadDouble",
                   kDoublesTopic);
    std::filesystem::remove_all(folder);
    benchmark::Shutdown();
    return ResultCheckStatus();
}

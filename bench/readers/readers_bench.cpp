// The editor's buffered readers against the plain library loops on the same
// 256 MB file, in the same run: TASCReader.ReadLine against std::getline,
// TBinReader.ReadDouble against an fread loop of one double at a time. The
// file is made in a temporary folder and deleted at the end.
#include "editor/shell/support/asc_reader.h"
#include "editor/shell/support/bin_reader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
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

void BM_ASCReaderReadLine(benchmark::State &state)
{
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
    }
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
    for (auto _ : state) {
        TBinReader reader;
        if (!reader.Open(TestFile())) {
            state.SkipWithError("open failed");
            return;
        }
        double value = 0, sum = 0;
        while (reader.ReadDouble(value))
            sum += value;
        benchmark::DoNotOptimize(sum);
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
        void Ratio(const char *what, const std::string &ours, const std::string &plain)
        {
            if (times[ours] > 0 && times[plain] > 0)
                std::printf("%s: %.1f ms against %.1f ms, ratio %.2f (target at most 1.5)\n", what,
                            times[ours], times[plain], times[ours] / times[plain]);
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Ratio("TASCReader.ReadLine / std::getline", "BM_ASCReaderReadLine", "BM_StdGetline");
    reporter.Ratio("TBinReader.ReadDouble / fread", "BM_BinReaderReadDouble", "BM_FreadDouble");
    std::filesystem::remove_all(folder);
    benchmark::Shutdown();
    return 0;
}

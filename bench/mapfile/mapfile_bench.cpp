// Saving and reading a map document of a million polylines of ten points,
// against a plain sequential write and read of a file of the same size on
// the same disk, measured in the same run. The ratios are printed at the
// end, once the results have been checked outside the timed part: the saved
// file has the document's size, every read gives back as many polylines
// with the same points (sums of the coordinates), and the plain write and
// reads move exactly as many bytes.
//
// Reads are measured twice. "cold": the file was synced and its pages
// dropped from the page cache before each iteration, so the bytes come from
// the disk, which is what the machine's sequential read is. "warm": the file
// is in the page cache, so the plain read is a memory copy and the ratio
// shows how close the reader comes to copying memory.
#include "bench/support/bench_check.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "platform/window.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

int objectCount()
{
    const char *n = std::getenv("MAPFILE_BENCH_OBJECTS");
    return n ? std::atoi(n) : 1000000;
}

constexpr const char *kDocumentTopic = "document", *kPlainTopic = "plain file";

// The polylines of a kernel: their number and the sums of their points'
// coordinates (exact in doubles at these sizes).
struct Fingerprint {
    double polylines = 0, points = 0, xs = 0, ys = 0;
};

Fingerprint FingerprintOf(OBJectKernel *k)
{
    Fingerprint f;
    for (OBJHANDLE h = KernelGetNextHandle(k, 0); h; h = KernelGetNextHandle(k, h)) {
        if (GetOBJectClassID(k, h) != CLASS_POLYLINE)
            continue;
        char *fixed = OBJectLock(k, h);
        const uint32_t n = LoadField<uint32_t>(fixed, PS_COUNT);
        const char *data = DataSpaceBegin(fixed);
        f.polylines += 1;
        f.points += n;
        for (uint32_t p = 0; p < n; ++p) {
            f.xs += LoadField<int32_t>(data, p * 8);
            f.ys += LoadField<int32_t>(data, p * 8 + 4);
        }
    }
    return f;
}

void CheckFingerprint(benchmark::State &state, const Fingerprint &read, const Fingerprint &saved)
{
    if (CheckResult(&state, kDocumentTopic, "polylines read", read.polylines, saved.polylines) &&
        CheckResult(&state, kDocumentTopic, "points read", read.points, saved.points))
        if (CheckResult(&state, kDocumentTopic, "sum of x read", read.xs, saved.xs))
            CheckResult(&state, kDocumentTopic, "sum of y read", read.ys, saved.ys);
}

enum Rate { Save, PlainWrite, ReadCold, PlainReadCold, ReadWarm, PlainReadWarm, RateCount };

struct Document {
    HWND window = 0;
    _WNDRES record;
    fs::path dir;
    fs::path mapPath, plainPath;
    uint64_t bytes = 0;
    Fingerprint saved;               // of the document as built
    double firstRead = 0;            // seconds
    double rates[RateCount] = {};    // bytes per second
    double resident[RateCount] = {}; // share of the file cached before a cold read

    void build()
    {
        InitGraphClasses(0);
        dir = fs::temp_directory_path() / ("mapfile_bench_" + std::to_string(getpid()));
        fs::create_directories(dir);
        mapPath = dir / "doc.mpd";
        plainPath = dir / "plain.bin";
        window = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        record.kernel = KernelNew();
        AttachWndRes(window, &record);
        OBJHANDLE layers = 0;
        const OBJHANDLE all =
            CreateRootOBJects(record.kernel, window, &layers, nullptr, nullptr, nullptr, nullptr);
        SetRootOBJect(window, all);
        OBJectKernel *k = record.kernel;
        const OBJHANDLE layer = CreateLayerOBJect(k, layers, 1, "Lines");
        for (int i = 0, n = objectCount(); i < n; ++i) {
            const OBJHANDLE h = CreateOBJect(k, CLASS_POLYLINE);
            ReSizeOBJectData(k, h, 10 * 8);
            char *fixed = OBJectLock(k, h);
            StoreField<uint32_t>(fixed, PS_COUNT, 10);
            char *data = DataSpaceBegin(fixed);
            for (int p = 0; p < 10; ++p) {
                StoreField<int32_t>(data, p * 8, i + p);
                StoreField<int32_t>(data, p * 8 + 4, i - p);
            }
            InsertRefInPos(k, layer, REF_LAYER_MEMBER, h, -1, -1);
        }
        saved = FingerprintOf(k);
        MapSave(window, mapPath.c_str());
        bytes = fs::file_size(mapPath);
        // The process's first read takes its memory from the system, one
        // page fault per page, which costs more than the reading itself on
        // some machines; it is timed on its own, and the measured reads find
        // the heap an editor has after reading a document.
        firstRead = timedRead();
    }

    // Seconds to read the document into a new kernel, deleted afterwards.
    double timedRead()
    {
        OBJectKernel *old = record.kernel;
        record.kernel = nullptr;
        const auto t = std::chrono::steady_clock::now();
        OBJectKernel *k = nullptr;
        OBJHANDLE root = 0;
        const int ok = ReadMapToKern(window, mapPath.c_str(), &root, &k, 1);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        KernelDelete(k);
        record.kernel = old;
        return ok == 1 ? s : -1;
    }

    ~Document() { fs::remove_all(dir); }
};

Document &doc()
{
    static Document d;
    return d;
}

// Writes the file's dirty pages and drops all its pages from the page cache
// (Linux drops clean pages on POSIX_FADV_DONTNEED); returns the share of the
// file still cached afterwards, so that the output shows whether it worked.
double evict(const fs::path &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return 1;
    fsync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    double share = 1;
    const off_t size = lseek(fd, 0, SEEK_END);
    if (size > 0) {
        void *map = mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED) {
            const size_t page = size_t(sysconf(_SC_PAGESIZE));
            std::vector<unsigned char> in((size_t(size) + page - 1) / page);
            if (mincore(map, size_t(size), in.data()) == 0)
                share = double(std::count_if(in.begin(), in.end(), [](unsigned char c) { return c & 1; })) /
                        double(in.size());
            munmap(map, size_t(size));
        }
    }
    ::close(fd);
    return share;
}

// Reads the whole file once so that it is in the page cache.
void warm(const fs::path &path)
{
    std::vector<char> block(1 << 20);
    const int fd = ::open(path.c_str(), O_RDONLY);
    while (fd >= 0 && ::read(fd, block.data(), block.size()) > 0) {
    }
    if (fd >= 0)
        ::close(fd);
}

void report(benchmark::State &state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc().bytes));
    state.counters["MB"] = double(doc().bytes) / 1e6;
}

double seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Save(benchmark::State &state)
{
    double total = 0;
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        if (MapSave(doc().window, doc().mapPath.c_str()) != 1)
            state.SkipWithError("save failed");
        total += seconds(t);
    }
    CheckResult(&state, kDocumentTopic, "bytes saved", double(fs::file_size(doc().mapPath)),
                double(doc().bytes));
    doc().rates[Save] = double(doc().bytes) * double(state.iterations()) / total;
    report(state);
}

// The same number of bytes written in 1 MiB blocks and synced, as the save
// does.
void BM_PlainWrite(benchmark::State &state)
{
    std::vector<char> block(1 << 20, 'x');
    double total = 0;
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        const int fd = ::open(doc().plainPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (uint64_t left = doc().bytes; left;) {
            const size_t n = size_t(std::min<uint64_t>(left, block.size()));
            if (::write(fd, block.data(), n) != ssize_t(n))
                state.SkipWithError("write failed");
            left -= n;
        }
        fsync(fd);
        ::close(fd);
        total += seconds(t);
    }
    CheckResult(&state, kPlainTopic, "bytes written", double(fs::file_size(doc().plainPath)),
                double(doc().bytes));
    doc().rates[PlainWrite] = double(doc().bytes) * double(state.iterations()) / total;
    report(state);
}

void readDocument(benchmark::State &state, bool cold, Rate rate)
{
    double total = 0, resident = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (cold)
            resident += evict(doc().mapPath);
        else
            warm(doc().mapPath);
        _WNDRES &rec = doc().record;
        OBJectKernel *old = rec.kernel;
        rec.kernel = nullptr;
        state.ResumeTiming();
        const auto t = std::chrono::steady_clock::now();
        OBJectKernel *k = nullptr;
        OBJHANDLE root = 0;
        if (ReadMapToKern(doc().window, doc().mapPath.c_str(), &root, &k, 1) != 1)
            state.SkipWithError(MapFileLastError().c_str());
        total += seconds(t);
        state.PauseTiming();
        if (k && !state.error_occurred())
            CheckFingerprint(state, FingerprintOf(k), doc().saved);
        KernelDelete(k);
        rec.kernel = old;
        state.ResumeTiming();
    }
    doc().rates[rate] = double(doc().bytes) * double(state.iterations()) / total;
    doc().resident[rate] = resident / double(state.iterations());
    if (cold)
        state.counters["cached"] = doc().resident[rate];
    report(state);
}

// The same number of bytes read in 1 MiB blocks.
void plainRead(benchmark::State &state, bool cold, Rate rate)
{
    std::vector<char> block(1 << 20);
    double total = 0, resident = 0;
    uint64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (cold)
            resident += evict(doc().plainPath);
        else
            warm(doc().plainPath);
        state.ResumeTiming();
        const auto t = std::chrono::steady_clock::now();
        const int fd = ::open(doc().plainPath.c_str(), O_RDONLY);
        bytes = 0;
        for (ssize_t n; (n = ::read(fd, block.data(), block.size())) > 0;)
            bytes += uint64_t(n);
        ::close(fd);
        total += seconds(t);
    }
    CheckResult(&state, kPlainTopic, "bytes read", double(bytes), double(doc().bytes));
    doc().rates[rate] = double(doc().bytes) * double(state.iterations()) / total;
    doc().resident[rate] = resident / double(state.iterations());
    if (cold)
        state.counters["cached"] = doc().resident[rate];
    report(state);
}

void BM_ReadCold(benchmark::State &state) { readDocument(state, true, ReadCold); }
void BM_PlainReadCold(benchmark::State &state) { plainRead(state, true, PlainReadCold); }
void BM_ReadWarm(benchmark::State &state) { readDocument(state, false, ReadWarm); }
void BM_PlainReadWarm(benchmark::State &state) { plainRead(state, false, PlainReadWarm); }

BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ReadCold)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PlainReadCold)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ReadWarm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PlainReadWarm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void printRatio(const char *what, Rate rate, const char *plain, Rate base, bool target)
{
    const double *r = doc().rates;
    if (!ResultsMatched({kDocumentTopic, kPlainTopic})) {
        std::printf("%-10s no ratio: the results did not match\n", what);
        return;
    }
    std::printf("%-10s %6.0f MB/s, %-16s %6.0f MB/s, ratio %.2f%s\n", what, r[rate] / 1e6, plain,
                r[base] / 1e6, r[base] > 0 ? r[rate] / r[base] : 0.0, target ? " (target >= 0.5)" : "");
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    doc().build();
    benchmark::RunSpecifiedBenchmarks();
    std::printf("document %.1f MB\n", double(doc().bytes) / 1e6);
    printRatio("save", Save, "plain write+sync", PlainWrite, true);
    printRatio("read cold", ReadCold, "plain read cold", PlainReadCold, true);
    printRatio("read warm", ReadWarm, "plain read warm", PlainReadWarm, false);
    std::printf("first read in the process (heap taken from the system, file warm): %.0f MB/s\n",
                doc().firstRead > 0 ? double(doc().bytes) / doc().firstRead / 1e6 : 0.0);
    std::printf("cold: file synced and dropped from the page cache before each read (share still cached: "
                "document %.2f, plain %.2f); warm: file in the page cache, the plain read is a memory copy\n",
                doc().resident[ReadCold], doc().resident[PlainReadCold]);
    benchmark::Shutdown();
    return ResultCheckStatus();
}

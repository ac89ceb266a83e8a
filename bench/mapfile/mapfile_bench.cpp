// Saving and reading a map document of a million polylines of ten points,
// against a plain sequential write and read of a file of the same size on
// the same disk, measured in the same run. The ratios are printed at the end.
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/window/wndres.h"
#include "platform/window.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

int objectCount()
{
    const char *n = std::getenv("MAPFILE_BENCH_OBJECTS");
    return n ? std::atoi(n) : 1000000;
}

struct Document {
    HWND window = 0;
    _WNDRES record;
    fs::path dir;
    fs::path mapPath, plainPath;
    uint64_t bytes = 0;
    double rates[4] = {}; // save, plain write, read, plain read (bytes per second)

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
        const OBJHANDLE all = CreateRootOBJects(record.kernel, window, &layers, nullptr, nullptr, nullptr, nullptr);
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
        MapSave(window, mapPath.c_str());
        bytes = fs::file_size(mapPath);
    }

    ~Document() { fs::remove_all(dir); }
};

Document &doc()
{
    static Document d;
    return d;
}

void report(benchmark::State &state, int which)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc().bytes));
    state.counters["MB"] = double(doc().bytes) / 1e6;
    (void)which;
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
    doc().rates[0] = double(doc().bytes) * double(state.iterations()) / total;
    report(state, 0);
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
    doc().rates[1] = double(doc().bytes) * double(state.iterations()) / total;
    report(state, 1);
}

void BM_Read(benchmark::State &state)
{
    double total = 0;
    for (auto _ : state) {
        _WNDRES &rec = doc().record;
        OBJectKernel *old = rec.kernel;
        rec.kernel = nullptr;
        const auto t = std::chrono::steady_clock::now();
        OBJectKernel *k = nullptr;
        OBJHANDLE root = 0;
        if (ReadMapToKern(doc().window, doc().mapPath.c_str(), &root, &k, 1) != 1)
            state.SkipWithError(MapFileLastError().c_str());
        total += seconds(t);
        state.PauseTiming();
        KernelDelete(k);
        rec.kernel = old;
        state.ResumeTiming();
    }
    doc().rates[2] = double(doc().bytes) * double(state.iterations()) / total;
    report(state, 2);
}

void BM_PlainRead(benchmark::State &state)
{
    std::vector<char> block(1 << 20);
    double total = 0;
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        const int fd = ::open(doc().plainPath.c_str(), O_RDONLY);
        while (::read(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
        total += seconds(t);
    }
    doc().rates[3] = double(doc().bytes) * double(state.iterations()) / total;
    report(state, 3);
}

BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    doc().build();
    benchmark::RunSpecifiedBenchmarks();
    const double *r = doc().rates;
    std::printf("document %.1f MB\n", double(doc().bytes) / 1e6);
    std::printf("save  %.0f MB/s, plain write %.0f MB/s, ratio %.2f (target >= 0.5)\n", r[0] / 1e6,
                r[1] / 1e6, r[1] > 0 ? r[0] / r[1] : 0.0);
    std::printf("read  %.0f MB/s, plain read  %.0f MB/s, ratio %.2f (target >= 0.5)\n", r[2] / 1e6,
                r[3] / 1e6, r[3] > 0 ? r[2] / r[3] : 0.0);
    benchmark::Shutdown();
    return 0;
}

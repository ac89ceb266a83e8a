// Objects per second for the object store's hot operations on 10^6 objects
// and references, and object creation against plain malloc + memset of the
// same block size; the ratio of the two is printed once the made objects
// have been checked against the plain blocks (as many, each fixed part all
// zero bytes).
#include "bench/support/bench_check.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kCount = 1000000;
constexpr uint16_t kPlain = 0x0101;    // fixed 52, 4 slots, reserve 16: 128-byte blocks
constexpr uint16_t kByHandle = 0x0102; // sorted by handle
constexpr uint16_t kByKey = 0x0103;    // sorted by key
constexpr uint32_t kBlockSize = 128;

LRESULT quietProc(OBJectKernel *, OBJHANDLE, OBJHANDLE, uint16_t, uint16_t, WPARAM, LPARAM) { return 0; }

int compareKeys(OBJectKernel *kernel, uint16_t, OBJHANDLE a, uint16_t, OBJHANDLE b)
{
    const uint32_t ka = LoadField<uint32_t>(OBJectLock(kernel, a), 0);
    const uint32_t kb = LoadField<uint32_t>(OBJectLock(kernel, b), 0);
    return ka < kb ? -1 : ka > kb ? 1 : 0;
}

void registerClasses()
{
    static bool done = false;
    if (done)
        return;
    RegisterOBJectClass(kPlain, 52, 4, 16, nullptr, quietProc, OBJ_APPEND, "Plain");
    RegisterOBJectClass(kByHandle, 52, 4, 16, nullptr, quietProc, OBJ_SORTEDHANDLE, "ByHandle");
    RegisterOBJectClass(kByKey, 52, 4, 16, compareKeys, quietProc, OBJ_SORTEDKEY, "ByKey");
    done = true;
}

OBJectKernel *kernelWith(int n)
{
    registerClasses();
    OBJectKernel *kernel = KernelNew();
    for (int i = 0; i < n; ++i) {
        const OBJHANDLE h = CreateOBJect(kernel, kPlain);
        StoreField<uint32_t>(OBJectLock(kernel, h), 0, uint32_t(i)); // ascending keys
    }
    return kernel;
}

constexpr const char *kCreateTopic = "creation";
constexpr uint32_t kFixedSize = 52;

// The objects made against malloc + memset's blocks: kCount of them, each
// fixed part zero.
void CheckCreated(benchmark::State &state, OBJectKernel *kernel)
{
    if (!CheckResult(&state, kCreateTopic, "objects", GetNumberOfOBJectsKernel(kernel, kPlain), kCount))
        return;
    int64_t dirty = 0;
    for (OBJHANDLE h = KernelGetNextHandle(kernel, 0); h; h = KernelGetNextHandle(kernel, h)) {
        const char *fixed = OBJectLock(kernel, h);
        dirty += !fixed || std::any_of(fixed, fixed + kFixedSize, [](char c) { return c != 0; });
    }
    CheckResult(&state, kCreateTopic, "objects whose fixed part is not zero", double(dirty), 0);
}

void BM_Create(benchmark::State &state)
{
    // The first million blocks come fresh from the system; the baseline
    // below reuses freed memory, so this one starts warm too.
    KernelDelete(kernelWith(kCount));
    for (auto _ : state) {
        state.PauseTiming();
        OBJectKernel *kernel = KernelNew();
        state.ResumeTiming();
        for (int i = 0; i < kCount; ++i)
            benchmark::DoNotOptimize(CreateOBJect(kernel, kPlain));
        state.PauseTiming();
        if (!state.error_occurred())
            CheckCreated(state, kernel);
        KernelDelete(kernel);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_MallocMemset(benchmark::State &state)
{
    std::vector<void *> blocks(kCount);
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) {
            blocks[size_t(i)] = std::malloc(kBlockSize);
            std::memset(blocks[size_t(i)], 0, kBlockSize);
        }
        benchmark::ClobberMemory();
        state.PauseTiming();
        for (void *b : blocks)
            std::free(b);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_Lock(benchmark::State &state)
{
    OBJectKernel *kernel = kernelWith(kCount);
    for (auto _ : state)
        for (OBJHANDLE h = 1; h <= OBJHANDLE(kCount); ++h)
            benchmark::DoNotOptimize(OBJectLock(kernel, h));
    state.SetItemsProcessed(state.iterations() * kCount);
    KernelDelete(kernel);
}

void BM_Resize(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        OBJectKernel *kernel = kernelWith(kCount);
        state.ResumeTiming();
        for (OBJHANDLE h = 1; h <= OBJHANDLE(kCount); ++h)
            benchmark::DoNotOptimize(ReSizeOBJect(kernel, h, 40));
        state.PauseTiming();
        KernelDelete(kernel);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_Delete(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        OBJectKernel *kernel = kernelWith(kCount);
        state.ResumeTiming();
        for (OBJHANDLE h = 1; h <= OBJHANDLE(kCount); ++h)
            benchmark::DoNotOptimize(OBJectDelete(kernel, h));
        state.PauseTiming();
        KernelDelete(kernel);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

// One holder links 10^6 objects with a paired id (as a layer its objects),
// then the links are removed from the last to the first. Targets are made
// in ascending handle and key order, so the sorted modes stay sorted.
void referenceRound(benchmark::State &state, uint16_t holderClass, bool insert)
{
    for (auto _ : state) {
        state.PauseTiming();
        OBJectKernel *kernel = kernelWith(kCount);
        const OBJHANDLE holder = CreateOBJect(kernel, holderClass);
        if (!insert)
            for (OBJHANDLE h = 1; h <= OBJHANDLE(kCount); ++h)
                InsertRefInPos(kernel, holder, REF_LAYER_MEMBER, h, -1, -1);
        state.ResumeTiming();
        if (insert) {
            for (OBJHANDLE h = 1; h <= OBJHANDLE(kCount); ++h)
                benchmark::DoNotOptimize(InsertRefInPos(kernel, holder, REF_LAYER_MEMBER, h, -1, -1));
        } else {
            for (int32_t n = kCount - 1; n >= 0; --n)
                benchmark::DoNotOptimize(RemoveNthReference(kernel, holder, n));
        }
        state.PauseTiming();
        if (GetNumberOfReferencesFrom(kernel, holder, 0) != (insert ? uint32_t(kCount) : 0u))
            state.SkipWithError("reference count is wrong");
        KernelDelete(kernel);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_InsertRefAppend(benchmark::State &s) { referenceRound(s, kPlain, true); }
void BM_RemoveRefAppend(benchmark::State &s) { referenceRound(s, kPlain, false); }
void BM_InsertRefSortedHandle(benchmark::State &s) { referenceRound(s, kByHandle, true); }
void BM_RemoveRefSortedHandle(benchmark::State &s) { referenceRound(s, kByHandle, false); }
void BM_InsertRefSortedKey(benchmark::State &s) { referenceRound(s, kByKey, true); }
void BM_RemoveRefSortedKey(benchmark::State &s) { referenceRound(s, kByKey, false); }

BENCHMARK(BM_Create)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_MallocMemset)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Lock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Delete)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRefAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveRefAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRefSortedHandle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveRefSortedHandle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRefSortedKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveRefSortedKey)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration so that main can print the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto create = reporter.times.find("BM_Create");
    const auto plain = reporter.times.find("BM_MallocMemset");
    if (create != reporter.times.end() && plain != reporter.times.end() && plain->second > 0 &&
        ResultsMatched({kCreateTopic}))
        std::printf("creation / (malloc + memset) time ratio: %.2f (target: at most 3)\n",
                    create->second / plain->second);
    benchmark::Shutdown();
    return ResultCheckStatus();
}

// The map object model against the engine it wraps:
// - adding 10 000 filled polygons of 100 points by dispatch (KrtPoly added
//   to MapObjects through Invoke) against map_polygon_Create with its undo
//   record and step (target: at most 1.5 times);
// - enumerating 100 000 objects with _NewEnum and reading each ObjectType
//   by dispatch against the engine's walk over the same objects (reported).
// Outside the timed part both sides' results are checked against the same
// expectation, exactly: the map holds the 10 000 polygons with every point
// given (count and sums of the coordinates), and each walk saw every one of
// the 100 000 objects as a polygon.
// Run: build/<config>/bench/automation/automation
#include "bench/support/bench_check.h"
#include "bench/support/bench_control.h"
#include "control/automation/krt_objects.h"
#include "control/automation/krt_poly.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_children.h"
#include "engine/window/window_points.h"
#include "engine/window/window_queries.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kPolygons = 10000;
constexpr int kPoints = 100;
constexpr int kEnumerated = 100000;

std::vector<MAP_COORDPT> Ring(int i)
{
    std::vector<MAP_COORDPT> points(kPoints);
    const int32_t x0 = (i % 100) * 1000, y0 = (i / 100) * 1000;
    for (int k = 0; k < kPoints; ++k) {
        const int side = k / 25, at = (k % 25) * 32;
        points[size_t(k)] = side == 0   ? MAP_COORDPT{x0 + at, y0}
                            : side == 1 ? MAP_COORDPT{x0 + 800, y0 + at}
                            : side == 2 ? MAP_COORDPT{x0 + 800 - at, y0 + 800}
                                        : MAP_COORDPT{x0, y0 + 800 - at};
    }
    return points;
}

// The polygons of a kernel, or of the rings given: their number, their
// points and the sums of the points' coordinates.
struct Polygons {
    double count = 0, points = 0, xs = 0, ys = 0;
    void Add(const MAP_COORDPT *p, uint32_t n)
    {
        count += 1;
        points += n;
        for (uint32_t i = 0; i < n; ++i) {
            xs += p[i].x;
            ys += p[i].y;
        }
    }
};

Polygons PolygonsOf(OBJectKernel *k)
{
    Polygons polygons;
    for (OBJHANDLE h = KernelGetNextHandle(k, 0); h; h = KernelGetNextHandle(k, h))
        if (GetOBJectClassID(k, h) == CLASS_POLYGON && !IsOBJectDeleted(k, h)) {
            char *fixed = OBJectLock(k, h);
            polygons.Add(reinterpret_cast<const MAP_COORDPT *>(DataSpaceBegin(fixed)),
                         LoadField<uint32_t>(fixed, PS_COUNT));
        }
    return polygons;
}

// The map after an iteration of adding against the rings given.
void CheckAdded(benchmark::State &state, OBJectKernel *kernel)
{
    static const Polygons given = [] {
        Polygons p;
        for (int i = 0; i < kPolygons; ++i)
            p.Add(Ring(i).data(), kPoints);
        return p;
    }();
    const Polygons made = PolygonsOf(kernel);
    const char *topic = "added polygons";
    if (CheckResult(&state, topic, "polygons", made.count, given.count) &&
        CheckResult(&state, topic, "points", made.points, given.points))
        if (CheckResult(&state, topic, "sum of x", made.xs, given.xs))
            CheckResult(&state, topic, "sum of y", made.ys, given.ys);
}

DISPID IdOf(IDispatch *d, const std::string &name)
{
    DISPID id = DISPID_UNKNOWN;
    d->GetIDsOfNames({&name, 1}, {&id, 1});
    return id;
}

void BM_AddPolygonsByDispatch(benchmark::State &state)
{
    BenchControl c;
    for (auto _ : state) {
        state.PauseTiming();
        c.ctl->Close();
        std::vector<ComPtr<KrtPoly>> polys;
        polys.reserve(kPolygons);
        for (int i = 0; i < kPolygons; ++i) {
            auto p = ComPtr<KrtPoly>::Adopt(new KrtPoly);
            p->isPolyline = false;
            p->points().Assign(Ring(i));
            polys.push_back(std::move(p));
        }
        Variant collection = CallByName(c.object.get(), "MapObjects", DISPATCH_PROPERTYGET);
        IDispatch *objects = collection.pdispVal;
        const DISPID add = IdOf(objects, "Add");
        state.ResumeTiming();
        for (const ComPtr<KrtPoly> &p : polys) {
            Variant arg = VariantFromDispatch(p.get());
            DISPPARAMS params{&arg, nullptr, 1, 0};
            Variant result;
            objects->Invoke(add, DISPATCH_METHOD, params, &result, nullptr, nullptr);
            benchmark::DoNotOptimize(result.lVal);
        }
    }
    CheckAdded(state, c.ctl->wndRes()->kernel);
    state.SetItemsProcessed(state.iterations() * kPolygons);
}
BENCHMARK(BM_AddPolygonsByDispatch)->Unit(benchmark::kMillisecond);

void BM_AddPolygonsToTheEngine(benchmark::State &state)
{
    BenchControl c;
    std::vector<std::vector<MAP_COORDPT>> rings;
    for (int i = 0; i < kPolygons; ++i)
        rings.push_back(Ring(i));
    for (auto _ : state) {
        state.PauseTiming();
        c.ctl->Close();
        const HWND window = c.ctl->hwnd();
        OBJectKernel *kernel = c.ctl->wndRes()->kernel;
        state.ResumeTiming();
        for (const auto &ring : rings) {
            OBJHANDLE h = 0;
            map_polygon_Create(window, &h, ring.data(), kPoints, 0);
            Undo_AddNew(kernel, h);
            Undo_SetNewStep(window, kernel, 2);
            benchmark::DoNotOptimize(h);
        }
    }
    CheckAdded(state, c.ctl->wndRes()->kernel);
    state.SetItemsProcessed(state.iterations() * kPolygons);
}
BENCHMARK(BM_AddPolygonsToTheEngine)->Unit(benchmark::kMillisecond);

// A map of 100 000 small polygons.
struct FilledControl : BenchControl {
    FilledControl()
    {
        for (int i = 0; i < kEnumerated; ++i) {
            const int32_t x = (i % 400) * 25, y = (i / 400) * 25;
            const MAP_COORDPT p[] = {{x, y}, {x + 20, y}, {x + 10, y + 18}};
            OBJHANDLE h = 0;
            map_polygon_Create(ctl->hwnd(), &h, p, 3, 0);
        }
    }
};

void BM_EnumerateByDispatch(benchmark::State &state)
{
    FilledControl c;
    int64_t seen = 0;
    for (auto _ : state) {
        Variant collection = CallByName(c.object.get(), "MapPolygons", DISPATCH_PROPERTYGET);
        Variant e = CallByName(collection.pdispVal, "_NewEnum", DISPATCH_PROPERTYGET);
        ComPtr<IEnumVARIANT> walk;
        e.punkVal->QueryInterface(IEnumVARIANT::kIid, walk.putVoid());
        VARIANT item;
        DISPID type = DISPID_UNKNOWN;
        while (walk->Next(1, &item, nullptr) == S_OK) {
            if (type == DISPID_UNKNOWN)
                type = IdOf(item.pdispVal, "ObjectType");
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            Variant result;
            item.pdispVal->Invoke(type, DISPATCH_PROPERTYGET, none, &result, nullptr, nullptr);
            seen += result.lVal == 2;
            VariantClear(&item);
        }
    }
    benchmark::DoNotOptimize(seen);
    CheckResult(&state, "enumeration", "polygons seen by dispatch", double(seen),
                double(state.iterations()) * kEnumerated);
    state.SetItemsProcessed(state.iterations() * kEnumerated);
}
BENCHMARK(BM_EnumerateByDispatch)->Unit(benchmark::kMillisecond);

void BM_EnumerateInTheEngine(benchmark::State &state)
{
    FilledControl c;
    _WNDRES *rec = c.ctl->wndRes();
    const HWND window = c.ctl->hwnd();
    int64_t seen = 0;
    for (auto _ : state)
        for (OBJHANDLE h = GetNextHandle(rec, 0, OTM_POLYGON); h; h = GetNextHandle(rec, h, OTM_POLYGON))
            seen += map_object_type_Get(window, h) == 2;
    benchmark::DoNotOptimize(seen);
    CheckResult(&state, "enumeration", "polygons seen by the engine", double(seen),
                double(state.iterations()) * kEnumerated);
    state.SetItemsProcessed(state.iterations() * kEnumerated);
}
BENCHMARK(BM_EnumerateInTheEngine)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return RunControlBenchmarks(argc, argv); }

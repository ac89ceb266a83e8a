// The map object model against the engine it wraps:
// - adding 10 000 filled polygons of 100 points by dispatch (KrtPoly added
//   to MapObjects through Invoke) against map_polygon_Create with its undo
//   record and step (target: at most 1.5 times);
// - enumerating 100 000 objects with _NewEnum and reading each ObjectType
//   by dispatch against the engine's walk over the same objects (reported).
// Run: build/<config>/bench/automation/automation
#include "bench/support/bench_control.h"
#include "control/automation/krt_objects.h"
#include "control/automation/krt_poly.h"
#include "engine/kernel/graph_classes.h"
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
    state.SetItemsProcessed(state.iterations() * kEnumerated);
}
BENCHMARK(BM_EnumerateInTheEngine)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return RunControlBenchmarks(argc, argv); }

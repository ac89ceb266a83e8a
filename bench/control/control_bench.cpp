// The map control against the engine it wraps:
// - UnitsGet(3) through Invoke against the direct call (target: at most 20
//   times the direct call);
// - a zoom that ends with the drawing thread's finished paint of a map of
//   100 000 objects against the engine's paint of that view into an image
//   (target: at most 1.2 times).
// Outside the timed part the results are compared: Invoke's answer with the
// direct call's, and the picture the threaded paint leaves on the window
// with the engine's paint of the same view (kAllowedShare below); the ratio
// is given only when they match.
// Run: build/<config>/bench/control/control
#include "bench/support/bench_control.h"
#include "bench/support/bench_pixels.h"
#include "bench/support/bench_timing.h"
#include "engine/kernel/graph_classes.h"
#include "engine/window/map_painting.h"
#include "engine/window/window_points.h"
#include "platform/dc.h"
#include "platform/window.h"
#include "platform/window_dc.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

void BM_UnitsGetDirect(benchmark::State &state)
{
    BenchControl c;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.ctl->UnitsGet(3));
}
BENCHMARK(BM_UnitsGetDirect);

void BM_UnitsGetThroughInvoke(benchmark::State &state)
{
    BenchControl c;
    IDispatch *d = c.object.get();
    Variant which = VariantFromLong(3);
    DISPPARAMS params{&which, nullptr, 1, 0};
    Variant result;
    for (auto _ : state) {
        d->Invoke(DISPID_MAP_UNITSGET, DISPATCH_METHOD, params, &result, nullptr, nullptr);
        benchmark::DoNotOptimize(result.lVal);
    }
    CheckResult(&state, "UnitsGet", "answer through Invoke", result.lVal, c.ctl->UnitsGet(3));
}
BENCHMARK(BM_UnitsGetThroughInvoke);

// A map of 100 000 small polygons and polylines.
void Fill(HWND window)
{
    for (int i = 0; i < 100000; ++i) {
        const int32_t x = (i % 400) * 25;
        const int32_t y = (i / 400) * 25;
        OBJHANDLE h = 0;
        if (i % 2) {
            const MAP_COORDPT p[] = {{x, y}, {x + 20, y}, {x + 10, y + 18}};
            map_polygon_Create(window, &h, p, 3, 0);
        } else {
            const MAP_COORDPT p[] = {{x, y}, {x + 22, y + 15}};
            map_polyline_Create(window, &h, p, 2, 0);
        }
    }
}

// The control with the map, showing it all.
struct FilledControl : BenchControl {
    FilledControl()
    {
        Fill(ctl->hwnd());
        ctl->Command(mCmdViewAllObjects);
        ctl->WaitForDrawing();
    }
    // One zoom (in and out by turns, so the view stays where it was) and
    // the paint that follows it, to its end.
    void ZoomAndPaint()
    {
        ctl->Zoom(nullptr, zoomIn);
        zoomIn = !zoomIn;
        UpdateWindow(ctl->hwnd());
        ctl->WaitForDrawing();
    }
    // The same zoom; the control's own paint is called off and the engine
    // paints the view into an image of the client's size.
    void ZoomAndEnginePaint(QImage &image)
    {
        ctl->Zoom(nullptr, zoomIn);
        zoomIn = !zoomIn;
        EnginePaint(image);
    }
    void EnginePaint(QImage &image)
    {
        ValidateRect(ctl->hwnd(), nullptr);
        RECT client{};
        GetClientRect(ctl->hwnd(), &client);
        image.fill(Qt::white);
        const HDC dc = CreateImageDC(&image);
        benchmark::DoNotOptimize(OnDstrPaint(ctl->wndRes(), dc, &client, 0));
        DeleteDC(dc);
    }
    QImage ClientImage() const
    {
        RECT client{};
        GetClientRect(ctl->hwnd(), &client);
        return QImage(client.right, client.bottom, QImage::Format_RGB32);
    }
    bool zoomIn = true;
};

void ZoomToFinishedPaint(benchmark::State &state, bool threads)
{
    FilledControl c;
    c.ctl->SetUseThreads(threads);
    c.ctl->SetOffscreenDrawing(false);
    for (auto _ : state)
        c.ZoomAndPaint();
}
void BM_ZoomToFinishedThreadedPaint(benchmark::State &state) { ZoomToFinishedPaint(state, true); }
BENCHMARK(BM_ZoomToFinishedThreadedPaint)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_ZoomToFinishedSynchronousPaint(benchmark::State &state) { ZoomToFinishedPaint(state, false); }
BENCHMARK(BM_ZoomToFinishedSynchronousPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnginePaintOfTheView(benchmark::State &state)
{
    FilledControl c;
    QImage image = c.ClientImage();
    for (auto _ : state)
        c.ZoomAndEnginePaint(image);
}
BENCHMARK(BM_EnginePaintOfTheView)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same map with the same colours: at most kAllowedShare of the pixels
// may differ.
constexpr double kAllowedShare = 0.0;

// A threaded zoom's picture on the window against the engine's paint of
// the same view; the control is left at the view it had.
void CheckThreadedPicture(benchmark::State &state, FilledControl &c)
{
    c.ZoomAndPaint();
    const QImage shown = GetWindowSurface(c.ctl->hwnd());
    QImage engine = c.ClientImage();
    c.EnginePaint(engine);
    c.ZoomAndPaint();
    CheckPixels(&state, "threaded paint", shown, engine, 0, kAllowedShare);
}

// The threaded zooms and the engine's paints in turn, on one control, so
// that a load on the machine weighs on both; each side zooms in and out
// again (the views differ in cost). The median of the ratios (target: at
// most 1.2).
void BM_ThreadedToEngineRatio(benchmark::State &state)
{
    FilledControl c;
    c.ctl->SetUseThreads(true);
    c.ctl->SetOffscreenDrawing(false);
    QImage image = c.ClientImage();
    CheckThreadedPicture(state, c);
    if (state.error_occurred())
        return; // no ratio of results that differ
    std::vector<double> ratios;
    for (auto _ : state) {
        const double threaded = SecondsOf([&c] {
            c.ZoomAndPaint();
            c.ZoomAndPaint();
        });
        const double engine = SecondsOf([&c, &image] {
            c.ZoomAndEnginePaint(image);
            c.ZoomAndEnginePaint(image);
        });
        ratios.push_back(threaded / engine);
    }
    state.counters["threaded / engine"] = MedianOf(ratios);
}
BENCHMARK(BM_ThreadedToEngineRatio)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) { return RunControlBenchmarks(argc, argv); }

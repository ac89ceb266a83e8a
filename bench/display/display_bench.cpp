// Redrawing a map window of 1920 x 1080 pixels through the display pass
// (OnDstrPaint into an image): 10^5 random polylines in plain pens and
// renderer styles of widths 1-8 and 10^4 filled polygons (solid, hatched,
// 50 % transparent), against QPainter drawing the same window points with
// plain aliased pens and brushes (BM_QPainterSameScene). Then the redraw
// time at 10^4, 10^5 and 10^6 objects of the same mix, and of a view zoomed
// to 1 % of the map's area, which the clip rectangle and the objects'
// bounds keep to a small part of the full redraw. Outside the timed part
// the display pass's picture of the scene is compared with QPainter's
// (kAllowedShare below).
#include "bench/support/bench_maps.h"
#include "bench/support/bench_pixels.h"
#include "bench/support/bench_timing.h"
#include "engine/editing/display_pass.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/window/map_painting.h"
#include "engine/window/wndres.h"
#include "platform/dc.h"
#include "platform/window.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

using Look = BenchLayerLook;

// Polylines: plain pens (styles 0-4, wide solid pens) and renderer styles.
const Look kLineLooks[] = {
    {RGB(0, 0, 0), 0, 1, LAYER_NO_FILL, 0},     {RGB(200, 0, 0), 1, 1, LAYER_NO_FILL, 0},
    {RGB(0, 120, 0), 2, 1, LAYER_NO_FILL, 0},   {RGB(0, 0, 200), 3, 1, LAYER_NO_FILL, 0},
    {RGB(90, 90, 0), 4, 1, LAYER_NO_FILL, 0},   {RGB(0, 90, 90), 0, 2, LAYER_NO_FILL, 0},
    {RGB(90, 0, 90), 0, 3, LAYER_NO_FILL, 0},   {RGB(40, 40, 40), 0, 4, LAYER_NO_FILL, 0},
    {RGB(160, 80, 0), 5, 3, LAYER_NO_FILL, 0},  {RGB(0, 80, 160), 7, 8, LAYER_NO_FILL, 0},
    {RGB(80, 0, 160), 12, 5, LAYER_NO_FILL, 0}, {RGB(160, 0, 80), 20, 6, LAYER_NO_FILL, 0},
};
const Look kAreaLooks[] = {
    {RGB(0, 0, 0), 0, 1, 0x60A0FF, 0},
    {RGB(0, 0, 0), 0, 1, 0x008000 | (uint32_t(4 + 1) << 24), 0},
    {RGB(0, 0, 0), 0, 1, 0x0080FF, 50},
};

// One map window with a document: map units are pixels of the full view.
struct Scene {
    _WNDRES rec{};
    HWND window = 0;
    QImage image{kWidth, kHeight, QImage::Format_RGB32};
    HDC dc = 0;
    // The window points of every object with its layer's look, for QPainter.
    struct Shape {
        const Look *look;
        bool area;
        std::vector<QPoint> points;
    };
    std::vector<Shape> shapes;

    Scene(int polylines, int polygons, bool keepShapes)
    {
        window = OpenBenchMapWindow(&rec, kWidth, kHeight, 0);
        showWhole();
        dc = CreateImageDC(&image);

        OBJectKernel *k = rec.kernel;
        const BenchLayers layers = AddBenchLayers(&rec, kLineLooks, kAreaLooks);

        std::mt19937 rng(1234);
        std::uniform_int_distribution<int> x(0, kWidth - 1), y(0, kHeight - 1), step(-40, 40), radius(8, 30),
            corners(4, 7);
        std::uniform_real_distribution<double> jitter(0.7, 1.0);
        std::vector<MAP_COORDPT> pts;
        for (int i = 0; i < polylines; ++i) {
            const MAP_COORDPT start{x(rng), y(rng)};
            RandomWalk(pts, start, 4, [&] { return step(rng); });
            const size_t look = size_t(i) % std::size(kLineLooks);
            add(k, CLASS_POLYLINE, pts, layers.lines[look], keepShapes ? &kLineLooks[look] : nullptr, false);
        }
        for (int i = 0; i < polygons; ++i) {
            const int cx = x(rng), cy = y(rng), r = radius(rng), n = corners(rng);
            RingAround(pts, cx, cy, r, n, [&] { return jitter(rng); });
            const size_t look = size_t(i) % std::size(kAreaLooks);
            add(k, CLASS_POLYGON, pts, layers.areas[look], keepShapes ? &kAreaLooks[look] : nullptr, true);
        }
        // QPainter draws in the display pass's order: layer by layer, the
        // layers in their numbers' order, each layer's objects as added.
        std::stable_sort(shapes.begin(), shapes.end(),
                         [](const Shape &a, const Shape &b) { return layerNumber(a) < layerNumber(b); });
    }
    static int layerNumber(const Shape &s)
    {
        return s.area ? int(std::size(kLineLooks) + size_t(s.look - kAreaLooks)) : int(s.look - kLineLooks);
    }
    ~Scene()
    {
        DeleteDC(dc);
        WndRes_Destructor(&rec);
        DestroyWindow(window);
    }

    // The whole map, one map unit a pixel; or the middle tenth of each side.
    void showWhole() { show(MAP_COORDRECT{0, 0, kWidth, kHeight}); }
    void showZoomed() { show(MAP_COORDRECT{864, 486, 864 + 192, 486 + 108}); }
    void show(const MAP_COORDRECT &world) { ShowBenchWorld(&rec, world, kWidth, kHeight); }

    long redraw()
    {
        image.fill(0xFFFFFFFFu);
        const RECT client{0, 0, kWidth, kHeight};
        return OnDstrPaint(&rec, dc, &client, 0);
    }

private:
    void add(OBJectKernel *k, uint16_t cls, std::vector<MAP_COORDPT> &pts, OBJHANDLE layer, const Look *look,
             bool area)
    {
        AddBenchObject(k, cls, pts, layer);
        if (look) {
            Shape s{look, area, {}};
            for (const MAP_COORDPT &q : pts) // the window point of the whole view
                s.points.push_back(QPoint(q.x, kHeight - q.y));
            shapes.push_back(std::move(s));
        }
    }
};

Scene &scene(int polylines, int polygons, bool keepShapes = false)
{
    // Kept for the life of the process: the engine's tables are gone by the
    // time static objects are destroyed.
    static auto &scenes = *new std::map<std::pair<int, int>, std::unique_ptr<Scene>>;
    auto &s = scenes[{polylines, polygons}];
    if (!s) {
        scenes.clear(); // one document at a time
        auto &fresh = scenes[{polylines, polygons}];
        fresh = std::make_unique<Scene>(polylines, polygons, keepShapes);
        return *fresh;
    }
    return *s;
}

QColor qColour(COLORREF c, int alpha = 255)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c), alpha);
}

// QPainter's picture of the scene: the same window points, plain aliased
// pens of the same widths and colours, brushes solid, hatched (cross) and
// translucent.
void PaintWithQt(const Scene &s, QImage &image)
{
    image.fill(0xFFFFFFFFu);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Scene::Shape &shape : s.shapes) {
        const Look &l = *shape.look;
        painter.setPen(QPen(qColour(l.line), l.width));
        if (shape.area) {
            const QColor fill = qColour(l.fill & 0xFFFFFF, l.transparency ? 127 : 255);
            const bool hatched = (l.fill >> 24) != 0;
            painter.setBrush(QBrush(fill, hatched ? Qt::CrossPattern : Qt::SolidPattern));
            painter.drawPolygon(shape.points.data(), int(shape.points.size()));
        } else {
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(shape.points.data(), int(shape.points.size()));
        }
    }
    painter.end();
}

// The renderer's styles are drawn by QPainter with plain pens, hatches
// start at other origins and stacked translucent fills round otherwise: a
// pixel matches when the other picture has its colour (to 8 in each
// channel) within a pixel, and at most 15 % of the pixels of both pictures
// may be unmatched (about 10.5 % are). A layer left out, or drawn in
// another order, leaves far more unmatched.
constexpr const char *kSceneTopic = "scene against QPainter";
constexpr double kAllowedShare = 0.15;

// The display pass's picture of the whole scene against QPainter's, once.
void CheckScene(benchmark::State &state, Scene &s)
{
    static double unmatched = -1;
    if (unmatched < 0) {
        s.showWhole();
        s.redraw();
        QImage qt(kWidth, kHeight, QImage::Format_RGB32);
        PaintWithQt(s, qt);
        unmatched = double(UnmatchedPixels(s.image, qt, 1, 8));
    }
    CheckShare(&state, kSceneTopic, "pixels with no pixel of the other picture's colour within a pixel",
               unmatched, 2.0 * kWidth * kHeight, kAllowedShare);
}

void BM_DisplayPass(benchmark::State &state)
{
    Scene &s = scene(100000, 10000, true);
    s.showWhole();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.redraw());
    CheckScene(state, s);
    state.counters["objects"] = 110000;
}

void BM_QPainterSameScene(benchmark::State &state)
{
    Scene &s = scene(100000, 10000, true);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        PaintWithQt(s, image);
        benchmark::DoNotOptimize(image.bits());
    }
    CheckScene(state, s);
    state.counters["objects"] = 110000;
}

// The same mix at 10^4, 10^5 and 10^6 objects.
void BM_DisplayPassObjects(benchmark::State &state)
{
    const int n = int(state.range(0));
    Scene &s = scene(n - n / 11, n / 11);
    s.showWhole();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.redraw());
    state.counters["objects"] = n;
    state.counters["us/object"] = benchmark::Counter(
        double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 10^5 objects, the view zoomed to the middle 1 % of the map's area.
void BM_DisplayPassZoomed1Percent(benchmark::State &state)
{
    Scene &s = scene(100000 - 100000 / 11, 100000 / 11);
    s.showZoomed();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.redraw());
    s.showWhole();
}

// The zoomed share measured side by side: each round times one full redraw
// and ten zoomed ones in turn, so that a load on the machine weighs on both;
// the share is the median over the rounds of the zoomed median against the
// full redraw.
void BM_ZoomedShareOfFullRedraw(benchmark::State &state)
{
    Scene &s = scene(100000 - 100000 / 11, 100000 / 11);
    const auto timed = [&s] { return SecondsOf([&s] { benchmark::DoNotOptimize(s.redraw()); }); };
    std::vector<double> shares;
    for (auto _ : state) {
        s.showWhole();
        const double full = timed();
        s.showZoomed();
        std::vector<double> zoomed;
        for (int i = 0; i < 10; ++i)
            zoomed.push_back(timed());
        shares.push_back(MedianOf(zoomed) / full);
    }
    s.showWhole();
    state.counters["zoomed % of full"] = 100 * MedianOf(shares);
}

} // namespace

BENCHMARK(BM_DisplayPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterSameScene)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayPassObjects)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayPassZoomed1Percent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomedShareOfFullRedraw)->Iterations(7)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) { return RunCheckedBenchmarks(argc, argv); }

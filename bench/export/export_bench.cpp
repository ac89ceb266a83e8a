// PNG export of a map of 10^5 objects (polylines in plain pens and renderer
// styles, filled polygons) at 4000 x 3000 pixels through the engine's image
// export (DIBFileExportRect, type 3), against the display pass drawing the
// same map into a QImage of that size followed by QImage::save at the same
// compression (zlib's default), measured in the same run. BM_ExportToQtRatio
// times the two in turn, so that a load on the machine weighs on both, and
// reports the median ratio (target: at most 1.2).
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/window/image_export/image_export.h"
#include "engine/window/map_painting.h"
#include "engine/window/wndres.h"
#include "platform/dc.h"
#include "platform/window.h"

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000;
constexpr int kObjects = 100000;

struct Look {
    COLORREF line;
    int style, width;
    uint32_t fill; // LAYER_NO_FILL, colour, or colour with hatch index + 1 on top
};
const Look kLineLooks[] = {
    {RGB(0, 0, 0), 0, 1, LAYER_NO_FILL},    {RGB(200, 0, 0), 1, 1, LAYER_NO_FILL},
    {RGB(0, 120, 0), 0, 2, LAYER_NO_FILL},  {RGB(0, 0, 200), 0, 3, LAYER_NO_FILL},
    {RGB(160, 80, 0), 5, 3, LAYER_NO_FILL}, {RGB(0, 80, 160), 7, 8, LAYER_NO_FILL},
};
const Look kAreaLooks[] = {
    {RGB(0, 0, 0), 0, 1, 0x60A0FF},
    {RGB(0, 0, 0), 0, 1, 0x008000 | (uint32_t(4 + 1) << 24)},
};

// A map window whose map is 4000 x 3000 units; the display view shows it
// whole at one unit a pixel.
struct Scene {
    _WNDRES rec{};
    HWND window = 0;
    QTemporaryDir dir;
    MAP_COORDRECT all{0, 0, kWidth, kHeight};

    Scene()
    {
        MapLibraryStartup();
        ClearClassTable();
        InitGraphClasses(0);
        WndRes_Constructor(&rec);
        window = CreateHeadlessWindow(nullptr);
        SetClientSize(window, kWidth, kHeight);
        WndRes_AttachToWindow(&rec, window, 0);
        PresentationManager *v = rec.displayView;
        v->scale = v->inverseScale = 1.0;
        v->worldRect = all;
        v->displayRect = RECT{0, 0, kWidth, kHeight};
        v->clipFlag = 0;
        v->scaleDenominator = 5000;
        VertexBitmapResize(&rec, RECT{0, 0, kWidth, kHeight});

        OBJectKernel *k = rec.kernel;
        const OBJHANDLE root = GetRootOBJKern(k, rec.rootObject, CLASS_LAYERS);
        std::vector<OBJHANDLE> lineLayers, areaLayers;
        int number = 0;
        for (const Look &l : kLineLooks)
            lineLayers.push_back(layer(k, root, ++number, l));
        for (const Look &l : kAreaLooks)
            areaLayers.push_back(layer(k, root, ++number, l));
        std::mt19937 rng(4321);
        std::uniform_int_distribution<int> x(0, kWidth - 1), y(0, kHeight - 1), step(-60, 60), radius(10, 40),
            corners(4, 7);
        std::vector<MAP_COORDPT> pts;
        for (int i = 0; i < kObjects; ++i) {
            pts.clear();
            if (i % 11 == 10) {
                const int cx = x(rng), cy = y(rng), r = radius(rng), n = corners(rng);
                for (int c = 0; c < n; ++c) {
                    const double a = 6.283185307179586 * c / n;
                    pts.push_back({int32_t(cx + r * std::cos(a)), int32_t(cy + r * std::sin(a))});
                }
                add(k, CLASS_POLYGON, pts, areaLayers[size_t(i) % areaLayers.size()]);
            } else {
                MAP_COORDPT p{x(rng), y(rng)};
                pts.push_back(p);
                for (int s = 0; s < 4; ++s)
                    pts.push_back(p = {p.x + step(rng), p.y + step(rng)});
                add(k, CLASS_POLYLINE, pts, lineLayers[size_t(i) % lineLayers.size()]);
            }
        }
    }

    std::string path(const char *name) const { return (dir.path() + "/" + name).toStdString(); }

    // The engine's export of the whole map, 4000 pixels wide.
    int exportPng()
    {
        const _EXPORTPARAMS params{90, 0, 0, 0};
        return DIBFileExportRect(window, path("export.png").c_str(), &all, kWidth, kExportPng, &params);
    }
    // The display pass into an image, then Qt's PNG writer.
    bool paintAndSave()
    {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(0xFFFFFFFFu);
        const HDC dc = CreateImageDC(&image);
        const RECT client{0, 0, kWidth, kHeight};
        OnDstrPaint(&rec, dc, &client, 0);
        DeleteDC(dc);
        return image.save(QString::fromStdString(path("qt.png")), "PNG");
    }

private:
    static OBJHANDLE layer(OBJectKernel *k, OBJHANDLE root, int number, const Look &look)
    {
        const OBJHANDLE l = CreateLayerOBJect(k, root, number, "bench");
        char *p = OBJectLock(k, l);
        StoreField<COLORREF>(p, offsetof(Layer, lineColor), look.line);
        StoreField<uint8_t>(p, offsetof(Layer, lineStyle), uint8_t(look.style));
        StoreField<uint32_t>(p, offsetof(Layer, lineWidth), uint32_t(look.width));
        StoreField<uint32_t>(p, offsetof(Layer, fill), look.fill);
        StoreField<uint16_t>(p, offsetof(Layer, attrMask), uint16_t(0x1F));
        return l;
    }
    static void add(OBJectKernel *k, uint16_t cls, std::vector<MAP_COORDPT> &pts, OBJHANDLE layer)
    {
        const OBJHANDLE h = CreateOBJect(k, cls);
        TransferOBJectData(k, h, pts.data(), uint32_t(pts.size() * sizeof(MAP_COORDPT)), 1);
        StoreField<uint32_t>(OBJectLock(k, h), PS_COUNT, uint32_t(pts.size()));
        _COORDRECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const MAP_COORDPT &q : pts)
            r = {std::min(r.x1, q.x), std::min(r.y1, q.y), std::max(r.x2, q.x), std::max(r.y2, q.y)};
        SendOBJectMessage(k, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
        InsertLayerRef(k, h, layer);
    }
};

Scene &scene()
{
    // Kept for the life of the process: the engine's tables are gone by the
    // time static objects are destroyed.
    static Scene *s = new Scene;
    return *s;
}

double seconds(const std::function<void()> &f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ExportPng(benchmark::State &state)
{
    Scene &s = scene();
    for (auto _ : state)
        if (!s.exportPng())
            state.SkipWithError("the export failed");
}

void BM_DisplayPassAndQtSave(benchmark::State &state)
{
    Scene &s = scene();
    for (auto _ : state)
        if (!s.paintAndSave())
            state.SkipWithError("Qt could not save");
}

void BM_ExportToQtRatio(benchmark::State &state)
{
    Scene &s = scene();
    std::vector<double> ratios;
    for (auto _ : state) {
        const double ours = seconds([&s] { benchmark::DoNotOptimize(s.exportPng()); });
        const double qt = seconds([&s] { benchmark::DoNotOptimize(s.paintAndSave()); });
        ratios.push_back(ours / qt);
    }
    std::nth_element(ratios.begin(), ratios.begin() + long(ratios.size() / 2), ratios.end());
    state.counters["export / (pass + save)"] = ratios[ratios.size() / 2];
}

} // namespace

BENCHMARK(BM_ExportPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayPassAndQtSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportToQtRatio)->Iterations(7)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // The image's caption is measured with Qt's fonts, which need a GUI
    // application; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("MAP_MODULES_DIR"))
        qputenv("MAP_MODULES_DIR", BENCH_MODULES_DIR);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// PNG export of a map of 10^5 objects (polylines in plain pens and renderer
// styles, filled polygons) at 4000 x 3000 pixels through the engine's image
// export (DIBFileExportRect, type 3), against the display pass drawing the
// same map into a QImage of that size followed by QImage::save at the same
// compression (zlib's default), measured in the same run. BM_ExportToQtRatio
// times the two in turn, so that a load on the machine weighs on both, and
// reports the median ratio (target: at most 1.2) once the two PNG files
// have been read back and compared outside the timed part (kAllowedShare
// below).
#include "bench/support/bench_maps.h"
#include "bench/support/bench_pixels.h"
#include "bench/support/bench_timing.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/window/image_export/image_export.h"
#include "engine/window/map_painting.h"
#include "engine/window/wndres.h"
#include "platform/dc.h"

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000;
constexpr int kObjects = 100000;

const BenchLayerLook kLineLooks[] = {
    {RGB(0, 0, 0), 0, 1, LAYER_NO_FILL},    {RGB(200, 0, 0), 1, 1, LAYER_NO_FILL},
    {RGB(0, 120, 0), 0, 2, LAYER_NO_FILL},  {RGB(0, 0, 200), 0, 3, LAYER_NO_FILL},
    {RGB(160, 80, 0), 5, 3, LAYER_NO_FILL}, {RGB(0, 80, 160), 7, 8, LAYER_NO_FILL},
};
const BenchLayerLook kAreaLooks[] = {
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
        window = OpenBenchMapWindow(&rec, kWidth, kHeight, 0);
        ShowBenchWorld(&rec, all, kWidth, kHeight);

        OBJectKernel *k = rec.kernel;
        const BenchLayers layers = AddBenchLayers(&rec, kLineLooks, kAreaLooks);
        std::mt19937 rng(4321);
        std::uniform_int_distribution<int> x(0, kWidth - 1), y(0, kHeight - 1), step(-60, 60), radius(10, 40),
            corners(4, 7);
        std::vector<MAP_COORDPT> pts;
        for (int i = 0; i < kObjects; ++i) {
            if (i % 11 == 10) {
                const int cx = x(rng), cy = y(rng), r = radius(rng), n = corners(rng);
                RingAround(pts, cx, cy, r, n);
                AddBenchObject(k, CLASS_POLYGON, pts, layers.areas[size_t(i) % layers.areas.size()]);
            } else {
                const MAP_COORDPT start{x(rng), y(rng)};
                RandomWalk(pts, start, 4, [&] { return step(rng); });
                AddBenchObject(k, CLASS_POLYLINE, pts, layers.lines[size_t(i) % layers.lines.size()]);
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
};

Scene &scene() { return KeptForTheProcess<Scene>(); }

// The same map drawn by the same display pass, so most pixels are equal;
// objects that cross the picture's edges, and some styled lines, come out
// a little otherwise (about 0.1 % of the pixels differ). At most 0.5 % may.
constexpr const char *kTopic = "export against display pass and save";
constexpr int kChannelTolerance = 0;
constexpr double kAllowedShare = 0.005;

// The two PNG files, written once more and read back, compared; every run
// reports the outcome of that one comparison.
void CheckFiles(benchmark::State &state)
{
    static double differing = -1, total = 0;
    if (differing < 0) {
        Scene &s = scene();
        QImage ours, qt;
        if (s.exportPng() && s.paintAndSave()) {
            ours.load(QString::fromStdString(s.path("export.png")));
            qt.load(QString::fromStdString(s.path("qt.png")));
        }
        total = double(kWidth) * kHeight;
        differing = qt.isNull() || ours.size() != qt.size()
                        ? total
                        : double(DifferingPixels(ours, qt, kChannelTolerance));
    }
    CheckShare(&state, kTopic, "pixels that differ", differing, total, kAllowedShare);
}

void BM_ExportPng(benchmark::State &state)
{
    Scene &s = scene();
    for (auto _ : state)
        if (!s.exportPng())
            state.SkipWithError("the export failed");
    if (!state.error_occurred())
        CheckFiles(state);
}

void BM_DisplayPassAndQtSave(benchmark::State &state)
{
    Scene &s = scene();
    for (auto _ : state)
        if (!s.paintAndSave())
            state.SkipWithError("Qt could not save");
    if (!state.error_occurred())
        CheckFiles(state);
}

void BM_ExportToQtRatio(benchmark::State &state)
{
    Scene &s = scene();
    CheckFiles(state);
    if (state.error_occurred())
        return; // no ratio of results that differ
    std::vector<double> ratios;
    for (auto _ : state) {
        const double ours = SecondsOf([&s] { benchmark::DoNotOptimize(s.exportPng()); });
        const double qt = SecondsOf([&s] { benchmark::DoNotOptimize(s.paintAndSave()); });
        ratios.push_back(ours / qt);
    }
    state.counters["export / (pass + save)"] = MedianOf(ratios);
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
    return ResultCheckStatus();
}

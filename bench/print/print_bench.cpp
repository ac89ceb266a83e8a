// Printing a map of 10^5 objects (91 % polylines in plain and styled pens,
// 9 % filled polygons) on one A4 landscape sheet of a 150 dpi printer that
// writes a PDF file, against OnDstrPaint of the same map into a 1920 x 1080
// image; BM_PrintAgainstDisplay times both in each iteration and reports
// their ratio (print / display). The two results are of different kinds (a
// PDF file, a picture) and no PDF reader is at hand, so the check outside
// the timed part is of what each must be: the display pass covered the
// window with the map, and the printer wrote a PDF file of exactly one page
// with at least a byte for each object. The ratio is given
// only then.
#include "bench/support/bench_maps.h"
#include "bench/support/bench_pixels.h"
#include "bench/support/bench_timing.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/window/map_painting.h"
#include "engine/window/page.h"
#include "engine/window/printing/print_map.h"
#include "engine/window/wndres.h"
#include "platform/dc.h"
#include "platform/global_memory.h"
#include "platform/printers.h"
#include "platform/window.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <QFile>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kObjects = 100000;

const BenchLayerLook kLineLooks[] = {
    {RGB(0, 0, 0), 0, 1, LAYER_NO_FILL},    {RGB(200, 0, 0), 1, 1, LAYER_NO_FILL},
    {RGB(0, 120, 0), 2, 1, LAYER_NO_FILL},  {RGB(0, 90, 90), 0, 2, LAYER_NO_FILL},
    {RGB(40, 40, 40), 0, 4, LAYER_NO_FILL}, {RGB(160, 80, 0), 5, 3, LAYER_NO_FILL},
    {RGB(0, 80, 160), 7, 8, LAYER_NO_FILL},
};
const BenchLayerLook kAreaLooks[] = {
    {RGB(0, 0, 0), 0, 1, 0x60A0FF},
    {RGB(0, 0, 0), 0, 1, 0x008000 | (uint32_t(4 + 1) << 24)},
};

// A map window whose page, A4 landscape without margins, covers the map.
struct Scene {
    QTemporaryDir dir;
    _WNDRES rec{};
    HWND window = 0;
    QImage image{kWidth, kHeight, QImage::Format_RGB32};
    HDC dc = 0;

    Scene()
    {
        FakePrinter printer;
        printer.device = "Bench";
        printer.port = (dir.path() + "/bench.pdf").toStdString();
        printer.paperCodes = {9};
        printer.paperNames = {"A4"};
        printer.paperSizes = {{2100, 2970}};
        printer.sheet = {1754, 1240};
        printer.printable = {1754, 1240};
        SetFakePrinters(std::vector<FakePrinter>{printer});

        window = OpenBenchMapWindow(&rec, kWidth, kHeight, 1);
        GlobalFree(rec.devNames);
        GlobalFree(rec.devMode);
        rec.devNames = CreateDevNamesBlock("fake", "Bench", printer.port.c_str(), false);
        rec.devMode = CreateDefaultDevModeBlock("Bench");
        VPSetup v{};
        std::strcpy(v.paperName, "A4");
        v.paperWidth = 2100;
        v.paperHeight = 2970;
        v.paperNumber = 9;
        v.orientation = VP_ORIENT_LANDSCAPE;
        std::memcpy(GlobalLock(rec.pageSetup), &v, sizeof v);
        GlobalUnlock(rec.pageSetup);
        const MAP_COORDPT origin{0, 0}, extension{kWidth, kWidth * 2100 / 2970};
        PageSetOrgExtInWindow(window, &origin, &extension);
        PageUpdateInWindow(window);

        ShowBenchWorld(&rec, MAP_COORDRECT{0, 0, kWidth, kHeight}, kWidth, kHeight);
        dc = CreateImageDC(&image);
        fill();
    }
    ~Scene()
    {
        DeleteDC(dc);
        WndRes_Destructor(&rec);
        DestroyWindow(window);
        SetFakePrinters(std::nullopt);
    }

    long display()
    {
        image.fill(0xFFFFFFFFu);
        const RECT client{0, 0, kWidth, kHeight};
        return OnDstrPaint(&rec, dc, &client, 0);
    }
    void print() { PrintMap(window, 0); }
    QString pdfPath() const { return dir.path() + "/bench.pdf"; }

private:
    void fill()
    {
        OBJectKernel *k = rec.kernel;
        const BenchLayers layers = AddBenchLayers(&rec, kLineLooks, kAreaLooks);
        std::mt19937 rng(1234);
        std::uniform_int_distribution<int> x(0, kWidth - 1), y(0, kHeight - 1), step(-40, 40), radius(8, 30);
        std::vector<MAP_COORDPT> pts;
        const int polygons = kObjects / 11;
        for (int i = 0; i < kObjects - polygons; ++i) {
            const MAP_COORDPT start{x(rng), y(rng)};
            RandomWalk(pts, start, 4, [&] { return step(rng); });
            AddBenchObject(k, CLASS_POLYLINE, pts, layers.lines[size_t(i) % layers.lines.size()]);
        }
        for (int i = 0; i < polygons; ++i) {
            const int cx = x(rng), cy = y(rng), r = radius(rng);
            RingAround(pts, cx, cy, r, 6);
            AddBenchObject(k, CLASS_POLYGON, pts, layers.areas[size_t(i) % layers.areas.size()]);
        }
    }
};

Scene &scene() { return KeptForTheProcess<Scene>(); }

// The pages of the PDF file that the last print wrote (page objects).
int PdfPages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray pdf = file.readAll();
    if (!pdf.startsWith("%PDF-"))
        return 0;
    int pages = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
        pages += at + 11 >= pdf.size() || pdf[at + 11] != 's';
    return pages;
}

void CheckPrinted(benchmark::State &state)
{
    QFile::remove(scene().pdfPath());
    scene().print();
    if (CheckResult(&state, "print", "PDF pages", PdfPages(scene().pdfPath()), 1)) {
        // At least a byte of drawing for each object (compressed): a page
        // left blank is a few kilobytes.
        const double bytes = double(QFile(scene().pdfPath()).size());
        CheckResult(&state, "print", "PDF bytes short of one per object", std::max(0.0, kObjects - bytes), 0);
    }
}

// The map covers the window: at most half of its pixels may stay white
// (about a tenth do).
void CheckDisplayed(benchmark::State &state)
{
    scene().display();
    const QImage &image = scene().image;
    const double white = double(image.width()) * image.height() - double(InkedPixels(image));
    CheckShare(&state, "display", "white pixels", white, double(image.width()) * image.height(), 0.5);
}

void BM_DisplayInto1920x1080(benchmark::State &state)
{
    Scene &s = scene();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.display());
    CheckDisplayed(state);
    state.counters["objects"] = kObjects;
}

void BM_PrintToPdf(benchmark::State &state)
{
    Scene &s = scene();
    for (auto _ : state)
        s.print();
    CheckPrinted(state);
    state.counters["objects"] = kObjects;
}

// Both in each iteration; ratio = print time / display time.
void BM_PrintAgainstDisplay(benchmark::State &state)
{
    Scene &s = scene();
    CheckPrinted(state);
    CheckDisplayed(state);
    if (state.error_occurred())
        return; // no ratio of results that are not what they must be
    double printSeconds = 0, displaySeconds = 0;
    for (auto _ : state) {
        printSeconds += SecondsOf([&s] { s.print(); });
        displaySeconds += SecondsOf([&s] { benchmark::DoNotOptimize(s.display()); });
    }
    state.counters["ratio"] = displaySeconds > 0 ? printSeconds / displaySeconds : 0;
}

} // namespace

BENCHMARK(BM_DisplayInto1920x1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintToPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintAgainstDisplay)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    // Printing writes PDF through Qt's printing, which needs a GUI
    // application; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return ResultCheckStatus();
}

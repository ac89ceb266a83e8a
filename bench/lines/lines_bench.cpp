// Segments per second of the styled-line renderer on 10^5 random segments of
// 1-200 pixels in a 1920x1080 image, against QPainter drawing the same
// segments with an aliased one-pixel pen. The solid one-pixel style is the
// one with a reference: outside the timed part its picture of the segments
// is compared with QPainter's (kSolidTolerance); the other styles are
// reported without a reference.
#include "bench/support/bench_pixels.h"
#include "engine/view/linestyle/line_style.h"
#include "platform/dc.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kSegments = 100000;

// Pairs of points: segment i runs from points[2i] to points[2i + 1].
const std::vector<POINT> &segments()
{
    static const std::vector<POINT> pts = [] {
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> angle(0, 6.283185307179586);
        std::uniform_int_distribution<int> length(1, 200), x(0, kWidth - 1), y(0, kHeight - 1);
        std::vector<POINT> v;
        v.reserve(2 * kSegments);
        for (int i = 0; i < kSegments; ++i) {
            const POINT a{x(rng), y(rng)};
            const double a0 = angle(rng);
            const int len = length(rng);
            POINT b{a.x + int(std::lround(len * std::cos(a0))), a.y + int(std::lround(len * std::sin(a0)))};
            if (b.x == a.x && b.y == a.y)
                b.x += 1;
            v.push_back(a);
            v.push_back(b);
        }
        return v;
    }();
    return pts;
}

// Polylines of 5 points built from the same segments, for the corner case.
const std::vector<POINT> &polylines()
{
    static const std::vector<POINT> pts = [] {
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> step(-120, 120), x(100, kWidth - 100), y(100, kHeight - 100);
        std::vector<POINT> v;
        for (int i = 0; i < kSegments / 4; ++i) {
            POINT p{x(rng), y(rng)};
            v.push_back(p);
            for (int k = 0; k < 4; ++k) {
                p = {std::clamp(p.x + step(rng), 0, kWidth - 1), std::clamp(p.y + step(rng), 0, kHeight - 1)};
                v.push_back(p);
            }
        }
        return v;
    }();
    return pts;
}

void ensureApp()
{
    static int argc = 1;
    static char name[] = "lines";
    static char *argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

// The first kCheckedSegments segments drawn once on white by QPainter and
// by the solid one-pixel style (all of them would blacken most of the
// picture). The renderer draws its one-pixel lines 4-connected and QPainter
// 8-connected, and they may round a half-way coordinate differently, so a
// black pixel matches when the other picture has one within a pixel: at
// most kSolidTolerance of all black pixels may be unmatched.
constexpr const char *kSolidTopic = "solid 1 px against QPainter";
constexpr size_t kCheckedSegments = 5000;
constexpr double kSolidTolerance = 0.003;

QImage QtPicture()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::vector<POINT> &pts = segments();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    for (size_t i = 0; i < 2 * kCheckedSegments; i += 2)
        p.drawLine(pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y);
    p.end();
    return image;
}

QImage SolidPicture()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    HDC dc = CreateImageDC(&image);
    const std::vector<POINT> &pts = segments();
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, 0, dc, RGB(0, 0, 0), 1, 0);
    for (size_t i = 0; i < 2 * kCheckedSegments; i += 2)
        LineStyleDrawSegment(&ctx, &pts[i], &pts[i + 1], dc);
    LineStyleContextRelease(&ctx);
    DeleteDC(dc);
    return image;
}

void styled(benchmark::State &state, int style, int width, int flags, bool corners)
{
    ensureApp();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    HDC dc = CreateImageDC(&image);
    const std::vector<POINT> &pts = corners ? polylines() : segments();
    for (auto _ : state) {
        LineStyleContext ctx;
        LineStyleContextInit(&ctx, style, dc, RGB(0, 0, 0), width, flags);
        if (corners)
            for (size_t i = 0; i + 5 <= pts.size(); i += 5)
                LineStyleDrawPolyline(&ctx, &pts[i], 5, dc);
        else
            for (size_t i = 0; i < pts.size(); i += 2)
                LineStyleDrawSegment(&ctx, &pts[i], &pts[i + 1], dc);
        LineStyleContextRelease(&ctx);
        benchmark::ClobberMemory();
    }
    DeleteDC(dc);
    state.counters["segments/s"] =
        benchmark::Counter(double(kSegments), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Solid1(benchmark::State &s)
{
    styled(s, 0, 1, 0, false);
    const QImage qt = QtPicture();
    const QImage ours = SolidPicture();
    CheckShare(
        &s, kSolidTopic, "black pixels with none of the other picture's within a pixel, of all black ones",
        double(UnmatchedPixels(ours, qt, 1)), double(InkedPixels(ours) + InkedPixels(qt)), kSolidTolerance);
}
void BM_Dashed1(benchmark::State &s) { styled(s, 1, 1, 0, false); }
void BM_Marked37Width8(benchmark::State &s) { styled(s, 37, 8, 0, false); }
void BM_WideWithCorners5(benchmark::State &s) { styled(s, 0, 5, 0, true); }
void BM_WideRoundCorners5(benchmark::State &s) { styled(s, 0, 5, kLineRoundedCorners, true); }
// The multi-line styles: bands with raster operations, radial corners and
// rounded ends.
void BM_MultiLine64Width8(benchmark::State &s) { styled(s, 64, 8, 0, true); }
void BM_MultiLine65Width8(benchmark::State &s) { styled(s, 65, 8, 0, true); }
void BM_MultiLine72Width16(benchmark::State &s) { styled(s, 72, 16, 0, true); }

void BM_QPainterAliased1(benchmark::State &state)
{
    ensureApp();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::vector<POINT> &pts = segments();
    for (auto _ : state) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 1));
        for (size_t i = 0; i < pts.size(); i += 2)
            p.drawLine(pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y);
        p.end();
        benchmark::ClobberMemory();
    }
    state.counters["segments/s"] =
        benchmark::Counter(double(kSegments), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_QPainterAliased1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Solid1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dashed1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Marked37Width8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WideWithCorners5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WideRoundCorners5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MultiLine64Width8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MultiLine65Width8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MultiLine72Width16)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return RunCheckedBenchmarks(argc, argv); }

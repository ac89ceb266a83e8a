// Stretching a 4096 x 4096 raster into a 1920 x 1080 view, whole and zoomed
// in, at 24 bits and at 8 bits with a palette, against QPainter::drawImage of
// the same rectangles without smoothing, in the same run. Outside the timed
// part each stretched picture is compared with QPainter's of the same case
// (kAllowedShare below).
#include "bench/support/bench_pixels.h"
#include "engine/view/dib/dib_drawing.h"
#include "platform/dc.h"
#include "platform/global_memory.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kSide = 4096;

struct Raster {
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;
    QImage qt; // the same picture for QPainter
};

const Raster &RasterOf(int bitCount)
{
    static Raster r24, r8;
    Raster &r = bitCount == 24 ? r24 : r8;
    if (!r.bits.empty())
        return r;
    const int colours = bitCount == 8 ? 256 : 0;
    r.info.assign(40 + 4 * colours, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = kSide;
    h.biHeight = kSide;
    h.biPlanes = 1;
    h.biBitCount = WORD(bitCount);
    h.biClrUsed = DWORD(colours);
    std::memcpy(r.info.data(), &h, 40);
    const int64_t row = DibRowBytes(kSide, bitCount);
    r.bits.resize(size_t(row * kSide));
    if (bitCount == 8) {
        r.qt = QImage(kSide, kSide, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < 256; ++i) {
            table.push_back(qRgb(i, 255 - i, i * 7 % 256));
            const RGBQUAD q{BYTE(i * 7 % 256), BYTE(255 - i), BYTE(i), 0};
            std::memcpy(r.info.data() + 40 + 4 * i, &q, 4);
        }
        r.qt.setColorTable(table);
    } else {
        r.qt = QImage(kSide, kSide, QImage::Format_RGB888);
    }
    for (int y = 0; y < kSide; ++y) {
        uint8_t *dib = r.bits.data() + (kSide - 1 - y) * row;
        uchar *q = r.qt.scanLine(y);
        for (int x = 0; x < kSide; ++x) {
            if (bitCount == 8) {
                dib[x] = q[x] = uint8_t(x ^ y);
            } else {
                const uint8_t red = uint8_t(x), green = uint8_t(y), blue = uint8_t(x + y);
                dib[3 * x] = blue;
                dib[3 * x + 1] = green;
                dib[3 * x + 2] = red;
                q[3 * x] = red;
                q[3 * x + 1] = green;
                q[3 * x + 2] = blue;
            }
        }
    }
    return r;
}

// The view's destination and the raster's skipped pixels: whole, the
// picture fits the view's height; zoomed, a 480 x 270 part fills the view.
struct View {
    RECT dest;
    int skipL, skipR, skipB, skipT;
};
View ViewOf(bool zoomed)
{
    if (!zoomed)
        return {{420, 0, 1500, 1080}, 0, 0, 0, 0};
    return {{0, 0, 1920, 1080}, 1800, kSide - 1800 - 480, 1900, kSide - 1900 - 270};
}

// QPainter's picture of a case, drawn once on black.
QImage QtPicture(int bitCount, const View &v)
{
    const Raster &r = RasterOf(bitCount);
    QImage target(1920, 1080, QImage::Format_RGB32);
    target.fill(Qt::black);
    const QRect source(v.skipL, v.skipT, kSide - v.skipL - v.skipR, kSide - v.skipT - v.skipB);
    QPainter p(&target);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(v.dest.left, v.dest.top, v.dest.right - v.dest.left, v.dest.bottom - v.dest.top), r.qt,
                source);
    p.end();
    return target;
}

// Both sample the nearest source pixel, but where the source step (4096 /
// 1080 for the whole picture) puts a pixel's centre on a source pixel's
// edge they may round it to different sides: a few whole columns and rows
// of the view then differ (1.5 % of the pixels at the whole view, none
// zoomed). At most 2 % of the view's pixels may differ at all.
constexpr double kAllowedShare = 0.02;

void CheckStretched(benchmark::State &state, const QImage &ours, int bitCount, const View &v)
{
    const std::string topic =
        std::string(bitCount == 24 ? "24 bits" : "8 bits") + (v.skipL ? " zoomed" : " whole");
    const QRect dest(v.dest.left, v.dest.top, v.dest.right - v.dest.left, v.dest.bottom - v.dest.top);
    CheckPixels(&state, topic, ours, QtPicture(bitCount, v), 0, kAllowedShare, dest);
}

void BM_DibStretch(benchmark::State &state)
{
    const int bitCount = int(state.range(0));
    const View v = ViewOf(state.range(1) != 0);
    Raster r = RasterOf(bitCount);
    QImage target(1920, 1080, QImage::Format_RGB32);
    const HDC dc = CreateImageDC(&target);
    SetStretchBltMode(dc, COLORONCOLOR);
    HPALETTE palette = 0;
    HPALETTE old = 0;
    if (bitCount == 8) {
        const HGLOBAL header = GlobalAlloc(GHND, r.info.size());
        std::memcpy(GlobalLock(header), r.info.data(), r.info.size());
        GlobalUnlock(header);
        palette = CreateDIBPalette(header);
        std::memcpy(r.info.data(), GlobalLock(header), r.info.size());
        GlobalUnlock(header);
        GlobalFree(header);
        old = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    auto *info = reinterpret_cast<BITMAPINFO *>(r.info.data());
    for (auto _ : state) {
        const int result = DIBStretchCropped(dc, info, r.bits.data(), v.skipL, v.skipR, v.skipB, v.skipT,
                                             &v.dest, palette ? DIB_PAL_COLORS : DIB_RGB_COLORS);
        benchmark::DoNotOptimize(result);
    }
    CheckStretched(state, target, bitCount, v);
    if (palette) {
        SelectPalette(dc, old, FALSE);
        DeleteObject(palette);
    }
    DeleteDC(dc);
}

void BM_QPainterDrawImage(benchmark::State &state)
{
    const int bitCount = int(state.range(0));
    const View v = ViewOf(state.range(1) != 0);
    const Raster &r = RasterOf(bitCount);
    QImage target(1920, 1080, QImage::Format_RGB32);
    const QRect source(v.skipL, v.skipT, kSide - v.skipL - v.skipR, kSide - v.skipT - v.skipB);
    const QRect dest(v.dest.left, v.dest.top, v.dest.right - v.dest.left, v.dest.bottom - v.dest.top);
    for (auto _ : state) {
        QPainter p(&target);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(dest, r.qt, source);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}

// Arguments: bit count, zoomed in.
BENCHMARK(BM_DibStretch)->ArgsProduct({{24, 8}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterDrawImage)->ArgsProduct({{24, 8}, {0, 1}})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return RunCheckedBenchmarks(argc, argv); }

#include "platform/dib_bits.h"

#include "platform/dc.h"
#include "platform/gdi_objects.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<uint32_t, 16> kVga = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                           0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                           0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF}; // 0xRRGGBB

RGBQUAD quad(uint32_t rgb)
{
    return RGBQUAD{BYTE(rgb & 0xFF), BYTE((rgb >> 8) & 0xFF), BYTE((rgb >> 16) & 0xFF), 0};
}

int distance(uint32_t a, const RGBQUAD &q)
{
    const int dr = int((a >> 16) & 0xFF) - q.rgbRed, dg = int((a >> 8) & 0xFF) - q.rgbGreen,
              db = int(a & 0xFF) - q.rgbBlue;
    return dr * dr + dg * dg + db * db;
}

int nearestIn(uint32_t pixel, const RGBQUAD *table, int count)
{
    int best = 0, bestDistance = distance(pixel, table[0]);
    for (int i = 1; i < count && bestDistance; ++i)
        if (const int d = distance(pixel, table[i]); d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    return best;
}

// The nearest entry of the 8-bit table without a search over all 256: the
// nearest cube colour has each channel at its nearest level, the nearest
// grey sits at the nearest level of the mean; the closer of the two wins
// (the cube on a tie, as it comes first).
int nearest8(uint32_t pixel, const RGBQUAD *table)
{
    auto level = [](int v) { return (v + 25) / 51; };
    const int r = int((pixel >> 16) & 0xFF), g = int((pixel >> 8) & 0xFF), b = int(pixel & 0xFF);
    const int cube = level(r) * 36 + level(g) * 6 + level(b);
    // Greys lie at round(i * 255 / 39); the best one is near the mean.
    const int mean = (r + g + b) / 3;
    int grey = 216 + std::clamp((mean * 39 + 127) / 255, 0, 39);
    for (int i : {grey - 1, grey + 1})
        if (i >= 216 && i < 256 && distance(pixel, table[i]) < distance(pixel, table[grey]))
            grey = i;
    return distance(pixel, table[grey]) < distance(pixel, table[cube]) ? grey : cube;
}

const gdi::Bitmap *findBitmap(HBITMAP bitmap) { return gdi::FindAs<gdi::Bitmap>(bitmap, gdi::Kind::Bitmap); }

} // namespace

int DibDefaultColorTable(int bitCount, RGBQUAD *table)
{
    switch (bitCount) {
    case 1:
        table[0] = quad(0x000000);
        table[1] = quad(0xFFFFFF);
        return 2;
    case 4:
        for (size_t i = 0; i < kVga.size(); ++i)
            table[i] = quad(kVga[i]);
        return 16;
    case 8: {
        int n = 0;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    table[n++] = quad(uint32_t(r * 51) << 16 | uint32_t(g * 51) << 8 | uint32_t(b * 51));
        for (int i = 0; i < 40; ++i) {
            const auto v = uint32_t((i * 255 + 19) / 39);
            table[n++] = quad(v << 16 | v << 8 | v);
        }
        return n;
    }
    default:
        return 0;
    }
}

int GetBitmapObject(HBITMAP bitmap, int size, BITMAP *buffer)
{
    const gdi::Bitmap *b = findBitmap(bitmap);
    if (!b)
        return 0;
    if (!buffer)
        return int(sizeof(BITMAP));
    if (size <= 0)
        return 0;
    BITMAP info{0,  b->image.width(), b->image.height(), LONG(DibRowBytes(b->image.width(), 32)), 1,
                32, nullptr};
    const size_t n = std::min(size_t(size), sizeof info);
    std::memcpy(buffer, &info, n);
    return int(n);
}

int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, void *bits, BITMAPINFO *info, UINT usage)
{
    const gdi::Bitmap *b = findBitmap(bitmap);
    if (!gdi::FindDC(hdc) || !b || !info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) ||
        usage != DIB_RGB_COLORS)
        return 0;
    BITMAPINFOHEADER &h = info->bmiHeader;
    const QImage &image = b->image;
    const int width = image.width(), height = image.height();
    if (!bits && h.biBitCount == 0) {
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = 32;
        h.biCompression = BI_RGB;
        h.biSizeImage = DWORD(DibRowBytes(width, 32) * height);
        h.biClrUsed = 0;
        return 1;
    }
    const int bitCount = h.biBitCount;
    if (h.biCompression != BI_RGB ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) ||
        h.biWidth != width || (h.biHeight != height && h.biHeight != -int64_t(height)) || width <= 0)
        return 0;
    const int64_t stride = DibRowBytes(width, bitCount);
    RGBQUAD table[256];
    const int colours = DibDefaultColorTable(bitCount, table);
    std::memcpy(info->bmiColors, table, size_t(colours) * sizeof(RGBQUAD));
    h.biSizeImage = DWORD(std::min<int64_t>(stride * height, UINT32_MAX));
    h.biClrUsed = DWORD(colours);
    if (!bits)
        return 1;
    if (start >= UINT(height))
        return 0;
    const int count = int(std::min<int64_t>(lines, int64_t(height) - start));
    const bool bottomUp = h.biHeight > 0;
    auto *out = static_cast<uint8_t *>(bits);
    for (int line = 0; line < count; ++line) {
        // Scan line start + line of the DIB, as an image row.
        const int scan = int(start) + line;
        const int y = bottomUp ? height - 1 - scan : scan;
        const auto *src = reinterpret_cast<const uint32_t *>(image.constScanLine(y));
        uint8_t *row = out + int64_t(line) * stride;
        // Indexed rows are built by OR-ing bits into zeros; the others only
        // need their padding cleared.
        const int64_t used = bitCount >= 24 ? int64_t(width) * (bitCount / 8) : 0;
        std::memset(row + used, 0, size_t(stride - used));
        switch (bitCount) {
        case 32:
            for (int x = 0; x < width; ++x) {
                const uint32_t p = src[x] & 0xFFFFFF;
                std::memcpy(row + 4 * x, &p, 4); // blue, green, red, 0
            }
            break;
        case 24: {
            // Four bytes stored per pixel, the fourth overwritten by the next
            // pixel (blue, green, red: a little-endian pixel's memory order);
            // the last one by bytes.
            for (int x = 0; x + 1 < width; ++x)
                std::memcpy(row + 3 * x, &src[x], 4);
            const uint32_t p = src[width - 1];
            uint8_t *last = row + 3 * (width - 1);
            last[0] = uint8_t(p);
            last[1] = uint8_t(p >> 8);
            last[2] = uint8_t(p >> 16);
            break;
        }
        case 8:
            for (int x = 0; x < width; ++x)
                row[x] = uint8_t(nearest8(src[x] & 0xFFFFFF, table));
            break;
        case 4:
            for (int x = 0; x < width; ++x)
                row[x / 2] |= uint8_t(nearestIn(src[x] & 0xFFFFFF, table, 16) << (x % 2 ? 0 : 4));
            break;
        default: // 1
            for (int x = 0; x < width; ++x)
                row[x / 8] |= uint8_t(nearestIn(src[x] & 0xFFFFFF, table, 2) << (7 - x % 8));
            break;
        }
    }
    return count;
}

int GetBitmapRgbRows(HBITMAP bitmap, uint8_t *rows, int64_t stride)
{
    const gdi::Bitmap *b = findBitmap(bitmap);
    if (!b || !rows || b->image.isNull())
        return 0;
    const QImage &image = b->image;
    const int width = image.width(), height = image.height();
    if (stride < 3 * int64_t(width))
        return 0;
    for (int64_t line = 0; line < height; ++line) {
        const auto *src = reinterpret_cast<const uint32_t *>(image.constScanLine(int(height - 1 - line)));
        uint8_t *row = rows + line * stride;
        // Four bytes stored per pixel (red, green, blue, 0), the fourth
        // overwritten by the next pixel; the last one by bytes.
        for (int x = 0; x + 1 < width; ++x) {
            const uint32_t p = src[x];
            const uint32_t rgb = ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
            std::memcpy(row + 3 * x, &rgb, 4);
        }
        const uint32_t p = src[width - 1];
        uint8_t *last = row + 3 * (width - 1);
        last[0] = uint8_t(p >> 16);
        last[1] = uint8_t(p >> 8);
        last[2] = uint8_t(p);
        std::memset(row + 3 * int64_t(width), 0, size_t(stride - 3 * int64_t(width)));
    }
    return 1;
}

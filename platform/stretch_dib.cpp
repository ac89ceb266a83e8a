#include "platform/stretch_dib.h"

#include "platform/bitblt.h"
#include "platform/dc.h"
#include "platform/device_limit.h"
#include "platform/palette.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kError = -1;

// Opaque pixels of the colour table, 256 entries (missing ones black).
void colourTable(HDC dc, const BITMAPINFO *info, UINT usage, uint32_t (&lut)[256])
{
    std::fill(std::begin(lut), std::end(lut), 0xFF000000u);
    const DWORD n = std::min<DWORD>(DibColorCount(info->bmiHeader), 256);
    if (usage == DIB_PAL_COLORS) {
        UINT paletteCount = 0;
        const uint32_t *palette = gdi::PaletteColorsOf(dc, &paletteCount);
        const auto *indexes = reinterpret_cast<const WORD *>(info->bmiColors);
        for (DWORD i = 0; i < n; ++i)
            if (indexes[i] < paletteCount)
                lut[i] = palette[indexes[i]];
        return;
    }
    for (DWORD i = 0; i < n; ++i) {
        const RGBQUAD &q = info->bmiColors[i];
        lut[i] = 0xFF000000u | uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
    }
}

// Writes the pixels of one source row at the mapped columns.
void convertRow(const uint8_t *row, int bitCount, const uint32_t *lut, const int *columns, int count,
                uint32_t *out)
{
    switch (bitCount) {
    case 1:
        for (int i = 0; i < count; ++i) {
            const int c = columns[i];
            out[i] = lut[(row[c >> 3] >> (7 - (c & 7))) & 1];
        }
        break;
    case 2:
        for (int i = 0; i < count; ++i) {
            const int c = columns[i];
            out[i] = lut[(row[c >> 2] >> (6 - 2 * (c & 3))) & 3];
        }
        break;
    case 4:
        for (int i = 0; i < count; ++i) {
            const int c = columns[i];
            out[i] = lut[(row[c >> 1] >> ((c & 1) ? 0 : 4)) & 0xF];
        }
        break;
    case 8:
        for (int i = 0; i < count; ++i)
            out[i] = lut[row[columns[i]]];
        break;
    case 24:
        for (int i = 0; i < count; ++i) {
            const uint8_t *p = row + 3 * int64_t(columns[i]);
            out[i] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
        break;
    case 32:
        for (int i = 0; i < count; ++i) {
            const uint8_t *p = row + 4 * int64_t(columns[i]);
            out[i] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
        break;
    }
}

// The source index under the centre of destination pixel i of n, for a
// source of s pixels.
int64_t under(int64_t i, int64_t s, int64_t n) { return (2 * i + 1) * s / (2 * n); }

} // namespace

DWORD DibColorCount(const BITMAPINFOHEADER &header)
{
    if (header.biClrUsed)
        return header.biClrUsed;
    return header.biBitCount >= 1 && header.biBitCount <= 8 ? DWORD(1) << header.biBitCount : 0;
}

int64_t DibRowBytes(int64_t width, int bitCount) { return (width * bitCount + 31) / 32 * 4; }

int SetStretchBltMode(HDC hdc, int mode)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    const int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

int GetStretchBltMode(HDC hdc)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    return dc ? dc->stretchMode : 0;
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info, UINT usage,
                  DWORD rop)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !bits || !info || rop != SRCCOPY || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS))
        return kError;
    const BITMAPINFOHEADER &h = info->bmiHeader;
    const int bitCount = h.biBitCount;
    if (h.biSize < 40 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0 ||
        (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8 && bitCount != 24 &&
         bitCount != 32))
        return kError;
    const int64_t imageWidth = h.biWidth;
    const int64_t imageHeight = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
    const int64_t limit = DeviceBitmapLimit();
    if (imageWidth * imageHeight > limit)
        return kError;
    if (destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return 0;
    if (int64_t(destWidth) * destHeight > limit)
        return 0;
    if (!dc->Begin())
        return kError;

    // The visible destination columns and the source column each shows.
    const int x0 = std::max(0, xDest), x1 = int(std::min<int64_t>(dc->width, int64_t(xDest) + destWidth));
    std::vector<int> columns;
    int firstColumn = x1;
    for (int x = x0; x < x1; ++x) {
        const int64_t c = xSrc + under(x - int64_t(xDest), srcWidth, destWidth);
        if (c < 0 || c >= imageWidth)
            continue;
        if (columns.empty())
            firstColumn = x;
        else if (x != firstColumn + int(columns.size()))
            break; // the mapped columns are contiguous; past the image's right edge
        columns.push_back(int(c));
    }
    if (columns.empty())
        return srcHeight;

    uint32_t lut[256];
    if (bitCount <= 8)
        colourTable(hdc, info, usage, lut);
    const auto *pixels = static_cast<const uint8_t *>(bits);
    const int64_t rowBytes = DibRowBytes(imageWidth, bitCount);

    const int y0 = std::max(0, yDest), y1 = int(std::min<int64_t>(dc->height, int64_t(yDest) + destHeight));
    int64_t previousRow = -1;
    uint32_t *previousOut = nullptr;
    const int count = int(columns.size());
    for (int y = y0; y < y1; ++y) {
        // Row of the source rectangle from its top, then of the image from
        // its bottom.
        const int64_t fromTop = under(y - int64_t(yDest), srcHeight, destHeight);
        const int64_t row = int64_t(ySrc) + srcHeight - 1 - fromTop;
        if (row < 0 || row >= imageHeight)
            continue;
        uint32_t *out = dc->Row(y) + firstColumn;
        if (row == previousRow) {
            std::memcpy(out, previousOut, size_t(count) * sizeof(uint32_t));
            continue;
        }
        const int64_t stored = h.biHeight > 0 ? row : imageHeight - 1 - row;
        convertRow(pixels + stored * rowBytes, bitCount, lut, columns.data(), count, out);
        previousRow = row;
        previousOut = out;
    }
    return srcHeight;
}

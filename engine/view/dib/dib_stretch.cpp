#include "engine/view/dib/dib_drawing.h"

#include "engine/kernel/global_memory_helpers.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<int64_t> cachedLimit{-1};

void fillWhite(HDC dc, int x, int y, int width, int height)
{
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    // With the null pen the filled figure is one pixel narrower and lower.
    Rectangle(dc, x, y, x + width + 1, y + height + 1);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

// The stretch with its quadrant fall-back, after the clamping and the test
// for a thin source. Quadrants are never whitened for being thin: they are
// parts of a picture that is drawn whole.
int splitStretch(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void *bits,
                 const BITMAPINFO *info, UINT usage, DWORD rop)
{
    const int result = StretchDIBits(dc, x, y, w, h, sx, sy, sw, sh, bits, info, usage, rop);
    if (w < 2 || h < 2)
        return result;
    if (result == -1) {
        fillWhite(dc, x, y, w, h);
        return -1;
    }
    if (result > 0)
        return result;
    // Refused at once: four quadrants, the left and top halves taking the
    // odd pixel; the top half of the destination shows the upper source rows.
    const int w1 = (w + 1) / 2, w2 = w - w1, h1 = (h + 1) / 2, h2 = h - h1;
    const int sw1 = (sw + 1) / 2, sw2 = sw - sw1, sh1 = (sh + 1) / 2, sh2 = sh - sh1;
    struct Part {
        int x, y, w, h, sx, sy, sw, sh;
    };
    const Part parts[4] = {
        {x, y, w1, h1, sx, sy + sh2, sw1, sh1},
        {x + w1, y, w2, h1, sx + sw1, sy + sh2, sw2, sh1},
        {x, y + h1, w1, h2, sx, sy, sw1, sh2},
        {x + w1, y + h1, w2, h2, sx + sw1, sy, sw2, sh2},
    };
    bool failed = false;
    for (const Part &p : parts) {
        if (p.w <= 0 || p.h <= 0 || p.sw <= 0 || p.sh <= 0)
            continue;
        failed |= splitStretch(dc, p.x, p.y, p.w, p.h, p.sx, p.sy, p.sw, p.sh, bits, info, usage, rop) == -1;
    }
    return failed ? -1 : 1;
}

// Clamps the destination and whitens a source thinner than 2 pixels (the
// answer for the whole stretch, not for its parts).
int clampedStretch(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void *bits,
                   const BITMAPINFO *info, UINT usage, DWORD rop, bool whitenThin)
{
    x = std::max(x, -32700);
    y = std::max(y, -32700);
    w = std::min(w, 32700);
    h = std::min(h, 32700);
    if (whitenThin && (sw < 2 || sh < 2)) {
        fillWhite(dc, x, y, w, h);
        return 1;
    }
    return splitStretch(dc, x, y, w, h, sx, sy, sw, sh, bits, info, usage, rop);
}

int64_t measureDeviceLimit(HDC dc)
{
    int side = 20000;
    while (side > 0) {
        if (const HBITMAP probe = CreateCompatibleBitmap(dc, side, side)) {
            DeleteObject(probe);
            break;
        }
        side -= 50;
    }
    side -= 50; // one more step, to stay clear of the edge
    return side > 0 ? int64_t(side) * side : 0;
}

int pixelsPerByte(int bitCount)
{
    switch (bitCount) {
    case 1:
        return 8;
    case 2:
        return 4;
    case 4:
        return 2;
    case 8:
    case 24:
        return 1;
    default:
        return 0;
    }
}

int croppedStretch(HDC dc, BITMAPINFO *info, const uint8_t *bits, int skipL, int skipR, int skipB, int skipT,
                   const RECT &dest, UINT usage, bool band)
{
    BITMAPINFOHEADER &h = info->bmiHeader;
    const int bitCount = h.biBitCount;
    const int perByte = pixelsPerByte(bitCount);
    if (perByte == 0 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight <= 0)
        return -1;
    const int width = h.biWidth, height = h.biHeight;
    // The first column copied starts a byte: r more pixels come along.
    const int r = skipL % perByte;
    const int firstColumn = skipL - r;
    const int cw = width - firstColumn - skipR;
    const int ch = height - skipB - skipT;
    if (cw - r <= 0 || ch <= 0 || skipL < 0 || skipR < 0 || skipB < 0 || skipT < 0)
        return 1; // nothing to draw
    const int64_t sourceRow = DibRowBytes(width, bitCount);
    const int64_t rowBytes = DibRowBytes(cw, bitCount);
    const int64_t keptBytes = (int64_t(cw) * bitCount + 7) / 8;
    const int64_t offset = int64_t(firstColumn) * bitCount / 8;
    const int64_t blockSize = rowBytes * ch;
    if (blockSize > 0xFFFFFFFFll)
        return -1;
    // Whole rows need no copy: the part starts at its first row.
    const bool wholeRows = firstColumn == 0 && skipR == 0;
    const HGLOBAL block = wholeRows ? 0 : GetGlobalHandle(GHND, uint32_t(blockSize));
    const uint8_t *copy = bits + int64_t(skipB) * sourceRow;
    if (!wholeRows) {
        auto *rows = block ? static_cast<uint8_t *>(GlobalLock(block)) : nullptr;
        if (!rows) {
            if (block)
                GlobalFree(block);
            return -1;
        }
        for (int i = 0; i < ch; ++i)
            std::memcpy(rows + i * rowBytes, bits + (skipB + i) * sourceRow + offset, size_t(keptBytes));
        copy = rows;
    }

    const BITMAPINFOHEADER saved = h;
    h.biWidth = cw;
    h.biHeight = ch;
    h.biSizeImage = DWORD(blockSize);
    // The r extra pixels are left out through the source origin, so the
    // picture keeps the place and the pixels of an uncropped stretch.
    const int destW = dest.right - dest.left, destH = dest.bottom - dest.top;
    const int result = band ? clampedStretch(dc, dest.left, dest.top, destW, destH, r, 0, cw - r, ch, copy,
                                             info, usage, SRCCOPY, false)
                            : clampedStretch(dc, dest.left, dest.top, destW, destH, r, 0, cw - r, ch, copy,
                                             info, usage, SRCCOPY, true);
    h = saved;
    if (block) {
        GlobalUnlock(block);
        GlobalFree(block);
    }
    if (result != -1)
        return 1;

    // The device refused the part: bands of rows that fit its limit.
    int64_t limit = cachedLimit.load();
    if (limit < 0) {
        limit = measureDeviceLimit(dc);
        cachedLimit.store(limit);
    }
    const int64_t croppedWidth = cw;
    if (int64_t(ch) * croppedWidth <= limit)
        return 0; // within the limit and still refused: nothing smaller helps
    const int64_t rowsPerBand = limit / croppedWidth;
    if (rowsPerBand <= 0)
        return 0;
    // Band k holds the rows k x rowsPerBand .. of the visible part, counted
    // from its bottom; its destination rows are where one stretch of the
    // whole part puts those rows.
    for (int64_t first = 0; first < ch; first += rowsPerBand) {
        const int64_t last = std::min<int64_t>(first + rowsPerBand, ch); // exclusive
        RECT part = dest;
        part.bottom = dest.top + int(int64_t(destH) * (ch - first) / ch);
        part.top = dest.top + int(int64_t(destH) * (ch - last) / ch);
        if (part.bottom <= 0)
            break; // this band and those above it lie above the window
        if (part.top >= part.bottom)
            continue;
        const int bandResult = croppedStretch(dc, info, bits, skipL, skipR, skipB + int(first),
                                              height - skipB - int(last), part, usage, true);
        if (bandResult != 1) {
            cachedLimit.store(-1);
            return 0;
        }
    }
    return 1;
}

} // namespace

int64_t DIBDeviceLimit() { return cachedLimit.load(); }

void DIBForgetDeviceLimit() { cachedLimit.store(-1); }

int StretchDIBSplit(HDC dc, int x, int y, int width, int height, int sx, int sy, int sw, int sh,
                    const void *bits, const BITMAPINFO *info, UINT usage, DWORD rop)
{
    return clampedStretch(dc, x, y, width, height, sx, sy, sw, sh, bits, info, usage, rop, true);
}

int DIBStretchCropped(HDC dc, BITMAPINFO *info, const uint8_t *bits, int skipLeft, int skipRight,
                      int skipBottom, int skipTop, const RECT *destination, UINT usage)
{
    if (!info || !bits || !destination)
        return -1;
    return croppedStretch(dc, info, bits, skipLeft, skipRight, skipBottom, skipTop, *destination, usage,
                          false);
}

int DIBStretchToWindow(HWND window, HDC dc, HGLOBAL bits, HGLOBAL header, HPALETTE palette,
                       const MAP_COORDRECT *raster, MAP_COORDRECT *visible, int)
{
    _WNDRES *rec = GetWndRes(window);
    const PresentationManager *view = rec ? rec->displayView : nullptr;
    if (!bits || !header || !dc || !view || !raster || !visible)
        return 0;
    auto *info = static_cast<BITMAPINFO *>(GlobalLock(header));
    if (!info)
        return 0;
    auto *pixels = static_cast<const uint8_t *>(GlobalLock(bits));
    if (!pixels) {
        GlobalUnlock(header);
        return 0;
    }
    // Blocks shorter than their header says are not read at all.
    const BITMAPINFOHEADER &hd = info->bmiHeader;
    const bool uncompressed = GlobalSize(header) >= 40 && hd.biCompression == BI_RGB;
    if (GlobalSize(header) < 40 ||
        GlobalSize(header) < 40 + 4 * size_t(std::min<DWORD>(DibColorCount(hd), 1u << 16)) ||
        (uncompressed && GlobalSize(bits) < size_t(DibRowBytes(std::max<LONG>(hd.biWidth, 0), hd.biBitCount) *
                                                   std::abs(int64_t(hd.biHeight))))) {
        GlobalUnlock(bits);
        GlobalUnlock(header);
        return 0;
    }
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    HPALETTE oldPalette = 0;
    if (palette) {
        oldPalette = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }

    const BITMAPINFOHEADER &h = info->bmiHeader;
    const int width = h.biWidth, height = std::abs(h.biHeight);
    const MAP_COORDRECT &R = *raster;
    const double rw = double(R.x2) - R.x1 + 1, rh = double(R.y2) - R.y1 + 1;
    if (width > 0 && height > 0 && rw > 0 && rh > 0) {
        const double sx = rw / width, sy = rh / height;

        // The visible part, grown by 5 per cent of the raster's size and cut
        // to the window (grown by a pixel).
        MAP_COORDRECT V = *visible;
        V.x1 = int32_t(std::clamp<int64_t>(int64_t(visible->x1) + int64_t(std::trunc(-0.05 * rw)), INT32_MIN,
                                           INT32_MAX));
        V.x2 = int32_t(
            std::clamp<int64_t>(int64_t(visible->x2) + int64_t(std::trunc(0.05 * rw)), INT32_MIN, INT32_MAX));
        V.y1 = int32_t(std::clamp<int64_t>(int64_t(visible->y1) + int64_t(std::trunc(-0.05 * rh)), INT32_MIN,
                                           INT32_MAX));
        V.y2 = int32_t(
            std::clamp<int64_t>(int64_t(visible->y2) + int64_t(std::trunc(0.05 * rh)), INT32_MIN, INT32_MAX));
        const RECT grown{view->displayRect.left - 1, view->displayRect.top - 1, view->displayRect.right + 1,
                         view->displayRect.bottom + 1};
        MAP_COORDRECT windowMap{};
        PM_WindowToMapRect(view, &grown, &windowMap);
        const MAP_COORDRECT cut{std::max(V.x1, windowMap.x1), std::max(V.y1, windowMap.y1),
                                std::min(V.x2, windowMap.x2), std::min(V.y2, windowMap.y2)};
        if (cut.x1 <= cut.x2 && cut.y1 <= cut.y2)
            V = cut;
        *visible = V;

        // Whole pixels to skip at each side, and the map edges of the rest.
        int skipL = 0, skipB = 0, skipR = 0, skipT = 0;
        double left = R.x1, bottom = R.y1, right = R.x2, top = R.y2;
        if (V.x1 > R.x1) {
            skipL = int(std::min<double>(std::trunc((double(V.x1) - R.x1) / sx), width));
            left = R.x1 + std::trunc(skipL * sx);
        }
        if (V.y1 > R.y1) {
            skipB = int(std::min<double>(std::trunc((double(V.y1) - R.y1) / sy), height));
            bottom = R.y1 + std::trunc(skipB * sy);
        }
        if (V.x2 < R.x2) {
            const double c = std::max(0.0, std::ceil((double(V.x2) - R.x1) / sx));
            right = R.x1 + std::ceil(c * sx);
            skipR = width - int(c);
        }
        if (V.y2 < R.y2) {
            const double c = std::max(0.0, std::ceil((double(V.y2) - R.y1) / sy));
            top = R.y1 + std::ceil(c * sy);
            skipT = height - int(c);
        }
        if (width - skipL - skipR > 0 && height - skipB - skipT > 0) {
            const MAP_COORDPT corners[2] = {{int32_t(left), int32_t(bottom)}, {int32_t(right), int32_t(top)}};
            POINT w[2]{};
            PM_MapToWindow(view, corners, w, 2);
            const RECT dest{w[0].x, w[1].y, w[1].x, w[0].y};
            const UINT usage = palette ? DIB_PAL_COLORS : DIB_RGB_COLORS;
            const int bitCount = h.biBitCount;
            int cropped = -1;
            if (h.biCompression == BI_RGB && h.biHeight > 0 &&
                (bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 24))
                cropped = DIBStretchCropped(dc, info, pixels, skipL, skipR, skipB, skipT, &dest, usage);
            if (cropped == -1)
                StretchDIBSplit(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                                skipL, skipB, width - skipR - skipL, height - skipT - skipB, pixels, info,
                                usage, SRCCOPY);
        }
    }

    GlobalUnlock(bits);
    GlobalUnlock(header);
    if (palette && oldPalette)
        SelectPalette(dc, oldPalette, FALSE);
    if (oldMode)
        SetStretchBltMode(dc, oldMode);
    return 1;
}

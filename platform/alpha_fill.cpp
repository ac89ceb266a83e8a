#include "platform/alpha_fill.h"

#include "platform/dc.h"
#include "platform/polygon_scan.h"

#include <algorithm>

namespace {

// (s * a + d * (255 - a) + 127) / 255 for the three channels at once: red
// and blue share one word in 16-bit lanes, green has its own; a lane never
// exceeds 65152, and (t + 1 + (t >> 8)) >> 8 is t / 255 for such t.
uint32_t blendPixel(uint32_t src, uint32_t dst, uint32_t alpha)
{
    const uint32_t rest = 255 - alpha;
    uint32_t rb = (src & 0x00FF00FFu) * alpha + (dst & 0x00FF00FFu) * rest + 0x007F007Fu;
    uint32_t g = ((src >> 8) & 0xFFu) * alpha + ((dst >> 8) & 0xFFu) * rest + 0x7Fu;
    rb = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    g = ((g + 1 + (g >> 8)) >> 8) & 0xFFu;
    return 0xFF000000u | rb | (g << 8);
}

} // namespace

BOOL FillPolygonAlpha(HDC hdc, const POINT *points, int count, COLORREF color, BYTE alpha)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !points || count < 3)
        return FALSE;
    if (!dc->Begin())
        return TRUE;
    const uint32_t src = gdi::ToPixel(color);
    const uint32_t a = alpha;
    gdi::ScanPolygon(points, count, ALTERNATE, dc->width, dc->height, [&](int y, int xa, int xb) {
        uint32_t *row = dc->Row(y);
        if (a == 255) {
            std::fill(row + xa, row + xb, src);
            return;
        }
        for (int x = xa; x < xb; ++x)
            row[x] = blendPixel(src, row[x], a);
    });
    return TRUE;
}

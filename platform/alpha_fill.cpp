#include "platform/alpha_fill.h"

#include "platform/dc.h"
#include "platform/polygon_scan.h"

#include <algorithm>

namespace {

uint32_t blendChannel(uint32_t src, uint32_t dst, uint32_t alpha)
{
    return (src * alpha + dst * (255 - alpha) + 127) / 255;
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
    const uint32_t sr = (src >> 16) & 0xFF, sg = (src >> 8) & 0xFF, sb = src & 0xFF;
    gdi::ScanPolygon(points, count, ALTERNATE, dc->width, dc->height, [&](int y, int xa, int xb) {
        uint32_t *row = dc->Row(y);
        if (a == 255) {
            std::fill(row + xa, row + xb, src);
            return;
        }
        for (int x = xa; x < xb; ++x) {
            const uint32_t d = row[x];
            row[x] = 0xFF000000u | (blendChannel(sr, (d >> 16) & 0xFF, a) << 16) |
                     (blendChannel(sg, (d >> 8) & 0xFF, a) << 8) | blendChannel(sb, d & 0xFF, a);
        }
    });
    return TRUE;
}

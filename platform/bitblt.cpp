#include "platform/bitblt.h"

#include "platform/dc.h"

#include <QImage>

#include <algorithm>

namespace {

// The ternary operation, bit by bit over the colour channels: minterm
// (p << 2 | s << 1 | d) of the code gives the result bit.
uint32_t applyRop3(unsigned code, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t out = 0;
    for (unsigned m = 0; m < 8; ++m) {
        if (!(code >> m & 1))
            continue;
        out |= ((m & 4) ? p : ~p) & ((m & 2) ? s : ~s) & ((m & 1) ? d : ~d);
    }
    return 0xFF000000u | (out & 0xFFFFFF);
}

bool usesSource(unsigned code) { return ((code >> 2) & 0x33) != (code & 0x33); }

} // namespace

BOOL BitBlt(HDC hdest, int x, int y, int width, int height, HDC hsource, int sx, int sy, DWORD rop)
{
    gdi::DeviceContext *dest = gdi::FindDC(hdest);
    if (!dest || width < 0 || height < 0)
        return FALSE;
    const unsigned code = (rop >> 16) & 0xFF;
    const bool needSource = usesSource(code);
    gdi::DeviceContext *source = needSource ? gdi::FindDC(hsource) : nullptr;
    if (needSource && !source)
        return FALSE;
    if (!dest->Begin())
        return TRUE;
    if (needSource && (!source->target || source->target->isNull()))
        return TRUE;
    // The block offsets [i0, i1) x [j0, j1) that fall inside both images.
    const int64_t srcW = needSource ? int64_t(source->target->width()) : INT64_MAX / 4;
    const int64_t srcH = needSource ? int64_t(source->target->height()) : INT64_MAX / 4;
    const int64_t i0 = std::max<int64_t>({0, -int64_t(x), needSource ? -int64_t(sx) : 0});
    const int64_t j0 = std::max<int64_t>({0, -int64_t(y), needSource ? -int64_t(sy) : 0});
    const int64_t i1 = std::min<int64_t>({width, dest->width - int64_t(x), needSource ? srcW - sx : width});
    const int64_t j1 =
        std::min<int64_t>({height, dest->height - int64_t(y), needSource ? srcH - sy : height});
    if (i0 >= i1 || j0 >= j1)
        return TRUE;
    // A copy of the source block, so that an overlapping transfer within one
    // image reads the pixels as they were.
    QImage block;
    if (needSource) {
        block = source->target->copy(int(sx + i0), int(sy + j0), int(i1 - i0), int(j1 - j0))
                    .convertToFormat(QImage::Format_RGB32);
        if (block.isNull() || !dest->Begin()) // copying may have detached the destination
            return TRUE;
    }
    const uint32_t pattern = dest->brushRgb;
    for (int64_t j = j0; j < j1; ++j) {
        uint32_t *row = dest->Row(int(y + j));
        const auto *srow =
            needSource ? reinterpret_cast<const uint32_t *>(block.constScanLine(int(j - j0))) : nullptr;
        for (int64_t i = i0; i < i1; ++i) {
            uint32_t &d = row[x + i];
            d = applyRop3(code, pattern, srow ? srow[i - i0] : 0, d);
        }
    }
    return TRUE;
}

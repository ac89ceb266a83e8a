#include "engine/view/dib/dib_drawing.h"

#include "platform/global_memory.h"

#include <cstring>
#include <vector>

HPALETTE CreateDIBPalette(HGLOBAL header)
{
    if (!header)
        return 0;
    auto *info = static_cast<BITMAPINFO *>(GlobalLock(header));
    if (!info)
        return 0;
    HPALETTE palette = 0;
    const size_t size = GlobalSize(header);
    const DWORD n = size >= 40 ? info->bmiHeader.biClrUsed : 0;
    // The table must lie inside the block and fit a palette's entry count.
    if (size >= 40 && info->bmiHeader.biSize == 40 && n > 0 && n <= 0xFFFF && 40 + 4 * size_t(n) <= size) {
        std::vector<uint8_t> memory(sizeof(LOGPALETTE) + (n - 1) * sizeof(PALETTEENTRY));
        auto *log = reinterpret_cast<LOGPALETTE *>(memory.data());
        log->palVersion = 0x300;
        log->palNumEntries = WORD(n);
        auto *table = reinterpret_cast<uint8_t *>(info) + 40;
        for (DWORD i = 0; i < n; ++i) {
            const uint8_t *q = table + 4 * i; // blue, green, red, reserved
            log->palPalEntry[i] = PALETTEENTRY{q[2], q[1], q[0], 0};
        }
        palette = CreatePalette(log);
        if (palette) {
            // The table becomes the palette's indexes, 16 bits each.
            for (DWORD i = 0; i < n; ++i) {
                const WORD index = WORD(i);
                std::memcpy(table + 2 * i, &index, 2);
            }
        }
    }
    GlobalUnlock(header);
    return palette;
}

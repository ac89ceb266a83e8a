// Logical palettes: the colours that device-independent images with
// palette-index colour tables (DIB_PAL_COLORS, stretch_dib.h) stand for.
// Every device context of this layer is true-colour, so realizing a palette
// maps each of its entries to its own colour exactly.
//
// A context starts with the default palette (the twenty static colours of
// the system palette). A palette deleted while a context holds it leaves the
// context with the default palette.
#pragma once

#include "platform/types.h"

using HPALETTE = uint32_t;

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};
static_assert(sizeof(PALETTEENTRY) == 4);

struct LOGPALETTE {
    WORD palVersion; // 0x300
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1]; // palNumEntries entries in all
};
static_assert(sizeof(LOGPALETTE) == 8);

inline constexpr UINT GDI_ERROR = 0xFFFFFFFFu;

// 0 for a null record, a version other than 0x300 or no entries.
HPALETTE CreatePalette(const LOGPALETTE *palette);
// The default palette: a stock object that cannot be deleted.
HPALETTE GetDefaultPalette();
// Selects the palette into the context and answers the one it held (the
// default palette when none had been selected); 0 for a bad context or a
// handle that is not a palette. The background flag has no effect here.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// The number of entries of the context's palette, all of them mapped;
// GDI_ERROR for a bad context.
UINT RealizePalette(HDC dc);
// Copies up to count entries from start; answers the number copied (the
// entry count when entries is null), 0 for a bad handle.
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY *entries);

namespace gdi {
// The entries of the context's palette as opaque pixels (0xFFRRGGBB), for
// the stretching of palette-index images; the default palette's for a bad
// context.
const uint32_t *PaletteColorsOf(HDC dc, UINT *count);
} // namespace gdi

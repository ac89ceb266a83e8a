#include "platform/palette.h"

#include "platform/dc.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct Palette : gdi::Object {
    Palette() : Object(gdi::Kind::Palette) {}
    std::vector<PALETTEENTRY> entries;
    std::vector<uint32_t> pixels; // the same as opaque pixels
};

Palette *findPalette(HPALETTE h) { return gdi::FindAs<Palette>(h, gdi::Kind::Palette); }

Palette *makePalette(const PALETTEENTRY *entries, UINT count)
{
    auto *p = new Palette;
    p->entries.assign(entries, entries + count);
    for (const PALETTEENTRY &e : p->entries)
        p->pixels.push_back(0xFF000000u | uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue);
    return p;
}

HPALETTE defaultPalette()
{
    static HPALETTE id = [] {
        static const PALETTEENTRY colours[20] = {
            {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
            {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
            {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
            {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
            {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
        };
        Palette *p = makePalette(colours, 20);
        p->stock = true;
        return gdi::Add(p);
    }();
    return id;
}

// The palette a context draws with: its own, or the default one.
Palette *paletteOf(const gdi::DeviceContext *dc)
{
    Palette *p = dc && dc->palette ? findPalette(dc->palette) : nullptr;
    return p ? p : findPalette(defaultPalette());
}

} // namespace

HPALETTE CreatePalette(const LOGPALETTE *palette)
{
    if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0)
        return 0;
    return gdi::Add(makePalette(palette->palPalEntry, palette->palNumEntries));
}

HPALETTE GetDefaultPalette() { return defaultPalette(); }

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !findPalette(palette))
        return 0;
    const HPALETTE previous = dc->palette && findPalette(dc->palette) ? dc->palette : defaultPalette();
    dc->palette = palette == defaultPalette() ? 0 : palette;
    return previous;
}

UINT RealizePalette(HDC hdc)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return GDI_ERROR;
    return UINT(paletteOf(dc)->entries.size());
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY *entries)
{
    const Palette *p = findPalette(palette);
    if (!p)
        return 0;
    if (!entries)
        return UINT(p->entries.size());
    if (start >= p->entries.size())
        return 0;
    const UINT n = std::min<UINT>(count, UINT(p->entries.size()) - start);
    std::copy_n(p->entries.begin() + start, n, entries);
    return n;
}

namespace gdi {
const uint32_t *PaletteColorsOf(HDC dc, UINT *count)
{
    const Palette *p = paletteOf(FindDC(dc));
    *count = UINT(p->pixels.size());
    return p->pixels.data();
}
} // namespace gdi

// Drawing of raster images kept as device-independent bitmaps (DIBs) in two
// movable global memory blocks: the header block (a 40-byte
// BITMAPINFOHEADER and its colour table) and the block of pixel rows,
// bottom row first (platform/stretch_dib.h).
//
// The image is stretched into a map window in its place on the map; only the
// part that can be seen is stretched, and images too large for the device
// are drawn in quadrants (a destination too large) or in bands of rows (an
// image too large), giving the same pixels as one stretch would wherever the
// parts divide the picture evenly.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/palette.h"
#include "platform/stretch_dib.h"
#include "platform/types.h"

// A logical palette of the header block's colour table (its biClrUsed
// entries), whose table is then rewritten as the palette indexes 0 .. n - 1
// (as DIB_PAL_COLORS wants). 0, leaving the block as it was, for no block, a
// header size other than 40, no colours used, or a table longer than the
// block.
HPALETTE CreateDIBPalette(HGLOBAL header);

// Stretches the image whose map rectangle is raster into the window's
// screen view, only the part within visible (grown by 5 per cent of the
// raster's size on every side and cut to the window; the result is written
// back). With a palette, the colour table holds its indexes
// (CreateDIBPalette). The device context's stretch mode and palette are put
// back. 1 when drawn or nothing to draw; 0 for a missing block, context or
// view.
int DIBStretchToWindow(HWND window, HDC dc, HGLOBAL bits, HGLOBAL header, HPALETTE palette,
                       const MAP_COORDRECT *raster, MAP_COORDRECT *visible, int unused);

// StretchDIBits with fall-backs: destinations are clamped to +-32700; a
// source smaller than 2 pixels either way gives a white rectangle (1); a
// device error gives a white rectangle (-1); a destination the device
// refuses at once is drawn in four quadrants, the left and top halves taking
// the odd pixel, each from its own part of the source (-1 when a quadrant
// failed, else 1). Otherwise StretchDIBits' result.
int StretchDIBSplit(HDC dc, int x, int y, int width, int height, int sx, int sy, int sw, int sh,
                    const void *bits, const BITMAPINFO *info, UINT usage, DWORD rop);

// Stretches the part of an uncompressed image of 1, 2, 4, 8 or 24 bits that
// is left after the skips (whole pixels at each side) into the destination
// rectangle (window pixels), copying only that part into a block of its own
// first. When the device refuses the part, it is drawn in bands of rows that
// fit the device's limit. 1 drawn; 0 the device failed (a band, or a part
// within the limit); -1 not possible here (another bit count, no memory):
// the caller stretches the whole part itself. The header is put back.
int DIBStretchCropped(HDC dc, BITMAPINFO *info, const uint8_t *bits, int skipLeft, int skipRight,
                      int skipBottom, int skipTop, const RECT *destination, UINT usage);

// The largest bitmap area the device accepted, measured once with
// CreateCompatibleBitmap when a band drawing needs it: -1 until then and
// again after a band failed, or after a forget (a new display, or a test
// that changes the device's limit).
int64_t DIBDeviceLimit();
void DIBForgetDeviceLimit();

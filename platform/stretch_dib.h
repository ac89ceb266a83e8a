// Device-independent bitmaps (DIBs) and their stretching into a device
// context.
//
// A DIB is a 40-byte BITMAPINFOHEADER, its colour table and the pixel rows,
// each padded to a multiple of 4 bytes; a positive height stores the rows
// from the bottom up, a negative one from the top down. Uncompressed images
// of 1, 2, 4, 8, 24 and 32 bits per pixel are drawn. With DIB_RGB_COLORS the
// colour table holds RGBQUADs; with DIB_PAL_COLORS it holds 16-bit indexes
// into the palette selected into the context (palette.h). A pixel whose
// index lies beyond the table, or a table index beyond the palette, is
// black.
//
// The pixel rule (nearest neighbour; every stretch mode draws this way, as
// COLORONCOLOR does): the pixel in column i and row j of the destination
// rectangle (counted from its left and its top) shows the source pixel under
// its centre: column xSrc + floor((2i + 1) * srcWidth / (2 * destWidth)) and,
// counting the rows of the source rectangle from its top,
// floor((2j + 1) * srcHeight / (2 * destHeight)). The source rectangle's
// origin (xSrc, ySrc) is its lower-left corner, ySrc counting rows from the
// bottom of the image, as for every bottom-up DIB. Pixels outside the
// context's image or outside the DIB are left alone.
#pragma once

#include "platform/bitblt.h" // the raster operation codes
#include "platform/types.h"

struct BITMAPINFOHEADER {
    DWORD biSize; // 40
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1]; // the colour table, as long as the header says
};
static_assert(sizeof(BITMAPINFO) == 44);

inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_RLE8 = 1;
inline constexpr DWORD BI_RLE4 = 2;
inline constexpr DWORD BI_BITFIELDS = 3;

inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr UINT DIB_PAL_COLORS = 1;

// Stretch modes (SetStretchBltMode).
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;
inline constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
inline constexpr int STRETCH_ORSCANS = WHITEONBLACK;
inline constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
inline constexpr int STRETCH_HALFTONE = HALFTONE;

// The entries of the colour table: biClrUsed, or for 1 to 8 bits 2^bits when
// that is 0; none for more bits unless biClrUsed names some.
DWORD DibColorCount(const BITMAPINFOHEADER &header);
// Bytes of one padded row.
int64_t DibRowBytes(int64_t width, int bitCount);

// Both answer the previous mode; 0 for a bad context or mode.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);

// Stretches the source rectangle of the DIB onto the destination rectangle
// with the pixel rule above. Only SRCCOPY is drawn.
// Answers:
// - the number of source rows when drawn;
// - 0 when nothing was drawn: an empty rectangle, or a destination larger
//   than the device takes at once (DeviceBitmapLimit(), device_limit.h; the
//   caller may draw it in parts);
// - -1 (GDI_ERROR) on a device error: a bad context, a missing image, an
//   unsupported format or operation, or an image larger than the device's
//   limit.
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info, UINT usage,
                  DWORD rop);

// Reading a bitmap's pixels as a device-independent bitmap (stretch_dib.h
// describes the DIB layout): GetDIBits, and the size and format of a bitmap
// (GetBitmapObject, which GetObjectA answers for bitmaps).
//
// The bitmaps of this layer hold 32-bit RGB pixels. GetDIBits writes them
// uncompressed at 1, 4, 8, 24 or 32 bits per pixel, rows padded to 4 bytes,
// bottom-up for a positive height and top-down for a negative one. Below 24
// bits every pixel becomes the index of the nearest colour (least squared
// distance in red, green and blue; the first such entry on a tie) of a fixed
// colour table, which GetDIBits writes after the header:
// - 1 bit: black, white;
// - 4 bits: the 16 colours of the standard VGA palette;
// - 8 bits: the 6 x 6 x 6 colour cube (levels 0, 51, ..., 255; red slowest)
//   followed by 40 greys from 0 to 255.
#pragma once

#include "platform/stretch_dib.h"
#include "platform/types.h"

#include <cstdint>

struct BITMAP {
    LONG bmType; // 0
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes; // bytes of one row
    WORD bmPlanes;     // 1
    WORD bmBitsPixel;  // 32
    void *bmBits;      // null: the pixels are reached through GetDIBits
};

// Fills the BITMAP of a bitmap handle; the bytes written (at most size), or
// with a null buffer the size of a BITMAP; 0 for a bad handle.
int GetBitmapObject(HBITMAP bitmap, int size, BITMAP *buffer);

// Copies lines scan lines of the bitmap, starting at scan line start (counted
// from the bottom row of a bottom-up DIB, from the top row of a top-down one),
// into bits in the format of info's header, and writes the colour table of
// that format after the header. info's width must be the bitmap's width and
// its height, either sign, the bitmap's height.
//
// With bits null: a header whose bit count is 0 gets the bitmap's own format
// (width, height, 1 plane, 32 bits, no compression, the image size); one
// with a bit count gets its image size and colour table; the answer is then
// non-zero.
//
// Answers the number of lines copied (fewer when the range passes the last
// row), 0 for a bad context or bitmap, an unsupported header (size below 40,
// a compression, a bit count other than 1, 4, 8, 24 or 32, DIB_PAL_COLORS)
// or a start past the last row.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void *bits, BITMAPINFO *info, UINT usage);

// The bitmap's pixels as rows of 24-bit red, green, blue (the byte order of
// image files, where a DIB has blue first), bottom row first, each row
// stride bytes from the previous one; the bytes of a row past its pixels are
// cleared. The rows must hold height x stride bytes and stride at least 3 x
// width. 1, or 0 (nothing written) for a bad bitmap, null rows or a short
// stride.
int GetBitmapRgbRows(HBITMAP bitmap, uint8_t *rows, int64_t stride);

// The fixed colour table used for a bit count below 24 (1, 4 or 8); its
// number of entries, 0 for other counts.
int DibDefaultColorTable(int bitCount, RGBQUAD *table /* room for 256 */);

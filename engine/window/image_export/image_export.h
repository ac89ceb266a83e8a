// Image files and PNG data of a map rectangle: BMP written by the engine,
// JPEG, TIFF, PNG and GIF by the image writer modules ("jpg.cnv",
// "tiff.cnv", "png.cnv", "gif.cnv"), which are loaded from the engine's
// modules folder by their full path, never through the current directory.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/dib_bits.h"
#include "platform/large_block.h"
#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The export settings the control hands over.
struct _EXPORTPARAMS {
    uint16_t JpgCompressionDegree;   // the JPEG module's quality
    uint16_t PNGExportMode;          // passed to the PNG module
    uint16_t PngCompressionLevel;    // passed to the PNG module
    uint16_t DetailsLikeInOcxWindow; // non-zero: the window's 1:N scale is kept
};
static_assert(sizeof(_EXPORTPARAMS) == 8);

// Export types of DIBFileExportRect.
inline constexpr int kExportBmp = 0;
inline constexpr int kExportJpeg = 1;
inline constexpr int kExportTiff = 2;
inline constexpr int kExportPng = 3;
inline constexpr int kExportGif = 4;

// The bitmap's description as a DIB header with its colour table: 1 bit for
// a one-bit bitmap, 4 for 2 to 4, 8 for 5 to 8, 24 above (this layer's
// 32-bit bitmaps give 24), image size and colours used filled in. Empty for
// a bad bitmap or an image size past 32 bits.
std::vector<uint8_t> MakeBitmapInfo(HWND window, HBITMAP bitmap);

// Writes the bitmap as a BMP file in the depth of info (from MakeBitmapInfo):
// file header, info with its colour table, rows bottom-up. The file appears
// only once it is whole; an existing file is replaced then, and kept when
// anything fails. When the file cannot be created the message "ERROR CREATE
// BMP FILE.!" is shown. 1 when written, else 0.
int WriteBitmapFile(HWND window, const char *fileName, const BITMAPINFO *info, HBITMAP bitmap, HDC dc);

// Renders the rectangle (RenderMapRectToBitmap, the scale kept when the
// parameters say so) into a file of the export type (0 BMP, 1 JPEG, 2 TIFF,
// 3 PNG, 4 GIF), size giving the image's square. parameters may be null
// (JPEG quality 90, the PNG module's defaults, the scale not kept). 1 when
// the file was written; 0, with no file written, for a type outside 0 to 4,
// no file name, an empty rectangle, no image, a missing module or entry, or
// a writer that failed.
int DIBFileExportRect(HWND window, const char *fileName, const MAP_COORDRECT *rect, int size, int type,
                      const _EXPORTPARAMS *parameters);

// Renders the rectangle and hands its rows (24-bit red-green-blue, bottom
// row first) to the PNG module's "PNGConvertAndAlloc" with value1, value2,
// value5 and value6 passed through (the module takes them as the address of
// the block handle it makes, the address of its size, the PNG mode and the
// compression level). The module's result; 0 when there is no image, no
// module or entry, or the module fails during the call.
extern "C" int PNGExportRectToMemory(HWND window, void *value1, void *value2, const MAP_COORDRECT *rect,
                                     int size, int value5, int value6, uint16_t details);

// The bitmap's pixels as 24-bit red-green-blue rows, bottom row first, each
// stride bytes long; no data when they cannot be read.
struct RgbRows {
    LargeBlock block;
    int width = 0, height = 0, stride = 0;
    const uint8_t *data() const { return block.data(); }
};
RgbRows BitmapRgbRows(HWND window, HBITMAP bitmap);

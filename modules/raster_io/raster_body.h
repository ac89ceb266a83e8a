// The raster converter entry as the engine calls it: an image file read into
// two movable global memory blocks (the header block, a 40-byte bitmap
// information header with its colour table, and the pixel rows, bottom row
// first, each padded to 4 bytes), with the georeference of a world file
// beside the image and the image's dots per inch.
//
// Images with a colour table keep 1, 4 or 8 bits per pixel and their
// colours; every other image becomes 24 bits (blue, green, red), pixels with
// transparency laid on white.
#pragma once

#include "platform/types.h"

#include <string>

// The fourth argument of the entry: eleven doubles that the caller
// initialises. A converter fills d0 and d1 (map units per pixel across and
// down), d3 and d4 (the lower-right corner), d6 and d7 (the upper-left
// corner) from a world file, and d9 and d10 (dots per inch) when the image
// states them; it leaves the rest alone.
struct RasterBodyParams {
    double d[11];
};
static_assert(sizeof(RasterBodyParams) == 88);

// How a module reads its format.
struct RasterFormat {
    const char *qtFormat;                      // Qt's reader, e.g. "png"
    const char *title;                         // in messages, e.g. "PNG"
    const char *worldExtension;                // e.g. "pgw"
    bool (*complete)(const std::string &path); // false for a file cut short (null: Qt tells)
};

// Pixels an image may have at most; checked from its header.
inline constexpr long long kMaxRasterPixels = 16384LL * 16384LL;

// The entry's work: 1 with the slots given filled (each a new block that
// the caller owns), 0 with the reason kept for RasterLastError and the slots
// untouched.
int ReadRasterBody(const RasterFormat &format, const char *fileName, HGLOBAL *header, HGLOBAL *bits,
                   RasterBodyParams *params);

// The reason of the last failure on this thread; empty after a success.
const char *RasterLastError();
void SetRasterLastError(const std::string &text);

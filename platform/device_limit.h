// The largest bitmap, in pixels, that the display device takes at once: the
// compatible bitmaps of dc.h are refused above it (CreateCompatibleBitmap
// answers 0 without allocating, so callers may probe sizes with it), and
// StretchDIBits (stretch_dib.h) refuses images and destinations above it.
// Tests lower it so that the fall-backs of callers that meet the limit run.
#pragma once

#include <cstdint>

// The default: the size limit of every bitmap of this layer.
inline constexpr int64_t kDefaultDeviceBitmapLimit = int64_t(1) << 28;

int64_t DeviceBitmapLimit();
// Sets the limit for the whole process; a value of 0 or below restores the
// default.
void SetDeviceBitmapLimit(int64_t pixels);

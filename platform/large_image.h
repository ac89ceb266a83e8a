// Images whose pixels live in a LargeBlock (large_block.h): bitmaps and
// pictures that are drawn or copied into whole right after they are made.
#pragma once

#include <QImage>

// A new image whose pixels, not initialised, live in a LargeBlock that the
// image's last copy frees. A null image for a size or format QImage cannot
// hold, or when the memory cannot be had.
QImage LargeImage(int width, int height, QImage::Format format);

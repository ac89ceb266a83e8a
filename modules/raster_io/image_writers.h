// Image files written by the converter modules, through Qt's image writers:
// from a bitmap of the platform layer, or from rows of red-green-blue
// pixels. Each answers 1 when the file was written, else 0 with the reason
// kept for RasterLastError (raster_body.h).
#pragma once

#include "platform/types.h"

#include <QImage>

class QIODevice;

// The bitmap's picture; a null image, with the reason kept, for a bad handle.
QImage BitmapPicture(HBITMAP bitmap);

// Writes the picture in Qt's format (e.g. "jpeg") with the quality (-1: the
// writer's default) and the compression (-1: the writer's default).
int WritePicture(const char *fileName, const QImage &picture, const char *qtFormat, int quality,
                 int compression);

// Rows of 8-bit red, green and blue, bottom row first, each stride bytes
// long. A null image, with the reason kept, for sizes that do not fit.
QImage PictureFromRgbRows(int width, int height, int stride, int bitsPerChannel, const uint8_t *rows);

// PNG modes: 0 red-green-blue, 1 a colour table (256 colours at most,
// others dithered); -1 the default (0). Levels: 0 default, 1 none, 2 best
// speed, 3 best compression; -1 the default.
int WritePng(QIODevice *device, const char *what, const QImage &picture, int mode, int level);

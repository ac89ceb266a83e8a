// "png.cnv": reads PNG images for raster objects and writes the PNG files
// and memory blocks of exported map pictures.
#include "modules/raster_io/format_checks.h"
#include "modules/raster_io/image_writers.h"
#include "modules/raster_io/module_export.h"
#include "modules/raster_io/raster_body.h"
#include "platform/global_memory.h"

#include <QBuffer>
#include <QFile>

#include <cstring>

namespace {
const RasterFormat kPng{"png", "PNG", "pgw", PngIsComplete};
}

MODULE_EXPORT int GormRasterBody(const char *fileName, HGLOBAL *header, HGLOBAL *bits,
                                 RasterBodyParams *params)
{
    return ReadRasterBody(kPng, fileName, header, bits, params);
}

MODULE_EXPORT const char *GormConverterLastError() { return RasterLastError(); }

// Rows of red, green and blue (8 bits each, bottom row first) into a file.
MODULE_EXPORT int PNGConvertAndSave(const char *fileName, int width, int height, int stride,
                                    int bitsPerChannel, const uint8_t *rows, int mode, int level)
{
    if (!fileName || !*fileName) {
        SetRasterLastError("No image file was named");
        return 0;
    }
    const QImage picture = PictureFromRgbRows(width, height, stride, bitsPerChannel, rows);
    if (picture.isNull())
        return 0;
    QFile file(QString::fromLocal8Bit(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        SetRasterLastError(std::string("The image \"") + fileName +
                           "\" cannot be written: " + file.errorString().toStdString());
        return 0;
    }
    if (!WritePng(&file, fileName, picture, mode, level)) {
        file.remove();
        return 0;
    }
    return 1;
}

// The same into a new movable global memory block, which the caller owns
// (*block), with its length in bytes (*size). 1, or 0 with both left alone.
MODULE_EXPORT int PNGConvertAndAlloc(HGLOBAL *block, uint32_t *size, int width, int height, int stride,
                                     int bitsPerChannel, const uint8_t *rows, int mode, int level)
{
    if (!block || !size) {
        SetRasterLastError("No place for the PNG block was given");
        return 0;
    }
    const QImage picture = PictureFromRgbRows(width, height, stride, bitsPerChannel, rows);
    if (picture.isNull())
        return 0;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!WritePng(&buffer, "in memory", picture, mode, level))
        return 0;
    const HGLOBAL mem = GlobalAlloc(GHND, size_t(bytes.size()));
    if (!mem) {
        SetRasterLastError("Not enough memory for the PNG block");
        return 0;
    }
    std::memcpy(GlobalLock(mem), bytes.constData(), size_t(bytes.size()));
    GlobalUnlock(mem);
    *block = mem;
    *size = uint32_t(bytes.size());
    return 1;
}

// "gif.cnv": reads GIF images for raster objects and writes GIF files of
// exported map pictures with giflib.
#include "modules/raster_io/format_checks.h"
#include "modules/raster_io/image_writers.h"
#include "modules/raster_io/module_export.h"
#include "modules/raster_io/raster_body.h"

#include <gif_lib.h>

#include <cstdio>
#include <string>

namespace {

const RasterFormat kGif{"gif", "GIF", "gfw", GifIsComplete};

int fail(const std::string &text)
{
    SetRasterLastError(text);
    return 0;
}

// Writes a picture of at most 256 colours (a colour table) as a GIF file.
int writeGif(const char *fileName, const QImage &indexed)
{
    // A GIF colour map has a power of two entries, 2 to 256.
    const int colours = int(indexed.colorCount());
    int bits = 1;
    while ((1 << bits) < colours)
        ++bits;
    ColorMapObject *map = GifMakeMapObject(1 << bits, nullptr);
    if (!map)
        return fail("Not enough memory for the GIF colour map");
    for (int i = 0; i < (1 << bits); ++i) {
        const QRgb c = i < colours ? indexed.color(i) : 0;
        map->Colors[i] = GifColorType{GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
    }
    int error = 0;
    GifFileType *gif = EGifOpenFileName(fileName, false, &error);
    if (!gif) {
        GifFreeMapObject(map);
        return fail(std::string("The image \"") + fileName +
                    "\" cannot be written: " + GifErrorString(error));
    }
    bool ok = EGifPutScreenDesc(gif, indexed.width(), indexed.height(), bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < indexed.height(); ++y)
        ok =
            EGifPutLine(gif, const_cast<GifPixelType *>(indexed.constScanLine(y)), indexed.width()) == GIF_OK;
    const int writeError = gif->Error;
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    GifFreeMapObject(map);
    if (!ok) {
        std::remove(fileName);
        return fail(std::string("The image \"") + fileName +
                    "\" cannot be written: " + GifErrorString(writeError ? writeError : error));
    }
    SetRasterLastError("");
    return 1;
}

} // namespace

MODULE_EXPORT int GormRasterBody(const char *fileName, HGLOBAL *header, HGLOBAL *bits,
                                 RasterBodyParams *params)
{
    return ReadRasterBody(kGif, fileName, header, bits, params);
}

MODULE_EXPORT const char *GormConverterLastError() { return RasterLastError(); }

// The bitmap's picture as a GIF file: its own colours when it has at most
// 256, else Qt's reduction to 256.
MODULE_EXPORT int CreateGIFFile(const char *fileName, HBITMAP bitmap)
{
    if (!fileName || !*fileName)
        return fail("No image file was named");
    const QImage picture = BitmapPicture(bitmap);
    if (picture.isNull())
        return 0;
    const QImage indexed = picture.convertToFormat(QImage::Format_RGB32)
                               .convertToFormat(QImage::Format_Indexed8, Qt::AvoidDither);
    if (indexed.isNull() || indexed.colorCount() == 0)
        return fail("The picture cannot be reduced to a colour table");
    return writeGif(fileName, indexed);
}

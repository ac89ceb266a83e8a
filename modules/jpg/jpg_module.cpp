// "jpg.cnv": reads JPEG images for raster objects and writes JPEG files of
// exported map pictures.
#include "modules/raster_io/format_checks.h"
#include "modules/raster_io/image_writers.h"
#include "modules/raster_io/module_export.h"
#include "modules/raster_io/raster_body.h"

#include <algorithm>

namespace {
const RasterFormat kJpeg{"jpeg", "JPEG", "jgw", JpegIsComplete};
}

MODULE_EXPORT int GormRasterBody(const char *fileName, HGLOBAL *header, HGLOBAL *bits,
                                 RasterBodyParams *params)
{
    return ReadRasterBody(kJpeg, fileName, header, bits, params);
}

MODULE_EXPORT const char *GormConverterLastError() { return RasterLastError(); }

// The bitmap's picture as a JPEG file of the quality given (1 to 100; values
// outside are taken to the nearer end).
MODULE_EXPORT int CreateJPGFile(const char *fileName, HBITMAP bitmap, int quality)
{
    const QImage picture = BitmapPicture(bitmap);
    if (picture.isNull())
        return 0;
    return WritePicture(fileName, picture.convertToFormat(QImage::Format_RGB888), "jpeg",
                        std::clamp(quality, 1, 100), -1);
}

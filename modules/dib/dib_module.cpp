// "dib.cnv": reads BMP images (device-independent bitmaps in a file) for
// raster objects.
#include "modules/raster_io/format_checks.h"
#include "modules/raster_io/module_export.h"
#include "modules/raster_io/raster_body.h"

namespace {
const RasterFormat kBmp{"bmp", "BMP", "bpw", BmpIsComplete};
}

MODULE_EXPORT int GormRasterBody(const char *fileName, HGLOBAL *header, HGLOBAL *bits,
                                 RasterBodyParams *params)
{
    return ReadRasterBody(kBmp, fileName, header, bits, params);
}

MODULE_EXPORT const char *GormConverterLastError() { return RasterLastError(); }

// "tiff.cnv": reads TIFF images for raster objects and writes TIFF files of
// exported map pictures, with LZW compression unless the export settings
// turn it off.
#include "modules/raster_io/image_writers.h"
#include "modules/raster_io/module_export.h"
#include "modules/raster_io/raster_body.h"
#include "platform/registry.h"

#include <cstdlib>

namespace {

const RasterFormat kTiff{"tiff", "TIFF", "tfw", nullptr};

// The "lzw" value of the TIFF export settings: on unless it is 0.
bool lzwWanted()
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\Gorm 8.0\\Converters\\Exports\\TIFF", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return true;
    BYTE data[64] = {};
    DWORD type = 0, size = sizeof data - 1;
    bool lzw = true;
    if (RegQueryValueExA(key, "lzw", nullptr, &type, data, &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == 4)
            lzw = (data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24) != 0;
        else if (type == REG_SZ)
            lzw = std::atoi(reinterpret_cast<const char *>(data)) != 0;
    }
    RegCloseKey(key);
    return lzw;
}

} // namespace

MODULE_EXPORT int GormRasterBody(const char *fileName, HGLOBAL *header, HGLOBAL *bits,
                                 RasterBodyParams *params)
{
    return ReadRasterBody(kTiff, fileName, header, bits, params);
}

MODULE_EXPORT const char *GormConverterLastError() { return RasterLastError(); }

MODULE_EXPORT int CreateTIFFFile(const char *fileName, HBITMAP bitmap)
{
    const QImage picture = BitmapPicture(bitmap);
    if (picture.isNull())
        return 0;
    // Qt's TIFF writer: compression 1 is LZW, 0 none.
    return WritePicture(fileName, picture.convertToFormat(QImage::Format_RGB888), "tiff", -1,
                        lzwWanted() ? 1 : 0);
}

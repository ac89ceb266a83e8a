#include "modules/raster_io/image_writers.h"

#include "modules/raster_io/raster_body.h"
#include "platform/gdi_objects.h"
#include "platform/large_image.h"

#include <QFileInfo>
#include <QImageWriter>

#include <cstring>
#include <string>

namespace {

int fail(const std::string &text)
{
    SetRasterLastError(text);
    return 0;
}

int written(QImageWriter &writer, const QImage &picture, const std::string &what)
{
    if (!writer.write(picture))
        return fail("The image " + what + " cannot be written: " + writer.errorString().toStdString());
    SetRasterLastError("");
    return 1;
}

} // namespace

QImage BitmapPicture(HBITMAP bitmap)
{
    const QImage image = GetBitmapImage(bitmap);
    if (image.isNull())
        SetRasterLastError("The picture to write is not a bitmap");
    return image;
}

int WritePicture(const char *fileName, const QImage &picture, const char *qtFormat, int quality,
                 int compression)
{
    if (!fileName || !*fileName)
        return fail("No image file was named");
    if (picture.isNull())
        return fail("The picture to write is not a bitmap");
    QImageWriter writer(QString::fromLocal8Bit(fileName), qtFormat);
    if (quality >= 0)
        writer.setQuality(quality);
    if (compression >= 0)
        writer.setCompression(compression);
    return written(writer, picture, std::string("\"") + fileName + "\"");
}

QImage PictureFromRgbRows(int width, int height, int stride, int bitsPerChannel, const uint8_t *rows)
{
    if (!rows || bitsPerChannel != 8 || width <= 0 || height <= 0 ||
        int64_t(width) * height > kMaxRasterPixels || int64_t(stride) < int64_t(width) * 3) {
        SetRasterLastError("The rows to write do not describe a picture");
        return QImage();
    }
    // Written whole at once: a large block (see large_block.h).
    QImage picture = LargeImage(width, height, QImage::Format_RGB888);
    if (picture.isNull()) {
        SetRasterLastError("Not enough memory for the picture to write");
        return picture;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.scanLine(y), rows + int64_t(height - 1 - y) * stride, size_t(width) * 3);
    return picture;
}

int WritePng(QIODevice *device, const char *what, const QImage &picture, int mode, int level)
{
    if (picture.isNull())
        return 0; // the reason is kept already
    if (mode < -1 || mode > 1 || level < -1 || level > 3)
        return fail("Unknown PNG mode or compression level");
    const QImage out = mode == 1 ? picture.convertToFormat(QImage::Format_Indexed8) : picture;
    QImageWriter writer(device, "png");
    // Qt's PNG writer takes the zlib level from the quality: 100 - 91 x level / 9.
    switch (level) {
    case 1:
        writer.setQuality(100); // level 0: stored
        break;
    case 2:
        writer.setQuality(89); // level 1
        break;
    case 3:
        writer.setQuality(0); // level 9
        break;
    default:
        break;
    }
    return written(writer, out, what);
}

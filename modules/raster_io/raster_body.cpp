#include "modules/raster_io/raster_body.h"

#include "modules/raster_io/format_checks.h"
#include "modules/raster_io/world_file.h"
#include "platform/global_memory.h"
#include "platform/stretch_dib.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cstring>

namespace {

// Not thread-local: the module is unloaded after each call, and the leak
// checker cannot walk the thread-local block of an unloaded module. One
// thread calls a window's converters at a time (the window stops its
// drawing thread before it reads rasters itself).
std::string lastError;

int fail(const std::string &text)
{
    lastError = text;
    return 0;
}

std::string quoted(const char *fileName) { return std::string("\"") + fileName + "\""; }

// A picture as the engine keeps it: header with colour table, and rows.
struct DibImage {
    std::vector<uint8_t> header;
    QImage source; // Indexed8 or RGB888
    int bitCount = 24;
};

DibImage toDib(QImage image, const std::optional<DotsPerInch> &dpi)
{
    DibImage d;
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
        image = image.convertToFormat(QImage::Format_Indexed8);
    QList<QRgb> table;
    if (image.format() == QImage::Format_Indexed8 && image.colorCount() > 0) {
        table = image.colorTable();
        d.bitCount = table.size() <= 2 ? 1 : table.size() <= 16 ? 4 : 8;
        d.source = image;
    } else {
        if (image.hasAlphaChannel()) { // transparent parts on white
            QImage flat(image.size(), QImage::Format_RGB32);
            flat.fill(Qt::white);
            QPainter painter(&flat);
            painter.drawImage(0, 0, image);
            painter.end();
            image = flat;
        }
        d.source = image.convertToFormat(QImage::Format_RGB888);
    }
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = image.width();
    h.biHeight = image.height();
    h.biPlanes = 1;
    h.biBitCount = WORD(d.bitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(DibRowBytes(image.width(), d.bitCount) * image.height());
    if (dpi) {
        h.biXPelsPerMeter = LONG(dpi->x / 0.0254 + 0.5);
        h.biYPelsPerMeter = LONG(dpi->y / 0.0254 + 0.5);
    }
    h.biClrUsed = DWORD(table.size());
    d.header.resize(40 + 4 * table.size());
    std::memcpy(d.header.data(), &h, 40);
    for (qsizetype i = 0; i < table.size(); ++i) {
        const RGBQUAD q{BYTE(qBlue(table[i])), BYTE(qGreen(table[i])), BYTE(qRed(table[i])), 0};
        std::memcpy(d.header.data() + 40 + 4 * i, &q, 4);
    }
    return d;
}

// The rows of the picture, bottom row first, into p.
void writeRows(const DibImage &d, uint8_t *p)
{
    const int w = d.source.width(), h = d.source.height();
    const int64_t rowBytes = DibRowBytes(w, d.bitCount);
    for (int y = 0; y < h; ++y) {
        const uchar *in = d.source.constScanLine(y);
        uint8_t *out = p + int64_t(h - 1 - y) * rowBytes;
        switch (d.bitCount) {
        case 1:
            for (int x = 0; x < w; ++x)
                out[x / 8] |= uint8_t((in[x] & 1) << (7 - x % 8));
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                out[x / 2] |= uint8_t((in[x] & 15) << (x % 2 ? 0 : 4));
            break;
        case 8:
            std::memcpy(out, in, size_t(w));
            break;
        default:
            for (int x = 0; x < w; ++x) {
                out[3 * x] = in[3 * x + 2];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x];
            }
        }
    }
}

HGLOBAL blockOf(const void *data, size_t bytes)
{
    const HGLOBAL mem = GlobalAlloc(GHND, bytes);
    if (mem && data) {
        std::memcpy(GlobalLock(mem), data, bytes);
        GlobalUnlock(mem);
    }
    return mem;
}

} // namespace

const char *RasterLastError() { return lastError.c_str(); }

void SetRasterLastError(const std::string &text) { lastError = text; }

int ReadRasterBody(const RasterFormat &format, const char *fileName, HGLOBAL *header, HGLOBAL *bits,
                   RasterBodyParams *params)
{
    lastError.clear();
    if (!fileName || !*fileName)
        return fail("No image file was named");
    const QString path = QString::fromLocal8Bit(fileName);
    const QFileInfo info(path);
    if (!info.exists())
        return fail("The image file " + quoted(fileName) + " does not exist");
    if (info.isDir())
        return fail(quoted(fileName) + " is a folder, not an image file");
    if (info.size() == 0)
        return fail("The image file " + quoted(fileName) + " is empty");

    QImageReader reader(path, format.qtFormat);
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead())
        return fail(quoted(fileName) + " is not a " + format.title + " image");
    // The size comes from the header, before any pixel is decoded: our own
    // reading of it first, since Qt's readers decline to tell sizes beyond
    // their own limits.
    auto tooLarge = [&](long long width, long long height) {
        return fail("The image " + quoted(fileName) + " has " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels, more than the " + std::to_string(kMaxRasterPixels) +
                    " that can be loaded");
    };
    if (const std::optional<StatedDimensions> stated = StatedSize(fileName))
        if (stated->width * stated->height > kMaxRasterPixels)
            return tooLarge(stated->width, stated->height);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return fail("The " + std::string(format.title) + " image " + quoted(fileName) +
                    " is damaged: its size cannot be read");
    if (int64_t(size.width()) * size.height() > kMaxRasterPixels)
        return tooLarge(size.width(), size.height());
    if (format.complete && !format.complete(fileName))
        return fail("The " + std::string(format.title) + " image " + quoted(fileName) +
                    " is cut short or damaged");

    const std::optional<DotsPerInch> dpi = StatedResolution(fileName);
    HGLOBAL headerBlock = 0, bitsBlock = 0;
    if (header || bits) {
        // Room for the largest image allowed, as 32-bit pixels while decoding.
        reader.setAllocationLimit(int(kMaxRasterPixels * 4 / (1024 * 1024)) + 1);
        QImage image;
        if (!reader.read(&image) || image.isNull())
            return fail("The " + std::string(format.title) + " image " + quoted(fileName) +
                        " cannot be read: " + reader.errorString().toStdString());
        const DibImage dib = toDib(image, dpi);
        if (header && !(headerBlock = blockOf(dib.header.data(), dib.header.size())))
            return fail("Not enough memory for the image " + quoted(fileName));
        if (bits) {
            const size_t bytes = size_t(DibRowBytes(image.width(), dib.bitCount)) * size_t(image.height());
            bitsBlock = GlobalAlloc(GHND, bytes);
            if (!bitsBlock) {
                if (headerBlock)
                    GlobalFree(headerBlock);
                return fail("Not enough memory for the image " + quoted(fileName));
            }
            writeRows(dib, static_cast<uint8_t *>(GlobalLock(bitsBlock)));
            GlobalUnlock(bitsBlock);
        }
    }

    if (params) {
        if (const std::optional<WorldFile> w = FindWorldFile(fileName, format.worldExtension)) {
            params->d[0] = w->pixelWidth;
            params->d[1] = w->pixelHeight;
            params->d[6] = w->left;
            params->d[7] = w->top;
            params->d[3] = w->left + size.width() * w->pixelWidth;
            params->d[4] = w->top - size.height() * w->pixelHeight;
        }
        if (dpi) {
            params->d[9] = dpi->x;
            params->d[10] = dpi->y;
        }
    }
    if (header)
        *header = headerBlock;
    if (bits)
        *bits = bitsBlock;
    return 1;
}

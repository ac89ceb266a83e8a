#include "tests/modules/raster/raster_modules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstring>

DecodedBlocks DecodeAndFree(HGLOBAL header, HGLOBAL bits)
{
    DecodedBlocks d;
    const auto *h = static_cast<const uint8_t *>(GlobalLock(header));
    const auto *p = static_cast<const uint8_t *>(GlobalLock(bits));
    if (h && p) {
        int32_t width, height, used, xpm;
        uint16_t count;
        std::memcpy(&width, h + 4, 4);
        std::memcpy(&height, h + 8, 4);
        std::memcpy(&count, h + 14, 2);
        std::memcpy(&xpm, h + 24, 4);
        std::memcpy(&used, h + 32, 4);
        d.bitCount = count;
        d.colours = used;
        d.xPelsPerMeter = xpm;
        d.image = QImage(width, height, QImage::Format_RGB32);
        const int64_t row = (int64_t(width) * count + 31) / 32 * 4;
        if (GlobalSize(bits) < size_t(row * height) || GlobalSize(header) < size_t(40 + 4 * used)) {
            ADD_FAILURE() << "blocks shorter than their header";
            d.image = QImage();
        } else {
            for (int y = 0; y < height; ++y) {
                const uint8_t *r = p + (height - 1 - y) * row;
                for (int x = 0; x < width; ++x) {
                    QRgb c;
                    if (count == 24) {
                        c = qRgb(r[3 * x + 2], r[3 * x + 1], r[3 * x]);
                    } else {
                        const int perByte = 8 / count;
                        const int index =
                            (r[x / perByte] >> (8 - count * (x % perByte + 1))) & ((1 << count) - 1);
                        const uint8_t *q = h + 40 + 4 * index;
                        c = index < used ? qRgb(q[2], q[1], q[0]) : qRgb(0, 0, 0);
                    }
                    d.image.setPixel(x, y, c);
                }
            }
        }
    }
    if (h)
        GlobalUnlock(header);
    if (p)
        GlobalUnlock(bits);
    GlobalFree(header);
    GlobalFree(bits);
    return d;
}

GdalInfo RunGdalInfo(const QString &path)
{
    GdalInfo g;
    QProcess gdal;
    gdal.start("gdalinfo", {"-json", path});
    if (!gdal.waitForFinished(30000) || gdal.exitCode() != 0)
        return g;
    const QJsonObject o = QJsonDocument::fromJson(gdal.readAllStandardOutput()).object();
    const QJsonArray size = o["size"].toArray();
    g.ok = size.size() == 2;
    g.width = size.at(0).toInt();
    g.height = size.at(1).toInt();
    const QJsonObject corners = o["cornerCoordinates"].toObject();
    if (o.contains("geoTransform") && corners.contains("upperLeft")) {
        g.hasCorners = true;
        g.upperLeft[0] = corners["upperLeft"].toArray().at(0).toDouble();
        g.upperLeft[1] = corners["upperLeft"].toArray().at(1).toDouble();
        g.lowerRight[0] = corners["lowerRight"].toArray().at(0).toDouble();
        g.lowerRight[1] = corners["lowerRight"].toArray().at(1).toDouble();
    }
    g.compression =
        o["metadata"].toObject()["IMAGE_STRUCTURE"].toObject()["COMPRESSION"].toString().toStdString();
    return g;
}

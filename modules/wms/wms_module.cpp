// "wms.cnv": the raster converter of web map server pictures. Its file name
// is the address of a GetMap request; the picture is fetched by an HTTP GET
// that gives up after "Timeout" milliseconds (under
// "Converters\Imports\WMS", 30000 by default) and read like an image file.
#include "modules/raster_io/format_checks.h"
#include "modules/raster_io/module_export.h"
#include "modules/raster_io/raster_body.h"
#include "modules/wms/http_get.h"
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>

#include <cmath>

namespace {

constexpr const char *kSettingsKey = "Software\\KRT\\Gorm 8.0\\Converters\\Imports\\WMS";
constexpr int kDefaultTimeoutMs = 30000;
constexpr size_t kMaxPictureBytes = 256u * 1024u * 1024u;

int timeoutMs()
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return kDefaultTimeoutMs;
    DWORD type = 0, value = 0, size = sizeof value;
    const bool ok = RegQueryValueExA(key, "Timeout", nullptr, &type, reinterpret_cast<BYTE *>(&value),
                                     &size) == ERROR_SUCCESS &&
                    type == REG_DWORD && value > 0;
    RegCloseKey(key);
    return ok ? int(std::min<DWORD>(value, 600000)) : kDefaultTimeoutMs;
}

// The reader of the picture's format, told by its first bytes (servers do
// not always name the type they send).
const RasterFormat *formatOf(const std::string &bytes)
{
    static const RasterFormat png{"png", "PNG", "pgw", PngIsComplete};
    static const RasterFormat jpeg{"jpeg", "JPEG", "jgw", JpegIsComplete};
    static const RasterFormat gif{"gif", "GIF", "gfw", GifIsComplete};
    static const RasterFormat tiff{"tiff", "TIFF", "tfw", nullptr};
    static const RasterFormat bmp{"bmp", "BMP", "bpw", BmpIsComplete};
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
        return &png;
    if (bytes.compare(0, 3, "\xff\xd8\xff") == 0)
        return &jpeg;
    if (bytes.compare(0, 4, "GIF8") == 0)
        return &gif;
    if (bytes.compare(0, 4, "II*\0", 4) == 0 || bytes.compare(0, 4, "MM\0*", 4) == 0)
        return &tiff;
    if (bytes.compare(0, 2, "BM") == 0)
        return &bmp;
    return nullptr;
}

// The stored GetMap address asks for the view the engine passes: west,
// south, east and north in degrees and the picture's size in pixels replace
// whatever bounds and size the address held. An address without them is
// fetched as it is.
std::string requestFor(const char *address, const RasterBodyParams *params)
{
    const std::string stored = address ? address : "";
    if (!params)
        return stored;
    const double *d = params->d;
    const bool bounds = std::isfinite(d[3]) && std::isfinite(d[4]) && std::isfinite(d[6]) &&
                        std::isfinite(d[7]) && std::fabs(d[3]) <= 360 && std::fabs(d[6]) <= 360 &&
                        std::fabs(d[4]) <= 90 && std::fabs(d[7]) <= 90 && d[6] > d[3] && d[7] > d[4];
    const bool size = d[9] >= 1 && d[9] <= 16384 && d[10] >= 1 && d[10] <= 16384;
    if (!bounds || !size)
        return stored;
    QUrl url(QString::fromStdString(stored));
    QUrlQuery query(url);
    QUrlQuery kept;
    for (const auto &[key, value] : query.queryItems(QUrl::FullyEncoded)) {
        const QString upper = key.toUpper();
        if (upper != QLatin1String("BBOX") && upper != QLatin1String("WIDTH") &&
            upper != QLatin1String("HEIGHT"))
            kept.addQueryItem(key, value);
    }
    const auto number = [](double v) { return QString::number(v, 'g', 12); };
    kept.addQueryItem(QStringLiteral("BBOX"),
                      number(d[3]) + ',' + number(d[4]) + ',' + number(d[6]) + ',' + number(d[7]));
    kept.addQueryItem(QStringLiteral("WIDTH"), QString::number(int(d[9])));
    kept.addQueryItem(QStringLiteral("HEIGHT"), QString::number(int(d[10])));
    url.setQuery(kept);
    return url.toString(QUrl::FullyEncoded).toStdString();
}

} // namespace

MODULE_EXPORT const char *GormConverterLastError() { return RasterLastError(); }

MODULE_EXPORT int GormRasterBody(const char *address, HGLOBAL *header, HGLOBAL *bits,
                                 RasterBodyParams *params)
{
    const std::string url = requestFor(address, params);
    HttpResult answer;
    std::string error;
    if (!HttpGet(url, timeoutMs(), kMaxPictureBytes, &answer, &error)) {
        SetRasterLastError("The map server picture \"" + url + "\" cannot be fetched: " + error);
        return 0;
    }
    if (answer.status != 200) {
        SetRasterLastError("The map server answered \"" + url + "\" with status " +
                           std::to_string(answer.status));
        return 0;
    }
    const RasterFormat *format = formatOf(answer.body);
    if (!format) {
        // A server's error report comes as XML or text.
        SetRasterLastError("The map server sent no picture for \"" + url + "\" (" +
                           (answer.contentType.empty() ? std::string("no type") : answer.contentType) + ")");
        return 0;
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        SetRasterLastError("No temporary folder for the map server picture");
        return 0;
    }
    const QString path = folder.filePath(QStringLiteral("picture"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(answer.body.data(), qint64(answer.body.size())) != qint64(answer.body.size())) {
        SetRasterLastError("The map server picture cannot be kept in a temporary file");
        return 0;
    }
    file.close();
    // A fetched picture has no world file: its place is the request's.
    return ReadRasterBody(*format, path.toLocal8Bit().constData(), header, bits, params);
}

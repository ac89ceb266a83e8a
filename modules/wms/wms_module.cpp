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

#include <cctype>
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

// A type that may hold a picture: an image type, a generic one or none
// (servers do not always name what they send).
bool namesPicture(const std::string &contentType)
{
    const std::string type = contentType.substr(0, contentType.find(';'));
    return type.empty() || type.rfind("image/", 0) == 0 || type == "application/octet-stream" ||
           type == "binary/octet-stream";
}

// The text of a server's report in one line for a message: markup taken
// out, white space run together, cut to 200 characters.
std::string serverText(const std::string &body)
{
    std::string text;
    bool inTag = false;
    for (size_t i = 0; i < body.size() && text.size() < 200; ++i) {
        const unsigned char c = static_cast<unsigned char>(body[i]);
        if (c == '<')
            inTag = true;
        else if (c == '>' && inTag) {
            inTag = false;
            if (!text.empty() && text.back() != ' ')
                text += ' ';
        } else if (!inTag) {
            if (std::isspace(c)) {
                if (!text.empty() && text.back() != ' ')
                    text += ' ';
            } else if (c < 0x20 || c == 0x7f) {
                return {}; // not text: a picture or other binary data
            } else {
                text += c < 0x80 ? char(c) : '?'; // messages keep to plain ASCII
            }
        }
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
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
        std::string status = std::to_string(answer.status);
        if (!answer.reason.empty())
            status += " " + answer.reason;
        const std::string said = serverText(answer.body);
        SetRasterLastError("The map server answered \"" + url + "\" with status " + status +
                           (said.empty() ? std::string() : ": " + said));
        return 0;
    }
    // A server's error report (an HTML page, a service exception in XML)
    // may come with status 200: only a picture of a known format goes on to
    // the decoder, told by its type and its own first bytes.
    const RasterFormat *format = namesPicture(answer.contentType) ? formatOf(answer.body) : nullptr;
    if (!format) {
        const std::string said = serverText(answer.body);
        SetRasterLastError("The map server sent no picture for \"" + url + "\" (" +
                           (answer.contentType.empty() ? std::string("no type") : answer.contentType) + ")" +
                           (said.empty() ? std::string() : ": " + said));
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

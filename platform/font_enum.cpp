#include "platform/font_enum.h"

#include "platform/dc.h"
#include "platform/text_codec.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

std::mutex hookLock;
FontFacesHook facesHook;

std::vector<FontFace> CurrentFaces()
{
    FontFacesHook hook;
    {
        std::lock_guard lock(hookLock);
        hook = facesHook;
    }
    return hook ? hook() : SystemFontFaces();
}

// The description and metrics of a face at a character height of pixels.
void Describe(const FontFace &face, int pixels, LOGFONTA &lf, TEXTMETRICA &tm)
{
    QFont font(QString::fromStdString(face.name));
    font.setPixelSize(std::max(pixels, 1));
    const QFontMetrics metrics(font);

    tm = {};
    tm.tmAscent = metrics.ascent();
    tm.tmDescent = metrics.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - pixels);
    tm.tmExternalLeading = std::max(0, metrics.leading());
    tm.tmAveCharWidth = metrics.averageCharWidth();
    tm.tmMaxCharWidth = metrics.maxWidth();
    tm.tmWeight = FW_NORMAL;
    tm.tmFirstChar = ' ';
    tm.tmLastChar = char(0xFF);
    tm.tmDefaultChar = '?';
    tm.tmBreakChar = ' ';
    tm.tmCharSet = ANSI_CHARSET;

    lf = {};
    lf.lfHeight = tm.tmHeight;
    lf.lfWidth = tm.tmAveCharWidth;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    const std::string name = ToWindows1252(QString::fromStdString(face.name));
    std::memcpy(lf.lfFaceName, name.data(), std::min<size_t>(name.size(), LF_FACESIZE - 1));
}

int PixelsOf(double points, int dpi) { return int(std::lround(points * dpi / 72.0)); }

} // namespace

std::vector<FontFace> SystemFontFaces()
{
    std::vector<FontFace> faces;
    const QStringList families = QFontDatabase::families();
    for (const QString &family : families) {
        FontFace face;
        face.name = family.toStdString();
        face.scalable = QFontDatabase::isSmoothlyScalable(family);
        QList<int> sizes;
        if (face.scalable) {
            const QStringList styles = QFontDatabase::styles(family);
            sizes = QFontDatabase::smoothSizes(family, styles.isEmpty() ? QString() : styles.first());
        }
        if (sizes.isEmpty())
            sizes = QFontDatabase::pointSizes(family);
        for (int size : sizes)
            face.pointSizes.push_back(size);
        faces.push_back(std::move(face));
    }
    return faces;
}

FontFacesHook SetFontFacesHook(FontFacesHook hook)
{
    std::lock_guard lock(hookLock);
    std::swap(facesHook, hook);
    return hook;
}

int EnumFontFamiliesExA(HDC dc, const LOGFONTA *filter, FONTENUMPROCA proc, LPARAM data, DWORD /*flags*/)
{
    if (!filter || !proc || !gdi::FindDC(dc))
        return 0;
    const int dpi = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
    const QString wanted =
        FromWindows1252(std::string_view(filter->lfFaceName, strnlen(filter->lfFaceName, LF_FACESIZE)));

    int answer = 1;
    LOGFONTA lf;
    TEXTMETRICA tm;
    for (const FontFace &face : CurrentFaces()) {
        const DWORD type = face.scalable ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE;
        if (wanted.isEmpty()) {
            Describe(face, PixelsOf(12, dpi), lf, tm);
            answer = proc(&lf, &tm, type, data);
            if (answer == 0)
                return 0;
            continue;
        }
        if (QString::fromStdString(face.name).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        std::vector<double> sizes = face.pointSizes;
        std::sort(sizes.begin(), sizes.end());
        for (double points : sizes) {
            // Qt renders a glyph cache per size: nothing beyond any screen.
            if (!(points > 0) || points * dpi / 72.0 > 8192)
                continue;
            Describe(face, PixelsOf(points, dpi), lf, tm);
            answer = proc(&lf, &tm, type, data);
            if (answer == 0)
                return 0;
        }
    }
    return answer;
}

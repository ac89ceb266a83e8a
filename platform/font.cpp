#include "platform/font_object.h"

#include "platform/dc.h"
#include "platform/dib_bits.h"
#include "platform/text_codec.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gdi {

namespace {

// Qt renders a glyph bitmap per size: a height far beyond any screen would
// only cost memory.
constexpr int kMaxPixelSize = 8192;
constexpr int kDefaultCellHeight = 16;

QString faceName(const LOGFONTA &lf)
{
    const size_t n = strnlen(lf.lfFaceName, LF_FACESIZE);
    return FromWindows1252(std::string_view(lf.lfFaceName, n));
}

} // namespace

QFont ToQFont(const LOGFONTA &lf)
{
    const QString face = faceName(lf);
    QFont f(face.isEmpty() ? QStringLiteral("Liberation Sans") : face);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setWeight(lf.lfWeight <= 0 ? QFont::Normal : QFont::Weight(std::clamp<LONG>(lf.lfWeight, 1, 1000)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    const int64_t height = lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight;
    if (height < 0) {
        f.setPixelSize(int(std::min<int64_t>(-height, kMaxPixelSize)));
    } else {
        // A cell height: scale the character height so that ascent plus
        // descent come out at the height asked for.
        const int cell = int(std::min<int64_t>(height, kMaxPixelSize));
        f.setPixelSize(cell);
        const int measured = QFontMetrics(f).height();
        if (measured > 0)
            f.setPixelSize(std::max(1, int(std::lround(double(cell) * cell / measured))));
    }
    if (lf.lfWidth > 0) {
        const int average = QFontMetrics(f).averageCharWidth();
        if (average > 0)
            f.setStretch(std::clamp(int(std::lround(lf.lfWidth * 100.0 / average)), 1, 4000));
    }
    return f;
}

} // namespace gdi

namespace {

const gdi::Font *selectedFont(const gdi::DeviceContext *dc)
{
    return gdi::FindAs<gdi::Font>(dc->font, gdi::Kind::Font);
}

bool hasTarget(const gdi::DeviceContext *dc) { return dc->target && !dc->target->isNull(); }

QColor toColor(COLORREF c, int alpha = 255)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c), alpha);
}

void preparePainter(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
}

} // namespace

HFONT CreateFontIndirectA(const LOGFONTA *description)
{
    if (!description)
        return 0;
    auto *font = new gdi::Font;
    font->description = *description;
    font->description.lfFaceName[LF_FACESIZE - 1] = 0;
    return gdi::Add(font);
}

int GetObjectA(HGDIOBJ object, int size, void *buffer)
{
    if (GetObjectType(object) == OBJ_BITMAP)
        return GetBitmapObject(object, size, static_cast<BITMAP *>(buffer));
    const auto *font = gdi::FindAs<gdi::Font>(object, gdi::Kind::Font);
    if (!font)
        return 0;
    if (!buffer)
        return int(sizeof(LOGFONTA));
    if (size <= 0)
        return 0;
    const size_t n = std::min(size_t(size), sizeof(LOGFONTA));
    std::memcpy(buffer, &font->description, n);
    return int(n);
}

BOOL GetTextExtentPoint32A(HDC hdc, const char *text, int length, SIZE *size)
{
    const gdi::DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || !size || length < 0 || (!text && length > 0))
        return FALSE;
    const gdi::Font *font = selectedFont(dc);
    if (!font)
        return FALSE;
    const QFontMetrics metrics(gdi::ToQFont(font->description));
    const QString s = FromWindows1252(std::string_view(text ? text : "", size_t(length)));
    size->cx = metrics.horizontalAdvance(s);
    size->cy = metrics.height();
    return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, const char *text, int length)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc || length < 0 || (!text && length > 0))
        return FALSE;
    const gdi::Font *font = selectedFont(dc);
    if (!font)
        return FALSE;
    if (!hasTarget(dc) || length == 0)
        return TRUE;
    const QFont qfont = gdi::ToQFont(font->description);
    const QFontMetrics metrics(qfont);
    const QString s = FromWindows1252(std::string_view(text, size_t(length)));
    QPainter painter(dc->target);
    preparePainter(painter);
    painter.translate(x, y);
    painter.rotate(-font->description.lfEscapement / 10.0);
    if (dc->bkMode == OPAQUE)
        painter.fillRect(QRect(0, 0, metrics.horizontalAdvance(s), metrics.height()), toColor(dc->bkColor));
    painter.setFont(qfont);
    painter.setPen(toColor(dc->textColor));
    painter.drawText(QPoint(0, metrics.ascent()), s);
    return TRUE;
}

BOOL DrawTranslucentRotatedText(HDC hdc, int x, int y, std::string_view text, COLORREF color, int alpha,
                                double angleDegrees)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    if (!dc)
        return FALSE;
    const gdi::Font *font = selectedFont(dc);
    if (!font)
        return FALSE;
    alpha = std::clamp(alpha, 0, 255);
    if (!hasTarget(dc) || text.empty() || alpha == 0)
        return TRUE;
    LOGFONTA unturned = font->description;
    unturned.lfEscapement = 0;
    const QFont qfont = gdi::ToQFont(unturned);
    QPainter painter(dc->target);
    preparePainter(painter);
    painter.translate(x, y);
    painter.rotate(-angleDegrees);
    painter.setFont(qfont);
    painter.setPen(toColor(color));
    // The raster engine draws one-bit glyphs without the pen's alpha, so the
    // blending comes from the painter's opacity.
    painter.setOpacity(alpha / 255.0);
    painter.drawText(QPoint(0, QFontMetrics(qfont).ascent()), FromWindows1252(text));
    return TRUE;
}

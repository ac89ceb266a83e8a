// Reads printed PDF files back with poppler's tools (pdfinfo, pdftoppm from
// poppler-utils): the page count, page size and title, and a page rendered
// to an image.
#pragma once

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

struct PdfInfo {
    bool ok = false;
    int pages = 0;
    double width = 0; // points
    double height = 0;
    QString title;
};

inline PdfInfo ReadPdfInfo(const QString &path)
{
    PdfInfo info;
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return info;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    const auto size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(out);
    const auto title = QRegularExpression(QStringLiteral("Title:\\s+([^\\n]*)")).match(out);
    info.ok = pages.hasMatch() && size.hasMatch();
    info.pages = pages.captured(1).toInt();
    info.width = size.captured(1).toDouble();
    info.height = size.captured(2).toDouble();
    info.title = title.captured(1).trimmed();
    return info;
}

// Page n (from 1) at dpi pixels per inch; a null image on failure.
inline QImage RenderPdfPage(const QString &path, int page, int dpi)
{
    QTemporaryDir dir;
    QProcess p;
    const QString prefix = dir.path() + QStringLiteral("/page");
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"),
             QStringLiteral("-png"), path, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

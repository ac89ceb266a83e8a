#include "modules/raster_io/world_file.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {

std::optional<WorldFile> readWorldFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || file.size() > 4096 || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QStringList fields =
        QString::fromLatin1(file.readAll()).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    if (fields.size() < 6)
        return std::nullopt;
    double v[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        v[i] = fields[i].toDouble(&ok); // always with a point, whatever the locale
        if (!ok || !std::isfinite(v[i]))
            return std::nullopt;
    }
    const double a = v[0], d = v[1], b = v[2], e = v[3], c = v[4], f = v[5];
    if (d != 0 || b != 0 || a == 0 || e == 0)
        return std::nullopt; // rotated or degenerate: no placement by corners
    WorldFile w;
    w.pixelWidth = std::fabs(a);
    w.pixelHeight = std::fabs(e);
    w.left = c - a / 2;
    w.top = f - e / 2;
    return w;
}

} // namespace

std::optional<WorldFile> FindWorldFile(const std::string &imagePath, const std::string &extension)
{
    const QFileInfo image(QString::fromLocal8Bit(imagePath.c_str()));
    const QString stem = image.path() + "/" + image.completeBaseName();
    for (const QString &ext : {QString::fromLatin1(extension.c_str()), QStringLiteral("wld")})
        for (const QString &e : {ext.toLower(), ext.toUpper()})
            if (auto w = readWorldFile(stem + "." + e))
                return w;
    return std::nullopt;
}

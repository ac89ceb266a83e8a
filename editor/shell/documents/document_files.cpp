#include "editor/shell/documents/document_files.h"
#include "editor/shell/support/file_routines.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <cstdio>

double DayCountNow()
{
    // Local time, as the editors that share a document read their clocks.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    const QDateTime asUtc(now.date(), now.time(), Qt::UTC);
    return double(epoch.msecsTo(asUtc)) / 86400000.0;
}

std::string LockText(double dayCount)
{
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, dayCount, std::chars_format::general, 15);
    if (ec != std::errc())
        return "0\r\n";
    return std::string(buffer, end) + "\r\n";
}

std::optional<double> ParseLockText(const std::string &text)
{
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    line = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
    for (char &c : line)
        if (c == ',')
            c = '.';
    double value = 0;
    const char *begin = line.data();
    const char *end = begin + line.size();
    if (*begin == '+')
        ++begin;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool LockIsFresh(double lockTime, double now)
{
    const double age = now - lockTime;
    return age < kLockLifetimeDays && -age <= kLockLifetimeDays;
}

bool IsNetworkFileSystemType(int64_t type) { return DriveTypeOfFileSystem(type) == DRIVE_REMOTE; }

bool IsNetworkFolder(const std::string &folder) { return DriveType(folder) == DRIVE_REMOTE; }

std::string OpenFailureReason(const std::string &fileName)
{
    // A map document begins with a 120-byte header: the letter 'O', then
    // the words 1, 2, 2, -1 and -1 (little-endian).
    static constexpr unsigned char kHead[24] = {'O', 0, 0, 0, 1,    0,    0,    0,    2,    0,    0,    0,
                                                2,   0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    constexpr qint64 kHeaderSize = 120;
    const QString name = QFile::decodeName(fileName.c_str());
    QFile file(name);
    if (!QFileInfo(name).isFile() || !file.open(QIODevice::ReadOnly))
        return "The file cannot be read.";
    const QByteArray head = file.read(qint64(sizeof kHead));
    // The reserved bytes after the letter are not examined.
    bool mapHeader = file.size() >= kHeaderSize && head.size() == qsizetype(sizeof kHead) && head[0] == 'O';
    for (size_t i = 4; mapHeader && i < sizeof kHead; ++i)
        mapHeader = static_cast<unsigned char>(head[qsizetype(i)]) == kHead[i];
    return mapHeader ? "The map document is damaged." : "It is not a map document.";
}

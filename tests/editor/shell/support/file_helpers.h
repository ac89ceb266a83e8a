// Small file helpers for the tests of readers, writers and file routines.
#pragma once

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <string>
#include <sys/resource.h>

inline void WriteFile(const std::string &path, const std::string &bytes)
{
    QFile f(QString::fromStdString(path));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes.data(), qint64(bytes.size()));
}

inline std::string ReadFile(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

inline qint64 SizeOf(const std::string &path) { return QFileInfo(QString::fromStdString(path)).size(); }

// Files may not grow beyond a size for one scope: writes past it fail as on
// a full disk (EFBIG). Root may write any file, so this is how tests make
// writes fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// An X display of the test's own: an Xvfb server started through
// `xvfb-run -a` with the openbox window manager on it (so that programs can
// be maximised as on a desktop; Start returns once it manages the screen),
// and screenshots of its whole screen taken
// from outside with ImageMagick's import. Programs started afterwards with
// Environment() draw on it; the test's own DISPLAY is never used.
#pragma once

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <csignal>
#include <unistd.h>
#include <string>

class TestXDisplay {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 1024;

    TestXDisplay() = default;
    TestXDisplay(const TestXDisplay &) = delete;
    TestXDisplay &operator=(const TestXDisplay &) = delete;
    ~TestXDisplay() { Stop(); }

    // The programs the display needs that are missing, empty when none
    // (scripts/setup.sh installs them).
    static QStringList MissingTools(QStringList more = {})
    {
        QStringList missing;
        const QStringList tools =
            QStringList{"xvfb-run", "Xvfb", "xauth", "import", "openbox", "xdotool"} + more;
        for (const QString &tool : tools)
            if (QStandardPaths::findExecutable(tool).isEmpty())
                missing << tool;
        return missing;
    }

    // Starts the server with the given environment (DISPLAY and
    // WAYLAND_DISPLAY removed); empty on success, else what went wrong.
    // xvfb-run -a takes the first display number without a lock file from
    // where it starts looking; two of them started at once may both end up
    // reporting the same number, one of them with a server that did not
    // start. So each start looks from a number of its own, and the display
    // counts as ours only when its lock names the server our xvfb-run
    // started; otherwise it tries again.
    std::string Start(QProcessEnvironment base)
    {
        base.remove("DISPLAY");
        base.remove("WAYLAND_DISPLAY");
        std::string error;
        for (int attempt = 0; attempt < 8; ++attempt) {
            environment_ = base;
            error = TryStart(100 + int((::getpid() * 7 + attempt * 131) % 800));
            if (error.empty())
                return {};
            Stop();
        }
        return error;
    }

    void Stop()
    {
        if (holder_ > 0)
            ::kill(holder_, SIGTERM); // xvfb-run then stops its server
        holder_ = 0;
        if (server_.state() != QProcess::NotRunning && !server_.waitForFinished(20000)) {
            server_.kill();
            server_.waitForFinished(5000);
        }
    }

    // The environment for programs on this display (DISPLAY, XAUTHORITY).
    const QProcessEnvironment &Environment() const { return environment_; }
    QString Display() const { return environment_.value("DISPLAY"); }

    // The whole screen as the server shows it, written to the file; null
    // when import failed.
    QImage Screenshot(const QString &file) const
    {
        QProcess import;
        import.setProcessEnvironment(environment_);
        import.start("import", {"-window", "root", file});
        if (!import.waitForFinished(60000) || import.exitStatus() != QProcess::NormalExit ||
            import.exitCode() != 0)
            return {};
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }

private:
    // Run by xvfb-run once its server is up: starts the window manager,
    // waits until it manages the screen (it then announces the desktops
    // that xdotool asks for; a window shown before that may never be
    // mapped), says where the display is, and holds the server.
    static constexpr const char *kScript = "openbox >/dev/null 2>&1 &"
                                           " until xdotool get_desktop >/dev/null 2>&1; do sleep 0.05; done;"
                                           " echo \"$DISPLAY $XAUTHORITY $$\"; exec sleep 3600";

    std::string TryStart(int firstNumber)
    {
        server_.setProcessEnvironment(environment_);
        server_.start("xvfb-run", {"-a", "-n", QString::number(firstNumber), "-s",
                                   QString("-screen 0 %1x%2x24 -br -nolisten tcp").arg(kWidth).arg(kHeight),
                                   "sh", "-c", kScript});
        if (!server_.waitForStarted(30000))
            return "xvfb-run did not start";
        QByteArray line;
        while (!line.contains('\n') && server_.state() == QProcess::Running)
            if (server_.waitForReadyRead(120000))
                line += server_.readAllStandardOutput();
            else
                break;
        const QStringList parts = QString::fromLocal8Bit(line).trimmed().split(' ');
        if (parts.size() != 3)
            return "xvfb-run said \"" + line.toStdString() + "\" " +
                   server_.readAllStandardError().toStdString();
        environment_.insert("DISPLAY", parts[0]);
        environment_.insert("XAUTHORITY", parts[1]);
        holder_ = parts[2].toInt();
        if (ParentOf(LockOwner(parts[0])) != server_.processId())
            return "the display " + parts[0].toStdString() + " belongs to another server";
        return {};
    }

    // The process that holds the display's lock file, 0 when none.
    static qint64 LockOwner(const QString &display)
    {
        QFile lock("/tmp/.X" + display.mid(1) + "-lock");
        if (!lock.open(QIODevice::ReadOnly))
            return 0;
        return lock.readAll().trimmed().toLongLong();
    }

    static qint64 ParentOf(qint64 pid)
    {
        QFile stat(QString("/proc/%1/stat").arg(pid));
        if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
            return -1;
        // "pid (name) state ppid ...": the name may hold blanks.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return fields.size() > 1 ? fields[1].toLongLong() : -1;
    }

    QProcessEnvironment environment_;
    QProcess server_;
    int holder_ = 0;
};

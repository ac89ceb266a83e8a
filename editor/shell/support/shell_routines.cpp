#include "editor/shell/support/shell_routines.h"

#include "platform/text_codec.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QSysInfo>
#include <QUrl>

namespace {

ShellLaunchHook &Hook()
{
    static ShellLaunchHook hook;
    return hook;
}

bool Launch(const ShellLaunch &launch)
{
    if (Hook())
        return Hook()(launch);
    QStringList arguments;
    for (const std::string &a : launch.arguments)
        arguments << QFile::decodeName(a.c_str());
    return QProcess::startDetached(QFile::decodeName(launch.program.c_str()), arguments,
                                   QFile::decodeName(launch.workingFolder.c_str()));
}

bool IsWebLink(const std::string &text)
{
    const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
    return url.isValid() && url.scheme().size() > 1 && !url.host().isEmpty();
}

} // namespace

ShellLaunchHook SetShellLaunchHook(ShellLaunchHook hook)
{
    ShellLaunchHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

bool ShellOpen(HWND, const std::string &document)
{
    if (document.empty())
        return false;
    return Launch({"xdg-open", {document}, {}, SW_SHOWNORMAL});
}

int ShellRun(HWND, const std::string &program, const std::string &parameters, int showMode,
             const std::string &workingFolder)
{
    if (program.empty())
        return SE_ERR_FNF;
    ShellLaunch launch;
    launch.workingFolder = workingFolder;
    launch.showMode = showMode;
    const QString name = QFile::decodeName(program.c_str());
    const QFileInfo info(name);
    QString executable;
    if (info.isFile() && info.isExecutable())
        executable = info.absoluteFilePath();
    else if (!name.contains('/'))
        executable = QStandardPaths::findExecutable(name);
    if (!executable.isEmpty()) {
        launch.program = QFile::encodeName(executable).toStdString();
        for (const QString &a : QProcess::splitCommand(QString::fromLocal8Bit(parameters.c_str())))
            launch.arguments.push_back(a.toLocal8Bit().toStdString());
    } else if (info.exists() || IsWebLink(program)) {
        launch.program = "xdg-open";
        launch.arguments = {program};
    } else {
        return SE_ERR_FNF;
    }
    return Launch(launch) ? kShellRunStarted : SE_ERR_NOASSOC;
}

std::string WindowsVersionNameOf(int major, int minor, const std::string &servicePack)
{
    // Minors of two digits (4.10, 4.90) come down to one: at least 100,
    // not only above it, or 4.10 would read as 5.00.
    int m = minor * 10;
    while (m >= 100)
        m /= 10;
    const char *name = nullptr;
    switch (major * 100 + m) {
    case 400:
        name = "Windows 95";
        break;
    case 410:
        name = "Windows 98";
        break;
    case 490:
        name = "Windows Me";
        break;
    case 500:
        name = "Windows 2000";
        break;
    case 510:
        name = "Windows XP";
        break;
    case 520:
        name = "Windows XP x64";
        break;
    case 600:
        name = "Windows Vista";
        break;
    case 610:
        name = "Windows 7";
        break;
    default:
        return {};
    }
    std::string result = name;
    if (!servicePack.empty())
        result += " : " + servicePack;
    return result;
}

std::string WindowsVersionName() { return ToWindows1252(QSysInfo::prettyProductName()); }

std::string ProgramVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        return {};
    QStringList parts = version.split('.');
    std::string result;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint number = i < parts.size() ? parts[i].toUInt(&ok) : 0;
        if (i > 0)
            result += '.';
        result += std::to_string(ok ? number : 0);
    }
    return result;
}

void FillFontCombo(QComboBox *combo, const std::string &fontName, const std::string &defaultName)
{
    if (!combo)
        return;
    combo->clear();
    combo->addItems(QFontDatabase::families());
    for (const std::string &wanted : {fontName, defaultName}) {
        const int index =
            wanted.empty() ? -1 : combo->findText(FromWindows1252(wanted), Qt::MatchFixedString);
        if (index >= 0) {
            combo->setCurrentIndex(index);
            return;
        }
    }
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

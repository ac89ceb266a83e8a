#include "editor/shell/support/save_dialog.h"

#include "editor/shell/support/paths.h"

#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QStringList>

namespace {

SaveDialogHook &Hook()
{
    static SaveDialogHook hook;
    return hook;
}

std::optional<std::string> AskPerson(const SaveDialogRequest &request)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ||
        QGuiApplication::platformName() == QLatin1String("offscreen"))
        return std::nullopt;
    QStringList filters;
    for (const auto &[description, patterns] : request.filters)
        filters << QString::fromStdString(description + " (" + patterns + ")").replace(';', ' ');
    QFileDialog::Options options;
    if (!request.confirmOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    const QString chosen = QFileDialog::getSaveFileName(nullptr, QString::fromStdString(request.title),
                                                        QFile::decodeName(request.proposedName.c_str()),
                                                        filters.join(";;"), nullptr, options);
    if (chosen.isEmpty())
        return std::nullopt;
    return QFile::encodeName(chosen).toStdString();
}

} // namespace

SaveDialogHook SetSaveDialogHook(SaveDialogHook hook)
{
    SaveDialogHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

std::optional<std::string> ShowSaveDialog(const SaveDialogRequest &request)
{
    std::optional<std::string> chosen = Hook() ? Hook()(request) : AskPerson(request);
    if (!chosen || chosen->empty())
        return std::nullopt;
    if (!request.defaultExtension.empty() && ExtractFileExt(*chosen).empty())
        *chosen += "." + request.defaultExtension;
    return chosen;
}

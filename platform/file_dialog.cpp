#include "platform/file_dialog.h"

#include "platform/text_codec.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QStringList>
#include <filesystem>
#include <mutex>

namespace {

std::mutex &hookMutex()
{
    static std::mutex m;
    return m;
}

FileDialogHook &currentHook()
{
    static FileDialogHook hook;
    return hook;
}

bool canShowWidgets()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

std::optional<std::string> showQtDialog(const FileDialogRequest &r, const std::string &defaultExtension)
{
    QStringList filters;
    for (const auto &[description, patterns] : r.filters) {
        QString p = QString::fromStdString(patterns);
        p.replace(u';', u' ');
        filters << FromWindows1252(description) + QStringLiteral(" (") + p + u')';
    }
    QFileDialog dialog(nullptr, FromWindows1252(r.title));
    const bool save = (r.flags & OFN_SAVE_FORM) != 0;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save && !defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    dialog.setFileMode((r.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!r.initialPath.empty())
        dialog.selectFile(QString::fromLocal8Bit(r.initialPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

} // namespace

FileDialogHook SetFileDialogHook(FileDialogHook hook)
{
    std::lock_guard lock(hookMutex());
    std::swap(currentHook(), hook);
    return hook;
}

std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string &filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        const size_t end = bar == std::string::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].empty() && !parts[i + 1].empty())
            out.emplace_back(parts[i], parts[i + 1]);
    return out;
}

namespace {

std::optional<std::string> showDialog(const FileDialogRequest &request, const std::string &defaultExtension)
{
    FileDialogHook hook;
    {
        std::lock_guard lock(hookMutex());
        hook = currentHook();
    }
    std::optional<std::string> chosen;
    if (hook)
        chosen = hook(request);
    else if (canShowWidgets())
        chosen = showQtDialog(request, defaultExtension);
    if (!chosen || chosen->empty())
        return std::nullopt;
    std::error_code ec;
    const std::filesystem::path path(*chosen);
    if ((request.flags & OFN_FILEMUSTEXIST) && !std::filesystem::is_regular_file(path, ec))
        return std::nullopt;
    if ((request.flags & OFN_PATHMUSTEXIST) && path.has_parent_path() &&
        !std::filesystem::is_directory(path.parent_path(), ec))
        return std::nullopt;
    return chosen;
}

} // namespace

std::optional<std::string> ShowOpenFileDialog(const FileDialogRequest &request)
{
    FileDialogRequest open = request;
    open.flags &= ~OFN_SAVE_FORM;
    return showDialog(open, {});
}

std::optional<std::string> ShowSaveFileDialog(FileDialogRequest request, const std::string &defaultExtension)
{
    request.flags = (request.flags | OFN_SAVE_FORM) & ~OFN_FILEMUSTEXIST;
    std::optional<std::string> chosen = showDialog(request, defaultExtension);
    if (!chosen)
        return std::nullopt;
    const std::filesystem::path path(*chosen);
    if (!defaultExtension.empty() && !path.has_extension())
        *chosen += "." + defaultExtension;
    return chosen;
}

#include "editor/shell/support/data_folders.h"

#include "editor/shell/support/paths.h"
#include "editor_build_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>

namespace {

// An XDG variable counts only when it holds an absolute path.
std::string XdgFolder(const char *variable, const char *fallbackBelowHome)
{
    const char *value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    const QString home = QDir::homePath();
    if (home.isEmpty())
        return {};
    return (home + "/" + fallbackBelowHome).toStdString();
}

std::string DocumentsBase()
{
    const char *value = std::getenv("XDG_DOCUMENTS_DIR");
    if (value && value[0] == '/')
        return value;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}

std::string CommonDataBase()
{
    // An installed program lies in <prefix>/bin and its data in
    // <prefix>/share; a build puts its programs in <build>/bin and its
    // common data in <build>/share.
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!exe.isEmpty()) {
        const QString share = QFileInfo(exe).absolutePath() + QStringLiteral("/../share");
        if (QDir(share + "/" + kEditorFolderTail).exists())
            return QFile::encodeName(QDir(share).canonicalPath()).toStdString();
    }
    // A program of a build that is not installed, wherever it lies: the
    // build's own share folder.
    if (QDir(QStringLiteral(EDITOR_BUILD_SHARE_DIR)).exists())
        return EDITOR_BUILD_SHARE_DIR;
    return {};
}

std::string WithoutTrailingSeparator(std::string path)
{
    while (path.size() > 1 && IsPathSeparator(path.back()))
        path.pop_back();
    return path;
}

} // namespace

bool GetSpecialFolder(int csidl, std::string &path)
{
    path.clear();
    const char *moved = std::getenv(kEditorFoldersVariable);
    if (moved && moved[0] != '\0') {
        const char *sub = csidl == CSIDL_COMMON_APPDATA  ? "common"
                          : csidl == CSIDL_APPDATA       ? "data"
                          : csidl == CSIDL_LOCAL_APPDATA ? "state"
                          : csidl == CSIDL_PERSONAL      ? "documents"
                                                         : nullptr;
        if (sub)
            path = PathJoin(moved, sub);
    } else if (csidl == CSIDL_COMMON_APPDATA) {
        path = CommonDataBase();
    } else if (csidl == CSIDL_APPDATA) {
        path = XdgFolder("XDG_DATA_HOME", ".local/share");
    } else if (csidl == CSIDL_LOCAL_APPDATA) {
        path = XdgFolder("XDG_STATE_HOME", ".local/state");
    } else if (csidl == CSIDL_PERSONAL) {
        path = DocumentsBase();
    }
    path = WithoutTrailingSeparator(path);
    return !path.empty();
}

std::string EditorDataFolder(int csidl)
{
    std::string base;
    if (!GetSpecialFolder(csidl, base))
        return {};
    const std::string folder = PathJoin(base, kEditorFolderTail);
    if (csidl != CSIDL_COMMON_APPDATA)
        QDir().mkpath(QFile::decodeName(folder.c_str()));
    return folder;
}

std::string ProgramDataFolder()
{
    const std::string base = CommonDataBase();
    return base.empty() ? std::string() : PathJoin(base, kEditorFolderTail);
}

std::string FindProgramFile(const std::string &name, std::string *searched)
{
    if (searched)
        searched->clear();
    if (name.empty())
        return {};
    std::string common = EditorDataFolder(CSIDL_COMMON_APPDATA);
    std::string program = ProgramDataFolder();
    for (const std::string *folder : {&common, &program}) {
        if (folder->empty() || (folder == &program && program == common))
            continue;
        if (searched)
            *searched += (searched->empty() ? "" : ", ") + *folder;
        const std::string path = PathJoin(*folder, name);
        if (QFileInfo(QFile::decodeName(path.c_str())).isFile())
            return path;
    }
    return {};
}

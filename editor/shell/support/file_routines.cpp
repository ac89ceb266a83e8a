#include "editor/shell/support/file_routines.h"

#include "editor/shell/support/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

bool IsRootOrEmpty(const std::string &folder)
{
    std::string trimmed = folder;
    while (!trimmed.empty() && IsPathSeparator(trimmed.back()))
        trimmed.pop_back();
    if (folder.empty())
        return true;
    if (trimmed.empty())
        return true; // "/" and the like
    const QString canonical = QFileInfo(QFile::decodeName(folder.c_str())).canonicalFilePath();
    return canonical == QLatin1String("/");
}

// The names in a folder in name order, "." and ".." left out; false when it
// cannot be read.
bool FolderNames(const std::string &folder, std::vector<std::string> &names)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

void ListInto(const std::string &folder, std::vector<std::string> &list)
{
    std::vector<std::string> names;
    if (!FolderNames(folder, names))
        return;
    for (const std::string &name : names) {
        if (name[0] == '.')
            continue;
        const std::string path = folder + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            list.push_back(path + kPathSeparator);
            ListInto(path + kPathSeparator, list);
        } else {
            list.push_back(path); // files, and links of any kind as themselves
        }
    }
}

bool CopyContents(int from, int to)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += w;
        }
    }
}

std::string CanonicalTarget(const std::string &target)
{
    const QFileInfo info(QFile::decodeName(target.c_str()));
    if (info.exists())
        return QFile::encodeName(info.canonicalFilePath()).toStdString();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? std::string() : QFile::encodeName(folder + "/" + info.fileName()).toStdString();
}

} // namespace

void AddBackslash(std::string &path)
{
    if (path.empty() || !IsPathSeparator(path.back()))
        path += kPathSeparator;
}

std::string ShortenPath(const std::string &path, int maximum)
{
    if (maximum < 1 || path.empty())
        return {};
    const std::string name = ExtractFileName(path);
    const int nameLength = int(name.size());
    if (maximum < nameLength + 7)
        return name;
    if (int(path.size()) <= maximum)
        return path;
    // Walk the separators (positions from 1) until one lies at
    // maximum - nameLength - 3 or beyond; cut after the one before it.
    int previous = 0, current = 0;
    for (int i = 1; i <= int(path.size()); ++i) {
        if (!IsPathSeparator(path[size_t(i - 1)]))
            continue;
        previous = current;
        current = i;
        if (current >= maximum - nameLength - 3)
            break;
    }
    if (previous == 0)
        return {};
    const char separator = path[size_t(previous - 1)];
    return path.substr(0, size_t(previous)) + "..." + separator + name;
}

int64_t FileSizeOf(const std::string &file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return int64_t(st.st_size);
}

bool CopyFileOver(const std::string &source, const std::string &target)
{
    struct stat from {};
    if (source.empty() || target.empty() || ::stat(source.c_str(), &from) != 0 || S_ISDIR(from.st_mode))
        return false;
    // The same file by another path, or through a link: opening the target
    // for writing would empty the source.
    struct stat to {};
    if (::stat(target.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino)
        return true;
    const QString canonicalSource = QFileInfo(QFile::decodeName(source.c_str())).canonicalFilePath();
    if (QFile::encodeName(canonicalSource).toStdString() == CanonicalTarget(target))
        return true;

    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    std::string temporary = target + ".XXXXXX";
    const int out = ::mkstemp(temporary.data());
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = CopyContents(in, out);
    ok = ::fchmod(out, from.st_mode & 07777) == 0 && ok;
    const timespec times[2] = {from.st_atim, from.st_mtim};
    ::futimens(out, times);
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

bool ListFiles(const std::string &folder, std::vector<std::string> &list)
{
    if (IsRootOrEmpty(folder))
        return false;
    std::string top = folder;
    AddBackslash(top);
    std::vector<std::string> names;
    if (!FolderNames(top, names))
        return false;
    ListInto(top, list);
    return true;
}

bool ClearFolder(const std::string &folder)
{
    std::vector<std::string> list;
    if (!ListFiles(folder, list))
        return false;
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry) {
        const bool isFolder = IsPathSeparator(entry->back());
        if ((isFolder ? ::rmdir(entry->c_str()) : ::unlink(entry->c_str())) != 0)
            return false;
    }
    return true;
}

bool CopyNewerFiles(const std::string &sourceFolder, const std::string &targetFolder)
{
    std::vector<std::string> names;
    if (sourceFolder.empty() || targetFolder.empty() || !FolderNames(sourceFolder, names))
        return false;
    bool copied = false;
    for (const std::string &name : names) {
        const std::string source = PathJoin(sourceFolder, name);
        const std::string target = PathJoin(targetFolder, name);
        struct stat from {
        }, to{};
        if (::stat(source.c_str(), &from) != 0 || !S_ISREG(from.st_mode))
            continue;
        const bool missing = ::stat(target.c_str(), &to) != 0;
        const bool older =
            !missing &&
            (to.st_mtim.tv_sec < from.st_mtim.tv_sec ||
             (to.st_mtim.tv_sec == from.st_mtim.tv_sec && to.st_mtim.tv_nsec < from.st_mtim.tv_nsec));
        if ((missing || older) && CopyFileOver(source, target))
            copied = true;
    }
    return copied;
}

unsigned DriveTypeOfFileSystem(int64_t type)
{
    switch (uint32_t(type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x564C:     // NCP
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x65735546: // FUSE (sshfs and other remote mounts)
        return DRIVE_REMOTE;
    case 0x9660:     // ISO 9660
    case 0x15013346: // UDF
        return DRIVE_CDROM;
    case 0x01021994: // tmpfs
    case 0x858458F6: // ramfs
        return DRIVE_RAMDISK;
    case 0x4D44:     // FAT
    case 0x2011BAB0: // exFAT
        return DRIVE_REMOVABLE;
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // XFS
    case 0x9123683E: // Btrfs
    case 0x794C7630: // overlay
    case 0x2FC12FC1: // ZFS
    case 0xF2F52010: // F2FS
    case 0x3153464A: // JFS
    case 0x52654973: // ReiserFS
    case 0x5346544E: // NTFS
    case 0x7366746E: // NTFS3
    case 0x73717368: // SquashFS
        return DRIVE_FIXED;
    default:
        return DRIVE_UNKNOWN;
    }
}

unsigned DriveType(const std::string &path)
{
    struct statfs fs {};
    if (path.empty() || ::statfs(path.c_str(), &fs) != 0)
        return DRIVE_NO_ROOT_DIR;
    return DriveTypeOfFileSystem(int64_t(fs.f_type));
}

#include "platform/atomic_replace.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> serialCounter{0};

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The writer's process id of a name "<anything>.tmp<pid>.<serial>"; 0 when
// the name is not of that form.
pid_t writerOf(const std::string &name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 >= name.size())
        return 0;
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return 0;
    const size_t tmp = name.rfind(".tmp", dot - 1);
    if (tmp == std::string::npos || tmp == 0 || tmp + 4 >= dot)
        return 0;
    long pid = 0;
    for (size_t i = tmp + 4; i < dot; ++i) {
        if (name[i] < '0' || name[i] > '9' || pid > 1L << 30)
            return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    return pid_t(pid);
}

bool processGone(pid_t pid) { return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH; }

int openNamed(const std::string &target, std::string *namedTemp)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *namedTemp = ReplacementFileName(target, int(getpid()), serialCounter.fetch_add(1));
        const int fd = ::open(namedTemp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            break;
    }
    const int e = errno;
    namedTemp->clear();
    errno = e;
    return -1;
}

} // namespace

int ReplaceTargetRefusal(const std::string &target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0)
        return 0; // a new file: the folder decides
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    // The effective ids decide, as they would for an open.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return errno;
    return 0;
}

std::string ReplacementFileName(const std::string &target, int pid, unsigned serial)
{
    return target + ".tmp" + std::to_string(pid) + "." + std::to_string(serial);
}

int OpenReplacementFile(const std::string &target, std::string *namedTemp)
{
    namedTemp->clear();
    RemoveStaleReplacementFiles(folderOf(target));
    // The mode 0666 lets the umask apply as it would to a new file.
    const int fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0)
        return fd;
    // File systems without unnamed files answer with one of these.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
        return -1;
    return openNamed(target, namedTemp);
}

bool CommitReplacementFile(int fd, const std::string &target, std::string *namedTemp)
{
    if (namedTemp->empty()) {
        // An unnamed file gets a name of this process only for the moment
        // between its link and the rename.
        const std::string name = ReplacementFileName(target, int(getpid()), serialCounter.fetch_add(1));
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        if (::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
            return false;
        *namedTemp = name;
    }
    return ::rename(namedTemp->c_str(), target.c_str()) == 0;
}

int RemoveStaleReplacementFiles(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    const uid_t me = geteuid();
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t pid = writerOf(name);
        if (!pid || !processGone(pid))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != me)
            continue;
        if (::unlinkat(::dirfd(dir), name.c_str(), 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

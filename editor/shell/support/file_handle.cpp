#include "editor/shell/support/file_handle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool FileHandle::OpenForReading(const std::string &path, int64_t &size)
{
    Close();
    size = 0;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        Close();
        return false;
    }
    size = int64_t(st.st_size);
    return true;
}

bool FileHandle::CreateForWriting(const std::string &path, bool overwrite)
{
    Close();
    if (overwrite) {
        struct stat st {};
        // Only a plain file or a link is replaced; a device or a folder of
        // that name makes the open fail below.
        if (::lstat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
            ::unlink(path.c_str());
    }
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd_ >= 0;
}

void FileHandle::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

size_t FileHandle::Read(void *buffer, size_t count)
{
    if (fd_ < 0)
        return 0;
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, static_cast<char *>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    return done;
}

bool FileHandle::Write(const void *data, size_t count, size_t *written)
{
    size_t done = 0;
    bool ok = fd_ >= 0;
    while (ok && done < count) {
        const ssize_t n = ::write(fd_, static_cast<const char *>(data) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += size_t(n);
    }
    if (written)
        *written = done;
    return ok;
}

bool FileHandle::Seek(int64_t offset)
{
    return fd_ >= 0 && ::lseek(fd_, off_t(offset), SEEK_SET) == off_t(offset);
}

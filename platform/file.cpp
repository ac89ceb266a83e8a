#include "platform/file.h"

#include "platform/atomic_replace.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = size_t(1) << 20;

std::string systemReason(int error)
{
    char text[256];
    // The GNU form returns the text, which need not be the buffer.
    const char *reason = strerror_r(error, text, sizeof text);
    return reason ? reason : "unknown error";
}

// The file that a path names, through symbolic links, so that an atomic
// save replaces the file and keeps the link.
std::string resolvedTarget(const std::string &path)
{
    char real[PATH_MAX];
    if (realpath(path.c_str(), real))
        return real;
    return path;
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string FileErrorText(FileOperation operation, int error, const std::string &path)
{
    const char *what = "";
    switch (operation) {
    case FileOperation::Open:
        what = "Unable to open the file";
        break;
    case FileOperation::Create:
        what = "Unable to create the file";
        break;
    case FileOperation::Read:
        what = "An error occurred while reading the file";
        break;
    case FileOperation::Write:
        what = "An error occurred while writing the file";
        break;
    case FileOperation::Close:
        what = "An error occurred while closing the file";
        break;
    }
    return std::string(what) + " \"" + path + "\": " + systemReason(error) + ".";
}

// ---------------------------------------------------------------------------
// File

File::~File() { Abandon(); }

bool File::fail(int error)
{
    error_ = error ? error : EIO;
    return false;
}

bool File::Open(const std::string &path, Mode mode)
{
    Abandon();
    error_ = 0;
    mode_ = mode;
    path_ = path;
    tempPath_.clear();
    position_ = size_ = 0;
    bufferPos_ = bufferEnd_ = 0;
    if (path.empty())
        return fail(ENOENT);
    if (mode == Mode::Read) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            return fail(errno);
        struct stat st {};
        if (fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
            const int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(fd_);
            fd_ = -1;
            return fail(e);
        }
        size_ = uint64_t(st.st_size);
        posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    } else if (mode == Mode::Create) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            return fail(errno);
    } else {
        // The temporary file lies in the target's folder, so that the rename
        // is atomic; a target the user may not write is not replaced.
        const std::string target = resolvedTarget(path);
        if (const int refusal = ReplaceTargetRefusal(target))
            return fail(refusal);
        fd_ = OpenReplacementFile(target, &tempPath_);
        if (fd_ < 0) {
            const int e = errno;
            tempPath_.clear();
            return fail(e);
        }
        // Replacing a file keeps its permissions.
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0)
            (void)fchmod(fd_, st.st_mode & 07777);
    }
    buffer_.resize(kBufferSize);
    return true;
}

size_t File::Read(void *buffer, size_t count)
{
    if (fd_ < 0 || mode_ != Mode::Read) {
        fail(EBADF);
        return 0;
    }
    auto *out = static_cast<char *>(buffer);
    size_t done = 0;
    while (done < count) {
        if (bufferPos_ < bufferEnd_) {
            const size_t n = std::min(count - done, bufferEnd_ - bufferPos_);
            std::memcpy(out + done, buffer_.data() + bufferPos_, n);
            bufferPos_ += n;
            done += n;
            continue;
        }
        // Large reads go straight into the caller's memory.
        const bool direct = count - done >= buffer_.size();
        char *into = direct ? out + done : buffer_.data();
        const size_t want = direct ? count - done : buffer_.size();
        const ssize_t got = ::read(fd_, into, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            break;
        }
        if (got == 0)
            break; // end of file
        if (direct) {
            done += size_t(got);
        } else {
            bufferPos_ = 0;
            bufferEnd_ = size_t(got);
        }
    }
    position_ += done;
    return done;
}

bool File::flushBuffer()
{
    size_t written = 0;
    while (written < bufferPos_) {
        const ssize_t n = ::write(fd_, buffer_.data() + written, bufferPos_ - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        written += size_t(n);
    }
    bufferPos_ = 0;
    return true;
}

bool File::Write(const void *buffer, size_t count)
{
    if (fd_ < 0 || mode_ == Mode::Read)
        return fail(EBADF);
    if (error_)
        return false; // an earlier failure already lost data
    const auto *in = static_cast<const char *>(buffer);
    size_t done = 0;
    while (done < count) {
        const size_t n = std::min(count - done, buffer_.size() - bufferPos_);
        std::memcpy(buffer_.data() + bufferPos_, in + done, n);
        bufferPos_ += n;
        done += n;
        if (bufferPos_ == buffer_.size() && !flushBuffer())
            return false;
    }
    position_ += count;
    size_ = std::max(size_, position_);
    return true;
}

uint64_t File::Size() const { return size_; }

uint64_t File::Position() const { return position_; }

bool File::Flush()
{
    if (fd_ < 0)
        return fail(EBADF);
    if (mode_ == Mode::Read)
        return true;
    if (error_ || !flushBuffer())
        return false;
    if (fsync(fd_) != 0)
        return fail(errno);
    return true;
}

bool File::Commit()
{
    if (fd_ < 0)
        return fail(EBADF);
    if (mode_ == Mode::Read) {
        ::close(fd_);
        fd_ = -1;
        return true;
    }
    bool ok = mode_ == Mode::Create ? (!error_ && flushBuffer()) : Flush();
    if (mode_ == Mode::ReplaceAtomic) {
        // The file is put in place while it is open: an unnamed one is
        // linked in through its descriptor.
        const std::string target = resolvedTarget(path_);
        if (ok && !CommitReplacementFile(fd_, target, &tempPath_))
            ok = fail(errno);
        if (::close(fd_) != 0 && ok)
            ok = fail(errno);
        fd_ = -1;
        if (!ok) {
            if (!tempPath_.empty())
                ::unlink(tempPath_.c_str());
        } else {
            // The rename itself is durable only once the folder is.
            const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
            if (dir >= 0) {
                (void)fsync(dir);
                ::close(dir);
            }
        }
        tempPath_.clear();
        return ok;
    }
    if (::close(fd_) != 0 && ok)
        ok = fail(errno);
    fd_ = -1;
    return ok;
}

void File::Abandon()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

// ---------------------------------------------------------------------------
// MemoryFile

MemoryFile::MemoryFile(const void *data, size_t size)
    : data_(static_cast<const char *>(data), static_cast<const char *>(data) + size)
{
}

MemoryFile MemoryFile::FromGlobal(HGLOBAL memory)
{
    const size_t size = GlobalSize(memory);
    const void *p = size ? GlobalLock(memory) : nullptr;
    if (!p)
        return MemoryFile();
    MemoryFile file(p, size);
    GlobalUnlock(memory);
    return file;
}

size_t MemoryFile::Read(void *buffer, size_t count)
{
    const size_t n = position_ < data_.size() ? std::min(count, data_.size() - position_) : 0;
    if (n)
        std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

bool MemoryFile::Write(const void *buffer, size_t count)
{
    const auto *in = static_cast<const char *>(buffer);
    if (position_ == data_.size()) {
        data_.insert(data_.end(), in, in + count);
    } else {
        if (data_.size() < position_ + count)
            data_.resize(position_ + count);
        std::memcpy(data_.data() + position_, in, count);
    }
    position_ += count;
    return true;
}

HGLOBAL MemoryFile::DetachToGlobal() const
{
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, data_.size());
    if (!memory)
        return 0;
    if (!data_.empty()) {
        void *p = GlobalLock(memory);
        if (!p) {
            GlobalFree(memory);
            return 0;
        }
        std::memcpy(p, data_.data(), data_.size());
        GlobalUnlock(memory);
    }
    return memory;
}

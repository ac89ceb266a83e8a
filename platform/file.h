// Files: buffered disk files over POSIX descriptors, a save that replaces
// its target only once the new content is safely on disk, and a memory file
// whose content becomes a global memory block (the clipboard's form).
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The operations whose failures FileErrorText describes.
enum class FileOperation { Open, Create, Read, Write, Close };

// The standard text of a failed file operation, with the system's reason.
std::string FileErrorText(FileOperation operation, int error, const std::string &path);

// What the map reader and writer need of a file: sequential reads that say
// how much came, writes that say whether all went, size and position.
class FileStream {
public:
    virtual ~FileStream() = default;
    // Bytes read: fewer than asked only at the end of the data or on an
    // error (then Error() is non-zero).
    virtual size_t Read(void *buffer, size_t count) = 0;
    // false when not every byte could be written (Error() tells why).
    virtual bool Write(const void *buffer, size_t count) = 0;
    virtual uint64_t Size() const = 0;
    virtual uint64_t Position() const = 0;
    // errno of the last failure, 0 none.
    int Error() const { return error_; }

protected:
    int error_ = 0;
};

class File final : public FileStream {
public:
    enum class Mode {
        Read,          // an existing file; others may read and write it too
        Create,        // created or truncated
        ReplaceAtomic, // written to a temporary file in the target's folder
                       // (unnamed where the file system allows), put in the
                       // target's place by Commit; a target the user may not
                       // write is refused at Open
    };

    File() = default;
    ~File() override; // an uncommitted atomic file is removed
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    bool Open(const std::string &path, Mode mode);
    size_t Read(void *buffer, size_t count) override;
    bool Write(const void *buffer, size_t count) override;
    uint64_t Size() const override;
    uint64_t Position() const override;
    // Writes what is buffered and asks the system to put it on disk.
    bool Flush();
    // Read and Create: closes. ReplaceAtomic: flushes, closes and renames the
    // temporary file over the target; on failure the temporary file is
    // removed and the target stays as it was.
    bool Commit();
    // Closes without committing: an atomic file's temporary file goes.
    void Abandon();
    bool IsOpen() const { return fd_ >= 0; }
    const std::string &Path() const { return path_; }
    // The name of an atomic write's temporary file; empty while it has none.
    const std::string &TemporaryPath() const { return tempPath_; }

private:
    bool flushBuffer();
    bool fail(int error);

    int fd_ = -1;
    Mode mode_ = Mode::Read;
    std::string path_;
    std::string tempPath_;
    std::vector<char> buffer_;
    size_t bufferPos_ = 0; // read: next byte; write: bytes waiting
    size_t bufferEnd_ = 0; // read: bytes held
    uint64_t position_ = 0;
    uint64_t size_ = 0;
};

// A growable block of memory read and written like a file.
class MemoryFile final : public FileStream {
public:
    MemoryFile() = default;
    // A copy of the bytes, positioned at the start.
    MemoryFile(const void *data, size_t size);
    // A copy of a global memory block's bytes; empty for a bad handle.
    static MemoryFile FromGlobal(HGLOBAL memory);

    size_t Read(void *buffer, size_t count) override;
    bool Write(const void *buffer, size_t count) override;
    uint64_t Size() const override { return data_.size(); }
    uint64_t Position() const override { return position_; }
    void SeekToBegin() { position_ = 0; }
    const std::vector<char> &Data() const { return data_; }
    // A new movable global memory block holding the content; 0 when the
    // memory cannot be had. The file keeps its content.
    HGLOBAL DetachToGlobal() const;

private:
    std::vector<char> data_;
    size_t position_ = 0;
};

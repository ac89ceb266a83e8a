// A file descriptor owned by the readers and writers, with reads and writes
// that go on after a short count or an interrupted call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;

    // An existing file that is not a folder, for reading; its size.
    bool OpenForReading(const std::string &path, int64_t &size);
    // A new file for writing; with overwrite an existing one is deleted
    // first, without it an existing file makes the open fail.
    bool CreateForWriting(const std::string &path, bool overwrite);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Up to count bytes; fewer only at the end of the file or on an error.
    size_t Read(void *buffer, size_t count);
    // True when all bytes were written; written (when given) tells how
    // many went before a failure.
    bool Write(const void *data, size_t count, size_t *written = nullptr);
    // Moves to an absolute offset.
    bool Seek(int64_t offset);

private:
    int fd_ = -1;
};

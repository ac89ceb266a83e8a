// A buffered reader of little-endian binary files (shapefiles, dBase
// tables). Values come straight from a 1 MiB buffer; when fewer than 256
// bytes are left in it, the unread tail moves to the front and the buffer
// fills up behind it. Sizes and progress are 64-bit.
#pragma once

#include "editor/shell/support/file_handle.h"

#include <cstdint>
#include <memory>
#include <string>

class QProgressBar;

class TBinReader {
public:
    static constexpr size_t kBufferSize = 1048576;
    // A value never straddles a refill: the buffer is refilled while this
    // many bytes are still unread.
    static constexpr size_t kRefillMargin = 256;

    TBinReader();

    // The bar shows the share of the file read or skipped; set before Open.
    void SetProgressBar(QProgressBar *bar) { progress_ = bar; }
    // False when the file is missing or cannot be read; otherwise reads the
    // first block.
    bool Open(const std::string &file);

    // Each is false, storing nothing, when the value is not wholly in the
    // file (past its end, or cut off by it).
    bool ReadInteger(int32_t &value);
    bool ReadDouble(double &value);
    bool ReadPoint(double &x, double &y);
    // Skips count bytes, moving through the file without reading what lies
    // beyond the buffer. False when that passes the end of the file.
    bool Skip(int64_t count);
    // The current position in the buffer; at least 256 bytes (or what is
    // left of the file) lie behind it.
    const char *DataPtr() const { return buffer_.get() + pos_; }
    // The end of the file has been read and every byte consumed.
    bool Eof() const { return eof_ && int64_t(pos_) > last_; }

    int64_t FileSize() const { return fileSize_; }
    // Bytes read or skipped since the open (the file offset reached).
    int64_t Total() const { return total_; }

private:
    void Fill(size_t from);
    bool Ensure(size_t size);

    FileHandle file_;
    std::unique_ptr<char[]> buffer_;
    int64_t total_ = 0;
    int64_t fileSize_ = 0;
    bool eof_ = true;
    size_t pos_ = 0;
    int64_t last_ = -1; // the last usable index of the buffer
    QProgressBar *progress_ = nullptr;
};

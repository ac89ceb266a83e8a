// A buffered writer of little-endian binary files. Writes collect in a
// 1,024-byte buffer that goes to the file as soon as it holds more than 768
// bytes; a single write adds at most 256 bytes (longer ones go in pieces).
// Each write's result is the result of writing the buffer out (true when
// nothing had to be written). After a failed write the buffer keeps the
// bytes the file did not take, and later writes fail at once, adding
// nothing, until the file takes them.
#pragma once

#include "editor/shell/support/file_handle.h"

#include <array>
#include <cstdint>
#include <string>

class QProgressBar;

class TBinWriter {
public:
    static constexpr size_t kBufferSize = 1024;
    static constexpr size_t kFlushThreshold = 768;
    static constexpr size_t kLargestWrite = 256;

    TBinWriter() = default;
    // Writes what is left and closes the file.
    ~TBinWriter();

    // Set before Open: the bar runs to 100 at the expected size.
    void SetProgressBar(QProgressBar *bar) { progress_ = bar; }
    void SetExpectedSize(int64_t size) { expected_ = size; }

    // Creates the file; an existing one is deleted first with overwrite,
    // and makes the open fail without.
    bool Open(const std::string &file, bool overwrite);

    bool WriteInteger(int32_t value);
    // The 4 bytes as they lie in memory (for values already turned
    // big-endian by the caller).
    bool WriteLongWord(uint32_t value);
    bool WriteDouble(double value);
    bool WriteBytes(const void *data, size_t count);
    bool WriteZeros(size_t count);
    // Writes what the buffer holds; false when the file does not take it.
    bool Flush() { return FlushAbove(0); }

    int64_t Total() const { return total_; }
    size_t Buffered() const { return count_; }

private:
    bool Append(const void *data, size_t count);
    bool FlushAbove(size_t threshold);

    FileHandle file_;
    std::array<char, kBufferSize> buffer_{};
    size_t count_ = 0;
    int64_t total_ = 0;
    int64_t expected_ = 0;
    QProgressBar *progress_ = nullptr;
};

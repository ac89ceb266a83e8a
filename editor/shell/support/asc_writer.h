// A writer of single-byte text files, one line at a time, each ended by
// CR LF and written at once. A line that the file does not take throws
// std::system_error: a lost line must not pass unnoticed.
#pragma once

#include "editor/shell/support/file_handle.h"

#include <cstdint>
#include <string>

class QProgressBar;

class TASCWriter {
public:
    TASCWriter() = default;

    // Set before Open: the bar runs to 100 at the expected number of lines
    // (-1: none).
    void SetProgressBar(QProgressBar *bar) { progress_ = bar; }
    void SetExpectedLines(int64_t lines) { expected_ = lines; }

    // As TBinWriter::Open.
    bool Open(const std::string &file, bool overwrite);
    // Writes a non-empty text and CR LF; an empty text writes nothing and
    // gives false. Throws std::system_error when the file does not take the
    // line, which is then not counted.
    bool WriteLine(const std::string &text);

    int64_t LinesWritten() const { return lines_; }

private:
    FileHandle file_;
    std::string line_;
    int64_t expected_ = -1;
    int64_t lines_ = 0;
    QProgressBar *progress_ = nullptr;
};

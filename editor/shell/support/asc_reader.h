// A buffered reader of single-byte text files, line by line or as markup
// tokens (tags with their attributes, and words of text).
//
// The line separator is LF, or CR when the first block holds no LF (CR LF
// files read with LF, the CR trimmed away). At the end of the file, trailing
// control bytes other than the separator are dropped and a separator is
// added, so the last line is always ended. Lines and tokens of any length
// are read whole, also across the reader's blocks. Sizes and progress are
// 64-bit.
#pragma once

#include "editor/shell/support/file_handle.h"

#include <cstdint>
#include <string>
#include <vector>

class QProgressBar;

class TASCReader {
public:
    // The first block, in which the separator must show.
    static constexpr size_t kFirstBlock = 4094;

    TASCReader();

    // The bar shows the share of the file read; set before Open.
    void SetProgressBar(QProgressBar *bar) { progress_ = bar; }
    // False when the file is missing, cannot be read, or holds no line
    // break within its first block (other than its very last byte): an
    // empty file, a binary one or one long line is refused.
    bool Open(const std::string &file);

    // The next line, trimmed of blanks and control bytes at both ends; empty
    // at the end of the file (Eof tells an empty line from the end).
    void ReadLine(std::string &line);
    void NextLine(std::string &line) { ReadLine(line); }
    // The next markup token: a whole tag "<...>" with its attributes, or a
    // word of text with the blank or CR that ends it. Control bytes inside a
    // token are dropped, so a tag may run over line breaks. Empty at the end.
    void ReadTag(std::string &token);
    // The end of the file has been read and nothing but the end is left.
    bool Eof() const { return eof_ && pos_ >= last_; }

    // The file's first 255 bytes (a shorter file's bytes and the separator).
    const std::string &Header() const { return header_; }
    char Separator() const { return separator_; }
    int64_t FileSize() const { return fileSize_; }
    int64_t Total() const { return total_; }

private:
    // Moves the unread bytes from the position to the front and reads more
    // behind them; false at the end of the file.
    bool Refill();
    void ReadBlock(size_t count);
    void MarkEnd();

    FileHandle file_;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;  // bytes of the buffer in use
    size_t last_ = 0; // the last usable index, once the end has been read
    bool eof_ = true;
    char separator_ = '\n';
    std::string header_;
    int64_t fileSize_ = 0;
    int64_t total_ = 0;
    QProgressBar *progress_ = nullptr;
};

#include "editor/shell/support/asc_reader.h"

#include "editor/shell/support/file_progress.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kBlock = 65536;
// Where the separator had to show in a first block that did not reach the
// end of the file.
constexpr size_t kFirstSearchEnd = 3072;

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

void AssignTrimmed(std::string &out, const char *begin, const char *end)
{
    while (begin < end && IsBlankOrControl(*begin))
        ++begin;
    while (end > begin && IsBlankOrControl(end[-1]))
        --end;
    out.assign(begin, end);
}

} // namespace

TASCReader::TASCReader() : buffer_(kBlock + 2) {}

bool TASCReader::Open(const std::string &file)
{
    pos_ = 0;
    end_ = 0;
    last_ = 0;
    eof_ = true;
    total_ = 0;
    header_.clear();
    separator_ = '\n';
    if (!file_.OpenForReading(file, fileSize_))
        return false;
    ResetProgress(progress_);

    // Index 0 stands for a separator before the first line.
    buffer_[0] = '\n';
    end_ = 1;
    ReadBlock(kFirstBlock);
    const bool wholeFile = eof_;
    if (!eof_)
        ReadBlock(buffer_.size() - 1 - end_); // the rest of the first block

    // The separator must show within the first block, before its last
    // usable byte.
    const size_t searchEnd = wholeFile ? last_ : std::min(end_, kFirstSearchEnd);
    const char *from = buffer_.data() + 1;
    const size_t span = searchEnd > 1 ? searchEnd - 1 : 0;
    if (!std::memchr(from, '\n', span)) {
        if (!std::memchr(from, '\r', span)) {
            file_.Close();
            eof_ = true;
            pos_ = last_ = end_ = 0;
            return false;
        }
        separator_ = '\r';
        buffer_[0] = '\r';
        if (eof_)
            buffer_[last_ + 1] = '\r';
    }
    header_.assign(buffer_.data() + 1, std::min<size_t>(255, end_ - 1));
    return true;
}

void TASCReader::ReadBlock(size_t count)
{
    if (buffer_.size() < end_ + count + 1)
        buffer_.resize(end_ + count + 1);
    const size_t got = file_.Read(buffer_.data() + end_, count);
    end_ += got;
    total_ += int64_t(got);
    ShowProgress(progress_, total_, fileSize_);
    if (got < count) {
        eof_ = true;
        MarkEnd();
    } else {
        eof_ = false;
    }
}

void TASCReader::MarkEnd()
{
    // Drop trailing control bytes that are not the separator, and end the
    // last line with one.
    size_t last = end_ - 1;
    while (last > pos_ && static_cast<unsigned char>(buffer_[last]) < 32 && buffer_[last] != separator_)
        --last;
    last_ = last;
    buffer_[last_ + 1] = separator_;
    end_ = last_ + 2;
}

bool TASCReader::Refill()
{
    if (eof_)
        return false;
    std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
    // A line longer than the buffer makes it grow.
    const size_t room = buffer_.size() - 1 - end_;
    ReadBlock(room >= kBlock / 2 ? room : std::max<size_t>(kBlock, buffer_.size()));
    return true;
}

void TASCReader::ReadLine(std::string &line)
{
    line.clear();
    for (;;) {
        if (eof_ && pos_ >= last_)
            return;
        const char *start = buffer_.data() + pos_ + 1;
        const char *stop =
            static_cast<const char *>(std::memchr(start, separator_, end_ - std::min(end_, pos_ + 1)));
        if (stop) {
            AssignTrimmed(line, start, stop);
            pos_ = size_t(stop - buffer_.data());
            return;
        }
        if (!Refill())
            return; // not reached: the end always carries a separator
    }
}

void TASCReader::ReadTag(std::string &token)
{
    token.clear();
    if (eof_ && pos_ >= last_)
        return;
    // Skip bytes below '!' and every '>'.
    for (;;) {
        if (pos_ >= end_) {
            if (!Refill())
                return;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(buffer_[pos_]);
        if (c >= '!' && c != '>')
            break;
        if (eof_ && pos_ >= last_) {
            pos_ = last_;
            return;
        }
        ++pos_;
    }
    const bool tag = buffer_[pos_] == '<';
    size_t i = pos_;
    for (;;) {
        if (i >= end_) {
            const size_t offset = i - pos_;
            if (!Refill())
                return;
            i = pos_ + offset;
            continue;
        }
        const char c = buffer_[i];
        const bool stops = tag ? (c == '>' && i > pos_) : (c == '\r' || c == ' ' || c == '<');
        if (stops && !(c == '<')) {
            token += c;
            pos_ = i;
            return;
        }
        if (stops) {
            pos_ = i;
            return;
        }
        if (static_cast<unsigned char>(c) >= 32)
            token += c;
        if (eof_ && i >= last_) {
            pos_ = last_;
            return;
        }
        ++i;
    }
}

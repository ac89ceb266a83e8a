#include "editor/shell/support/bin_reader.h"

#include "editor/shell/support/file_progress.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "values are read as they lie in the file");

TBinReader::TBinReader() : buffer_(std::make_unique<char[]>(kBufferSize)) {}

bool TBinReader::Open(const std::string &file)
{
    total_ = 0;
    pos_ = 0;
    last_ = -1;
    eof_ = true;
    if (!file_.OpenForReading(file, fileSize_))
        return false;
    ResetProgress(progress_);
    Fill(0);
    return true;
}

void TBinReader::Fill(size_t from)
{
    const size_t asked = kBufferSize - from;
    const size_t count = file_.Read(buffer_.get() + from, asked);
    total_ += int64_t(count);
    ShowProgress(progress_, total_, fileSize_);
    eof_ = count < asked;
    last_ = eof_ ? int64_t(from + count) - 1 : int64_t(kBufferSize - kRefillMargin);
}

bool TBinReader::Ensure(size_t size)
{
    if (int64_t(pos_ + size) - 1 <= last_)
        return true;
    if (!eof_ && pos_ <= kBufferSize) {
        const size_t tail = kBufferSize - pos_;
        std::memmove(buffer_.get(), buffer_.get() + pos_, tail);
        pos_ = 0;
        Fill(tail);
    }
    return int64_t(pos_ + size) - 1 <= last_;
}

bool TBinReader::ReadInteger(int32_t &value)
{
    if (!Ensure(sizeof value))
        return false;
    std::memcpy(&value, buffer_.get() + pos_, sizeof value);
    pos_ += sizeof value;
    return true;
}

bool TBinReader::ReadDouble(double &value)
{
    if (!Ensure(sizeof value))
        return false;
    std::memcpy(&value, buffer_.get() + pos_, sizeof value);
    pos_ += sizeof value;
    return true;
}

bool TBinReader::ReadPoint(double &x, double &y)
{
    if (!Ensure(2 * sizeof(double)))
        return false;
    std::memcpy(&x, buffer_.get() + pos_, sizeof x);
    std::memcpy(&y, buffer_.get() + pos_ + sizeof x, sizeof y);
    pos_ += 2 * sizeof(double);
    return true;
}

bool TBinReader::Skip(int64_t count)
{
    if (count < 0 || !file_.IsOpen())
        return false;
    // The data in the buffer ends here; the file offset there is total_.
    const int64_t dataEnd = eof_ ? last_ + 1 : int64_t(kBufferSize);
    const int64_t target = total_ - dataEnd + int64_t(pos_) + count;
    if (target > fileSize_) {
        // Past the end: the reader stays at the end.
        file_.Seek(fileSize_);
        total_ = fileSize_;
        pos_ = 0;
        Fill(0);
        return false;
    }
    if (int64_t(pos_) + count <= dataEnd) {
        pos_ += size_t(count);
    } else {
        // Beyond the buffer: go there in the file instead of reading the
        // bytes between.
        if (!file_.Seek(target))
            return false;
        total_ = target;
        pos_ = 0;
        Fill(0);
    }
    Ensure(1);
    return true;
}

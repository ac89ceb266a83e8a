#include "editor/shell/support/bin_writer.h"

#include "editor/shell/support/file_progress.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "values are written as they lie in memory");

TBinWriter::~TBinWriter() { FlushAbove(0); }

bool TBinWriter::Open(const std::string &file, bool overwrite)
{
    count_ = 0;
    total_ = 0;
    ResetProgress(progress_);
    return file_.CreateForWriting(file, overwrite);
}

bool TBinWriter::FlushAbove(size_t threshold)
{
    if (count_ <= threshold || count_ == 0)
        return true;
    size_t written = 0;
    const bool ok = file_.Write(buffer_.data(), count_, &written);
    // What the file took is gone from the buffer; the rest waits there.
    std::memmove(buffer_.data(), buffer_.data() + written, count_ - written);
    count_ -= written;
    total_ += int64_t(written);
    if (!ok)
        return false;
    if (expected_ > 0)
        ShowProgress(progress_, total_, expected_);
    return true;
}

bool TBinWriter::Append(const void *data, size_t count)
{
    // A buffer left full by a failed write must empty before it takes more.
    if (count_ > kFlushThreshold && !FlushAbove(kFlushThreshold))
        return false;
    std::memcpy(buffer_.data() + count_, data, count);
    count_ += count;
    return FlushAbove(kFlushThreshold);
}

bool TBinWriter::WriteInteger(int32_t value) { return Append(&value, sizeof value); }

bool TBinWriter::WriteLongWord(uint32_t value) { return Append(&value, sizeof value); }

bool TBinWriter::WriteDouble(double value) { return Append(&value, sizeof value); }

bool TBinWriter::WriteBytes(const void *data, size_t count)
{
    const char *bytes = static_cast<const char *>(data);
    for (size_t done = 0; done < count;) {
        const size_t piece = std::min(kLargestWrite, count - done);
        if (!Append(bytes + done, piece))
            return false;
        done += piece;
    }
    return true;
}

bool TBinWriter::WriteZeros(size_t count)
{
    static constexpr char kZeros[kLargestWrite] = {};
    for (size_t done = 0; done < count;) {
        const size_t piece = std::min(kLargestWrite, count - done);
        if (!Append(kZeros, piece))
            return false;
        done += piece;
    }
    return true;
}

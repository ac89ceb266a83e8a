#include "editor/shell/support/asc_writer.h"

#include "editor/shell/support/file_progress.h"

#include <cerrno>
#include <system_error>

bool TASCWriter::Open(const std::string &file, bool overwrite)
{
    lines_ = 0;
    ResetProgress(progress_);
    return file_.CreateForWriting(file, overwrite);
}

bool TASCWriter::WriteLine(const std::string &text)
{
    if (text.empty())
        return false;
    line_.assign(text);
    line_ += "\r\n";
    errno = 0;
    if (!file_.Write(line_.data(), line_.size()))
        throw std::system_error(errno ? errno : EBADF, std::generic_category(), "writing a text line");
    ++lines_;
    if (expected_ > 0)
        ShowProgress(progress_, lines_, expected_);
    return true;
}

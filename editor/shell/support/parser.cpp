#include "editor/shell/support/parser.h"

#include "editor/shell/support/numbers.h"

namespace {

std::string Trimmed(const std::string &text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

void TParser::SetText(const std::string &text)
{
    text_ = Trimmed(text);
    position_ = 0;
    token_.clear();
    value_ = 0;
    isNumber_ = false;
}

bool TParser::Next()
{
    if (position_ == 0) {
        text_ += separator_;
        position_ = 1;
    }
    const size_t length = text_.size();
    if (position_ > length)
        return false;
    // Work with 0-based indexes below.
    size_t i = position_ - 1;
    while (i < length && text_[i] == ' ')
        ++i;
    std::string collected;
    if (honourQuotes_ && i < length && text_[i] == '"') {
        const size_t close = text_.find('"', i + 1);
        if (close == std::string::npos) {
            // An unterminated quote takes the rest of the text.
            collected = text_.substr(i + 1);
            i = length;
        } else {
            collected = text_.substr(i + 1, close - i - 1);
            const size_t separator = text_.find(separator_, close + 1);
            i = separator == std::string::npos ? length : separator + 1;
        }
    } else {
        const size_t separator = text_.find(separator_, i);
        const size_t stop = separator == std::string::npos ? length : separator;
        collected = text_.substr(i, stop - i);
        i = stop + 1;
    }
    token_ = Trimmed(collected);
    isNumber_ = ParseDecimal(token_, value_);
    position_ = i + 1;
    return true;
}

// A tokenizer of one line of delimited text. With the blank as separator
// (the default) runs of blanks act as one; with another separator two in a
// row give an empty token, and one at the end gives a last, empty token.
// A field in double quotes keeps separators inside it; what follows its
// closing quote up to the next separator is dropped. Each token is trimmed
// and read as a number with a point as decimal separator when it is one.
#pragma once

#include <string>

class TParser {
public:
    TParser() = default;

    void SetSeparator(char separator) { separator_ = separator; }
    char Separator() const { return separator_; }
    void SetHonourQuotes(bool on) { honourQuotes_ = on; }
    bool HonourQuotes() const { return honourQuotes_; }

    // Keeps the trimmed text and starts again from its beginning.
    void SetText(const std::string &text);
    // The next token; false when the text is used up.
    bool Next();

    const std::string &Token() const { return token_; }
    // The token's value; 0 when it is not a number.
    double Value() const { return value_; }
    bool IsNumber() const { return isNumber_; }

private:
    std::string text_;
    char separator_ = ' ';
    std::string token_;
    double value_ = 0;
    bool isNumber_ = false;
    bool honourQuotes_ = true;
    size_t position_ = 0; // 1-based; 0 before the first token
};

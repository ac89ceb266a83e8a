// Small routines on texts and numbers that the whole editor shares. Numbers
// are read with a point as decimal separator, whatever the locale.
#pragma once

#include <cstdint>
#include <string>

// True when, after dropping one leading "+", "-" or "." (a lone sign or
// point counts as "1"), only digits and at most one decimal point remain,
// counting a dropped leading point; false for an empty text.
bool IsNumeric(const std::string &text);
// IsNumeric and then the whole text as a double. False, leaving the value
// alone, when the text is not numeric or cannot be converted (a lone "+",
// "-" or ".").
bool ValidFloat(const std::string &text, double &value);
// ValidFloat, rounded to the nearest integer (an exact half to the even
// one); false also when the number lies outside the 32-bit range.
bool ValidInteger(const std::string &text, int32_t &value);
// A copy of the text with every c replaced by replacement.
std::string ReplaceChar(char c, char replacement, const std::string &text);
// A copy of the text without blanks.
std::string RemoveSpaces(const std::string &text);
// The next field of a delimited text from position (1-based; 0 or less
// counts as 1), leading blanks skipped; position moves just past the
// delimiter. Past the end the result is empty and position stays past the
// end, so that further calls keep giving empty fields.
std::string NextField(int &position, char delimiter, const std::string &text);

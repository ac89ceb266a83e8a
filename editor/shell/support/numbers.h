// Numbers in files and on screen are read and written with a point as the
// decimal separator, whatever the locale (LC_NUMERIC) says.
#pragma once

#include <string>
#include <string_view>

// The whole text as a decimal number: an optional sign, digits with at most
// one point (".5" and "5." count), an optional exponent. False, and value 0,
// for anything else, also for a number out of the double's range.
bool ParseDecimal(std::string_view text, double &value);
// The number in fixed notation with the given decimals.
std::string FormatFixed(double value, int decimals);

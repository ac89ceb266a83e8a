// Numbers as text in the regional conventions of WIN.INI's [intl] section:
// a cache of those conventions, a number reader and printers. Nothing here
// depends on the process locale.
#pragma once

#include <cstddef>
#include <cstdint>

// Cache indexes (FormatValueGet).
inline constexpr uint16_t INTL_DIGITS = 1;           // iDigits
inline constexpr uint16_t INTL_CURR_DIGITS = 2;      // iCurrDigits
inline constexpr uint16_t INTL_DECIMAL = 3;          // sDecimal
inline constexpr uint16_t INTL_THOUSAND = 4;         // sThousand
inline constexpr uint16_t INTL_EXPONENT = 5;         // never read from the profile
inline constexpr uint16_t INTL_DATE = 6;             // sDate
inline constexpr uint16_t INTL_TIME = 7;             // sTime
inline constexpr uint16_t INTL_LZERO = 8;            // iLzero
inline constexpr uint16_t INTL_LIST = 9;             // sList
inline constexpr uint16_t INTL_CURRENCY = 10;        // iCurrency
inline constexpr uint16_t INTL_NEG_CURR = 11;        // iNegCurr
inline constexpr uint16_t INTL_CURRENCY_SYMBOL = 12; // 10 bytes: sCurrency
inline constexpr uint16_t INTL_CACHE_SIZE = 22;

// FloatPrint kinds (flags & FLOAT_KIND_MASK) and flags.
inline constexpr uint16_t FLOAT_KIND_MASK = 0xE0;
inline constexpr uint16_t FLOAT_GENERAL = 0x00;
inline constexpr uint16_t FLOAT_SCIENTIFIC = 0x40;
inline constexpr uint16_t FLOAT_FIXED = 0x80;
inline constexpr uint16_t FLOAT_PERCENT = 0xA0;
inline constexpr uint16_t FLOAT_CURRENCY = 0xE0;
inline constexpr uint16_t FLOAT_DIGITS_FROM_INTL = 0x10;
inline constexpr uint16_t FLOAT_LEADING_ZERO = 0x1000;
inline constexpr uint16_t FLOAT_PLUS_SIGN = 0x2000;

// Refreshes the cache from WIN.INI section "intl"; 1.
int FormatProfileRead();
// The cache byte; 0 for index 0 and for indexes from INTL_CACHE_SIZE on.
char FormatValueGet(uint16_t index);

// 1 and *value when the text is a number in the cached conventions (digits,
// the decimal character once, an optional sign first, an exponent of one to
// three digits after D or E, a trailing "%" for hundredths, blanks around);
// then the decimal character in the text is replaced by '.'. 0 otherwise,
// with the text and *value unchanged.
int FloatScan(char *text, double *value);

// Prints value in the kind and flags asked for (general: n is the field
// width; scientific: n mantissa digits; fixed, percent, currency: n digits
// after the point). Returns the length written; 0 and an empty text when the
// value cannot be printed so or the text would not fit size bytes.
int FloatPrint(char *buffer, size_t size, double value, int n, uint16_t flags);

// Fixed notation with digits after the point (none below 1) and the given
// decimal character; dropZeros removes the trailing zeros of the fraction
// and a bare point, pad writes "P" for each removed character instead.
// 1; 0 and an empty text when the text would not fit size bytes.
int FloatPrintDigits(char *buffer, size_t size, double value, int digits, char decimal, int dropZeros,
                     int pad);

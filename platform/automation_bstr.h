// Automation strings: UTF-16 text with its length in bytes stored in the
// 32 bits before the first character and a terminating zero after the last.
// The length, not a zero, ends the text, so a string may hold zeros. A null
// BSTR is the empty string.
#pragma once

#include "platform/types.h"

#include <QString>
#include <string>
#include <string_view>

using OLECHAR = char16_t;
using BSTR = OLECHAR *;

// Copies the text up to its terminating zero; null for a null text.
BSTR SysAllocString(const OLECHAR *text);
// Copies `length` characters (zeros included); with a null text the string
// is `length` zero characters. Null when memory runs out.
BSTR SysAllocStringLen(const OLECHAR *text, UINT length);
UINT SysStringLen(BSTR s);
UINT SysStringByteLen(BSTR s);
// Null is accepted and ignored.
void SysFreeString(BSTR s);
// Replaces *s with a new copy of the text; FALSE (and *s unchanged) when
// memory runs out.
BOOL SysReAllocStringLen(BSTR *s, const OLECHAR *text, UINT length);

// Conversions with the engine's single-byte Windows-1252 text and with Qt's
// strings, length for length, zeros included.
BSTR BstrFromWindows1252(std::string_view text);
std::string BstrToWindows1252(BSTR s);
BSTR BstrFromQString(const QString &text);
QString BstrToQString(BSTR s);

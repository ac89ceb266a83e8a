// The one place where single-byte Windows-1252 text of the engine and the
// map file meets Qt's Unicode strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

QString FromWindows1252(std::string_view text);
// Characters without a Windows-1252 form become '?'.
std::string ToWindows1252(const QString &text);

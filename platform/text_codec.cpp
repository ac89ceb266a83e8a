#include "platform/text_codec.h"

#include <array>

namespace {

// 0x80-0x9F differ from Latin-1; 0 marks the five unassigned codes, which
// are kept as the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

QString FromWindows1252(std::string_view text)
{
    QString out;
    out.reserve(qsizetype(text.size()));
    for (unsigned char c : text) {
        char16_t u = c;
        if (c >= 0x80 && c <= 0x9F && kHighControls[c - 0x80] != 0)
            u = kHighControls[c - 0x80];
        out.append(QChar(u));
    }
    return out;
}

std::string ToWindows1252(const QString &text)
{
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar qc : text) {
        const char16_t u = qc.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(char(u));
            continue;
        }
        char mapped = '?';
        for (size_t i = 0; i < kHighControls.size(); ++i) {
            if (kHighControls[i] == u || (kHighControls[i] == 0 && u == 0x80 + i)) {
                mapped = char(0x80 + i);
                break;
            }
        }
        out.push_back(mapped);
    }
    return out;
}

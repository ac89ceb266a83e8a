#include "platform/collation.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

struct Weight {
    uint16_t primary; // 0: ignored at the first level
    uint8_t accent;   // 0 for a base letter
    uint8_t upper;    // 1 for an upper-case letter
};

// Base letter of Windows-1252 accented letters 0xC0-0xFF.
constexpr const char *kLatin1Base = "AAAAAAACEEEEIIII"  // C0-CF
                                    "DNOOOOO*OUUUUYTs"  // D0-DF
                                    "aaaaaaaceeeeiiii"  // E0-EF
                                    "dnooooo/ouuuuyty"; // F0-FF

Weight letterWeight(char base, uint8_t accent)
{
    const bool upper = base >= 'A' && base <= 'Z';
    const char lower = upper ? char(base + 32) : base;
    return Weight{uint16_t(0x300 + (lower - 'a') * 4), accent, uint8_t(upper)};
}

Weight weightOf(unsigned char c)
{
    if (c == '-' || c == '\'' || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)
        return Weight{0, 0, 0};
    if (c >= '0' && c <= '9')
        return Weight{uint16_t(0x200 + (c - '0')), 0, 0};
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return letterWeight(char(c), 0);
    switch (c) {
    case 0x8A:
        return letterWeight('S', 1); // S caron
    case 0x9A:
        return letterWeight('s', 1);
    case 0x8E:
        return letterWeight('Z', 1); // Z caron
    case 0x9E:
        return letterWeight('z', 1);
    case 0x9F:
        return letterWeight('Y', 2); // Y diaeresis
    case 0x8C:
        return letterWeight('O', 8); // OE ligature sorts with O
    case 0x9C:
        return letterWeight('o', 8);
    case 0x83:
        return letterWeight('f', 1); // f hook
    case 0xB2:
        return Weight{0x202, 1, 0}; // superscript digits
    case 0xB3:
        return Weight{0x203, 1, 0};
    case 0xB9:
        return Weight{0x201, 1, 0};
    default:
        break;
    }
    if (c >= 0xC0) {
        const char base = kLatin1Base[c - 0xC0];
        if (base != '*' && base != '/')
            return letterWeight(base, uint8_t(1 + (c & 0x07)));
    }
    return Weight{uint16_t(0x100 + c), 0, 0}; // symbols, in code order
}

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Compares one level: the weights picked by 'field' of the characters that
// are not ignored, in order.
template <typename Field>
int compareLevel(std::string_view a, std::string_view b, Field field)
{
    size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && weightOf(uint8_t(a[i])).primary == 0)
            ++i;
        while (j < b.size() && weightOf(uint8_t(b[j])).primary == 0)
            ++j;
        if (i == a.size() || j == b.size())
            return sign(int(a.size() - i > 0) - int(b.size() - j > 0));
        const int d = field(weightOf(uint8_t(a[i]))) - field(weightOf(uint8_t(b[j])));
        if (d)
            return sign(d);
        ++i;
        ++j;
    }
}

int compare(const char *a, const char *b, bool withCase)
{
    if (!a || !b)
        return a == b ? 0 : (a ? 1 : -1);
    const std::string_view x(a), y(b);
    if (int r = compareLevel(x, y, [](Weight w) { return int(w.primary); }))
        return r;
    if (int r = compareLevel(x, y, [](Weight w) { return int(w.accent); }))
        return r;
    if (withCase)
        if (int r = compareLevel(x, y, [](Weight w) { return int(w.upper); }))
            return r;
    // Last: the ignored characters (a word without them sorts first), then
    // the raw bytes, so that only equal strings compare equal (case aside
    // for lstrcmpiA).
    auto ignored = [](std::string_view s) {
        int n = 0;
        for (char c : s)
            n += weightOf(uint8_t(c)).primary == 0;
        return n;
    };
    if (int r = sign(ignored(x) - ignored(y)))
        return r;
    if (withCase)
        return sign(std::strcmp(a, b));
    for (size_t i = 0;; ++i) {
        unsigned char c = uint8_t(a[i]), d = uint8_t(b[i]);
        if (c >= 'A' && c <= 'Z')
            c += 32;
        if (d >= 'A' && d <= 'Z')
            d += 32;
        if (c != d || c == 0)
            return sign(int(c) - int(d));
    }
}

} // namespace

int lstrcmpA(const char *a, const char *b) { return compare(a, b, true); }

int lstrcmpiA(const char *a, const char *b) { return compare(a, b, false); }

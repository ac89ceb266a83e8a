#include "platform/automation_guid.h"

#include <cstdio>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at text[pos]; false when one is not a digit.
bool ReadHex(std::string_view text, size_t pos, int digits, uint64_t *out)
{
    uint64_t v = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = HexDigit(text[pos + size_t(i)]);
        if (d < 0)
            return false;
        v = v * 16 + uint64_t(d);
    }
    *out = v;
    return true;
}

} // namespace

std::optional<GUID> GuidFromString(std::string_view text)
{
    // {8-4-4-4-12}
    if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-')
        return std::nullopt;
    GUID g{};
    uint64_t v = 0;
    if (!ReadHex(text, 1, 8, &v))
        return std::nullopt;
    g.Data1 = uint32_t(v);
    if (!ReadHex(text, 10, 4, &v))
        return std::nullopt;
    g.Data2 = uint16_t(v);
    if (!ReadHex(text, 15, 4, &v))
        return std::nullopt;
    g.Data3 = uint16_t(v);
    for (int i = 0; i < 8; ++i) {
        const size_t pos = i < 2 ? 20 + size_t(i) * 2 : 25 + size_t(i - 2) * 2;
        if (!ReadHex(text, pos, 2, &v))
            return std::nullopt;
        g.Data4[i] = uint8_t(v);
    }
    return g;
}

std::string GuidToString(const GUID &g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(g.Data1),
                  unsigned(g.Data2), unsigned(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                  g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

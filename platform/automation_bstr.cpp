#include "platform/automation_bstr.h"

#include "platform/text_codec.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// The block starts with the byte length; the string points past it. Eight
// bytes go before the text so that it stays aligned for any character use.
constexpr size_t kPrefix = 8;

uint32_t *LengthField(BSTR s) { return reinterpret_cast<uint32_t *>(reinterpret_cast<char *>(s) - 4); }

void *BlockOf(BSTR s) { return reinterpret_cast<char *>(s) - kPrefix; }

} // namespace

BSTR SysAllocStringLen(const OLECHAR *text, UINT length)
{
    if (length > (std::numeric_limits<uint32_t>::max() - kPrefix - 2) / 2)
        return nullptr;
    const size_t bytes = size_t(length) * sizeof(OLECHAR);
    char *block = static_cast<char *>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    BSTR s = reinterpret_cast<BSTR>(block + kPrefix);
    *LengthField(s) = uint32_t(bytes);
    if (text)
        std::memcpy(s, text, bytes);
    else
        std::memset(s, 0, bytes);
    s[length] = 0;
    return s;
}

BSTR SysAllocString(const OLECHAR *text)
{
    if (!text)
        return nullptr;
    UINT n = 0;
    while (text[n])
        ++n;
    return SysAllocStringLen(text, n);
}

UINT SysStringByteLen(BSTR s) { return s ? *LengthField(s) : 0; }

UINT SysStringLen(BSTR s) { return SysStringByteLen(s) / sizeof(OLECHAR); }

void SysFreeString(BSTR s)
{
    if (s)
        std::free(BlockOf(s));
}

BOOL SysReAllocStringLen(BSTR *s, const OLECHAR *text, UINT length)
{
    if (!s)
        return FALSE;
    BSTR fresh = SysAllocStringLen(text, length);
    if (!fresh)
        return FALSE;
    SysFreeString(*s);
    *s = fresh;
    return TRUE;
}

BSTR BstrFromQString(const QString &text)
{
    return SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), UINT(text.size()));
}

QString BstrToQString(BSTR s)
{
    return QString(reinterpret_cast<const QChar *>(s), qsizetype(SysStringLen(s)));
}

BSTR BstrFromWindows1252(std::string_view text) { return BstrFromQString(FromWindows1252(text)); }

std::string BstrToWindows1252(BSTR s) { return ToWindows1252(BstrToQString(s)); }

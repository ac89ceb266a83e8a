#include "engine/kernel/object_store.h"
#include "engine/view/text/text_internal.h"

#include <algorithm>
#include <cstring>

int TextObjectTextSet(OBJectKernel *kernel, OBJHANDLE text, const char *string)
{
    if (!TextObjectLock(kernel, text))
        return 0;
    if (!string)
        string = "";
    const size_t given = strnlen(string, TEXT_MAX_LENGTH + 1);
    const uint32_t length = given <= TEXT_MAX_LENGTH - 1 ? uint32_t(given) : TEXT_MAX_LENGTH;
    const uint32_t space = DataSpaceSize(kernel, text) & 0xFFFF;
    if (space <= length && !ReSizeOBJect(kernel, text, int32_t(length - space + 2)))
        return 0;
    char *p = TextObjectLock(kernel, text); // resizing may have moved the block
    if (!p)
        return 0;
    char *data = DataSpaceBegin(p);
    std::memmove(data, string, length);
    data[length] = 0;
    StoreField(p, offsetof(TextObjectData, textLength), length);
    return 1;
}

int TextObjectTextGet(OBJectKernel *kernel, OBJHANDLE text, char *buffer, int size)
{
    const char *p = TextObjectLock(kernel, text);
    if (!p)
        return 0;
    if (!buffer || size <= 0)
        return 1;
    const std::string_view t = textobj::RecordText(p);
    const size_t n = std::min(t.size(), size_t(size));
    std::memcpy(buffer, t.data(), n);
    std::memset(buffer + n, 0, size_t(size) - n);
    return 1;
}

int TextObjectLineCount(const char *record)
{
    if (!record || LoadField<uint32_t>(record, offsetof(TextObjectData, textLength)) == 0)
        return 0;
    const std::string_view t = textobj::RecordText(record);
    return 1 + int(std::count(t.begin(), t.end(), '\n'));
}

int TextObjectLineGet(const char *record, char *buffer, int line)
{
    if (!record || !buffer || LoadField<uint32_t>(record, offsetof(TextObjectData, textLength)) == 0)
        return 0;
    const std::string_view t = textobj::RecordText(record);
    size_t start = 0;
    for (int i = 0; i < line && start < t.size(); ++i) {
        const size_t lf = t.find('\n', start);
        start = lf == std::string_view::npos ? t.size() : lf + 1;
    }
    size_t end = std::min(t.find('\n', start), t.size());
    if (end > start && t[end - 1] == '\r')
        --end;
    const size_t n = std::min(end - start, size_t(TEXT_LINE_BUFFER - 1));
    std::memcpy(buffer, t.data() + start, n);
    buffer[n] = 0;
    return 1;
}

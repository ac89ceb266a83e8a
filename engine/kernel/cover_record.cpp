#include "engine/kernel/cover_record.h"

#include "engine/kernel/global_memory_helpers.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <sys/stat.h>

namespace {

constexpr size_t kDotSearch = 130;

// Position of the first "." within the first 130 characters; npos when none.
size_t firstDot(const char *name)
{
    const size_t n = strnlen(name, kDotSearch);
    const void *dot = std::memchr(name, '.', n);
    return dot ? size_t(static_cast<const char *>(dot) - name) : std::string_view::npos;
}

bool fileExists(const char *name)
{
    struct stat st {};
    return stat(name, &st) == 0;
}

int makeCover(HGLOBAL *out, const char *fileName, char letter)
{
    const HGLOBAL mem = GlobalAllocCompact(sizeof(CoverRecord));
    auto *rec = static_cast<CoverRecord *>(GlobalLock(mem));
    if (!rec) {
        GlobalFree(mem);
        return 0;
    }
    const size_t n = strnlen(fileName, sizeof rec->fileName - 1);
    std::memcpy(rec->fileName, fileName, n);
    rec->kind = COVER_RECORD_KIND;
    rec->letter = int32_t(letter);
    GlobalUnlock(mem);
    *out = mem;
    return fileExists(fileName) ? 1 : 0;
}

} // namespace

int CoverCreateStruct(HGLOBAL *out, char *fileName, char letter)
{
    return CoverCreateStruct2(out, fileName, letter, nullptr);
}

int CoverCreateStruct2(HGLOBAL *out, char *fileName, char letter, const char *extension)
{
    if (!out)
        return 0;
    *out = 0;
    if (!fileName)
        return 0;
    const size_t dot = firstDot(fileName);
    if (dot != std::string_view::npos) {
        const size_t length = std::strlen(fileName);
        if (extension) {
            // Only the bytes the name already occupies are written.
            const size_t room = length - dot - 1;
            const size_t n = std::min(room, std::strlen(extension));
            std::memcpy(fileName + dot + 1, extension, n);
            fileName[dot + 1 + n] = '\0';
        } else if (dot + 3 < length) {
            fileName[dot + 3] = 'D';
        }
    }
    return makeCover(out, fileName, letter);
}

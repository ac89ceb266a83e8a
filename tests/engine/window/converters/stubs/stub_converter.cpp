// A converter module that tells its calls: each entry appends one line to
// the file named by STUB_CONVERTER_LOG (the module is unloaded after every
// call, so it keeps nothing itself).
#include "platform/types.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define STUB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void note(const std::string &line)
{
    const char *path = std::getenv("STUB_CONVERTER_LOG");
    if (!path)
        return;
    if (FILE *f = std::fopen(path, "a")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

} // namespace

#if defined(STUB_FULL) || defined(STUB_PLAIN)
STUB_EXPORT int GormImport(HWND map, const char *file, int *shared, HWND sheet)
{
    note("import " + std::string(file) + " map=" + std::to_string(map) + " sheet=" + std::to_string(sheet) +
         " shared=" + (shared ? std::to_string((*shared)++) : std::string("none")));
    return 1;
}

STUB_EXPORT int GormExport(HWND map, const char *file, uint32_t *root, HWND sheet)
{
    note("export " + std::string(file) + " map=" + std::to_string(map) + " sheet=" + std::to_string(sheet) +
         " root=" + (root ? std::to_string(*root) : std::string("none")));
    return 7;
}
#endif

#if defined(STUB_FULL) || defined(STUB_NOENTRY)
// Picks the file "picked.dat" whatever the buffer held.
STUB_EXPORT int GormImportOptions(HWND dialog, HWND map, char *buffer, uint32_t size)
{
    note("import options dialog=" + std::string(dialog ? "yes" : "no") + " map=" + std::to_string(map) +
         " buffer=" + std::string(buffer ? buffer : "") + " size=" + std::to_string(size));
    if (buffer && size > 10)
        std::strcpy(buffer, "picked.dat");
    return 1;
}

STUB_EXPORT int GormExportOptions(HWND dialog, HWND map, char *buffer, uint32_t size)
{
    note("export options dialog=" + std::string(dialog ? "yes" : "no") + " map=" + std::to_string(map) +
         " buffer=" + std::string(buffer ? buffer : "") + " size=" + std::to_string(size));
    if (buffer && size > 10)
        std::strcpy(buffer, "ignored.dat");
    return 1;
}
#endif

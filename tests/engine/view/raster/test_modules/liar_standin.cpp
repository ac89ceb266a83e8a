// A converter module that reports success with a header claiming far more
// pixels than its pixel block holds.
#include "platform/global_memory.h"

#include <cstdint>
#include <cstring>

extern "C" __attribute__((visibility("default"))) int GormRasterBody(const char *, HGLOBAL *header,
                                                                     HGLOBAL *pixels, void *)
{
    if (header) {
        *header = GlobalAlloc(GHND, 40);
        auto *p = static_cast<char *>(GlobalLock(*header));
        const int32_t size = 40, width = 1000, height = 1000;
        const uint16_t planes = 1, bits = 24;
        std::memcpy(p, &size, 4);
        std::memcpy(p + 4, &width, 4);
        std::memcpy(p + 8, &height, 4);
        std::memcpy(p + 12, &planes, 2);
        std::memcpy(p + 14, &bits, 2);
        GlobalUnlock(*header);
    }
    if (pixels)
        *pixels = GlobalAlloc(GHND, 16);
    return 1;
}

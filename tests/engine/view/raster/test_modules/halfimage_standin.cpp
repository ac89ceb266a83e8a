// A converter module that reports success but gives only the header block.
#include "platform/global_memory.h"

#include <cstdint>
#include <cstring>

extern "C" __attribute__((visibility("default"))) int GormRasterBody(const char *, HGLOBAL *header, HGLOBAL *,
                                                                     void *)
{
    if (!header)
        return 0;
    *header = GlobalAlloc(GHND, 40);
    const int32_t fields[3] = {40, 4, 4};
    std::memcpy(GlobalLock(*header), fields, sizeof fields);
    GlobalUnlock(*header);
    return 1;
}

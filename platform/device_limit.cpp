#include "platform/device_limit.h"

#include <atomic>

namespace {
std::atomic<int64_t> limit{kDefaultDeviceBitmapLimit};
}

int64_t DeviceBitmapLimit() { return limit.load(std::memory_order_relaxed); }

void SetDeviceBitmapLimit(int64_t pixels)
{
    limit.store(pixels > 0 ? pixels : kDefaultDeviceBitmapLimit, std::memory_order_relaxed);
}

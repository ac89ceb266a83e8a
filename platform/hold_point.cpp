#include "platform/hold_point.h"

#include <mutex>
#include <utility>

namespace {

std::mutex &HookMutex()
{
    static std::mutex mutex;
    return mutex;
}

HoldHook &Hook()
{
    static HoldHook hook;
    return hook;
}

} // namespace

HoldHook SetHoldHookForTesting(HoldHook hook)
{
    std::lock_guard lock(HookMutex());
    return std::exchange(Hook(), std::move(hook));
}

void HoldPoint(const char *point, HANDLE stop)
{
    HoldHook hook;
    {
        std::lock_guard lock(HookMutex());
        hook = Hook();
    }
    if (hook)
        hook(point, stop);
}

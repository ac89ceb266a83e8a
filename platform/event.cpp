#include "platform/event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

struct Event {
    static constexpr uint32_t kMagic = 0x45564E54; // guards against foreign pointers
    uint32_t magic = kMagic;
    std::mutex mutex;
    std::condition_variable changed;
    bool manualReset;
    bool signalled;
};

Event *asEvent(HANDLE h)
{
    auto *e = static_cast<Event *>(h);
    return e && e->magic == Event::kMagic ? e : nullptr;
}

} // namespace

HANDLE CreateEventA(const void *, BOOL manualReset, BOOL initialState, const char *)
{
    auto *e = new Event;
    e->manualReset = manualReset != 0;
    e->signalled = initialState != 0;
    return e;
}

BOOL SetEvent(HANDLE h)
{
    Event *e = asEvent(h);
    if (!e)
        return FALSE;
    {
        std::lock_guard lock(e->mutex);
        e->signalled = true;
    }
    if (e->manualReset)
        e->changed.notify_all();
    else
        e->changed.notify_one();
    return TRUE;
}

BOOL ResetEvent(HANDLE h)
{
    Event *e = asEvent(h);
    if (!e)
        return FALSE;
    std::lock_guard lock(e->mutex);
    e->signalled = false;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds)
{
    Event *e = asEvent(h);
    if (!e)
        return WAIT_FAILED;
    std::unique_lock lock(e->mutex);
    auto ready = [e] { return e->signalled; };
    if (milliseconds == 0) {
        // A poll: the drawing loop asks before every object, so no system
        // call is made for it.
        if (!e->signalled)
            return WAIT_TIMEOUT;
    } else if (milliseconds == INFINITE)
        e->changed.wait(lock, ready);
    else if (!e->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ready))
        return WAIT_TIMEOUT;
    if (!e->manualReset)
        e->signalled = false;
    return WAIT_OBJECT_0;
}

BOOL CloseEventHandle(HANDLE h)
{
    Event *e = asEvent(h);
    if (!e)
        return FALSE;
    e->magic = 0;
    delete e;
    return TRUE;
}

#include "platform/mouse_capture.h"

#include "platform/window.h"

#include <map>
#include <mutex>

namespace {

struct CaptureState {
    std::mutex mutex;
    HWND holder = 0;
    std::map<HWND, CaptureHook> hooks;
};

CaptureState &state()
{
    static CaptureState s;
    return s;
}

CaptureHook hookOf(CaptureState &s, HWND hwnd)
{
    const auto it = s.hooks.find(hwnd);
    return it == s.hooks.end() ? CaptureHook() : it->second;
}

} // namespace

HWND SetCapture(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return 0;
    CaptureState &s = state();
    CaptureHook lost, taken;
    HWND previous = 0;
    {
        std::lock_guard lock(s.mutex);
        previous = IsWindow(s.holder) ? s.holder : 0;
        if (previous == hwnd)
            return previous;
        s.holder = hwnd;
        if (previous)
            lost = hookOf(s, previous);
        taken = hookOf(s, hwnd);
    }
    // The hooks run outside the lock: they may ask for the holder.
    if (lost)
        lost(previous, false);
    if (taken)
        taken(hwnd, true);
    return previous;
}

BOOL ReleaseCapture()
{
    CaptureState &s = state();
    CaptureHook lost;
    HWND previous = 0;
    {
        std::lock_guard lock(s.mutex);
        previous = s.holder;
        s.holder = 0;
        if (!previous)
            return FALSE;
        lost = hookOf(s, previous);
    }
    if (lost)
        lost(previous, false);
    return TRUE;
}

HWND GetCapture()
{
    CaptureState &s = state();
    std::lock_guard lock(s.mutex);
    return IsWindow(s.holder) ? s.holder : 0;
}

void SetWindowCaptureHook(HWND hwnd, CaptureHook hook)
{
    CaptureState &s = state();
    std::lock_guard lock(s.mutex);
    if (hook)
        s.hooks[hwnd] = std::move(hook);
    else
        s.hooks.erase(hwnd);
}

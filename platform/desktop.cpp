#include "platform/desktop.h"

#include "platform/screen_metrics.h"
#include "platform/window.h"

#include <mutex>

namespace {

std::mutex &desktopMutex()
{
    static std::mutex m;
    return m;
}

HWND &desktopHandle()
{
    static HWND h = 0;
    return h;
}

RECT screenRect() { return RECT{0, 0, ScreenMetric(HORZRES), ScreenMetric(VERTRES)}; }

} // namespace

HWND GetDesktopWindow()
{
    std::lock_guard lock(desktopMutex());
    HWND &h = desktopHandle();
    // A destroyed desktop record is made again: the handle stays usable.
    if (!h || !IsWindow(h))
        h = CreateHeadlessWindow(nullptr);
    const RECT r = screenRect();
    SetClientSize(h, r.right, r.bottom);
    return h;
}

BOOL GetWindowRect(HWND hwnd, RECT *rect)
{
    if (!rect || !hwnd)
        return FALSE;
    {
        std::lock_guard lock(desktopMutex());
        if (hwnd != desktopHandle() || !IsWindow(hwnd))
            return FALSE;
    }
    *rect = screenRect();
    return TRUE;
}

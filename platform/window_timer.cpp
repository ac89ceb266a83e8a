#include "platform/window_timer.h"

#include "platform/window.h"
#include "platform/window_messages.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace {

using TimerKey = std::pair<HWND, uintptr_t>;

struct TimerTable {
    std::mutex mutex;
    std::map<TimerKey, std::unique_ptr<QTimer>> timers;
};

TimerTable &table()
{
    // Never destroyed: timers left at exit must not outlive the application
    // in a static destructor.
    static auto *t = new TimerTable;
    return *t;
}

} // namespace

uintptr_t SetTimer(HWND hwnd, uintptr_t id, UINT milliseconds)
{
    if (id == 0 || !IsWindow(hwnd) || !QCoreApplication::instance())
        return 0;
    TimerTable &t = table();
    std::lock_guard lock(t.mutex);
    std::unique_ptr<QTimer> &timer = t.timers[{hwnd, id}];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [hwnd, id] {
            if (IsWindow(hwnd))
                SendMessageA(hwnd, WM_TIMER, WPARAM(id), 0);
            else
                KillTimer(hwnd, id);
        });
    }
    timer->start(int(std::clamp<UINT>(milliseconds, 1, 0x7FFFFFFF)));
    return id;
}

BOOL KillTimer(HWND hwnd, uintptr_t id)
{
    std::unique_ptr<QTimer> gone;
    {
        TimerTable &t = table();
        std::lock_guard lock(t.mutex);
        const auto it = t.timers.find({hwnd, id});
        if (it == t.timers.end())
            return FALSE;
        gone = std::move(it->second);
        t.timers.erase(it);
    }
    // Deleted later: the timer may be the one whose tick is running now.
    gone->stop();
    gone.release()->deleteLater();
    return TRUE;
}

BOOL GetTimerInterval(HWND hwnd, uintptr_t id, UINT *milliseconds)
{
    TimerTable &t = table();
    std::lock_guard lock(t.mutex);
    const auto it = t.timers.find({hwnd, id});
    if (it == t.timers.end())
        return FALSE;
    if (milliseconds)
        *milliseconds = UINT(it->second->interval());
    return TRUE;
}

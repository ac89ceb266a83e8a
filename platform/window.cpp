#include "platform/window.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct WindowRecord {
    WNDPROC handler;
    intptr_t userData = 0;
};

struct WindowTable {
    std::mutex mutex;
    std::unordered_map<HWND, std::shared_ptr<WindowRecord>> windows;
    HWND next = 1;
    HWND active = 0;

    std::shared_ptr<WindowRecord> find(HWND h)
    {
        std::lock_guard lock(mutex);
        auto it = windows.find(h);
        return it == windows.end() ? nullptr : it->second;
    }
};

WindowTable &table()
{
    static WindowTable t;
    return t;
}

} // namespace

HWND CreateHeadlessWindow(WNDPROC handler)
{
    WindowTable &t = table();
    std::lock_guard lock(t.mutex);
    if (t.next == 0) // the id space ran out; ids are never reused
        return 0;
    HWND h = t.next++;
    auto rec = std::make_shared<WindowRecord>();
    rec->handler = std::move(handler);
    t.windows.emplace(h, std::move(rec));
    return h;
}

BOOL DestroyWindow(HWND hwnd)
{
    WindowTable &t = table();
    auto rec = t.find(hwnd);
    if (!rec)
        return FALSE;
    if (rec->handler)
        rec->handler(hwnd, WM_DESTROY, 0, 0);
    std::lock_guard lock(t.mutex);
    t.windows.erase(hwnd);
    if (t.active == hwnd)
        t.active = 0;
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return table().find(hwnd) ? TRUE : FALSE;
}

intptr_t SetWindowLongPtrA(HWND hwnd, int index, intptr_t value)
{
    auto rec = table().find(hwnd);
    if (!rec || index != GWLP_USERDATA)
        return 0;
    intptr_t old = rec->userData;
    rec->userData = value;
    return old;
}

intptr_t GetWindowLongPtrA(HWND hwnd, int index)
{
    auto rec = table().find(hwnd);
    if (!rec || index != GWLP_USERDATA)
        return 0;
    return rec->userData;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The record is held by a shared pointer for the length of the call, so
    // a handler that destroys its own window does not pull the record away
    // from under itself.
    auto rec = table().find(hwnd);
    if (!rec || !rec->handler)
        return 0;
    return rec->handler(hwnd, msg, wParam, lParam);
}

HWND GetActiveWindow()
{
    WindowTable &t = table();
    std::lock_guard lock(t.mutex);
    return t.active;
}

HWND SetActiveWindow(HWND hwnd)
{
    WindowTable &t = table();
    std::lock_guard lock(t.mutex);
    HWND old = t.active;
    if (t.windows.count(hwnd))
        t.active = hwnd;
    return old;
}

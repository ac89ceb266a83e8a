#include "platform/window_scroll.h"

#include "platform/window.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace {

struct Bar {
    int minPos = 0;
    int maxPos = 0;
    int pos = 0;
    bool visible = false;
};

struct ScrollState {
    Bar bars[2];
    ScrollHook hook;
};

struct ScrollTable {
    std::mutex mutex;
    std::unordered_map<HWND, ScrollState> windows;
};

ScrollTable &table()
{
    static ScrollTable t;
    return t;
}

bool ValidBar(int bar) { return bar == SB_HORZ || bar == SB_VERT; }

// Runs f on the window's bar under the lock; false for a bad window or bar.
template <typename F>
bool WithBar(HWND hwnd, int bar, F f)
{
    if (!ValidBar(bar) || !IsWindow(hwnd))
        return false;
    ScrollTable &t = table();
    std::lock_guard lock(t.mutex);
    f(t.windows[hwnd].bars[bar]);
    return true;
}

void Invalidate(HWND hwnd, LONG l, LONG t, LONG r, LONG b)
{
    if (r > l && b > t) {
        const RECT rc{l, t, r, b};
        InvalidateRect(hwnd, &rc, TRUE);
    }
}

} // namespace

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL)
{
    return WithBar(hwnd, bar, [&](Bar &b) {
        b.minPos = minPos;
        b.maxPos = maxPos;
        b.visible = maxPos > minPos;
    });
}

BOOL GetScrollRange(HWND hwnd, int bar, int *minPos, int *maxPos)
{
    return WithBar(hwnd, bar, [&](Bar &b) {
        if (minPos)
            *minPos = b.minPos;
        if (maxPos)
            *maxPos = b.maxPos;
    });
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL)
{
    int previous = 0;
    WithBar(hwnd, bar, [&](Bar &b) {
        previous = b.pos;
        // The bar holds its thumb inside its range, as the window system does.
        b.pos = b.maxPos > b.minPos ? std::clamp(pos, b.minPos, b.maxPos) : b.minPos;
    });
    return previous;
}

int GetScrollPos(HWND hwnd, int bar)
{
    int pos = 0;
    WithBar(hwnd, bar, [&](Bar &b) { pos = b.pos; });
    return pos;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    if (bar == SB_BOTH)
        return ShowScrollBar(hwnd, SB_HORZ, show) && ShowScrollBar(hwnd, SB_VERT, show);
    return WithBar(hwnd, bar, [&](Bar &b) { b.visible = show != 0; });
}

BOOL IsScrollBarVisible(HWND hwnd, int bar)
{
    bool visible = false;
    WithBar(hwnd, bar, [&](Bar &b) { visible = b.visible; });
    return visible;
}

void SetWindowScrollHook(HWND hwnd, ScrollHook hook)
{
    if (!IsWindow(hwnd))
        return;
    ScrollTable &t = table();
    std::lock_guard lock(t.mutex);
    t.windows[hwnd].hook = std::move(hook);
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT *scrollRect, const RECT *clipRect)
{
    RECT client;
    if (!GetClientRect(hwnd, &client))
        return FALSE;
    RECT area = scrollRect ? *scrollRect : client;
    if (clipRect) {
        area.left = std::max(area.left, clipRect->left);
        area.top = std::max(area.top, clipRect->top);
        area.right = std::min(area.right, clipRect->right);
        area.bottom = std::min(area.bottom, clipRect->bottom);
    }
    ScrollHook hook;
    {
        ScrollTable &t = table();
        std::lock_guard lock(t.mutex);
        auto it = t.windows.find(hwnd);
        if (it != t.windows.end())
            hook = it->second.hook;
    }
    if (hook)
        hook(hwnd, dx, dy);

    // The pending invalid area belongs to the picture: it moves with it.
    RECT pending;
    if (GetUpdateRect(hwnd, &pending, FALSE)) {
        ValidateRect(hwnd, nullptr);
        Invalidate(hwnd, std::max(pending.left + dx, client.left), std::max(pending.top + dy, client.top),
                   std::min(pending.right + dx, client.right), std::min(pending.bottom + dy, client.bottom));
    }
    if (area.right <= area.left || area.bottom <= area.top)
        return TRUE;
    const int64_t w = int64_t(area.right) - area.left, h = int64_t(area.bottom) - area.top;
    const LONG sx = LONG(std::clamp<int64_t>(dx, -w, w)), sy = LONG(std::clamp<int64_t>(dy, -h, h));
    if (sy > 0)
        Invalidate(hwnd, area.left, area.top, area.right, area.top + sy);
    else if (sy < 0)
        Invalidate(hwnd, area.left, area.bottom + sy, area.right, area.bottom);
    if (sx > 0)
        Invalidate(hwnd, area.left, area.top, area.left + sx, area.bottom);
    else if (sx < 0)
        Invalidate(hwnd, area.right + sx, area.top, area.right, area.bottom);
    return TRUE;
}

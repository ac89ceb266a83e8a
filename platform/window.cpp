#include "platform/window.h"

#include "platform/clipboard.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <unordered_map>

namespace {

struct WindowRecord {
    WNDPROC handler;
    intptr_t userData = 0;
    // client, invalid and hasInvalid: a drawing thread invalidates what it
    // drew while the window's own thread paints.
    std::mutex state;
    RECT client{0, 0, 0, 0};
    RECT invalid{0, 0, 0, 0};
    bool hasInvalid = false;
    PaintHook paintHook; // set and called on the window's own thread
    // Lives on the thread that made the window: posted messages run there.
    QPointer<QObject> postTarget;
    bool enabled = true;
    HWND parent = 0;
    std::string text; // Windows-1252
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
    if (QCoreApplication::instance())
        rec->postTarget = new QObject(QCoreApplication::instance()->thread() == QThread::currentThread()
                                          ? QCoreApplication::instance()
                                          : nullptr);
    t.windows.emplace(h, std::move(rec));
    return h;
}

WNDPROC SetWindowHandler(HWND hwnd, WNDPROC handler)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return nullptr;
    return std::exchange(rec->handler, std::move(handler));
}

BOOL DestroyWindow(HWND hwnd)
{
    WindowTable &t = table();
    auto rec = t.find(hwnd);
    if (!rec)
        return FALSE;
    // A clipboard owner leaves its announced formats rendered.
    ClipboardOwnerDestroying(hwnd);
    if (rec->handler)
        rec->handler(hwnd, WM_DESTROY, 0, 0);
    {
        std::lock_guard lock(t.mutex);
        t.windows.erase(hwnd);
        if (t.active == hwnd)
            t.active = 0;
    }
    if (rec->postTarget)
        rec->postTarget->deleteLater(); // drops posted messages not yet run
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return table().find(hwnd) ? TRUE : FALSE; }

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return FALSE;
    std::lock_guard lock(rec->state);
    const bool wasDisabled = !rec->enabled;
    rec->enabled = enable != FALSE;
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return FALSE;
    std::lock_guard lock(rec->state);
    return rec->enabled ? TRUE : FALSE;
}

HWND SetParent(HWND hwnd, HWND parent)
{
    auto rec = table().find(hwnd);
    if (!rec || hwnd == parent || (parent && !IsWindow(parent)))
        return 0;
    std::lock_guard lock(rec->state);
    return std::exchange(rec->parent, parent);
}

HWND GetParent(HWND hwnd)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return 0;
    std::lock_guard lock(rec->state);
    return IsWindow(rec->parent) ? rec->parent : 0;
}

BOOL SetWindowTextA(HWND hwnd, const char *text)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return FALSE;
    std::lock_guard lock(rec->state);
    rec->text = text ? text : "";
    return TRUE;
}

int GetWindowTextA(HWND hwnd, char *buffer, int size)
{
    auto rec = table().find(hwnd);
    if (!rec || !buffer || size < 1)
        return 0;
    std::lock_guard lock(rec->state);
    const size_t n = std::min(rec->text.size(), size_t(size - 1));
    rec->text.copy(buffer, n);
    buffer[n] = 0;
    return int(n);
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

namespace {

RECT unite(const RECT &a, const RECT &b)
{
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool isEmpty(const RECT &r) { return r.right <= r.left || r.bottom <= r.top; }

} // namespace

BOOL GetClientRect(HWND hwnd, RECT *rect)
{
    auto rec = table().find(hwnd);
    if (!rec || !rect)
        return FALSE;
    std::lock_guard lock(rec->state);
    *rect = rec->client;
    return TRUE;
}

BOOL SetClientSize(HWND hwnd, LONG width, LONG height)
{
    auto rec = table().find(hwnd);
    if (!rec || width < 0 || height < 0)
        return FALSE;
    std::lock_guard lock(rec->state);
    rec->client = RECT{0, 0, width, height};
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT *rect, BOOL)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return FALSE;
    RECT r{};
    {
        std::lock_guard lock(rec->state);
        r = rect ? *rect : rec->client;
        // Only the part inside the client area can be painted.
        r = RECT{std::max(r.left, rec->client.left), std::max(r.top, rec->client.top),
                 std::min(r.right, rec->client.right), std::min(r.bottom, rec->client.bottom)};
        if (isEmpty(r))
            return TRUE;
        rec->invalid = rec->hasInvalid ? unite(rec->invalid, r) : r;
        rec->hasInvalid = true;
    }
    // The hook schedules a widget's update, which only the window's own
    // thread may do: from another thread it is queued there.
    QObject *home = rec->postTarget.data();
    if (home && home->thread() != QThread::currentThread()) {
        QMetaObject::invokeMethod(
            home,
            [hwnd, r] {
                if (auto target = table().find(hwnd); target && target->paintHook)
                    target->paintHook(hwnd, r);
            },
            Qt::QueuedConnection);
        return TRUE;
    }
    if (rec->paintHook)
        rec->paintHook(hwnd, r);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT *rect)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return FALSE;
    std::lock_guard lock(rec->state);
    // The pending area is kept as one bounding rectangle, so only a
    // validation that covers it clears it.
    if (!rect || (rect->left <= rec->invalid.left && rect->top <= rec->invalid.top &&
                  rect->right >= rec->invalid.right && rect->bottom >= rec->invalid.bottom)) {
        rec->hasInvalid = false;
        rec->invalid = RECT{0, 0, 0, 0};
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT *rect, BOOL)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return FALSE;
    std::lock_guard lock(rec->state);
    if (rect)
        *rect = rec->hasInvalid ? rec->invalid : RECT{0, 0, 0, 0};
    return rec->hasInvalid ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd)
{
    auto rec = table().find(hwnd);
    if (!rec)
        return FALSE;
    bool pending = false;
    {
        std::lock_guard lock(rec->state);
        pending = rec->hasInvalid;
    }
    if (pending)
        SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

void SetWindowPaintHook(HWND hwnd, PaintHook hook)
{
    if (auto rec = table().find(hwnd))
        rec->paintHook = std::move(hook);
}

void DispatchPendingMessages()
{
    if (QCoreApplication::instance()) {
        // A long job pumps here: a clipboard request must not render
        // from the middle of it.
        const ClipboardRenderBlock block;
        QCoreApplication::processEvents();
    }
}

BOOL RunOnWindowThread(HWND hwnd, std::function<void()> call)
{
    auto rec = table().find(hwnd);
    if (!rec || !call)
        return FALSE;
    QObject *home = rec->postTarget.data();
    if (!home || home->thread() == QThread::currentThread()) {
        call();
        return TRUE;
    }
    QMetaObject::invokeMethod(
        home,
        [hwnd, call = std::move(call)] {
            if (table().find(hwnd))
                call();
        },
        Qt::QueuedConnection);
    return TRUE;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto rec = table().find(hwnd);
    if (!rec || !rec->postTarget)
        return FALSE;
    // The handle, not the record, is carried: a window destroyed before the
    // message runs simply does not get it.
    QMetaObject::invokeMethod(
        rec->postTarget.data(), [hwnd, msg, wParam, lParam] { SendMessageA(hwnd, msg, wParam, lParam); },
        Qt::QueuedConnection);
    return TRUE;
}

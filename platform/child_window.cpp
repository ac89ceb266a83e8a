#include "platform/child_window.h"

#include "platform/text_codec.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <mutex>

namespace {

struct ChildRecord {
    HWND parent = 0;
    RECT rect{0, 0, 0, 0};
    std::string text;
    QPointer<QLabel> label;
};

struct Tables {
    std::mutex mutex;
    std::map<HWND, QPointer<QWidget>> widgets;
    std::map<HWND, ChildRecord> children;
};

Tables &tables()
{
    static Tables t;
    return t;
}

QColor toQt(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

void removeChild(HWND hwnd)
{
    QPointer<QLabel> label;
    {
        Tables &t = tables();
        std::lock_guard lock(t.mutex);
        auto it = t.children.find(hwnd);
        if (it == t.children.end())
            return;
        label = it->second.label;
        t.children.erase(it);
    }
    delete label.data();
}

} // namespace

void SetWindowWidget(HWND hwnd, QWidget *widget)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    if (widget)
        t.widgets[hwnd] = widget;
    else
        t.widgets.erase(hwnd);
}

QWidget *GetWindowWidget(HWND hwnd)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    auto it = t.widgets.find(hwnd);
    return it == t.widgets.end() ? nullptr : it->second.data();
}

HWND CreateChildWindow(HWND parent, const RECT &rect, const std::string &text, WNDPROC handler)
{
    if (!IsWindow(parent))
        return 0;
    // The child's record goes when WM_DESTROY has been handled.
    const auto refused = std::make_shared<bool>(false);
    const HWND child =
        CreateHeadlessWindow([handler, refused](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (*refused)
                return 0;
            const LRESULT result = handler ? handler(h, msg, wParam, lParam) : 0;
            if (msg == WM_DESTROY)
                removeChild(h);
            return result;
        });
    if (!child)
        return 0;
    SetClientSize(child, rect.right - rect.left, rect.bottom - rect.top);
    SetParent(child, parent);
    SetWindowTextA(child, text.c_str());
    QLabel *label = nullptr;
    if (QWidget *widget = GetWindowWidget(parent)) {
        label = new QLabel(FromWindows1252(text), widget);
        label->setGeometry(int(rect.left), int(rect.top), int(rect.right - rect.left),
                           int(rect.bottom - rect.top));
        label->setAutoFillBackground(true);
    }
    {
        Tables &t = tables();
        std::lock_guard lock(t.mutex);
        t.children[child] = {parent, rect, text, label};
    }
    if (handler && handler(child, WM_CREATE, 0, 0) == -1) {
        // The record goes without a WM_DESTROY: the handler refused to be.
        *refused = true;
        removeChild(child);
        DestroyWindow(child);
        return 0;
    }
    if (label)
        label->show();
    return child;
}

BOOL GetChildWindowRect(HWND hwnd, RECT *rect)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    auto it = t.children.find(hwnd);
    if (it == t.children.end())
        return FALSE;
    if (rect)
        *rect = it->second.rect;
    return TRUE;
}

BOOL SetChildWindowText(HWND hwnd, const char *text)
{
    QPointer<QLabel> label;
    const std::string value = text ? text : "";
    {
        Tables &t = tables();
        std::lock_guard lock(t.mutex);
        auto it = t.children.find(hwnd);
        if (it == t.children.end())
            return FALSE;
        it->second.text = value;
        label = it->second.label;
    }
    SetWindowTextA(hwnd, value.c_str());
    if (label)
        label->setText(FromWindows1252(value));
    return TRUE;
}

std::string GetChildWindowText(HWND hwnd)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    auto it = t.children.find(hwnd);
    return it == t.children.end() ? std::string() : it->second.text;
}

BOOL SetChildWindowColors(HWND hwnd, COLORREF text, COLORREF background)
{
    QLabel *label = ChildWindowLabel(hwnd);
    if (!GetChildWindowRect(hwnd, nullptr))
        return FALSE;
    if (label) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, toQt(text));
        palette.setColor(QPalette::Window, toQt(background));
        label->setPalette(palette);
    }
    return TRUE;
}

QLabel *ChildWindowLabel(HWND hwnd)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    auto it = t.children.find(hwnd);
    return it == t.children.end() ? nullptr : it->second.label.data();
}

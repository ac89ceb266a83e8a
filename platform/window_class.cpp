#include "platform/window_class.h"

#include "platform/window.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<std::pair<HWND, std::string>> names; // in order of naming
};

Registry &registry()
{
    static Registry r;
    return r;
}

bool equalNoCase(const std::string &a, const char *b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return i == a.size() && !b[i];
}

// Window ids are never reused, so a destroyed window's entry can only be
// dropped, never mistaken for a new window.
void pruneDead(Registry &r)
{
    std::erase_if(r.names, [](const auto &e) { return !IsWindow(e.first); });
}

} // namespace

BOOL SetWindowClassName(HWND hwnd, const char *className)
{
    if (!IsWindow(hwnd) || !className || !*className)
        return FALSE;
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    pruneDead(r);
    for (auto &e : r.names)
        if (e.first == hwnd) {
            e.second = className;
            return TRUE;
        }
    r.names.emplace_back(hwnd, className);
    return TRUE;
}

std::string GetWindowClassName(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return {};
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    for (const auto &e : r.names)
        if (e.first == hwnd)
            return e.second;
    return {};
}

HWND FindWindowA(const char *className, const char *windowName)
{
    if (!className || windowName)
        return 0;
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    pruneDead(r);
    for (const auto &e : r.names)
        if (equalNoCase(e.second, className))
            return e.first;
    return 0;
}

#include "engine/kernel/debug_viewer.h"

#include "platform/global_memory.h"
#include "platform/window.h"
#include "platform/window_class.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char *kViewerClass = "DBWin";
constexpr UINT kViewerTextMessage = WM_USER + 1;
constexpr size_t kTextBlock = 1024;

HWND &viewer()
{
    static HWND window = 0;
    return window;
}

} // namespace

int DebugMessage(const char *text)
{
    // The viewer is looked up once and kept; when it has gone, look again,
    // so that a new viewer is found and no text goes to a dead handle.
    HWND &window = viewer();
    if (!IsWindow(window))
        window = FindWindowA(kViewerClass, nullptr);
    if (!window)
        return 0;
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, kTextBlock);
    char *copy = block ? static_cast<char *>(GlobalLock(block)) : nullptr;
    if (!copy) {
        if (block)
            GlobalFree(block);
        return 0;
    }
    const size_t length = text ? strnlen(text, kTextBlock - 1) : 0;
    std::memcpy(copy, text ? text : "", length);
    copy[length] = 0;
    SendMessageA(window, kViewerTextMessage, 0, reinterpret_cast<LPARAM>(copy));
    GlobalUnlock(block);
    GlobalFree(block);
    return 1;
}

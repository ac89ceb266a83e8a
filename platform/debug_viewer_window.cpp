#include "platform/debug_viewer_window.h"

#include "platform/debug_output.h"
#include "platform/window.h"
#include "platform/window_class.h"

static_assert(DEBUG_VIEWER_TEXT_MESSAGE == WM_USER + 1);

HWND CreateDebugViewerWindow()
{
    const HWND hwnd = CreateHeadlessWindow([](HWND, UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == DEBUG_VIEWER_TEXT_MESSAGE && lParam) {
            OutputDebugStringA(reinterpret_cast<const char *>(lParam));
            return 1;
        }
        return 0;
    });
    if (hwnd && !SetWindowClassName(hwnd, DEBUG_VIEWER_CLASS)) {
        DestroyWindow(hwnd);
        return 0;
    }
    return hwnd;
}

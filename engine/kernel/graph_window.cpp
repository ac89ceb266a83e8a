#include "engine/kernel/graph_window.h"

#include "platform/window.h"

void AttachWndRes(HWND window, _WNDRES *record)
{
    if (record)
        record->hWnd = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<intptr_t>(record));
}

void GraphNotifyWindow(HWND window, WPARAM code, OBJHANDLE object)
{
    const _WNDRES *record = GetWndRes(window);
    if (!record || !record->notifyWnd || !record->notifyMsg)
        return;
    SendMessageA(record->notifyWnd, record->notifyMsg, code, LPARAM(object));
}

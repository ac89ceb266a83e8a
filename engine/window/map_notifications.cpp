#include "engine/window/map_notifications.h"

#include "engine/window/wndres.h"

UINT map_notification_Set(HWND window, HWND target, UINT message)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return 0;
    const UINT previous = (rec->notifyMsg << 16) | (rec->notifyWnd & 0xFFFF);
    rec->notifyWnd = target;
    rec->notifyMsg = message;
    return previous;
}

int GormF1Help(HWND window, int32_t helpId)
{
    SendMessage(window, MAPN_HELP, 0, LPARAM(helpId));
    return 1;
}

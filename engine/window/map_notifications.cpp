#include "engine/window/map_notifications.h"

#include "engine/kernel/window_record.h"

int GormF1Help(HWND window, int32_t helpId)
{
    SendMessage(window, MAPN_HELP, 0, LPARAM(helpId));
    return 1;
}

// The help request of a map window; the notification codes and the
// client's notification target are the kernel's (map_notify_codes.h,
// window_record.h).
#pragma once

#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/window_record.h"

// Asks the map window for help on an identifier (MAPN_HELP); 1.
int GormF1Help(HWND window, int32_t helpId);

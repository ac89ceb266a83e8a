// The control library's server module: its lock count and the classes it
// serves (the map control, its two property pages, the point and rectangle
// classes), registered from their member tables.
#pragma once

#include "platform/automation_server.h"

ServerModule &KrtMapModule();

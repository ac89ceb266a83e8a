// The sound the editing operations make when they refuse a step.
#pragma once

#include "platform/beep.h"

inline void EditingBeep() { MessageBeep(0); }

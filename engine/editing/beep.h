// The sound the editing operations make when they refuse a step.
#pragma once

#include "platform/message_beep.h"

inline void EditingBeep() { MessageBeep(MB_OK_SOUND); }

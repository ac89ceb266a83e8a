// The default system sound. Beeps are counted so that tests can read them;
// an offscreen or headless session makes no sound.
#pragma once

#include "platform/types.h"

#include <cstdint>

inline constexpr UINT MB_OK_SOUND = 0; // MB_OK: the default sound

BOOL MessageBeep(UINT type);

// Beeps since the start of the process (or the last reset).
uint64_t MessageBeepCount();
void MessageBeepCountReset();

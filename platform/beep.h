// The system beep. Beeps go to a sink: by default the application's beep
// (silent without a GUI application or on the offscreen platform); tests
// install a sink of their own to hear them.
#pragma once

#include "platform/types.h"

#include <functional>

using BeepSink = std::function<void(UINT type)>;

// Hands the sound type (0 for the default sound, or an MB_ICON... value of
// message_box.h) to the sink. TRUE.
BOOL MessageBeep(UINT type);
// Installs a sink (an empty one restores the default); returns the old one.
BeepSink SetBeepSink(BeepSink sink);

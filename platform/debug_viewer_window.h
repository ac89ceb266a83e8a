// A debug viewer: a window of class "DBWin" that takes texts sent to it with
// WM_USER + 1 (lParam: the address of a zero-terminated text) and passes
// them to the debug output sink (debug_output.h). Programs that want to see
// the engine's debug messages create one; without it they are not sent.
#pragma once

#include "platform/types.h"

inline constexpr const char *DEBUG_VIEWER_CLASS = "DBWin";
inline constexpr UINT DEBUG_VIEWER_TEXT_MESSAGE = 0x0400 + 1; // WM_USER + 1

// The new viewer window (destroy it with DestroyWindow); 0 on failure.
HWND CreateDebugViewerWindow();

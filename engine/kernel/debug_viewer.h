// Debug output of the engine to an outside viewer window of class "DBWin".
#pragma once

// Sends the text (at most 1,023 characters) to the viewer; 1 when sent, 0
// when there is no viewer.
int DebugMessage(const char *text);

// The life of a map window's record: filling it, binding it to its window,
// its settings and its vertex bitmap. The record itself is declared with the
// kernel (engine/kernel/window_record.h).
#pragma once

#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/vertex_bitmap.h"

// Fills a fresh record: two views, a new object store with its root
// objects, buffers, page set-up block, stop event and settings key. 1.
int WndRes_Constructor(_WNDRES *rec);
// Binds the record to its window and loads the settings; 0 for a null
// window or a record that is already attached.
int WndRes_AttachToWindow(_WNDRES *rec, HWND hwnd, int createPage);
// (Re)reads the engine settings of the window; with refresh and a changed
// selection look the selection is repainted. 1.
int WndRes_InitFromRegistry(_WNDRES *rec, int refresh);
// Reads "Display Size X"/"Display Size Y" into the screen view, repairing
// missing or out-of-range texts.
void WndResLoadDisplaySize(_WNDRES *rec);
// Frees everything the record owns, not the record's own memory. 1.
int WndRes_Destructor(_WNDRES *rec);

// Enters the view floor's services of map windows (once; EngineStartup).
void WndResInstallViewServices();

// Full path of the engine library; its length, 0 when it does not fit.
DWORD GetMapDllFileName(char *buffer, DWORD size);

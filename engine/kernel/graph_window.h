// How the graphical classes reach the map window of their document: the
// window record, found from the window handle, and the client's
// notification message.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/window_record.h"

// Puts a record into a window's user data and the window into the record.
// WndRes_AttachToWindow does this for a constructed record; tests attach
// records of their own kernels with it.
void AttachWndRes(HWND window, _WNDRES *record);

// Sends the window's registered notification, when a target and a message
// are set, with a code and the object's full handle.
void GraphNotifyWindow(HWND window, WPARAM code, OBJHANDLE object);

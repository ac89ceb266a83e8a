// Window-level forms of kernel operations: each finds the window's kernel
// (and roots) through the window record and returns the kernel operation's
// own failure value when the window has no record or no kernel.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// InsertRefInPos(kernel, holder, id, target, -1, -1); OBJ_INVALID on failure.
uint32_t InsertReferenceWnd(HWND window, OBJHANDLE holder, uint16_t id, OBJHANDLE target);
// RemoveReference; OBJ_INVALID on failure.
uint32_t RemoveReferenceWnd(HWND window, OBJHANDLE holder, uint16_t id, OBJHANDLE target);
// FirstReference; 0 (and *pos 0) on failure.
OBJHANDLE FirstReferenceWnd(HWND window, OBJHANDLE holder, uint16_t filter, int32_t *pos);
OBJHANDLE CreateOBJectWnd(HWND window, uint16_t classId);
// 1 after BankSetDelStack on the kernel's bank; 0 without kernel.
int BankSetDelStackWnd(HWND window);
// Makes the layer the active layer of the window's Layers root: 1, or 0 when
// it is not one of that root's layers.
int SetActiveLayer(HWND window, OBJHANDLE layer);
// The active aspect of the window's Groups root; 0 without one.
OBJHANDLE GetActiveAspectWnd(HWND window);
// A new Group appended to the active aspect's members; 0 without Groups
// root or active aspect, or when it cannot be made.
OBJHANDLE CreateGroupWnd(HWND window);

// Selection by point and rectangle: a click or a dragged rectangle in a map
// window becomes a change of the window's selection list. These are kernel
// operations in spirit, but they hit-test through the editing searches, so
// they live above the kernel here.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

// Flag bits of the selection operations.
inline constexpr uint32_t SELECT_ADD = 0x0008;     // add to or toggle the selection
inline constexpr uint32_t SELECT_ELEMENT = 0x1000; // look inside the selected objects

// -1 when nothing changed (nothing hit, or a click that only picked an
// element of the current object); 1 when a repeated click moved to another
// group level; otherwise the number of objects in the selection list.
int OnSelectByPoint(HWND window, uint32_t flags, POINT point);
// Selects the objects wholly inside the rectangle (corners in any order), or
// with the Alt key held those meeting it; the number selected afterwards.
int OnSelectByRect(HWND window, uint32_t flags, const MAP_COORDRECT *rect);
// As OnSelectByRect; a rectangle with equal corners is a click at that map
// point, whose miss answers 0.
int OnRectSelect(HWND window, uint32_t flags, const MAP_COORDRECT *rect);
// 1 when the window point hits an object of the set: a drawn vertex of one
// of its objects near the point, or else one of its objects containing it.
int CheckPointInRoot(HWND window, OBJHANDLE set, uint32_t unused, POINT point);

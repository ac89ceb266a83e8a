// What the display of a map window shows as a whole: the rectangle that the
// scroll bars span after a document was loaded or changed.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

struct PresentationManager;

// After a document was loaded: the page is brought up to date, both scroll
// ranges set, then PM_UpdateDisplay.
int PM_InitDisplaySettings(PresentationManager *view, HWND window);
// The screen view's all-objects rectangle := everything the document shows
// (the page, the nail pinned on it and the objects' bounds), then the
// scroll bars follow it.
int PM_UpdateDisplay(HWND window);
// The same rectangle in map coordinates; the empty rectangle when there is
// nothing. 1, or 0 for a window without a record.
int PM_GetDisplayBoundRect(HWND window, MAP_COORDRECT *mapRect);

// Permanent conversion of a document into another coordinate system: every
// stored point goes through the screen view's Forward entry, in place.
#pragma once

#include "platform/types.h"

// Converts the page and every object below the layers. 1 when done (also
// for a document without objects); 0 for a window without a record or when
// memory runs out.
int PM_ReprojectObjects(HWND window);
// Converts the page's origin and extent, when the window has a page.
void PM_ReprojectPage(HWND window);

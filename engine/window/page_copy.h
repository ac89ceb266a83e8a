// Copying what lies on a window's page to the clipboard and pasting it onto
// the page of a window, clipped to the page's printable area.
//
// CopyPage remembers where the page was (its origin and extension, for the
// life of the library); PastePage moves the window's page there, pastes the
// clipboard's native objects at their copied coordinates and cuts each
// pasted object to the printable area: a polygon becomes its intersection
// with the printable rectangle (keeping its identifier), a polyline the
// pieces of it that lie inside the page's strip (the printable area's width
// and the page's full height).
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

extern "C" {

// Copies every object touching the page's strip (a text only when it
// overlaps the printable area vertically) as a selection copy; the
// selection is put back afterwards. 0 always.
int CopyPage(HWND window);
// Pastes onto the page as above. Without an earlier CopyPage it does
// nothing. 0 always.
int PastePage(HWND window);

} // extern "C"

// Forgets the remembered page (for tests).
void ForgetCopiedPage();

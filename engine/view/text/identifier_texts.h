// The text objects that show an identifier's code and name on the map, as
// the kernel's identifier code asks for them (entered into its services
// when the engine starts).
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// A text in the window's active layer with the string at the anchor, the
// face, size, style and flags (alignment and size lock) and the own colour
// 0 (black); 0 when none could be made.
OBJHANDLE IdentifierTextCreate(HWND window, const char *string, const _COORDPT *anchor, const char *face,
                               int32_t size, int style, uint16_t flags);
// Gives the text its new string and, with a window, measures its rectangle
// again so that it encloses the new string. 1; 0 when it is not a text.
int IdentifierTextSet(OBJectKernel *kernel, HWND window, OBJHANDLE text, const char *string);

// The focus rectangle: a dotted frame drawn by inverting every other pixel
// of the rectangle's border, so that drawing it twice takes it away again.
#pragma once

#include "platform/types.h"

// The rectangle's right and bottom are exclusive. FALSE for a bad context.
BOOL DrawFocusRect(HDC dc, const RECT *rect);

// Drawing an icon into a device context: the icon's image at its own size,
// its transparent pixels leaving what lies below.
#pragma once

#include "platform/types.h"

// Draws the icon with its top-left corner at (x, y); parts outside the
// target are left out. FALSE for a bad context or icon.
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

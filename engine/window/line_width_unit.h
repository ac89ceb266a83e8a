// The unit text shown next to line-width fields: " pix" for widths in
// pixels, else the name of the world unit of the window's display view.
#pragma once

#include "platform/types.h"

#include <string>

// A record whose text field receives the unit text.
struct LineWidthUnitRecord {
    char text[32];
};

// Writes the text into record->text (at most 31 characters and a zero).
// With an unknown unit, or a unit without names, the field is left as it
// was. 1 when written, else 0.
int LineWidthUnitText(LineWidthUnitRecord *record, HINSTANCE instance, HWND window, uint8_t widthsInMapUnits);
// The same text as a string; " m" where the record form writes nothing.
std::string LineWidthUnitString(HINSTANCE instance, HWND window, uint8_t widthsInMapUnits);

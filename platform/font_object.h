// The record behind a font handle, for the device contexts of this library.
#pragma once

#include "platform/font.h"
#include "platform/gdi_objects.h"

class QFont;

namespace gdi {

struct Font : Object {
    Font() : Object(Kind::Font) {}
    LOGFONTA description{};
};

// The Qt font of a description, pixel sized, without antialiasing.
QFont ToQFont(const LOGFONTA &description);

} // namespace gdi

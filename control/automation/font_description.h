// The font description that texts, legends and presentations keep, its
// conversion to and from the platform's standard font object, and the two
// conversion functions the library exports for other programs.
#pragma once

#include "control/variant_values.h"
#include "platform/automation_dispatch.h"

#include <cstdint>
#include <string>

// Style bits of a description.
inline constexpr uint16_t kFontStyleBold = 2;
inline constexpr uint16_t kFontStyleItalic = 4;
inline constexpr uint16_t kFontStyleUnderline = 8;
inline constexpr uint16_t kFontStyleStrikethrough = 16;

struct FontDescription {
    int32_t size = 10;          // points
    std::string face = "Arial"; // Windows-1252
    uint16_t style = 0;
    int16_t charSet = 0;
};

// A new standard font object ("StdFont") with the description's values,
// one reference for the caller; null when none can be made.
IDispatch *FontObjectFromDescription(const FontDescription &description);
// Sets a font object's properties from the values; false when the object is
// null or refuses one of them.
bool WriteFontObject(IDispatch *font, const FontDescription &description);
// Reads a font object into the description: the size rounded to whole
// points from 0.8 up. False, the description unchanged, when the object is
// null or does not answer as a font.
bool ReadFontObject(IDispatch *font, FontDescription *description);

extern "C" {
// Sets the font object's Name, Size, Bold, Italic, Underline,
// Strikethrough and Charset from the values. 1 when done, 0 otherwise.
KRTMAP_EXPORT int FontMapToOle(IDispatch *font, const char *face, int32_t size, uint16_t style,
                               int16_t charSet);
// Reads them back: the face into a buffer of faceSize bytes (cut and
// terminated), the size in whole points, the style bits and the character
// set; outputs may be null. 1 when read, 0 (outputs unchanged) otherwise.
KRTMAP_EXPORT int FontOleToMap(IDispatch *font, char *face, uint32_t faceSize, int32_t *size, uint16_t *style,
                               int16_t *charSet);
}

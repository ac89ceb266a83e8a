// Enumerating the fonts the font database offers, in the manner of
// EnumFontFamiliesEx. The context gives the resolution at which heights are
// measured; heights and metrics are in its pixels (the layer keeps no
// mapping modes).
#pragma once

#include "platform/font.h"
#include "platform/types.h"

#include <functional>
#include <string>
#include <vector>

// Font types handed to the callback.
inline constexpr DWORD RASTER_FONTTYPE = 0x0001;
inline constexpr DWORD DEVICE_FONTTYPE = 0x0002;
inline constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

struct TEXTMETRICA {
    LONG tmHeight; // cell height: ascent plus descent
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading; // cell height less the character (em) height
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    char tmFirstChar;
    char tmLastChar;
    char tmDefaultChar;
    char tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
static_assert(sizeof(TEXTMETRICA) == 56);
static_assert(offsetof(TEXTMETRICA, tmFirstChar) == 44);

// Answers non-zero to go on, 0 to stop the enumeration.
using FONTENUMPROCA = int (*)(const LOGFONTA *font, const TEXTMETRICA *metrics, DWORD fontType, LPARAM data);

// With an empty face name in the filter: one call per family, with the
// family's default height. With a face name: one call per height the family
// offers (faces compared without regard to case), ascending. The face name
// in the LOGFONT is the family's name in Windows-1252, cut to fit.
// Answers the callback's last answer (1 when it was never called); 0 for a
// bad context, a null filter or a null callback.
int EnumFontFamiliesExA(HDC dc, const LOGFONTA *filter, FONTENUMPROCA proc, LPARAM data, DWORD flags);

// The faces the enumeration sees: the font database's families with their
// point sizes (the smooth sizes of scalable faces).
struct FontFace {
    std::string name; // UTF-8
    std::vector<double> pointSizes;
    bool scalable = true;
};
std::vector<FontFace> SystemFontFaces();

// Tests replace the font database's faces; an empty hook restores it.
// Answers the previous hook.
using FontFacesHook = std::function<std::vector<FontFace>()>;
FontFacesHook SetFontFacesHook(FontFacesHook hook);

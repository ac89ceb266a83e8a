// The engine's font list: the screen's font families and the heights each
// offers, built once by _wflNew and kept for the library's life. Heights are
// in twips (1/1440 inch).
//
// _wflNew needs the application's font database, so it is not run by the
// engine's static start-up (which may run before any GUI application
// exists): the first caller that needs the list builds it.
#pragma once

#include "platform/font.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>

inline constexpr uint16_t kFontListFamilies = 48;
inline constexpr uint16_t kFontFamilyHeights = 64;
inline constexpr int kFontListNameSize = 64;

// One family: its description as enumerated (height and width 0), its font
// type and its heights, ascending. Each height entry holds the height in
// twips in the low 16 bits and the font's internal leading, in twips, in
// the high 16 bits.
struct FontFamilyRecord {
    LOGFONTA logFont;
    uint16_t fontType;
    uint16_t heightCount;
    uint32_t heights[kFontFamilyHeights];
};
static_assert(sizeof(LOGFONTA) == 60);
static_assert(offsetof(FontFamilyRecord, fontType) == 60);
static_assert(offsetof(FontFamilyRecord, heights) == 64);
static_assert(sizeof(FontFamilyRecord) == 320);

struct FontListRecord {
    uint32_t dc; // the enumerating context; 0 in the kept copy
    char driver[kFontListNameSize];
    char device[kFontListNameSize];
    char port[kFontListNameSize];
    int32_t logPixelsX;
    int32_t logPixelsY;
    int32_t width; // pixels
    int32_t height;
    uint16_t capacity; // kFontListFamilies
    uint16_t count;
    FontFamilyRecord families[kFontListFamilies];
};
static_assert(offsetof(FontListRecord, driver) == 4);
static_assert(offsetof(FontListRecord, logPixelsX) == 196);
static_assert(offsetof(FontListRecord, capacity) == 212);
static_assert(offsetof(FontListRecord, families) == 216);
static_assert(sizeof(FontListRecord) == 216 + 48 * 320);

extern "C" {

// Builds the list: 1 on success, 0 when a block cannot be allocated or the
// display context cannot be made (the kept list is then left as it was).
int _wflNew();

} // extern "C"

// The kept list; all zero until _wflNew succeeds.
const FontListRecord &EngineFontList();
// The default face name, "Roman" once _wflNew has run; empty before.
const char *EngineFontListDefaultFace();

// Tests replace the making of the display context; an empty hook restores
// it. Answers the previous hook.
using FontListContextHook = std::function<HDC()>;
FontListContextHook SetFontListContextHook(FontListContextHook hook);

// Text objects (class Text): lines of text anchored at a map point, drawn in
// a font, size, rotation, alignment and colour, their size locked to the
// printed page (points at the page's scale), to the map (a height in map
// units) or to the screen (pixels). The record, the size arithmetic, the
// text's offset and bounding rectangle, the class procedure, drawing and
// selection marks, and the small operations on texts.
#pragma once

#include "engine/kernel/graph_services.h" // Z_BOUNDS
#include "engine/kernel/kernel_types.h"
#include "engine/kernel/coords.h"
#include "platform/font.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

struct GraphDispl;
struct PresentationManager;

// ---------------------------------------------------------------------------
// The fixed data of a Text, stored byte for byte in the map file. It may lie
// misaligned inside its block: read and write it through TextRecordLoad and
// TextRecordStore.
struct TextObjectData {
    _COORDRECT bound; // graphical head: bound rectangle, map units
    uint16_t graphFlags;
    uint16_t zero;
    _COORDPT selected; // the window-level creation puts the anchor here
    int32_t anchorX;
    int32_t anchorY;
    int32_t offsetX; // anchor to the top-left corner of the first line
    int32_t offsetY;
    uint8_t reserved44[4];
    char faceName[64];
    int16_t size; // points (page, map) or pixels (screen)
    uint16_t style;
    uint8_t reserved116[8];
    int32_t rotation; // tenths of a degree, counter-clockwise
    uint8_t reserved128[4];
    uint8_t charSet;
    uint8_t reserved133[27];
    uint16_t flags; // alignment and lock
    uint8_t reserved162[2];
    uint32_t ownColor; // COLORREF, 0xFFFFFFFF at creation
    int32_t mapHeight; // map units, map lock; 0 not computed yet
    uint32_t textLength;
    int32_t colorMode;
    uint32_t heightFlags; // bit 0: the text carries a height
    Z_BOUNDS heightRange;
    int32_t height;
    uint8_t reserved196[4];
};
static_assert(sizeof(TextObjectData) == 200);
static_assert(offsetof(TextObjectData, bound) == 0 && offsetof(TextObjectData, graphFlags) == 16 &&
              offsetof(TextObjectData, selected) == 20 && offsetof(TextObjectData, anchorX) == 28 &&
              offsetof(TextObjectData, anchorY) == 32 && offsetof(TextObjectData, offsetX) == 36 &&
              offsetof(TextObjectData, offsetY) == 40 && offsetof(TextObjectData, reserved44) == 44 &&
              offsetof(TextObjectData, faceName) == 48 && offsetof(TextObjectData, size) == 112 &&
              offsetof(TextObjectData, style) == 114 && offsetof(TextObjectData, reserved116) == 116 &&
              offsetof(TextObjectData, rotation) == 124 && offsetof(TextObjectData, reserved128) == 128 &&
              offsetof(TextObjectData, charSet) == 132 && offsetof(TextObjectData, reserved133) == 133 &&
              offsetof(TextObjectData, flags) == 160 && offsetof(TextObjectData, ownColor) == 164 &&
              offsetof(TextObjectData, mapHeight) == 168 && offsetof(TextObjectData, textLength) == 172 &&
              offsetof(TextObjectData, colorMode) == 176 && offsetof(TextObjectData, heightFlags) == 180 &&
              offsetof(TextObjectData, heightRange) == 184 && offsetof(TextObjectData, height) == 192 &&
              offsetof(TextObjectData, reserved196) == 196);

inline constexpr uint32_t TEXT_FIXED_SIZE = sizeof(TextObjectData);

// Style bits.
inline constexpr uint16_t TEXT_STYLE_BOLD = 2;
inline constexpr uint16_t TEXT_STYLE_ITALIC = 4;
inline constexpr uint16_t TEXT_STYLE_UNDERLINE = 8;
inline constexpr uint16_t TEXT_STYLE_STRIKEOUT = 16;

// Flag bits: where the anchor sits on the text's box, and the size lock.
inline constexpr uint16_t TEXT_ALIGN_HCENTER = 1;
inline constexpr uint16_t TEXT_ALIGN_RIGHT = 2;
inline constexpr uint16_t TEXT_ALIGN_VCENTER = 4;
inline constexpr uint16_t TEXT_ALIGN_BOTTOM = 8;
inline constexpr uint16_t TEXT_ALIGN_MASK = 0x0F;
inline constexpr uint16_t TEXT_LOCK_MAP = 0x10;
inline constexpr uint16_t TEXT_LOCK_SCREEN = 0x20;

// Unit flags of TextHeightToWindow.
inline constexpr uint32_t TEXT_UNITS_POINTS_TO_MAP = 0x10;
inline constexpr uint32_t TEXT_UNITS_POINTS_TO_PIXELS = 0x20;
inline constexpr uint32_t TEXT_UNITS_MAP_TO_PIXELS = 0x40;

// The longest text kept, and the buffer a caller of TextObjectLineGet gives.
inline constexpr uint32_t TEXT_MAX_LENGTH = 2046;
inline constexpr uint32_t TEXT_LINE_BUFFER = 2048;

// Points to the metre.
inline constexpr double TEXT_POINTS_PER_METRE = 2835.0;

// Drawing modes of TextObjectDisplay that add the selection marks.
inline constexpr uint16_t TEXT_DISPLAY_MARKS = 0x208;

inline TextObjectData TextRecordLoad(const char *record) { return LoadField<TextObjectData>(record, 0); }
inline void TextRecordStore(char *record, const TextObjectData &data) { StoreField(record, 0, data); }

// The fixed data of a Text, or null for a handle that is bad or names an
// object of another class.
char *TextObjectLock(OBJectKernel *kernel, OBJHANDLE text);

// ---------------------------------------------------------------------------
// Class procedure
LRESULT TextProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                 uint16_t message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Sizes
// Paper length over ground length of the window's page; 0 when the paper
// width is not positive or the page has no width.
double PageZoomFactorGet(HWND window);
int32_t TextHeightToWindow(HWND window, int32_t value, uint32_t unitFlags);
int32_t PointSizeToMap(HWND window, int32_t points);

// ---------------------------------------------------------------------------
// Offset and bounding rectangle
void TextObjectRecalcRect(HWND window, OBJHANDLE text);
// Measured on the given context; stores offset and rectangle, sends nothing.
void TextObjectRecalcRectOnDC(HWND window, HDC dc, OBJHANDLE text);
void TextObjectsRecalcAll(HWND window);
void TextObjectsRecalcScreenLocked(HWND window);

// ---------------------------------------------------------------------------
// Fonts: the display font of a text record, kept in the window record's
// one-font cache (the caller never deletes it); 0 when the text would be
// under 3 pixels high or no font can be made.
HFONT TextObjectFontGet(HWND window, const char *record);
// The font description of a record at the given height (escapement = the
// rotation, width and orientation 0).
LOGFONTA TextObjectFontDescription(const char *record, LONG height);

// ---------------------------------------------------------------------------
// Text content
int TextObjectTextSet(OBJectKernel *kernel, OBJHANDLE text, const char *string);
// strncpy semantics: at most size bytes, padded with zeros, unterminated
// when the text has size or more bytes. 1; 0 for a bad handle.
int TextObjectTextGet(OBJectKernel *kernel, OBJHANDLE text, char *buffer, int size);
int TextObjectLineCount(const char *record);
// Line i (from 0) without its CR, terminated, into a buffer of
// TEXT_LINE_BUFFER bytes; 0 without touching the buffer for an empty text.
int TextObjectLineGet(const char *record, char *buffer, int line);

// ---------------------------------------------------------------------------
// Placement
int TextObjectPositionSet(OBJectKernel *kernel, OBJHANDLE text, int32_t x, int32_t y);
int TextObjectPositionGet(OBJectKernel *kernel, OBJHANDLE text, int32_t *x, int32_t *y);
int TextObjectRotationSet(OBJectKernel *kernel, OBJHANDLE text, int32_t rotation);
int TextObjectRotationGet(OBJectKernel *kernel, OBJHANDLE text, int32_t *rotation);
int TextObjectEscapementGet(OBJectKernel *kernel, OBJHANDLE text, int32_t *escapement);
int TextObjectMove(OBJectKernel *kernel, OBJHANDLE text, int32_t dx, int32_t dy);
void TextObjectZoom(HWND window, OBJHANDLE text, const MAP_COORDRECT *rect);
int TextObjectFindVertex(OBJectKernel *kernel, OBJHANDLE text, const PresentationManager *view, int x, int y,
                         _COORDPT *out, int32_t radius);
int TextObjectContainsPoint(OBJectKernel *kernel, OBJHANDLE text, int32_t x, int32_t y);

// ---------------------------------------------------------------------------
// Drawing
// 1 after drawing; 0 without a context, for a bad handle or when no font
// results. transparency: the layer's, in percent (above 0: translucent).
int TextObjectDisplay(HWND window, HDC dc, OBJHANDLE text, uint16_t mode, GraphDispl *attributes,
                      int transparency);
void TextObjectDrawMarks(HWND window, HDC dc, OBJHANDLE text);
// Sets (clear 0) or clears the vertex-bitmap bits of the rectangle's corners,
// only on a display context.
void RectCornersToVertexBitmap(HWND window, HDC dc, const RECT *rect, int clear);
void BitmapDraw(HDC dc, HBITMAP bitmap, int width, int height, int x, int y, DWORD rop);

// The opacity of translucent text for a layer transparency in percent: the
// low 8 bits of the truncated 255 - t * 0.01 * 255 (so values above 100
// wrap round).
int TextOpacityFromTransparency(int transparency);

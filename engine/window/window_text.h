// Window-level functions of text objects: create a text in the window's
// active layer, change all its attributes at once, read them back. None of
// them makes an undo step.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/coords.h"
#include "platform/types.h"

#include <cstdint>

// Clears *text, then makes a text in the active layer: the string at the
// anchor, the face name (at most 63 characters), the size and style when
// above 0, the colour (0xFFFFFFFF: the layer's), the rotation and the flags
// (alignment and size lock). *text receives the new text, 0 when none could
// be made. Always 1.
int map_text_Create(HWND window, OBJHANDLE *text, const char *string, const MAP_COORDPT *anchor,
                    const char *face, int32_t size, int style, COLORREF colour, int rotation, int unused,
                    uint16_t flags, int reserved);

// The same attributes on an existing text; 0 when the handle is 0 or not a
// text.
int map_text_Set(HWND window, OBJHANDLE text, const char *string, const MAP_COORDPT *anchor, const char *face,
                 int32_t size, int style, COLORREF colour, int rotation, int unused, uint16_t flags,
                 int reserved);

// Like map_text_Create with all attributes: the size when positive, the
// style when not negative, the own colour, the colour mode (ownColour: 0
// layer colour, 1 own colour on a transparent background, other values own
// colour on an opaque one) and the character set; the map height follows
// from the size and the flags. Escapement and reserved are not used.
// Always 1.
int map_text_CreateEx(HWND window, OBJHANDLE *text, const char *string, const MAP_COORDPT *anchor,
                      const char *face, int32_t size, int style, COLORREF colour, int rotation,
                      int escapement, uint16_t flags, int reserved, uint8_t charSet, int ownColour);
// The same on an existing text; 0 when the handle is 0 or not a text.
int map_text_SetEx(HWND window, OBJHANDLE text, const char *string, const MAP_COORDPT *anchor,
                   const char *face, int32_t size, int style, COLORREF colour, int rotation, int escapement,
                   uint16_t flags, int reserved, uint8_t charSet, int ownColour);

// Fills every output given: length receives the text's length + 1, buffer
// at most min(bufferSize, length + 1) bytes, always terminated; the own
// colour flag is 1 only for colour mode 1; the escapement is always 0.
// Returns the bytes given to buffer; 0 when the handle is 0 or not a text.
int map_text_GetEx(HWND window, OBJHANDLE text, uint32_t *length, char *buffer, uint16_t bufferSize,
                   MAP_COORDPT *anchor, char *face, uint16_t faceSize, int32_t *size, int *style,
                   COLORREF *colour, int *rotation, int *escapement, uint16_t *flags, uint8_t *charSet,
                   int *ownColour);
// map_text_GetEx without the character set and the colour mode.
int map_text_Get(HWND window, OBJHANDLE text, uint32_t *length, char *buffer, uint16_t bufferSize,
                 MAP_COORDPT *anchor, char *face, uint16_t faceSize, int32_t *size, int *style,
                 COLORREF *colour, int *rotation, int *escapement, uint16_t *flags);

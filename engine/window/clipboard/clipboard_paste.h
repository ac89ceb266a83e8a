// Pasting into a map window: the engine's native objects (read by the
// native reader module), a clipboard bitmap (saved as a BMP file and made a
// raster) and clipboard text (made a text object), at the copied
// coordinates or at a point; the Paste Special choice; the paste state sent
// to the window; and the older paste of the format "Map".
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

// Codes of DstrEditPasteSpecial: what the next click on the map pastes.
inline constexpr long PASTE_HERE_NONE = 0;
inline constexpr long PASTE_HERE_TEXT = 1;
inline constexpr long PASTE_HERE_BITMAP = 2;
inline constexpr long PASTE_HERE_OBJECTS = 3;

// The raster of a pasted bitmap: 200 dots per inch at the page's scale.
inline constexpr double PASTE_BITMAP_DPI = 200.0;
// At most this many characters of clipboard text become a text object.
inline constexpr size_t PASTE_TEXT_LIMIT = 20;

extern "C" {

// The native objects at their copied coordinates: 1 when native data was
// on the clipboard (whatever the paste's own result), 0 otherwise.
long DstrEditPaste(HWND window);
// The Paste Special dialog: pastes at once, or answers the code of what the
// next click pastes; 0 when done or cancelled.
long DstrEditPasteSpecial(HWND window);
// clipboardOpen 1: the caller holds the clipboard open and the paste goes
// to the copied coordinates (objects) or the view's top-left corner (text,
// bitmap); 0: the function opens and closes it and pastes at the point.
// 1 when the native reader's entry was called, else 0.
long GormObjects_Paste(HWND window, int clipboardOpen, MAP_COORDPT point);
// 1 when a bitmap was there and saved, and its raster made, or when the
// user cancelled the file dialog; 0 otherwise (nothing is made).
long Bitmap_Paste(HWND window, int clipboardOpen, MAP_COORDPT point);
// 1 when a text object was made, else 0.
long Text_Paste(HWND window, int clipboardOpen, MAP_COORDPT point);
// Sends the paste state the clipboard's contents allow.
void Enable_Disable_Paste_Buttons(HWND window);
void Enable_AllPasteButtons(HWND window);
void Enable_PasteSpecialButton(HWND window);
// The older paste: "Map" data (format bit 1, or 0 for all). Every record is
// checked before anything is made; data that fails is refused with a
// message and the map is unchanged. The pasted objects join the active
// layer; like the native paste, it cannot be undone (the history is
// cleared). Without "Map" data: 0, or with text and bit 2 the placeholder
// paste of text (0).
int map_edit_Paste(HWND window, unsigned formatBits);

} // extern "C"

// The scale denominator of a pasted bitmap from the page scale: the
// rounded inverse of a positive scale, 1 for none, 10000 when that is
// below 1.
int32_t PasteScaleDenominator(double pageScale);

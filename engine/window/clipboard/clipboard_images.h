// The pictures a delayed clipboard copy offers: a bitmap of the copied set
// fitted into a square of "Copied Bitmap Width" pixels and a vector picture
// of it, each made only when asked for.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <string>

// The bitmap (a CF_BITMAP handle) of the set for the copy command; 0 when
// none could be made.
HBITMAP ClipboardBitmapOfSet(HWND window, OBJHANDLE set, int command);
// The vector picture (a CF_ENHMETAFILE block) of the set for the copy
// command; 0 when none could be made.
HGLOBAL ClipboardPictureOfSet(HWND window, OBJHANDLE set, int command);
// Writes the bitmap as a BMP file; false, after the message "ERROR CREATE
// BMP FILE.!\n", when the file cannot be written.
bool WriteClipboardBitmapFile(HWND window, const std::string &path, HBITMAP bitmap);

// Rendering a part of the map into an image: a bitmap of a map rectangle
// (with a caption), the bitmap and the vector picture that the clipboard's
// delayed rendering asks for, and the bitmap put on the clipboard.
//
// Every renderer draws through a copy of the window's display view, which
// it installs as the record's display view while it draws (the display pass
// reads the view from the record) and removes again on every way out; the
// window's own view is never changed. The drawing thread is stopped first.
//
// Image sizes: a square of S pixels (ImageSquareSide) into which the
// rendered area is fitted with its proportions kept, so that the bitmap's
// longer side is about S. When the bitmap cannot be made at that size the
// size shrinks by at least one pixel per attempt, a bounded number of
// times; when it still cannot be made there is no image.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/enhanced_metafile.h"
#include "platform/types.h"

#include <cstdint>
#include <functional>

// Copy commands (the window record's copyCommand).
inline constexpr int kCopyCut = 201;
inline constexpr int kCopySelection = 202;
inline constexpr int kCopyWholeMap = 203;
inline constexpr int kCopyPage = 210;

// The square's side for a size argument or setting: the value when it lies
// in 100 to 2147483646, else 1000; then at most MaxImageSquareSide().
int ImageSquareSide(int64_t value);
// The widest square bitmap the device takes (its bitmap limit).
int MaxImageSquareSide();

// The most attempts the bitmap creation makes before it gives up.
inline constexpr int kMaxBitmapAttempts = 64;
using BitmapFactory = std::function<HBITMAP(HDC dc, int width, int height)>;
// Makes a bitmap of *width x *height with the factory; after a failure both
// sides shrink by a hundredth (at least one pixel) and it tries again, at
// most kMaxBitmapAttempts times in all. The bitmap, with the size made in
// *width and *height; 0 when no attempt succeeded or a side reached 0.
HBITMAP CreateBitmapWithRetry(HDC dc, int64_t *width, int64_t *height, const BitmapFactory &factory);

// A bitmap of the map rectangle (map units, either corner order) showing
// selected and unselected objects, with the caption at its lower right; the
// size argument gives the square (ImageSquareSide). With keepScale the
// drawing keeps the window's 1:N scale (layers visible by scale, scaled
// texts and symbols look as in the window). The Layers root's clip
// rectangle is the map rectangle while it draws and is put back afterwards.
// 0 for a window without a document, an empty rectangle or when no bitmap
// could be made. The caller owns the bitmap.
HBITMAP RenderMapRectToBitmap(HWND window, const MAP_COORDRECT *rect, int size, int keepScale);

// The object set (a list of objects, such as the copied selection) drawn
// into a bitmap of the "Copied Bitmap Width" setting: its selected objects,
// and for command 203 (the whole map) its unselected ones too. 0 when the
// set has no extent or no bitmap could be made. The caller owns the bitmap.
HBITMAP RenderSetToClipboardBitmap(HWND window, OBJHANDLE set, int command);

// The same set as a vector picture (enhanced_metafile.h: an SVG document in
// a movable block) of "Copied Metafile Width" centimetres square (1 to 400,
// else 10), with no background, the whole set shown in the middle. Its
// reference device is the window's
// default printer, else the built-in PDF printer, else the screen. 0 when
// the picture cannot be made. The caller owns the block.
HENHMETAFILE RenderSetToClipboardMetafile(HWND window, OBJHANDLE set, int command);

// The picture's frame side in 0.01 mm for a width in centimetres, as the
// renderer computes it (the width in inches held in single precision):
// 10 cm gives 10000, 1 cm gives 999.
int32_t MetafileFrameSide(double centimetres);

// RenderMapRectToBitmap with the scale kept; the caller owns the bitmap.
HBITMAP ExpHBitmapPgon(HWND window, const MAP_COORDRECT *rect, int size);
// The same bitmap put on the clipboard as CF_BITMAP (the clipboard takes
// it). 1 when it is there; 0 when no bitmap was made or the clipboard could
// not be opened (the bitmap is deleted). No paste-state notice is sent.
int ExClipBitmapPgon(HWND window, const MAP_COORDRECT *rect, int size);

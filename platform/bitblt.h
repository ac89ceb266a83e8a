// Block transfers between device contexts: every ternary raster operation,
// pixel for pixel, the pattern being the destination's selected brush.
#pragma once

#include "platform/types.h"

inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD SRCPAINT = 0x00EE0086;
inline constexpr DWORD SRCAND = 0x008800C6;
inline constexpr DWORD SRCINVERT = 0x00660046;
inline constexpr DWORD SRCERASE = 0x00440328;
inline constexpr DWORD NOTSRCCOPY = 0x00330008;
inline constexpr DWORD NOTSRCERASE = 0x001100A6;
inline constexpr DWORD MERGEPAINT = 0x00BB0226;
inline constexpr DWORD PATCOPY = 0x00F00021;
inline constexpr DWORD PATINVERT = 0x005A0049;
inline constexpr DWORD DSTINVERT = 0x00550009;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;

// Copies the width x height block at (sx, sy) of the source to (x, y) of
// the destination through the raster operation (its bits 16-23: the result
// for pattern, source and destination bits). Parts outside either image are
// left out; source and destination may be the same context, even
// overlapping. FALSE for a bad context or a negative size; the source may be
// 0 for an operation that does not use it.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop);

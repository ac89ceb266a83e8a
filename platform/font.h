// Fonts: logical font descriptions mapped to Qt fonts (fontconfig chooses
// the face, so the Liberation faces stand in for the usual ones), measuring
// and drawing single-byte Windows-1252 text on the image device contexts.
// Text is drawn without antialiasing so that its pixels are stable.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <string_view>

inline constexpr int LF_FACESIZE = 32;

inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;

inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;

inline constexpr DWORD OBJ_FONT = 6;

// Stock font index (GetStockObject): the font a new device context holds.
inline constexpr int SYSTEM_FONT = 13;

// lfHeight: negative, the character height in pixels; positive, the cell
// height (ascent plus descent); 0, a default height. lfEscapement turns the
// text, in tenths of a degree counter-clockwise.
struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60);
static_assert(offsetof(LOGFONTA, lfItalic) == 20);
static_assert(offsetof(LOGFONTA, lfFaceName) == 28);

// 0 for a null description. A face name without its terminating zero within
// LF_FACESIZE bytes is cut to LF_FACESIZE - 1 characters.
HFONT CreateFontIndirectA(const LOGFONTA *description);
// For a font: copies its description (at most size bytes) and answers the
// bytes copied, or the size of the description when buffer is null. For a
// bitmap: its BITMAP (GetBitmapObject, dib_bits.h). 0 for other handles.
int GetObjectA(HGDIOBJ object, int size, void *buffer);

// The size of the text in the context's selected font: the advance width
// and the cell height, unturned. FALSE for a bad context or a negative
// length.
BOOL GetTextExtentPoint32A(HDC dc, const char *text, int length, SIZE *size);
// Draws the text with the cell's top-left corner at (x, y), turned about
// that point by the font's escapement, in the text colour; an OPAQUE
// background mode fills the (turned) cell box with the background colour
// first.
BOOL TextOutA(HDC dc, int x, int y, const char *text, int length);
// Draws the text in the selected font (its escapement left aside) with the
// cell's top-left corner at (x, y), turned about that point by angle degrees
// counter-clockwise, in color blended with the given alpha (0 transparent,
// 255 opaque) over what is there; no background. For layers drawn
// translucently.
BOOL DrawTranslucentRotatedText(HDC dc, int x, int y, std::string_view text, COLORREF color, int alpha,
                                double angleDegrees);

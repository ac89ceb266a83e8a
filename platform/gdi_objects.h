// GDI drawing objects: pens, brushes and bitmaps (fonts: font.h), the stock
// objects, and the one handle table they share with the device contexts
// (dc.h). Handles are 32-bit ids that are never reused; the stock objects
// have fixed ids and cannot be deleted.
#pragma once

#include "platform/types.h"

#include <QImage>

// Stock object indexes (GetStockObject).
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;

// Pen styles (CreatePen). The dashed styles are honoured at width 1 only; a
// wider pen of those styles draws solid.
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;
inline constexpr int PS_DOT = 2;
inline constexpr int PS_DASHDOT = 3;
inline constexpr int PS_DASHDOTDOT = 4;
inline constexpr int PS_NULL = 5;
inline constexpr int PS_INSIDEFRAME = 6;

// Brush styles (LOGBRUSH).
inline constexpr UINT BS_SOLID = 0;
inline constexpr UINT BS_NULL = 1;
inline constexpr UINT BS_HOLLOW = BS_NULL;
inline constexpr UINT BS_HATCHED = 2;

// Hatch styles (CreateHatchBrush): 8 x 8 patterns aligned to the context's
// brush origin, one-pixel lines; between the lines an opaque background
// mode puts the background colour and a transparent one leaves the pixels.
inline constexpr int HS_HORIZONTAL = 0; // the first row of each 8
inline constexpr int HS_VERTICAL = 1;   // the first column of each 8
inline constexpr int HS_FDIAGONAL = 2;  // "\\": x - y divisible by 8
inline constexpr int HS_BDIAGONAL = 3;  // "////": x + y + 1 divisible by 8
inline constexpr int HS_CROSS = 4;
inline constexpr int HS_DIAGCROSS = 5;

// Object types (GetObjectType).
inline constexpr DWORD OBJ_PEN = 1;
inline constexpr DWORD OBJ_BRUSH = 2;
inline constexpr DWORD OBJ_DC = 3;
inline constexpr DWORD OBJ_PAL = 5;
inline constexpr DWORD OBJ_BITMAP = 7;
inline constexpr DWORD OBJ_REGION = 8;
inline constexpr DWORD OBJ_MEMDC = 10;

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Width 0 is a one-pixel pen, as in GDI; a negative width is taken as 1.
// Unknown styles give 0.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
// 0 for a style outside HS_HORIZONTAL .. HS_DIAGCROSS.
HBRUSH CreateHatchBrush(int style, COLORREF color);
// A bitmap of the given size in the screen's format (32-bit RGB), cleared to
// black. 0 for a size that is not positive or too large.
HBITMAP CreateBitmapOfSize(int width, int height);
HGDIOBJ GetStockObject(int index);
// FALSE for a bad handle, a stock object, or an object that is selected into
// a device context at the moment.
BOOL DeleteObject(HGDIOBJ object);
// OBJ_PEN, OBJ_BRUSH, OBJ_PAL, OBJ_BITMAP, OBJ_DC, OBJ_MEMDC, OBJ_FONT; 0 for a bad
// handle.
DWORD GetObjectType(HGDIOBJ object);
// A copy of the bitmap's pixels (a null image for a bad handle).
QImage GetBitmapImage(HBITMAP bitmap);

// The records behind the handles, for the device contexts of this library.
namespace gdi {

enum class Kind { Pen, Brush, Bitmap, DC, Font, Palette, Region };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
    int selectedCount = 0; // device contexts that hold it selected
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    UINT style = BS_SOLID;
    int hatch = -1; // BS_HATCHED: the HS_ style
    COLORREF color = 0;
};

// True when the hatch style's line passes through the pixel (x, y), given
// relative to the brush origin.
constexpr bool HatchCovers(int hatch, int x, int y)
{
    const int cx = x & 7, cy = y & 7;
    switch (hatch) {
    case HS_HORIZONTAL:
        return cy == 0;
    case HS_VERTICAL:
        return cx == 0;
    case HS_FDIAGONAL:
        return ((cx - cy) & 7) == 0;
    case HS_BDIAGONAL:
        return ((cx + cy + 1) & 7) == 0;
    case HS_CROSS:
        return cx == 0 || cy == 0;
    case HS_DIAGCROSS:
        return ((cx - cy) & 7) == 0 || ((cx + cy + 1) & 7) == 0;
    default:
        return true;
    }
}

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    QImage image;
};

// The table: Add keeps the object and gives it a new id; Find answers null
// for a bad id or an object of another kind.
uint32_t Add(Object *object);
Object *Find(uint32_t id);
template <typename T>
T *FindAs(uint32_t id, Kind kind)
{
    Object *o = Find(id);
    return o && o->kind == kind ? static_cast<T *>(o) : nullptr;
}
// The one-pixel bitmap that a new memory device context holds, as in GDI, so
// that selecting a bitmap and selecting the old one back always pairs up.
inline constexpr uint32_t DefaultBitmapId = 0x20;
void EnsureStockObjects();
// Removes and deletes an object; FALSE for a bad id or a stock object.
BOOL Remove(uint32_t id);

} // namespace gdi

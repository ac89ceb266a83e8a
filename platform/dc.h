// Device contexts over images, keeping GDI's state model: the selected pen,
// brush, font and bitmap (SelectObject gives back the one it replaces), the
// current position, the raster operation, the background mode and colour and
// the text colour. Drawing on these raster contexts writes the image memory
// directly, pixel for pixel, without antialiasing (text: font.h; block
// transfers: bitblt.h; a window's context: window_dc.h).
//
// Pixel rules:
// - one-pixel pens (width 1) put a line on the pixels of LineDDA (line_dda.h):
//   LineTo leaves out the end point and applies the raster operation; the
//   dashed styles run on across consecutive LineTo calls and restart at
//   MoveToEx; with OPAQUE background their gaps get the background colour;
// - wider pens cover every pixel whose centre lies within width / 2 of the
//   line (the end points included): a line with round ends;
// - SetPixel writes its colour whatever the raster operation;
// - Polygon fills (alternate rule) the pixels whose top-left corner lies
//   inside the polygon, a point on a left or top edge counting as inside and
//   one on a right or bottom edge as outside, then outlines it with the pen;
// - Rectangle and Ellipse take a bounding box whose right and bottom are
//   exclusive; with the null pen the filled figure is one pixel narrower and
//   lower, as in GDI. An ellipse covers the pixels whose centre lies inside
//   the ellipse inscribed in the box; with a pen its border pixels (those with
//   a side neighbour outside) get the pen colour.
#pragma once

#include "platform/gdi_objects.h"
#include "platform/screen_metrics.h"
#include "platform/types.h"

#include <memory>
#include <mutex>

class QImage;

// Raster operations (SetROP2).
inline constexpr int R2_BLACK = 1;
inline constexpr int R2_NOTMERGEPEN = 2;
inline constexpr int R2_MASKNOTPEN = 3;
inline constexpr int R2_NOTCOPYPEN = 4;
inline constexpr int R2_MASKPENNOT = 5;
inline constexpr int R2_NOT = 6;
inline constexpr int R2_XORPEN = 7;
inline constexpr int R2_NOTMASKPEN = 8;
inline constexpr int R2_MASKPEN = 9;
inline constexpr int R2_NOTXORPEN = 10;
inline constexpr int R2_NOP = 11;
inline constexpr int R2_MERGENOTPEN = 12;
inline constexpr int R2_COPYPEN = 13;
inline constexpr int R2_MERGEPENNOT = 14;
inline constexpr int R2_MERGEPEN = 15;
inline constexpr int R2_WHITE = 16;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// GetDeviceCaps indexes besides the screen metrics' own.
inline constexpr int TECHNOLOGY = 2;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int DT_RASDISPLAY = 1;
inline constexpr int DT_RASPRINTER = 2;

// A memory device context that draws into the bitmap selected into it (a
// new one holds a one-pixel bitmap). The reference context is not needed:
// every raster context here has the screen's format.
HDC CreateCompatibleDC(HDC reference);
// A bitmap in the screen's format, cleared to black; the context is not
// needed for that. 0 above the device's bitmap limit (device_limit.h).
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A context that draws into the caller's image, which must stay alive until
// DeleteDC and be of a 32-bit format (RGB32, ARGB32, ARGB32 premultiplied);
// 0 otherwise. Written pixels get alpha 255.
HDC CreateImageDC(QImage *image);
// Puts back nothing: the objects selected into the context stay alive and
// become deletable.
BOOL DeleteDC(HDC dc);

// Pens, brushes, fonts and bitmaps (bitmaps into memory contexts only, and
// only into one context at a time). Gives the object of that kind it
// replaces, 0 on failure (the selection stays as it was).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

BOOL MoveToEx(HDC dc, int x, int y, POINT *previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL GetCurrentPositionEx(HDC dc, POINT *position);

// Each answers the previous value, 0 for a bad context or value.
int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
// CLR_INVALID for a bad context.
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);

// The colour written, or CLR_INVALID outside the image or for a bad context.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);

BOOL Polygon(HDC dc, const POINT *points, int count);
// Lines from each point to the next with the pen, as consecutive LineTo
// calls would draw them (the last point left out, one dash pattern running
// through), without using or moving the current position. FALSE for a bad
// context or fewer than 2 points.
BOOL Polyline(HDC dc, const POINT *points, int count);

// Where the 8 x 8 hatch patterns start; the previous origin into previous.
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT *previous);
BOOL GetBrushOrgEx(HDC dc, POINT *origin);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);

// A raster context answers the metrics of the screen it is compatible with;
// a context over another device (a printer: print_dc.h) answers its own.
int GetDeviceCaps(HDC dc, int index);

namespace gdi {

// A device behind a context other than an image or the screen. The context
// draws into the image its target names; the device answers the context's
// metrics and is told of every drawing call (a printer runs its abort
// procedure from there).
struct Device {
    virtual ~Device() = default;
    virtual int Caps(int index) const = 0;
    virtual void Drawing() {}
};

// A context over a device; the context owns it. 0 for a null device.
uint32_t CreateDeviceContext(std::unique_ptr<Device> device);

// The record behind an HDC. The drawing routines of the styled-line renderer
// hold it for the length of one drawing call to reach the pixels without a
// table look-up per pixel; everyone else goes through the functions above.
struct DeviceContext : Object {
    DeviceContext() : Object(Kind::DC) {}
    bool memory = false; // made by CreateCompatibleDC
    QImage *target = nullptr;
    uint32_t bitmap = 0;
    uint32_t pen = 0;
    uint32_t brush = 0;
    uint32_t font = 0;
    POINT position{0, 0};
    int rop2 = R2_COPYPEN;
    int bkMode = OPAQUE;
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF textColor = 0;
    uint32_t palette = 0;           // the selected logical palette; 0: the default one (palette.h)
    int stretchMode = 1;            // SetStretchBltMode (stretch_dib.h); BLACKONWHITE at first
    std::unique_ptr<Device> device; // null for image and screen contexts

    // Copies of the selected pen and brush, so that drawing needs no look-up.
    int penStyle = PS_SOLID;
    int penWidth = 1;
    uint32_t penRgb = 0xFF000000u;
    bool brushNull = false;
    int brushHatch = -1; // a hatched brush's HS_ style
    uint32_t brushRgb = 0xFFFFFFFFu;
    POINT brushOrg{0, 0};
    // A context over a window's retained surface shares the surface's lock
    // with the window's paint (window_dc.h); null for other contexts.
    std::mutex *surfaceLock = nullptr;
    int64_t penPhase = 0; // dash phase of a styled one-pixel pen
    // The logical mapping (map_mode.h); the raster drawing works in device
    // pixels whatever it says.
    int mapMode = 1; // MM_TEXT
    POINT windowOrg{0, 0};
    POINT viewportOrg{0, 0};
    SIZE windowExt{1, 1};
    SIZE viewportExt{1, 1};

    // The pixels of the target, valid after Begin() until the next call
    // that may touch the image from outside.
    unsigned char *bits = nullptr;
    qsizetype bytesPerLine = 0;
    int width = 0;
    int height = 0;

    // Makes the pixel pointer current (detaching a shared image); false when
    // there is nothing to draw into.
    bool Begin();

    bool Inside(int x, int y) const
    {
        return unsigned(x) < unsigned(width) && unsigned(y) < unsigned(height);
    }
    uint32_t *Row(int y) const { return reinterpret_cast<uint32_t *>(bits + y * bytesPerLine); }
    // Writes one pixel as is (SetPixel's rule); nothing outside the image.
    void Put(int x, int y, uint32_t rgb)
    {
        if (Inside(x, y))
            Row(y)[x] = rgb;
    }
    // Writes one pixel of the pen through the raster operation.
    void PutRop(int x, int y, uint32_t rgb)
    {
        if (!Inside(x, y))
            return;
        uint32_t &d = Row(y)[x];
        d = rop2 == R2_COPYPEN ? rgb : ApplyRop(rop2, rgb, d);
    }
    static uint32_t ApplyRop(int rop2, uint32_t pen, uint32_t dest);
    // Fills xa <= x < xb of row y (inside the image) with the brush through
    // the raster operation: solid, or hatched (its gaps as the background
    // mode says).
    void FillSpan(int y, int xa, int xb);

    void DrawLineTo(int x, int y); // after Begin(), from position
};

DeviceContext *FindDC(HDC dc);

// COLORREF (0x00BBGGRR) to an opaque pixel (0xFFRRGGBB) and back.
constexpr uint32_t ToPixel(COLORREF c)
{
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF FromPixel(uint32_t p) { return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16); }

} // namespace gdi

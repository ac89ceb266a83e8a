// The page of a map window: the sheet of paper the map is printed on,
// placed on the map. The page set-up block (paper, orientation, margins)
// belongs to the window record; the page object (origin, extension and the
// page and printable rectangles) lives alone on a hidden layer of the
// window's store.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/coords.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

struct PresentationManager;
struct GraphDispl;

// ---------------------------------------------------------------------------
// Page set-up block: one movable global memory block per window, stored
// byte for byte in the map document.
struct VPSetup {
    char paperName[64]; // NUL-terminated
    int32_t paperWidth; // tenths of a millimetre; 0: never set
    int32_t paperHeight;
    int32_t leftMargin; // tenths of a millimetre, on the oriented page
    int32_t topMargin;
    int32_t rightMargin;
    int32_t bottomMargin;
    int32_t paperNumber; // paper code; 256 custom, 9999 the printer's physical page
    int32_t orientation; // 1 portrait, 2 landscape
};
static_assert(sizeof(VPSetup) == 96);
static_assert(offsetof(VPSetup, paperWidth) == 64 && offsetof(VPSetup, paperHeight) == 68 &&
              offsetof(VPSetup, leftMargin) == 72 && offsetof(VPSetup, topMargin) == 76 &&
              offsetof(VPSetup, rightMargin) == 80 && offsetof(VPSetup, bottomMargin) == 84 &&
              offsetof(VPSetup, paperNumber) == 88 && offsetof(VPSetup, orientation) == 92);

inline constexpr int32_t VP_ORIENT_PORTRAIT = 1;
inline constexpr int32_t VP_ORIENT_LANDSCAPE = 2;
// What a block that was never set stands for: A4 with 12.7 mm margins.
inline constexpr int32_t VP_DEFAULT_WIDTH = 2101;
inline constexpr int32_t VP_DEFAULT_HEIGHT = 2969;
inline constexpr int32_t VP_DEFAULT_MARGIN = 127;

// ---------------------------------------------------------------------------
// Page object fixed data (class 22, 176 bytes). Stored in map files and
// possibly misaligned inside its block: fields are reached with
// LoadField/StoreField at the offsets of this struct.
struct PageRecord {
    MAP_COORDRECT bound; // map coordinates
    uint16_t graphFlags; // 7 at creation
    uint16_t zero;
    MAP_COORDPT selected; // (0x7FFFFFFF, 0x7FFFFFFF) when none
    uint8_t unused[12];
    int32_t selectedHandle;  // 0..15, -1 none
    MAP_COORDRECT page;      // world coordinates, y1 the lower edge
    MAP_COORDRECT printable; // the page less the margins
    MAP_COORDPT origin;      // lower-left corner
    MAP_COORDPT extension;   // width and height
    uint8_t reserved[84];
};
static_assert(sizeof(PageRecord) == 176);
static_assert(offsetof(PageRecord, graphFlags) == 16 && offsetof(PageRecord, selected) == 20 &&
              offsetof(PageRecord, selectedHandle) == 40 && offsetof(PageRecord, page) == 44 &&
              offsetof(PageRecord, printable) == 60 && offsetof(PageRecord, origin) == 76 &&
              offsetof(PageRecord, extension) == 84 && offsetof(PageRecord, reserved) == 92);

inline constexpr uint32_t PAGE_FIXED_SIZE = 176;
inline constexpr int PAGE_HANDLE_COUNT = 16;
// The smallest printable width and height a handle drag may leave.
inline constexpr int32_t PAGE_MIN_PRINTABLE = 20;

// Copies of the page object's fields; false when the handle is not a page.
bool PageRead(OBJectKernel *kernel, OBJHANDLE page, PageRecord *out);

// ---------------------------------------------------------------------------
// Finding and creating
OBJHANDLE PageCreate(OBJectKernel *kernel, OBJHANDLE object);
OBJHANDLE PageLayerGetFromLayers(OBJectKernel *kernel, OBJHANDLE layersRoot);
// The page object of a window; 0 when it has none.
OBJHANDLE PageGetFromWindow(HWND window);

// Origin and extension
int PageSetOrgExt(OBJectKernel *kernel, OBJHANDLE page, const MAP_COORDPT *origin,
                  const MAP_COORDPT *extension);
int PageGetOrgExt(OBJectKernel *kernel, OBJHANDLE page, MAP_COORDPT *origin, MAP_COORDPT *extension);
// Origin and extension of the window's page in map units: 1, or 0 when the
// window has no page (outputs untouched); 1 without doing anything for a
// null argument.
int PageGetOrgExtInWindow(HWND window, MAP_COORDPT *origin, MAP_COORDPT *extension);
int PageSetOrgExtInWindow(HWND window, const MAP_COORDPT *origin, const MAP_COORDPT *extension);

// Recomputing
// paper: oriented size in tenths of a millimetre; margins: left, top,
// right, bottom in the same unit.
void PageFromOrgExt(OBJectKernel *kernel, OBJHANDLE page, const POINT *paper, const RECT *margins);
void PageSetBoundingRectangle(OBJectKernel *kernel, PresentationManager *view, OBJHANDLE page);
void PageFromParams_New(HWND window, OBJHANDLE page, const POINT *paper, const RECT *margins);
void PageRecalcFromSetup(HWND window, OBJHANDLE page);
// Recomputes the window's page from its set-up block; the page or 0.
OBJHANDLE PageUpdateInWindow(HWND window);
int PageFitToAllObjects(HWND window);
int PageMoveOrigin(OBJectKernel *kernel, OBJHANDLE page, int32_t dx, int32_t dy);

// The paper size (as oriented) and margins a set-up block stands for; a
// block never set gives A4 portrait sizes with 127 margins.
void VPSetupPaperAndMargins(const VPSetup &setup, POINT *paper, RECT *margins);
// A copy of the window's block; false when it has none or it cannot be read.
bool VPSetupRead(HWND window, VPSetup *out);

// ---------------------------------------------------------------------------
// Handles: 0..7 on the page rectangle, 8..15 on the printable rectangle.
// 1 and the position in world coordinates; 0 for a bad handle or page.
// handle -1 stands for the selected one.
int PageHandlePosition(OBJectKernel *kernel, OBJHANDLE page, int handle, MAP_COORDPT *out);
MAP_COORDPT PageMoveHandle(OBJectKernel *kernel, OBJHANDLE page, int handle, MAP_COORDPT point,
                           int recompute);
// 1 and the handle's world position when a handle lies within the view's
// pick radius of the window point; else 0.
int PageHandleHitTest(OBJectKernel *kernel, OBJHANDLE page, PresentationManager *view,
                      const POINT *windowPoint, MAP_COORDPT *out);

// Drawing, called by the object display pipeline.
int PageDisplay(HWND window, HDC dc, OBJHANDLE page, uint32_t mode, const GraphDispl *attributes);

// Class procedure of the page object.
LRESULT PageProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                 uint16_t message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Filled by the reader of version-4 documents.
int VP_InitFromVer4(HWND window, const char *paperName, int32_t width, int32_t height, int32_t left,
                    int32_t top, int32_t right, int32_t bottom, int32_t paperNumber, int32_t orientation);
int Page_InitFromVer4(HWND window, int32_t boundX1, int32_t boundY1, int32_t boundX2, int32_t boundY2,
                      int32_t pageX1, int32_t pageY1, int32_t pageX2, int32_t pageY2, int32_t printX1,
                      int32_t printY1, int32_t printX2, int32_t printY2, int32_t originX, int32_t originY,
                      int32_t extX, int32_t extY);

// The nail: a pin on the map page about which the selected objects are
// rotated, scaled and shifted. At most one per map window, an object of
// class 0x40 held by the page layer after the page. It keeps the
// parameters of the last transformation and the switches that decide what
// a drag of the selection does. Placing, switching and deleting the nail
// stay outside the undo history; only its creation is a step.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

struct PresentationManager;

// The nail's fixed data, stored byte for byte in the map document.
struct NailRecord {
    MAP_COORDRECT bound; // the icon's map rectangle when last placed
    uint16_t graphFlags;
    uint16_t word18;
    MAP_COORDPT selected;
    uint8_t unused28[16];
    MAP_COORDPT centre;
    uint32_t rotationFree; // "Rotation Free"
    uint32_t scalingFree;  // "Scalling Free"
    uint32_t shiftOn;
    uint32_t word64;
    uint32_t word68;
    double angle; // degrees
    double scale;
    int32_t shiftX;
    int32_t shiftY;
    MAP_COORDPT reference; // where the current drag began
    MAP_COORDPT drag;      // the current drag point
    uint32_t moveOnly;     // bit 0: the drag only moves
    uint32_t word116;
};
static_assert(sizeof(NailRecord) == 120);
static_assert(offsetof(NailRecord, graphFlags) == 16 && offsetof(NailRecord, selected) == 20 &&
              offsetof(NailRecord, centre) == 44 && offsetof(NailRecord, rotationFree) == 52 &&
              offsetof(NailRecord, scalingFree) == 56 && offsetof(NailRecord, shiftOn) == 60 &&
              offsetof(NailRecord, angle) == 72 && offsetof(NailRecord, scale) == 80 &&
              offsetof(NailRecord, shiftX) == 88 && offsetof(NailRecord, reference) == 96 &&
              offsetof(NailRecord, drag) == 104 && offsetof(NailRecord, moveOnly) == 112);

// Undo operation code of placing the first nail.
inline constexpr uint16_t UNDO_OP_CREATE_NAIL = 5;
// The nail's popup menu and its commands.
inline constexpr UINT NAIL_MENU = 177;
inline constexpr UINT ID_NAIL_ROTATION_FREE = 32772;
inline constexpr UINT ID_NAIL_SCALING_FREE = 32773;
inline constexpr UINT ID_NAIL_DELETE = 32774;
// The pixel of the 32 x 32 icon that stands on the nail's position.
inline constexpr int NAIL_ICON_HOT_X = 7;
inline constexpr int NAIL_ICON_HOT_Y = 27;

// Reads and writes the record; false for a handle that is not a nail.
bool NailRead(OBJectKernel *kernel, OBJHANDLE nail, NailRecord *out);
bool NailWrite(OBJectKernel *kernel, OBJHANDLE nail, const NailRecord &record);

// The class procedure of the nail.
LRESULT NailClassProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                      uint16_t message, WPARAM wParam, LPARAM lParam);

OBJHANDLE CreateNailOBJOnPage(HWND window, const MAP_COORDPT *point);
OBJHANDLE GetNailOBJFromPage(HWND window);
void SetNailObj2(HWND window, const MAP_COORDPT *point);
void NailRotfree(HWND window);
void NailScalfree(HWND window);
void NailDelete(HWND window);
int DoNailOperations(HWND window, int recordUndo);

int NailDisplay(HWND window, HDC dc, OBJHANDLE nail, uint16_t flags, int unused);
int NailMove(OBJectKernel *kernel, OBJHANDLE nail, int32_t dx, int32_t dy);
int NailVertexHit(OBJectKernel *kernel, OBJHANDLE nail, const PresentationManager *view, POINT windowPoint,
                  MAP_COORDPT *result);
int PointInObjectBoundRect(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point);
int NailHitTest(HWND window, OBJHANDLE nail, const PresentationManager *view, POINT windowPoint);
// The popup menu of the nail, its switches ticked; the caller destroys it.
HMENU NailMenuCreate(HWND window, OBJHANDLE nail);
// Shows the popup menu at the window point; the chosen command goes to the
// map window as WM_COMMAND. 1.
int NailPopupMenu(HWND window, OBJHANDLE nail, POINT windowPoint);

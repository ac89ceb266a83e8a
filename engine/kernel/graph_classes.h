// The class table of the graphical classes and the root objects of a map
// document.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"

// Registers the 28 classes in table order; 1 when every registration
// succeeded, else 0. Called once at library start.
int InitGraphClasses(HINSTANCE instance);
// The floors above the kernel enter the procedures of the classes whose
// code they hold (texts, pages); InitGraphClasses registers those in place
// of the kernel's defaults, and a class already registered gets it at once.
void EnterGraphClassProc(uint16_t classId, OBJectClassProc proc);

// One row of the class table as it is registered.
struct GraphClassRow {
    uint16_t id;
    const char *name;
    uint32_t fixedSize;
    int32_t slots;
    uint32_t reserve;
    OBJectCompareProc compare;
    OBJectClassProc proc;
    uint16_t mode;
};
// The table, GRAPH_CLASS_COUNT rows in registration order.
const GraphClassRow *GraphClassTable();

// Makes the root objects of a new document; the new AllOBJects object, or 0.
// Out arguments may be null.
OBJHANDLE CreateRootOBJects(OBJectKernel *kernel, HWND window, OBJHANDLE *layers, OBJHANDLE *groups,
                            OBJHANDLE *undo, OBJHANDLE *selList, OBJHANDLE *idsList);
OBJHANDLE GetRootOBJect(HWND window, uint16_t classId);
OBJHANDLE SetRootOBJect(HWND window, OBJHANDLE object);
OBJHANDLE GetRootOBJectOf(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId);
OBJHANDLE FindRootOBJect(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId);
HWND GetOBJectWnd(OBJectKernel *kernel, OBJHANDLE object);
// Objects on the layers of the window's Layers root; 0x7FFFFFFF without one.
int32_t GraphGetNumberOfLeafOBJS(HWND window);

void SelListPointsGet(HWND window, _COORDPT *point1, _COORDPT *point2);
void SelListPointsSet(HWND window, const _COORDPT *point1, const _COORDPT *point2);
// Hands the selection list's selected object and point to the undo list.
void UndoWithSelection(HWND window);

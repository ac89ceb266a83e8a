// The selection list: the root object that holds the selected objects of a
// map window in the order they were selected. Selecting an object of a group
// selects the outermost group first, then each inner level, then the object.
#pragma once

#include "engine/kernel/graph_object.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

// Selection list record (class 0x400E, fixed data 84 bytes). The head's
// selected slot holds the current selected object (a handle, -1 none) and its
// selected point the map point where it was picked.
struct SelList {
    GraphObjectHead head;
    uint8_t unused1[12];
    _COORDPT points[2];      // kept for the window (SelListPointsGet/Set)
    int32_t keptRect[4];     // copy of the bound rectangle on request
    uint32_t lastDeselected; // object whose removal chose a new current one
};
static_assert(sizeof(SelList) == 84);
static_assert(offsetof(SelList, points) == 48 && offsetof(SelList, keptRect) == 64 &&
              offsetof(SelList, lastDeselected) == 80);

inline constexpr uint32_t SELLIST_FIXED_SIZE = 84;

// Messages of the selection list: keep a copy of the bound rectangle, and
// hand the kept copy out (lParam: _COORDRECT out).
inline constexpr uint16_t GRM_SELLIST_KEEPRECT = 0x401E;
inline constexpr uint16_t GRM_SELLIST_GETKEPTRECT = 0x401F;

OBJHANDLE CreateSelList(OBJectKernel *kernel);
int CompareSelected(OBJectKernel *kernel, uint16_t idA, OBJHANDLE a, uint16_t idB, OBJHANDLE b);
OBJHANDLE SelListClear(OBJectKernel *kernel, OBJHANDLE list);
// 0 nothing selected, 1 exactly one reference, 2 two or more.
int GetNumberOfSelected(OBJectKernel *kernel, OBJHANDLE list);
OBJHANDLE SelectNextGroupLevel(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object, const _COORDPT *point);
uint32_t SetSelection(HWND window, const OBJHANDLE *handles, uint32_t count, int add, int invalidate);
void AddToSelectionWithoutRemoving(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE object);

LRESULT SelListOBjectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                          uint16_t message, WPARAM wParam, LPARAM lParam);

// Services of the engine's other subsystems that the graphical classes call
// or register, in the least form those classes need: the procedures of
// nails, presentations and height objects, heights of objects, point
// comparisons and measures of point sets.
// Their subsystems replace these with their full forms.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/coords.h"

// Height range: low and high. Empty = (0x7FFFFFFF, 0x80000001).
struct Z_BOUNDS {
    int32_t low;
    int32_t high;
};
static_assert(sizeof(Z_BOUNDS) == 8);

void InitZB(Z_BOUNDS *range);
// 1 when widening the range to include z changed it.
int z_ToBounds(Z_BOUNDS *range, int32_t z);
// 1 when the object carries heights.
int IsObject3d(OBJectKernel *kernel, OBJHANDLE object);
// Recomputes the object's height range from the targets of its references
// that match the filter, stores it and passes a change to the holders by
// upFilter.
void z_CalculateBounds(OBJectKernel *kernel, OBJHANDLE object, uint16_t filter, uint16_t upFilter);
// After a member changed its range: widens the object's range, or
// recomputes it when a bound the member defined moved inward.
void z_UpdateBounds(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE object, uint16_t subCode,
                    const Z_BOUNDS *previous);
LRESULT z_UpdateChildrenBounds(OBJectKernel *kernel, OBJHANDLE object, uint16_t filter,
                               const Z_BOUNDS *range);

int CoordPtEqual(_COORDPT a, _COORDPT b);

// Class procedures registered by the class table.
LRESULT NailProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                 uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT PresentationProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                         uint16_t message, WPARAM wParam, LPARAM lParam);
// Height objects answer 0 to everything.
LRESULT ZOBjectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                    uint16_t message, WPARAM wParam, LPARAM lParam);

// Nail record: its map point.
inline constexpr size_t NAIL_POINT = 44;

// Library exit hook; nothing to free.
void FreeGraphClasses(HINSTANCE instance);

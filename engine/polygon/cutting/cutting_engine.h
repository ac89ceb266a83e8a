// The cutting engine: one map object (a polygon or a polyline) cut by one
// cutting object (a polygon or a polyline). The pieces are new objects in
// the cut object's layer; the cut object and the cutter stay in the map.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// One cutting operation: the object to cut, the cutter, and the two piece
// lists it fills (handle list blocks with their counts). 1 done, 0 failed.
using CutOperation = int (*)(HWND window, OBJHANDLE *object, int objectCount, OBJHANDLE *cutter,
                             int cutterCount, HGLOBAL *list1, uint32_t *count1, HGLOBAL *list2,
                             uint32_t *count2);

// The operation for a pair of classes (cutter, object); null when the pair
// has no operation in this build.
CutOperation CutOperationFor(uint16_t cutterClass, uint16_t objectClass);

// Cuts *object by *cutter (mode 0: the cutter is not changed). 1 when the
// call finished, with or without pieces; 0 on failure (the cutter not a
// polygon or polyline, a failed operation). The pieces of the object go to
// out list 1 (a handle list block the caller frees with GlobalFree, its
// count in *count1); list 2 takes an operation's second list. The lists are
// written only when pieces are made. The active layer is the one that was
// active before, on every path.
int CutObjectsByCutter(HWND window, int mode, OBJHANDLE *object, OBJHANDLE *cutter, HGLOBAL *list1,
                       uint32_t *count1, HGLOBAL *list2, uint32_t *count2, int unused);

// 1 when the object has points and they all coincide.
int SetOfLinesegmentDegenerate(OBJectKernel *kernel, OBJHANDLE object);

// Copying objects and structures of objects, re-pointing the references
// among copies through tables of old and new handles, sorted handle arrays,
// and the conversion of blocks stored in the older head layout.
#pragma once

#include "engine/kernel/kernel_types.h"

#include <cstddef>
#include <cstdint>

// One entry of a copy table: a source object and its copy. Tables live in
// moveable global memory and are handed around as memory handle + count.
struct OldNew {
    uint32_t oldHandle;
    uint32_t newHandle;
};
static_assert(sizeof(OldNew) == 8);
static_assert(offsetof(OldNew, oldHandle) == 0 && offsetof(OldNew, newHandle) == 4);

// Blocks of the older layout (no OBJF_CURRENTHEAD): a 26-byte head whose
// data offset is a u16 at 24; the fixed data starts at 26.
inline constexpr uint32_t OLD_HEAD_SIZE = 26;
inline constexpr size_t OLD_HEAD_DATAOFFSET = 24;

// Byte copies. A copy still names its source's targets until its references
// are re-pointed (RestoreStructure) or replaced.
OBJHANDLE CopyOBJ(OBJectKernel *kernel, OBJHANDLE source);
OBJHANDLE CopyOBJect(OBJectKernel *kernel, OBJHANDLE target, OBJHANDLE source);
OBJHANDLE CopyOBJect2(OBJectKernel *kernel, OBJHANDLE object);
HGLOBAL CopyOBJects(OBJectKernel *kernel, HGLOBAL pairs, int32_t count);
// A copy of another kernel's object in this kernel, with no references held
// or pointing to it, nor the graph flags of links (selection, identifier)
// it had there: the caller links it. 0 for a bad handle or a damaged head.
OBJHANDLE CopyOBJectFromKernel(OBJectKernel *kernel, OBJectKernel *source, OBJHANDLE object);

// Structures
HGLOBAL GetAllLinkedOBJects(OBJectKernel *kernel, OBJHANDLE start, uint16_t filter, int32_t *count);
OBJHANDLE CopyAllLinkedOBJects(OBJectKernel *kernel, OBJHANDLE start, uint16_t filter, HGLOBAL *pairsOut,
                               int32_t *count);
OBJHANDLE RestoreStructure(OBJectKernel *kernel, OldNew *pairs, int32_t count, uint16_t classId);
OBJHANDLE CopyCompressedOBJ(OBJectKernel *kernel, OBJHANDLE source, const OBJHANDLE *sorted, int32_t count);
// Note the argument order: the parent group (or 0) comes first.
OBJHANDLE CopyStruct(OBJHANDLE parent, OBJectKernel *kernel, OBJHANDLE object);
HGLOBAL GetOverStructure(OBJectKernel *kernel, OBJHANDLE node, uint16_t filterA, uint16_t filterB,
                         uint16_t filterC, int32_t *count);

// Sorted handle arrays
int32_t SortOBJHandles(OBJHANDLE *handles, int32_t count);
int32_t FindOBJHandle(const OBJHANDLE *sorted, int32_t count, OBJHANDLE handle);

// Older blocks
OBJHANDLE RepairOBJect(OBJectKernel *kernel, OBJHANDLE object, int value);

// References: typed links held in reference slots of a holder object, paired
// ids with their back links, ordering modes, look-ups, walks and tree
// deletion.
#pragma once

#include "engine/kernel/kernel_types.h"

// True when a reference id matches a filter (0 matches every id).
constexpr bool RefMatchesFilter(uint16_t id, uint16_t filter)
{
    if (filter == 0)
        return true;
    if (!(filter & REF_FILTER_BITS))
        return ((id ^ filter) & REF_IDMASK) == 0;
    const uint16_t bits = filter & REF_IDMASK;
    if ((id & bits) != bits)
        return false;
    if (filter & REF_FILTER_DIRECTION)
        return ((id ^ filter) & 1) == 0;
    return true;
}

// Insertion and removal
uint32_t InsertRefInPos(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target,
                        int32_t holderPos, int32_t targetPos);
uint32_t InsRef(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target, int32_t pos);
uint32_t InsRef2(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target, int32_t pos);
uint32_t RemoveNthReference(OBJectKernel *kernel, OBJHANDLE holder, int32_t n);
uint32_t RemoveReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target);
uint32_t RemRef(OBJectKernel *kernel, OBJHANDLE holder, int32_t n);
uint32_t RRRemRef(OBJectKernel *kernel, OBJHANDLE holder, OBJHANDLE target, uint16_t id);
void PurgeDeletedRefs(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter);

// Access by slot
OBJHANDLE GetNthReferenced(OBJectKernel *kernel, OBJHANDLE holder, int32_t n);
uint16_t GetNthReferenceID(OBJectKernel *kernel, OBJHANDLE holder, int32_t n);
int GetRef(OBJectKernel *kernel, OBJHANDLE holder, uint16_t *id, OBJHANDLE *target, int32_t n);
uint16_t SetNthReferenceID(OBJectKernel *kernel, OBJHANDLE holder, int32_t n, uint16_t id);
uint32_t ChangeReferencesID(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, uint16_t id);
uint32_t SetNumberOfReferencesFrom(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, uint16_t n);
uint32_t GetNumberOfReferencesFrom(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter);
uint32_t GetNumberOfReferencesTo(OBJectKernel *kernel, OBJHANDLE object);

// Enumeration; the position is the caller's.
OBJHANDLE FirstReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, int32_t *pos);
OBJHANDLE GetReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, int32_t *pos);
OBJHANDLE LastReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, int32_t *pos);
OBJHANDLE PrevReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, int32_t *pos);
// The first target through the filter whose class is classId; 0 when none.
OBJHANDLE FirstReferenceOfClass(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, uint16_t classId);

// Look-ups. FindReference and FindKey return a slot, ~slot (negative) or
// OBJ_INVALID as a 32-bit signed value.
int32_t FindReference(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target);
int32_t FindKey(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE key);
OBJHANDLE TreeMember(OBJectKernel *kernel, OBJHANDLE root, uint16_t filter, OBJHANDLE target, int32_t *pos);

// Collections and walks
uint32_t GetChildrenOBJS(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, int32_t capacity,
                         OBJHANDLE *array, int leavesOnly);

// Callback of TraversTree: (kernel, node, filter, the node's visit word,
// user, reserved, sibling index, last flag). Returning 0 from the pre-call
// skips the node's children.
using TraversTreeProc = int (*)(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, int32_t *visitWord,
                                void *user, int32_t reserved, int32_t siblingIndex, int last);
uint32_t TraversTree(OBJectKernel *kernel, OBJHANDLE root, uint16_t filter, TraversTreeProc pre,
                     TraversTreeProc post, void *user);
uint32_t CopyReferences(OBJectKernel *kernel, OBJHANDLE destination, OBJHANDLE source, uint16_t filter);
uint32_t MoveReferences(OBJectKernel *kernel, OBJHANDLE destination, OBJHANDLE source, uint16_t filter);
uint32_t SortReferences(OBJectKernel *kernel, OBJHANDLE holder, uint16_t mode);

// Tree deletion
int32_t DeleteTree(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter);
int32_t DeleteSubTree(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter);
int32_t KillTree(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, uint16_t classBits);
OBJHANDLE DelEmptyTreeNodes(OBJectKernel *kernel, OBJHANDLE node, uint16_t classBits, uint16_t filter);

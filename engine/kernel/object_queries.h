// Object queries of the kernel: the object-type mask and the class test
// behind the window's queries, the removal of an object's links except the
// one to its root, and the collection of the groups that enclose a list of
// objects.
#pragma once

#include "engine/kernel/kernel_types.h"

#include <cstdint>

// ObjTypeMask: which objects a query visits.
using ObjTypeMask = uint32_t;
inline constexpr ObjTypeMask OTM_POLYLINE = 0x0001;
inline constexpr ObjTypeMask OTM_POLYGON = 0x0002;
inline constexpr ObjTypeMask OTM_TEXT = 0x0004;
inline constexpr ObjTypeMask OTM_LEGEND = 0x0008;
inline constexpr ObjTypeMask OTM_BITMAP = 0x0010;
inline constexpr ObjTypeMask OTM_PAGE = 0x0020;
inline constexpr ObjTypeMask OTM_NAIL = 0x0040;
inline constexpr ObjTypeMask OTM_PRESDESCR = 0x0080;
inline constexpr ObjTypeMask OTM_PRESENT = 0x0100;
inline constexpr ObjTypeMask OTM_LAYER = 0x0200;
inline constexpr ObjTypeMask OTM_GROUP = 0x0400;
inline constexpr ObjTypeMask OTM_ANY = 0x0800;           // every class above
inline constexpr ObjTypeMask OTM_SELECTED = 0x1000;      // only selected objects
inline constexpr ObjTypeMask OTM_SELECTED_DEEP = 0x2000; // and members of selected groups
inline constexpr ObjTypeMask OTM_SELECTION = OTM_SELECTED | OTM_SELECTED_DEEP;

// 1 when the object's class matches the mask's class bits, else 0 (also for
// a null kernel or handle 0). The selection bits are not looked at.
int CheckType(OBJectKernel *kernel, OBJHANDLE handle, ObjTypeMask mask);

// Removes every reference of the object, with its partner, except its first
// REF_ROOT_BACK link to an AllOBJects object. 1 when something was removed.
int RemoveNonRootRefs(OBJectKernel *kernel, OBJHANDLE object);

// Adds to the handle list in *mem (count *count) every group that encloses
// its objects (onlyComplete: only groups all of whose members are in the
// result; dropMembers: the members of an added group leave the list). The
// block is resized to the result; returns the new count, 0 on failure.
int32_t AddEnclosingGroups(OBJectKernel *kernel, HGLOBAL *mem, int32_t *count, int onlyComplete,
                           int dropMembers);

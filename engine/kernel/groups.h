// Groups and aspects: graphical objects gathered into nested groups. Every
// group tree hangs from an aspect (a named way of grouping the same objects);
// the aspects hang from the Groups root, sorted by name, and new groups are
// made in the active aspect.
#pragma once

#include "engine/kernel/graph_object.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

struct _WNDRES;

// Groups root record (class 0x6003, fixed data 52 bytes).
struct Groups {
    GraphObjectHead head;
    uint8_t unused1[12];
    int32_t activeSlot; // slot (among all the root's slots) of the active aspect; -1 none
};
static_assert(sizeof(Groups) == 52);
static_assert(offsetof(Groups, activeSlot) == 48);

// Aspect record (class 0x6004, fixed data 68 bytes).
struct Aspect {
    GraphObjectHead head;
    uint8_t unused1[12];
    char name[20]; // zero-terminated
};
static_assert(sizeof(Aspect) == 68);
static_assert(offsetof(Aspect, name) == 48);

// Group record (class 0x6005, fixed data 48 bytes); the name is the data
// space, zero-terminated (empty: no name).
struct Group {
    GraphObjectHead head;
    uint16_t groupFlags;
    uint8_t unused1[10];
};
static_assert(sizeof(Group) == 48);
static_assert(offsetof(Group, groupFlags) == 36);

inline constexpr uint32_t GROUPS_FIXED_SIZE = 52;
inline constexpr uint32_t ASPECT_FIXED_SIZE = 68;
inline constexpr uint32_t GROUP_FIXED_SIZE = 48;
inline constexpr size_t ASPECT_NAME_SIZE = 20;

// Group flags.
inline constexpr uint16_t GROUPF_LAYERGROUP = 0x8000;
inline constexpr uint16_t GROUPF_LGROOT = 0x4000;

// The aspect every document has, active when the document is made.
inline constexpr const char *PERMANENT_ASPECT = "$Permanent";

// Aspects. Names longer than 19 characters are cut, for look-up too.
OBJHANDLE CreateGroupsRoot(OBJectKernel *kernel);
OBJHANDLE AspectCreate(OBJectKernel *kernel, OBJHANDLE root, const char *name);
OBJHANDLE AspectFind(OBJectKernel *kernel, OBJHANDLE root, const char *name);
OBJHANDLE AspectActivate(OBJectKernel *kernel, OBJHANDLE root, const char *name);
OBJHANDLE GetActiveAspect(OBJectKernel *kernel, OBJHANDLE root);
int CompareAspects(OBJectKernel *kernel, uint16_t idA, OBJHANDLE a, uint16_t idB, OBJHANDLE b);

// Groups
OBJHANDLE GroupCreate(_WNDRES *window, const char *name);
int GrupNameSet(OBJectKernel *kernel, OBJHANDLE group, const char *name);
int GroupNameGet(OBJectKernel *kernel, OBJHANDLE group, uint32_t *length, char *buffer, uint32_t bufferSize);
// Group flags of a Group; 0 for anything else.
uint16_t GroupFlagsGet(OBJectKernel *kernel, OBJHANDLE group);
int GroupFlagsSet(OBJectKernel *kernel, OBJHANDLE group, uint16_t flags);
// The first REF_GROUP_PARENT target, 0 none.
OBJHANDLE GroupParentGet(OBJectKernel *kernel, OBJHANDLE object);
int CheckGroup(OBJectKernel *kernel, OBJHANDLE a, OBJHANDLE b);
int PutInGroup(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE target);
OBJHANDLE MakeGroup(OBJectKernel *kernel, OBJHANDLE groupsRoot, OBJHANDLE list, OBJHANDLE undoList);
OBJHANDLE UnGroup(OBJectKernel *kernel, OBJHANDLE group, OBJHANDLE list, OBJHANDLE undoList);

// Class procedures
LRESULT GroupMemberProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                        uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT GroupProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                  uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT AspectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT GroupsProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam);

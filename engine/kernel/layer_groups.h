// Layer groups: a tree of Groups (flag 0x8000) that arranges the layers for
// the user interface, apart from their drawing order. Its root, the Group
// named "Root" with flags 0xC000, hangs under the first aspect of the Groups
// root; a layer takes part through the group member links while it stays in
// the Layers root for drawing.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

struct _WNDRES;

inline constexpr const char *LAYER_GROUP_ROOT_NAME = "Root";

OBJHANDLE LG_RootGet(OBJectKernel *kernel, OBJHANDLE anyObject);
OBJHANDLE map_LG_RootGet(_WNDRES *window);
OBJHANDLE LG_CreateRoot(OBJectKernel *kernel, OBJHANDLE anyObject);
OBJHANDLE map_LG_CreateRoot(_WNDRES *window);
int LG_IsRoot(OBJectKernel *kernel, OBJHANDLE object);
int LG_IsLayerGroup(OBJectKernel *kernel, OBJHANDLE object);

// Names the group (null: keeps the name) and adds the members that are
// layers or layer groups (other than the root). Without force, a member that
// sits in the group or one of its ancestors stays where it is. A member that
// would contain the group is skipped.
int LG_SetInt(OBJectKernel *kernel, const char *name, OBJHANDLE group, const OBJHANDLE *members,
              uint32_t count, int unused, int force);
int LG_SetInt(_WNDRES *window, const char *name, OBJHANDLE group, const OBJHANDLE *members, uint32_t count,
              int unused, int force);
int map_LG_Create(_WNDRES *window, const char *name, OBJHANDLE *newGroup, const OBJHANDLE *members,
                  uint32_t count, int unused);
int map_LG_Set(_WNDRES *window, const char *name, OBJHANDLE group, const OBJHANDLE *members, uint32_t count,
               int unused);
int map_LG_Get(_WNDRES *window, OBJHANDLE group, uint32_t *nameLength, char *buffer, uint32_t bufferSize,
               int32_t *memberCount, OBJHANDLE *members, uint32_t capacity);

int LG_SetGroupAsLG(OBJectKernel *kernel, OBJHANDLE anyObject, OBJHANDLE group);
int LG_CheckIfLGTree(OBJectKernel *kernel, OBJHANDLE object);
int LG_SetGroupTreeAsLG(OBJectKernel *kernel, OBJHANDLE object);
int ParentGroupSet(OBJectKernel *kernel, OBJHANDLE group, OBJHANDLE newParent);
int DisconnectMemberGroup(OBJectKernel *kernel, OBJHANDLE group, OBJHANDLE member);
int DeleteFromLGTree(OBJectKernel *kernel, OBJHANDLE node, OBJHANDLE member);
// Dissolves the node's groups: layers reach the keeper (the node when it is
// the root, else the target); the dissolved groups are deleted.
void LG_DissolveTree(OBJectKernel *kernel, OBJHANDLE node, OBJHANDLE target);
int DeleteGroupsFromTree(_WNDRES *window, OBJHANDLE node);
// Puts every layer without a parent group under the root; always 0.
int ResetLayerGroups(OBJectKernel *kernel, OBJHANDLE anyObject);
int ResetLayerGroups(_WNDRES *window);
int LG_AttachToRoot(OBJectKernel *kernel, OBJHANDLE object);

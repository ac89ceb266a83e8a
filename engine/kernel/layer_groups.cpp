#include "engine/kernel/layer_groups.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"

#include <algorithm>
#include <unordered_set>

using namespace docmodel;

namespace {

bool isGroup(OBJectKernel *kernel, OBJHANDLE object) { return IsClass(kernel, object, CLASS_GROUP); }

// The first aspect of the Groups root (the first in name order).
OBJHANDLE firstAspect(OBJectKernel *kernel, OBJHANDLE anyObject)
{
    const OBJHANDLE groups = FindRootOBJect(kernel, anyObject, CLASS_GROUPS);
    if (!IsClass(kernel, groups, CLASS_GROUPS))
        return 0;
    const OBJHANDLE first = FirstTarget(kernel, groups, REF_GROUP_MEMBER);
    return IsClass(kernel, first, CLASS_ASPECT) ? first : 0;
}

bool isMember(OBJectKernel *kernel, OBJHANDLE holder, OBJHANDLE member)
{
    return SlotFound(FindReference(kernel, holder, REF_GROUP_MEMBER, member));
}

// Moves the object under the new parent, dropping its first parent link.
bool rehome(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE parent)
{
    if (const OBJHANDLE old = GroupParentGet(kernel, object))
        RemoveReference(kernel, old, REF_GROUP_MEMBER, object);
    return InsertRefInPos(kernel, parent, REF_GROUP_MEMBER, object, -1, -1) != OBJ_INVALID;
}

bool checkTree(OBJectKernel *kernel, OBJHANDLE object, std::unordered_set<OBJHANDLE> &seen)
{
    if (IsLayer(kernel, object))
        return true;
    if (!isGroup(kernel, object) || !seen.insert(object).second)
        return false; // not a group, or met again through a cycle
    for (OBJHANDLE m : RefTargets(kernel, object, REF_GROUP_MEMBER))
        if (!checkTree(kernel, m, seen))
            return false;
    return true;
}

void dissolve(OBJectKernel *kernel, OBJHANDLE node, OBJHANDLE keeper, std::unordered_set<OBJHANDLE> &seen)
{
    if (!seen.insert(node).second)
        return;
    const std::vector<OBJHANDLE> members = RefTargets(kernel, node, REF_GROUP_MEMBER);
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        const OBJHANDLE m = *it;
        if (isGroup(kernel, m)) {
            dissolve(kernel, m, keeper, seen);
        } else if (keeper && node != keeper) {
            // Moved, not copied: the keeper must not hold it twice.
            RemoveReference(kernel, node, REF_GROUP_MEMBER, m);
            if (!isMember(kernel, keeper, m))
                InsertRefInPos(kernel, keeper, REF_GROUP_MEMBER, m, -1, -1);
        }
    }
    if (node != keeper)
        OBJectDelete(kernel, node);
}

void deleteLinks(OBJectKernel *kernel, OBJHANDLE node, OBJHANDLE member, std::unordered_set<OBJHANDLE> &seen)
{
    if (!seen.insert(node).second)
        return;
    while (isMember(kernel, node, member))
        if (RemoveReference(kernel, node, REF_GROUP_MEMBER, member) == OBJ_INVALID)
            break;
    for (OBJHANDLE m : RefTargets(kernel, node, REF_GROUP_MEMBER))
        if (isGroup(kernel, m))
            deleteLinks(kernel, m, member, seen);
}

} // namespace

OBJHANDLE LG_RootGet(OBJectKernel *kernel, OBJHANDLE anyObject)
{
    if (!kernel || !anyObject)
        return 0;
    const OBJHANDLE aspect = firstAspect(kernel, anyObject);
    for (OBJHANDLE g : RefTargets(kernel, aspect, REF_GROUP_MEMBER))
        if (isGroup(kernel, g) && (GroupFlagsGet(kernel, g) & GROUPF_LGROOT))
            return g;
    return 0;
}

OBJHANDLE map_LG_RootGet(_WNDRES *window)
{
    const DocWindow doc = DocOfRecord(window);
    return doc.kernel ? LG_RootGet(doc.kernel, doc.all) : 0;
}

OBJHANDLE LG_CreateRoot(OBJectKernel *kernel, OBJHANDLE anyObject)
{
    if (const OBJHANDLE root = LG_RootGet(kernel, anyObject))
        return root;
    if (!kernel || !anyObject)
        return 0;
    const OBJHANDLE aspect = firstAspect(kernel, anyObject);
    if (!aspect)
        return 0;
    const OBJHANDLE root = CreateLinkedOBJect(kernel, aspect, REF_GROUP_MEMBER, CLASS_GROUP);
    if (!root)
        return 0;
    GroupFlagsSet(kernel, root, GROUPF_LAYERGROUP | GROUPF_LGROOT);
    LG_SetInt(kernel, LAYER_GROUP_ROOT_NAME, root, nullptr, 0, 0, 1);
    return root;
}

OBJHANDLE map_LG_CreateRoot(_WNDRES *window)
{
    const DocWindow doc = DocOfRecord(window);
    return doc.kernel ? LG_CreateRoot(doc.kernel, doc.all) : 0;
}

int LG_IsRoot(OBJectKernel *kernel, OBJHANDLE object)
{
    return kernel && isGroup(kernel, object) && (GroupFlagsGet(kernel, object) & GROUPF_LGROOT) ? 1 : 0;
}

int LG_IsLayerGroup(OBJectKernel *kernel, OBJHANDLE object)
{
    return kernel && isGroup(kernel, object) && (GroupFlagsGet(kernel, object) & GROUPF_LAYERGROUP) ? 1 : 0;
}

int LG_SetInt(OBJectKernel *kernel, const char *name, OBJHANDLE group, const OBJHANDLE *members,
              uint32_t count, int unused, int force)
{
    (void)unused;
    if (!kernel || !isGroup(kernel, group))
        return 0;
    if (name)
        GrupNameSet(kernel, group, name);
    for (uint32_t i = 0; members && i < count; ++i) {
        const OBJHANDLE m = members[i];
        const bool take = IsLayer(kernel, m) || (LG_IsLayerGroup(kernel, m) && !LG_IsRoot(kernel, m));
        if (!take || CheckGroup(kernel, m, group))
            continue;
        const OBJHANDLE parent = GroupParentGet(kernel, m);
        if (parent && !force && CheckGroup(kernel, parent, group))
            continue;
        rehome(kernel, m, group);
    }
    return 1;
}

int LG_SetInt(_WNDRES *window, const char *name, OBJHANDLE group, const OBJHANDLE *members, uint32_t count,
              int unused, int force)
{
    const DocWindow doc = DocOfRecord(window);
    return doc.kernel ? LG_SetInt(doc.kernel, name, group, members, count, unused, force) : 0;
}

int map_LG_Create(_WNDRES *window, const char *name, OBJHANDLE *newGroup, const OBJHANDLE *members,
                  uint32_t count, int unused)
{
    if (newGroup)
        *newGroup = 0;
    const DocWindow doc = DocOfRecord(window);
    if (!doc.kernel)
        return 0;
    const OBJHANDLE root = LG_CreateRoot(doc.kernel, doc.all);
    if (!root)
        return 0;
    const OBJHANDLE group = CreateLinkedOBJect(doc.kernel, root, REF_GROUP_MEMBER, CLASS_GROUP);
    if (!group)
        return 0;
    GroupFlagsSet(doc.kernel, group, GROUPF_LAYERGROUP);
    LG_SetInt(doc.kernel, name, group, members, count, unused, 1);
    if (newGroup)
        *newGroup = group;
    return 1;
}

int map_LG_Set(_WNDRES *window, const char *name, OBJHANDLE group, const OBJHANDLE *members, uint32_t count,
               int unused)
{
    const DocWindow doc = DocOfRecord(window);
    if (!doc.kernel || !LG_IsLayerGroup(doc.kernel, group))
        return 0;
    return LG_SetInt(doc.kernel, name, group, members, count, unused, 0);
}

int map_LG_Get(_WNDRES *window, OBJHANDLE group, uint32_t *nameLength, char *buffer, uint32_t bufferSize,
               int32_t *memberCount, OBJHANDLE *members, uint32_t capacity)
{
    const DocWindow doc = DocOfRecord(window);
    if (!doc.kernel || !LG_IsLayerGroup(doc.kernel, group))
        return 0;
    GroupNameGet(doc.kernel, group, nameLength, buffer, bufferSize);
    if (!memberCount && !(members && capacity))
        return 1;
    const std::vector<OBJHANDLE> all = RefTargets(doc.kernel, group, REF_GROUP_MEMBER);
    if (members)
        std::copy_n(all.begin(), std::min<size_t>(all.size(), capacity), members);
    if (memberCount)
        *memberCount = int32_t(all.size());
    return 1;
}

int LG_SetGroupAsLG(OBJectKernel *kernel, OBJHANDLE anyObject, OBJHANDLE group)
{
    if (!kernel || !isGroup(kernel, group))
        return 0;
    if (LG_IsLayerGroup(kernel, group))
        return 1;
    const OBJHANDLE root = LG_CreateRoot(kernel, anyObject ? anyObject : group);
    if (!root || CheckGroup(kernel, group, root))
        return 0;
    if (const OBJHANDLE old = GroupParentGet(kernel, group))
        RemoveReference(kernel, old, REF_GROUP_MEMBER, group);
    GroupFlagsSet(kernel, group, uint16_t(GroupFlagsGet(kernel, group) | GROUPF_LAYERGROUP));
    return InsertRefInPos(kernel, root, REF_GROUP_MEMBER, group, -1, -1) == OBJ_INVALID ? 0 : 1;
}

int LG_CheckIfLGTree(OBJectKernel *kernel, OBJHANDLE object)
{
    if (!kernel || !object)
        return 0;
    std::unordered_set<OBJHANDLE> seen;
    return checkTree(kernel, object, seen) ? 1 : 0;
}

int LG_SetGroupTreeAsLG(OBJectKernel *kernel, OBJHANDLE object)
{
    if (IsLayer(kernel, object))
        return 1;
    if (!kernel || !isGroup(kernel, object) || !LG_CheckIfLGTree(kernel, object))
        return 0;
    GroupFlagsSet(kernel, object, uint16_t(GroupFlagsGet(kernel, object) | GROUPF_LAYERGROUP));
    return 1;
}

int ParentGroupSet(OBJectKernel *kernel, OBJHANDLE group, OBJHANDLE newParent)
{
    if (!kernel || !isGroup(kernel, group) || CheckGroup(kernel, group, newParent))
        return 0;
    if (LG_IsLayerGroup(kernel, group)) {
        if (!newParent)
            newParent = LG_CreateRoot(kernel, group);
        if (!LG_IsLayerGroup(kernel, newParent))
            return 0;
    } else {
        if (!newParent)
            newParent = firstAspect(kernel, group);
        if (LG_IsLayerGroup(kernel, newParent)) {
            if (!LG_SetGroupTreeAsLG(kernel, group))
                return 0;
        } else if (!IsClass(kernel, newParent, CLASS_GROUP) && !IsClass(kernel, newParent, CLASS_ASPECT)) {
            return 0;
        }
    }
    // The default parent may lie below the group in a damaged tree.
    if (!newParent || CheckGroup(kernel, group, newParent))
        return 0;
    if (GroupParentGet(kernel, group) == newParent)
        return 1;
    return rehome(kernel, group, newParent) ? 1 : 0;
}

int DisconnectMemberGroup(OBJectKernel *kernel, OBJHANDLE group, OBJHANDLE member)
{
    if (!kernel || !isGroup(kernel, group) || !isMember(kernel, group, member))
        return 0;
    OBJHANDLE home = 0;
    bool homeWanted = false;
    if (LG_IsLayerGroup(kernel, group)) {
        homeWanted = true;
        home = LG_RootGet(kernel, group);
    } else if (isGroup(kernel, member)) {
        homeWanted = true;
        home = firstAspect(kernel, group);
    }
    if (homeWanted && !home)
        return 0;
    RemoveReference(kernel, group, REF_GROUP_MEMBER, member);
    if (home && !CheckGroup(kernel, member, home) && !isMember(kernel, home, member))
        InsertRefInPos(kernel, home, REF_GROUP_MEMBER, member, -1, -1);
    return 1;
}

int DeleteFromLGTree(OBJectKernel *kernel, OBJHANDLE node, OBJHANDLE member)
{
    if (!kernel || !member || !(ClassOf(kernel, node) & CLASSBIT_GROUPTREE))
        return 0;
    std::unordered_set<OBJHANDLE> seen;
    deleteLinks(kernel, node, member, seen);
    return 1;
}

void LG_DissolveTree(OBJectKernel *kernel, OBJHANDLE node, OBJHANDLE target)
{
    if (!kernel || !isGroup(kernel, node))
        return;
    const OBJHANDLE keeper = LG_IsRoot(kernel, node) ? node : target;
    std::unordered_set<OBJHANDLE> seen;
    dissolve(kernel, node, keeper, seen);
}

int DeleteGroupsFromTree(_WNDRES *window, OBJHANDLE node)
{
    const DocWindow doc = DocOfRecord(window);
    if (!doc.kernel)
        return 0;
    OBJectKernel *kernel = doc.kernel;
    const OBJHANDLE groups = FindRootOBJect(kernel, doc.all, CLASS_GROUPS);
    const OBJHANDLE aspect = firstAspect(kernel, doc.all);
    if (!groups || !aspect)
        return 0;
    if (node == groups || node == aspect) {
        const std::vector<OBJHANDLE> members = RefTargets(kernel, aspect, REF_GROUP_MEMBER);
        for (auto it = members.rbegin(); it != members.rend(); ++it)
            if (isGroup(kernel, *it))
                LG_DissolveTree(kernel, *it, 0);
        return 1;
    }
    if (!isGroup(kernel, node))
        return 0;
    const OBJHANDLE parent = GroupParentGet(kernel, node);
    LG_DissolveTree(kernel, node, isGroup(kernel, parent) ? parent : 0);
    return 1;
}

int ResetLayerGroups(OBJectKernel *kernel, OBJHANDLE anyObject)
{
    const OBJHANDLE root = LG_CreateRoot(kernel, anyObject);
    if (!root)
        return 0;
    const OBJHANDLE layers = FindRootOBJect(kernel, anyObject, CLASS_LAYERS);
    if (!IsClass(kernel, layers, CLASS_LAYERS))
        return 0;
    for (OBJHANDLE layer : RefTargets(kernel, layers, REF_LAYER_MEMBER))
        if (IsLayer(kernel, layer) && !GroupParentGet(kernel, layer))
            LG_SetInt(kernel, nullptr, root, &layer, 1, 0, 0);
    return 0;
}

int ResetLayerGroups(_WNDRES *window)
{
    const DocWindow doc = DocOfRecord(window);
    return doc.kernel ? ResetLayerGroups(doc.kernel, doc.all) : 0;
}

int LG_AttachToRoot(OBJectKernel *kernel, OBJHANDLE object)
{
    if (!kernel || !object || !ClassOf(kernel, object))
        return 0;
    if (GroupParentGet(kernel, object))
        return 1;
    const OBJHANDLE root = LG_CreateRoot(kernel, object);
    if (!root)
        return 0;
    LG_SetInt(kernel, nullptr, root, &object, 1, 0, 0);
    return GroupParentGet(kernel, object) ? 1 : 0;
}

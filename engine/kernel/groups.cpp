#include "engine/kernel/groups.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/selection_list.h"
#include "platform/collation.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

using namespace docmodel;

namespace {

// String ids of the grouping refusals (the string table has no text for them).
constexpr int kStrTooFewToGroup = 107;
constexpr int kStrDifferentParents = 108;
constexpr int kStrNotAGroup = 109;
// Attribute requests climb group parents; a damaged document may hold a cycle.
constexpr int kMaxAttributeDepth = 1024;

char *recordLock(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId, uint32_t size)
{
    if (!IsClass(kernel, object, classId))
        return nullptr;
    return GraphHeadLock(kernel, object, size);
}

void initListHead(char *p)
{
    StoreField(p, GOH_BOUND, kEmptyBoundRect);
    StoreField<uint16_t>(p, GOH_FLAGS, GF_INITIAL);
    StoreField<uint16_t>(p, GOH_FLAGS + 2, 0);
    StoreField(p, GOH_SELPOINT, kEmptyPoint);
    StoreField<int32_t>(p, GOH_SELSLOT, -1);
    StoreField<uint32_t>(p, GOH_MAXDATA, 0);
}

std::string cutAspectName(const char *name)
{
    std::string s = name ? name : "";
    if (s.size() > ASPECT_NAME_SIZE - 1)
        s.resize(ASPECT_NAME_SIZE - 1);
    return s;
}

std::string aspectName(OBJectKernel *kernel, OBJHANDLE aspect)
{
    const char *p = recordLock(kernel, aspect, CLASS_ASPECT, ASPECT_FIXED_SIZE);
    if (!p)
        return {};
    char name[ASPECT_NAME_SIZE];
    std::memcpy(name, p + offsetof(Aspect, name), sizeof name);
    name[ASPECT_NAME_SIZE - 1] = 0;
    return name;
}

void storeAspectName(OBJectKernel *kernel, OBJHANDLE aspect, const std::string &name)
{
    if (char *p = recordLock(kernel, aspect, CLASS_ASPECT, ASPECT_FIXED_SIZE)) {
        char field[ASPECT_NAME_SIZE] = {};
        std::memcpy(field, name.data(), std::min(name.size(), ASPECT_NAME_SIZE - 1));
        std::memcpy(p + offsetof(Aspect, name), field, sizeof field);
    }
}

int32_t groupsActiveSlot(OBJectKernel *kernel, OBJHANDLE root)
{
    const char *p = recordLock(kernel, root, CLASS_GROUPS, GROUPS_FIXED_SIZE);
    return p ? LoadField<int32_t>(p, offsetof(Groups, activeSlot)) : -1;
}

void setGroupsActiveSlot(OBJectKernel *kernel, OBJHANDLE root, int32_t slot)
{
    if (char *p = recordLock(kernel, root, CLASS_GROUPS, GROUPS_FIXED_SIZE))
        StoreField(p, offsetof(Groups, activeSlot), slot);
}

bool isGroupOrAspect(OBJectKernel *kernel, OBJHANDLE object)
{
    const uint16_t c = ClassOf(kernel, object);
    return c == CLASS_GROUP || c == CLASS_ASPECT;
}

// The list's current object and point (GRM_GETSELECTED), 0 when none.
OBJHANDLE currentSelected(OBJectKernel *kernel, OBJHANDLE list, _COORDPT *point)
{
    *point = kEmptyPoint;
    const LRESULT r = SendOBJectMessage(kernel, list, list, 0, GRM_GETSELECTED, 0, LPARAM(point));
    return r > 0 ? OBJHANDLE(r) : 0;
}

// The aspect and groups classes answer alike but for creation and their
// heading: members, no attributes of their own, and one blank browser line.
LRESULT memberListProc(const char *heading, OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver,
                       uint16_t subCode, uint16_t message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case OBJM_REFINSERTED:
    case OBJM_REFREMOVED:
    case GRM_GETSELECTED:
    case GRM_SETSELECTED:
        return GroupMemberProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    case GRM_GETATTRIBUTES:
    case GRM_SETATTRIBUTES:
        return 0;
    case OBJM_INFOLINE:
        return OwnInfoLines(kernel, sender, receiver, subCode, wParam, lParam, {heading, ""});
    default:
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Aspects

OBJHANDLE CreateGroupsRoot(OBJectKernel *kernel)
{
    if (!kernel)
        return 0;
    const OBJHANDLE root = CreateOBJect(kernel, CLASS_GROUPS);
    if (!root)
        return 0;
    AspectCreate(kernel, root, PERMANENT_ASPECT);
    AspectActivate(kernel, root, PERMANENT_ASPECT);
    return root;
}

OBJHANDLE AspectFind(OBJectKernel *kernel, OBJHANDLE root, const char *name)
{
    if (!kernel || !IsClass(kernel, root, CLASS_GROUPS))
        return 0;
    const std::string wanted = cutAspectName(name);
    // The binary search relies on the order the collation made; a document
    // sorted by another collation can miss, so a miss is checked slot by slot.
    if (const OBJHANDLE key = CreateOBJect(kernel, CLASS_ASPECT)) {
        storeAspectName(kernel, key, wanted);
        const int32_t slot = FindKey(kernel, root, REF_GROUP_MEMBER, key);
        OBJectDelete(kernel, key);
        if (SlotFound(slot)) {
            const OBJHANDLE found = GetNthReferenced(kernel, root, slot);
            if (IsClass(kernel, found, CLASS_ASPECT) && aspectName(kernel, found) == wanted)
                return found;
        }
    }
    for (OBJHANDLE a : RefTargets(kernel, root, REF_GROUP_MEMBER))
        if (IsClass(kernel, a, CLASS_ASPECT) && lstrcmpA(aspectName(kernel, a).c_str(), wanted.c_str()) == 0)
            return a;
    return 0;
}

OBJHANDLE AspectCreate(OBJectKernel *kernel, OBJHANDLE root, const char *name)
{
    if (!kernel || !IsClass(kernel, root, CLASS_GROUPS))
        return 0;
    if (const OBJHANDLE found = AspectFind(kernel, root, name))
        return found;
    const OBJHANDLE aspect = CreateOBJect(kernel, CLASS_ASPECT);
    if (!aspect)
        return 0;
    storeAspectName(kernel, aspect, cutAspectName(name));
    if (InsertRefInPos(kernel, root, REF_GROUP_MEMBER, aspect, -1, -1) == OBJ_INVALID) {
        OBJectDelete(kernel, aspect);
        return 0;
    }
    return aspect;
}

OBJHANDLE AspectActivate(OBJectKernel *kernel, OBJHANDLE root, const char *name)
{
    const OBJHANDLE aspect = AspectFind(kernel, root, name);
    if (!aspect)
        return 0;
    const int32_t slot = FindReference(kernel, root, REF_GROUP_MEMBER, aspect);
    if (!SlotFound(slot))
        return 0;
    setGroupsActiveSlot(kernel, root, slot);
    return aspect;
}

OBJHANDLE GetActiveAspect(OBJectKernel *kernel, OBJHANDLE root)
{
    if (!kernel || !IsClass(kernel, root, CLASS_GROUPS))
        return 0;
    const int32_t slot = groupsActiveSlot(kernel, root);
    if (slot < 0)
        return 0;
    const OBJHANDLE aspect = GetNthReferenced(kernel, root, slot);
    return IsClass(kernel, aspect, CLASS_ASPECT) ? aspect : 0;
}

int CompareAspects(OBJectKernel *kernel, uint16_t, OBJHANDLE a, uint16_t, OBJHANDLE b)
{
    const bool aAspect = IsClass(kernel, a, CLASS_ASPECT);
    const bool bAspect = IsClass(kernel, b, CLASS_ASPECT);
    if (aAspect && bAspect) {
        if (!GraphHeadLock(kernel, a, ASPECT_FIXED_SIZE))
            return -2;
        if (!GraphHeadLock(kernel, b, ASPECT_FIXED_SIZE))
            return 2;
        return lstrcmpA(aspectName(kernel, a).c_str(), aspectName(kernel, b).c_str());
    }
    if (aAspect)
        return 1;
    if (bAspect)
        return -1;
    return a > b ? 1 : a < b ? -1 : 0;
}

// ---------------------------------------------------------------------------
// Groups

OBJHANDLE GroupCreate(_WNDRES *window, const char *name)
{
    const DocWindow doc = DocOfRecord(window);
    if (!doc.kernel)
        return 0;
    const OBJHANDLE root = FindRootOBJect(doc.kernel, doc.all, CLASS_GROUPS);
    const OBJHANDLE aspect = GetActiveAspect(doc.kernel, root);
    if (!aspect)
        return 0;
    const OBJHANDLE group = CreateLinkedOBJect(doc.kernel, aspect, REF_GROUP_MEMBER, CLASS_GROUP);
    if (!group)
        return 0;
    if (name && *name)
        GrupNameSet(doc.kernel, group, name);
    return group;
}

int GrupNameSet(OBJectKernel *kernel, OBJHANDLE group, const char *name)
{
    if (!kernel || !name || !IsClass(kernel, group, CLASS_GROUP))
        return 0;
    const size_t length = std::strlen(name);
    if (length >= 0x7FFF0000u)
        return 0;
    const uint32_t size = length ? uint32_t(length + 1) : 0;
    if (!ReSizeOBJectData(kernel, group, size))
        return 0;
    if (size)
        if (char *p = OBJectLock(kernel, group))
            std::memcpy(DataSpaceBegin(p), name, size);
    return 1;
}

int GroupNameGet(OBJectKernel *kernel, OBJHANDLE group, uint32_t *length, char *buffer, uint32_t bufferSize)
{
    if (!kernel || !IsClass(kernel, group, CLASS_GROUP))
        return 0;
    char *p = OBJectLock(kernel, group);
    if (!p)
        return 0;
    const uint32_t space = DataSpaceSize(kernel, group);
    const char *name = DataSpaceBegin(p);
    const uint32_t len = space ? uint32_t(strnlen(name, space)) : 0;
    if (length)
        *length = len;
    if (buffer) {
        const uint32_t n = std::min(len, bufferSize);
        std::memcpy(buffer, name, n);
        if (len < bufferSize)
            buffer[len] = 0;
    }
    return 1;
}

uint16_t GroupFlagsGet(OBJectKernel *kernel, OBJHANDLE group)
{
    const char *p = recordLock(kernel, group, CLASS_GROUP, GROUP_FIXED_SIZE);
    return p ? LoadField<uint16_t>(p, offsetof(Group, groupFlags)) : uint16_t(0);
}

int GroupFlagsSet(OBJectKernel *kernel, OBJHANDLE group, uint16_t flags)
{
    char *p = recordLock(kernel, group, CLASS_GROUP, GROUP_FIXED_SIZE);
    if (!p)
        return 0;
    StoreField(p, offsetof(Group, groupFlags), flags);
    return 1;
}

OBJHANDLE GroupParentGet(OBJectKernel *kernel, OBJHANDLE object)
{
    return kernel ? FirstTarget(kernel, object, REF_GROUP_PARENT) : 0;
}

int CheckGroup(OBJectKernel *kernel, OBJHANDLE a, OBJHANDLE b)
{
    if (!kernel || !a)
        return 0;
    const uint64_t limit = WalkLimit(kernel);
    uint64_t steps = 0;
    for (OBJHANDLE node = b; node; node = GroupParentGet(kernel, node)) {
        if (node == a)
            return 1;
        // A cycle among b's ancestors: linking anything under b is unsafe.
        if (++steps > limit)
            return 1;
    }
    return 0;
}

int PutInGroup(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE target)
{
    if (!kernel || !object || !isGroupOrAspect(kernel, target))
        return 0;
    const uint16_t cls = ClassOf(kernel, object);
    if (!cls || cls == CLASS_ASPECT || cls == CLASS_GROUPS || CheckGroup(kernel, object, target))
        return 0;
    if (SlotFound(FindReference(kernel, target, REF_GROUP_MEMBER, object)))
        return 1;
    if (const OBJHANDLE old = GroupParentGet(kernel, object))
        RemoveReference(kernel, old, REF_GROUP_MEMBER, object);
    return InsertRefInPos(kernel, target, REF_GROUP_MEMBER, object, -1, -1) == OBJ_INVALID ? 0 : 1;
}

OBJHANDLE MakeGroup(OBJectKernel *kernel, OBJHANDLE groupsRoot, OBJHANDLE list, OBJHANDLE undoList)
{
    const OBJHANDLE aspect = GetActiveAspect(kernel, groupsRoot);
    if (!aspect || !IsClass(kernel, list, CLASS_SELLIST))
        return 0;
    const HWND window = GetOBJectWnd(kernel, list);

    // An object selected twice is grouped once.
    std::vector<OBJHANDLE> members;
    for (OBJHANDLE o : RefTargets(kernel, list, REF_SELECTED))
        if (std::find(members.begin(), members.end(), o) == members.end())
            members.push_back(o);
    if (members.size() < 2) {
        GraphErrorMessage(window, kStrTooFewToGroup);
        return 0;
    }
    OBJHANDLE parent = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        OBJHANDLE p = GroupParentGet(kernel, members[i]);
        if (!p)
            p = aspect;
        if (i == 0)
            parent = p;
        else if (p != parent) {
            GraphErrorMessage(window, kStrDifferentParents);
            return 0;
        }
    }

    const OBJHANDLE group = CreateOBJect(kernel, CLASS_GROUP);
    if (!group)
        return 0;
    if (undoList)
        ToUndoAddNew(kernel, undoList, group);
    for (OBJHANDLE m : members) {
        if (const OBJHANDLE old = GroupParentGet(kernel, m)) {
            if (undoList)
                ToUndoAddNew(kernel, undoList, m);
            RemoveReference(kernel, old, REF_GROUP_MEMBER, m);
        }
        InsertRefInPos(kernel, group, REF_GROUP_MEMBER, m, -1, -1);
    }
    InsertRefInPos(kernel, parent, REF_GROUP_MEMBER, group, -1, -1);

    _COORDPT point;
    const OBJHANDLE current = currentSelected(kernel, list, &point);
    SelListClear(kernel, list);
    if (current)
        SendOBJectMessage(kernel, list, current, 0, GRM_SETSELECTED, 0, LPARAM(&point));

    // The climb from the new group ends at it within the depth of the tree.
    OBJHANDLE last = 0;
    const uint64_t limit = WalkLimit(kernel);
    for (uint64_t i = 0; i < limit; ++i) {
        last = SelectNextGroupLevel(kernel, list, group, &point);
        if (!last || last == group)
            break;
    }
    SendOBJectMessage(kernel, list, list, 0, GRM_SETSELECTED, WPARAM(last), LPARAM(&point));
    return group;
}

OBJHANDLE UnGroup(OBJectKernel *kernel, OBJHANDLE group, OBJHANDLE list, OBJHANDLE undoList)
{
    if (!kernel)
        return 0;
    if (!IsClass(kernel, group, CLASS_GROUP) || !IsClass(kernel, list, CLASS_SELLIST)) {
        GraphErrorMessage(GetOBJectWnd(kernel, group ? group : list), kStrNotAGroup);
        return 0;
    }
    const OBJHANDLE parent = GroupParentGet(kernel, group);
    if (!parent)
        return 0;
    const bool parentIsGroup = IsClass(kernel, parent, CLASS_GROUP);
    const bool parentIsAspect = IsClass(kernel, parent, CLASS_ASPECT);

    _COORDPT point;
    const OBJHANDLE current = currentSelected(kernel, list, &point);
    SelListClear(kernel, list);

    for (OBJHANDLE m : RefTargets(kernel, group, REF_GROUP_MEMBER)) {
        OBJHANDLE home = 0;
        if (parentIsGroup)
            home = parent;
        else if (parentIsAspect && IsClass(kernel, m, CLASS_GROUP))
            home = parent;
        if (home && !CheckGroup(kernel, m, home)) {
            if (undoList)
                ToUndoAddNew(kernel, undoList, m);
            InsertRefInPos(kernel, home, REF_GROUP_MEMBER, m, -1, -1);
        }
        InsertRefInPos(kernel, list, REF_SELECTED, m, -1, -1);
    }
    SendOBJectMessage(kernel, list, list, 0, GRM_SETSELECTED, WPARAM(current), LPARAM(&point));
    return group;
}

// ---------------------------------------------------------------------------
// Class procedures

LRESULT GroupMemberProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                        uint16_t message, WPARAM wParam, LPARAM lParam)
{
    char *p = GraphHeadLock(kernel, receiver, GOH_LIST_SIZE);
    if (!p)
        return 0;
    switch (message) {
    case GRM_GETSELECTED: {
        int32_t index = LoadField<int32_t>(p, GOH_SELSLOT);
        if (index == -1)
            index = 0;
        if (index && lParam)
            *reinterpret_cast<_COORDPT *>(lParam) = LoadField<_COORDPT>(p, GOH_SELPOINT);
        return index;
    }
    case GRM_SETSELECTED:
        if (LoadField<int32_t>(p, GOH_SELSLOT) < 0)
            StoreField<int32_t>(p, GOH_SELSLOT, 0);
        return 0;
    case OBJM_REFINSERTED:
    case OBJM_REFREMOVED:
        // The list's default answer keeps the identifier flag, the bound
        // rectangle and the largest data space; the selected index of these
        // classes is not a slot, so it is kept out of the default's reach.
        if (((subCode ^ REF_ID) & REF_IDMASK) == 0 || ((subCode ^ REF_GROUP_MEMBER) & REF_IDMASK) == 0) {
            const int32_t index = LoadField<int32_t>(p, GOH_SELSLOT);
            DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
            if (char *q = GraphHeadLock(kernel, receiver, GOH_LIST_SIZE))
                StoreField(q, GOH_SELSLOT, index);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT GroupProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                  uint16_t message, WPARAM wParam, LPARAM lParam)
{
    char *p = GraphHeadLock(kernel, receiver, GOH_LIST_SIZE);
    if (!p)
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    switch (message) {
    case OBJM_CREATE:
        initListHead(p);
        return 0;
    case OBJM_REFINSERTED:
    case OBJM_REFREMOVED:
    case GRM_GETSELECTED:
    case GRM_SETSELECTED:
        return GroupMemberProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    case GRM_GETATTRIBUTES: {
        auto *record = reinterpret_cast<GraphDispl *>(lParam);
        if (!record)
            return 0;
        static thread_local int depth = 0;
        if (depth >= kMaxAttributeDepth)
            return record->mask;
        ++depth;
        if (const OBJHANDLE id = FirstTarget(kernel, receiver, REF_ID)) {
            GraphDispl own{};
            SendOBJectMessage(kernel, receiver, id, REF_ID, GRM_GETATTRIBUTES, 1, LPARAM(&own));
            MergeOwnGraphAttributes(&own, record, wParam != 0);
        }
        if (record->mask != 0xFF)
            if (const OBJHANDLE parent = GroupParentGet(kernel, receiver))
                SendOBJectMessage(kernel, receiver, parent, REF_GROUP_PARENT, GRM_GETATTRIBUTES, 0, lParam);
        --depth;
        return record->mask;
    }
    case OBJM_INFOLINE:
        return OwnInfoLines(kernel, sender, receiver, subCode, wParam, lParam,
                            {"-- <Group> OBJECT INFORMATIONS -----------",
                             InfoText("SelectedObject : \t%6i", LoadField<int32_t>(p, GOH_SELSLOT)), ""});
    case OBJM_PACKEDCOPY:
        StoreField<int32_t>(p, GOH_SELSLOT, -1);
        break;
    default:
        break;
    }
    return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
}

LRESULT AspectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam)
{
    char *p = GraphHeadLock(kernel, receiver, ASPECT_FIXED_SIZE);
    if (!p)
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    if (message == OBJM_CREATE) {
        initListHead(p);
        std::memset(p + offsetof(Aspect, name), 0, ASPECT_NAME_SIZE);
        return 0;
    }
    return memberListProc("-- <Aspect> OBJECT INFORMATIONS -----------", kernel, sender, receiver, subCode,
                          message, wParam, lParam);
}

LRESULT GroupsProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam)
{
    char *p = GraphHeadLock(kernel, receiver, GROUPS_FIXED_SIZE);
    if (!p)
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    if (message == OBJM_CREATE) {
        initListHead(p);
        StoreField<int32_t>(p, offsetof(Groups, activeSlot), 0);
        return 0;
    }
    if ((message == OBJM_REFINSERTED || message == OBJM_REFREMOVED) &&
        !GetOBJectFlag(kernel, receiver, OBJF_UNDOCOPY)) {
        const int32_t active = LoadField<int32_t>(p, offsetof(Groups, activeSlot));
        setGroupsActiveSlot(kernel, receiver,
                            FollowedActiveSlot(active, HeldCount(kernel, receiver), message, lParam));
    }
    return memberListProc("-- <Groups> OBJECT INFORMATIONS -----------", kernel, sender, receiver, subCode,
                          message, wParam, lParam);
}

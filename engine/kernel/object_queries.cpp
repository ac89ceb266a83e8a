#include "engine/kernel/object_queries.h"

#include "engine/kernel/global_memory_helpers.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <vector>

namespace {

struct TypeBit {
    ObjTypeMask bit;
    uint16_t classId;
};

constexpr TypeBit kTypeBits[] = {
    {OTM_POLYLINE, CLASS_POLYLINE}, {OTM_POLYGON, CLASS_POLYGON},     {OTM_TEXT, CLASS_TEXT},
    {OTM_LEGEND, CLASS_LEGEND},     {OTM_BITMAP, CLASS_BITMAP},       {OTM_PAGE, CLASS_PAGE},
    {OTM_NAIL, CLASS_NAIL},         {OTM_PRESDESCR, CLASS_PRESDESCR}, {OTM_PRESENT, CLASS_PRESENT},
    {OTM_LAYER, CLASS_LAYER},       {OTM_GROUP, CLASS_GROUP},
};

// Targets of the holder's references of one id, in slot order.
std::vector<OBJHANDLE> targetsOf(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    std::vector<OBJHANDLE> out;
    int32_t pos = -1;
    for (OBJHANDLE t = GetReference(kernel, holder, id, &pos); t; t = GetReference(kernel, holder, id, &pos))
        out.push_back(t);
    return out;
}

} // namespace

int CheckType(OBJectKernel *kernel, OBJHANDLE handle, ObjTypeMask mask)
{
    if (!kernel || !handle)
        return 0;
    const uint16_t classId = GetOBJectClassID(kernel, handle);
    if (!classId)
        return 0;
    for (const TypeBit &t : kTypeBits)
        if (t.classId == classId)
            return (mask & (t.bit | OTM_ANY)) ? 1 : 0;
    return 0;
}

int RemoveNonRootRefs(OBJectKernel *kernel, OBJHANDLE object)
{
    const uint32_t held = GetNumberOfReferencesFrom(kernel, object, 0);
    if (!kernel || held == OBJ_INVALID)
        return 0;
    // The link to keep: a REF_ROOT_BACK slot that names AllOBJects.
    auto isRootBack = [](uint16_t id) { return (id & REF_IDMASK) == (REF_ROOT_BACK & REF_IDMASK); };
    OBJHANDLE rootLink = 0;
    for (uint32_t i = 0; i < held && !rootLink; ++i) {
        const OBJHANDLE target = GetNthReferenced(kernel, object, int32_t(i));
        if (isRootBack(GetNthReferenceID(kernel, object, int32_t(i))) &&
            GetOBJectClassID(kernel, target) == CLASS_ALLOBJECTS)
            rootLink = target;
    }
    int removed = 0;
    bool keptRoot = false;
    // From the last slot to the first, as the store removes references; a
    // removal may take other slots of the object with it, so the count is
    // read again on every step.
    for (int64_t i = int64_t(held) - 1; i >= 0; --i) {
        const uint32_t now = GetNumberOfReferencesFrom(kernel, object, 0);
        if (now == OBJ_INVALID)
            break;
        if (i >= int64_t(now))
            continue;
        const uint16_t id = GetNthReferenceID(kernel, object, int32_t(i));
        const OBJHANDLE target = GetNthReferenced(kernel, object, int32_t(i));
        if (!keptRoot && rootLink && target == rootLink && isRootBack(id)) {
            keptRoot = true; // one such slot stays; duplicates go
            continue;
        }
        RemoveNthReference(kernel, object, int32_t(i));
        uint32_t after = GetNumberOfReferencesFrom(kernel, object, 0);
        // A link to an object that no longer exists cannot be removed with
        // its partner; the holder's side goes alone.
        if (after == now) {
            RRRemRef(kernel, object, target, id);
            after = GetNumberOfReferencesFrom(kernel, object, 0);
        }
        if (after != OBJ_INVALID && after < now)
            removed = 1;
    }
    return removed;
}

int32_t AddEnclosingGroups(OBJectKernel *kernel, HGLOBAL *mem, int32_t *count, int onlyComplete,
                           int dropMembers)
{
    if (!kernel || !mem || !count || *count <= 0)
        return 0;
    std::vector<OBJHANDLE> list;
    {
        const auto *handles = static_cast<const OBJHANDLE *>(GlobalLock(*mem));
        if (!handles)
            return 0;
        const size_t n = std::min(size_t(*count), GlobalSize(*mem) / sizeof(OBJHANDLE));
        list.assign(handles, handles + n);
        GlobalUnlock(*mem);
    }

    // Marks of this call only, indexed by handle; a handle that names no
    // object is never marked and so leaves the list.
    const size_t limit = size_t(KernGiveAllObjectsAmount(kernel)) + 1;
    std::vector<uint8_t> marked(limit, 0);
    auto valid = [&](OBJHANDLE h) { return h && h < limit && HeadLock(kernel, h); };
    auto isMarked = [&](OBJHANDLE h) { return h < limit && marked[h]; };
    for (const OBJHANDLE h : list)
        if (valid(h))
            marked[h] = 1;

    size_t from = 0;
    while (from < list.size()) {
        const size_t to = list.size();
        for (size_t i = from; i < to; ++i) {
            if (!isMarked(list[i]))
                continue;
            for (const OBJHANDLE group : targetsOf(kernel, list[i], REF_GROUP_PARENT)) {
                if (!valid(group) || isMarked(group) || GetOBJectClassID(kernel, group) != CLASS_GROUP)
                    continue;
                const std::vector<OBJHANDLE> members = targetsOf(kernel, group, REF_GROUP_MEMBER);
                if (onlyComplete && !std::all_of(members.begin(), members.end(), isMarked))
                    continue;
                list.push_back(group);
                marked[group] = 1;
                if (dropMembers)
                    for (const OBJHANDLE m : members)
                        if (m < limit)
                            marked[m] = 0;
            }
        }
        from = to; // the next pass looks at the groups just added
    }

    std::vector<OBJHANDLE> result;
    for (const OBJHANDLE h : list)
        if (isMarked(h)) {
            result.push_back(h);
            marked[h] = 0;
        }
    const uint32_t bytes = uint32_t(std::max<size_t>(result.size(), 1) * sizeof(OBJHANDLE));
    if (!ReSizeGlobalHandle(*mem, bytes, GMEM_MOVEABLE))
        return 0;
    auto *out = static_cast<OBJHANDLE *>(GlobalLock(*mem));
    if (!out)
        return 0;
    std::copy(result.begin(), result.end(), out);
    GlobalUnlock(*mem);
    *count = int32_t(result.size());
    return *count;
}

// Internal helpers shared by the layer, layer-group, group and selection
// code: reference walks that copy the targets first (the walks below change
// the references they visit), graph flag access, and the one place where the
// document model reads the map window record.
#pragma once

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/kernel_types.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace docmodel {

inline uint16_t ClassOf(OBJectKernel *kernel, OBJHANDLE object)
{
    return object ? GetOBJectClassID(kernel, object) : uint16_t(0);
}

inline bool IsClass(OBJectKernel *kernel, OBJHANDLE object, uint16_t classId)
{
    return object && ClassOf(kernel, object) == classId;
}

inline bool IsListObject(OBJectKernel *kernel, OBJHANDLE object)
{
    return (ClassOf(kernel, object) & CLASSBIT_LIST) != 0;
}

inline uint32_t HeldCount(OBJectKernel *kernel, OBJHANDLE holder)
{
    const OBJectHead *head = HeadLock(kernel, holder);
    return head ? head->refsHeld : 0;
}

// True for a slot that FindReference found (it returns ~slot, negative,
// when absent and OBJ_INVALID for a bad holder).
inline bool SlotFound(int32_t slot) { return slot >= 0 && uint32_t(slot) != OBJ_INVALID; }

// The targets of the holder's references with the id (bits 0-12), in slot
// order.
inline std::vector<OBJHANDLE> RefTargets(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    std::vector<OBJHANDLE> out;
    const uint32_t held = HeldCount(kernel, holder);
    for (uint32_t i = 0; i < held; ++i) {
        OBJHANDLE target = 0;
        uint16_t refId = 0;
        if (GetRef(kernel, holder, &refId, &target, int32_t(i)) && target && ((refId ^ id) & REF_IDMASK) == 0)
            out.push_back(target);
    }
    return out;
}

inline OBJHANDLE FirstTarget(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    int32_t pos = -1;
    return holder ? FirstReference(kernel, holder, id, &pos) : 0;
}

// A new object of the class, linked last under the holder; 0, with no object
// left behind, when the link cannot be made.
inline OBJHANDLE CreateLinkedOBJect(OBJectKernel *kernel, OBJHANDLE holder, uint16_t refId, uint16_t classId)
{
    const OBJHANDLE object = CreateOBJect(kernel, classId);
    if (!object)
        return 0;
    if (InsertRefInPos(kernel, holder, refId, object, -1, -1) == OBJ_INVALID) {
        OBJectDelete(kernel, object);
        return 0;
    }
    return object;
}

// A walk along links that takes more steps than there are objects has met a
// cycle (a damaged document can hold one).
inline uint64_t WalkLimit(OBJectKernel *kernel) { return uint64_t(KernGiveAllObjectsAmount(kernel)) + 1; }

inline uint16_t GraphFlags(OBJectKernel *kernel, OBJHANDLE object)
{
    const char *p = GraphHeadLock(kernel, object, GOH_SIZE);
    return p ? LoadField<uint16_t>(p, GOH_FLAGS) : uint16_t(0);
}

inline void SetGraphFlags(OBJectKernel *kernel, OBJHANDLE object, uint16_t mask, bool set)
{
    if (char *p = GraphHeadLock(kernel, object, GOH_SIZE)) {
        uint16_t f = LoadField<uint16_t>(p, GOH_FLAGS);
        f = set ? uint16_t(f | mask) : uint16_t(f & ~mask);
        StoreField(p, GOH_FLAGS, f);
    }
}

// A root's active slot after a reference at `slot` came or went: it follows
// its object when slots before it move, so a change elsewhere never makes
// another slot active, and it is cleared when its own slot goes.
inline int32_t FollowedActiveSlot(int32_t active, int64_t held, uint16_t message, LPARAM slot)
{
    if (message == OBJM_REFINSERTED) {
        // Only an active slot that named a slot before the insertion moves.
        if (slot <= active && active < held - 1)
            return active + 1;
    } else if (slot < active) {
        return active - 1;
    } else if (slot == active) {
        return -1;
    }
    return active;
}

// ---------------------------------------------------------------------------
// Object browser lines

// Room the object browser gives one information line.
inline constexpr size_t kInfoLineSize = 130;

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
inline std::string
InfoText(const char *format, ...)
{
    char line[kInfoLineSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    return line;
}

// A class's own browser lines come first; the default procedure numbers the
// lines after them from 0 again.
inline LRESULT OwnInfoLines(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                            WPARAM line, LPARAM buffer, std::initializer_list<std::string> lines)
{
    if (line >= lines.size())
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, OBJM_INFOLINE, line - lines.size(),
                                  buffer);
    if (buffer)
        std::snprintf(reinterpret_cast<char *>(buffer), kInfoLineSize, "%s", lines.begin()[line].c_str());
    return 1;
}

// ---------------------------------------------------------------------------
// The map window record, as far as the document model reads it.

struct DocWindow {
    OBJectKernel *kernel = nullptr;
    OBJHANDLE all = 0; // the AllOBJects object
    HWND window = 0;
};

inline DocWindow DocOfRecord(const _WNDRES *record)
{
    if (!record || !record->kernel || !record->rootObject ||
        GetOBJectClassID(record->kernel, record->rootObject) != CLASS_ALLOBJECTS)
        return {};
    return {record->kernel, record->rootObject, record->hWnd};
}

inline DocWindow DocOfWindow(HWND window) { return DocOfRecord(GetWndRes(window)); }

// Running measures of the selection: the switches and the totals.
struct SelectionMeasureState {
    int32_t *areaOn = nullptr;
    int32_t *lengthOn = nullptr;
    double *area = nullptr;
    double *length = nullptr;
};

inline SelectionMeasureState MeasuresOf(HWND window)
{
    _WNDRES *record = GetWndRes(window);
    if (!record)
        return {};
    return {&record->calcSelArea, &record->calcSelLength, &record->selArea, &record->selLength};
}

// The look with which selected objects are drawn.
struct SelectionLook {
    uint8_t units = 0;
    COLORREF colour = 0;
    uint32_t stylePlusOne = 0;
    uint32_t width = 1;
};

inline SelectionLook SelectionLookOf(HWND window)
{
    const _WNDRES *record = GetWndRes(window);
    if (!record)
        return {};
    return {record->selLineFlags, record->selLineColor, uint32_t(record->selLineStyle),
            uint32_t(record->selLineWidth)};
}

} // namespace docmodel

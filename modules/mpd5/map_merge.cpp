#include "modules/mpd5/map_merge.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_copy.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct KernelDeleter {
    void operator()(OBJectKernel *k) const { KernelDelete(k); }
};
using KernelPtr = std::unique_ptr<OBJectKernel, KernelDeleter>;

// Objects a graphical object owns through a link of its own: its extra data
// block and its heights. They go with it.
constexpr uint16_t kOwnedLinks[] = {REF_EXTRA, REF_ZOBJ};

// The part of a layer's record that is its look, copied as it stands.
constexpr size_t kLookBegin = offsetof(Layer, visible);
constexpr size_t kLookEnd = offsetof(Layer, reserved);

struct Copied {
    OBJHANDLE source;
    OBJHANDLE copy;
};

// The window's layer of the source layer's number, made with the source's
// name and look when the map lacks it.
OBJHANDLE targetLayer(HWND window, OBJectKernel *kernel, OBJectKernel *src, OBJHANDLE srcLayer)
{
    const char *record = OBJectLock(src, srcLayer);
    if (!record)
        return 0;
    const int32_t number = LoadField<int32_t>(record, offsetof(Layer, number));
    char name[LAYER_NAME_SIZE + 1] = {};
    std::memcpy(name, record + offsetof(Layer, name), LAYER_NAME_SIZE);
    if (OBJHANDLE found = map_layer_Search(window, number, nullptr))
        return found;
    OBJHANDLE made = 0;
    if (!map_layer_Create(window, &made, nullptr, 0, number, name, 0xFFFFFFFF, -1, -1, -1,
                          LDF_KEEP_VISIBLE | LDF_KEEP_SELECTABLE, LAYER_FLAGS_KEEP, 0) ||
        !made)
        return 0;
    record = OBJectLock(src, srcLayer);
    char *target = OBJectLock(kernel, made);
    if (record && target)
        std::memcpy(target + kLookBegin, record + kLookBegin, kLookEnd - kLookBegin);
    return made;
}

OBJHANDLE copyWithOwned(OBJectKernel *kernel, OBJectKernel *src, OBJHANDLE object)
{
    const OBJHANDLE copy = CopyOBJectFromKernel(kernel, src, object);
    if (!copy)
        return 0;
    for (uint16_t link : kOwnedLinks) {
        const OBJHANDLE owned = FirstReference(src, object, link, nullptr);
        if (!owned)
            continue;
        const OBJHANDLE ownedCopy = CopyOBJectFromKernel(kernel, src, owned);
        if (ownedCopy && InsertRefInPos(kernel, copy, link, ownedCopy, -1, -1) == OBJ_INVALID)
            KillOBJect(kernel, ownedCopy);
    }
    return copy;
}

// The source object's identifier in the window's list: the one of the same
// code and name, else a new one (showing its texts where the source did).
void carryIdentifier(HWND window, OBJectKernel *kernel, OBJectKernel *src, const Copied &c)
{
    const OBJHANDLE id = GetID(src, c.source);
    if (!id)
        return;
    char code[ID_CODE_MAX + 1] = {}, name[ID_NAME_MAX + 1] = {};
    OBJHANDLE codeText = 0, nameText = 0;
    GetIDOBJs(src, id, code, name, nullptr, nullptr, nullptr, &codeText, &nameText);
    if (!*code && !*name)
        return;
    const OBJHANDLE list = GetRootOBJect(window, CLASS_IDSLIST);
    if (!list)
        return;
    const int32_t slot = FindIDSlot(kernel, list, code, name);
    if (slot >= 0) {
        if (const OBJHANDLE existing = GetNthReferenced(kernel, list, slot))
            InsertRefInPos(kernel, existing, REF_ID_USER, c.copy, -1, 0);
        return;
    }
    int error = 0;
    SetID(kernel, list, 0, 0, window, c.copy, code, name, codeText ? 1 : 0, nameText ? 1 : 0, &error, 0);
}

} // namespace

int MergeMapStream(HWND window, FileStream &stream, bool atCopiedPlace, MAP_COORDPT point, std::string *error)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel) {
        *error = "There is no open map to merge into.";
        return -1;
    }
    OBJectKernel *kernel = rec->kernel;
    OBJHANDLE srcRoot = 0;
    OBJectKernel *loaded = nullptr;
    std::string why;
    if (!ReadMapFromStream(0, stream, &srcRoot, &loaded, 0, &why) || !loaded) {
        if (loaded)
            KernelDelete(loaded);
        *error = "The map document cannot be read: " + (why.empty() ? std::string("it is damaged") : why);
        return -1;
    }
    const KernelPtr src(loaded);
    const OBJHANDLE srcLayers = GetRootOBJKern(src.get(), srcRoot, CLASS_LAYERS);
    if (!srcLayers) {
        *error = "The map document has no layers.";
        return -1;
    }
    const OBJHANDLE layersRoot = GetRootOBJect(window, CLASS_LAYERS);
    if (!layersRoot) {
        *error = "The open map has no layers.";
        return -1;
    }

    std::vector<Copied> copies;
    int32_t lpos = 0;
    for (OBJHANDLE srcLayer = FirstReference(src.get(), srcLayers, REF_LAYER_MEMBER, &lpos); srcLayer;
         srcLayer = GetReference(src.get(), srcLayers, REF_LAYER_MEMBER, &lpos)) {
        if (!IsLayer(src.get(), srcLayer) || IsPageLayer(src.get(), srcLayer))
            continue;
        OBJHANDLE layer = 0;
        int32_t pos = 0;
        for (OBJHANDLE object = FirstReference(src.get(), srcLayer, REF_LAYER_MEMBER, &pos); object;
             object = GetReference(src.get(), srcLayer, REF_LAYER_MEMBER, &pos)) {
            const uint16_t classId = GetOBJectClassID(src.get(), object);
            // Identifier texts are made again with their identifier; the page
            // and its nail belong to the document they came with.
            if (!classId || classId >= CLASS_DRAWABLE_LIMIT || classId == CLASS_PAGE ||
                classId == CLASS_NAIL || IsFromIDText(src.get(), object))
                continue;
            if (!layer && !(layer = targetLayer(window, kernel, src.get(), srcLayer)))
                break;
            const OBJHANDLE copy = copyWithOwned(kernel, src.get(), object);
            if (!copy)
                continue;
            if (InsertRefInPos(kernel, layer, REF_LAYER_MEMBER, copy, -1, -1) == OBJ_INVALID) {
                OBJectDelete(kernel, copy);
                continue;
            }
            copies.push_back({object, copy});
        }
    }

    std::vector<OBJHANDLE> handles;
    for (const Copied &c : copies)
        handles.push_back(c.copy);
    if (!atCopiedPlace && !handles.empty()) {
        MAP_COORDRECT all{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (OBJHANDLE h : handles) {
            MAP_COORDRECT r;
            if (map_object_boundrect_Get(window, h, &r) && r.x1 <= r.x2 && r.y1 <= r.y2) {
                all.x1 = std::min(all.x1, r.x1), all.y1 = std::min(all.y1, r.y1);
                all.x2 = std::max(all.x2, r.x2), all.y2 = std::max(all.y2, r.y2);
            }
        }
        if (all.x1 <= all.x2) {
            const int64_t dx = int64_t(point.x) - all.x1, dy = int64_t(point.y) - all.y2;
            if (dx >= INT32_MIN && dx <= INT32_MAX && dy >= INT32_MIN && dy <= INT32_MAX && (dx || dy))
                map_objects_Move(window, handles.data(), int32_t(handles.size()), int32_t(dx), int32_t(dy),
                                 0);
        }
    }
    // Identifier texts stand at the centre of their object: after the move.
    for (const Copied &c : copies)
        carryIdentifier(window, kernel, src.get(), c);
    SetSelection(window, handles.data(), uint32_t(handles.size()), 0, 1);
    return int(copies.size());
}

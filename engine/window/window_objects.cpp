#include "engine/window/window_objects.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/window/window_access.h"

#include <algorithm>
#include <cstring>

namespace {

// The object's extra block: the last REF_EXTRA target of the object.
OBJHANDLE extraOf(const MapDoc &doc, OBJHANDLE object)
{
    int32_t pos = -1;
    const OBJHANDLE extra = LastReference(doc.kernel, object, REF_EXTRA, &pos);
    return doc.is(extra, CLASS_EXTRA) ? extra : 0;
}

// Copies at most size - 2 characters and a terminator.
void copyCut(char *out, int32_t size, const char *text)
{
    if (!out || size <= 0)
        return;
    const size_t room = size >= 2 ? size_t(size - 2) : 0;
    const size_t n = strnlen(text, room);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

} // namespace

extern "C" {

int map_objects_Delete(HWND window, const OBJHANDLE *objects, int32_t count, int)
{
    const MapDoc doc(window);
    if (!doc || !objects)
        return 0;
    for (int32_t i = 0; i < count; ++i)
        if (doc.classOf(objects[i]))
            DeleteTree(doc.kernel, objects[i], REF_FILTER_FORWARD);
    return 1;
}

OBJHANDLE map_object_layer_Get(HWND window, OBJHANDLE object)
{
    const MapDoc doc(window);
    return doc.classOf(object) ? GetOBJectLayer(doc.kernel, object) : 0;
}

OBJHANDLE map_object_group_Get(HWND window, OBJHANDLE object)
{
    const MapDoc doc(window);
    if (!doc.classOf(object))
        return 0;
    int32_t pos = -1;
    const OBJHANDLE parent = GetReference(doc.kernel, object, REF_GROUP_PARENT, &pos);
    return doc.is(parent, CLASS_GROUP) ? parent : 0;
}

int map_object_boundrect_Get(HWND window, OBJHANDLE object, MAP_COORDRECT *rect)
{
    const MapDoc doc(window);
    const OBJHANDLE layers = doc.root(CLASS_LAYERS);
    if (!rect || !layers)
        return 0;
    MAP_COORDRECT r = kEmptyBoundRect;
    if (!object)
        SendOBJectMessage(doc.kernel, layers, layers, 0, GRM_GETBOUNDRECT, 1, LPARAM(&r));
    else if (doc.classOf(object))
        SendOBJectMessage(doc.kernel, object, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    else
        return 0;
    *rect = r;
    return 1;
}

int map_object_id_Get(HWND window, OBJHANDLE object, char *code, int32_t codeSize, char *name,
                      int32_t nameSize, OBJHANDLE *codeText, OBJHANDLE *nameText)
{
    if (code && codeSize > 0)
        code[0] = '\0';
    if (name && nameSize > 0)
        name[0] = '\0';
    const MapDoc doc(window);
    const OBJHANDLE id = doc.classOf(object) ? GetID(doc.kernel, object) : 0;
    if (!id)
        return 0;
    char storedCode[ID_CODE_MAX + 1] = {};
    char storedName[ID_NAME_MAX + 1] = {};
    OBJHANDLE text1 = 0;
    OBJHANDLE text2 = 0;
    GetIDOBJs(doc.kernel, id, storedCode, storedName, nullptr, nullptr, nullptr, &text1, &text2);
    copyCut(code, codeSize, storedCode);
    copyCut(name, nameSize, storedName);
    if (codeText)
        *codeText = text1;
    if (nameText)
        *nameText = text2;
    return 1;
}

OBJHANDLE map_id_Search(HWND window, const char *code, const char *name)
{
    return MapDoc(window) ? FindOBJectByIDText(window, code, name) : 0;
}

int map_object_extradata_Set(HWND window, OBJHANDLE object, const uint16_t *type, const uint32_t *value,
                             const void *data, uint32_t size, int)
{
    const MapDoc doc(window);
    if (!doc.classOf(object) || doc.is(object, CLASS_EXTRA))
        return 0;
    OBJHANDLE extra = extraOf(doc, object);
    const bool made = !extra;
    if (made) {
        extra = CreateOBJect(doc.kernel, CLASS_EXTRA);
        if (!extra)
            return 0;
        if (InsertRefInPos(doc.kernel, object, REF_EXTRA, extra, -1, -1) == OBJ_INVALID) {
            OBJectDelete(doc.kernel, extra);
            return 0;
        }
    }
    if (data && size) {
        if (TransferOBJectData(doc.kernel, extra, const_cast<void *>(data), size, 1) != size) {
            if (made)
                OBJectDelete(doc.kernel, extra);
            return 0;
        }
    }
    char *p = OBJectLock(doc.kernel, extra);
    if (!p)
        return 0;
    if (type)
        StoreField(p, EXTRA_TYPE, *type);
    if (value)
        StoreField(p, EXTRA_VALUE, *value);
    return 1;
}

int map_object_extradata_Get(HWND window, OBJHANDLE object, uint16_t *type, uint32_t *value, void *buffer,
                             uint32_t *size)
{
    const MapDoc doc(window);
    const OBJHANDLE extra = doc.classOf(object) ? extraOf(doc, object) : 0;
    const char *p = extra ? OBJectLock(doc.kernel, extra) : nullptr;
    if (!p)
        return 0;
    if (type)
        *type = LoadField<uint16_t>(p, EXTRA_TYPE);
    if (value)
        *value = LoadField<uint32_t>(p, EXTRA_VALUE);
    if (size) {
        const uint32_t stored = DataSpaceSize(doc.kernel, extra);
        if (!buffer) {
            *size = stored;
        } else {
            const uint32_t n = std::min(*size, stored);
            *size = n ? TransferOBJectData(doc.kernel, extra, buffer, n, 0) : 0;
        }
    }
    return 1;
}

int map_object_extradata_Delete(HWND window, OBJHANDLE object, int)
{
    const MapDoc doc(window);
    const OBJHANDLE extra = doc.classOf(object) ? extraOf(doc, object) : 0;
    if (!extra)
        return 0;
    OBJectDelete(doc.kernel, extra);
    return 1;
}

int map_objects_Move(HWND window, const OBJHANDLE *objects, int32_t count, int32_t dx, int32_t dy, int)
{
    const MapDoc doc(window);
    if (!doc || !objects || (dx == 0 && dy == 0))
        return 0;
    for (int32_t i = 0; i < count; ++i)
        if (const uint16_t cls = doc.classOf(objects[i]))
            ObjectMove(doc.kernel, objects[i], dx, dy, cls, 0);
    return 1;
}

int map_objects_Copy(HWND window, OBJHANDLE *objects, int32_t count, int32_t dx, int32_t dy, int)
{
    const MapDoc doc(window);
    if (!doc || !objects)
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        if (!doc.classOf(objects[i]))
            continue;
        OBJHANDLE copy = 0;
        if (ObjectDuplicate(doc.kernel, objects[i], &copy, 1, 0) && copy)
            objects[i] = copy;
        else
            continue;
        if (dx || dy)
            ObjectMove(doc.kernel, copy, dx, dy, doc.classOf(copy), 0);
    }
    return 1;
}

int32_t map_TakeFromEmpySet(HWND window, int32_t flag)
{
    const MapDoc doc(window);
    return doc ? KernelSetEmptyFlag(doc.kernel, flag) : 0;
}

int32_t map_TakeFromEmpyGet(HWND window)
{
    const MapDoc doc(window);
    return doc ? KernGetEmptyFlag(doc.kernel) : 0;
}

} // extern "C"

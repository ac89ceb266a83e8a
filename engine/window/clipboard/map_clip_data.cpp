#include "engine/window/clipboard/map_clip_data.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/raster_images.h"
#include "engine/view/text/text_object.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

constexpr uint16_t kCarried[] = {CLASS_POLYGON, CLASS_POLYLINE, CLASS_TEXT, CLASS_BITMAP};

// Bytes of fixed data of a registered class; 0 for a class the table lacks.
uint32_t fixedSizeOf(uint16_t classId)
{
    const int index = ClassIndexOf(classId);
    const OBJectClassDescr *descr = index < 0 ? nullptr : ClassDescrByIndex(uint32_t(index));
    return descr && descr->fixedEnd > OBJ_HEAD_SIZE ? descr->fixedEnd - OBJ_HEAD_SIZE : 0;
}

bool refuse(std::string *error, const std::string &why)
{
    if (error)
        *error = why;
    return false;
}

// Cuts the lengths a block states to the data it has, so that no reader of
// the object walks past its end.
void fitLengths(OBJectKernel *kernel, OBJHANDLE h, uint16_t classId)
{
    char *p = OBJectLock(kernel, h);
    const uint32_t data = DataSpaceSize(kernel, h);
    if (classId == CLASS_POLYGON || classId == CLASS_POLYLINE) {
        const uint32_t stride = (LoadField<uint16_t>(p, PS_ZFLAGS) & 1) ? 12 : 8;
        StoreField<uint32_t>(p, PS_COUNT, std::min(LoadField<uint32_t>(p, PS_COUNT), data / stride));
        MAP_COORDRECT bound;
        PointSetBoundRect(kernel, h, &bound);
        StoreField<MAP_COORDRECT>(p, GOH_BOUND, bound);
    } else if (classId == CLASS_TEXT) {
        const uint32_t length = LoadField<uint32_t>(p, offsetof(TextObjectData, textLength)) & 0xFFFF;
        const uint32_t fits = std::min({length, data ? data - 1 : 0, TEXT_MAX_LENGTH});
        StoreField<uint32_t>(p, offsetof(TextObjectData, textLength), fits);
        if (data)
            DataSpaceBegin(p)[fits] = '\0';
    } else if (classId == CLASS_BITMAP) {
        // Image ids name entries of a table of the process that copied.
        RasterBlockClearImageIds(p);
    }
}

} // namespace

bool MapClipClassCarried(uint16_t classId)
{
    return std::find(std::begin(kCarried), std::end(kCarried), classId) != std::end(kCarried);
}

std::vector<char> MapClipWrite(OBJectKernel *kernel, const std::vector<OBJHANDLE> &objects)
{
    std::vector<char> out(4, 0);
    uint32_t count = 0;
    for (OBJHANDLE h : objects) {
        const uint16_t classId = GetOBJectClassID(kernel, h);
        const uint32_t fixed = fixedSizeOf(classId);
        char *p = MapClipClassCarried(classId) ? OBJectLock(kernel, h) : nullptr;
        if (!p || !fixed)
            continue;
        const uint32_t data = DataSpaceSize(kernel, h);
        const MapClipRecordHead head{h, fixed + data, classId, 0};
        const char *bytes = reinterpret_cast<const char *>(&head);
        out.insert(out.end(), bytes, bytes + sizeof head);
        out.insert(out.end(), p, p + fixed);
        const char *variable = DataSpaceBegin(p);
        out.insert(out.end(), variable, variable + data);
        ++count;
    }
    if (count == 0)
        return {};
    std::memcpy(out.data(), &count, 4);
    return out;
}

bool MapClipRead(const void *data, size_t size, std::vector<MapClipRecord> *records, std::string *error)
{
    records->clear();
    const char *bytes = static_cast<const char *>(data);
    if (!bytes || size < 4)
        return refuse(error, "The data is too short to hold a count of objects.");
    const uint32_t count = LoadField<uint32_t>(bytes, 0);
    if (count == 0)
        return refuse(error, "The data holds no objects.");
    if (uint64_t(count) * sizeof(MapClipRecordHead) > size - 4)
        return refuse(error, "The data claims " + std::to_string(count) + " objects; its " +
                                 std::to_string(size) + " bytes cannot hold them.");
    std::unordered_set<uint32_t> keys;
    size_t at = 4;
    for (uint32_t i = 0; i < count; ++i) {
        const std::string which = "Object " + std::to_string(i + 1) + " of " + std::to_string(count);
        if (size - at < sizeof(MapClipRecordHead))
            return refuse(error, which + " lies past the end of the data.");
        MapClipRecordHead head;
        std::memcpy(&head, bytes + at, sizeof head);
        at += sizeof head;
        if (head.size > size - at)
            return refuse(error, which + " claims " + std::to_string(head.size) +
                                     " bytes, past the end of the data.");
        if (!MapClipClassCarried(head.classId))
            return refuse(error, which + " is of the unknown class " + std::to_string(head.classId) + ".");
        const uint32_t fixed = fixedSizeOf(head.classId);
        if (!fixed || head.size < fixed)
            return refuse(error, which + " is shorter than the fixed data of its class.");
        if (!keys.insert(head.key).second)
            return refuse(error, which + " repeats the key of an earlier object.");
        records->push_back({head.key, head.classId, at, head.size});
        at += head.size;
    }
    if (at != size) {
        records->clear();
        return refuse(error, "The data goes on past its last object.");
    }
    return true;
}

std::vector<OBJHANDLE> MapClipCreate(OBJectKernel *kernel, OBJHANDLE layer, const void *data,
                                     const std::vector<MapClipRecord> &records)
{
    std::vector<OBJHANDLE> made;
    const char *bytes = static_cast<const char *>(data);
    auto undo = [&] {
        for (OBJHANDLE h : made)
            OBJectDelete(kernel, h);
        made.clear();
    };
    for (const MapClipRecord &r : records) {
        const uint32_t fixed = fixedSizeOf(r.classId);
        const OBJHANDLE h = CreateOBJect(kernel, r.classId);
        char *p = h ? OBJectLock(kernel, h) : nullptr;
        if (!p || !ReSizeOBJectData(kernel, h, r.size - fixed)) {
            if (h)
                OBJectDelete(kernel, h);
            undo();
            return {};
        }
        made.push_back(h);
        p = OBJectLock(kernel, h);
        // The new object's own graph flags and selection point stay: the
        // copy is neither selected nor carrying an identifier here.
        char own[GOH_SIZE - GOH_FLAGS];
        std::memcpy(own, p + GOH_FLAGS, sizeof own);
        std::memcpy(p, bytes + r.offset, fixed);
        std::memcpy(p + GOH_FLAGS, own, sizeof own);
        std::memcpy(DataSpaceBegin(p), bytes + r.offset + fixed, r.size - fixed);
        fitLengths(kernel, h, r.classId);
        if (InsertLayerRef(kernel, h, layer) == OBJ_INVALID) {
            undo();
            return {};
        }
    }
    return made;
}

#include "engine/kernel/raster_images.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "platform/global_memory.h"

#include <new>
#include <unordered_map>

struct RasterImageTable {
    struct Entry {
        HGLOBAL block;
        uint32_t holders;
    };
    std::unordered_map<uint32_t, Entry> entries;
    uint32_t lastId = 0;
};

namespace {

RasterImageTable::Entry *entryOf(OBJectKernel *kernel, uint32_t id)
{
    if (!kernel || !kernel->rasterImages || id == 0)
        return nullptr;
    const auto it = kernel->rasterImages->entries.find(id);
    return it == kernel->rasterImages->entries.end() ? nullptr : &it->second;
}

char *rasterData(OBJectKernel *kernel, OBJHANDLE raster)
{
    if (GetOBJectClassID(kernel, raster) != CLASS_BITMAP)
        return nullptr;
    return GraphHeadLock(kernel, raster, RASTER_HEADER_ID + 4);
}

} // namespace

uint32_t RasterImageAdd(OBJectKernel *kernel, HGLOBAL block)
{
    if (!block)
        return 0;
    if (!kernel) {
        GlobalFree(block);
        return 0;
    }
    if (!kernel->rasterImages)
        kernel->rasterImages = new (std::nothrow) RasterImageTable;
    RasterImageTable *table = kernel->rasterImages;
    if (!table) {
        GlobalFree(block);
        return 0;
    }
    // Ids are not reused while the kernel lives, so a stale id never names a
    // newer image; a wrap after four billion loads skips the ids still held.
    uint32_t id = table->lastId;
    do {
        id = id + 1 ? id + 1 : 1;
    } while (table->entries.count(id));
    try {
        table->entries.emplace(id, RasterImageTable::Entry{block, 1});
    } catch (const std::bad_alloc &) {
        GlobalFree(block);
        return 0;
    }
    table->lastId = id;
    return id;
}

HGLOBAL RasterImageBlock(OBJectKernel *kernel, uint32_t id)
{
    const RasterImageTable::Entry *e = entryOf(kernel, id);
    return e ? e->block : 0;
}

int RasterImageRetain(OBJectKernel *kernel, uint32_t id)
{
    RasterImageTable::Entry *e = entryOf(kernel, id);
    if (!e)
        return 0;
    ++e->holders;
    return 1;
}

int RasterImageRelease(OBJectKernel *kernel, uint32_t id)
{
    RasterImageTable::Entry *e = entryOf(kernel, id);
    if (!e)
        return 0;
    if (--e->holders == 0) {
        GlobalFree(e->block);
        kernel->rasterImages->entries.erase(id);
    }
    return 1;
}

size_t RasterImageCount(const OBJectKernel *kernel)
{
    return kernel && kernel->rasterImages ? kernel->rasterImages->entries.size() : 0;
}

void RasterImagesDestroy(OBJectKernel *kernel)
{
    if (!kernel || !kernel->rasterImages)
        return;
    for (const auto &[id, e] : kernel->rasterImages->entries)
        GlobalFree(e.block);
    delete kernel->rasterImages;
    kernel->rasterImages = nullptr;
}

RasterImageIds RasterObjectImageIds(OBJectKernel *kernel, OBJHANDLE raster)
{
    const char *p = rasterData(kernel, raster);
    if (!p)
        return {0, 0};
    return {LoadField<uint32_t>(p, RASTER_HEADER_ID), LoadField<uint32_t>(p, RASTER_PIXELS_ID)};
}

void RasterObjectRetainImages(OBJectKernel *kernel, OBJHANDLE raster)
{
    const RasterImageIds ids = RasterObjectImageIds(kernel, raster);
    RasterImageRetain(kernel, ids.header);
    RasterImageRetain(kernel, ids.pixels);
}

void RasterObjectReleaseImages(OBJectKernel *kernel, OBJHANDLE raster)
{
    const RasterImageIds ids = RasterObjectImageIds(kernel, raster);
    RasterImageRelease(kernel, ids.header);
    RasterImageRelease(kernel, ids.pixels);
    if (char *p = rasterData(kernel, raster))
        RasterBlockClearImageIds(p);
}

void RasterBlockClearImageIds(void *fixedData)
{
    if (!fixedData)
        return;
    StoreField<uint32_t>(fixedData, RASTER_HEADER_ID, 0);
    StoreField<uint32_t>(fixedData, RASTER_PIXELS_ID, 0);
}

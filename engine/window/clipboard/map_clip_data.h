// The "Map" clipboard data of the older copy and paste exports. Any program
// can put bytes under that name, so the reader trusts nothing: every record
// must lie inside the block, name a class drawn on the map and carry at
// least that class's fixed data.
//
// Layout, little-endian: a 32-bit count, then count records of
//   a 32-bit key (the copied object's handle; only told apart, never used
//   as a handle), the 32-bit size of the object's data, the 16-bit class id
//   padded to 32 bits, and the data: the class's fixed data followed by the
//   object's variable data (points, text), as the store keeps them.
// References do not travel: a pasted object is a new object of the active
// layer. Polygons, polylines, texts and rasters are carried.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MapClipRecordHead {
    uint32_t key;
    uint32_t size;
    uint16_t classId;
    uint16_t pad;
};
static_assert(sizeof(MapClipRecordHead) == 12);
static_assert(offsetof(MapClipRecordHead, size) == 4 && offsetof(MapClipRecordHead, classId) == 8);

// One record of checked data: its class and where its bytes lie in the block.
struct MapClipRecord {
    uint32_t key = 0;
    uint16_t classId = 0;
    size_t offset = 0; // of the object's data in the block
    uint32_t size = 0;
};

// Whether objects of the class travel in "Map" data.
bool MapClipClassCarried(uint16_t classId);

// The data of the objects of the classes carried (others are left out), in
// the order given. Empty when none is carried.
std::vector<char> MapClipWrite(OBJectKernel *kernel, const std::vector<OBJHANDLE> &objects);

// Checks the whole block before anything is made: the records, or nothing
// with the reason in error (a count of 0, a count or size past the block,
// an unknown class, data shorter than the class's fixed data, bytes left
// after the last record, a key given twice).
bool MapClipRead(const void *data, size_t size, std::vector<MapClipRecord> *records, std::string *error);

// Makes the objects of checked records in the layer: their fixed data as
// given except for what only this process can know (a raster's image ids),
// the point and text lengths cut to the data they have, the bounding
// rectangles of point sets recomputed. The handles made, in order; all or
// nothing (a failure deletes what was made).
std::vector<OBJHANDLE> MapClipCreate(OBJectKernel *kernel, OBJHANDLE layer, const void *data,
                                     const std::vector<MapClipRecord> &records);

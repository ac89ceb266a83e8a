// The images of a document's raster objects. A raster keeps its loaded
// image as two movable memory blocks (the bitmap header and the pixel rows);
// its fixed data does not hold the block handles but the 32-bit ids of
// entries of its kernel's image table. An entry counts the object blocks
// that name it (the live raster, saved undo copies), so an undo copy and the
// object it was taken from share an image safely, and the block is freed
// when the last of them lets it go. The table goes with its kernel.
//
// Ids mean something only in their own kernel and only while the program
// runs: the map file stores 0 in their place and the reader clears them.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

// Where a raster's fixed data holds the ids of its header and pixel blocks.
inline constexpr size_t RASTER_HEADER_ID = 48;
inline constexpr size_t RASTER_PIXELS_ID = 44;

// Takes the block into the table with one holder; its new id, never 0. 0
// when the kernel or block is missing or the table cannot grow (the block
// is then freed: the caller has handed it over either way).
uint32_t RasterImageAdd(OBJectKernel *kernel, HGLOBAL block);
// The block of a live entry; 0 for id 0 or an id the table does not hold.
HGLOBAL RasterImageBlock(OBJectKernel *kernel, uint32_t id);
// One more holder of the entry; 0 when the id is not in the table.
int RasterImageRetain(OBJectKernel *kernel, uint32_t id);
// One holder fewer; the entry and its block go with the last. 0 when the id
// is not in the table.
int RasterImageRelease(OBJectKernel *kernel, uint32_t id);
// Entries in the table (tests look for leaks with it).
size_t RasterImageCount(const OBJectKernel *kernel);
// Frees every entry and the table itself (KernelDelete).
void RasterImagesDestroy(OBJectKernel *kernel);

// The ids in a raster's fixed data, for an object of another class {0, 0}.
struct RasterImageIds {
    uint32_t header;
    uint32_t pixels;
};
RasterImageIds RasterObjectImageIds(OBJectKernel *kernel, OBJHANDLE raster);
// Another block of the store names the raster's entries (an undo copy).
void RasterObjectRetainImages(OBJectKernel *kernel, OBJHANDLE raster);
// The object lets its entries go and its id words become 0.
void RasterObjectReleaseImages(OBJectKernel *kernel, OBJHANDLE raster);
// Clears the id words of a raster block without touching any table: for
// blocks just read from a file or copied from another kernel, whose words
// name nothing here.
void RasterBlockClearImageIds(void *fixedData);

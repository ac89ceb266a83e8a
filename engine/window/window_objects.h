// Window-level functions of single objects: their layer, group, bounds,
// identifiers and extra data block; deleting objects; the store's reuse of
// freed handles.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

// The extra data block of an object (class 0x17, reached through
// REF_EXTRA): a type and a value in its fixed data, any bytes in its data
// space.
inline constexpr size_t EXTRA_TYPE = 0;  // u16
inline constexpr size_t EXTRA_VALUE = 4; // u32

extern "C" {

// Deletes each object with everything it holds (filter 0xC001), no undo.
// 1; 0 for a null window or array.
int map_objects_Delete(HWND window, const OBJHANDLE *objects, int32_t count, int unused);
OBJHANDLE map_object_layer_Get(HWND window, OBJHANDLE object);
// The Group holding the object, 0 when none.
OBJHANDLE map_object_group_Get(HWND window, OBJHANDLE object);
// The object's bounding rectangle; object 0: the whole map. 0 for a null
// output or a map without Layers root.
int map_object_boundrect_Get(HWND window, OBJHANDLE object, MAP_COORDRECT *rect);
// The code and the name of the object's identifier, each cut to size - 2
// characters and terminated, and its two text objects. 0 without one.
int map_object_id_Get(HWND window, OBJHANDLE object, char *code, int32_t codeSize, char *name,
                      int32_t nameSize, OBJHANDLE *codeText, OBJHANDLE *nameText);
OBJHANDLE map_id_Search(HWND window, const char *code, const char *name);
// Finds or makes the object's extra block, writes size bytes of data (when
// given) into it and stores the type and value (when given). 1; 0 on
// failure, and a block this call made is removed again.
int map_object_extradata_Set(HWND window, OBJHANDLE object, const uint16_t *type, const uint32_t *value,
                             const void *data, uint32_t size, int unused);
// Type and value of the block; with size, at most *size bytes into buffer
// and *size receives the bytes moved (the whole data size for a null
// buffer). 0 without block.
int map_object_extradata_Get(HWND window, OBJHANDLE object, uint16_t *type, uint32_t *value, void *buffer,
                             uint32_t *size);
int map_object_extradata_Delete(HWND window, OBJHANDLE object, int unused);
// Moves each object by dx, dy (no undo). 1; 0 for a null window or array
// or a zero shift.
int map_objects_Move(HWND window, const OBJHANDLE *objects, int32_t count, int32_t dx, int32_t dy,
                     int unused);
// Replaces each object in the array by a copy in its own layer (without its
// identifier) moved by dx, dy. 1; 0 for a null window or array.
int map_objects_Copy(HWND window, OBJHANDLE *objects, int32_t count, int32_t dx, int32_t dy, int unused);
// Sets whether new objects reuse freed handles; the previous value.
int32_t map_TakeFromEmpySet(HWND window, int32_t flag);
int32_t map_TakeFromEmpyGet(HWND window);

} // extern "C"

// Window-level functions over the members of containers: listing the
// children of layers, groups, the selection and the identifier list, adding
// objects to a layer or a group, and the interface type of an object.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// Interface types of objects (map_object_type_Get).
enum MAP_OBJECT_TYPE : int {
    MOT_NONE = 0,
    MOT_POLYLINE = 1,
    MOT_POLYGON = 2,
    MOT_TEXT = 3,
    MOT_LEGEND = 4,
    MOT_RASTER = 5,
    MOT_PAGE = 6,
    MOT_NAIL = 7,
    MOT_PRESDESCR = 8,
    MOT_PRESENTATION = 9,
    MOT_LAYER = 17,
    MOT_GROUP = 33,
};

// The reference through which a container of the class reaches its
// children when listing them: layer members for the Layers root and layers,
// group members for aspects and groups, the selection references for the
// selection list, identifier members for the identifier list; 0 otherwise.
uint16_t ContainerChildKind(uint16_t classId);

extern "C" {

// Copies up to capacity children of the container into the array (leaves
// only: sub-lists are replaced by their leaves); *count receives how many
// there are. Returns the number copied; 0 for a container of another class.
int32_t CHILDREN_Get(HWND window, OBJHANDLE container, int32_t *count, OBJHANDLE *array, int32_t capacity,
                     int leavesOnly);
// Adds the objects to a layer (any object that is not a list) or to an
// aspect (groups) or a group (groups and objects that are not lists); each
// leaves its former container of that kind; one already there keeps its
// place. With replace the present children are taken out first. 1, or 0
// for a container of another class.
int CHILDREN_Add(HWND window, OBJHANDLE container, const OBJHANDLE *objects, int32_t count, int replace,
                 OBJHANDLE undoRoot);
// Every layer in drawing order, the page layer included.
int32_t map_layers_Get(HWND window, int32_t *count, OBJHANDLE *array, int32_t capacity);
// The groups of the active aspect.
int32_t map_groups_Get(HWND window, int32_t *count, OBJHANDLE *array, int32_t capacity);
// The members of a group; 0 unless the handle is a Group.
int32_t map_group_Get(HWND window, OBJHANDLE group, int32_t *count, OBJHANDLE *array, int32_t capacity,
                      int leavesOnly);
// For each identifier, the first object that carries it; the number of
// identifiers, 0 when none was copied.
int32_t map_identified_Get(HWND window, int32_t *count, OBJHANDLE *array, int32_t capacity);
int map_object_type_Get(HWND window, OBJHANDLE object);

} // extern "C"

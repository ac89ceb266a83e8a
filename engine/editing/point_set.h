// Point-set objects: polygons (class 8, a closed ring whose first point is
// not repeated at the end) and polylines (class 9, open). The fixed record
// holds the graphical head, the capacity and count of points, the height
// flag and the height range; the points lie in the data space, 8 bytes
// (x, y) each, or 12 (x, y, z) for an object with heights.
//
// Every primitive keeps the bounding rectangle exact and reports a change of
// points to the object with GRM_INVALIDATE and the rectangle it had before.
#pragma once

#include "engine/editing/line_segment.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/graph_object.h"
// CoordPtEqual
#include "engine/kernel/graph_services.h"
#include "engine/kernel/kernel_types.h"

#include <cstddef>
#include <cstdint>

// Offsets in the fixed data (after the graphical head).
inline constexpr size_t PS_CAPACITY = 28; // u32: points the data space holds
static_assert(PS_COUNT == 32 && PS_ZFLAGS == 36 && PS_ZRANGE == 40 && PS_FIXED_SIZE == 52);

// Change notice sent with GRM_REMOVED after points were added: the byte
// offset and byte count of the changed points.
struct PointSetChange {
    uint32_t offset;
    uint32_t count;
    uint32_t reserved[2];
};
static_assert(sizeof(PointSetChange) == 16);
inline constexpr WPARAM POINTSET_CHANGE_ADDED = 2;

// A locked point-set object. Every point is read and written through here:
// it steps by the object's point size and copies bytes, as data spaces are
// not aligned for 8-byte access. The count is what the data space holds at
// most, whatever the record says (a damaged file may claim more).
struct PointSetAccess {
    char *fixed = nullptr;
    char *data = nullptr;
    uint32_t count = 0;
    uint32_t stride = 8; // 12 with heights
    uint32_t room = 0;   // points the data space holds

    MAP_COORDPT at(uint32_t i) const { return LoadField<MAP_COORDPT>(data, size_t(i) * stride); }
    void put(uint32_t i, MAP_COORDPT p) const { StoreField(data, size_t(i) * stride, p); }
    int32_t z(uint32_t i) const { return stride == 12 ? LoadField<int32_t>(data, size_t(i) * 12 + 8) : 0; }
    void putZ(uint32_t i, int32_t v) const
    {
        if (stride == 12)
            StoreField(data, size_t(i) * 12 + 8, v);
    }
    MAP_COORDRECT bound() const { return LoadField<MAP_COORDRECT>(fixed, GOH_BOUND); }
    void setBound(const MAP_COORDRECT &r) const { StoreField(fixed, GOH_BOUND, r); }
    // Writes the count (and the capacity) back to the record.
    void setCount(uint32_t n);
};

// 1 for class 8 or 9.
bool IsPointSetClass(uint16_t classId);
// Locks a polygon or polyline; false for a null, freed or foreign handle.
bool LockPointSet(OBJectKernel *kernel, OBJHANDLE object, PointSetAccess &access);
// The smallest rectangle of the points (the empty bound rectangle for none).
MAP_COORDRECT PointSetBounds(const PointSetAccess &access);

// ---- reading and searching ------------------------------------------------

MAP_COORDRECT *SetOfLinesegmentCalculateBR(OBJectKernel *kernel, OBJHANDLE object, MAP_COORDRECT *rect);
// The same without a result, for the callers that only want the rectangle.
void PointSetBoundRect(OBJectKernel *kernel, OBJHANDLE object, MAP_COORDRECT *rect);
// The count; -1 for an invalid handle.
int32_t SetOfLinesegmentPointsCount(OBJectKernel *kernel, OBJHANDLE object);
// The point with the index, or the last point for -1; null when out of range.
MAP_COORDPT *SetOfLinesegmentPointGet(OBJectKernel *kernel, OBJHANDLE object, int32_t index,
                                      MAP_COORDPT *point);
// The first vertex equal to the point; -1 when none or outside the rectangle.
int32_t SetOfLinesegmentPointIndex(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point);
int32_t SetOfLinesegmentFindPoint(const PointSetAccess &access, const MAP_COORDPT *point, int32_t start);
// As SetOfLinesegmentPointIndex with the rectangle widened by 2 units.
int32_t SetOfLinesegmentOwnsPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point);
int SetOfLinesegmentIsEndPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point);
int SetOfLinesegmentCommonEndPoint(OBJectKernel *kernel, OBJHANDLE a, OBJHANDLE b, MAP_COORDPT *point);
void SetOfLinesegmentFirstLinesegment(OBJectKernel *kernel, OBJHANDLE object, Linesegment *segment);
int SetOfLinesegmentNextLinesegment(OBJectKernel *kernel, OBJHANDLE object, int32_t *index,
                                    Linesegment *segment);
int CoordPtNear(MAP_COORDPT a, MAP_COORDPT b, int32_t tolerance);
int PolylineHandleValid(OBJectKernel *kernel, OBJHANDLE object);

// ---- editing ----------------------------------------------------------------

// 0 none, 1 or 2 edges at a vertex, 3 the two halves of an edge at its
// midpoint (one of the near points).
int SetOfLinesegmentGetEdges(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point,
                             const MAP_COORDPT *near1, const MAP_COORDPT *near2, Linesegment *edge1,
                             Linesegment *edge2);
int ObjectGetEdges(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point, const MAP_COORDPT *near1,
                   const MAP_COORDPT *near2, Linesegment *edge1, Linesegment *edge2, uint16_t classId);
int SetOfLinesegmentSetPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point, int32_t index);
int ObjectSetPoint(OBJectKernel *kernel, OBJHANDLE object, const MAP_COORDPT *point, int32_t index,
                   uint16_t classId);
int SetOfLinesegmentExpand(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *oldEdge,
                           const Linesegment *newEdge1, const Linesegment *newEdge2);
int ObjectExpand(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *oldEdge,
                 const Linesegment *newEdge1, const Linesegment *newEdge2, uint16_t classId);
// 0 failure, 2 when at least 3 points remain, else 1.
int SetOfLinesegmentRemoveVertex(OBJectKernel *kernel, OBJHANDLE object, const Linesegment *edge1,
                                 const Linesegment *edge2, Linesegment *newEdge, int polygon);
int SetOfLinesegmentJoinLinesegment(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *segment);
int SetOfLinesegmentAddLinesegment(OBJectKernel *kernel, OBJHANDLE *object, const Linesegment *segment);
int SetOfLinesegmentMove(OBJectKernel *kernel, OBJHANDLE object, int32_t dx, int32_t dy);
int ObjectMove(OBJectKernel *kernel, OBJHANDLE object, int32_t dx, int32_t dy, uint16_t classId, int undo);
int SetOfLinesegmentDuplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy, uint16_t classId);
int PolygonDuplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy);
int PolylineDuplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy);
int ObjectDuplicate(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE *copy, int intoLayer, int takeOverId);
OBJHANDLE ObjectCreateInActiveLayer(HWND window, uint16_t classId);
// Replaces all points of an object (count of them) and recomputes its
// rectangle; grows the data space as needed. 1, or 0 on failure.
int PointSetReplacePoints(OBJectKernel *kernel, OBJHANDLE *object, const MAP_COORDPT *points, uint32_t count);

// ---- geometry ---------------------------------------------------------------

// 1 inside (a vertex, a point on a horizontal edge and a point on a left
// edge are inside), 0 outside.
int PolygonContainsPoint(OBJectKernel *kernel, OBJHANDLE polygon, const MAP_COORDPT *point);
// The same rules on a plain ring of n points.
int PointRingContainsPoint(const MAP_COORDPT *points, uint32_t n, const MAP_COORDPT *point);
// Area in ground units: square metres on a map in angular units, else square
// map units; -1 for a bad handle or an object outside any window.
double PolygonAreaInUnits(OBJectKernel *kernel, OBJHANDLE polygon);
int32_t PointArrayLowestIndex(const MAP_COORDPT *points, int32_t n);
int32_t PointRingNextCorner(const MAP_COORDPT *points, int32_t index, int32_t n, int32_t step);

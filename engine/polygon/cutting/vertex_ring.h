// Vertex rings: the outline of a point-set object as a flat array of edge
// records in one movable memory block. The cutting engine holds both the
// cut polygon and the (there-and-back) cutting line this way; every crossing
// of the two outlines becomes a vertex of both rings, and the record ending
// at a crossing names the record of the other ring that starts there.
#pragma once

#include "engine/editing/line_segment.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

// Link values besides an index into the other ring.
inline constexpr int32_t RING_NO_CROSSING = -1;
inline constexpr int32_t RING_VISITED = -2;

// Orientation codes of PolygonVertexRingCreate.
inline constexpr int RING_NEGATIVE_AREA = 200; // clockwise, y growing upwards
inline constexpr int RING_POSITIVE_AREA = 201; // counter-clockwise

// Start finder modes of PolygonVertexRingsContainment.
inline constexpr int RING_START_UNLINKED = 300;    // records with no crossing only
inline constexpr int RING_START_NOT_VISITED = 303; // every record not yet visited

struct PolygonVertexRecord {
    MAP_COORDPT start;
    MAP_COORDPT end;
    int32_t link;      // RING_NO_CROSSING, RING_VISITED or the partner index
    int32_t savedLink; // the link before a walk marked the record visited
    Linesegment origin;
    int32_t hasOrigin;
};
static_assert(sizeof(PolygonVertexRecord) == 44 && offsetof(PolygonVertexRecord, link) == 16 &&
              offsetof(PolygonVertexRecord, origin) == 24 && offsetof(PolygonVertexRecord, hasOrigin) == 40);

struct PolygonVertexRing {
    MAP_COORDRECT bound;
    int32_t capacity;
    int32_t count;
    PolygonVertexRecord records[1]; // capacity + 1 records follow the header
};
static_assert(offsetof(PolygonVertexRing, capacity) == 16 && offsetof(PolygonVertexRing, records) == 24);

// Bytes of a block with room for capacity records and the spare one.
inline size_t PolygonVertexRingBytes(int32_t capacity)
{
    return offsetof(PolygonVertexRing, records) + (size_t(capacity) + 1) * sizeof(PolygonVertexRecord);
}

// Keeps a ring block locked for a scope; ring() is null for a bad handle or
// a block too small for the counts it claims.
class PolygonVertexRingLock {
public:
    explicit PolygonVertexRingLock(HGLOBAL block);
    ~PolygonVertexRingLock();
    PolygonVertexRingLock(const PolygonVertexRingLock &) = delete;
    PolygonVertexRingLock &operator=(const PolygonVertexRingLock &) = delete;
    PolygonVertexRing *ring() const { return ring_; }

private:
    HGLOBAL block_;
    PolygonVertexRing *ring_ = nullptr;
};

// 1 and the new ring in *ring; 0 with *ring 0 for a bad object or when the
// block cannot be had. An object without points gives an empty ring, one
// whose points all coincide a single record from the point to itself.
int PolygonVertexRingCreate(OBJectKernel *kernel, OBJHANDLE object, HGLOBAL *ring, int orientation);
// Index of the first point with the smallest x; 0 when n < 2.
int32_t PolygonVertexRingStartIndex(const MAP_COORDPT *points, int32_t n);
// Splits record index at point (origin, when given, marks both halves as
// cut from that edge). The block may move: the handle is written back.
// 1, or 0 for a bad handle, an index out of range or a failed growth.
int PolygonVertexRingInsert(HGLOBAL *ring, int32_t index, MAP_COORDPT point, const Linesegment *origin);
// Inserts every crossing of the two rings into both and links the crossing
// records; returns the number of crossing points (a touching point counts
// once), 0 for a bad handle.
int PolygonVertexRingsIntersect(HGLOBAL *ringA, HGLOBAL *ringB, int useOrigin);
// The first record of ring A (of those the mode considers) that starts at a
// start point of ring B; -1 when none or a handle is bad. *which is set to 1.
int32_t PolygonVertexRingsContainment(OBJectKernel *kernel, HGLOBAL ringA, HGLOBAL ringB, OBJHANDLE objectA,
                                      OBJHANDLE objectB, int mode, int retry, int *which, int testFlags);
// 1 when some record of the ring starts at (x, y).
int PolygonVertexRingFindPoint(const PolygonVertexRing *ring, int32_t x, int32_t y);
// 1 when the two objects hold the same ring of corners (either direction).
int SetOfLinesegmentEqual(OBJectKernel *kernel, OBJHANDLE a, OBJHANDLE b);

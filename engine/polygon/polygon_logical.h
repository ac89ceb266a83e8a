// The Boolean entry of the polygon engine: two sets of polygons in integer
// map coordinates combined by a public operation code into a new set.
#pragma once

#include <cstdint>

#include "engine/polygon/lpoint.h"

struct PlgList {
    int32_t x;
    int32_t y;
    PlgList &operator=(const PlgList &other);
};

struct PlgListWithNumPoints {
    int32_t firstPoint;
    int32_t numPoints;
    PlgListWithNumPoints &operator=(const PlgListWithNumPoints &other);
};

// A polygon set. Results come from the engine and belong to the caller
// (release with DeletePlgOpResult); assignment shares the arrays.
struct PlgOpResult {
    PlgListWithNumPoints *polygons;
    PlgList *points;
    int32_t totalPoints;
    int32_t numPolygons;
    PlgOpResult &operator=(const PlgOpResult &other);
};

enum PlgOperation {
    PLG_UNION = 101,
    PLG_INTERSECTION = 102,
    PLG_EXCLUSIVE_OR = 103,
    PLG_A_MINUS_B = 104,
    PLG_B_MINUS_A = 105,
    PLG_CORRECTION = 106,
    PLG_SMOOTHEN = 107,
    PLG_MAKE_RING = 108,
};

// How an operation ended. A partial result is what could be collected
// before the engine met a ring it could not follow: usable, but not the
// whole answer, so callers must not act on it as complete (for instance by
// deleting the inputs). A failed or rejected operation returns an empty set.
enum PlgOpStatus {
    PLG_OP_OK = 0,
    PLG_OP_PARTIAL = 1,
    PLG_OP_FAILED = 2,    // the engine stopped with an error
    PLG_OP_BAD_INPUT = 3, // a set's counts do not fit its arrays
};

// Never returns null. Set A becomes group A, set B group B; the inputs are
// only read. A null set counts as empty.
PlgOpResult *main_polygon_logical(const PlgOpResult *setA, const PlgOpResult *setB, int operation,
                                  PlgOpStatus *status = nullptr);
// The same for exactly one ring on each side.
PlgOpResult *main_polygon_logical(const PlgList *ringA, int32_t countA, const PlgList *ringB, int32_t countB,
                                  int operation, PlgOpStatus *status = nullptr);

void DeletePlgOpResult(PlgOpResult *result);

class EnginePolygonList;

// Runs a public operation code on a working list the caller filled; on
// return the list holds the result rings (empty when the operation failed).
PlgOpStatus RunPolygonListOperation(EnginePolygonList *list, int operation);
// A new set from the rings of the list, rounded to map coordinates.
PlgOpResult *PlgOpResultFromPolygonList(EnginePolygonList *list);
void AppendGroupAPolygon(EnginePolygonList *list, const LPoint *points, int32_t count);
void AppendGroupBPolygon(EnginePolygonList *list, const LPoint *points, int32_t count);

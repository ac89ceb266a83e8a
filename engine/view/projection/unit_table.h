// The unit table: what a unit id measures, how it converts and what it is
// called. Built in and read-only.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int32_t UNIT_METRIC = 1;
inline constexpr int32_t UNIT_IMPERIAL = 2;
inline constexpr int32_t UNIT_ANGLE = 4;
inline constexpr int32_t UNIT_AREA = 8;

// One row. The factor is the number of these units in one metre, one square
// metre or one degree; the names are string resource ids.
struct tagUnitInfo {
    int32_t id;       // 1..31; -1 in the end row
    int32_t kind;     // one UNIT_ bit; 0 in the end row
    int32_t longName; // string id
    double factor;
    int32_t shortName; // string id; 0 = none
};

// The row with the id, or null (the end row is never returned).
const tagUnitInfo *FindUnitInfo(int id);
// The first row; walk until the id -1.
const tagUnitInfo *GetPtrUnitInfo();

// Loads the long name (shortFlag 0) or the short name from the engine's
// string table into the buffer, cut to fit with its terminating zero. 0 when
// no row has the id.
int UnitStringGet(int id, int shortFlag, char *buffer, int length);
int UnitStringGet2(int id, int shortFlag, char *buffer, int length);

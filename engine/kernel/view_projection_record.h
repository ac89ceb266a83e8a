// The projection of a view as the map file stores it: unit systems, datums,
// the module's file name and its parameter text. The view floor converts it
// to and from its live projection; the kernel reads and writes it with the
// document.
#pragma once

#include <cstddef>
#include <cstdint>

// The persisted projection of a view, stored whole in the map file.
struct PM_InitStructTag {
    int32_t baseKind;
    int32_t baseUnit;
    int32_t baseDatum;
    int32_t transformedKind;
    int32_t transformedUnit;
    int32_t transformedDatum;
    int32_t areaUnit;
    int32_t lengthUnit;
    char modulePath[260]; // empty: no projection
    char parameterText[512];
    uint8_t reserved[64];
};
static_assert(sizeof(PM_InitStructTag) == 868);
static_assert(offsetof(PM_InitStructTag, modulePath) == 32 &&
              offsetof(PM_InitStructTag, parameterText) == 292 &&
              offsetof(PM_InitStructTag, reserved) == 804);

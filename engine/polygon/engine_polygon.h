// The engine's working rings: the exchange between the Boolean entry, the
// buffer outlines and the operation driver. Points are in map units.
#pragma once

#include <cstdint>

#include "engine/polygon/dl_list.h"
#include "engine/polygon/lpoint.h"

struct EnginePolygon {
    EnginePolygon() = default;
    // Deletes its points.
    ~EnginePolygon() noexcept(false);
    EnginePolygon(const EnginePolygon &) = delete;
    EnginePolygon &operator=(const EnginePolygon &) = delete;

    DL_List<LPoint *> points;
    int32_t group = 0; // 0 group A, 1 group B
};

class EnginePolygonList : public DL_List<EnginePolygon *> {
public:
    EnginePolygonList() = default;
    // Deletes every ring still held.
    ~EnginePolygonList() noexcept(false);
    // Deletes every ring and empties the list.
    void DeleteAll();
};

// Rounding of result rings to the integer grid of map coordinates without
// changing their topology: the rings come out closed, clockwise, free of
// spikes, crossings and shared edges, with every hole joined to the ring
// around it by a bridge of two coincident links.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/polygon/lpoint.h"

struct GridPoint {
    int64_t x = 0;
    int64_t y = 0;
    auto operator<=>(const GridPoint &) const = default;
};
using GridRing = std::vector<GridPoint>;

// The rings of one result in map units, in the form the graphs hand them
// back: each one a ring whose region lies on its right once it runs
// clockwise (holes already joined by bridges or not). Every ring is first
// turned clockwise by its signed area; then the edges are snap-rounded
// (every edge that passes through the unit square of a rounded vertex or
// crossing is bent through its centre), coincident edges of opposite
// direction cancel, the rings are traced anew face by face and every hole
// is bridged to the first node or link above it.
std::vector<GridRing> RoundResultRings(const std::vector<std::vector<LPoint>> &rings);

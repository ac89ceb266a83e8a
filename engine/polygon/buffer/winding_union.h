// The union of the rings of a buffer outline by their winding numbers: all
// ring edges are cut at their crossings once (rounded to whole map units,
// repeated until no crossing is left), the faces of the planar graph they
// make get their winding numbers, and the boundary between the faces inside
// and outside is walked into rings. A face is inside when its winding
// number has the sign of the rings just below their topmost (then
// rightmost) point: the outermost turn decides what inside means, as in the
// Boolean engine.
//
// Buffer outlines have many crossings of short edges close together; the
// general Boolean engine handles them slowly, this specialised pass in time
// close to linear in the number of edges.
#pragma once

#include "engine/polygon/polygon_logical.h"

#include <vector>

using WindingRing = std::vector<PlgList>;

// The region as the Boolean engine returns regions: clockwise rings, every
// hole joined to the ring around it by a vertical bridge up from its top
// point. Null when the edges do not settle into a planar graph after a few
// rounds of cutting (the caller then takes the Boolean engine); an empty set
// for rings that enclose nothing.
PlgOpResult *WindingUnion(const std::vector<WindingRing> &rings);

// Buffer outlines of one polygon or polyline, or around one text anchor,
// computed on plain point arrays (the buffer commands read the objects and
// make the results). The default calculation unites a rectangle along every
// segment, a join piece at every corner and the end pieces; the extended
// calculation walks the line once into one ring of its two offset chains,
// the outline of those same pieces, and lets the union clean the ring's
// overlaps. A polygon's outline is each of its loops: the outer ring and
// every hole, without the bridges that join the holes to it.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/polygon/polygon_logical.h"

#include <cstdint>
#include <functional>
#include <vector>

// The enumerations shared with the control's buffering method.
enum BufferingType { mc_BufferInner = 0, mc_BufferOuter = 1, mc_BufferBoth = 2 };
enum EndingsType { mc_EndingsNo = 0, mc_EndingsSquared = 1, mc_EndingsRounded = 2 };
enum CornersType { mc_CornerSharped = 0, mc_CornerRounded = 1 };
enum CalculationType { mc_CalculationDefault = 0, mc_CalculationEx = 1 };

struct BufferParameters {
    int64_t size = 0;     // s, positive
    int32_t segments = 0; // k: the points of half a turn (circle segments - 1)
    int32_t corners = mc_CornerSharped;
    int32_t endings = mc_EndingsNo;
    int64_t times = 15; // mitre limit as a multiple of s
    int32_t type = mc_BufferOuter;
};

// How a buffer outline ended.
enum class BufferOutcome {
    Made,      // the set holds the zone (it may be empty: a polygon shrunk away)
    TooFew,    // fewer than 2 (polyline) or 3 (polygon) distinct points
    OffPlane,  // the zone would leave the 32-bit plane of map coordinates
    Failed,    // the Boolean engine did not finish
    BadParams, // a size below 1 or a negative segment count
};

// Hears the progress of one object as a running percentage.
using BufferProgress = std::function<void(double percent)>;

struct BufferResult {
    BufferOutcome outcome = BufferOutcome::Failed;
    PlgOpResult *set = nullptr; // the zone's rings, owned by the caller when Made
};

// The default calculation: the points are thinned first (recursive
// reduction, threshold 1), the progress runs to 100.
BufferResult DefaultBufferOutline(const std::vector<MAP_COORDPT> &points, bool polygon,
                                  const BufferParameters &parameters, const BufferProgress &progress = {});
// The extended calculation: no thinning, the progress runs to 90; a polygon
// always gets the band on both sides of its outline.
BufferResult ExtendedBufferOutline(const std::vector<MAP_COORDPT> &points, bool polygon,
                                   const BufferParameters &parameters, const BufferProgress &progress = {});
// A disc of radius s around a text's anchor point.
BufferResult TextBufferOutline(MAP_COORDPT anchor, int64_t size, int32_t segments);

// Making every selected polygon run clockwise or counter-clockwise (with y
// growing northwards) by reversing its points where needed; an information
// box tells for each polygon whether it was changed. The reversals of one
// call are one undo step, "Transformations".
#pragma once

#include "platform/types.h"

#include <cstdint>

inline constexpr uint16_t kUndoTransformations = 252;

void SetSelPolygonsClockwise(HWND window);
void SetSelPolygonsCounterClockwise(HWND window);

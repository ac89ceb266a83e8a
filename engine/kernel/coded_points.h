// Coded points of the cutting engine: a point whose coordinates are moved
// out of the ordinary range by 0x7FFFFFFF carries a kind (which coordinates
// are coded) along with its position. All arithmetic is on 32-bit integers
// modulo 2^32.
#pragma once

#include "engine/kernel/coords.h"

#include <cstdint>

void CoordPtPackKind(_COORDPT *out, int32_t x, int32_t y, int32_t kind);
void CoordPtUnpackKind(const _COORDPT *in, int32_t *x, int32_t *y, int32_t *kind);

// Exact integer helpers of the geometry: the sign of a 2 x 2 determinant and
// a scaled quotient with a wide intermediate product.
#pragma once

#include "platform/types.h"

#include <cstdint>

// The sign (-1, 0, +1) of a * d - b * c, exact for all 32-bit arguments.
int DetSgn(LONG a, LONG b, LONG c, LONG d);
// a * b / c with a 64-bit product, truncated towards zero; 0 when c is 0.
// A quotient beyond the 32-bit range saturates.
int MulDiv64_32(LONG a, LONG b, LONG c);

// The same determinant sign for 64-bit arguments (differences of 32-bit
// coordinates), formed in 128 bits.
inline int DetSgn64(int64_t a, int64_t b, int64_t c, int64_t d)
{
    const __int128 v = __int128(a) * d - __int128(b) * c;
    return (v > 0) - (v < 0);
}

// a * b / c for 64-bit arguments, truncated; 0 when c is 0; saturated to
// 64 bits.
int64_t MulDiv64(int64_t a, int64_t b, int64_t c);

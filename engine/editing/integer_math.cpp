#include "engine/editing/integer_math.h"

#include <limits>

int DetSgn(LONG a, LONG b, LONG c, LONG d) { return DetSgn64(a, b, c, d); }

int64_t MulDiv64(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return 0;
    const __int128 q = __int128(a) * b / c;
    if (q > std::numeric_limits<int64_t>::max())
        return std::numeric_limits<int64_t>::max();
    if (q < std::numeric_limits<int64_t>::min())
        return std::numeric_limits<int64_t>::min();
    return int64_t(q);
}

int MulDiv64_32(LONG a, LONG b, LONG c)
{
    if (c == 0)
        return 0;
    const int64_t q = (int64_t(a) * b) / c;
    if (q > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (q < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int(q);
}

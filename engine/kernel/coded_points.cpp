#include "engine/kernel/coded_points.h"

namespace {

constexpr uint32_t kCode = 0x7FFFFFFF;

// Wrapping 32-bit arithmetic, done on unsigned values so that it is defined.
int32_t wrap(uint32_t v) { return int32_t(v); }

int32_t code(int32_t v) { return v > 0 ? wrap(uint32_t(v) + kCode) : wrap(uint32_t(v) - kCode); }

bool isCoded(int32_t v)
{
    // |v| >= 0x7FFFFFFF; INT32_MIN has no 32-bit absolute value and is not
    // a code.
    return v == INT32_MAX || v == -INT32_MAX;
}

int32_t decode(int32_t v) { return v > 0 ? wrap(uint32_t(v) - kCode) : wrap(uint32_t(v) + kCode); }

} // namespace

void CoordPtPackKind(_COORDPT *out, int32_t x, int32_t y, int32_t kind)
{
    if (!out)
        return;
    int32_t cx = x, cy = y;
    switch (kind) {
    case 1:
        cx = code(x);
        break;
    case 2:
        cy = code(y);
        break;
    case 3:
        cx = wrap(uint32_t(x) + kCode + (x == 0 ? 1 : 0));
        cy = wrap(uint32_t(y) + kCode);
        break;
    case 4:
        cx = wrap(0x80000001u - uint32_t(x));
        cy = wrap(uint32_t(y) + kCode);
        break;
    default:
        break;
    }
    out->x = cx;
    out->y = cy;
}

void CoordPtUnpackKind(const _COORDPT *in, int32_t *x, int32_t *y, int32_t *kind)
{
    if (!in)
        return;
    const bool codedX = isCoded(in->x), codedY = isCoded(in->y);
    int32_t dx = codedX ? decode(in->x) : in->x;
    const int32_t dy = codedY ? decode(in->y) : in->y;
    int32_t k = 0;
    if (codedX && codedY) {
        k = dx <= 0 ? 4 : 3;
        if (k == 4)
            dx = wrap(0u - uint32_t(dx));
    } else if (codedX) {
        k = 1;
    } else if (codedY) {
        k = 2;
    }
    if (x)
        *x = dx;
    if (y)
        *y = dy;
    if (kind)
        *kind = k;
}

// Buffers for the clipping tests: filled from point lists, read back as
// vectors, freed at the end of the test.
#pragma once

#include "engine/kernel/buffer.h"
#include "engine/kernel/coords.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

inline bool operator==(const MAP_COORDPT &a, const MAP_COORDPT &b) { return a.x == b.x && a.y == b.y; }
inline std::ostream &operator<<(std::ostream &os, const MAP_COORDPT &p)
{
    return os << "(" << p.x << "," << p.y << ")";
}

struct ScopedBuffer {
    Buffer b;
    explicit ScopedBuffer(uint32_t itemSize, uint32_t type = 0) { BufferInit(&b, type, itemSize, 20); }
    ~ScopedBuffer() { BufferDelete(&b); }
    ScopedBuffer(const ScopedBuffer &) = delete;
    ScopedBuffer &operator=(const ScopedBuffer &) = delete;

    void fill(const std::vector<MAP_COORDPT> &points)
    {
        BufferSetItemPosWrite(&b, 0);
        BufferSetSize(&b, uint32_t(points.size()));
        BufferFill(&b, points.data(), uint32_t(points.size()));
    }
    template <typename T>
    std::vector<T> read(int32_t n)
    {
        if (n <= 0)
            return {};
        const bool locked = BufferGetPointer(&b) != nullptr;
        auto *p = static_cast<const T *>(locked ? BufferGetPointer(&b) : BufferLock(&b));
        std::vector<T> out(p, p + n);
        if (!locked)
            BufferUnLock(&b);
        return out;
    }
    std::vector<MAP_COORDPT> points(int32_t n) { return read<MAP_COORDPT>(n); }
    std::vector<int32_t> parts() { return read<int32_t>(int32_t(2 * BufferGetValidNumber(&b))); }
};

// The kernel measures polygons and lines through the editing floor's
// services (KernelUpperServices), which a program of the kernel alone does
// not have. This stand-in measures in the plane, from the object's points,
// so that the kernel's sums over trees and selections can be checked.
#pragma once

#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/upper_services.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace planartest {

inline std::vector<_COORDPT> pointsOf(OBJectKernel *kernel, OBJHANDLE object)
{
    std::vector<_COORDPT> out;
    char *p = OBJectLock(kernel, object);
    if (!p)
        return out;
    uint32_t count = 0;
    uint16_t flags = 0;
    std::memcpy(&count, p + PS_COUNT, 4);
    std::memcpy(&flags, p + PS_ZFLAGS, 2);
    const uint32_t stride = (flags & 1) ? 12 : 8;
    count = std::min<uint32_t>(count, DataSpaceSize(kernel, object) / stride);
    const char *data = DataSpaceBegin(p);
    for (uint32_t i = 0; i < count; ++i) {
        _COORDPT pt;
        std::memcpy(&pt, data + size_t(i) * stride, sizeof pt);
        out.push_back(pt);
    }
    return out;
}

inline double area(OBJectKernel *kernel, OBJHANDLE polygon)
{
    if (GetOBJectClassID(kernel, polygon) != CLASS_POLYGON)
        return -1.0;
    const std::vector<_COORDPT> v = pointsOf(kernel, polygon);
    double twice = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        const _COORDPT &a = v[i], &b = v[(i + 1) % v.size()];
        twice += double(a.x) * b.y - double(b.x) * a.y;
    }
    return std::fabs(twice) / 2;
}

inline double length(OBJectKernel *kernel, OBJHANDLE object, int closed)
{
    const std::vector<_COORDPT> v = pointsOf(kernel, object);
    double sum = 0;
    for (size_t i = 0; i + 1 < v.size() + (closed ? 1 : 0) && v.size() > 1; ++i) {
        const _COORDPT &a = v[i], &b = v[(i + 1) % v.size()];
        sum += std::hypot(double(b.x) - a.x, double(b.y) - a.y);
    }
    return sum;
}

// Enters the stand-in for the life of a test.
class PlanarMeasures {
public:
    PlanarMeasures() : saved_(GetKernelUpperServices())
    {
        KernelUpperServices s = saved_;
        s.polygonArea = area;
        s.pointSetLength = length;
        SetKernelUpperServices(s);
    }
    ~PlanarMeasures() { SetKernelUpperServices(saved_); }
    PlanarMeasures(const PlanarMeasures &) = delete;
    PlanarMeasures &operator=(const PlanarMeasures &) = delete;

private:
    KernelUpperServices saved_;
};

} // namespace planartest

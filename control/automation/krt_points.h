// KrtPoints: a list of map points with the bounding rectangle of the points
// added to it, the point list of a polyline or polygon (KrtPoly.Points).
#pragma once

#include "engine/kernel/coords.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <memory>
#include <vector>

class KrtPoints : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtPoints();

    // The most points a list holds: their bytes must fit the engine's signed
    // 32-bit data sizes.
    static constexpr int64_t kMaxPoints = 0x7FFFFFFF / int64_t(sizeof(MAP_COORDPT));

    const std::vector<MAP_COORDPT> &points() const { return points_; }
    int32_t count() const { return int32_t(points_.size()); }
    // Appends a point; the rectangle grows by the previous last point and
    // the new one. The new point's index.
    int32_t Add(int32_t x, int32_t y);
    // Resizes to n points, new ones (0, 0); 0 frees the array. A negative n
    // changes nothing; one the list cannot hold throws the dispatch error
    // E_OUTOFMEMORY with the list unchanged.
    void SetCount(int64_t n);
    // Replaces the points (a read-back); the rectangle stays as it is.
    void Assign(std::vector<MAP_COORDPT> points);
    // The point at an index takes (x, y); false (nothing changed) outside
    // 0 .. count-1.
    bool SetItem(int32_t index, int32_t x, int32_t y);
    void RemoveAll() { points_.clear(); }

    // The accumulated bounding rectangle (empty as InitBoundRect makes it).
    MAP_COORDRECT bound{2147483647, 2147483647, -2147483647, -2147483647};

protected:
    ~KrtPoints() override;

private:
    // Room for n points: the capacity grows to the larger of n and the
    // capacity plus 512.
    void Reserve(size_t n);

    std::vector<MAP_COORDPT> points_;
    ModuleLock lock_;
};

// Polygons from a network of polylines that meet at their end points: the
// closed faces that the edges enclose, found by always taking the sharpest
// turn at each junction. The faces of a network of selected polylines become
// polygons (ClosePolygons); a polygon cut by a polyline is the faces of its
// outline and the part of the line inside it (PolylineCutPolygon).
//
// Edges are held in memory; a path search runs on an explicit stack, and
// edges are found through an index of their end points that keeps list
// order, so that of equal turns the edge first in the list wins.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

class CMapObjArr;

inline constexpr uint16_t kUndoConvertingToPolygons = 217;

// A plane vector of the turning measures.
struct CVector2D {
    double x = 0.0;
    double y = 0.0;
    void SetFromPoint(MAP_COORDPT p)
    {
        x = double(p.x);
        y = double(p.y);
    }
    CVector2D Subtract(const CVector2D &other) const { return {x - other.x, y - other.y}; }
    double Length() const;
    // The signed angle in radians to the other vector, positive for a turn
    // to the left; 0 for parallel vectors, pi/2 when either is zero.
    double AngleTo(const CVector2D &other) const;
};

// One edge: a copy of a polyline's points, reversed in place as the search
// needs, with the polyline it came from (0 for none).
struct CPolylineObj {
    std::vector<MAP_COORDPT> points;
    OBJHANDLE source = 0;
    int32_t useCount = 0;  // accepted faces that use the edge (0 to 2)
    int32_t pathCount = 0; // above 0 while on the path being traced
    double innerForward = 0.0;
    double innerBackward = 0.0;
    int32_t firstNode = 0; // the end points as nodes of the list
    int32_t lastNode = 0;
    bool reversed = false;  // runs against the polyline it came from
    bool usedAlong[2] = {}; // an accepted face ran along it (as made, reversed)

    MAP_COORDPT first() const { return points.front(); }
    MAP_COORDPT last() const { return points.back(); }
    // The sum of the turns at the inner points in the current direction.
    double innerTurning() const { return innerForward; }
    // Whether an accepted face already runs along the edge as it lies now.
    bool usedAsItLies() const { return usedAlong[reversed ? 1 : 0]; }
    void Reverse();
};

// The edges of one search, in list order.
class CPolylineList {
public:
    // Adds a copy of the points unless an edge with the same points (in the
    // same or reverse order) is there already; false then, or for fewer
    // than two points.
    bool Add(const std::vector<MAP_COORDPT> &points, OBJHANDLE source);
    size_t size() const { return edges_.size(); }
    CPolylineObj &operator[](size_t i) { return edges_[i]; }
    const CPolylineObj &operator[](size_t i) const { return edges_[i]; }
    // The edges with an end at the node, in list order.
    const std::vector<int32_t> &EdgesAt(int32_t node) const { return byNode_[size_t(node)]; }
    size_t nodeCount() const { return byNode_.size(); }

private:
    int32_t NodeOf(MAP_COORDPT p);

    std::vector<CPolylineObj> edges_;
    std::unordered_map<uint64_t, int32_t> nodes_;
    std::vector<std::vector<int32_t>> byNode_;
    std::unordered_multimap<uint64_t, int32_t> byShape_;
};

// The face finder: accept decides for each traced ring (closing point not
// repeated) whether it becomes a face; a refused ring gives back its
// edges' use counts. progress, when given, hears each edge examined over
// both passes. The number of faces accepted.
int TraceFaces(CPolylineList &edges, const std::function<bool(const std::vector<MAP_COORDPT> &)> &accept,
               const std::function<void(size_t examined, size_t total)> &progress = {});

// The rings of the faces of a network, in the order found, with the
// overlap test of the polygon maker but without making objects.
std::vector<std::vector<MAP_COORDPT>> FindFaceRings(CPolylineList &edges);

// Makes the faces as polygons in the active layer (recorded as added and
// selected with select), appended to result; progress notifications with
// progress. 1.
int FindRings(HWND window, CPolylineList &edges, CMapObjArr *result, int select, int progress);

// The selected polylines' faces as polygons, one undo step 217.
void ClosePolygons(HWND window);

// Splits the polygon by the polyline into the faces of its outline and the
// part of the line inside it; the new polygons go to result (recorded as
// added and selected with select). The two objects stay; no step closes.
void PolylineCutPolygon(HWND window, OBJHANDLE polygon, OBJHANDLE cutter, CMapObjArr *result, int select);

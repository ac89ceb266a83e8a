// A two-dimensional tree of points with attached data, for the stored point
// nearest to a position.
#pragma once

#include "editor/shell/geometry/points.h"

#include <cstdint>
#include <vector>

struct TPointsTreeNode {
    bool SplitOnX = true;
    TPoint Point;
    void *Data = nullptr; // the caller's
    int Left = -1;        // node indices, -1 for none
    int Right = -1;
};

class TPointsTree {
public:
    TPointsTree();
    virtual ~TPointsTree() = default;

    // Left when the point's coordinate on the node's axis is below the
    // node's, else right; the new leaf splits on the other axis.
    void Add(const TPoint &point, void *data);
    // The number of points added.
    int Count() const { return int(nodes_.size()) - 1; }
    // The added point nearest to the position (exact squared distance), the
    // first added on ties; null when nothing was added.
    const TPointsTreeNode *Nearest(const TPoint &point) const;
    void Clear();

private:
    // Nodes in the order added; node 0 is the root at (0, 0), which is no
    // stored point.
    std::vector<TPointsTreeNode> nodes_;
};

#include "editor/shell/geometry/points_tree.h"

#include "editor/shell/geometry/geometry_numbers.h"

#include <algorithm>
#include <utility>

namespace {

geometry::Wide SquaredDistance(const TPoint &a, const TPoint &b)
{
    const geometry::Wide dx = int64_t(a.x) - b.x, dy = int64_t(a.y) - b.y;
    return dx * dx + dy * dy;
}

} // namespace

TPointsTree::TPointsTree() { Clear(); }

void TPointsTree::Clear() { nodes_.assign(1, TPointsTreeNode{}); }

void TPointsTree::Add(const TPoint &point, void *data)
{
    int at = 0;
    for (;;) {
        TPointsTreeNode &node = nodes_[size_t(at)];
        const bool left = node.SplitOnX ? point.x < node.Point.x : point.y < node.Point.y;
        int &child = left ? node.Left : node.Right;
        if (child < 0) {
            const bool splitOnX = !node.SplitOnX;
            child = int(nodes_.size());
            nodes_.push_back({splitOnX, point, data, -1, -1});
            return;
        }
        at = child;
    }
}

const TPointsTreeNode *TPointsTree::Nearest(const TPoint &point) const
{
    int best = -1;
    geometry::Wide bestDistance = 0;
    // Nodes still to visit, each with the least squared distance that any
    // point of its subtree can have (a lower bound from the splits above).
    std::vector<std::pair<int, geometry::Wide>> stack{{0, 0}};
    while (!stack.empty()) {
        const auto [at, bound] = stack.back();
        stack.pop_back();
        // Equal bounds are still visited: an equally near point added
        // earlier may lie there.
        if (best >= 0 && bound > bestDistance)
            continue;
        const TPointsTreeNode &node = nodes_[size_t(at)];
        if (at != 0) {
            const geometry::Wide d = SquaredDistance(node.Point, point);
            if (best < 0 || d < bestDistance || (d == bestDistance && at < best)) {
                best = at;
                bestDistance = d;
            }
        }
        const int64_t diff =
            node.SplitOnX ? int64_t(point.x) - node.Point.x : int64_t(point.y) - node.Point.y;
        const int nearSide = diff < 0 ? node.Left : node.Right;
        const int farSide = diff < 0 ? node.Right : node.Left;
        // The far side first onto the stack, so the near side is searched
        // first.
        if (farSide >= 0)
            stack.emplace_back(farSide, std::max(bound, geometry::Wide(diff) * diff));
        if (nearSide >= 0)
            stack.emplace_back(nearSide, bound);
    }
    return best >= 0 ? &nodes_[size_t(best)] : nullptr;
}

// The stencil cut: the pieces of a polygon inside a closed stencil, or the
// pieces of an open stencil line inside a polygon.
#pragma once

#include "editor/shell/geometry/edges.h"
#include "editor/shell/geometry/poly.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// A crossing of polygon and stencil, with the polygon edge and the stencil
// edge that start there.
struct TStencilPoint {
    TPoint Point;
    bool Entering = false; // the stencil enters the polygon here
    TEdge *PolygonEdge = nullptr;
    TEdge *StencilEdge = nullptr;
    bool Visited = false;
    bool Removed = false;
};

// One of the four edges meeting at a node, its direction pointing away
// from the node.
struct TStencilEdge {
    TEdge *Edge = nullptr;
    int Chain = 0;
    double Direction = 0;
    bool OutgoingPolygonEdge = false;
};

// The four edges at a node.
class TStencilEdges {
public:
    // a and b start at the node; angle gives an edge's direction.
    TStencilEdges(const TPoint &node, TEdge *a, TEdge *b, const std::function<double(const TEdge *)> &angle);
    // The outgoing polygon edge first, then by direction relative to it
    // (truncated to 6 decimals), the polygon's edge first on equal values.
    void Sort();
    // 8 * t1 + t2 of positions 1 and 2 (chain, + 2 when turned from the
    // position before, + 4 when incoming).
    int Code() const;
    const TStencilEdge &Get(int i) const { return edges_[size_t(i)]; }

private:
    TPoint node_;
    TStencilEdge edges_[4];
    double relative_[4] = {};
};

// The outcome of a cut. NoCrossing: the stencil does not cross the polygon,
// nothing was cut. Failed: the cut could not be made (input that is not a
// simple ring, or a ring that would not close); the caller keeps the
// polygon as it was.
struct TCutResult {
    enum Kind { NoCrossing, Pieces, Failed };
    Kind Outcome = NoCrossing;
    TPolys Polys;
    std::string Reason;
};

// Finds every crossing of edges of different chains in one sweep over the
// edges sorted by minimum x; edges of one chain crossing each other are
// reported apart.
class TCutDetector {
public:
    explicit TCutDetector(const TEdges &edges) : edges_(edges) {}
    // Pairs of crossing edges of different chains that share no end point.
    std::vector<std::pair<TEdge *, TEdge *>> FindCuts();
    // A pair of one chain crossing itself, found by the last FindCuts.
    bool SelfCrossing() const { return selfCrossing_; }

private:
    const TEdges &edges_;
    bool selfCrossing_ = false;
};

class TStencil : public TEdges {
public:
    // Both polys are made anticlockwise (a closed stencil only); nothing else
    // in them changes.
    TCutResult Cut(TPoly &polygon, TPoly &stencil);

    const std::vector<TStencilPoint> &StencilPoints() const { return points_; }

private:
    void SplitAtCrossings(const std::vector<std::pair<TEdge *, TEdge *>> &cuts);
    void FindNodes();
    void ClassifyNode(TEdge *a, TEdge *b);
    bool TraceRings(std::string &reason);
    bool TraceRing(int start, std::string &reason);
    void ClipLine();
    // The stencil point at the position that the walk reaching it along the
    // edge meets; null when there is none.
    TStencilPoint *PointAt(const TPoint &p, const TEdge *arrival);
    // The crossings recorded where the stencil edge ends.
    int CrossingsAtEnd(const TEdge *stencilEdge) const;
    TEdge *CopyEdge(const TEdge *edge, int chain, TEdge *after);
    TPolys ResultPolys();
    // The direction of the edge an edge was split from.
    double SourceAngle(const TEdge *edge) const;
    TLine SourceOf(const TEdge *edge) const;

    TPoly polygon_;
    std::vector<TStencilPoint> points_;
    std::unordered_map<uint64_t, std::vector<int>> byPosition_;
    // The edges split at crossings, as they were, by their pieces.
    std::unordered_map<const TEdge *, TEdge> source_;
};

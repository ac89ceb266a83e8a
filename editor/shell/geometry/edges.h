// Edge graphs: polygons and polylines as linked chains of edges, with
// sideways offsets, mitred corners and loop removal.
#pragma once

#include "editor/shell/geometry/points.h"
#include "editor/shell/geometry/poly.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TEdge : public TLine {
public:
    TEdge(const TPoint &a, const TPoint &b);

    const TPoint &Start() const { return A; }
    const TPoint &End() const { return B; }
    // Zero length, or |dx| * 1e9 < |dy|.
    bool IsSteep() const;
    // 1 left of the edge's direction, -1 right of it, 0 on its line.
    int Side(const TPoint &point) const;
    // The crossing of the two infinite lines, rounded; nothing when parallel.
    std::optional<TPoint> Intersection(const TEdge &other) const;
    // Bounding boxes overlap (touching counts) and each edge's ends lie on
    // different sides of the other (an end on the line counts); collinear
    // edges do not cross.
    bool Crosses(const TEdge &other) const;
    bool SharesEndpoint(const TEdge &other) const;
    void SetStart(const TPoint &point);
    void SetEnd(const TPoint &point);
    // atan2(dy, dx); straight up or down when dx is 0.
    double Angle() const;
    // When the next edge does not start where this one ends and the lines are
    // not parallel, both move to the lines' crossing.
    void JoinNext();
    // Moves the edge sideways by d, to the right of its direction for a
    // positive d.
    void Offset(double d);

    int Chain = -1;
    TEdge *Prev = nullptr;
    TEdge *Next = nullptr;
    TPoint Min;
    TPoint Max;
    uint8_t Flag = 0;

private:
    void UpdateBounds();
};

// Every edge of every chain, owned, and the first edge of each chain in the
// order the chains were added.
class TEdges {
public:
    TEdges() = default;
    TEdges(const TEdges &) = delete;
    TEdges &operator=(const TEdges &) = delete;
    virtual ~TEdges() = default;

    int Count() const { return int(edges_.size()); }
    TEdge *Get(int i) const { return edges_.at(size_t(i)).get(); }
    int ChainCount() const { return int(chains_.size()); }
    // Null for a chain of no edges (a poly of fewer than 2 points).
    TEdge *ChainStart(int i) const { return chains_.at(size_t(i)); }
    bool IsRing(int i) const;

    // One edge per pair of consecutive points, a closing one for a polygon;
    // the poly becomes the next chain.
    void AddPoly(const TPoly &poly);
    // JoinChain, then the chain's points.
    TPoly GetPoly(int i);
    // Mitres every corner of the chain.
    void JoinChain(int i);
    void OffsetChain(int i, double d);
    // Cuts out the loops of a chain whose edges cross.
    void RemoveLoops(int i);
    // Splits the edge at the point (a new edge from the point to the old end
    // joins the list); null when the point is an end point.
    TEdge *SplitAt(TEdge *edge, const TPoint &point);
    void Clear();

protected:
    TEdge *AddEdge(const TPoint &a, const TPoint &b, int chain);
    // The edges of a chain in order, bounded by the number of edges.
    std::vector<TEdge *> ChainEdges(int i) const;

    std::vector<std::unique_ptr<TEdge>> edges_;
    std::vector<TEdge *> chains_;
};

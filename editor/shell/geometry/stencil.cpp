#include "editor/shell/geometry/stencil.h"

#include "editor/shell/geometry/geometry_numbers.h"

#include <algorithm>
#include <cmath>

namespace {

uint64_t PositionKey(const TPoint &p) { return (uint64_t(uint32_t(p.x)) << 32) | uint32_t(p.y); }

// The points without consecutive repeats (and, for a ring, without a
// closing copy of the first point).
TPoly WithoutRepeats(const TPoly &poly)
{
    TPoly clean(poly.Closed);
    for (const TPoint &p : poly.Points.Items())
        if (clean.Count() == 0 || !(*clean.Points.Last() == p))
            clean.AddPoint(p);
    while (clean.Closed && clean.Count() > 1 && *clean.Points.Last() == clean.Get(0))
        clean.Points.Delete(clean.Count() - 1);
    return clean;
}

double Truncated6(double angle) { return std::trunc(angle * 1e6) / 1e6; }

} // namespace

TStencilEdges::TStencilEdges(const TPoint &node, TEdge *a, TEdge *b,
                             const std::function<double(const TEdge *)> &angle)
    : node_(node)
{
    TEdge *entries[4] = {a, a->Prev, b, b->Prev};
    for (int i = 0; i < 4; i++) {
        TStencilEdge &e = edges_[i];
        e.Edge = entries[i];
        e.Chain = entries[i]->Chain == 0 ? 0 : 1;
        double direction = angle(entries[i]);
        if (!(entries[i]->Start() == node))
            direction = direction > 0 ? direction - M_PI : direction + M_PI;
        e.Direction = direction;
        e.OutgoingPolygonEdge = (i == 0 || i == 2) && e.Chain == 0;
    }
}

void TStencilEdges::Sort()
{
    for (int i = 1; i < 4; i++)
        if (edges_[i].OutgoingPolygonEdge)
            std::swap(edges_[0], edges_[i]);
    relative_[0] = 0;
    for (int i = 1; i < 4; i++) {
        double d = edges_[i].Direction - edges_[0].Direction;
        if (d <= 0)
            d += 2 * M_PI;
        relative_[i] = Truncated6(d);
    }
    for (int pass = 0; pass < 3; pass++)
        for (int j = 0; j + 1 < 4 - pass; j++) {
            const bool polygonFirst =
                relative_[j] == relative_[j + 1] && edges_[j + 1].Chain == 0 && edges_[j].Chain != 0;
            if (relative_[j] > relative_[j + 1] || polygonFirst) {
                std::swap(relative_[j], relative_[j + 1]);
                std::swap(edges_[j], edges_[j + 1]);
            }
        }
}

int TStencilEdges::Code() const
{
    int t[3] = {0, 0, 0};
    for (int k = 1; k <= 2; k++)
        t[k] = edges_[k].Chain + (relative_[k] != relative_[k - 1] ? 2 : 0) +
               (edges_[k].Edge->End() == node_ ? 4 : 0);
    return 8 * t[1] + t[2];
}

std::vector<std::pair<TEdge *, TEdge *>> TCutDetector::FindCuts()
{
    selfCrossing_ = false;
    std::vector<TEdge *> order;
    order.reserve(size_t(edges_.Count()));
    for (int i = 0; i < edges_.Count(); i++)
        order.push_back(edges_.Get(i));
    std::stable_sort(order.begin(), order.end(),
                     [](const TEdge *a, const TEdge *b) { return a->Min.x < b->Min.x; });
    std::vector<std::pair<TEdge *, TEdge *>> cuts;
    std::vector<TEdge *> active;
    for (TEdge *edge : order) {
        const int32_t sweep = edge->Min.x;
        active.erase(
            std::remove_if(active.begin(), active.end(), [&](const TEdge *e) { return e->Max.x < sweep; }),
            active.end());
        for (TEdge *other : active) {
            if (edge->SharesEndpoint(*other) || !edge->Crosses(*other))
                continue;
            if (edge->Chain == other->Chain)
                selfCrossing_ = true;
            else
                cuts.emplace_back(edge, other);
        }
        active.push_back(edge);
    }
    return cuts;
}

namespace {

// Where along the edge (0 at its start, 1 at its end) the line of the other
// edge crosses it.
long double CrossingParameter(const TEdge &edge, const TEdge &other)
{
    const TPoint &a1 = edge.Start(), &a2 = edge.End(), &b1 = other.Start(), &b2 = other.End();
    const geometry::Wide h = geometry::Wide(int64_t(a2.x) - a1.x) * (int64_t(b2.y) - b1.y) -
                             geometry::Wide(int64_t(a2.y) - a1.y) * (int64_t(b2.x) - b1.x);
    const geometry::Wide n = geometry::Wide(int64_t(a1.y) - b1.y) * (int64_t(b2.x) - b1.x) -
                             geometry::Wide(int64_t(a1.x) - b1.x) * (int64_t(b2.y) - b1.y);
    return static_cast<long double>(n) / static_cast<long double>(h);
}

} // namespace

void TStencil::SplitAtCrossings(const std::vector<std::pair<TEdge *, TEdge *>> &cuts)
{
    // Every crossing is computed on the edges as they were before any split,
    // then each edge is split at its crossings in their exact order along
    // it. The pieces keep the direction of their source edge, so that the
    // rounding of the crossing points cannot turn a node's edges about.
    std::unordered_map<TEdge *, std::vector<std::pair<long double, TPoint>>> at;
    for (const auto &[a, b] : cuts)
        if (const std::optional<TPoint> p = a->Intersection(*b)) {
            at[a].emplace_back(CrossingParameter(*a, *b), *p);
            at[b].emplace_back(CrossingParameter(*b, *a), *p);
        }
    for (auto &[edge, points] : at) {
        std::stable_sort(points.begin(), points.end(),
                         [](const auto &p, const auto &q) { return p.first < q.first; });
        const TEdge source = *edge;
        source_.emplace(edge, source);
        TEdge *piece = edge;
        for (const auto &[t, p] : points)
            if (TEdge *rest = SplitAt(piece, p)) {
                piece = rest;
                source_.emplace(rest, source);
            }
    }
}

double TStencil::SourceAngle(const TEdge *edge) const
{
    const auto found = source_.find(edge);
    return found == source_.end() ? edge->Angle() : found->second.Angle();
}

TLine TStencil::SourceOf(const TEdge *edge) const
{
    if (!edge)
        return TLine({}, {});
    const auto found = source_.find(edge);
    return found == source_.end() ? TLine(edge->Start(), edge->End())
                                  : TLine(found->second.A, found->second.B);
}

void TStencil::FindNodes()
{
    std::vector<TEdge *> order;
    for (const auto &e : edges_)
        order.push_back(e.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const TEdge *a, const TEdge *b) { return a->Min.x < b->Min.x; });
    std::vector<TEdge *> active;
    for (TEdge *edge : order) {
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](const TEdge *e) { return e->Max.x < edge->Min.x; }),
                     active.end());
        for (TEdge *other : active)
            if (other->Chain != edge->Chain && other->Start() == edge->Start() && edge->Prev && other->Prev)
                ClassifyNode(edge, other);
        active.push_back(edge);
    }
}

void TStencil::ClassifyNode(TEdge *a, TEdge *b)
{
    const TPoint node = a->Start();
    TStencilEdges edges(node, a, b, [this](const TEdge *e) { return SourceAngle(e); });
    edges.Sort();
    const int code = edges.Code();
    const bool entering = code == 30 || code == 43;
    if (!entering && code != 15 && code != 62)
        return; // a touch, or no crossing
    TStencilPoint point;
    point.Point = node;
    point.Entering = entering;
    point.PolygonEdge = a->Chain == 0 ? a : b;
    point.StencilEdge = a->Chain == 0 ? b : a;
    byPosition_[PositionKey(node)].push_back(int(points_.size()));
    points_.push_back(point);
}

TStencilPoint *TStencil::PointAt(const TPoint &p, const TEdge *arrival)
{
    const auto found = byPosition_.find(PositionKey(p));
    if (found == byPosition_.end())
        return nullptr;
    // Two crossings close together may round to one position, and a
    // stencil edge crossing a doubled bridge crosses both its edges at one
    // point. The point reached along its own edge is the one. Several such:
    // along the stencil the walk is inside the polygon, so it leaves first;
    // along the polygon it is inside the stencil, so the stencil enters
    // first.
    TStencilPoint *first = nullptr, *alongStencil = nullptr, *alongPolygon = nullptr;
    for (int i : found->second) {
        TStencilPoint &point = points_[size_t(i)];
        if (point.Removed)
            continue;
        if (point.StencilEdge->Prev == arrival &&
            (!alongStencil || (!point.Entering && alongStencil->Entering)))
            alongStencil = &point;
        if (point.PolygonEdge->Prev == arrival &&
            (!alongPolygon || (point.Entering && !alongPolygon->Entering)))
            alongPolygon = &point;
        if (!first)
            first = &point;
    }
    return alongStencil ? alongStencil : alongPolygon ? alongPolygon : first;
}

int TStencil::CrossingsAtEnd(const TEdge *stencilEdge) const
{
    const auto found = byPosition_.find(PositionKey(stencilEdge->End()));
    if (found == byPosition_.end())
        return 0;
    std::vector<const TEdge *> polygonEdges;
    for (int i : found->second)
        if (points_[size_t(i)].StencilEdge->Prev == stencilEdge)
            polygonEdges.push_back(points_[size_t(i)].PolygonEdge);
    // The two crossings of a doubled bridge (a polygon edge and its exact
    // reverse) leave the line where it was.
    int crossings = int(polygonEdges.size());
    for (size_t i = 0; i < polygonEdges.size(); i++)
        for (size_t j = i + 1; j < polygonEdges.size(); j++) {
            const TLine a = SourceOf(polygonEdges[i]), b = SourceOf(polygonEdges[j]);
            if (polygonEdges[i] && polygonEdges[j] && a.A == b.B && a.B == b.A) {
                crossings -= 2;
                polygonEdges[i] = polygonEdges[j] = nullptr;
            }
        }
    return crossings;
}

TEdge *TStencil::CopyEdge(const TEdge *edge, int chain, TEdge *after)
{
    TEdge *copy = AddEdge(edge->Start(), edge->End(), chain);
    if (after) {
        after->Next = copy;
        copy->Prev = after;
    }
    return copy;
}

bool TStencil::TraceRing(int start, std::string &reason)
{
    TStencilPoint &first = points_[size_t(start)];
    const int chain = ChainCount();
    // A ring that closes uses every source edge at most once.
    const size_t limit = edges_.size();
    const TEdge *source = first.StencilEdge;
    TEdge *head = CopyEdge(source, chain, nullptr);
    TEdge *tail = head;
    for (size_t steps = 0;; steps++) {
        TStencilPoint *point = PointAt(source->End(), source);
        const TEdge *next;
        if (!point) {
            next = source->Next;
        } else if (point == &first) {
            break;
        } else {
            point->Visited = true;
            next = point->Entering ? point->StencilEdge : point->PolygonEdge;
        }
        if (!next || steps >= limit) {
            reason = "A ring of the cut does not close";
            return false;
        }
        tail = CopyEdge(next, chain, tail);
        source = next;
    }
    tail->Next = head;
    head->Prev = tail;
    chains_.push_back(head);
    first.Visited = true;
    for (TStencilPoint &p : points_)
        if (p.Visited)
            p.Removed = true;
    return true;
}

bool TStencil::TraceRings(std::string &reason)
{
    for (;;) {
        int remaining = 0, entering = -1;
        for (size_t i = 0; i < points_.size(); i++)
            if (!points_[i].Removed) {
                remaining++;
                if (entering < 0 && points_[i].Entering)
                    entering = int(i);
            }
        if (remaining <= 1 || entering < 0)
            return true;
        if (!TraceRing(entering, reason))
            return false;
    }
}

void TStencil::ClipLine()
{
    TEdge *first = ChainStart(1);
    bool inside = polygon_.ContainsPoint(first->Start());
    TEdge *head = nullptr, *tail = nullptr;
    auto finish = [&] {
        if (head)
            chains_.push_back(head);
        head = tail = nullptr;
    };
    size_t guard = 0;
    for (TEdge *e = first; e && guard < edges_.size(); e = e->Next, guard++) {
        if (inside) {
            tail = CopyEdge(e, ChainCount(), tail);
            if (!head)
                head = tail;
        }
        for (int crossings = CrossingsAtEnd(e); crossings > 0; crossings--) {
            finish();
            inside = !inside;
        }
    }
    finish();
}

TPolys TStencil::ResultPolys()
{
    TPolys polys;
    for (int i = 2; i < ChainCount(); i++)
        polys.Add(GetPoly(i));
    return polys;
}

TCutResult TStencil::Cut(TPoly &polygon, TPoly &stencil)
{
    Clear();
    points_.clear();
    byPosition_.clear();
    source_.clear();
    TCutResult result;
    auto fail = [&](const std::string &reason) {
        result.Outcome = TCutResult::Failed;
        result.Reason = reason;
        return std::move(result);
    };
    polygon.SetClockwise(false);
    if (stencil.Closed)
        stencil.SetClockwise(false);
    polygon_ = WithoutRepeats(polygon);
    polygon_.Closed = true;
    TPoly cutter = WithoutRepeats(stencil);
    if (polygon_.Count() < 3 || polygon_.Area() == 0)
        return fail("The polygon has no area");
    if (cutter.Closed ? cutter.Count() < 3 || cutter.Area() == 0 : cutter.Count() < 2)
        return fail(cutter.Closed ? "The stencil has no area" : "The stencil line has no length");
    polygon_.SetClockwise(false);
    cutter.SetClockwise(false);
    AddPoly(polygon_);
    AddPoly(cutter);

    TCutDetector detector(*this);
    const std::vector<std::pair<TEdge *, TEdge *>> cuts = detector.FindCuts();
    if (detector.SelfCrossing())
        return fail("The polygon or the stencil crosses itself");
    SplitAtCrossings(cuts);
    FindNodes();
    if (points_.empty())
        return result;
    if (cutter.Closed) {
        std::string reason;
        if (!TraceRings(reason))
            return fail(reason);
    } else {
        ClipLine();
    }
    if (ChainCount() < 3)
        return result;
    result.Outcome = TCutResult::Pieces;
    result.Polys = ResultPolys();
    return result;
}

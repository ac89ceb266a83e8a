#include "editor/shell/geometry/edges.h"

#include "editor/shell/geometry/geometry_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

using geometry::RoundCoord;
using geometry::Wide;

TEdge::TEdge(const TPoint &a, const TPoint &b) : TLine(a, b) { UpdateBounds(); }

void TEdge::UpdateBounds()
{
    Min = {std::min(A.x, B.x), std::min(A.y, B.y)};
    Max = {std::max(A.x, B.x), std::max(A.y, B.y)};
}

bool TEdge::IsSteep() const
{
    const double dx = std::fabs(double(int64_t(B.x) - A.x)), dy = std::fabs(double(int64_t(B.y) - A.y));
    return (dx == 0 && dy == 0) || dx * 1e9 < dy;
}

int TEdge::Side(const TPoint &point) const
{
    const Wide c = Wide(int64_t(B.x) - A.x) * (int64_t(point.y) - A.y) -
                   Wide(int64_t(point.x) - A.x) * (int64_t(B.y) - A.y);
    return c == 0 ? 0 : c > 0 ? 1 : -1;
}

std::optional<TPoint> TEdge::Intersection(const TEdge &other) const
{
    const TPoint &a1 = A, &a2 = B, &b1 = other.A, &b2 = other.B;
    const Wide h = Wide(int64_t(a2.x) - a1.x) * (int64_t(b2.y) - b1.y) -
                   Wide(int64_t(a2.y) - a1.y) * (int64_t(b2.x) - b1.x);
    if (h == 0)
        return std::nullopt;
    const Wide n = Wide(int64_t(a1.y) - b1.y) * (int64_t(b2.x) - b1.x) -
                   Wide(int64_t(a1.x) - b1.x) * (int64_t(b2.y) - b1.y);
    const long double t = static_cast<long double>(n) / static_cast<long double>(h);
    return TPoint(RoundCoord(double(a1.x + t * (static_cast<long double>(a2.x) - a1.x))),
                  RoundCoord(double(a1.y + t * (static_cast<long double>(a2.y) - a1.y))));
}

bool TEdge::Crosses(const TEdge &other) const
{
    if (Min.x > other.Max.x || other.Min.x > Max.x || Min.y > other.Max.y || other.Min.y > Max.y)
        return false;
    return Side(other.A) != Side(other.B) && other.Side(A) != other.Side(B);
}

bool TEdge::SharesEndpoint(const TEdge &other) const
{
    return A == other.A || A == other.B || B == other.A || B == other.B;
}

void TEdge::SetStart(const TPoint &point)
{
    A = point;
    UpdateBounds();
}

void TEdge::SetEnd(const TPoint &point)
{
    B = point;
    UpdateBounds();
}

double TEdge::Angle() const
{
    const int64_t dx = int64_t(B.x) - A.x, dy = int64_t(B.y) - A.y;
    if (dx == 0)
        return B.y > A.y ? M_PI / 2 : -M_PI / 2;
    return std::atan2(double(dy), double(dx));
}

void TEdge::JoinNext()
{
    if (!Next || Next->A == B)
        return;
    if (const std::optional<TPoint> crossing = Intersection(*Next)) {
        SetEnd(*crossing);
        Next->SetStart(*crossing);
    }
}

void TEdge::Offset(double d)
{
    geometry::RequireFinite(d, "offset");
    double theta;
    if (IsSteep())
        theta = B.y < A.y ? M_PI / 2 + M_PI : M_PI / 2;
    else
        theta = std::atan2(double(int64_t(B.y) - A.y), double(int64_t(B.x) - A.x));
    const double mx = std::nearbyint(d * std::sin(theta)), my = -std::nearbyint(d * std::cos(theta));
    const TPoint a(RoundCoord(A.x + mx), RoundCoord(A.y + my));
    const TPoint b(RoundCoord(B.x + mx), RoundCoord(B.y + my));
    A = a;
    B = b;
    UpdateBounds();
}

TEdge *TEdges::AddEdge(const TPoint &a, const TPoint &b, int chain)
{
    edges_.push_back(std::make_unique<TEdge>(a, b));
    edges_.back()->Chain = chain;
    return edges_.back().get();
}

void TEdges::AddPoly(const TPoly &poly)
{
    const int chain = ChainCount();
    const std::vector<TPoint> &p = poly.Points.Items();
    TEdge *first = nullptr, *last = nullptr;
    auto link = [&](const TPoint &a, const TPoint &b) {
        TEdge *edge = AddEdge(a, b, chain);
        if (last) {
            last->Next = edge;
            edge->Prev = last;
        } else {
            first = edge;
        }
        last = edge;
    };
    for (size_t i = 1; i < p.size(); i++)
        link(p[i - 1], p[i]);
    if (poly.Closed && p.size() > 1) {
        link(p.back(), p.front());
        last->Next = first;
        first->Prev = last;
    }
    chains_.push_back(first);
}

std::vector<TEdge *> TEdges::ChainEdges(int i) const
{
    std::vector<TEdge *> chain;
    TEdge *first = ChainStart(i);
    for (TEdge *e = first; e && chain.size() < edges_.size(); e = e->Next) {
        chain.push_back(e);
        if (e->Next == first)
            break;
    }
    return chain;
}

bool TEdges::IsRing(int i) const
{
    const std::vector<TEdge *> chain = ChainEdges(i);
    return !chain.empty() && chain.back()->Next == chain.front();
}

void TEdges::JoinChain(int i)
{
    for (TEdge *e : ChainEdges(i))
        e->JoinNext();
}

TPoly TEdges::GetPoly(int i)
{
    JoinChain(i);
    const std::vector<TEdge *> chain = ChainEdges(i);
    const bool ring = !chain.empty() && chain.back()->Next == chain.front();
    TPoly poly(ring);
    if (chain.empty())
        return poly;
    poly.AddPoint(chain.front()->Start());
    for (size_t k = 0; k + (ring ? 1 : 0) < chain.size(); k++)
        poly.AddPoint(chain[k]->End());
    return poly;
}

void TEdges::OffsetChain(int i, double d)
{
    geometry::RequireFinite(d, "offset");
    for (TEdge *e : ChainEdges(i))
        e->Offset(d);
    JoinChain(i);
}

void TEdges::RemoveLoops(int i)
{
    TEdge *first = ChainStart(i);
    if (!first)
        return;
    std::unordered_set<TEdge *> removed;
    TEdge *e = first;
    for (size_t guard = 0; e && guard < edges_.size(); guard++) {
        TEdge *f = e->Next && e->Next != first ? e->Next->Next : nullptr;
        // The edge before e in a ring shares its start and is no loop.
        while (f && f != first && f != e && f != e->Prev) {
            if (!e->Crosses(*f)) {
                f = f->Next;
                continue;
            }
            for (TEdge *g = e->Next; g != f; g = g->Next)
                removed.insert(g);
            e->Next = f;
            f->Prev = e;
            e->JoinNext();
            f = f->Next;
        }
        e = e->Next;
        if (e == first)
            break;
    }
    if (!removed.empty())
        edges_.erase(
            std::remove_if(edges_.begin(), edges_.end(),
                           [&](const std::unique_ptr<TEdge> &edge) { return removed.count(edge.get()); }),
            edges_.end());
}

TEdge *TEdges::SplitAt(TEdge *edge, const TPoint &point)
{
    if (point == edge->Start() || point == edge->End())
        return nullptr;
    TEdge *added = AddEdge(point, edge->End(), edge->Chain);
    added->Next = edge->Next;
    added->Prev = edge;
    if (edge->Next)
        edge->Next->Prev = added;
    edge->Next = added;
    edge->SetEnd(point);
    return added;
}

void TEdges::Clear()
{
    edges_.clear();
    chains_.clear();
}

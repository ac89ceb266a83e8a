#include "engine/polygon/graph_list.h"

#include <cmath>
#include <memory>
#include <vector>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_operation.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/engine_polygon.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

GraphList::~GraphList() noexcept(false)
{
    DL_Iter<Graph *> iter(this);
    while (iter.iterate())
        delete iter.item();
}

// ------------------------------------------------------------ conversions

void BuildGraphFromPolygon(EnginePolygon *ring, Graph *graph)
{
    const double scale = GetEngineParameters().InternalScale();
    DL_Iter<LPoint *> iter(&ring->points);
    iter.tohead();
    auto scaled = [scale](const LPoint *p) { return new Node(p->GetX() * scale, p->GetY() * scale); };
    Node *first = scaled(iter.item());
    Node *previous = first;
    for (iter++; !iter.hitroot(); iter++) {
        Node *node = scaled(iter.item());
        graph->AddLink(previous, node);
        previous = node;
    }
    graph->AddLink(previous, first);
}

void ConvertPolygonsToGraphs(EnginePolygonList *rings, GraphList *graphs)
{
    DL_Iter<EnginePolygon *> iter(rings);
    while (iter.iterate()) {
        auto graph = std::make_unique<Graph>();
        BuildGraphFromPolygon(iter.item(), graph.get());
        graph->SetGroup(iter.item()->group);
        graphs->insbegin(graph.release());
    }
}

namespace {

struct MapPoint {
    long long x, y;
    bool operator==(const MapPoint &) const = default;
};

// The point as the result will hold it: rounded half away from zero. (On
// truncated coordinates the filter would judge other integers than the
// ones handed out, and drop points that rounding keeps apart.)
MapPoint Rounded(const LPoint *p)
{
    auto round = [](double v) {
        return static_cast<long long>(v > 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5));
    };
    return {round(p->GetX()), round(p->GetY())};
}

// Whether point i of the walk adds nothing to the ring: it repeats a
// neighbour, or the path turns straight back at it.
bool Redundant(const LPoint *previous, const LPoint *point, const LPoint *next)
{
    const MapPoint p = Rounded(previous), c = Rounded(point), n = Rounded(next);
    if (c == p || c == n)
        return true;
    const double ux = double(c.x - p.x), uy = double(c.y - p.y);
    const double wx = double(n.x - c.x), wy = double(n.y - c.y);
    const double sine = (ux * wy - uy * wx) / (std::hypot(ux, uy) * std::hypot(wx, wy));
    if (!(std::fabs(sine) < 0.01 && ux * wx + uy * wy < 0))
        return false;
    // A spike has no width: its tip lies on the line through its neighbours.
    // The tip of a thin wedge does not, and the wedge is kept with its area.
    const double cx = double(n.x - p.x), cy = double(n.y - p.y);
    const double chord = std::hypot(cx, cy);
    return chord == 0 || std::fabs(cx * double(c.y - p.y) - cy * double(c.x - p.x)) / chord < 0.5;
}

} // namespace

int ConvertGraphsToPolygons(GraphList *graphs, EnginePolygonList *rings, bool keepEveryPoint)
{
    EngineStatus("convert graphs to polygons");
    const EngineParameters &parameters = GetEngineParameters();
    DL_Iter<Graph *> graphIter(graphs);
    while (graphIter.iterate()) {
        Graph *graph = graphIter.item();
        DL_List<Link *> *links = graph->GetLinkList();
        std::vector<LPoint> walk;
        const int n = links->count();
        if (n > 0) {
            DL_Iter<Link *> linkIter(links);
            linkIter.tohead();
            Link *link = linkIter.item();
            Node *node = link->GetBeginNode();
            for (int i = 0; i < n && link; i++) {
                walk.emplace_back(node->GetX() / parameters.internalGrid / parameters.inputStep,
                                  node->GetY() / parameters.internalGrid / parameters.inputStep);
                node = link->GetOtherNode(node);
                // A node without exactly two links ends the walk (an open chain).
                link = link->NextAt(node);
            }
        }
        // Each point is judged once against its neighbours as they stand; the
        // first and the last are always kept.
        auto ring = std::make_unique<EnginePolygon>();
        // A dropped point's successor is judged against the last point kept.
        if (!walk.empty()) {
            const LPoint *kept = &walk[0];
            ring->points.insend(new LPoint(walk[0]));
            for (size_t i = 1; i + 1 < walk.size(); i++) {
                if (!keepEveryPoint && Redundant(kept, &walk[i], &walk[i + 1]))
                    continue;
                ring->points.insend(new LPoint(walk[i]));
                kept = &walk[i];
            }
            if (walk.size() > 1)
                ring->points.insend(new LPoint(walk.back()));
        }
        rings->insend(ring.release());
    }
    return 1;
}

// ------------------------------------------------------------ list operations

void GraphList::Boolean(int operation)
{
    EngineStatus("Performing Boolean Operation");
    if (empty())
        return;
    auto total = std::make_unique<Graph>();
    EngineStatus("Simplify");
    Simplify(total.get());
    if (!total->GetLinkList()->empty()) {
        EngineStatus("prepare");
        total->Prepare();
        total->PerformOperation(operation, this);
    }
}

void GraphList::Simplify(Graph *total)
{
    if (empty())
        return;
    CombineLinks(GetEngineParameters().internalGrid);
    {
        DL_Iter<Graph *> iter(this);
        while (iter.iterate())
            iter.item()->MakeClockWise();
    }
    NumberGraphs();
    MergeInto(total);
}

namespace {

// Runs step on every graph until it reports no change, dropping graphs
// that fall below three links. (The steps clear the marks they use.)
template <class Step>
void RepeatOnEachGraph(GraphList *list, Step step)
{
    DL_Iter<Graph *> iter(list);
    iter.tohead();
    while (!iter.hitroot()) {
        Graph *graph = iter.item();
        if (!step(graph)) {
            iter++;
        } else if (graph->GetLinkList()->count() < 3) {
            iter.remove();
            delete graph;
        }
    }
}

} // namespace

void GraphList::CombineLinks(double tolerance)
{
    RepeatOnEachGraph(this, [tolerance](Graph *g) { return g->CombineLinks(tolerance); });
}

void GraphList::Smoothen(double deviation)
{
    RepeatOnEachGraph(this, [deviation](Graph *g) { return g->Smoothen(deviation); });
}

void GraphList::UnionAll()
{
    if (count() < 2)
        return;
    {
        DL_Iter<Graph *> iter(this);
        while (iter.iterate())
            iter.item()->SetGroup(0);
    }
    auto total = std::make_unique<Graph>();
    NumberGraphs();
    MergeInto(total.get());
    total->Prepare();
    total->PerformOperation(OP_UNION, this);
}

void GraphList::NumberGraphs()
{
    DL_Iter<Graph *> iter(this);
    int number = 0;
    while (iter.iterate())
        iter.item()->SetNumber(number++);
}

void GraphList::MergeInto(Graph *total)
{
    while (!empty()) {
        std::unique_ptr<Graph> graph(removehead());
        total->TakeOver(graph.get());
    }
}

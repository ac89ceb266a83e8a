// Correction (growing or shrinking rings by a distance) and ring making
// (a band along every ring), per graph and over a graph list.
#include <memory>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_operation.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/graph_list.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

namespace {

// Replaces the outline rings in result by the band pieces around them.
void BuildRings(GraphList *result, double width)
{
    EngineStatus("Create rings");
    GraphList pieces;
    DL_Iter<Graph *> iter(result);
    iter.tohead();
    for (int n = iter.count(); n > 0; n--) {
        Graph *outline = iter.item();
        outline->MakeClockWise();
        outline->CreateRing(&pieces, DoubleAbs(width));
        iter.remove();
        delete outline;
        while (!pieces.empty()) {
            std::unique_ptr<Graph> piece(pieces.removehead());
            piece->MakeClockWise();
            iter.insend(piece.release());
        }
    }
}

// Lowers the point tolerance for its lifetime and puts it back on every
// path out.
class PointToleranceScope {
public:
    explicit PointToleranceScope(double factor) : _kept(GetEngineParameters().pointTolerance)
    {
        const double t = DoubleAbs(factor * 0.01);
        if (t < _kept)
            GetEngineParameters().pointTolerance = t < 1.0 ? 1.0 : t;
    }
    ~PointToleranceScope() { GetEngineParameters().pointTolerance = _kept; }
    PointToleranceScope(const PointToleranceScope &) = delete;
    PointToleranceScope &operator=(const PointToleranceScope &) = delete;

private:
    double _kept;
};

} // namespace

void Graph::MakeRing(GraphList *result, double width)
{
    EngineStatus("Extract simple graphs");
    SetNumber(1);
    Prepare();
    DeleteUnmarkedLinks(OP_UNION);
    ExtractSimples(OP_UNION, 1);
    Split(result);
    BuildRings(result, width);
}

void Graph::Correction(GraphList *result, double factor)
{
    EngineStatus("Extract simple graphs");
    if (CombineLinks(GetEngineParameters().internalGrid) && _linklist->count() < 3)
        return;
    auto copy = std::make_unique<Graph>();
    if (_linklist->empty())
        return;

    // The ring as it was, with nodes of its own, in ring order.
    {
        DL_Iter<Link *> iter(_linklist);
        iter.tohead();
        Link *link = iter.item();
        Node *first = new Node(link->GetBeginNode());
        Node *previousRingNode = link->GetBeginNode();
        Node *lastNew = first;
        for (int i = iter.count() - 1; i > 0 && link; i--) {
            Node *ringNode = link->GetOtherNode(previousRingNode);
            Node *node = new Node(ringNode);
            copy->AddLink(lastNew, node);
            lastNew = node;
            link = link->NextAt(ringNode);
            previousRingNode = ringNode;
        }
        copy->AddLink(lastNew, first);
    }

    SetNumber(1);
    SetGroup(0);
    Prepare();
    DeleteUnmarkedLinks(OP_UNION);
    ExtractSimples(OP_UNION, 1);
    Split(result);
    BuildRings(result, factor);

    {
        DL_Iter<Graph *> iter(result);
        int number = 2;
        while (iter.iterate()) {
            iter.item()->ResetFlags();
            iter.item()->SetGroup(1);
            iter.item()->SetNumber(number++);
        }
    }
    TakeOver(copy.get());
    ResetFlags();
    SetNumber(1);
    SetGroup(0);
    result->MergeInto(this);

    PointToleranceScope tolerance(factor);
    Prepare();
    EngineStatus("Add/Substract rings");
    PerformOperation(factor > 0 ? OP_UNION : OP_A_MINUS_B, result);
}

namespace {

template <class Step>
void ReplaceEachGraph(GraphList *list, bool clockwiseResults, Step step)
{
    DL_Iter<Graph *> iter(list);
    iter.tohead();
    for (int n = iter.count(); n > 0; n--) {
        GraphList results;
        Graph *graph = iter.item();
        graph->MakeClockWise();
        step(graph, &results);
        iter.remove();
        delete graph;
        while (!results.empty()) {
            std::unique_ptr<Graph> result(results.removehead());
            if (clockwiseResults)
                result->MakeClockWise();
            iter.insend(result.release());
        }
    }
}

} // namespace

void GraphList::Correction()
{
    const double distance = GetEngineParameters().correctionDistance;
    ReplaceEachGraph(this, false, [distance](Graph *g, GraphList *out) { g->Correction(out, distance); });
    // Each ring grows on its own; where grown rings now overlap, they are
    // united, so that the result is one region and no area counts twice.
    if (count() > 1) {
        DL_Iter<Graph *> iter(this);
        while (iter.iterate())
            iter.item()->MakeClockWise();
    }
    UnionAll();
}

void GraphList::MakeRing()
{
    const double width = GetEngineParameters().correctionDistance;
    ReplaceEachGraph(this, true, [width](Graph *g, GraphList *out) { g->MakeRing(out, width); });
}

// Collecting the result boundaries of a graph into simple rings, each with
// its own nodes and a graph number, and splitting them into graphs.
#include <cstdio>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/gds_error.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/graph_link_walks.h"
#include "engine/polygon/graph_list.h"

namespace {

// Gives the ring its own node where it passes through a shared one.
void SplitOffNode(Node *shared, Link *a, Link *b)
{
    if (shared->Links().count() <= 2)
        return;
    Node *own = new Node(shared);
    a->ReplaceNode(shared, own);
    b->ReplaceNode(shared, own);
}

} // namespace

void Graph::ExtractSimples(int operation, int forOperation)
{
    if (_linklist->empty())
        return;
    try {
        DL_Iter<Link *> iter(_linklist);
        SortByTopThenLeft(&iter, ClearMarks::MARK_AND_DOUBLE);
        iter.tohead();
        for (int number = 1;; number++) {
            Node *start = NextStartNode(&iter);
            if (!start)
                break;
            CollectGraph(start, operation, forOperation, number);
        }
    } catch (const GDS_Error &error) {
        EngineWarning(error.GetMessage(), "error");
        throw GDS_Error(error);
    }
}

Node *Graph::NextStartNode(DL_Iter<Link *> *iter)
{
    for (; !iter->hitroot(); (*iter)++) {
        Link *link = iter->item();
        if (link->_mark)
            continue;
        Node *begin = link->GetBeginNode();
        Node *end = link->GetEndNode();
        return begin->GetY() >= end->GetY() ? begin : end;
    }
    return nullptr;
}

void Graph::CollectGraph(Node *start, int operation, int forOperation, int graphNumber)
{
    Link *first = start->FlattestLink();
    if (!first) {
        char message[GDS_Error::kMaxText + 1];
        std::snprintf(message, sizeof message,
                      forOperation ? "no NON flat link Collectgraph for operation at %15.3lf , %15.3lf"
                                   : "no NON flat link Collectgraph at %15.3lf , %15.3lf",
                      start->GetX(), start->GetY());
        throw GDS_Error(message, "Error", 9, 0);
    }
    first->_mark = 1;
    const int below = forOperation ? (first->BelowIsOutside(operation) ? 1 : 0) : 0;

    first->Redirect(start);
    Node *far = first->GetEndNode();
    // The top link runs to smaller x above a hole, to larger x otherwise.
    if ((below == 1 && start->GetX() < far->GetX()) || (below == 0 && start->GetX() > far->GetX()))
        first->Redirect(far);
    Node *ringStart = first->GetBeginNode();
    Node *current = first->GetEndNode();
    if (below)
        first->_top_hole = 1;
    first->_hole = below;
    first->_graphnum = graphNumber;

    Link *last = first;
    while (Link *next = current->MostTurningLink(last, LinkSide::LEFT)) {
        // Back at the ring's start, the first link is marked and so never
        // offered; where other rings pass through the start node the walk must
        // still close here when the first link is the turn it would take, or it
        // runs on into those rings and makes one ring of them all.
        if (current == ringStart && last->TurnOrder(next, first) == LinkSide::LEFT)
            break;
        next->Redirect(current);
        next->_mark = 1;
        SplitOffNode(current, last, next);
        next->_hole = below;
        next->_graphnum = graphNumber;
        last = next;
        current = next->GetEndNode();
    }
    const bool closed = current->Equal(*ringStart, 1.0);
    if (!closed)
        EngineWarning("no next (endpoint != beginpoint)", "graph");
    // The closing node becomes the ring's own too.
    if (current == first->GetBeginNode() && last != first)
        SplitOffNode(current, last, first);
    if (!closed)
        EngineWarning("probleem", "graph");
}

void Graph::Split(GraphList *out)
{
    if (_linklist->empty())
        return;
    DL_Iter<Link *> iter(_linklist);
    SortByGraphNumber(&iter);
    iter.tohead();
    int current = 0;
    Graph *graph = nullptr;
    while (!iter.empty()) {
        iter.tohead();
        Link *link = iter.item();
        if (!graph || link->_graphnum != current) {
            graph = new Graph;
            out->insend(graph);
            current = link->_graphnum;
        }
        iter.remove();
        graph->AddLink(link);
    }
}

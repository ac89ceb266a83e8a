#include "engine/polygon/graph.h"

#include <vector>

#include "engine/polygon/engine_operation.h"
#include "engine/polygon/graph_link_walks.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

Graph::Graph() : _linklist(new DL_List<Link *>) {}

Graph::~Graph() noexcept(false)
{
    // The links go even when an iterator is still attached to the list; the
    // list's own destructor reports that case once everything is freed.
    std::vector<Link *> links;
    links.reserve(static_cast<size_t>(_linklist->count()));
    {
        DL_Iter<Link *> iter(_linklist);
        while (iter.iterate())
            links.push_back(iter.item());
    }
    for (Link *link : links)
        delete link;
    delete _linklist;
}

void Graph::AddLink(Link *link) { _linklist->insend(link); }

void Graph::AddLink(Node *begin, Node *end) { AddLink(new Link(0, begin, end)); }

void Graph::TakeOver(Graph *other)
{
    DL_Iter<Link *> iter(_linklist);
    iter.takeover(other->_linklist);
}

void Graph::SetGroup(int group)
{
    ForEachLink(_linklist, [group](Link *link) { link->_group = group & 1; });
}

void Graph::SetNumber(int number)
{
    ForEachLink(_linklist, [number](Link *link) { link->_graphnum = number; });
}

void Graph::ResetFlags()
{
    ForEachLink(_linklist, [](Link *link) { link->ResetFlags(); });
}

void Graph::ResetMarks()
{
    ForEachLink(_linklist, [](Link *link) {
        link->_mark = 0;
        link->_double = 0;
    });
}

void Graph::Reverse()
{
    ForEachLink(_linklist, [](Link *link) {
        Node *begin = link->GetBeginNode();
        link->SetBeginNode(link->GetEndNode());
        link->SetEndNode(begin);
    });
}

void Graph::SetOperationFlags()
{
    ForEachLink(_linklist, [](Link *link) { link->SetOperationFlags(); });
}

void Graph::RemoveInlinks()
{
    DeleteLinksWhere(_linklist, [](Link *link) { return !link->AnyOperationFlag(); });
}

void Graph::DeleteUnmarkedLinks(int operation)
{
    DeleteLinksWhere(_linklist, [operation](Link *link) {
        switch (operation) {
        case OP_INTERSECTION:
            return !link->_intersect;
        case OP_UNION:
            return !link->_union;
        case OP_EXCLUSIVE_OR:
            return !link->_exor;
        case OP_A_MINUS_B:
            return !link->_a_minus_b;
        case OP_B_MINUS_A:
            return !link->_b_minus_a;
        default:
            return true;
        }
    });
}

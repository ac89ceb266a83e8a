// The orders in which graph operations sort a link list.
#include <algorithm>
#include <utility>

#include "engine/polygon/graph.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

namespace {

// 1 when a's key comes first by the given direction, -1 after, 0 equal.
template <class T>
int Ascending(T a, T b)
{
    return a < b ? 1 : (a > b ? -1 : 0);
}
template <class T>
int Descending(T a, T b)
{
    return Ascending(b, a);
}

double SquaredLength(const Link *link)
{
    const double dx = link->GetEndNode()->GetX() - link->GetBeginNode()->GetX();
    const double dy = link->GetEndNode()->GetY() - link->GetBeginNode()->GetY();
    return dx * dx + dy * dy;
}

void Clear(Link *link, ClearMarks clear)
{
    if (clear != ClearMarks::NONE)
        link->_mark = 0;
    if (clear == ClearMarks::MARK_AND_DOUBLE)
        link->_double = 0;
}

} // namespace

int ByBeginNodeX(Link *a, Link *b)
{
    const Node *na = a->GetBeginNode();
    const Node *nb = b->GetBeginNode();
    if (const int order = Ascending(na->GetX(), nb->GetX()))
        return order;
    return Descending(na->GetY(), nb->GetY());
}

int ByBeginNodeY(Link *a, Link *b)
{
    const Node *na = a->GetBeginNode();
    const Node *nb = b->GetBeginNode();
    if (const int order = Descending(na->GetY(), nb->GetY()))
        return order;
    return Ascending(na->GetX(), nb->GetX());
}

int ByLength(Link *a, Link *b) { return Ascending(SquaredLength(a), SquaredLength(b)); }

int ByTopThenLeft(Link *a, Link *b)
{
    const double topA = std::max(a->GetBeginNode()->GetY(), a->GetEndNode()->GetY());
    const double topB = std::max(b->GetBeginNode()->GetY(), b->GetEndNode()->GetY());
    if (const int order = Descending(topA, topB))
        return order;
    const double leftA = std::min(a->GetBeginNode()->GetX(), a->GetEndNode()->GetX());
    const double leftB = std::min(b->GetBeginNode()->GetX(), b->GetEndNode()->GetX());
    return Descending(leftA, leftB);
}

int ByGraphNumber(Link *a, Link *b) { return Ascending(a->_graphnum, b->_graphnum); }

void SortByBeginNodeX(DL_Iter<Link *> *iter, ClearMarks clear)
{
    iter->sortitemsbykey(
        [clear](Link *link) {
            Clear(link, clear);
            const Node *node = link->GetBeginNode();
            return std::pair<double, double>(node->GetX(), -node->GetY());
        },
        [](Link *link) { __builtin_prefetch(link->GetBeginNode()); });
}

void SortByTopThenLeft(DL_Iter<Link *> *iter, ClearMarks clear)
{
    iter->sortitemsbykey([clear](Link *link) {
        Clear(link, clear);
        const Node *b = link->GetBeginNode();
        const Node *e = link->GetEndNode();
        return std::pair<double, double>(-std::max(b->GetY(), e->GetY()), -std::min(b->GetX(), e->GetX()));
    });
}

void SortByGraphNumber(DL_Iter<Link *> *iter)
{
    iter->sortitemsbykey([](Link *link) { return link->_graphnum; });
}

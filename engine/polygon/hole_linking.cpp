// Hole linking: every hole ring is joined to the ring around it by a bridge
// of two coincident links from the enclosing link down to the hole's top
// node, so that results need no hole structure.
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"
#include "engine/polygon/scan_beam.h"

namespace {

// Joins hole node c to the ring of link k: k keeps the part right of the
// bridge.
void Bridge(Link *k, Node *c, DL_Iter<Link *> *graphIter)
{
    Line line(k);
    const double y = line.Calculate_Y(c->GetX());
    Node *begin = k->GetBeginNode();
    Node *end = k->GetEndNode();
    Node *left = begin->GetX() < end->GetX() ? begin : end;

    Node *n1 = new Node(c->GetX(), y);
    Node *n2 = new Node(c);
    Node *n3 = new Node(c);
    Node *n4 = new Node(c->GetX(), y);
    Link *l1 = new Link(0, left, n1);
    Link *l2 = new Link(0, n1, n2);
    Link *l3 = new Link(0, n3, n4);
    k->ReplaceNode(left, n4);

    const NodeLinks &links = c->Links();
    Link *first = links.first();
    Link *last = links.last();
    Link *leaving = first->GetBeginNode() == c ? first : last;
    Link *arriving = first->GetEndNode() == c ? first : last;
    arriving->ReplaceNode(c, n3);
    leaving->ReplaceNode(c, n2);

    for (Link *bridge : {l1, l2, l3}) {
        bridge->_hole = k->_hole;
        graphIter->insbegin(bridge);
    }
    // A hole node has one link in and one out; a node with more keeps them.
    if (links.empty())
        delete c;
}

} // namespace

int ScanBeam::ProcessHoles(int fromFindNew, DL_Iter<Link *> *graphIter)
{
    IScanBeam *record = _BI.item();
    Link *k = record->GetLink();

    if (DL_List<Node *> *crossings = record->GetCrossings()) {
        // Bridging moves the link's left node: its height on this step is the
        // one it had before.
        Ysp(record);
        while (!crossings->empty())
            Bridge(k, crossings->removehead(), graphIter);
    }

    if (!k->_top_hole || _BI.athead())
        return 0;
    Node *registered = nullptr;
    if (!fromFindNew)
        registered = k->GetBeginNode();
    else if (k->GetEndNode()->GetY() >= k->GetBeginNode()->GetY())
        registered = k->GetEndNode();
    if (!registered)
        return 0;
    _BI--;
    _BI.item()->AddCrossing(registered);
    _BI++;
    k->_top_hole = 0;
    return 1;
}

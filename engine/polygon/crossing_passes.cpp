// Making the graph planar: nodes lying on links (node-to-link) and links
// crossing each other (crossings) become split points. While a record is in
// the beam its link only collects crossing nodes; the link is split when the
// record leaves the beam, or at once for a vertical link.
#include <utility>

#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"
#include "engine/polygon/scan_beam.h"

int ScanBeam::NodeToLink()
{
    if (count() <= 1)
        return 0;
    const double y = _low->GetY();
    const double tolerance = GetEngineParameters().pointTolerance;
    int added = 0;
    auto visit = [&](IScanBeam *record) {
        if (!record->TouchesFixed(_low)) {
            record->AddCrossing(_low);
            added++;
        }
    };
    DL_Iter<IScanBeam *> other(this);
    other.toiter(&_BI);
    for (other--; !other.hitroot() && Ysp(other.item()) <= y + tolerance; other--)
        visit(other.item());
    other.toiter(&_BI);
    for (other++; !other.hitroot() && Ysp(other.item()) >= y - tolerance; other++)
        visit(other.item());
    return added;
}

int ScanBeam::VerticalCrossings(Line *vertical)
{
    Link *link = vertical->GetLink();
    const double lowY = link->GetLowNode()->GetY();
    const double highY = link->GetHighNode()->GetY();
    const double tolerance = GetEngineParameters().pointTolerance;
    int count = 0;
    // The beam is in order: records above highY + tolerance are passed over.
    IScanBeam *first = _index.FirstWhere([&](IScanBeam *record) { return Ysp(record) < highY + tolerance; });
    DL_Iter<IScanBeam *> walk(this);
    if (first)
        walk.tonode(first->_handle);
    else
        walk.toroot();
    for (; !walk.hitroot(); walk++) {
        IScanBeam *record = walk.item();
        const double ysp = Ysp(record);
        if (lowY - tolerance > ysp)
            break;
        if (lowY - tolerance < ysp && ysp < highY + tolerance &&
            !record->TouchesFixed(link->GetBeginNode()) && !record->TouchesFixed(link->GetEndNode())) {
            Node *crossing = new Node(_low->GetX(), ysp);
            _newnodes.push_back(crossing);
            vertical->AddCrossing(crossing);
            record->AddCrossing(crossing);
            count++;
        }
    }
    return count;
}

namespace {

// Whether node lies beside the link, within tolerance of it, strictly
// between its two nodes.
bool LiesAlong(const Node *node, const Link *link, double tolerance)
{
    const Node *b = link->GetBeginNode();
    const Node *e = link->GetEndNode();
    const double dx = e->GetX() - b->GetX();
    const double dy = e->GetY() - b->GetY();
    const double px = node->GetX() - b->GetX();
    const double py = node->GetY() - b->GetY();
    const double lengthSquared = dx * dx + dy * dy;
    const double along = px * dx + py * dy;
    if (!(along > 0 && along < lengthSquared))
        return false;
    const double across = px * dy - py * dx;
    return across * across <= tolerance * tolerance * lengthSquared;
}

Node *SharedNode(const Link *a, const Link *b)
{
    for (Node *n : {a->GetBeginNode(), a->GetEndNode()})
        if (n == b->GetBeginNode() || n == b->GetEndNode())
            return n;
    return nullptr;
}

} // namespace

void ScanBeam::IntersectSwapped(IScanBeam *a, IScanBeam *b)
{
    Link *la = a->GetLink();
    Link *lb = b->GetLink();
    if (la->Joins(lb->GetBeginNode(), lb->GetEndNode()))
        return;
    if (Node *shared = SharedNode(la, lb)) {
        // Two straight links from one node meet nowhere else, unless one runs
        // along the other: their swap is rounding near the shared node, or such
        // an overlap. Intersecting their lines would put a node next to the
        // shared one, or, for lines this close to parallel, anywhere at all;
        // an overlap is split at the far node of the shorter link instead.
        const double tolerance = GetEngineParameters().pointTolerance;
        Node *farA = la->GetBeginNode() == shared ? la->GetEndNode() : la->GetBeginNode();
        Node *farB = lb->GetBeginNode() == shared ? lb->GetEndNode() : lb->GetBeginNode();
        if (LiesAlong(farA, lb, tolerance))
            b->AddCrossing(farA);
        else if (LiesAlong(farB, la, tolerance))
            a->AddCrossing(farB);
        return;
    }
    _newnodes.push_back(a->Intersect(b));
}

int NodeXAscending(Node *a, Node *b) { return a->GetX() < b->GetX() ? 1 : (a->GetX() > b->GetX() ? -1 : 0); }
int NodeXDescending(Node *a, Node *b) { return NodeXAscending(b, a); }
int NodeYAscending(Node *a, Node *b) { return a->GetY() < b->GetY() ? 1 : (a->GetY() > b->GetY() ? -1 : 0); }
int NodeYDescending(Node *a, Node *b) { return NodeYAscending(b, a); }

void Line::SortCrossings()
{
    const Node *begin = _link->GetBeginNode();
    const Node *end = _link->GetEndNode();
    const double dx = DoubleAbs(end->GetX() - begin->GetX());
    const double dy = DoubleAbs(end->GetY() - begin->GetY());
    DL_Iter<Node *> iter(_crossings);
    if (dx > dy)
        iter.mergesort(end->GetX() > begin->GetX() ? NodeXAscending : NodeXDescending);
    else
        iter.mergesort(end->GetY() > begin->GetY() ? NodeYAscending : NodeYDescending);
}

int Line::ProcessCrossings(DL_Iter<Link *> *graphIter)
{
    if (CrossingsEmpty())
        return 0;
    if (_crossings->count() >= 2)
        SortCrossings();
    Node *end = _link->GetEndNode();
    end->DetachLink(_link);
    Node *running = end;
    // The pieces lie behind the sweep: born marked and at the head of the
    // sorted list, the running pass does not visit them again.
    while (!_crossings->empty()) {
        Node *crossing = _crossings->removetail();
        Link *piece = new Link(_link->_graphnum, crossing, running);
        piece->_mark = 1;
        piece->_group = _link->_group;
        graphIter->insbegin(piece);
        running = crossing;
    }
    running->AttachLink(_link);
    _link->SetEndNode(running);
    DropCrossings();
    return 1;
}

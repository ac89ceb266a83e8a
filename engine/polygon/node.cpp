#include "engine/polygon/node.h"

#include <cmath>
#include <limits>

#include "engine/polygon/line.h"
#include "engine/polygon/link.h"

namespace {
constexpr double kLargest = std::numeric_limits<double>::max();
}

Node::Node() = default;

Node::Node(double x, double y) : LPoint(x, y) {}

Node::Node(const LPoint *point) : LPoint(point) {}

Node::~Node() noexcept(false) = default;

Node *Node::FarNode(const Link *link) const
{
    return link->GetBeginNode() == this ? link->GetEndNode() : link->GetBeginNode();
}

void Node::AttachLink(Link *link) { _links.AddFront(link); }

void Node::DetachLink(Link *link) { _links.Remove(link); }

void Node::AbsorbNode(Node *other)
{
    if (other == this)
        return;
    for (Link *link : other->_links) {
        if (link->GetEndNode() == other)
            link->SetEndNode(this);
        if (link->GetBeginNode() == other)
            link->SetBeginNode(this);
    }
    _links.TakeOver(&other->_links);
    delete other;
}

Link *Node::MostTurningLink(Link *from, LinkSide direction)
{
    Node *v = FarNode(from);
    if (_links.count() == 2) {
        Link *other = _links.first() == from ? _links.last() : _links.first();
        return other->_mark ? nullptr : other;
    }
    Link *choice = nullptr;
    Link *fallback = nullptr;
    for (Link *link : _links) {
        if (link->_mark || link == from)
            continue;
        if (FarNode(link) == v)
            fallback = link;
        else if (!choice || from->TurnOrder(choice, link) == direction)
            choice = link;
    }
    return choice ? choice : fallback;
}

double Node::SlopeTo(const Link *link) const
{
    const Node *other = FarNode(link);
    const double dx = other->GetX() - _x;
    const double dy = other->GetY() - _y;
    return dx == 0 ? (dy > 0 ? kLargest : -kLargest) : dy / dx;
}

Link *Node::FlattestLink()
{
    Link *best = nullptr;
    double bestKey = 0;
    for (Link *link : _links) {
        if (link->_mark)
            continue;
        const double key = DoubleAbs(SlopeTo(link));
        if (!best || key < bestKey) {
            best = link;
            bestKey = key;
        }
    }
    return best;
}

Link *Node::SteepestLink(int markvalue)
{
    Link *best = nullptr;
    double bestKey = 0;
    for (Link *link : _links) {
        if (static_cast<int>(link->_mark) != markvalue)
            continue;
        const double key = SlopeTo(link);
        if (!best || key > bestKey) {
            best = link;
            bestKey = key;
        }
    }
    return best;
}

void Node::LinksBySteepness(int markvalue, std::vector<Link *> *out)
{
    out->clear();
    // Mostly two to four links: an insertion sort on keys taken once.
    double keys[8];
    std::vector<double> moreKeys;
    double *key = keys;
    if (_links.count() > 8) {
        moreKeys.resize(static_cast<size_t>(_links.count()));
        key = moreKeys.data();
    }
    for (Link *link : _links) {
        if (static_cast<int>(link->_mark) != markvalue)
            continue;
        const double k = SlopeTo(link);
        size_t i = out->size();
        out->push_back(link);
        // Stable: a link goes before the earlier ones only when strictly steeper.
        while (i > 0 && key[i - 1] < k) {
            key[i] = key[i - 1];
            (*out)[i] = (*out)[i - 1];
            i--;
        }
        key[i] = k;
        (*out)[i] = link;
    }
}

bool Node::HasLinkMarked(int markvalue)
{
    for (Link *link : _links)
        if (static_cast<int>(link->_mark) == markvalue)
            return true;
    return false;
}

Link *Node::ContinuingLink(Link *from)
{
    const bool fromEndsHere = from->GetEndNode() == this;
    const bool fromBeginsHere = from->GetBeginNode() == this;
    for (Link *link : _links) {
        if (link == from || link->_mark || link->_graphnum != from->_graphnum)
            continue;
        if ((fromEndsHere && link->GetEndNode() != this) || (fromBeginsHere && link->GetBeginNode() != this))
            return link;
    }
    return nullptr;
}

bool Node::OnLineWith(const LPoint *a, const LPoint *b, double marge)
{
    if (a->Equal(*b, marge) || a->Equal(*this, marge))
        return true;
    double distance;
    Line ab(a, b);
    if (ab.PointOnLine(this, distance, marge) == PointStatus::ON_LINE)
        return true;
    // Three points of which two coincide lie on one line; a line through b
    // and this node could not even be made.
    if (b->Equal(*this, marge))
        return true;
    Line bn(b, this);
    return bn.PointOnLine(a, distance, marge) == PointStatus::ON_LINE;
}

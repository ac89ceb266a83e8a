#include "engine/polygon/link.h"

#include "engine/polygon/engine_operation.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/line.h"
#include "engine/polygon/node.h"

Link::Link() { ResetFlags(); }

Link::Link(int graphnum, Node *begin, Node *end) : _graphnum(graphnum), _beginnode(begin), _endnode(end)
{
    ResetFlags();
    _beginnode->AttachLink(this);
    _endnode->AttachLink(this);
}

Link::Link(Node *begin, Node *end) : Link(0, begin, end) {}

Link::~Link() noexcept(false) { Detach(); }

void Link::Detach()
{
    // A link from a node to itself is in that node's list twice; the node
    // goes only once both entries are gone.
    if (_beginnode) {
        Node *node = _beginnode;
        _beginnode = nullptr;
        node->DetachLink(this);
        if (node->Links().empty() && node != _endnode)
            delete node;
    }
    if (_endnode) {
        Node *node = _endnode;
        _endnode = nullptr;
        node->DetachLink(this);
        if (node->Links().empty())
            delete node;
    }
}

void Link::ResetFlags()
{
    _mark = _hole = _top_hole = 0;
    _a_left = _a_right = _b_left = _b_right = 0;
    _double = _union = _a_minus_b = _b_minus_a = _intersect = _exor = 0;
    _group = 0;
}

void Link::SetOperationFlags()
{
    const bool al = _a_left, ar = _a_right;
    const bool bl = _b_left, br = _b_right;
    _union = (al || bl) != (ar || br);
    _intersect = (al && bl) != (ar && br);
    _exor = (al != bl) != (ar != br);
    _a_minus_b = (al && !bl) != (ar && !br);
    _b_minus_a = (bl && !al) != (br && !ar);
}

uint32_t Link::FlagWord() const
{
    const uint32_t bits[] = {_mark,   _hole,  _top_hole,  _a_left,    _a_right,   _b_left, _b_right,
                             _double, _union, _a_minus_b, _b_minus_a, _intersect, _exor,   _group};
    uint32_t word = 0;
    for (int i = 0; i < 14; i++)
        word |= bits[i] << i;
    return word;
}

Node *Link::GetLowNode() const { return _beginnode->GetY() < _endnode->GetY() ? _beginnode : _endnode; }

Node *Link::GetHighNode() const { return _beginnode->GetY() > _endnode->GetY() ? _beginnode : _endnode; }

bool Link::IsVertical() const { return _beginnode->GetX() == _endnode->GetX(); }

Link *Link::NextAt(Node *node) const
{
    const NodeLinks &links = node->Links();
    if (links.empty())
        return nullptr;
    Link *first = links.first();
    Link *last = links.last();
    if (first == this)
        return last;
    if (last == this)
        return first;
    return nullptr;
}

void Link::Redirect(Node *node)
{
    if (node != _beginnode) {
        Node *swap = _beginnode;
        _beginnode = _endnode;
        _endnode = swap;
    }
}

void Link::ReplaceNode(Node *oldNode, Node *newNode)
{
    if (_beginnode == oldNode) {
        oldNode->DetachLink(this);
        newNode->AttachLink(this);
        _beginnode = newNode;
    } else {
        oldNode->DetachLink(this);
        newNode->AttachLink(this);
        _endnode = newNode;
    }
}

void Link::MergeNodes(Node *keep)
{
    _beginnode->DetachLink(this);
    _endnode->DetachLink(this);
    if (_beginnode != _endnode)
        keep->AbsorbNode(keep == _beginnode ? _endnode : _beginnode);
    _beginnode = nullptr;
    _endnode = nullptr;
}

bool Link::IsZeroLength(double marge) const { return _beginnode->Equal(*_endnode, marge); }

bool Link::BelowIsOutside(int operation) const
{
    const bool toRight = _endnode->GetX() > _beginnode->GetX();
    const bool a = toRight ? _a_right : _a_left;
    const bool b = toRight ? _b_right : _b_left;
    switch (operation) {
    case OP_INTERSECTION:
        return !(a && b);
    case OP_UNION:
        return !(a || b);
    case OP_EXCLUSIVE_OR:
        return a == b;
    case OP_A_MINUS_B:
        return !(a && !b);
    case OP_B_MINUS_A:
        return !(b && !a);
    default:
        return false;
    }
}

LinkSide Link::SideOf(Link *other)
{
    Node *shared = (_endnode == other->_beginnode || _endnode == other->_endnode) ? _endnode : _beginnode;
    Node *far = shared == other->_beginnode ? other->_endnode : other->_beginnode;
    Line line(this);
    double distance;
    const PointStatus status = line.PointOnLine(far, distance, GetEngineParameters().lineAccuracy);
    if (status == PointStatus::ON_LINE || status == PointStatus::IN_LINK)
        return LinkSide::ON;
    const bool right = status == PointStatus::RIGHT_SIDE;
    if (shared == _beginnode)
        return right ? LinkSide::RIGHT : LinkSide::LEFT;
    return right ? LinkSide::LEFT : LinkSide::RIGHT;
}

LinkSide Link::TurnOrder(Link *l1, Link *l2)
{
    const LinkSide p = SideOf(l1);
    const LinkSide q = SideOf(l2);
    LinkSide r = l1->SideOf(l2);
    if (r == LinkSide::RIGHT)
        r = LinkSide::LEFT;
    else if (r == LinkSide::LEFT)
        r = LinkSide::RIGHT;

    using enum LinkSide;
    switch (p) {
    case RIGHT:
        if (q == LEFT || r == LEFT)
            return LEFT;
        if (q == ON || r == ON)
            return ON;
        return RIGHT;
    case ON:
        if (q == LEFT)
            return r == LEFT ? LEFT : ON;
        if (q == ON)
            return ON;
        return r == RIGHT ? RIGHT : ON;
    case LEFT:
    default:
        if (q == LEFT)
            return r;
        if (q == ON)
            return r == RIGHT ? RIGHT : ON;
        return RIGHT;
    }
}

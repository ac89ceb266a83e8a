// An edge of the engine's graph: two nodes and the flag bits from which the
// Boolean operations are decided. Left and right are seen walking from the
// begin node to the end node with y up.
#pragma once

#include <cstdint>

#include "engine/polygon/object_pool.h"

class IScanBeam;
class Node;

// Where another link's far node lies, seen from the shared node along this
// link (Link::SideOf). Also the answer of Link::TurnOrder and the direction
// asked of Node::MostTurningLink.
enum class LinkSide : int { RIGHT = 0, ON = 1, LEFT = 2 };

class Link : public Pooled<Link> {
public:
    Link();
    Link(int graphnum, Node *begin, Node *end);
    Link(Node *begin, Node *end);
    ~Link() noexcept(false);
    Link(const Link &) = delete;
    Link &operator=(const Link &) = delete;

    // Leaves both nodes, deleting a node that is left without links.
    void Detach();

    Node *GetBeginNode() const { return _beginnode; }
    Node *GetEndNode() const { return _endnode; }
    // Sets a node pointer without touching any node's link list (for code
    // that moves links between nodes itself).
    void SetBeginNode(Node *node) { _beginnode = node; }
    void SetEndNode(Node *node) { _endnode = node; }
    // The node with the smaller (larger) y; the end node on equal y.
    Node *GetLowNode() const;
    Node *GetHighNode() const;
    Node *GetOtherNode(const Node *node) const { return _beginnode == node ? _endnode : _beginnode; }
    bool IsVertical() const;
    // Whether the link joins these two nodes, in either direction.
    bool Joins(const Node *a, const Node *b) const
    {
        return (_beginnode == a && _endnode == b) || (_beginnode == b && _endnode == a);
    }

    Link *NextAt(Node *node) const;
    void Redirect(Node *node);
    void ReplaceNode(Node *oldNode, Node *newNode);
    void MergeNodes(Node *keep);
    bool IsZeroLength(double marge) const;
    void ResetFlags();
    // The operation bits from the inside flags: set where the link bounds the
    // operation's result (its region differs on the two sides).
    void SetOperationFlags();
    // Whether the link bounds the result of any operation.
    bool AnyOperationFlag() const { return _union || _a_minus_b || _b_minus_a || _intersect || _exor; }
    // Whether the region below the link lies outside the result of the
    // operation (an EngineOperation code).
    bool BelowIsOutside(int operation) const;
    LinkSide SideOf(Link *other);
    LinkSide TurnOrder(Link *l1, Link *l2);

    // The 14 flag bits as one word, bit 0 first (for tracing and tests).
    uint32_t FlagWord() const;

    uint32_t _mark : 1;
    uint32_t _hole : 1;
    uint32_t _top_hole : 1;
    uint32_t _a_left : 1;
    uint32_t _a_right : 1;
    uint32_t _b_left : 1;
    uint32_t _b_right : 1;
    uint32_t _double : 1;
    uint32_t _union : 1;
    uint32_t _a_minus_b : 1;
    uint32_t _b_minus_a : 1;
    uint32_t _intersect : 1;
    uint32_t _exor : 1;
    uint32_t _group : 1;
    int32_t _graphnum = 0;
    // The link's record while a scan beam holds it (null otherwise), so that
    // the beam finds the records at a node without searching.
    IScanBeam *_beam_record = nullptr;

private:
    Node *_beginnode = nullptr;
    Node *_endnode = nullptr;
};

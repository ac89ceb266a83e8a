// A vertex of the engine's graph: a point and the links that meet there.
// The graph keeps no node list; links keep their nodes alive.
#pragma once

#include <vector>

#include "engine/polygon/lpoint.h"
#include "engine/polygon/node_links.h"
#include "engine/polygon/object_pool.h"

class Link;
enum class LinkSide : int;

class Node : public LPoint, public Pooled<Node> {
public:
    Node();
    Node(double x, double y);
    // A node at a copy of *point (another node's links are not copied).
    explicit Node(const LPoint *point);
    ~Node() noexcept(false);
    Node(const Node &) = delete;
    Node &operator=(const Node &) = delete;
    Node &operator=(const LPoint &point)
    {
        LPoint::operator=(point);
        return *this;
    }

    // The node's links, newest first.
    const NodeLinks &Links() const { return _links; }

    void AttachLink(Link *link);
    void DetachLink(Link *link);
    // Moves all links of other here and deletes other.
    void AbsorbNode(Node *other);

    // The next link of a ring walk that arrived over from.
    Link *MostTurningLink(Link *from, LinkSide direction);
    Link *FlattestLink();
    Link *SteepestLink(int markvalue);
    // The links with mark markvalue, steepest first, ties in list order: the
    // order in which SteepestLink would give them while each is marked.
    void LinksBySteepness(int markvalue, std::vector<Link *> *out);
    bool HasLinkMarked(int markvalue);
    Link *ContinuingLink(Link *from);
    bool OnLineWith(const LPoint *a, const LPoint *b, double marge);
    // The node's only link without bit 7 (_double) when exactly one lacks it,
    // the node has more than one link, and that link begins here; else null.
    Link *SoleOutLink();

private:
    // Far node of link seen from this node.
    Node *FarNode(const Link *link) const;
    // dy/dx from this node to the far node of link; verticals rank as the
    // steepest up or down.
    double SlopeTo(const Link *link) const;

    NodeLinks _links;
};

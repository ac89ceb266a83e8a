// A vertex of the engine's graph: a point and the links that meet there.
// The graph keeps no node list; links keep their nodes alive.
#pragma once

#include <vector>

#include "engine/polygon/dl_list.h"
#include "engine/polygon/lpoint.h"
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
  Node &operator=(const LPoint &point) {
    LPoint::operator=(point);
    return *this;
  }

  DL_List<Link *> *GetLinkList() const { return &_links; }

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

  // The one iterator over a node's links that node operations share; one
  // walk at a time.
  static DL_Iter<Link *> &LinkIter();

private:
  // Far node of link seen from this node.
  Node *FarNode(Link *link) const;

  // Held in the node: the walks over a node's links reach them directly.
  mutable DL_List<Link *> _links;
};

// Attaches the shared node iterator to a node's link list for one walk and
// detaches it again however the walk ends, so that an error in the middle
// of a walk does not leave it attached for every later operation.
class NodeLinkWalk {
public:
  explicit NodeLinkWalk(Node *node) : _iter(Node::LinkIter()) {
    _iter.Attach(node->GetLinkList());
  }
  ~NodeLinkWalk() {
    if (_iter.attached())
      _iter.Attach();
  }
  NodeLinkWalk(const NodeLinkWalk &) = delete;
  NodeLinkWalk &operator=(const NodeLinkWalk &) = delete;
  DL_Iter<Link *> &iter() { return _iter; }

private:
  DL_Iter<Link *> &_iter;
};

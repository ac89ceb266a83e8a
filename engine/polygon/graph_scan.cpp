// The sweep driver of the graph and the steps that make a graph planar:
// node merging, rotation and the node-to-link and crossing sweeps.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"
#include "engine/polygon/scan_beam.h"

namespace {

// The sweep takes the links in list order, and each one leads to reads of
// the link, its nodes and their link lists, which lie all over memory.
// Asked for some links ahead (the link first, then its nodes, then their
// lists) those reads overlap instead of waiting one after another. Links
// are only ever added at the head of the list while a sweep runs, behind
// it, so the cursors ahead stay valid.
class SweepPrefetch {
public:
  explicit SweepPrefetch(const DL_List<Link *> *list)
      : _root(list->rootnode()), _links(_root->_next), _nodes(_root->_next),
        _lists(_root->_next) {
    for (int i = 0; i < kListsAhead; i++)
      Advance(&_lists);
    for (int i = 0; i < kNodesAhead; i++)
      Advance(&_nodes);
    for (int i = 0; i < kLinksAhead; i++)
      Advance(&_links);
  }

  // The sweep moved on by one link.
  void Step() {
    if (Advance(&_links))
      __builtin_prefetch(_links->_item);
    if (Advance(&_nodes)) {
      __builtin_prefetch(_nodes->_item->GetBeginNode());
      __builtin_prefetch(_nodes->_item->GetEndNode());
    }
    if (Advance(&_lists)) {
      const Link *link = _lists->_item;
      for (const Node *node : {link->GetBeginNode(), link->GetEndNode()})
        __builtin_prefetch(node->GetLinkList()->rootnode()->_next);
    }
  }

private:
  static constexpr int kListsAhead = 8;
  static constexpr int kNodesAhead = 16;
  static constexpr int kLinksAhead = 24;

  // False once past the last link.
  bool Advance(const DL_Node<Link *> **cursor) const {
    if (*cursor != _root)
      *cursor = (*cursor)->_next;
    return *cursor != _root;
  }

  const DL_Node<Link *> *_root;
  const DL_Node<Link *> *_links;
  const DL_Node<Link *> *_nodes;
  const DL_Node<Link *> *_lists;
};

// Orders pointers by address, only so that repeats come together. Nodes
// lie in a few pool chunks, so their addresses differ in a few bytes only:
// a counting sort on each of those bytes beats a comparison sort on the
// hundreds of thousands of nodes of a large graph.
void SortByAddress(std::vector<Node *> *nodes) {
  if (nodes->size() < 2)
    return;
  uintptr_t all = ~uintptr_t(0);
  uintptr_t any = 0;
  for (Node *node : *nodes) {
    const auto address = reinterpret_cast<uintptr_t>(node);
    all &= address;
    any |= address;
  }
  const uintptr_t varying = all ^ any;
  std::vector<Node *> other(nodes->size());
  for (unsigned shift = 0; shift < 8 * sizeof(uintptr_t); shift += 8) {
    if (((varying >> shift) & 0xff) == 0)
      continue;
    size_t start[257] = {};
    for (Node *node : *nodes)
      start[((reinterpret_cast<uintptr_t>(node) >> shift) & 0xff) + 1]++;
    for (int digit = 0; digit < 256; digit++)
      start[digit + 1] += start[digit];
    for (Node *node : *nodes)
      other[start[(reinterpret_cast<uintptr_t>(node) >> shift) & 0xff]++] = node;
    nodes->swap(other);
  }
}

} // namespace

int Graph::ScanPass(ScanMode mode) {
  DL_Iter<Link *> iter(_linklist);
  SortByBeginNodeX(&iter, ClearMarks::MARK);

  int count = 0;
  ScanBeam beam(mode);
  iter.tohead();
  SweepPrefetch prefetch(_linklist);
  while (!iter.attail()) {
    Node *node = iter.item()->GetBeginNode();
    if (beam.FindNew(mode, &iter))
      count++;
    while (!iter.hitroot() && iter.item()->GetBeginNode() == node) {
      iter++;
      prefetch.Step();
    }
    if (iter.hitroot())
      break;
    beam.SetSameX(iter.item()->GetBeginNode());
    if (beam.RemoveOld(mode, &iter))
      count++;
  }
  return count;
}

int Graph::JoinCloseNodes(int *moved) {
  const double tolerance = GetEngineParameters().pointTolerance;
  int merges = 0;
  int moves = 0;
  {
    DL_Iter<Link *> a(_linklist);
    SortByBeginNodeX(&a, ClearMarks::MARK_AND_DOUBLE);
    DL_Iter<Link *> b(_linklist);
    a.tohead();
    for (; !a.hitroot(); a++) {
      Link *link = a.item();
      if (link->_double)
        continue;
      link->_double = 1;
      Node *keep = link->GetBeginNode();
      b.toiter(&a);
      for (; !b.hitroot(); b++) {
        Link *other = b.item();
        if (other->_double)
          continue;
        Node *node = other->GetBeginNode();
        // Sorted by x: nothing further on can be close.
        if (DoubleAbs(keep->GetX() - node->GetX()) >= tolerance)
          break;
        if (DoubleAbs(keep->GetY() - node->GetY()) < tolerance && node != keep) {
          other->_double = 1;
          if (node->GetX() != keep->GetX() || node->GetY() != keep->GetY())
            moves++;
          keep->AbsorbNode(node);
          merges++;
        }
      }
    }
  }
  RemoveNullLinks();
  if (moved)
    *moved = moves;
  return merges;
}

int Graph::RemoveNullLinks() {
  int removed = 0;
  DL_Iter<Link *> iter(_linklist);
  iter.tohead();
  while (!iter.hitroot()) {
    Link *link = iter.item();
    if (link->GetBeginNode() != link->GetEndNode()) {
      iter++;
      continue;
    }
    Node *node = link->GetBeginNode();
    link->MergeNodes(node);
    iter.remove();
    delete link;
    // Nothing else reaches a node whose only link was a null link.
    if (node->GetLinkList()->empty())
      delete node;
    removed = 1;
  }
  return removed;
}

void Graph::Rotate(int plus90) {
  const double f = plus90 == 0 ? -1.0 : 1.0;
  DL_Iter<Link *> iter(_linklist);
  // Every node turns once: the nodes are gathered and made unique first.
  // (The sweeps sort the links themselves.)
  std::vector<Node *> nodes;
  nodes.reserve(static_cast<size_t>(_linklist->count()));
  while (iter.iterate())
    nodes.push_back(iter.item()->GetBeginNode());
  SortByAddress(&nodes);
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  for (Node *node : nodes) {
    const double x = node->GetX();
    const double y = node->GetY();
    node->SetX(-y * f);
    node->SetY(x * f);
  }
}

int Graph::Intersect() {
  EngineStatus("Node to Node");
  int merges = JoinCloseNodes();
  // A merge moves the absorbed node by up to the tolerance, and its links
  // swing with it: they can come to cross a link that passed close by, or
  // to overlap a collinear neighbour. The flag sweep reads every link's
  // sides from its neighbour in the beam, so one such crossing gives wrong
  // inside flags to the links below it. The passes therefore run again
  // while the closing merge moved something; the nodes made in a further
  // round lie close to the moved ones and mostly merge away at once. Nodes
  // merged where they already were (crossings made twice at one spot by
  // overlapping links) move nothing and need no further round.
  constexpr int kMaxRounds = 8;
  for (int round = 0; round < kMaxRounds; round++) {
    if (_linklist->count() < 3)
      return merges;
    EngineStatus("Node to Link 0");
    ScanPass(ScanMode::NODE_TO_LINK);
    EngineStatus("Rotate -90");
    Rotate(0);
    EngineStatus("Node to Link -90");
    ScanPass(ScanMode::NODE_TO_LINK);
    EngineStatus("Rotate +90");
    Rotate(1);
    EngineStatus("intersect");
    ScanPass(ScanMode::LINK_CROSSINGS);
    EngineStatus("Node to Node");
    int moved = 0;
    merges = JoinCloseNodes(&moved);
    if (moved == 0)
      break;
  }
  return merges;
}

// The sweep driver of the graph and the steps that make a graph planar:
// node merging, rotation and the node-to-link and crossing sweeps.
#include <algorithm>
#include <vector>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"
#include "engine/polygon/scan_beam.h"

int Graph::ScanPass(ScanMode mode) {
  DL_Iter<Link *> iter(_linklist);
  SortByBeginNodeX(&iter);
  while (iter.iterate())
    iter.item()->_mark = 0;

  int count = 0;
  ScanBeam beam(mode);
  iter.tohead();
  while (!iter.attail()) {
    Node *node = iter.item()->GetBeginNode();
    if (beam.FindNew(mode, &iter))
      count++;
    while (!iter.hitroot() && iter.item()->GetBeginNode() == node)
      iter++;
    if (iter.hitroot())
      break;
    beam.SetSameX(iter.item()->GetBeginNode());
    if (beam.RemoveOld(mode, &iter))
      count++;
  }
  return count;
}

int Graph::JoinCloseNodes() {
  ResetMarks();
  const double tolerance = GetEngineParameters().pointTolerance;
  int merges = 0;
  {
    DL_Iter<Link *> a(_linklist);
    SortByBeginNodeX(&a);
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
          keep->AbsorbNode(node);
          merges++;
        }
      }
    }
  }
  RemoveNullLinks();
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
  std::sort(nodes.begin(), nodes.end());
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
  // round lie close to the moved ones and mostly merge away at once.
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
    merges = JoinCloseNodes();
    if (merges == 0)
      break;
  }
  return merges;
}

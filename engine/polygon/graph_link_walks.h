// Walks over a graph's link list shared by the graph operations.
#pragma once

#include "engine/polygon/dl_list.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

template <class F> void ForEachLink(DL_List<Link *> *list, F f) {
  DL_Iter<Link *> iter(list);
  while (iter.iterate())
    f(iter.item());
}

// Deletes every link for which drop(link) holds, keeping the others in
// their order.
template <class F> void DeleteLinksWhere(DL_List<Link *> *list, F drop) {
  DL_Iter<Link *> iter(list);
  iter.tohead();
  while (!iter.hitroot()) {
    Link *link = iter.item();
    if (drop(link)) {
      iter.remove();
      delete link;
    } else {
      iter++;
    }
  }
}

// Collapses the link at the iterator into its begin node (which takes over
// the end node's links) and deletes it; the iterator moves to the link that
// followed. A begin node left without links is freed here, since nothing
// else would reach it.
inline void CollapseLinkAt(DL_Iter<Link *> *iter) {
  Link *link = iter->item();
  Node *keep = link->GetBeginNode();
  link->MergeNodes(keep);
  iter->remove();
  delete link;
  if (keep->GetLinkList()->empty())
    delete keep;
}

// Walks over a graph's link list shared by the graph operations.
#pragma once

#include "engine/polygon/dl_list.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

// Links lie all over memory in list order: a walk asks for the link some
// places ahead of the one it is at, so that the reads overlap. The walk
// only ever removes the link it is at, which leaves the cursor valid.
class LinkPrefetch {
public:
    explicit LinkPrefetch(const DL_List<Link *> *list) : _root(list->rootnode()), _ahead(_root->_next)
    {
        for (int i = 0; i < kAhead && _ahead != _root; i++)
            _ahead = _ahead->_next;
    }
    void Step()
    {
        if (_ahead == _root)
            return;
        __builtin_prefetch(_ahead->_item);
        _ahead = _ahead->_next;
    }

private:
    static constexpr int kAhead = 8;
    const DL_Node<Link *> *_root;
    const DL_Node<Link *> *_ahead;
};

template <class F>
void ForEachLink(DL_List<Link *> *list, F f)
{
    DL_Iter<Link *> iter(list);
    LinkPrefetch prefetch(list);
    while (iter.iterate()) {
        prefetch.Step();
        f(iter.item());
    }
}

// Deletes every link for which drop(link) holds, keeping the others in
// their order.
template <class F>
void DeleteLinksWhere(DL_List<Link *> *list, F drop)
{
    DL_Iter<Link *> iter(list);
    LinkPrefetch prefetch(list);
    iter.tohead();
    while (!iter.hitroot()) {
        prefetch.Step();
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
inline void CollapseLinkAt(DL_Iter<Link *> *iter)
{
    Link *link = iter->item();
    Node *keep = link->GetBeginNode();
    link->MergeNodes(keep);
    iter->remove();
    delete link;
    if (keep->Links().empty())
        delete keep;
}

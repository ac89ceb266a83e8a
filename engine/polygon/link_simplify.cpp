// Collapsing zero-length links and merging chains of collinear links.
#include "engine/polygon/graph.h"
#include "engine/polygon/graph_link_walks.h"

namespace {

// The node's only link without bit 7 when the node has more than one link
// and exactly one of them lacks the bit; else null.
Link *SoleUntakenLink(Node *node)
{
    if (node->Links().count() <= 1)
        return nullptr;
    Link *untaken = nullptr;
    int count = 0;
    for (Link *link : node->Links()) {
        if (!link->_double) {
            if (!untaken)
                untaken = link;
            count++;
        }
    }
    return count == 1 ? untaken : nullptr;
}

void StepOnCircular(DL_Iter<Link *> &iter)
{
    if (iter.hitroot())
        iter.tohead();
}

} // namespace

Link *Node::SoleOutLink()
{
    Link *link = SoleUntakenLink(this);
    return link && link->GetBeginNode() == this ? link : nullptr;
}

int Graph::DeleteZeroLinks(double tolerance)
{
    int result = 0;
    DL_Iter<Link *> iter(_linklist);
    int n = iter.count();
    iter.tohead();
    while (n > 0) {
        n--;
        if (iter.item()->IsZeroLength(tolerance)) {
            CollapseLinkAt(&iter);
            result = 1;
            n = iter.count();
        } else {
            iter++;
        }
        StepOnCircular(iter);
    }
    return result;
}

int Graph::CombineLinks(double tolerance)
{
    if (_linklist->empty())
        return 0;
    ResetMarks();
    DL_Iter<Link *> iter(_linklist);
    iter.tohead();
    const int group = iter.item()->_group;
    int changed = 0;
    int n = iter.count();
    while (n > 0) {
        n--;
        Link *link = iter.item();
        if (link->_double) {
            // Absorbed into a longer link earlier; its inner node goes with it.
            iter.remove();
            delete link;
            changed = 1;
            n = iter.count();
            StepOnCircular(iter);
            continue;
        }
        if (link->IsZeroLength(tolerance)) {
            CollapseLinkAt(&iter);
            changed = 1;
            n = iter.count();
            StepOnCircular(iter);
            continue;
        }
        link->_double = 1;
        Node *begin = link->GetBeginNode();
        Node *end = link->GetEndNode();
        for (bool extended = true; extended;) {
            extended = false;
            if (Link *back = SoleUntakenLink(begin); back && back->GetEndNode() == begin) {
                Node *previous = back->GetBeginNode();
                if (previous->OnLineWith(begin, end, tolerance)) {
                    back->_double = 1;
                    begin = previous;
                    extended = true;
                }
            }
            if (Link *forward = end->SoleOutLink()) {
                Node *next = forward->GetEndNode();
                if (next->OnLineWith(begin, end, tolerance)) {
                    forward->_double = 1;
                    end = next;
                    extended = true;
                }
            }
        }
        if (begin == link->GetBeginNode() && end == link->GetEndNode()) {
            link->_mark = 0;
            link->_double = 0;
            iter++;
            StepOnCircular(iter);
            continue;
        }
        // The replacing link holds the chain's end nodes before the started
        // link lets go of its own, so no end node is ever left without links.
        Link *replacement = new Link(link->_graphnum, begin, end);
        replacement->_group = group;
        iter.remove();
        delete link;
        iter.insend(replacement);
        StepOnCircular(iter);
        changed = 1;
        n = iter.count();
    }
    return changed;
}

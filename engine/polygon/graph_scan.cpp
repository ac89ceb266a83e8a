// The sweep driver of the graph and the steps that make a graph planar:
// node merging, rotation and the node-to-link and crossing sweeps.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"
#include "engine/polygon/scan_beam.h"

namespace {

// The sweep takes the links in list order, and each one leads to reads of
// the link, its nodes and their links, which lie all over memory. Asked
// for some links ahead (the link first, then its nodes, then where the
// nodes hold their links: the node's next cache line, or the heap for a
// node with many) those reads overlap instead of waiting one after
// another. Links are only ever added at the head of the list while a sweep
// runs, behind it, so the cursors ahead stay valid.
class SweepPrefetch {
public:
    explicit SweepPrefetch(const DL_List<Link *> *list)
        : _root(list->rootnode()), _links(_root->_next), _nodes(_root->_next), _lists(_root->_next)
    {
        for (int i = 0; i < kListsAhead; i++)
            Advance(&_lists);
        for (int i = 0; i < kNodesAhead; i++)
            Advance(&_nodes);
        for (int i = 0; i < kLinksAhead; i++)
            Advance(&_links);
    }

    // The sweep moved on by one link.
    void Step()
    {
        if (Advance(&_links))
            __builtin_prefetch(_links->_item);
        if (Advance(&_nodes)) {
            __builtin_prefetch(_nodes->_item->GetBeginNode());
            __builtin_prefetch(_nodes->_item->GetEndNode());
        }
        if (Advance(&_lists)) {
            const Link *link = _lists->_item;
            for (const Node *node : {link->GetBeginNode(), link->GetEndNode()})
                __builtin_prefetch(node->Links().storage());
        }
    }

private:
    static constexpr int kListsAhead = 8;
    static constexpr int kNodesAhead = 16;
    static constexpr int kLinksAhead = 24;

    // False once past the last link.
    bool Advance(const DL_Node<Link *> **cursor) const
    {
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
// hundreds of thousands of nodes of a large graph. other has room for as
// many; the sorted nodes end up in one of the two, which is returned.
Node **SortByAddress(Node **nodes, Node **other, size_t count)
{
    if (count < 2)
        return nodes;
    uintptr_t all = ~uintptr_t(0);
    uintptr_t any = 0;
    for (size_t i = 0; i < count; i++) {
        const auto address = reinterpret_cast<uintptr_t>(nodes[i]);
        all &= address;
        any |= address;
    }
    const uintptr_t varying = all ^ any;
    for (unsigned shift = 0; shift < 8 * sizeof(uintptr_t); shift += 8) {
        if (((varying >> shift) & 0xff) == 0)
            continue;
        size_t start[257] = {};
        for (size_t i = 0; i < count; i++)
            start[((reinterpret_cast<uintptr_t>(nodes[i]) >> shift) & 0xff) + 1]++;
        for (int digit = 0; digit < 256; digit++)
            start[digit + 1] += start[digit];
        for (size_t i = 0; i < count; i++)
            other[start[(reinterpret_cast<uintptr_t>(nodes[i]) >> shift) & 0xff]++] = nodes[i];
        std::swap(nodes, other);
    }
    return nodes;
}

} // namespace

int Graph::ScanPass(ScanMode mode)
{
    DL_Iter<Link *> iter(_linklist);
    // The flag sweep finds the doubles anew.
    SortByBeginNodeX(&iter, mode == ScanMode::GROUP_FLAGS ? ClearMarks::MARK_AND_DOUBLE : ClearMarks::MARK);

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

int Graph::JoinCloseNodes(int *moved)
{
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

int Graph::RemoveNullLinks()
{
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
        if (node->Links().empty())
            delete node;
        removed = 1;
    }
    return removed;
}

void Graph::Rotate(int plus90)
{
    const double f = plus90 == 0 ? -1.0 : 1.0;
    // Every node turns once: the nodes are gathered and made unique first.
    // (The sweeps sort the links themselves.) The sorts' scratch memory holds
    // them, instead of fresh pages on every turn.
    const size_t count = static_cast<size_t>(_linklist->count());
    Node **gathered =
        static_cast<Node **>(dl_list_detail::ThreadSortScratch().Get(2 * count * sizeof(Node *) + 1));
    size_t n = 0;
    const DL_Node<Link *> *root = _linklist->rootnode();
    for (const DL_Node<Link *> *entry = root->_next; entry != root; entry = entry->_next)
        gathered[n++] = entry->_item->GetBeginNode();
    Node **nodes = SortByAddress(gathered, gathered + count, n);
    Node **end = std::unique(nodes, nodes + n);
    for (Node **node = nodes; node != end; node++) {
        const double x = (*node)->GetX();
        const double y = (*node)->GetY();
        (*node)->SetX(-y * f);
        (*node)->SetY(x * f);
    }
}

int Graph::Intersect()
{
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

// The links that meet at a graph node. Most nodes have two to four, and the
// sweeps and ring walks read them over and over: held in the node itself
// they come with the node's own cache line, and only a node with more than
// kInline links reaches out to the heap.
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>

class Link;

class NodeLinks {
public:
    static constexpr uint32_t kInline = 4;

    NodeLinks() = default;
    ~NodeLinks()
    {
        if (OnHeap())
            delete[] _heap;
    }
    NodeLinks(const NodeLinks &) = delete;
    NodeLinks &operator=(const NodeLinks &) = delete;

    // The walk order is newest first; the array holds it back to front, so
    // that adding at the front is a store behind the last one.
    using const_iterator = std::reverse_iterator<Link *const *>;
    const_iterator begin() const { return const_iterator(data() + _count); }
    const_iterator end() const { return const_iterator(data()); }

    int count() const { return static_cast<int>(_count); }
    bool empty() const { return _count == 0; }
    // First and last in walk order. Asked of a node without links they
    // report an engine error (the operation ends with a failure, as it would
    // on any damaged graph) instead of reading outside the array.
    Link *first() const
    {
        if (_count == 0)
            ReportEmpty();
        return data()[_count - 1];
    }
    Link *last() const
    {
        if (_count == 0)
            ReportEmpty();
        return data()[0];
    }
    // Where the links are held, for a prefetch.
    const void *storage() const { return data(); }

    void AddFront(Link *link)
    {
        if (_count == _capacity)
            Grow(_count + 1);
        data()[_count++] = link;
    }

    // Removes the first occurrence in walk order (a link from a node to
    // itself is there twice); the others keep their order. False when the
    // link is not there.
    bool Remove(Link *link)
    {
        Link **items = data();
        for (uint32_t i = _count; i-- > 0;) {
            if (items[i] == link) {
                std::memmove(items + i, items + i + 1, (_count - i - 1) * sizeof(Link *));
                _count--;
                return true;
            }
        }
        return false;
    }

    // Appends other's links behind the last one, in their order, and leaves
    // other empty. other is another node's links, never these.
    void TakeOver(NodeLinks *other);

private:
    bool OnHeap() const { return _capacity > kInline; }
    Link **data() { return OnHeap() ? _heap : _inline; }
    Link *const *data() const { return OnHeap() ? _heap : _inline; }
    // Room for at least needed links.
    void Grow(uint32_t needed);
    [[noreturn]] static void ReportEmpty();

    union {
        Link *_inline[kInline];
        Link **_heap;
    };
    uint32_t _count = 0;
    uint32_t _capacity = kInline;
};

#include "engine/polygon/node_links.h"

#include "engine/polygon/engine_handlers.h"

void NodeLinks::Grow(uint32_t needed)
{
    uint32_t capacity = _capacity * 2;
    while (capacity < needed)
        capacity *= 2;
    Link **items = new Link *[capacity];
    std::memcpy(items, data(), _count * sizeof(Link *));
    if (OnHeap())
        delete[] _heap;
    _heap = items;
    _capacity = capacity;
}

void NodeLinks::TakeOver(NodeLinks *other)
{
    const uint32_t more = other->_count;
    if (more == 0)
        return;
    if (_count + more > _capacity)
        Grow(_count + more);
    // Behind the last in walk order is in front in the array.
    Link **items = data();
    std::memmove(items + more, items, _count * sizeof(Link *));
    std::memcpy(items, other->data(), more * sizeof(Link *));
    _count += more;
    other->_count = 0;
}

void NodeLinks::ReportEmpty() { EngineError("NodeLinks: node without links", "list error"); }

// The polygon engine's one collection: a doubly linked ring list with a
// sentinel, walked by any number of attached iterators. Items are pointers
// the list never frees. Structural changes are refused while they could
// leave another iterator on a freed node; every refusal is an engine error
// ("list error") and ends the operation.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/polygon/object_pool.h"
#include "platform/large_block.h"

enum ListErrorCode {
    NO_MES = 0,
    NO_LIST = 1,
    NO_LIST_OTHER = 2,
    AC_ITER_LIST_OTHER = 3,
    SAME_LIST = 4,
    NOT_SAME_LIST = 5,
    ITER_GT_1 = 6,
    ITER_GT_0 = 7,
    ITER_HITROOT = 8,
    NO_ITEM = 9,
    NO_NEXT = 10,
    NO_PREV = 11,
    EMPTY = 12,
    NOT_ALLOW = 13,
    ITER_NEG = 14,
};

// Compose "DL_Iter<Dtype>::" / "DL_List<Dtype>::" + operation + reason and
// report it with the header "list error".
[[noreturn]] void ReportIterError(const char *operation, int code);
[[noreturn]] void ReportListError(const char *operation, int code);
// The fixed report of a list destroyed with iterators still attached.
void ReportListDestroyedWithIterators();

template <class Dtype>
class DL_Iter;

// Lists gain and lose a node for nearly every step of the engine, so freed
// nodes of one size are kept per thread for the next insertion, up to a
// bound; FlushListNodes hands them back to the heap. Under the address
// sanitizer every node goes to the heap, so that a stale node is reported.
#if defined(__SANITIZE_ADDRESS__)
#define DL_LIST_KEEP_NODES 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DL_LIST_KEEP_NODES 0
#endif
#endif
#ifndef DL_LIST_KEEP_NODES
#define DL_LIST_KEEP_NODES 1
#endif

namespace dl_list_detail {

struct HeldNode {
    HeldNode *next;
};

struct HeldNodes {
    HeldNode *top;
    std::size_t count;
};

inline constexpr std::size_t kMaxHeldNodes = std::size_t(1) << 16;

// One stack per node size; trivially destructible, emptied by FlushListNodes.
template <std::size_t Size>
HeldNodes &Held()
{
    thread_local HeldNodes held{nullptr, 0};
    return held;
}

template <std::size_t Size>
void *TakeNode()
{
#if DL_LIST_KEEP_NODES
    HeldNodes &held = Held<Size>();
    if (HeldNode *node = held.top) {
        held.top = node->next;
        held.count--;
        return node;
    }
#endif
    return ::operator new(Size);
}

template <std::size_t Size>
void GiveNode(void *block)
{
#if DL_LIST_KEEP_NODES
    HeldNodes &held = Held<Size>();
    if (held.count < kMaxHeldNodes) {
        HeldNode *node = static_cast<HeldNode *>(block);
        node->next = held.top;
        held.top = node;
        held.count++;
        return;
    }
#endif
    ::operator delete(block);
}

template <std::size_t Size>
void FlushNodes()
{
    HeldNodes &held = Held<Size>();
    while (HeldNode *node = held.top) {
        held.top = node->next;
        ::operator delete(node);
    }
    held.count = 0;
}

} // namespace dl_list_detail

class Link;

// Lists of these items live only while an operation runs (the graph's and
// its nodes' link lists); their nodes come from a pool of their own, which
// goes back to the heap with the last of them.
template <class Dtype>
inline constexpr bool kPooledListItem = false;
template <>
inline constexpr bool kPooledListItem<Link *> = true;

template <class Dtype>
struct DL_Node {
    Dtype _item{};
    DL_Node *_next = nullptr;
    DL_Node *_prev = nullptr;

    static void *operator new(std::size_t size)
    {
        static_assert(sizeof(DL_Node) >= sizeof(dl_list_detail::HeldNode));
        if (size != sizeof(DL_Node))
            return ::operator new(size);
        if constexpr (kPooledListItem<Dtype>)
            return ObjectPool<DL_Node>::Allocate();
        else
            return dl_list_detail::TakeNode<sizeof(DL_Node)>();
    }
    static void operator delete(void *block, std::size_t size)
    {
        if (!block)
            return;
        if (size != sizeof(DL_Node))
            ::operator delete(block);
        else if constexpr (kPooledListItem<Dtype>)
            ObjectPool<DL_Node>::Free(block);
        else
            dl_list_detail::GiveNode<sizeof(DL_Node)>(block);
    }
};

// Returns the nodes this thread keeps for reuse to the heap.
void FlushListNodes();

template <class Dtype>
class DL_List {
public:
    DL_List();
    // Frees every node whatever happens; reports attached iterators after
    // that (unless an exception is already on its way out).
    ~DL_List() noexcept(false);
    DL_List(const DL_List &) = delete;
    DL_List &operator=(const DL_List &) = delete;

    void remove_all();
    void insbegin(Dtype item);
    void insend(Dtype item);
    Dtype removehead();
    Dtype removetail();
    int count() const { return _count; }
    bool empty() const { return _count == 0; }
    // The sentinel, for walks over node handles (DL_Iter::node).
    const DL_Node<Dtype> *rootnode() const { return &_rootnode; }

private:
    friend class DL_Iter<Dtype>;
    using ListNode = DL_Node<Dtype>;

    void LinkBefore(ListNode *position, Dtype item);
    Dtype Unlink(ListNode *node);
    void FreeNodes();

    // The sentinel lives in the list itself: one allocation and one pointer
    // hop less per list (every node of the graph has one).
    ListNode *root() { return &_rootnode; }
    const ListNode *root() const { return &_rootnode; }

    ListNode _rootnode;
    int32_t _count = 0;
    int16_t _iterlevel = 0;
};

template <class Dtype>
class DL_Iter {
public:
    DL_Iter() = default;
    explicit DL_Iter(DL_List<Dtype> *list);
    ~DL_Iter() noexcept(false);
    DL_Iter(const DL_Iter &) = delete;
    DL_Iter &operator=(const DL_Iter &) = delete;

    void Attach(DL_List<Dtype> *list);
    void Attach();
    bool attached() const { return _current != nullptr; }
    DL_List<Dtype> *list() const { return _list; }

    void tohead();
    void totail();
    void toroot();
    bool hitroot() const;
    bool athead() const;
    bool attail() const;
    Dtype item() const;
    void operator++(int);
    void operator--(int);
    bool iterate();
    int count() const;
    bool empty() const;
    bool has(Dtype item) const;
    bool toitem(Dtype item);
    void toiter(DL_Iter *other);
    // The list node at the iterator, as a handle that stays valid until its
    // item is removed; tonode goes back to such a handle of this list.
    DL_Node<Dtype> *node() const { return _current; }
    void tonode(DL_Node<Dtype> *node) { _current = node; }

    void insbegin(Dtype item);
    void insend(Dtype item);
    void insbefore(Dtype item);
    void remove();
    void takeover(DL_List<Dtype> *other);
    void takeover(DL_Iter *otheriter);

    // fcmp(a, b): 1 when a belongs before b, -1 after, 0 equal. Stable.
    template <class Cmp>
    void mergesort(Cmp fcmp);
    // The same order as mergesort (a stable order is unique), in time linear
    // in the list plus the number of items out of place: for lists that are
    // nearly in order already.
    template <class Cmp>
    void insertionsort(Cmp fcmp);
    // Stable sort by key(item) ascending under <; each key is taken once, so
    // long lists are not sorted by chasing pointers in every comparison.
    template <class Key>
    void sortbykey(Key key);
    // The order of sortbykey, but the items move among the nodes instead of
    // the nodes being relinked, so that a walk keeps reading the nodes in the
    // order they lie in memory; a list in order already is left untouched.
    // The key is taken once of every item, even of a single one. Node
    // handles do not follow their items: only for lists no other iterator
    // points into.
    template <class Key>
    void sortitemsbykey(Key key)
    {
        sortitemsbykey(key, [](const Dtype &) {});
    }
    // As above; touch(item) is called some items before key(item), to ask for
    // the memory that the key reads beyond the item itself.
    template <class Key, class Touch>
    void sortitemsbykey(Key key, Touch touch);
    // Exchanges items of neighbouring nodes; fswap(a, b) hears of each
    // exchange of a pair before it happens.
    template <class Cmp, class Swap>
    void cocktailsort(Cmp fcmp, Swap fswap);
    template <class Cmp>
    void cocktailsort(Cmp fcmp)
    {
        cocktailsort(fcmp, [](Dtype, Dtype) {});
    }

private:
    using ListNode = DL_Node<Dtype>;
    void RequireAttached(const char *operation) const
    {
        if (!_current)
            ReportIterError(operation, NO_LIST);
    }
    void RequireOnlyIterator(const char *operation) const
    {
        if (_list->_iterlevel > 1)
            ReportIterError(operation, ITER_GT_1);
    }
    void Splice(DL_List<Dtype> *other);

    DL_List<Dtype> *_list = nullptr;
    ListNode *_current = nullptr;
};

// ---------------------------------------------------------------- DL_List

template <class Dtype>
DL_List<Dtype>::DL_List()
{
    root()->_next = root();
    root()->_prev = root();
}

template <class Dtype>
DL_List<Dtype>::~DL_List() noexcept(false)
{
    const bool iteratorsLeft = _iterlevel != 0;
    FreeNodes();
    if (iteratorsLeft && std::uncaught_exceptions() == 0)
        ReportListDestroyedWithIterators();
}

template <class Dtype>
void DL_List<Dtype>::FreeNodes()
{
    ListNode *node = root()->_next;
    while (node != root()) {
        ListNode *next = node->_next;
        delete node;
        node = next;
    }
    root()->_next = root();
    root()->_prev = root();
    _count = 0;
}

template <class Dtype>
void DL_List<Dtype>::LinkBefore(ListNode *position, Dtype item)
{
    ListNode *node = new ListNode;
    node->_item = item;
    node->_next = position;
    node->_prev = position->_prev;
    position->_prev->_next = node;
    position->_prev = node;
    _count++;
}

template <class Dtype>
Dtype DL_List<Dtype>::Unlink(ListNode *node)
{
    Dtype item = node->_item;
    node->_prev->_next = node->_next;
    node->_next->_prev = node->_prev;
    delete node;
    _count--;
    return item;
}

template <class Dtype>
void DL_List<Dtype>::remove_all()
{
    if (_iterlevel > 0)
        ReportListError("remove_all()", ITER_GT_0);
    FreeNodes();
    _iterlevel = 0;
}

template <class Dtype>
void DL_List<Dtype>::insbegin(Dtype item)
{
    if (_iterlevel > 0)
        ReportListError("insbegin()", ITER_GT_0);
    LinkBefore(root()->_next, item);
}

template <class Dtype>
void DL_List<Dtype>::insend(Dtype item)
{
    if (_iterlevel > 0)
        ReportListError("insend()", ITER_GT_0);
    LinkBefore(root(), item);
}

template <class Dtype>
Dtype DL_List<Dtype>::removehead()
{
    if (_iterlevel > 0)
        ReportListError("removehead()", ITER_GT_0);
    if (_count == 0)
        ReportListError("removehead()", EMPTY);
    return Unlink(root()->_next);
}

template <class Dtype>
Dtype DL_List<Dtype>::removetail()
{
    if (_iterlevel > 0)
        ReportListError("removetail()", ITER_GT_0);
    if (_count == 0)
        ReportListError("removetail()", EMPTY);
    return Unlink(root()->_prev);
}

// ---------------------------------------------------------------- DL_Iter

template <class Dtype>
DL_Iter<Dtype>::DL_Iter(DL_List<Dtype> *list) : _list(list), _current(list->root())
{
    _list->_iterlevel++;
}

template <class Dtype>
DL_Iter<Dtype>::~DL_Iter() noexcept(false)
{
    if (!_current)
        return;
    _list->_iterlevel--;
    if (_list->_iterlevel < 0 && std::uncaught_exceptions() == 0)
        ReportIterError("~DL_Iter()", ITER_NEG);
}

template <class Dtype>
void DL_Iter<Dtype>::Attach(DL_List<Dtype> *list)
{
    if (_current)
        ReportIterError("Attach(list)", NOT_ALLOW);
    _list = list;
    _current = list->root()->_next;
    _list->_iterlevel++;
}

template <class Dtype>
void DL_Iter<Dtype>::Attach()
{
    RequireAttached("Attach()");
    _list->_iterlevel--;
    _list = nullptr;
    _current = nullptr;
}

template <class Dtype>
void DL_Iter<Dtype>::tohead()
{
    RequireAttached("tohead()");
    _current = _list->root()->_next;
}

template <class Dtype>
void DL_Iter<Dtype>::totail()
{
    RequireAttached("totail()");
    _current = _list->root()->_prev;
}

template <class Dtype>
void DL_Iter<Dtype>::toroot()
{
    RequireAttached("toroot()");
    _current = _list->root();
}

template <class Dtype>
bool DL_Iter<Dtype>::hitroot() const
{
    RequireAttached("hitroot()");
    return _current == _list->root();
}

template <class Dtype>
bool DL_Iter<Dtype>::athead() const
{
    RequireAttached("athead()");
    return _current == _list->root()->_next;
}

template <class Dtype>
bool DL_Iter<Dtype>::attail() const
{
    RequireAttached("attail()");
    return _current == _list->root()->_prev;
}

template <class Dtype>
Dtype DL_Iter<Dtype>::item() const
{
    RequireAttached("item()");
    if (_current == _list->root())
        ReportIterError("item()", NO_ITEM);
    return _current->_item;
}

template <class Dtype>
void DL_Iter<Dtype>::operator++(int)
{
    RequireAttached("operator++(int)");
    _current = _current->_next;
}

template <class Dtype>
void DL_Iter<Dtype>::operator--(int)
{
    RequireAttached("operator--(int)");
    _current = _current->_prev;
}

template <class Dtype>
bool DL_Iter<Dtype>::iterate()
{
    RequireAttached("iterate()");
    _current = _current->_next;
    return _current != _list->root();
}

template <class Dtype>
int DL_Iter<Dtype>::count() const
{
    RequireAttached("count()");
    return _list->_count;
}

template <class Dtype>
bool DL_Iter<Dtype>::empty() const
{
    RequireAttached("empty()");
    return _list->_count == 0;
}

template <class Dtype>
bool DL_Iter<Dtype>::has(Dtype item) const
{
    RequireAttached("has()");
    for (ListNode *n = _list->root()->_next; n != _list->root(); n = n->_next)
        if (n->_item == item)
            return true;
    return false;
}

template <class Dtype>
bool DL_Iter<Dtype>::toitem(Dtype item)
{
    RequireAttached("toitem(item)");
    for (ListNode *n = _list->root()->_next; n != _list->root(); n = n->_next)
        if (n->_item == item) {
            _current = n;
            return true;
        }
    return false;
}

template <class Dtype>
void DL_Iter<Dtype>::toiter(DL_Iter *other)
{
    if (!other->_current)
        ReportIterError("toiter(otheriter)", NO_LIST);
    if (other->_list != _list)
        ReportIterError("toiter(otheriter)", NOT_SAME_LIST);
    _current = other->_current;
}

template <class Dtype>
void DL_Iter<Dtype>::insbegin(Dtype item)
{
    RequireAttached("insbegin()");
    RequireOnlyIterator("insbegin()");
    _list->LinkBefore(_list->root()->_next, item);
}

template <class Dtype>
void DL_Iter<Dtype>::insend(Dtype item)
{
    RequireAttached("insend()");
    RequireOnlyIterator("insend()");
    _list->LinkBefore(_list->root(), item);
}

template <class Dtype>
void DL_Iter<Dtype>::insbefore(Dtype item)
{
    RequireAttached("insbefore()");
    RequireOnlyIterator("insbefore()");
    _list->LinkBefore(_current, item);
}

template <class Dtype>
void DL_Iter<Dtype>::remove()
{
    RequireAttached("remove()");
    RequireOnlyIterator("remove()");
    if (_current == _list->root())
        ReportIterError("remove()", ITER_HITROOT);
    ListNode *next = _current->_next;
    _list->Unlink(_current);
    _current = next;
}

template <class Dtype>
void DL_Iter<Dtype>::Splice(DL_List<Dtype> *other)
{
    if (other->_count == 0)
        return;
    ListNode *root = _list->root();
    ListNode *otherRoot = other->root();
    ListNode *head = otherRoot->_next;
    ListNode *tail = otherRoot->_prev;
    root->_prev->_next = head;
    head->_prev = root->_prev;
    tail->_next = root;
    root->_prev = tail;
    _list->_count += other->_count;
    otherRoot->_next = otherRoot;
    otherRoot->_prev = otherRoot;
    other->_count = 0;
}

template <class Dtype>
void DL_Iter<Dtype>::takeover(DL_List<Dtype> *other)
{
    RequireAttached("takeover(DL_List*)");
    // Its own list always has this iterator attached: name that misuse.
    if (other == _list)
        ReportIterError("takeover(DL_List*)", SAME_LIST);
    if (other->_iterlevel > 0)
        ReportIterError("takeover(DL_List*)", AC_ITER_LIST_OTHER);
    Splice(other);
}

template <class Dtype>
void DL_Iter<Dtype>::takeover(DL_Iter *otheriter)
{
    if (!otheriter->_current)
        ReportIterError("takeover(DL_Iter*)", NO_LIST_OTHER);
    RequireAttached("takeover(DL_Iter*)");
    if (otheriter->_list->_iterlevel > 1)
        ReportIterError("takeover(DL_Iter*)", AC_ITER_LIST_OTHER);
    if (otheriter->_list == _list)
        ReportIterError("takeover(DL_Iter*)", SAME_LIST);
    Splice(otheriter->_list);
    otheriter->_current = otheriter->_list->root();
}

// Puts the nodes back into the list in the vector's order; each node keeps
// its item, so iterators and handles stay on their items.
template <class Dtype>
void RelinkInOrder(DL_Node<Dtype> *root, const std::vector<DL_Node<Dtype> *> &nodes)
{
    DL_Node<Dtype> *tail = root;
    for (DL_Node<Dtype> *node : nodes) {
        tail->_next = node;
        node->_prev = tail;
        tail = node;
    }
    tail->_next = root;
    root->_prev = tail;
}

// Ties keep their order, as in a merge taking the earlier half's node first:
// b goes before a only when fcmp(a, b) < 0.
template <class Dtype>
template <class Cmp>
void DL_Iter<Dtype>::mergesort(Cmp fcmp)
{
    RequireAttached("mergesort()");
    if (_list->_count < 2)
        return;
    std::vector<ListNode *> nodes;
    nodes.reserve(static_cast<size_t>(_list->_count));
    for (ListNode *n = _list->root()->_next; n != _list->root(); n = n->_next)
        nodes.push_back(n);
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&fcmp](ListNode *x, ListNode *y) { return fcmp(y->_item, x->_item) < 0; });
    RelinkInOrder(_list->root(), nodes);
}

template <class Dtype>
template <class Key>
void DL_Iter<Dtype>::sortbykey(Key key)
{
    RequireAttached("sortbykey()");
    if (_list->_count < 2)
        return;
    using K = decltype(key(Dtype{}));
    std::vector<std::pair<K, ListNode *>> keyed;
    keyed.reserve(static_cast<size_t>(_list->_count));
    for (ListNode *n = _list->root()->_next; n != _list->root(); n = n->_next)
        keyed.emplace_back(key(n->_item), n);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<ListNode *> nodes;
    nodes.reserve(keyed.size());
    for (const auto &entry : keyed)
        nodes.push_back(entry.second);
    RelinkInOrder(_list->root(), nodes);
}

namespace dl_list_detail {

// Scratch memory of the key sorts. A large operation sorts its long link
// lists again and again; kept by the thread from one sort to the next, the
// memory is touched fresh (a page fault per page) only once an operation.
// ReleaseSortScratch gives it back when the operation ends; the holder frees
// what is left when the thread ends.
struct SortScratch {
    void *data = nullptr;
    std::size_t bytes = 0;
    bool huge = false;
    SortScratch() = default;
    SortScratch(const SortScratch &) = delete;
    SortScratch &operator=(const SortScratch &) = delete;
    ~SortScratch() { Release(); }
    void Release()
    {
        if (huge)
            UnmapHugePageBlock(data, bytes);
        else
            ::operator delete(data);
        data = nullptr;
        bytes = 0;
        huge = false;
    }
    void *Get(std::size_t wanted)
    {
        if (wanted <= bytes)
            return data;
        Release();
        // Grown with room to spare, so that a list growing a little from one
        // sort to the next does not take fresh memory each time.
        std::size_t grown = wanted + wanted / 4;
#if DL_LIST_KEEP_NODES
        // Large scratch in huge pages: a page fault per 2 MB, not per 4 KB.
        constexpr std::size_t kHuge = object_pool_detail::kHugeChunkBytes;
        if (grown >= kHuge) {
            grown = (grown + kHuge - 1) / kHuge * kHuge;
            if ((data = MapHugePageBlock(grown))) {
                bytes = grown;
                huge = true;
                return data;
            }
        }
#endif
        data = ::operator new(grown);
        bytes = grown;
        return data;
    }
};

inline SortScratch &ThreadSortScratch()
{
    thread_local SortScratch scratch;
    return scratch;
}

// Stable merge sort of [first, last) by less, with buffer of as many
// entries: the order of std::stable_sort, without its own allocation.
template <class T, class Less>
void StableSortWithBuffer(T *first, T *last, T *buffer, Less less)
{
    const std::size_t n = static_cast<std::size_t>(last - first);
    constexpr std::size_t kRun = 16;
    for (std::size_t start = 0; start < n; start += kRun) {
        T *runEnd = first + std::min(n, start + kRun);
        for (T *i = first + start + 1; i < runEnd; i++) {
            if (!less(*i, i[-1]))
                continue;
            T moving = *i;
            T *j = i;
            do {
                *j = j[-1];
                j--;
            } while (j > first + start && less(moving, j[-1]));
            *j = moving;
        }
    }
    T *from = first;
    T *to = buffer;
    for (std::size_t width = kRun; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(n, lo + width);
            const std::size_t hi = std::min(n, lo + 2 * width);
            std::size_t i = lo, j = mid, out = lo;
            // The left run's entry goes first unless the right one is less.
            while (i < mid && j < hi) {
                if (less(from[j], from[i]))
                    to[out++] = from[j++];
                else
                    to[out++] = from[i++];
            }
            while (i < mid)
                to[out++] = from[i++];
            while (j < hi)
                to[out++] = from[j++];
        }
        std::swap(from, to);
    }
    if (from != first)
        std::copy(from, from + n, first);
}

// Merges the sorted [first, middle) and [middle, last) in place, stably,
// with buffer of at least middle - first entries.
template <class T, class Less>
void MergeWithBuffer(T *first, T *middle, T *last, T *buffer, Less less)
{
    T *bufferEnd = std::copy(first, middle, buffer);
    T *i = buffer;
    T *j = middle;
    T *out = first;
    while (i < bufferEnd && j < last) {
        if (less(*j, *i))
            *out++ = *j++;
        else
            *out++ = *i++;
    }
    std::copy(i, bufferEnd, out);
}

// Keys as unsigned words whose order is the keys' order under <, for a
// radix sort: doubles (-0.0 as 0.0; no word for NaN, which < does not
// order), integers, and pairs of either, first word most significant.
template <class K, class = void>
struct RadixKey {
    static constexpr int kWords = 0;
};

template <>
struct RadixKey<double> {
    static constexpr int kWords = 1;
    static bool Encode(double key, std::uint64_t *word)
    {
        if (key != key)
            return false;
        key += 0.0; // -0.0 becomes 0.0
        const auto bits = __builtin_bit_cast(std::uint64_t, key);
        *word = bits >> 63 ? ~bits : bits | (std::uint64_t(1) << 63);
        return true;
    }
    static double Decode(const std::uint64_t *word)
    {
        const std::uint64_t w = *word;
        return __builtin_bit_cast(double, w >> 63 ? w & ~(std::uint64_t(1) << 63) : ~w);
    }
};

template <class K>
struct RadixKey<K, std::enable_if_t<std::is_integral_v<K>>> {
    static constexpr int kWords = 1;
    static bool Encode(K key, std::uint64_t *word)
    {
        if constexpr (std::is_signed_v<K>)
            *word = static_cast<std::uint64_t>(static_cast<std::int64_t>(key)) ^ (std::uint64_t(1) << 63);
        else
            *word = static_cast<std::uint64_t>(key);
        return true;
    }
    static K Decode(const std::uint64_t *word)
    {
        if constexpr (std::is_signed_v<K>)
            return static_cast<K>(static_cast<std::int64_t>(*word ^ (std::uint64_t(1) << 63)));
        else
            return static_cast<K>(*word);
    }
};

template <class A, class B>
struct RadixKey<std::pair<A, B>> {
    static constexpr int kWords =
        RadixKey<A>::kWords && RadixKey<B>::kWords ? RadixKey<A>::kWords + RadixKey<B>::kWords : 0;
    static bool Encode(const std::pair<A, B> &key, std::uint64_t *word)
    {
        return RadixKey<A>::Encode(key.first, word) &&
               RadixKey<B>::Encode(key.second, word + RadixKey<A>::kWords);
    }
    static std::pair<A, B> Decode(const std::uint64_t *word)
    {
        return {RadixKey<A>::Decode(word), RadixKey<B>::Decode(word + RadixKey<A>::kWords)};
    }
};

template <int kWords, class Item>
struct RadixEntry {
    std::uint64_t word[kWords];
    Item item;
};

// Stable sort of keyed[0, n) by key under less, as std::stable_sort would
// order it: an LSD radix sort on the first word of the keys (a byte that is
// the same in every key takes no pass), through the entries at from and to
// (n each), then a merge sort of each run of keys equal in that word (which
// the sweeps' keys rarely are).
// False, with keyed untouched, when a key has no words (NaN).
template <class Keyed, class K, class Item, class Less>
bool RadixSortKeyed(Keyed *keyed, std::size_t n, void *from, void *to, Less less)
{
    using Radix = RadixKey<K>;
    constexpr int kWords = Radix::kWords;
    using Entry = RadixEntry<kWords, Item>;
    Entry *source = static_cast<Entry *>(from);
    Entry *target = static_cast<Entry *>(to);
    std::uint64_t all = ~std::uint64_t(0), any = 0;
    for (std::size_t i = 0; i < n; i++) {
        Entry *entry = new (&source[i]) Entry;
        if (!Radix::Encode(keyed[i].first, entry->word))
            return false;
        entry->item = keyed[i].second;
        all &= entry->word[0];
        any |= entry->word[0];
    }
    const std::uint64_t varying = all ^ any;
    std::uint32_t count[256];
    for (unsigned shift = 0; shift < 64; shift += 8) {
        if (((varying >> shift) & 0xff) == 0)
            continue;
        std::fill(count, count + 256, 0u);
        for (std::size_t i = 0; i < n; i++)
            count[(source[i].word[0] >> shift) & 0xff]++;
        std::uint32_t start = 0;
        for (std::uint32_t &c : count) {
            const std::uint32_t here = c;
            c = start;
            start += here;
        }
        for (std::size_t i = 0; i < n; i++)
            new (&target[count[(source[i].word[0] >> shift) & 0xff]++]) Entry(source[i]);
        std::swap(source, target);
    }
    bool ties = false;
    for (std::size_t i = 0; i < n; i++) {
        keyed[i].first = Radix::Decode(source[i].word);
        keyed[i].second = source[i].item;
        if constexpr (kWords > 1)
            ties |= i > 0 && source[i].word[0] == source[i - 1].word[0];
    }
    if (!ties)
        return true;
    static_assert(sizeof(Keyed) <= sizeof(Entry) && alignof(Keyed) <= alignof(Entry));
    Keyed *buffer = reinterpret_cast<Keyed *>(target);
    for (std::size_t runStart = 0; runStart < n;) {
        std::size_t runEnd = runStart + 1;
        while (runEnd < n && source[runEnd].word[0] == source[runStart].word[0])
            runEnd++;
        if (runEnd - runStart > 1)
            StableSortWithBuffer(keyed + runStart, keyed + runEnd, buffer, less);
        runStart = runEnd;
    }
    return true;
}

} // namespace dl_list_detail

template <class Dtype>
template <class Key, class Touch>
void DL_Iter<Dtype>::sortitemsbykey(Key key, Touch touch)
{
    RequireAttached("sortitemsbykey()");
    RequireOnlyIterator("sortitemsbykey()");
    using K = decltype(key(Dtype{}));
    struct Keyed {
        K first;
        Dtype second;
    };
    // Lives in raw scratch memory: nothing to destroy, copies are plain.
    static_assert(std::is_trivially_copy_constructible_v<Keyed> && std::is_trivially_destructible_v<Keyed>);
    const size_t count = static_cast<size_t>(_list->_count);
    // The entries and, behind them, the merge buffer or the radix sort's two
    // arrays of entries.
    constexpr int kRadixWords = dl_list_detail::RadixKey<K>::kWords;
    using RadixEntry = dl_list_detail::RadixEntry<kRadixWords ? kRadixWords : 1, Dtype>;
    static_assert(alignof(RadixEntry) <= alignof(std::max_align_t) &&
                  alignof(Keyed) <= alignof(std::max_align_t));
    const size_t keyedBytes = (count * sizeof(Keyed) + alignof(std::max_align_t) - 1) /
                              alignof(std::max_align_t) * alignof(std::max_align_t);
    const size_t radixBytes = kRadixWords ? 2 * count * sizeof(RadixEntry) : 0;
    char *scratch = static_cast<char *>(dl_list_detail::ThreadSortScratch().Get(
        keyedBytes + std::max(count * sizeof(Keyed), radixBytes) + 1));
    Keyed *keyed = reinterpret_cast<Keyed *>(scratch);
    Keyed *buffer = reinterpret_cast<Keyed *>(scratch + keyedBytes);
    {
        size_t i = 0;
        for (ListNode *n = _list->root()->_next; n != _list->root(); n = n->_next)
            new (&keyed[i++]) Keyed{K{}, n->_item};
    }
    // The keys are read through the items: ask for the items some way ahead,
    // and for what the key reads through them half as far ahead, once the
    // items asked for earlier have come.
    constexpr size_t kAhead = 16;
    constexpr size_t kTouchAhead = kAhead / 2;
    for (size_t i = 0; i < count; i++) {
        if constexpr (std::is_pointer_v<Dtype>)
            if (i + kAhead < count)
                __builtin_prefetch(keyed[i + kAhead].second);
        if (i + kTouchAhead < count)
            touch(keyed[i + kTouchAhead].second);
        keyed[i].first = key(keyed[i].second);
    }
    if (count < 2)
        return;
    auto byKey = [](const Keyed &a, const Keyed &b) { return a.first < b.first; };
    // A list in order but for items added at its head (as the sweeps add
    // pieces) is sorted by sorting the head and merging it into the rest;
    // stable, as both keep the earlier of equal keys first.
    size_t sortedFrom = count - 1;
    while (sortedFrom > 0 && !byKey(keyed[sortedFrom], keyed[sortedFrom - 1]))
        sortedFrom--;
    if (sortedFrom == 0)
        return;
    // Long runs out of order take a radix sort (a few passes over the keys'
    // varying bytes) rather than a merge sort's many comparisons.
    constexpr size_t kRadixFrom = 512;
    bool sorted = false;
    if constexpr (kRadixWords > 0)
        if (sortedFrom >= kRadixFrom)
            sorted = dl_list_detail::RadixSortKeyed<Keyed, K, Dtype>(
                keyed, sortedFrom, buffer, reinterpret_cast<RadixEntry *>(buffer) + count, byKey);
    if (!sorted)
        dl_list_detail::StableSortWithBuffer(keyed, keyed + sortedFrom, buffer, byKey);
    dl_list_detail::MergeWithBuffer(keyed, keyed + sortedFrom, keyed + count, buffer, byKey);
    size_t i = 0;
    for (ListNode *n = _list->root()->_next; n != _list->root(); n = n->_next)
        n->_item = keyed[i++].second;
}

// Gives the key sorts' scratch memory back (see SortScratch).
inline void ReleaseSortScratch() { dl_list_detail::ThreadSortScratch().Release(); }

template <class Dtype>
template <class Cmp>
void DL_Iter<Dtype>::insertionsort(Cmp fcmp)
{
    RequireAttached("insertionsort()");
    ListNode *root = _list->root();
    for (ListNode *n = root->_next->_next; n != root;) {
        ListNode *next = n->_next;
        ListNode *before = n->_prev;
        if (fcmp(before->_item, n->_item) < 0) {
            // Out of place: it goes after the last node it does not belong before.
            while (before->_prev != root && fcmp(before->_prev->_item, n->_item) < 0)
                before = before->_prev;
            n->_prev->_next = n->_next;
            n->_next->_prev = n->_prev;
            n->_next = before;
            n->_prev = before->_prev;
            before->_prev->_next = n;
            before->_prev = n;
        }
        n = next;
    }
}

template <class Dtype>
template <class Cmp, class Swap>
void DL_Iter<Dtype>::cocktailsort(Cmp fcmp, Swap fswap)
{
    RequireAttached("cocktailsort()");
    if (_list->_count < 2)
        return;
    auto exchange = [&](ListNode *first, ListNode *second) {
        fswap(first->_item, second->_item);
        Dtype item = first->_item;
        first->_item = second->_item;
        second->_item = item;
    };
    ListNode *low = _list->root()->_next;
    ListNode *high = _list->root()->_prev;
    while (low != high) {
        ListNode *lastForward = nullptr;
        for (ListNode *n = low; n != high; n = n->_next)
            if (fcmp(n->_next->_item, n->_item) == 1) {
                exchange(n, n->_next);
                lastForward = n;
            }
        if (lastForward)
            high = lastForward;
        ListNode *lastBackward = nullptr;
        for (ListNode *n = high; n != low; n = n->_prev)
            if (fcmp(n->_item, n->_prev->_item) == 1) {
                exchange(n, n->_prev);
                lastBackward = n;
            }
        if (lastBackward)
            low = lastBackward;
        if (!lastForward && !lastBackward)
            break;
    }
}

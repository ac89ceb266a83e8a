#include <algorithm>
#include <functional>
#include <new>
#include <random>
#include <utility>
#include <vector>

#include "engine/polygon/dl_list.h"
#include "polygon_test_support.h"

namespace {

struct Item {
    int key;
    int tag;
};

class DL_ListTest : public ::testing::Test {
protected:
    EngineHandlerScope handlers;
    Item items[6] = {{5, 0}, {1, 1}, {3, 2}, {1, 3}, {4, 4}, {3, 5}};

    void Fill(DL_List<Item *> &list, int n = 6)
    {
        for (int i = 0; i < n; i++)
            list.insend(&items[i]);
    }
    static std::vector<int> Tags(DL_List<Item *> &list)
    {
        std::vector<int> tags;
        DL_Iter<Item *> iter(&list);
        while (iter.iterate())
            tags.push_back(iter.item()->tag);
        return tags;
    }
};

int ByKey(Item *a, Item *b) { return a->key < b->key ? 1 : (a->key > b->key ? -1 : 0); }

} // namespace

TEST_F(DL_ListTest, MisuseRaisesTheErrorWithTheComposedText)
{
    struct Case {
        const char *expected;
        std::function<void(DL_List<Item *> &, DL_List<Item *> &, Item *)> misuse;
    };
    const std::vector<Case> cases = {
        {"DL_List<Dtype>::removehead()list is empty",
         [](auto &, auto &empty, Item *) { empty.removehead(); }},
        {"DL_List<Dtype>::removetail()list is empty",
         [](auto &, auto &empty, Item *) { empty.removetail(); }},
        {"DL_List<Dtype>::insend()more then zero iter",
         [](auto &full, auto &, Item *x) {
             DL_Iter<Item *> iter(&full);
             full.insend(x);
         }},
        {"DL_List<Dtype>::remove_all()more then zero iter",
         [](auto &full, auto &, Item *) {
             DL_Iter<Item *> iter(&full);
             full.remove_all();
         }},
        {"DL_Iter<Dtype>::insend()more then one iter",
         [](auto &full, auto &, Item *x) {
             DL_Iter<Item *> a(&full), b(&full);
             a.insend(x);
         }},
        {"DL_Iter<Dtype>::remove()iter at root",
         [](auto &full, auto &, Item *) {
             DL_Iter<Item *> iter(&full);
             iter.remove();
         }},
        {"DL_Iter<Dtype>::item()no item at current",
         [](auto &, auto &empty, Item *) {
             DL_Iter<Item *> iter(&empty);
             iter.tohead();
             iter.item();
         }},
        {"DL_Iter<Dtype>::item()no list attached",
         [](auto &, auto &, Item *) {
             DL_Iter<Item *> iter;
             iter.item();
         }},
        {"DL_Iter<Dtype>::Attach(list)not allowed",
         [](auto &full, auto &empty, Item *) {
             DL_Iter<Item *> iter(&full);
             iter.Attach(&empty);
         }},
        {"DL_Iter<Dtype>::toiter(otheriter)must be same list",
         [](auto &full, auto &empty, Item *) {
             DL_Iter<Item *> a(&full), b(&empty);
             a.toiter(&b);
         }},
        {"DL_Iter<Dtype>::takeover(DL_List*)same list not allowed",
         [](auto &full, auto &, Item *) {
             DL_Iter<Item *> iter(&full);
             iter.takeover(&full);
         }},
        {"DL_Iter<Dtype>::takeover(DL_List*)iter not allowed on other list",
         [](auto &full, auto &empty, Item *) {
             DL_Iter<Item *> a(&full), b(&empty);
             a.takeover(&empty);
         }},
        {"DL_Iter<Dtype>::takeover(DL_Iter*)no list on other iter",
         [](auto &full, auto &, Item *) {
             DL_Iter<Item *> a(&full), b;
             a.takeover(&b);
         }},
    };
    for (const Case &c : cases) {
        DL_List<Item *> full, empty;
        Fill(full, 3);
        const std::vector<int> before = Tags(full);
        EXPECT_EQ(ReportOf([&] { c.misuse(full, empty, &items[5]); }), c.expected);
        // A refused operation leaves the list as it was.
        EXPECT_EQ(Tags(full), before) << c.expected;
        EXPECT_TRUE(empty.empty()) << c.expected;
    }
}

TEST_F(DL_ListTest, DestroyingAListWithAnIteratorReportsAfterFreeingIt)
{
    auto *list = new DL_List<Item *>;
    Fill(*list, 2);
    // The iterator would dangle once the list is gone, so it is never
    // destroyed; its storage is plain stack memory.
    alignas(DL_Iter<Item *>) unsigned char storage[sizeof(DL_Iter<Item *>)];
    new (storage) DL_Iter<Item *>(list);
    EXPECT_EQ(ReportOf([&] { delete list; }), "DL_List::~DL_List()\n_iterlevel > 0 ");
}

TEST_F(DL_ListTest, EmptyListWalkStandsOnTheSentinel)
{
    DL_List<Item *> list;
    DL_Iter<Item *> iter(&list);
    iter.tohead();
    EXPECT_TRUE(iter.hitroot());
    iter.totail();
    EXPECT_TRUE(iter.hitroot());
    EXPECT_FALSE(iter.iterate());
}

TEST_F(DL_ListTest, IteratorChangesAndPositions)
{
    DL_List<Item *> list;
    Fill(list, 3); // tags 0 1 2
    {
        DL_Iter<Item *> iter(&list);
        iter.insend(&items[3]); // allowed through the only iterator
        EXPECT_TRUE(iter.hitroot());
        iter.insbefore(&items[4]); // before the sentinel: at the tail
        iter.totail();
        EXPECT_EQ(iter.item()->tag, 4);
        iter++;
        EXPECT_TRUE(iter.hitroot());
        iter++;
        EXPECT_TRUE(iter.athead());
        iter.totail();
        iter.remove();
        EXPECT_TRUE(iter.hitroot());
        EXPECT_TRUE(iter.toitem(&items[1]));
        iter.remove();
        EXPECT_EQ(iter.item()->tag, 2);
        EXPECT_FALSE(iter.toitem(&items[5]));
        EXPECT_EQ(iter.item()->tag, 2);
        EXPECT_TRUE(iter.has(&items[0]));
        EXPECT_FALSE(iter.has(&items[1]));
    }
    EXPECT_EQ(Tags(list), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(list.removehead()->tag, 0);
    EXPECT_EQ(list.removetail()->tag, 3);
    EXPECT_EQ(list.count(), 1);
}

TEST_F(DL_ListTest, TakeoverMovesNodesInOrder)
{
    DL_List<Item *> a, b, empty;
    Fill(a, 2);
    b.insend(&items[4]);
    b.insend(&items[5]);
    DL_Iter<Item *> iter(&a);
    iter.tohead();
    iter.takeover(&empty);
    EXPECT_EQ(a.count(), 2);
    iter.takeover(&b);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(iter.item()->tag, 0); // position unchanged
    DL_List<Item *> c;
    c.insend(&items[2]);
    {
        DL_Iter<Item *> other(&c);
        iter.takeover(&other);
        EXPECT_TRUE(other.hitroot());
        EXPECT_TRUE(other.empty());
    }
    iter.Attach();
    EXPECT_EQ(Tags(a), (std::vector<int>{0, 1, 4, 5, 2}));
}

TEST_F(DL_ListTest, MergeSortIsStableAndKeepsIteratorsOnTheirItems)
{
    DL_List<Item *> list;
    Fill(list);
    DL_Iter<Item *> iter(&list);
    iter.toitem(&items[3]);
    iter.mergesort(ByKey);
    EXPECT_EQ(iter.item(), &items[3]);
    iter.Attach();
    // keys 1 1 3 3 4 5; equal keys keep their order (tags 1 before 3, 2 before 5)
    EXPECT_EQ(Tags(list), (std::vector<int>{1, 3, 2, 5, 4, 0}));
    // The links run both ways after the sort.
    DL_Iter<Item *> back(&list);
    back.totail();
    EXPECT_EQ(back.item()->tag, 0);
    back--;
    EXPECT_EQ(back.item()->tag, 4);

    DL_List<Item *> one;
    one.insend(&items[4]);
    DL_Iter<Item *> single(&one);
    single.mergesort(ByKey);
    single.tohead();
    EXPECT_TRUE(single.attail());
}

// The three sorts must give one order: the scan passes use whichever is
// cheapest for the list at hand and rely on equal keys keeping their order.
TEST_F(DL_ListTest, SortsAgreeWithAStableReferenceOnListsWithTies)
{
    std::mt19937 random(11);
    for (int round = 0; round < 60; round++) {
        const int n = round % 20 + (round / 20) * 40;
        std::vector<Item> pool(static_cast<size_t>(n));
        std::uniform_int_distribution<int> key(0, round % 3 == 0 ? 2 : 50);
        for (int i = 0; i < n; i++)
            pool[size_t(i)] = {key(random), i};
        // Nearly sorted lists are the insertion sort's case; shuffled ones too.
        // Lists in order but for a head of new items are the keyed sorts' case.
        auto byKeyDown = [](const Item &a, const Item &b) { return a.key > b.key; };
        if (round % 2 == 0)
            std::sort(pool.begin(), pool.end(), byKeyDown);
        else if (round % 4 == 3)
            std::stable_sort(pool.begin() + n / 3, pool.end(), byKeyDown);
        std::vector<Item> expected = pool;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Item &a, const Item &b) { return a.key > b.key; });
        auto descending = [](Item *a, Item *b) { return ByKey(b, a); };
        for (int sort = 0; sort < 4; sort++) {
            DL_List<Item *> list;
            for (Item &item : pool)
                list.insend(&item);
            DL_Iter<Item *> iter(&list);
            if (sort == 0)
                iter.mergesort(descending);
            else if (sort == 1)
                iter.insertionsort(descending);
            else if (sort == 2)
                iter.sortbykey([](Item *item) { return -item->key; });
            else
                iter.sortitemsbykey([](Item *item) { return -item->key; });
            std::vector<int> tags;
            for (iter.tohead(); !iter.hitroot(); iter++)
                tags.push_back(iter.item()->tag);
            std::vector<int> back;
            for (iter.totail(); !iter.hitroot(); iter--)
                back.insert(back.begin(), iter.item()->tag);
            iter.Attach();
            std::vector<int> want;
            for (const Item &item : expected)
                want.push_back(item.tag);
            EXPECT_EQ(tags, want) << "sort " << sort << " round " << round;
            EXPECT_EQ(back, want) << "sort " << sort << " round " << round;
        }
    }
}

TEST_F(DL_ListTest, NodeHandlesFollowTheirItemsThroughSorts)
{
    DL_List<Item *> list;
    Fill(list);
    DL_Iter<Item *> iter(&list);
    iter.toitem(&items[4]);
    DL_Node<Item *> *handle = iter.node();
    iter.insertionsort(ByKey);
    iter.sortbykey([](Item *item) { return item->tag; });
    iter.tohead();
    iter.tonode(handle);
    EXPECT_EQ(iter.item(), &items[4]);
    EXPECT_EQ(list.rootnode()->_next->_item, &items[0]);
    iter.Attach();
}

TEST_F(DL_ListTest, CocktailSortExchangesItemsAndReportsEachSwap)
{
    DL_List<Item *> list;
    Fill(list);
    DL_Iter<Item *> iter(&list);
    iter.toroot();
    int swaps = 0;
    iter.cocktailsort(ByKey, [&](Item *a, Item *b) {
        // Items of equal keys are never exchanged.
        EXPECT_NE(ByKey(a, b), 0);
        swaps++;
    });
    EXPECT_TRUE(iter.hitroot());
    iter.Attach();
    std::vector<int> keys;
    for (int tag : Tags(list))
        keys.push_back(items[tag].key);
    EXPECT_EQ(keys, (std::vector<int>{1, 1, 3, 3, 4, 5}));
    // Adjacent exchanges only: as many as there were inversions.
    EXPECT_EQ(swaps, 7);
}

// Sorts by pairs of doubles as the sweeps make them, on lists long enough to
// need several merge levels and of changing lengths (the scratch memory is
// kept between sorts), then by integers: equal keys keep list order, and
// -0.0 is equal to 0.0.
TEST_F(DL_ListTest, KeyedSortOfDoublePairsMatchesAStableReference)
{
    struct Point {
        double x, y;
        int tag;
    };
    std::mt19937 random(3);
    const double values[] = {-0.0, 0.0, 1.5, -2.25, 1e300, -1e-300, 7.0};
    for (int n : {3000, 700, 5000, 1}) {
        for (int shape = 0; shape < 2; shape++) {
            std::vector<Point> points(static_cast<size_t>(n));
            for (int i = 0; i < n; i++)
                points[size_t(i)] = {values[random() % 7], values[random() % 7], i};
            auto less = [](const Point &a, const Point &b) {
                return std::pair(a.x, a.y) < std::pair(b.x, b.y);
            };
            // In order but for a head of new items, or shuffled.
            if (shape == 0)
                std::stable_sort(points.begin() + n / 4, points.end(), less);
            std::vector<Point> expected = points;
            std::stable_sort(expected.begin(), expected.end(), less);
            DL_List<Point *> list;
            for (Point &point : points)
                list.insend(&point);
            DL_Iter<Point *> iter(&list);
            iter.sortitemsbykey([](Point *p) { return std::pair<double, double>(p->x, p->y); });
            std::vector<int> tags, want;
            for (iter.tohead(); !iter.hitroot(); iter++)
                tags.push_back(iter.item()->tag);
            for (const Point &point : expected)
                want.push_back(point.tag);
            EXPECT_EQ(tags, want) << "n " << n << " shape " << shape;

            // Integer keys of both signs, many equal.
            auto intKey = [](const Point &p) { return (p.tag * 7919) % 61 - 30; };
            std::stable_sort(expected.begin(), expected.end(),
                             [&](const Point &a, const Point &b) { return intKey(a) < intKey(b); });
            iter.sortitemsbykey([&](Point *p) { return intKey(*p); });
            tags.clear();
            want.clear();
            for (iter.tohead(); !iter.hitroot(); iter++)
                tags.push_back(iter.item()->tag);
            for (const Point &point : expected)
                want.push_back(point.tag);
            EXPECT_EQ(tags, want) << "integer keys, n " << n << " shape " << shape;
        }
    }
    ReleaseSortScratch();
}

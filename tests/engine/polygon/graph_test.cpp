#include <vector>

#include "engine/polygon/engine_operation.h"
#include "polygon_test_support.h"

namespace {

using GraphTest = EngineTest;

std::vector<Link *> LinksOf(Graph *graph)
{
    std::vector<Link *> links;
    DL_Iter<Link *> iter(graph->GetLinkList());
    while (iter.iterate())
        links.push_back(iter.item());
    return links;
}

} // namespace

TEST_F(GraphTest, NewGraphAndDeletionOfSharedNodes)
{
    auto *graph = new Graph;
    EXPECT_EQ(graph->GetReserved(), 0u);
    EXPECT_TRUE(graph->GetLinkList()->empty());
    Node *a = new Node(0, 0), *b = new Node(10, 0);
    graph->AddLink(a, b);
    graph->AddLink(new Link(b, a));
    EXPECT_EQ(a->Links().count(), 2);
    delete graph; // both links and both nodes go (the leak check sees the rest)
}

TEST_F(GraphTest, TakeOverAppendsInOrder)
{
    Graph graph, other, empty;
    AddRing(&graph, Square(0, 0, 1, 1));
    AddRing(&other, {{5, 5}, {6, 6}, {7, 5}});
    const std::vector<Link *> before = LinksOf(&graph);
    const std::vector<Link *> moved = LinksOf(&other);
    graph.TakeOver(&empty);
    EXPECT_EQ(LinksOf(&graph), before);
    graph.TakeOver(&other);
    EXPECT_TRUE(other.GetLinkList()->empty());
    std::vector<Link *> expected = before;
    expected.insert(expected.end(), moved.begin(), moved.end());
    EXPECT_EQ(LinksOf(&graph), expected);
    EXPECT_EQ(ReportOf([&] { graph.TakeOver(&graph); }),
              "DL_Iter<Dtype>::takeover(DL_List*)same list not allowed");
    EXPECT_EQ(graph.GetLinkList()->count(), 7);
}

TEST_F(GraphTest, BulkFlagOperations)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 1, 1));
    graph.SetGroup(3);
    graph.SetNumber(42);
    for (Link *l : LinksOf(&graph)) {
        EXPECT_EQ(l->_group, 1u);
        EXPECT_EQ(l->_graphnum, 42);
    }
    graph.SetGroup(2);
    for (Link *l : LinksOf(&graph))
        EXPECT_EQ(l->_group, 0u);

    Link *first = LinksOf(&graph)[0];
    Node *begin = first->GetBeginNode();
    first->_mark = first->_double = first->_a_left = first->_b_right = first->_union = 1;
    first->_exor = first->_hole = 1;
    graph.ResetMarks();
    EXPECT_EQ(first->FlagWord(), (1u << 1) | (1u << 3) | (1u << 6) | (1u << 8) | (1u << 12));
    graph.Reverse();
    EXPECT_EQ(first->GetEndNode(), begin);
    EXPECT_EQ(first->_a_left, 1u); // flags stay with the old direction
    graph.Reverse();
    EXPECT_EQ(first->GetBeginNode(), begin);
    graph.ResetFlags();
    EXPECT_EQ(first->FlagWord(), 0u);
    EXPECT_EQ(first->_graphnum, 42);
}

TEST_F(GraphTest, OperationFlagsFollowTheInsideFlags)
{
    // Columns: intersection, union, exclusive or, A minus B, B minus A.
    const int table[16][5] = {
        {0, 0, 0, 0, 0}, {0, 1, 1, 0, 1}, {0, 1, 1, 0, 1}, {0, 0, 0, 0, 0}, {0, 1, 1, 1, 0}, {1, 1, 0, 0, 0},
        {0, 0, 0, 1, 1}, {1, 0, 1, 0, 1}, {0, 1, 1, 1, 0}, {0, 0, 0, 1, 1}, {1, 1, 0, 0, 0}, {1, 0, 1, 0, 1},
        {0, 0, 0, 0, 0}, {1, 0, 1, 1, 0}, {1, 0, 1, 1, 0}, {0, 0, 0, 0, 0},
    };
    Graph graph;
    std::vector<Link *> links;
    for (int row = 0; row < 16; row++) {
        Link *link = new Link(new Node(row, 0), new Node(row, 1));
        link->_a_left = (row >> 3) & 1;
        link->_a_right = (row >> 2) & 1;
        link->_b_left = (row >> 1) & 1;
        link->_b_right = row & 1;
        link->_mark = link->_group = 1;
        link->_union = link->_intersect = 1; // overwritten
        graph.AddLink(link);
        links.push_back(link);
    }
    graph.SetOperationFlags();
    for (int row = 0; row < 16; row++) {
        Link *l = links[row];
        EXPECT_EQ(l->_intersect, unsigned(table[row][0])) << row;
        EXPECT_EQ(l->_union, unsigned(table[row][1])) << row;
        EXPECT_EQ(l->_exor, unsigned(table[row][2])) << row;
        EXPECT_EQ(l->_a_minus_b, unsigned(table[row][3])) << row;
        EXPECT_EQ(l->_b_minus_a, unsigned(table[row][4])) << row;
        EXPECT_EQ(l->_mark, 1u);
        EXPECT_EQ(l->_group, 1u);
    }
    // Rows with no operation bit (0, 3, 12, 15) go.
    graph.RemoveInlinks();
    EXPECT_EQ(graph.GetLinkList()->count(), 12);
    for (Link *l : LinksOf(&graph))
        EXPECT_TRUE(l->_union || l->_intersect || l->_exor || l->_a_minus_b || l->_b_minus_a);

    graph.DeleteUnmarkedLinks(OP_A_MINUS_B);
    EXPECT_EQ(graph.GetLinkList()->count(), 6);
    for (Link *l : LinksOf(&graph))
        EXPECT_EQ(l->_a_minus_b, 1u);
    graph.DeleteUnmarkedLinks(5);
    EXPECT_TRUE(graph.GetLinkList()->empty());
}

TEST_F(GraphTest, DeleteUnmarkedLinksKeepsMarkedOnesAndNegativeCodesKeepNone)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 1, 1));
    for (Link *l : LinksOf(&graph))
        l->_union = 1;
    graph.DeleteUnmarkedLinks(OP_UNION);
    EXPECT_EQ(graph.GetLinkList()->count(), 4);
    graph.DeleteUnmarkedLinks(-1);
    EXPECT_TRUE(graph.GetLinkList()->empty());
}

#include <map>
#include <vector>

#include "engine/polygon/scan_beam.h"
#include "polygon_test_support.h"

namespace {

using HoleLinkingTest = EngineTest;

// A hole ring as ring collection leaves it: every link _hole, the top link
// first, running from its right node to its left node.
void AddHole(Graph *graph, double x0, double y0, double x1, double y1)
{
    Graph hole;
    AddRing(&hole, {{x1, y1}, {x0, y1}, {x0, y0}, {x1, y0}});
    DL_Iter<Link *> iter(hole.GetLinkList());
    iter.tohead();
    iter.item()->_top_hole = 1;
    for (; !iter.hitroot(); iter++)
        iter.item()->_hole = 1;
    iter.Attach();
    graph->TakeOver(&hole);
}

// Follows begin -> end from the link at the head; the number of links met
// before the walk comes back, or -1 when a node does not have exactly one
// link leaving it.
int RingLength(Graph *graph)
{
    std::map<Node *, std::vector<Link *>> leaving;
    DL_Iter<Link *> iter(graph->GetLinkList());
    while (iter.iterate())
        leaving[iter.item()->GetBeginNode()].push_back(iter.item());
    iter.tohead();
    Link *start = iter.item();
    iter.Attach();
    int length = 0;
    Link *link = start;
    do {
        const auto &next = leaving[link->GetEndNode()];
        if (next.size() != 1)
            return -1;
        link = next[0];
        length++;
    } while (link != start && length <= graph->GetLinkList()->count());
    return length;
}

} // namespace

TEST_F(HoleLinkingTest, ASquareHoleIsBridgedToTheTopEdge)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 100, 100));
    AddHole(&graph, 40, 40, 60, 60);
    EXPECT_EQ(graph.ScanPass(ScanMode::HOLE_LINKING), 1);

    EXPECT_EQ(graph.GetLinkList()->count(), 11);
    Link *toBridge = FindLink(&graph, 0, 100, 40, 100);
    Link *down = FindLink(&graph, 40, 100, 40, 60);
    Link *up = FindLink(&graph, 40, 60, 40, 100);
    Link *rest = FindLink(&graph, 40, 100, 100, 100);
    ASSERT_TRUE(toBridge && down && up && rest);
    // The coinciding ends stay distinct nodes.
    EXPECT_NE(down->GetBeginNode(), up->GetEndNode());
    EXPECT_NE(down->GetEndNode(), up->GetBeginNode());
    EXPECT_EQ(down->_hole, 0u); // the bridge takes the outer link's hole bit
    // Hole and outer ring are now one ring.
    EXPECT_EQ(RingLength(&graph), 11);
    DL_Iter<Link *> iter(graph.GetLinkList());
    while (iter.iterate())
        EXPECT_EQ(iter.item()->_top_hole, 0u);
}

TEST_F(HoleLinkingTest, TwoHolesUnderOneLinkAreBridgedLeftToRight)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 100, 100));
    AddHole(&graph, 20, 40, 30, 60);
    AddHole(&graph, 60, 30, 70, 50);
    EXPECT_EQ(graph.ScanPass(ScanMode::HOLE_LINKING), 2);
    EXPECT_EQ(graph.GetLinkList()->count(), 4 + 8 + 6);
    EXPECT_NE(FindLink(&graph, 0, 100, 20, 100), nullptr);
    EXPECT_NE(FindLink(&graph, 20, 100, 60, 100), nullptr);
    EXPECT_NE(FindLink(&graph, 60, 100, 100, 100), nullptr);
    EXPECT_NE(FindLink(&graph, 60, 100, 60, 50), nullptr);
    EXPECT_EQ(RingLength(&graph), 18);
}

TEST_F(HoleLinkingTest, AHoleWithNothingAboveIsNotRegistered)
{
    Graph graph;
    AddHole(&graph, 40, 40, 60, 60);
    EXPECT_EQ(graph.ScanPass(ScanMode::HOLE_LINKING), 0);
    EXPECT_EQ(FindLink(&graph, 60, 60, 40, 60)->_top_hole, 1u);
    EXPECT_EQ(graph.GetLinkList()->count(), 4);

    Graph plain;
    AddRing(&plain, Square(0, 0, 100, 100));
    EXPECT_EQ(plain.ScanPass(ScanMode::HOLE_LINKING), 0);
}

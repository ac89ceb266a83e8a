// Graph steps between preparation and result rings: orientation, ring
// collection, splitting, link simplification and the recovery of the
// operation step.
#include "engine/polygon/engine_operation.h"
#include "engine/polygon/graph_list.h"
#include "polygon_test_support.h"

namespace {

using OperationStepTest = EngineTest;

void MarkAll(Graph *graph, int operation)
{
    DL_Iter<Link *> iter(graph->GetLinkList());
    while (iter.iterate()) {
        Link *link = iter.item();
        link->_union = operation == OP_UNION;
        link->_a_right = 1; // inside on the right of a clockwise ring
    }
}

} // namespace

TEST_F(OperationStepTest, MakeClockWiseReversesOnlyACounterClockwiseRing)
{
    Graph graph;
    AddRing(&graph, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(graph.MakeClockWise(), 1);
    EXPECT_NE(FindLink(&graph, 0, 10, 10, 10), nullptr);
    EXPECT_EQ(graph.MakeClockWise(), 0);
    Graph empty;
    EXPECT_EQ(empty.MakeClockWise(), 0);
}

TEST_F(OperationStepTest, SplitGroupsLinksByGraphNumberInOrder)
{
    Graph graph;
    AddRing(&graph, {{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    int numbers[] = {2, 1, 2, 3};
    {
        DL_Iter<Link *> iter(graph.GetLinkList());
        int i = 0;
        while (iter.iterate())
            iter.item()->_graphnum = numbers[i++];
    }
    GraphList out;
    graph.Split(&out);
    ASSERT_EQ(out.count(), 3);
    DL_Iter<Graph *> iter(&out);
    const int counts[] = {1, 2, 1};
    int i = 0;
    while (iter.iterate())
        EXPECT_EQ(iter.item()->GetLinkList()->count(), counts[i++]);
    EXPECT_TRUE(graph.GetLinkList()->empty());
}

TEST_F(OperationStepTest, TwoSquaresTouchingAtACornerBecomeTwoRings)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 10, 10));
    AddRing(&graph, Square(10, 10, 20, 20), 1);
    graph.Prepare();
    GraphList out;
    graph.PerformOperation(OP_UNION, &out);
    ASSERT_EQ(out.count(), 2);
    DL_Iter<Graph *> iter(&out);
    while (iter.iterate()) {
        EXPECT_EQ(iter.item()->GetLinkList()->count(), 4);
        // Each ring owns its nodes: two links at every one.
        for (Node *node : NodesOf(iter.item()))
            EXPECT_EQ(node->Links().count(), 2);
    }
}

TEST_F(OperationStepTest, CombineLinksMergesACollinearChainOnce)
{
    Graph graph;
    AddRing(&graph, {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {7.5, 0}, {5, 0}, {2.5, 0}});
    EXPECT_EQ(graph.CombineLinks(GetEngineParameters().internalGrid), 1);
    EXPECT_EQ(graph.GetLinkList()->count(), 4);
    EXPECT_EQ(graph.CombineLinks(GetEngineParameters().internalGrid), 0);
}

// A ring that cannot be followed (a link of no length at a junction makes
// the turn test fail) ends the collection; the step keeps going without
// those rings and says that its result is partial.
TEST_F(OperationStepTest, AnErrorWhileCollectingGivesAPartialResult)
{
    Graph graph;
    std::vector<Node *> nodes = AddRing(&graph, Square(0, 0, 10, 10));
    Node *twin = new Node(nodes[2]);
    graph.AddLink(nodes[2], twin);
    graph.AddLink(twin, nodes[2]);
    MarkAll(&graph, OP_UNION);
    GraphList out;
    ASSERT_FALSE(PartialResultNoted());
    graph.PerformOperation(OP_UNION, &out);
    EXPECT_TRUE(PartialResultNoted());
    EXPECT_TRUE(out.empty());
}

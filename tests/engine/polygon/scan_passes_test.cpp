#include <algorithm>
#include <string>
#include <vector>

#include "engine/polygon/scan_beam.h"
#include "polygon_test_support.h"

namespace {

using ScanPassTest = EngineTest;

int NodeCount(Graph *graph) { return static_cast<int>(NodesOf(graph).size()); }

int LinkCount(Graph *graph) { return graph->GetLinkList()->count(); }

Node *NodeAt(Graph *graph, double x, double y)
{
    const double scale = GetEngineParameters().InternalScale();
    const LPoint p(x * scale, y * scale);
    Node *found = nullptr;
    for (Node *n : NodesOf(graph))
        if (n->Equal(p, 1.0)) {
            EXPECT_EQ(found, nullptr) << "two nodes at " << x << "," << y;
            found = n;
        }
    return found;
}

// Whether every link is in the lists of both its nodes and every node
// lists only links that use it.
bool Consistent(Graph *graph)
{
    DL_Iter<Link *> iter(graph->GetLinkList());
    while (iter.iterate()) {
        Link *link = iter.item();
        for (Node *n : {link->GetBeginNode(), link->GetEndNode()}) {
            const NodeLinks &at = n->Links();
            if (std::find(at.begin(), at.end(), link) == at.end())
                return false;
            for (Link *other : at)
                if (other->GetBeginNode() != n && other->GetEndNode() != n)
                    return false;
        }
    }
    return true;
}

uint32_t InsideFlags(Link *link) { return (link->FlagWord() >> 3) & 0xF; }
constexpr uint32_t A_LEFT = 1, A_RIGHT = 2, B_LEFT = 4, B_RIGHT = 8;

} // namespace

TEST_F(ScanPassTest, OverlappingSquaresAreSplitAndFlagged)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 10, 10), 0);
    AddRing(&graph, Square(5, 5, 15, 15), 1);
    graph.Intersect();

    // The two crossings become nodes shared by four links each.
    EXPECT_EQ(NodeCount(&graph), 10);
    EXPECT_EQ(LinkCount(&graph), 12);
    ASSERT_TRUE(Consistent(&graph));
    for (auto [x, y] : {MapPoint{10, 5}, MapPoint{5, 10}}) {
        Node *crossing = NodeAt(&graph, x, y);
        ASSERT_NE(crossing, nullptr);
        EXPECT_EQ(crossing->Links().count(), 4);
        const double scale = GetEngineParameters().InternalScale();
        EXPECT_EQ(crossing->GetX(), x * scale);
        EXPECT_EQ(crossing->GetY(), y * scale);
    }
    // Every piece keeps its group.
    Link *topA = FindLink(&graph, 5, 10, 10, 10);
    Link *leftB = FindLink(&graph, 5, 10, 5, 15);
    ASSERT_TRUE(topA && leftB);
    EXPECT_EQ(topA->_group, 0u);
    EXPECT_EQ(leftB->_group, 1u);

    // The node merge uses _double as its own mark.
    graph.ResetMarks();
    graph.ScanPass(ScanMode::GROUP_FLAGS);
    struct Expect {
        double x0, y0, x1, y1;
        uint32_t inside;
    };
    const Expect expected[] = {
        {5, 15, 15, 15, B_RIGHT},                    // B's top edge
        {5, 10, 10, 10, A_RIGHT | B_LEFT | B_RIGHT}, // A's top edge inside B
        {0, 10, 5, 10, A_RIGHT},
        {10, 0, 0, 0, A_RIGHT}, // A's bottom edge runs to smaller x
        {0, 0, 0, 10, A_RIGHT},
        {10, 10, 10, 5, A_RIGHT | B_LEFT | B_RIGHT}, // A's right edge inside B
        {10, 5, 10, 0, A_RIGHT},
        {15, 5, 10, 5, B_RIGHT},
        {10, 5, 5, 5, A_LEFT | A_RIGHT | B_RIGHT},
        {5, 5, 5, 10, A_LEFT | A_RIGHT | B_RIGHT},
    };
    for (const Expect &e : expected) {
        Link *link = FindLink(&graph, e.x0, e.y0, e.x1, e.y1);
        ASSERT_NE(link, nullptr) << e.x0 << "," << e.y0 << " -> " << e.x1 << "," << e.y1;
        EXPECT_EQ(InsideFlags(link), e.inside) << e.x0 << "," << e.y0 << " -> " << e.x1 << "," << e.y1;
        EXPECT_EQ(link->_double, 0u);
    }
}

TEST_F(ScanPassTest, ARingDrawnTheOtherWayHasNoInside)
{
    Graph graph;
    AddRing(&graph, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 0);
    graph.ScanPass(ScanMode::GROUP_FLAGS);
    DL_Iter<Link *> iter(graph.GetLinkList());
    while (iter.iterate())
        EXPECT_EQ(InsideFlags(iter.item()), 0u);
}

TEST_F(ScanPassTest, SharedEdgesAndTouchingCornersGiveOneNode)
{
    struct Case {
        const char *name;
        std::vector<MapPoint> b;
        int nodes, links;
        std::vector<MapPoint> shared;
    };
    const Case cases[] = {
        {"shared edge", Square(10, 0, 20, 10), 6, 8, {{10, 0}, {10, 10}}},
        {"touching corner", Square(10, 10, 20, 20), 7, 8, {{10, 10}}},
        // B's left edge overlaps half of A's right edge: both are split.
        {"partly shared edge", Square(10, 5, 20, 15), 8, 10, {{10, 5}, {10, 10}}},
        // A corner of B on the middle of A's top edge.
        {"corner on an edge", {{5, 10}, {3, 14}, {7, 14}}, 7, 8, {{5, 10}}},
    };
    for (const Case &c : cases) {
        Graph graph;
        AddRing(&graph, Square(0, 0, 10, 10), 0);
        AddRing(&graph, c.b, 1);
        graph.Intersect();
        EXPECT_EQ(NodeCount(&graph), c.nodes) << c.name;
        EXPECT_EQ(LinkCount(&graph), c.links) << c.name;
        EXPECT_TRUE(Consistent(&graph)) << c.name;
        for (auto [x, y] : c.shared) {
            Node *node = NodeAt(&graph, x, y);
            ASSERT_NE(node, nullptr) << c.name;
            EXPECT_EQ(node->Links().count(), 4) << c.name;
        }
    }
}

// Counts the rounds of crossing passes by their first phase report.
struct RoundCounter : EngineStatusHandler {
    int *rounds;
    explicit RoundCounter(int *counter) : rounds(counter) {}
    void Status(const char *text) override
    {
        if (std::string(text) == "Node to Link 0")
            (*rounds)++;
    }
};

TEST_F(ScanPassTest, CrossingsAtOneSpotMergeWithoutAnotherRound)
{
    // A and B share their left edge; C's edges cross it, each once per copy.
    // The two crossings made at each spot merge where they are: nothing moved,
    // so one round of passes is enough.
    int rounds = 0;
    EngineHandlerScope counting(new EngineErrorHandler, new RoundCounter(&rounds));
    Graph graph;
    AddRing(&graph, Square(0, 0, 10, 10), 0);
    AddRing(&graph, Square(0, 0, 10, 10), 1);
    AddRing(&graph, Square(-5, 3, 5, 7), 0);
    graph.Intersect();
    EXPECT_EQ(rounds, 1);
    ASSERT_TRUE(Consistent(&graph));
    for (auto [x, y] : {MapPoint{0, 3}, MapPoint{0, 7}}) {
        Node *crossing = NodeAt(&graph, x, y);
        ASSERT_NE(crossing, nullptr);
        EXPECT_EQ(crossing->Links().count(), 6);
    }
}

TEST_F(ScanPassTest, ASharedEdgeIsFlaggedOnceAsADouble)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 10, 10), 0);
    AddRing(&graph, Square(10, 0, 20, 10), 1);
    graph.Intersect();
    graph.ResetMarks();
    graph.ScanPass(ScanMode::GROUP_FLAGS);
    Link *aRight = FindLink(&graph, 10, 10, 10, 0);
    Link *bLeft = FindLink(&graph, 10, 0, 10, 10);
    ASSERT_TRUE(aRight && bLeft);
    EXPECT_EQ(aRight->_double + bLeft->_double, 1u);
    Link *kept = aRight->_double ? bLeft : aRight;
    // The kept link tells of both regions: A on one side, B on the other.
    const uint32_t inside = InsideFlags(kept);
    EXPECT_TRUE(inside == (A_LEFT | B_RIGHT) || inside == (A_RIGHT | B_LEFT)) << inside;
}

TEST_F(ScanPassTest, ANodeJustAboveALinkSplitsIt)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 10, 10), 0);
    // 0.05 map units above the middle of A's top edge.
    AddRing(&graph, {{5, 10.05}, {4, 14}, {6, 14}}, 1);
    graph.ScanPass(ScanMode::NODE_TO_LINK);
    Node *tip = NodeAt(&graph, 5, 10.05);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->GetY(), 10.05 * 10000);
    Link *first = FindLink(&graph, 0, 10, 5, 10.05);
    Link *second = FindLink(&graph, 5, 10.05, 10, 10);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetEndNode(), tip);
    EXPECT_EQ(second->GetBeginNode(), tip);
    EXPECT_EQ(second->_mark, 1u);
    EXPECT_EQ(tip->Links().count(), 4);
}

TEST_F(ScanPassTest, ANodeBesideAVerticalLinkNeedsTheTurnedPass)
{
    Graph graph;
    AddRing(&graph, Square(0, 0, 10, 10), 0);
    AddRing(&graph, {{10.05, 5}, {14, 6}, {14, 4}}, 1);
    graph.ScanPass(ScanMode::NODE_TO_LINK);
    EXPECT_EQ(LinkCount(&graph), 7);
    graph.Rotate(0);
    graph.ScanPass(ScanMode::NODE_TO_LINK);
    graph.Rotate(1);
    EXPECT_EQ(LinkCount(&graph), 8);
    Node *tip = NodeAt(&graph, 10.05, 5);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->Links().count(), 4);
    // Turning back restores coordinates exactly.
    EXPECT_EQ(tip->GetX(), 10.05 * 10000);
    EXPECT_EQ(NodeAt(&graph, 10, 10)->GetX(), 100000.0);
}

TEST_F(ScanPassTest, CrossedLinksAreSplitIntoMarkedPiecesOfTheirGraph)
{
    Graph graph;
    // A long flat triangle crossed by three thin spikes of B: each of its two
    // long edges is crossed six times.
    std::vector<Node *> a = AddRing(&graph, {{0, 5}, {40, 6}, {40, 4}}, 0);
    graph.SetNumber(7);
    std::vector<Link *> original;
    {
        DL_Iter<Link *> iter(graph.GetLinkList());
        while (iter.iterate())
            original.push_back(iter.item());
    }
    for (double x : {10.0, 20.0, 30.0})
        AddRing(&graph, {{x, 0}, {x + 0.5, 10}, {x + 1, 0}}, 1);
    Link *top = FindLink(&graph, 0, 5, 40, 6);
    ASSERT_NE(top, nullptr);
    graph.ScanPass(ScanMode::LINK_CROSSINGS);

    // The link object stays and runs to the nearest crossing.
    EXPECT_EQ(top->GetBeginNode(), a[0]);
    EXPECT_GT(top->GetEndNode()->GetX(), 100000);
    EXPECT_LT(top->GetEndNode()->GetX(), 110000);
    int groupA = 0, groupB = 0;
    DL_Iter<Link *> iter(graph.GetLinkList());
    while (iter.iterate()) {
        Link *link = iter.item();
        (link->_group ? groupB : groupA)++;
        if (link->_group == 0 && std::find(original.begin(), original.end(), link) == original.end()) {
            EXPECT_EQ(link->_mark, 1u);
            EXPECT_EQ(link->_graphnum, 7);
        }
    }
    iter.Attach();
    EXPECT_EQ(groupA, 3 + 12);
    EXPECT_EQ(groupB, 9 + 12);
    EXPECT_EQ(NodeCount(&graph), 3 + 9 + 12);
    EXPECT_TRUE(Consistent(&graph));
}

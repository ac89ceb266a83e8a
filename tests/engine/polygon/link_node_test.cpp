#include <algorithm>
#include <list>
#include <memory>
#include <random>
#include <vector>

#include "engine/polygon/engine_operation.h"
#include "polygon_test_support.h"

namespace {

using LinkTest = EngineTest;
using NodeTest = EngineTest;

int CountLinks(Node *node) { return node->Links().count(); }

std::vector<Link *> LinksOf(const NodeLinks &links)
{
    return std::vector<Link *>(links.begin(), links.end());
}

std::vector<Link *> LinksOf(Node *node) { return LinksOf(node->Links()); }

} // namespace

TEST_F(LinkTest, BelowIsOutsideReadsTheFlagsBelowTheLink)
{
    Node *a = new Node(0, 0), *b = new Node(10, 0);
    auto toRight = std::make_unique<Link>(a, b);
    toRight->_a_right = 1;
    const int ops[] = {OP_INTERSECTION, OP_UNION, OP_EXCLUSIVE_OR, OP_A_MINUS_B, OP_B_MINUS_A, 7};
    const bool expectRight[] = {true, false, false, false, true, false};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(toRight->BelowIsOutside(ops[i]), expectRight[i]) << ops[i];

    // Running to smaller x (or vertical) the left flags are read: all clear.
    Node *c = new Node(10, 5), *d = new Node(0, 5);
    auto toLeft = std::make_unique<Link>(c, d);
    toLeft->_a_right = 1;
    Node *e = new Node(3, 0), *f = new Node(3, 9);
    auto vertical = std::make_unique<Link>(e, f);
    vertical->_a_right = vertical->_b_right = 1;
    for (int i = 0; i < 5; i++) {
        EXPECT_TRUE(toLeft->BelowIsOutside(ops[i]));
        EXPECT_TRUE(vertical->BelowIsOutside(ops[i]));
    }
    // A and B inside below: only intersection keeps the region.
    toLeft->_a_left = toLeft->_b_left = 1;
    const bool expectBoth[] = {false, false, true, true, true};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(toLeft->BelowIsOutside(ops[i]), expectBoth[i]);
}

TEST_F(LinkTest, NodeBookkeepingOfConstructionAndDetach)
{
    Node *a = new Node(0, 0), *b = new Node(10, 0), *c = new Node(10, 10);
    Link *ab = new Link(7, a, b);
    Link *bc = new Link(b, c);
    EXPECT_EQ(ab->_graphnum, 7);
    EXPECT_EQ(bc->_graphnum, 0);
    EXPECT_EQ(ab->FlagWord(), 0u);
    EXPECT_EQ(CountLinks(b), 2);
    EXPECT_EQ(ab->GetLowNode(), b); // equal y: the end node
    EXPECT_EQ(ab->GetHighNode(), b);
    EXPECT_EQ(bc->GetLowNode(), b);
    EXPECT_EQ(ab->NextAt(b), bc);
    bc->Redirect(c);
    EXPECT_EQ(bc->GetBeginNode(), c);

    ab->_mark = ab->_group = ab->_exor = 1;
    EXPECT_EQ(ab->FlagWord(), (1u << 0) | (1u << 12) | (1u << 13));
    ab->ResetFlags();
    EXPECT_EQ(ab->FlagWord(), 0u);
    EXPECT_EQ(ab->_graphnum, 7);

    // a goes with ab; b stays for bc.
    delete ab;
    EXPECT_EQ(CountLinks(b), 1);
    EXPECT_EQ(bc->NextAt(b), bc);
    Node *d = new Node(20, 20);
    bc->ReplaceNode(c, d); // c is left without links but not deleted
    EXPECT_EQ(bc->GetBeginNode(), d);
    EXPECT_EQ(CountLinks(c), 0);
    delete c;
    delete bc; // both nodes go
}

TEST_F(LinkTest, SideOfAndTurnOrderTable)
{
    // Links meeting the link (0,0)-(10,0) at its end node (10,0).
    Node *o = new Node(0, 0), *m = new Node(10, 0);
    auto base = std::make_unique<Link>(o, m);
    Node *up = new Node(10, 5), *down = new Node(10, -5), *ahead = new Node(20, 0);
    auto toUp = std::make_unique<Link>(m, up);
    auto toDown = std::make_unique<Link>(m, down);
    auto toAhead = std::make_unique<Link>(m, ahead);
    using enum LinkSide;
    // Seen from (10,0) back along the link: up lies right, down left.
    EXPECT_EQ(base->SideOf(toUp.get()), RIGHT);
    EXPECT_EQ(base->SideOf(toDown.get()), LEFT);
    EXPECT_EQ(base->SideOf(toAhead.get()), ON);
    // Seen from the begin node the sides are the plain ones.
    Node *below = new Node(0, -5);
    auto fromBegin = std::make_unique<Link>(o, below);
    EXPECT_EQ(base->SideOf(fromBegin.get()), RIGHT);

    struct Case {
        Link *l1, *l2;
        LinkSide order;
    };
    const Case cases[] = {
        {toUp.get(), toDown.get(), LEFT},    {toDown.get(), toUp.get(), RIGHT},
        {toUp.get(), toAhead.get(), LEFT},   {toAhead.get(), toUp.get(), RIGHT},
        {toAhead.get(), toDown.get(), LEFT}, {toDown.get(), toAhead.get(), RIGHT},
    };
    for (const Case &c : cases)
        EXPECT_EQ(base->TurnOrder(c.l1, c.l2), c.order);
}

TEST_F(NodeTest, MostTurningLinkChoosesByDirectionAndFallsBack)
{
    Node *o = new Node(0, 0), *m = new Node(10, 0);
    Link *from = new Link(o, m);
    Node *up = new Node(10, 5), *down = new Node(10, -5), *ahead = new Node(20, 0);
    Link *toUp = new Link(m, up);
    // Two links: the other one, whatever the direction; none when marked.
    EXPECT_EQ(m->MostTurningLink(from, LinkSide::LEFT), toUp);
    EXPECT_EQ(m->MostTurningLink(from, LinkSide::RIGHT), toUp);
    toUp->_mark = 1;
    EXPECT_EQ(m->MostTurningLink(from, LinkSide::RIGHT), nullptr);
    toUp->_mark = 0;

    Link *toDown = new Link(m, down);
    Link *toAhead = new Link(m, ahead);
    EXPECT_EQ(m->MostTurningLink(from, LinkSide::LEFT), toDown);
    EXPECT_EQ(m->MostTurningLink(from, LinkSide::RIGHT), toUp);
    // Links back to where the walk came from are only a fallback.
    toUp->_mark = toDown->_mark = toAhead->_mark = 1;
    Link *back1 = new Link(m, o);
    Link *back2 = new Link(o, m);
    Link *fallback = m->MostTurningLink(from, LinkSide::LEFT);
    EXPECT_TRUE(fallback == back1 || fallback == back2);
    back1->_mark = back2->_mark = 1;
    EXPECT_EQ(m->MostTurningLink(from, LinkSide::LEFT), nullptr);
    for (Link *l : {from, toUp, toDown, toAhead, back1, back2})
        delete l;
}

TEST_F(NodeTest, FlattestSteepestAndContinuingLinks)
{
    Node *n = new Node(0, 0);
    Link *vertical = new Link(n, new Node(0, 10));
    Link *downward = new Link(n, new Node(0, -10));
    Link *flat = new Link(new Node(-10, 0), n);
    Link *slope1 = new Link(n, new Node(10, 10));
    Link *slope1b = new Link(n, new Node(5, 5));
    EXPECT_EQ(n->FlattestLink(), flat);
    flat->_mark = 1;
    // Equal keys: the one nearer the list head (the newest link) wins.
    EXPECT_EQ(n->FlattestLink(), slope1b);
    EXPECT_EQ(n->SteepestLink(0), vertical);
    EXPECT_EQ(n->SteepestLink(1), flat);
    vertical->_mark = slope1->_mark = slope1b->_mark = 1;
    EXPECT_EQ(n->SteepestLink(0), downward);
    downward->_mark = 1;
    EXPECT_EQ(n->FlattestLink(), nullptr);

    // ContinuingLink follows a chain and ignores other graphs and marks.
    Node *a = new Node(0, 100), *b = new Node(10, 100), *c = new Node(20, 100);
    Link *ab = new Link(1, a, b);
    Link *bcOther = new Link(2, b, c);
    EXPECT_EQ(b->ContinuingLink(ab), nullptr);
    Link *bc = new Link(1, b, c);
    EXPECT_EQ(b->ContinuingLink(ab), bc);
    EXPECT_EQ(b->ContinuingLink(bc), ab);
    bc->_mark = 1;
    EXPECT_EQ(b->ContinuingLink(ab), nullptr);
    for (Link *l : {vertical, downward, flat, slope1, slope1b, ab, bcOther, bc})
        delete l;
}

TEST_F(NodeTest, LinksBySteepnessGivesTheOrderOfRepeatedSteepestLink)
{
    // Vertical both ways, equal slopes (ties keep list order), marked links.
    Node *n = new Node(0, 0);
    std::vector<Link *> links;
    for (auto [x, y] : std::vector<MapPoint>{
             {0, 10}, {10, 10}, {0, -10}, {-10, 0}, {5, 5}, {10, -3}, {-4, -4}, {20, 20}, {10, 0}, {0, 5}})
        links.push_back(new Link(n, new Node(x, y)));
    links[3]->_mark = 1;
    links[6]->_mark = 1;
    for (int mark : {0, 1}) {
        std::vector<Link *> ordered;
        n->LinksBySteepness(mark, &ordered);
        std::vector<Link *> expected;
        std::vector<Link *> flipped;
        while (Link *link = n->SteepestLink(mark)) {
            expected.push_back(link);
            link->_mark = !mark;
            flipped.push_back(link);
        }
        for (Link *link : flipped)
            link->_mark = mark;
        EXPECT_EQ(ordered, expected) << "mark " << mark;
        EXPECT_EQ(ordered.size(), mark ? 2u : 8u);
        EXPECT_TRUE(n->HasLinkMarked(mark));
    }
    for (Link *link : links)
        link->_mark = 0;
    EXPECT_FALSE(n->HasLinkMarked(1));
    for (Link *link : links)
        delete link;
}

TEST_F(NodeTest, OnLineWithTable)
{
    struct Case {
        double ax, ay, nx, ny, bx, by;
        bool expected;
    };
    const Case cases[] = {
        {0, 0, 50, 50, 0.5, 0.5, true},                                // a equals b within marge
        {0, 0, 0.5, -0.5, 50, 50, true},                               // a equals this node
        {0, 0, 5, 5, 10, 10, true},                                    // on the segment
        {0, 0, 20, 20, 10, 10, true},                                  // beyond b on the line
        {0, 0, 5, 7, 10, 10, false},     {0, 0, 10, 10, 10, 10, true}, // b on this node: no line to make
        {0, 0, 10.5, 10, 10, 10, true},                                // b within marge of this node
    };
    for (const Case &c : cases) {
        Node node(c.nx, c.ny);
        const LPoint a(c.ax, c.ay), b(c.bx, c.by);
        EXPECT_EQ(node.OnLineWith(&a, &b, 1.0), c.expected) << c.nx << "," << c.ny;
    }
}

TEST_F(NodeTest, AbsorbAndDetach)
{
    Node *keep = new Node(0, 0), *other = new Node(0.5, 0), *far = new Node(10, 0);
    Link *toFar = new Link(other, far);
    Link *between = new Link(other, keep);
    keep->AbsorbNode(keep);
    EXPECT_EQ(CountLinks(keep), 1);
    keep->AbsorbNode(other);        // other is deleted
    EXPECT_EQ(CountLinks(keep), 3); // between twice: it now runs keep -> keep
    // keep's own first, then other's in their order (newest first).
    EXPECT_EQ(LinksOf(keep), (std::vector<Link *>{between, between, toFar}));
    EXPECT_EQ(toFar->GetBeginNode(), keep);
    EXPECT_EQ(between->GetBeginNode(), keep);
    EXPECT_EQ(between->GetEndNode(), keep);

    Link stray; // not in the list
    keep->DetachLink(&stray);
    EXPECT_EQ(CountLinks(keep), 3);
    delete between;
    EXPECT_EQ(CountLinks(keep), 1);
    delete toFar;
}

TEST_F(NodeTest, AnErrorInAWalkLeavesTheNodesLinksIntact)
{
    Node *m = new Node(10, 0);
    Link *from = new Link(new Node(0, 0), m);
    // Newest first in the node's list: the zero-length link is met first and
    // its line is needed when the next candidate is weighed against it.
    Link *up = new Link(m, new Node(10, 5));
    Link *zero = new Link(m, new Node(10, 0));
    EXPECT_EQ(ReportOf([&] { m->MostTurningLink(from, LinkSide::LEFT); }), "length = 0");
    EXPECT_EQ(LinksOf(m), (std::vector<Link *>{zero, up, from}));
    EXPECT_NE(m->FlattestLink(), nullptr);
    for (Link *l : {from, zero, up})
        delete l;
}

// The walks and the ties between links depend on the order of a node's
// links: newest first, removal keeps the others' order, absorbed links go
// behind in their order. Checked against a list doing just that, through
// counts that leave the inline room and come back, with repeats (a link
// from a node to itself is there twice).
TEST(NodeLinksTest, KeepsTheOrderOfAListThroughEveryOperation)
{
    Link pool[24];
    std::mt19937 random(5);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (int round = 0; round < 200; round++) {
        NodeLinks links, other;
        std::list<Link *> model, otherModel;
        for (int step = 0; step < 60; step++) {
            const size_t op = pick(8);
            Link *link = &pool[pick(24)];
            if (op < 4) {
                links.AddFront(link);
                model.push_front(link);
            } else if (op < 6) {
                // Mostly a link that is there, its first occurrence goes.
                if (!model.empty() && op == 4)
                    link = *std::next(model.begin(), static_cast<long>(pick(model.size())));
                auto at = std::find(model.begin(), model.end(), link);
                EXPECT_EQ(links.Remove(link), at != model.end());
                if (at != model.end())
                    model.erase(at);
            } else if (op == 6) {
                other.AddFront(link);
                otherModel.push_front(link);
            } else if (pick(4) == 0) {
                links.TakeOver(&other);
                model.splice(model.end(), otherModel);
                EXPECT_TRUE(other.empty());
            }
            ASSERT_EQ(LinksOf(links), std::vector<Link *>(model.begin(), model.end()))
                << "round " << round << " step " << step;
            ASSERT_EQ(links.count(), static_cast<int>(model.size()));
            if (!model.empty()) {
                EXPECT_EQ(links.first(), model.front());
                EXPECT_EQ(links.last(), model.back());
            }
        }
    }
}

TEST(NodeLinksTest, TakeOverBeyondTheInlineRoomOfBoth)
{
    Link pool[20];
    NodeLinks links, other;
    std::vector<Link *> expected;
    for (int i = 9; i >= 0; i--)
        links.AddFront(&pool[i]);
    for (int i = 19; i >= 10; i--)
        other.AddFront(&pool[i]);
    links.TakeOver(&other);
    for (Link &link : pool)
        expected.push_back(&link);
    EXPECT_EQ(LinksOf(links), expected);
    other.TakeOver(&links); // into an empty one
    EXPECT_EQ(LinksOf(other), expected);
    EXPECT_TRUE(links.empty());
    other.TakeOver(&links); // from an empty one: nothing
    EXPECT_EQ(LinksOf(other), expected);
    EXPECT_TRUE(other.Remove(&pool[0]));
    EXPECT_TRUE(other.Remove(&pool[19]));
    EXPECT_FALSE(other.Remove(&pool[19]));
    EXPECT_EQ(LinksOf(other), std::vector<Link *>(expected.begin() + 1, expected.end() - 1));
}

TEST(NodeLinksTest, EndsOfANodeWithoutLinksAreAnEngineError)
{
    EngineHandlerScope handlers;
    NodeLinks links;
    EXPECT_THROW(links.first(), GDS_Error);
    EXPECT_THROW(links.last(), GDS_Error);
    Link link;
    links.AddFront(&link);
    EXPECT_TRUE(links.Remove(&link));
    EXPECT_THROW(links.first(), GDS_Error);
}

#include <cmath>
#include <memory>
#include <vector>

#include "engine/polygon/line.h"
#include "polygon_test_support.h"

namespace {

// A free-standing link; deleting it deletes its two nodes.
std::unique_ptr<Link> MakeLink(double x0, double y0, double x1, double y1)
{
    return std::make_unique<Link>(new Node(x0, y0), new Node(x1, y1));
}

// 2^31 map units in internal units (10000 per map unit).
constexpr double kFar = 2147483648.0 * 10000.0;

using PointPrimitivesTest = EngineTest;
using LinePrimitivesTest = EngineTest;

} // namespace

TEST_F(PointPrimitivesTest, EqualIsASquareAndShorterThanACircle)
{
    const LPoint origin;
    EXPECT_TRUE(origin.Equal(LPoint(0.1, -0.1), 0.1));
    EXPECT_FALSE(origin.Equal(LPoint(0.1000001, 0), 0.1));
    EXPECT_FALSE(origin.ShorterThan(LPoint(0.08, 0.08), 0.1));
    EXPECT_TRUE(origin.ShorterThan(LPoint(0.06, 0.08), 0.1));
    EXPECT_EQ(DoubleAbs(-2.5), 2.5);

    const LPoint copy(&origin);
    EXPECT_EQ(copy.GetX(), 0.0);
    try {
        LPoint bad(static_cast<const LPoint *>(nullptr));
        FAIL();
    } catch (const GDS_Error &error) {
        EXPECT_STREQ(error.GetMessage(),
                     "Cannot copy a NULL Point Object.\n\nCould not create a LPoint Object.");
        EXPECT_STREQ(error.GetHeader(), "Fatal Creation Error");
        EXPECT_EQ(error.GetDegree(), 0);
        EXPECT_EQ(error.GetFatal(), 1);
    }
}

TEST_F(LinePrimitivesTest, SideAndDistanceTable)
{
    using enum PointStatus;
    struct Case {
        double x0, y0, x1, y1; // the link
        double px, py, marge;
        PointStatus onLine, inLine;
        double distance;
    };
    const double r2 = std::sqrt(2.0);
    const Case cases[] = {
        {0, 0, 10, 0, 5, 3, 0.001, LEFT_SIDE, LEFT_SIDE, -3},
        {0, 0, 10, 0, 5, -3, 0.001, RIGHT_SIDE, RIGHT_SIDE, 3},
        {0, 0, 10, 0, 5, 0.0005, 0.001, ON_LINE, IN_LINK, -0.0005},
        // collinear beyond the end: on the line, not in the link
        {0, 0, 10, 0, 20, 0, 1, ON_LINE, ON_LINE, 0},
        // just past the end but within the widened box
        {0, 0, 10, 0, 10.5, 0, 1, ON_LINE, IN_LINK, 0},
        // touching the end node
        {0, 0, 10, 0, 10, 0, 0.001, ON_LINE, IN_LINK, 0},
        // the same link run backwards swaps the sides
        {10, 0, 0, 0, 5, 3, 0.001, RIGHT_SIDE, RIGHT_SIDE, 3},
        {0, 0, 10, 10, 0, 10, 0.001, LEFT_SIDE, LEFT_SIDE, -10 / r2},
        {0, 0, 0, 10, 1, 5, 0.001, RIGHT_SIDE, RIGHT_SIDE, 1},
        // coordinates near +-2^31 map units
        {-kFar, -kFar, kFar, kFar, kFar, -kFar, 0.001, RIGHT_SIDE, RIGHT_SIDE, 2 * kFar / r2},
        {-kFar, -kFar, kFar, kFar, kFar, kFar, 0.001, ON_LINE, IN_LINK, 0},
        {-kFar, kFar, kFar, kFar, 0, kFar + 1, 0.001, LEFT_SIDE, LEFT_SIDE, -1},
    };
    for (const Case &c : cases) {
        auto link = MakeLink(c.x0, c.y0, c.x1, c.y1);
        Line line(link.get());
        const LPoint p(c.px, c.py);
        double d = 99;
        EXPECT_EQ(line.PointOnLine(&p, d, c.marge), c.onLine) << c.px << "," << c.py;
        EXPECT_NEAR(d, c.distance, std::abs(c.distance) * 1e-12 + 1e-9);
        EXPECT_EQ(line.PointInLine(&p, d, c.marge), c.inLine) << c.px << "," << c.py;
    }
}

TEST_F(LinePrimitivesTest, ParametersAndYOnTheLine)
{
    auto flat = MakeLink(0, 7, 10, 7);
    Line horizontal(flat.get());
    EXPECT_EQ(horizontal.Calculate_Y(3), 7.0);
    EXPECT_EQ(horizontal.Calculate_Y_from_X(3), 7.0); // no 0.5 on a horizontal link
    EXPECT_EQ(horizontal.GetA(), 0.0);
    EXPECT_EQ(horizontal.GetB(), -1.0);

    auto sloped = MakeLink(0, 0, 10, 5);
    Line line(sloped.get());
    EXPECT_DOUBLE_EQ(line.Calculate_Y(4), 2.0);
    EXPECT_DOUBLE_EQ(line.Calculate_Y_from_X(4), 2.5);

    auto runningRight = MakeLink(0, 0, 10, 0);
    Line right(runningRight.get());
    right.CalculateLineParameters();
    LPoint p(5, 0);
    right.Virtual_Point(&p, 2);
    EXPECT_EQ(p.GetY(), 2.0); // to the left of a link running in +x: up
    right.Virtual_Point(&p, -4);
    EXPECT_EQ(p.GetY(), -2.0);

    auto zero = MakeLink(3, 3, 3, 3);
    Line degenerate(zero.get());
    EXPECT_EQ(ReportOf([&] { degenerate.CalculateLineParameters(); }), "length = 0");
}

TEST_F(LinePrimitivesTest, IntersectionTable)
{
    struct Case {
        double a[4], b[4];
        bool crosses;
        double x, y;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {0, 10, 10, 0}, true, 5, 5},
        // touching at a shared end
        {{0, 0, 10, 10}, {10, 10, 20, 0}, true, 10, 10},
        // parallel and collinear: no intersection
        {{0, 0, 10, 0}, {0, 5, 10, 5}, false, 0, 0},
        {{0, 0, 10, 0}, {5, 0, 20, 0}, false, 0, 0},
        // nearly parallel: far away, but found
        {{0, 0, 10000, 0}, {0, 1, 10000, 1.000001}, true, -1e10, 0},
        // the diagonals of a square of half-width 2^31 map units
        {{-kFar, -kFar, kFar, kFar}, {-kFar, kFar, kFar, -kFar}, true, 0, 0},
        {{-kFar, 0, kFar, 0}, {kFar - 10, -kFar, kFar - 10, kFar}, true, kFar - 10, 0},
    };
    for (const Case &c : cases) {
        auto la = MakeLink(c.a[0], c.a[1], c.a[2], c.a[3]);
        auto lb = MakeLink(c.b[0], c.b[1], c.b[2], c.b[3]);
        Line a(la.get()), b(lb.get());
        a.CalculateLineParameters();
        b.CalculateLineParameters();
        LPoint result(-1, -1);
        ASSERT_EQ(a.TryIntersectionPoint(&result, &b), c.crosses ? 1 : 0);
        if (!c.crosses) {
            EXPECT_EQ(result.GetX(), -1.0); // untouched
            EXPECT_EQ(ReportOf([&] { a.IntersectionPoint(&result, &b); }), "colliniar lines");
            continue;
        }
        const double slack = 1e-6 * (std::abs(c.x) + std::abs(c.y)) + 1e-6;
        EXPECT_NEAR(result.GetX(), c.x, slack);
        EXPECT_NEAR(result.GetY(), c.y, slack);
    }
}

// Past a few crossings the check against doubles goes through an index; it
// must still refuse every node already held, also after nodes were taken.
TEST_F(LinePrimitivesTest, LongCrossingListsStayDistinct)
{
    auto link = MakeLink(0, 0, 100, 0);
    Line line(link.get());
    std::vector<std::unique_ptr<Node>> nodes;
    for (int i = 1; i < 40; i++)
        nodes.push_back(std::make_unique<Node>(double(i), 0.0));
    for (int pass = 0; pass < 3; pass++)
        for (auto &node : nodes)
            line.AddCrossing(node.get());
    ASSERT_EQ(line.GetCrossings()->count(), 39);
    for (int i = 0; i < 20; i++)
        line.GetCrossings()->removehead();
    for (auto &node : nodes)
        line.AddCrossing(node.get());
    EXPECT_EQ(line.GetCrossings()->count(), 39);
    line.AddCrossing(link->GetBeginNode());
    EXPECT_EQ(line.GetCrossings()->count(), 39);
}

TEST_F(LinePrimitivesTest, CrossingListsHoldDistinctForeignNodes)
{
    auto la = MakeLink(0, 0, 10, 10);
    auto lb = MakeLink(0, 10, 10, 0);
    Line a(la.get()), b(lb.get());
    a.CalculateLineParameters();
    b.CalculateLineParameters();
    a.AddCrossing(la->GetEndNode());
    EXPECT_EQ(a.GetCrossings(), nullptr);
    EXPECT_TRUE(a.CrossingsEmpty());

    Node *crossing = a.Intersect(&b);
    EXPECT_EQ(crossing->GetX(), 5.0);
    EXPECT_EQ(crossing->GetY(), 5.0);
    a.AddCrossing(crossing);
    ASSERT_EQ(a.GetCrossings()->count(), 1);
    ASSERT_EQ(b.GetCrossings()->count(), 1);
    DL_Iter<Node *> ia(a.GetCrossings()), ib(b.GetCrossings());
    ia.tohead();
    ib.tohead();
    EXPECT_EQ(ia.item(), crossing);
    EXPECT_EQ(ib.item(), crossing);
    ia.Attach();
    ib.Attach();
    delete crossing; // no link took it; the lines do not own it
}

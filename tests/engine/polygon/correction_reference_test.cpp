// Correction and ring making against GEOS's buffer with round joins, and
// the graph steps they are made of.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph_list.h"
#include "engine/polygon/line.h"
#include "geos_reference.h"
#include "polygon_test_support.h"

namespace {

// The largest gap between an arc and its chords as the arc builder makes
// them: segments of at most 2 acos((r - d) / r), but never more than six
// segments per arc, so that a turn of angle t may deviate by up to
// r (1 - cos(t / 12)).
double ArcDeviationBound(double radius, double deviation, double largestTurn)
{
    return std::max(deviation, radius * (1 - std::cos(largestTurn / 12)));
}

struct CorrectionCase {
    const char *name;
    IntRing ring;
    double distance;
    double largestTurn; // largest outer turn of the ring, radians
};

class CorrectionReferenceTest : public ::testing::TestWithParam<CorrectionCase> {};

} // namespace

TEST_P(CorrectionReferenceTest, GrownRingStaysWithinTheArcDeviationOfTheBuffer)
{
    const CorrectionCase &c = GetParam();
    const EngineParameters saved = GetEngineParameters();
    GetEngineParameters().correctionDistance = c.distance;
    PlgSet a({c.ring});
    PlgOpStatus status;
    PlgOpResult *result = main_polygon_logical(a.get(), nullptr, PLG_CORRECTION, &status);
    GetEngineParameters() = saved;
    ASSERT_EQ(status, PLG_OP_OK);
    const RingSet ours = RingsOf(result);
    DeletePlgOpResult(result);
    ASSERT_FALSE(ours.empty());

    Geos geos;
    GeosGeometry input(geos, geos.Region({c.ring}));
    GEOSBufferParams *params = GEOSBufferParams_create_r(geos.ctx());
    GEOSBufferParams_setQuadrantSegments_r(geos.ctx(), params, 256);
    GEOSBufferParams_setJoinStyle_r(geos.ctx(), params, GEOSBUF_JOIN_ROUND);
    GeosGeometry expected(geos, GEOSBufferWithParams_r(geos.ctx(), input.g, params, c.distance));
    GEOSBufferParams_destroy_r(geos.ctx(), params);
    GeosGeometry actual(geos, geos.Region(ours));
    // Chords inside the arcs, plus rounding the result to whole map units.
    const double bound =
        ArcDeviationBound(std::fabs(c.distance), saved.correctionDeviation, c.largestTurn) + 0.75;
    EXPECT_LE(geos.Hausdorff(actual.g, expected.g), bound) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rings, CorrectionReferenceTest,
    ::testing::Values(
        CorrectionCase{"SquareGrown", {{0, 0}, {0, 100}, {100, 100}, {100, 0}}, 20, M_PI / 2},
        CorrectionCase{
            "LShapeGrown", {{0, 0}, {0, 200}, {100, 200}, {100, 100}, {200, 100}, {200, 0}}, 30, M_PI / 2},
        CorrectionCase{"TriangleGrown", {{0, 0}, {100, 300}, {200, 0}}, 15, 2.5},
        CorrectionCase{"SquareShrunk", {{0, 0}, {0, 100}, {100, 100}, {100, 0}}, -20, M_PI / 2},
        CorrectionCase{"DefaultDistance", {{0, 0}, {0, 1000}, {1000, 1000}, {1000, 0}}, 500, M_PI / 2}),
    [](const ::testing::TestParamInfo<CorrectionCase> &info) { return std::string(info.param.name); });

using RingGraphTest = EngineTest;

// The link from (x0, y0) to (x1, y1) in internal units, or null.
Link *FindLinkAt(Graph *graph, double x0, double y0, double x1, double y1)
{
    DL_Iter<Link *> iter(graph->GetLinkList());
    while (iter.iterate()) {
        Link *link = iter.item();
        if (link->GetBeginNode()->Equal(LPoint(x0, y0), 1e-9) &&
            link->GetEndNode()->Equal(LPoint(x1, y1), 1e-9))
            return link;
    }
    return nullptr;
}

TEST_F(RingGraphTest, ArcSegmentsFollowTheDeviationUpToSix)
{
    struct Case {
        double from, to; // angles
        int clockwise;
        double deviation;
        int links;
    } cases[] = {
        {0, M_PI / 2, 0, 1, 2}, // a quarter turn at radius 10: 2 segments
        {0, M_PI, 0, 1, 4},     // a half turn: 4
        {0.1, 6.0, 1, 1, 1},    // clockwise the short way: 0.38, one segment
        {0, M_PI / 2, 0, 0, 1}, // no deviation allowed: one link
        {0, 6.0, 0, 0.01, 6},   // far more wanted than six: six
    };
    for (const Case &c : cases) {
        Graph graph;
        Node *centre = new Node(0.0, 0.0);
        Node *from = new Node(10 * std::cos(c.from), 10 * std::sin(c.from));
        Node *to = new Node(10 * std::cos(c.to), 10 * std::sin(c.to));
        graph.CreateArc(centre, from, to, 10, c.clockwise, c.deviation);
        EXPECT_EQ(graph.GetLinkList()->count(), c.links) << c.from << " " << c.to;
        for (Node *n : NodesOf(&graph))
            EXPECT_NEAR(std::hypot(n->GetX(), n->GetY()), 10, 1e-9);
        delete centre;
    }
}

TEST_F(RingGraphTest, CorrectionRestoresThePointTolerance)
{
    for (double factor : {50000.0, 50.0, 200000.0, -50000.0}) {
        Graph graph;
        AddRing(&graph, Square(0, 0, 100, 100));
        GraphList result;
        const double before = GetEngineParameters().pointTolerance;
        EXPECT_EQ(ReportOf([&] { graph.Correction(&result, factor); }), "") << factor;
        EXPECT_EQ(GetEngineParameters().pointTolerance, before);
        EXPECT_FALSE(result.empty()) << factor;
    }
}

TEST_F(RingGraphTest, ARightAngleTurningLeftIsCutInsideAndArcedOutside)
{
    Graph chain;
    Node *a = new Node(0.0, 0.0), *b = new Node(10.0, 0.0), *c = new Node(10.0, 10.0);
    Link *first = new Link(0, a, b), *second = new Link(0, b, c);
    chain.AddLink(first);
    chain.AddLink(second);
    Line l1(first), l2(second);
    l1.CalculateLineParameters();
    l2.CalculateLineParameters();
    Graph band;
    Node *left = new Node(0.0, 1.0), *right = new Node(0.0, -1.0);
    band.AddLink(left, right); // the start cap, so the running nodes have a link
    ASSERT_EQ(l1.OffsetCorner(&l2, &left, &right, 1.0, &band), 1);
    EXPECT_TRUE(left->Equal(LPoint(9, 1), 1e-9));
    EXPECT_TRUE(right->Equal(LPoint(11, 0), 1e-9));
    EXPECT_NE(FindLinkAt(&band, 0, -1, 10, -1), nullptr);
}

#include "editor/shell/geometry/edges.h"
#include "editor/shell/geometry/geometry_numbers.h"
#include "tests/editor/shell/geometry/geos_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

TEST(EdgeTest, SideIntersectionAndAngle)
{
    const TEdge e({0, 0}, {100, 0});
    EXPECT_EQ(e.Side({50, 1}), 1);
    EXPECT_EQ(e.Side({50, -1}), -1);
    EXPECT_EQ(e.Side({500, 0}), 0);
    EXPECT_EQ(e.Min, TPoint(0, 0));
    EXPECT_EQ(TEdge({5, 9}, {-3, 2}).Min, TPoint(-3, 2));
    EXPECT_EQ(TEdge({5, 9}, {-3, 2}).Max, TPoint(5, 9));
    EXPECT_EQ(e.Chain, -1);

    const std::optional<TPoint> x = e.Intersection(TEdge({30, 10}, {31, 20}));
    ASSERT_TRUE(x.has_value());
    EXPECT_EQ(*x, TPoint(29, 0));
    EXPECT_FALSE(e.Intersection(TEdge({0, 5}, {100, 5})).has_value());
    // Wide products: lines across the whole coordinate range.
    const int32_t big = 2000000000;
    const std::optional<TPoint> far =
        TEdge({-big, -big}, {big, big}).Intersection(TEdge({-big, big}, {big, -big}));
    ASSERT_TRUE(far.has_value());
    EXPECT_EQ(*far, TPoint(0, 0));
    EXPECT_THROW(TEdge({0, 0}, {1, 0}).Intersection(TEdge({0, 10}, {1000000000, 11})), EGeometryOverflow)
        << "the lines cross far outside 32 bits";

    EXPECT_DOUBLE_EQ(TEdge({0, 0}, {0, 10}).Angle(), M_PI / 2);
    EXPECT_DOUBLE_EQ(TEdge({0, 0}, {0, -10}).Angle(), -M_PI / 2);
    EXPECT_DOUBLE_EQ(TEdge({0, 0}, {-10, 0}).Angle(), M_PI);
    EXPECT_TRUE(TEdge({0, 0}, {0, 0}).IsSteep());
    EXPECT_TRUE(TEdge({0, 0}, {0, 5}).IsSteep());
    EXPECT_FALSE(TEdge({0, 0}, {1, 5}).IsSteep());
}

TEST(EdgeTest, CrossesTable)
{
    const TEdge e({0, 0}, {100, 100});
    struct Case {
        TPoint a, b;
        bool crosses;
    };
    for (const Case &c : {Case{{0, 100}, {100, 0}, true},      // proper crossing
                          Case{{50, 50}, {100, 0}, true},      // an end on the line
                          Case{{100, 100}, {200, 0}, true},    // shared end point
                          Case{{200, 200}, {300, 300}, false}, // collinear, apart
                          Case{{50, 50}, {150, 150}, false},   // collinear, overlapping
                          Case{{0, 10}, {90, 100}, false},     // parallel
                          Case{{200, 0}, {300, -100}, false},  // the lines cross outside the edges
                          Case{{60, 0}, {100, 40}, false}}) {  // beside
        EXPECT_EQ(e.Crosses(TEdge(c.a, c.b)), c.crosses)
            << c.a.x << "," << c.a.y << " " << c.b.x << "," << c.b.y;
        EXPECT_EQ(TEdge(c.a, c.b).Crosses(e), c.crosses);
    }
    EXPECT_TRUE(e.SharesEndpoint(TEdge({100, 100}, {5, 5})));
    EXPECT_FALSE(e.SharesEndpoint(TEdge({1, 1}, {5, 5})));
}

std::vector<TPoint> PointsOf(const TPoly &p) { return p.Points.Items(); }

TEST(EdgesTest, AddPolyChainsAndGetPoly)
{
    TEdges edges;
    edges.AddPoly(GeometryFactory().Rectangle(0, 0, 10, 10));
    edges.AddPoly(MakePolyline({{0, 0}, {5, 5}, {9, 0}}));
    edges.AddPoly(MakePolyline({{1, 1}}));
    edges.AddPoly(MakeRing({}));
    EXPECT_EQ(edges.Count(), 6);
    ASSERT_EQ(edges.ChainCount(), 4);
    EXPECT_EQ(edges.ChainStart(1)->Chain, 1);
    EXPECT_EQ(edges.ChainStart(2), nullptr);
    EXPECT_TRUE(edges.IsRing(0));
    EXPECT_FALSE(edges.IsRing(1));
    EXPECT_EQ(edges.ChainStart(0)->Prev->Next, edges.ChainStart(0));
    EXPECT_EQ(edges.ChainStart(1)->Prev, nullptr);

    const TPoly ring = edges.GetPoly(0);
    EXPECT_TRUE(ring.Closed);
    EXPECT_EQ(PointsOf(ring), PointsOf(GeometryFactory().Rectangle(0, 0, 10, 10)));
    const TPoly line = edges.GetPoly(1);
    EXPECT_FALSE(line.Closed);
    EXPECT_EQ(PointsOf(line), (std::vector<TPoint>{{0, 0}, {5, 5}, {9, 0}}));
    EXPECT_EQ(edges.GetPoly(2).Count(), 0);
    EXPECT_EQ(edges.GetPoly(3).Count(), 0);
    EXPECT_THROW(edges.GetPoly(4), std::out_of_range);
}

TEST(EdgesTest, SplitAtLinksTheNewEdgeAfter)
{
    TEdges edges;
    edges.AddPoly(MakePolyline({{0, 0}, {100, 0}, {100, 50}}));
    TEdge *first = edges.ChainStart(0);
    EXPECT_EQ(edges.SplitAt(first, {0, 0}), nullptr);
    EXPECT_EQ(edges.SplitAt(first, {100, 0}), nullptr);
    TEdge *added = edges.SplitAt(first, {40, 0});
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(edges.Count(), 3);
    EXPECT_EQ(first->End(), TPoint(40, 0));
    EXPECT_EQ(first->Max, TPoint(40, 0));
    EXPECT_EQ(first->Next, added);
    EXPECT_EQ(added->Prev, first);
    EXPECT_EQ(added->Next->Prev, added);
    EXPECT_EQ(added->Chain, 0);
    EXPECT_EQ(PointsOf(edges.GetPoly(0)), (std::vector<TPoint>{{0, 0}, {40, 0}, {100, 0}, {100, 50}}));
}

TEST(EdgesTest, OffsetSquareMitresTheCorners)
{
    TEdges edges;
    edges.AddPoly(MakeRing({{0, 0}, {0, 100}, {100, 100}, {100, 0}}));
    edges.OffsetChain(0, 10);
    EXPECT_EQ(PointsOf(edges.GetPoly(0)), (std::vector<TPoint>{{10, 10}, {10, 90}, {90, 90}, {90, 10}}));

    // Outwards, and an open chain keeps its free ends square.
    TEdges outwards;
    outwards.AddPoly(MakeRing({{0, 0}, {0, 100}, {100, 100}, {100, 0}}));
    outwards.OffsetChain(0, -10);
    EXPECT_EQ(PointsOf(outwards.GetPoly(0)),
              (std::vector<TPoint>{{-10, -10}, {-10, 110}, {110, 110}, {110, -10}}));
    TEdges open;
    open.AddPoly(MakePolyline({{0, 0}, {100, 0}, {100, 100}}));
    open.OffsetChain(0, 10);
    EXPECT_EQ(PointsOf(open.GetPoly(0)), (std::vector<TPoint>{{0, -10}, {110, -10}, {110, 100}}));
    // Parallel neighbours stay as they are.
    TEdges straight;
    straight.AddPoly(MakePolyline({{0, 0}, {50, 0}, {100, 0}}));
    straight.OffsetChain(0, 5);
    EXPECT_EQ(PointsOf(straight.GetPoly(0)), (std::vector<TPoint>{{0, -5}, {50, -5}, {100, -5}}));
    EXPECT_THROW(straight.OffsetChain(0, NAN), std::invalid_argument);
}

TEST(EdgesTest, RemoveLoopsCutsOutTheCrossedPart)
{
    // An open line that loops: the edges between the crossing pair go.
    TEdges edges;
    edges.AddPoly(MakePolyline({{0, 0}, {100, 0}, {100, 50}, {50, 50}, {50, -50}, {50, -100}}));
    edges.RemoveLoops(0);
    EXPECT_EQ(edges.Count(), 3);
    EXPECT_EQ(PointsOf(edges.GetPoly(0)), (std::vector<TPoint>{{0, 0}, {50, 0}, {50, -50}, {50, -100}}));

    // A square offset inwards past its middle folds over; a ring without
    // crossings keeps every edge.
    TEdges ring;
    ring.AddPoly(GeometryFactory().Rectangle(0, 0, 1000, 1000));
    ring.RemoveLoops(0);
    EXPECT_EQ(ring.Count(), 4);
    EXPECT_EQ(PointsOf(ring.GetPoly(0)), PointsOf(GeometryFactory().Rectangle(0, 0, 1000, 1000)));

    TEdges bow;
    bow.AddPoly(MakeRing({{0, 0}, {100, 0}, {100, 10}, {60, 10}, {60, -10}, {40, -10}, {40, 10}, {0, 10}}));
    bow.RemoveLoops(0);
    const TPoly result = bow.GetPoly(0);
    EXPECT_TRUE(result.Closed);
    EXPECT_LT(result.Count(), 8);
}

TEST(EdgesTest, OffsetNearTheLimitRaisesTheOverflowError)
{
    const int32_t top = std::numeric_limits<int32_t>::max();
    TEdges edges;
    edges.AddPoly(MakePolyline({{top - 100, 0}, {top - 100, 1000}}));
    EXPECT_THROW(edges.OffsetChain(0, 200), EGeometryOverflow);
}

} // namespace

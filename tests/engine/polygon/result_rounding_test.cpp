// The rounding of result rings to whole map units: the faults that plain
// rounding of each point made (spikes, shared edges, crossings, wrong
// orientation, holes left apart) on small fixtures, and a jittered field
// of near-touching squares judged by the validity check.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/polygon/result_rounding.h"
#include "tests/support/polygon_validity.h"

namespace {

using Rings = std::vector<std::vector<LPoint>>;

std::vector<polygon_validity::Loop> Loops(const std::vector<GridRing> &rings)
{
    std::vector<polygon_validity::Loop> loops;
    for (const GridRing &ring : rings) {
        polygon_validity::Loop loop;
        for (const GridPoint &p : ring)
            loop.push_back({p.x, p.y});
        loops.push_back(loop);
    }
    return loops;
}

// Area as the engine means it: clockwise rings count positive.
double Area(const std::vector<GridRing> &rings)
{
    double area = 0;
    for (const auto &loop : Loops(rings))
        area -= double(polygon_validity::Area2(loop)) / 2;
    return area;
}

std::vector<LPoint> Square(double x0, double y0, double x1, double y1)
{
    return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
}

struct Case {
    const char *name;
    Rings input;
    size_t rings;
    double area;
};

std::vector<Case> Cases()
{
    std::vector<LPoint> spiked = {{0, 0}, {0, 10}, {10, 10}, {10, 5}, {20, 5.2}, {10, 5.1}, {10, 0}};
    std::vector<LPoint> counterClockwise = {{0, 0}, {100, 0.9}, {100, 2.2}};
    // A square with a hole joined by a bridge at a fraction of a unit.
    std::vector<LPoint> keyhole = {{0, 0}, {0, 10},  {3.3, 10}, {3.3, 7}, {3, 3}, {7, 3},
                                   {7, 7}, {3.3, 7}, {3.3, 10}, {10, 10}, {10, 0}};
    return {
        {"SpikeOutOfAnEdge", {spiked}, 1, 100},
        {"GapNarrowerThanAUnit", {Square(0, 0, 10, 10), Square(10.3, 0, 20, 10)}, 1, 200},
        {"SliverThatRoundsToNothing", {{{0, 0}, {50, 0.2}, {100, 0.1}}, Square(0, 5, 10, 15)}, 1, 100},
        {"CounterClockwiseSliver", {counterClockwise}, 1, 50},
        {"HoleBridgedAnew", {keyhole}, 1, 84},
        {"TouchingAtACornerStaysTwoRings", {Square(0, 0, 10, 10), Square(10.2, 10.4, 20, 20)}, 2, 200},
    };
}

class ResultRoundingTest : public ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(ResultRoundingTest, GivesAValidSet)
{
    const Case &c = GetParam();
    const std::vector<GridRing> rings = RoundResultRings(c.input);
    polygon_validity::Checker checker;
    EXPECT_EQ(checker.Problem(Loops(rings)), "");
    EXPECT_EQ(rings.size(), c.rings);
    EXPECT_DOUBLE_EQ(Area(rings), c.area);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ResultRoundingTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case> &info) {
                             return std::string(info.param.name);
                         });

TEST(ResultRoundingFieldTest, NearTouchingSquaresRoundToAValidSet)
{
    // Squares in a grid, each corner moved by up to 0.45 of a unit, so that
    // neighbours come closer than a unit without touching; plain rounding of
    // the points made crossing and shared edges here.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> jitter(-0.45, 0.45);
    polygon_validity::Checker checker;
    for (int round = 0; round < 20; round++) {
        Rings rings;
        double exact = 0;
        for (int i = 0; i < 6; i++)
            for (int j = 0; j < 6; j++) {
                const double x = i * 5.0, y = j * 5.0;
                std::vector<LPoint> ring = {{x + jitter(random), y + jitter(random)},
                                            {x + jitter(random), y + 4 + jitter(random)},
                                            {x + 4 + jitter(random), y + 4 + jitter(random)},
                                            {x + 4 + jitter(random), y + jitter(random)}};
                for (size_t k = 0; k < 4; k++) {
                    const LPoint &a = ring[k], &b = ring[(k + 1) % 4];
                    exact -= (a.GetX() * b.GetY() - b.GetX() * a.GetY()) / 2;
                }
                rings.push_back(ring);
            }
        const std::vector<GridRing> result = RoundResultRings(rings);
        EXPECT_EQ(checker.Problem(Loops(result)), "") << "round " << round;
        // Each of the 36 squares' boundary (16 units) moves by at most a
        // unit's diagonal; mostly the moves cancel.
        EXPECT_NEAR(Area(result), exact, 36 * 16 * 0.71) << "round " << round;
    }
}

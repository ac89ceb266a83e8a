#include "editor/shell/geometry/points_tree.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace {

// The index of the nearest point by exact squared distance, the first on
// ties.
size_t BruteNearest(const std::vector<TPoint> &points, const TPoint &to)
{
    size_t best = 0;
    __int128 bestDistance = -1;
    for (size_t i = 0; i < points.size(); i++) {
        const __int128 dx = int64_t(points[i].x) - to.x, dy = int64_t(points[i].y) - to.y;
        const __int128 d = dx * dx + dy * dy;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

TEST(PointsTreeTest, EmptyTreeAndCount)
{
    TPointsTree tree;
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.Nearest({0, 0}), nullptr);
    int data[3] = {};
    tree.Add({-5, 3}, &data[0]);
    tree.Add({7, -2}, &data[1]);
    tree.Add({-5, 3}, &data[2]);
    EXPECT_EQ(tree.Count(), 3); // points with negative x count too
    // The first of two equal points wins.
    EXPECT_EQ(tree.Nearest({-4, 3})->Data, &data[0]);
    EXPECT_EQ(tree.Nearest({100, -2})->Data, &data[1]);
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
}

TEST(PointsTreeTest, FirstCandidateAndFarBranches)
{
    TPointsTree tree;
    int a = 0, b = 0, c = 0;
    tree.Add({10, 10}, &a);
    tree.Add({1000, 10}, &b);
    tree.Add({9, 900}, &c);
    EXPECT_EQ(tree.Nearest({11, 11})->Data, &a);
    // The nearest point lies across a split from the descent's path.
    EXPECT_EQ(tree.Nearest({12, 880})->Data, &c);
    EXPECT_EQ(tree.Nearest({600, 10})->Data, &b);
}

TEST(PointsTreeTest, NearestAgreesWithBruteForce)
{
    const int32_t top = std::numeric_limits<int32_t>::max(), bottom = std::numeric_limits<int32_t>::min();
    struct Case {
        unsigned seed;
        int count;
        int32_t low, high;
    };
    for (const Case &c :
         {Case{1, 1, -10, 10}, Case{2, 50, -20, 20}, Case{3, 2000, -100000, 100000}, Case{4, 3000, -50, 50},
          Case{5, 1000, bottom, top}, Case{6, 5000, 65000000, 65001000}}) {
        std::mt19937 random(c.seed);
        std::uniform_int_distribution<int32_t> coordinate(c.low, c.high);
        std::vector<TPoint> points;
        std::vector<int> ids;
        for (int i = 0; i < c.count; i++) {
            // Every fifth point repeats an earlier one.
            if (i % 5 == 4)
                points.push_back(points[size_t(i) / 2]);
            else
                points.emplace_back(coordinate(random), coordinate(random));
        }
        ids.resize(points.size());
        TPointsTree tree;
        for (size_t i = 0; i < points.size(); i++) {
            ids[i] = int(i);
            tree.Add(points[i], &ids[i]);
        }
        EXPECT_EQ(tree.Count(), c.count);
        for (int q = 0; q < 300; q++) {
            const TPoint to(coordinate(random), coordinate(random));
            const TPointsTreeNode *found = tree.Nearest(to);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(*static_cast<int *>(found->Data), int(BruteNearest(points, to)))
                << "seed " << c.seed << " query " << to.x << "," << to.y;
        }
    }
}

TEST(PointsTreeTest, SortedInputMakesADeepTreeWithoutTrouble)
{
    TPointsTree tree;
    std::vector<int> ids(10000);
    for (int i = 0; i < 10000; i++) {
        ids[size_t(i)] = i;
        tree.Add({i, i}, &ids[size_t(i)]);
    }
    EXPECT_EQ(tree.Count(), 10000);
    EXPECT_EQ(*static_cast<int *>(tree.Nearest({7000, 7001})->Data), 7000);
}

} // namespace

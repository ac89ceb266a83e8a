#include "platform/line_dda.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

struct Pt {
    int x, y;
    bool operator==(const Pt &) const = default;
};

std::vector<Pt> walk(int x1, int y1, int x2, int y2)
{
    std::vector<Pt> pts;
    LineDDA(
        x1, y1, x2, y2,
        [](int x, int y, LPARAM data) {
            reinterpret_cast<std::vector<Pt> *>(data)->push_back({x, y});
        },
        reinterpret_cast<LPARAM>(&pts));
    return pts;
}

TEST(LineDDA, WalksTheDocumentedPixels)
{
    struct Case {
        int x1, y1, x2, y2;
        std::vector<Pt> expected;
    };
    const Case cases[] = {
        {0, 0, 0, 0, {}},
        {0, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}}},
        {5, 5, 5, 2, {{5, 5}, {5, 4}, {5, 3}}},
        // minor offset floor((2 i m + n) / 2n): halves round away from the start
        {0, 0, 4, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {0, 0, 4, -1, {{0, 0}, {1, 0}, {2, -1}, {3, -1}}},
        {0, 0, -4, 1, {{0, 0}, {-1, 0}, {-2, 1}, {-3, 1}}},
        {0, 0, 2, 1, {{0, 0}, {1, 1}}},
        {0, 0, 1, 3, {{0, 0}, {0, 1}, {1, 2}}},
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
        {0, 0, 6, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(walk(c.x1, c.y1, c.x2, c.y2), c.expected)
            << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
}

TEST(LineDDA, CountStartAndConnectivityHoldForRandomLines)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> d(-60, 60);
    for (int k = 0; k < 2000; ++k) {
        int x1 = d(rng), y1 = d(rng), x2 = d(rng), y2 = d(rng);
        auto pts = walk(x1, y1, x2, y2);
        ASSERT_EQ(int(pts.size()), std::max(std::abs(x2 - x1), std::abs(y2 - y1)));
        if (pts.empty())
            continue;
        EXPECT_EQ(pts.front(), (Pt{x1, y1}));
        for (size_t i = 0; i < pts.size(); ++i) {
            EXPECT_NE(pts[i], (Pt{x2, y2}));
            const Pt next = i + 1 < pts.size() ? pts[i + 1] : Pt{x2, y2};
            EXPECT_LE(std::abs(next.x - pts[i].x), 1);
            EXPECT_LE(std::abs(next.y - pts[i].y), 1);
        }
    }
}

TEST(LineDDA, NullCallbackIsRefused) { EXPECT_FALSE(LineDDA(0, 0, 5, 5, nullptr, 0)); }

TEST(LineDDA, ClippedWalkKeepsExactlyThePointsInside)
{
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> d(-40, 80);
    for (int k = 0; k < 2000; ++k) {
        int x1 = d(rng), y1 = d(rng), x2 = d(rng), y2 = d(rng);
        std::vector<std::pair<Pt, int64_t>> all, clipped;
        int64_t i = 0;
        WalkLineDDA(x1, y1, x2, y2, [&](int x, int y) {
            if (x >= 0 && y >= 0 && x < 37 && y < 23)
                all.push_back({{x, y}, i});
            ++i;
        });
        WalkLineDDAClipped(x1, y1, x2, y2, 37, 23, [&](int x, int y, int64_t j) {
            clipped.push_back({{x, y}, j});
        });
        ASSERT_EQ(all, clipped);
    }
}

TEST(LineDDA, ClippedWalkOfHugeCoordinatesStaysCheap)
{
    // A line across the whole 32-bit range: only the few points inside are
    // visited, and they lie on the line.
    int visited = 0;
    WalkLineDDAClipped(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 16, 16, [&](int x, int y, int64_t) {
        EXPECT_EQ(x, y);
        ++visited;
    });
    EXPECT_EQ(visited, 16);
    visited = 0;
    WalkLineDDAClipped(INT32_MAX, 5, INT32_MIN, 6, 16, 16, [&](int, int y, int64_t) {
        EXPECT_TRUE(y == 5 || y == 6);
        ++visited;
    });
    EXPECT_EQ(visited, 16);
}

} // namespace

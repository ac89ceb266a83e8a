#include "engine/view/clipping/point_clipping.h"
#include "tests/engine/view/clipping/clip_support.h"

#include <random>
#include <string>

namespace {

using Points = std::vector<MAP_COORDPT>;
using Pairs = std::vector<int32_t>;

constexpr MAP_COORDRECT kRect{0, 0, 10, 10};

struct Outputs {
    ScopedBuffer clipped{8}, parts{4}, codes{1};
};

TEST(ClipPolyline, Runs)
{
    struct Case {
        const char *what;
        Points in;
        Points out;
        Pairs runs;
    };
    const Case cases[] = {
        {"through", {{-10, 5}, {20, 5}}, {{0, 5}, {10, 5}}, {0, 2}},
        {"all inside", {{1, 1}, {5, 5}, {9, 1}}, {{1, 1}, {5, 5}, {9, 1}}, {0, 3}},
        {"leaves and re-enters",
         {{2, 2}, {2, 20}, {8, 20}, {8, 2}},
         {{2, 2}, {2, 10}, {8, 10}, {8, 2}},
         {0, 2, 2, 2}},
        {"starts outside, ends inside", {{-5, 4}, {5, 4}, {5, 6}}, {{0, 4}, {5, 4}, {5, 6}}, {0, 3}},
        {"all outside", {{-5, -5}, {-5, 20}, {20, 20}}, {}, {}},
        {"one point inside", {{3, 3}}, {{3, 3}}, {0, 1}},
        {"one point outside", {{30, 3}}, {}, {}},
        {"on the edges counts as inside", {{0, 0}, {10, 0}}, {{0, 0}, {10, 0}}, {0, 2}},
        {"vertical, truncated crossing", {{3, -3}, {7, 17}}, {{3, 0}, {5, 10}}, {0, 2}},
        {"diagonal cut off a corner", {{-2, 8}, {4, 14}}, {{0, 10}, {0, 10}}, {0, 2}},
        {"no points", {}, {}, {}},
    };
    for (const Case &c : cases) {
        ScopedBuffer src(8, POINTBUFFER_POLYLINE);
        src.fill(c.in);
        Outputs o;
        int32_t runs = -1;
        const int32_t m = ClipPolyline(&src.b, int32_t(c.in.size()), &o.clipped.b, &o.parts.b, &kRect, &runs);
        EXPECT_EQ(o.clipped.points(m), c.out) << c.what;
        EXPECT_EQ(o.parts.parts(), c.runs) << c.what;
        EXPECT_EQ(runs, int32_t(c.runs.size() / 2)) << c.what;
    }
}

TEST(ClipPolygon, PointsCodesAndStrokedRuns)
{
    struct Case {
        const char *what;
        Points in;
        Points out;
        std::vector<uint8_t> codes;
        Pairs runs;
    };
    const Case cases[] = {
        {"closed along the clip edge, which is not stroked",
         {{5, 2}, {15, 2}, {15, 8}, {5, 8}, {5, 2}},
         {{10, 2}, {10, 8}, {5, 8}, {5, 2}, {10, 2}},
         {2, 1, 3, 3, 2},
         {1, 4}},
        {"larger than the rectangle on all sides: corners only, no run",
         {{-5, -5}, {15, -5}, {15, 15}, {-5, 15}, {-5, -5}},
         {{10, 0}, {10, 10}, {0, 10}, {0, 0}, {10, 0}},
         {0, 0, 0, 0, 0},
         {}},
        {"inside: every vertex and the whole outline",
         {{2, 2}, {8, 2}, {8, 8}, {2, 2}},
         {{8, 2}, {8, 8}, {2, 2}, {8, 2}},
         {3, 3, 3, 3},
         {0, 4}},
    };
    for (const Case &c : cases) {
        ScopedBuffer src(8, POINTBUFFER_POLYGON);
        src.fill(c.in);
        Outputs o;
        int32_t runs = -1;
        const int32_t m =
            ClipPolygon(&src.b, int32_t(c.in.size()), &o.clipped.b, &o.parts.b, &o.codes.b, &kRect, &runs);
        EXPECT_EQ(o.clipped.points(m), c.out) << c.what;
        EXPECT_EQ(o.codes.read<uint8_t>(m), c.codes) << c.what;
        EXPECT_EQ(o.parts.parts(), c.runs) << c.what;
        EXPECT_EQ(runs, int32_t(c.runs.size() / 2)) << c.what;
    }
}

TEST(ClipPolygon, RunsFromCodes)
{
    struct Case {
        std::vector<uint8_t> codes;
        Pairs runs;
    };
    const Case cases[] = {
        {{3}, {}},          {{3, 3}, {0, 1}},       {{1, 1}, {0, 1}},
        {{0, 0}, {}},       {{1, 2}, {}},           {{1, 2, 0, 1, 3, 2}, {0, 2, 3, 3}},
        {{2, 0, 0, 2}, {}}, {{3, 3, 3, 3}, {0, 4}},
    };
    for (const Case &c : cases) {
        ScopedBuffer parts(4);
        const int32_t n = ClipRunsFromCodes(c.codes.data(), int32_t(c.codes.size()), &parts.b);
        EXPECT_EQ(parts.parts(), c.runs) << ::testing::PrintToString(c.codes);
        EXPECT_EQ(n, int32_t(c.runs.size() / 2));
    }
}

TEST(ClipPointBuffer, ChoosesByTypeWordAndRefusesOthers)
{
    const Points line{{-10, 5}, {20, 5}};
    for (uint32_t type : {POINTBUFFER_POLYLINE, POINTBUFFER_POLYGON, 0u, 3u, 0xFFFFu}) {
        ScopedBuffer src(8, type);
        src.fill(line);
        Outputs o;
        BufferSetValidNumber(&o.parts.b, 7); // left over from an earlier list
        const int32_t m = ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, &o.codes.b, &kRect, 2);
        switch (type) {
        case POINTBUFFER_POLYLINE:
            EXPECT_EQ(m, 2);
            EXPECT_EQ(o.parts.parts(), (Pairs{0, 2}));
            break;
        case POINTBUFFER_POLYGON:
            // A two-point "polygon" that crosses: entry and exit, closed.
            EXPECT_EQ(o.clipped.points(m), (Points{{0, 5}, {10, 5}, {0, 5}}));
            break;
        default:
            EXPECT_EQ(m, 0) << type;
            EXPECT_EQ(BufferGetValidNumber(&o.parts.b), 0u) << type;
        }
    }
}

TEST(ClipPointBuffer, BadBuffersAndCounts)
{
    // A diamond through the rectangle's edges.
    const Points square{{-5, 5}, {5, -5}, {15, 5}, {5, 15}, {-5, 5}};
    for (uint32_t type : {POINTBUFFER_POLYLINE, POINTBUFFER_POLYGON}) {
        ScopedBuffer src(8, type);
        src.fill(square);
        Outputs o;
        ScopedBuffer wide(12), narrow(2);
        EXPECT_EQ(ClipPointBuffer(nullptr, &o.clipped.b, &o.parts.b, &o.codes.b, &kRect, 5), 0);
        EXPECT_EQ(ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, &o.codes.b, nullptr, 5), 0);
        EXPECT_EQ(ClipPointBuffer(&src.b, nullptr, &o.parts.b, &o.codes.b, &kRect, 5), 0);
        EXPECT_EQ(ClipPointBuffer(&src.b, &o.clipped.b, nullptr, &o.codes.b, &kRect, 5), 0);
        EXPECT_EQ(ClipPointBuffer(&src.b, &wide.b, &o.parts.b, &o.codes.b, &kRect, 5), 0) << "12-byte items";
        EXPECT_EQ(ClipPointBuffer(&src.b, &o.clipped.b, &narrow.b, &o.codes.b, &kRect, 5), 0)
            << "2-byte parts";
        EXPECT_EQ(ClipPointBuffer(&src.b, &src.b, &o.parts.b, &o.codes.b, &kRect, 5), 0) << "in place";
        EXPECT_EQ(ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, &o.codes.b, &kRect, -3), 0);
        const MAP_COORDRECT inverted{10, 0, 0, 10};
        EXPECT_EQ(ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, &o.codes.b, &inverted, 5), 0);
        EXPECT_EQ(BufferGetValidNumber(&o.parts.b), 0u);
        // A count beyond what the source holds reads only what is there.
        const int32_t all = ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, &o.codes.b, &kRect, 5);
        const uint32_t held = BufferGetSize(&src.b);
        EXPECT_EQ(ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, &o.codes.b, &kRect, 1 << 30),
                  ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, &o.codes.b, &kRect, int32_t(held)));
        EXPECT_GT(all, 0);
    }
    // The polygon clipper needs its code buffer.
    ScopedBuffer src(8, POINTBUFFER_POLYGON);
    src.fill(square);
    Outputs o;
    EXPECT_EQ(ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, nullptr, &kRect, 5), 0);
}

// Every clipped point lies in the rectangle, runs lie within the output and
// follow one another, and coordinates at the 32-bit limits do not overflow.
TEST(ClipPointBuffer, RandomListsStayInTheRectangle)
{
    std::mt19937 rng(7);
    const MAP_COORDRECT rects[] = {{-100, -100, 100, 100}, {INT32_MIN, -5, -2147483000, 5}};
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    for (int round = 0; round < 200; ++round) {
        const MAP_COORDRECT &r = rects[round % 2];
        std::uniform_int_distribution<int32_t> near(-300, 300);
        Points in(2 + round % 40);
        for (MAP_COORDPT &p : in)
            p = round % 3 == 0 ? MAP_COORDPT{any(rng), any(rng)}
                               : MAP_COORDPT{round % 2 ? INT32_MIN + near(rng) + 300 : near(rng), near(rng)};
        const uint32_t type = round % 4 < 2 ? POINTBUFFER_POLYLINE : POINTBUFFER_POLYGON;
        if (type == POINTBUFFER_POLYGON)
            in.push_back(in.front());
        ScopedBuffer src(8, type);
        src.fill(in);
        Outputs o;
        const int32_t m =
            ClipPointBuffer(&src.b, &o.clipped.b, &o.parts.b, &o.codes.b, &r, int32_t(in.size()));
        for (const MAP_COORDPT &p : o.clipped.points(m))
            ASSERT_TRUE(p.x >= r.x1 && p.x <= r.x2 && p.y >= r.y1 && p.y <= r.y2) << p << " round " << round;
        const Pairs runs = o.parts.parts();
        int32_t end = 0;
        for (size_t k = 0; k < runs.size(); k += 2) {
            ASSERT_GE(runs[k], end);
            ASSERT_GE(runs[k + 1], 1);
            end = runs[k] + runs[k + 1];
            ASSERT_LE(end, m);
        }
    }
}

} // namespace

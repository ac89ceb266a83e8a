#include "engine/polygon/cutting/vertex_ring.h"

#include "platform/global_memory.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

// A copy of a ring's records (empty for a bad handle).
std::vector<PolygonVertexRecord> Records(HGLOBAL ring)
{
    PolygonVertexRingLock lock(ring);
    std::vector<PolygonVertexRecord> out;
    if (lock.ring())
        out.assign(lock.ring()->records, lock.ring()->records + lock.ring()->count);
    return out;
}

std::vector<MAP_COORDPT> Starts(HGLOBAL ring)
{
    std::vector<MAP_COORDPT> out;
    for (const PolygonVertexRecord &r : Records(ring))
        out.push_back(r.start);
    return out;
}

// Every record ends where the next one starts, the last closing the ring.
void ExpectChained(HGLOBAL ring)
{
    const std::vector<PolygonVertexRecord> r = Records(ring);
    for (size_t k = 0; k < r.size(); ++k)
        EXPECT_EQ(r[k].end, r[(k + 1) % r.size()].start) << "record " << k;
}

class VertexRingTest : public EditingTest {
protected:
    HGLOBAL ring(OBJHANDLE object, int orientation)
    {
        HGLOBAL h = 0;
        EXPECT_EQ(PolygonVertexRingCreate(kernel(), object, &h, orientation), 1);
        blocks.push_back(h);
        return h;
    }
    void TearDown() override
    {
        for (HGLOBAL &h : blocks)
            if (h)
                GlobalFree(h);
        EditingTest::TearDown();
    }
    std::vector<HGLOBAL> blocks;
};

} // namespace

TEST_F(VertexRingTest, CreationOrientsFromTheLeftmostVertexAndCollapsesRepeats)
{
    struct Case {
        const char *name;
        std::vector<MAP_COORDPT> points;
        int orientation;
        std::vector<MAP_COORDPT> starts;
    };
    const std::vector<Case> cases = {
        {"clockwise square asked counter-clockwise",
         {{10, 0}, {0, 0}, {0, 10}, {10, 10}},
         RING_POSITIVE_AREA,
         {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
        {"clockwise square kept clockwise",
         {{10, 0}, {0, 0}, {0, 10}, {10, 10}},
         RING_NEGATIVE_AREA,
         {{0, 0}, {0, 10}, {10, 10}, {10, 0}}},
        {"first of equal minima, closing point dropped",
         {{0, 10}, {0, 0}, {10, 0}, {10, 10}, {0, 10}},
         RING_POSITIVE_AREA,
         {{0, 10}, {0, 0}, {10, 0}, {10, 10}}},
        {"a run of equal points is one record",
         {{0, 0}, {5, 0}, {5, 0}, {5, 0}, {5, 5}, {0, 0}},
         RING_POSITIVE_AREA,
         {{0, 0}, {5, 0}, {5, 5}}},
        {"all points equal", {{3, 3}, {3, 3}, {3, 3}}, RING_POSITIVE_AREA, {{3, 3}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const HGLOBAL h = ring(polygon(c.points), c.orientation);
        EXPECT_EQ(Starts(h), c.starts);
        ExpectChained(h);
        for (const PolygonVertexRecord &r : Records(h)) {
            EXPECT_EQ(r.link, RING_NO_CROSSING);
            EXPECT_EQ(r.hasOrigin, 0);
        }
    }
}

TEST_F(VertexRingTest, BadInputFailsCleanly)
{
    HGLOBAL h = HGLOBAL(1);
    EXPECT_EQ(PolygonVertexRingCreate(kernel(), 0, &h, RING_POSITIVE_AREA), 0);
    EXPECT_EQ(h, HGLOBAL(0));
    EXPECT_EQ(PolygonVertexRingCreate(kernel(), 0xFFFFF, &h, RING_POSITIVE_AREA), 0);
    EXPECT_EQ(PolygonVertexRingInsert(&h, 0, {1, 1}, nullptr), 0);
    HGLOBAL other = ring(polygon({{0, 0}, {10, 0}, {0, 10}}), RING_POSITIVE_AREA);
    EXPECT_EQ(PolygonVertexRingInsert(&other, 3, {1, 1}, nullptr), 0);
    EXPECT_EQ(PolygonVertexRingInsert(&other, -1, {1, 1}, nullptr), 0);
    EXPECT_EQ(PolygonVertexRingsIntersect(&h, &other, 1), 0);
    EXPECT_EQ(PolygonVertexRingsIntersect(&other, &other, 1), 0);
    int which = 0;
    EXPECT_EQ(PolygonVertexRingsContainment(kernel(), other, 0, 0, 0, RING_START_UNLINKED, 0, &which, 2), -1);
    EXPECT_EQ(which, 1);
    // An empty object gives an empty ring that the other operations accept.
    HGLOBAL empty = ring(polygon({}), RING_POSITIVE_AREA);
    EXPECT_TRUE(Records(empty).empty());
    EXPECT_EQ(PolygonVertexRingsIntersect(&empty, &other, 1), 0);
}

TEST_F(VertexRingTest, InsertionGrowsTheBlockAndKeepsTheChain)
{
    HGLOBAL h = ring(polygon({{0, 0}, {100, 0}, {100, 100}}), RING_POSITIVE_AREA);
    const Linesegment origin{0, 0, 100, 0};
    for (int k = 1; k <= 20; ++k)
        ASSERT_EQ(PolygonVertexRingInsert(&h, k - 1, {k, 0}, &origin), 1);
    blocks.back() = h;
    const std::vector<PolygonVertexRecord> r = Records(h);
    ASSERT_EQ(r.size(), 23u);
    ExpectChained(h);
    for (int k = 0; k <= 20; ++k) {
        EXPECT_EQ(r[size_t(k)].hasOrigin, 1);
        EXPECT_EQ(r[size_t(k)].origin, origin);
    }
    EXPECT_EQ(r[21].hasOrigin, 0);
}

TEST_F(VertexRingTest, CrossingsAreInsertedIntoBothRingsAndLinked)
{
    struct Case {
        const char *name;
        std::vector<MAP_COORDPT> a, b;
        int found;
        size_t recordsA, recordsB;
    };
    const std::vector<Case> cases = {
        {"two squares crossing twice",
         {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
         {{5, 5}, {15, 5}, {15, 15}, {5, 15}},
         2,
         6,
         6},
        {"outlines meeting at a common vertex",
         {{0, 0}, {10, 0}, {10, 10}},
         {{10, 10}, {20, 10}, {20, 20}},
         1,
         3,
         3},
        {"one edge crossed twice",
         {{0, 0}, {30, 0}, {30, 30}, {0, 30}},
         {{10, -10}, {20, -10}, {20, 10}, {15, -5}, {10, 10}},
         4,
         8,
         9},
        {"apart", {{0, 0}, {1, 0}, {1, 1}}, {{5, 5}, {6, 5}, {6, 6}}, 0, 3, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HGLOBAL a = ring(polygon(c.a), RING_POSITIVE_AREA);
        HGLOBAL b = ring(polygon(c.b), RING_POSITIVE_AREA);
        EXPECT_EQ(PolygonVertexRingsIntersect(&a, &b, 1), c.found);
        blocks[blocks.size() - 2] = a;
        blocks.back() = b;
        EXPECT_EQ(Records(a).size(), c.recordsA);
        EXPECT_EQ(Records(b).size(), c.recordsB);
        ExpectChained(a);
        ExpectChained(b);
        // A link names the record of the other ring that starts at this end.
        const std::vector<PolygonVertexRecord> ra = Records(a), rb = Records(b);
        for (const auto &[from, to] : {std::pair{&ra, &rb}, std::pair{&rb, &ra}})
            for (const PolygonVertexRecord &r : *from)
                if (r.link >= 0) {
                    ASSERT_LT(size_t(r.link), to->size());
                    EXPECT_EQ(r.end, (*to)[size_t(r.link)].start);
                }
        // Every point where the outlines cross is linked from both sides.
        size_t linkedA = 0;
        for (const PolygonVertexRecord &r : ra)
            linkedA += r.link >= 0;
        EXPECT_EQ(linkedA, size_t(c.found));
    }
}

TEST_F(VertexRingTest, StartFinderSkipsLinkedAndVisitedRecords)
{
    HGLOBAL a = ring(polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), RING_POSITIVE_AREA);
    HGLOBAL b = ring(polygon({{5, 5}, {15, 5}, {15, 15}, {5, 15}}), RING_POSITIVE_AREA);
    int which = 0;
    EXPECT_EQ(PolygonVertexRingsContainment(kernel(), a, b, 0, 0, RING_START_UNLINKED, 0, &which, 2), -1);
    ASSERT_EQ(PolygonVertexRingsIntersect(&a, &b, 1), 2);
    blocks[0] = a;
    blocks[1] = b;
    const int32_t first =
        PolygonVertexRingsContainment(kernel(), a, b, 0, 0, RING_START_UNLINKED, 0, &which, 2);
    ASSERT_GE(first, 0);
    const PolygonVertexRecord r = Records(a)[size_t(first)];
    EXPECT_EQ(r.link, RING_NO_CROSSING);
    {
        PolygonVertexRingLock lock(b);
        EXPECT_EQ(PolygonVertexRingFindPoint(lock.ring(), r.start.x, r.start.y), 1);
        EXPECT_EQ(PolygonVertexRingFindPoint(lock.ring(), 0, 0), 0);
    }
    {
        PolygonVertexRingLock lock(a);
        lock.ring()->records[first].link = RING_VISITED;
    }
    const int32_t next =
        PolygonVertexRingsContainment(kernel(), a, b, 0, 0, RING_START_NOT_VISITED, 0, &which, 2);
    EXPECT_GE(next, 0);
    EXPECT_NE(next, first);
}

TEST_F(VertexRingTest, ShapeEqualityIgnoresStartDirectionAndCollinearPoints)
{
    const OBJHANDLE square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    struct Case {
        const char *name;
        std::vector<MAP_COORDPT> other;
        int equal;
    };
    const std::vector<Case> cases = {
        {"other start", {{10, 10}, {0, 10}, {0, 0}, {10, 0}}, 1},
        {"reversed", {{0, 10}, {10, 10}, {10, 0}, {0, 0}}, 1},
        {"extra collinear point", {{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}, 1},
        {"other corner", {{0, 0}, {10, 0}, {11, 10}, {0, 10}}, 0},
        {"triangle", {{0, 0}, {10, 0}, {0, 10}}, 0},
        {"shifted", {{1, 0}, {11, 0}, {11, 10}, {1, 10}}, 0},
        {"all points equal", {{3, 3}, {3, 3}}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SetOfLinesegmentEqual(kernel(), square, polygon(c.other)), c.equal);
    }
    EXPECT_EQ(SetOfLinesegmentEqual(kernel(), square, square), 1);
    EXPECT_EQ(SetOfLinesegmentEqual(kernel(), square, 0), 0);
    EXPECT_EQ(SetOfLinesegmentEqual(kernel(), polygon({}), polygon({})), 1);
    const OBJHANDLE dot = polygon({{3, 3}, {3, 3}});
    EXPECT_EQ(SetOfLinesegmentEqual(kernel(), dot, polygon({{3, 3}})), 1);
}

TEST_F(VertexRingTest, CoordinatesNearTheIntegerLimits)
{
    const int32_t lo = std::numeric_limits<int32_t>::min() + 2, hi = std::numeric_limits<int32_t>::max() - 2;
    HGLOBAL a = ring(polygon({{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}}), RING_POSITIVE_AREA);
    HGLOBAL b = ring(polygon({{0, lo / 2}, {hi, 0}, {0, hi / 2}, {lo, 0}}), RING_NEGATIVE_AREA);
    EXPECT_EQ(Starts(a).front(), (MAP_COORDPT{lo, lo}));
    EXPECT_GE(PolygonVertexRingsIntersect(&a, &b, 1), 0);
    blocks[0] = a;
    blocks[1] = b;
    ExpectChained(a);
    ExpectChained(b);
}

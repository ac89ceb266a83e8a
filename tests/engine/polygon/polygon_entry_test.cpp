// The Boolean entry's contract: input forms, rounding, bad input, and an
// engine left usable after an operation that failed.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/engine_polygon.h"
#include "engine/polygon/gds_error.h"
#include "engine/polygon/operation_driver.h"
#include "geos_reference.h"

namespace {

IntRing Rect(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

struct Outcome {
    RingSet rings;
    PlgOpStatus status;
};

Outcome RunEntry(const RingSet &a, const RingSet &b, int code)
{
    PlgSet sa(a), sb(b);
    Outcome outcome{{}, PLG_OP_FAILED};
    PlgOpResult *result = main_polygon_logical(sa.get(), sb.get(), code, &outcome.status);
    EXPECT_NE(result, nullptr);
    outcome.rings = RingsOf(result);
    // The layout every result keeps: consecutive rings, counts that add up.
    int32_t next = 0;
    for (int32_t i = 0; i < result->numPolygons; i++) {
        EXPECT_EQ(result->polygons[i].firstPoint, next);
        next += result->polygons[i].numPoints;
    }
    EXPECT_EQ(next, result->totalPoints);
    DeletePlgOpResult(result);
    return outcome;
}

bool ParametersAtLoadValues()
{
    const EngineParameters &p = GetEngineParameters();
    const EngineParameters load;
    return std::memcmp(&p, &load, sizeof p) == 0;
}

} // namespace

TEST(PolygonEntryTest, CodesOutsideTheOperationsCopyTheInputRingByRing)
{
    const RingSet a = {Rect(0, 0, 10, 10), {}};
    const RingSet b = {{{1, 1}, {2, 2}}};
    for (int code : {100, 109}) {
        const Outcome outcome = RunEntry(a, b, code);
        EXPECT_EQ(outcome.status, PLG_OP_OK);
        ASSERT_EQ(outcome.rings.size(), 3u) << code;
        EXPECT_EQ(outcome.rings[0].size(), 4u);
        EXPECT_EQ(outcome.rings[1].size(), 0u);
        EXPECT_EQ(outcome.rings[2][1].x, 2);
    }
    // Nothing to hand back: four zero fields.
    PlgOpResult empty{nullptr, nullptr, 0, 0};
    PlgOpResult *result = main_polygon_logical(&empty, &empty, PLG_UNION);
    EXPECT_EQ(result->polygons, nullptr);
    EXPECT_EQ(result->points, nullptr);
    EXPECT_EQ(result->numPolygons, 0);
    DeletePlgOpResult(result);
}

TEST(PolygonEntryTest, InputFirstPointsAreIgnored)
{
    PlgSet a({Rect(0, 0, 10, 10), Rect(20, 0, 30, 10)});
    PlgSet b({Rect(5, 5, 25, 8)});
    PlgOpResult *first = main_polygon_logical(a.get(), b.get(), PLG_UNION);
    const RingSet proper = RingsOf(first);
    DeletePlgOpResult(first);
    for (auto &polygon : a.polygons)
        polygon.firstPoint = 0;
    PlgOpResult *zeroed = main_polygon_logical(a.get(), b.get(), PLG_UNION);
    const RingSet again = RingsOf(zeroed);
    DeletePlgOpResult(zeroed);
    ASSERT_EQ(proper.size(), again.size());
    for (size_t i = 0; i < proper.size(); i++)
        ASSERT_EQ(proper[i].size(), again[i].size());
}

TEST(PolygonEntryTest, ResultsAreRoundedHalfAwayFromZero)
{
    // Smoothing leaves the square alone; the list path lets the points carry
    // fractions, which the entry rounds.
    EnginePolygonList list;
    const LPoint points[] = {{2.5, -2.5}, {0.4, -0.4}, {-2.5, 2.5}, {10, 10}};
    AppendGroupAPolygon(&list, points, 4);
    PlgOpResult *result = PlgOpResultFromPolygonList(&list);
    ASSERT_EQ(result->totalPoints, 4);
    EXPECT_EQ(result->points[0].x, 3);
    EXPECT_EQ(result->points[0].y, -3);
    EXPECT_EQ(result->points[1].x, 0);
    EXPECT_EQ(result->points[1].y, 0);
    EXPECT_EQ(result->points[2].x, -3);
    EXPECT_EQ(result->points[2].y, 3);
    DeletePlgOpResult(result);
}

TEST(PolygonEntryTest, RoundingThatLeavesNoAreaDropsTheRing)
{
    EnginePolygonList list;
    const LPoint sliver[] = {{0, 0}, {100, 0.2}, {200, 0.1}, {100, -0.3}};
    const LPoint repeated[] = {{0, 0}, {0.2, 0}, {10, 0}, {10, 10}, {0, 10}, {0.1, 0.1}};
    AppendGroupAPolygon(&list, sliver, 4);
    AppendGroupAPolygon(&list, repeated, 6);
    PlgOpResult *result = PlgOpResultFromPolygonList(&list);
    // The sliver rounds onto one line; the square keeps its four corners once.
    ASSERT_EQ(result->numPolygons, 1);
    EXPECT_EQ(result->polygons[0].numPoints, 4);
    DeletePlgOpResult(result);
}

TEST(PolygonEntryTest, RingsOfFewerThanThreePointsAreSkippedByOperations)
{
    const Outcome outcome = RunEntry({Rect(0, 0, 10, 10), {}, {{5, 5}, {6, 6}}}, {{}}, PLG_UNION);
    EXPECT_EQ(outcome.status, PLG_OP_OK);
    ASSERT_EQ(outcome.rings.size(), 1u);
    EXPECT_DOUBLE_EQ(ClockwiseArea(outcome.rings), 100);
}

TEST(PolygonEntryTest, CountsBeyondTheArraysAreRejectedWithoutReading)
{
    PlgSet a({Rect(0, 0, 10, 10)});
    a.polygons[0].numPoints = 40; // more than the 4 points there are
    PlgOpStatus status = PLG_OP_OK;
    PlgOpResult *result = main_polygon_logical(a.get(), nullptr, PLG_UNION, &status);
    EXPECT_EQ(status, PLG_OP_BAD_INPUT);
    EXPECT_EQ(result->numPolygons, 0);
    DeletePlgOpResult(result);
    // The same input as it should be still works, and is unchanged.
    a.polygons[0].numPoints = 4;
    EXPECT_EQ(RunEntry({Rect(0, 0, 10, 10)}, {}, PLG_UNION).status, PLG_OP_OK);
    EXPECT_EQ(a.points[2].x, 10);
}

TEST(PolygonEntryTest, TheArrayFormTakesOneRingEachSide)
{
    const PlgList a[] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
    const PlgList b[] = {{5, 5}, {5, 15}, {15, 15}, {15, 5}};
    PlgOpStatus status;
    PlgOpResult *result = main_polygon_logical(a, 4, b, 4, PLG_INTERSECTION, &status);
    EXPECT_EQ(status, PLG_OP_OK);
    EXPECT_DOUBLE_EQ(ClockwiseArea(RingsOf(result)), 25);
    DeletePlgOpResult(result);
    result = main_polygon_logical(a, 4, nullptr, 3, PLG_UNION, &status);
    EXPECT_EQ(status, PLG_OP_BAD_INPUT);
    DeletePlgOpResult(result);
}

// An engine error in the middle of an operation (an empty ring reaches the
// graph builder after the parameters were scaled) ends that operation only:
// the next one gives what a fresh engine gives.
TEST(PolygonEntryTest, AnErrorMidOperationLeavesTheEngineUsable)
{
    const RingSet a = {Rect(0, 0, 100, 100)};
    const RingSet b = {Rect(50, 50, 150, 150), Rect(20, 20, 40, 40)};
    const Outcome fresh = RunEntry(a, b, PLG_EXCLUSIVE_OR);
    ASSERT_EQ(fresh.status, PLG_OP_OK);

    EnginePolygonList list;
    const LPoint square[] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
    AppendGroupAPolygon(&list, square, 4);
    // Handed straight to the driver, past the entry's own checks.
    list.insend(new EnginePolygon);
    const PlgOpStatus failed = [&] {
        EngineHandlerScope handlers;
        try {
            RunEngineOperation(&list, OP_UNION);
        } catch (const GDS_Error &error) {
            EXPECT_STREQ(error.GetReportMessage(), "DL_Iter<Dtype>::item()no item at current");
            return PLG_OP_FAILED;
        }
        return PLG_OP_OK;
    }();
    EXPECT_EQ(failed, PLG_OP_FAILED);
    EXPECT_TRUE(ParametersAtLoadValues());
    EXPECT_EQ(CurrentErrorHandler(), nullptr);

    const Outcome after = RunEntry(a, b, PLG_EXCLUSIVE_OR);
    EXPECT_EQ(after.status, PLG_OP_OK);
    ASSERT_EQ(after.rings.size(), fresh.rings.size());
    for (size_t i = 0; i < fresh.rings.size(); i++) {
        ASSERT_EQ(after.rings[i].size(), fresh.rings[i].size());
        for (size_t j = 0; j < fresh.rings[i].size(); j++) {
            EXPECT_EQ(after.rings[i][j].x, fresh.rings[i][j].x);
            EXPECT_EQ(after.rings[i][j].y, fresh.rings[i][j].y);
        }
    }
}

TEST(PolygonEntryTest, TheListFormSkipsShortRings)
{
    EnginePolygonList list;
    const LPoint square[] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
    AppendGroupAPolygon(&list, square, 4);
    AppendGroupBPolygon(&list, square, 2); // too short: skipped, not an error
    EXPECT_EQ(RunPolygonListOperation(&list, PLG_UNION), PLG_OP_OK);
    EXPECT_EQ(list.count(), 1);
    EXPECT_TRUE(ParametersAtLoadValues());
}

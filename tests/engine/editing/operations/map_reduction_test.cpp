#include "engine/editing/operations/map_reduction.h"

#include "engine/editing/operations/reducing_dialog.h"
#include "engine/kernel/settings.h"
#include "engine/window/window_heights.h"
#include "engine/window/window_points.h"
#include "platform/modal_dialog.h"
#include "platform/profile.h"
#include "tests/engine/editing/operations/operations_fixture.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <random>

namespace {

std::vector<MAP_COORDPT> Reduced(const std::vector<MAP_COORDPT> &in, bool linear, double threshold)
{
    std::vector<MAP_COORDPT> out(in.size());
    out.resize(map_Reduce(in.data(), out.data(), in.size(), linear, threshold));
    return out;
}

struct ReductionCase {
    const char *name;
    std::vector<MAP_COORDPT> in;
    double threshold;
    std::vector<MAP_COORDPT> linear;
    std::vector<MAP_COORDPT> recursive;
};

TEST(MapReduction, WorkersFollowTheirRules)
{
    const std::vector<ReductionCase> cases = {
        {"three collinear points", {{0, 0}, {5, 0}, {10, 0}}, 2.0, {{0, 0}, {10, 0}}, {{0, 0}, {10, 0}}},
        // Linear drops only strictly closer points; recursive splits only
        // at a distance strictly greater than the threshold.
        {"middle point at the threshold",
         {{0, 0}, {5, 2}, {10, 0}},
         2.0,
         {{0, 0}, {5, 2}, {10, 0}},
         {{0, 0}, {10, 0}}},
        // Beyond the segment's end the distance is to that end: 3 from the
        // anchor, though 0 from the extended line.
        {"spike back past the anchor",
         {{0, 0}, {-3, 0}, {10, 0}},
         2.0,
         {{0, 0}, {-3, 0}, {10, 0}},
         {{0, 0}, {-3, 0}, {10, 0}}},
        {"spike within the threshold", {{0, 0}, {-1, 0}, {10, 0}}, 2.0, {{0, 0}, {10, 0}}, {{0, 0}, {10, 0}}},
        // Equal distances: the recursive worker splits at the first, and
        // the second then lies within the threshold of the new chord.
        {"two points equally far",
         {{0, 0}, {3, 5}, {7, 5}, {10, 0}},
         4.0,
         {{0, 0}, {7, 5}, {10, 0}},
         {{0, 0}, {3, 5}, {10, 0}}},
        {"threshold 0 keeps every point off the line",
         {{0, 0}, {1, 1}, {2, 0}, {3, 1}},
         0.0,
         {{0, 0}, {1, 1}, {2, 0}, {3, 1}},
         {{0, 0}, {1, 1}, {2, 0}, {3, 1}}},
        {"negative threshold",
         {{0, 0}, {5, 0}, {10, 0}},
         -1.0,
         {{0, 0}, {5, 0}, {10, 0}},
         {{0, 0}, {5, 0}, {10, 0}}},
        {"coinciding ends (a ring)",
         {{0, 0}, {10, 0}, {10, 10}, {0, 0}},
         2.0,
         {{0, 0}, {10, 0}, {10, 10}, {0, 0}},
         {{0, 0}, {10, 0}, {10, 10}, {0, 0}}},
    };
    for (const ReductionCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Reduced(c.in, true, c.threshold), c.linear);
        EXPECT_EQ(Reduced(c.in, false, c.threshold), c.recursive);
    }
}

TEST(MapReduction, FewerThanThreePointsWriteNothing)
{
    MAP_COORDPT in[2] = {{1, 2}, {3, 4}};
    MAP_COORDPT out[2] = {{7, 7}, {7, 7}};
    EXPECT_EQ(map_Reduce(in, out, 2, 0, 1.0), 0u);
    EXPECT_EQ(map_Reduce(in, out, 0, 1, 1.0), 0u);
    EXPECT_EQ(map_Reduce(nullptr, out, 5, 1, 1.0), 0u);
    EXPECT_EQ(out[0], (MAP_COORDPT{7, 7}));
}

TEST(MapReduction, ThreeDimensionalFormMeasuresHeights)
{
    // In plan the middle point is on the chord; its height puts it 5 away.
    const MAP3D_COORDPT in[3] = {{0, 0, 0}, {5, 0, 5}, {10, 0, 0}};
    MAP3D_COORDPT out[3]{};
    EXPECT_EQ(map3d_Reduce(in, out, 3, 0, 4.0), 3u);
    EXPECT_EQ(map3d_Reduce(in, out, 3, 1, 4.0), 3u);
    EXPECT_EQ(map3d_Reduce(in, out, 3, 0, 6.0), 2u);
    EXPECT_EQ(out[1].x, 10);
    EXPECT_EQ(out[1].z, 0);
    // Beyond an end the 3-D distance is to that end as well.
    EXPECT_DOUBLE_EQ(
        ReducePointSegmentDistance(MAP3D_COORDPT{-3, 0, 4}, MAP3D_COORDPT{0, 0, 0}, MAP3D_COORDPT{10, 0, 0}),
        5.0);
    EXPECT_DOUBLE_EQ(
        ReducePointSegmentDistance(MAP3D_COORDPT{5, 3, 4}, MAP3D_COORDPT{0, 0, 0}, MAP3D_COORDPT{10, 0, 0}),
        5.0);
}

// Every dropped point lies within the threshold of the reduced line's
// segment that spans it; the ends are kept.
void ExpectDroppedWithin(const std::vector<MAP_COORDPT> &in, const std::vector<MAP_COORDPT> &out,
                         double threshold, bool strict)
{
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out.front(), in.front());
    EXPECT_EQ(out.back(), in.back());
    size_t k = 0; // index in the output of the last kept point
    for (size_t i = 1; i + 1 < in.size(); ++i) {
        if (k + 1 < out.size() - 1 && in[i] == out[k + 1]) {
            ++k;
            continue;
        }
        const double d = ReducePointSegmentDistance(in[i], out[k], out[k + 1]);
        if (strict)
            ASSERT_LT(d, threshold) << "point " << i;
        else
            ASSERT_LE(d, threshold) << "point " << i;
    }
}

std::vector<MAP_COORDPT> RandomWalk(size_t n, unsigned seed, int step)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> d(-step, step);
    std::vector<MAP_COORDPT> out(n);
    MAP_COORDPT p{0, 0};
    for (MAP_COORDPT &q : out) {
        q = p;
        p.x += d(random);
        p.y += d(random);
    }
    return out;
}

TEST(MapReduction, MillionPointLineRunsWithoutDeepRecursion)
{
    // A line whose growing teeth make every range split next to its far
    // end: as deep as ranges go (its cost grows with the square of the
    // length, so it stays short).
    std::vector<MAP_COORDPT> line(20000);
    for (size_t i = 0; i < line.size(); ++i)
        line[i] = {int32_t(i), int32_t(i % 2 ? 3 * i : 0)};
    const std::vector<MAP_COORDPT> out = Reduced(line, false, 0.5);
    ExpectDroppedWithin(line, out, 0.5, false);

    const std::vector<MAP_COORDPT> walk = RandomWalk(1000000, 7, 50);
    const std::vector<MAP_COORDPT> reduced = Reduced(walk, false, 100.0);
    EXPECT_LT(reduced.size(), walk.size());
    ExpectDroppedWithin(walk, reduced, 100.0, false);
}

TEST(MapReduction, LinearDropsOnlyPointsStrictlyWithinTheThreshold)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const std::vector<MAP_COORDPT> walk = RandomWalk(500, seed, 10);
        const std::vector<MAP_COORDPT> out = Reduced(walk, true, 15.0);
        ExpectDroppedWithin(walk, out, 15.0, true);
    }
}

class ReductionObjectsTest : public OperationsTest {};

TEST_F(ReductionObjectsTest, ObjectFormsKeepValidObjects)
{
    const OBJHANDLE line = polyline({{0, 0}, {5, 1}, {10, 0}, {15, 1}, {20, 0}});
    const OBJHANDLE flat = polygon({{0, 0}, {4, 1}, {8, 0}, {10, 0}});
    MAP_COORDPT out[5]{};
    long count = -1;
    EXPECT_EQ(map_Reduce(window, line, out, &count, 0, 2.0), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(points(line).size(), 5u) << "the array form leaves the object";
    // A polygon reduced below three points stays as it is.
    EXPECT_EQ(map_Reduce(window, flat, out, &count, 0, 2.0), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(map_Reduce(window, flat, 0, 2.0), 0);
    EXPECT_EQ(points(flat).size(), 4u);

    EXPECT_EQ(map_Reduce(window, line, 1, 2.0), 1);
    EXPECT_EQ(points(line), (std::vector<MAP_COORDPT>{{0, 0}, {20, 0}}));
    EXPECT_EQ(bound(line), (MAP_COORDRECT{0, 0, 20, 0}));

    // Bad handles and objects with heights are refused.
    EXPECT_EQ(map_Reduce(window, 0, 0, 2.0), 0);
    EXPECT_EQ(map_Reduce(window, 0xFFFFF, out, &count, 0, 2.0), 0);
    EXPECT_EQ(count, 0);
    const MAP3D_COORDPT p3[3] = {{0, 0, 1}, {5, 0, 1}, {10, 0, 1}};
    OBJHANDLE h3 = 0;
    ASSERT_EQ(map3d_polyline_Create(window, &h3, p3, 3, 0), 1);
    EXPECT_EQ(map_Reduce(window, h3, 0, 2.0), 0);
}

class ReducingDialogTest : public OperationsTest {
protected:
    void TearDown() override
    {
        SetModalDialogHook({});
        OperationsTest::TearDown();
    }
};

TEST_F(ReducingDialogTest, LoadShowsTheStoredSettingsWithTheLocaleDecimal)
{
    ReducingPointsModel model;
    model.Load();
    EXPECT_EQ(model.thresholdText(), "2.00");
    EXPECT_FALSE(model.linear());

    WriteProfileStringA("intl", "sDecimal", ",");
    m_RegValueSet("Settings\\Reducing", "Thresold", -3.0);
    m_RegValueSet("Settings\\Reducing", "Method", "linear");
    model.Load();
    EXPECT_EQ(model.decimal(), ',');
    EXPECT_EQ(model.thresholdText(), "0,00");
    EXPECT_TRUE(model.linear());

    model.setThresholdText("1,5");
    EXPECT_DOUBLE_EQ(model.threshold(), 1.5);
}

TEST_F(ReducingDialogTest, ApplyReducesTheSelectionInOneStep)
{
    const OBJHANDLE line = polyline({{0, 0}, {5, 1}, {10, 0}, {15, 1}, {20, 0}});
    const OBJHANDLE ring = polygon({{0, 0}, {0, 50}, {1, 100}, {0, 150}, {100, 150}, {100, 0}});
    select({line, ring});
    WriteProfileStringA("intl", "sDecimal", ",");
    ReducingPointsModel model;
    model.Load();
    model.setThresholdText("1,5");
    model.setLinear(true);
    expectOneUndoStep([&] { EXPECT_EQ(model.Apply(window).changed, 2); }, kUndoReducing);
    EXPECT_EQ(points(line), (std::vector<MAP_COORDPT>{{0, 0}, {20, 0}}));
    EXPECT_EQ(points(ring).size(), 4u);
    EXPECT_TRUE(boxes.empty());

    double stored = 0;
    ASSERT_EQ(m_RegValueGet("Settings\\Reducing", "Thresold", &stored), 1);
    EXPECT_DOUBLE_EQ(stored, 1.5);
    char method[32] = {};
    ASSERT_EQ(m_RegValueGet("Settings\\Reducing", "Method", method, sizeof method), 1);
    EXPECT_STREQ(method, "Linear");
}

TEST_F(ReducingDialogTest, ThresholdZeroOrNothingToReduceChangesNothing)
{
    const OBJHANDLE line = polyline({{0, 0}, {5, 1}, {10, 0}});
    select({line});
    ReducingPointsModel model;
    model.Load();
    for (const char *text : {"0", "-2", "abc"}) {
        SCOPED_TRACE(text);
        model.setThresholdText(text);
        expectNoChange([&] { EXPECT_EQ(model.Apply(window).changed, 0); });
        double stored = 0;
        EXPECT_EQ(m_RegValueGet("Settings\\Reducing", "Thresold", &stored), 0) << "not stored";
    }
    // Nothing selected.
    select({});
    model.setThresholdText("5");
    expectNoChange([&] { model.Apply(window); });
}

TEST_F(ReducingDialogTest, SmallObjectsStayAndWarn)
{
    const OBJHANDLE two = polyline({{0, 0}, {10, 0}});
    const OBJHANDLE flat = polygon({{0, 0}, {4, 1}, {8, 0}, {10, 0}});
    select({two, flat});
    ReducingPointsModel model;
    model.Load();
    model.setThresholdText("2");
    expectNoChange([&] {
        const ReducingPointsModel::Outcome outcome = model.Apply(window);
        EXPECT_EQ(outcome.changed, 0);
        EXPECT_TRUE(outcome.notReduced);
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Some (small) objects were not reduced!");
    EXPECT_EQ(boxes[0].caption, "Reducing warning");
}

TEST_F(ReducingDialogTest, DialogOpensOffscreenAndAppliesOnOk)
{
    const OBJHANDLE line = polyline({{0, 0}, {5, 1}, {10, 0}});
    select({line});
    int runs = 0;
    SetModalDialogHook([&](QDialog &dialog, int id) {
        ++runs;
        EXPECT_EQ(id, kReducingDialogId);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Reducing Points"));
        auto *edit = DialogItemAs<QLineEdit>(&dialog, kReducingThresholdId);
        auto *recursive = DialogItemAs<QRadioButton>(&dialog, kReducingRecursiveId);
        auto *linear = DialogItemAs<QRadioButton>(&dialog, kReducingLinearId);
        EXPECT_TRUE(edit && recursive && linear && DialogItem(&dialog, kReducingHelpId));
        if (!edit || !recursive || !linear)
            return IDCANCEL;
        EXPECT_EQ(edit->text(), QStringLiteral("2.00"));
        EXPECT_TRUE(recursive->isChecked());
        if (runs == 1)
            return IDCANCEL;
        linear->setChecked(true);
        edit->setText(QStringLiteral("3"));
        return IDOK;
    });
    expectNoChange([&] { EXPECT_EQ(ReduceDlg(window), 1); });
    expectOneUndoStep([&] { EXPECT_EQ(ReduceDlg(window), 1); }, kUndoReducing);
    EXPECT_EQ(points(line).size(), 2u);
    EXPECT_EQ(runs, 2);
}

} // namespace

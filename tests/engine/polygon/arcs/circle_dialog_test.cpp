#include "engine/polygon/arcs/circle_dialog.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/arcs/arcs.h"
#include "engine/window/undo_window.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "tests/engine/polygon/polygon_command_fixture.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace {

class CircleDialogTest : public PolygonCommandTest {
protected:
    using PolygonCommandTest::select;
    void select(OBJHANDLE h) { select(std::vector<OBJHANDLE>{h}); }
    int32_t setting(const char *name)
    {
        uint32_t value = 0;
        EXPECT_EQ(rec.settingsKey->GetValue("Settings", name, &value, 0), 1) << name;
        return int32_t(value);
    }
    // Answers the dialog with the given field texts and OK.
    void answer(std::map<int, QString> fields, std::map<int, QString> *shown = nullptr)
    {
        SetModalDialogHook([fields, shown](QDialog &dialog, int id) {
            EXPECT_EQ(id, kCircleDialogTemplate);
            for (int field : {kCircleCentreXId, kCircleCentreYId, kCircleRadiusId, kCircleSegmentsId}) {
                auto *edit = DialogItemAs<QLineEdit>(&dialog, field);
                EXPECT_NE(edit, nullptr);
                if (!edit)
                    return IDCANCEL;
                if (shown)
                    (*shown)[field] = edit->text();
                if (auto it = fields.find(field); it != fields.end())
                    edit->setText(it->second);
            }
            DialogItemAs<QPushButton>(&dialog, IDOK)->click();
            return dialog.result();
        });
    }
};

TEST_F(CircleDialogTest, FirstUseShowsTheDefaultsAndStoresThem)
{
    std::map<int, QString> shown;
    answer({}, &shown);
    const int steps = Undo_UndoStepsCount(window);
    EXPECT_EQ(DlgCircle(window, 0, {500, 700}), 1);
    EXPECT_EQ(shown[kCircleCentreXId], "500");
    EXPECT_EQ(shown[kCircleCentreYId], "700");
    EXPECT_EQ(shown[kCircleRadiusId], "100");
    EXPECT_EQ(shown[kCircleSegmentsId], "10");
    EXPECT_EQ(setting(kCircleRadiusSetting), 100);
    EXPECT_EQ(setting(kCircleSegmentsSetting), 10);
    const std::vector<OBJHANDLE> made = selected();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(points(made[0]).size(), 10u);
    EXPECT_EQ(Undo_UndoStepsCount(window), steps + 1);
    EXPECT_EQ(Undo_GetStepWithIndex(window, 0, 1), UNDO_CODE_CIRCLE);
}

TEST_F(CircleDialogTest, RedefiningReplacesTheCircleInOneUndoStep)
{
    const OBJHANDLE old = CirclePolygonCreate(window, 1000, 2000, 300, 10);
    ASSERT_NE(old, 0u);
    select(old);
    const std::vector<char> before = saved();
    const int steps = Undo_UndoStepsCount(window);
    std::map<int, QString> shown;
    answer({{kCircleSegmentsId, "36"}}, &shown);
    ASSERT_EQ(ReDefCircle(window), 1);
    EXPECT_EQ(shown[kCircleRadiusId], "300");
    EXPECT_EQ(shown[kCircleSegmentsId], "10");
    const std::vector<OBJHANDLE> made = selected();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_NE(made[0], old);
    const std::vector<MAP_COORDPT> ring = points(made[0]);
    ASSERT_EQ(ring.size(), 36u);
    for (const MAP_COORDPT &p : ring)
        EXPECT_NEAR(std::hypot(p.x - 1000.0, p.y - 2000.0), 300, 1);
    EXPECT_EQ(Undo_UndoStepsCount(window), steps + 1);
    EXPECT_EQ(Undo_GetStepWithIndex(window, 0, 1), UNDO_CODE_CIRCLE);
    // Undo brings the old circle back, selected, as it was.
    ASSERT_EQ(map_Undo(window), 1);
    EXPECT_EQ(saved(), before);
}

TEST_F(CircleDialogTest, OnlyPolygonsWithVerticesRoundOneCentreCanBeRedefined)
{
    int dialogs = 0;
    SetModalDialogHook([&](QDialog &, int) {
        ++dialogs;
        return IDCANCEL;
    });
    struct Case {
        const char *name;
        OBJHANDLE object;
    } cases[] = {
        {"a plain polygon", polygon({{0, 0}, {100, 0}, {100, 100}})},
        {"a centre with x = 0", CirclePolygonCreate(window, 0, 500, 100, 12)},
        {"a centre with y = 0", CirclePolygonCreate(window, 500, 0, 100, 12)},
        {"an arc", m_ArcCreate(window, 500, 500, 100, 0, 90, 8)},
        {"nothing selected", 0},
    };
    for (const Case &c : cases) {
        SetSelection(window, nullptr, 0, 0, 0);
        if (c.object)
            select(c.object);
        EXPECT_EQ(ReDefCircle(window), 0) << c.name;
    }
    // A circle whose vertex was dragged away is no longer one.
    const OBJHANDLE circle = CirclePolygonCreate(window, 500, 500, 100, 12);
    MAP_COORDPT far{900, 900};
    ASSERT_EQ(SetOfLinesegmentSetPoint(kernel(), circle, &far, 3), 1);
    select(circle);
    EXPECT_EQ(ReDefCircle(window), 0);
    EXPECT_EQ(dialogs, 0);
    // Cancel on a real circle changes nothing.
    const OBJHANDLE real = CirclePolygonCreate(window, 800, 800, 100, 12);
    select(real);
    const int steps = Undo_UndoStepsCount(window);
    EXPECT_EQ(ReDefCircle(window), 1);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(Undo_UndoStepsCount(window), steps);
    EXPECT_EQ(selected(), std::vector<OBJHANDLE>{real});
}

TEST_F(CircleDialogTest, NoCircleMeansNoUndoStepAndTheOldCircleStays)
{
    const OBJHANDLE old = CirclePolygonCreate(window, 1000, 2000, 300, 10);
    struct Case {
        const char *name;
        QString radius, segments;
    } cases[] = {
        {"two segments", "300", "2"}, {"no segments", "300", "0"},     {"text segments", "300", "many"},
        {"radius 0", "0", "12"},      {"negative radius", "-5", "12"}, {"huge segments", "300", "9999999"},
    };
    for (const Case &c : cases) {
        select(old);
        const std::vector<char> before = saved();
        const int steps = Undo_UndoStepsCount(window);
        answer({{kCircleRadiusId, c.radius}, {kCircleSegmentsId, c.segments}});
        EXPECT_EQ(ReDefCircle(window), 1) << c.name;
        EXPECT_EQ(Undo_UndoStepsCount(window), steps) << c.name;
        EXPECT_EQ(selected(), std::vector<OBJHANDLE>{old}) << c.name;
        // Only the stored radius and segments differ; restore them.
        uint32_t r = 300, s = 10;
        rec.settingsKey->SetValue("Settings", kCircleRadiusSetting, &r, 0);
        rec.settingsKey->SetValue("Settings", kCircleSegmentsSetting, &s, 0);
        EXPECT_EQ(saved(), before) << c.name;
    }
}

TEST_F(CircleDialogTest, NonNumericTextReadsAsZero)
{
    CircleDialogModel model;
    model.Load(window, 0, {1, 2});
    model.setText(kCircleCentreXId, "abc");
    model.setText(kCircleRadiusId, "42xyz");
    EXPECT_EQ(model.centreX, 0);
    EXPECT_EQ(model.radius, 42);
    EXPECT_EQ(model.text(kCircleCentreYId), "2");
}

TEST_F(CircleDialogTest, CircularSelectionKeepsTheRecordOnly)
{
    CCircularSelection a(&rec, {1, 2}, 30, 4, 5);
    CCircularSelection b(nullptr, {0, 0}, 0, 0, 0);
    b = a;
    EXPECT_EQ(b.record(), &rec);
}

} // namespace

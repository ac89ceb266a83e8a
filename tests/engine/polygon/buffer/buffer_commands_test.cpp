#include "engine/polygon/buffer/buffer_commands.h"

#include "engine/editing/set_geometry.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/buffer/buffering_dialog.h"
#include "engine/window/undo_window.h"
#include "engine/kernel/selection_list.h"
#include "engine/window/window_children.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_selection.h"
#include "engine/window/window_text.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/wait_cursor.h"
#include "tests/engine/polygon/polygon_command_fixture.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class BufferCommandsTest : public PolygonCommandTest {
protected:
    // The runs of the progress: each must go from (9, -1) to (1, -2).
    int progressRuns() const
    {
        int runs = 0;
        bool open = false;
        for (const auto &[kind, value] : progress()) {
            if (kind == MAPN_KIND_BUFFER && value == MAPN_PROGRESS_START) {
                EXPECT_FALSE(open);
                open = true;
                ++runs;
            } else if (value == MAPN_PROGRESS_END) {
                EXPECT_TRUE(open);
                open = false;
            } else {
                EXPECT_TRUE(open);
                EXPECT_EQ(kind, WPARAM(MAPN_KIND_RUNNING));
            }
        }
        EXPECT_FALSE(open);
        return runs;
    }
    OBJHANDLE text(MAP_COORDPT anchor)
    {
        OBJHANDLE h = 0;
        EXPECT_EQ(map_text_Create(window, &h, "label", &anchor, "Arial", 10, 0, 0, 0, 0, 0, 0), 1);
        return h;
    }
    OBJHANDLE square(int32_t x, int32_t y, int32_t side)
    {
        return polygon({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
    }
    void setSetting(const char *name, uint32_t value)
    {
        ASSERT_EQ(rec.settingsKey->SetValue("Settings", name, &value, 0), 1);
    }
};

TEST_F(BufferCommandsTest, ZonesAreNewSelectedPolygonsOfOneUndoStep)
{
    const OBJHANDLE sq = square(0, 0, 100);
    const OBJHANDLE line = polyline({{500, 0}, {700, 0}});
    const OBJHANDLE label = text({1000, 1000});
    select({sq, line, label});
    const std::vector<char> before = saved();
    const int steps = Undo_UndoStepsCount(window);
    received.clear();

    ASSERT_EQ(map_create_buffer2(window, 10, 10, mc_EndingsNo, mc_CornerSharped, mc_BufferOuter, 15,
                                 mc_CalculationDefault),
              1);
    EXPECT_FALSE(WaitCursor::Showing());
    const std::vector<OBJHANDLE> zones = selected();
    ASSERT_EQ(zones.size(), 3u);
    std::vector<double> areas;
    for (OBJHANDLE z : zones) {
        EXPECT_EQ(GetOBJectClassID(kernel(), z), CLASS_POLYGON);
        areas.push_back(area(z));
    }
    // The disc around the text comes first, then the grown square and the
    // rectangle around the line.
    EXPECT_NEAR(areas[0], 3.1416 * 100, 20);
    EXPECT_EQ(areas[1], 120.0 * 120);
    EXPECT_EQ(areas[2], 20.0 * 200);
    // The buffered objects stay.
    EXPECT_EQ(points(sq), (Ring{{0, 0}, {100, 0}, {100, 100}, {0, 100}}));
    EXPECT_EQ(progressRuns(), 2);
    EXPECT_FALSE(receivedOf(MAPN_SELCOUNT).empty());
    EXPECT_EQ(Undo_UndoStepsCount(window), steps + 1);
    EXPECT_EQ(Undo_GetStepWithIndex(window, 0, 1), UNDO_CODE_BUFFERING);
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);

    ASSERT_EQ(map_Undo(window), 1);
    EXPECT_EQ(saved(), before);
}

TEST_F(BufferCommandsTest, NegativeSizeBuffersPolygonsInwardOnly)
{
    const OBJHANDLE sq = square(0, 0, 200);
    const OBJHANDLE line = polyline({{500, 0}, {700, 0}});
    const OBJHANDLE label = text({1000, 1000});
    select({sq, line, label});
    ASSERT_EQ(map_create_buffer2(window, -50, 10, 0, 0, mc_BufferOuter, 15, 0), 1);
    const std::vector<OBJHANDLE> zones = selected();
    ASSERT_EQ(zones.size(), 1u);
    EXPECT_EQ(area(zones[0]), 100.0 * 100);
}

TEST_F(BufferCommandsTest, GroupsAreSearchedAndIdentifierlessTextsBuffered)
{
    const OBJHANDLE a = square(0, 0, 100);
    const OBJHANDLE b = polyline({{500, 0}, {700, 0}});
    OBJHANDLE group = 0;
    ASSERT_EQ(map_group_Create(window, &group, std::vector<OBJHANDLE>{a, b}.data(), 2, 0), 1);
    select({group});
    ASSERT_EQ(map_create_buffer2(window, 10, 10, 0, 0, mc_BufferBoth, 15, mc_CalculationEx), 1);
    EXPECT_EQ(selected().size(), 2u);
}

TEST_F(BufferCommandsTest, NothingToBufferLeavesTheMapAlone)
{
    const OBJHANDLE line = polyline({{0, 0}, {100, 0}});
    const OBJHANDLE sq = square(0, 0, 100);
    struct Case {
        const char *name;
        std::vector<OBJHANDLE> selection;
        int32_t size, segments, endings, corners, type, times, calculation;
    } cases[] = {
        {"size 0", {sq}, 0, 10, 0, 0, 1, 15, 0},
        {"no circle segments", {sq}, 10, 0, 0, 0, 1, 15, 0},
        {"too many circle segments", {sq}, 10, 1001, 0, 0, 1, 15, 0},
        {"endings out of range", {sq}, 10, 10, 3, 0, 1, 15, 0},
        {"corners out of range", {sq}, 10, 10, 0, -1, 1, 15, 0},
        {"type out of range", {sq}, 10, 10, 0, 0, 7, 15, 0},
        {"calculation out of range", {sq}, 10, 10, 0, 0, 1, 15, 2},
        {"empty selection", {}, 10, 10, 0, 0, 1, 15, 0},
        {"inner buffer of a polyline only", {line}, 10, 10, 0, 0, mc_BufferInner, 15, 0},
    };
    for (const Case &c : cases) {
        SetOfObjectsUnSelect(window, GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS));
        if (!c.selection.empty())
            select(c.selection);
        const std::vector<char> before = saved();
        const int steps = Undo_UndoStepsCount(window);
        EXPECT_EQ(map_create_buffer2(window, c.size, c.segments, c.endings, c.corners, c.type, c.times,
                                     c.calculation),
                  0)
            << c.name;
        EXPECT_EQ(Undo_UndoStepsCount(window), steps) << c.name;
        EXPECT_TRUE(selected().empty() || !c.selection.empty()) << c.name;
        // Only the selection may have gone.
        SetOfObjectsUnSelect(window, GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS));
        if (!c.selection.empty())
            select(c.selection);
        EXPECT_EQ(saved(), before) << c.name;
    }
}

TEST_F(BufferCommandsTest, DegenerateObjectsEndTheirProgressAndMakeNothing)
{
    struct Case {
        const char *name;
        uint16_t cls;
        Ring points;
        int32_t size;
    } cases[] = {
        {"one-point polyline", CLASS_POLYLINE, {{5, 5}}, 10},
        {"all-equal polyline", CLASS_POLYLINE, {{5, 5}, {5, 5}, {5, 5}}, 10},
        {"two-point polygon", CLASS_POLYGON, {{0, 0}, {100, 0}}, 10},
        {"coordinates near the limit", CLASS_POLYLINE, {{2147483600, 0}, {2147483600, 500}}, 10000000},
        {"negative limit", CLASS_POLYLINE, {{-2147483600, 0}, {-2147483600, 500}}, -10000000},
    };
    for (const Case &c : cases)
        for (int calculation : {0, 1}) {
            const OBJHANDLE h = make(c.cls, c.points);
            select({h});
            const int steps = Undo_UndoStepsCount(window);
            received.clear();
            EXPECT_EQ(map_create_buffer2(window, c.size, 10, 2, 1, mc_BufferBoth, 15, calculation), 1)
                << c.name;
            EXPECT_EQ(progressRuns(), 1) << c.name;
            EXPECT_TRUE(selected().empty()) << c.name;
            EXPECT_EQ(Undo_UndoStepsCount(window), steps) << c.name;
        }
}

TEST_F(BufferCommandsTest, HugeSizesAndFineArcsStillMakeZones)
{
    const OBJHANDLE sq = square(0, 0, 1000);
    struct Case {
        int32_t size, segments, type;
        bool made;
    } cases[] = {
        {10000000, 10, mc_BufferOuter, true},
        {-10000000, 10, mc_BufferOuter, false}, // shrunk away
        {50, 1000, mc_BufferBoth, true},
        {50, 1, mc_BufferBoth, true},
    };
    for (const Case &c : cases) {
        select({sq});
        const int steps = Undo_UndoStepsCount(window);
        EXPECT_EQ(map_create_buffer2(window, c.size, c.segments, 2, 1, c.type, 15, 0), 1);
        EXPECT_EQ(selected().size(), c.made ? 1u : 0u) << c.size;
        EXPECT_EQ(Undo_UndoStepsCount(window), steps + (c.made ? 1 : 0));
    }
}

TEST_F(BufferCommandsTest, SingleBufferTakesTheFirstSelectedPolygonOrPolyline)
{
    const OBJHANDLE label = text({0, 0});
    const OBJHANDLE line = polyline({{0, 0}, {100, 0}});
    int dialogs = 0;
    SetModalDialogHook([&](QDialog &, int) {
        ++dialogs;
        return IDOK;
    });
    select({label, line});
    EXPECT_EQ(map_create_buffer_single(window), 0);
    EXPECT_EQ(dialogs, 0);

    select({line, label});
    const int steps = Undo_UndoStepsCount(window);
    ASSERT_EQ(map_create_buffer_single(window), 1);
    EXPECT_EQ(dialogs, 1);
    const std::vector<OBJHANDLE> zones = selected();
    ASSERT_EQ(zones.size(), 1u);
    // The stored defaults: size 10, no ending.
    EXPECT_EQ(area(zones[0]), 20.0 * 100);
    EXPECT_EQ(Undo_UndoStepsCount(window), steps + 1);
}

TEST_F(BufferCommandsTest, DialogRoadUsesTheTypedSizeAndTheStoredSwitches)
{
    const OBJHANDLE sq = square(0, 0, 200);
    select({sq});
    SetModalDialogHook([&](QDialog &dialog, int id) {
        EXPECT_EQ(id, kBufferingDialogId);
        DialogItemAs<QLineEdit>(&dialog, kBufferingSizeId)->setText(QStringLiteral("-25"));
        DialogItemAs<QPushButton>(&dialog, IDOK)->click();
        return dialog.result();
    });
    ASSERT_EQ(map_create_buffer(window), 1);
    ASSERT_EQ(selected().size(), 1u);
    EXPECT_EQ(area(selected()[0]), 150.0 * 150);

    // Both sides from the stored switch: the band, whatever the sign.
    setSetting(kBufferingBothSidesSetting, 1);
    select({sq});
    ASSERT_EQ(map_create_buffer(window), 1);
    ASSERT_EQ(selected().size(), 1u);
    EXPECT_EQ(area(selected()[0]), 250.0 * 250 - 150.0 * 150);

    // Cancel and a size of 0 make nothing.
    SetModalDialogHook([](QDialog &, int) { return IDCANCEL; });
    select({sq});
    EXPECT_EQ(map_create_buffer(window), 0);
    SetModalDialogHook([&](QDialog &dialog, int) {
        DialogItemAs<QLineEdit>(&dialog, kBufferingSizeId)->setText(QStringLiteral("0"));
        DialogItemAs<QPushButton>(&dialog, IDOK)->click();
        return dialog.result();
    });
    EXPECT_EQ(map_create_buffer(window), 0);
}

} // namespace

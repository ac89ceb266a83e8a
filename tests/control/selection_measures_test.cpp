// Selection measures through the control: a known square in the document's
// units, and the totals following the selection through delete, undo, redo
// and a document opened again.
#include "control_fixture.h"

#include "engine/kernel/map_file.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/window_selection.h"

#include <QTemporaryDir>

namespace {

class SelectionMeasures : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        // Map units of centimetres; lengths in metres, areas in hectares.
        for (auto [which, unit] : {std::pair{1, 3}, std::pair{2, 3}, std::pair{3, 4}, std::pair{4, 29}})
            ctl->UnitsSet(which, unit);
    }
    // A square of 200 m a side.
    OBJHANDLE Square() { return Polygon({{0, 0}, {20000, 0}, {20000, 20000}, {0, 20000}}); }
    int32_t Selected()
    {
        int32_t count = -1;
        map_selection_Get(hwnd(), &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
        return count;
    }
    void ExpectMeasures(double metres, double hectares, const char *when)
    {
        EXPECT_NEAR(ctl->GetObjectLength(0), metres, 1e-9) << when;
        EXPECT_NEAR(ctl->GetObjectArea(0), hectares, 1e-9) << when;
    }
};

TEST_F(SelectionMeasures, ASquareInCentimetresMeasuresInMetresAndHectaresThroughDeleteUndoAndRedo)
{
    const OBJHANDLE p = Square();
    map_selection_Set(hwnd(), &p, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    ExpectMeasures(800, 4, "selected");
    ASSERT_EQ(ctl->Command(mCmdObjectDiscard), 1);
    ExpectMeasures(0, 0, "deleted");
    ASSERT_EQ(ctl->Command(mCmdUndo), 1);
    ASSERT_EQ(Selected(), 1);
    ExpectMeasures(800, 4, "undone");
    ASSERT_EQ(ctl->Command(mCmdRedo), 1);
    ASSERT_EQ(Selected(), 0);
    ExpectMeasures(0, 0, "redone");
}

TEST_F(SelectionMeasures, ADocumentOpenedAgainMeasuresItsSelection)
{
    const OBJHANDLE p = Square();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string plain = (dir.path() + "/square.mpd").toStdString();
    ASSERT_EQ(MapSave(hwnd(), plain.c_str()), 1);
    // Saved with the square selected: the document keeps its selection.
    map_selection_Set(hwnd(), &p, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    const std::string selected = (dir.path() + "/selected.mpd").toStdString();
    ASSERT_EQ(MapSave(hwnd(), selected.c_str()), 1);

    ASSERT_EQ(Call("Open", {VariantFromString(plain)}).lVal, 1);
    EXPECT_EQ(ctl->UnitsGet(1), 3) << "the document keeps its units";
    ExpectMeasures(0, 0, "opened without a selection");
    map_selection_Set(hwnd(), &p, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    ASSERT_EQ(Selected(), 1);
    ExpectMeasures(800, 4, "opened again and selected");

    ASSERT_EQ(Call("Open", {VariantFromString(selected)}).lVal, 1);
    ASSERT_EQ(Selected(), 1);
    ExpectMeasures(800, 4, "opened with its selection");
    ASSERT_EQ(Call("Open", {VariantFromString(plain)}).lVal, 1);
    ExpectMeasures(0, 0, "another document opened");
}

} // namespace

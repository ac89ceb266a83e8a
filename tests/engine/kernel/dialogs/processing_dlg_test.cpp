#include "engine/kernel/dialogs/processing_dlg.h"

#include "engine/kernel/module_startup.h"
#include "platform/modal_dialog.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(ProcessingModelTest, StartsAtZeroOfAHundredAndAHundredStepsFillIt)
{
    ProcessingModel m;
    EXPECT_EQ(m.Minimum(), 0);
    EXPECT_EQ(m.Maximum(), 100);
    EXPECT_EQ(m.Position(), 0);
    EXPECT_EQ(m.Step(), 1);
    EXPECT_FALSE(m.IsCancelled());
    for (int i = 0; i < 100; ++i)
        m.StepIt();
    EXPECT_EQ(m.Position(), 100);
    m.StepIt();
    EXPECT_EQ(m.Position(), 1) << "past the top the bar starts again";
}

TEST(ProcessingModelTest, PositionsArePercentagesOfTheRangeWidth)
{
    struct Case {
        int min, max, n, expected;
    } cases[] = {
        {0, 100, 37, 37},       {0, 1000, 500, 50}, // percent of the width
        {0, 300, 100, 33},                          // integer division
        {0, 7, 3, 7},                               // 42 lies above the bar's top: clamped
        {0, 40000, 40000, 100}, {10, 10, 5, 10},    // width 0: no division, the bar's bottom
        {0, 100, -5, 0},                            // below the range: clamped
    };
    for (const Case &c : cases) {
        ProcessingModel m;
        m.SetRange(c.min, c.max);
        m.SetPos(c.n);
        EXPECT_EQ(m.Position(), c.expected) << c.min << ".." << c.max << " n=" << c.n;
    }
    ProcessingModel big;
    big.SetRange(0, 100);
    big.SetPos(2000000000);
    EXPECT_EQ(big.Position(), 100) << "large positions do not overflow";
}

TEST(ProcessingModelTest, BoundsAreSixteenBitWordsAndTheWidthIsKept)
{
    ProcessingModel m;
    m.SetRange(0, 70000);
    EXPECT_EQ(m.RangeWidth(), 70000);
    EXPECT_EQ(m.Maximum(), 70000 & 0xFFFF);
    m.SetStep(10);
    m.StepIt();
    EXPECT_EQ(m.Position(), 10);
}

class ProcessingDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(MapLibraryStartup(), 1); }
};

TEST_F(ProcessingDlgTest, TheWindowShowsTheTextAndBarAndCancelOnlySetsTheFlag)
{
    CProcessingDlg dlg(0);
    ASSERT_NE(dlg.Window(), nullptr);
    EXPECT_TRUE(dlg.Window()->isVisible()) << "shown modeless as soon as it is built";
    EXPECT_EQ(dlg.Window()->windowTitle(), "Processing. Please wait ...");
    dlg.SetTextId(20);
    auto *text = DialogItemAs<QLabel>(dlg.Window(), CProcessingDlg::kTextId);
    auto *bar = DialogItemAs<QProgressBar>(dlg.Window(), CProcessingDlg::kProgressId);
    auto *cancel = DialogItemAs<QPushButton>(dlg.Window(), CProcessingDlg::kCancelId);
    ASSERT_TRUE(text && bar && cancel);
    EXPECT_EQ(text->text(), "Computing grid values...");
    dlg.SetRange(0, 100);
    dlg.SetStep(5);
    dlg.StepIt();
    dlg.StepIt();
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(bar->maximum(), 100);

    cancel->click();
    EXPECT_EQ(dlg.IsCancelled(), 1);
    EXPECT_TRUE(dlg.Window()->isVisible()) << "the window stays until its owner destroys it";
    dlg.Window()->reject(); // Escape
    EXPECT_TRUE(dlg.Window()->isVisible());
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.Window(), nullptr);
    dlg.StepIt(); // still a model
    EXPECT_EQ(dlg.Model().Position(), 15);
}

TEST_F(ProcessingDlgTest, CancelStopsAnOperationThatPollsIt)
{
    CProcessingDlg dlg(0);
    auto *cancel = DialogItemAs<QPushButton>(dlg.Window(), CProcessingDlg::kCancelId);
    ASSERT_NE(cancel, nullptr);
    int unitsDone = 0;
    for (int unit = 0; unit < 100; ++unit) {
        if (unit == 30)
            cancel->click(); // the user, between two units of work
        dlg.PumpMessages();
        if (dlg.IsCancelled())
            break;
        ++unitsDone;
        dlg.StepIt();
    }
    EXPECT_EQ(unitsDone, 30);
    EXPECT_EQ(dlg.Model().Position(), 30);
}

} // namespace

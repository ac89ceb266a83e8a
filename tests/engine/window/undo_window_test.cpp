#include "engine/window/undo_window.h"

#include "engine/kernel/undo.h"
#include "platform/clipboard.h"
#include "tests/engine/kernel/docmodel_fixture.h"

#include <gtest/gtest.h>

namespace {

using Message = docmodeltest::WindowMessage;

std::vector<std::tuple<UINT, WPARAM, LPARAM>> asTuples(const std::vector<Message> &messages)
{
    std::vector<std::tuple<UINT, WPARAM, LPARAM>> out;
    for (const Message &m : messages)
        if (m.msg == MAPN_UNDOREDOSTATE || m.msg == MAPN_UNDOREDOCAPTION || m.msg == MAPN_PASTESTATE)
            out.emplace_back(m.msg, m.wParam, m.lParam);
    return out;
}

constexpr UINT kState = MAPN_UNDOREDOSTATE;
constexpr UINT kCaption = MAPN_UNDOREDOCAPTION;

class UndoWindowTest : public docmodeltest::DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        record.undoEnabled = 1;
        CUndoRedoListDlg::SetHook([this](const CUndoRedoListDlg &dlg) {
            shownMode = dlg.Mode();
            shownSteps = dlg.Steps();
            return chosen;
        });
    }
    void TearDown() override
    {
        CUndoRedoListDlg::SetHook({});
        DocModelTest::TearDown();
    }

    // n steps that each add one polyline, with codes 2, 3, 4 ...
    std::vector<OBJHANDLE> steps(int n)
    {
        std::vector<OBJHANDLE> out;
        for (int i = 0; i < n; ++i) {
            out.push_back(makeObject(layer0));
            EXPECT_EQ(Undo_AddNew(kernel, out.back()), 1);
            EXPECT_EQ(Undo_SetNewStep(window, kernel, uint16_t(2 + i)), 1);
        }
        windowMessages.clear();
        return out;
    }

    auto messages() { return asTuples(windowMessages); }

    int chosen = 0;
    int shownMode = -1;
    std::vector<std::string> shownSteps;
};

TEST_F(UndoWindowTest, UndoAndRedoNotifyCaptionsThenStatesAndSetTheModifiedFlag)
{
    steps(2);
    record.flags = 0;
    ASSERT_EQ(map_Undo(window), 1);
    using T = std::tuple<UINT, WPARAM, LPARAM>;
    EXPECT_EQ(messages(),
              (std::vector<T>{
                  {kCaption, MAPN_UNDO, 2}, {kCaption, MAPN_REDO, 3}, {kState, MAPN_ENABLE, MAPN_REDO}}));
    EXPECT_TRUE(record.flags & WNDRES_MODIFIED);

    windowMessages.clear();
    ASSERT_EQ(map_Undo(window), 1);
    EXPECT_EQ(messages(), (std::vector<T>{{kCaption, MAPN_UNDO, 0},
                                          {kCaption, MAPN_REDO, 2},
                                          {kState, MAPN_ENABLE, MAPN_REDO},
                                          {kState, MAPN_DISABLE, MAPN_UNDO}}));

    windowMessages.clear();
    EXPECT_EQ(map_Undo(window), 0);
    EXPECT_TRUE(messages().empty()) << "nothing undone, nothing sent";

    ASSERT_EQ(map_Redo_N_Times(window, 5), 2);
    EXPECT_EQ(messages(), (std::vector<T>{{kCaption, MAPN_UNDO, 3},
                                          {kCaption, MAPN_REDO, 0},
                                          {kState, MAPN_ENABLE, MAPN_UNDO},
                                          {kState, MAPN_DISABLE, MAPN_REDO}}));
}

TEST_F(UndoWindowTest, NTimesStopsAtTheEndOfTheHistory)
{
    const std::vector<OBJHANDLE> objects = steps(2);
    EXPECT_EQ(map_Undo_N_Times(window, 0), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(map_Undo_N_Times(window, 5), 2);
    EXPECT_TRUE(targets(layer0, REF_LAYER_MEMBER).empty());
    EXPECT_EQ(Undo_RedoStepsCount(window), 2);
    EXPECT_EQ(Undo_GetStepWithIndex(window, 0, 0), 2);
    EXPECT_EQ(Undo_GetStepWithIndex(window, 1, 0), 3);
    EXPECT_EQ(map_Redo(window), 1);
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), std::vector<OBJHANDLE>{objects[0]});
    EXPECT_EQ(Undo_UndoStepsCount(window), 1);
    EXPECT_EQ(Undo_GetStepWithIndex(window, 0, 1), 2);
    EXPECT_EQ(Undo_GetStepWithIndex(window, -1, 1), 0);
}

TEST_F(UndoWindowTest, ResetsNotifyAndDeferredResetHidesTheCaptions)
{
    steps(2);
    using T = std::tuple<UINT, WPARAM, LPARAM>;
    ASSERT_EQ(map_UndoReset_NextT(window), 1);
    EXPECT_EQ(messages(), (std::vector<T>{{kCaption, MAPN_UNDO, 0},
                                          {kCaption, MAPN_REDO, 0},
                                          {kState, MAPN_DISABLE, MAPN_REDO},
                                          {kState, MAPN_DISABLE, MAPN_UNDO}}));
    EXPECT_EQ(Undo_IsResetNextT(kernel), 1u);
    windowMessages.clear();
    ASSERT_EQ(map_UndoReset_NextTxxx(window), 1);
    EXPECT_EQ(std::get<2>(messages()[0]), 3) << "the caption is back";
    EXPECT_EQ(Undo_UndoStepsCount(window), 2);

    windowMessages.clear();
    ASSERT_EQ(map_UndoReset(window), 1);
    EXPECT_EQ(messages(), (std::vector<T>{{kCaption, MAPN_UNDO, 0},
                                          {kCaption, MAPN_REDO, 0},
                                          {kState, MAPN_ENABLE, MAPN_UNDO},
                                          {kState, MAPN_DISABLE, MAPN_REDO},
                                          {kState, MAPN_DISABLE, MAPN_UNDO}}));
    EXPECT_EQ(Undo_UndoStepsCount(window), 0);
}

TEST_F(UndoWindowTest, StepListsOfferTheCaptionsAndRunTheChosenSteps)
{
    steps(3);
    record.flags = 0;
    chosen = 2;
    ASSERT_EQ(Undo_UndoShowStepsList(window), 1u);
    EXPECT_EQ(shownMode, 1);
    EXPECT_EQ(shownSteps, (std::vector<std::string>{"Create Text", "Create Polyline", "Create Polygon"}));
    EXPECT_EQ(Undo_UndoStepsCount(window), 1);
    EXPECT_FALSE(record.flags & WNDRES_MODIFIED) << "the lists leave the modified flag";

    chosen = 0;
    ASSERT_EQ(Undo_RedoShowStepsList(window), 1u);
    EXPECT_EQ(shownMode, 0);
    EXPECT_EQ(shownSteps, (std::vector<std::string>{"Create Polyline", "Create Text"}));
    EXPECT_EQ(Undo_RedoStepsCount(window), 2) << "cancelled: nothing redone";

    chosen = 99; // more than offered
    ASSERT_EQ(Undo_RedoShowStepsList(window), 1u);
    EXPECT_EQ(Undo_RedoStepsCount(window), 0);
}

TEST_F(UndoWindowTest, ANewStepAfterUndoEmptiesAClipboardCopyItCanNoLongerRender)
{
    steps(2);
    ASSERT_TRUE(OpenClipboard(window));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(CloseClipboard());
    ASSERT_EQ(GetClipboardOwner(), window);
    record.selCopyUndoPos = uint32_t(Undo_GetPositionCurStep(kernel));
    ASSERT_EQ(map_Undo(window), 1);
    windowMessages.clear();

    // Another holder keeps the clipboard open: the check gives up after its
    // bounded retries and still goes on.
    ASSERT_TRUE(OpenClipboard(target));
    ASSERT_EQ(Undo_AddNew(kernel, makeObject(layer0)), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 5), 1);
    CloseClipboard();
    using T = std::tuple<UINT, WPARAM, LPARAM>;
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages()[0], (T{MAPN_PASTESTATE, MAPN_DISABLE, MAPN_PASTE_ALL}));
}

TEST_F(UndoWindowTest, BadWindowsFail)
{
    steps(1);
    for (HWND w : {HWND(0), target, HWND(0x7FFFFFFF)}) {
        EXPECT_EQ(map_Undo(w), 0);
        EXPECT_EQ(map_Redo(w), 0);
        EXPECT_EQ(map_Undo_N_Times(w, 3), 0);
        EXPECT_EQ(map_Redo_N_Times(w, 3), 0);
        EXPECT_EQ(map_UndoReset(w), 0);
        EXPECT_EQ(map_UndoReset_NextT(w), 0);
        EXPECT_EQ(Undo_UndoStepsCount(w), 0);
        EXPECT_EQ(Undo_GetStepWithIndex(w, 0, 1), 0);
        EXPECT_EQ(Undo_UndoShowStepsList(w), 0u);
    }
    EXPECT_EQ(Undo_UndoStepsCount(window), 1) << "the history is untouched";
}

} // namespace

#include "engine/kernel/module_startup.h"
#include "engine/kernel/undo.h"
#include "engine/window/undo_window.h"
#include "platform/modal_dialog.h"
#include "tests/engine/kernel/docmodel_fixture.h"

#include <QDialog>
#include <QListWidget>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

class UndoListDialogTest : public docmodeltest::DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        ASSERT_EQ(MapLibraryStartup(), 1);
        record.undoEnabled = 1;
    }
    void TearDown() override
    {
        SetModalDialogHook({});
        DocModelTest::TearDown();
    }

    void steps(int n)
    {
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(Undo_AddNew(kernel, makeObject(layer0)), 1);
            ASSERT_EQ(Undo_SetNewStep(window, kernel, uint16_t(2 + i % 3)), 1);
        }
    }
};

TEST_F(UndoListDialogTest, TheUsersChoiceIsTheSelectedEntryAndEverythingAbove)
{
    enum End { Enter, Escape, DoubleClick };
    struct Case {
        const char *what;
        int undo, steps, row;
        End end;
        int expected;
        const char *label;
    } cases[] = {
        {"first entry, Enter", 1, 3, 0, Enter, 1, "Undo 1 action"},
        {"third entry, Enter", 1, 3, 2, Enter, 3, "Undo 3 actions"},
        {"third entry, redo", 0, 3, 2, Enter, 3, "Redo 3 actions"},
        {"third entry, Escape", 1, 3, 2, Escape, 0, "Undo 3 actions"},
        {"fifth entry, double click", 1, 6, 4, DoubleClick, 5, "Undo 5 actions"},
        {"empty list", 1, 0, 0, Enter, 0, "Cancel"},
    };
    for (const Case &c : cases) {
        CUndoRedoListDlg dlg(window);
        dlg.SetMode(c.undo);
        for (int i = 0; i < c.steps; ++i)
            dlg.AddStep("Step " + std::to_string(i));
        QString title, before, label;
        std::vector<bool> selected;
        SetModalDialogHook([&](QDialog &d, int id) {
            EXPECT_EQ(id, CUndoRedoListDlg::kTemplateId);
            title = d.windowTitle();
            auto *list = DialogItemAs<QListWidget>(&d, CUndoRedoListDlg::kListId);
            auto *text = DialogItemAs<QLabel>(&d, CUndoRedoListDlg::kLabelId);
            EXPECT_NE(list, nullptr);
            EXPECT_NE(text, nullptr);
            if (!list || !text)
                return IDCANCEL;
            before = text->text();
            EXPECT_EQ(list->count(), c.steps);
            if (c.steps > 0) {
                list->setCurrentRow(c.steps - 1); // a later click narrows the run again
                list->setCurrentRow(c.row);
            }
            for (int i = 0; i < list->count(); ++i)
                selected.push_back(list->item(i)->isSelected());
            label = text->text();
            if (c.end == DoubleClick)
                emit list->itemDoubleClicked(list->item(c.row));
            else if (c.end == Enter)
                d.done(IDOK);
            else
                d.reject();
            return d.result();
        });
        EXPECT_EQ(dlg.DoModal(), c.expected) << c.what;
        EXPECT_EQ(title, c.undo ? "Undo List" : "Redo List") << c.what;
        EXPECT_EQ(before, "Cancel") << c.what;
        EXPECT_EQ(label.toStdString(), c.label) << c.what;
        std::vector<bool> expectSelected(size_t(c.steps), false);
        for (int i = 0; i <= c.row && i < c.steps; ++i)
            expectSelected[size_t(i)] = true;
        EXPECT_EQ(selected, expectSelected) << c.what;
    }
}

TEST_F(UndoListDialogTest, TheStepListsRunThroughTheDialog)
{
    steps(60);
    QString title;
    int offered = 0;
    int row = 1;
    SetModalDialogHook([&](QDialog &d, int) {
        title = d.windowTitle();
        auto *list = DialogItemAs<QListWidget>(&d, CUndoRedoListDlg::kListId);
        offered = list->count();
        list->setCurrentRow(row);
        return IDOK;
    });
    ASSERT_EQ(Undo_UndoShowStepsList(window), 1u);
    EXPECT_EQ(title, "Undo List");
    EXPECT_EQ(offered, CUndoRedoListDlg::kMaxSteps);
    EXPECT_EQ(Undo_UndoStepsCount(window), 58);

    row = 0;
    ASSERT_EQ(Undo_RedoShowStepsList(window), 1u);
    EXPECT_EQ(title, "Redo List");
    EXPECT_EQ(offered, 2);
    EXPECT_EQ(Undo_RedoStepsCount(window), 1);

    SetModalDialogHook({}); // offscreen without a hook: cancelled, nothing runs
    ASSERT_EQ(Undo_RedoShowStepsList(window), 1u);
    EXPECT_EQ(Undo_RedoStepsCount(window), 1);
}

} // namespace

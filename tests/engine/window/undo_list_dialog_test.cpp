#include "engine/kernel/module_startup.h"
#include "engine/kernel/undo.h"
#include "engine/window/undo_window.h"
#include "platform/modal_dialog.h"
#include "tests/engine/kernel/docmodel_fixture.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
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
    struct Case {
        const char *what;
        int row;
        int button; // IDOK, IDCANCEL, or 0 for a double click
        int expected;
    } cases[] = {
        {"first entry, OK", 0, IDOK, 1},
        {"third entry, OK", 2, IDOK, 3},
        {"third entry, Cancel", 2, IDCANCEL, 0},
        {"second entry, double click", 1, 0, 2},
    };
    for (const Case &c : cases) {
        CUndoRedoListDlg dlg(window);
        dlg.SetMode(1);
        for (const char *s : {"Create Text", "Create Polyline", "Create Polygon"})
            dlg.AddStep(s);
        QString title;
        std::vector<bool> selected;
        SetModalDialogHook([&](QDialog &d, int id) {
            EXPECT_EQ(id, CUndoRedoListDlg::kTemplateId);
            title = d.windowTitle();
            auto *list = DialogItemAs<QListWidget>(&d, CUndoRedoListDlg::kListId);
            EXPECT_NE(list, nullptr);
            if (!list)
                return IDCANCEL;
            EXPECT_EQ(list->count(), 3);
            list->setCurrentRow(c.row);
            for (int i = 0; i < list->count(); ++i)
                selected.push_back(list->item(i)->isSelected());
            if (c.button == 0)
                emit list->itemDoubleClicked(list->item(c.row));
            else
                DialogItemAs<QPushButton>(&d, c.button)->click();
            return d.result();
        });
        EXPECT_EQ(dlg.DoModal(), c.expected) << c.what;
        EXPECT_EQ(title, "Undo") << c.what;
        std::vector<bool> expectSelected(3, false);
        for (int i = 0; i <= c.row; ++i)
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
    EXPECT_EQ(title, "Undo");
    EXPECT_EQ(offered, CUndoRedoListDlg::kMaxSteps);
    EXPECT_EQ(Undo_UndoStepsCount(window), 58);

    row = 0;
    ASSERT_EQ(Undo_RedoShowStepsList(window), 1u);
    EXPECT_EQ(title, "Redo");
    EXPECT_EQ(offered, 2);
    EXPECT_EQ(Undo_RedoStepsCount(window), 1);

    SetModalDialogHook({}); // offscreen without a hook: cancelled, nothing runs
    ASSERT_EQ(Undo_RedoShowStepsList(window), 1u);
    EXPECT_EQ(Undo_RedoStepsCount(window), 1);
}

} // namespace

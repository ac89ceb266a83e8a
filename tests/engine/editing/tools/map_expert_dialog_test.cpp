// The fixture first: the kernel's headers use a word that Qt makes a macro.
#include "tests/engine/editing/tools/tools_fixture.h"

#include "engine/editing/tools/map_expert_dialog.h"
#include "engine/window/window_text.h"
#include "platform/modal_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

class MapExpertDialogTest : public ToolsTest {};

// Opened once offscreen: each button shows its report in a box, the text
// mode and sort dialogs ask first, and closing discards the history.
TEST_F(MapExpertDialogTest, ButtonsReportAndClosingDiscardsTheHistory)
{
    const MAP_COORDPT a{0, 0}, b{100, 0}, c{100, 100};
    const OBJHANDLE p = polygon({a, a, b, c, a});
    Undo_AddNew(kernel(), p);
    Undo_SetNewStep(window, kernel(), 2);
    OBJHANDLE t = 0;
    ASSERT_EQ(map_text_CreateEx(window, &t, "x", &a, "Arial", 10, 0, 0, 0, 0, 0, 0, 0, 0), 1);
    ASSERT_TRUE(Undo_HasUndoStep(kernel()));

    std::vector<std::string> statuses;
    std::vector<int> asked;
    const ModalDialogHook previous = SetModalDialogHook([&](QDialog &d, int id) {
        asked.push_back(id);
        if (id == ExpertTextModeDialog::kTemplateId) {
            EXPECT_TRUE(DialogItemAs<QRadioButton>(&d, 1013)->isChecked());
            DialogItemAs<QRadioButton>(&d, 1014)->setChecked(true);
            DialogItemAs<QPushButton>(&d, IDOK)->click();
            return d.result();
        }
        if (id == ExpertSortDialog::kTemplateId) {
            EXPECT_TRUE(DialogItemAs<QRadioButton>(&d, EXPERT_SORT_X)->isChecked());
            EXPECT_TRUE(DialogItemAs<QRadioButton>(&d, 1260)->isChecked());
            DialogItemAs<QRadioButton>(&d, EXPERT_SORT_AREA)->setChecked(true);
            DialogItemAs<QRadioButton>(&d, 1261)->setChecked(true);
            DialogItemAs<QPushButton>(&d, IDOK)->click();
            return d.result();
        }
        EXPECT_EQ(id, MapExpertDialog::kTemplateId);
        EXPECT_EQ(d.windowTitle(), "MAP Expert");
        auto *status = DialogItemAs<QLabel>(&d, EXPERT_STATUS);
        EXPECT_EQ(status->text(), "Ready to use");
        for (int button : {EXPERT_BUTTON_POLYGONS, EXPERT_BUTTON_TEXTS, EXPERT_BUTTON_SORT,
                           EXPERT_BUTTON_BOUNDS, EXPERT_BUTTON_ALL}) {
            DialogItemAs<QPushButton>(&d, button)->click();
            statuses.push_back(status->text().toStdString());
        }
        DialogItemAs<QPushButton>(&d, IDCANCEL)->click();
        return d.result();
    });
    EXPECT_EQ(MapExpert(window), 1);
    SetModalDialogHook(previous);

    EXPECT_EQ(asked, (std::vector<int>{MapExpertDialog::kTemplateId, ExpertTextModeDialog::kTemplateId,
                                       ExpertSortDialog::kTemplateId}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Polygons/Polylines Done!", "Text Done!", "Sorting Done!",
                                                  "Boundings Done!", "All Tests Done!"}));
    ASSERT_EQ(boxes.size(), 3u) << "the bounds test shows no box";
    EXPECT_EQ(boxes[0].caption, "Polygon/Polyline Expert");
    EXPECT_EQ(
        boxes[0].text.rfind("POLYGONS/POLYLINES REPORT:\nNo. Polygons: 1.\nNo. corrected polygones: 1.", 0),
        0u);
    EXPECT_EQ(boxes[1].caption, "Text Expert");
    EXPECT_EQ(boxes[1].text, "TEXTS REPORT:\nNo. Texts: 1.\nNo. removed texts: 1.");
    EXPECT_EQ(boxes[2].caption, "Map Expert");
    EXPECT_NE(boxes[2].text.find("\n\nDOUGHNUTS REPORT:"), std::string::npos);
    EXPECT_FALSE(Undo_HasUndoStep(kernel()));
    EXPECT_FALSE(Undo_HasRedoStep(kernel()));
}

TEST_F(MapExpertDialogTest, CancellingTheQuestionsRunsNothing)
{
    const ModalDialogHook previous = SetModalDialogHook([&](QDialog &d, int id) {
        if (id != MapExpertDialog::kTemplateId)
            return int(IDCANCEL);
        DialogItemAs<QPushButton>(&d, EXPERT_BUTTON_TEXTS)->click();
        DialogItemAs<QPushButton>(&d, EXPERT_BUTTON_SORT)->click();
        EXPECT_EQ(DialogItemAs<QLabel>(&d, EXPERT_STATUS)->text(), "Ready to use");
        return int(IDCANCEL);
    });
    EXPECT_EQ(MapExpert(window), 1);
    SetModalDialogHook(previous);
    EXPECT_TRUE(boxes.empty());
    MapExpertModel model(window);
    MapExpertModel::Outcome o;
    EXPECT_FALSE(model.Run(EXPERT_BUTTON_TEXTS, &o));
    EXPECT_FALSE(model.Run(12345, &o));
}

} // namespace

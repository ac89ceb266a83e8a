// The engine's headers first: Qt's keyword macros (slots) would clash with
// their field names.
#include "page_set_fixture.h"

#include "engine/kernel/undo.h"
#include "engine/window/page_setup/page_setup_dialog.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/profile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <memory>

namespace {

using B = PageSetupBox;

class PageSetupDialogTest : public PageSetTest {
protected:
    void SetUp() override
    {
        PageSetTest::SetUp();
        if (HasFatalFailure())
            return;
        // Centimetres with a decimal comma.
        WriteProfileStringA("intl", "iMeasure", "0");
        WriteProfileStringA("intl", "sDecimal", ",");
        setBlock(a4Custom());
        model = std::make_unique<PageSetupDialogModel>(&rec, makeSet(1, 1));
        model->Open();
    }
    void TearDown() override
    {
        model.reset();
        PageSetTest::TearDown();
    }

    void enter(B box, const std::string &text)
    {
        model->Type(box, text);
        model->Leave(box);
    }

    std::unique_ptr<PageSetupDialogModel> model;
};

TEST_F(PageSetupDialogTest, OpeningShowsTheValues)
{
    EXPECT_EQ(model->Text(B::LeftMargin), "1,27  cm");
    EXPECT_EQ(model->Text(B::PaperWidth), "21,00  cm");
    EXPECT_EQ(model->Text(B::PaperHeight), "29,70  cm");
    EXPECT_EQ(model->Text(B::XOrigin), model->PageSet().ConvToGormUI(model->PageSet().GetXOrigin()));
    EXPECT_FALSE(model->ApplyEnabled());
    EXPECT_TRUE(model->SizeBoxesEnabled()); // a custom size
    EXPECT_EQ(model->OrientationIndex(), 0);
    EXPECT_STREQ(model->OrientationIcon(), "ICO_PORT");
    ASSERT_EQ(model->PaperNames().size(), 1u);
    EXPECT_EQ(model->PaperNames()[0], "Custom Size...");
}

TEST_F(PageSetupDialogTest, RefusedValuesReappearAsTheyWere)
{
    struct Case {
        B box;
        const char *typed;
    } cases[] = {
        {B::LeftMargin, "30,00 cm"}, // wider than the paper
        {B::TopMargin, "-1 cm"},     {B::RightMargin, "abc"},
        {B::XExtension, "4"},        {B::XOrigin, "abc"}, // not read as 0
        {B::PaperWidth, "0,4 cm"},   {B::ScaleMap, "0"},
    };
    for (const Case &c : cases) {
        const std::string before = model->Text(c.box);
        const VPSetup setup = model->PageSet().Setup();
        const PageRecord page = model->PageSet().Page();
        model->Type(c.box, c.typed);
        EXPECT_TRUE(model->Edited(c.box)) << c.typed;
        EXPECT_TRUE(model->ApplyEnabled()) << c.typed;
        model->Leave(c.box);
        EXPECT_EQ(model->Text(c.box), before) << c.typed;
        EXPECT_FALSE(model->Edited(c.box)) << c.typed;
        EXPECT_EQ(std::memcmp(&setup, &model->PageSet().Setup(), sizeof setup), 0) << c.typed;
        EXPECT_EQ(std::memcmp(&page, &model->PageSet().Page(), sizeof page), 0) << c.typed;
    }
}

TEST_F(PageSetupDialogTest, AcceptedValuesAreShownAsThePageSetupHoldsThem)
{
    enter(B::XOrigin, "-500");
    EXPECT_EQ(model->Text(B::XOrigin), "-500  cm");
    enter(B::LeftMargin, "2,5");
    EXPECT_EQ(model->PageSet().GetLeftMargin(), 250);
    EXPECT_EQ(model->Text(B::LeftMargin), "2,50  cm");
    enter(B::PaperWidth, "30 cm");
    EXPECT_EQ(model->OrientationIndex(), 1); // 30 x 29,7 lies
    EXPECT_EQ(model->Text(B::PaperWidth), "30,00  cm");
}

TEST_F(PageSetupDialogTest, ScaleOneTo2500)
{
    model->Type(B::ScalePaper, "1");
    model->Leave(B::ScalePaper); // waits for the map side
    EXPECT_TRUE(model->Edited(B::ScalePaper));
    model->Type(B::ScaleMap, "2500");
    model->Leave(B::ScaleMap);
    EXPECT_EQ(model->PageSet().GetXExtension(), 52500); // 2100 x 2500 / 100
    EXPECT_EQ(model->PageSet().GetYExtension(), 74250);
    EXPECT_EQ(model->Text(B::ScalePaper), "1");
    EXPECT_EQ(model->Text(B::ScaleMap), "2500");
    EXPECT_EQ(model->Text(B::XExtension), "52500  cm");
    EXPECT_FALSE(model->Edited(B::ScalePaper));
}

TEST_F(PageSetupDialogTest, OrientationAndPaper)
{
    model->ChooseOrientation(1);
    EXPECT_EQ(model->OrientationIndex(), 1);
    EXPECT_STREQ(model->OrientationIcon(), "ICO_LAND");
    EXPECT_TRUE(model->ApplyEnabled());
    EXPECT_EQ(model->Text(B::PaperWidth), "29,70  cm");
    model->TurnPage();
    EXPECT_EQ(model->OrientationIndex(), 0);
    model->ChoosePaper(0);
    EXPECT_TRUE(model->SizeBoxesEnabled());
    model->ChoosePaper(5); // no such paper: nothing changes
    EXPECT_EQ(model->PaperIndex(), 0);
}

TEST_F(PageSetupDialogTest, ApplyThenCancelKeepsWhatWasApplied)
{
    Undo_Reset(rec.kernel);
    enter(B::XOrigin, "-700");
    model->ApplyNow();
    EXPECT_FALSE(model->ApplyEnabled());
    EXPECT_EQ(pageObject().origin.x, -700);
    // The page alone changed: one undo step of the page setup.
    EXPECT_EQ(Undo_CurrentStep(rec.kernel).code, UNDO_OP_PAGE_SETUP);
    EXPECT_NE(rec.flags & WNDRES_MODIFIED, 0);

    enter(B::YOrigin, "900");
    model.reset(); // Cancel: the dialog goes without applying
    EXPECT_EQ(pageObject().origin.x, -700);
    EXPECT_NE(pageObject().origin.y, 900);
}

TEST_F(PageSetupDialogTest, OkCommitsEveryEditedBox)
{
    model->Type(B::XOrigin, "-100");
    model->Type(B::BottomMargin, "3");
    model->Type(B::ScalePaper, "1");
    model->Type(B::ScaleMap, "200");
    model->Accept();
    const PageRecord p = pageObject();
    EXPECT_EQ(p.origin.x, -100);
    EXPECT_EQ(p.extension.x, 4200);
    VPSetup s = block();
    EXPECT_EQ(s.bottomMargin, 300);
}

// The widgets over the model, shown modally under the offscreen platform.
TEST_F(PageSetupDialogTest, TheDialogOpensAndCloses)
{
    model.reset();
    int seen = 0;
    const ModalDialogHook previous = SetModalDialogHook([&](QDialog &dialog, int templateId) {
        seen = templateId;
        EXPECT_EQ(dialog.windowTitle(), "Page Setup");
        auto *papers = DialogItemAs<QComboBox>(&dialog, 100);
        EXPECT_TRUE(papers && papers->count() == 1);
        auto *apply = DialogItemAs<QPushButton>(&dialog, 1247);
        EXPECT_TRUE(apply && !apply->isEnabled());
        auto *icon = DialogItemAs<QPushButton>(&dialog, 114);
        EXPECT_TRUE(icon && !icon->icon().isNull()) << "ICO_PORT from the resources";
        auto *width = DialogItemAs<QLineEdit>(&dialog, 119);
        EXPECT_TRUE(width && width->isEnabled());
        EXPECT_EQ(width ? width->text().toStdString() : "", "21,00  cm");

        auto *map = DialogItemAs<QLineEdit>(&dialog, 116);
        if (!map || !apply || !icon)
            return IDCANCEL;
        map->setText("250");
        Q_EMIT map->textEdited("250");
        EXPECT_TRUE(apply->isEnabled());
        Q_EMIT map->editingFinished();
        EXPECT_EQ(DialogItemAs<QLineEdit>(&dialog, 139)->text().toStdString(), "5250  cm");
        DialogItemAs<QRadioButton>(&dialog, 103)->click();
        EXPECT_EQ(icon->property("iconName").toString(), "ICO_LAND");
        apply->click();
        return IDCANCEL;
    });
    EXPECT_EQ(RunPageSetupDialog(window, 1), IDCANCEL);
    SetModalDialogHook(previous);
    EXPECT_EQ(seen, PAGE_SETUP_TEMPLATE);
    EXPECT_EQ(block().orientation, VP_ORIENT_LANDSCAPE);
    EXPECT_EQ(pageObject().extension.y, 5250);
    EXPECT_EQ(RunPageSetupDialog(0, 1), 0);
}

} // namespace

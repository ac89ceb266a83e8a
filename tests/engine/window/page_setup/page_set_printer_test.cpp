// The page setup over a printer: the printer's papers, a new window's page
// from the default printer, choosing papers and the printer's device mode.
#include "page_set_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/window/page_setup/page_setup_dialog_model.h"
#include "platform/registry.h"
#include "platform/printers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char *kA4Name = "A4, 210 x 297 mm";

FakePrinter officePrinter()
{
    FakePrinter p;
    p.device = "Office";
    p.port = "/dev/null";
    p.paperCodes = {9, 8, 256, 1, 5};
    p.paperNames = {kA4Name, "A3, 297 x 420 mm", "User defined", "Letter", "Legal"};
    p.paperSizes = {{2100, 2970}, {2970, 4200}, {1000, 1000}, {2159, 2794}, {0, 0}};
    p.isDefault = true;
    p.paperSize = DMPAPER_A4;
    return p;
}

class PrinterPageSetTest : public PageSetTest {
protected:
    std::vector<FakePrinter> printers() const override { return {officePrinter()}; }

    DEVMODEA devMode() const
    {
        DEVMODEA dm{};
        const void *p = GlobalLock(rec.devMode);
        std::memcpy(&dm, p, sizeof dm);
        GlobalUnlock(rec.devMode);
        return dm;
    }
};

TEST_F(PrinterPageSetTest, ANewWindowTakesTheDefaultPrintersPaper)
{
    ASSERT_NE(rec.devNames, HGLOBAL(0));
    const VPSetup s = block();
    EXPECT_STREQ(s.paperName, kA4Name);
    EXPECT_EQ(s.paperWidth, 2100);
    EXPECT_EQ(s.paperHeight, 2970);
    EXPECT_EQ(s.paperNumber, DMPAPER_A4);
    EXPECT_EQ(s.orientation, VP_ORIENT_PORTRAIT);
    EXPECT_EQ(s.leftMargin, 127);
    EXPECT_EQ(s.bottomMargin, 127);
}

TEST_F(PrinterPageSetTest, ThePaperListIsThePrintersPapersThenTheCustomSize)
{
    auto set = makeSet();
    EXPECT_STREQ(set->DeviceName(), "Office");
    const CPaperTypesArr &papers = set->Papers();
    // The printer's own size 256 is left out.
    ASSERT_EQ(papers.size(), 5u);
    const int numbers[] = {9, 8, 1, 5, 256};
    for (size_t i = 0; i < papers.size(); ++i)
        EXPECT_EQ(papers[i].number, numbers[i]) << i;
    EXPECT_TRUE(papers.back().IsGormCustomFormat());
    EXPECT_FALSE(papers[0].IsGormCustomFormat());
    EXPECT_EQ(set->GetActivePaperIndex(), 0);
    EXPECT_EQ(set->GetPaperIndexByName("A3"), 1);
    EXPECT_EQ(set->GetCustomPaperIndex(), 4);
}

TEST_F(PrinterPageSetTest, AnUnknownPaperNumberGivesTheCustomEntry)
{
    VPSetup s = block();
    s.paperNumber = 77;
    setBlock(s);
    auto set = makeSet();
    EXPECT_EQ(set->GetActivePaperNum(), 256);
    EXPECT_EQ(set->GetActivePaperIndex(), 4);
    EXPECT_STREQ(set->Setup().paperName, "Custom Size...");
    EXPECT_EQ(set->Setup().paperWidth, 2100); // its size kept
}

TEST_F(PrinterPageSetTest, ChoosingAPaperKeepsTheScale)
{
    auto set = makeSet();
    POINT scale{1, 500};
    ASSERT_TRUE(set->ScaleSet(&scale));
    ASSERT_TRUE(set->SetPaperByNumber(8)); // A3
    EXPECT_EQ(set->Setup().paperWidth, 2970);
    EXPECT_EQ(set->Setup().paperHeight, 4200);
    EXPECT_STREQ(set->Setup().paperName, "A3, 297 x 420 mm");
    EXPECT_EQ(set->GetScaleMap(), 500);
    // Landscape A3 keeps it too, and the paper's sides stay short first.
    ASSERT_TRUE(set->SetLandscape());
    ASSERT_TRUE(set->SetPaperByNumber(9));
    EXPECT_EQ(set->Setup().paperWidth, 2100);
    EXPECT_EQ(set->GetPageXLenght(), 2970);
    EXPECT_EQ(set->GetScaleMap(), 500);

    // A standard paper has no custom size; a paper without size is refused.
    EXPECT_FALSE(set->SetPageXLenght(3000));
    EXPECT_FALSE(set->SetPaperByNumber(5));
    EXPECT_EQ(set->GetActivePaperNum(), 9);
}

TEST_F(PrinterPageSetTest, MarginLimitsOnA4)
{
    auto set = makeSet();
    ASSERT_EQ(set->GetActivePaperNum(), DMPAPER_A4);
    ASSERT_TRUE(set->SetRightMargin(1100));
    EXPECT_FALSE(set->SetLeftMargin(1000));
    ASSERT_TRUE(set->SetRightMargin(1099));
    EXPECT_TRUE(set->SetLeftMargin(1000));
}

TEST_F(PrinterPageSetTest, ApplyGivesThePrinterThePaperAndTheOrientation)
{
    auto set = makeSet();
    ASSERT_TRUE(set->SetPaperByNumber(8));
    ASSERT_TRUE(set->SetLandscape());
    set->Apply();
    DEVMODEA dm = devMode();
    EXPECT_EQ(dm.dmPaperSize, DMPAPER_A3);
    EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);

    // The page setup's own custom size leaves the printer's paper alone.
    auto custom = makeSet();
    ASSERT_TRUE(custom->SetPaperByIndex(custom->GetCustomPaperIndex()));
    ASSERT_TRUE(custom->SetPortrait());
    custom->Apply();
    dm = devMode();
    EXPECT_EQ(dm.dmPaperSize, DMPAPER_A3);
    EXPECT_EQ(dm.dmOrientation, DMORIENT_PORTRAIT);
}

TEST_F(PrinterPageSetTest, RegistryPapersByNumberThenByName)
{
    auto writer = makeSet(0, 1);
    ASSERT_TRUE(writer->SetPaperByNumber(8));
    writer->Apply();
    auto byNumber = makeSet();
    ASSERT_TRUE(byNumber->SetPaperByNumber(9));
    byNumber->InitPaperSizeFromRegistry();
    EXPECT_EQ(byNumber->GetActivePaperNum(), 8);

    // A number this printer does not know: the name finds the paper.
    HKEY key = 0;
    const std::string path = std::string(GORM_REG_PATH) + "\\Settings\\Page";
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const char number[] = "70";
    RegSetValueExA(key, "Page - Paper number", 0, REG_SZ, reinterpret_cast<const BYTE *>(number),
                   sizeof number);
    RegCloseKey(key);
    auto byName = makeSet();
    byName->InitPaperSizeFromRegistry();
    EXPECT_EQ(byName->GetActivePaperNum(), 8);
}

TEST_F(PrinterPageSetTest, TheDialogsSizeBoxesAreForTheCustomSize)
{
    PageSetupDialogModel model(&rec, makeSet());
    model.Open();
    EXPECT_FALSE(model.SizeBoxesEnabled()); // A4
    EXPECT_EQ(model.PaperNames().size(), 5u);
    model.ChoosePaper(4);
    EXPECT_TRUE(model.SizeBoxesEnabled());
    EXPECT_TRUE(model.ApplyEnabled());
    model.ChoosePaper(1);
    EXPECT_FALSE(model.SizeBoxesEnabled());
    EXPECT_EQ(model.PageSet().GetActivePaperNum(), 8);
}

} // namespace

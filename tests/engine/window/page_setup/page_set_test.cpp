#include "engine/kernel/undo.h"
#include "page_set_fixture.h"
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void expectMargins(const CPageSet &s, LONG l, LONG t, LONG r, LONG b, const std::string &what = "")
{
    EXPECT_EQ(s.GetLeftMargin(), l) << what;
    EXPECT_EQ(s.GetTopMargin(), t) << what;
    EXPECT_EQ(s.GetRightMargin(), r) << what;
    EXPECT_EQ(s.GetBottomMargin(), b) << what;
}

TEST_F(PageSetTest, NeverSetBlockGivesTheCustomPage)
{
    setBlock(VPSetup{});
    auto set = makeSet();
    const VPSetup &s = set->Setup();
    EXPECT_EQ(s.paperWidth, 2101);
    EXPECT_EQ(s.paperHeight, 2969);
    expectMargins(*set, 127, 127, 127, 127);
    EXPECT_TRUE(set->IsPortrait());
    EXPECT_EQ(set->GetActivePaperNum(), 256);
    EXPECT_STREQ(s.paperName, "Custom Size...");
    ASSERT_EQ(set->Papers().size(), 1u);
    EXPECT_TRUE(set->Papers().back().IsGormCustomFormat());
    EXPECT_EQ(set->Papers().back().width, 2101);
    EXPECT_EQ(set->GetActivePaperIndex(), 0);
}

TEST_F(PageSetTest, DamagedBlocksAreReadAsTheCustomPage)
{
    struct Case {
        int32_t width, height, number, orientation;
    } cases[] = {
        {2100, 0, 9, 1},       // one side missing
        {-2100, 2970, 9, 1},   // negative side
        {2100, 2970, 9, 77},   // unknown paper, garbage orientation
        {2100, 2970, 9999, 2}, // the printer's physical page
    };
    for (const Case &c : cases) {
        VPSetup s = a4Custom();
        s.paperWidth = c.width;
        s.paperHeight = c.height;
        s.paperNumber = c.number;
        s.orientation = c.orientation;
        setBlock(s);
        auto set = makeSet();
        const std::string what = std::to_string(c.width) + " x " + std::to_string(c.height);
        EXPECT_GT(set->Setup().paperWidth, 0) << what;
        EXPECT_GT(set->Setup().paperHeight, 0) << what;
        EXPECT_TRUE(set->GetOrient() == 1 || set->GetOrient() == 2) << what;
        // No printer knows the number: the custom entry, numbered 256.
        EXPECT_EQ(set->GetActivePaperNum(), 256) << what;
        EXPECT_EQ(set->GetActivePaperIndex(), set->GetCustomPaperIndex()) << what;
    }
}

TEST_F(PageSetTest, MarginsRotateWithTheOrientationAndExtensionsSwap)
{
    setBlock(a4Custom());
    auto set = makeSet();
    RECT m{10, 20, 30, 40};
    ASSERT_TRUE(set->SetMargins(&m));
    ASSERT_TRUE(set->SetXExtension(2100));
    const LONG ex = set->GetXExtension(), ey = set->GetYExtension();

    EXPECT_TRUE(set->SetLandscape());
    EXPECT_TRUE(set->IsLandscape());
    expectMargins(*set, 40, 10, 20, 30, "landscape");
    EXPECT_EQ(set->GetXExtension(), ey);
    EXPECT_EQ(set->GetYExtension(), ex);
    EXPECT_EQ(set->GetPageXLenght(), 2970);

    EXPECT_TRUE(set->SetLandscape()); // already: nothing turns
    expectMargins(*set, 40, 10, 20, 30, "still landscape");

    EXPECT_TRUE(set->ChangeOrientation());
    EXPECT_TRUE(set->IsPortrait());
    expectMargins(*set, 10, 20, 30, 40, "back to portrait");
    EXPECT_EQ(set->GetXExtension(), ex);
    EXPECT_EQ(set->GetYExtension(), ey);
}

TEST_F(PageSetTest, MarginLimitsOnA4)
{
    struct Case {
        const char *what;
        bool (CPageSet::*set)(LONG);
        LONG opposite; // set first through the opposite setter
        bool (CPageSet::*setOpposite)(LONG);
        LONG value;
        bool ok;
    } cases[] = {
        {"left 1000 + right 1100 = width", &CPageSet::SetLeftMargin, 1100, &CPageSet::SetRightMargin, 1000,
         false},
        {"left 1000 + right 1099", &CPageSet::SetLeftMargin, 1099, &CPageSet::SetRightMargin, 1000, true},
        {"right 1000 + left 1100", &CPageSet::SetRightMargin, 1100, &CPageSet::SetLeftMargin, 1000, false},
        {"negative left", &CPageSet::SetLeftMargin, 0, &CPageSet::SetRightMargin, -1, false},
        {"zero left", &CPageSet::SetLeftMargin, 0, &CPageSet::SetRightMargin, 0, true},
        {"top 1500 + bottom 1470 = height", &CPageSet::SetTopMargin, 1470, &CPageSet::SetBottomMargin, 1500,
         false},
        {"top 1500 + bottom 1469", &CPageSet::SetTopMargin, 1469, &CPageSet::SetBottomMargin, 1500, true},
        {"bottom 2970 alone", &CPageSet::SetBottomMargin, 0, &CPageSet::SetTopMargin, 2970, false},
    };
    for (const Case &c : cases) {
        setBlock(a4Custom());
        auto set = makeSet();
        ASSERT_TRUE(((*set).*c.setOpposite)(c.opposite)) << c.what;
        RECT before{};
        set->GetMargins(&before);
        EXPECT_EQ(((*set).*c.set)(c.value), c.ok) << c.what;
        if (!c.ok) {
            expectMargins(*set, before.left, before.top, before.right, before.bottom, c.what);
        }
    }

    // All four at once, in landscape too: compared with the stored
    // (short-side-first) width and height.
    setBlock(a4Custom());
    auto set = makeSet();
    RECT m{1000, 10, 1099, 10};
    EXPECT_TRUE(set->SetMargins(&m));
    m = {1000, 10, 1100, 10};
    EXPECT_FALSE(set->SetMargins(&m));
    m = {0, -1, 0, 0};
    EXPECT_FALSE(set->SetMargins(&m));
    EXPECT_FALSE(set->SetMargins(nullptr));
    EXPECT_FALSE(set->GetMargins(nullptr));
    set->SetLandscape();
    m = {1000, 10, 1100, 10};
    EXPECT_FALSE(set->SetMargins(&m));
}

TEST_F(PageSetTest, CustomSizeTurnsThePageAndKeepsItsSides)
{
    auto set = makeSet();
    ASSERT_TRUE(set->SetPageXLenght(3000));
    ASSERT_TRUE(set->SetPageYLenght(2000));
    EXPECT_TRUE(set->IsLandscape());
    const CPaperType &entry = set->Papers()[size_t(set->GetCustomPaperIndex())];
    EXPECT_EQ(entry.width, 3000);
    EXPECT_EQ(entry.height, 2000);
    EXPECT_EQ(set->Setup().paperWidth, 2000);
    EXPECT_EQ(set->Setup().paperHeight, 3000);
    EXPECT_EQ(set->GetPageXLenght(), 3000);
    EXPECT_EQ(set->GetPageYLenght(), 2000);
    // The page follows the paper's aspect (to a unit of rounding).
    EXPECT_NEAR(double(set->GetXExtension()) / set->GetYExtension(), 1.5, 1.0 / set->GetYExtension());

    EXPECT_FALSE(set->SetPageXLenght(49));
    EXPECT_FALSE(set->SetPageYLenght(-5));
    EXPECT_EQ(set->GetPageXLenght(), 3000);
    EXPECT_TRUE(set->SetPageXLenght(50));
    EXPECT_TRUE(set->IsPortrait()); // 50 x 2000 stands upright
}

TEST_F(PageSetTest, ShrinkingThePaperShrinksMarginsThatNoLongerFit)
{
    setBlock(a4Custom());
    auto set = makeSet();
    RECT m{800, 100, 1000, 100};
    ASSERT_TRUE(set->SetMargins(&m));
    // 1000 wide: 800 + 1000 no longer fits, scaled by 1000 / 2100.
    ASSERT_TRUE(set->SetPageXLenght(1000));
    expectMargins(*set, 380, 100, 476, 100);
    RECT tight{10, 100, 80, 100};
    ASSERT_TRUE(set->SetMargins(&tight));
    ASSERT_TRUE(set->SetPageXLenght(1200));
    ASSERT_TRUE(set->SetPageXLenght(50));
    expectMargins(*set, 0, 100, 3, 100);
}

TEST_F(PageSetTest, PaperLookups)
{
    auto set = makeSet();
    EXPECT_EQ(set->GetPaperIndexByNumber(256), 0);
    EXPECT_EQ(set->GetPaperIndexByNumber(-1), -1);
    EXPECT_EQ(set->GetPaperIndexByNumber(9), -1);
    EXPECT_EQ(set->GetPaperIndexByName("Size"), 0);
    EXPECT_EQ(set->GetPaperIndexByName("size"), -1); // case-sensitive
    EXPECT_EQ(set->GetPaperIndexByName("..."), -1);  // nothing alphanumeric
    EXPECT_EQ(set->GetPaperIndexByName(""), -1);
    EXPECT_FALSE(set->SetPaperByIndex(1));
    EXPECT_FALSE(set->SetPaperByIndex(-1));
    EXPECT_FALSE(set->SetPaperByNumber(-3));
    EXPECT_FALSE(set->SetPaperByNumber(9));
    EXPECT_TRUE(set->SetPaperByNumber(256));
}

// ---------------------------------------------------------------------------
// Texts

TEST_F(PageSetTest, RegionalTexts)
{
    struct Case {
        const char *measure; // [intl] iMeasure, null: missing
        const char *decimal; // [intl] sDecimal
        LONG value;
        const char *text;
    } cases[] = {
        {"0", ".", 2100, "21.00  cm"}, {"0", ",", 2100, "21,00  cm"},
        {"0", "", 2100, "21,00  cm"}, // anything but a '.' gives a decimal comma
        {"1", ".", 2100, "8.27  \""},  {nullptr, ".", 254, "1.00  \""},
        {"0", ".", 127, "1.27  cm"},
    };
    for (const Case &c : cases) {
        WriteProfileStringA("intl", "iMeasure", c.measure);
        WriteProfileStringA("intl", "sDecimal", c.decimal);
        EXPECT_EQ(CPageSet::ConvToRegionalMeasure(c.value), c.text) << "sDecimal '" << c.decimal << "'";
    }

    WriteProfileStringA("intl", "iMeasure", "0");
    struct Back {
        const char *text;
        LONG value;
    } back[] = {
        {"21.00  cm", 2100},
        {"21,00  cm", 2100},
        {"8.27 \"", 2100},
        {"8,27 \"", 2100},
        {"21", 2100}, // metric by the regional setting
        {"", 0},      // empty: 0
        {"abc", -1},  // no number: refused by every setter
        {"1e99 cm", 100},
        {"99999999999 cm", -1}, // beyond any length
        {"-3 cm", -300},
    };
    for (const Back &b : back)
        EXPECT_EQ(CPageSet::ConvFromRegionalMeasure(b.text), b.value) << b.text;
    WriteProfileStringA("intl", "iMeasure", "1");
    EXPECT_EQ(CPageSet::ConvFromRegionalMeasure("21"), 5334); // inches by default
    EXPECT_EQ(CPageSet::IsMeticValue("3 cm"), 1);
    EXPECT_EQ(CPageSet::IsMeticValue("3 \""), 0);
}

TEST_F(PageSetTest, MapLengthsCarryTheViewsUnit)
{
    auto set = makeSet();
    EXPECT_EQ(set->ConvToGormUI(250), "250  cm");
    EXPECT_EQ(set->ConvToGormUI(-7), "-7  cm");
}

// ---------------------------------------------------------------------------
// Apply

TEST_F(PageSetTest, ApplyWritesBlockAndPageBack)
{
    auto set = makeSet();
    ASSERT_TRUE(set->SetPageXLenght(3000));
    ASSERT_TRUE(set->SetXOrigin(-500));
    set->Apply();
    const VPSetup s = block();
    EXPECT_EQ(s.paperWidth, set->Setup().paperWidth);
    EXPECT_EQ(s.orientation, 2);
    const PageRecord p = pageObject();
    EXPECT_EQ(p.origin.x, -500);
    EXPECT_EQ(p.page.x1, -500);
    EXPECT_EQ(p.extension.x, set->GetXExtension());
    // Without the save flag the map is not marked modified.
    EXPECT_EQ(rec.flags & WNDRES_MODIFIED, 0);
}

TEST_F(PageSetTest, ApplyTurnsThePrinterButKeepsItsPaperForTheCustomSize)
{
    rec.devMode = GlobalAlloc(GHND, sizeof(DEVMODEA));
    auto *dm = static_cast<DEVMODEA *>(GlobalLock(rec.devMode));
    dm->dmPaperSize = DMPAPER_A4;
    dm->dmOrientation = DMORIENT_PORTRAIT;
    GlobalUnlock(rec.devMode);

    auto set = makeSet();
    ASSERT_TRUE(set->SetLandscape());
    set->Apply();
    dm = static_cast<DEVMODEA *>(GlobalLock(rec.devMode));
    EXPECT_EQ(dm->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(dm->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(dm->dmFields, 0u);
    GlobalUnlock(rec.devMode);
}

TEST_F(PageSetTest, UndoStepOnlyWhenThePageAloneChanged)
{
    struct Case {
        const char *what;
        int undo;
        bool changePaper, movePage;
        bool step;
    } cases[] = {
        {"page moved", 1, false, true, true},
        {"page moved, no undo flag", 0, false, true, false},
        {"paper and page changed", 1, true, true, false},
        {"paper changed", 1, true, false, false},
        {"nothing changed", 1, false, false, false},
    };
    for (const Case &c : cases) {
        setBlock(VPSetup{});
        auto fresh = makeSet();
        fresh->Apply(); // the block as a page setup writes it
        Undo_Reset(rec.kernel);
        auto set = makeSet(c.undo, 1);
        if (c.changePaper) {
            ASSERT_TRUE(set->SetPageYLenght(3333)) << c.what;
        }
        if (c.movePage) {
            ASSERT_TRUE(set->SetXOrigin(set->GetXOrigin() + 1000)) << c.what;
        }
        rec.flags = 0;
        set->Apply();
        EXPECT_EQ(Undo_HasUndoStep(rec.kernel), c.step) << c.what;
        if (c.step) {
            EXPECT_EQ(Undo_CurrentStep(rec.kernel).code, UNDO_OP_PAGE_SETUP) << c.what;
        }
        EXPECT_EQ((rec.flags & WNDRES_MODIFIED) != 0, c.changePaper || c.movePage) << c.what;
    }
}

TEST_F(PageSetTest, UndoingThePageStepRestoresThePage)
{
    auto set = makeSet(1, 0);
    set->Apply();
    Undo_Reset(rec.kernel);
    const PageRecord before = pageObject();
    auto move = makeSet(1, 0);
    ASSERT_TRUE(move->SetYOrigin(before.origin.y - 4000));
    move->Apply();
    ASSERT_EQ(pageObject().origin.y, before.origin.y - 4000);
    ASSERT_EQ(Undo_Undo(rec.kernel), 1);
    EXPECT_EQ(pageObject().origin.y, before.origin.y);
}

} // namespace

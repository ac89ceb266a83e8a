// The page set-up objects: KrtPage over a copy of the map's page set-up,
// its papers, and the printer's physical areas.
#include "object_model_fixture.h"

#include "control/automation/krt_page.h"
#include "engine/window/page_setup/page_set.h"
#include "platform/global_memory.h"
#include "platform/printers.h"

namespace {

class PageTest : public ObjectModelTest {
protected:
    void SetUp() override
    {
        ObjectModelTest::SetUp();
        FakePrinter desk;
        desk.device = "Desk";
        desk.port = (folders.path() + "/desk.pdf").toStdString();
        desk.paperCodes = {9, 8, 1};
        desk.paperNames = {"A4", "A3", "Letter"};
        desk.paperSizes = {{2100, 2970}, {2970, 4200}, {2159, 2794}};
        desk.offset = {30, 40};
        desk.printable = {1180, 1674};
        SetFakePrinters(std::vector<FakePrinter>{desk});
        UsePrinter("Desk");
    }
    void TearDown() override
    {
        ObjectModelTest::TearDown();
        SetFakePrinters(std::nullopt);
    }
    void UsePrinter(const char *device)
    {
        _WNDRES *rec = ctl->wndRes();
        GlobalFree(rec->devNames);
        GlobalFree(rec->devMode);
        rec->devNames = device ? CreateDevNamesBlock("fake", device, "desk.pdf", false) : 0;
        rec->devMode = device ? CreateDefaultDevModeBlock(device) : 0;
    }
    static std::string PaperName(IDispatch *paper) { return paper ? Text(On(paper, "Name")) : "<null>"; }
};

TEST_F(PageTest, PapersByNumberByNameAndWhatFindsNothing)
{
    auto papers = Obj(On(Property("Page").get(), "Papers"));
    ASSERT_TRUE(papers);
    ASSERT_EQ(Long(On(papers.get(), "Count")), 4) << "three of the printer's and the custom size";
    const int32_t custom = Long(On(papers.get(), "Custom"));
    EXPECT_EQ(custom, 3);
    Variant two = VariantFromLong(2);
    struct Case {
        Variant key;
        std::string name;
    };
    const Case cases[] = {
        {VariantFromString("A4"), "A4"},         {VariantFromString("Lett"), "Letter"},
        {VariantFromString("a4"), "<null>"}, // names compare with case
        {VariantFromLong(2), "Letter"},          {VariantFromDouble(1.0), "A3"},
        {VariantFromString("1"), "A3"}, // a string that reads as a number
        {Variant(VariantRefTo(&two)), "Letter"}, {VariantFromLong(-1), "<null>"},
        {VariantFromLong(4), "<null>"}, // Count
        {VariantFromString("   "), "<null>"},    {VariantFromString(" -- "), "<null>"},
        {VariantFromString(""), "<null>"},       {Variant(), "A4"}, // empty converts to the number 0
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PaperName(Obj(On(papers.get(), "Item", {c.key})).get()), c.name);
    }
    // Only the custom entry can be written, and only from a paper.
    auto paper = ComPtr<KrtPaper>::Adopt(new KrtPaper);
    paper->sizeX = 1500;
    paper->sizeY = 1000;
    const Variant customKey = VariantFromLong(custom);
    const Variant value = VariantFromDispatch(paper.get());
    ASSERT_EQ(PutItem(papers.get(), customKey, value), S_OK);
    EXPECT_EQ(Long(On(Obj(On(papers.get(), "Item", {customKey})).get(), "SizeX")), 1500);
    ASSERT_EQ(PutItem(papers.get(), VariantFromString("A4"), value), S_OK);
    EXPECT_EQ(Long(On(Obj(On(papers.get(), "Item", {VariantFromLong(0)})).get(), "SizeX")), 2100);
    EXCEPINFO info{};
    EXPECT_EQ(PutItem(papers.get(), customKey, VariantFromLong(5), &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.wCode, 1000);
    EXPECT_EQ(BstrToWindows1252(info.bstrDescription), "Bad OLE type");
    ClearExcepInfo(&info);

    // A collection of no papers counts -1.
    auto empty = ComPtr<KrtPapers>::Adopt(new KrtPapers);
    EXPECT_EQ(Long(On(empty.get(), "Count")), -1);
    EXPECT_EQ(On(empty.get(), "Item", {VariantFromLong(0)}).pdispVal, nullptr);
    EXPECT_EQ(PutOn(empty.get(), "Count", VariantFromLong(3)), S_OK) << "accepted and ignored";
}

TEST_F(PageTest, APaperNotListedBecomesTheCustomSize)
{
    auto page = Property("Page");
    auto a3 = Obj(On(Obj(On(page.get(), "Papers")).get(), "Item", {VariantFromString("A3")}));
    ASSERT_EQ(PutOn(page.get(), "Paper", VariantFromDispatch(a3.get())), S_OK);
    EXPECT_EQ(PaperName(Obj(On(page.get(), "Paper")).get()), "A3");

    auto own = ComPtr<KrtPaper>::Adopt(new KrtPaper);
    own->identifier = 4711;
    own->name = "Poster";
    own->sizeX = 3000;
    own->sizeY = 5000;
    ASSERT_EQ(PutOn(page.get(), "Paper", VariantFromDispatch(own.get())), S_OK);
    auto now = Obj(On(page.get(), "Paper"));
    EXPECT_EQ(Long(On(now.get(), "Identifier")), PAPER_CUSTOM_NUMBER);
    EXPECT_EQ(Long(On(now.get(), "SizeX")), 3000);
    EXPECT_EQ(Long(On(now.get(), "SizeY")), 5000);

    EXCEPINFO info{};
    EXPECT_EQ(PutOn(page.get(), "Paper", VariantFromDispatch(Rect(0, 0, 1, 1).get()), &info),
              DISP_E_EXCEPTION);
    EXPECT_EQ(info.wCode, 1000);
    ClearExcepInfo(&info);
    // A paper's name changes only from a string.
    ASSERT_EQ(PutOn(own.get(), "Name", VariantFromLong(5)), S_OK);
    EXPECT_EQ(own->name, "Poster");
    ASSERT_EQ(PutOn(own.get(), "Name", VariantFromString("")), S_OK);
    EXPECT_EQ(Text(On(own.get(), "Name")), " ") << "an empty name reads as a blank";
}

TEST_F(PageTest, TheMapChangesOnlyWhenThePageIsAssigned)
{
    auto page = Property("Page");
    ASSERT_TRUE(On(page.get(), "IsPortrait").boolVal);
    ASSERT_EQ(PutOn(page.get(), "IsPortrait", VariantFromBool(false)), S_OK);
    EXPECT_FALSE(On(page.get(), "IsPortrait").boolVal);
    EXPECT_TRUE(On(Property("Page").get(), "IsPortrait").boolVal) << "a copy";
    ASSERT_EQ(Put("Page", VariantFromDispatch(page.get())), S_OK);
    EXPECT_FALSE(On(Property("Page").get(), "IsPortrait").boolVal);
    EXPECT_TRUE(ctl->IsControlModified());
    EXCEPINFO info{};
    EXPECT_EQ(PutByName(disp(), "Page", VariantFromDispatch(Rect(0, 0, 1, 1).get()), &info),
              DISP_E_EXCEPTION);
    ClearExcepInfo(&info);

    // A page made by ProgID has no page set-up: defaults, and nothing to
    // apply.
    auto loose = ComPtr<KrtPage>::Adopt(new KrtPage);
    EXPECT_EQ(Long(On(loose.get(), "Width")), -1);
    EXPECT_EQ(Long(On(loose.get(), "MarginLeft")), -1);
    EXPECT_EQ(Long(On(loose.get(), "OriginX")), 0);
    EXPECT_EQ(On(loose.get(), "Scale").dblVal, 0.0);
    EXPECT_EQ(On(loose.get(), "Paper").pdispVal, nullptr);
    EXPECT_FALSE(On(loose.get(), "FitToObjects",
                    {VariantFromBool(false), VariantFromBool(false), VariantFromLong(0), VariantFromLong(0)})
                     .boolVal);
    ASSERT_EQ(PutOn(loose.get(), "Width", VariantFromLong(500)), S_OK);
    ASSERT_EQ(Put("Page", VariantFromDispatch(loose.get())), S_OK);
    EXPECT_FALSE(On(Property("Page").get(), "IsPortrait").boolVal) << "nothing applied";
}

TEST_F(PageTest, AlignmentCodesOfTheEngine)
{
    struct Case {
        int32_t alignment, horizontal, vertical;
    };
    for (const Case &c : {Case{0, 1, 1}, Case{1, 0, 0}, Case{2, 2, 1}, Case{3, 1, 1}, Case{4, 1, 2},
                          Case{5, 1, 1}, Case{-1, 1, 1}}) {
        SCOPED_TRACE(c.alignment);
        EXPECT_EQ(KrtPage::HorizontalCode(c.alignment), c.horizontal);
        EXPECT_EQ(KrtPage::VerticalCode(c.alignment), c.vertical);
    }
    // Fitting to objects works through them.
    Polygon({{0, 0}, {50000, 0}, {50000, 30000}});
    auto page = Property("Page");
    EXPECT_TRUE(On(page.get(), "FitToObjects",
                   {VariantFromBool(false), VariantFromBool(false), VariantFromLong(1), VariantFromLong(4)})
                    .boolVal);
    EXPECT_FALSE(On(page.get(), "FitPageToRect",
                    {VariantFromDispatch(Point(0, 0).get()), VariantFromLong(1), VariantFromLong(1)})
                     .boolVal)
        << "a point is not a rectangle";
}

TEST_F(PageTest, ThePrintersPhysicalAreas)
{
    auto page = Property("Page");
    auto margins = Obj(On(page.get(), "GetPrinterPhysicalMargins", {VariantFromBool(true)}));
    ASSERT_TRUE(margins);
    EXPECT_EQ(Long(On(margins.get(), "left")), 30);
    EXPECT_EQ(Long(On(margins.get(), "top")), 40);
    auto area = Obj(On(page.get(), "GetPrinterPhysicalPrintableArea", {VariantFromBool(true)}));
    ASSERT_TRUE(area);
    EXPECT_EQ(Long(On(area.get(), "right")), 1180);
    EXPECT_EQ(Long(On(area.get(), "bottom")), 1674);

    UsePrinter(nullptr);
    EXPECT_EQ(On(page.get(), "GetPrinterPhysicalMargins", {VariantFromBool(true)}).pdispVal, nullptr);
    EXPECT_EQ(On(page.get(), "GetPrinterPhysicalPrintableArea", {VariantFromBool(false)}).pdispVal, nullptr);
}

} // namespace

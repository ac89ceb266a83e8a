#include "engine/window/printing/printer_helpers.h"

#include "engine/window/page.h"
#include "platform/dc.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/print_dialog.h"
#include "platform/profile.h"
#include "platform/window.h"
#include "tests/support/temp_settings.h"

#include <QComboBox>
#include <QDialog>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

FakePrinter a4Printer()
{
    FakePrinter p;
    p.device = "Office";
    p.driver = "fake";
    p.port = "/tmp/office.pdf";
    p.paperCodes = {1, 9, 8};
    p.paperNames = {"Letter", "A4", "A3"};
    p.paperSizes = {{2159, 2794}, {2100, 2970}, {2970, 4200}};
    p.dpi = 150;
    p.sheet = {1240, 1754};
    p.offset = {30, 40};
    p.printable = {1180, 1674};
    return p;
}

class PrinterHelpers : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetFakePrinters(std::nullopt);
        for (HGLOBAL h : blocks)
            GlobalFree(h);
    }
    void install(const FakePrinter &p) { SetFakePrinters(std::vector<FakePrinter>{p}); }
    HGLOBAL names(const FakePrinter &p)
    {
        return keep(CreateDevNamesBlock(p.driver.c_str(), p.device.c_str(), p.port.c_str(), false));
    }
    HGLOBAL mode(int16_t paper, int16_t orientation)
    {
        HGLOBAL h = keep(GlobalAlloc(GHND, sizeof(DEVMODEA)));
        auto *m = static_cast<DEVMODEA *>(GlobalLock(h));
        m->dmPaperSize = paper;
        m->dmOrientation = orientation;
        GlobalUnlock(h);
        return h;
    }
    HGLOBAL keep(HGLOBAL h)
    {
        blocks.push_back(h);
        return h;
    }
    VPSetup readBlock(HGLOBAL h)
    {
        VPSetup v;
        std::memcpy(&v, GlobalLock(h), sizeof v);
        GlobalUnlock(h);
        return v;
    }
    TempSettingsFolders folders;
    std::vector<HGLOBAL> blocks;
};

TEST_F(PrinterHelpers, StandardPaperTable)
{
    struct Case {
        int code;
        const char *name;
        POINT size;
        int result;
    } cases[] = {
        {1, "Letter, 8\xBD x 11 in.", {2159, 2794}, 1},
        {2, "Letter Small, 8\xBD x 11 in.", {2154, 2794}, 1},
        {9, "A4, 210 x 297 mm", {2100, 2970}, 1},
        {24, "C size sheet", {0, 0}, 1},
        {41, "German Legal Fanfold 8 \xBD x 13 in.", {2159, 3302}, 1},
        {42, "", {0, 0}, 0},
        {0, "", {0, 0}, 0},
        {-5, "", {0, 0}, 0},
    };
    for (const Case &c : cases) {
        char name[64] = "junk";
        POINT size{9, 9};
        EXPECT_EQ(PaperNameAndSizeGet(c.code, name, &size), c.result) << c.code;
        EXPECT_STREQ(name, c.name) << c.code;
        EXPECT_EQ(size.x, c.size.x) << c.code;
        EXPECT_EQ(size.y, c.size.y) << c.code;
    }
    EXPECT_EQ(PaperNameAndSizeGet(9, nullptr, nullptr), 1);
}

TEST_F(PrinterHelpers, PaperListTakesTheDriversListsOrTheTable)
{
    // The driver's names and sizes agree: its own lists.
    FakePrinter p = a4Printer();
    install(p);
    PaperList list;
    const int all = PAPER_LIST_NAMES | PAPER_LIST_SIZES | PAPER_LIST_NUMBERS;
    ASSERT_EQ(PaperListGet(&list, all, names(p), nullptr), 3);
    EXPECT_EQ(list.names[1], "A4");
    EXPECT_EQ(list.sizes[2].y, 4200);
    EXPECT_EQ(list.numbers[2], 8);

    // 10 names but 9 sizes: names and sizes of the 10 numbers from the table.
    p.paperCodes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 42};
    p.paperNames.assign(10, "driver name");
    p.paperSizes.assign(9, POINT{1, 1});
    install(p);
    ASSERT_EQ(PaperListGet(&list, all, names(p), nullptr), 10);
    EXPECT_EQ(list.names[8], "A4, 210 x 297 mm");
    EXPECT_EQ(list.sizes[7].x, 2970);
    EXPECT_EQ(list.names[9], ""); // an unknown code: empty, 0 x 0
    EXPECT_EQ(list.sizes[9].x, 0);

    // Names and sizes agree but the numbers are fewer: no list is read past
    // the shortest.
    p = a4Printer();
    p.paperCodes = {1, 9};
    install(p);
    ASSERT_EQ(PaperListGet(&list, all, names(p), nullptr), 2);
    EXPECT_EQ(list.names.size(), 2u);
    EXPECT_EQ(list.sizes.size(), 2u);
    EXPECT_EQ(PaperListGet(&list, PAPER_LIST_NAMES, names(p), nullptr), 3);

    // Numbers asked of a printer that has none; unknown printer; the
    // scratch record names the printer when there is no block.
    p.paperCodes = {};
    install(p);
    EXPECT_EQ(PaperListGet(&list, all, names(p), nullptr), 0);
    EXPECT_EQ(PaperListGet(&list, PAPER_LIST_SIZES, names(p), nullptr), 3);
    _STATICS statics{};
    std::strcpy(statics.deviceName, "Office");
    EXPECT_EQ(PaperListGet(&list, PAPER_LIST_SIZES, 0, &statics), 3);
    std::strcpy(statics.deviceName, "Nobody");
    EXPECT_EQ(PaperListGet(&list, PAPER_LIST_SIZES, 0, &statics), 0);
    EXPECT_EQ(PaperListGet(&list, PAPER_LIST_SIZES, 0, nullptr), 0);
}

TEST_F(PrinterHelpers, PaperOfferedAndNames)
{
    const FakePrinter p = a4Printer();
    install(p);
    const HGLOBAL n = names(p);
    EXPECT_EQ(PaperIsOffered(n, 9), 1);
    EXPECT_EQ(PaperIsOffered(n, 11), 0);
    EXPECT_EQ(PaperIsOffered(0, 9), 0);
    char device[64], port[64], driver[64];
    ASSERT_EQ(PrinterNamesGet(n, device, port, driver), 1);
    EXPECT_STREQ(device, "Office");
    EXPECT_STREQ(port, "/tmp/office.pdf");
    EXPECT_STREQ(driver, "fake");
    EXPECT_EQ(PrinterNamesGet(0, device, nullptr, nullptr), 0);
}

TEST_F(PrinterHelpers, PhysicalPagePrintableSizeAndCentredMargins)
{
    FakePrinter p = a4Printer();
    install(p);
    int number = 0;
    char name[64] = "junk";
    POINT size{};
    // 1240 x 1754 pixels at 150 dpi.
    EXPECT_EQ(PhysicalPageGet(0, names(p), &number, name, &size), 1);
    EXPECT_EQ(number, 9999);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(size.x, 2099);
    EXPECT_EQ(size.y, 2970);
    POINT printable{};
    EXPECT_EQ(PrintableSizeGet(0, names(p), &printable), 1);
    EXPECT_EQ(printable.x, 1998);
    RECT m{};
    EXPECT_EQ(CentredMarginsGet(0, names(p), &m), 1);
    EXPECT_EQ(m.left, (2099 - 1998) / 2);
    EXPECT_EQ(m.right, m.left);

    // A landscape-shaped sheet: orientation 2, short side first.
    p.sheet = {1754, 1240};
    p.printable = {1700, 1200};
    install(p);
    EXPECT_EQ(PhysicalPageGet(0, names(p), nullptr, nullptr, &size), 2);
    EXPECT_EQ(size.x, 2099);
    EXPECT_EQ(size.y, 2970);
    EXPECT_EQ(PhysicalPageGet(0, 0, nullptr, nullptr, &size), 0);
}

TEST_F(PrinterHelpers, DefaultPageSetUpFromTheDeviceMode)
{
    const FakePrinter p = a4Printer();
    install(p);
    _STATICS statics{};
    HGLOBAL block = keep(GlobalAlloc(GHND, sizeof(VPSetup)));
    ASSERT_EQ(VP_Default(block, mode(9, 2), names(p), &statics), 1);
    VPSetup v = readBlock(block);
    EXPECT_STREQ(v.paperName, "A4");
    EXPECT_EQ(v.paperWidth, 2100);
    EXPECT_EQ(v.paperHeight, 2970);
    EXPECT_EQ(v.orientation, 2);
    EXPECT_EQ(v.paperNumber, 9);
    EXPECT_EQ(v.leftMargin, 127);
    EXPECT_EQ(v.bottomMargin, 127);
    EXPECT_EQ(statics.deviceName[0], 0); // the scratch names are cleared

    // A paper the printer does not list leaves the block as it was.
    HGLOBAL fresh = keep(GlobalAlloc(GHND, sizeof(VPSetup)));
    ASSERT_EQ(VP_Default(fresh, mode(11, 1), names(p), &statics), 1);
    EXPECT_EQ(readBlock(fresh).paperWidth, 0);

    // Missing or unlockable blocks.
    EXPECT_EQ(VP_Default(0, mode(9, 1), names(p), &statics), 0);
    EXPECT_EQ(VP_Default(block, mode(9, 1), 0, &statics), 0);
    EXPECT_EQ(VP_Default(block, mode(9, 1), names(p), nullptr), 0);
}

TEST_F(PrinterHelpers, DefaultPageSetUpFromThePhysicalSheet)
{
    FakePrinter p = a4Printer();
    p.sheet = {1754, 1240}; // landscape-shaped, 6 pixels of margin at the sides
    p.printable = {1742, 1000};
    install(p);
    HGLOBAL block = keep(GlobalAlloc(GHND, sizeof(VPSetup)));
    ASSERT_EQ(VP_Default(block, 0, names(p), nullptr), 1);
    const VPSetup v = readBlock(block);
    EXPECT_EQ(v.paperNumber, 9999);
    EXPECT_EQ(v.orientation, 2);
    EXPECT_EQ(v.paperWidth, 2099);
    EXPECT_EQ(v.paperHeight, 2970);
    // Centred margins of the upright sheet: 203 at the sides, 10 (raised to
    // 127) at top and bottom; turned for landscape.
    EXPECT_EQ(v.leftMargin, 127);
    EXPECT_EQ(v.topMargin, 203);
    EXPECT_EQ(v.rightMargin, 127);
    EXPECT_EQ(v.bottomMargin, 203);

    p.refusesContext = true;
    install(p);
    HGLOBAL other = keep(GlobalAlloc(GHND, sizeof(VPSetup)));
    EXPECT_EQ(VP_Default(other, 0, names(p), nullptr), 0);
}

TEST_F(PrinterHelpers, DefaultPrinterEntryAndTest)
{
    const FakePrinter p = a4Printer();
    install(p);
    PrinterEntry entry{};
    const struct {
        const char *value;
        int result;
    } cases[] = {{"Office,fake,/tmp/office.pdf", 1}, {"Office,fake", 0}, {",,,", 0}, {"Office,,x", 0}};
    for (const auto &c : cases) {
        WriteProfileStringA("windows", "device", c.value);
        EXPECT_EQ(DefaultPrinterEntryGet(&entry, 0), c.result) << c.value;
    }
    WriteProfileStringA("windows", "device", "Office,fake,/tmp/office.pdf");
    ASSERT_EQ(DefaultPrinterEntryGet(&entry, 1), 1);
    EXPECT_STREQ(entry.device, "Office");
    EXPECT_STREQ(entry.driver, "fake");
    EXPECT_STREQ(entry.output, "/tmp/office.pdf");
    EXPECT_NE(entry.dc, 0u);
    DeleteDC(entry.dc);

    const HGLOBAL n = names(p);
    ASSERT_EQ(DefaultPrinterTest(n), 1);
    PrinterNames read;
    ReadDevNamesBlock(n, &read);
    EXPECT_TRUE(read.isDefault);
    WriteProfileStringA("windows", "device", "Office,fake,/tmp/other.pdf");
    DefaultPrinterTest(n);
    ReadDevNamesBlock(n, &read);
    EXPECT_FALSE(read.isDefault);
}

TEST_F(PrinterHelpers, ChoosePrinterReturnsTheDialogsBlocks)
{
    FakePrinter a = a4Printer(), b = a4Printer();
    b.device = "Plotter";
    SetFakePrinters(std::vector<FakePrinter>{a, b});
    HWND owner = CreateHeadlessWindow(nullptr);
    HGLOBAL m = CreateDefaultDevModeBlock("Office");
    HGLOBAL n = CreateDevNamesBlock("fake", "Office", "/tmp/office.pdf", false);
    EXPECT_EQ(ChoosePrinter(0, &m, &n), 0);
    EXPECT_EQ(ChoosePrinter(owner, nullptr, &n), 0);
    SetModalDialogHook([](QDialog &, int) { return IDCANCEL; });
    EXPECT_EQ(ChoosePrinter(owner, &m, &n), 0);
    SetModalDialogHook([](QDialog &d, int templateId) {
        EXPECT_EQ(templateId, PRNSETUPDLGORD);
        DialogItemAs<QComboBox>(&d, kPrinterListId)->setCurrentIndex(1);
        return IDOK;
    });
    ASSERT_EQ(ChoosePrinter(owner, &m, &n), 1);
    PrinterNames read;
    ASSERT_TRUE(ReadDevNamesBlock(n, &read));
    EXPECT_EQ(read.device, "Plotter");
    SetModalDialogHook({});
    GlobalFree(m);
    GlobalFree(n);
    DestroyWindow(owner);
}

} // namespace

#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/print_dc.h"
#include "platform/print_dialog.h"
#include "platform/printers.h"
#include "platform/profile.h"
#include "platform/region.h"

#include "temp_folders.h"
#include "tests/support/pdf_tools.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A 150 dpi printer with an A4 sheet of 1240 x 1754 pixels, a printing
// offset of (50, 60) and a printable area of 1100 x 1600 pixels.
FakePrinter offsetPrinter(const QString &pdf)
{
    FakePrinter p;
    p.device = "Offset printer";
    p.port = pdf.toStdString();
    p.paperCodes = {9, 8, 1};
    p.paperNames = {"A4", "A3", "Letter"};
    p.paperSizes = {{2100, 2970}, {2970, 4200}, {2159, 2794}};
    p.offset = {50, 60};
    p.printable = {1100, 1600};
    return p;
}

class Printers : public ::testing::Test {
protected:
    void TearDown() override { SetFakePrinters(std::nullopt); }
    QString pdf(const char *name) const { return dir.path() + "/" + name; }
    TempProfileFolder profile;
    QTemporaryDir dir;
};

std::string lockedText(HGLOBAL block)
{
    const char *p = static_cast<const char *>(GlobalLock(block));
    std::string s = p ? std::string(p, GlobalSize(block)) : std::string();
    GlobalUnlock(block);
    return s;
}

TEST_F(Printers, DevNamesBlockRoundTripsAndRejectsDamagedOffsets)
{
    HGLOBAL block = CreateDevNamesBlock("drv", "Device", "/tmp/out.pdf", true);
    PrinterNames names;
    ASSERT_TRUE(ReadDevNamesBlock(block, &names));
    EXPECT_EQ(names.driver, "drv");
    EXPECT_EQ(names.device, "Device");
    EXPECT_EQ(names.port, "/tmp/out.pdf");
    EXPECT_TRUE(names.isDefault);

    // Damage: an offset past the end, one into the header, a name without
    // its terminator.
    const size_t size = GlobalSize(block);
    struct Case {
        uint16_t offset;
        bool cutTerminator;
    } cases[] = {{uint16_t(size), false}, {uint16_t(2), false}, {0, true}};
    for (const Case &c : cases) {
        HGLOBAL damaged = GlobalAlloc(GHND, size);
        auto *d = static_cast<char *>(GlobalLock(damaged));
        std::memcpy(d, lockedText(block).data(), size);
        if (c.cutTerminator)
            d[size - 1] = 'x';
        else
            reinterpret_cast<DEVNAMES *>(d)->wDeviceOffset = c.offset;
        GlobalUnlock(damaged);
        PrinterNames out{"keep", "keep", "keep", false};
        EXPECT_FALSE(ReadDevNamesBlock(damaged, &out));
        EXPECT_EQ(out.device, "keep");
        GlobalFree(damaged);
    }
    EXPECT_FALSE(ReadDevNamesBlock(0, &names));
    GlobalFree(block);
}

TEST_F(Printers, CapabilitiesAnswerEachListWithItsOwnCount)
{
    FakePrinter p = offsetPrinter(pdf("a.pdf"));
    p.paperCodes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    p.paperNames = {"a", "b", "c", "d", "e", "f", "g", "h", "i", std::string(80, 'n')};
    p.paperSizes.assign(9, POINT{100, 200});
    p.copies = 0;
    SetFakePrinters(std::vector<FakePrinter>{p});
    const char *dev = p.device.c_str();
    EXPECT_EQ(DeviceCapabilitiesA(dev, "", DC_PAPERS, nullptr, nullptr), 10);
    EXPECT_EQ(DeviceCapabilitiesA(dev, "", DC_PAPERNAMES, nullptr, nullptr), 10);
    EXPECT_EQ(DeviceCapabilitiesA(dev, "", DC_PAPERSIZE, nullptr, nullptr), 9);
    EXPECT_EQ(DeviceCapabilitiesA(dev, "", DC_COPIES, nullptr, nullptr), 0);
    std::vector<char> names(10 * PAPER_NAME_SLOT, 'x');
    ASSERT_EQ(DeviceCapabilitiesA(dev, "", DC_PAPERNAMES, names.data(), nullptr), 10);
    EXPECT_STREQ(&names[8 * PAPER_NAME_SLOT], "i");
    EXPECT_EQ(std::strlen(&names[9 * PAPER_NAME_SLOT]), size_t(PAPER_NAME_SLOT - 1)); // cut to its slot
    std::vector<POINT> sizes(9);
    DeviceCapabilitiesA(dev, "", DC_PAPERSIZE, reinterpret_cast<char *>(sizes.data()), nullptr);
    EXPECT_EQ(sizes[8].y, 200);
    EXPECT_EQ(DeviceCapabilitiesA("nobody", "", DC_PAPERS, nullptr, nullptr), -1);
    EXPECT_EQ(DeviceCapabilitiesA(dev, "", 9999, nullptr, nullptr), -1);
}

TEST_F(Printers, DefaultPrinterComesFromTheProfileThenTheSystem)
{
    FakePrinter a = offsetPrinter(pdf("a.pdf")), b = offsetPrinter(pdf("b.pdf"));
    a.device = "First";
    b.device = "Second";
    b.isDefault = true;
    b.orientation = DMORIENT_LANDSCAPE;
    SetFakePrinters(std::vector<FakePrinter>{a, b});
    HGLOBAL mode = 0, names = 0;
    PrinterNames n;
    ASSERT_TRUE(GetDefaultPrinterBlocks(&mode, &names));
    ASSERT_TRUE(ReadDevNamesBlock(names, &n));
    EXPECT_EQ(n.device, "Second");
    auto *m = static_cast<DEVMODEA *>(GlobalLock(mode));
    EXPECT_EQ(m->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(m->dmPaperSize, DMPAPER_A4);
    GlobalUnlock(mode);
    GlobalFree(mode);
    GlobalFree(names);

    // The profile names a known printer (its port from the entry); an
    // unknown name falls back to the system's default.
    WriteProfileStringA("windows", "device", "First,fake,/tmp/elsewhere.pdf");
    ASSERT_TRUE(GetDefaultPrinterBlocks(&mode, &names));
    ASSERT_TRUE(ReadDevNamesBlock(names, &n));
    EXPECT_EQ(n.device, "First");
    EXPECT_EQ(n.port, "/tmp/elsewhere.pdf");
    GlobalFree(mode);
    GlobalFree(names);
    WriteProfileStringA("windows", "device", "Unknown,fake,x");
    ASSERT_TRUE(GetDefaultPrinterBlocks(&mode, &names));
    ASSERT_TRUE(ReadDevNamesBlock(names, &n));
    EXPECT_EQ(n.device, "Second");
    GlobalFree(mode);
    GlobalFree(names);

    // Printers without a default, and no printers at all: none.
    SetFakePrinters(std::vector<FakePrinter>{a});
    EXPECT_FALSE(GetDefaultPrinterBlocks(&mode, &names));
    SetFakePrinters(std::vector<FakePrinter>{});
    EXPECT_FALSE(GetDefaultPrinterBlocks(&mode, &names));
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(names, 0u);
}

TEST_F(Printers, ContextAnswersTheSheetAndRefusesWhatIsNoPrinter)
{
    FakePrinter p = offsetPrinter(pdf("a.pdf"));
    FakePrinter refusing = p;
    refusing.device = "Refusing";
    refusing.refusesContext = true;
    SetFakePrinters(std::vector<FakePrinter>{p, refusing});
    EXPECT_EQ(CreateDCA("fake", "Refusing", "", nullptr), 0u);
    EXPECT_EQ(CreateDCA("fake", "Nobody", "", nullptr), 0u);
    HDC dc = CreateDCA("fake", p.device.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1100);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 1600);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 150);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 186); // 1100 px at 150 dpi
    EXPECT_EQ(GetDeviceCaps(dc, CLIPCAPS), CP_RECTANGLE);
    POINT sheet{}, offset{};
    EXPECT_EQ(Escape(dc, GETPHYSPAGESIZE, 0, nullptr, &sheet), 1);
    EXPECT_EQ(Escape(dc, GETPRINTINGOFFSET, 0, nullptr, &offset), 1);
    EXPECT_EQ(sheet.x, 1240);
    EXPECT_EQ(sheet.y, 1754);
    EXPECT_EQ(offset.x, 50);
    EXPECT_EQ(offset.y, 60);
    EXPECT_EQ(StartPage(dc), SP_ERROR); // no document yet
    DeleteDC(dc);

    // An image context is no printer.
    QImage image(4, 4, QImage::Format_RGB32);
    HDC imageDc = CreateImageDC(&image);
    POINT out{7, 7};
    EXPECT_EQ(Escape(imageDc, GETPHYSPAGESIZE, 0, nullptr, &out), 0);
    EXPECT_EQ(out.x, 7);
    EXPECT_EQ(StartDocA(imageDc, nullptr), SP_ERROR);
    EXPECT_EQ(SelectClipRgn(imageDc, 0), RGN_ERROR);
    DeleteDC(imageDc);
}

int abortCalls = 0;
BOOL countingAbort(HDC, int)
{
    ++abortCalls;
    return TRUE;
}
BOOL stoppingAbort(HDC, int)
{
    ++abortCalls;
    return abortCalls < 2;
}

TEST_F(Printers, PagesReachThePdfClippedAtTheirOffset)
{
    FakePrinter p = offsetPrinter(pdf("job.pdf"));
    SetFakePrinters(std::vector<FakePrinter>{p});
    HDC dc = CreateDCA("fake", p.device.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, 0u);
    abortCalls = 0;
    SetAbortProc(dc, countingAbort);
    DOCINFOA info{sizeof(DOCINFOA), "Survey map", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info), 0);
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    SelectObject(dc, black);
    SelectObject(dc, GetStockObject(NULL_PEN));
    for (int page = 0; page < 2; ++page) {
        ASSERT_GT(StartPage(dc), 0);
        // Page 1: the whole printable area black, kept only inside the clip
        // (100, 200)-(300, 400); page 2 unclipped.
        HRGN clip = CreateRectRgn(100, 200, 300, 400);
        EXPECT_EQ(SelectClipRgn(dc, page == 0 ? clip : 0), page == 0 ? SIMPLEREGION : NULLREGION);
        DeleteObject(clip);
        Rectangle(dc, 0, 0, 1101, 1601);
        ASSERT_GT(EndPage(dc), 0);
    }
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    DeleteObject(black);
    EXPECT_EQ(abortCalls, 4); // each page's start and end

    const PdfInfo info2 = ReadPdfInfo(pdf("job.pdf"));
    ASSERT_TRUE(info2.ok);
    EXPECT_EQ(info2.pages, 2);
    EXPECT_NEAR(info2.width, 595.2, 1.0);
    EXPECT_NEAR(info2.height, 841.9, 1.0);
    EXPECT_EQ(info2.title, "Survey map");
    const QImage first = RenderPdfPage(pdf("job.pdf"), 1, 150);
    ASSERT_NEAR(first.width(), 1240, 1); // A4 at 150 dpi
    ASSERT_NEAR(first.height(), 1754, 1);
    // Device (x, y) is sheet (x + 50, y + 60).
    EXPECT_EQ(qGray(first.pixel(150 + 50, 300 + 60)), 0);
    EXPECT_EQ(qGray(first.pixel(90 + 50, 300 + 60)), 255);
    EXPECT_EQ(qGray(first.pixel(150 + 50, 410 + 60)), 255);
    const QImage second = RenderPdfPage(pdf("job.pdf"), 2, 150);
    EXPECT_EQ(qGray(second.pixel(55, 65)), 0);   // printable area
    EXPECT_EQ(qGray(second.pixel(20, 20)), 255); // unprintable margin
    EXPECT_EQ(qGray(second.pixel(1200, 1700)), 255);
}

TEST_F(Printers, AbortAndUnwritableOutputEndTheJobCleanly)
{
    FakePrinter p = offsetPrinter(pdf("aborted.pdf"));
    SetFakePrinters(std::vector<FakePrinter>{p});
    HDC dc = CreateDCA("fake", p.device.c_str(), nullptr, nullptr);
    DOCINFOA info{sizeof(DOCINFOA), "x", nullptr, nullptr, 0};
    abortCalls = 0;
    SetAbortProc(dc, stoppingAbort);
    ASSERT_GT(StartDocA(dc, &info), 0);
    ASSERT_GT(StartPage(dc), 0);
    EXPECT_EQ(EndPage(dc), SP_ERROR); // the procedure said stop
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    EXPECT_GT(AbortDoc(dc), 0);
    EXPECT_FALSE(QFile::exists(pdf("aborted.pdf")));

    DOCINFOA bad{sizeof(DOCINFOA), "x", "/nonexistent-folder/out.pdf", nullptr, 0};
    SetAbortProc(dc, nullptr);
    EXPECT_EQ(StartDocA(dc, &bad), SP_ERROR);
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    DeleteDC(dc);
}

TEST_F(Printers, BuiltInPdfPrinterTurnsThePaperAsTheDeviceModeSays)
{
    SetFakePrinters(std::nullopt);
    HGLOBAL mode = CreateDefaultDevModeBlock(kPdfPrinterName);
    ASSERT_NE(mode, 0u);
    auto *m = static_cast<DEVMODEA *>(GlobalLock(mode));
    m->dmOrientation = DMORIENT_LANDSCAPE;
    m->dmFields = 0; // honoured without the field bits
    HDC dc = CreateDCA(kPdfPrinterDriver, kPdfPrinterName, pdf("wide.pdf").toLocal8Bit().constData(), m);
    GlobalUnlock(mode);
    GlobalFree(mode);
    ASSERT_NE(dc, 0u);
    EXPECT_GT(GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
    DOCINFOA info{sizeof(DOCINFOA), "Wide", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info), 0);
    ASSERT_GT(StartPage(dc), 0);
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    const PdfInfo info2 = ReadPdfInfo(pdf("wide.pdf"));
    EXPECT_EQ(info2.pages, 1);
    EXPECT_NEAR(info2.width, 841.9, 1.0);
    EXPECT_NEAR(info2.height, 595.3, 1.0);
}

TEST_F(Printers, PrintDialogsGoThroughTheHook)
{
    FakePrinter a = offsetPrinter(pdf("a.pdf")), b = offsetPrinter(pdf("b.pdf"));
    a.device = "First";
    a.isDefault = true;
    b.device = "Second";
    SetFakePrinters(std::vector<FakePrinter>{a, b});
    int seenTemplate = 0;
    SetModalDialogHook([&](QDialog &d, int templateId) {
        seenTemplate = templateId;
        DialogItemAs<QComboBox>(&d, kPrinterListId)->setCurrentIndex(1);
        if (templateId == PRNSETUPDLGORD) {
            DialogItemAs<QComboBox>(&d, kPaperListId)->setCurrentIndex(1); // A3
            DialogItemAs<QRadioButton>(&d, kLandscapeId)->setChecked(true);
        } else {
            DialogItemAs<QRadioButton>(&d, kSelectionId)->setChecked(true);
        }
        return IDOK;
    });
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_PRINTSETUP;
    ASSERT_TRUE(PrintDlgA(&pd));
    EXPECT_EQ(seenTemplate, PRNSETUPDLGORD);
    PrinterNames n;
    ASSERT_TRUE(ReadDevNamesBlock(pd.hDevNames, &n));
    EXPECT_EQ(n.device, "Second");
    EXPECT_EQ(n.port, b.port);
    auto *m = static_cast<DEVMODEA *>(GlobalLock(pd.hDevMode));
    EXPECT_EQ(m->dmPaperSize, DMPAPER_A3);
    EXPECT_EQ(m->dmOrientation, DMORIENT_LANDSCAPE);
    GlobalUnlock(pd.hDevMode);

    // The print dialog keeps the blocks of the same printer, returns a
    // context and the selection choice.
    const size_t before = GlobalBlockCount();
    pd.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE;
    ASSERT_TRUE(PrintDlgA(&pd));
    EXPECT_EQ(seenTemplate, PRINTDLGORD);
    EXPECT_TRUE(pd.Flags & PD_SELECTION);
    EXPECT_NE(pd.hDC, 0u);
    EXPECT_EQ(GlobalBlockCount(), before); // the old blocks were freed
    m = static_cast<DEVMODEA *>(GlobalLock(pd.hDevMode));
    EXPECT_EQ(m->dmPaperSize, DMPAPER_A3);
    GlobalUnlock(pd.hDevMode);
    DeleteDC(pd.hDC);

    // Cancel: FALSE without an error, blocks untouched.
    SetModalDialogHook([](QDialog &, int) { return IDCANCEL; });
    const HGLOBAL keptNames = pd.hDevNames;
    EXPECT_FALSE(PrintDlgA(&pd));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(pd.hDevNames, keptNames);
    GlobalFree(pd.hDevMode);
    GlobalFree(pd.hDevNames);

    // No printers: an error, and the hook is never asked.
    SetFakePrinters(std::vector<FakePrinter>{});
    PRINTDLGA none{};
    none.lStructSize = sizeof none;
    EXPECT_FALSE(PrintDlgA(&none));
    EXPECT_EQ(CommDlgExtendedError(), PDERR_NODEFAULTPRN);
    SetModalDialogHook({});
}

} // namespace

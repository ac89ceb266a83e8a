#include "tests/engine/editing/display_fixture.h"

#include "engine/kernel/map_notify_codes.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/map_painting.h"
#include "engine/window/page.h"
#include "engine/window/printing/print_map.h"
#include "engine/window/view_window.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/print_dialog.h"
#include "platform/printers.h"
#include "platform/window.h"
#include "tests/support/pdf_tools.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);

// 150 dpi, an A4 sheet of 1240 x 1754 pixels.
FakePrinter a4Printer(const QString &pdf, POINT offset = {0, 0}, SIZE printable = {1240, 1754})
{
    FakePrinter p;
    p.device = "Desk";
    p.port = pdf.toStdString();
    p.paperCodes = {9, 8};
    p.paperNames = {"A4", "A3"};
    p.paperSizes = {{2100, 2970}, {2970, 4200}};
    p.offset = offset;
    p.printable = printable;
    return p;
}

struct Progress {
    WPARAM kind;
    LPARAM value;
};

// A map window whose page is a sheet of paper at one world unit per tenth
// of a millimetre, with a fake printer of its own.
class PrintMapTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (HasFatalFailure())
            return;
        SetWindowHandler(window, [this](HWND, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == MAPN_PROGRESS)
                progress.push_back({w, l});
            if (msg == WM_USER + 7)
                postedRanWhileDisabled = !IsWindowEnabled(window);
            if (msg == WM_USER + 8) {
                // A repaint in the middle of the job.
                QImage probe(W, H, QImage::Format_RGB32);
                probe.fill(Qt::white);
                const HDC pdc = CreateImageDC(&probe);
                const RECT all{0, 0, W, H};
                OnDstrPaint(&rec, pdc, &all, 0);
                DeleteDC(pdc);
                repaintDrewNothing = probe.allGray() && qGray(probe.pixel(W / 2, H / 2)) == 255;
                viewDuringJob = rec.displayView;
            }
            return 0;
        });
        frame = CreateHeadlessWindow(nullptr);
        top = CreateHeadlessWindow(nullptr);
        SetParent(window, frame);
        SetParent(frame, top);
        SetWindowTextA(top, "Survey 7");
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            messages.push_back(r.text + "|" + r.caption);
            return IDOK;
        });
        useSetup(2100, 2970, 1, 9, {100, 100, 100, 100});
        placePage(2100, 2970);
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        SetModalDialogHook({});
        SetFakePrinters(std::nullopt);
        DestroyWindow(frame);
        DestroyWindow(top);
        DisplayTest::TearDown();
    }

    QString pdf(const char *name) const { return dir.path() + "/" + name; }

    void usePrinter(const FakePrinter &p)
    {
        SetFakePrinters(std::vector<FakePrinter>{p});
        GlobalFree(rec.devNames);
        GlobalFree(rec.devMode);
        rec.devNames = CreateDevNamesBlock(p.driver.c_str(), p.device.c_str(), p.port.c_str(), false);
        rec.devMode = CreateDefaultDevModeBlock(p.device.c_str());
    }
    void useSetup(int32_t w, int32_t h, int32_t orientation, int32_t number, RECT margins)
    {
        VPSetup v{};
        std::strcpy(v.paperName, "paper");
        v.paperWidth = w;
        v.paperHeight = h;
        v.orientation = orientation;
        v.paperNumber = number;
        v.leftMargin = margins.left;
        v.topMargin = margins.top;
        v.rightMargin = margins.right;
        v.bottomMargin = margins.bottom;
        std::memcpy(GlobalLock(rec.pageSetup), &v, sizeof v);
        GlobalUnlock(rec.pageSetup);
    }
    VPSetup setup()
    {
        VPSetup v;
        std::memcpy(&v, GlobalLock(rec.pageSetup), sizeof v);
        GlobalUnlock(rec.pageSetup);
        return v;
    }
    // The page's origin at (0, 0) and its extension in world units.
    void placePage(int32_t w, int32_t h)
    {
        const MAP_COORDPT origin{0, 0}, extension{w, h};
        PageSetOrgExtInWindow(window, &origin, &extension);
        PageUpdateInWindow(window);
    }
    // A filled square in world units.
    OBJHANDLE square(int32_t x, int32_t y, int32_t size, OBJHANDLE inLayer)
    {
        return polygon({{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}}, inLayer);
    }
    std::vector<LPARAM> progressValues(WPARAM kind) const
    {
        std::vector<LPARAM> out;
        for (const Progress &p : progress)
            if (p.kind == kind)
                out.push_back(p.value);
        return out;
    }

    QTemporaryDir dir;
    HWND frame = 0, top = 0;
    std::vector<Progress> progress;
    std::vector<std::string> messages;
    bool postedRanWhileDisabled = false;
    bool repaintDrewNothing = false;
    PresentationManager *viewDuringJob = nullptr;
};

// Pixels of a that differ from every pixel of b within one pixel around.
double shareDiffering(const QImage &a, const QImage &b, const QRect &area)
{
    int differing = 0, total = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            ++total;
            const int g = qGray(a.pixel(x, y));
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    const QPoint q(x + dx, y + dy);
                    near = b.rect().contains(q) && std::abs(qGray(b.pixel(q)) - g) < 48;
                }
            differing += !near;
        }
    return total ? double(differing) / total : 0;
}

TEST_F(PrintMapTest, OneSheetIsOnePageOfThePapersSizeAndMatchesTheScreenPainter)
{
    usePrinter(a4Printer(pdf("one.pdf")));
    const OBJHANDLE l = layer({RGB(0, 0, 0), 0, 3, kBlue});
    square(300, 300, 600, l);
    square(1200, 1800, 500, l);
    polyline({{100, 2800}, {2000, 200}, {1900, 2700}}, l);
    PrintMap(window, 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(progress.empty()) << "one sheet sends no progress";
    const PdfInfo info = ReadPdfInfo(pdf("one.pdf"));
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.width, 595.3, 1);
    EXPECT_NEAR(info.height, 841.9, 1);
    EXPECT_EQ(info.title, "Survey 7");

    // The same view painted on the screen's painter at the printer's scale.
    const QImage printed = RenderPdfPage(pdf("one.pdf"), 1, 150);
    ASSERT_FALSE(printed.isNull());
    QImage reference(1240, 1754, QImage::Format_RGB32);
    reference.fill(Qt::white);
    const HDC rdc = CreateImageDC(&reference);
    PresentationManager copy{};
    PM_Copy(&copy, rec.displayView);
    const RECT paper{0, 0, 1240, 1754};
    const POINT offset{0, 0};
    PM_SetForPrint(&copy, window, &paper, &offset, nullptr);
    PresentationManager *screen = rec.displayView;
    rec.displayView = &copy;
    OnDstrPaint(&rec, rdc, &copy.displayRect, 0);
    rec.displayView = screen;
    PM_Destructor(&copy);
    DeleteDC(rdc);
    // Inside the page's margins (10 mm = 59 pixels).
    const QRect inside(QPoint(60, 60), QPoint(1240 - 60, 1754 - 60));
    EXPECT_LT(shareDiffering(printed, reference, inside), 0.01);
    EXPECT_LT(shareDiffering(reference, printed, inside), 0.01);
    int dark = 0;
    for (int y = inside.top(); y < inside.bottom(); y += 4)
        for (int x = inside.left(); x < inside.right(); x += 4)
            dark += qGray(printed.pixel(x, y)) < 128;
    EXPECT_GT(dark, 1000) << "the map is there";
}

TEST_F(PrintMapTest, LandscapePageOnThePdfPrinter)
{
    SetFakePrinters(std::nullopt);
    GlobalFree(rec.devNames);
    GlobalFree(rec.devMode);
    rec.devNames = CreateDevNamesBlock(kPdfPrinterDriver, kPdfPrinterName,
                                       pdf("wide.pdf").toLocal8Bit().constData(), false);
    rec.devMode = CreateDefaultDevModeBlock(kPdfPrinterName);
    useSetup(2100, 2970, 2, 9, {127, 127, 127, 127});
    PrintMap(window, 0);
    const PdfInfo info = ReadPdfInfo(pdf("wide.pdf"));
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.width, 841.9, 1);
    EXPECT_NEAR(info.height, 595.3, 1);
}

TEST_F(PrintMapTest, AnA3PageTilesOverFourA4Sheets)
{
    usePrinter(a4Printer(pdf("tiles.pdf")));
    useSetup(2970, 4200, 1, 8, {100, 100, 100, 100});
    placePage(2970, 4200);
    square(100, 100, 2700, layer({RGB(0, 0, 0), 0, 1, kBlue}));
    PrintMap(window, 0);
    EXPECT_EQ(progressValues(MAPN_KIND_PRINTING), (std::vector<LPARAM>{-1, 25, 50, 75, 100, -2}));
    EXPECT_EQ(progress.size(), 6u);
    const PdfInfo info = ReadPdfInfo(pdf("tiles.pdf"));
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.pages, 4);
    EXPECT_NEAR(info.width, 595.3, 1);

    // A left margin wider than a sheet: the first column lies in the
    // margin, is skipped, and still counts.
    progress.clear();
    usePrinter(a4Printer(pdf("skipped.pdf")));
    useSetup(2970, 4200, 1, 8, {2150, 100, 100, 100});
    PrintMap(window, 0);
    EXPECT_EQ(progressValues(MAPN_KIND_PRINTING), (std::vector<LPARAM>{-1, 25, 50, 75, 100, -2}));
    EXPECT_EQ(ReadPdfInfo(pdf("skipped.pdf")).pages, 2);
}

TEST_F(PrintMapTest, ClipRegionsAndMarginBandsOnAPrinterWithAnOffset)
{
    // The map covers far more than the page; the sheet shows it only inside
    // the page's margins, whether the printer clips or only the bands cover
    // the rest.
    for (bool clips : {true, false}) {
        SCOPED_TRACE(clips);
        FakePrinter p = a4Printer(pdf(clips ? "clip.pdf" : "bands.pdf"), {50, 60}, {1100, 1600});
        p.canClip = clips;
        usePrinter(p);
        if (clips)
            square(-1000, -1000, 5000, layer({RGB(0, 0, 0), 0, 1, RGB(0, 0, 0)}));
        // Margins of 20 mm (118 pixels); P = 1240 x 1754.
        useSetup(2100, 2970, 1, 9, {200, 200, 200, 200});
        PrintMap(window, 0);
        const QImage page = RenderPdfPage(pdf(clips ? "clip.pdf" : "bands.pdf"), 1, 150);
        ASSERT_FALSE(page.isNull());
        auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
        EXPECT_TRUE(dark(600, 800));
        EXPECT_TRUE(dark(119, 800));
        EXPECT_FALSE(dark(116, 800)) << "left margin";
        EXPECT_FALSE(dark(600, 116)) << "top margin";
        // Right edge: P.right - M.right + 5 on the sheet.
        EXPECT_TRUE(dark(1240 - 118 + 3, 800));
        EXPECT_FALSE(dark(1240 - 118 + 6, 800)) << "right margin";
        EXPECT_FALSE(dark(600, 1754 - 118 + 7)) << "bottom margin";
        EXPECT_FALSE(dark(20, 20)) << "unprintable";
    }
}

TEST_F(PrintMapTest, TheSelectionAloneWhenTheDialogSaysSo)
{
    usePrinter(a4Printer(pdf("sel.pdf")));
    const OBJHANDLE l = layer({RGB(0, 0, 0), 0, 1, RGB(0, 0, 0)});
    square(300, 300, 500, l);
    select(square(1200, 2000, 500, l));
    SetModalDialogHook([](QDialog &d, int templateId) {
        EXPECT_EQ(templateId, PRINTDLGORD);
        DialogItemAs<QRadioButton>(&d, kSelectionId)->setChecked(true);
        return IDOK;
    });
    PrintMap(window, 1);
    const QImage page = RenderPdfPage(pdf("sel.pdf"), 1, 150);
    ASSERT_FALSE(page.isNull());
    // Dark pixels in a world square (0.1 mm per unit, y from the bottom).
    auto darkIn = [&](int wx, int wy, int size) {
        int n = 0;
        for (int y = (2970 - wy - size) * 150 / 254 - 2; y <= (2970 - wy) * 150 / 254 + 2; ++y)
            for (int x = wx * 150 / 254 - 2; x <= (wx + size) * 150 / 254 + 2; ++x)
                n += qGray(page.pixel(x, y)) < 128;
        return n;
    };
    EXPECT_GT(darkIn(1200, 2000, 500), 100) << "the selected square";
    EXPECT_EQ(darkIn(300, 300, 500), 0) << "the other square";
}

TEST_F(PrintMapTest, FailuresChangeNothingAndSayWhy)
{
    // No printer.
    GlobalFree(rec.devNames);
    rec.devNames = 0;
    PrintMap(window, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "NO INSTALED DEFAULT PRINTER\n For more information search in Windows Help|Information !");
    PrinterSetup(window);
    EXPECT_EQ(messages.size(), 2u);

    // A printer that refuses a context.
    FakePrinter refusing = a4Printer(pdf("never.pdf"));
    refusing.refusesContext = true;
    usePrinter(refusing);
    messages.clear();
    PrintMap(window, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].substr(0, 18), "Create DC error !|");
    EXPECT_TRUE(IsWindowEnabled(window));

    // Cancelling the dialog prints nothing and says nothing.
    usePrinter(a4Printer(pdf("cancelled.pdf")));
    messages.clear();
    SetModalDialogHook([](QDialog &, int) { return IDCANCEL; });
    PrintMap(window, 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(QFile::exists(pdf("cancelled.pdf")));

    // An unwritable file ends the job cleanly.
    PresentationManager *view = rec.displayView;
    usePrinter(a4Printer("/nonexistent-folder/x.pdf"));
    PrintMap(window, 0);
    EXPECT_EQ(rec.displayView, view);
    EXPECT_EQ(rec.printerOnly, 0);
    EXPECT_TRUE(IsWindowEnabled(window));
}

TEST_F(PrintMapTest, TheJobDisablesTheWindowKeepsMessagesMovingAndPutsEverythingBack)
{
    usePrinter(a4Printer(pdf("job.pdf")));
    square(300, 300, 500, layer({RGB(0, 0, 0), 0, 1, kBlue}));
    PresentationManager *view = rec.displayView;
    PostMessageA(window, WM_USER + 7, 0, 0);
    PostMessageA(window, WM_USER + 8, 0, 0);
    useSetup(2100, 2970, 1, 9999, {100, 100, 100, 100});
    PrintMap(window, 0);
    EXPECT_TRUE(postedRanWhileDisabled);
    EXPECT_TRUE(repaintDrewNothing);
    EXPECT_NE(viewDuringJob, view) << "the job's own copy of the view";
    EXPECT_EQ(rec.displayView, view);
    EXPECT_EQ(rec.printerOnly, 0);
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(setup().paperNumber, 256) << "9999 becomes the custom size";
    EXPECT_EQ(ReadPdfInfo(pdf("job.pdf")).pages, 1);
}

TEST_F(PrintMapTest, PrinterSetupTakesTheChosenPrinter)
{
    FakePrinter a = a4Printer(pdf("a.pdf")), b = a4Printer(pdf("b.pdf"));
    b.device = "Other";
    b.paperCodes = {8};
    b.paperNames = {"A3"};
    b.paperSizes = {{2970, 4200}};
    usePrinter(a);
    SetFakePrinters(std::vector<FakePrinter>{a, b});
    SetModalDialogHook([](QDialog &d, int templateId) {
        EXPECT_EQ(templateId, PRNSETUPDLGORD);
        DialogItemAs<QComboBox>(&d, kPrinterListId)->setCurrentIndex(1);
        return IDOK;
    });
    PrinterSetup(window);
    PrinterNames names;
    ASSERT_TRUE(ReadDevNamesBlock(rec.devNames, &names));
    EXPECT_EQ(names.device, "Other");
    EXPECT_EQ(setup().paperNumber, 256) << "A4 is not offered by the new printer";
    EXPECT_TRUE(messages.empty());
}

TEST_F(PrintMapTest, PageSetupDialogOpensOverTheWindow)
{
    int seen = 0;
    SetModalDialogHook([&](QDialog &, int templateId) {
        seen = templateId;
        return IDCANCEL;
    });
    PageSetupShowDlg(frame, 0); // no record: nothing
    EXPECT_EQ(seen, 0);
    PageSetupShowDlg(window, 0);
    EXPECT_EQ(seen, 173);
}

} // namespace

#include "engine/window/printing/printer_type.h"

#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

namespace {

static_assert(!std::is_copy_constructible_v<CPrinterType> && !std::is_copy_assignable_v<CPrinterType>);
static_assert(std::is_move_constructible_v<CPrinterType> && std::is_move_assignable_v<CPrinterType>);

class PrinterWrapper : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 600 dpi, a sheet of 5100 x 6600 pixels, 4900 x 6400 printable from
        // (50, 60).
        FakePrinter p;
        p.device = "Laser";
        p.port = "/tmp/laser.pdf";
        p.paperCodes = {1};
        p.paperNames = {"Letter"};
        p.paperSizes = {{2159, 2794}};
        p.dpi = 600;
        p.sheet = {5100, 6600};
        p.offset = {50, 60};
        p.printable = {4900, 6400};
        FakePrinter refusing = p;
        refusing.device = "Broken";
        refusing.refusesContext = true;
        SetFakePrinters(std::vector<FakePrinter>{p, refusing});
        window.devNames = CreateDevNamesBlock("fake", "Laser", "/tmp/laser.pdf", false);
        window.devMode = CreateDefaultDevModeBlock("Laser");
    }
    void TearDown() override
    {
        // Both blocks are unlocked again, or they could not be freed.
        EXPECT_EQ(GlobalFree(window.devNames), 0u);
        EXPECT_EQ(GlobalFree(window.devMode), 0u);
        SetFakePrinters(std::nullopt);
    }
    _WNDRES window;
};

TEST_F(PrinterWrapper, MarginsAndPrintableArea)
{
    CPrinterType printer(&window);
    ASSERT_TRUE(printer.IsValid());
    EXPECT_STREQ(printer.DeviceName(), "Laser");
    RECT r{};
    ASSERT_EQ(printer.GetPhisicalPageMarginsSizeInPixels(&r), 1);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right, 150);
    EXPECT_EQ(r.bottom, 140);
    ASSERT_EQ(printer.GetPhisicalPageMarginsSizeInMillimeters(&r), 1);
    // 600 dpi: 23.62 pixels a millimetre, rounded.
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 3);
    EXPECT_EQ(r.right, 6);
    EXPECT_EQ(r.bottom, 6);
    ASSERT_EQ(printer.GetPhisicalPrintableAreaInPixels(&r), 1);
    EXPECT_EQ(r.right, 4900);
    EXPECT_EQ(r.bottom, 6400);
    ASSERT_EQ(printer.GetPhisicalPrintableAreaInMillimeters(&r), 1);
    EXPECT_EQ(r.right, 207);
    EXPECT_EQ(r.bottom, 270);
    EXPECT_EQ(printer.GetPhisicalPrintableAreaInPixels(nullptr), 0);
}

TEST_F(PrinterWrapper, WithoutBlocksOrContextEveryQueryFails)
{
    _WNDRES bare;
    CPrinterType noNames(&bare), noWindow(nullptr);
    // A window whose printer refuses a context.
    _WNDRES broken;
    broken.devNames = CreateDevNamesBlock("fake", "Broken", "", false);
    broken.devMode = window.devMode;
    {
        CPrinterType refused(&broken);
        EXPECT_TRUE(refused.IsValid());
        for (CPrinterType *p : {&noNames, &noWindow, &refused}) {
            RECT r{7, 7, 7, 7};
            EXPECT_EQ(p->CreatePrinterDC(), 0);
            EXPECT_EQ(p->GetPhisicalPrintableAreaInPixels(&r), 0);
            EXPECT_EQ(p->GetPhisicalPrintableAreaInMillimeters(&r), 0);
            EXPECT_EQ(p->GetPhisicalPageMarginsSizeInPixels(&r), 0);
            EXPECT_EQ(p->GetPhisicalPageMarginsSizeInMillimeters(&r), 0);
            EXPECT_EQ(r.left, 7);
            EXPECT_EQ(r.bottom, 7);
        }
    }
    EXPECT_FALSE(noNames.IsValid());
    EXPECT_EQ(GlobalFree(broken.devNames), 0u);
}

TEST_F(PrinterWrapper, MovingHandsOwnershipOver)
{
    CPrinterType first(&window);
    ASSERT_EQ(first.CreatePrinterDC(), 1);
    CPrinterType second(std::move(first));
    EXPECT_FALSE(first.IsValid());
    RECT r{};
    EXPECT_EQ(first.GetPhisicalPrintableAreaInPixels(&r), 0);
    EXPECT_EQ(second.GetPhisicalPrintableAreaInPixels(&r), 1);
    CPrinterType third(nullptr);
    third = std::move(second);
    EXPECT_EQ(third.GetPhisicalPageMarginsSizeInPixels(&r), 1);
    EXPECT_EQ(r.right, 150);
    // The blocks are unlocked once, by the last owner (TearDown frees them).
}

} // namespace

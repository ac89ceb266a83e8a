#include "engine/kernel/settings.h"
#include "engine/window/page.h"
#include "engine/window/page_setup/page_set.h"
#include "engine/window/page_setup/window_page_setup.h"
#include "platform/global_memory.h"
#include "platform/printers.h"
#include "platform/registry.h"
#include "tests/engine/window/window_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class WindowPageSetupTest : public MapWindowTest {
protected:
    void SetUp() override
    {
        SetFakePrinters(std::vector<FakePrinter>{}); // a machine without printers
        MapWindowTest::SetUp();
    }
    void TearDown() override
    {
        MapWindowTest::TearDown();
        SetFakePrinters(std::nullopt);
    }
};

TEST_F(WindowPageSetupTest, WithoutAPrinterTheBlockStaysZero)
{
    ASSERT_NE(rec.pageSetup, HGLOBAL(0));
    ASSERT_GE(GlobalSize(rec.pageSetup), sizeof(VPSetup));
    VPSetup s{};
    std::memcpy(&s, GlobalLock(rec.pageSetup), sizeof s);
    GlobalUnlock(rec.pageSetup);
    const VPSetup zero{};
    EXPECT_EQ(std::memcmp(&s, &zero, sizeof s), 0);
}

TEST_F(WindowPageSetupTest, AttachingWithoutThePageMakesNone)
{
    ASSERT_EQ(WndRes_AttachToWindow(&rec, window, 0), 1);
    EXPECT_EQ(PageGetFromWindow(window), 0u);
    EXPECT_EQ(WindowPageAttach(nullptr), 0);
}

TEST_F(WindowPageSetupTest, APageSetupNeedsARecordAndAPage)
{
    CPageSet none(nullptr, 1, 0, 1);
    EXPECT_TRUE(none.Failed());
    none.Apply();
    none.InitPageDataFromRegistry();
    EXPECT_FALSE(none.SetXOrigin(10));
    EXPECT_FALSE(none.SetPaperByIndex(0));
    EXPECT_FALSE(none.ScaleSet(100.0));
    EXPECT_EQ(none.FitToAllObjects(0, 0, 0), 0);

    // Attached without a page: nothing to set up, and nothing written.
    ASSERT_EQ(WndRes_AttachToWindow(&rec, window, 0), 1);
    CPageSet noPage(&rec, 1, 0, 1);
    EXPECT_TRUE(noPage.Failed());
    noPage.Apply();
    EXPECT_EQ(rec.flags & WNDRES_MODIFIED, 0);
    VPSetup s{};
    ASSERT_TRUE(VPSetupRead(window, &s));
    EXPECT_EQ(s.paperWidth, 0);
}

TEST_F(WindowPageSetupTest, TheRegistrysPageWinsOverTheStartValues)
{
    const std::string key = std::string(GORM_REG_PATH) + "\\Settings\\Page";
    HKEY h = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    for (const auto &[name, text] :
         {std::pair{"Page - Origin X", "-300"}, std::pair{"Page - Orientation", "Landscape"}})
        RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                       DWORD(std::strlen(text) + 1));
    RegCloseKey(h);

    attach();
    const OBJHANDLE page = PageGetFromWindow(window);
    ASSERT_NE(page, 0u);
    PageRecord r{};
    ASSERT_TRUE(PageRead(rec.kernel, page, &r));
    EXPECT_EQ(r.origin.x, -300);
    // The start extension (100000 x 200000) grown to the custom paper's
    // aspect (141528 x 200000), then turned with the page.
    EXPECT_EQ(r.extension.x, 200000);
    EXPECT_EQ(r.extension.y, 141528);
    VPSetup s{};
    ASSERT_TRUE(VPSetupRead(window, &s));
    EXPECT_EQ(s.orientation, VP_ORIENT_LANDSCAPE);
    EXPECT_EQ(s.paperWidth, 2101);
    EXPECT_EQ(s.paperNumber, 256);
    EXPECT_EQ(rec.flags & WNDRES_MODIFIED, 0);
}

} // namespace

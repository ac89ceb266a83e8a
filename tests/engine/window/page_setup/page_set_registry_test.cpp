#include "engine/kernel/settings.h"
#include "engine/window/wndres.h"
#include "page_set_fixture.h"
#include "platform/registry.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kPageKey = std::string(GORM_REG_PATH) + "\\Settings\\Page";

class PageRegistryTest : public PageSetTest {
protected:
    static void put(const char *name, const char *text)
    {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPageKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                       DWORD(std::strlen(text) + 1));
        RegCloseKey(key);
    }
    static void putDword(const char *name, DWORD v)
    {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPageKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), sizeof v);
        RegCloseKey(key);
    }
    static std::string get(const char *name)
    {
        HKEY key = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kPageKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>";
        char text[300] = {};
        DWORD type = 0, size = sizeof text - 1;
        const LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(text), &size);
        RegCloseKey(key);
        return r == ERROR_SUCCESS ? std::string(text) : "<missing>";
    }
    static void clearKey() { RegDeleteKeyA(HKEY_CURRENT_USER, kPageKey.c_str()); }

    // A page setup saved by a window: a tall custom paper, margins, scale
    // 1 : 250 and an origin.
    void saveConfiguredPage()
    {
        auto set = makeSet(0, 1);
        ASSERT_TRUE(set->SetPageYLenght(3500));
        RECT m{100, 200, 300, 400};
        ASSERT_TRUE(set->SetMargins(&m));
        POINT scale{1, 250};
        ASSERT_TRUE(set->ScaleSet(&scale));
        ASSERT_TRUE(set->SetXOrigin(-1234));
        ASSERT_TRUE(set->SetYOrigin(5678));
        set->Apply();
        saved = std::make_pair(set->Setup(), set->Page());
    }

    std::pair<VPSetup, PageRecord> saved{};
};

TEST_F(PageRegistryTest, ValuesAsWritten)
{
    saveConfiguredPage();
    EXPECT_EQ(get("Page - Origin X"), "-1234");
    EXPECT_EQ(get("Page - Origin Y"), "5678");
    EXPECT_EQ(get("Page - Extension X"), std::to_string(saved.second.extension.x));
    EXPECT_EQ(get("Page - Orientation"), "Portrait");
    EXPECT_EQ(get("Page - Paper margin - left"), "100 (in 0,1 mm)");
    EXPECT_EQ(get("Page - Paper margin - bottom"), "400 (in 0,1 mm)");
    EXPECT_EQ(get("Page - Paper number"), "256");
    EXPECT_EQ(get("Page - Paper name"), "Custom Size...");
    EXPECT_EQ(get("Page - Paper size X"), "2101 (in 0,1 mm)");
    EXPECT_EQ(get("Page - Paper size Y"), "3500 (in 0,1 mm)");
    // Saving marks the map modified.
    EXPECT_NE(rec.flags & WNDRES_MODIFIED, 0);
}

TEST_F(PageRegistryTest, APageSavedByOneWindowIsReadBackByAFreshOne)
{
    saveConfiguredPage();
    _WNDRES other;
    ASSERT_EQ(WndRes_Constructor(&other), 1);
    HWND otherWindow = CreateHeadlessWindow(nullptr);
    SetClientSize(otherWindow, 400, 300);
    ASSERT_EQ(WndRes_AttachToWindow(&other, otherWindow, 1), 1);

    VPSetup setup{};
    ASSERT_TRUE(VPSetupRead(otherWindow, &setup));
    EXPECT_EQ(std::memcmp(&setup, &saved.first, sizeof setup), 0);
    PageRecord page{};
    ASSERT_TRUE(PageRead(other.kernel, PageGetFromWindow(otherWindow), &page));
    EXPECT_EQ(page.origin.x, -1234);
    EXPECT_EQ(page.origin.y, 5678);
    EXPECT_EQ(page.extension.x, saved.second.extension.x);
    EXPECT_EQ(page.extension.y, saved.second.extension.y);
    EXPECT_EQ(std::memcmp(&page.printable, &saved.second.printable, sizeof page.printable), 0);
    // Reading at attach is no change of the map.
    EXPECT_EQ(other.flags & WNDRES_MODIFIED, 0);

    WndRes_Destructor(&other);
    DestroyWindow(otherWindow);
}

TEST_F(PageRegistryTest, DamagedValuesChangeNothing)
{
    struct Case {
        const char *what;
        std::vector<std::pair<const char *, const char *>> values;
    } cases[] = {
        {"origin not a number", {{"Page - Origin X", "abc"}, {"Page - Origin Y", ""}}},
        {"origin beyond 32 bits", {{"Page - Origin X", "99999999999"}}},
        {"negative extension", {{"Page - Extension X", "-500"}, {"Page - Extension Y", "-3"}}},
        {"negative margin", {{"Page - Paper margin - left", "-10 (in 0,1 mm)"}}},
        {"margin wider than the paper", {{"Page - Paper margin - right", "5000 (in 0,1 mm)"}}},
        {"margins together wider than the paper",
         {{"Page - Paper margin - left", "1500 (in 0,1 mm)"},
          {"Page - Paper margin - right", "1500 (in 0,1 mm)"}}},
        {"garbage orientation", {{"Page - Orientation", "Sideways"}}},
        {"empty orientation", {{"Page - Orientation", ""}}},
        {"unknown paper number and name", {{"Page - Paper number", "777"}, {"Page - Paper name", "Tabloid"}}},
        {"paper number not a number", {{"Page - Paper number", "x9"}}},
        {"custom size too small",
         {{"Page - Paper number", "256"}, {"Page - Paper size X", "20 (in 0,1 mm)"}}},
        {"half a size", {{"Page - Paper number", "777"}, {"Page - Paper size X", "3000 (in 0,1 mm)"}}},
    };
    for (const Case &c : cases) {
        clearKey();
        for (const auto &[name, text] : c.values)
            put(name, text);
        auto untouched = makeSet();
        auto read = makeSet();
        read->InitPageDataFromRegistry();
        EXPECT_EQ(std::memcmp(&read->Setup(), &untouched->Setup(), sizeof(VPSetup)), 0) << c.what;
        EXPECT_EQ(std::memcmp(&read->Page(), &untouched->Page(), sizeof(PageRecord)), 0) << c.what;
    }
    clearKey();
    putDword("Page - Origin X", 500); // not text
    auto read = makeSet();
    const LONG x = read->GetXOrigin();
    read->InitPageDataFromRegistry();
    EXPECT_EQ(read->GetXOrigin(), x);
}

TEST_F(PageRegistryTest, DamagedValuesLeaveTheOthersToApply)
{
    saveConfiguredPage();
    put("Page - Origin X", "abc");
    put("Page - Paper margin - left", "-10 (in 0,1 mm)");
    setBlock(VPSetup{});
    auto read = makeSet();
    const LONG x = read->GetXOrigin();
    read->InitPageDataFromRegistry();
    EXPECT_EQ(read->Setup().paperHeight, 3500);
    EXPECT_EQ(read->GetLeftMargin(), 127);
    EXPECT_EQ(read->GetTopMargin(), 200);
    EXPECT_EQ(read->GetRightMargin(), 300);
    EXPECT_EQ(read->GetBottomMargin(), 400);
    EXPECT_EQ(read->GetXOrigin(), x);
    EXPECT_EQ(read->GetYOrigin(), 5678);
    EXPECT_EQ(read->GetScaleMap(), 250);
}

TEST_F(PageRegistryTest, OrientationTexts)
{
    struct Case {
        const char *text;
        bool landscape;
    } cases[] = {
        {"Landscape", true}, {"landscape", true}, {"L", true}, {"Portrait", false}, {"portrait", false}};
    for (const Case &c : cases) {
        clearKey();
        put("Page - Orientation", c.text);
        for (const bool startLandscape : {false, true}) {
            auto set = makeSet();
            if (startLandscape)
                set->SetLandscape();
            set->InitPageOrientationFromRegistry();
            EXPECT_EQ(set->IsLandscape(), c.landscape) << c.text;
        }
    }
}

TEST_F(PageRegistryTest, UnknownPaperWithAWholeSizeBecomesThatCustomSize)
{
    put("Page - Paper number", "777");
    put("Page - Paper name", "Tabloid");
    put("Page - Paper size X", "3000 (in 0,1 mm)");
    put("Page - Paper size Y", "2000 (in 0,1 mm)");
    auto set = makeSet();
    set->InitPaperSizeFromRegistry();
    EXPECT_EQ(set->GetActivePaperNum(), 256);
    EXPECT_TRUE(set->IsLandscape());
    EXPECT_EQ(set->GetPageXLenght(), 3000);
    EXPECT_EQ(set->GetPageYLenght(), 2000);
}

} // namespace

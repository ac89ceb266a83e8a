// The GPS page of the engine settings: the lists, what is read and stored
// with its edge cases, the symbol spin, the font chooser and the notice
// after apply.
#include "tests/engine/window/window_fixture.h"

#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/settings.h"
#include "engine/window/settings/gps_page.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/registry.h"
#include "platform/screen_metrics.h"

#include <QComboBox>
#include <QFontDialog>
#include <QPushButton>
#include <QSpinBox>

#include <vector>

namespace {

class GpsSettingsTest : public AttachedMapWindowTest {
protected:
    void TearDown() override
    {
        SetModalDialogHook({});
        rec.hWnd = window;
        if (spy)
            DestroyWindow(spy);
        AttachedMapWindowTest::TearDown();
    }
    int32_t stored(const char *section, const char *name)
    {
        int32_t v = -12345;
        key.GetValue(section, name, &v, 0);
        return v;
    }
    void store(const char *name, int32_t v) { key.SetValue("GPS Settings\\Port", name, &v, 0); }
    // The map window's notices go to a window of the test.
    void spyOnNotices()
    {
        spy = CreateHeadlessWindow([this](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
            notices.push_back(msg);
            return 0;
        });
        rec.hWnd = spy;
    }
    void writeLogFont(DWORD size)
    {
        HKEY k = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (key.path + "\\GPS Settings\\Marker").c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        std::vector<BYTE> bytes(size, 0x41);
        RegSetValueExA(k, "LogFont", 0, REG_NONE, bytes.data(), size);
        RegCloseKey(k);
    }

    SettingsRegKey key;
    HWND spy = 0;
    std::vector<UINT> notices;
};

TEST_F(GpsSettingsTest, ListsHoldTheRecommendedItems)
{
    GpsSettingsModel m(&rec);
    EXPECT_EQ(m.speeds.size(), 15u);
    EXPECT_EQ(m.speeds[6], "9600*");
    EXPECT_EQ(m.stopBits, (std::vector<std::string>{"1*", "1.5", "2"}));
    EXPECT_EQ(m.parities[2], "None*");
    EXPECT_EQ(GpsSettingsModel::SelectString(m.dataBits, "8"), 4);
    EXPECT_EQ(GpsSettingsModel::SelectString(m.parities, "odd"), 3) << "without regard to case";
    EXPECT_EQ(GpsSettingsModel::SelectString(m.speeds, "14400"), -1);
}

TEST_F(GpsSettingsTest, StoredValuesAreSelectedAndStoredBack)
{
    const struct {
        int32_t speed, stopBits, bits;
        const char *speedItem, *stopItem, *bitsItem;
        int32_t speedBack, stopBack, bitsBack;
    } cases[] = {
        {14400, 15, 8, "14400", "1.5", "8*", 14400, 15, 8},
        {9600, 3, 7, "9600*", "1*", "7", 9600, 1, 7},
        {115200, 2, 42, "115200", "2", "4", 115200, 2, 4},
    };
    for (const auto &c : cases) {
        store("Speed", c.speed);
        store("StopBits", c.stopBits);
        store("Bits", c.bits);
        GpsSettingsModel m(&rec);
        m.LoadSettings();
        EXPECT_EQ(m.speeds[size_t(m.speed)], c.speedItem);
        EXPECT_EQ(m.stopBits[size_t(m.stop)], c.stopItem);
        EXPECT_EQ(m.dataBits[size_t(m.bits)], c.bitsItem);
        if (c.speed == 14400) {
            EXPECT_EQ(m.speed, 6) << "inserted before 9600*";
        }
        m.SaveSettings();
        EXPECT_EQ(stored("GPS Settings\\Port", "Speed"), c.speedBack);
        EXPECT_EQ(stored("GPS Settings\\Port", "StopBits"), c.stopBack);
        EXPECT_EQ(stored("GPS Settings\\Port", "Bits"), c.bitsBack);
    }
}

TEST_F(GpsSettingsTest, MissingValuesSelectTheRecommendedItemsAndNoParityStoresZero)
{
    GpsSettingsModel m(&rec);
    m.LoadSettings();
    EXPECT_EQ(m.parities[size_t(m.parity)], "None*");
    EXPECT_EQ(m.speeds[size_t(m.speed)], "9600*");
    EXPECT_EQ(m.dataBits[size_t(m.bits)], "8*");
    EXPECT_EQ(m.stopBits[size_t(m.stop)], "1*");
    CGPSPortParams params;
    m.FillPortParams(&params);
    EXPECT_EQ(params.speed, 9600);
    EXPECT_EQ(params.dataBits, 8);
    EXPECT_EQ(params.parity, "None");
    EXPECT_EQ(params.stopBits, 1.0);

    m.parity = -1;
    m.SaveSettings();
    EXPECT_EQ(stored("GPS Settings\\Port", "Parity"), 0);
    m.FillPortParams(&params);
    EXPECT_EQ(params.parity, "ERROR") << "the monitor then keeps the port's parity";
    store("Parity", 4);
    GpsSettingsModel again(&rec);
    again.LoadSettings();
    EXPECT_EQ(again.parities[size_t(again.parity)], "Odd");
}

TEST_F(GpsSettingsTest, LogFontIsReadOnlyWhenItFits)
{
    writeLogFont(61);
    GpsSettingsModel big(&rec);
    big.LoadSettings();
    EXPECT_EQ(big.logFont.lfHeight, 0) << "61 bytes: not read";
    writeLogFont(60);
    GpsSettingsModel fits(&rec);
    fits.LoadSettings();
    EXPECT_EQ(fits.logFont.lfHeight, 0x41414141);
    fits.logFont.lfHeight = 7;
    fits.SaveSettings();
    GpsSettingsModel back(&rec);
    back.LoadSettings();
    EXPECT_EQ(back.logFont.lfHeight, 7);
}

TEST_F(GpsSettingsTest, SymbolSpinStepsAndWraps)
{
    GpsSettingsModel m(&rec);
    m.symbol = "+";
    m.StepSymbol(-1);
    EXPECT_EQ(m.symbol, "*");
    m.symbol = std::string(1, char(255));
    m.StepSymbol(1);
    EXPECT_EQ(m.symbol, "") << "code 0 leaves the text empty";
    m.StepSymbol(1);
    EXPECT_EQ(m.symbol, ",") << "an empty symbol starts from +";
    m.symbol.clear();
    m.StepSymbol(0);
    EXPECT_EQ(m.symbol, "*");
}

TEST_F(GpsSettingsTest, PageLoadsOnShowAppliesWithANoticeAndChoosesTheFont)
{
    spyOnNotices();
    SettingsStringSet(&key, "GPS Settings\\Marker", "Symbol", "+");
    store("Speed", 14400);
    CGPSDlg page(&rec);
    EXPECT_FALSE(page.model().loaded);
    page.show();
    ASSERT_TRUE(page.model().loaded);
    auto *symbol = DialogItemAs<QPushButton>(&page, CGPSDlg::kSymbolId);
    auto *speed = DialogItemAs<QComboBox>(&page, CGPSDlg::kSpeedId);
    ASSERT_TRUE(symbol && speed);
    EXPECT_EQ(symbol->text(), "+");
    EXPECT_EQ(speed->currentText(), "14400");
    EXPECT_EQ(speed->itemText(7), "9600*");
    DialogItemAs<QSpinBox>(&page, CGPSDlg::kSpinId)->stepDown();
    EXPECT_EQ(symbol->text(), "*");

    SetModalDialogHook([](QDialog &dialog, int) {
        auto *chooser = dialog.findChild<QFontDialog *>();
        EXPECT_NE(chooser, nullptr);
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPointSize(12);
        f.setBold(true);
        chooser->setCurrentFont(f);
        return IDOK;
    });
    symbol->click();
    EXPECT_EQ(page.model().fontName, "Liberation Sans");
    EXPECT_EQ(page.model().bold, 1);
    EXPECT_EQ(page.model().fontSize, (12 * ScreenMetric(LOGPIXELSY) * 2 + 72) / 144);

    page.Apply();
    EXPECT_EQ(notices, std::vector<UINT>{MAPN_GPSREINIT});
    EXPECT_EQ(stored("GPS Settings\\Port", "Speed"), 14400);
    EXPECT_EQ(stored("GPS Settings\\Marker", "FontIsBold"), 1);
    std::string text;
    SettingsStringGet(&key, "GPS Settings\\Marker", "Symbol", nullptr, 0, &text);
    EXPECT_EQ(text, "*");
}

} // namespace

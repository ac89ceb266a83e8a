// The Copy page of the engine settings: the stored widths and their
// defaults, the unit switch, the large-width warning, the refused widths,
// what OK writes, and the page itself offscreen.
// First: the class table's headers use names that Qt's headers define as
// macros.
#include "tests/engine/window/window_fixture.h"

#include "engine/window/settings/copy_page.h"
#include "engine/window/settings/copy_settings.h"
#include "engine/kernel/settings.h"
#include "platform/device_limit.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QLabel>
#include <QLineEdit>

#include <string>
#include <vector>

namespace {

class CopySettingsTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r.text);
            return answer;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        SetDeviceBitmapLimit(0);
        AttachedMapWindowTest::TearDown();
    }
    void store(const char *name, const std::string &text)
    {
        ASSERT_EQ(SettingsStringSet(rec.settingsKey, "Settings", name, text), 1);
    }
    std::string stored(const char *name)
    {
        std::string out;
        return SettingsStringGet(rec.settingsKey, "Settings", name, nullptr, 0, &out) ? out : "<missing>";
    }

    std::vector<std::string> boxes;
    int answer = IDYES;
};

TEST_F(CopySettingsTest, StoredWidthsAreReadWithTheirDefaults)
{
    const struct {
        const char *bitmap, *metafile;
        int width;
        double cm;
    } cases[] = {
        {nullptr, nullptr, 1000, 10.0},      {"5", "10.5", 1000, 10.5}, {"2500 px", "0.5", 2500, 10.0},
        {"2147483647", "400.5", 1000, 10.0}, {"12", "abc", 12, 10.0},   {"99999", "400", 16384, 400.0},
    };
    for (const auto &c : cases) {
        if (c.bitmap)
            store("Copied Bitmap Width", c.bitmap);
        if (c.metafile)
            store("Copied Metafile Width", c.metafile);
        CopySettingsModel m(&rec);
        EXPECT_EQ(m.bitmapWidth(), c.width) << (c.bitmap ? c.bitmap : "missing");
        EXPECT_DOUBLE_EQ(m.metafileWidth(), c.cm) << (c.metafile ? c.metafile : "missing");
        EXPECT_EQ(m.unitLabel(), "in cm.");
    }
}

TEST_F(CopySettingsTest, InchesConvertTheWidthAndLimitsAndApplyStoresCentimetres)
{
    store("Copied Metafile Width", "10.5");
    CopySettingsModel m(&rec);
    m.SetInches(true);
    EXPECT_DOUBLE_EQ(m.metafileWidth(), 4.13);
    EXPECT_DOUBLE_EQ(m.minMetafile(), 0.39);
    EXPECT_DOUBLE_EQ(m.maxMetafile(), 157.48);
    EXPECT_EQ(m.unitLabel(), "in in.");
    m.SetInches(true); // the unit in use: nothing changes
    EXPECT_DOUBLE_EQ(m.metafileWidth(), 4.13);
    EXPECT_FALSE(m.SetMetafileWidth("200"));
    EXPECT_EQ(boxes.size(), 1u) << "out of range in inches";
    EXPECT_FALSE(m.SetMetafileWidth("x"));
    EXPECT_DOUBLE_EQ(m.metafileWidth(), 4.13);
    m.Apply();
    EXPECT_EQ(stored("Copied Metafile Width"), "10.490200");
    EXPECT_EQ(stored("Copied Bitmap Width"), "1000");
    m.SetInches(false);
    EXPECT_DOUBLE_EQ(m.metafileWidth(), 10.49);
}

TEST_F(CopySettingsTest, LargeWidthsAskOrInformOncePerEdit)
{
    CopySettingsModel m(&rec);
    m.BitmapEdited();
    answer = IDNO;
    EXPECT_EQ(m.BitmapLeft("5000"), 1000) << "no keeps the previous width";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0],
        "Warning! You set bitmap dimensions to very large value.\nAre you sure this is correct value ?\n");

    m.BitmapEdited();
    EXPECT_EQ(m.BitmapLeft("2000"), 2000);
    EXPECT_EQ(boxes.size(), 1u) << "not large: nothing asked";

    m.BitmapEdited();
    answer = IDYES;
    EXPECT_EQ(m.BitmapLeft("5000"), 5000);
    EXPECT_EQ(boxes.size(), 2u);
    m.BitmapEdited();
    EXPECT_EQ(m.BitmapLeft("3001"), 3001);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2], "Warning! You set bitmap dimensions to very large value.\n") << "smaller: informed";
    m.Apply();
    EXPECT_EQ(boxes.size(), 3u) << "the warning was shown already";
    EXPECT_EQ(stored("Copied Bitmap Width"), "3001");
}

TEST_F(CopySettingsTest, WidthsTheImageMemoryCannotHoldAreRefused)
{
    SetDeviceBitmapLimit(int64_t(4000) * 4000);
    EXPECT_EQ(CopySettingsModel::MaxBitmapWidth(), 4000);
    CopySettingsModel m(&rec);
    EXPECT_EQ(m.limitText(), "At most 4000 pixels.");
    for (const char *bad : {"2147483646", "4001", "99", "-5", "12.5", "", "wide"}) {
        boxes.clear();
        EXPECT_EQ(m.BitmapLeft(bad), 1000) << bad;
        EXPECT_EQ(boxes.size(), 1u) << bad;
    }
    EXPECT_EQ(m.BitmapLeft("4000"), 4000);
}

TEST_F(CopySettingsTest, ThePageShowsAndLeavesItsBoxes)
{
    store("Copied Bitmap Width", "1500");
    CCopyDlg page(&rec);
    auto *bitmap = DialogItemAs<QLineEdit>(&page, 1129);
    auto *unit = DialogItemAs<QLabel>(&page, 1140);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(bitmap->text(), "1500");
    EXPECT_EQ(unit->text(), "in cm.");
    page.show();
    page.close();
    page.model().BitmapLeft("1600");
    page.Apply();
    EXPECT_EQ(stored("Copied Bitmap Width"), "1600");
}

} // namespace

// The Measures page of the engine settings: units from the unit table, the
// MGRS values with their fallbacks, and the screen size in centimetres or
// inches by the user's measure setting, stored in millimetres.
#include "tests/engine/window/window_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/settings/measures_page.h"
#include "engine/window/settings/measures_settings.h"
#include "platform/modal_dialog.h"
#include "platform/profile.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace {

class MeasuresSettingsTest : public AttachedMapWindowTest {
protected:
    std::string stored(const char *name)
    {
        std::string out;
        return SettingsStringGet(rec.settingsKey, "Settings", name, nullptr, 0, &out) ? out : "<missing>";
    }
    int32_t storedNumber(const char *name)
    {
        int32_t v = -12345;
        rec.settingsKey->GetValue("Settings", name, &v, 0);
        return v;
    }
    void storeNumber(const char *name, int32_t v) { rec.settingsKey->SetValue("Settings", name, &v, 0); }
};

TEST_F(MeasuresSettingsTest, UnitListsComeFromTheUnitTable)
{
    MeasuresSettingsModel m(&rec);
    EXPECT_FALSE(m.areaUnits.empty());
    EXPECT_FALSE(m.lengthUnits.empty());
    const auto has = [](const std::vector<MeasuresSettingsModel::Unit> &list, int id) {
        return std::any_of(list.begin(), list.end(), [id](const auto &u) { return u.id == id; });
    };
    EXPECT_TRUE(has(m.lengthUnits, m.lengthUnit) || m.lengthUnit == 0);
    for (const auto &u : m.areaUnits)
        EXPECT_FALSE(has(m.lengthUnits, u.id)) << "an area unit among the lengths: " << u.name;
    m.lengthUnit = m.lengthUnits.back().id;
    m.areaUnit = m.areaUnits.front().id;
    m.Apply();
    EXPECT_EQ(storedNumber("Length units"), m.lengthUnits.back().id);
    EXPECT_EQ(rec.displayView->projection.lengthUnit, m.lengthUnits.back().id);
    EXPECT_EQ(rec.displayView->projection.areaUnit, m.areaUnits.front().id);
}

TEST_F(MeasuresSettingsTest, MgrsValuesOutsideTheirRangesFallBack)
{
    const struct {
        int32_t zone, digits;
        int shownZone, shownDigits;
    } cases[] = {{0, 0, 32, 3}, {71, 5, 71, 5}, {72, 6, 32, 3}, {1, 1, 1, 1}, {-3, 9, 32, 3}};
    for (const auto &c : cases) {
        storeNumber("MGRS - UTM Zone", c.zone);
        storeNumber("MGRS - Number Digits", c.digits);
        MeasuresSettingsModel m(&rec);
        EXPECT_EQ(m.zone, c.shownZone) << c.zone;
        EXPECT_EQ(m.digits, c.shownDigits) << c.digits;
        EXPECT_EQ(rec.mgrsZone, c.shownZone);
        m.Apply();
        EXPECT_EQ(storedNumber("MGRS - UTM Zone"), c.shownZone);
        EXPECT_EQ(storedNumber("MGRS - Number Digits"), c.shownDigits);
    }
}

TEST_F(MeasuresSettingsTest, ScreenSizeInCentimetresOrInches)
{
    ASSERT_EQ(SettingsStringSet(rec.settingsKey, "Settings", "Display Size X", "274 mm"), 1);
    WriteProfileStringA("intl", "iMeasure", "0");
    {
        MeasuresSettingsModel m(&rec);
        EXPECT_TRUE(m.centimetres());
        EXPECT_EQ(m.sizeUnitLabel(), "cm.");
        EXPECT_DOUBLE_EQ(m.sizeX(), 27.4);
        EXPECT_FALSE(m.SetSizeX("120"));
        EXPECT_DOUBLE_EQ(m.sizeX(), 27.4) << "outside 3 to 100: the old value comes back";
        EXPECT_TRUE(m.SetSizeX("30"));
        m.Apply();
        EXPECT_EQ(stored("Display Size X"), "300 mm");
        EXPECT_EQ(rec.displayView->screenWidthMm, 300);
    }
    ASSERT_EQ(SettingsStringSet(rec.settingsKey, "Settings", "Display Size X", "274 mm"), 1);
    WriteProfileStringA("intl", "iMeasure", "1");
    MeasuresSettingsModel m(&rec);
    EXPECT_EQ(m.sizeUnitLabel(), "in.");
    EXPECT_DOUBLE_EQ(m.sizeX(), 10.79);
    EXPECT_DOUBLE_EQ(m.minSize(), 1.18);
    EXPECT_DOUBLE_EQ(m.maxSize(), 39.37);
    EXPECT_FALSE(m.SetSizeX("1.17"));
    EXPECT_FALSE(m.SetSizeX("ten"));
    m.Apply();
    EXPECT_EQ(stored("Display Size X"), "274 mm");
    EXPECT_DOUBLE_EQ(m.sizeX(), 10.79);
}

TEST_F(MeasuresSettingsTest, PageShowsTheValuesAndPutsBackARefusedSize)
{
    ASSERT_EQ(SettingsStringSet(rec.settingsKey, "Settings", "Display Size X", "274 mm"), 1);
    storeNumber("MGRS - UTM Zone", 0);
    WriteProfileStringA("intl", "iMeasure", "0");
    CMeasureDlg page(&rec);
    auto *zone = DialogItemAs<QComboBox>(&page, 1218);
    auto *digits = DialogItemAs<QLineEdit>(&page, 1226);
    auto *sizeX = DialogItemAs<QLineEdit>(&page, 1263);
    ASSERT_TRUE(zone && digits && sizeX && DialogItem(&page, 111) && DialogItem(&page, 112));
    EXPECT_EQ(zone->count(), 71);
    EXPECT_EQ(zone->currentText(), "32");
    EXPECT_EQ(DialogItemAs<QLabel>(&page, 1270)->text(), "cm.");
    EXPECT_EQ(sizeX->text(), "27.4");

    QFocusEvent leave(QEvent::FocusOut);
    sizeX->setText("120");
    QCoreApplication::sendEvent(sizeX, &leave);
    EXPECT_EQ(sizeX->text(), "27.4") << "outside the limits: the old value is put back";
    sizeX->setText("31");
    QCoreApplication::sendEvent(sizeX, &leave);
    EXPECT_EQ(sizeX->text(), "31");

    zone->setCurrentIndex(4);
    digits->setText("x");
    page.Apply();
    EXPECT_EQ(storedNumber("MGRS - UTM Zone"), 5);
    EXPECT_EQ(storedNumber("MGRS - Number Digits"), 3) << "a non-numeric digit count falls back";
    EXPECT_EQ(digits->text(), "3");
    EXPECT_EQ(stored("Display Size X"), "310 mm");
}

} // namespace

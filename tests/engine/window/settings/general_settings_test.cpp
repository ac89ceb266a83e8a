// The General page of the engine settings: values read with their
// defaults, the polyline radios' odd coding, what Apply writes, and the
// page's boxes bound to the model.
#include "tests/engine/window/window_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/window/settings/general_page.h"
#include "engine/window/settings/general_settings.h"
#include "platform/modal_dialog.h"

#include <QCheckBox>
#include <QRadioButton>

namespace {

class GeneralSettingsTest : public AttachedMapWindowTest {
protected:
    int32_t stored(const char *name)
    {
        int32_t v = -12345;
        rec.settingsKey->GetValue("Settings", name, &v, 0);
        return v;
    }
    void store(const char *name, int32_t v) { rec.settingsKey->SetValue("Settings", name, &v, 0); }
};

TEST_F(GeneralSettingsTest, MissingValuesTakeTheirDefaultsAndApplyStoresThem)
{
    GeneralSettingsModel m(&rec);
    for (size_t i = 0; i < kGeneralSettings.size(); ++i)
        EXPECT_EQ(m.checks[i], kGeneralSettings[i].fallback) << kGeneralSettings[i].valueName;
    EXPECT_EQ(m.checks[10], 1) << "Delete Objects After Cliping defaults to set";
    EXPECT_EQ(m.polylineRadio, GeneralSettingsModel::kTwoTimesUsed);
    m.Apply();
    EXPECT_EQ(stored("Delete Objects After Cliping"), 1);
    EXPECT_EQ(stored("Delete Polygons After Union"), 0);
    EXPECT_EQ(stored("Delete PolyLine After Polygon"), 2) << "the first radio is stored as 2";
}

TEST_F(GeneralSettingsTest, ThePolylineRadiosReadOneAsTheSecond)
{
    const struct {
        int32_t stored;
        int radio;
        int32_t written;
    } cases[] = {{1, GeneralSettingsModel::kOnceOrMoreUsed, 1},
                 {2, GeneralSettingsModel::kTwoTimesUsed, 2},
                 {0, GeneralSettingsModel::kTwoTimesUsed, 2},
                 {7, GeneralSettingsModel::kTwoTimesUsed, 2}};
    for (const auto &c : cases) {
        store("Delete PolyLine After Polygon", c.stored);
        GeneralSettingsModel m(&rec);
        EXPECT_EQ(m.polylineRadio, c.radio) << c.stored;
        m.Apply();
        EXPECT_EQ(stored("Delete PolyLine After Polygon"), c.written) << c.stored;
    }
    // A value of another type counts as missing.
    ASSERT_EQ(SettingsStringSet(rec.settingsKey, "Settings", "Delete Polygons After Xor", "1"), 1);
    GeneralSettingsModel m(&rec);
    EXPECT_EQ(m.checks[2], 0);
}

TEST_F(GeneralSettingsTest, ThePageBindsItsBoxes)
{
    store("Delete Polygons After Intersection", 1);
    CGenSettings page(&rec);
    auto *intersection = DialogItemAs<QCheckBox>(&page, 1029);
    auto *gis = DialogItemAs<QCheckBox>(&page, 1038);
    auto *once = DialogItemAs<QRadioButton>(&page, GeneralSettingsModel::kOnceOrMoreUsed);
    ASSERT_TRUE(intersection && gis && once);
    EXPECT_TRUE(intersection->isChecked());
    EXPECT_FALSE(gis->isEnabled());
    page.show();
    intersection->click();
    once->click();
    EXPECT_TRUE(page.model().modified);
    page.Apply();
    page.close();
    EXPECT_EQ(stored("Delete Polygons After Intersection"), 0);
    EXPECT_EQ(stored("Delete PolyLine After Polygon"), 1);
}

} // namespace

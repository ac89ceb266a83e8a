// The engine settings sheet: its pages in order, the page it opens on and
// the page it remembers, and the run through the engine's entry point.
#include "tests/engine/window/window_fixture.h"

#include "engine/kernel/module_startup.h"
#include "engine/kernel/settings.h"
#include "engine/window/settings/settings_sheet.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

class SettingsSheetTest : public AttachedMapWindowTest {
protected:
    void TearDown() override
    {
        SetModalDialogHook({});
        AttachedMapWindowTest::TearDown();
    }
    int32_t storedNumber(const char *section, const char *name)
    {
        int32_t v = -12345;
        rec.settingsKey->GetValue(section, name, &v, 0);
        return v;
    }
    void storeNumber(const char *name, int32_t v) { rec.settingsKey->SetValue("Settings", name, &v, 0); }
};

TEST_F(SettingsSheetTest, PagesInOrderAndTheActivePageRemembered)
{
    storeNumber("Active Page", 3);
    {
        CSettingsPSheet sheet(&rec, 172);
        EXPECT_EQ(sheet.windowTitle(), "Default Settings");
        QStringList titles;
        for (int i = 0; i < sheet.Tabs()->count(); ++i)
            titles << sheet.Tabs()->tabText(i);
        EXPECT_EQ(titles, QStringList({"General", "Selection", "Copy", "Measures", "GPS"}));
        EXPECT_EQ(sheet.Tabs()->currentIndex(), CSettingsPSheet::Measures);
        EXPECT_EQ(sheet.Tabs()->currentWidget()->objectName(), "5558");
        sheet.Tabs()->setCurrentIndex(CSettingsPSheet::Gps);
    }
    EXPECT_EQ(storedNumber("Settings", "Active Page"), 4);

    const struct {
        int32_t stored;
        int shown;
    } cases[] = {{-1, 0}, {5, 0}, {1, 1}};
    for (const auto &c : cases) {
        storeNumber("Active Page", c.stored);
        CSettingsPSheet sheet(&rec, 172);
        EXPECT_EQ(sheet.Tabs()->currentIndex(), c.shown) << c.stored;
    }
    // A value of another type counts as missing: the first page.
    SettingsStringSet(rec.settingsKey, "Settings", "Active Page", "3");
    CSettingsPSheet sheet(&rec, 172);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
}

TEST_F(SettingsSheetTest, EntryPointRunsTheSheetAndOkAppliesEveryPage)
{
    int runs = 0;
    SetModalDialogHook([&runs](QDialog &dialog, int templateId) {
        ++runs;
        EXPECT_EQ(templateId, CSettingsPSheet::kTemplateId);
        // The Selection page's "Units" radio, then OK.
        if (auto *units = DialogItemAs<QRadioButton>(&dialog, 1043))
            units->click();
        auto *buttons = dialog.findChild<QDialogButtonBox *>();
        buttons->button(QDialogButtonBox::Ok)->click();
        return dialog.result();
    });
    EXPECT_EQ(DoGormDefaultSettings(&rec), IDOK);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(storedNumber("Settings", "Selected Line Width Units"), 4);
    EXPECT_EQ(rec.selLineFlags & 0x01, 0x01);
    EXPECT_EQ(storedNumber("Settings", "Delete Objects After Cliping"), 1) << "the General page applied too";

    // Cancel stores nothing of the pages.
    SetModalDialogHook([](QDialog &dialog, int) {
        DialogItemAs<QRadioButton>(&dialog, 1039)->click();
        return IDCANCEL;
    });
    EXPECT_EQ(DoGormDefaultSettings(&rec), IDCANCEL);
    EXPECT_EQ(storedNumber("Settings", "Selected Line Width Units"), 4);
    EXPECT_EQ(DoGormDefaultSettings(nullptr), 0);
}

} // namespace

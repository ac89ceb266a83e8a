// The Selection page of the engine settings: values from the record and then
// the registry, what apply stores, and how the record reads it back.
#include "tests/engine/window/window_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/view/dialogs/line_style_picker.h"
#include "engine/window/settings/colour_chooser.h"
#include "engine/window/settings/selection_page.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>

namespace {

class SelectionSettingsTest : public AttachedMapWindowTest {
protected:
    void TearDown() override
    {
        SetModalDialogHook({});
        AttachedMapWindowTest::TearDown();
    }
    int32_t storedNumber(const char *name)
    {
        int32_t v = -12345;
        rec.settingsKey->GetValue("Settings", name, &v, 0);
        return v;
    }
    void storeNumber(const char *name, int32_t v) { rec.settingsKey->SetValue("Settings", name, &v, 0); }
    // Answers the colour chooser with the colour (or cancels it).
    void answerColour(QColor colour, int result)
    {
        SetModalDialogHook([this, colour, result](QDialog &dialog, int templateId) {
            ++chooserRuns;
            EXPECT_EQ(templateId, kColourChooserTemplate);
            auto *chooser = dialog.findChild<QColorDialog *>();
            EXPECT_NE(chooser, nullptr);
            if (chooser)
                chooser->setCurrentColor(colour);
            return result;
        });
    }
    static void release(QWidget *w, QPoint at)
    {
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &up);
    }
    int chooserRuns = 0;
};

TEST_F(SelectionSettingsTest, StartsFromTheRecordThenTheStoredValues)
{
    rec.selLineColor = RGB(1, 2, 3);
    rec.selLineWidth = 5;
    rec.selLineStyle = 7;
    rec.selLineFlags = 0x01 | 0x02; // units, corner
    rec.gui->pickRadius = 4;
    rec.gui->noSelectionCursor = 1;
    storeNumber("Selected Line Width", 9);
    storeNumber("Selected Line Ending", 2);
    SelectionSettingsModel m(&rec);
    EXPECT_EQ(m.colour, RGB(1, 2, 3));
    EXPECT_EQ(m.style, 7);
    EXPECT_EQ(m.StyleIndex(), 6);
    EXPECT_EQ(m.width, 9) << "the stored width wins over the record's";
    EXPECT_EQ(m.widthRadio, SelectionSettingsModel::kUnits);
    EXPECT_EQ(m.cornerRadio, SelectionSettingsModel::kCornerSecond);
    EXPECT_EQ(m.endingRadio, SelectionSettingsModel::kEndingSecond);
    EXPECT_EQ(m.radius, 4);
    EXPECT_EQ(m.changeCursor, 0);
    EXPECT_FALSE(m.modified);
}

TEST_F(SelectionSettingsTest, RadiosStoreTheirOffsetAndTheRecordReadsItsFlags)
{
    const struct {
        int radio;
        const char *value;
        int32_t stored;
        uint8_t flag;
    } cases[] = {
        {SelectionSettingsModel::kUnits, "Selected Line Width Units", 4, 0x01},
        {SelectionSettingsModel::kEndingSecond, "Selected Line Ending", 2, 0x04},
        {SelectionSettingsModel::kCornerSecond, "Selected Line Corner", 1, 0x02},
    };
    for (const auto &c : cases) {
        CSelSettings page(&rec);
        auto *radio = DialogItemAs<QRadioButton>(&page, c.radio);
        ASSERT_NE(radio, nullptr) << c.radio;
        radio->click();
        EXPECT_TRUE(page.model().modified);
        page.Apply();
        EXPECT_EQ(storedNumber(c.value), c.stored) << c.value;
        EXPECT_TRUE(rec.selLineFlags & c.flag) << c.value;
    }
    // And back to the first radios: the flags clear.
    CSelSettings page(&rec);
    for (int id : {SelectionSettingsModel::kPixels, SelectionSettingsModel::kEndingFirst,
                   SelectionSettingsModel::kCornerFirst})
        DialogItemAs<QRadioButton>(&page, id)->click();
    page.Apply();
    EXPECT_EQ(storedNumber("Selected Line Width Units"), 0);
    EXPECT_EQ(rec.selLineFlags, 0);
}

TEST_F(SelectionSettingsTest, PageControlsReachTheRecordOnApply)
{
    CSelSettings page(&rec);
    page.resize(300, 400);
    auto *width = DialogItemAs<QSpinBox>(&page, 1063);
    auto *radius = DialogItemAs<QSpinBox>(&page, 1055);
    auto *picker = DialogItemAs<CLineStylePicker>(&page, 1030);
    auto *swatch = DialogItemAs<ColourSwatch>(&page, 1056);
    ASSERT_TRUE(width && radius && picker && swatch && DialogItem(&page, 1033) && DialogItem(&page, 1053));
    EXPECT_EQ(width->maximum(), 32767);
    EXPECT_EQ(radius->maximum(), 10);
    width->setValue(40);
    radius->setValue(11);
    picker->setCurrentIndex(5);
    picker->OnSelchange();
    DialogItemAs<QCheckBox>(&page, 1052)->setChecked(false);
    DialogItemAs<QCheckBox>(&page, 1051)->setChecked(false);

    swatch->resize(40, 16);
    answerColour(QColor(10, 20, 30), IDCANCEL);
    release(swatch, {5, 5});
    EXPECT_EQ(swatch->Colour(), page.model().colour);
    answerColour(QColor(10, 20, 30), IDOK);
    release(swatch, {100, 100}); // outside: no chooser
    EXPECT_EQ(chooserRuns, 1) << "a release outside the swatch opens nothing";
    release(swatch, {5, 5});
    EXPECT_EQ(chooserRuns, 2);
    EXPECT_EQ(swatch->Colour(), RGB(10, 20, 30));

    page.Apply();
    EXPECT_EQ(storedNumber("Selected Line Width"), 40);
    EXPECT_EQ(storedNumber("Sensible Region Radius"), 10);
    EXPECT_EQ(storedNumber("Selected Line Style"), 6) << "the picker index + 1";
    EXPECT_EQ(storedNumber("Selected Line Color"), int32_t(RGB(10, 20, 30)));
    EXPECT_EQ(rec.selLineColor, RGB(10, 20, 30));
    EXPECT_EQ(rec.selLineWidth, 40);
    EXPECT_EQ(rec.selLineStyle, 6);
    EXPECT_EQ(rec.showSelectedNodes, 0);
    EXPECT_EQ(rec.gui->pickRadius, 10);
    EXPECT_EQ(rec.gui->noSelectionCursor, 1);
}

TEST_F(SelectionSettingsTest, WithoutARecordNothingIsWritten)
{
    SelectionSettingsModel m(nullptr);
    m.SetWidth(-5);
    EXPECT_EQ(m.width, 0);
    EXPECT_FALSE(m.SetRadio(1234));
    m.Apply(); // no key: nothing happens
    EXPECT_EQ(storedNumber("Selected Line Width"), -12345);
}

} // namespace

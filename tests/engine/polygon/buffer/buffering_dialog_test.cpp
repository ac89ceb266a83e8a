#include "engine/polygon/buffer/buffering_dialog.h"

#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "tests/engine/editing/editing_fixture.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class BufferingDialogTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            messages.push_back(r.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        SetModalDialogHook({});
        EditingTest::TearDown();
    }
    void store(const char *name, uint32_t value)
    {
        ASSERT_EQ(rec.settingsKey->SetValue("Settings", name, &value, 0), 1);
    }
    bool stored(const char *name, int32_t *value)
    {
        uint32_t v = 0;
        if (!rec.settingsKey->GetValue("Settings", name, &v, 0))
            return false;
        *value = int32_t(v);
        return true;
    }
    std::vector<std::string> messages;
};

TEST_F(BufferingDialogTest, EmptySettingsShowTheDefaults)
{
    CBufferingDlg dlg;
    dlg.Initialize(&rec);
    EXPECT_EQ(dlg.sizeEdit, 10);
    EXPECT_EQ(dlg.segmentsEdit, 10);
    EXPECT_EQ(dlg.endingsType, 0);
    EXPECT_EQ(dlg.cornersType, 0);
    EXPECT_EQ(dlg.calculationType, 0);
    EXPECT_EQ(dlg.times, 15);
    EXPECT_EQ(dlg.bothSides, 0);
    EXPECT_EQ(dlg.unitText.back(), '.');
}

TEST_F(BufferingDialogTest, StoredValuesAreShownAndZeroSegmentsShowTen)
{
    store("Buffering - Buffer size", uint32_t(-40));
    store("Buffering - Circle segments", 0);
    store("Buffering - Endings type", 2);
    store("Buffering - Corners type", 1);
    store("Buffering - Calculation type", 1);
    store("Buffering - Times buffer when lines nearly pararell ", 4);
    store("Buffering - Calculate both side of polygon", 1);
    CBufferingDlg dlg;
    dlg.Initialize(&rec);
    EXPECT_EQ(dlg.sizeEdit, -40);
    EXPECT_EQ(dlg.segmentsEdit, 10);
    EXPECT_EQ(dlg.endingsType, 2);
    EXPECT_EQ(dlg.cornersType, 1);
    EXPECT_EQ(dlg.calculationType, 1);
    EXPECT_EQ(dlg.times, 4);
    EXPECT_EQ(dlg.bothSides, 1);
}

TEST_F(BufferingDialogTest, OkChecksTheFieldsAndStoresAllSeven)
{
    struct Case {
        const char *size, *segments;
        bool accepted;
        const char *message;
    } cases[] = {
        {"-25", "12", true, nullptr},
        {" 10000000 ", "1000", true, nullptr},
        {"10", "1001", false, "Please enter an integer between 1 and 1000."},
        {"10", "0", false, "Please enter an integer between 1 and 1000."},
        {"10000001", "10", false, "Please enter an integer between -10000000 and 10000000."},
        {"-10000001", "10", false, "Please enter an integer between -10000000 and 10000000."},
        {"", "10", false, "Please enter an integer."},
        {"ten", "10", false, "Please enter an integer."},
        {"10", "9999999999999", false, "Please enter an integer."},
        {"1.5", "10", false, "Please enter an integer."},
    };
    for (const Case &c : cases) {
        CBufferingDlg dlg;
        dlg.Initialize(&rec);
        const int32_t sizeBefore = dlg.bufferSize;
        messages.clear();
        EXPECT_EQ(dlg.OnOK(c.size, c.segments), c.accepted) << c.size << " " << c.segments;
        if (c.accepted) {
            EXPECT_TRUE(messages.empty());
            int32_t v = 0;
            EXPECT_TRUE(stored("Buffering - Buffer size", &v));
            EXPECT_EQ(v, std::stoi(c.size));
            EXPECT_TRUE(stored("Buffering - Circle segments", &v));
            EXPECT_EQ(v, std::stoi(c.segments));
            // The never-shown values are written back with their names.
            EXPECT_TRUE(stored("Buffering - Times buffer when lines nearly pararell ", &v));
            EXPECT_EQ(v, 15);
            EXPECT_FALSE(stored("Buffering - Times buffer when lines nearly pararell", &v));
            EXPECT_TRUE(stored("Buffering - Calculate both side of polygon", &v));
            EXPECT_TRUE(stored("Buffering - Calculation type", &v));
        } else {
            EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.size << " " << c.segments;
            EXPECT_EQ(dlg.bufferSize, sizeBefore);
        }
    }
}

TEST_F(BufferingDialogTest, TheDialogShowsItsControlsAndStaysOpenOnARefusal)
{
    store("Buffering - Endings type", 1);
    store("Buffering - Corners type", 1);
    int round = 0;
    SetModalDialogHook([&](QDialog &dialog, int id) {
        EXPECT_EQ(id, kBufferingDialogId);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Buffering"));
        EXPECT_TRUE(DialogItemAs<QRadioButton>(&dialog, kBufferingEndingSquaredId)->isChecked());
        EXPECT_TRUE(DialogItemAs<QRadioButton>(&dialog, kBufferingCornerRoundedId)->isChecked());
        auto *fast = DialogItemAs<QCheckBox>(&dialog, kBufferingFastId);
        EXPECT_TRUE(fast && !fast->isEnabled() && fast->isHidden());
        EXPECT_NE(DialogItemAs<QLabel>(&dialog, kBufferingUnitId), nullptr);
        auto *segments = DialogItemAs<QLineEdit>(&dialog, kBufferingSegmentsId);
        auto *ok = DialogItemAs<QPushButton>(&dialog, IDOK);
        segments->setText(QStringLiteral("1001"));
        ok->click();
        ++round;
        EXPECT_EQ(dialog.result(), 0); // still open after the refusal
        DialogItemAs<QRadioButton>(&dialog, kBufferingEndingRoundedId)->click();
        segments->setText(QStringLiteral("20"));
        ok->click();
        return dialog.result();
    });
    CBufferingDlg dlg;
    dlg.Initialize(&rec);
    EXPECT_EQ(dlg.DoModal(window), IDOK);
    EXPECT_EQ(round, 1);
    EXPECT_EQ(dlg.circleSegments, 20);
    EXPECT_EQ(dlg.endingsType, 2);
    int32_t v = 0;
    EXPECT_TRUE(stored("Buffering - Endings type", &v));
    EXPECT_EQ(v, 2);
    EXPECT_EQ(messages.size(), 1u);
}

TEST(BufferingDialogParse, IntegersOnly)
{
    int32_t v = 0;
    EXPECT_TRUE(ParseDialogInteger("+12", &v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(ParseDialogInteger(" -7\t", &v));
    EXPECT_EQ(v, -7);
    for (const char *bad : {"", " ", "+", "-", "1e3", "0x10", "12a", "2147483648"})
        EXPECT_FALSE(ParseDialogInteger(bad, &v)) << bad;
}

} // namespace

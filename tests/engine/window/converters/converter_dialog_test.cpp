// The converter file dialog: its model without a window, and the dialog
// itself shown and closed once on the offscreen screen.
#include "engine/kernel/kernel_types.h"
#include "engine/window/converters/converter_dialog.h"
#include "platform/beep.h"
#include "platform/modal_dialog.h"
#include "tests/engine/window/converters/converter_fixture.h"
#include "tests/support/temp_settings.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(ConverterDialog, TypedAddressIsKeptFromItsScheme)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/home/user/maps/http://server/wms?x=1", "http://server/wms?x=1"},
        {"http://server/a", "http://server/a"},
        {"/home/user/maps/a.mif", "/home/user/maps/a.mif"},
        {"/data/https://x", "/data/https://x"},
    };
    for (const auto &[typed, kept] : cases)
        EXPECT_EQ(CleanTypedFileName(typed), kept) << typed;
}

class ConverterDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        conv.Install("full", "full.cnv");
        conv.Install("plain", "plain.cnv");
        ConverterFolders::Register(ConverterKind::Import, "PLAIN", "Plain files,*.pla,plain.cnv");
        ConverterFolders::Register(ConverterKind::Import, "FULL", "Full files,*.ful,full.cnv");
        StoreCurrentConverter(ConverterKind::Import, "FULL");
        ASSERT_TRUE(BuildConverterTable(ConverterKind::Import, &table));
        ASSERT_EQ(table.entries.size(), 2u);
        previousBeep = SetBeepSink([this](UINT) { ++beeps; });
    }
    void TearDown() override { SetBeepSink(previousBeep); }

    TempSettingsFolders settings;
    ConverterFolders conv;
    ConverterTable table;
    BeepSink previousBeep;
    int beeps = 0;
    static constexpr HWND kMap = 4242;
};

TEST_F(ConverterDialogTest, ModelFollowsTheChosenFileType)
{
    ConverterDialogModel model(kMap, ConverterKind::Import, table);
    EXPECT_EQ(model.FilterText(), "Plain files|*.pla|Full files|*.ful||");
    EXPECT_EQ(model.SelectedType(), 1u) << "starts at the current converter";
    EXPECT_TRUE(model.OptionEnabled());
    ASSERT_TRUE(model.SelectType(0));
    EXPECT_FALSE(model.OptionEnabled());
    EXPECT_EQ(model.PressOption(0), 0) << "no options entry to call";
    EXPECT_FALSE(model.SelectType(2));
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(model.SelectedType(), 0u);
    EXPECT_TRUE(conv.Calls().empty());
}

TEST_F(ConverterDialogTest, OptionEntryGetsTheDialogAndMapAndGivesTheFileName)
{
    ConverterDialogModel model(kMap, ConverterKind::Import, table);
    model.SetFileNames({"/maps/http://server/map"});
    EXPECT_EQ(model.PressOption(77), 1);
    EXPECT_EQ(model.FileNames(), std::vector<std::string>{"picked.dat"});
    ASSERT_EQ(conv.Calls().size(), 1u);
    EXPECT_EQ(conv.Calls()[0], "import options dialog=yes map=4242 buffer=http://server/map size=" +
                                   std::to_string(ConverterDialogModel::kOptionBufferSize));

    // An export's options never change the file name.
    conv.Install("full", "efull.cnv");
    ConverterFolders::Register(ConverterKind::Export, "FULL", "Full files,*.ful,efull.cnv");
    ConverterTable exports;
    ASSERT_TRUE(BuildConverterTable(ConverterKind::Export, &exports));
    ConverterDialogModel exportModel(kMap, ConverterKind::Export, exports);
    exportModel.SetFileNames({"out.ful"});
    EXPECT_EQ(exportModel.PressOption(0), 1);
    EXPECT_EQ(exportModel.FileNames(), std::vector<std::string>{"out.ful"});
    EXPECT_EQ(conv.Calls().back().rfind("export options dialog=no map=4242 buffer=out.ful", 0), 0u);
}

TEST_F(ConverterDialogTest, DialogOpensAndClosesOnTheScreen)
{
    ConverterDialogModel model(kMap, ConverterKind::Import, table);
    const std::string chosen = conv.Path("chosen.ful");
    bool shown = false, optionEnabled = false;
    int templateSeen = -1;
    const ModalDialogHook previous = SetModalDialogHook([&](QDialog &dialog, int templateId) {
        templateSeen = templateId;
        dialog.show();
        QApplication::processEvents();
        shown = dialog.isVisible();
        auto *option = DialogItemAs<QPushButton>(&dialog, ConverterFileDialog::kOptionButtonId);
        optionEnabled = option && option->isEnabled() && option->text() == "O&ption";
        auto *files = dialog.findChild<QFileDialog *>();
        if (!files)
            return int(IDCANCEL);
        // Typed as a person would, then OK.
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name)
            return int(IDCANCEL);
        name->setText(QString::fromStdString(chosen));
        static_cast<QDialog *>(files)->accept(); // the file dialog's own check of the name
        QApplication::processEvents();
        return dialog.result();
    });
    const bool accepted = RunConverterDialog(model, "Gorm Import");
    SetModalDialogHook(previous);
    EXPECT_EQ(templateSeen, ConverterFileDialog::kTemplateId);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(optionEnabled);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(model.FileNames(), std::vector<std::string>{chosen});
}

TEST_F(ConverterDialogTest, CancelledDialogChoosesNothing)
{
    ConverterDialogModel model(kMap, ConverterKind::Import, table);
    const ModalDialogHook previous = SetModalDialogHook([](QDialog &dialog, int) {
        if (auto *files = dialog.findChild<QFileDialog *>())
            files->reject();
        return dialog.result();
    });
    EXPECT_FALSE(RunConverterDialog(model, "Gorm Import"));
    SetModalDialogHook(previous);
    EXPECT_TRUE(model.FileNames().empty());
}

} // namespace

// The converter service: the dialog form, the named form and its result
// codes, over stub converters that log their calls.
#include "engine/window/converters/converter_service.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/window/converters/converter_dialog.h"
#include "platform/modal_dialog.h"
#include "tests/engine/window/converters/converter_fixture.h"
#include "tests/engine/window/window_fixture.h"

#include <gtest/gtest.h>

namespace {

class ConverterServiceTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        conv.Install("full", "full.cnv");
        conv.Install("plain", "plain.cnv");
        conv.Install("noentry", "noentry.cnv");
        for (ConverterKind k : {ConverterKind::Import, ConverterKind::Export}) {
            ConverterFolders::Register(k, "PLAIN", "Plain files,*.pla,plain.cnv");
            ConverterFolders::Register(k, "FULL", "Full files,*.ful,full.cnv");
        }
    }
    void TearDown() override
    {
        SetModalDialogHook(previousHook);
        AttachedMapWindowTest::TearDown();
    }
    // Answers the converter dialog: picks the file type and the files, or
    // cancels it (no files).
    void answerDialog(size_t type, std::vector<std::string> files)
    {
        previousHook = SetModalDialogHook([type, files](QDialog &dialog, int) {
            auto *converterDialog = dynamic_cast<ConverterFileDialog *>(&dialog);
            if (!converterDialog || files.empty())
                return int(IDCANCEL);
            converterDialog->Model().SelectType(type);
            converterDialog->Model().SetFileNames(files);
            return int(IDOK);
        });
    }
    std::string map() const { return "map=" + std::to_string(window); }

    ConverterFolders conv;
    ModalDialogHook previousHook;
};

TEST_F(ConverterServiceTest, NamedImportResultCodes)
{
    const std::string longName(200, 'F');
    const struct {
        const char *name;
        const char *file;
        int showDialog;
        long code;
    } cases[] = {
        {"", "a.ful", 0, CONVERT_NO_NAME},      {nullptr, "a.ful", 0, CONVERT_NO_NAME},
        {"FULL", "", 0, CONVERT_NO_FILE},       {"FULL", nullptr, 1, CONVERT_NO_FILE},
        {"full", "a.ful", 0, CONVERT_UNKNOWN},  {"NOENTRY", "a.ful", 0, CONVERT_UNKNOWN},
        {"OTHER", "a.ful", 1, CONVERT_UNKNOWN}, {longName.c_str(), "a.ful", 0, CONVERT_UNKNOWN},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ImportServiceEx(window, c.name, c.file, c.showDialog), c.code)
            << (c.name ? c.name : "null");
    EXPECT_TRUE(conv.Calls().empty()) << "no converter was called";
    ASSERT_EQ(conv.messages.size(), 1u) << "the over-long name";
    EXPECT_EQ(conv.messages[0].caption, "Gorm Import");
    EXPECT_EQ(conv.messages[0].text.rfind("Wrong file name or file format", 0), 0u);
}

TEST_F(ConverterServiceTest, NamedImportCallsTheConverterAndItsOptionsFirst)
{
    EXPECT_EQ(ImportServiceEx(window, "PLAIN", "one.pla", 1), CONVERT_DONE);
    EXPECT_EQ(ImportServiceEx(window, "FULL", "two.ful", 0), CONVERT_DONE);
    EXPECT_EQ(ImportServiceEx(window, "FULL", "three.ful", 1), CONVERT_DONE);
    const std::vector<std::string> expected = {
        "import one.pla " + map() + " sheet=0 shared=none",
        "import two.ful " + map() + " sheet=0 shared=none",
        "import options dialog=no " + map() + " buffer=three.ful size=4096",
        "import picked.dat " + map() + " sheet=0 shared=none",
    };
    EXPECT_EQ(conv.Calls(), expected);
}

TEST_F(ConverterServiceTest, NamedExportGivesTheLayersRoot)
{
    EXPECT_EQ(ExportServiceEx(window, "FULL", "out.ful", 1), CONVERT_DONE);
    const std::string root = std::to_string(GetRootOBJect(window, CLASS_LAYERS));
    ASSERT_EQ(conv.Calls().size(), 2u);
    EXPECT_EQ(conv.Calls()[0].rfind("export options dialog=no " + map() + " buffer=out.ful", 0), 0u);
    EXPECT_EQ(conv.Calls()[1], "export out.ful " + map() + " sheet=0 root=" + root);
}

TEST_F(ConverterServiceTest, DialogFormWithoutName)
{
    answerDialog(0, {});
    EXPECT_EQ(ImportServiceEx(window, "", "x", 1), CONVERT_DIALOG_FAILED) << "cancelled";
    answerDialog(0, {"x.pla"});
    EXPECT_EQ(ImportServiceEx(window, "", "", 1), CONVERT_DONE);
    EXPECT_EQ(conv.Calls(), std::vector<std::string>{"import x.pla " + map() + " sheet=0 shared=0"});
}

TEST_F(ConverterServiceTest, ImportDialogImportsEveryFileAndRemembersTheConverter)
{
    rec.flags = 0;
    answerDialog(1, {"a.ful", "/maps/http://server/b"});
    EXPECT_EQ(ImportService(window, 99), 1);
    const std::vector<std::string> expected = {
        "import a.ful " + map() + " sheet=99 shared=0",
        "import http://server/b " + map() + " sheet=99 shared=1",
    };
    EXPECT_EQ(conv.Calls(), expected);
    EXPECT_EQ(ConverterFolders::Current(ConverterKind::Import), "FULL");
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);
}

TEST_F(ConverterServiceTest, CancelledDialogsChangeNothing)
{
    rec.flags = 0;
    answerDialog(1, {});
    EXPECT_EQ(ImportService(window, 0), 0);
    EXPECT_EQ(ExportService(window, 0), 0);
    EXPECT_TRUE(conv.Calls().empty());
    EXPECT_EQ(rec.flags & WNDRES_MODIFIED, 0);
    EXPECT_EQ(ConverterFolders::Current(ConverterKind::Import), "");
}

TEST_F(ConverterServiceTest, ExportDialogGivesTheConvertersResult)
{
    answerDialog(1, {"out.ful"});
    EXPECT_EQ(ExportService(window, 5), 7);
    ASSERT_EQ(conv.Calls().size(), 1u);
    EXPECT_EQ(conv.Calls()[0].rfind("export out.ful " + map() + " sheet=5", 0), 0u);
    EXPECT_EQ(ConverterFolders::Current(ConverterKind::Export), "FULL");
}

TEST_F(ConverterServiceTest, NothingRegisteredIsTold)
{
    TempSettingsFolders empty; // a registry without converters
    EXPECT_EQ(ImportService(window, 0), 0);
    EXPECT_EQ(ExportService(window, 0), 0);
    ASSERT_EQ(conv.messages.size(), 2u);
    EXPECT_EQ(conv.messages[0].caption, "Gorm Import");
    EXPECT_EQ(conv.messages[0].text,
              "No imports registered\nUpdate your registry,\nor update your cnv files.");
    EXPECT_EQ(conv.messages[1].caption, "Gorm Export");
    EXPECT_EQ(conv.messages[1].text,
              "No exports registered\nUpdate your registry,\nor update your cnv files.");
}

TEST_F(ConverterServiceTest, ModuleThatCannotBeLoadedIsTold)
{
    const std::string gone = conv.Modules() + "gone.cnv";
    EXPECT_EQ(ImportFileThroughConverter(window, "a", gone, 0, nullptr), 0);
    EXPECT_EQ(ExportFileThroughConverter(window, "a", gone, 0), 0);
    ASSERT_EQ(conv.messages.size(), 2u);
    EXPECT_EQ(conv.messages[0].owner, window);
    EXPECT_EQ(conv.messages[0].caption, "Gorm Import");
    EXPECT_EQ(conv.messages[0].text, "No converter library loaded: \n" + gone);
    EXPECT_EQ(conv.messages[1].caption, "Gorm Export");
    // A module without the entry is loaded but not called.
    EXPECT_EQ(ImportFileThroughConverter(window, "a", conv.Modules() + "noentry.cnv", 0, nullptr), 0);
    EXPECT_EQ(ExportFileThroughConverter(window, "a", conv.Modules() + "noentry.cnv", 0), 0);
    EXPECT_TRUE(conv.Calls().empty());
}

} // namespace
